// Small text conversions shared by the knowledge-base readers.
#include "knowledge/kbtext.h"

#include <algorithm>
#include <cctype>

namespace {

bool IsBlank(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }
bool IsIdentChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_'; }

}  // namespace

std::string Trim(std::string_view text) { return TrimLeft(TrimRight(text)); }

std::string TrimRight(std::string_view text) {
  std::size_t end = text.size();
  while (end > 0 && IsBlank(text[end - 1]))
    --end;
  return std::string(text.substr(0, end));
}

std::string TrimLeft(std::string_view text) {
  std::size_t start = 0;
  while (start < text.size() && IsBlank(text[start]))
    ++start;
  return std::string(text.substr(start));
}

std::string ToLower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower)
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower;
}

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

std::vector<std::string> SplitAny(std::string_view text, std::string_view delimiters) {
  std::vector<std::string> pieces;
  std::size_t start = 0;
  for (;;) {
    std::size_t end = text.find_first_of(delimiters, start);
    if (end == std::string_view::npos) {
      pieces.emplace_back(text.substr(start));
      return pieces;
    }
    pieces.emplace_back(text.substr(start, end - start));
    start = end + 1;
  }
}

std::string ReplaceAll(std::string text, std::string_view from, std::string_view to) {
  if (from.empty())
    return text;
  // Built anew rather than replaced in place: a parameter list of a megabyte
  // of blanks would otherwise move its tail once per pair.
  std::string out;
  std::size_t done = 0;
  for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, done)) {
    out.append(text, done, at - done).append(to);
    done = at + from.size();
  }
  if (done == 0)
    return text;
  out.append(text, done);
  return out;
}

std::string QuoteExcerpt(std::string_view text) {
  if (text.size() <= kQuoteLimit)
    return std::string(text);
  return std::string(text.substr(0, kQuoteLimit)) + "...";
}

std::string ReplaceIdentifier(std::string_view text, std::string_view word, std::string_view replacement) {
  std::string result;
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t hit = text.find(word, pos);
    if (hit == std::string_view::npos || word.empty())
      break;
    bool startsWord = hit == 0 || !IsIdentChar(text[hit - 1]);
    bool endsWord = hit + word.size() >= text.size() || !IsIdentChar(text[hit + word.size()]);
    result.append(text.substr(pos, hit - pos));
    result.append(startsWord && endsWord ? replacement : word);
    pos = hit + word.size();
  }
  result.append(text.substr(std::min(pos, text.size())));
  return result;
}

std::string FileNamePart(std::string_view path) {
  std::size_t slash = path.find_last_of("/\\");
  return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string ExtensionPart(std::string_view path) {
  std::string name = FileNamePart(path);
  std::size_t dot = name.rfind('.');
  return dot == std::string::npos ? std::string() : name.substr(dot);
}

std::string RelativeToFolder(std::string_view path, std::string_view folder) {
  std::string prefix(folder);
  if (!prefix.empty() && prefix.back() != '/' && prefix.back() != '\\')
    prefix += '/';
  std::string rest(path);
  if (!prefix.empty() && rest.compare(0, prefix.size(), prefix) == 0)
    rest.erase(0, prefix.size());
  std::replace(rest.begin(), rest.end(), '\\', '/');
  return rest;
}
