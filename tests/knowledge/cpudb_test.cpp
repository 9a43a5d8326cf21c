// Processor records read from a crafted kivocpu.ini: inheritance from the generic entry and value conversions.
#include <gtest/gtest.h>

#include "knowledge/cpudb.h"
#include "common/testsupport.h"

namespace {

class CpuDbTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(db.Load(FixturePath("kb/conf/kivocpu.ini").string())); }
  CKivoCpu Selected(const std::string& name) {
    CKivoCpu cpu;
    EXPECT_TRUE(cpu.Select(db, name)) << name;
    return cpu;
  }
  CKivoCpuDb db;
};

struct CCpuRow {
  const char* processor;
  int engines;
  int prescaler;
  uint32_t systemClock;
  int ptbAvailable;
  uint32_t ptbClock;
  int stac;
  int kivo2;
  const char* templateName;
};

// Every row inherits system_clock=132 and STAC_bus_available=no from the
// generic entry unless it says otherwise; the template is never inherited.
const CCpuRow kRows[] = {
    {"Generic CPU with Kivo", 2, 1, 132000000, 0, 0, 0, 0, "generic_template"},
    {"Single X", 1, 1, 132000000, 0, 0, 0, 0, ""},
    {"Hex Engines", 2, 8, 132000000, 0, 0, 0, 0, ""},
    {"Peripheral Off", 2, 1, 132000000, 0, 66000000, 0, 0, ""},
    {"Peripheral On", 2, 1, 999000000, 1, 80000000, 0, 0, ""},
    {"Clock Zero", 2, 1, 0, 0, 0, 0, 0, ""},
    {"Clock Exact", 2, 1, 1000, 0, 40000000, 0, 0, ""},
    {"Clock Hz", 2, 1, 150000000, 0, 2500, 0, 0, ""},
    {"Module Kivo2", 2, 1, 132000000, 0, 0, 1, 1, "kivo2_tpl"},
    {"Module Spaced", 2, 1, 132000000, 0, 0, 0, 0, ""},
    {"Garbage", 2, 1, 132000000, 0, 0, 1, 0, ""},
};

TEST_F(CpuDbTest, RecordsFollowTheGenericEntryAndTheConversionRules) {
  for (const CCpuRow& row : kRows) {
    SCOPED_TRACE(row.processor);
    CKivoCpu cpu = Selected(row.processor);
    EXPECT_EQ(cpu.engines, row.engines);
    EXPECT_EQ(cpu.kivoClkPrescaler, row.prescaler);
    EXPECT_EQ(cpu.systemClock, row.systemClock);
    EXPECT_EQ(cpu.peripheralTimebaseAvailable, row.ptbAvailable);
    EXPECT_EQ(cpu.peripheralTimebaseClock, row.ptbClock);
    EXPECT_EQ(cpu.stacBusAvailable, row.stac);
    EXPECT_EQ(cpu.isKivo2, row.kivo2);
    EXPECT_EQ(cpu.templateName, row.templateName);
  }
}

TEST_F(CpuDbTest, SectionsAreListedInFileOrderAndTheFirstOfTwoNamesWins) {
  std::vector<std::string> names;
  for (const auto& section : db.Sections())
    names.push_back(section->name);
  ASSERT_EQ(names.size(), std::size(kRows));
  for (std::size_t i = 0; i < names.size(); ++i)
    EXPECT_EQ(names[i], kRows[i].processor);
  EXPECT_EQ(Selected("Single X").engines, 1);
}

TEST_F(CpuDbTest, AnUnknownNameLeavesTheRecordAlone) {
  CKivoCpu cpu = Selected("Module Kivo2");
  CKivoCpu before = cpu;
  EXPECT_FALSE(cpu.Select(db, "single x"));
  EXPECT_FALSE(cpu.Select(db, "No Such CPU"));
  EXPECT_EQ(cpu, before);
  EXPECT_FALSE(cpu.LoadFromSection(db, nullptr));
  EXPECT_EQ(cpu, before);
}

TEST_F(CpuDbTest, ResetToGenericTakesTheGenericEntryWithItsTemplate) {
  CKivoCpu cpu = Selected("Module Kivo2");
  cpu.ResetToGeneric(db);
  EXPECT_EQ(cpu.systemClock, 132000000u);
  EXPECT_EQ(cpu.isKivo2, 0);
  EXPECT_EQ(cpu.templateName, "generic_template");
}

TEST(CpuDbWithoutGeneric, ResetToGenericFallsBackToBuiltInDefaultsAndKeepsTheTemplate) {
  CKivoCpuDb db;
  ASSERT_TRUE(db.Load(FixturePath("kb/conf/nogeneric.ini").string()));
  CKivoCpu cpu;
  ASSERT_TRUE(cpu.Select(db, "Plain"));
  EXPECT_EQ(cpu.engines, 1);
  EXPECT_EQ(cpu.templateName, "plain_tpl");
  cpu.ResetToGeneric(db);
  CKivoCpu expected;
  expected.templateName = "plain_tpl";
  EXPECT_EQ(cpu, expected);
}

}  // namespace
