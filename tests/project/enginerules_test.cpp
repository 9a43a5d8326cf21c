// The engine page's derived values and control states, from control contents and from the project's record.
#include "project/enginerules.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>

#include "base/texthelpers.h"
#include "bundledkb.h"
#include "common/testsupport.h"
#include "knowledge/cfgdesc.h"

namespace {

// 80 MHz through a prescaler of 2: a Kivo clock of 40 MHz, STAC bus, Kivo2, no peripheral time base.
constexpr CEngineClocks kK40{80000000, 0, 2, false, true, true};
constexpr CEngineClocks kK40Ptb{80000000, 60000000, 2, true, true, true};
constexpr CEngineClocks kNoPrescaler{80000000, 0, 0, false, true, true};
constexpr CEngineClocks kPlainKivo{80000000, 0, 1, false, false, false};

using CTexts = std::map<std::string, std::string>;

std::string TextOf(const CEngineDerived& derived, const std::string& key) {
  const CEngineDerived::CTexts& t = derived.text;
  const std::map<std::string, const std::string*> all = {
      {"kivo", &t.kivoClock},         {"tcr1In", &t.tcr1Input},   {"tcr1", &t.tcr1Freq},
      {"tcr2In", &t.tcr2Input},       {"tcr2", &t.tcr2Freq},      {"sample", &t.sampleFreq},
      {"half", &t.halfKivoClock},     {"detect", &t.detectFrom},  {"filter", &t.filterUpTo},
      {"watchdog", &t.watchdogPeriod}, {"timing", &t.channelTiming}};
  auto found = all.find(key);
  return found == all.end() ? "<no such text " + key + ">" : *found->second;
}

struct CDerivedRow {
  const char* name;
  CEngineClocks clocks;
  CEngineFields fields;
  CTexts texts;
};

class EngineDerivedTest : public ::testing::TestWithParam<CDerivedRow> {};

TEST_P(EngineDerivedTest, ShowsTheTexts) {
  const CDerivedRow& row = GetParam();
  CEngineDerived derived = ApplyEngineRules(row.clocks, row.fields).derived;
  for (const auto& [key, text] : row.texts)
    EXPECT_EQ(TextOf(derived, key), text) << key;
}

INSTANTIATE_TEST_SUITE_P(
    Rules, EngineDerivedTest,
    ::testing::Values(
        CDerivedRow{"Tcr1HalfKivoClockPrescaler4", kK40,
                    {.tcr1Source = 1, .tcr1Prescaler = "4"},
                    {{"kivo", "40 MHz"}, {"tcr1In", "20 MHz"}, {"tcr1", "5 MHz"}}},
        CDerivedRow{"Tcr1FullKivoClockRunsChannelsAtFullSpeed", kK40,
                    {.tcr1Source = 2, .tcr1Prescaler = "3", .sampleRate = 0, .filterMode = 0},
                    {{"tcr1In", "40 MHz"}, {"tcr1", "13.3333 MHz"},
                     {"timing", "Channels run at full Kivo clock speed"}}},
        CDerivedRow{"Tcr1NothingSelectedReadsTcrclk", kK40,
                    {.tcr1Prescaler = "2", .tcrclk1 = "3M", .tcrclk2 = "7M"},
                    {{"tcr1In", "3 MHz"}, {"tcr1", "1.5 MHz"}}},
        CDerivedRow{"Tcr1ShutDown", kK40, {.tcr1Source = 3, .tcr1Prescaler = "1"},
                    {{"tcr1In", "OFF"}, {"tcr1", "OFF"}}},
        CDerivedRow{"PrescalerZeroIsOff", kK40, {.tcr1Source = 1, .tcr1Prescaler = "0"},
                    {{"tcr1In", "20 MHz"}, {"tcr1", "OFF"}}},
        CDerivedRow{"PrescalerThatDoesNotReadIsOff", kK40,
                    {.tcr1Source = 1, .tcr1Prescaler = "x4", .tcr2Source = 4, .tcr2Prescaler = ""},
                    {{"tcr1", "OFF"}, {"tcr2In", "5 MHz"}, {"tcr2", "OFF"}}},
        // The prescaler reads as its store reads it, as a C integer constant.
        CDerivedRow{"PrescalerHexDividesBy16", kK40, {.tcr1Source = 1, .tcr1Prescaler = "0x10"},
                    {{"tcr1", "1.25 MHz"}}},
        CDerivedRow{"PrescalerWithLeadingZeroIsOctal", kK40,
                    {.tcr1Source = 1, .tcr1Prescaler = "010", .tcr2Source = 4, .tcr2Prescaler = " 4u "},
                    {{"tcr1", "2.5 MHz"}, {"tcr2", "1.25 MHz"}}},
        CDerivedRow{"PrescalerTheCompilerRefusesIsOff", kK40,
                    {.tcr1Source = 1, .tcr1Prescaler = "08", .tcr2Source = 4, .tcr2Prescaler = "0x100000004"},
                    {{"tcr1", "OFF"}, {"tcr2", "OFF"}}},
        CDerivedRow{"Tcr2GatedKivoClockBy8", kK40, {.tcr2Source = 0, .tcr2Prescaler = "1"},
                    {{"tcr2In", "5 MHz"}, {"tcr2", "5 MHz"}}},
        CDerivedRow{"Tcr2BothEdgesDoublesTcrclk", kK40,
                    {.tcr1Source = 1, .tcr2Source = 3, .tcr2Prescaler = "4", .tcrclk1 = "1M",
                     .tcrclk2 = "250k"},
                    {{"tcr2In", "500 kHz"}, {"tcr2", "125 kHz"}}},
        CDerivedRow{"Tcr2RisingEdgeReadsTcr1SideFieldWhileBothShow", kK40,
                    {.tcr1Source = 0, .tcr2Source = 1, .tcr2Prescaler = "1", .tcrclk1 = "1M",
                     .tcrclk2 = "250k"},
                    {{"tcr1In", "1 MHz"}, {"tcr2In", "1 MHz"}}},
        CDerivedRow{"Tcr2PeripheralTimeBaseMissing", kK40, {.tcr2Source = 5, .tcr2Prescaler = "1"},
                    {{"tcr2In", "Not Available"}, {"tcr2", "OFF"}}},
        CDerivedRow{"Tcr2PeripheralTimeBase", kK40Ptb, {.tcr2Source = 5, .tcr2Prescaler = "4"},
                    {{"tcr2In", "60 MHz"}, {"tcr2", "15 MHz"}}},
        CDerivedRow{"Tcr2UnknownSourceIsOff", kK40Ptb, {.tcr2Source = 6, .tcr2Prescaler = "1"},
                    {{"tcr2In", "OFF"}}},
        CDerivedRow{"SampleRateDiv4ThreeSample", kK40, {.sampleRate = 1, .filterMode = 1},
                    {{"sample", "10 MHz"}, {"half", "20 MHz"}, {"detect", "300 ns"},
                     {"filter", "200 ns"}, {"timing", "Normal"}}},
        CDerivedRow{"SampleRateDiv256Integration", kK40, {.sampleRate = 7, .filterMode = 2},
                    {{"sample", "156.25 kHz"}, {"detect", "12.8 us"}, {"filter", "6.4 us"}}},
        CDerivedRow{"FullSpeedSampleRateDividesBy1", kK40, {.sampleRate = 8, .filterMode = -1},
                    {{"sample", "40 MHz"}, {"detect", "50 ns"}, {"filter", "25 ns"},
                     {"timing", "Channels run at full Kivo clock speed"}}},
        CDerivedRow{"BypassedFilterHasNoWidths", kK40, {.sampleRate = 0, .filterMode = 3},
                    {{"detect", "n/a"}, {"filter", "n/a"},
                     {"timing", "Channels run at full Kivo clock speed"}}},
        CDerivedRow{"NoKivoClockWithoutPrescaler", kNoPrescaler,
                    {.tcr1Source = 2, .tcr1Prescaler = "1", .tcr2Source = 4, .tcr2Prescaler = "1",
                     .watchdogCount = "10"},
                    {{"kivo", "OFF"}, {"tcr1", "OFF"}, {"tcr2", "OFF"}, {"sample", "OFF"},
                     {"detect", "n/a"}, {"filter", "n/a"}, {"watchdog", "error"}}},
        CDerivedRow{"WatchdogCount40000Is1ms", kK40, {.watchdogCount = "40000"},
                    {{"watchdog", "1 ms"}}},
        CDerivedRow{"WatchdogHexCount", kK40, {.watchdogCount = "0x9C40"}, {{"watchdog", "1 ms"}}},
        CDerivedRow{"WatchdogCountZero", kK40, {.watchdogCount = "0"}, {{"watchdog", "0 ms"}}},
        CDerivedRow{"WatchdogOctalCount", kK40, {.watchdogCount = "0100"}, {{"watchdog", "1.6 us"}}},
        CDerivedRow{"WatchdogCountLargest", kK40, {.watchdogCount = "65535"},
                    {{"watchdog", "1.63838 ms"}}},
        CDerivedRow{"WatchdogCount65536", kK40, {.watchdogCount = "65536"},
                    {{"watchdog", "error"}}},
        CDerivedRow{"WatchdogCountNegative", kK40, {.watchdogCount = "-1"}, {{"watchdog", "error"}}},
        CDerivedRow{"WatchdogCountTrailingText", kK40, {.watchdogCount = "12 ms"},
                    {{"watchdog", "error"}}},
        CDerivedRow{"WatchdogCountEmpty", kK40, {.watchdogCount = ""}, {{"watchdog", "error"}}}),
    [](const auto& rowInfo) { return std::string(rowInfo.param.name); });

TEST(EngineDerivedNumbers, GiveTheShownValuesAndTheirAbsence) {
  CEngineDerived shown =
      ApplyEngineRules(kK40, {.tcr1Source = 1, .tcr1Prescaler = "4", .tcr2Source = 5,
                              .sampleRate = 1, .filterMode = 1, .watchdogCount = "40000"})
          .derived;
  EXPECT_EQ(shown.kivoClock, 40000000u);
  EXPECT_EQ(shown.tcr1Freq, 5000000u);
  EXPECT_FALSE(shown.tcr2Input.has_value());
  EXPECT_EQ(shown.sampleFreq, 10000000u);
  ASSERT_TRUE(shown.detectFrom && shown.filterUpTo && shown.watchdogPeriod);
  EXPECT_DOUBLE_EQ(*shown.detectFrom, 3e-7);
  EXPECT_DOUBLE_EQ(*shown.filterUpTo, 2e-7);
  EXPECT_DOUBLE_EQ(*shown.watchdogPeriod, 1e-3);

  // A processor without the watchdog has no period, whatever the hidden field shows.
  CEngineDerived plain = ApplyEngineRules(kPlainKivo, {.filterMode = 3, .watchdogCount = "5"}).derived;
  EXPECT_FALSE(plain.watchdogPeriod.has_value());
  EXPECT_FALSE(plain.detectFrom.has_value());
}

// ---- Control states

struct CStateRow {
  const char* name;
  CEngineClocks clocks;
  CEngineFields fields;
  std::map<std::string, bool> states;
  int role1 = -2;  // the TCR1 radio position shown; -2: not checked
  int role2 = -2;
};

bool StateOf(const CEngineStates& s, const std::string& key) {
  const std::map<std::string, bool> all = {
      {"tcr1Clock", s.tcr1Clock},       {"tcr2Clock", s.tcr2Clock},
      {"angle", s.angleMode},           {"stac1", s.stac1.enable},
      {"server1", s.stac1.server},      {"client1", s.stac1.client},
      {"slot1", s.stac1.slot},          {"stac2", s.stac2.enable},
      {"server2", s.stac2.server},      {"client2", s.stac2.client},
      {"slot2", s.stac2.slot},          {"tcrclk1", s.tcr1TcrclkVisible},
      {"tcrclk2", s.tcr2TcrclkVisible}, {"tcrclkFilter", s.tcrclkFilter},
      {"halfFreq", s.halfKivoClockFreq}, {"sameFreq", s.sameAsFilterFreq},
      {"kivo2", s.kivo2Groups}};
  auto found = all.find(key);
  if (found == all.end())
    ADD_FAILURE() << "no such state " << key;
  return found != all.end() && found->second;
}

class EngineStatesTest : public ::testing::TestWithParam<CStateRow> {};

TEST_P(EngineStatesTest, EnablesAndShows) {
  const CStateRow& row = GetParam();
  CEngineStates states = ApplyEngineRules(row.clocks, row.fields).states;
  for (const auto& [key, expected] : row.states)
    EXPECT_EQ(StateOf(states, key), expected) << key;
  if (row.role1 != -2) {
    EXPECT_EQ(states.stac1.role, row.role1);
  }
  if (row.role2 != -2) {
    EXPECT_EQ(states.stac2.role, row.role2);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Rules, EngineStatesTest,
    ::testing::Values(
        CStateRow{"StacOffLeavesClocksAndAngleModeEnabled", kK40,
                  {.tcr1Source = 1, .tcr2Source = 4, .angleMode = 0, .stac1Role = 1},
                  {{"tcr1Clock", true}, {"angle", true}, {"stac1", true}, {"server1", false},
                   {"client1", false}, {"slot1", false}}},
        CStateRow{"Tcr1ClientDisablesItsClockAndAngleMode", kK40,
                  {.tcr1Source = 1, .angleMode = 0, .stac1Enabled = true, .stac1Role = 1},
                  {{"tcr1Clock", false}, {"tcr2Clock", true}, {"angle", false}, {"server1", true},
                   {"client1", true}, {"slot1", true}, {"slot2", false}},
                  1},
        CStateRow{"Tcr2ServerKeepsItsClock", kK40,
                  {.angleMode = 0, .stac2Enabled = true, .stac2Role = 0},
                  {{"tcr2Clock", true}, {"angle", true}, {"client2", true}, {"slot2", false}}},
        CStateRow{"AngleModeForcesBothCountersToServe", kK40,
                  {.angleMode = 2, .stac1Enabled = true, .stac1Role = 1, .stac2Enabled = true,
                   .stac2Role = 1},
                  {{"tcr1Clock", true}, {"tcr2Clock", true}, {"angle", true}, {"server1", true},
                   {"client1", false}, {"slot1", false}, {"client2", false}},
                  0, 0},
        CStateRow{"AngleModeNoneSelectedCountsAsOff", kK40,
                  {.angleMode = -1, .stac1Enabled = true, .stac1Role = 1},
                  {{"client1", true}, {"tcr1Clock", false}},
                  1},
        CStateRow{"NoStacBusDisablesEveryStacControl", kPlainKivo,
                  {.angleMode = 1, .stac1Enabled = true, .stac1Role = 1},
                  {{"stac1", false}, {"server1", false}, {"client1", false}, {"slot1", false},
                   {"stac2", false}, {"tcr1Clock", true}, {"angle", true}, {"kivo2", false}},
                  1},
        CStateRow{"TcrclkForTcr1", kK40, {.tcr1Source = 0, .tcr2Source = 4, .tcrclkFilterClock = 0},
                  {{"tcrclk1", true}, {"tcrclk2", false}, {"tcrclkFilter", true},
                   {"halfFreq", true}, {"sameFreq", false}, {"kivo2", true}}},
        CStateRow{"TcrclkForTcr2FallingEdge", kK40,
                  {.tcr1Source = 1, .tcr2Source = 2, .tcrclkFilterClock = 1},
                  {{"tcrclk1", false}, {"tcrclk2", true}, {"tcrclkFilter", true},
                   {"halfFreq", false}, {"sameFreq", true}}},
        CStateRow{"NoTcrclkUsed", kK40, {.tcr1Source = 2, .tcr2Source = 0, .tcrclkFilterClock = 1},
                  {{"tcrclk1", false}, {"tcrclk2", false}, {"tcrclkFilter", false},
                   {"sameFreq", false}}},
        CStateRow{"NothingSelectedShowsNoTcrclkField", kK40, {},
                  {{"tcrclk1", false}, {"tcrclk2", false}, {"tcrclkFilter", false}}}),
    [](const auto& rowInfo) { return std::string(rowInfo.param.name); });

// ---- From the project's record

class EngineProjectTest : public CBundledKbTest {
 protected:
  void SetUp() override {
    doc = std::make_unique<CProjDoc>(*s_kb);
    doc->OnNewDocument();
  }

  void SelectCpu(const std::string& name) {
    doc->m_strCpu = name;
    ASSERT_TRUE(doc->m_cpu.Select(s_kb->cpuDb, name)) << name;
  }
  // Sets a field by the value's position in the description; `argument` for a value taking one.
  void SetField(int engine, const std::string& section, std::size_t position,
                const std::string& argument = "") {
    CKivoVarValue* field = FindEngineField(*doc, engine, section);
    ASSERT_NE(field, nullptr) << section;
    ASSERT_LT(position, field->def->values.size()) << section;
    field->Set(field->def->values[position]->name, argument);
  }

  CRecordedPorts ports;
  std::unique_ptr<CProjDoc> doc;
};

TEST_F(EngineProjectTest, FieldsOfEachEngineComeFromItsOwnMembers) {
  SelectCpu("Pelisk P8");
  SetField(0, "combination0", 1);
  SetField(1, "combination0", 2);
  SetField(0, "TBCR.TCR1P", 0, "4");
  SetField(1, "TBCR.TCR1P", 0, "0x10");
  SetField(1, "TBCR.TCR2CTL", 5);
  SetField(1, "TBCR.AM", 3);
  SetField(1, "STACCR.REN2", 1);
  SetField(1, "STACCR.RSC2", 1);
  SetField(1, "combination2", 8);
  SetField(1, "ECR.CDFC", 2);
  SetField(1, "TBCR.TCRCF1", 1);
  SetField(1, "WDTR.WDCNT", 0, "1234");
  doc->m_engine[1].tcrclkIn = 1234567;

  EXPECT_EQ(FindEngineField(*doc, 1, "combination0"), FindEngineField(*doc, 1, "combination1"));
  EXPECT_NE(FindEngineField(*doc, 0, "combination2"), FindEngineField(*doc, 1, "combination2"));
  EXPECT_EQ(FindEngineField(*doc, 0, "TBCR.TCR9P"), nullptr);

  CEngineFields a = EngineFieldsFromProject(*doc, 0);
  CEngineFields b = EngineFieldsFromProject(*doc, 1);
  EXPECT_EQ(a.tcr1Source, 1);
  EXPECT_EQ(a.tcr1Prescaler, "4");
  EXPECT_EQ(a.tcr2Source, 0);
  EXPECT_FALSE(a.stac2Enabled);
  EXPECT_EQ(b.tcr1Source, 2);
  EXPECT_EQ(b.tcr1Prescaler, "16");
  EXPECT_EQ(b.tcr2Source, 5);
  EXPECT_EQ(b.angleMode, 3);
  EXPECT_TRUE(b.stac2Enabled);
  EXPECT_EQ(b.stac2Role, 1);
  EXPECT_EQ(b.sampleRate, 8);
  EXPECT_EQ(b.filterMode, 2);
  EXPECT_EQ(b.tcrclkFilterClock, 1);
  EXPECT_EQ(b.watchdogCount, "1234");
  // The field must read back as the stored frequency, not as its rounded display.
  uint32_t back = 0;
  ASSERT_TRUE(ParseFrequency(b.tcrclk1, &back));
  EXPECT_EQ(back, 1234567u);
  EXPECT_EQ(b.tcrclk2, b.tcrclk1);
}

struct CLoadedRow {
  const char* name;
  const char* section;
  std::string valueName;
  std::string argument;
  std::string number;  // what the number field shows; "" for a list
  int position = -2;   // what the list selects
  bool kivo2 = true;
};

// Values the page cannot show as they are load as the exchange routines put them in a control.
TEST_F(EngineProjectTest, StoredValuesLoadAsTheControlsShowThem) {
  const CLoadedRow rows[] = {
      {"PrescalerWithoutArgumentTakesLowerBound", "TBCR.TCR1P", "HV_KIVO_TCR1P", "", "1"},
      {"PrescalerZeroTakesLowerBound", "TBCR.TCR1P", "HV_KIVO_TCR1P", "0", "1"},
      {"PrescalerAboveRangeTakesLowerBound", "TBCR.TCR2P", "HV_KIVO_TCR2P", "65", "1"},
      {"BareNumberStandsForTheValueTakingAnArgument", "TBCR.TCR2P", "12", "", "1"},
      {"WatchdogCount65536TakesLowerBound", "WDTR.WDCNT", "HV_KIVO_WDCNT", "65536", "0"},
      {"WatchdogCountHex", "WDTR.WDCNT", "HV_KIVO_WDCNT", "0x40", "64"},
      {"UnknownListValueSelectsFirst", "TBCR.AM", "HV_KIVO_AM_CH7", "", "", 0},
      {"Kivo2OnlySourceOnPlainKivoSelectsFirst", "TBCR.TCR2CTL", "HV_KIVO_TCR2CTL_PTB", "", "", 0,
       false},
      {"Kivo2OnlySourceOnKivo2", "TBCR.TCR2CTL", "HV_KIVO_TCR2CTL_PTB", "", "", 5, true},
      {"UnmatchedCombinationSelectsFirst", "combination0", "HV_KIVO_TCR1CTL_OFF,HV_KIVO_TCR1CS_FULL",
       "", "", 0},
  };
  for (const CLoadedRow& row : rows) {
    SCOPED_TRACE(row.name);
    SelectCpu(row.kivo2 ? "Omiro Q32" : "Vandrel V240");
    CKivoVarValue* field = FindEngineField(*doc, 0, row.section);
    ASSERT_NE(field, nullptr);
    field->Set(row.valueName, row.argument);
    CEngineFields fields = EngineFieldsFromProject(*doc, 0);
    if (!row.number.empty()) {
      const std::string& shown = std::string(row.section) == "WDTR.WDCNT" ? fields.watchdogCount
                                 : std::string(row.section) == "TBCR.TCR1P" ? fields.tcr1Prescaler
                                                                          : fields.tcr2Prescaler;
      EXPECT_EQ(shown, row.number);
    } else {
      int shown = std::string(row.section) == "TBCR.AM"        ? fields.angleMode
                  : std::string(row.section) == "combination0" ? fields.tcr1Source
                                                               : fields.tcr2Source;
      EXPECT_EQ(shown, row.position);
    }
    SetUp();
  }
}

TEST_F(EngineProjectTest, ProjectStoresTheFrequenciesThePageShows) {
  SelectCpu("Vandrel V240");  // Kivo clock prescaler 2
  doc->m_nSysClk = 80000000;
  SetField(0, "combination0", 1);
  SetField(0, "TBCR.TCR1P", 0, "4");
  SetField(0, "TBCR.TCR2CTL", 0);
  SetField(0, "TBCR.TCR2P", 0, "2");
  SetField(1, "combination0", 2);
  SetField(1, "TBCR.TCR1P", 0, "8");
  doc->NotifyChanged(0);
  EXPECT_EQ(doc->m_engine[0].tcr1Freq, 5000000u);
  EXPECT_EQ(doc->m_engine[0].tcr2Freq, 2500000u);
  // Engine B was not named, so it keeps what it had.
  EXPECT_EQ(doc->m_engine[1].tcr1Freq, 0u);
  doc->NotifyChanged(-1);
  EXPECT_EQ(doc->m_engine[1].tcr1Freq, 5000000u);
  EXPECT_EQ(DeriveEngine(*doc, 1).derived.text.tcr1Freq, "5 MHz");

  // One engine: the second one's time bases stop.
  SelectCpu("Vandrel V110");
  doc->NotifyChanged(-1);
  EXPECT_EQ(doc->m_engine[1].tcr1Freq, 0u);
  EXPECT_EQ(doc->m_engine[1].tcr2Freq, 0u);
}

TEST_F(EngineProjectTest, NewProjectIsDerivedAtOnce) {
  // The generic processor: 150 MHz, TCR2 from the gated Kivo clock by 8 through a prescaler of 1.
  EXPECT_EQ(doc->m_engine[0].tcr2Freq, 18750000u);
  EXPECT_EQ(doc->m_engine[1].tcr2Freq, 18750000u);
}

TEST_F(EngineProjectTest, OpenedSampleIsDerived) {
  ASSERT_TRUE(doc->OnOpenDocument(SourcePath("examples/demo/kivo_vam.c").string()));
  CEngineRuleResult a = DeriveEngine(*doc, 0);
  EXPECT_EQ(a.derived.text.kivoClock, "75 MHz");
  EXPECT_EQ(doc->m_engine[0].tcr2Freq, a.derived.tcr2Freq);
  EXPECT_EQ(a.derived.text.tcr2Input, "9.375 MHz");
  EXPECT_TRUE(a.states.kivo2Groups);
  // TCR1 runs from the Kivo clock by 2, so the TCRCLK field stays hidden.
  EXPECT_EQ(a.derived.text.tcr1Freq, "37.5 MHz");
  EXPECT_EQ(doc->m_engine[0].tcr1Freq, 37500000u);
  EXPECT_FALSE(a.states.tcr1TcrclkVisible);
}

}  // namespace
