// Finding a parameter's allowed values in an API header and the headers it includes.
#pragma once

#include <string>

#include "knowledge/loadenv.h"

class CKivoVarDef;

// Looks for a typedef enumeration named `type`, then for an "options" comment
// naming `name` followed by #define lines, in `headerText` and then in the
// headers it includes (searched in the function-set folder tree, each file at
// most once, `headerPath` counting as read). Values found are appended to
// `def`. Any failure of the search counts as not found.
bool ScanHeaderOptions(const std::string& name, const std::string& type, const std::string& headerText,
                       const std::string& headerPath, const CKivoLoadEnv& env, CKivoVarDef& def);
