// The engine-configuration description (kivocfg.ini): variable definitions, their values and configured value sets.
#include "knowledge/cfgdesc.h"

#include <algorithm>
#include <climits>

#include "base/cinteger.h"
#include "base/messagecatalog.h"
#include "base/ports.h"
#include "knowledge/kbtext.h"
#include "support/regexp.h"

namespace {

bool ReadsAsFlag(const std::string& text) {
  std::string lower = ToLower(text);
  return lower == "yes" || lower == "true" || text == "1";
}

void ReadBound(const std::string& text, int32_t& bound, int& hasBounds) {
  int32_t value = 0;
  if (ReadCInteger32(text, value)) {
    bound = value;
    hasBounds = 1;
  }
}

}  // namespace

bool MatchValueKey(const std::string& key, std::string& number) {
  static CRegExp pattern(R"(^value((0x[A-Fa-f0-9]+)|(\d+))$)");
  if (pattern.Execute(key) == 0)
    return false;
  number = pattern.GetMatch(0).SubMatch(0);
  return true;
}

const std::string& CKivoValueDef::DisplayText() const {
  if (!friendly.empty())
    return friendly;
  if (!comment.empty())
    return comment;
  return name;
}

bool CKivoValueDef::MatchesDisplay(std::string_view text) const {
  return EqualsIgnoreCase(text, friendly) || EqualsIgnoreCase(text, comment);
}

std::string CKivoValueDef::FullComment() const {
  std::string text = owner ? owner->comment : std::string();
  if (!text.empty())
    text += ' ';
  return text + comment;
}

bool CKivoVarDef::Load(const CIniSection* iniSection) {
  if (!iniSection)
    return false;
  section = iniSection->name;
  comment = iniSection->GetValue("comment");
  parameter = iniSection->GetValue("parameter");
  customAllowed = ReadsAsFlag(iniSection->GetValue("custom_allowed")) ? 1 : 0;
  std::string kivo2Marker = iniSection->GetValue("kivo2only");
  if (!kivo2Marker.empty())
    kivo2Marker = "value" + kivo2Marker;
  for (const std::string& key : iniSection->Keys()) {
    std::string number;
    if (!MatchValueKey(key, number))
      continue;
    if (key == kivo2Marker)
      firstKivo2Value = static_cast<int>(values.size());
    CKivoValueDef& value = AddValue();
    std::string text = iniSection->GetValue(key);
    std::size_t paren = text.find('(');
    value.name = Trim(text.substr(0, paren));
    if (!ReadCInteger32(number, value.number))
      value.number = 0;
    value.friendly = iniSection->GetValue("friendly" + number);
    value.comment = iniSection->GetValue("comment" + number);
    if (paren != std::string::npos) {
      value.takesArg = 1;
      value.minText = iniSection->GetValue("value" + number + "_min");
      value.maxText = iniSection->GetValue("value" + number + "_max");
      ReadBound(value.minText, value.min, value.hasBounds);
      ReadBound(value.maxText, value.max, value.hasBounds);
    }
  }
  RebuildDisplayTexts();
  return !values.empty();
}

CKivoValueDef& CKivoVarDef::AddValue() {
  values.push_back(std::make_unique<CKivoValueDef>(this));
  return *values.back();
}

const CKivoValueDef* CKivoVarDef::NextValue(std::size_t& position, bool includeKivo2) const {
  std::size_t end = values.size();
  if (!includeKivo2 && firstKivo2Value >= 0)
    end = std::min(end, static_cast<std::size_t>(firstKivo2Value));
  if (position >= end)
    return nullptr;
  return values[position++].get();
}

const CKivoValueDef* CKivoVarDef::FindValue(std::string_view text, bool byDisplay) const {
  for (const auto& value : values)
    if (value->name == text)
      return value.get();
  if (byDisplay)
    for (const auto& value : values)
      if (value->MatchesDisplay(text))
        return value.get();
  for (const auto& value : values)
    if (value->takesArg)
      return value.get();
  return nullptr;
}

const CKivoValueDef* CKivoVarDef::ValueForIndex(int index) const {
  if (!values.empty() && values.front()->takesArg)
    return values.front().get();
  if (index < 0 || static_cast<std::size_t>(index) >= values.size())
    return nullptr;
  return values[static_cast<std::size_t>(index)].get();
}

void CKivoVarDef::RebuildDisplayTexts() {
  displayTexts.clear();
  for (const auto& value : values)
    displayTexts.push_back(value->DisplayText());
}

void CKivoCfgDesc::Clear() {
  CIniFile::Clear();
  m_bySection.clear();
  m_byValueName.clear();
  m_defs.clear();
}

int CKivoCfgDesc::Read(std::istream& in, const std::string& fullPath) {
  int result = CIniFile::Read(in, fullPath);
  BuildDefinitions();
  return result;
}

void CKivoCfgDesc::BuildDefinitions() {
  m_bySection.clear();
  m_byValueName.clear();
  m_defs.clear();
  for (const auto& iniSection : Sections()) {
    auto def = std::make_unique<CKivoVarDef>();
    if (!def->Load(iniSection.get()))
      continue;
    m_bySection[def->section] = def.get();
    for (const auto& value : def->values)
      m_byValueName[value->name] = def.get();
    m_defs.push_back(std::move(def));
  }
}

const CKivoVarDef* CKivoCfgDesc::FindDefBySection(const std::string& section) const {
  auto found = m_bySection.find(section);
  return found == m_bySection.end() ? nullptr : found->second;
}

const CKivoVarDef* CKivoCfgDesc::FindDefByValueName(const std::string& name) const {
  auto found = m_byValueName.find(name);
  return found == m_byValueName.end() ? nullptr : found->second;
}

const CKivoVarDef* CKivoCfgDesc::FindDefByParameter(const std::string& parameter) const {
  for (const auto& def : m_defs)
    if (def->parameter == parameter)
      return def.get();
  return nullptr;
}

void CKivoVarValue::Set(std::string_view newValueName, std::string_view newArgument) {
  valueName = Trim(newValueName);
  argument = Trim(newArgument);
}

std::string CKivoVarValue::Text() const {
  const CKivoValueDef* value = def ? def->FindValue(valueName, false) : nullptr;
  if (value && value->takesArg)
    return valueName + "(" + argument + ")";
  return valueName;
}

std::string CKivoVarValue::CommentText() const {
  const CKivoValueDef* value = def ? def->FindValue(valueName, false) : nullptr;
  if (!value)
    return {};
  std::string comment = value->FullComment();
  if (comment.empty())
    return {};
  return value->takesArg ? FormatMessageText(comment, {argument}) : comment;
}

CKivoVarValueSet::CKivoVarValueSet(const CKivoVarValueSet& other) { *this = other; }

CKivoVarValueSet& CKivoVarValueSet::operator=(const CKivoVarValueSet& other) {
  if (this == &other)
    return *this;
  Clear();
  m_desc = other.m_desc;
  std::map<const CKivoVarValue*, CKivoVarValue*> copies;
  for (const CEntry& entry : other.m_entries) {
    auto copy = std::make_unique<CKivoVarValue>(*entry.value);
    copies[entry.value.get()] = copy.get();
    m_byName[entry.section] = copy.get();
    m_entries.push_back({entry.section, std::move(copy)});
  }
  for (const auto& [parameter, value] : other.m_byParameter)
    m_byParameter[parameter] = copies[value];
  for (const CKivoVarValue* value : other.m_kivo2Only)
    m_kivo2Only.push_back(copies[value]);
  return *this;
}

void CKivoVarValueSet::Clear() {
  m_byName.clear();
  m_byParameter.clear();
  m_kivo2Only.clear();
  m_entries.clear();
}

bool CKivoVarValueSet::Build(const CKivoCfgDesc& desc, const std::string& section) {
  Clear();
  m_desc = &desc;
  if (!desc.FindSection(section))
    return false;
  std::set<std::string> open;
  BuildSection(section, false, open);
  return true;
}

// `open` holds the sections being built further up, so a group that lists
// itself, directly or through another group, ends instead of recursing forever.
void CKivoVarValueSet::BuildSection(const std::string& section, bool kivo2Only, std::set<std::string>& open) {
  const CIniSection* iniSection = m_desc->FindSection(section);
  if (!iniSection || !open.insert(section).second)
    return;
  int32_t firstKivo2Field = INT32_MAX;
  std::string marker = iniSection->GetValue("kivo2only");
  if (!marker.empty() && !ReadCInteger32(marker, firstKivo2Field))
    firstKivo2Field = INT32_MAX;
  int index = 0;
  for (;; ++index) {
    std::string field = iniSection->GetValue("bitfield" + std::to_string(index));
    if (field.empty())
      break;
    BuildSection(field, index >= firstKivo2Field, open);
  }
  if (index == 0)
    Get(section, true, kivo2Only);
  open.erase(section);
}

CKivoVarValue* CKivoVarValueSet::Get(const std::string& section, bool create, bool kivo2Only) {
  if (CKivoVarValue* existing = Find(section))
    return existing;
  if (!create || !m_desc)
    return nullptr;
  const CKivoVarDef* def = m_desc->FindDefBySection(section);
  if (!def)
    return nullptr;
  auto value = std::make_unique<CKivoVarValue>(def);
  CKivoVarValue* created = value.get();
  m_byName[section] = created;
  m_entries.push_back({section, std::move(value)});
  if (kivo2Only)
    m_kivo2Only.push_back(created);
  if (!def->parameter.empty())
    m_byParameter[def->parameter] = created;
  return created;
}

CKivoVarValue* CKivoVarValueSet::Find(const std::string& section) const {
  auto found = m_byName.find(section);
  return found == m_byName.end() ? nullptr : found->second;
}

CKivoVarValue* CKivoVarValueSet::FindByParameter(const std::string& parameter) const {
  auto found = m_byParameter.find(parameter);
  return found == m_byParameter.end() ? nullptr : found->second;
}

bool CKivoVarValueSet::IsKivo2Only(const CKivoVarValue* value) const {
  return std::find(m_kivo2Only.begin(), m_kivo2Only.end(), value) != m_kivo2Only.end();
}

void CKivoVarValueSet::ResetToDefaults() {
  for (CEntry& entry : m_entries) {
    CKivoVarValue& value = *entry.value;
    bool hasFirst = value.def && !value.def->values.empty();
    value.valueName = hasFirst ? value.def->values.front()->name : "0";
    value.argument.clear();
    // A bounded number starts at its lower bound, as its field shows it, so a
    // new project writes "divide by 1" rather than an empty argument.
    if (hasFirst && value.def->values.front()->takesArg && value.def->values.front()->hasBounds)
      value.argument = std::to_string(value.def->values.front()->min);
  }
}

bool CKivoVarValueSet::ParseValueList(std::string_view text) {
  static CRegExp pattern(R"((HV_KIVO_[A-Za-z0-9_]*)\s*(?:\(([^)\n]+?)\))?)", true, true);
  std::string whole(text);
  int count = pattern.Execute(text);
  for (int i = 0; i < count; ++i) {
    const CRegExpMatch& match = pattern.GetMatch(i);
    std::string name = match.SubMatch(0);
    const CKivoVarDef* def = m_desc ? m_desc->FindDefByValueName(name) : nullptr;
    if (!def) {
      ShowMessage(4004, EMessageKind::Warning, {name, whole});
      return false;
    }
    CKivoVarValue* target = Get(def->section, false);
    if (!target) {
      ShowMessage(4005, EMessageKind::Warning, {name, whole});
      return false;
    }
    target->Set(name, match.SubMatch(1));
  }
  return true;
}

void CKivoVarValueSet::Format(std::string& outText, bool includeKivo2) const {
  for (const CEntry& entry : m_entries) {
    if (!includeKivo2 && IsKivo2Only(entry.value.get()))
      continue;
    std::string text = entry.value->Text();
    if (text.empty())
      continue;
    if (!outText.empty())
      outText += "\n| ";
    outText += text;
    std::string comment = entry.value->CommentText();
    if (!comment.empty())
      outText += "\t/* " + comment + " */";
  }
}
