// What the value controls decide: list entries and selection, text to value, positions, bounded numbers and prompts.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/ports.h"
#include "knowledge/cfgdesc.h"

// A prompt a control shows when it refuses its text; the binding shows it
// through the messages port.
struct CValuePrompt {
  int id = 0;
  EMessageKind kind = EMessageKind::Warning;
  std::vector<std::string> args;  // message-style, "%1" and "%2"

  std::string Text() const;
  EAnswer Show() const;
};

// The value set has no value for the section the control is bound to.
CValuePrompt InternalErrorPrompt();
CValuePrompt NotAnIntegerPrompt();
CValuePrompt IntegerRangePrompt(std::string minText, std::string maxText);
CValuePrompt SelectButtonPrompt();

// ---- Lists (combo boxes with or without an edit field)

struct CValueListLoad {
  std::vector<std::string> entries;  // never empty: one empty entry when nothing else
  // The entry to select, or -1 when `text` goes into the edit field of an
  // editable list instead.
  int selected = -1;
  std::string text;  // the value's display text
};

// The value's entries: the display texts of its definition's plain values in
// their order, Kivo2-only values only with `includeKivo2`.
std::vector<std::string> ValueListEntries(const CKivoVarValue& value, bool includeKivo2);
// The text a list shows for the value: a plain value's display text, the
// argument of an argument-taking value, else the value name as it stands.
std::string ValueDisplayText(const CKivoVarValue& value);
CValueListLoad LoadValueList(const CKivoVarValue& value, bool includeKivo2, bool editable);
// The chosen or typed text becomes a value name (and an argument when the
// value it names, or the definition's catch-all, takes one).
void SaveValueListText(CKivoVarValue& value, std::string_view text);

// ---- Positions (check boxes, radio groups, numbers)

// The value's position: an argument-taking value's argument as a C integer
// constant of 32 bits (ReadCInteger32), a plain value's number, or the value
// name read so when the definition does not know it; `unreadable` when nothing reads.
int32_t ValuePosition(const CKivoVarValue& value, int32_t unreadable = -1);
// Stores `position` as the value at that index, or as its argument when the
// definition's values take one; as a bare number when neither fits.
void StoreValuePosition(CKivoVarValue& value, int32_t position);

bool LoadValueCheck(const CKivoVarValue& value);
void SaveValueCheck(CKivoVarValue& value, bool checked);
// The button to check: the position, 0 when it is negative.
int LoadValueRadio(const CKivoVarValue& value);
// `checked` is the index of the checked button, -1 for none (refused).
bool SaveValueRadio(CKivoVarValue& value, int checked, CValuePrompt* outPrompt);

// ---- Bounded numbers

struct CValueBounds {
  int32_t min = INT32_MIN;
  int32_t max = INT32_MAX;
  std::string minText;
  std::string maxText;
};

// From the definition's first value, when it takes an argument; its bounds
// apply only when it has them.
CValueBounds ValueNumberBounds(const CKivoVarValue& value);
// A field's text as one C integer constant (ReadCIntegerText) with blanks
// around it. A constant too large for 64 bits saturates, so it still counts as
// out of range rather than as no number.
bool ReadIntegerField(std::string_view text, int64_t& number);
// The number a field shows for the value, written with the printf-style `format`.
int32_t LoadValueNumber(const CKivoVarValue& value);
std::string LoadValueNumberText(const CKivoVarValue& value, std::string_view format = "%d");
// Stores the field's text. An enabled field refuses a text that is not one
// integer or a number outside the bounds (false, value unchanged, the prompt
// in `outPrompt`); a disabled field goes on with the lower bound or the bound
// it crossed.
bool SaveValueNumber(CKivoVarValue& value, std::string_view text, bool enabled, CValuePrompt* outPrompt);
