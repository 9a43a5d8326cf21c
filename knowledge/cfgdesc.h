// The engine-configuration description (kivocfg.ini): variable definitions, their values and configured value sets.
#pragma once

#include <climits>
#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "support/inifile.h"

class CKivoVarDef;

// A value key of a section, "value" and a number: the number as written
// ("value010" gives "010", "value0x10" "0x10"), which also names the value's
// "friendly", "comment" and bound keys.
bool MatchValueKey(const std::string& key, std::string& number);

// One allowed value of a variable.
class CKivoValueDef {
 public:
  explicit CKivoValueDef(const CKivoVarDef* ownerDef) : owner(ownerDef) {}

  // Friendly name, else comment, else C name.
  const std::string& DisplayText() const;
  bool MatchesDisplay(std::string_view text) const;
  // The variable's comment and this value's, as the generated code shows them.
  std::string FullComment() const;

  const CKivoVarDef* owner;
  std::string name;
  std::string friendly;
  std::string comment;
  int32_t number = -1;
  int takesArg = 0;
  int hasBounds = 0;
  std::string maxText;
  std::string minText;
  int32_t max = INT32_MAX;
  int32_t min = INT32_MIN;
};

// One configurable variable: a kivocfg.ini section with value keys, or a list
// of values found in an API header for one parameter.
class CKivoVarDef {
 public:
  CKivoVarDef() = default;
  CKivoVarDef(const CKivoVarDef&) = delete;
  CKivoVarDef& operator=(const CKivoVarDef&) = delete;

  // True when the section holds at least one value key.
  bool Load(const CIniSection* iniSection);
  // The value at `position`, advancing it; null at the end, which comes before
  // the first Kivo2-only value unless `includeKivo2`.
  const CKivoValueDef* NextValue(std::size_t& position, bool includeKivo2) const;
  // By C name; then, with `byDisplay`, by friendly name or comment ignoring
  // case; then the first value that takes an argument (so any other text is
  // that value's argument); else null.
  const CKivoValueDef* FindValue(std::string_view text, bool byDisplay) const;
  // The first value when it takes an argument, else the value at `index`.
  const CKivoValueDef* ValueForIndex(int index) const;
  void RebuildDisplayTexts();
  CKivoValueDef& AddValue();

  std::string section;
  std::string comment;
  std::string parameter;
  int customAllowed = 0;
  std::vector<std::unique_ptr<CKivoValueDef>> values;
  std::vector<std::string> displayTexts;
  int firstKivo2Value = -1;  // -1: every value exists on all engines
};

class CKivoCfgDesc : public CIniFile {
 public:
  void Clear() override;
  int Read(std::istream& in, const std::string& fullPath) override;

  const CKivoVarDef* FindDefBySection(const std::string& section) const;
  // A C name defined by several sections belongs to the one read last.
  const CKivoVarDef* FindDefByValueName(const std::string& name) const;
  // The first definition in the file's section order with that parameter.
  const CKivoVarDef* FindDefByParameter(const std::string& parameter) const;
  // Every definition, in the file's section order.
  const std::vector<std::unique_ptr<CKivoVarDef>>& Definitions() const { return m_defs; }

 private:
  void BuildDefinitions();

  std::vector<std::unique_ptr<CKivoVarDef>> m_defs;
  std::map<std::string, const CKivoVarDef*> m_bySection;
  std::map<std::string, const CKivoVarDef*> m_byValueName;
};

// One configured value of a variable.
class CKivoVarValue {
 public:
  explicit CKivoVarValue(const CKivoVarDef* valueDef = nullptr) : def(valueDef) {}

  void Set(std::string_view newValueName, std::string_view newArgument);
  // The C text: "NAME(ARG)" for a value that takes an argument, else the name.
  std::string Text() const;
  // The comment written beside the value in generated code; the argument
  // fills "%1" of an argument-taking value's comment.
  std::string CommentText() const;

  const CKivoVarDef* def;
  std::string valueName;
  std::string argument;
  int highlight = 0;
  std::vector<CKivoVarValue*> members;  // not owned: the parts of a combined value
};

// The configured values of one group section and its bit fields, in the order
// they were built, which is the order they are written in.
class CKivoVarValueSet {
 public:
  struct CEntry {
    std::string section;
    std::unique_ptr<CKivoVarValue> value;
  };

  CKivoVarValueSet() = default;
  explicit CKivoVarValueSet(const CKivoCfgDesc* desc) : m_desc(desc) {}
  CKivoVarValueSet(const CKivoVarValueSet& other);
  CKivoVarValueSet& operator=(const CKivoVarValueSet& other);
  CKivoVarValueSet(CKivoVarValueSet&&) noexcept = default;
  CKivoVarValueSet& operator=(CKivoVarValueSet&&) noexcept = default;
  ~CKivoVarValueSet() = default;

  // False when the description has no such section.
  bool Build(const CKivoCfgDesc& desc, const std::string& section);
  // An existing value, or with `create` a new one for a section the description
  // defines; null otherwise.
  CKivoVarValue* Get(const std::string& section, bool create, bool kivo2Only = false);
  CKivoVarValue* Find(const std::string& section) const;
  CKivoVarValue* FindByParameter(const std::string& parameter) const;
  void ResetToDefaults();
  // Sets every HV_KIVO_ value named in `text`; stops with message 4004 or 4005
  // at the first name that does not belong here, keeping what was set before.
  bool ParseValueList(std::string_view text);
  void Format(std::string& outText, bool includeKivo2) const;

  const std::vector<CEntry>& Entries() const { return m_entries; }
  bool IsKivo2Only(const CKivoVarValue* value) const;
  const CKivoCfgDesc* Description() const { return m_desc; }

 private:
  void BuildSection(const std::string& section, bool kivo2Only, std::set<std::string>& open);
  void Clear();

  const CKivoCfgDesc* m_desc = nullptr;
  std::vector<CEntry> m_entries;
  std::map<std::string, CKivoVarValue*> m_byName;
  std::map<std::string, CKivoVarValue*> m_byParameter;
  std::vector<CKivoVarValue*> m_kivo2Only;
};
