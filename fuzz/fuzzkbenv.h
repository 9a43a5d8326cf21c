// The load environment of the knowledge fuzz targets: the crafted function-set tree of the tests and its description.
#pragma once

#include <string>
#include <string_view>

#include "fuzz/fuzzsupport.h"
#include "knowledge/cfgdesc.h"
#include "knowledge/folderscan.h"
#include "knowledge/kbregex.h"
#include "knowledge/loadenv.h"
#include "knowledge/optionscan.h"

// Includes and API headers named by an input are found in the fixture tree,
// so the fuzzer reaches the include and option-scanning paths. The folder
// listings are kept across inputs (the tree does not change); the option
// tables are the caller's, one per input, since inputs invent new texts.
inline CKivoLoadEnv FuzzLoadEnv(COptionTables& optionTables) {
  static CKivoCfgDesc* desc = [] {
    auto* loaded = new CKivoCfgDesc;
    loaded->Load(FixtureFolder("conf/kivocfg.ini"));
    return loaded;
  }();
  static CFolderIndex index;
  CKivoLoadEnv env;
  env.folder = FixtureFolder("fsets");
  env.desc = desc;
  env.index = &index;
  env.optionTables = &optionTables;
  return env;
}

// The function an API text declares: the word between "kivo_" and "_init" of
// its first prototype, so that every seed header names its own function.
inline std::string DeclaredFunctionName(std::string_view text) {
  auto identifier = [](char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
  };
  for (std::size_t at = text.find("kivo_"); at != std::string_view::npos; at = text.find("kivo_", at + 1)) {
    std::size_t start = at + 5;
    std::size_t end = start;
    while (end < text.size() && identifier(text[end]))
      ++end;
    std::string_view word = text.substr(start, end - start);
    std::size_t init = word.find("_init");
    if (init == std::string_view::npos)
      init = word.find("_finit");
    if (init != std::string_view::npos && init > 0)
      return std::string(word.substr(0, init));
  }
  return "fuzz";
}
