// Channel assignment, defaults, loads with their inputs and the channel links of a project.
#include <algorithm>
#include <functional>
#include <map>

#include "evalfixture.h"
#include "knowledge/apimeta.h"
#include "project/loadcontext.h"

namespace {

using CApi = CProjDoc::CFuncInfo_Api;

// The channel map the function's channels stand for, as the dialog hands it back.
CApi::CChannelMap MapOf(const CApi& func) {
  CApi::CChannelMap map;
  for (const auto& channel : func.channels)
    if (channel->param)
      map[channel->param] = channel->number;
  return map;
}

bool Contains(const std::vector<std::string>& list, const std::string& item) {
  return std::find(list.begin(), list.end(), item) != list.end();
}

// Clock 100 MHz / 2; engine A TCR1 25 MHz, TCR2 1 MHz; engine B TCR1 12.5 MHz, TCR2 500 kHz.
constexpr double kCost = 200.0 / 50e6;

struct CLoadRow {
  const char* name;
  const char* func;
  const char* init;
  int engine;
  int start;
  std::map<std::string, std::string> params;
  std::map<std::string, std::string> inputs;
  std::map<std::string, double> loads;  // channel -> expected load
};

}  // namespace

class CBundledLoadTest : public CEvalFixture, public ::testing::WithParamInterface<CLoadRow> {};

TEST_P(CBundledLoadTest, ComputesEveryChannelLoad) {
  const CLoadRow& row = GetParam();
  auto func = Make(row.func, row.init, row.engine, row.start);
  for (const auto& [name, value] : row.params)
    SetValue(*func, name, value);
  ASSERT_TRUE(func->BuildChannels(MapOf(*func)));
  func->loadInputs.values = row.inputs;

  ASSERT_TRUE(func->ComputeLoad(true)) << ports.messages.Messages().size();
  EXPECT_TRUE(ports.messages.Messages().empty());
  EXPECT_EQ(func->hasLoadInputs, !row.inputs.empty());
  ASSERT_EQ(func->channels.size(), row.loads.size());
  for (const auto& [channel, load] : row.loads) {
    const CProjDoc::CChannInfo* info = Channel(*func, channel);
    ASSERT_NE(info, nullptr) << channel;
    EXPECT_NEAR(info->load, load, 1e-9 * std::max(1.0, load)) << channel;
  }
  // Without its inputs the same function cannot be computed and says it wants them.
  func->loadInputs.values.clear();
  EXPECT_EQ(func->ComputeLoad(false), row.inputs.empty());
  EXPECT_EQ(func->hasLoadInputs, !row.inputs.empty());
  EXPECT_EQ(func->channels[0]->load, row.inputs.empty() ? row.loads.begin()->second : -1.0);
}

INSTANTIATE_TEST_SUITE_P(
    Loads, CBundledLoadTest,
    ::testing::Values(
        CLoadRow{"PwmEdgeOnTcr1", "PWM", "hv_kivo_pwm_init_edge", 0, 3,
                 {{"period", "1000"}}, {{"duty_updates", "100"}},
                 {{"output", (25e6 / 1000 * 28 + 100 * 9) * kCost}}},
        CLoadRow{"PwmEdgeOnTcr2OfEngineBHexPeriod", "PWM", "hv_kivo_pwm_init_edge", 1, 0,
                 {{"period", "0x100"}, {"timebase", "KIVO_PWM_TCR2"}}, {{"duty_updates", "0"}},
                 {{"output", (500000.0 / 256 * 28) * kCost}}},
        CLoadRow{"PwmEdgeUpdatedAtPeriodEnd", "PWM", "hv_kivo_pwm_init_edge", 0, 0,
                 {{"period", "2500"}, {"update", "KIVO_PWM_UPDATE_PERIOD_END"}},
                 {{"duty_updates", "10*10"}},
                 {{"output", (25e6 / 2500 * 34 + 100 * 5) * kCost}}},
        CLoadRow{"DtpwmAdjacentCentreAligned", "DTPWM", "hv_kivo_dtpwm_init_adjacent", 0, 4,
                 {{"period", "2000"}, {"align", "KIVO_DTPWM_CENTER"}}, {},
                 {{"high", 25e6 / 2000 * 4 * 16 * kCost}, {"low", 25e6 / 2000 * 4 * 9 * kCost}}},
        CLoadRow{"QdPhasesShareOneSubExpression", "QD", "hv_kivo_qd_init", 0, 0,
                 {{"lines_per_rev", "500"}}, {{"speed", "1200"}},
                 {{"phase_a", 2 * 500 * 1200 / 60.0 * 17 * kCost},
                  {"phase_b", 2 * 500 * 1200 / 60.0 * 17 * kCost}}},
        CLoadRow{"IcOnBothEdges", "IC", "hv_kivo_ic_init", 0, 7, {{"edge", "KIVO_EDGE_BOTH"}},
                 {{"edge_rate", "1000"}}, {{"input", 1000.0 * 2 * 12 * kCost}}},
        CLoadRow{"OddFmReadsTheClocks", "ODD", "hv_kivo_odd_init", 1, 10,
                 {{"mode", "KIVO_ODD_FM"}}, {},
                 {{"carrier", 12500000 / 1000.0}, {"upper", 50e6 / 1000}, {"lower", 500000}}}),
    [](const auto& rowInfo) { return std::string(rowInfo.param.name); });

using CEvaluationTest = CEvalFixture;

TEST_F(CEvaluationTest, BlockConditionSelectsChannelsLabelAndPriorities) {
  auto func = Make("ODD", "hv_kivo_odd_init", 0, 0);
  EXPECT_EQ(func->assignLabel, "");
  ASSERT_EQ(func->channels.size(), 1u);
  EXPECT_EQ(func->channels[0]->name, "single");
  EXPECT_EQ(func->channels[0]->priority, "priority");

  SetValue(*func, "mode", "KIVO_ODD_FM");
  CApi::CChannelMap map = MapOf(*func);
  map.begin()->second = 6;
  ASSERT_TRUE(func->BuildChannels(map));
  EXPECT_EQ(func->assignLabel, "(mode = KIVO_ODD_FM)");
  ASSERT_EQ(func->channels.size(), 3u);
  EXPECT_EQ(Channel(*func, "carrier")->number, 6);
  EXPECT_EQ(Channel(*func, "carrier")->param, func->initFunc->FindParam("channel"));
  EXPECT_EQ(Channel(*func, "upper")->number, 10);  // 9.5 rounds away from zero
  EXPECT_EQ(Channel(*func, "upper")->param, nullptr);
  EXPECT_EQ(Channel(*func, "lower")->priority, "HV_KIVO_PRIORITY_LOW");
  for (const auto& channel : func->channels)
    EXPECT_EQ(channel->owner, func.get());

  // Half-way values on both sides of zero.
  map.begin()->second = 0;
  func->BuildChannels(map);
  EXPECT_EQ(Channel(*func, "upper")->number, 4);
  EXPECT_EQ(Channel(*func, "lower")->number, -4);

  // The condition compares the whole text: a value that merely contains it does not apply.
  SetValue(*func, "mode", "KIVO_ODD_FM2");
  func->BuildChannels(map);
  EXPECT_EQ(func->assignLabel, "");
  EXPECT_NE(Channel(*func, "single"), nullptr);
}

TEST_F(CEvaluationTest, FallbackChannelsAndAssignmentErrors) {
  auto pair = Make("ODD", "hv_kivo_odd_init_pair", 0, -5);
  ASSERT_EQ(pair->channels.size(), 2u);
  EXPECT_EQ(pair->channels[1]->name, "second");
  EXPECT_EQ(pair->channels[1]->number, 1);
  pair->BuildChannels({{pair->initFunc->FindParam("second_channel"), -3}});
  EXPECT_EQ(pair->channels[0]->number, 0);  // missing
  EXPECT_EQ(pair->channels[1]->number, 0);  // negative
  pair->channels[0]->load = 7.0;
  EXPECT_TRUE(pair->ComputeLoad(true));  // no load expression: loads stay
  EXPECT_EQ(pair->channels[0]->load, 7.0);

  auto bad = Make("ODD", "hv_kivo_odd_init_bad", 0, 9);
  ASSERT_EQ(ports.messages.Ids(), std::vector<int>{4028});
  EXPECT_NE(ports.messages.Messages()[0].text.find("out = channel / 0"), std::string::npos);
  EXPECT_FALSE(bad->BuildChannels(MapOf(*bad)));
  ASSERT_EQ(bad->channels.size(), 1u);
  EXPECT_EQ(bad->channels[0]->number, 0);
}

TEST_F(CEvaluationTest, InitDefaultsTakesFirstValuesAndCountsChannels) {
  auto func = Make("QD", "hv_kivo_qd_init", 1, 12);
  EXPECT_EQ(Channel(*func, "phase_a")->number, 12);
  EXPECT_EQ(Channel(*func, "phase_b")->number, 13);
  EXPECT_EQ(ParamText(*func, "index_mode"),
            func->initFunc->FindParam("index_mode")->varDef->values.front()->name);
  EXPECT_EQ(ParamText(*func, "lines_per_rev"), "0");
  EXPECT_EQ(func->params.size(), 3u);  // priority, index_mode, lines_per_rev

  func->initFunc = nullptr;
  func->InitDefaults(2);
  EXPECT_EQ(func->initFunc, Func("QD").initFuncs.front().get());
  EXPECT_EQ(Channel(*func, "phase_a")->number, 2);
}

TEST_F(CEvaluationTest, DeclaredInputValues) {
  struct CRow {
    const char* name;
    const char* input;  // null: not given at all
    double load;        // with count = 2; -1 when the input is refused
    const char* problem;
  };
  const CRow rows[] = {
      {"Number", "40", 120, nullptr},
      {"Expression", "(3+1)*10", 120, nullptr},
      {"NamedValue", "FAST", 15000, nullptr},
      {"Missing", nullptr, -1, "but the value is missing."},
      {"Empty", "", -1, "but the value is missing."},
      {"Invalid", "fast", -1, "but the value 'fast' is invalid."},
  };
  for (const CRow& row : rows) {
    SCOPED_TRACE(row.name);
    ports.messages.Clear();
    auto func = Make("ODD", "hv_kivo_odd_init", 0, 0);
    SetValue(*func, "count", "2");
    if (row.input)
      func->loadInputs.values["rate"] = row.input;
    EXPECT_EQ(func->ComputeLoad(true), !row.problem);
    EXPECT_EQ(func->channels[0]->load, row.load);
    EXPECT_TRUE(func->hasLoadInputs);  // a declared input counts even when it is given
    if (!row.problem)
      continue;
    ASSERT_EQ(ports.messages.Ids(), std::vector<int>{4042});
    const std::string& text = ports.messages.Messages()[0].text;
    EXPECT_NE(text.find("single = rate * (count + 1)"), std::string::npos);
    EXPECT_NE(text.find("Sub-expression 'rate' Error: Understood it was \"var\" parameter, " +
                        std::string(row.problem)),
              std::string::npos)
        << text;
    CLoadEvalContext collect(CLoadEvalContext::kCollect, &func->loadInputs.values);
    EXPECT_TRUE(func->ComputeLoad(false, &collect));
    EXPECT_EQ(collect.needed, std::vector<std::string>{"rate"});
  }
}

TEST_F(CEvaluationTest, ParameterTextsAsNumbers) {
  struct CRow {
    const char* text;
    bool ok;
    double value;
  };
  const CRow rows[] = {{"0x10", true, 16}, {"2.5", true, 2.5},  {"1e3", true, 1000},
                       {".5", true, 0.5},  {"-4", true, -4},     {"010", true, 8},
                       {"12abc", false, -1}, {"3..4", false, -1},
                       // As the compiler reads the generated call: a suffix is part of the
                       // number, and "08" is no number rather than the real 8.
                       {"16u", true, 16},  {"08", false, -1},    {"08.5", true, 8.5}};
  for (const CRow& row : rows) {
    SCOPED_TRACE(row.text);
    auto func = Make("ODD", "hv_kivo_odd_init_num", 0, 0);
    SetValue(*func, "value", row.text);
    CLoadEvalContext ctx(CLoadEvalContext::kEvaluate, &func->loadInputs.values);
    EXPECT_EQ(func->ComputeLoad(false, &ctx), row.ok);
    EXPECT_EQ(func->channels[0]->load, row.value);
    EXPECT_EQ(Contains(ctx.needed, "value"), !row.ok);
  }
}

TEST_F(CEvaluationTest, ExternalVariableNamedByAParameter) {
  auto func = Make("ODD", "hv_kivo_odd_init_num", 0, 0);
  SetValue(*func, "value", "MY_LIMIT");

  CLoadEvalContext absent(CLoadEvalContext::kEvaluate, &func->loadInputs.values);
  EXPECT_FALSE(func->ComputeLoad(false, &absent));
  EXPECT_EQ(absent.needed, std::vector<std::string>{"MY_LIMIT"});
  EXPECT_EQ(absent.externals.count("MY_LIMIT"), 1u);
  EXPECT_EQ(absent.messages, "");
  EXPECT_TRUE(func->hasLoadInputs);

  func->loadInputs.values["MY_LIMIT"] = "250";
  EXPECT_TRUE(func->ComputeLoad(true));
  EXPECT_EQ(func->channels[0]->load, 250);

  func->loadInputs.values["MY_LIMIT"] = "2+";
  CLoadEvalContext invalid(CLoadEvalContext::kEvaluate, &func->loadInputs.values);
  EXPECT_FALSE(func->ComputeLoad(false, &invalid));
  EXPECT_EQ(invalid.messages,
            "Sub-expression 'value' Error: Understood it was external variable 'MY_LIMIT', but "
            "the value '2+' is invalid.");
  EXPECT_TRUE(ports.messages.Messages().empty());
}

TEST_F(CEvaluationTest, DefinedValueNamesCompareEqualAcrossSubExpressions) {
  struct CRow {
    const char* mode;
    const char* other;
    double load;
  };
  const CRow rows[] = {{"KIVO_ODD_AM", "KIVO_ODD_AM", 1},
                       {"KIVO_ODD_PM", "KIVO_ODD_PM", 3},
                       {"KIVO_ODD_AM", "KIVO_ODD_FM", 0},
                       {"KIVO_ODD_FM", "KIVO_ODD_PM", 2}};
  for (const CRow& row : rows) {
    SCOPED_TRACE(std::string(row.mode) + " " + row.other);
    auto func = Make("ODD", "hv_kivo_odd_init_enum", 0, 0);
    SetValue(*func, "mode", row.mode);
    SetValue(*func, "other", row.other);
    ASSERT_TRUE(func->ComputeLoad(true));
    EXPECT_EQ(func->channels[0]->load, row.load);
  }
}

TEST_F(CEvaluationTest, RecursiveLoadExpressionIsStopped) {
  auto func = Make("ODD", "hv_kivo_odd_init_rec", 0, 0);
  func->channels[0]->load = 3.0;
  EXPECT_FALSE(func->ComputeLoad(true));
  EXPECT_EQ(func->channels[0]->load, -1.0);
  EXPECT_FALSE(func->hasLoadInputs);
  ASSERT_TRUE(ports.messages.Has(4042));
  const std::string& text = ports.messages.Messages().back().text;
  EXPECT_NE(text.find("Sub-expression 'odd_ping' Error:  endless recursion detected"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("Sub-expression 'odd_pong' Error: "), std::string::npos);
}

class CChannelLinkTest : public CEvalFixture {
 protected:
  // PWM0 and PWM1 drive channels 1 and 2; PWM2 and PWM3 follow PWM1 and PWM0.
  void SetUp() override {
    CEvalFixture::SetUp();
    for (int channel : {1, 2})
      Add(Make("PWM", "hv_kivo_pwm_init_edge", 0, channel));
    Add(Make("PWM", "hv_kivo_pwm_init_sync", 0, 3), "PWM1_OUTPUT");
    Add(Make("PWM", "hv_kivo_pwm_init_sync", 0, 4), "PWM0_OUTPUT");
  }
  void Add(std::unique_ptr<CApi> func, const std::string& master = "") {
    if (!master.empty())
      SetValue(*func, "master_pwm_chan", master);
    doc->AddFunction(std::move(func));
  }
  CApi& At(std::size_t index) { return static_cast<CApi&>(*doc->Functions().at(index)); }
  std::string Master(std::size_t index) { return ParamText(At(index), "master_pwm_chan"); }
};

TEST_F(CChannelLinkTest, RemovingAFunctionRenamesAndInvalidatesLinkedChannels) {
  ASSERT_EQ(At(0).ChannelDefineName(*At(0).channels[0]), "PWM0_OUTPUT");
  CProjDoc::CChannelLinks links;
  doc->CollectChannelLinks(links);
  ASSERT_EQ(links.size(), 2u);
  EXPECT_EQ(links.at("PWM1_OUTPUT"), At(1).channels[0].get());

  auto removed = doc->RemoveFunction(&At(0));
  ASSERT_NE(removed, nullptr);
  EXPECT_EQ(Master(1), "PWM0_OUTPUT");
  EXPECT_EQ(Master(2), "_INVALID_CHANNEL");
  ASSERT_EQ(ports.messages.Ids(), std::vector<int>{551});
  EXPECT_EQ(ports.messages.Messages()[0].kind, EMessageKind::Information);
  EXPECT_EQ(ports.messages.Messages()[0].text,
            "Some parameter values were automatically updated to reflect changes made in the "
            "function list:\n\n"
            "In function 'PWM1', the parameter 'master_pwm_chan' was changed: 'PWM1_OUTPUT' -> "
            "'PWM0_OUTPUT'\n"
            "In function 'PWM2', the parameter 'master_pwm_chan' was changed: 'PWM0_OUTPUT' -> "
            "'_INVALID_CHANNEL'\n");
}

TEST_F(CChannelLinkTest, ReplacementKeepsLinksToChannelsItStillHas) {
  auto copy = At(1).Clone();
  copy->channels[0]->number = 9;
  doc->ReplaceFunction(&At(1), std::move(copy));
  EXPECT_EQ(Master(2), "PWM1_OUTPUT");
  EXPECT_TRUE(ports.messages.Messages().empty());

  // A replacement without that channel leaves the link pointing nowhere, silently when asked.
  auto other = Make("DTPWM", "hv_kivo_dtpwm_init_adjacent", 0, 20);
  doc->ReplaceFunction(&At(1), std::move(other), false);
  EXPECT_EQ(Master(2), "_INVALID_CHANNEL");
  EXPECT_EQ(Master(3), "PWM0_OUTPUT");
  EXPECT_TRUE(ports.messages.Messages().empty());
}
