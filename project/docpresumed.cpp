// The project's side of a function set's presumed settings: setting them, marking them, keeping them.
#include <algorithm>
#include <string>
#include <vector>

#include "knowledge/cfgdesc.h"
#include "knowledge/fsetlib.h"
#include "project/presumedsettings.h"
#include "project/projdoc.h"

namespace {

bool Contains(const std::vector<std::string>& keys, const std::string& key) {
  return std::find(keys.begin(), keys.end(), key) != keys.end();
}

// An argument-taking value named without its argument leaves the argument to
// the user: a lock would keep the user from the part the set leaves open.
bool IsMarked(const CPresumedSetting& setting) { return !setting.takesArg || setting.FixesArgument(); }

// A bounded number that takes the presumed value without a given argument
// starts at its lower bound, as a new project's field does.
std::string StartingArgument(const CPresumedSetting& setting) {
  if (!setting.def)
    return {};
  for (const auto& value : setting.def->values)
    if (value->name == setting.valueName && value->hasBounds)
      return std::to_string(value->min);
  return {};
}

}  // namespace

std::vector<std::string> CProjDoc::MarkedFields() const {
  std::vector<std::string> keys;
  for (int n = 1; n <= kCfgMembers; ++n)
    for (const auto& entry : CfgMember(n).Entries())
      if (entry.value->highlight)
        keys.push_back(std::to_string(n) + ":" + entry.section);
  return keys;
}

void CProjDoc::SetMarks(const std::vector<std::string>& keys) {
  for (int n = 1; n <= kCfgMembers; ++n)
    for (const auto& entry : CfgMember(n).Entries())
      entry.value->highlight = Contains(keys, std::to_string(n) + ":" + entry.section) ? 1 : 0;
  SyncCombinedMarks();
}

void CProjDoc::SyncCombinedMarks() {
  for (auto& [key, combined] : m_combinations)
    combined->highlight =
        std::any_of(combined->members.begin(), combined->members.end(), [](const CKivoVarValue* part) {
          return part->highlight != 0;
        }) ? 1 : 0;
}

bool CProjDoc::PutPresumedSettings(const std::vector<std::string>* only, bool clearOthers) {
  const std::vector<std::string> before = MarkedFields();
  std::vector<std::string> marks = clearOthers ? std::vector<std::string>() : before;
  bool changed = false;
  for (const CPresumedField& field : PresumedFields(*this)) {
    const std::string key = field.Key();
    if (only && !Contains(*only, key))
      continue;
    CKivoVarValue* value = CfgMember(field.member).Find(field.section);
    if (!value)
      continue;
    if (!AgreesWithPresumed(*value, field.setting, *m_pFSet)) {
      const CPresumedSetting& setting = field.setting;
      if (setting.FixesArgument())
        value->argument = setting.argument;
      else if (!setting.takesArg)
        value->argument.clear();
      else if (value->valueName != setting.valueName)
        value->argument = StartingArgument(setting);
      value->valueName = setting.valueName;
      changed = true;
    }
    if (IsMarked(field.setting) && !Contains(marks, key))
      marks.push_back(key);
  }
  // The combined settings say what their parts now say.
  if (changed)
    PullCombinations();
  SetMarks(marks);
  return changed || MarkedFields() != before;
}

void CProjDoc::MarkAgreeingPresumedSettings() {
  std::vector<std::string> marks;
  for (const CPresumedField& field : PresumedFields(*this)) {
    const CKivoVarValue* value = CfgMember(field.member).Find(field.section);
    if (value && IsMarked(field.setting) && AgreesWithPresumed(*value, field.setting, *m_pFSet))
      marks.push_back(field.Key());
  }
  SetMarks(marks);
}

void CProjDoc::KeepMarkedValues(CEngineValues& values) const {
  for (auto& [n, member] : values.m_members) {
    for (const auto& entry : member.Entries()) {
      const CKivoVarValue* own = CfgMember(n).Find(entry.section);
      if (own && own->highlight) {
        entry.value->valueName = own->valueName;
        entry.value->argument = own->argument;
      }
    }
  }
  for (auto& [key, value] : values.m_combined) {
    auto found = m_combinations.find(key);
    if (found != m_combinations.end() && found->second->highlight) {
      value.valueName = found->second->valueName;
      value.argument = found->second->argument;
    }
  }
}
