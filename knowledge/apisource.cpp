// Reading an API source: parameter descriptions and project notes from the comments that document each initialisation function.
#include <cctype>

#include "knowledge/fsetlib.h"
#include "knowledge/headerscan.h"
#include "knowledge/kbtext.h"

namespace {

bool StartsWithBlank(const std::string& line) {
  return !line.empty() && std::isspace(static_cast<unsigned char>(line[0]));
}

// A comment line without its leading asterisks, if it has any.
std::string WithoutStars(const std::string& raw) {
  std::size_t start = 0;
  while (start < raw.size() && std::isspace(static_cast<unsigned char>(raw[start])))
    ++start;
  if (start >= raw.size() || raw[start] != '*')
    return raw;
  while (start < raw.size() && raw[start] == '*')
    ++start;
  return raw.substr(start);
}

// True when a continuation line begins the entry of another parameter,
// written with any of the separators an entry may use.
bool StartsParamEntry(const std::string& line, const CKivoInitFunc& initFunc) {
  std::string head = TrimRight(line.substr(0, line.find_first_of("-:=")));
  std::size_t stars = head.find_first_not_of('*');
  head = stars == std::string::npos ? std::string() : head.substr(stars);
  return head.find(' ') == std::string::npos && initFunc.FindParam(head) != nullptr;
}

// The description's lines: its first line, then the indented lines after it
// up to an empty line or the next parameter's entry.
std::string FormatExcerpt(const std::string& excerpt, const CKivoInitFunc& initFunc) {
  std::string result;
  std::vector<std::string> lines = SplitAny(excerpt, "\n");
  for (std::size_t i = 0; i < lines.size(); ++i) {
    std::string line = WithoutStars(lines[i]);
    if (line.empty())
      break;
    for (char& c : line)
      if (c == '\t')
        c = ' ';
    if (i > 0 && !StartsWithBlank(line))
      break;
    line = Trim(line);
    if (line.empty() || (i > 0 && StartsParamEntry(line, initFunc)))
      break;
    result += line + "\n";
  }
  return result;
}

}  // namespace

int CKivoFunc::ParseApiSource(const std::string& text) {
  // The comment naming the initialisation function first and then, after it,
  // the item (a parameter, or the words "project notes") with a separator.
  // Both stand as whole words, so hv_kivo_pwm_init_dual's comment is not read
  // as one of hv_kivo_pwm_init, nor master_channel's entry as channel's.
  CDocCommentScanner comments(text);
  for (const auto& initFunc : initFuncs) {
    for (const auto& param : initFunc->params) {
      CMatchList matches = comments.Find(initFunc->name, param->name, false, false);
      if (!matches.empty())
        param->description = FormatExcerpt(matches[0][2], *initFunc);
    }
    initFunc->notes.clear();
    for (const auto& match : comments.Find(initFunc->name, {}, true, true)) {
      if (!initFunc->notes.empty())
        initFunc->notes += "<br><br>";
      initFunc->notes += FormatExcerpt(match[2], *initFunc);
    }
  }
  return 1;
}
