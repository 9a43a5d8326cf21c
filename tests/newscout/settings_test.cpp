// The package and checker values in the settings store: where they live, how they read, what is written.
#include <QSettings>
#include <gtest/gtest.h>

#include <filesystem>

#include "common/testsupport.h"
#include "newscout/newscoutsettings.h"
#include "nstestsupport.h"

namespace {

struct CLocationCase {
  const char* name;
  const char* keyPath;
  const char* location;  // organisation|application|group, empty for no place at all
};

class SettingsLocationTest : public ::testing::TestWithParam<CLocationCase> {};

TEST_P(SettingsLocationTest, SplitsTheKeyPath) {
  CSettingsLocation l = CNewscoutSettings::LocationOf(GetParam().keyPath);
  EXPECT_EQ(l.valid ? l.organization + "|" + l.application + "|" + l.group : "", GetParam().location);
}

INSTANTIATE_TEST_SUITE_P(KeyPaths, SettingsLocationTest,
                         ::testing::Values(CLocationCase{"Registry", "Software\\Halvora\\KivoVam", "Halvora|KivoVam|"},
                                           CLocationCase{"Mixed", "Halvora/Kivo Vam\\Newscout/State",
                                                         "Halvora|Kivo Vam|Newscout/State"},
                                           CLocationCase{"Doubled", "\\\\Halvora\\\\KivoVam\\", "Halvora|KivoVam|"},
                                           CLocationCase{"SoftwareAlone", "Software", "Software||"},
                                           CLocationCase{"OnlySeparators", "\\/", ""}),
                         CRowName());

class SettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    profile.registryKeyPath = UniqueKeyPath();
    location = CNewscoutSettings::LocationOf(profile.registryKeyPath);
  }
  QSettings Store(QSettings::Scope scope) {
    return QSettings(QSettings::NativeFormat, scope, QString::fromStdString(location.organization),
                     QString::fromStdString(location.application));
  }
  CNewscoutProfile Reloaded() {
    CNewscoutProfile again;
    again.registryKeyPath = profile.registryKeyPath;
    CNewscoutSettings(again).LoadSettings();
    return again;
  }

  CNewscoutProfile profile;
  CNewscoutSettings settings{profile};
  CSettingsLocation location;
};

// Values that are missing, of the wrong form or in the other scope keep their defaults.
TEST_F(SettingsTest, ReadsEachValueInItsFormAndScope) {
  {
    QSettings system = Store(QSettings::SystemScope);
    system.setValue("PACKAGE_DATE", "2010/5/5 12:30:15");
    system.setValue("PACKAGE_SIZE", "0x10");
    system.setValue("NEWSCOUT_AUTOCHECK", "0");  // the user's value does not come from here
    QSettings user = Store(QSettings::UserScope);
    user.setValue("NEWSCOUT_CONNECTMODE", "two");
    user.setValue("NEWSCOUT_AUTHDIALOG", "0");
    user.setValue("NEWSCOUT_PERIOD", "W");
    user.setValue("NEWSCOUT_SYNCTIME", "4294967295");
    user.setValue("NEWSCOUT_LASTRUN", "2010/13/1");
    user.setValue("NEWSCOUT_IGNORE", "10/6/1");
  }
  CNewscoutProfile read = Reloaded();
  EXPECT_EQ(read.packageDate.ToText(), "2010/5/5 12:30:15");
  EXPECT_EQ(read.packageSize, 16u);
  EXPECT_EQ(read.autoCheck, 1);
  EXPECT_EQ(read.connectMode, 1);
  EXPECT_EQ(read.authDialog, 0);
  EXPECT_EQ(read.period, "W");
  EXPECT_EQ(read.syncTime, 4294967295u);
  EXPECT_TRUE(read.lastRunDate.IsZero());
  EXPECT_EQ(read.ignoreDate.ToText(), "2010/6/1");
}

TEST_F(SettingsTest, WritesTheUsersValues) {
  profile.autoCheck = 0;
  profile.connectMode = 2;
  profile.authDialog = 0;
  profile.period = "M";
  ASSERT_TRUE(settings.SaveSettings());
  CNewscoutDate now = CNewscoutDate::ParseStoredText("2024/5/10 8:09:10");
  now.millisecond = 456;
  ASSERT_TRUE(settings.WriteLastRun(now));
  ASSERT_TRUE(settings.WriteIgnoreDate(CNewscoutDate::ParseStoredText("2010/5/5 12:30:15.25")));
  ASSERT_TRUE(settings.WriteSyncTime(123456));

  CNewscoutProfile read = Reloaded();
  EXPECT_EQ(read.autoCheck, 0);
  EXPECT_EQ(read.connectMode, 2);
  EXPECT_EQ(read.authDialog, 0);
  EXPECT_EQ(read.period, "M");
  EXPECT_EQ(read.syncTime, 123456u);
  QSettings user = Store(QSettings::UserScope);
  EXPECT_EQ(user.value("NEWSCOUT_LASTRUN").toString(), "2024/5/10 08:09:10");
  EXPECT_EQ(user.value("NEWSCOUT_IGNORE").toString(), "2010/5/5 12:30:15.250");
  EXPECT_EQ(user.value("NEWSCOUT_AUTOCHECK").toString(), "0");
  // The installer's values are never written.
  EXPECT_FALSE(Store(QSettings::SystemScope).contains("PACKAGE_SIZE"));
}

TEST_F(SettingsTest, SavingFailsWhereNothingCanBeWritten) {
  // A file where the store's folder should be.
  WriteFileBytes(std::filesystem::path(TestSettingsFolder()) / "user" / location.organization, "in the way");
  EXPECT_FALSE(settings.SaveSettings());
  EXPECT_FALSE(settings.WriteLastRun(CNewscoutDate::LocalNow()));

  profile.registryKeyPath = "";
  EXPECT_FALSE(settings.SaveSettings());
}

}  // namespace
