// Expands a code template line by line, one placeholder per line, keeping a placeholder's indentation.
#include "project/templateexpander.h"

#include "knowledge/kbtext.h"
#include "support/regexp.h"

namespace {

bool IsBlankText(const std::string& text) {
  return text.find_first_not_of(" \t") == std::string::npos;
}

}  // namespace

std::string CTemplateExpander::ExpandLine(const std::string& line) const {
  // The greedy prefix makes the last tag on the line the one that is expanded;
  // an earlier tag on the same line stays as it is.
  static CRegExp tagPattern(R"((.*)(%\S+%))", true, false);
  if (tagPattern.Execute(line) == 0)
    return line;
  const CRegExpMatch& match = tagPattern.GetMatch(0);
  std::string prefix = match.SubMatch(0);
  std::string tag = match.SubMatch(1);
  std::string expansion = m_expandTag(tag);
  if (!prefix.empty() && IsBlankText(prefix))
    expansion = ReplaceAll(expansion, "\n", "\n" + prefix);
  return ReplaceAll(ReplaceAll(line, tag, expansion), "\r\n", "\n");
}

std::string CTemplateExpander::Expand(const std::string& templateText) const {
  std::string out;
  std::size_t start = 0;
  while (start < templateText.size()) {
    std::size_t end = templateText.find('\n', start);
    std::size_t next = end == std::string::npos ? templateText.size() : end + 1;
    if (end == std::string::npos)
      end = templateText.size();
    if (end > start && templateText[end - 1] == '\r')
      --end;
    out += ExpandLine(templateText.substr(start, end - start));
    out += '\n';
    start = next;
  }
  return out;
}
