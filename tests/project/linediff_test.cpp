// The line difference as data: marks of the new lines and removals for
// insertions, deletions and changes anywhere, empty texts, line ends, and
// large files with few or many differences.
#include "project/linediff.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// One character a new line: '.' the same, '+' added, '~' changed.
std::string Marks(const CLineDiff& diff) {
  std::string marks;
  for (ELineMark mark : diff.marks)
    marks += mark == ELineMark::kSame ? '.' : mark == ELineMark::kAdded ? '+' : '~';
  return marks;
}

CLineDiff Diff(const std::string& oldText, const std::string& newText) {
  std::vector<std::string_view> oldLines = SplitLines(oldText);
  std::vector<std::string_view> newLines = SplitLines(newText);
  CLineDiff diff = DiffLines(oldLines, newLines);
  // Every old line is matched, changed or removed exactly once.
  int same = 0;
  for (ELineMark mark : diff.marks)
    same += mark == ELineMark::kSame;
  EXPECT_EQ(int(oldLines.size()), same + diff.changed + diff.removed);
  EXPECT_EQ(int(newLines.size()), same + diff.changed + diff.added);
  return diff;
}

struct CCase {
  const char* name;
  std::string oldText;
  std::string newText;
  std::string marks;
  std::vector<CLineRemoval> removals;
  std::vector<int> places;
};

TEST(LineDiff, MarksAndRemovals) {
  const CCase cases[] = {
      {"same", "a\nb\nc\n", "a\nb\nc\n", "...", {}, {}},
      {"insert inside", "a\nb\nc\n", "a\nx\nb\nc\n", ".+..", {}, {1}},
      {"insert at start", "a\nb\n", "x\ny\na\nb\n", "++..", {}, {0}},
      {"insert at end", "a\nb\n", "a\nb\nx\n", "..+", {}, {2}},
      {"delete inside", "a\nb\nc\n", "a\nc\n", "..", {{1, 1}}, {1}},
      {"delete at start", "a\nb\nc\n", "b\nc\n", "..", {{0, 1}}, {0}},
      {"delete at end", "a\nb\nc\nd\n", "a\nb\n", "..", {{2, 2}}, {1}},
      {"change", "a\nb\nc\n", "a\nB\nc\n", ".~.", {}, {1}},
      {"change into more lines", "a\nb\nc\n", "a\nX\nY\nc\n", ".~+.", {}, {1}},
      {"change into fewer lines", "a\nb\nc\nd\n", "a\nX\nd\n", ".~.", {{2, 1}}, {1}},
      {"two places", "a\nb\nc\nd\ne\n", "A\nb\nc\nd\n", "~...", {{4, 1}}, {0, 3}},
      {"repeated lines", "}\n\n}\n\n}\n", "}\n\n}\n", "...", {{3, 2}}, {2}},
      {"old empty", "", "a\nb\n", "++", {}, {0}},
      {"new empty", "a\nb\n", "", "", {{0, 2}}, {0}},
      {"both empty", "", "", "", {}, {}},
      {"line ends do not count", "a\r\nb\r\nc", "a\nb\nc\n", "...", {}, {}},
      {"a blank last line counts", "a\n\n", "a\n", ".", {{1, 1}}, {0}},
  };
  for (const CCase& c : cases) {
    SCOPED_TRACE(c.name);
    CLineDiff diff = Diff(c.oldText, c.newText);
    EXPECT_EQ(Marks(diff), c.marks);
    EXPECT_EQ(diff.removals, c.removals);
    EXPECT_EQ(diff.places, c.places);
    EXPECT_EQ(diff.Same(), c.places.empty());
  }
}

TEST(LineDiff, LinesCompareByTheirKey) {
  std::vector<std::string_view> oldLines = SplitLines(" * on Mon\nx\n");
  std::vector<std::string_view> newLines = SplitLines(" * on Tue\ny\n");
  CLineDiff diff = DiffLines(oldLines, newLines, [](std::string_view line) {
    return line.starts_with(" * on ") ? std::string_view("stamp") : line;
  });
  EXPECT_EQ(Marks(diff), ".~");
}

// About 1 MiB a side: few changes among distinct lines are found exactly; many
// among lines that all repeat still end, with every line accounted for.
TEST(LineDiff, LargeFiles) {
  std::string oldText, newText;
  for (int i = 0; i < 30000; ++i) {
    std::string line = "    value_" + std::to_string(i) + " = " + std::to_string(i * 7) + "; /* row */\n";
    oldText += line;
    if (i % 1000 == 500)
      newText += "    changed_" + std::to_string(i) + ";\n";
    else if (i % 1000 != 900)
      newText += line;
    if (i % 1000 == 100)
      newText += "    added;\n";
  }
  ASSERT_GT(oldText.size(), 900u * 1024);
  CLineDiff diff = Diff(oldText, newText);
  EXPECT_EQ(diff.changed, 30);
  EXPECT_EQ(diff.added, 30);
  EXPECT_EQ(diff.removed, 30);
  EXPECT_EQ(diff.places.size(), 90u);

  std::string repeatOld, repeatNew;
  for (int i = 0; i < 60000; ++i) {
    repeatOld += i % 3 ? "}\n" : "{\n";
    repeatNew += i % 5 ? "}\n" : "{\n";
  }
  diff = Diff(repeatOld, repeatNew);
  EXPECT_FALSE(diff.Same());
}

}  // namespace
