// The rewritten header readers against the patterns they replaced, on random texts built from the headers' own tokens.
#include <gtest/gtest.h>

#include <random>

#include "knowledge/headerscan.h"
#include "knowledge/kbtext.h"
#include "oldpatterns.h"

namespace {

// Pieces of real headers, the comment and line boundaries, and the
// characters that decide where a pattern may start, stop or backtrack.
const std::vector<std::string> kTokens = {
    "/*", "*/", "/", "*", "\n", "\n", "\r", "\t", " ", " ", "  ", "\v", "load", "Load", "LOAD", "expression",
    "Expressions", "expressions", "s", ":", ";", "=", "-", ",", "(", ")", "{", "}", "[", "]", ".", "..", "...",
    "x", "_", "9", "hv_", "kivo_", "pwm", "pwm_", "_init", "_finit", "init", "finit", "_output", "xkivo_pwm_init",
    "uint8_t", "channel", "Channel", "assignment", "default", "mode", "mode = 1", "var", "1", "0x10", "NAMED",
    "priority", "prio", "#define", "typedef", "enum", "Hz", "é", "hv_kivo_pwm_init", "project", "Notes", "notes",
    "hv_kivo_pwm_init_dual", "options", "Options", "#define A 1\n", "typedef enum ", "} mode_t;", "mode_t", "{ A, B }"};

std::string RandomText(std::mt19937& random, std::size_t tokens) {
  std::uniform_int_distribution<std::size_t> pick(0, kTokens.size() - 1);
  std::string text;
  for (std::size_t i = 0; i < tokens; ++i)
    text += kTokens[pick(random)];
  return text;
}

CMatchList OldMatches(const std::string& pattern, bool global, bool multiline, const std::string& text) {
  CRegExp regexp(pattern, global, multiline);
  return RunPatternQuietly(regexp, text);
}

// Each case: many random texts of a given length, and the same texts with a
// declaration or heading that reads well planted in the middle. `check`
// returns whether the old pattern found something, and enough texts must
// give it something to find.
template <typename Check>
void ForRandomTexts(unsigned seed, const std::string& planted, Check check, bool wholeItem = false) {
  std::mt19937 random(seed);
  int found = 0;
  for (int round = 0; round < 3000; ++round) {
    std::size_t length = 1 + static_cast<std::size_t>(round % 40);
    std::string text = RandomText(random, length);
    if (round % 3 == 0)
      text = RandomText(random, length / 2) + planted + RandomText(random, length / 2);
    // An item is a whole text: only blanks may stand around a good one.
    if (wholeItem && round % 3 == 1)
      text = std::string(length % 3, ' ') + planted.substr(0, planted.size() - length % 4) + text.substr(0, length % 5);
    found += check(text) ? 1 : 0;
    if (::testing::Test::HasFailure()) {
      ADD_FAILURE() << "text: " << ::testing::PrintToString(text);
      return;
    }
  }
  EXPECT_GT(found, 50);
}

TEST(ScannerDiff, PrototypesAsThePatternFoundThem) {
  for (const std::string name : {"pwm", "p(w)m+", "kivo_pwm"}) {
    std::string old = FillPattern(oldpatterns::kPrototype, EscapeForPattern(name));
    ForRandomTexts(11, "hv_kivo_" + name + "_init(uint8_t channel, uint8_t mode);", [&](const std::string& text) {
      CMatchList before = OldMatches(old, true, true, text);
      EXPECT_EQ(FindPrototypes(text, name), before) << name;
      return !before.empty();
    });
  }
}

TEST(ScannerDiff, LoadExpressionHeadingsAsThePatternFoundThem) {
  std::string old = oldpatterns::LoadExpression();
  ForRandomTexts(12, "/* Load expression pwm_load\nexpression = 1\n*/", [&](const std::string& text) {
    CMatchList before = OldMatches(old, true, true, text);
    EXPECT_EQ(FindLoadExpressions(text), before);
    return !before.empty();
  });
}

TEST(ScannerDiff, RangeAndNamedItemsAsThePatternsReadThem) {
  ForRandomTexts(13, " 10 .. 20 ", [&](const std::string& text) {
    CMatchList old = OldMatches(oldpatterns::kRangeItem, false, false, text);
    std::string low, high;
    bool found = SplitRangeItem(text, low, high);
    EXPECT_EQ(found, !old.empty());
    if (found && !old.empty()) {
      EXPECT_EQ((std::vector<std::string>{low, high}), old[0]);
    }
    return !old.empty();
  }, true);
  ForRandomTexts(14, "NAMED( 3 )", [&](const std::string& text) {
    CMatchList old = OldMatches(oldpatterns::kNamedItem, false, false, text);
    std::string name, value;
    bool found = SplitNamedItem(text, name, value);
    EXPECT_EQ(found, !old.empty());
    if (found && !old.empty()) {
      EXPECT_EQ((std::vector<std::string>{name, value}), old[0]);
    }
    return !old.empty();
  }, true);
}

// The selector's condition is read trimmed, so blanks it took at its end do
// not count.
TEST(ScannerDiff, ChannelAssignmentBlocksAsThePatternFoundThem) {
  std::string old = oldpatterns::ChanAssign();
  std::string now = ChanAssignPattern();
  ForRandomTexts(15, "/* Channel assignment (hv_kivo_pwm_init; mode = 1) Load: x\nmaster = channel;\n*/",
                 [&](const std::string& text) {
                   CMatchList before = OldMatches(old, true, true, text);
                   CMatchList after = OldMatches(now, true, true, text);
                   for (CMatchList* list : {&before, &after})
                     for (auto& match : *list)
                       match[4] = Trim(match[4]);
                   EXPECT_EQ(after, before);
                   return !before.empty();
                 });
}

TEST(ScannerDiff, DocumentationCommentsAsThePatternFoundThem) {
  for (const std::string init : {"hv_kivo_pwm_init", "kivo_p(w)m_init"}) {
    std::string params = FillPattern(oldpatterns::kDocComment, EscapeForPattern(init), EscapeForPattern("mode"));
    std::string notes = FillPattern(oldpatterns::kDocComment, EscapeForPattern(init), oldpatterns::kNotesWords);
    ForRandomTexts(17, "/* " + init + " - sets up\n * mode - the mode\n * Project  Notes: x\n */",
                   [&](const std::string& text) {
                     CDocCommentScanner comments(text);
                     CMatchList before = OldMatches(params, false, true, text);
                     EXPECT_EQ(comments.Find(init, "mode", false, false), before) << init;
                     CMatchList notesBefore = OldMatches(notes, true, true, text);
                     EXPECT_EQ(comments.Find(init, {}, true, true), notesBefore) << init;
                     return !before.empty() || !notesBefore.empty();
                   });
  }
}

TEST(ScannerDiff, EnumerationsAndOptionsCommentsAsThePatternsFoundThem) {
  ForRandomTexts(18, "typedef enum tag { A, /* a */ B } mode_t;", [&](const std::string& text) {
    CHeaderTables tables(text);
    bool any = false;
    for (const std::string type : {"mode_t", "const mode_t", ""}) {
      CMatchList before =
          OldMatches(FillPattern(oldpatterns::kEnumeration, EscapeForPattern(type)), false, true, text);
      std::string enumerators;
      bool found = tables.FindEnumeration(type, enumerators);
      EXPECT_EQ(found, !before.empty()) << type;
      if (found && !before.empty()) {
        EXPECT_EQ(enumerators, before[0][0]) << type;
      }
      any = any || found;
    }
    return any;
  });
  ForRandomTexts(19, "/* The mode options: */\n#define MODE_A 1 /* a */\n#define MODE_B 2\n",
                 [&](const std::string& text) {
                   CHeaderTables tables(text);
                   bool any = false;
                   for (const std::string name : {"mode", "x", "Options"}) {
                     CMatchList before = OldMatches(FillPattern(oldpatterns::OptionsComment(), EscapeForPattern(name)),
                                                    false, true, text);
                     std::string defines;
                     bool found = tables.FindOptionsComment(name, defines);
                     EXPECT_EQ(found, !before.empty()) << name;
                     if (found && !before.empty()) {
                       EXPECT_EQ(defines, before[0][2]) << name;
                     }
                     any = any || found;
                   }
                   return any;
                 });
}

TEST(ScannerDiff, VarDeclarationsAsThePatternReadThem) {
  ForRandomTexts(16, "var freq {1..2} [ Hz ]", [&](const std::string& text) {
    CMatchList before = OldMatches(oldpatterns::kVarDeclaration, false, false, text);
    EXPECT_EQ(OldMatches(VarDeclarationPattern(), false, false, text), before);
    return !before.empty() && !before[0][4].empty();
  });
}

}  // namespace
