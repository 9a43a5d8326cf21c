// Command-line option parsing with the option pattern of the regular-expression service.
#include "app/commandline.h"

#include <algorithm>
#include <cctype>

#include "support/regexp.h"

namespace {

std::string Upper(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::toupper(c); });
  return text;
}

}  // namespace

CCommandLineOptions ParseCommandLineOptions(const std::string& commandLine) {
  static CRegExp pattern(R"re([\-\/](\w+)\s*=\s*(("[^"]+")|([A-Za-z0-9.]+)))re", true, false);
  CCommandLineOptions options;
  int count = pattern.Execute(commandLine);
  for (int i = 0; i < count; ++i) {
    const CRegExpMatch& match = pattern.GetMatch(i);
    std::string value = match.SubMatch(1);
    std::size_t first = value.find_first_not_of('"');
    value = first == std::string::npos ? std::string() : value.substr(first);
    while (!value.empty() && value.back() == '"')
      value.pop_back();
    options[Upper(match.SubMatch(0))] = value;
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
