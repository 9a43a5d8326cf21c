// Server information file lines.
#include "newscout/serverinforeader.h"

#include <algorithm>
#include <cctype>
#include <limits>

#include "newscout/newscouttexts.h"

namespace {

std::string_view Trim(std::string_view text) {
  auto blank = [](char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; };
  while (!text.empty() && blank(text.front()))
    text.remove_prefix(1);
  while (!text.empty() && blank(text.back()))
    text.remove_suffix(1);
  return text;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && EqualsNoCase(text.substr(0, prefix.size()), prefix);
}

// Leading decimal digits as an unsigned 32-bit number; none, a sign or an
// overflow read as nothing.
std::uint32_t LeadingNumber(std::string_view text) {
  std::uint64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9')
      break;
    value = value * 10 + static_cast<std::uint64_t>(c - '0');
    if (value > std::numeric_limits<std::uint32_t>::max())
      return 0;
  }
  return static_cast<std::uint32_t>(value);
}

}  // namespace

bool IsWebLink(std::string_view link) {
  link = Trim(link);
  // An address never holds control characters; one that does is meant for a terminal, not a browser.
  if (!IsPrintableText(link) || link.find(' ') != std::string_view::npos)
    return false;
  return StartsWithNoCase(link, "http://") || StartsWithNoCase(link, "https://");
}

bool CServerInfoReader::ReadLine(std::string_view line) {
  line = Trim(line);
  if (line.empty() || line.front() == '#' || line.substr(0, 2) == "//")
    return false;
  std::size_t equals = line.find('=');
  if (equals == std::string_view::npos)
    return false;
  std::string_view key = Trim(line.substr(0, equals));
  std::string_view value = Trim(line.substr(equals + 1));
  if (EqualsNoCase(key, "version")) {
    // Only ever shown, so kept showable: no control characters, and short
    // enough for a dialog line.
    std::string version = std::string(Trim(DisplayableText(value)));
    if (version.empty())
      return false;
    m_answer.version = ShortenedText(version, kMaxVersionChars);
    return true;
  }
  if (EqualsNoCase(key, "link") && !value.empty() && IsWebLink(value)) {
    m_link = value;
    return true;
  }
  if (EqualsNoCase(key, "size")) {
    std::uint32_t size = LeadingNumber(value);
    if (size == 0)
      return false;
    m_answer.size = size;
    return true;
  }
  if (EqualsNoCase(key, "date"))
    return CNewscoutDate::ParseServerText(value, m_answer.date);  // only dates that exist
  return false;
}

bool CServerInfoReader::ReadText(std::string_view text) {
  bool understood = false;
  while (!text.empty()) {
    std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    understood = ReadLine(line) || understood;
    if (end == std::string_view::npos)
      break;
    text.remove_prefix(end + 1);
  }
  return understood;
}
