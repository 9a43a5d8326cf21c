// Everything the tool knows about targets, loaded once at start-up and read-only afterwards.
#pragma once

#include <string>

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
  // The resolved folder of kivocfg.ini and kivocpu.ini, which also holds the
  // code templates and the notes page template.
  std::string confFolder;
};
