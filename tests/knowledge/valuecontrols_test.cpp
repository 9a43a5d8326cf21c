// The value controls' decisions over a crafted description: list entries and selection, typed texts, positions, bounded numbers.
#include <gtest/gtest.h>

#include <sstream>

#include "knowledge/valuecontrols.h"

namespace {

// PLAIN has a Kivo2-only tail; MIXED has plain values and a catch-all that
// takes an argument; ARGONLY is a bounded prescaler; SPARSE numbers its
// values apart from their positions; SINGLE has a value for 0 only.
constexpr const char* kDescription = R"(
[PLAIN]
kivo2only=2
value0=HV_A_OFF
friendly0=Off
value1=HV_A_ON
friendly1=Turned On
comment1=switched on
value2=HV_A_K2
friendly2=Kivo2 only

[MIXED]
value0=HV_M_AUTO
friendly0=Automatic
value1=HV_M_FIXED(n)
friendly1=Fixed

[ARGONLY]
value0=HV_PRESC(divider)
friendly0=Prescaler
value0_min=1
value0_max=256

[UNBOUNDED]
value0=HV_U(n)

[NOFRIENDLY]
value0=HV_N_ZERO
comment0=zero comment
value1=HV_N_ONE

[SPARSE]
value0=HV_S_A
value4=HV_S_E

[SINGLE]
value0=HV_ONLY
)";

class ValueControlsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::istringstream in(kDescription);
    desc.Read(in, "valuecontrols.ini");
  }
  // A value of `section` ("" for one without a definition).
  CKivoVarValue Value(const std::string& section, const std::string& name = "",
                      const std::string& argument = "") {
    const CKivoVarDef* def = section.empty() ? nullptr : desc.FindDefBySection(section);
    EXPECT_TRUE(section.empty() || def) << section;
    CKivoVarValue value(def);
    value.valueName = name;
    value.argument = argument;
    return value;
  }
  CKivoCfgDesc desc;
};

TEST_F(ValueControlsTest, ListEntriesArePlainValuesInOrderWithOneEmptyEntryAtLeast) {
  struct CRow {
    const char* name;
    const char* section;
    bool includeKivo2;
    std::vector<std::string> entries;
  } rows[] = {
      {"display texts in description order", "PLAIN", true, {"Off", "Turned On", "Kivo2 only"}},
      {"Kivo2-only tail left out", "PLAIN", false, {"Off", "Turned On"}},
      {"argument-taking value skipped", "MIXED", true, {"Automatic"}},
      {"only argument-taking values: one empty entry", "ARGONLY", true, {""}},
      {"comment, then C name, when no friendly name", "NOFRIENDLY", true, {"zero comment", "HV_N_ONE"}},
      {"no definition: one empty entry", "", true, {""}},
  };
  for (const CRow& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(ValueListEntries(Value(row.section), row.includeKivo2), row.entries);
  }
}

TEST_F(ValueControlsTest, LoadingAListSelectsTheExactEntryOrFallsBackByKindOfList) {
  struct CRow {
    const char* name;
    const char* section;
    const char* valueName;
    const char* argument;
    bool includeKivo2;
    bool editable;
    int selected;
    const char* text;
  } rows[] = {
      {"known value selected by its display text", "PLAIN", "HV_A_ON", "", true, false, 1, "Turned On"},
      {"unknown name: drop-down list takes its first entry", "PLAIN", "HV_BOGUS", "", true, false, 0, "HV_BOGUS"},
      {"unknown name: editable list shows the name", "PLAIN", "HV_BOGUS", "", true, true, -1, "HV_BOGUS"},
      {"argument value shows its argument", "MIXED", "HV_M_FIXED", "42", true, true, -1, "42"},
      {"plain value of an editable list is still selected", "MIXED", "HV_M_AUTO", "", true, true, 0, "Automatic"},
      {"Kivo2-only value on another processor", "PLAIN", "HV_A_K2", "", false, false, 0, "Kivo2 only"},
      {"Kivo2-only value on a Kivo2 processor", "PLAIN", "HV_A_K2", "", true, false, 2, "Kivo2 only"},
      {"no definition, editable", "", "SOME_MACRO", "", true, true, -1, "SOME_MACRO"},
  };
  for (const CRow& row : rows) {
    SCOPED_TRACE(row.name);
    CValueListLoad load = LoadValueList(Value(row.section, row.valueName, row.argument), row.includeKivo2,
                                        row.editable);
    EXPECT_EQ(load.selected, row.selected);
    EXPECT_EQ(load.text, row.text);
  }
}

TEST_F(ValueControlsTest, SavingAListTextFindsTheValueByNameThenDisplayThenCatchAll) {
  struct CRow {
    const char* name;
    const char* section;
    const char* text;
    const char* valueName;
    const char* argument;
  } rows[] = {
      {"C name", "PLAIN", "HV_A_OFF", "HV_A_OFF", "old"},
      {"friendly name in another letter case", "PLAIN", "turned ON", "HV_A_ON", "old"},
      {"comment matches as a display text", "PLAIN", "Switched On", "HV_A_ON", "old"},
      {"unmatched text becomes the catch-all's argument", "MIXED", "17", "HV_M_FIXED", "17"},
      {"unmatched text without a catch-all becomes the name", "PLAIN", "whatever", "whatever", "old"},
      {"plain value keeps the old argument", "MIXED", "automatic", "HV_M_AUTO", "old"},
      {"no definition: the text is the name", "", "MY_MACRO", "MY_MACRO", "old"},
  };
  for (const CRow& row : rows) {
    SCOPED_TRACE(row.name);
    CKivoVarValue value = Value(row.section, "HV_START", "old");
    SaveValueListText(value, row.text);
    EXPECT_EQ(value.valueName, row.valueName);
    EXPECT_EQ(value.argument, row.argument);
  }
}

TEST_F(ValueControlsTest, CheckBoxIsSetExactlyAtPositionOne) {
  struct CRow {
    const char* name;
    const char* section;
    const char* valueName;
    const char* argument;
    bool checked;
  } rows[] = {
      {"value1", "PLAIN", "HV_A_ON", "", true},
      {"value0", "PLAIN", "HV_A_OFF", "", false},
      {"value2", "PLAIN", "HV_A_K2", "", false},
      {"unknown name read as a number", "PLAIN", "1", "", true},
      {"unknown name read as hexadecimal", "PLAIN", "0x1", "", true},
      {"unknown name that is no number", "PLAIN", "junk", "", false},
      {"argument read as the position", "ARGONLY", "HV_PRESC", "1", true},
      {"unreadable argument", "ARGONLY", "HV_PRESC", "abc", false},
      {"value's number, not its place in the list", "SPARSE", "HV_S_E", "", false},
      {"no definition", "", "1", "", true},
  };
  for (const CRow& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(LoadValueCheck(Value(row.section, row.valueName, row.argument)), row.checked);
  }
}

TEST_F(ValueControlsTest, SavingAPositionStoresTheValueAtThatIndexOrTheNumber) {
  struct CRow {
    const char* name;
    const char* section;
    int position;
    const char* valueName;
    const char* argument;
  } rows[] = {
      {"set check box stores value1", "PLAIN", 1, "HV_A_ON", "old"},
      {"cleared check box stores value0", "PLAIN", 0, "HV_A_OFF", "old"},
      {"argument-taking first value takes the number", "ARGONLY", 1, "HV_PRESC", "1"},
      {"index past the values", "SINGLE", 1, "1", "old"},
      {"index counts places, not value numbers", "SPARSE", 1, "HV_S_E", "old"},
      {"no definition", "", 0, "0", "old"},
  };
  for (const CRow& row : rows) {
    SCOPED_TRACE(row.name);
    CKivoVarValue value = Value(row.section, "HV_START", "old");
    StoreValuePosition(value, row.position);
    EXPECT_EQ(value.valueName, row.valueName);
    EXPECT_EQ(value.argument, row.argument);
  }
}

TEST_F(ValueControlsTest, RadioGroupChecksPositionOrFirstAndRefusesNoChoice) {
  EXPECT_EQ(LoadValueRadio(Value("PLAIN", "HV_A_K2")), 2);
  EXPECT_EQ(LoadValueRadio(Value("PLAIN", "junk")), 0);
  EXPECT_EQ(LoadValueRadio(Value("ARGONLY", "HV_PRESC", "-4")), 0);

  CKivoVarValue value = Value("PLAIN", "HV_A_ON");
  CValuePrompt prompt;
  EXPECT_FALSE(SaveValueRadio(value, -1, &prompt));
  EXPECT_EQ(prompt.id, SelectButtonPrompt().id);
  EXPECT_EQ(prompt.Text(), "Please select a button.");
  EXPECT_EQ(value.valueName, "HV_A_ON");
  EXPECT_TRUE(SaveValueRadio(value, 0, &prompt));
  EXPECT_EQ(value.valueName, "HV_A_OFF");
}

TEST_F(ValueControlsTest, IntegerFieldReadsOneCLiteralAndSaturatesPast64Bits) {
  struct CRow {
    const char* text;
    bool ok;
    int64_t number;
  } rows[] = {
      {"16", true, 16},   {"0x10", true, 16},  {"0X1f", true, 31}, {"010", true, 8},     {"0", true, 0},
      {"-5", true, -5},   {"+7", true, 7},     {" 12", true, 12},  {"-0x10", true, -16}, {"08", false, 0},
      {"12abc", false, 0}, {"12 ", true, 12},  {"", false, 0},     {"-", false, 0},      {"0x", false, 0},
      {"0xg", false, 0},  {"1.5", false, 0},   {"99999999999999999999999", true, INT64_MAX},
      {"-99999999999999999999999", true, INT64_MIN},
  };
  for (const CRow& row : rows) {
    SCOPED_TRACE(row.text);
    int64_t number = 0;
    EXPECT_EQ(ReadIntegerField(row.text, number), row.ok);
    if (row.ok) {
      EXPECT_EQ(number, row.number);
    }
  }
}

TEST_F(ValueControlsTest, SavingANumberChecksItAgainstTheFirstValuesBounds) {
  struct CRow {
    const char* name;
    const char* section;
    const char* text;
    bool enabled;
    bool stored;
    const char* valueName;
    const char* argument;
    const char* prompt;  // "" when none
  } rows[] = {
      {"below the bounds", "ARGONLY", "0", true, false, "HV_START", "old",
       "Please enter an integer between 1 and 256."},
      {"above the bounds", "ARGONLY", "300", true, false, "HV_START", "old",
       "Please enter an integer between 1 and 256."},
      {"beyond 32 bits is out of range, not wrapped", "ARGONLY", "4294967296", true, false, "HV_START", "old",
       "Please enter an integer between 1 and 256."},
      {"hexadecimal inside the bounds", "ARGONLY", "0x10", true, true, "HV_PRESC", "16", ""},
      {"upper bound itself", "ARGONLY", "256", true, true, "HV_PRESC", "256", ""},
      {"trailing letters", "ARGONLY", "12abc", true, false, "HV_START", "old", "Please enter an integer."},
      {"disabled: below becomes the lower bound", "ARGONLY", "0", false, true, "HV_PRESC", "1", ""},
      {"disabled: above becomes the upper bound", "ARGONLY", "300", false, true, "HV_PRESC", "256", ""},
      {"disabled: unreadable becomes the lower bound", "ARGONLY", "12abc", false, true, "HV_PRESC", "1", ""},
      {"no bounds given: any 32-bit number", "UNBOUNDED", "-5", true, true, "HV_U", "-5", ""},
      {"plain values: the number picks the value", "PLAIN", "1", true, true, "HV_A_ON", "old", ""},
      {"plain values: no value at that index", "PLAIN", "7", true, true, "7", "old", ""},
      {"plain values: range prompt has empty bounds", "PLAIN", "0x80000000", true, false, "HV_START", "old",
       "Please enter an integer between  and ."},
  };
  for (const CRow& row : rows) {
    SCOPED_TRACE(row.name);
    CKivoVarValue value = Value(row.section, "HV_START", "old");
    CValuePrompt prompt;
    EXPECT_EQ(SaveValueNumber(value, row.text, row.enabled, &prompt), row.stored);
    EXPECT_EQ(value.valueName, row.valueName);
    EXPECT_EQ(value.argument, row.argument);
    EXPECT_EQ(prompt.id ? prompt.Text() : std::string(), row.prompt);
  }
}

TEST_F(ValueControlsTest, RangePromptIsAStopMessageWithTheBoundsAsWritten) {
  CKivoVarValue value = Value("ARGONLY", "HV_PRESC", "4");
  CValuePrompt prompt;
  ASSERT_FALSE(SaveValueNumber(value, "-1", true, &prompt));
  EXPECT_EQ(prompt.kind, EMessageKind::Error);
  EXPECT_EQ(prompt.args, (std::vector<std::string>{"1", "256"}));
  ASSERT_FALSE(SaveValueNumber(value, "x", true, &prompt));
  EXPECT_EQ(prompt.kind, EMessageKind::Warning);
}

TEST_F(ValueControlsTest, LoadingANumberFallsBackToZeroThenToTheLowerBound) {
  struct CRow {
    const char* name;
    const char* section;
    const char* valueName;
    const char* argument;
    const char* format;
    const char* text;
  } rows[] = {
      {"argument shown with %d", "ARGONLY", "HV_PRESC", "0x10", "%d", "16"},
      {"format applied", "ARGONLY", "HV_PRESC", "5", "%03d", "005"},
      {"empty format means %d", "ARGONLY", "HV_PRESC", "5", "", "5"},
      {"unreadable reads as 0, below the bounds", "ARGONLY", "HV_PRESC", "junk", "%d", "1"},
      {"negative reads as 0", "UNBOUNDED", "HV_U", "-7", "%d", "0"},
      {"above the bounds gives the lower bound", "ARGONLY", "HV_PRESC", "999", "%d", "1"},
      {"plain value's number", "PLAIN", "HV_A_K2", "", "%d", "2"},
      {"unknown name that is no number", "PLAIN", "junk", "", "%d", "0"},
  };
  for (const CRow& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(LoadValueNumberText(Value(row.section, row.valueName, row.argument), row.format), row.text);
  }
}

}  // namespace
