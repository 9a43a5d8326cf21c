// The data that ships with the program: it loads in start-up order without a single message and covers what a new user needs.
#include <gtest/gtest.h>

#include <set>

#include "app/startup.h"
#include "common/runprocess.h"
#include "common/testsupport.h"
#include "knowledge/knowledgebase.h"

namespace {

class BundledData : public ::testing::Test {
 protected:
  void SetUp() override {
    CLoadOptions options;
    options.confFolder = SourcePath("conf").string();
    options.functionSetFolder = SourcePath("fsets").string();
    ASSERT_TRUE(LoadKnowledgeBase(kb, options));
  }
  CRecordedPorts ports;
  CKnowledgeBase kb;
};

TEST_F(BundledData, LoadsWithoutAnyMessage) {
  for (const auto& message : ports.messages.Messages())
    ADD_FAILURE() << message.id << ": " << message.text;
  EXPECT_EQ(kb.fsetLib.Sets().size(), 2u);
  EXPECT_EQ(kb.fappLib.Apps().size(), 3u);
}

// Every kind of processor the generator and the views tell apart is on offer.
TEST_F(BundledData, TheProcessorsCoverEveryVariant) {
  std::set<int> engines, prescalers, kivo2, ptb, stac;
  std::set<std::string> templates;
  for (const auto& section : kb.cpuDb.Sections()) {
    CKivoCpu cpu;
    ASSERT_TRUE(cpu.Select(kb.cpuDb, section->name));
    engines.insert(cpu.engines);
    prescalers.insert(cpu.kivoClkPrescaler);
    kivo2.insert(cpu.isKivo2);
    ptb.insert(cpu.peripheralTimebaseAvailable);
    stac.insert(cpu.stacBusAvailable);
    templates.insert(cpu.templateName);
  }
  EXPECT_EQ(kb.cpuDb.Sections().size(), 8u);
  EXPECT_EQ(engines, (std::set<int>{1, 2}));
  EXPECT_EQ(prescalers, (std::set<int>{1, 2}));
  EXPECT_EQ(kivo2, (std::set<int>{0, 1}));
  EXPECT_EQ(ptb, (std::set<int>{0, 1}));
  EXPECT_EQ(stac, (std::set<int>{0, 1}));
  EXPECT_TRUE(templates.count("pelisk"));
}

// A function whose API header yields no init function could not be configured.
TEST_F(BundledData, EveryApiFunctionHasAnInitFunctionWithParameters) {
  int api = 0;
  for (const auto& func : kb.fsetLib.Functions()) {
    if (!func->hasApi) continue;
    ++api;
    ASSERT_FALSE(func->initFuncs.empty()) << func->name;
    EXPECT_FALSE(func->initFuncs.front()->params.empty()) << func->name;
  }
  EXPECT_EQ(api, 9);
}

TEST(BundledHeaders, CompileAsC) {
  const CProcessResult result =
      RunProcess("/bin/bash", {SourcePath("scripts/check-fsets-syntax").string()});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_NE(result.out.find("set combinations are valid C"), std::string::npos) << result.out;
}

}  // namespace
