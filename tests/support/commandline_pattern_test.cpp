// The command-line scanner against the option pattern it replaces, run by the
// real pattern service over random lines made of the characters that matter.
#include <gtest/gtest.h>

#include <random>

#include "base/commandline.h"
#include "support/regexp.h"

namespace {

CCommandLineOptions ParseWithPattern(const std::string& commandLine) {
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
    std::string name = match.SubMatch(0);
    for (char& c : name)
      c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    options[name] = value;
  }
  return options;
}

}  // namespace

TEST(CommandLineScanner, ReadsWhatTheOptionPatternReads) {
  const std::string alphabet = "-/=\" \t\n\r\v\f._aZz09\\:\xE9\x01";
  std::mt19937 random(20261209);
  std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() - 1);
  std::uniform_int_distribution<int> length(0, 24);
  for (int round = 0; round < 20000; ++round) {
    std::string line;
    for (int n = length(random); n > 0; --n)
      line += alphabet[pick(random)];
    ASSERT_EQ(ParseCommandLineOptions(line), ParseWithPattern(line)) << "line: " << testing::PrintToString(line);
  }
}
