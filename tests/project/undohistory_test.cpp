// The undo history's steps, names and saved state, over plain texts as images.
#include "project/undohistory.h"

#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

namespace {

// One instruction per letter: "r" records the next step, "u" undoes, "d"
// redoes, "s" marks the present state saved, "f" forgets the saved state.
struct CRow {
  const char* name;
  const char* script;
  std::size_t limit;
  std::string undoName;  // after the script; empty when nothing to undo
  std::string redoName;
  bool atSaved;
  std::string present;  // the image the last undo or redo went to
};

void PrintTo(const CRow& row, std::ostream* out) { *out << row.name; }

class HistoryTest : public ::testing::TestWithParam<CRow> {};

TEST_P(HistoryTest, FollowsItsScript) {
  const CRow& row = GetParam();
  CUndoHistory history(row.limit);
  int next = 1;
  std::string present = "0";
  for (const char* c = row.script; *c; ++c) {
    switch (*c) {
      case 'r': {
        std::string after = std::to_string(next);
        history.Record({"Step " + after, {present, {}, {}, {}}, {after, {}, {}, {}}});
        present = after;
        ++next;
        break;
      }
      case 'u':
        if (const CUndoHistory::CStep* step = history.Undo())
          present = step->before.source;
        break;
      case 'd':
        if (const CUndoHistory::CStep* step = history.Redo())
          present = step->after.source;
        break;
      case 's': history.MarkSaved(); break;
      case 'f': history.ForgetSaved(); break;
    }
  }
  EXPECT_EQ(history.UndoName(), row.undoName);
  EXPECT_EQ(history.RedoName(), row.redoName);
  EXPECT_EQ(history.CanUndo(), !row.undoName.empty());
  EXPECT_EQ(history.CanRedo(), !row.redoName.empty());
  EXPECT_EQ(history.AtSavedState(), row.atSaved);
  EXPECT_EQ(present, row.present);
}

INSTANTIATE_TEST_SUITE_P(
    Scripts, HistoryTest,
    ::testing::Values(
        CRow{"empty history is at the saved state", "", 10, "", "", true, "0"},
        CRow{"a step leaves the saved state", "r", 10, "Step 1", "", false, "1"},
        CRow{"undo goes back to it", "ru", 10, "", "Step 1", true, "0"},
        CRow{"undo with nothing to undo changes nothing", "uu", 10, "", "", true, "0"},
        CRow{"undo all, redo all", "rrruuuddd", 10, "Step 3", "", false, "3"},
        CRow{"a new step drops what could be redone", "rrur", 10, "Step 3", "", false, "3"},
        CRow{"saved in the middle, then undone and redone", "rrsud", 10, "Step 2", "", true, "2"},
        CRow{"a saved state among the dropped steps is lost", "rrsuurur", 10, "Step 4", "", false, "4"},
        CRow{"forgotten: no state is the saved one", "rfu", 10, "", "Step 1", false, "0"},
        CRow{"beyond the limit the oldest steps go", "rrrruuuu", 2, "", "Step 3", false, "2"},
        CRow{"the saved state goes with the oldest step", "srrr", 2, "Step 3", "", false, "3"},
        CRow{"a saved state kept within the limit", "rrsr", 2, "Step 3", "", false, "3"},
        CRow{"and found again by undo", "rrsru", 2, "Step 2", "Step 3", true, "2"}),
    [](const ::testing::TestParamInfo<CRow>& param) {
      std::string name = param.param.name;
      for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)))
          c = '_';
      return name;
    });

}  // namespace
