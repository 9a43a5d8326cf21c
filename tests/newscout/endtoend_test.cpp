// The built program in console mode against a local server: what it prints and what it stores.
#include <QProcess>
#include <QSettings>
#include <gtest/gtest.h>

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

  std::string RunChecker(const QStringList& flags, int exitCode = 0) {
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("NEWSCOUT_CONFIG_DIR", QString::fromStdString((dir / "config").string()));
    for (const char* proxy : {"http_proxy", "https_proxy", "HTTP_PROXY", "HTTPS_PROXY", "all_proxy", "ALL_PROXY"})
      environment.remove(proxy);
    environment.insert("no_proxy", "127.0.0.1");
    process.setProcessEnvironment(environment);
    process.start(KV_BIN_DIR "/newscout", flags + QStringList{QString::fromStdString((dir / "kivovam.nsp").string())});
    EXPECT_TRUE(process.waitForFinished(10000));
    EXPECT_EQ(process.exitCode(), exitCode) << process.readAllStandardError().toStdString();
    return process.readAllStandardOutput().toStdString();
  }
  QVariant UserValue(const char* name) {
    QSettings user(QString::fromStdString((dir / "config/user/Halvora/KivoVam.conf").string()), QSettings::IniFormat);
    return user.value(name);
  }

  std::string body = "version=2.1.0\nlink=https://example.invalid/get/2.1.0\nsize=123456\ndate=2010/5/5\n";
  CTestHttpServer server{[this](const std::string&) { return MakeReply(200, "text/plain", body); }};
  CTempDir dir;
};

TEST_F(EndToEndTest, ForcedCheckFindsTheNewVersion) {
  std::string out = RunChecker({"/console", "/force", "/noupdmsg"}, 10);
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
  std::string out = RunChecker({"-console", "-f", "-noupdmsg"});
  EXPECT_EQ(out, "== Kivo Vam Newscout (warning 4002)\nYour version of Kivo Vam is up to date.\n[OK]\n> OK\n");

  out = RunChecker({"/console", "/gui"});
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

}  // namespace
