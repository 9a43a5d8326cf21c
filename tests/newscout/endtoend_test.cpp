// The built program in console mode against a local server: what it prints and what it stores.
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>
#include <gtest/gtest.h>
#include <sys/stat.h>


#include "common/testsupport.h"
#include "newscout/newscoutdate.h"
#include "nstestsupport.h"

namespace {

class EndToEndTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CProfileTexts texts{"Kivo Vam", "Software\\Halvora\\KivoVam", server.HostPort(), "/kivovam/latest.upd",
                        "https://example.invalid/download"};
    WriteFileBytes(dir / "kivovam.nsp", ProfileBytes(2, texts));
    QSettings system(QString::fromStdString((dir / "config/system/Halvora/KivoVam.conf").string()),
                     QSettings::IniFormat);
    system.setValue("PACKAGE_SIZE", "1000");
    system.setValue("PACKAGE_DATE", "2009/12/1");
  }

  // `noDisplay`: as from cron or ssh, with neither a display nor a chosen Qt platform.
  std::string RunChecker(const QStringList& flags, int exitCode = 0, bool noDisplay = false) {
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (noDisplay) {
      for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(name);
    }
    environment.insert("NEWSCOUT_CONFIG_DIR", QString::fromStdString((dir / "config").string()));
    for (const char* proxy : {"http_proxy", "https_proxy", "HTTP_PROXY", "HTTPS_PROXY", "all_proxy", "ALL_PROXY"})
      environment.remove(proxy);
    environment.insert("no_proxy", "127.0.0.1");
    process.setProcessEnvironment(environment);
    process.start(KV_BIN_DIR "/newscout", flags);
    EXPECT_TRUE(process.waitForFinished(10000));
    EXPECT_EQ(process.exitCode(), exitCode) << process.readAllStandardError().toStdString();
    return process.readAllStandardOutput().toStdString();
  }
  QString Profile() const { return QString::fromStdString((dir / "kivovam.nsp").string()); }
  QVariant UserValue(const char* name) {
    QSettings user(QString::fromStdString((dir / "config/user/Halvora/KivoVam.conf").string()), QSettings::IniFormat);
    return user.value(name);
  }

  std::string body = "version=2.1.0\nlink=https://example.invalid/get/2.1.0\nsize=123456\ndate=2010/5/5\n";
  CTestHttpServer server{[this](const std::string&) { return MakeReply(200, "text/plain", body); }};
  CTempDir dir;
};

TEST_F(EndToEndTest, ForcedCheckFindsTheNewVersion) {
  std::string out = RunChecker({"/console", "/force", "/noupdmsg", Profile()}, 10);
  EXPECT_EQ(out,
            "== Kivo Vam Newscout\n"
            "There is new version (2.1.0) of Kivo Vam available on the '" + server.HostPort() + "' server.\n"
            "[ ] Do not alert me until yet newer version appears\n"
            "[Visit Download Page...] [Cancel]\n"
            "> Visit Download Page...\n"
            "Download page: https://example.invalid/get/2.1.0\n");
  CNewscoutDate today = CNewscoutDate::LocalNow();
  std::string day = std::to_string(today.year) + "/" + std::to_string(today.month) + "/" + std::to_string(today.day);
  EXPECT_EQ(UserValue("NEWSCOUT_LASTRUN").toString().left(static_cast<qsizetype>(day.size())).toStdString(), day);
  EXPECT_FALSE(UserValue("NEWSCOUT_SYNCTIME").isValid());
  EXPECT_FALSE(UserValue("NEWSCOUT_IGNORE").isValid());
}

TEST_F(EndToEndTest, UpToDateAndTheMainDialog) {
  body = "version=1.0\nsize=1000\n";
  std::string out = RunChecker({"-console", "-f", "-noupdmsg", Profile()});
  EXPECT_EQ(out, "== Kivo Vam Newscout (warning 4002)\nYour version of Kivo Vam is up to date.\n[OK]\n> OK\n");

  out = RunChecker({"/console", "/gui", Profile()});
  EXPECT_NE(out.find("== Kivo Vam Newscout\nOptions\n[x] Check the Web for a new version automatically\n"
                     "    Once a Day\n( ) Always ask before connecting to Internet\n"
                     "(o) Connect if an Internet connection is available\n"),
            std::string::npos)
      << out;
  EXPECT_NE(out.find("| Closing connection...done\n"), std::string::npos) << out;
  EXPECT_NE(out.find("| Your version of Kivo Vam is up to date.\n[Detect Now] [Visit Download Page...] [Exit]\n> Exit\n"),
            std::string::npos)
      << out;
  EXPECT_EQ(UserValue("NEWSCOUT_AUTOCHECK").toString(), "1");
  EXPECT_EQ(UserValue("NEWSCOUT_PERIOD").toString(), "D");
  EXPECT_EQ(UserValue("NEWSCOUT_CONNECTMODE").toString(), "1");
}

// Scripts act on the exit status: 0 up to date, 10 newer, 1 an error.
TEST_F(EndToEndTest, ExitStatusTellsScriptsTheAnswer) {
  EXPECT_NE(RunChecker({"-console", "-f", Profile()}, 10).find("There is new version (2.1.0)"), std::string::npos);
  EXPECT_NE(RunChecker({"-console", "-g", Profile()}, 10).find("A new version (2.1.0)"), std::string::npos);
  body = "size=1000\n";
  EXPECT_EQ(RunChecker({"-console", "-f", Profile()}, 0), "");
  EXPECT_NE(RunChecker({"-console", "-g", Profile()}, 0).find("is up to date"), std::string::npos);
  body = "# nothing yet\n";
  EXPECT_EQ(RunChecker({"-console", "-f", Profile()}, 0), "");
  // Not due (checked already today): nothing asked, nothing to report.
  EXPECT_EQ(RunChecker({"-console", Profile()}, 0), "");

  ASSERT_EQ(mkfifo((dir / "fifo.nsp").c_str(), 0600), 0);
  std::string out = RunChecker({"-console", QString::fromStdString((dir / "fifo.nsp").string())}, 1);
  EXPECT_NE(out.find("The profile is not a regular file."), std::string::npos) << out;

  // Port 1: nobody answers.
  CProfileTexts texts{"Kivo Vam", "Software\\Halvora\\KivoVam", "127.0.0.1:1", "/latest.upd", ""};
  WriteFileBytes(dir / "refused.nsp", ProfileBytes(2, texts));
  out = RunChecker({"-console", "-f", "-noupdmsg", QString::fromStdString((dir / "refused.nsp").string())}, 1);
  EXPECT_NE(out.find("(warning 4003)"), std::string::npos) << out;
}

// Words of the server never reach the terminal as escape sequences.
TEST_F(EndToEndTest, NoEscapeSequenceReachesTheTerminal) {
  body = "version=\x1b[2J\x1b]0;owned\x07\xc2\x9b" "31m2.1\nlink=https://example.invalid/\x1b[2J\nsize=5\n";
  std::string out = RunChecker({"-console", "-f", Profile()}, 10);
  EXPECT_EQ(out.find('\x1b'), std::string::npos) << out;
  EXPECT_EQ(out.find('\x07'), std::string::npos) << out;
  EXPECT_EQ(out.find("\xc2\x9b"), std::string::npos) << out;
  EXPECT_NE(out.find("new version ([2J]0;owned31m2.1) of Kivo Vam"), std::string::npos) << out;
  EXPECT_NE(out.find("Download page: https://example.invalid/download\n"), std::string::npos) << out;
}

// Without a display the checker runs as in console mode instead of aborting.
TEST_F(EndToEndTest, WithoutADisplayItRunsInTheConsole) {
  std::string out = RunChecker({"-f", Profile()}, 10, true);
  EXPECT_EQ(out.rfind("== Kivo Vam Newscout\nThere is new version (2.1.0)", 0), 0u) << out;
}

// Help and version need neither a profile nor the server.
TEST_F(EndToEndTest, HelpAndVersionAskNobody) {
  for (const char* flag : {"--help", "-h", "/?", "-H"}) {
    std::string out = RunChecker({flag, Profile()}, 0, true);
    EXPECT_EQ(out.rfind("Usage: newscout ", 0), 0u) << flag << ": " << out;
    EXPECT_NE(out.find("10 a newer version exists"), std::string::npos);
  }
  EXPECT_TRUE(QRegularExpression("^newscout \\d+\\.\\d+\\.\\d+\\.\\d+\n$")
                  .match(QString::fromStdString(RunChecker({"--version", Profile()}))).hasMatch());
  EXPECT_TRUE(server.Requests().empty());
}

}  // namespace
