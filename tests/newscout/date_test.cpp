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
  bool read;
  const char* written;  // the date written back in the settings form
};

class ServerDateTest : public ::testing::TestWithParam<CDateCase> {};

TEST_P(ServerDateTest, ReadsTheNumbersThatAreThere) {
  const CDateCase& c = GetParam();
  CNewscoutDate date;
  ASSERT_EQ(CNewscoutDate::ParseServerText(c.text, date), c.read);
  if (c.read) {
    EXPECT_EQ(date.ToText(), c.written);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ServerDateTest,
    ::testing::Values(CDateCase{"TwoDigitYear", "10/5/5", true, "2010/5/5"},
                      CDateCase{"FractionOfASecond", "2010/5/5 12:30:15.25", true, "2010/5/5 12:30:15.250"},
                      CDateCase{"HourAndMinuteOnly", "2010/5/5 7:08", true, "2010/5/5 07:08:00"},
                      CDateCase{"LastYearTakenAs20xx", "69/12/31", true, "2069/12/31"},
                      CDateCase{"SeventyStaysAsWritten", "70/1/1", true, "70/1/1"},
                      CDateCase{"RoundedMilliseconds", "2010/5/5 1:2:3.0006", true, "2010/5/5 01:02:03.001"},
                      CDateCase{"MissingDay", "2010/5", false, ""},
                      CDateCase{"OtherSeparators", "2010-05-05", false, ""},
                      CDateCase{"SignedNumber", "2010/-5/5", false, ""},
                      CDateCase{"Empty", "", false, ""}),
    CRowName());

TEST(StoredDateTest, KeepsOnlyRealDatesAndKnowsTheirWeekday) {
  EXPECT_EQ(Date("2024/5/5").dayOfWeek, 0);  // a Sunday
  EXPECT_EQ(Date("2024/5/10 23:59:59").dayOfWeek, 5);
  EXPECT_TRUE(Date("2010/2/30").IsZero());
  EXPECT_TRUE(Date("2010/5/5 24:00:00").IsZero());
  EXPECT_TRUE(Date("garbage").IsZero());
  // The milliseconds survive the round trip, also at midnight.
  CNewscoutDate midnight = Date("2010/5/5");
  midnight.millisecond = 250;
  EXPECT_EQ(CNewscoutDate::Compare(Date(midnight.ToText().c_str()), midnight), 0);
}

TEST(StoredDateTest, ComparesFromTheYearDownIgnoringTheWeekday) {
  EXPECT_TRUE(Date("2011/1/1").IsLaterThan(Date("2010/12/31 23:59:59")));
  EXPECT_TRUE(Date("2010/5/5 0:0:1").IsLaterThan(Date("2010/5/5")));
  CNewscoutDate otherWeekday = Date("2010/5/5");
  otherWeekday.dayOfWeek = 6;
  EXPECT_EQ(CNewscoutDate::Compare(otherWeekday, Date("2010/5/5")), 0);
}

struct CLineCase {
  const char* name;
  const char* line;
  bool understood;
  const char* version;
  std::uint32_t size;
  const char* link;
};

class InfoLineTest : public ::testing::TestWithParam<CLineCase> {};

TEST_P(InfoLineTest, SetsOnlyWhatTheLineGives) {
  const CLineCase& c = GetParam();
  CServerAnswer answer;
  std::string link = "http://old.invalid/";
  EXPECT_EQ(CServerInfoReader(answer, link).ReadLine(c.line), c.understood);
  EXPECT_EQ(answer.version, c.version);
  EXPECT_EQ(answer.size, c.size);
  EXPECT_EQ(link, c.link);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, InfoLineTest,
    ::testing::Values(CLineCase{"Version", "  VERSION = 2.0 beta ", true, "2.0 beta", 0, "http://old.invalid/"},
                      CLineCase{"ValueWithEquals", "version=a=b", true, "a=b", 0, "http://old.invalid/"},
                      CLineCase{"Size", "Size=42 bytes", true, "", 42, "http://old.invalid/"},
                      CLineCase{"ZeroSize", "size=0", false, "", 0, "http://old.invalid/"},
                      CLineCase{"SizeTooLarge", "size=99999999999", false, "", 0, "http://old.invalid/"},
                      CLineCase{"WebLink", "link = HTTPS://new.invalid/x", true, "", 0, "HTTPS://new.invalid/x"},
                      CLineCase{"ProgramLink", "link=/usr/bin/xterm", false, "", 0, "http://old.invalid/"},
                      CLineCase{"EmptyVersion", "version=", false, "", 0, "http://old.invalid/"},
                      CLineCase{"HashComment", "#version=3", false, "", 0, "http://old.invalid/"},
                      CLineCase{"SlashComment", "  //version=3", false, "", 0, "http://old.invalid/"},
                      CLineCase{"NoEquals", "version 3", false, "", 0, "http://old.invalid/"},
                      CLineCase{"UnknownKey", "build=3", false, "", 0, "http://old.invalid/"},
                      CLineCase{"BadDate", "date=soon", false, "", 0, "http://old.invalid/"}),
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
  const CNewerCase& c = GetParam();
  CNewscoutProfile profile;
  profile.packageSize = 1000;
  profile.packageDate = Date("2010/1/1");
  profile.ignoreDate = Date("2010/6/1");
  EXPECT_EQ(profile.IsNewer(c.size, Date(c.date), c.honourIgnore), c.newer);
}

INSTANTIATE_TEST_SUITE_P(Decisions, IsNewerTest,
                         ::testing::Values(CNewerCase{"LaterAndOtherSize", 2000, "2010/3/1", false, true},
                                           CNewerCase{"SameSizeWhateverTheDate", 1000, "2012/1/1", false, false},
                                           CNewerCase{"EarlierPackage", 2000, "2009/12/31", false, false},
                                           CNewerCase{"SameDate", 2000, "2010/1/1", false, false},
                                           CNewerCase{"IgnoredDateItself", 2000, "2010/6/1", true, false},
                                           CNewerCase{"BeforeTheIgnoredDate", 2000, "2010/3/1", true, false},
                                           CNewerCase{"AfterTheIgnoredDate", 2000, "2010/6/1 0:0:1", true, true}),
                         CRowName());

}  // namespace
