// What the readers of function-set files need to know about the load in progress.
#pragma once

#include <string>

class CFolderIndex;
class CKivoCfgDesc;
class COptionTables;

struct CKivoLoadEnv {
  // The function-set folder: API headers, sources and included headers are
  // searched in its tree, and relative paths are taken against it.
  std::string folder;
  // Presumed settings are checked against it; parameters without a list of
  // their own fall back to its definitions. May be null.
  const CKivoCfgDesc* desc = nullptr;
  // The listings of the load's folders; without one every search lists the
  // folders anew.
  CFolderIndex* index = nullptr;
  // Included headers and what option scanning found in each, kept for the
  // load; may be null.
  COptionTables* optionTables = nullptr;
};
