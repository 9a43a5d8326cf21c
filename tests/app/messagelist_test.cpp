// The manual's list of messages: the advice kept with the manual covers the
// catalog exactly, and the list shows each message as a reader meets it.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "app/messagelist.h"
#include "common/testsupport.h"

// A message added to the catalog without advice, or advice left behind for a
// message that is gone, fails here rather than in a reader's hands.
TEST(MessageList, TheManualsAdviceCoversEveryMessageOnce) {
  CMessageAdvice advice = ReadMessageAdvice(ReadFileBytes(SourcePath("doc/manual/messages.txt")));
  EXPECT_EQ(advice.problems, std::vector<std::string>{});
  std::set<int> listed, advised;
  for (int id : ListedMessageIds())
    listed.insert(id);
  for (const auto& [id, text] : advice.advice)
    advised.insert(id);
  EXPECT_EQ(advised, listed);
  EXPECT_TRUE(listed.count(4096));
  EXPECT_TRUE(listed.count(551));
  EXPECT_FALSE(listed.count(552));  // a line of 551, not a message
  EXPECT_FALSE(listed.count(20000));  // a status-bar prompt
}

TEST(MessageList, AdviceEntriesAreJoinedAndMistakesNamed) {
  CMessageAdvice advice = ReadMessageAdvice(
      "; a comment\n"
      "stray words\n"
      "4013\n"
      "  Type a frequency,\n"
      "\n"
      "for example 40 MHz.  \n"
      "4034\n"
      "4013\n"
      "Again.\n");
  ASSERT_EQ(advice.advice.size(), 2u);
  EXPECT_EQ(advice.advice[4013], "Type a frequency, for example 40 MHz. Again.");
  EXPECT_EQ(advice.problems, (std::vector<std::string>{"line 2: advice before any message number",
                                                       "message 4034 has no advice",
                                                       "line 8: message 4013 is given twice"}));
}

struct CTemplateRow {
  const char* name;
  const char* text;
  const char* shown;
};

class MessageTemplateTest : public testing::TestWithParam<CTemplateRow> {};

TEST_P(MessageTemplateTest, PlacesTheProgramFillsInBecomeEllipses) {
  EXPECT_EQ(MessageTemplateText(GetParam().text), GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(
    Messages, MessageTemplateTest,
    testing::Values(
        CTemplateRow{"Positional", "Path is invalid: \"%1\"", "Path is invalid: \"…\""},
        CTemplateRow{"Printf", "%d function%s use%s unavalable resources", "… function… use… unavalable resources"},
        CTemplateRow{"Adjacent", "In function '%s%d', TCR%d on engine %c", "In function '……', TCR… on engine …"},
        CTemplateRow{"Percent", "%.1f %% of 100%%", "… % of 100%"},
        CTemplateRow{"LineBreaks", "Error in '%4' (API file '%1').\n\nExpression: '%2'\n",
                     "Error in '…' (API file '…'). Expression: '…'"},
        CTemplateRow{"NoConversion", "Load 50%, at most 100%", "Load 50%, at most 100%"}),
    [](const testing::TestParamInfo<CTemplateRow>& row) { return std::string(row.param.name); });

TEST(MessageList, TableRowsShowNumberTextAndAdvice) {
  CMessageAdvice advice;
  advice.advice[4013] = "Type `40 MHz` | or OFF.";
  const std::string list = WriteMessageList(advice);
  EXPECT_EQ(list.substr(0, list.find('\n', list.find('\n') + 1) + 1), "| Number | Message | What to do |\n|---|---|---|\n");
  EXPECT_NE(list.find("| 4013 | Invalid clock value. | Type `40 MHz` \\| or OFF. |\n"), std::string::npos);
  // Without advice the row is there all the same; markup in the text is escaped.
  EXPECT_NE(list.find("| 4039 | Path is invalid: \"…\" |  |\n"), std::string::npos);
  EXPECT_NE(list.find("| 9320 | Can not open \"…\" |  |\n"), std::string::npos);
  EXPECT_NE(list.find("| 4020 | The channel number … is already assigned a function ('…::…') |"), std::string::npos);
  EXPECT_NE(list.find("is not valid API function."), std::string::npos);
}
