// The value controls bound to real widgets: what a widget shows after a load, what a user's change stores, and the prompts of a refusal.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QWidget>

#include <sstream>

#include "common/testsupport.h"
#include "knowledge/cfgdesc.h"
#include "ui/valuebinding.h"

namespace {

constexpr const char* kDescription = R"(
[PLAIN]
kivo2only=2
value0=HV_A_OFF
friendly0=Off
value1=HV_A_ON
friendly1=Turned On
value2=HV_A_K2
friendly2=Kivo2 only

[MIXED]
value0=HV_M_AUTO
friendly0=Automatic
value1=HV_M_FIXED(n)

[ARGONLY]
value0=HV_PRESC(divider)
value0_min=1
value0_max=256
)";

using EDirection = CValueExchange::EDirection;

class ValueBindingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::istringstream in(kDescription);
    desc.Read(in, "binding.ini");
    for (const char* section : {"PLAIN", "MIXED", "ARGONLY"})
      values.Get(section, true);
  }
  CKivoVarValue& Value(const char* section, const char* name, const char* argument = "") {
    CKivoVarValue* value = values.Find(section);
    EXPECT_NE(value, nullptr) << section;
    value->valueName = name;
    value->argument = argument;
    return *value;
  }

  CRecordedPorts ports;
  CKivoCfgDesc desc;
  CKivoVarValueSet values{&desc};
  QWidget form;
};

TEST_F(ValueBindingTest, ListsShowTheValueAndStoreTheUsersChoice) {
  struct CRow {
    const char* name;
    const char* section;
    bool editable;
    const char* valueName;
    const char* argument;
    const char* shown;
    const char* chosen;  // null: left as loaded
    const char* storedName;
    const char* storedArgument;
  } rows[] = {
      {"drop-down: another entry", "PLAIN", false, "HV_A_OFF", "", "Off", "Turned On", "HV_A_ON", ""},
      {"drop-down: unknown name shows the first entry", "PLAIN", false, "JUNK", "", "Off", nullptr, "HV_A_OFF",
       ""},
      {"editable: friendly name typed in another case", "PLAIN", true, "HV_A_OFF", "", "Off", "turned on",
       "HV_A_ON", ""},
      {"editable: free text becomes the argument", "MIXED", true, "HV_M_AUTO", "", "Automatic", "33",
       "HV_M_FIXED", "33"},
      {"editable: argument value left as loaded", "MIXED", true, "HV_M_FIXED", "42", "42", nullptr, "HV_M_FIXED",
       "42"},
  };
  for (const CRow& row : rows) {
    SCOPED_TRACE(row.name);
    QComboBox combo(&form);
    combo.setEditable(row.editable);
    Value(row.section, row.valueName, row.argument);
    CValueExchange load(EDirection::Load);
    ASSERT_TRUE(ExchangeValueList(load, &combo, values, row.section));
    EXPECT_EQ(combo.currentText(), row.shown);
    if (row.chosen && row.editable)
      combo.setEditText(row.chosen);
    else if (row.chosen)
      combo.setCurrentIndex(combo.findText(row.chosen));
    CValueExchange save(EDirection::Save);
    ASSERT_TRUE(ExchangeValueList(save, &combo, values, row.section));
    EXPECT_EQ(values.Find(row.section)->valueName, row.storedName);
    EXPECT_EQ(values.Find(row.section)->argument, row.storedArgument);
  }
}

TEST_F(ValueBindingTest, Kivo2EntriesFollowTheTabPagesProcessorOnly) {
  struct CRow {
    const char* name;
    bool inTabView;
    bool kivo2;
    int entries;
  } rows[] = {{"dialog outside a page", false, false, 3},
              {"page of a Kivo processor", true, false, 2},
              {"page of a Kivo2 processor", true, true, 3}};
  for (const CRow& row : rows) {
    SCOPED_TRACE(row.name);
    QComboBox combo(&form);
    Value("PLAIN", "HV_A_OFF");
    CValueExchange load(EDirection::Load);
    load.inTabView = row.inTabView;
    load.kivo2Processor = row.kivo2;
    ASSERT_TRUE(ExchangeValueList(load, &combo, values, "PLAIN"));
    EXPECT_EQ(combo.count(), row.entries);
  }
}

TEST_F(ValueBindingTest, HighlightedValueRegistersItsControlsOnlyInATabPage) {
  QComboBox combo(&form);
  auto* server = new QRadioButton(&form);
  auto* client = new QRadioButton(&form);
  std::vector<QWidget*> locked;
  for (bool inTabView : {false, true}) {
    SCOPED_TRACE(inTabView);
    locked.clear();
    Value("PLAIN", "HV_A_ON").highlight = 1;
    CValueExchange load(EDirection::Load);
    load.inTabView = inTabView;
    load.lockControl = [&locked](QWidget* control) { locked.push_back(control); };
    ASSERT_TRUE(ExchangeValueList(load, &combo, values, "PLAIN"));
    ASSERT_TRUE(ExchangeValueRadio(load, {server, client}, values, "PLAIN"));
    std::vector<QWidget*> expected;
    if (inTabView)
      expected = {&combo, server, client};
    EXPECT_EQ(locked, expected);
  }
}

TEST_F(ValueBindingTest, CheckBoxAndRadioGroupMoveThePosition) {
  QCheckBox box(&form);
  Value("PLAIN", "HV_A_ON");
  CValueExchange load(EDirection::Load);
  ASSERT_TRUE(ExchangeValueCheck(load, &box, values, "PLAIN"));
  EXPECT_TRUE(box.isChecked());
  box.setChecked(false);
  CValueExchange save(EDirection::Save);
  ASSERT_TRUE(ExchangeValueCheck(save, &box, values, "PLAIN"));
  EXPECT_EQ(values.Find("PLAIN")->valueName, "HV_A_OFF");

  QWidget group(&form);
  std::vector<QRadioButton*> buttons{new QRadioButton(&group), new QRadioButton(&group), new QRadioButton(&group)};
  Value("PLAIN", "HV_A_K2");
  ASSERT_TRUE(ExchangeValueRadio(load, buttons, values, "PLAIN"));
  EXPECT_TRUE(buttons[2]->isChecked());
  buttons[1]->setChecked(true);
  ASSERT_TRUE(ExchangeValueRadio(save, buttons, values, "PLAIN"));
  EXPECT_EQ(values.Find("PLAIN")->valueName, "HV_A_ON");
}

TEST_F(ValueBindingTest, RadioGroupWithNothingCheckedAsksForAButton) {
  QWidget group(&form);
  std::vector<QRadioButton*> buttons{new QRadioButton(&group), new QRadioButton(&group)};
  // A position past the buttons leaves them all clear.
  Value("PLAIN", "5");
  CValueExchange load(EDirection::Load);
  ASSERT_TRUE(ExchangeValueRadio(load, buttons, values, "PLAIN"));
  EXPECT_FALSE(buttons[0]->isChecked() || buttons[1]->isChecked());
  for (bool quiet : {false, true}) {
    SCOPED_TRACE(quiet);
    ports.messages.Clear();
    CValueExchange save(EDirection::Save);
    save.quiet = quiet;
    EXPECT_FALSE(ExchangeValueRadio(save, buttons, values, "PLAIN"));
    EXPECT_TRUE(save.Failed());
    EXPECT_EQ(save.FailedControl(), buttons[0]);
    std::vector<int> expected;
    if (!quiet)
      expected = {4073};
    EXPECT_EQ(ports.messages.Ids(), expected);
    EXPECT_EQ(values.Find("PLAIN")->valueName, "5");
  }
}

TEST_F(ValueBindingTest, NumberFieldsRefuseWhatAnEnabledFieldCannotTake) {
  struct CRow {
    const char* name;
    bool spin;
    const char* typed;
    bool enabled;
    int message;  // 0: stored
    const char* stored;
  } rows[] = {
      {"spin: above the bounds", true, "300", true, 4072, "7"},
      {"spin: hexadecimal", true, "0x10", true, 0, "16"},
      {"spin, disabled: above becomes the upper bound", true, "300", false, 0, "256"},
      {"line edit: trailing letters", false, "12abc", true, 4071, "7"},
      {"line edit, disabled: unreadable becomes the lower bound", false, "12abc", false, 0, "1"},
  };
  for (const CRow& row : rows) {
    SCOPED_TRACE(row.name);
    std::unique_ptr<QWidget> field;
    if (row.spin)
      field = std::make_unique<CNumberSpin>(&form);
    else
      field = std::make_unique<QLineEdit>(&form);
    Value("ARGONLY", "HV_PRESC", "7");
    CValueExchange load(EDirection::Load);
    ASSERT_TRUE(ExchangeValueNumber(load, field.get(), values, "ARGONLY"));
    EXPECT_EQ(NumberFieldText(field.get()), "7");
    SetNumberFieldText(field.get(), row.typed);
    field->setEnabled(row.enabled);
    ports.messages.Clear();
    CValueExchange save(EDirection::Save);
    EXPECT_EQ(ExchangeValueNumber(save, field.get(), values, "ARGONLY"), row.message == 0);
    std::vector<int> expected;
    if (row.message)
      expected = {row.message};
    EXPECT_EQ(ports.messages.Ids(), expected);
    EXPECT_EQ(values.Find("ARGONLY")->argument, row.stored);
  }
}

TEST_F(ValueBindingTest, MissingSectionIsAnInternalError) {
  QCheckBox box(&form);
  CValueExchange load(EDirection::Load);
  EXPECT_FALSE(ExchangeValueCheck(load, &box, values, "NO.SUCH.SECTION"));
  ASSERT_EQ(ports.messages.Ids(), std::vector<int>{4070});
  EXPECT_EQ(ports.messages.Messages()[0].text, "internal error");
  EXPECT_FALSE(ExchangeValueList(load, nullptr, nullptr));
}

TEST_F(ValueBindingTest, SpinArrowsStepFromTheTypedNumberWithinTheRange) {
  CNumberSpin spin(&form);
  spin.setRange(desc.FindDefBySection("ARGONLY"));
  EXPECT_EQ(spin.minimum(), 1);
  EXPECT_EQ(spin.maximum(), 256);
  spin.setText("0x10");
  spin.stepBy(1);
  EXPECT_EQ(spin.text(), "17");
  spin.setText("255");
  spin.stepBy(5);
  EXPECT_EQ(spin.text(), "256");
  spin.setText("nonsense");
  spin.stepBy(-1);
  EXPECT_EQ(spin.text(), "1");
}

TEST_F(ValueBindingTest, ClockFieldsLoadExactlyAndRefuseAnUnreadableClock) {
  QLineEdit field(&form);
  CValueExchange load(EDirection::Load);
  uint32_t hz = 0;
  ASSERT_TRUE(ExchangeClockField(load, &field, hz, "Not Available"));
  EXPECT_EQ(field.text(), "Not Available");
  hz = 123456789;
  ASSERT_TRUE(ExchangeClockField(load, &field, hz));
  CValueExchange save(EDirection::Save);
  hz = 0;
  ASSERT_TRUE(ExchangeClockField(save, &field, hz));
  EXPECT_EQ(hz, 123456789u);

  field.setText("fast");
  EXPECT_FALSE(ExchangeClockField(save, &field, hz));
  EXPECT_EQ(ports.messages.Ids(), std::vector<int>{4013});
  EXPECT_EQ(hz, 123456789u);
  field.setEnabled(false);
  CValueExchange saveDisabled(EDirection::Save);
  EXPECT_TRUE(ExchangeClockField(saveDisabled, &field, hz));
  EXPECT_EQ(hz, 0u);
}

}  // namespace
