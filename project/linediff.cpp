// Line difference: common ends first, then Myers' shortest edit script within
// a bound on its length, then lines that occur once on each side as anchors
// for what is left; what none of them can match counts as replaced.
#include "project/linediff.h"

#include <algorithm>
#include <unordered_map>
#include <utility>

namespace {

// Beyond this many differences in one region the exact script costs too much
// for a view that refreshes on every edit; the region is split at its unique
// lines instead.
constexpr int kMaxScriptLength = 256;

using CMatches = std::vector<std::pair<int, int>>;

struct CRegion {
  int a0, a1, b0, b1;
};

class CDiffer {
 public:
  CDiffer(std::vector<int> a, std::vector<int> b, int ids) : m_a(std::move(a)), m_b(std::move(b)), m_ids(ids) {}

  CMatches Run() {
    std::vector<CRegion> work = {{0, int(m_a.size()), 0, int(m_b.size())}};
    while (!work.empty()) {
      CRegion region = work.back();
      work.pop_back();
      Match(region, work);
    }
    std::sort(m_matches.begin(), m_matches.end());
    return std::move(m_matches);
  }

 private:
  void Match(CRegion r, std::vector<CRegion>& work) {
    while (r.a0 < r.a1 && r.b0 < r.b1 && m_a[r.a0] == m_b[r.b0])
      m_matches.emplace_back(r.a0++, r.b0++);
    while (r.a0 < r.a1 && r.b0 < r.b1 && m_a[r.a1 - 1] == m_b[r.b1 - 1])
      m_matches.emplace_back(--r.a1, --r.b1);
    if (r.a0 == r.a1 || r.b0 == r.b1)
      return;
    if (Script(r))
      return;
    Split(r, work);
  }

  // Myers' greedy forward search; false when the script would be longer than the bound.
  bool Script(const CRegion& r) {
    const int n = r.a1 - r.a0;
    const int m = r.b1 - r.b0;
    const int limit = std::min(n + m, kMaxScriptLength);
    const int offset = limit + 1;
    std::vector<int> v(2 * std::size_t(limit) + 3, 0);
    std::vector<std::vector<int>> trace;
    for (int d = 0; d <= limit; ++d) {
      trace.push_back(v);
      for (int k = -d; k <= d; k += 2) {
        int x = (k == -d || (k != d && v[offset + k - 1] < v[offset + k + 1])) ? v[offset + k + 1]
                                                                                : v[offset + k - 1] + 1;
        int y = x - k;
        while (x < n && y < m && m_a[r.a0 + x] == m_b[r.b0 + y])
          ++x, ++y;
        v[offset + k] = x;
        if (x >= n && y >= m) {
          Backtrack(r, trace, d, offset);
          return true;
        }
      }
    }
    return false;
  }

  void Backtrack(const CRegion& r, const std::vector<std::vector<int>>& trace, int depth, int offset) {
    int x = r.a1 - r.a0;
    int y = r.b1 - r.b0;
    for (int d = depth; d > 0; --d) {
      const std::vector<int>& v = trace[d];
      const int k = x - y;
      const int prevK = (k == -d || (k != d && v[offset + k - 1] < v[offset + k + 1])) ? k + 1 : k - 1;
      const int prevX = v[offset + prevK];
      const int prevY = prevX - prevK;
      while (x > prevX && y > prevY)
        m_matches.emplace_back(r.a0 + --x, r.b0 + --y);
      x = prevX;
      y = prevY;
    }
    while (x > 0 && y > 0)
      m_matches.emplace_back(r.a0 + --x, r.b0 + --y);
  }

  // The longest run, in order on both sides, of lines that occur once on each
  // side become matches, and the gaps between them are regions of their own.
  void Split(const CRegion& r, std::vector<CRegion>& work) {
    if (m_countA.empty()) {
      m_countA.assign(m_ids, 0);
      m_countB.assign(m_ids, 0);
      m_posB.assign(m_ids, -1);
    }
    for (int i = r.a0; i < r.a1; ++i)
      ++m_countA[m_a[i]];
    for (int j = r.b0; j < r.b1; ++j) {
      ++m_countB[m_b[j]];
      m_posB[m_b[j]] = j;
    }
    CMatches unique;
    for (int i = r.a0; i < r.a1; ++i)
      if (m_countA[m_a[i]] == 1 && m_countB[m_a[i]] == 1)
        unique.emplace_back(i, m_posB[m_a[i]]);
    for (int i = r.a0; i < r.a1; ++i)
      m_countA[m_a[i]] = 0;
    for (int j = r.b0; j < r.b1; ++j)
      m_countB[m_b[j]] = 0;

    // Patience sorting: the longest rising sequence of new positions.
    std::vector<int> tails;                          // index into `unique` ending each length
    std::vector<int> previous(unique.size(), -1);
    for (int u = 0; u < int(unique.size()); ++u) {
      auto at = std::lower_bound(tails.begin(), tails.end(), unique[u].second,
                                 [&](int t, int b) { return unique[t].second < b; });
      if (at != tails.begin())
        previous[u] = *(at - 1);
      if (at == tails.end())
        tails.push_back(u);
      else
        *at = u;
    }
    if (tails.empty())
      return;  // nothing to hold on to: replaced as a whole
    int a1 = r.a1;
    int b1 = r.b1;
    for (int u = tails.back(); u >= 0; u = previous[u]) {
      auto [i, j] = unique[u];
      m_matches.emplace_back(i, j);
      work.push_back({i + 1, a1, j + 1, b1});
      a1 = i;
      b1 = j;
    }
    work.push_back({r.a0, a1, r.b0, b1});
  }

  std::vector<int> m_a, m_b;
  int m_ids;
  CMatches m_matches;
  std::vector<int> m_countA, m_countB, m_posB;
};

}  // namespace

std::vector<std::string_view> SplitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    std::size_t next = end == std::string_view::npos ? text.size() : end + 1;
    if (end == std::string_view::npos)
      end = text.size();
    std::size_t stop = end > start && text[end - 1] == '\r' ? end - 1 : end;
    lines.push_back(text.substr(start, stop - start));
    start = next;
  }
  return lines;
}

CLineDiff DiffLines(const std::vector<std::string_view>& oldLines, const std::vector<std::string_view>& newLines,
                    const CLineKey& key) {
  std::unordered_map<std::string_view, int> ids;
  ids.reserve(oldLines.size() + newLines.size());
  auto intern = [&](const std::vector<std::string_view>& lines) {
    std::vector<int> out;
    out.reserve(lines.size());
    for (std::string_view line : lines)
      out.push_back(ids.try_emplace(key ? key(line) : line, int(ids.size())).first->second);
    return out;
  };
  std::vector<int> a = intern(oldLines);
  std::vector<int> b = intern(newLines);
  CMatches matches = CDiffer(std::move(a), std::move(b), int(ids.size())).Run();
  matches.emplace_back(int(oldLines.size()), int(newLines.size()));

  CLineDiff diff;
  const int newCount = int(newLines.size());
  diff.marks.assign(newLines.size(), ELineMark::kSame);
  int lastA = -1;
  int lastB = -1;
  for (auto [i, j] : matches) {
    const int gone = i - lastA - 1;
    const int come = j - lastB - 1;
    const int changed = std::min(gone, come);
    for (int line = lastB + 1; line < j; ++line)
      diff.marks[line] = line - lastB - 1 < changed ? ELineMark::kChanged : ELineMark::kAdded;
    diff.changed += changed;
    diff.added += come - changed;
    if (gone > come) {
      diff.removals.push_back({j, gone - come});
      diff.removed += gone - come;
    }
    if (come > 0)
      diff.places.push_back(lastB + 1);
    else if (gone > 0)
      diff.places.push_back(std::max(0, std::min(j, newCount - 1)));
    lastA = i;
    lastB = j;
  }
  return diff;
}
