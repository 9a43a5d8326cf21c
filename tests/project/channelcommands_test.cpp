// The channels page's command rules over the sample project: what a selection stands for and enables, and the flag cells.
#include "project/channelcommands.h"

#include <gtest/gtest.h>

#include "bundledkb.h"
#include "common/testsupport.h"

namespace {

class ChannelCommandsTest : public CBundledKbTest {
 protected:
  void SetUp() override {
    doc = std::make_unique<CProjDoc>(*s_kb);
    ASSERT_TRUE(doc->OnOpenDocument(SourcePath("examples/demo/kivo_vam.c").string()));
    ports.messages.Clear();
  }

  CRecordedPorts ports;
  std::unique_ptr<CProjDoc> doc;
};

TEST_F(ChannelCommandsTest, SelectionStandsForItsDistinctFunctions) {
  // Engine A: PWM0 on 0, PWM1 on 1, DTPWM on 4 and 5, ADCTRIG on 8; engine B: GPIO (no API) on 8.
  const CChannelTable a = BuildChannelTable(*doc, 0);
  const CChannelTable b = BuildChannelTable(*doc, 1);
  const CProjDoc::CFuncInfo* dtpwm = a.rows[4].func;
  struct CRow {
    const char* name;
    const CChannelTable* table;
    std::vector<int> rows;
    std::size_t functions;
    CChannelCommandStates states;
  } rows[] = {
      {"nothing selected", &a, {}, 0, {false, false, false}},
      {"free rows only", &a, {2, 3, 31}, 0, {false, false, false}},
      {"both rows of one function", &a, {5, 4}, 1, {true, true, true}},
      {"one function and free rows", &a, {3, 4, 6}, 1, {true, true, true}},
      {"two functions", &a, {0, 5}, 2, {false, true, false}},
      {"a function without a C API", &b, {8}, 1, {true, true, false}},
      {"rows outside the table", &a, {-1, 32, 99}, 0, {false, false, false}},
  };
  for (const CRow& row : rows) {
    SCOPED_TRACE(row.name);
    std::vector<const CProjDoc::CFuncInfo*> selected = SelectedFunctions(*row.table, row.rows);
    EXPECT_EQ(selected.size(), row.functions);
    EXPECT_EQ(ChannelCommandStates(selected), row.states);
  }
  // The rows of a selected function are all marked, whichever of them was selected.
  std::vector<bool> marked = RowsOfFunctions(a, SelectedFunctions(a, {5}));
  ASSERT_EQ(marked.size(), 32u);
  for (int channel = 0; channel < 32; ++channel)
    EXPECT_EQ(marked[static_cast<std::size_t>(channel)], channel == 4 || channel == 5) << channel;
  EXPECT_EQ(SelectedFunctions(a, {5, 0, 4}), (std::vector<const CProjDoc::CFuncInfo*>{a.rows[0].func, dtpwm}));
}

TEST_F(ChannelCommandsTest, AddStartsAtTheFocusedRowOrTheNextFreeOne) {
  // Engine A of the sample: PWM0 and PWM1 on 0 and 1, DTPWM on 4 and 5, the trigger on 8.
  const CChannelTable a = BuildChannelTable(*doc, 0);
  ASSERT_TRUE(a.rows[0].func && a.rows[1].func && !a.rows[2].func && a.rows[4].func && !a.rows[6].func);
  struct {
    int focused, start;
  } cases[] = {{-1, -1}, {2, 2}, {0, 2}, {4, 6}, {31, 31}};
  for (const auto& c : cases)
    EXPECT_EQ(AddStartChannel(a, c.focused), c.start) << c.focused;
  CChannelTable full = a;
  for (CChannelRow& row : full.rows)
    row.func = a.rows[0].func;
  EXPECT_EQ(AddStartChannel(full, 3), -1);
}

TEST_F(ChannelCommandsTest, FlagCellsChangeOneChannelsBits) {
  CProjDoc::CChannelMasks masks{0x1, 0x2, 0x80000000u, 0};
  EXPECT_TRUE(SetChannelFlag(masks, EChannelFlag::kCie, 5, true));
  EXPECT_TRUE(SetChannelFlag(masks, EChannelFlag::kCdtre, 1, false));
  EXPECT_TRUE(SetOdisChoice(masks, 5, "Low"));
  EXPECT_EQ(masks, (CProjDoc::CChannelMasks{0x21, 0x0, 0x80000020u, 0x20}));
  EXPECT_TRUE(SetOdisChoice(masks, 5, "High"));
  EXPECT_EQ(masks.odis, 0x80000020u);
  EXPECT_EQ(masks.opol, 0u);
  EXPECT_TRUE(SetOdisChoice(masks, 31, "Off"));
  EXPECT_EQ(masks.odis, 0x20u);

  const CProjDoc::CChannelMasks before = masks;
  EXPECT_FALSE(SetOdisChoice(masks, 32, "Low"));
  EXPECT_FALSE(SetOdisChoice(masks, 4, "low"));
  EXPECT_FALSE(SetChannelFlag(masks, EChannelFlag::kCie, -1, true));
  EXPECT_EQ(masks, before);
}

}  // namespace
