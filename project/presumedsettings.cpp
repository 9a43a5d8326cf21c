// A function set's presumed engine settings as they meet a project: which fields they name, whether the project agrees.
#include "project/presumedsettings.h"

#include <algorithm>
#include <cstdint>

#include "base/cinteger.h"
#include "base/messagecatalog.h"
#include "knowledge/cfgdesc.h"
#include "knowledge/fsetlib.h"
#include "knowledge/kbtext.h"
#include "project/projdoc.h"

namespace {

constexpr int kMsgContradicts = 4097;

// The set's own defines stand for the numbers its header gives them.
std::string ResolvedArgument(const std::string& text, const CKivoFSet& set) {
  std::string trimmed = Trim(text);
  if (trimmed == "HV_KIVO_ENTRY_TABLE")
    return set.entryTable;
  if (trimmed == "HV_KIVO_MISC")
    return set.miscValue;
  return trimmed;
}

bool ArgumentNumber(const std::string& text, const CKivoFSet& set, int64_t& value) {
  return ReadCInteger(ResolvedArgument(text, set), value);
}

bool SameArgument(const std::string& held, const std::string& presumed, const CKivoFSet& set) {
  if (Trim(held) == Trim(presumed))
    return true;
  int64_t a = 0, b = 0;
  return ArgumentNumber(held, set, a) && ArgumentNumber(presumed, set, b) && a == b;
}

std::string FieldName(const CPresumedField& field) {
  if (field.engine < 0)
    return field.section;
  return field.section + (field.engine == 0 ? " of engine A" : " of engine B");
}

}  // namespace

std::string CPresumedSetting::Text() const {
  return FixesArgument() ? valueName + "(" + argument + ")" : valueName;
}

std::vector<CPresumedSetting> PresumedSettingsOf(const CKivoFSet& set, const CKivoCfgDesc& desc) {
  std::vector<CPresumedSetting> settings;
  for (std::size_t i = 0; i < set.presumedSettings.size(); ++i) {
    CPresumedSetting setting;
    setting.valueName = set.presumedSettings[i];
    setting.def = desc.FindDefByValueName(setting.valueName);
    if (!setting.def)
      continue;
    const CKivoValueDef* value = nullptr;
    for (const auto& candidate : setting.def->values)
      if (candidate->name == setting.valueName)
        value = candidate.get();
    setting.takesArg = value && value->takesArg;
    // The project holds the number: a name in its place would not read back
    // from the generated file. Text that is no number is taken as a note.
    int64_t number = 0;
    if (setting.takesArg && i < set.presumedArguments.size() &&
        ArgumentNumber(set.presumedArguments[i], set, number))
      setting.argument = ResolvedArgument(set.presumedArguments[i], set);
    settings.push_back(std::move(setting));
  }
  return settings;
}

std::vector<CPresumedField> PresumedFields(const CProjDoc& doc) {
  std::vector<CPresumedField> fields;
  if (!doc.m_pFSet)
    return fields;
  for (const CPresumedSetting& setting : PresumedSettingsOf(*doc.m_pFSet, doc.Kb().cfgDesc)) {
    for (int n = 1; n <= CProjDoc::kCfgMembers; ++n) {
      const CKivoVarValueSet& member = doc.CfgMember(n);
      const CKivoVarValue* value = member.Find(setting.def->section);
      if (!value)
        continue;
      if (CProjDoc::IsEngineBMember(n) && doc.m_cpu.engines < 2)
        continue;
      if (member.IsKivo2Only(value) && !doc.m_cpu.isKivo2)
        continue;
      CPresumedField field;
      field.setting = setting;
      field.member = n;
      field.engine = n <= 2 ? -1 : CProjDoc::IsEngineBMember(n) ? 1 : 0;
      field.section = setting.def->section;
      auto same = std::find_if(fields.begin(), fields.end(),
                               [&](const CPresumedField& f) { return f.member == n && f.section == field.section; });
      if (same != fields.end())
        same->setting = setting;
      else
        fields.push_back(std::move(field));
    }
  }
  return fields;
}

bool AgreesWithPresumed(const CKivoVarValue& value, const CPresumedSetting& setting, const CKivoFSet& set) {
  if (value.valueName != setting.valueName)
    return false;
  return !setting.FixesArgument() || SameArgument(value.argument, setting.argument, set);
}

void CheckPresumedSettings(const CProjDoc& doc, std::vector<CProjectFinding>& out) {
  for (const CPresumedField& field : PresumedFields(doc)) {
    const CKivoVarValue* value = doc.CfgMember(field.member).Find(field.section);
    if (!value || AgreesWithPresumed(*value, field.setting, *doc.m_pFSet))
      continue;
    std::string held = value->Text();
    CProjectFinding finding;
    finding.id = kMsgContradicts;
    finding.text = FormatMessageText(CatalogText(kMsgContradicts),
                                     {doc.m_pFSet->fileName, field.setting.Text(), held.empty() ? "nothing" : held,
                                      FieldName(field)});
    finding.target.kind = CFindingTarget::kEngineValue;
    finding.target.engine = field.engine;
    finding.target.section = field.section;
    out.push_back(std::move(finding));
  }
}
