// Command-line option parsing. The options are read by a small scanner rather
// than the pattern service, so that the lowest layer depends on nothing but the
// standard library; it accepts exactly the options of the pattern
//   [-/](\w+)\s*=\s*("[^"]+"|[A-Za-z0-9.]+)
// searched globally, left to right.
#include "base/commandline.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <optional>

namespace {

std::string Upper(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::toupper(c); });
  return text;
}

// ASCII classes, as the pattern service reads \w and \s.
bool IsWordChar(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}
bool IsBlank(char c) { return c != '\0' && std::strchr(" \t\n\v\f\r", c) != nullptr; }
bool IsPlainValueChar(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.';
}

struct COptionMatch {
  std::string name;
  std::string value;  // as written, quotes included
  std::size_t end;
};

// The option that starts at `pos`, if any. Every step of the pattern is
// deterministic (no part can give back characters that a later part would
// accept), so one forward pass decides the match.
std::optional<COptionMatch> MatchOptionAt(const std::string& text, std::size_t pos) {
  std::size_t size = text.size();
  if (text[pos] != '-' && text[pos] != '/')
    return std::nullopt;
  std::size_t i = pos + 1;
  std::size_t nameStart = i;
  while (i < size && IsWordChar(text[i]))
    ++i;
  if (i == nameStart)
    return std::nullopt;
  std::size_t nameEnd = i;
  while (i < size && IsBlank(text[i]))
    ++i;
  if (i >= size || text[i] != '=')
    return std::nullopt;
  ++i;
  while (i < size && IsBlank(text[i]))
    ++i;
  std::size_t valueStart = i;
  if (i < size && text[i] == '"') {
    std::size_t close = text.find('"', i + 1);
    if (close == std::string::npos || close == i + 1)
      return std::nullopt;
    i = close + 1;
  } else {
    while (i < size && IsPlainValueChar(text[i]))
      ++i;
    if (i == valueStart)
      return std::nullopt;
  }
  return COptionMatch{text.substr(nameStart, nameEnd - nameStart), text.substr(valueStart, i - valueStart), i};
}

}  // namespace

CCommandLineOptions ParseCommandLineOptions(const std::string& commandLine) {
  CCommandLineOptions options;
  std::size_t pos = 0;
  while (pos < commandLine.size()) {
    std::optional<COptionMatch> match = MatchOptionAt(commandLine, pos);
    if (!match) {
      ++pos;
      continue;
    }
    pos = match->end;
    std::string value = match->value;
    std::size_t first = value.find_first_not_of('"');
    value = first == std::string::npos ? std::string() : value.substr(first);
    while (!value.empty() && value.back() == '"')
      value.pop_back();
    options[Upper(match->name)] = value;
  }
  return options;
}

std::string JoinCommandLine(const std::vector<std::string>& args) {
  std::string line;
  for (const std::string& arg : args) {
    if (!line.empty())
      line += ' ';
    bool blank = arg.find_first_of(" \t") != std::string::npos;
    std::size_t equals = arg.find('=');
    // An unquoted value is read only as far as letters, digits and full
    // stops go, so a path such as /opt/sets must be quoted to read back whole.
    bool plainValue = equals != std::string::npos &&
                      std::all_of(arg.begin() + static_cast<std::ptrdiff_t>(equals) + 1, arg.end(), [](char c) {
                        return std::isalnum(static_cast<unsigned char>(c)) || c == '.';
                      });
    if (equals != std::string::npos && !plainValue && arg.find('"') == std::string::npos)
      line += arg.substr(0, equals + 1) + '"' + arg.substr(equals + 1) + '"';
    else if (blank && arg.find('"') == std::string::npos)
      line += '"' + arg + '"';
    else
      line += arg;
  }
  return line;
}

bool LookupOption(const CCommandLineOptions& options, const std::string& name, std::string& value) {
  auto it = options.find(Upper(name));
  if (it == options.end())
    return false;
  value = it->second;
  return true;
}
