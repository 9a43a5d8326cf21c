// The function dialog's rules over the sample project and the bundled function sets: entries, working copies, channel and parameter edits, the non-API count and the code.
#include "project/funcdialogmodel.h"

#include <gtest/gtest.h>

#include <memory>
#include <utility>

#include "bundledkb.h"
#include "common/testsupport.h"
#include "knowledge/kbtext.h"

namespace {

using CFuncInfo = CProjDoc::CFuncInfo;
using CModel = CFuncDialogModel;

class FuncDialogModelTest : public CBundledKbTest {
 protected:
  void SetUp() override {
    doc = std::make_unique<CProjDoc>(*s_kb);
    ASSERT_TRUE(doc->OnOpenDocument(SourcePath("examples/demo/kivo_vam.c").string()));
    ports.messages.Clear();
  }

  // The configured function with that instance name.
  const CFuncInfo& Configured(const std::string& instance) const {
    for (const auto& func : doc->Functions())
      if (func->InstanceName() == instance)
        return *func;
    ADD_FAILURE() << instance;
    return *doc->Functions().front();
  }
  // Selects the entry of that function name ("PWM"); false when not offered.
  static bool SelectByName(CModel& model, const std::string& name) {
    for (std::size_t i = 0; i < model.Entries().size(); ++i)
      if (model.Entries()[i]->name == name)
        return model.Select(static_cast<int>(i)) != nullptr;
    return false;
  }
  static int ParamRow(const CModel& model, const std::string& name) {
    std::vector<CFuncParamRow> rows = model.ParamRows();
    for (std::size_t i = 0; i < rows.size(); ++i)
      if (rows[i].name == name)
        return static_cast<int>(i);
    ADD_FAILURE() << name;
    return -1;
  }
  static std::string ParamValue(const CModel& model, const std::string& name) {
    const CProjDoc::CParamInfo* param = model.Current()->FindParam(name);
    return param ? param->value.valueName : "<none>";
  }
  static std::vector<std::string> Channels(const CModel& model) {
    std::vector<std::string> texts;
    for (const CFuncChannelRow& row : model.ChannelRows())
      texts.push_back(row.name + "=" + row.number);
    return texts;
  }

  CRecordedPorts ports;
  std::unique_ptr<CProjDoc> doc;
};

// ---- What the dialog offers and what it is called

struct CCaptionCase {
  const char* name;
  CModel::EKind kind;
  const char* edited;  // instance name for an edit
  const char* caption;
  const char* subject;
};

class FuncDialogCaptionTest : public FuncDialogModelTest, public ::testing::WithParamInterface<CCaptionCase> {};

TEST_P(FuncDialogCaptionTest, CaptionAndSubject) {
  const CCaptionCase& c = GetParam();
  const CFuncInfo* edited = *c.edited ? &Configured(c.edited) : nullptr;
  CModel model(*doc, c.kind, edited ? edited->engine : 0, edited);
  EXPECT_EQ(model.Caption(), c.caption);
  EXPECT_EQ(model.Subject(), c.subject);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, FuncDialogCaptionTest,
    ::testing::Values(
        CCaptionCase{"AddFunction", CModel::kAddFunction, "", "Add Kivo Function", "Kivo &Function"},
        CCaptionCase{"AddApplication", CModel::kAddApplication, "", "Add Kivo Application", "Kivo &Application"},
        CCaptionCase{"EditFunction", CModel::kEdit, "UART", "Edit Kivo Function", "Kivo &Function"},
        CCaptionCase{"EditApplication", CModel::kEdit, "app_fan_control", "Edit Kivo Application",
                     "Kivo &Application"}),
    [](const auto& row) { return std::string(row.param.name); });

TEST_F(FuncDialogModelTest, EntriesFollowTheSetAndTheApplicationsItCanRun) {
  CModel functions(*doc, CModel::kAddFunction, 0);
  std::vector<std::string> names;
  for (const CKivoFunc* func : functions.Entries())
    names.push_back(func->name);
  // The set's order, its empty slot left out.
  EXPECT_EQ(names, (std::vector<std::string>{"PWM", "IC", "DTPWM", "QD", "Stepper_Ramp", "GPIO", "HALL",
                                             "ADCTRIG", "UART"}));
  EXPECT_EQ(functions.EntryTexts().front(), "Pulse Width Modulation Output");
  EXPECT_EQ(functions.EntryTexts()[5], "GPIO - General purpose input/output");

  // The motion set lacks PPM, so the position application is not offered.
  CModel apps(*doc, CModel::kAddApplication, 0);
  names.clear();
  for (const CKivoFunc* func : apps.Entries())
    names.push_back(func->name);
  EXPECT_EQ(names, (std::vector<std::string>{"app_bldc", "app_fan_control"}));

  CModel edit(*doc, CModel::kEdit, 1, &Configured("QD"));
  ASSERT_EQ(edit.Entries().size(), 1u);
  EXPECT_EQ(edit.Entries().front()->name, "QD");
}

TEST_F(FuncDialogModelTest, FreeChannelsLeaveOutOtherFunctionsButKeepTheEditedOnes) {
  std::vector<int> usedB = {0, 1, 4, 5, 8, 9, 12, 13};
  CModel add(*doc, CModel::kAddFunction, 1);
  for (int used : usedB)
    EXPECT_EQ(std::count(add.FreeChannels().begin(), add.FreeChannels().end(), used), 0) << used;
  EXPECT_EQ(add.FreeChannels().size(), 32u - usedB.size());
  EXPECT_EQ(add.FreeChannelTexts().front(), "2");
  EXPECT_EQ(add.StartChannel(), 2);
  // The first entry's copy starts there.
  EXPECT_EQ(Channels(add), (std::vector<std::string>{"output=2"}));

  CModel edit(*doc, CModel::kEdit, 1, &Configured("UART"));
  EXPECT_EQ(edit.FreeChannelTexts()[2], "4");
  EXPECT_EQ(edit.FreeChannelTexts()[3], "5");
  EXPECT_EQ(edit.StartChannel(), 2);

  CModel fromRow(*doc, CModel::kAddFunction, 1, nullptr, 20);
  EXPECT_EQ(fromRow.StartChannel(), 20);
  EXPECT_EQ(Channels(fromRow), (std::vector<std::string>{"output=20"}));
}

// ---- Working copies

TEST_F(FuncDialogModelTest, EachEntryKeepsItsOwnCopyWhileTheDialogIsOpen) {
  CModel model(*doc, CModel::kAddFunction, 0);
  ASSERT_TRUE(SelectByName(model, "PWM"));
  CFuncInfo* pwm = model.Current();
  ASSERT_TRUE(model.SetParamValue(ParamRow(model, "period"), "1234"));
  ASSERT_TRUE(SelectByName(model, "GPIO"));
  EXPECT_FALSE(model.CurrentIsApi());
  ASSERT_TRUE(model.SetParamCount(2));
  ASSERT_TRUE(SelectByName(model, "PWM"));
  EXPECT_EQ(model.Current(), pwm);
  EXPECT_EQ(ParamValue(model, "period"), "1234");
  ASSERT_TRUE(SelectByName(model, "GPIO"));
  EXPECT_EQ(model.ParamCount(), 2);

  // Only the selected entry's copy is handed over, and only once.
  ASSERT_TRUE(SelectByName(model, "PWM"));
  std::unique_ptr<CFuncInfo> taken = model.TakeAccepted();
  EXPECT_EQ(taken.get(), pwm);
  EXPECT_EQ(model.TakeAccepted(), nullptr);
  EXPECT_EQ(taken->engine, 0);
}

TEST_F(FuncDialogModelTest, EditWorksOnACopyAndLeavesTheProjectAlone) {
  const CFuncInfo& uart = Configured("UART");
  std::string before;
  uart.GenerateInitCode(before);
  CModel model(*doc, CModel::kEdit, 1, &uart);
  ASSERT_NE(model.Current(), &uart);
  ASSERT_TRUE(model.SetParamValue(ParamRow(model, "baud_rate"), "9600"));
  ASSERT_TRUE(model.SetChannelNumber(0, "20"));
  EXPECT_EQ(ParamValue(model, "baud_rate"), "9600");
  std::string after;
  uart.GenerateInitCode(after);
  EXPECT_EQ(after, before);
  // Its own channels do not count against it.
  ASSERT_TRUE(model.SetChannelNumber(0, "4"));
  EXPECT_EQ(model.ChannelProblem(), "");
  EXPECT_TRUE(model.CheckForAccept());
  EXPECT_TRUE(ports.messages.Ids().empty());
}

// ---- The API page

struct CChannelEditCase {
  const char* name;
  const char* function;
  int row;
  const char* text;
  bool changed;
  std::vector<std::string> channels;
  const char* problem;
};

class FuncDialogChannelEditTest : public FuncDialogModelTest,
                                  public ::testing::WithParamInterface<CChannelEditCase> {};

// Engine A of the sample project holds channels 0, 1, 4, 5 and 8; new ones start at 20.
TEST_P(FuncDialogChannelEditTest, NumberRebuildsTheChannels) {
  const CChannelEditCase& c = GetParam();
  CModel model(*doc, CModel::kAddFunction, 0, nullptr, 20);
  ASSERT_TRUE(SelectByName(model, c.function));
  EXPECT_EQ(model.SetChannelNumber(c.row, c.text), c.changed);
  EXPECT_EQ(Channels(model), c.channels);
  EXPECT_EQ(model.ChannelProblem(), c.problem);
}

INSTANTIATE_TEST_SUITE_P(
    Edits, FuncDialogChannelEditTest,
    ::testing::Values(
        CChannelEditCase{"Decimal", "PWM", 0, "7", true, {"output=7"}, ""},
        CChannelEditCase{"HexadecimalAndTrailingText", "PWM", 0, "0x0a pins", true, {"output=10"}, ""},
        CChannelEditCase{"NotANumber", "PWM", 0, "seven", false, {"output=20"}, ""},
        CChannelEditCase{"PastTheLast", "PWM", 0, "32", true, {"output=32"}, "The channel number 32 is invalid"},
        CChannelEditCase{"Negative", "PWM", 0, "-1", true, {"output=-1"}, "The channel number -1 is invalid"},
        CChannelEditCase{"TakenByAnother", "PWM", 0, "4", true, {"output=4"},
                         "The channel number 4 is already assigned a function ('DTPWM::high')"},
        // The low side follows the high side it is computed from.
        CChannelEditCase{"DependentMoves", "DTPWM", 0, "10", true, {"high=10", "low=11"}, ""},
        CChannelEditCase{"ComputedIsNotAssignable", "DTPWM", 1, "12", false, {"high=20", "low=21"}, ""},
        CChannelEditCase{"DependentLandsOnAnother", "DTPWM", 0, "7", true, {"high=7", "low=8"},
                         "The channel number 8 is already assigned a function ('ADCTRIG::trigger')"},
        CChannelEditCase{"TwiceInOneFunction", "UART", 1, "20", true, {"tx=20", "rx=20"},
                         "The channel number 20 is assigned twice (tx and rx)"}),
    [](const auto& row) { return std::string(row.param.name); });

TEST_F(FuncDialogModelTest, ParameterRowsOfferAllowedValuesByTheirDisplayText) {
  CModel model(*doc, CModel::kAddFunction, 0, nullptr, 20);
  ASSERT_TRUE(SelectByName(model, "PWM"));
  std::vector<CFuncParamRow> rows = model.ParamRows();
  std::vector<std::string> names;
  for (const CFuncParamRow& row : rows)
    names.push_back(row.name);
  // The channel parameter is the channels table's, not a row here.
  EXPECT_EQ(names, (std::vector<std::string>{"priority", "polarity", "timebase", "period", "duty", "update"}));
  const CFuncParamRow& priority = rows[0];
  EXPECT_EQ(priority.value, "Low");
  EXPECT_EQ(priority.type, "uint8_t");
  EXPECT_EQ(priority.choices, (std::vector<std::string>{"Low", "Middle", "High"}));
  EXPECT_FALSE(priority.typed);
  EXPECT_EQ(rows[1].choices, (std::vector<std::string>{"Active high", "Active low"}));
  EXPECT_TRUE(rows[1].typed);
  EXPECT_TRUE(rows[3].choices.empty());
  EXPECT_EQ(rows[3].description,
            "Length of the period in ticks of the chosen time base;\nthe PWM frequency is the time base frequency "
            "divided by this\nvalue.\n");
}

struct CValueCase {
  const char* name;
  const char* param;
  const char* typed;
  const char* stored;
  const char* shown;
};

class FuncDialogValueTest : public FuncDialogModelTest, public ::testing::WithParamInterface<CValueCase> {};

TEST_P(FuncDialogValueTest, DisplayTextBecomesTheCName) {
  const CValueCase& c = GetParam();
  CModel model(*doc, CModel::kAddFunction, 0, nullptr, 20);
  ASSERT_TRUE(SelectByName(model, "PWM"));
  int row = ParamRow(model, c.param);
  ASSERT_TRUE(model.SetParamValue(row, c.typed));
  EXPECT_EQ(ParamValue(model, c.param), c.stored);
  EXPECT_EQ(model.ParamRows()[static_cast<std::size_t>(row)].value, c.shown);
}

INSTANTIATE_TEST_SUITE_P(
    Values, FuncDialogValueTest,
    ::testing::Values(CValueCase{"ListedDisplayText", "polarity", "Active low", "KIVO_ACTIVE_LOW", "Active low"},
                      CValueCase{"DisplayTextInOtherCase", "priority", "high", "HV_KIVO_PRIORITY_HIGH", "High"},
                      CValueCase{"CNameAsTyped", "timebase", "KIVO_PWM_TCR2", "KIVO_PWM_TCR2", "TCR2"},
                      CValueCase{"UnlistedText", "polarity", "MY_POLARITY", "MY_POLARITY", "MY_POLARITY"},
                      CValueCase{"PlainNumber", "period", " 20000 ", "20000", "20000"},
                      CValueCase{"Missing", "duty", "", "", "?"}),
    [](const auto& row) { return std::string(row.param.name); });

TEST_F(FuncDialogModelTest, ValueThatSelectsAnotherAssignmentBlockRebuildsTheChannels) {
  CModel model(*doc, CModel::kAddFunction, 1, nullptr, 20);
  ASSERT_TRUE(SelectByName(model, "Stepper_Ramp"));
  EXPECT_EQ(Channels(model), (std::vector<std::string>{"phase_a=20", "phase_b=21", "phase_c=22", "phase_d=23"}));
  ASSERT_TRUE(model.SetChannelNumber(0, "24"));
  ASSERT_TRUE(model.SetParamValue(ParamRow(model, "phases"), "Two phases (bipolar motor, H bridges)"));
  // The first channel's number carries over into the other block.
  EXPECT_EQ(Channels(model), (std::vector<std::string>{"phase_a=24", "phase_b=25"}));
  EXPECT_EQ(model.AssignmentText(),
            "(phases = KIVO_STEP_2_PHASE) phase_a = first_channel; phase_b = first_channel + 1");
  std::vector<CFuncChannelRow> rows = model.ChannelRows();
  EXPECT_TRUE(rows[0].assignable);
  EXPECT_FALSE(rows[1].assignable);
}

TEST_F(FuncDialogModelTest, ChannelParameterOffersTheLinkedFunctionsChannelsOfThisEngine) {
  CModel model(*doc, CModel::kAddFunction, 0, nullptr, 20);
  ASSERT_TRUE(SelectByName(model, "ADCTRIG"));
  CFuncParamRow row = model.ParamRows()[static_cast<std::size_t>(ParamRow(model, "pwm_dtpwm_chan"))];
  // PWM and DTPWM on engine A in project order; the trigger and engine B's functions are no choice.
  EXPECT_EQ(row.choices, (std::vector<std::string>{"PWM0_OUTPUT", "PWM1_OUTPUT", "DTPWM0_HIGH", "DTPWM0_LOW",
                                                   "KIVO_CHAN_NOT_USED"}));
  EXPECT_TRUE(row.typed);
  ASSERT_TRUE(model.SetParamValue(ParamRow(model, "pwm_dtpwm_chan"), "PWM1_OUTPUT"));
  EXPECT_NE(model.GeneratedCode().find("PWM1_OUTPUT,\t/* pwm_dtpwm_chan: PWM1_OUTPUT */"), std::string::npos);

  // The function being edited is not a choice of its own.
  CModel sync(*doc, CModel::kEdit, 0, &Configured("PWM1"));
  ASSERT_TRUE(sync.ChooseInitCall(2));
  CFuncParamRow master = sync.ParamRows()[static_cast<std::size_t>(ParamRow(sync, "master_pwm_chan"))];
  EXPECT_EQ(master.choices, (std::vector<std::string>{"PWM0_OUTPUT", "KIVO_CHAN_NOT_USED"}));
}

// ---- The non-API page

// The most parameters the page allows must come back as a function when the
// project is read again, not as a call kept as written.
TEST_F(FuncDialogModelTest, TheLargestParameterCountReadsBack) {
  CModel model(*doc, CModel::kAddFunction, 1, nullptr, 20);
  ASSERT_TRUE(SelectByName(model, "GPIO"));
  ASSERT_TRUE(model.SetParamCount(model.ParamCountLimit()));
  ASSERT_TRUE(model.CheckForAccept());
  const std::size_t before = doc->Functions().size();
  ASSERT_TRUE(doc->AddConfiguredFunction(model.TakeAccepted()));
  std::string source, header;
  ASSERT_TRUE(doc->GenerateProjectTexts("kivo_vam.h", source, header));

  CProjDoc reread(*s_kb);
  ports.messages.Clear();
  ASSERT_TRUE(reread.ReadProjectTexts(source, header));
  EXPECT_EQ(reread.Functions().size(), before + 1);
  EXPECT_TRUE(ports.messages.Ids().empty()) << ports.messages.Ids().size();
}

TEST_F(FuncDialogModelTest, ParameterCountIsClampedAndTakenAwayValuesComeBackInOrder) {
  CModel model(*doc, CModel::kAddFunction, 1, nullptr, 20);
  ASSERT_TRUE(SelectByName(model, "GPIO"));
  // The description bounds the count to 8.
  EXPECT_EQ(model.ParamCountLimit(), 8);
  EXPECT_EQ(model.ClampParamCount("12"), 8);
  EXPECT_EQ(model.ClampParamCount("0x3"), 3);
  EXPECT_EQ(model.ClampParamCount("-2"), 0);
  EXPECT_EQ(model.ClampParamCount("three"), 0);
  EXPECT_EQ(model.ClampParamCount(""), 0);

  ASSERT_TRUE(model.SetParamCount(4));
  for (int row = 0; row < 4; ++row)
    ASSERT_TRUE(model.SetRawParamValue(row, std::string(1, static_cast<char>('a' + row))));
  ASSERT_TRUE(model.SetParamCount(2));
  ASSERT_TRUE(model.SetParamCount(1));
  ASSERT_TRUE(model.SetParamCount(3));
  std::vector<CFuncParamRow> rows = model.RawParamRows();
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0].name, "Parameter 1");
  EXPECT_EQ(rows[2].name, "Parameter 3");
  EXPECT_EQ(rows[1].value, "b");
  EXPECT_EQ(rows[2].value, "c");
  ASSERT_TRUE(model.SetParamCount(6));
  rows = model.RawParamRows();
  EXPECT_EQ(rows[3].value, "d");
  EXPECT_EQ(rows[4].value, "0");
  EXPECT_EQ(rows[5].value, "0");
  ASSERT_TRUE(model.SetParamCount(50));
  EXPECT_EQ(model.ParamCount(), 8);

  // Another entry has a memory of its own.
  ASSERT_TRUE(SelectByName(model, "HALL"));
  ASSERT_TRUE(model.SetParamCount(1));
  EXPECT_EQ(model.RawParamRows()[0].value, "0");
  // An API copy has no such page.
  ASSERT_TRUE(SelectByName(model, "PWM"));
  EXPECT_FALSE(model.SetParamCount(2));
  EXPECT_EQ(model.Group(1), nullptr);
}

TEST_F(FuncDialogModelTest, ChannelChoiceComesFromTheFreeList) {
  CModel model(*doc, CModel::kEdit, 1, &Configured("GPIO"));
  EXPECT_FALSE(model.CurrentIsApi());
  // Channel 8 is the function's own, so it is free to keep.
  ASSERT_GE(model.ChannelChoice(), 0);
  EXPECT_EQ(model.FreeChannels()[static_cast<std::size_t>(model.ChannelChoice())], 8);
  ASSERT_TRUE(model.SetChannelChoice(0));
  EXPECT_EQ(Channels(model), (std::vector<std::string>{"channel=2"}));
  EXPECT_FALSE(model.SetChannelChoice(static_cast<int>(model.FreeChannels().size())));

  // A start channel another function holds is in no list; OK says whose it is.
  CModel taken(*doc, CModel::kAddFunction, 1, nullptr, 4);
  ASSERT_TRUE(SelectByName(taken, "GPIO"));
  EXPECT_EQ(taken.ChannelChoice(), -1);
  EXPECT_EQ(taken.ChannelProblem(), "The channel number 4 is already assigned a function ('UART::tx')");
  ASSERT_NE(taken.Group(4), nullptr);
  EXPECT_NE(taken.Group(4)->Find("FNAPI.PRIORITY"), nullptr);
}

// ---- The code

TEST_F(FuncDialogModelTest, CodeIsWhatASaveWritesWithWindowsLineEnds) {
  const std::pair<const char*, int> entries[] = {{"PWM", 20}, {"GPIO", 22}, {"UART", 24}};
  for (const auto& [name, start] : entries) {
    SCOPED_TRACE(name);
    CModel model(*doc, CModel::kAddFunction, 1, nullptr, start);
    ASSERT_TRUE(SelectByName(model, name));
    if (!model.CurrentIsApi()) {
      ASSERT_TRUE(model.SetParamCount(2));
      ASSERT_TRUE(model.SetRawParamValue(1, "my_table"));
    }
    std::string code = model.GeneratedCode();
    EXPECT_EQ(ReplaceAll(code, "\r\n", "").find('\n'), std::string::npos);
    EXPECT_NE(code.find("\r\n"), std::string::npos);
    // Once in the project, the function writes what the box showed, under
    // the instance name it now has (PWM2: the sample holds two).
    std::unique_ptr<CFuncInfo> added = model.Current()->Clone();
    const CFuncInfo* inProject = added.get();
    ASSERT_TRUE(doc->AddConfiguredFunction(std::move(added)));
    std::string written;
    inProject->GenerateInitCode(written);
    EXPECT_EQ(ReplaceAll(code, "\r\n", "\n"), written);
    if (std::string(name) == "UART") {
      EXPECT_NE(code.find("(UART1_TX,"), std::string::npos) << code;
    }
  }

  // An edit shows the instance it edits, not the next one.
  CModel edit(*doc, CModel::kEdit, 0, &Configured("PWM1"));
  ASSERT_NE(edit.Current(), nullptr);
  EXPECT_NE(edit.GeneratedCode().find("(PWM1_OUTPUT,"), std::string::npos) << edit.GeneratedCode();
  EXPECT_EQ(edit.GeneratedCode().find("PWMx"), std::string::npos);
}

}  // namespace
