// The status log's line rule.
#include "newscout/statuslog.h"

#include <cctype>

namespace {

std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to) {
  std::string result;
  std::size_t pos = 0;
  for (std::size_t at = text.find(from); at != std::string_view::npos; at = text.find(from, pos)) {
    result.append(text.substr(pos, at - pos));
    result.append(to);
    pos = at + from.size();
  }
  result.append(text.substr(pos));
  return result;
}

}  // namespace

std::string CStatusLog::Normalise(std::string_view text) {
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
    text.remove_suffix(1);
  std::string lines = ReplaceAll(text, "\r\n", "\n");
  lines = ReplaceAll(lines, "\n\n", "\n");
  lines = ReplaceAll(lines, "\n", "\r\n");
  return lines + "\r\n";
}

void CStatusLog::Add(std::string_view text) {
  std::string added = Normalise(text);
  m_text += added;
  if (onAdded)
    onAdded(added);
}
