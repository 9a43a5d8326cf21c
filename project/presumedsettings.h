// A function set's presumed engine settings as they meet a project: which fields they name, whether the project agrees.
#pragma once

#include <string>
#include <vector>

#include "project/projectcheck.h"

class CKivoFSet;
class CKivoCfgDesc;
class CKivoVarDef;
class CKivoVarValue;
class CProjDoc;

// One setting a set header presumes: the value by its C name and, for a value
// that takes an argument, the argument written in parentheses after it.
struct CPresumedSetting {
  std::string valueName;
  // Kept only for a value that takes an argument and only when it is a C
  // integer or the set's HV_KIVO_ENTRY_TABLE or HV_KIVO_MISC, which give the
  // number the header defines; any other parenthesised text is a note.
  std::string argument;
  const CKivoVarDef* def = nullptr;
  bool takesArg = false;

  // The value fixes its argument too; an argument-taking value named alone
  // asks only for the value and leaves the argument to the user.
  bool FixesArgument() const { return takesArg && !argument.empty(); }
  // The presumed text as a generated file would hold it: NAME or NAME(ARG).
  std::string Text() const;
};

// The set's presumed settings whose values the description knows, in the
// header's order.
std::vector<CPresumedSetting> PresumedSettingsOf(const CKivoFSet& set, const CKivoCfgDesc& desc);

// One field of the project that a presumed setting names.
struct CPresumedField {
  CPresumedSetting setting;
  int member = 0;   // 1 to 10
  int engine = -1;  // -1 the module, 0 engine A, 1 engine B
  std::string section;
  // "member:section", the form the marks of an undo image take.
  std::string Key() const { return std::to_string(member) + ":" + section; }
};

// The fields the project's set presumes values of, on the processor as it is:
// a field of engine B on a one-engine processor and a Kivo2-only field on a
// Kivo processor are not written to the project's files, so nothing is
// presumed of them there. Where several settings name one field the last one
// counts, as setting them in order would leave it.
std::vector<CPresumedField> PresumedFields(const CProjDoc& doc);

// The value agrees with the setting: the same value and, where the setting
// fixes the argument, the same argument (as numbers when both read as C
// integers; the set's own HV_KIVO_ENTRY_TABLE and HV_KIVO_MISC stand for the
// numbers its header defines).
bool AgreesWithPresumed(const CKivoVarValue& value, const CPresumedSetting& setting, const CKivoFSet& set);

// Every field whose value contradicts the set's presumed settings, as
// message 4097 with the field as its target.
void CheckPresumedSettings(const CProjDoc& doc, std::vector<CProjectFinding>& out);
