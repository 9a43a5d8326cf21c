// When an automatic start contacts the server: period, sync time and connect mode.
#include <gtest/gtest.h>

#include "newscout/checkschedule.h"
#include "nstestsupport.h"

namespace {

CNewscoutDate Date(const char* text) { return CNewscoutDate::ParseStoredText(text); }

class ScheduleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    profile.registryKeyPath = UniqueKeyPath();
    profile.connectMode = 2;
    schedule.askConnect = [this] {
      ++prompts;
      return choice;
    };
    schedule.isOnline = [this] { return online; };
  }
  bool Due(const char* now, std::uint32_t tick = 50000) { return schedule.IsCheckDue(Date(now), tick, showGui); }

  CNewscoutProfile profile;
  CNewscoutSettings settings{profile};
  CCheckSchedule schedule{profile, settings};
  EConnectChoice choice = EConnectChoice::Connect;
  bool online = true;
  bool showGui = false;
  int prompts = 0;
};

struct CPeriodCase {
  const char* name;
  const char* period;
  const char* lastRun;
  const char* now;
  bool due;
};

class PeriodTest : public ScheduleTest, public ::testing::WithParamInterface<CPeriodCase> {};

TEST_P(PeriodTest, WaitsForThePeriod) {
  const CPeriodCase& c = GetParam();
  profile.period = c.period;
  profile.lastRunDate = Date(c.lastRun);
  EXPECT_EQ(Due(c.now), c.due);
}

INSTANTIATE_TEST_SUITE_P(
    Periods, PeriodTest,
    ::testing::Values(CPeriodCase{"FirstCheckEver", "W", "", "2024/5/8 9:00", true},
                      CPeriodCase{"DailySameDay", "D", "2024/5/6 10:00", "2024/5/6 18:00", false},
                      CPeriodCase{"DailyNextDay", "D", "2024/5/6 23:59", "2024/5/7 0:01", true},
                      CPeriodCase{"NoPeriodIsDaily", "", "2024/5/6 10:00", "2024/5/7 9:00", true},
                      CPeriodCase{"WeeklyFridayToMonday", "W", "2024/5/10", "2024/5/13", true},
                      CPeriodCase{"WeeklyMondayToWednesday", "w", "2024/5/6", "2024/5/8", false},
                      CPeriodCase{"WeeklySundayToSaturday", "W", "2024/5/5", "2024/5/11", false},
                      CPeriodCase{"WeeklyAWeekLater", "W", "2024/5/6", "2024/5/13", true},
                      CPeriodCase{"MonthlyLaterSameMonth", "M", "2024/5/1", "2024/5/31", false},
                      CPeriodCase{"MonthlyNextMonth", "M", "2024/5/31", "2024/6/1", true},
                      CPeriodCase{"SameMonthOfAnotherYear", "M", "2023/5/6", "2024/5/6", true}),
    CRowName());

TEST_F(ScheduleTest, CheckingSwitchedOffIsNeverDueAndLeavesNoSyncTime) {
  profile.autoCheck = 0;
  EXPECT_FALSE(Due("2024/5/8"));
  EXPECT_EQ(profile.syncTime, 0u);
}

struct CSyncCase {
  const char* name;
  std::uint32_t syncTime;
  std::uint32_t tick;
  bool due;
};

class SyncTimeTest : public ScheduleTest, public ::testing::WithParamInterface<CSyncCase> {};

TEST_P(SyncTimeTest, LeavesTheQueryToTheFirstChecker) {
  const CSyncCase& c = GetParam();
  profile.syncTime = c.syncTime;
  EXPECT_EQ(Due("2024/5/8", c.tick), c.due);
  EXPECT_EQ(profile.syncTime, c.tick);
  CNewscoutProfile stored;
  stored.registryKeyPath = profile.registryKeyPath;
  CNewscoutSettings(stored).LoadSettings();
  EXPECT_EQ(stored.syncTime, c.tick);
}

INSTANTIATE_TEST_SUITE_P(SyncTimes, SyncTimeTest,
                         ::testing::Values(CSyncCase{"SameMoment", 100000, 100000, false},
                                           CSyncCase{"JustWithinAfter", 100000, 109999, false},
                                           CSyncCase{"TenSecondsAfter", 100000, 110000, true},
                                           CSyncCase{"JustWithinBefore", 100000, 90001, false},
                                           CSyncCase{"TenSecondsBefore", 100000, 90000, true},
                                           CSyncCase{"NeverWritten", 0, 5000, true},
                                           CSyncCase{"NearTheWrapAround", 4294967290u, 3, true}),
                         CRowName());

TEST_F(ScheduleTest, ConnectPromptDecides) {
  profile.connectMode = 0;
  choice = EConnectChoice::Connect;
  EXPECT_TRUE(Due("2024/5/8 10:00"));
  EXPECT_FALSE(showGui);

  choice = EConnectChoice::Options;
  EXPECT_TRUE(Due("2024/5/8 10:00", 80000));
  EXPECT_TRUE(showGui);

  choice = EConnectChoice::NotNow;
  EXPECT_FALSE(Due("2024/5/8 10:00", 110000));
  EXPECT_TRUE(profile.lastRunDate.IsZero());

  choice = EConnectChoice::NotToday;
  EXPECT_FALSE(Due("2024/5/8 10:00:30", 140000));
  EXPECT_EQ(profile.lastRunDate.ToText(), "2024/5/8 10:00:30");
  EXPECT_EQ(prompts, 4);
  // Today is done with.
  EXPECT_FALSE(Due("2024/5/8 17:00", 200000));
  EXPECT_EQ(prompts, 4);
}

TEST_F(ScheduleTest, OtherConnectModesAskNobody) {
  profile.connectMode = 1;
  online = false;
  EXPECT_FALSE(Due("2024/5/8", 50000));
  online = true;
  EXPECT_TRUE(Due("2024/5/8", 80000));
  profile.connectMode = 7;
  online = false;
  EXPECT_TRUE(Due("2024/5/8", 110000));
  EXPECT_EQ(prompts, 0);
}

}  // namespace
