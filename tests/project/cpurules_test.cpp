// The processor page's clock lists, Kivo clock, property texts, enabled fields and clock limits.
#include "project/cpurules.h"

#include <gtest/gtest.h>

#include <memory>
#include <sstream>

#include "common/testsupport.h"
#include "project/projdoc.h"

namespace {

struct CListRow {
  const char* name;
  uint32_t maxHz;
  std::vector<std::string> entries;
};

class CpuClockListTest : public ::testing::TestWithParam<CListRow> {};

TEST_P(CpuClockListTest, OffersTheLimitThenMultiplesOf8) {
  EXPECT_EQ(CpuClockListEntries(GetParam().maxHz), GetParam().entries);
}

INSTANTIATE_TEST_SUITE_P(
    Limits, CpuClockListTest,
    ::testing::Values(
        CListRow{"Limit132", 132000000,
                 {"132 MHz", "128 MHz", "120 MHz", "112 MHz", "104 MHz", "96 MHz", "88 MHz",
                  "80 MHz", "72 MHz", "64 MHz", "56 MHz", "48 MHz", "40 MHz", "32 MHz", "24 MHz",
                  "16 MHz", "8 MHz"}},
        CListRow{"LimitItselfAMultipleOf8", 24000000, {"24 MHz", "16 MHz", "8 MHz"}},
        CListRow{"Only8", 8000000, {"8 MHz"}},
        CListRow{"FractionOfAMegahertzIsDropped", 16999999, {"16 MHz", "8 MHz"}},
        CListRow{"BelowEight", 5000000, {"5 MHz"}},
        CListRow{"BelowOneMegahertzIsEmpty", 999999, {}},
        CListRow{"Off", 0, {}}),
    [](const auto& rowInfo) { return std::string(rowInfo.param.name); });

struct CKivoClockRow {
  const char* name;
  const char* sysClk;
  int prescaler;
  const char* label;
  const char* clock;
};

class KivoClockTest : public ::testing::TestWithParam<CKivoClockRow> {};

TEST_P(KivoClockTest, LabelsAndDerives) {
  const CKivoClockRow& row = GetParam();
  EXPECT_EQ(KivoClockLabel(row.prescaler), row.label);
  EXPECT_EQ(KivoClockText(row.sysClk, row.prescaler), row.clock);
}

INSTANTIATE_TEST_SUITE_P(
    Clocks, KivoClockTest,
    ::testing::Values(
        CKivoClockRow{"HalfOf80", "80 MHz", 2, "Kivo Clock (SysClk/2):", "40 MHz"},
        CKivoClockRow{"Undivided", "132M", 1, "Kivo Clock (=SysClk):", "132 MHz"},
        CKivoClockRow{"BareNumberIsHertz", "80", 2, "Kivo Clock (SysClk/2):", "40 Hz"},
        CKivoClockRow{"UnreadableIsError", "fast", 1, "Kivo Clock (=SysClk):", "Error"},
        CKivoClockRow{"OffIsError", "OFF", 1, "Kivo Clock (=SysClk):", "Error"},
        CKivoClockRow{"PrescalerZeroIsError", "80 MHz", 0, "Kivo Clock (SysClk/0):", "Error"},
        CKivoClockRow{"RoundedDown", "100 MHz", 3, "Kivo Clock (SysClk/3):", "33.3333 MHz"}),
    [](const auto& rowInfo) { return std::string(rowInfo.param.name); });

TEST(KivoClockLabel, FillsTheFormsOwnText) {
  EXPECT_EQ(KivoClockLabel(4, "Clock %s here"), "Clock SysClk/4 here");
  EXPECT_EQ(KivoClockLabel(4, "No slot"), "No slot");
}

class CpuRulesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::istringstream ini(
        "[Generic CPU with Kivo]\nengines=2\nsystem_clock=150 MHz\nSTAC_bus_available=yes\n"
        "peripheral_timebase_available=no\nperipheral_timebase_clock=OFF\n"
        "[Small]\nengines=1\nsystem_clock=80\n"
        "[Timed]\nperipheral_timebase_available=yes\nperipheral_timebase_clock=60 MHz\n");
    db.Read(ini, "kivocpu.ini");
    small = CKivoCpu(db, db.FindSection("Small"));
    timed = CKivoCpu(db, db.FindSection("Timed"));
  }

  CRecordedPorts ports;
  CKivoCpuDb db;
  CKivoCpu small, timed;
};

TEST_F(CpuRulesTest, PropertyTextsAreTheDatabasesWithInheritedKeys) {
  CCpuPropertyTexts texts = CpuPropertyTexts(db, "Small");
  EXPECT_EQ(texts.engines, "1");
  EXPECT_EQ(texts.systemClock, "80");
  EXPECT_EQ(texts.stacBus, "yes");
  EXPECT_EQ(texts.peripheralTimebase, "no");

  CCpuPropertyTexts unknown = CpuPropertyTexts(db, "Nowhere 9");
  EXPECT_EQ(unknown.name, "Nowhere 9");
  EXPECT_EQ(unknown.systemClock, "150 MHz");

  CKivoCpuDb empty;
  CCpuPropertyTexts bare = CpuPropertyTexts(empty, "Nowhere 9");
  EXPECT_EQ(bare.name, "Nowhere 9");
  EXPECT_EQ(bare.engines, "");
}

TEST_F(CpuRulesTest, PeripheralClockTextFollowsTheProcessor) {
  EXPECT_EQ(PtbClockText(small, "60 MHz"), "Not Available");
  EXPECT_EQ(PtbClockText(timed, "Not Available"), "OFF");
  EXPECT_EQ(PtbClockText(timed, "20M"), "20M");
  EXPECT_STREQ(PtbClockZeroText(small), "Not Available");
  EXPECT_STREQ(PtbClockZeroText(timed), "OFF");
}

struct CLimitRow {
  const char* name;
  const char* cpu;
  uint32_t sysClk;
  uint32_t ptbClk;
  int message;
  uint32_t ptbAfter;
};

TEST_F(CpuRulesTest, ClockLimits) {
  const CLimitRow rows[] = {
      {"AtTheLimits", "Timed", 150000000, 60000000, 0, 60000000},
      {"SystemClockTooHigh", "Timed", 150000001, 0, 4035, 0},
      {"SystemClockBeforePeripheral", "Timed", 200000000, 90000000, 4035, 90000000},
      {"PeripheralClockTooHigh", "Timed", 100000000, 60000001, 4036, 60000001},
      {"NoPeripheralTimeBaseClearsIt", "Small", 80000000, 90000000, 0, 0},
  };
  for (const CLimitRow& row : rows) {
    SCOPED_TRACE(row.name);
    const CKivoCpu& cpu = std::string(row.cpu) == "Small" ? small : timed;
    uint32_t ptb = row.ptbClk;
    EXPECT_EQ(FindCpuClockProblem(cpu, row.sysClk, ptb), row.message);
    EXPECT_EQ(ptb, row.ptbAfter);
  }
}

TEST_F(CpuRulesTest, ProjectCheckShowsTheMessageAndStates) {
  CKnowledgeBase kb;
  CProjDoc doc(kb);
  doc.m_cpu = timed;
  doc.m_nSysClk = 150000000;
  doc.m_nPtbClk = 70000000;
  EXPECT_FALSE(CheckCpuClocks(doc));
  ASSERT_EQ(ports.messages.Messages().size(), 1u);
  EXPECT_EQ(ports.messages.Messages()[0].id, 4036);
  EXPECT_EQ(ports.messages.Messages()[0].text,
            "Peripheral time base clock frequency is too high for the CPU selected.");
  EXPECT_FALSE(CheckCpuClocks(doc, false));
  EXPECT_EQ(ports.messages.Messages().size(), 1u);
  // The project keeps its clock: only a successful save of the page changes it.
  EXPECT_EQ(doc.m_nPtbClk, 70000000u);

  CCpuPageStates states = CpuPageStates(doc, timed);
  EXPECT_TRUE(states.cpuList && states.sysClk && states.ptbClk && states.engineBPages);
  doc.m_bSysClkCmdLine = true;
  states = CpuPageStates(doc, small);
  EXPECT_TRUE(states.cpuList);
  EXPECT_FALSE(states.sysClk);
  EXPECT_FALSE(states.ptbClk);
  EXPECT_FALSE(states.engineBPages);
  doc.m_bCpuCmdLine = true;
  doc.m_bPtbClkCmdLine = true;
  states = CpuPageStates(doc, timed);
  EXPECT_FALSE(states.cpuList);
  EXPECT_FALSE(states.ptbClk);
}

}  // namespace
