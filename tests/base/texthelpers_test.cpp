// The shared text helpers: frequency and duration text, tokens, whole-file reading and clean-ups.
#include <gtest/gtest.h>

#include "base/texthelpers.h"
#include "common/testsupport.h"

struct CParseRow {
  const char* name;
  const char* text;
  char defaultUnit;
  bool ok;
  uint32_t hz;
};

class ParseFrequencyTest : public testing::TestWithParam<CParseRow> {};

TEST_P(ParseFrequencyTest, ReadsNumberAndUnit) {
  const CParseRow& row = GetParam();
  uint32_t hz = 12345;
  EXPECT_EQ(ParseFrequency(row.text, &hz, row.defaultUnit), row.ok);
  EXPECT_EQ(hz, row.ok ? row.hz : 12345u) << "a failure leaves the output alone";
  EXPECT_EQ(ParseFrequency(row.text, nullptr, row.defaultUnit), row.ok);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ParseFrequencyTest,
    testing::Values(CParseRow{"OffIsZero", "OFF", 'M', true, 0},
                    CParseRow{"OffIsCaseSensitive", "off", 0, false, 0},
                    CParseRow{"EmptyFails", "", 'M', false, 0},
                    CParseRow{"UnitWithoutNumberFails", "MHz", 0, false, 0},
                    CParseRow{"HertzLetterDoesNotScale", "100 Hz", 'M', true, 100},
                    CParseRow{"LowerCaseMIsNoUnit", "20 mHz", 0, true, 20},
                    CParseRow{"MegaWithBlank", "40 MHz", 0, true, 40000000},
                    CParseRow{"MegaWithoutBlank", "40M", 0, true, 40000000},
                    CParseRow{"KiloUpperCase", "40000 KHz", 0, true, 40000000},
                    CParseRow{"KiloLowerCase", "1.5k", 0, true, 1500},
                    CParseRow{"DefaultUnitForBareNumber", "2.5", 'M', true, 2500000},
                    CParseRow{"NoDefaultUnitMeansHertz", "40", 0, true, 40},
                    CParseRow{"TruncatesTowardsZero", "3.9999", 0, true, 3},
                    CParseRow{"DecimalTextIsNotRoundedDown", "2.01k", 0, true, 2010},
                    CParseRow{"SmallMegaFraction", "0.000498M", 0, true, 498},
                    CParseRow{"LeadingBlanksSkipped", "  7 k", 0, true, 7000},
                    CParseRow{"ExponentForm", "1e3", 0, true, 1000},
                    CParseRow{"NegativeKeepsLowBits", "-1", 0, true, 4294967295u},
                    CParseRow{"LargeKeepsLowBits", "5000000000", 0, true, 705032704u},
                    CParseRow{"CommaEndsTheNumber", "2,5 M", 0, true, 2}),
    [](const testing::TestParamInfo<CParseRow>& row) { return std::string(row.param.name); });

// The strict form reads what the lenient one reads, except what a user cannot have meant.
TEST(ParseFrequencyStrict, RefusesWhatTheLenientFormWouldGuess) {
  struct CRow {
    const char* text;
    bool ok;
    uint32_t hz;
  };
  const CRow rows[] = {
      {"OFF", true, 0},           {"150", true, 150000000},    {"40 MHz", true, 40000000},
      {"2.01k", true, 2010},      {"100 Hz", true, 100},       {"4294.967295", true, 4294967295u},
      {"garbage", false, 0},      {"", false, 0},              {"-1", false, 0},
      {"-0", false, 0},           {"4294.967296", false, 0},   {"5000", false, 0},
      {"150 MHzz", false, 0},     {"2,5 M", false, 0},         {"nan", false, 0},
      {"inf", false, 0},          {"20 mHz", false, 0},        {"7 k ", true, 7000},
  };
  for (const CRow& row : rows) {
    uint32_t hz = 12345;
    EXPECT_EQ(ParseFrequencyStrict(row.text, &hz, 'M'), row.ok) << row.text;
    if (row.ok) {
      EXPECT_EQ(hz, row.hz) << row.text;
      uint32_t lenient = 0;
      EXPECT_TRUE(ParseFrequency(row.text, &lenient, 'M'));
      EXPECT_EQ(lenient, hz) << row.text;
    }
  }
}

struct CFormatRow {
  const char* name;
  uint32_t hz;
  const char* zeroText;
  const char* text;
};

class FormatFrequencyTest : public testing::TestWithParam<CFormatRow> {};

TEST_P(FormatFrequencyTest, ChoosesTheUnitByMagnitude) {
  const CFormatRow& row = GetParam();
  EXPECT_EQ(FormatFrequency(row.hz, row.zeroText), row.text);
}

INSTANTIATE_TEST_SUITE_P(
    Values, FormatFrequencyTest,
    testing::Values(CFormatRow{"ZeroIsOff", 0, nullptr, "OFF"},
                    CFormatRow{"ZeroText", 0, "none", "none"},
                    CFormatRow{"OneHertz", 1, nullptr, "1 Hz"},
                    CFormatRow{"TopOfHertz", 999, nullptr, "999 Hz"},
                    CFormatRow{"BottomOfKilo", 1000, nullptr, "1 kHz"},
                    CFormatRow{"TopOfKilo", 999999, nullptr, "999.999 kHz"},
                    CFormatRow{"BottomOfMega", 1000000, nullptr, "1 MHz"},
                    CFormatRow{"SixSignificantDigits", 1234567, nullptr, "1.23457 MHz"},
                    CFormatRow{"Largest", 4294967295u, nullptr, "4294.97 MHz"}),
    [](const testing::TestParamInfo<CFormatRow>& row) { return std::string(row.param.name); });

TEST(FrequencyRoundTrip, ShownTextReadsBackWhereSixDigitsHoldTheValue) {
  for (uint32_t hz : {1u, 999u, 1500u, 2010u, 33333u, 999999u, 1008000u, 2300000u, 40000000u, 132000000u}) {
    uint32_t back = 0;
    ASSERT_TRUE(ParseFrequency(FormatFrequency(hz), &back));
    EXPECT_EQ(back, hz) << FormatFrequency(hz);
  }
}

TEST(FrequencyRoundTrip, ExactTextReadsBackEveryValueAndKeepsTheShortForm) {
  EXPECT_EQ(FormatFrequencyExact(150000000), "150 MHz");
  EXPECT_EQ(FormatFrequencyExact(0), "OFF");
  EXPECT_EQ(FormatFrequencyExact(123456789), "123.456789 MHz");
  EXPECT_EQ(FormatFrequencyExact(4294967295u), "4294.967295 MHz");
  EXPECT_EQ(FormatFrequencyExact(654321), "654.321 kHz");
  // A stride prime to every power of ten reaches all digit patterns and both units.
  for (uint64_t hz = 1; hz <= 0xFFFFFFFFu; hz += 100003) {
    uint32_t back = 0;
    ASSERT_TRUE(ParseFrequency(FormatFrequencyExact(static_cast<uint32_t>(hz)), &back));
    ASSERT_EQ(back, hz) << FormatFrequencyExact(static_cast<uint32_t>(hz));
  }
}

struct CDurationRow {
  const char* name;
  double seconds;
  const char* text;
};

class FormatDurationTest : public testing::TestWithParam<CDurationRow> {};

TEST_P(FormatDurationTest, ChoosesTheUnitByMagnitude) { EXPECT_EQ(FormatDuration(GetParam().seconds), GetParam().text); }

INSTANTIATE_TEST_SUITE_P(Values, FormatDurationTest,
                         testing::Values(CDurationRow{"Zero", 0, "0 ns"}, CDurationRow{"Nanoseconds", 0.0000005, "500 ns"},
                                         CDurationRow{"Microseconds", 0.0000015, "1.5 us"},
                                         CDurationRow{"TopOfMicro", 0.000999, "999 us"},
                                         CDurationRow{"OneMillisecond", 0.001, "1 ms"},
                                         CDurationRow{"OneSecond", 1, "1 s"},
                                         CDurationRow{"SixDigitsOfSeconds", 1234.5678, "1234.57 s"}),
                         [](const testing::TestParamInfo<CDurationRow>& row) { return std::string(row.param.name); });

struct CTokenRow {
  const char* name;
  const char* text;
  int index;
  bool ok;
  const char* token;
};

class ExtractTokenTest : public testing::TestWithParam<CTokenRow> {};

TEST_P(ExtractTokenTest, SplitsAtEveryDelimiter) {
  const CTokenRow& row = GetParam();
  const std::string text = row.text;
  std::string token = "previous";
  EXPECT_EQ(ExtractToken(&text, row.index, "\n\\", token), row.ok);
  EXPECT_EQ(token, row.token);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ExtractTokenTest,
    testing::Values(CTokenRow{"First", "a\n\nb", 0, true, "a"}, CTokenRow{"EmptyBetweenDelimiters", "a\n\nb", 1, true, ""},
                    CTokenRow{"Last", "a\n\nb", 2, true, "b"}, CTokenRow{"PastTheEnd", "a\n\nb", 3, false, ""},
                    CTokenRow{"EmptyTextHasOneEmptyToken", "", 0, true, ""},
                    CTokenRow{"EmptyTextHasNoSecond", "", 1, false, ""},
                    CTokenRow{"TrailingDelimiterGivesEmptyToken", "a\n", 1, true, ""},
                    CTokenRow{"KeyPathBackslash", "Software\\Halvora\\Kivo Vam\nOptions", 2, true, "Kivo Vam"},
                    CTokenRow{"KeyPathNewline", "Software\\Halvora\\Kivo Vam\nOptions", 3, true, "Options"}),
    [](const testing::TestParamInfo<CTokenRow>& row) { return std::string(row.param.name); });

TEST(ExtractTokenAbsent, AbsentTextLeavesTheTokenAlone) {
  std::string token = "kept";
  EXPECT_FALSE(ExtractToken(nullptr, 0, ",", token));
  EXPECT_EQ(token, "kept");
}

TEST(ReadTextFile, JoinsContinuedLinesAndNormalisesLineEnds) {
  CRecordedPorts ports;
  std::string text = "stale";
  ASSERT_TRUE(ReadTextFile(FixturePath("text/joined.c").string(), text));
  EXPECT_EQ(text, "#define KIVO_MASK(x)     ((x) & 0xFF)\n/* path: C:\\temp\\ */\nint a;\n");
  EXPECT_TRUE(ports.messages.Messages().empty());
}

TEST(ReadTextFile, OneMebibyteIsTheLimit) {
  CRecordedPorts ports;
  CTempDir dir;
  const std::string exact = (dir / "exact.h").string();
  const std::string over = (dir / "over.h").string();
  WriteFileBytes(exact, std::string(1024 * 1024, 'x'));
  WriteFileBytes(over, std::string(1024 * 1024 + 1, 'x'));
  std::string text;
  EXPECT_TRUE(ReadTextFile(exact, text));
  EXPECT_EQ(text.size(), 1024u * 1024u);
  EXPECT_FALSE(ReadTextFile(over, text));
  EXPECT_TRUE(text.empty());
  ASSERT_EQ(ports.messages.Messages().size(), 1u);
  EXPECT_EQ(ports.messages.Messages()[0].id, 4002);
  EXPECT_EQ(ports.messages.Messages()[0].text, "The file '" + over + "' is too big to be loaded");
}

TEST(ReadTextFile, MissingFilesAndFoldersAreReportedByName) {
  CRecordedPorts ports;
  CTempDir dir;
  for (const std::string& path : {(dir / "missing.h").string(), dir.Path().string()}) {
    std::string text = "stale";
    EXPECT_FALSE(ReadTextFile(path, text)) << path;
    EXPECT_TRUE(text.empty());
  }
  ASSERT_EQ(ports.messages.Messages().size(), 2u);
  EXPECT_NE(ports.messages.Messages()[0].text.find("missing.h"), std::string::npos);
}

struct CCleanRow {
  const char* name;
  const char* text;
  const char* cleaned;
};

class StripQuotesTest : public testing::TestWithParam<CCleanRow> {};

TEST_P(StripQuotesTest, RemovesOneMatchingPair) {
  std::string text = GetParam().text;
  StripQuotes(text);
  EXPECT_EQ(text, GetParam().cleaned);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, StripQuotesTest,
    testing::Values(CCleanRow{"Double", "\"abc\"", "abc"}, CCleanRow{"Single", "'abc'", "abc"},
                    CCleanRow{"Mismatched", "\"abc'", "\"abc'"}, CCleanRow{"EmptyQuoted", "\"\"", ""},
                    CCleanRow{"LoneQuote", "\"", "\""}, CCleanRow{"Empty", "", ""},
                    CCleanRow{"NoUnescaping", "\"a\\\"\"", "a\\\""}, CCleanRow{"OnlyOnePair", "\"\"x\"\"", "\"x\""},
                    CCleanRow{"QuoteNotAtStart", "x\"a\"", "x\"a\""}),
    [](const testing::TestParamInfo<CCleanRow>& row) { return std::string(row.param.name); });

class NormalizeWhitespaceTest : public testing::TestWithParam<CCleanRow> {};

TEST_P(NormalizeWhitespaceTest, MakesOneStatementLine) {
  std::string text = GetParam().text;
  NormalizeWhitespace(text);
  EXPECT_EQ(text, GetParam().cleaned);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, NormalizeWhitespaceTest,
    testing::Values(CCleanRow{"Statements", "a = 1;\n\tb = 2;\n", "a = 1; b = 2; "},
                    CCleanRow{"LineEndsSeparate", "x\ny", "x; y"},
                    CCleanRow{"EmptyLinesCollapse", "x\n\n\ny", "x; y"},
                    CCleanRow{"TabsAndRunsOfBlanks", "a\t\t=   b", "a = b"},
                    CCleanRow{"TrimsBothEnds", " \t\n a \n", "a"}, CCleanRow{"OnlyBlanks", " \n\t ", ""},
                    CCleanRow{"SemicolonsGetABlank", "a;b;;c", "a; b; c"}),
    [](const testing::TestParamInfo<CCleanRow>& row) { return std::string(row.param.name); });
