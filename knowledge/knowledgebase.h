// Everything the tool knows about targets, loaded once at start-up and read-only afterwards.
#pragma once

#include <filesystem>
#include <string>

#include "base/paths.h"
#include "knowledge/cfgdesc.h"
#include "knowledge/cpudb.h"
#include "knowledge/fapplib.h"
#include "knowledge/fsetlib.h"

// The description comes first so that it outlives the libraries, whose
// parameters point into it.
class CKnowledgeBase {
 public:
  CKnowledgeBase() = default;
  CKnowledgeBase(const CKnowledgeBase&) = delete;
  CKnowledgeBase& operator=(const CKnowledgeBase&) = delete;

  CKivoCfgDesc cfgDesc;
  CKivoCpuDb cpuDb;
  CKivoFSetLib fsetLib;
  CKivoFappLib fappLib;
  // The resolved function-set folder the libraries were loaded from.
  std::string functionSetFolder;

  // The code templates and the notes page template lie beside the processor
  // database they belong with.
  std::string ConfFolder() const {
    return cpuDb.Path().empty() ? ResolvePath("", "conf")
                                : std::filesystem::path(cpuDb.Path()).parent_path().string();
  }
};
