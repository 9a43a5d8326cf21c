// Allowed values of API parameters: enumerations, options comments, the include search and the description fallback.
#include <gtest/gtest.h>

#include "kbfixture.h"

namespace {

using OptionScanTest = CKbFixture;

std::vector<std::string> ValuesOf(const CKivoParam& param) {
  std::vector<std::string> values;
  if (param.varDef)
    for (const auto& value : param.varDef->values)
      values.push_back(value->name + "|" + value->comment);
  return values;
}

const char* const kPwm = "PWM - Pulse width modulation";

TEST_F(OptionScanTest, AnEnumerationInAnIncludedHeaderGivesTheValuesWithTheirLineComments) {
  const CKivoParam& mode = Param(kPwm, "hv_kivo_pwm_init", "mode");
  EXPECT_EQ(mode.ownsVarDef, 1);
  EXPECT_EQ(ValuesOf(mode), (std::vector<std::string>{"SINGLE|one period only", "CONTINUOUS|runs until stopped",
                                                      "PWM_MODE_LAST|"}));
  ASSERT_NE(mode.varDef, nullptr);
  EXPECT_EQ(mode.varDef->displayTexts,
            (std::vector<std::string>{"one period only", "runs until stopped", "PWM_MODE_LAST"}));
  EXPECT_EQ(mode.varDef->parameter, "mode");
  EXPECT_EQ(mode.varDef->section, "");
  EXPECT_EQ(mode.varDef->customAllowed, 1);
  EXPECT_EQ(mode.varDef->values[0]->number, -1);
}

TEST_F(OptionScanTest, AnOptionsCommentTakesTheDefineBlockThatFollowsIt) {
  const CKivoParam& edge = Param(kPwm, "hv_kivo_pwm_init", "edge");
  EXPECT_EQ(edge.ownsVarDef, 1);
  // Blank lines inside the block are absorbed; any other line ends it.
  EXPECT_EQ(ValuesOf(edge), (std::vector<std::string>{"PWM_EDGE_RISING|rising edge",
                                                      "PWM_EDGE_FALLING|falling edge", "PWM_EDGE_BOTH|"}));
}

TEST_F(OptionScanTest, ParametersWithoutAListFallBackToTheDescription) {
  const CKivoParam& priority = Param(kPwm, "hv_kivo_pwm_init", "pwm_priority");
  EXPECT_EQ(priority.ownsVarDef, 0);
  EXPECT_EQ(priority.varDef, kb.cfgDesc.FindDefBySection("FN.PRIO"));
  const CKivoParam& prio = Param(kPwm, "hv_kivo_pwm_init", "prio");
  EXPECT_EQ(prio.varDef, nullptr);
  EXPECT_EQ(prio.ownsVarDef, 0);
  // A qualifier before the type name keeps the enumeration from matching.
  EXPECT_EQ(Param(kPwm, "hv_kivo_pwm_init_dual", "mode").varDef, nullptr);
  EXPECT_EQ(Param(kPwm, "hv_kivo_pwm_init", "channel").varDef, nullptr);
}

// Twelve sibling includes: the depth grows with every one searched in vain,
// and past ten the includes of an included header are no longer followed.
TEST_F(OptionScanTest, TheIncludeDepthRuleStopsFollowingIncludesAfterTenFailures) {
  EXPECT_EQ(ValuesOf(Param("DEEP - include depth", "hv_kivo_deep_init", "near_mode")),
            (std::vector<std::string>{"NEAR_A|", "NEAR_B|"}));
  EXPECT_EQ(Param("DEEP - include depth", "hv_kivo_deep_init", "far_mode").varDef, nullptr);
}

TEST_F(OptionScanTest, HeadersThatIncludeThemselvesOrEachOtherAreSearchedOnce) {
  const CKivoParam& level = Param("SELFINC", "hv_kivo_selfinc_init", "level");
  EXPECT_EQ(level.varDef, nullptr);
  const CKivoParam& shared = Param("SELFINC", "hv_kivo_selfinc_init", "shared_param");
  EXPECT_EQ(shared.varDef, kb.cfgDesc.FindDefBySection("ZZ.PARAM"));
}

TEST(OptionScanOversized, AnOversizedIncludedHeaderIsReportedAndSkipped) {
  CTempDir dir;
  WriteFileBytes(dir / "kivo_set_big.h", "/* Function list\n \"BIG\"\n*/\n");
  WriteFileBytes(dir / "kivo_big.h",
                 "#include \"huge.h\"\n#include \"small.h\"\n"
                 "void hv_kivo_big_init(big_t level);\n");
  WriteFileBytes(dir / "small.h", "typedef enum { BIG_A } big_t;\n");
  WriteFileBytes(dir / "huge.h", std::string(1048577, ' '));
  CRecordedPorts ports;
  CKivoFSetLib lib;
  ASSERT_EQ(lib.LoadAll(dir.Path().string(), nullptr), 1);
  const CKivoParam& level = *lib.Functions()[0]->initFuncs[0]->params[0];
  ASSERT_NE(level.varDef, nullptr);
  EXPECT_EQ(level.varDef->values[0]->name, "BIG_A");
  EXPECT_EQ(ports.messages.Ids(), std::vector<int>{4002});
  EXPECT_EQ(ports.messages.Messages()[0].text, "The file '" + (dir / "huge.h").string() + "' is too big to be loaded");
}

}  // namespace
