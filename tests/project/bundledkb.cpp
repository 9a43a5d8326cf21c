#include "bundledkb.h"

#include <gtest/gtest.h>

#include "common/testsupport.h"

void LoadBundledKnowledge(CKnowledgeBase& kb) {
  CRecordedPorts quiet;
  EXPECT_TRUE(kb.cfgDesc.Load(SourcePath("conf/kivocfg.ini").string()));
  EXPECT_TRUE(kb.cpuDb.Load(SourcePath("conf/kivocpu.ini").string()));
  kb.functionSetFolder = SourcePath("fsets").string();
  kb.fsetLib.LoadAll(kb.functionSetFolder, &kb.cfgDesc);
  kb.fappLib.Scan(kb.functionSetFolder, &kb.cfgDesc);
  EXPECT_EQ(quiet.messages.Ids(), std::vector<int>{});
}

CKnowledgeBase* CBundledKbTest::s_kb = nullptr;

void CBundledKbTest::SetUpTestSuite() {
  s_kb = new CKnowledgeBase;
  LoadBundledKnowledge(*s_kb);
}

void CBundledKbTest::TearDownTestSuite() {
  delete s_kb;
  s_kb = nullptr;
}
