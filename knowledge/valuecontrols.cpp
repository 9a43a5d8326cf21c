// What the value controls decide: list entries and selection, text to value, positions, bounded numbers and prompts.
#include "knowledge/valuecontrols.h"

#include <limits>

#include "base/cinteger.h"
#include "base/messagecatalog.h"

namespace {

constexpr int kInternalError = 4070;
constexpr int kNotAnInteger = 4071;
constexpr int kIntegerRange = 4072;
constexpr int kSelectButton = 4073;

const CKivoValueDef* KnownValue(const CKivoVarValue& value) {
  return value.def ? value.def->FindValue(value.valueName, false) : nullptr;
}

}  // namespace

std::string CValuePrompt::Text() const { return FormatMessageText(CatalogText(id), args); }

EAnswer CValuePrompt::Show() const { return ShowText(id, kind, Text()); }

CValuePrompt InternalErrorPrompt() { return {kInternalError, EMessageKind::Warning, {}}; }

CValuePrompt NotAnIntegerPrompt() { return {kNotAnInteger, EMessageKind::Warning, {}}; }

CValuePrompt IntegerRangePrompt(std::string minText, std::string maxText) {
  return {kIntegerRange, EMessageKind::Error, {std::move(minText), std::move(maxText)}};
}

CValuePrompt SelectButtonPrompt() { return {kSelectButton, EMessageKind::Warning, {}}; }

// ---- Lists

std::vector<std::string> ValueListEntries(const CKivoVarValue& value, bool includeKivo2) {
  std::vector<std::string> entries;
  if (value.def) {
    std::size_t position = 0;
    while (const CKivoValueDef* entry = value.def->NextValue(position, includeKivo2))
      if (!entry->takesArg)
        entries.push_back(entry->DisplayText());
  }
  // A list with no entry at all could not be opened or selected.
  if (entries.empty())
    entries.emplace_back();
  return entries;
}

std::string ValueDisplayText(const CKivoVarValue& value) {
  const CKivoValueDef* known = KnownValue(value);
  if (!known)
    return value.valueName;
  return known->takesArg ? value.argument : known->DisplayText();
}

CValueListLoad LoadValueList(const CKivoVarValue& value, bool includeKivo2, bool editable) {
  CValueListLoad load;
  load.entries = ValueListEntries(value, includeKivo2);
  load.text = ValueDisplayText(value);
  for (std::size_t i = 0; i < load.entries.size(); ++i) {
    if (load.entries[i] == load.text) {
      load.selected = static_cast<int>(i);
      return load;
    }
  }
  if (!editable)
    load.selected = 0;
  return load;
}

void SaveValueListText(CKivoVarValue& value, std::string_view text) {
  const CKivoValueDef* found = value.def ? value.def->FindValue(text, true) : nullptr;
  if (!found) {
    value.valueName = std::string(text);
    return;
  }
  value.valueName = found->name;
  if (found->takesArg)
    value.argument = std::string(text);
}

// ---- Positions

int32_t ValuePosition(const CKivoVarValue& value, int32_t unreadable) {
  int32_t position = unreadable;
  const CKivoValueDef* known = KnownValue(value);
  if (!known) {
    if (!ReadCInteger32(value.valueName, position))
      position = unreadable;
    return position;
  }
  if (!known->takesArg)
    return known->number;
  if (!ReadCInteger32(value.argument, position))
    position = unreadable;
  return position;
}

void StoreValuePosition(CKivoVarValue& value, int32_t position) {
  std::string number = std::to_string(position);
  const CKivoValueDef* found = value.def ? value.def->ValueForIndex(position) : nullptr;
  if (!found) {
    value.valueName = number;
    return;
  }
  value.valueName = found->name;
  if (found->takesArg)
    value.argument = number;
}

bool LoadValueCheck(const CKivoVarValue& value) { return ValuePosition(value) == 1; }

void SaveValueCheck(CKivoVarValue& value, bool checked) { StoreValuePosition(value, checked ? 1 : 0); }

int LoadValueRadio(const CKivoVarValue& value) {
  int32_t position = ValuePosition(value);
  return position < 0 ? 0 : position;
}

bool SaveValueRadio(CKivoVarValue& value, int checked, CValuePrompt* outPrompt) {
  if (checked < 0) {
    if (outPrompt)
      *outPrompt = SelectButtonPrompt();
    return false;
  }
  StoreValuePosition(value, checked);
  return true;
}

// ---- Bounded numbers

CValueBounds ValueNumberBounds(const CKivoVarValue& value) {
  CValueBounds bounds;
  const CKivoValueDef* first = value.def ? value.def->ValueForIndex(0) : nullptr;
  if (!first || !first->takesArg)
    return bounds;
  bounds.minText = first->minText;
  bounds.maxText = first->maxText;
  if (first->hasBounds) {
    bounds.min = first->min;
    bounds.max = first->max;
  }
  return bounds;
}

bool ReadIntegerField(std::string_view text, int64_t& number) {
  CIntegerRead read = ReadCIntegerText(text);
  if (read.status == ECInteger::kTooLarge) {
    number = read.negative ? std::numeric_limits<int64_t>::min() : std::numeric_limits<int64_t>::max();
    return true;
  }
  if (read.status != ECInteger::kOk)
    return false;
  number = read.value;
  return true;
}

int32_t LoadValueNumber(const CKivoVarValue& value) {
  int32_t number = ValuePosition(value, 0);
  if (number < 0)
    number = 0;
  CValueBounds bounds = ValueNumberBounds(value);
  if (number < bounds.min || number > bounds.max)
    number = bounds.min;
  return number;
}

std::string LoadValueNumberText(const CKivoVarValue& value, std::string_view format) {
  return FormatPrintfText(format.empty() ? "%d" : format, {PArg(LoadValueNumber(value))});
}

bool SaveValueNumber(CKivoVarValue& value, std::string_view text, bool enabled, CValuePrompt* outPrompt) {
  CValueBounds bounds = ValueNumberBounds(value);
  int64_t read = 0;
  int32_t number = bounds.min;
  if (!ReadIntegerField(text, read)) {
    if (enabled) {
      if (outPrompt)
        *outPrompt = NotAnIntegerPrompt();
      return false;
    }
  } else if (read < bounds.min || read > bounds.max) {
    if (enabled) {
      if (outPrompt)
        *outPrompt = IntegerRangePrompt(bounds.minText, bounds.maxText);
      return false;
    }
    number = read < bounds.min ? bounds.min : bounds.max;
  } else {
    number = static_cast<int32_t>(read);
  }
  StoreValuePosition(value, number);
  return true;
}
