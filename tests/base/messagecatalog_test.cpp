// Message-style and printf-style formatting of catalog texts, and texts looked up by number.
#include <gtest/gtest.h>

#include "base/messagecatalog.h"

struct CMessageRow {
  const char* name;
  const char* pattern;
  std::vector<std::string> args;
  const char* text;
};

class FormatMessageTextTest : public testing::TestWithParam<CMessageRow> {};

TEST_P(FormatMessageTextTest, InsertsByPosition) {
  EXPECT_EQ(FormatMessageText(GetParam().pattern, GetParam().args), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Patterns, FormatMessageTextTest,
    testing::Values(CMessageRow{"InOrder", "'%1' in '%2'", {"a", "b"}, "'a' in 'b'"},
                    CMessageRow{"OutOfOrderAndRepeated", "%2%1%2", {"a", "b"}, "bab"},
                    CMessageRow{"MissingArgumentStays", "%1 and %2", {"a"}, "a and %2"},
                    CMessageRow{"PercentPercent", "100%% of %1", {"x"}, "100% of x"},
                    CMessageRow{"ArgumentsAreNotRescanned", "%1", {"%2"}, "%2"},
                    CMessageRow{"TrailingPercent", "50%", {}, "50%"}),
    [](const testing::TestParamInfo<CMessageRow>& row) { return std::string(row.param.name); });

struct CPrintfRow {
  const char* name;
  const char* pattern;
  std::vector<CPrintfArg> args;
  const char* text;
};

class FormatPrintfTextTest : public testing::TestWithParam<CPrintfRow> {};

TEST_P(FormatPrintfTextTest, FormatsAsTheCLibraryDoes) {
  EXPECT_EQ(FormatPrintfText(GetParam().pattern, GetParam().args), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Patterns, FormatPrintfTextTest,
    testing::Values(CPrintfRow{"Integer", "%d Hz", {PArg(999)}, "999 Hz"},
                    CPrintfRow{"General", "%g..%g", {PArg(0.5), PArg(1000000.0)}, "0.5..1e+06"},
                    CPrintfRow{"WidthAndPrecision", "[%6.2f]", {PArg(3.14159)}, "[  3.14]"},
                    CPrintfRow{"String", "'%s'", {PArg("kivo_pwm")}, "'kivo_pwm'"},
                    CPrintfRow{"LeftAlignedString", "[%-4s]", {PArg("ab")}, "[ab  ]"},
                    CPrintfRow{"HexOfNegativeIntIs32Bits", "0x%X", {PArg(-1)}, "0xFFFFFFFF"},
                    CPrintfRow{"IntegerForFloatConversion", "%g", {PArg(3)}, "3"},
                    CPrintfRow{"MissingArgumentIsZero", "%d/%d", {PArg(7)}, "7/0"},
                    CPrintfRow{"MismatchedStringIsEmpty", "<%s>", {PArg(5)}, "<>"},
                    CPrintfRow{"PercentPercent", "%d%%", {PArg(50)}, "50%"}),
    [](const testing::TestParamInfo<CPrintfRow>& row) { return std::string(row.param.name); });

// A fixed formatting buffer would cut these.
TEST(FormatPrintfText, LongArgumentsSurviveWhole) {
  EXPECT_EQ(FormatPrintfText("%s!", {PArg(std::string(2000, 'x'))}).size(), 2001u);
  EXPECT_EQ(FormatPrintfText("%-3000s|", {PArg("a")}).size(), 3001u);
}

TEST(Catalog, TextsByNumber) {
  EXPECT_EQ(CatalogText(4002, ECatalog::KivoVam), "The file '%1' is too big to be loaded");
  EXPECT_EQ(CatalogText(4039, ECatalog::KivoVam), "Path is invalid: \"%1\"");
  EXPECT_EQ(CatalogText(4013, ECatalog::KivoVam), "Invalid clock value.");
  EXPECT_TRUE(CatalogText(1, ECatalog::KivoVam).empty());
}
