// Dates in their two text forms, server information lines, and the newer-package decision.
#include <gtest/gtest.h>

#include "newscout/newscoutprofile.h"
#include "newscout/serverinforeader.h"
#include "nstestsupport.h"

namespace {

CNewscoutDate Date(const char* text) { return CNewscoutDate::ParseStoredText(text); }

struct CDateCase {
  const char* name;
  const char* text;
  const char* written;  // written back in the settings form; empty when the text is no date
};

class ServerDateTest : public ::testing::TestWithParam<CDateCase> {};

TEST_P(ServerDateTest, ReadsTheNumbersThatAreThere) {
  CNewscoutDate date;
  bool read = CNewscoutDate::ParseServerText(GetParam().text, date);
  EXPECT_EQ(read ? date.ToText() : "", GetParam().written);
}

INSTANTIATE_TEST_SUITE_P(Texts, ServerDateTest,
                         ::testing::Values(CDateCase{"TwoDigitYear", "10/5/5", "2010/5/5"},
                                           CDateCase{"Fraction", "2010/5/5 12:30:15.25", "2010/5/5 12:30:15.250"},
                                           CDateCase{"RoundedFraction", "2010/5/5 1:2:3.0006", "2010/5/5 01:02:03.001"},
                                           CDateCase{"NoSeconds", "2010/5/5 7:08", "2010/5/5 07:08:00"},
                                           CDateCase{"SixtyNineIs2069", "69/12/31", "2069/12/31"},
                                           CDateCase{"SeventyIsNotTurnedInto2070", "70/1/1", ""},
                                           CDateCase{"MonthThirteen", "2010/13/1", ""},
                                           CDateCase{"ThirtyFirstOfApril", "2010/4/31", ""},
                                           CDateCase{"LeapDay", "2012/2/29", "2012/2/29"},
                                           CDateCase{"NoLeapDay", "2010/2/29", ""},
                                           CDateCase{"HourTwentyFour", "2010/5/5 24:00", ""},
                                           CDateCase{"SixtySeconds", "2010/5/5 1:2:60", ""},
                                           CDateCase{"MissingDay", "2010/5", ""},
                                           CDateCase{"OtherSeparators", "2010-05-05", ""},
                                           CDateCase{"Signed", "2010/-5/5", ""}),
                         CRowName());

TEST(StoredDateTest, KeepsOnlyRealDatesAndKnowsTheirWeekday) {
  EXPECT_EQ(Date("2024/5/5").dayOfWeek, 0);  // a Sunday
  EXPECT_EQ(Date("2024/5/10 23:59:59").dayOfWeek, 5);
  EXPECT_TRUE(Date("2010/2/30").IsZero());
  EXPECT_TRUE(Date("2010/5/5 24:00:00").IsZero());
  // Milliseconds survive the round trip, at midnight too.
  CNewscoutDate midnight = Date("2010/5/5");
  midnight.millisecond = 250;
  EXPECT_EQ(CNewscoutDate::Compare(Date(midnight.ToText().c_str()), midnight), 0);
  // Compared from the year down, the weekday aside.
  EXPECT_TRUE(Date("2011/1/1").IsLaterThan(Date("2010/12/31 23:59:59")));
  midnight = Date("2010/5/5");
  midnight.dayOfWeek = 6;
  EXPECT_EQ(CNewscoutDate::Compare(midnight, Date("2010/5/5")), 0);
}

struct CLineCase {
  const char* name;
  const char* line;
  bool understood;
  const char* result;  // version, size and link after the line
};

class InfoLineTest : public ::testing::TestWithParam<CLineCase> {};

TEST_P(InfoLineTest, SetsOnlyWhatTheLineGives) {
  CServerAnswer answer;
  std::string link = "http://old/";
  EXPECT_EQ(CServerInfoReader(answer, link).ReadLine(GetParam().line), GetParam().understood);
  EXPECT_EQ(answer.version + "|" + std::to_string(answer.size) + "|" + link, GetParam().result);
}

INSTANTIATE_TEST_SUITE_P(Lines, InfoLineTest,
                         ::testing::Values(CLineCase{"Version", "  VERSION = 2.0 beta ", true, "2.0 beta|0|http://old/"},
                                           CLineCase{"ValueWithEquals", "version=a=b", true, "a=b|0|http://old/"},
                                           CLineCase{"Size", "Size=42 bytes", true, "|42|http://old/"},
                                           CLineCase{"ZeroSize", "size=0", false, "|0|http://old/"},
                                           CLineCase{"HugeSize", "size=99999999999", false, "|0|http://old/"},
                                           CLineCase{"WebLink", "link = HTTPS://new/x", true, "|0|HTTPS://new/x"},
                                           CLineCase{"ProgramLink", "link=/usr/bin/xterm", false, "|0|http://old/"},
                                           CLineCase{"EmptyVersion", "version=", false, "|0|http://old/"},
                                           CLineCase{"HashComment", "#version=3", false, "|0|http://old/"},
                                           CLineCase{"SlashComment", "  //version=3", false, "|0|http://old/"},
                                           CLineCase{"NoEquals", "version 3", false, "|0|http://old/"},
                                           CLineCase{"BadDate", "date=soon", false, "|0|http://old/"}),
                         CRowName());

struct CNewerCase {
  const char* name;
  std::uint32_t size;
  const char* date;
  bool honourIgnore;
  bool newer;
};

class IsNewerTest : public ::testing::TestWithParam<CNewerCase> {};

TEST_P(IsNewerTest, Decides) {
  CNewscoutProfile profile;
  profile.packageSize = 1000;
  profile.packageDate = Date("2010/1/1");
  profile.ignoreDate = Date("2010/6/1");
  EXPECT_EQ(profile.IsNewer(GetParam().size, Date(GetParam().date), GetParam().honourIgnore), GetParam().newer);
}

INSTANTIATE_TEST_SUITE_P(Decisions, IsNewerTest,
                         ::testing::Values(CNewerCase{"LaterAndOtherSize", 2000, "2010/3/1", false, true},
                                           CNewerCase{"SameSizeWhateverTheDate", 1000, "2012/1/1", false, false},
                                           CNewerCase{"SameDate", 2000, "2010/1/1", false, false},
                                           CNewerCase{"IgnoredDateItself", 2000, "2010/6/1", true, false},
                                           CNewerCase{"AfterTheIgnoredDate", 2000, "2010/6/1 0:0:1", true, true}),
                         CRowName());

}  // namespace
