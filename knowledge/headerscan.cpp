// Hand-written readers for the parts of a header that a pattern cannot read in time linear in the text.
#include "knowledge/headerscan.h"

#include "knowledge/commentpatterns.h"

#include <algorithm>
#include <map>
#include <unordered_set>
#include <vector>

namespace {

bool IsPatternSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsIdentStart(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; }
bool IsIdentChar(char c) { return IsIdentStart(c) || (c >= '0' && c <= '9'); }

std::size_t SkipSpace(std::string_view text, std::size_t at) {
  while (at < text.size() && IsPatternSpace(text[at]))
    ++at;
  return at;
}

// Reads the declarations of one function. Every answer about a position is
// remembered for the next, later position, so that a line of a megabyte of
// identifier characters, or of opening parentheses, is walked once.
class CPrototypeScanner {
 public:
  CPrototypeScanner(std::string_view text, std::string_view lowerName)
      : m_text(text), m_head("kivo_" + std::string(lowerName) + "_") {}

  CMatchList Scan() {
    CMatchList matches;
    std::size_t from = 0;
    while (from <= m_text.size()) {
      std::size_t first = FirstValid(from);
      if (first == std::string_view::npos)
        break;
      // The earliest start is the first letter of the identifier holding
      // the first declaration; from there, the longest prefix that reaches a
      // declaration wins.
      std::size_t runStart = first;
      while (runStart > from && IsIdentChar(m_text[runStart - 1]))
        --runStart;
      std::size_t runEnd = IdentEnd(first);
      std::size_t letter = runStart;
      while (letter < first && !IsIdentStart(m_text[letter]))
        ++letter;
      std::size_t best = std::string_view::npos;
      for (std::size_t k = first; k != std::string_view::npos && k <= runEnd; k = m_text.find(m_head, k + 1))
        if (k >= letter + 2 && m_text[k - 1] == '_' && Tail(k).valid)
          best = k;
      std::size_t start = best != std::string_view::npos ? letter : first;
      const CTail& tail = Tail(best != std::string_view::npos ? best : first);
      matches.push_back({std::string(m_text.substr(start, tail.nameEnd - start)),
                         std::string(m_text.substr(tail.paramsStart, tail.paramsEnd - tail.paramsStart))});
      from = tail.matchEnd;
    }
    return matches;
  }

 private:
  struct CTail {
    bool valid = false;
    std::size_t nameEnd = 0;
    std::size_t paramsStart = 0;
    std::size_t paramsEnd = 0;
    std::size_t matchEnd = 0;
  };

  std::size_t FirstValid(std::size_t from) {
    for (std::size_t k = m_text.find(m_head, from); k != std::string_view::npos; k = m_text.find(m_head, k + 1))
      if (Tail(k).valid)
        return k;
    return std::string_view::npos;
  }

  // The end of the identifier characters from `at` on.
  std::size_t IdentEnd(std::size_t at) {
    if (at >= m_runQuery && at <= m_runEnd)
      return m_runEnd;
    m_runQuery = at;
    m_runEnd = at;
    while (m_runEnd < m_text.size() && IsIdentChar(m_text[m_runEnd]))
      ++m_runEnd;
    return m_runEnd;
  }

  // The first ")" or ";" from `at` on.
  std::size_t Stop(std::size_t at) {
    if (at >= m_stopQuery && at <= m_stop)
      return m_stop;
    m_stopQuery = at;
    m_stop = at;
    while (m_stop < m_text.size() && m_text[m_stop] != ')' && m_text[m_stop] != ';')
      ++m_stop;
    return m_stop;
  }

  // What follows the function word of the candidate at `k`.
  const CTail& Tail(std::size_t k) {
    static const CTail kInvalid;
    std::size_t end = k + m_head.size();
    if (m_text.compare(end, 4, "init") == 0)
      end += 4;
    else if (m_text.compare(end, 5, "finit") == 0)
      end += 5;
    else
      return kInvalid;
    if (end < m_text.size() && m_text[end] == '_')
      end = IdentEnd(end);
    else if (end < m_text.size() && IsIdentChar(m_text[end]))
      return kInvalid;
    auto known = m_tails.find(end);
    if (known != m_tails.end())
      return known->second;
    CTail& tail = m_tails[end];
    tail.nameEnd = end;
    std::size_t open = SkipSpace(m_text, end);
    if (open >= m_text.size() || m_text[open] != '(')
      return tail;
    std::size_t close = Stop(open + 1);
    if (close >= m_text.size() || m_text[close] != ')')
      return tail;
    std::size_t semicolon = SkipSpace(m_text, close + 1);
    if (semicolon >= m_text.size() || m_text[semicolon] != ';')
      return tail;
    tail.valid = true;
    tail.paramsStart = open + 1;
    tail.paramsEnd = close;
    tail.matchEnd = semicolon + 1;
    return tail;
  }

  std::string_view m_text;
  std::string m_head;
  std::size_t m_runQuery = 1, m_runEnd = 0;
  std::size_t m_stopQuery = 1, m_stop = 0;
  std::map<std::size_t, CTail> m_tails;
};

bool StartsWith(std::string_view text, std::size_t at, std::string_view word) {
  return at <= text.size() && text.size() - at >= word.size() &&
         (word.empty() || (text[at] == word[0] && text.compare(at, word.size(), word) == 0));
}

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool StartsWithIgnoreCase(std::string_view text, std::size_t at, std::string_view lowerWord) {
  if (at > text.size() || text.size() - at < lowerWord.size())
    return false;
  for (std::size_t i = 0; i < lowerWord.size(); ++i)
    if (Lower(text[at + i]) != lowerWord[i])
      return false;
  return true;
}

}  // namespace

std::size_t CommentHeadingEnd(std::string_view text, std::size_t open) {
  std::size_t i = open + 2;
  for (; i < text.size(); ++i) {
    if (text[i] == '\r')
      break;
    if (i + 2 < text.size()) {
      char next = text[i + 1];
      char after = text[i + 2];
      if ((next == '/' && after == '*') || (next == '*' && after == '/'))
        break;
    }
  }
  return std::min(i, text.size());
}

std::size_t CommentRestEnd(std::string_view text, std::size_t from) {
  for (std::size_t j = from; j < text.size(); ++j) {
    if (StartsWith(text, j, "*/"))
      return j;
    if (text[j] == '\r' || StartsWith(text, j + 1, "/*"))
      return std::string_view::npos;
  }
  return std::string_view::npos;
}

namespace {

// The load-expression comments of one text. Positions asked about only grow,
// so each answer is remembered for the next question.
class CLoadHeadingScanner {
 public:
  explicit CLoadHeadingScanner(std::string_view text) : m_text(text) {
    for (std::size_t at = 0; at + 10 <= text.size(); ++at)
      if ((text[at] | 0x20) == 'e' && StartsWithIgnoreCase(text, at, "expression"))
        m_expressions.push_back(at);
  }

  CMatchList Scan() {
    CMatchList matches;
    std::size_t from = 0;
    for (;;) {
      std::size_t open = m_text.find("/*", from);
      if (open == std::string_view::npos)
        break;
      from = open + 1;
      std::size_t last = CommentHeadingEnd(m_text, open);
      for (std::size_t h = open + 2; h <= last; ++h) {
        std::size_t nameStart = 0, nameEnd = 0;
        if (!Heading(h, nameStart, nameEnd))
          continue;
        // Once a heading is found, the start either reaches the comment's
        // end from there or fails.
        std::size_t end = CommentRestEnd(m_text, nameEnd);
        if (end != std::string_view::npos) {
          matches.push_back({std::string(m_text.substr(open + 2, h - open - 2)),
                             std::string(m_text.substr(nameStart, nameEnd - nameStart)),
                             std::string(m_text.substr(nameEnd, end - nameEnd))});
          from = end + 2;
        }
        break;
      }
    }
    return matches;
  }

 private:
  static constexpr std::size_t kGap = 200;

  // "load", at most kGap characters on the same line and inside the comment,
  // "expression" or "expressions", blanks, an optional colon, blanks, a name.
  bool Heading(std::size_t h, std::size_t& nameStart, std::size_t& nameEnd) {
    if (!StartsWithIgnoreCase(m_text, h, "load"))
      return false;
    std::size_t gapStart = h + 4;
    std::size_t limit = std::min(gapStart + kGap, Break(gapStart));
    auto x = std::lower_bound(m_expressions.begin(), m_expressions.end(), gapStart);
    for (; x != m_expressions.end() && *x <= limit; ++x) {
      std::size_t after = *x + 10;
      if (after < m_text.size() && (m_text[after] == 's' || m_text[after] == 'S') && NameAfter(after + 1, nameStart))
        ;
      else if (!NameAfter(after, nameStart))
        continue;
      nameEnd = nameStart + 1;
      while (nameEnd < m_text.size() && IsIdentChar(m_text[nameEnd]))
        ++nameEnd;
      return true;
    }
    return false;
  }

  // Blanks, an optional colon and blanks from `at`, then the first letter of a name.
  bool NameAfter(std::size_t at, std::size_t& nameStart) {
    auto known = m_names.find(at);
    if (known == m_names.end()) {
      std::size_t i = SkipSpace(m_text, at);
      if (i < m_text.size() && m_text[i] == ':')
        i = SkipSpace(m_text, i + 1);
      known = m_names.emplace(at, i < m_text.size() && IsIdentStart(m_text[i]) ? i : std::string_view::npos).first;
    }
    nameStart = known->second;
    return nameStart != std::string_view::npos;
  }

  // The first position from `at` on that a heading cannot cross: a line end
  // or the start of a comment's opening or closing.
  std::size_t Break(std::size_t at) {
    if (at >= m_breakQuery && at <= m_break)
      return m_break;
    m_breakQuery = at;
    m_break = at;
    while (m_break < m_text.size() && m_text[m_break] != '\n' && m_text[m_break] != '\r' &&
           !StartsWith(m_text, m_break, "/*") && !StartsWith(m_text, m_break, "*/"))
      ++m_break;
    return m_break;
  }

  std::string_view m_text;
  std::vector<std::size_t> m_expressions;
  std::size_t m_breakQuery = 1, m_break = 0;
  std::map<std::size_t, std::size_t> m_names;
};

}  // namespace

CMatchList FindLoadExpressions(std::string_view text) { return CLoadHeadingScanner(text).Scan(); }

namespace {

bool IsWordAt(std::string_view text, std::size_t at) { return at < text.size() && IsIdentChar(text[at]); }

// A word boundary before position `at`, as "\b" reads it.
bool IsBoundary(std::string_view text, std::size_t at) {
  return (at > 0 && IsWordAt(text, at - 1)) != IsWordAt(text, at);
}

bool IsWholeWord(std::string_view text) {
  if (text.empty())
    return false;
  for (char c : text)
    if (!IsIdentChar(c))
      return false;
  return true;
}

}  // namespace

CDocCommentScanner::CDocCommentScanner(std::string_view source) : m_text(source) {}

void CDocCommentScanner::ListWords() const {
  std::string_view source = m_text;
  for (std::size_t at = 0; at < source.size();) {
    if (!IsIdentChar(source[at])) {
      ++at;
      continue;
    }
    std::size_t end = at;
    while (end < source.size() && IsIdentChar(source[end]))
      ++end;
    m_words.emplace(source.substr(at, end - at));
    at = end;
  }
}

bool CDocCommentScanner::Mentions(std::string_view word) const {
  if (!IsWholeWord(word))
    return true;
  // A few questions are answered by searching the text; a source asked
  // about many names lists its words once instead.
  if (++m_questions < kQuestionsBeforeListing)
    return m_text.find(word) != std::string_view::npos;
  if (!m_listed) {
    ListWords();
    m_listed = true;
  }
  return m_words.count(word) != 0;
}

CMatchList CDocCommentScanner::Find(std::string_view initName, std::string_view item, bool notes, bool all) const {
  CMatchList matches;
  if (initName.empty() || !Mentions(initName) || (!notes && (item.empty() || !Mentions(item))))
    return matches;
  if (!m_commentsListed) {
    for (std::size_t open = m_text.find("/*"); open != std::string_view::npos; open = m_text.find("/*", open + 1))
      m_comments.emplace_back(open, CommentHeadingEnd(m_text, open));
    m_commentsListed = true;
  }
  std::size_t from = 0;
  for (const auto& [open, last] : m_comments) {
    if (open < from)
      continue;
    from = open + 1;
    // The first mention of the function in the comment is the one read.
    std::size_t name = FindWord(initName, open + 2, last);
    if (name == std::string_view::npos)
      continue;
    std::size_t middle = name + initName.size();
    std::size_t middleEnd = middle;
    while (middleEnd < m_text.size() && m_text[middleEnd] != '\r' && !StartsWith(m_text, middleEnd + 1, "*/") &&
           !StartsWith(m_text, middleEnd + 1, "/*"))
      ++middleEnd;
    std::size_t itemAt = 0, textStart = 0;
    if (!FindItem(item, notes, middle, std::min(middleEnd, m_text.size()), itemAt, textStart))
      continue;
    std::size_t end = CommentRestEnd(m_text, textStart);
    if (end == std::string_view::npos)
      continue;
    matches.push_back({std::string(m_text.substr(open + 2, name - open - 2)),
                       std::string(m_text.substr(middle, itemAt - middle)),
                       std::string(m_text.substr(textStart, end - textStart))});
    if (!all)
      break;
    from = end + 2;
  }
  return matches;
}

// The first whole-word occurrence of `word` that begins in [from, last].
std::size_t CDocCommentScanner::FindWord(std::string_view word, std::size_t from, std::size_t last) const {
  // Searched only up to `last`, so that a word missing from many comments
  // is not looked for to the end of the text from each of them.
  std::string_view window = m_text.substr(0, std::min(m_text.size(), last + word.size()));
  for (std::size_t at = window.find(word, from); at != std::string_view::npos; at = window.find(word, at + 1))
    if (IsBoundary(m_text, at) && IsBoundary(m_text, at + word.size()))
      return at;
  return std::string_view::npos;
}

// The first item in [from, last] followed by blanks and a separator; sets the
// item's position and the position after the separator.
bool CDocCommentScanner::FindItem(std::string_view item, bool notes, std::size_t from, std::size_t last,
                                  std::size_t& itemAt, std::size_t& textStart) const {
  for (std::size_t at = from; at <= last && at < m_text.size(); ++at) {
    std::size_t end = 0;
    if (notes) {
      if (!IsBoundary(m_text, at) || !StartsWithIgnoreCase(m_text, at, "project"))
        continue;
      std::size_t words = SkipSpace(m_text, at + 7);
      if (words == at + 7 || !StartsWithIgnoreCase(m_text, words, "notes") || !IsBoundary(m_text, words + 5))
        continue;
      end = words + 5;
    } else {
      at = m_text.substr(0, std::min(m_text.size(), last + item.size())).find(item, at);
      if (at == std::string_view::npos)
        return false;
      if (!IsBoundary(m_text, at) || !IsBoundary(m_text, at + item.size()))
        continue;
      end = at + item.size();
    }
    std::size_t separator = SkipSpace(m_text, end);
    if (separator < m_text.size() &&
        (m_text[separator] == '-' || m_text[separator] == ':' || m_text[separator] == '=')) {
      itemAt = at;
      textStart = separator + 1;
      return true;
    }
  }
  return false;
}

CMatchList FindPrototypes(std::string_view text, std::string_view lowerName) {
  return CPrototypeScanner(text, lowerName).Scan();
}

bool SplitRangeItem(std::string_view item, std::string& low, std::string& high) {
  // The first word is the shortest that lets the rest be read as dots and a
  // second word; the dots are as many as leave a second word after them.
  // Read by hand, because a pattern counts a long run of dots again from each
  // of its characters.
  std::size_t start = SkipSpace(item, 0);
  std::size_t end = item.size();
  while (end > start && IsPatternSpace(item[end - 1]))
    --end;
  std::size_t lastWord = end;
  while (lastWord > start && !IsPatternSpace(item[lastWord - 1]))
    --lastWord;
  std::size_t firstWordEnd = start;
  while (firstWordEnd < end && !IsPatternSpace(item[firstWordEnd]))
    ++firstWordEnd;
  std::vector<std::size_t> dots(item.size() + 1, 0);
  for (std::size_t i = item.size(); i-- > 0;)
    dots[i] = item[i] == '.' ? dots[i + 1] + 1 : 0;
  for (std::size_t split = start + 1; split <= firstWordEnd; ++split) {
    std::size_t at = split == firstWordEnd ? SkipSpace(item, split) : split;
    std::size_t run = dots[at];
    if (run < 2)
      continue;
    std::size_t second = SkipSpace(item, at + run);
    if (second >= end || second < lastWord) {
      // One dot fewer: the second word then begins with the last dot.
      if (run < 3 || at + run - 1 < lastWord)
        continue;
      second = at + run - 1;
    }
    low = std::string(item.substr(start, split - start));
    high = std::string(item.substr(second, end - second));
    return true;
  }
  return false;
}

bool SplitNamedItem(std::string_view item, std::string& valueName, std::string& value) {
  std::size_t at = SkipSpace(item, 0);
  if (at >= item.size() || !IsIdentStart(item[at]))
    return false;
  std::size_t nameEnd = at + 1;
  while (nameEnd < item.size() && IsIdentChar(item[nameEnd]))
    ++nameEnd;
  std::size_t open = SkipSpace(item, nameEnd);
  if (open >= item.size() || item[open] != '(')
    return false;
  std::size_t valueStart = SkipSpace(item, open + 1);
  std::size_t close = item.find(')', valueStart);
  if (close == std::string_view::npos || SkipSpace(item, close + 1) != item.size())
    return false;
  std::size_t valueEnd = close;
  while (valueEnd > valueStart && IsPatternSpace(item[valueEnd - 1]))
    --valueEnd;
  valueName = std::string(item.substr(at, nameEnd - at));
  value = std::string(item.substr(valueStart, valueEnd - valueStart));
  return true;
}

// A comment whose first line holds "channel" and "assignment", an optional
// selector in parentheses, and then assignment lines. Neither an assignment
// nor the heading's text takes in the comment's end, and the assignment lines
// are read once: no other split of them could reach the end of the comment.
// Blanks in the selector are taken whole where a word must follow them (the
// value after "=" is trimmed when read): splitting a long run of them between
// two lazy repeats costs its square. The value ends at its first ")" or,
// failing that, at the end of its word: every ")" inside the word leaves the
// rest of the same line to be read, so when the first fails they all do, and
// trying them one by one costs the square of a line of them.
std::string ChanAssignPattern() {
  return std::string(kCommentStart) + "(?:(?:(?:[Cc][Hh][Aa][Nn][Nn][Ee][Ll]" + kHeadingGap +
         "[Aa][Ss][Ss][Ii][Gg][Nn][Mm][Ee][Nn][Tt])|(?:[Aa][Ss][Ss][Ii][Gg][Nn][Mm][Ee][Nn][Tt]" + kHeadingGap +
         "[Cc][Hh][Aa][Nn][Nn][Ee][Ll])))" +
         R"(([^(\n]*+)((?:\(\s*+(?:([A-Za-z_][A-Za-z0-9_]*?)\s*?(?:\;|\:))?\s*+((?:[Dd][Ee][Ff][Aa][Uu][Ll][Tt])|)"
         R"((?:[A-Za-z_][A-Za-z0-9_]*?\s*?=\s*+(?:[^\s)]*+|\S*+)))\s*?\))?)(.*+)\n)"
         R"(((?>(?:(?:(?!\*\/)[^=\n])*?=(?:(?!\*\/)[^;\n])*;?\n?)+)))" +
         kCommentRest;
}

const char* VarDeclarationPattern() {
  // The unit is the bracketed text without the blanks around it; its blanks
  // are taken only when more text follows, so that a long run of them
  // without a closing bracket is read once.
  return R"(var\s+([A-Za-z_][A-Za-z0-9_]*)\s*(\{([^\}]*?)\})?\s*(\[\s*+((?:[^\]\s]|\s++(?=[^\]\s]))*+)\s*+\])?)";
}

// --- enumerations and options comments -------------------------------------

namespace {

bool IsTypeSpace(char c) { return c == ' ' || c == '\t' || c == '\n'; }

std::size_t SkipTypeSpace(std::string_view text, std::size_t at) {
  while (at < text.size() && IsTypeSpace(text[at]))
    ++at;
  return at;
}

// The end of the line from `at`: "." stops at either line end.
std::size_t LineEnd(std::string_view text, std::size_t at) {
  while (at < text.size() && text[at] != '\n' && text[at] != '\r')
    ++at;
  return at;
}

}  // namespace

CHeaderTables::CHeaderTables(std::string_view text) : m_text(text) { ReadEnumerations(); }

void CHeaderTables::ReadEnumerations() {
  // typedef, blanks, enum, blanks, an optional tag, the enumerators in braces.
  for (std::size_t at = m_text.find("typedef"); at != std::string_view::npos; at = m_text.find("typedef", at + 1)) {
    std::size_t i = at + 7;
    std::size_t word = SkipTypeSpace(m_text, i);
    if (word == i || !StartsWith(m_text, word, "enum"))
      continue;
    i = word + 4;
    std::size_t tag = SkipTypeSpace(m_text, i);
    if (tag == i)
      continue;
    i = tag;
    if (i < m_text.size() && IsIdentStart(m_text[i])) {
      while (i < m_text.size() && IsIdentChar(m_text[i]))
        ++i;
      i = SkipTypeSpace(m_text, i);
    }
    if (i >= m_text.size() || m_text[i] != '{')
      continue;
    std::size_t close = m_text.find_first_of("{}", i + 1);
    if (close == std::string_view::npos || m_text[close] != '}')
      continue;
    m_enums.push_back({i + 1, close});
  }
}

bool CHeaderTables::FindEnumeration(std::string_view type, std::string& enumerators) const {
  for (const CEnum& candidate : m_enums) {
    std::size_t at = SkipTypeSpace(m_text, candidate.close + 1);
    if (!StartsWith(m_text, at, type))
      continue;
    at = SkipTypeSpace(m_text, at + type.size());
    if (at < m_text.size() && m_text[at] == ';') {
      enumerators = std::string(m_text.substr(candidate.open, candidate.close - candidate.open));
      return true;
    }
  }
  return false;
}

void CHeaderTables::ReadOptionsComments() {
  m_optionsRead = true;
  for (std::size_t at = 0; at < m_text.size(); ++at) {
    char c = m_text[at];
    if ((c | 0x20) == 'o') {
      if (StartsWithIgnoreCase(m_text, at, "options"))
        m_options.push_back(at);
    } else if (c == '\n' || c == '\r' || ((c == '/' || c == '*') && at + 1 < m_text.size() &&
                                           m_text[at + 1] == (c == '/' ? '*' : '/'))) {
      m_breaks.push_back(at);
    }
  }
  if (m_options.empty())
    return;
  // Only a comment with "options" where its heading may stand can name a
  // parameter's options.
  for (std::size_t open = m_text.find("/*"); open != std::string_view::npos; open = m_text.find("/*", open + 1)) {
    std::size_t last = CommentHeadingEnd(m_text, open);
    auto options = std::lower_bound(m_options.begin(), m_options.end(), open + 2);
    if (options != m_options.end() && *options <= last + 1)
      m_comments.push_back({open + 2, last});
  }
}

// True when a heading may run from `from` to `to`: at most 200 characters,
// no line end and no comment opening or closing.
bool CHeaderTables::GapFits(std::size_t from, std::size_t to) const {
  if (to < from || to - from > 200)
    return false;
  auto stop = std::lower_bound(m_breaks.begin(), m_breaks.end(), from);
  return stop == m_breaks.end() || *stop >= to;
}

bool CHeaderTables::IsWholeWordAt(std::string_view name, std::size_t at) const {
  return StartsWith(m_text, at, name) && IsBoundary(m_text, at) && IsBoundary(m_text, at + name.size());
}

// The end of the first heading in the comment that names `name`, or npos.
// Headings are tried from the left, the name-first order before the other
// at the same place, each with its shortest gap.
std::size_t CHeaderTables::HeadingEnd(const COptionsComment& comment, std::string_view name) const {
  std::size_t bestStart = std::string_view::npos, bestEnd = std::string_view::npos;
  // Every search for the name stops where a heading could no longer use it,
  // so that a name missing from a long comment costs its length once.
  std::string_view window = m_text.substr(0, std::min(m_text.size(), comment.last + name.size()));
  for (std::size_t at = window.find(name, comment.first); at != std::string_view::npos;
       at = window.find(name, at + 1)) {
    if (!IsWholeWordAt(name, at))
      continue;
    std::size_t after = at + name.size();
    auto options = std::lower_bound(m_options.begin(), m_options.end(), after);
    for (; options != m_options.end() && *options <= after + 200; ++options)
      if (GapFits(after, *options)) {
        bestStart = at;
        bestEnd = *options + 7;
        break;
      }
    if (bestStart != std::string_view::npos)
      break;
  }
  auto options = std::lower_bound(m_options.begin(), m_options.end(), comment.first);
  for (; options != m_options.end() && *options <= comment.last && *options < bestStart; ++options) {
    std::size_t after = *options + 7;
    std::string_view near = m_text.substr(0, std::min(m_text.size(), after + 200 + name.size()));
    for (std::size_t at = near.find(name, after); at != std::string_view::npos; at = near.find(name, at + 1))
      if (IsWholeWordAt(name, at)) {
        if (GapFits(after, at))
          return at + name.size();
        break;
      }
  }
  return bestEnd;
}

// The #define lines that follow the comment's end when its rest, read from
// `from`, reaches that end: the rest of the closing line, then lines that
// begin with #define after any blanks or blank lines.
bool CHeaderTables::DefineBlock(std::size_t from, std::string& defines) const {
  std::size_t end = CommentRestEnd(m_text, from);
  if (end == std::string_view::npos)
    return false;
  std::size_t line = LineEnd(m_text, end + 2);
  if (line >= m_text.size() || m_text[line] != '\n')
    return false;
  std::size_t blockStart = line + 1;
  std::size_t blockEnd = blockStart;
  for (;;) {
    std::size_t define = SkipSpace(m_text, blockEnd);
    if (!StartsWith(m_text, define, "#define"))
      break;
    std::size_t defineEnd = LineEnd(m_text, define + 7);
    if (defineEnd >= m_text.size() || m_text[defineEnd] != '\n')
      break;
    blockEnd = defineEnd + 1;
  }
  if (blockEnd == blockStart)
    return false;
  defines = std::string(m_text.substr(blockStart, blockEnd - blockStart));
  return true;
}

bool CHeaderTables::FindOptionsComment(std::string_view name, std::string& defines) {
  if (!m_optionsRead)
    ReadOptionsComments();
  if (name.empty())
    return false;
  for (const COptionsComment& comment : m_comments) {
    std::size_t headingEnd = HeadingEnd(comment, name);
    if (headingEnd == std::string_view::npos)
      continue;
    if (DefineBlock(headingEnd, defines))
      return true;
  }
  return false;
}
