// CRegExp on the real engine: the ECMAScript-like dialect, the match model, errors and a 1 MiB comment.
#include <gtest/gtest.h>

#include "support/regexp.h"

namespace {

struct CExecRow {
  const char* name;
  const char* pattern;
  bool global;
  bool multiline;
  const char* text;
  int count;
  const char* firstGroup;  // submatch 0 of the first match, when there is one
};

std::string Group0(CRegExp& re) { return re.MatchCount() > 0 ? re.GetMatch(0).SubMatch(0) : std::string(); }

}  // namespace

class RegExpDialectTest : public testing::TestWithParam<CExecRow> {};

TEST_P(RegExpDialectTest, MatchesAsECMAScriptDoes) {
  const CExecRow& row = GetParam();
  CRegExp re(row.pattern, row.global, row.multiline);
  EXPECT_EQ(re.Execute(row.text), row.count);
  EXPECT_EQ(Group0(re), row.firstGroup);
}

INSTANTIATE_TEST_SUITE_P(
    Dialect, RegExpDialectTest,
    testing::Values(
        CExecRow{"DotStopsAtNewline", "a(.*)", false, false, "abc\ndef", 1, "bc"},
        CExecRow{"DotStopsAtCarriageReturn", "a(.*)", false, false, "abc\r\ndef", 1, "bc"},
        CExecRow{"AnyCharIdiomCrossesLines", "a((?:.|[\\n])*)f", false, false, "abc\ndef", 1, "bc\nde"},
        CExecRow{"BlankClassIncludesNewline", "b(\\s+)c", false, false, "b \n\tc", 1, " \n\t"},
        CExecRow{"NonBlankExcludesNewline", "(\\S+)", true, false, "ab\ncd", 2, "ab"},
        CExecRow{"CaretOnlyAtStartWithoutMultiline", "^(\\w+)", true, false, "one\ntwo", 1, "one"},
        CExecRow{"CaretAtEveryLineWithMultiline", "^(\\w+)", true, true, "one\ntwo\nthree", 3, "one"},
        CExecRow{"DollarNotBeforeFinalNewline", "(\\w+)$", false, false, "one\n", 0, ""},
        CExecRow{"DollarAtVeryEnd", "(\\w+)$", false, false, "one\ntwo", 1, "two"},
        CExecRow{"DollarAtLineEndsWithMultiline", "(\\w+)$", true, true, "one\ntwo\n", 2, "one"},
        CExecRow{"SectionLineWholeTextOnly", "^\\s*\\[([^\\]\\n]+)]\\s*$", false, false, "[A]\n[B]", 0, ""},
        CExecRow{"SectionLineSingleLine", "^\\s*\\[([^\\]\\n]+)]\\s*$", false, false, "  [A B]  ", 1, "A B"},
        CExecRow{"CaseSensitive", "(kivo)", false, false, "KIVO", 0, ""},
        CExecRow{"LetterClassesForCase", "([Kk][Ii][Vv][Oo])", false, false, "KiVo", 1, "KiVo"},
        CExecRow{"LazyQuantifier", "<(.+?)>", true, false, "<a><b>", 2, "a"},
        CExecRow{"NegativeLookAhead", "(\\w+)(?!\\()\\b", false, false, "f(x)", 1, "x"},
        CExecRow{"EscapedPunctuation", "\\/\\*\\s*(\\w+)\\s*\\*\\/", false, false, "x /* note */", 1, "note"},
        CExecRow{"GlobalOffGivesOne", "(\\d)", false, false, "1 2 3", 1, "1"},
        CExecRow{"GlobalOnGivesAll", "(\\d)", true, false, "1 2 3", 3, "1"},
        CExecRow{"EmptyMatchesAdvance", "(x*)", true, false, "ab", 3, ""}),
    [](const testing::TestParamInfo<CExecRow>& row) { return std::string(row.param.name); });

TEST(RegExpMatches, GroupsCountFromZeroAndUnsetGroupsAreEmpty) {
  CRegExp re("(a)(b)?(c)", true);
  ASSERT_EQ(re.Execute("ac abc"), 2);
  const CRegExpMatch& first = re.GetMatch(0);
  EXPECT_EQ(first.SubMatchCount(), 3);
  EXPECT_EQ(first.SubMatch(0), "a");
  EXPECT_EQ(first.SubMatch(1), "");
  EXPECT_EQ(first.SubMatch(2), "c");
  EXPECT_EQ(re.GetMatch(1).SubMatch(1), "b");
  EXPECT_EQ(first.SubMatch(7), "");
}

TEST(RegExpMatches, MatchesOutliveTheExecutedText) {
  CRegExp re("(\\w+)", true);
  {
    std::string text = "left right";
    ASSERT_EQ(re.Execute(text), 2);
    text.assign(text.size(), '#');
  }
  EXPECT_EQ(re.GetMatch(1).SubMatch(0), "right");
}

TEST(RegExpMatches, ExecuteReplacesTheKeptMatches) {
  CRegExp re("(\\d+)", true);
  ASSERT_EQ(re.Execute("1 2 3"), 3);
  ASSERT_EQ(re.Execute("42"), 1);
  EXPECT_EQ(re.MatchCount(), 1);
  EXPECT_EQ(re.GetMatch(0).SubMatch(0), "42");
  EXPECT_THROW(re.GetMatch(1), CRegExpError);
}

TEST(RegExpMatches, FlagChangesTakeEffectOnTheNextExecute) {
  CRegExp re("^(\\w+)");
  ASSERT_EQ(re.Execute("a\nb"), 1);
  re.SetGlobal(true);
  re.SetMultiline(true);
  EXPECT_EQ(re.Execute("a\nb"), 2);
  re.SetPattern("^(\\d)");
  EXPECT_EQ(re.Execute("a\n1\n2"), 2);
}

struct CReplaceRow {
  const char* name;
  const char* pattern;
  bool global;
  const char* text;
  const char* replacement;
  const char* expected;
};

class RegExpReplaceTest : public testing::TestWithParam<CReplaceRow> {};

TEST_P(RegExpReplaceTest, ReplacesFirstOrEveryMatch) {
  const CReplaceRow& row = GetParam();
  CRegExp re(row.pattern, row.global, true);
  EXPECT_EQ(re.Replace(row.text, row.replacement), row.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Replace, RegExpReplaceTest,
    testing::Values(CReplaceRow{"EmptyDeletesFirst", "\\s*\\/\\/.*$", false, "a; // x\nb; // y", "", "a;\nb; // y"},
                    CReplaceRow{"EmptyDeletesEvery", "\\s*\\/\\/.*$", true, "a; // x\nb; // y", "", "a;\nb;"},
                    CReplaceRow{"NoMatchKeepsText", "zz", true, "abc", "", "abc"},
                    CReplaceRow{"CommentsAcrossLines", "\\/\\*(?:.|[\\n])*?\\*\\/", true, "a/*1\n2*/b/**/c", "",
                                "abc"}),
    [](const testing::TestParamInfo<CReplaceRow>& row) { return std::string(row.param.name); });

TEST(RegExpErrors, BadPatternsRaiseOurError) {
  for (const char* pattern : {"(unclosed", "[z-a]", "a{2,1}", "*lead"}) {
    CRegExp re(pattern);
    EXPECT_THROW(re.Execute("text"), CRegExpError) << pattern;
    EXPECT_THROW(re.Replace("text", ""), CRegExpError) << pattern;
  }
}

TEST(RegExpErrors, ErrorCarriesTheEngineCodeAndText) {
  CRegExp re("(a");
  try {
    re.Execute("a");
    FAIL() << "no error raised";
  } catch (const CRegExpError& error) {
    EXPECT_NE(error.Code(), 0);
    EXPECT_NE(std::string(error.what()).find("offset"), std::string::npos);
  }
}

// Alternatives that overlap make the engine try every split of the run of
// "a"; the bound on its work turns that into our error, and the matches of an
// earlier search are not left behind.
TEST(RegExpErrors, RunawayBacktrackingRaisesOurError) {
  CRegExp re("(a|aa)+$", true);
  ASSERT_EQ(re.Execute("aa"), 1);
  try {
    re.Execute(std::string(60, 'a') + "b");
    FAIL() << "no error raised";
  } catch (const CRegExpError& error) {
    EXPECT_LT(error.Code(), 0);
  }
  EXPECT_EQ(re.MatchCount(), 0);
}

// The comment patterns of function headers walk a whole block comment one
// character at a time; a header that is one 1 MiB comment must not exhaust the
// engine's stack.
namespace {

const char* const kCommentHead = "\\/\\*((?:(?:.|[\\n])(?!\\/\\*)(?!\\*\\/))*?)";
const char* const kCommentTail = "((?:(?:.|[\\n])(?!\\/\\*))*?)\\*\\/";

std::string ChannelAssignmentPattern() {
  return std::string(kCommentHead) +
         "(?:(?:(?:[Cc][Hh][Aa][Nn][Nn][Ee][Ll].*?[Aa][Ss][Ss][Ii][Gg][Nn][Mm][Ee][Nn][Tt])|(?:[Aa][Ss][Ss][Ii][Gg]"
         "[Nn][Mm][Ee][Nn][Tt].*?[Cc][Hh][Aa][Nn][Nn][Ee][Ll])))([^(\\n]*)((?:\\(\\s*?(?:([A-Za-z_][A-Za-z0-9_]*?)"
         "\\s*?(?:\\;|\\:))?\\s*?((?:[Dd][Ee][Ff][Aa][Uu][Ll][Tt])|(?:[A-Za-z_][A-Za-z0-9_]*?\\s*?=\\s*?\\S*?))\\s*?"
         "\\))?)(.*)\\n((?:[^=\\n]*?=[^;\\n]*;?\\n?)+)" +
         kCommentTail;
}

std::string LoadExpressionPattern() {
  return std::string(kCommentHead) +
         "(?:[Ll][Oo][Aa][Dd].*?[Ee][Xx][Pp][Rr][Ee][Ss][Ss][Ii][Oo][Nn][Ss]?)\\s*?([A-Za-z_][A-Za-z0-9_]*)" +
         kCommentTail;
}

std::string FullNamePattern() {
  return std::string(kCommentHead) +
         "[Ff][Uu][Ll][Ll]\\s*(?:[Ff][Uu][Nn][Cc][Tt][Ii][Oo][Nn]|[Aa][Pp][Pp]?[Ll][Ii][Cc][Aa][Tt][Ii][Oo][Nn])\\s*"
         "[Nn][Aa][Mm][Ee]\\s*\\:?(.*)" +
         kCommentTail;
}

// One block comment of about 1 MiB: ordinary prose lines, none of them a heading.
std::string OneMebibyteComment() {
  std::string text = "/*\n";
  const std::string line = " * The engine keeps its time bases running while the host sleeps; see below.\n";
  while (text.size() + line.size() + 3 < 1024 * 1024)
    text += line;
  text += "*/\n";
  return text;
}

}  // namespace

TEST(RegExpLargeComment, CommentPatternsSearchOneMebibyteCommentWithoutError) {
  const std::string text = OneMebibyteComment();
  ASSERT_LE(text.size(), 1024u * 1024u);
  for (const std::string& pattern : {ChannelAssignmentPattern(), LoadExpressionPattern(), FullNamePattern()}) {
    CRegExp re(pattern, true, true);
    int count = -1;
    EXPECT_NO_THROW(count = re.Execute(text));
    EXPECT_EQ(count, 0);
  }
}

// Every line holds the heading words, so every line starts an attempt at a
// block: the most work a 1 MiB comment can ask of these patterns.
TEST(RegExpLargeComment, CommentOfHeadingLinesStaysWithinTheEnginesBounds) {
  std::string text = "/*\n";
  const std::string line = " * channel assignment and load expression of the full function name\n";
  while (text.size() + line.size() + 3 < 1024 * 1024)
    text += line;
  text += "*/\n";
  for (const std::string& pattern : {ChannelAssignmentPattern(), LoadExpressionPattern(), FullNamePattern()}) {
    CRegExp re(pattern, true, true);
    EXPECT_NO_THROW(re.Execute(text));
  }
}

TEST(RegExpLargeComment, HeadingAfterALongCommentIsStillFound) {
  std::string text = OneMebibyteComment();
  text.resize(text.size() - 2000);
  text += "*/\n/* Channel assignment (mode = 1) Load: pwm_load\n   chan = channel;\n*/\n";
  CRegExp re(ChannelAssignmentPattern(), true, true);
  ASSERT_EQ(re.Execute(text), 1);
  const CRegExpMatch& match = re.GetMatch(0);
  EXPECT_EQ(match.SubMatch(4), "mode = 1");
  EXPECT_EQ(match.SubMatch(5), " Load: pwm_load");
  EXPECT_EQ(match.SubMatch(6), "   chan = channel;\n");
}
