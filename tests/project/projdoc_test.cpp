// Tests of the project document over the bundled library: names, copies, the function list, the configuration record and the channel checks.
#include "project/projdoc.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "bundledkb.h"
#include "common/testsupport.h"
#include "project/notesmodel.h"
#include "project/projectcheck.h"

namespace {

using CFuncInfo = CProjDoc::CFuncInfo;
using CFuncApi = CProjDoc::CFuncInfo_Api;
using CFuncNonApi = CProjDoc::CFuncInfo_NonApi;

class ProjDocTest : public CBundledKbTest {
 protected:
  const CKivoFunc& Func(const std::string& name) const {
    for (const auto& func : s_kb->fsetLib.Functions())
      if (func->name == name)
        return *func;
    throw std::runtime_error("no function " + name);
  }

  // A PWM on one channel named "output", built by hand from its API description.
  CFuncApi* AddPwm(int engine, int channel, const std::string& init = "hv_kivo_pwm_init_edge") {
    auto pwm = std::make_unique<CFuncApi>();
    pwm->function = &Func("PWM");
    pwm->initFunc = pwm->function->FindInitFunc(init);
    pwm->engine = engine;
    for (const auto& param : pwm->initFunc->params)
      if (!param->IsChannel())
        pwm->params[param.get()] = std::make_unique<CProjDoc::CParamInfo>(param->varDef);
    AddChannel(*pwm, "output", channel);
    CFuncApi* raw = pwm.get();
    doc.AddFunction(std::move(pwm));
    return raw;
  }

  CFuncNonApi* AddGpio(int engine, int channel) {
    auto gpio = std::make_unique<CFuncNonApi>();
    gpio->function = &Func("GPIO");
    gpio->engine = engine;
    gpio->doc = &doc;
    gpio->InitDefaults(channel);
    CFuncNonApi* raw = gpio.get();
    doc.AddFunction(std::move(gpio));
    return raw;
  }

  static void AddChannel(CFuncInfo& func, const std::string& name, int number) {
    auto chan = std::make_unique<CProjDoc::CChannInfo>();
    chan->owner = &func;
    chan->name = name;
    chan->number = number;
    func.channels.push_back(std::move(chan));
  }

  CRecordedPorts ports;
  CNotesModel notes;
  CProjDoc doc{*s_kb, nullptr, &notes};
};

TEST_F(ProjDocTest, InstanceAndDefineNamesFollowTheListOrder) {
  CFuncApi* first = AddPwm(0, 1);
  CFuncNonApi* gpio = AddGpio(0, 5);
  CFuncApi* second = AddPwm(1, 2);
  EXPECT_EQ(first->InstanceName(), "PWM0");
  EXPECT_EQ(second->InstanceName(), "PWM1");
  EXPECT_EQ(gpio->InstanceName(), "GPIO");
  EXPECT_EQ(second->ChannelDefineName(*second->channels[0]), "PWM1_OUTPUT");
  EXPECT_EQ(gpio->ChannelDefineName(*gpio->channels[0]), "GPIO0");
  EXPECT_EQ(first->FindChannelByName("PWM1_OUTPUT"), nullptr);

  // A copy being edited is not in the list yet.
  auto copy = first->Clone();
  EXPECT_EQ(copy->ChannelDefineName(*copy->channels[0], true), "PWMx_OUTPUT");
  EXPECT_EQ(copy->ChannelDefineName(*copy->channels[0]), "_INVALID_CHANNEL");
  EXPECT_EQ(copy->InstanceName(), "PWM");

  EXPECT_NE(doc.RemoveFunction(first, false), nullptr);
  EXPECT_EQ(second->InstanceName(), "PWM");
  EXPECT_EQ(second->ChannelDefineName(*second->channels[0]), "PWM0_OUTPUT");
  int count = 0;
  EXPECT_EQ(doc.GetInstanceIndex(copy.get(), count), -1);
  EXPECT_EQ(count, 1);
}

TEST_F(ProjDocTest, CloneIsIndependentButSharesTheLibrary) {
  CFuncApi* pwm = AddPwm(0, 3);
  CProjDoc::CParamInfo* polarity = pwm->FindParam("polarity");
  ASSERT_NE(polarity, nullptr);
  polarity->value.valueName = "KIVO_POLARITY_HIGH";

  auto copy = pwm->Clone();
  auto& api = static_cast<CFuncApi&>(*copy);
  EXPECT_EQ(api.initFunc, pwm->initFunc);
  EXPECT_EQ(api.channels[0]->owner, copy.get());
  ASSERT_NE(api.FindParam("polarity"), nullptr);
  EXPECT_EQ(api.FindParam("polarity")->value.def, polarity->value.def);

  api.channels[0]->number = 9;
  api.FindParam("polarity")->value.valueName = "KIVO_POLARITY_LOW";
  EXPECT_EQ(pwm->channels[0]->number, 3);
  EXPECT_EQ(polarity->value.valueName, "KIVO_POLARITY_HIGH");

  CFuncNonApi* gpio = AddGpio(1, 4);
  gpio->rawParams.push_back(std::make_unique<CProjDoc::CParamInfo>());
  gpio->rawParams[0]->value.valueName = "0x10";
  auto gpioCopy = gpio->Clone();
  auto& raw = static_cast<CFuncNonApi&>(*gpioCopy);
  ASSERT_NE(raw.FindParam("Parameter 1"), nullptr);
  raw.FindParam("Parameter 1")->value.valueName = "7";
  raw.Group(4).Entries()[0].value->valueName = "changed";
  EXPECT_EQ(gpio->FindParam("Parameter 1")->value.valueName, "0x10");
  EXPECT_NE(gpio->Group(4).Entries()[0].value->valueName, "changed");
}

TEST_F(ProjDocTest, RemoveAndReplaceHandOverTheNotesOwner) {
  CFuncApi* pwm = AddPwm(0, 1);
  CFuncApi* other = AddPwm(0, 2);
  notes.SetNote(pwm, 0, "PWM0", "<p>a</p>", "");
  notes.SetNote(other, 0, "PWM1", "<p>b</p>", "");

  auto edited = pwm->Clone();
  CFuncInfo* replacement = edited.get();
  auto old = doc.ReplaceFunction(pwm, std::move(edited), false);
  ASSERT_EQ(old.get(), pwm);
  EXPECT_EQ(doc.Functions()[0].get(), replacement);
  EXPECT_EQ(notes.Entries()[0].owner, replacement);

  EXPECT_EQ(doc.RemoveFunction(pwm, false), nullptr);

  EXPECT_NE(doc.RemoveFunction(other, false), nullptr);
  ASSERT_EQ(notes.Entries().size(), 1u);
  EXPECT_EQ(notes.Entries()[0].title, "PWM0");
  doc.DeleteContents();
  EXPECT_FALSE(notes.IsVisible());
}

TEST_F(ProjDocTest, RemovingAnInstanceRenamesTheLinksToTheNext) {
  CFuncApi* first = AddPwm(0, 1);
  AddPwm(0, 2);
  CFuncApi* sync = AddPwm(0, 3, "hv_kivo_pwm_init_sync");
  sync->FindParam("master_pwm_chan")->value.valueName = "PWM1_OUTPUT";
  doc.RemoveFunction(first, true);
  EXPECT_EQ(sync->FindParam("master_pwm_chan")->value.valueName, "PWM0_OUTPUT");
  EXPECT_EQ(ports.messages.Ids(), std::vector<int>{551});
}

TEST_F(ProjDocTest, CombinedValuesSpreadAndGatherAgain) {
  CKivoVarValue& tcr1 = *doc.m_combinations.at("combination0");
  ASSERT_EQ(tcr1.members.size(), 2u);
  // A new project gathers the members' first values.
  EXPECT_EQ(tcr1.valueName, "HV_KIVO_TCR1CTL_TCRCLK,HV_KIVO_TCR1CS_DIV2");

  tcr1.valueName = "HV_KIVO_TCR1CTL_KIVO_CLK,HV_KIVO_TCR1CS_FULL";
  doc.PushCombinations();
  EXPECT_EQ(doc.CfgMember(4).Find("TBCR.TCR1CTL")->valueName, "HV_KIVO_TCR1CTL_KIVO_CLK");
  EXPECT_EQ(doc.CfgMember(4).Find("TBCR.TCR1CS")->valueName, "HV_KIVO_TCR1CS_FULL");
  EXPECT_EQ(doc.CfgMember(7).Find("TBCR.TCR1CS")->valueName, "HV_KIVO_TCR1CS_DIV2");

  tcr1.valueName.clear();
  doc.PullCombinations();
  EXPECT_EQ(tcr1.valueName, "HV_KIVO_TCR1CTL_KIVO_CLK,HV_KIVO_TCR1CS_FULL");
}

TEST_F(ProjDocTest, EngineBAndKivo2MembersFollowTheProcessor) {
  ASSERT_TRUE(doc.m_cpu.Select(s_kb->cpuDb, "Vandrel V120"));
  for (int n : {6, 7, 8})
    EXPECT_NE(doc.CfgMemberText(n), "0") << "member " << n;
  EXPECT_EQ(doc.CfgMemberText(9), "0");  // watchdog fields exist on Kivo2 only

  ASSERT_TRUE(doc.m_cpu.Select(s_kb->cpuDb, "Omiro Q31"));  // Kivo2, one engine
  for (int n : {6, 7, 8, 10})
    EXPECT_EQ(doc.CfgMemberText(n), "0") << "member " << n;
  EXPECT_NE(doc.CfgMemberText(9).find("HV_KIVO_"), std::string::npos);
  EXPECT_NE(doc.CfgMemberText(5), "0");
}

TEST_F(ProjDocTest, CpuChangeReportsHomelessFunctionsAndStacUse) {
  CKivoCpu oneEngine;
  ASSERT_TRUE(oneEngine.Select(s_kb->cpuDb, "Vandrel V110"));
  AddPwm(1, 0);
  AddGpio(1, 1);
  AddPwm(0, 0);
  doc.CfgMember(5).Find("STACCR.REN2")->Set("HV_KIVO_REN2_ON", "");
  doc.CfgMember(8).Find("STACCR.REN1")->Set("HV_KIVO_REN1_ON", "");  // engine B goes away

  std::string text;
  EXPECT_FALSE(doc.CheckCpuChange(oneEngine, false, &text));
  EXPECT_EQ(text,
            "2 functions use unavalable resources and must be deleted.\n"
            "STAC Bus operation on TCR2 has to be disabled on engine A");
  EXPECT_EQ(doc.Functions().size(), 3u);

  EXPECT_FALSE(doc.CheckCpuChange(oneEngine, true));
  ASSERT_EQ(doc.Functions().size(), 1u);
  EXPECT_EQ(doc.Functions()[0]->engine, 0);
  EXPECT_EQ(doc.CfgMember(5).Find("STACCR.REN2")->valueName, "HV_KIVO_REN2_OFF");
  EXPECT_TRUE(doc.CheckCpuChange(oneEngine, false, &text));
  EXPECT_EQ(text, "");
}

TEST_F(ProjDocTest, ChannelChecksNameTheFirstProblem) {
  AddPwm(0, 4);
  AddPwm(1, 6);
  CFuncApi* edited = AddPwm(0, 7);
  struct CRow {
    const char* name;
    std::vector<int> numbers;
    int id;
    const char* text;
  };
  const CRow rows[] = {
      {"free channels", {7, 8}, 0, ""},
      {"past the last channel", {8, 32}, 4031, "The channel number 32 is invalid"},
      {"taken on this engine", {4}, 4020,
       "The channel number 4 is already assigned a function ('PWM0::output')"},
      {"taken only on the other engine", {6}, 0, ""},
      {"twice in one function", {9, 9}, 4037, "The channel number 9 is assigned twice (ch0 and ch1)"},
  };
  for (const CRow& row : rows) {
    SCOPED_TRACE(row.name);
    auto copy = edited->Clone();
    copy->channels.clear();
    for (std::size_t i = 0; i < row.numbers.size(); ++i)
      AddChannel(*copy, "ch" + std::to_string(i), row.numbers[i]);
    std::string text;
    EXPECT_EQ(doc.CheckChannels(*copy, edited, text), row.id == 0);
    EXPECT_EQ(text, row.text);
    ports.messages.Clear();
    EXPECT_EQ(doc.CheckChannels(*copy, edited), row.id == 0);
    ASSERT_EQ(ports.messages.Ids(), row.id ? std::vector<int>{row.id} : std::vector<int>{});
  }
}

TEST_F(ProjDocTest, PathsOfFoldersAndFiles) {
  CTempDir dir;
  const std::string folder = dir.Path().string();
  struct CRow {
    std::string path, c, h;
  };
  const CRow rows[] = {
      {folder, folder + "/kivo_vam.c", folder + "/kivo_vam.h"},
      {"p/x.H", "p/x.c", "p/x.H"},
      {"p/x.txt", "p/x.txt", "p/x.h"},
      {"p/x", "p/x", "p/x.h"},
  };
  for (const CRow& row : rows) {
    std::string c, h;
    CProjDoc::DerivePaths(row.path, c, h);
    EXPECT_EQ(std::filesystem::path(c), std::filesystem::path(row.c)) << row.path;
    EXPECT_EQ(h, row.h) << row.path;
  }
}

TEST_F(ProjDocTest, OpenAndSaveRefuseMissingAndProtectedFiles) {
  CTempDir dir;
  AddPwm(0, 1);
  EXPECT_FALSE(doc.OnOpenDocument((dir / "p.c").string()));
  WriteFileBytes(dir / "p.c", "");
  EXPECT_FALSE(doc.OnOpenDocument((dir / "p.c").string()));
  EXPECT_EQ(ports.messages.Ids(), (std::vector<int>{4000, 4001}));
  EXPECT_EQ(doc.Functions().size(), 1u);

  ports.messages.Clear();
  std::filesystem::permissions(dir / "p.c", std::filesystem::perms::owner_write,
                               std::filesystem::perm_options::remove);
  EXPECT_TRUE(doc.IsModified());
  EXPECT_FALSE(doc.OnSaveDocument((dir / "p.c").string()));
  EXPECT_EQ(ports.messages.Ids(), std::vector<int>{4033});
  EXPECT_TRUE(doc.IsModified());

  // A target the generator cannot write leaves the edits marked unsaved.
  EXPECT_FALSE(doc.OnSaveDocument((dir / "no/such/folder/p.c").string()));
  EXPECT_TRUE(doc.IsModified());
}

TEST_F(ProjDocTest, CommandLineFixesProcessorAndClocksAcrossNew) {
  CCommandLineOptions options{{"CPU", "Vandrel V110"}, {"SYSCLK", "80"}};
  CProjDoc locked(*s_kb, &options);
  ASSERT_TRUE(locked.OnNewDocument());
  EXPECT_EQ(locked.m_strCpu, "Vandrel V110");
  EXPECT_EQ(locked.m_cpu.engines, 1);
  EXPECT_EQ(locked.m_nSysClk, 80000000u);
  EXPECT_EQ(locked.m_nPtbClk, 0u);
  EXPECT_FALSE(locked.CanNewOrOpen());
  EXPECT_TRUE(doc.CanNewOrOpen());
  EXPECT_EQ(doc.m_nSysClk, 150000000u);
}

TEST_F(ProjDocTest, AFunctionNeedsAnEngineTheProcessorHas) {
  ASSERT_TRUE(doc.m_cpu.Select(s_kb->cpuDb, "Vandrel V110"));
  struct CRow {
    const char* name;
    int engine;
    bool added;
  };
  const CRow rows[] = {{"engine A", 0, true}, {"engine B", 1, false}, {"not yet known", -1, true},
                       {"beyond B", 2, false}};
  for (const CRow& row : rows) {
    auto gpio = std::make_unique<CFuncNonApi>();
    gpio->function = &Func("GPIO");
    gpio->engine = row.engine;
    std::size_t before = doc.Functions().size();
    EXPECT_EQ(doc.AddFunction(std::move(gpio)), row.added) << row.name;
    EXPECT_EQ(doc.Functions().size(), before + (row.added ? 1 : 0)) << row.name;
  }
}

// A PWM as the driver adds it: its first init function with the defaults.
CFuncApi* AddDefaultPwm(CProjDoc& doc, const CKivoFunc& pwm, int engine, int channel) {
  auto func = std::make_unique<CFuncApi>();
  func->doc = &doc;
  func->function = &pwm;
  func->initFunc = pwm.initFuncs.front().get();
  func->engine = engine;
  func->InitDefaults(channel);
  CFuncApi* raw = func.get();
  EXPECT_TRUE(doc.AddFunction(std::move(func)));
  return raw;
}

std::vector<int> FindingIds(const std::vector<CProjectFinding>& findings) {
  std::vector<int> ids;
  for (const auto& finding : findings)
    ids.push_back(finding.id);
  return ids;
}

TEST_F(ProjDocTest, CheckBeforeSaveFindsWhatTheDesktopWouldRefuse) {
  ASSERT_TRUE(doc.m_cpu.Select(s_kb->cpuDb, "Vandrel V120"));  // up to 132 MHz
  EXPECT_EQ(FindingIds(CheckProjectBeforeSave(doc)), std::vector<int>{4035}) << "150 MHz";
  doc.m_nSysClk = 132000000;
  EXPECT_EQ(CheckProjectBeforeSave(doc), std::vector<CProjectFinding>{}) << "an empty project";

  // A load that lacks only the input the user has not typed yet is no finding.
  CFuncApi* pwm = AddDefaultPwm(doc, Func("PWM"), 0, 0);
  EXPECT_EQ(CheckProjectBeforeSave(doc), std::vector<CProjectFinding>{});

  pwm->loadInputs.values["duty_updates"] = "lots";
  EXPECT_EQ(FindingIds(CheckProjectBeforeSave(doc)), std::vector<int>{4042}) << "an input that does not read";
  pwm->loadInputs.values["duty_updates"] = "1000";
  doc.m_nSysClk = 0;
  std::vector<CProjectFinding> findings = CheckProjectBeforeSave(doc);
  ASSERT_EQ(FindingIds(findings), (std::vector<int>{4084, 4042})) << "a zero clock, and a division by it";
  EXPECT_NE(findings[1].text.find("Error in 'PWM' load expression"), std::string::npos) << findings[1].text;
  doc.m_nSysClk = 100000000;
  EXPECT_EQ(CheckProjectBeforeSave(doc), std::vector<CProjectFinding>{});
  EXPECT_EQ(pwm->channels[0]->load, -1.0) << "the check keeps none of the loads it worked out";

  // A clash is reported once, by the later function.
  AddGpio(0, 0);
  AddGpio(1, 0);
  findings = CheckProjectBeforeSave(doc);
  ASSERT_EQ(FindingIds(findings), std::vector<int>{4020});
  EXPECT_EQ(findings[0].text, "The channel number 0 is already assigned a function ('PWM::output')");
}

TEST_F(ProjDocTest, CheckBeforeSaveWordsAOneEngineProcessorAsAProcessorChange) {
  AddPwm(1, 0);
  AddGpio(1, 1);
  AddPwm(0, 0);
  // As a file naming a one-engine processor is read: the functions stay where the file put them.
  ASSERT_TRUE(doc.m_cpu.Select(s_kb->cpuDb, "Vandrel V110"));
  doc.m_nSysClk = 80000000;
  std::vector<CProjectFinding> findings = CheckProjectBeforeSave(doc);
  ASSERT_EQ(FindingIds(findings), std::vector<int>{4504});
  EXPECT_EQ(findings[0].text, "2 functions use unavalable resources and must be deleted.");
  EXPECT_EQ(doc.Functions().size(), 3u) << "a check removes nothing";
}

TEST_F(ProjDocTest, CheckBeforeSaveFindsALinkToAChannelNoFunctionDefines) {
  doc.m_pFSet = s_kb->fsetLib.FindSet("kivo2/kivo_set_k2_motion.h");
  ASSERT_NE(doc.m_pFSet, nullptr);
  const CKivoFunc* adctrig = doc.m_pFSet->FindFunc("ADCTRIG");
  ASSERT_NE(adctrig, nullptr);
  AddDefaultPwm(doc, *doc.m_pFSet->FindFunc("PWM"), 0, 0);
  auto trigger = std::make_unique<CFuncApi>();
  trigger->doc = &doc;
  trigger->function = adctrig;
  trigger->initFunc = adctrig->initFuncs.front().get();
  trigger->engine = 0;
  trigger->InitDefaults(8);
  CProjDoc::CParamInfo* link = trigger->FindParam("pwm_dtpwm_chan");
  ASSERT_NE(link, nullptr);
  CFuncApi* raw = trigger.get();
  ASSERT_TRUE(doc.AddFunction(std::move(trigger)));
  struct CRow {
    const char* name;
    const char* value;
    bool found;
  };
  const CRow rows[] = {{"a defined channel", "PWM0_OUTPUT", false},
                       {"a renamed channel", "PWM3_OUTPUT", true},
                       {"nothing chosen", "", false}};
  for (const CRow& row : rows) {
    raw->FindParam("pwm_dtpwm_chan")->value.Set(row.value, "");
    std::vector<CProjectFinding> findings = CheckProjectBeforeSave(doc);
    bool named = false;
    for (const auto& finding : findings)
      named = named || finding.text.find(std::string("'") + row.value + "'") != std::string::npos;
    EXPECT_EQ(named, row.found) << row.name;
  }
}

TEST(LoadVarVals, TextFormRoundTripsAndSkipsBadPieces) {
  CProjDoc::CLoadVarVals vals;
  vals.values["kept"] = "1";
  vals.FromText("  rate = 200 ;\n  bad;\n  a=b=c;\n  empty=;\n  =3;\nlast=x");
  EXPECT_EQ(vals.values, (std::map<std::string, std::string>{{"kept", "1"}, {"last", "x"}, {"rate", "200"}}));
  EXPECT_EQ(vals.ToText(), "  kept=1;\n  last=x;\n  rate=200;\n");
  CProjDoc::CLoadVarVals back;
  back.FromText(vals.ToText());
  EXPECT_EQ(back, vals);
}

}  // namespace
