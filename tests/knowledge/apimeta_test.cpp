// API metadata read from crafted API headers and sources: prototypes, channel blocks, load expressions, descriptions.
#include <gtest/gtest.h>

#include "kbfixture.h"

namespace {

const char* const kPwm = "PWM - Pulse width modulation";
const char* const kInit = "hv_kivo_pwm_init";
const char* const kDual = "hv_kivo_pwm_init_dual";

using ApiMetaTest = CKbFixture;

std::vector<std::string> ParamNames(const CKivoInitFunc& initFunc) {
  std::vector<std::string> names;
  for (const auto& param : initFunc.params)
    names.push_back(param->type + "|" + param->name);
  return names;
}

TEST_F(ApiMetaTest, PrototypesEndingInASemicolonAreInitialisationFunctions) {
  const CKivoFunc& pwm = Func(kPwm);
  ASSERT_EQ(pwm.initFuncs.size(), 2u);
  EXPECT_EQ(pwm.initFuncs[0]->name, kInit);
  EXPECT_EQ(pwm.initFuncs[1]->name, kDual);
  EXPECT_EQ(pwm.hasApi, 1);
  EXPECT_EQ(pwm.apiHeaderRelPath, "api/kivo_pwm.h");
  EXPECT_EQ(ParamNames(Init(kPwm, kInit)),
            (std::vector<std::string>{"uint8_t|channel", "pwm_mode_t|mode", "uint8_t|edge", "uint8_t|prio",
                                      "uint32_t|pwm_priority", "const uint24_t|period"}));
  EXPECT_EQ(ParamNames(Init(kPwm, kDual)),
            (std::vector<std::string>{"uint8_t|channel", "uint8_t|channel2", "const pwm_mode_t|mode"}));
  EXPECT_EQ(Init(kPwm, kInit).owner, &pwm);
  EXPECT_EQ(Init(kPwm, kInit).params[0]->owner, &Init(kPwm, kInit));
}

TEST_F(ApiMetaTest, VoidIsAParameterWhileEmptyListsAndArraysRejectThePrototype) {
  const CKivoFunc& ppa = Func("PPA - Period and pulse accumulate");
  ASSERT_EQ(ppa.initFuncs.size(), 2u);
  EXPECT_EQ(ppa.initFuncs[1]->name, "hv_kivo_ppa_finit");
  for (const auto& initFunc : ppa.initFuncs)
    EXPECT_EQ(ParamNames(*initFunc), std::vector<std::string>{"|void"});
  EXPECT_TRUE(Func("QOM").initFuncs.empty());
  // The full name is read even from a header without an API.
  EXPECT_EQ(Func("QOM").title, "Queued output match");
  EXPECT_EQ(Func("PWM.2 out").title, "Two outputs");
}

TEST_F(ApiMetaTest, LinkedFunctionsNameFunctionsOfTheOwningSet) {
  const CKivoInitFunc& out = Init("PWM.2 out", "kivo_pwm_2_out_init");
  const CKivoFSet& main = Set("kivo_set_main.h");
  std::vector<const CKivoFunc*> linked;
  EXPECT_EQ(out.FindParam("ppa_pwm_chan")->LinkedFunctions(linked), 2);
  EXPECT_EQ(linked, (std::vector<const CKivoFunc*>{main.slots[2], main.slots[0]}));
  EXPECT_EQ(out.FindParam("qom_chan")->LinkedFunctions(linked), 1);
  EXPECT_EQ(linked, std::vector<const CKivoFunc*>{main.slots[9]});
  // Names not ending in "_chan" leave the list alone.
  EXPECT_EQ(out.FindParam("chan")->LinkedFunctions(linked), 0);
  EXPECT_EQ(out.FindParam("pwm_chan_x")->LinkedFunctions(linked), 0);
  EXPECT_EQ(linked.size(), 1u);
  // An application's parameter has no set to look in.
  const CKivoFapp& motor = App("kivo_app_motor.h");
  EXPECT_EQ(motor.initFuncs[0]->FindParam("pwm_chan")->LinkedFunctions(linked), 0);
  EXPECT_TRUE(linked.empty());
}

TEST_F(ApiMetaTest, ChannelBlocksWithSelectorsPrioritiesAndLoadReferences) {
  const CKivoInitFunc& init = Init(kPwm, kInit);
  ASSERT_EQ(init.chanAssigns.size(), 2u);
  const CKivoChanAssign& byDefault = *init.chanAssigns[0];
  EXPECT_EQ(byDefault.condVar, "");
  EXPECT_EQ(byDefault.condValue, "");
  EXPECT_EQ(byDefault.assignText, "master = channel");
  EXPECT_EQ(byDefault.chanVars, std::vector<std::string>{"master"});
  EXPECT_EQ(byDefault.priorities, (std::map<std::string, std::string>{{"master", "prio"}}));
  EXPECT_EQ(byDefault.paramOfChan.at("master"), init.FindParam("channel"));
  ASSERT_NE(init.LoadRefOf(&byDefault), nullptr);
  EXPECT_EQ(*init.LoadRefOf(&byDefault), "pwm_load");

  const CKivoChanAssign& continuous = *init.chanAssigns[1];
  EXPECT_EQ(continuous.condVar, "mode");
  EXPECT_EQ(continuous.condValue, "CONTINUOUS");
  EXPECT_EQ(continuous.assignText, "master = channel; slave = master + 1");
  EXPECT_EQ(continuous.chanVars, (std::vector<std::string>{"master", "slave"}));
  EXPECT_EQ(continuous.priorities, (std::map<std::string, std::string>{{"slave", "prio"}}));
  EXPECT_EQ(continuous.paramOfChan.count("slave"), 0u);
  EXPECT_EQ(*init.LoadRefOf(&continuous), "pwm_slow");
}

TEST_F(ApiMetaTest, ABlockNamingAnotherInitialisationFunctionBelongsToThatOneOnly) {
  const CKivoInitFunc& dual = Init(kPwm, kDual);
  ASSERT_EQ(dual.chanAssigns.size(), 3u);
  const CKivoChanAssign& own = *dual.chanAssigns[2];
  EXPECT_EQ(own.assignText, "master = channel; second = channel2");
  EXPECT_EQ(own.paramOfChan.at("second"), dual.FindParam("channel2"));
  EXPECT_EQ(dual.LoadRefOf(&own), nullptr);
  for (const auto& block : Init(kPwm, kInit).chanAssigns)
    EXPECT_EQ(block->assignText.find("second"), std::string::npos);
}

TEST_F(ApiMetaTest, ABlockWithAnUndefinedNameIsReportedAndDropped) {
  std::vector<std::string> texts = Texts(4028);
  ASSERT_EQ(texts.size(), 2u);  // once for each initialisation function of the PWM header
  EXPECT_EQ(texts[0].substr(0, texts[0].find("Error Message")),
            "Error in channel assignment expression (API file '" + Fsets("api/kivo_pwm.h") +
                "').\n\nExpression: 'broken = unknown_name + 1'\n\n");
  EXPECT_NE(texts[0].find("unknown_name"), std::string::npos);
}

TEST_F(ApiMetaTest, LoadExpressionsWithVarDeclarationsAndTheirOwnNameAsResult) {
  const CKivoFunc& pwm = Func(kPwm);
  std::vector<std::string> names;
  for (const auto& [name, expr] : pwm.loadExprs)
    names.push_back(name);
  EXPECT_EQ(names, (std::vector<std::string>{"pwm_colon", "pwm_load", "pwm_plural", "pwm_ranges", "pwm_self"}));
  const CKivoLoadExpr& load = *pwm.FindLoadExpr("pwm_load");
  EXPECT_EQ(load.owner, &pwm);
  EXPECT_EQ(load.exprText, "master = freq * 2 / kivo_tcr1_freq; slave = master; pwm_load = master + slave");
  ASSERT_EQ(load.vars.size(), 2u);
  const CKivoLoadVar& freq = *load.FindVar("freq");
  EXPECT_EQ(freq.unit, "Hz");
  ASSERT_EQ(freq.ranges.size(), 1u);
  EXPECT_EQ(freq.ranges[0].min, 1);
  EXPECT_EQ(freq.ranges[0].max, 1000000);
  EXPECT_FALSE(freq.HasNamedValues());
  const CKivoLoadVar& mode = *load.FindVar("mode");
  std::vector<std::string> named;
  EXPECT_EQ(mode.NamedValues(named), 2);
  EXPECT_EQ(named, (std::vector<std::string>{"SINGLE", "CONTINUOUS"}));
  double value = -1;
  EXPECT_TRUE(mode.ValueOf("CONTINUOUS", value));
  EXPECT_EQ(value, 1);
  EXPECT_FALSE(mode.ValueOf("continuous", value));
}

// "expression" is replaced where it is a whole identifier only, and a heading
// may end in a colon or use the plural.
TEST_F(ApiMetaTest, LoadExpressionHeadingsAndTheExpressionWord) {
  const CKivoFunc& pwm = Func(kPwm);
  EXPECT_EQ(pwm.FindLoadExpr("pwm_colon")->exprText, "pwm_colon = 1; pwm_expression = pwm_colon + 1");
  EXPECT_EQ(pwm.FindLoadExpr("pwm_plural")->exprText, "pwm_plural = 2");
  EXPECT_EQ(pwm.FindLoadExpr("s"), nullptr);
  EXPECT_EQ(pwm.FindLoadExpr("pwm_self")->exprText, "pwm_self = pwm_self + 1");
}

TEST_F(ApiMetaTest, DuplicateAndInvalidLoadExpressionsAreReported) {
  const std::string header = Fsets("api/kivo_pwm.h");
  EXPECT_EQ(Texts(4041), std::vector<std::string>{"Duplicate load expression 'pwm_load' found in API file '" +
                                                  header + "'."});
  EXPECT_EQ(Func(kPwm).FindLoadExpr("pwm_load")->vars.size(), 2u);
  EXPECT_EQ(Func(kPwm).FindLoadExpr("pwm_broken"), nullptr);
  std::vector<std::string> texts = Texts(4032);
  const std::string declaration = "var span {5..x, 1..5, 10 .. 20, WRONG, NAMED(3), 0x10...0x20}";
  std::vector<std::string> expected = {
      "Error in load expression (API file '" + header + "').\n\nExpression: '" + declaration +
          "'\n\nError Message: '5..x is not valid value (nor valid range)'",
      "Error in load expression (API file '" + header + "').\n\nExpression: '" + declaration +
          "'\n\nError Message: 'WRONG is not valid value (nor valid range)'",
  };
  ASSERT_EQ(texts.size(), 3u);
  EXPECT_EQ(texts[0].substr(0, texts[0].find("Error Message")),
            "Error in load expression (API file '" + header + "').\n\nExpression: 'pwm_broken = (1 +'\n\n");
  EXPECT_EQ(texts[1], expected[0]);
  EXPECT_EQ(texts[2], expected[1]);
}

TEST_F(ApiMetaTest, RangeItemsThatReadAreKeptAndCheckValueReportsTheRanges) {
  const CKivoLoadVar& span = *Func(kPwm).FindLoadExpr("pwm_ranges")->FindVar("span");
  ASSERT_EQ(span.ranges.size(), 4u);
  EXPECT_EQ(span.ranges[1].min, 10);
  EXPECT_EQ(span.ranges[1].max, 20);
  EXPECT_EQ(span.ranges[2].valueName, "NAMED");
  EXPECT_EQ(span.ranges[3].min, 16);
  EXPECT_EQ(span.ranges[3].max, 32);
  ports.messages.Clear();
  EXPECT_TRUE(span.CheckValue(12, true));
  EXPECT_TRUE(span.CheckValue(3, true));
  EXPECT_FALSE(span.CheckValue(7, false));
  EXPECT_TRUE(ports.messages.Messages().empty());
  EXPECT_FALSE(span.CheckValue(7, true));
  const CKivoLoadVar& freq = *Func(kPwm).FindLoadExpr("pwm_load")->FindVar("freq");
  EXPECT_FALSE(freq.CheckValue(0, true));
  EXPECT_TRUE(freq.CheckValue(1000000, true));
  ASSERT_EQ(ports.messages.Messages().size(), 2u);
  EXPECT_EQ(ports.messages.Messages()[0].id, 4052);
  EXPECT_EQ(ports.messages.Messages()[0].kind, EMessageKind::Error);
  EXPECT_EQ(ports.messages.Messages()[0].text,
            "The 'span' value must fall into one of the following ranges 1..5; 10..20; 3..3; 16..32.");
  EXPECT_EQ(ports.messages.Messages()[1].id, 4051);
  EXPECT_EQ(ports.messages.Messages()[1].text, "The 'freq' value must fall into range 1..1e+06.");
}

TEST_F(ApiMetaTest, TheApiSourceGivesParameterDescriptions) {
  struct CRow {
    const char* init;
    const char* param;
    const char* description;
  } rows[] = {
      {kInit, "channel", "the channel number,\n0 to 31\n"},
      {kInit, "mode", "PWM mode:\nsingle or continuous\n"},
      {kInit, "edge", "the active\nsignal edge\n"},
      {kInit, "prio", "priority\n"},
      {kInit, "pwm_priority", "the scheduler priority\n"},
      {kInit, "period", "the period in TCR1 ticks\n"},
      {kDual, "channel", "the dual function's master channel\n"},
      {kDual, "channel2", ""},
      {kDual, "mode", "the dual mode\n"},
  };
  for (const CRow& row : rows)
    EXPECT_EQ(Param(kPwm, row.init, row.param).description, row.description) << row.init << " " << row.param;
}

TEST_F(ApiMetaTest, ProjectNotesAreJoinedPerInitialisationFunction) {
  EXPECT_EQ(Init(kPwm, kInit).notes, "The PWM needs\nan output pin.\n<br><br>Second note.\n");
  EXPECT_EQ(Init(kPwm, kDual).notes, "dual note\n");
  EXPECT_EQ(Init("PPA - Period and pulse accumulate", "hv_kivo_ppa_init").notes, "");
}

}  // namespace
