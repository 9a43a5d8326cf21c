// Hand-written readers for the parts of a header that a pattern cannot read in time linear in the text.
#include "knowledge/headerscan.h"

#include "knowledge/commentpatterns.h"
#include "knowledge/kbtext.h"

#include <algorithm>
#include <map>
#include <unordered_map>
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

// Every place where `lowerWord` begins, ignoring case, in order. The places
// of its first letter in either case are found by the library's search.
std::vector<std::size_t> WordPositions(std::string_view text, std::string_view lowerWord) {
  std::vector<std::size_t> positions;
  if (lowerWord.empty())
    return positions;
  char lower = lowerWord[0];
  char upper = lower >= 'a' && lower <= 'z' ? static_cast<char>(lower - 'a' + 'A') : lower;
  std::size_t nextLower = text.find(lower);
  std::size_t nextUpper = upper == lower ? std::string_view::npos : text.find(upper);
  while (nextLower != std::string_view::npos || nextUpper != std::string_view::npos) {
    std::size_t at = std::min(nextLower, nextUpper);
    if (StartsWithIgnoreCase(text, at, lowerWord))
      positions.push_back(at);
    if (at == nextLower)
      nextLower = text.find(lower, at + 1);
    else
      nextUpper = text.find(upper, at + 1);
  }
  return positions;
}

std::size_t FirstAtOrAfter(const std::vector<std::size_t>& positions, std::size_t from) {
  auto found = std::lower_bound(positions.begin(), positions.end(), from);
  return found == positions.end() ? std::string_view::npos : *found;
}

}  // namespace

// Both read by jumping from one "*" to the next (every comment opening and
// closing holds one), then looking for a carriage return before the place
// found: never further than the next comment's opening.
std::size_t CommentHeadingEnd(std::string_view text, std::size_t open) {
  std::size_t from = open + 2;
  if (from >= text.size())
    return text.size();
  // The first position at or after `from` whose next two characters open or
  // close a comment, unless a carriage return comes first.
  std::size_t end = text.size();
  for (std::size_t star = text.find('*', from + 1); star != std::string_view::npos; star = text.find('*', star + 1)) {
    if (star >= from + 2 && text[star - 1] == '/') {
      end = star - 2;
      break;
    }
    if (star + 1 < text.size() && text[star + 1] == '/') {
      end = star - 1;
      break;
    }
  }
  std::size_t lineEnd = text.substr(from, end - from).find('\r');
  return lineEnd == std::string_view::npos ? end : from + lineEnd;
}

std::size_t CommentRestEnd(std::string_view text, std::size_t from) {
  for (std::size_t star = text.find('*', from); star != std::string_view::npos; star = text.find('*', star + 1)) {
    if (star >= from + 2 && text[star - 1] == '/')
      return std::string_view::npos;
    if (star + 1 < text.size() && text[star + 1] == '/')
      return text.substr(from, star - from).find('\r') == std::string_view::npos ? star : std::string_view::npos;
  }
  return std::string_view::npos;
}

namespace {

// The load-expression comments of one text. Positions asked about only grow,
// so each answer is remembered for the next question.
class CLoadHeadingScanner {
 public:
  explicit CLoadHeadingScanner(std::string_view text) : m_text(text), m_expressions(WordPositions(text, "expression")) {}

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

// An item's name is followed, after blanks, by "-", ":" or "="; its text
// starts behind that mark.
bool ItemSeparator(std::string_view text, std::size_t nameEnd, std::size_t& textStart) {
  std::size_t separator = SkipSpace(text, nameEnd);
  if (separator >= text.size() || (text[separator] != '-' && text[separator] != ':' && text[separator] != '='))
    return false;
  textStart = separator + 1;
  return true;
}

// "Project notes" as two whole words, in any case, followed by an item's mark.
bool NotesItemAt(std::string_view text, std::size_t at, std::size_t& textStart) {
  if (!IsBoundary(text, at) || !StartsWithIgnoreCase(text, at, "project"))
    return false;
  std::size_t words = SkipSpace(text, at + 7);
  if (words == at + 7 || !StartsWithIgnoreCase(text, words, "notes") || !IsBoundary(text, words + 5))
    return false;
  return ItemSeparator(text, words + 5, textStart);
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

struct CDocCommentScanner::CIndex {
  // Per word, the comments whose heading mentions it, in order: the
  // comment's number and the word's first position in it.
  std::unordered_map<std::string_view, std::vector<std::pair<std::size_t, std::size_t>>> mentions;
  // Per word, where it stands followed by blanks and a separator: its
  // position and the position after the separator.
  std::unordered_map<std::string_view, std::vector<std::pair<std::size_t, std::size_t>>> items;
  std::vector<std::pair<std::size_t, std::size_t>> notes;  // the words "project notes" so
  std::vector<std::size_t> returns, opens, closes;
};

CDocCommentScanner::CDocCommentScanner(std::string_view source, int directQuestions)
    : m_text(source), m_directQuestions(directQuestions) {}

void CDocCommentScanner::ListComments() const {
  if (m_commentsListed)
    return;
  for (std::size_t open = m_text.find("/*"); open != std::string_view::npos; open = m_text.find("/*", open + 1))
    m_comments.emplace_back(open, CommentHeadingEnd(m_text, open));
  m_commentsListed = true;
}

CDocCommentScanner::~CDocCommentScanner() = default;

void CDocCommentScanner::Index() const {
  m_index = std::make_unique<CIndex>();
  CIndex& index = *m_index;
  const std::string_view text = m_text;
  for (std::size_t at = 0; at < text.size(); ++at) {
    char c = text[at];
    if (c == '\r') {
      index.returns.push_back(at);
    } else if (c == '/' && at + 1 < text.size() && text[at + 1] == '*') {
      index.opens.push_back(at);
    } else if (c == '*' && at + 1 < text.size() && text[at + 1] == '/') {
      index.closes.push_back(at);
    } else if (std::size_t textStart = 0; (c | 0x20) == 'p' && NotesItemAt(text, at, textStart)) {
      index.notes.emplace_back(at, textStart);
    }
  }
  for (std::size_t at = 0; at < text.size();) {
    if (!IsIdentChar(text[at])) {
      ++at;
      continue;
    }
    std::size_t end = at;
    while (end < text.size() && IsIdentChar(text[end]))
      ++end;
    if (std::size_t textStart = 0; ItemSeparator(text, end, textStart))
      index.items[text.substr(at, end - at)].emplace_back(at, textStart);
    at = end;
  }
  ListComments();
  for (std::size_t number = 0; number < m_comments.size(); ++number) {
    auto [open, last] = m_comments[number];
    for (std::size_t at = open + 2; at <= last && at < text.size();) {
      if (!IsIdentChar(text[at])) {
        ++at;
        continue;
      }
      std::size_t end = at;
      while (end < text.size() && IsIdentChar(text[end]))
        ++end;
      auto& mentions = index.mentions[text.substr(at, end - at)];
      if (mentions.empty() || mentions.back().first != number)
        mentions.emplace_back(number, at);
      at = end;
    }
  }
}

CMatchList CDocCommentScanner::Find(std::string_view initName, std::string_view item, bool notes, bool all) const {
  CMatchList matches;
  for (const CMatch& match : FindAt(initName, item, notes, all))
    matches.push_back({std::string(m_text.substr(match.open + 2, match.name - match.open - 2)),
                       std::string(m_text.substr(match.middle, match.item - match.middle)),
                       std::string(m_text.substr(match.textStart, match.end - match.textStart))});
  return matches;
}

std::vector<CDocCommentScanner::CMatch> CDocCommentScanner::FindAt(std::string_view initName, std::string_view item,
                                                                   bool notes, bool all) const {
  std::vector<CMatch> matches;
  if (initName.empty() || (!notes && item.empty()))
    return matches;
  // A few questions are answered by searching the text, which costs less
  // than indexing it; a source asked about many names is indexed.
  if (!m_index && ++m_questions > m_directQuestions)
    Index();
  if (!m_index &&
      (m_text.find(initName) == std::string_view::npos || (!notes && m_text.find(item) == std::string_view::npos)))
    return matches;
  ListComments();
  // With the index, a name that is a word is looked up; any other is looked
  // for in every comment.
  static const std::vector<std::pair<std::size_t, std::size_t>> kNone;
  const std::vector<std::pair<std::size_t, std::size_t>>* mentions = nullptr;
  if (m_index && IsWholeWord(initName)) {
    auto found = m_index->mentions.find(initName);
    mentions = found == m_index->mentions.end() ? &kNone : &found->second;
  }
  std::size_t count = mentions ? mentions->size() : m_comments.size();
  std::size_t from = 0;
  for (std::size_t i = 0; i < count; ++i) {
    std::size_t number = mentions ? (*mentions)[i].first : i;
    std::size_t open = m_comments[number].first;
    if (open < from)
      continue;
    from = open + 1;
    // The first mention of the function in the comment is the one read.
    std::size_t name = mentions ? (*mentions)[i].second : FindWord(initName, number);
    if (name == std::string_view::npos)
      continue;
    std::size_t middle = name + initName.size();
    std::size_t itemAt = 0, textStart = 0;
    if (!FindItem(item, notes, middle, LineEnd(middle), itemAt, textStart))
      continue;
    std::size_t end = RestEnd(textStart);
    if (end == std::string_view::npos)
      continue;
    matches.push_back({open, name, middle, itemAt, textStart, end});
    if (!all)
      break;
    from = end + 2;
  }
  return matches;
}

// The first whole-word occurrence of `word` that begins in the heading of comment `number`.
std::size_t CDocCommentScanner::FindWord(std::string_view word, std::size_t number) const {
  auto [open, last] = m_comments[number];
  // Searched only up to `last`, so that a word missing from many comments
  // is not looked for to the end of the text from each of them.
  std::string_view window = m_text.substr(0, std::min(m_text.size(), last + word.size()));
  for (std::size_t at = window.find(word, open + 2); at != std::string_view::npos; at = window.find(word, at + 1))
    if (IsBoundary(m_text, at) && IsBoundary(m_text, at + word.size()))
      return at;
  return std::string_view::npos;
}

namespace {

// The first element of an ordered list at or after `from`, or npos.
std::size_t FirstFrom(const std::vector<std::size_t>& positions, std::size_t from) {
  auto found = std::lower_bound(positions.begin(), positions.end(), from);
  return found == positions.end() ? std::string_view::npos : *found;
}

}  // namespace

// Where the line of the function's name ends for the item's search: the
// first position from `from` on that holds a carriage return or is followed
// by a comment's opening or closing; the text's end otherwise.
std::size_t CDocCommentScanner::LineEnd(std::size_t from) const {
  if (!m_index) {
    std::size_t end = from;
    while (end < m_text.size() && m_text[end] != '\r' && !StartsWith(m_text, end + 1, "*/") &&
           !StartsWith(m_text, end + 1, "/*"))
      ++end;
    return end;
  }
  const CIndex& index = *m_index;
  std::size_t end = std::min(m_text.size(), FirstFrom(index.returns, from));
  for (const std::vector<std::size_t>* marks : {&index.opens, &index.closes}) {
    std::size_t mark = FirstFrom(*marks, from + 1);
    if (mark != std::string_view::npos)
      end = std::min(end, mark - 1);
  }
  return end;
}

// CommentRestEnd over the index.
std::size_t CDocCommentScanner::RestEnd(std::size_t from) const {
  if (!m_index)
    return CommentRestEnd(m_text, from);
  const CIndex& index = *m_index;
  std::size_t close = FirstFrom(index.closes, from);
  if (close == std::string_view::npos || FirstFrom(index.returns, from) < close)
    return std::string_view::npos;
  std::size_t open = FirstFrom(index.opens, from + 1);
  return open == std::string_view::npos || open - 1 >= close ? close : std::string_view::npos;
}

// The first item in [from, last] followed by blanks and a separator; sets the
// item's position and the position after the separator.
bool CDocCommentScanner::FindItem(std::string_view item, bool notes, std::size_t from, std::size_t last,
                                  std::size_t& itemAt, std::size_t& textStart) const {
  if (!m_index && notes)
    return FindNotesInText(from, last, itemAt, textStart);
  if (!notes && (!m_index || !IsWholeWord(item)))
    return FindItemInText(item, from, last, itemAt, textStart);
  const CIndex& index = *m_index;
  const std::vector<std::pair<std::size_t, std::size_t>>* places = &index.notes;
  if (!notes) {
    auto found = index.items.find(item);
    if (found == index.items.end())
      return false;
    places = &found->second;
  }
  auto place = std::lower_bound(places->begin(), places->end(), std::make_pair(from, std::size_t{0}));
  if (place == places->end() || place->first > last || place->first >= m_text.size())
    return false;
  itemAt = place->first;
  textStart = place->second;
  return true;
}

// FindItem for the words "project notes", by searching the text.
bool CDocCommentScanner::FindNotesInText(std::size_t from, std::size_t last, std::size_t& itemAt,
                                         std::size_t& textStart) const {
  for (std::size_t at = from; at <= last && at < m_text.size(); ++at) {
    if (NotesItemAt(m_text, at, textStart)) {
      itemAt = at;
      return true;
    }
  }
  return false;
}

// FindItem by searching the text.
bool CDocCommentScanner::FindItemInText(std::string_view item, std::size_t from, std::size_t last,
                                        std::size_t& itemAt, std::size_t& textStart) const {
  std::string_view window = m_text.substr(0, std::min(m_text.size(), last + item.size()));
  for (std::size_t at = window.find(item, from); at != std::string_view::npos && at <= last;
       at = window.find(item, at + 1)) {
    if (!IsBoundary(m_text, at) || !IsBoundary(m_text, at + item.size()))
      continue;
    if (ItemSeparator(m_text, at + item.size(), textStart)) {
      itemAt = at;
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

CMatchList FindHeadingComment(std::string_view text, std::string_view first, std::string_view second) {
  constexpr std::size_t kGap = 200;
  std::vector<std::size_t> firsts = WordPositions(text, first);
  std::vector<std::size_t> seconds = WordPositions(text, second);
  if (firsts.empty() || seconds.empty())
    return {};
  // Where a heading's gap cannot reach: line ends, comment openings and closings.
  std::vector<std::size_t> breaks;
  for (std::size_t at = 0; at < text.size(); ++at)
    if (text[at] == '\n' || text[at] == '\r' || StartsWith(text, at, "/*") || StartsWith(text, at, "*/"))
      breaks.push_back(at);
  // The end of the heading that begins with the word at `h` and reaches the
  // nearest word of `others`, or npos.
  auto headingEnd = [&](std::size_t h, std::size_t length, const std::vector<std::size_t>& others,
                        std::size_t otherLength) {
    std::size_t gapStart = h + length;
    std::size_t other = FirstAtOrAfter(others, gapStart);
    if (other == std::string_view::npos || other - gapStart > kGap || FirstAtOrAfter(breaks, gapStart) < other)
      return std::string_view::npos;
    return other + otherLength;
  };
  for (std::size_t open = text.find("/*"); open != std::string_view::npos; open = text.find("/*", open + 1)) {
    std::size_t last = CommentHeadingEnd(text, open);
    auto f = std::lower_bound(firsts.begin(), firsts.end(), open + 2);
    auto s = std::lower_bound(seconds.begin(), seconds.end(), open + 2);
    std::size_t end = std::string_view::npos;
    std::size_t h = 0;
    while (end == std::string_view::npos) {
      std::size_t nextFirst = f == firsts.end() ? std::string_view::npos : *f;
      std::size_t nextSecond = s == seconds.end() ? std::string_view::npos : *s;
      h = std::min(nextFirst, nextSecond);
      if (h == std::string_view::npos || h > last)
        break;
      if (h == nextFirst) {
        end = headingEnd(h, first.size(), seconds, second.size());
        ++f;
      }
      if (end == std::string_view::npos && h == nextSecond)
        end = headingEnd(h, second.size(), firsts, first.size());
      if (h == nextSecond)
        ++s;
    }
    if (end == std::string_view::npos)
      continue;
    // Once the heading is found, the comment either ends after it or this
    // opening gives nothing.
    std::size_t close = CommentRestEnd(text, end);
    if (close == std::string_view::npos)
      continue;
    return {{std::string(text.substr(open + 2, h - open - 2)), std::string(text.substr(end, close - end))}};
  }
  return {};
}

std::vector<std::string> FindSettingNames(std::string_view text, std::vector<std::string>* outArguments) {
  constexpr std::string_view kPrefix = "HV_KIVO_";
  std::vector<std::string> names;
  // The first ")" or line end after an opening parenthesis, remembered: a
  // line of names each followed by "(" is then read once.
  std::size_t stopQuery = 1, stop = 0;
  for (std::size_t at = text.find(kPrefix); at != std::string_view::npos; at = text.find(kPrefix, at)) {
    std::size_t end = at + kPrefix.size();
    while (end < text.size() && IsIdentChar(text[end]))
      ++end;
    names.emplace_back(text.substr(at, end - at));
    if (outArguments)
      outArguments->emplace_back();
    at = SkipSpace(text, end);
    if (at >= text.size() || text[at] != '(')
      continue;
    if (!(at + 1 >= stopQuery && at + 1 <= stop)) {
      stopQuery = at + 1;
      stop = text.find_first_of(")\n", at + 1);
      if (stop == std::string_view::npos)
        stop = text.size();
    }
    if (stop < text.size() && text[stop] == ')' && stop > at + 1) {
      if (outArguments)
        outArguments->back() = Trim(text.substr(at + 1, stop - at - 1));
      at = stop + 1;
    }
  }
  return names;
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
  m_options = WordPositions(m_text, "options");
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
  for (std::size_t at = from; at < to; ++at) {
    char c = m_text[at];
    if (c == '\n' || c == '\r' ||
        ((c == '/' || c == '*') && at + 1 < m_text.size() && m_text[at + 1] == (c == '/' ? '*' : '/')))
      return false;
  }
  return true;
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
    // A gap that does not reach the nearest "options" reaches none further.
    std::size_t options = FirstAtOrAfter(m_options, after);
    if (options != std::string_view::npos && GapFits(after, options)) {
      bestStart = at;
      bestEnd = options + 7;
      break;
    }
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
