// The lines of a new text against an old one: which are new, which replace
// old lines, and where old lines are gone.
#pragma once

#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

enum class ELineMark : uint8_t { kSame, kAdded, kChanged };

// Old lines with no counterpart in the new text, gone just before new line
// `beforeLine` (the number of new lines when they were at the end).
struct CLineRemoval {
  int beforeLine = 0;
  int count = 0;
  bool operator==(const CLineRemoval&) const = default;
};

struct CLineDiff {
  std::vector<ELineMark> marks;  // one per new line
  std::vector<CLineRemoval> removals;
  // The new line where each place that differs starts, ascending: the first
  // added or changed line of a run, or the line a removal stands before (the
  // last line for a removal at the end).
  std::vector<int> places;
  int added = 0;
  int changed = 0;
  int removed = 0;
  bool Same() const { return places.empty(); }
};

// The lines of a text: each ends at "\n", which is not part of it, nor is a
// "\r" before it; a last line without "\n" counts, an empty text has none.
std::vector<std::string_view> SplitLines(std::string_view text);

// What two lines are compared by: lines with the same key are equal. By
// default the line itself.
using CLineKey = std::function<std::string_view(std::string_view)>;

// The difference of `newLines` against `oldLines`. Runs of equal lines are
// matched exactly; within a run that differs, as many new lines as old ones
// gone count as changed and the rest as added, and old lines beyond the new
// ones are removals. Large files with few differences take time in proportion
// to their length; where the matching would grow expensive (many differences
// among lines that all repeat) a region is taken as replaced as a whole.
CLineDiff DiffLines(const std::vector<std::string_view>& oldLines, const std::vector<std::string_view>& newLines,
                    const CLineKey& key = {});
