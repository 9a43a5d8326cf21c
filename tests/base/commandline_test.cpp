// The program's command-line options: the option pattern, quoting, replacement and lookup.
#include <gtest/gtest.h>

#include "base/commandline.h"

struct COptionRow {
  const char* name;
  const char* commandLine;
  CCommandLineOptions options;
};

class CommandLineTest : public testing::TestWithParam<COptionRow> {};

TEST_P(CommandLineTest, ReadsEveryOption) {
  EXPECT_EQ(ParseCommandLineOptions(GetParam().commandLine), GetParam().options);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, CommandLineTest,
    testing::Values(
        COptionRow{"BackslashEndsUnquotedValue", "-FSETPATH=..\\sets /sysclk=80", {{"FSETPATH", ".."}, {"SYSCLK", "80"}}},
        COptionRow{"LaterOccurrenceReplaces", "/fsetpath=sets -FSETPATH=other", {{"FSETPATH", "other"}}},
        COptionRow{"QuotedValueKeepsBlanks", "-CPU = \"MPC 5554\" project.c", {{"CPU", "MPC 5554"}}},
        COptionRow{"InnerQuoteEndsTheValue", "-FSETPATH=\"a\"b\"", {{"FSETPATH", "a"}}},
        COptionRow{"EmptyQuotesAreNoValue", "-FSETPATH=\"\" -CPU=x", {{"CPU", "x"}}},
        COptionRow{"WordCharactersInNames", "/ptb_clk2=12.5", {{"PTB_CLK2", "12.5"}}},
        COptionRow{"ValueStopsAtOtherCharacters", "-SYSCLK=80-x", {{"SYSCLK", "80"}}},
        COptionRow{"ProjectFileOnly", "project.c", {}},
        COptionRow{"FlagWithoutValue", "/gui", {}}),
    [](const testing::TestParamInfo<COptionRow>& row) { return std::string(row.param.name); });

TEST(LookupOption, NamesCompareInUpperCase) {
  CCommandLineOptions options = ParseCommandLineOptions("-SysClk=80");
  std::string value = "unchanged";
  EXPECT_FALSE(LookupOption(options, "ptbclk", value));
  EXPECT_EQ(value, "unchanged");
  ASSERT_TRUE(LookupOption(options, "sysclk", value));
  EXPECT_EQ(value, "80");
}

TEST(JoinCommandLine, SplitArgumentsReadBackAsTheSameOptions) {
  std::vector<std::string> args = {"-FSETPATH=/opt/my sets", "/CPU=MPC5554", "my project.c", "-PTBCLK=../x_y"};
  CCommandLineOptions options = ParseCommandLineOptions(JoinCommandLine(args));
  EXPECT_EQ(options,
            (CCommandLineOptions{{"FSETPATH", "/opt/my sets"}, {"CPU", "MPC5554"}, {"PTBCLK", "../x_y"}}));
}
