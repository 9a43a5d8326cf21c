// What the reader of a project file pair carries from one init call to the next.
#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "knowledge/kbregex.h"

struct CProjReadContext {
  std::string sourcePath;
  std::string headerPath;
  std::string sourceText;
  // The source with its verbatim block blanked out (lines kept): the user's
  // own text there must not be taken for what the tool wrote around it.
  std::string sourceOutsideVerbatim;
  std::string verbatimText;  // between the block's markers
  bool hasVerbatim = false;
  std::string headerText;
  std::string fsetPath;     // the function-set header the source includes
  std::string initializer;  // between the braces of the kivo_config_t definition
  std::string initBody;     // the body of my_system_kivo_init
  std::size_t initBodyStart = 0;  // where the body starts in the source
  // The spans of the source that calls kept as written take, with what they
  // hold: text there is written back as part of its call, not on its own.
  std::vector<std::pair<std::size_t, std::size_t>> keptSpans;
  // The statements of the comment-free init body that end in ")" before their
  // ";": the only places where a call can be matched.
  std::vector<std::string> callStatements;
  int callLine = 0;  // the source line of the init call being read
  bool cpuUnknown = false;  // the database has no record of the processor the file names
  // Patterns made from names found in the files, compiled once per load.
  CPatternCache patterns;
};
