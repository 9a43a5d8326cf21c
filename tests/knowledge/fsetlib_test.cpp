// Set headers found in a crafted function-set folder: scan order, slots, shared functions, lookups and progress.
#include <gtest/gtest.h>

#include <set>

#include "kbfixture.h"
#include "knowledge/kbtext.h"

namespace {

using FSetLibTest = CKbFixture;

std::vector<std::string> SlotNames(const CKivoFSet& set) {
  std::vector<std::string> names;
  for (const CKivoFunc* func : set.slots)
    names.push_back(func ? func->name : "-");
  return names;
}

TEST_F(FSetLibTest, SetHeadersAreFoundByNameInCaseInsensitiveOrderDepthFirst) {
  std::vector<std::string> paths;
  for (const auto& set : kb.fsetLib.Sets())
    paths.push_back(set->relativePath);
  // KIVO_SET_UPPER.H has an upper-case extension and is no set header.
  EXPECT_EQ(paths, (std::vector<std::string>{"kivo_set_main.h", "Kivo_Set_Mixed.h", "sub/kivo_set_second.h"}));
  const CKivoFSet& second = Set("sub/kivo_set_second.h");
  EXPECT_EQ(second.fileName, "kivo_set_second.h");
  EXPECT_EQ(second.path, Fsets("sub/kivo_set_second.h"));
  EXPECT_EQ(second.owner, &kb.fsetLib);
}

TEST_F(FSetLibTest, TheFunctionListGivesOneSlotPerEntry) {
  const CKivoFSet& main = Set("kivo_set_main.h");
  EXPECT_EQ(SlotNames(main), (std::vector<std::string>{"PWM", "-", "PPA", "PWM_2_out", "-", "RETRY", "DEEP",
                                                       "SELFINC", "NOAPI", "QOM"}));
  EXPECT_EQ(Func("PWM - Pulse width modulation").title, "Pulse Width Modulation");
  EXPECT_EQ(Func("PPA - Period and pulse accumulate").title, "PPA - Period and pulse accumulate");
  EXPECT_EQ(Func("PWM.2 out").name, "PWM_2_out");
  EXPECT_EQ(Func("PWM.2 out").apiHeaderRelPath, "api/kivo_pwm_2_out.h");
  EXPECT_TRUE(Set("Kivo_Set_Mixed.h").slots.empty());
}

TEST_F(FSetLibTest, DefinesGiveTheMiscValueAndTheEntryTable) {
  EXPECT_EQ(Set("kivo_set_main.h").miscValue, "0x1A2B3C4D");
  EXPECT_EQ(Set("kivo_set_main.h").entryTable, "2048");
  EXPECT_EQ(Set("Kivo_Set_Mixed.h").miscValue, "12");
  EXPECT_EQ(Set("Kivo_Set_Mixed.h").entryTable, "");
}

TEST_F(FSetLibTest, PresumedSettingsComeFromTheFirstCommentAndAreChecked) {
  EXPECT_EQ(Set("kivo_set_main.h").presumedSettings,
            (std::vector<std::string>{"HV_KIVO_ENTRY_TABLE_STANDARD", "HV_KIVO_MISC_ENABLED",
                                      "HV_KIVO_ENTRY_TABLE_STANDARD"}));
  EXPECT_EQ(Texts(4038),
            std::vector<std::string>{"Invalid presumed setting 'HV_KIVO_NOT_DESCRIBED' found in 'kivo_set_main.h'."});
}

TEST_F(FSetLibTest, TheSlotWalkVisitsFilledSlotsOnly) {
  const CKivoFSet& main = Set("kivo_set_main.h");
  std::vector<std::string> visited;
  for (int position = main.FirstSlot(); position != 0;)
    visited.push_back(main.NextFunc(position)->name);
  EXPECT_EQ(visited, (std::vector<std::string>{"PWM", "PPA", "PWM_2_out", "RETRY", "DEEP", "SELFINC", "NOAPI",
                                               "QOM"}));
  EXPECT_EQ(Set("Kivo_Set_Mixed.h").FirstSlot(), 0);
}

TEST_F(FSetLibTest, AFunctionListedByTwoSetsIsOneObjectOwnedByTheFirst) {
  const CKivoFSet& main = Set("kivo_set_main.h");
  const CKivoFSet& second = Set("sub/kivo_set_second.h");
  const CKivoFunc& pwm = Func("PWM - Pulse width modulation");
  EXPECT_EQ(main.slots[0], &pwm);
  EXPECT_EQ(second.slots[1], &pwm);
  EXPECT_EQ(pwm.owner, &main);
  EXPECT_EQ(pwm.FunctionNumber(), 0);
  EXPECT_EQ(second.slots[0], main.slots[9]);
  // The same name under another entry text is another function.
  const CKivoFunc& otherPpa = Func("PPA - a different description makes a different function");
  EXPECT_NE(&otherPpa, main.slots[2]);
  EXPECT_EQ(otherPpa.owner, &second);
  EXPECT_EQ(otherPpa.FunctionNumber(), 2);
  std::vector<std::string> created;
  for (const auto& func : kb.fsetLib.Functions())
    created.push_back(func->name);
  EXPECT_EQ(created, (std::vector<std::string>{"PWM", "PPA", "PWM_2_out", "RETRY", "DEEP", "SELFINC", "NOAPI",
                                               "QOM", "PPA"}));
}

TEST_F(FSetLibTest, LookupsOverSetsAndFunctions) {
  const CKivoFSet& main = Set("kivo_set_main.h");
  EXPECT_EQ(kb.fsetLib.FindSet("SUB/Kivo_Set_Second.H"), &Set("sub/kivo_set_second.h"));
  EXPECT_EQ(kb.fsetLib.FindSet("elsewhere\\KIVO_SET_MAIN.h"), &main);
  EXPECT_EQ(kb.fsetLib.FindSet("kivo_set_none.h"), nullptr);
  EXPECT_EQ(main.FindFunc("pwm_2_OUT"), main.slots[3]);
  EXPECT_EQ(main.FindFunc("STARRED"), nullptr);
  const CKivoInitFunc* initFunc = nullptr;
  EXPECT_EQ(main.FindByInitName("hv_kivo_pwm_init_dual", &initFunc), main.slots[0]);
  ASSERT_NE(initFunc, nullptr);
  EXPECT_EQ(initFunc->name, "hv_kivo_pwm_init_dual");
  EXPECT_EQ(main.FindByInitName("HV_KIVO_PWM_INIT"), nullptr);
  EXPECT_EQ(main.slots[0]->FindInitFunc("hv_kivo_pwm_init_body"), nullptr);
}

TEST_F(FSetLibTest, FunctionsWithoutAHeaderStayInTheirSlotWithoutApi) {
  const CKivoFunc& noApi = Func("NOAPI - function without header");
  EXPECT_EQ(noApi.hasApi, 0);
  EXPECT_EQ(noApi.apiHeaderPath, "");
  const CKivoFunc& qom = Func("QOM");
  EXPECT_EQ(qom.hasApi, 0);
  EXPECT_TRUE(qom.initFuncs.empty());
  EXPECT_EQ(qom.apiHeaderPath, Fsets("api/kivo_qom.h"));
  EXPECT_EQ(qom.apiHeaderRelPath, "");
}

TEST_F(FSetLibTest, TheHeaderSearchGoesOnPastAHeaderThatDeclaresNothing) {
  const CKivoFunc& retry = Func("RETRY");
  EXPECT_EQ(retry.hasApi, 1);
  EXPECT_EQ(retry.apiHeaderRelPath, "sub/kivo_retry.h");
  ASSERT_EQ(retry.loadExprs.size(), 1u);
  EXPECT_EQ(retry.FindLoadExpr("retry_load")->exprText, "retry_load = 2");
  EXPECT_EQ(Param("RETRY", "hv_kivo_retry_init", "channel").description, "the retried channel\n");
  for (const std::string& text : Texts(4041))
    EXPECT_EQ(text.find("retry"), std::string::npos) << text;
}

TEST_F(FSetLibTest, ProgressGivesEachSetSixteenStepsAndNamesEverySetAndEntry) {
  const auto& steps = ports.progress.steps;
  ASSERT_FALSE(steps.empty());
  EXPECT_EQ(steps.front().position, 0);
  EXPECT_EQ(steps.front().range, 16 * 3 + 4);
  // The set without entries still moves the bar on to the next set's share.
  std::set<int> boundaries;
  for (const auto& step : steps)
    if (step.position % 16 == 0)
      boundaries.insert(step.position);
  EXPECT_EQ(boundaries, (std::set<int>{0, 16, 32, 48}));
  EXPECT_EQ(steps.back().position, 48);
  for (std::size_t i = 1; i < steps.size(); ++i)
    EXPECT_GE(steps[i].position, steps[i - 1].position) << i;
  const auto& texts = ports.progress.texts;
  auto has = [&](const std::string& text) { return std::find(texts.begin(), texts.end(), text) != texts.end(); };
  EXPECT_TRUE(has("Loading Function Set 'kivo_set_main.h'"));
  EXPECT_TRUE(has("Loading Function Set 'kivo_set_main.h', 'PWM - Pulse width modulation'"));
  EXPECT_TRUE(has("Loading Function Set 'Kivo_Set_Mixed.h'"));
  EXPECT_TRUE(has("Loading Function Set 'kivo_set_second.h', 'QOM'"));
  EXPECT_TRUE(has("Loading Applications"));
  EXPECT_TRUE(has("Loading Application 'kivo_app_motor.h'"));
}

// Within a set the bar moves by 16 * entries done / entries; the main set
// has nine non-empty entries.
TEST_F(FSetLibTest, EntryProgressSpreadsTheSetsShareOverItsEntries) {
  std::vector<int> positions;
  for (const auto& step : ports.progress.steps)
    if (step.text.rfind("Loading Function Set 'kivo_set_main.h', ", 0) == 0 && step.position < 16)
      positions.push_back(step.position);
  EXPECT_EQ(positions, (std::vector<int>{0, 1, 3, 5, 7, 8, 10, 12, 14}));
}

TEST(FSetLibEmpty, AMissingFolderGivesAnEmptyLibrary) {
  CRecordedPorts ports;
  CKivoFSetLib lib;
  EXPECT_EQ(lib.LoadAll(FixturePath("kb/no-such-folder").string(), nullptr), 0);
  EXPECT_TRUE(lib.Sets().empty());
  EXPECT_TRUE(ports.messages.Messages().empty());
}

}  // namespace
