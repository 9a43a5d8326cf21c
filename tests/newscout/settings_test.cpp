// The package and checker values in the settings store: where they live, how they read, what is written.
#include <QSettings>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <thread>

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

// The checker runs unattended at every start of the desktop program, and
// stores its sync time each time: the user's file, kept elsewhere behind a
// link, is written in place; a FIFO there is neither read nor replaced. A
// watchdog opens the FIFO for writing now and then, which succeeds only while
// someone reads it and ends that read, so a fault fails instead of hanging.
TEST_F(SettingsTest, UsersFileBehindALinkIsWrittenInPlaceAndAFifoIsLeftAlone) {
  namespace fs = std::filesystem;
  fs::path file = fs::path(TestSettingsFolder()) / "user" / location.organization / (location.application + ".conf");
  fs::create_directories(file.parent_path());
  CTempDir elsewhere;
  WriteFileBytes(elsewhere / "kept.conf", "[General]\nNEWSCOUT_PERIOD=W\n");
  fs::create_symlink(elsewhere / "kept.conf", file);
  struct stat before {};
  stat((elsewhere / "kept.conf").c_str(), &before);
  EXPECT_EQ(Reloaded().period, "W");
  ASSERT_TRUE(settings.WriteSyncTime(42));
  struct stat after {};
  stat((elsewhere / "kept.conf").c_str(), &after);
  EXPECT_EQ(after.st_ino, before.st_ino);
  EXPECT_TRUE(fs::is_symlink(file));
  EXPECT_EQ(ReadFileBytes(elsewhere / "kept.conf"), "[General]\nNEWSCOUT_PERIOD=W\nNEWSCOUT_SYNCTIME=42\n");

  fs::remove(file);
  ASSERT_EQ(mkfifo((elsewhere / "fifo").c_str(), 0600), 0);
  fs::create_symlink(elsewhere / "fifo", file);
  std::atomic<bool> finished{false};
  std::atomic<bool> read{false};
  std::thread watchdog([&] {
    while (!finished) {
      int fd = open((elsewhere / "fifo").c_str(), O_WRONLY | O_NONBLOCK);
      if (fd >= 0) {
        read = true;
        close(fd);
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  });
  CNewscoutProfile loaded = Reloaded();
  bool written = settings.WriteSyncTime(43) || settings.SaveSettings();
  finished = true;
  watchdog.join();
  EXPECT_FALSE(read);
  EXPECT_FALSE(written);
  EXPECT_EQ(loaded.period, "");
  EXPECT_TRUE(fs::is_symlink(file));
  EXPECT_TRUE(fs::is_fifo(elsewhere / "fifo"));
}

}  // namespace
