// The channel map's cells, colours, totals and load states over the sample project and hand-edited fixtures.
#include "project/channelmap.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>

#include "bundledkb.h"
#include "common/testsupport.h"
#include "project/channeltable.h"

namespace {

class ChannelMapTest : public CBundledKbTest {
 protected:
  void SetUp() override { doc = std::make_unique<CProjDoc>(*s_kb); }

  void Open(const std::filesystem::path& path) { ASSERT_TRUE(doc->OnOpenDocument(path.string())) << path; }

  CRecordedPorts ports;
  std::unique_ptr<CProjDoc> doc;
};

struct CCellText {
  int engine;
  int channel;
  const char* name;
  const char* function;
  const char* loadText;
  const char* spoken;
};

TEST_F(ChannelMapTest, SampleProjectCellsAsTheChannelsPagesShowThem) {
  Open(SourcePath("examples/demo/kivo_vam.c"));
  const CChannelMap map = BuildChannelMap(*doc);
  EXPECT_EQ(map.processor, "Omiro Q32");
  const CCellText rows[] = {
      {0, 0, "PWM0", "PWM", "0.2 %", "Engine A channel 0: PWM0 output, load 0.2 %"},
      {0, 1, "PWM1", "PWM", "?", "Engine A channel 1: PWM1 output, load unknown"},
      {0, 5, "DTPWM", "DTPWM", "0.09 %", "Engine A channel 5: DTPWM low, load 0.09 %"},
      {0, 2, "", "", "", "Engine A channel 2: free"},
      {1, 0, "QD", "QD", "4.6 %", "Engine B channel 0: QD phase_a, load 4.6 %"},
      {1, 8, "GPIO", "GPIO", "?", "Engine B channel 8: GPIO channel, load unknown"},
      {1, 31, "", "", "", "Engine B channel 31: free"},
  };
  for (const CCellText& row : rows) {
    SCOPED_TRACE(row.spoken);
    const CChannelMapCell& cell = map.engines[row.engine].cells.at(row.channel);
    EXPECT_EQ(cell.channel, row.channel);
    EXPECT_EQ(cell.name, row.name);
    EXPECT_EQ(cell.function, row.function);
    EXPECT_EQ(cell.loadText, row.loadText);
    EXPECT_EQ(cell.free, *row.name == '\0');
    EXPECT_FALSE(cell.usedTwice);
    EXPECT_EQ(CellSpokenText(row.engine, cell), row.spoken);
  }
  // The instance is named as the project names it everywhere (PWM0 beside PWM1,
  // QD alone). Every cell carries the load text of the page's row, and the function the row names.
  for (int engine = 0; engine < 2; ++engine) {
    const CChannelTable table = BuildChannelTable(*doc, engine);
    ASSERT_EQ(map.engines[engine].cells.size(), 32u);
    for (int channel = 0; channel < 32; ++channel) {
      const CChannelMapCell& cell = map.engines[engine].cells[channel];
      EXPECT_EQ(cell.loadText, table.rows[channel].load);
      if (!cell.free) {
        EXPECT_EQ(doc->Functions().at(cell.functionIndex).get(), table.rows[channel].func);
      }
    }
    EXPECT_EQ(map.engines[engine].totalLoadText, table.totalLoadText);
  }
  EXPECT_EQ(EngineSpokenText(map.engines[0]), "Engine A: total load 0.4 % (2 unknown)");
  EXPECT_EQ(EngineSpokenText(map.engines[1]), "Engine B: total load 9.3 % (6 unknown)");
  EXPECT_EQ(map.engines[1].state, ELoadState::kNormal);
}

TEST_F(ChannelMapTest, ColoursFollowTheFunctionAndDifferBetweenFunctions) {
  Open(SourcePath("examples/demo/kivo_vam.c"));
  const CChannelMap map = BuildChannelMap(*doc);
  std::set<std::string> functions;
  for (const auto& func : doc->Functions())
    functions.insert(func->function->name);
  ASSERT_EQ(map.legend.size(), functions.size());
  std::set<uint32_t> fills;
  for (const CChannelMapLegend& entry : map.legend) {
    SCOPED_TRACE(entry.function);
    fills.insert(entry.fill);
    EXPECT_GE(ContrastRatio(entry.fill, entry.ink), 4.5);
  }
  EXPECT_EQ(fills.size(), map.legend.size());
  // Two instances of one function share its colour; the legend's entry is that colour.
  const CChannelMapCell& pwm0 = map.engines[0].cells[0];
  const CChannelMapCell& pwm1 = map.engines[0].cells[1];
  EXPECT_EQ(pwm0.fill, pwm1.fill);
  EXPECT_NE(pwm0.fill, map.engines[0].cells[4].fill);
  for (const CChannelMapLegend& entry : map.legend) {
    if (entry.function == "PWM") {
      EXPECT_EQ(entry.fill, pwm0.fill);
    }
  }
  // The same name gets the same colour in a list of other names where it keeps its own hue.
  EXPECT_EQ(FunctionColours({"PWM"})[0], FunctionColours({"PWM", "QD"})[0]);
  EXPECT_EQ(FunctionColours({"QD", "PWM"}), (std::vector<uint32_t>{FunctionColours({"PWM", "QD"})[1],
                                                                    FunctionColours({"PWM", "QD"})[0]}));
}

TEST_F(ChannelMapTest, ManyFunctionsStillGetDistinctReadableColours) {
  std::vector<std::string> names;
  for (int i = 0; i < 40; ++i) {
    std::string name(1, 'F');
    name += std::to_string(i);
    names.push_back(name);
  }
  std::vector<uint32_t> fills = FunctionColours(names);
  EXPECT_EQ(std::set<uint32_t>(fills.begin(), fills.end()).size(), names.size());
  for (uint32_t fill : fills)
    EXPECT_GE(ContrastRatio(fill, InkFor(fill)), 4.5);
  EXPECT_EQ(InkFor(0x000000), 0xffffffu);
  EXPECT_EQ(InkFor(0xffffff), 0x000000u);
}

TEST_F(ChannelMapTest, ChannelClaimedTwiceIsMarkedWithBothFunctions) {
  Open(FixturePath("project/channelmap/twice/kivo_vam.c"));
  const CChannelMap map = BuildChannelMap(*doc);
  const CChannelMapCell& cell = map.engines[1].cells[9];
  EXPECT_TRUE(cell.usedTwice);
  EXPECT_EQ(cell.claimants, (std::vector<std::string>{"GPIO", "HALL"}));
  // The page shows the function listed last.
  EXPECT_EQ(cell.name, "HALL");
  EXPECT_TRUE(map.engines[1].cells[8].free);
  EXPECT_EQ(CellSpokenText(1, cell), "Engine B channel 9: HALL channel, load unknown, used twice by GPIO and HALL");
  for (const CChannelMapCell& other : map.engines[0].cells)
    EXPECT_FALSE(other.usedTwice);
}

TEST_F(ChannelMapTest, EngineTheProcessorLacksIsAbsent) {
  Open(FixturePath("project/channelmap/oneengine/kivo_vam.c"));
  const CChannelMap map = BuildChannelMap(*doc);
  EXPECT_TRUE(map.engines[0].present);
  EXPECT_EQ(map.engines[0].cells.size(), 32u);
  EXPECT_FALSE(map.engines[1].present);
  EXPECT_TRUE(map.engines[1].cells.empty());
  EXPECT_EQ(map.engines[1].strayFunctions, 5);
  EXPECT_EQ(EngineSpokenText(map.engines[1]), "Engine B: not on this processor");
}

TEST_F(ChannelMapTest, EditAndUndoChangeTheMap) {
  Open(SourcePath("examples/demo/kivo_vam.c"));
  const CProjDoc::CFuncInfo* pwm1 = doc->FindChannelUser(0, 1);
  ASSERT_TRUE(pwm1);
  ASSERT_TRUE(doc->RemoveConfiguredFunctions({pwm1}));
  EXPECT_TRUE(BuildChannelMap(*doc).engines[0].cells[1].free);
  ASSERT_TRUE(doc->Undo());
  EXPECT_EQ(BuildChannelMap(*doc).engines[0].cells[1].name, "PWM1");
}

struct CStateRow {
  const char* name;
  double total;
  ELoadState state;
};

TEST(ChannelMapLoadState, ThresholdsAt80And100) {
  const CStateRow rows[] = {
      {"idle", 0, ELoadState::kNormal},
      {"exactly 80", 80.0, ELoadState::kNormal},
      {"just above 80", 80.05, ELoadState::kHigh},
      {"exactly 100", 100.0, ELoadState::kHigh},
      {"just above 100", 100.05, ELoadState::kOver},
      {"far above", 250, ELoadState::kOver},
  };
  for (const CStateRow& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(LoadStateOf(row.total), row.state);
  }
  CChannelMapEngine engine;
  engine.engine = 0;
  engine.present = true;
  engine.totalLoadText = "100.1 %";
  engine.state = LoadStateOf(100.1);
  EXPECT_EQ(EngineSpokenText(engine), "Engine A: total load 100.1 %, above 100 %");
}

}  // namespace
