// Running the header patterns over knowledge-base files without letting a pathological file stop the load.
#include "knowledge/kbregex.h"

#include "base/ports.h"

namespace {

CMatchList Collect(CRegExp& pattern, std::string_view text) {
  CMatchList matches;
  int count = pattern.Execute(text);
  for (int i = 0; i < count; ++i) {
    const CRegExpMatch& match = pattern.GetMatch(i);
    std::vector<std::string> groups;
    for (int g = 0; g < match.SubMatchCount(); ++g)
      groups.push_back(match.SubMatch(g));
    matches.push_back(std::move(groups));
  }
  return matches;
}

}  // namespace

CMatchList RunPattern(CRegExp& pattern, std::string_view text, const std::string& fileName) {
  try {
    return Collect(pattern, text);
  } catch (const CRegExpError& error) {
    ShowMessage(9310, EMessageKind::Warning, {fileName, error.what()});
    return {};
  }
}

CMatchList RunPatternQuietly(CRegExp& pattern, std::string_view text) {
  try {
    return Collect(pattern, text);
  } catch (const CRegExpError&) {
    return {};
  }
}

std::string FillPattern(std::string_view pattern, const std::string& first, const std::string& second) {
  std::string result;
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] == '%' && i + 1 < pattern.size() && (pattern[i + 1] == '1' || pattern[i + 1] == '2')) {
      result += pattern[i + 1] == '1' ? first : second;
      ++i;
    } else {
      result += pattern[i];
    }
  }
  return result;
}

std::string EscapeForPattern(std::string_view text) {
  std::string escaped;
  for (char c : text) {
    bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
                 static_cast<unsigned char>(c) >= 0x80;
    if (!plain)
      escaped += '\\';
    escaped += c;
  }
  return escaped;
}

CRegExp& CPatternCache::Get(const std::string& pattern, bool global, bool multiline) {
  auto& slot = m_patterns[std::make_tuple(pattern, global, multiline)];
  if (!slot)
    slot = std::make_unique<CRegExp>(pattern, global, multiline);
  return *slot;
}
