// The dialogs under the offscreen platform: captions, control behaviour, and the buttons' effects.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QTimer>
#include <gtest/gtest.h>

#include <chrono>

#include "common/testsupport.h"
#include "newscout/aboutdialog.h"
#include "newscout/connectprompt.h"
#include "newscout/maindialog.h"
#include "newscout/newscoutapp.h"
#include "newscout/newscouttexts.h"
#include "newscout/newversiondialog.h"
#include "nstestsupport.h"

namespace {

template <typename T>
T* Child(QWidget& parent, const char* name) {
  T* child = parent.findChild<T*>(QLatin1String(name));
  EXPECT_NE(child, nullptr) << name;
  return child;
}

class MainDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    app.profile.productName = "Kivo Vam";
    app.profile.registryKeyPath = UniqueKeyPath();
    app.profile.objectPath = "/kivovam.upd";
    app.profile.serverHost = server.HostPort();
    app.profile.downloadLink = "http://example.invalid/get";
  }
  CTestHttpServer server{[](const std::string&) {
    return MakeReply(200, "text/plain", "version=2.1.0\nsize=5\ndate=2010/5/5\n");
  }};
  CScriptedUi ui;
  CRecordedPorts ports;
  CNewscoutApp app{ui};
};

TEST_F(MainDialogTest, OptionsFollowTheCheckBox) {
  app.profile.autoCheck = 0;
  app.profile.period = "w";
  app.profile.connectMode = 2;
  CMainDialogController controller(app);
  CMainDialog dialog(controller);
  EXPECT_EQ(dialog.windowTitle(), "Kivo Vam Newscout");
  EXPECT_EQ(Child<QLabel>(dialog, "lastRun")->text(), "This is the first time");
  EXPECT_EQ(Child<QPlainTextEdit>(dialog, "statusLog")->toPlainText(),
            "Press the \"Detect Now\" button to check the Web for a new version...\n");
  auto* check = Child<QCheckBox>(dialog, "autoCheck");
  auto* period = Child<QComboBox>(dialog, "period");
  auto* mode2 = Child<QRadioButton>(dialog, "connectMode2");
  EXPECT_EQ(period->currentText(), "Once a Week");
  EXPECT_TRUE(mode2->isChecked());
  EXPECT_FALSE(period->isEnabled());
  EXPECT_FALSE(mode2->isEnabled());
  check->click();
  EXPECT_TRUE(period->isEnabled());
  EXPECT_TRUE(mode2->isEnabled());
  EXPECT_FALSE(Child<QPushButton>(dialog, "visitPage")->isEnabled());
}

// The box shows nothing for a profile that is never checked automatically; the
// user's own setting behind it survives closing the dialog.
TEST_F(MainDialogTest, ManualProfileDisablesTheCheckBoxButKeepsItsSetting) {
  app.profile.manualOnly = 1;
  CMainDialogController controller(app);
  CMainDialog dialog(controller);
  auto* check = Child<QCheckBox>(dialog, "autoCheck");
  EXPECT_FALSE(check->isChecked());
  EXPECT_FALSE(check->isEnabled());
  EXPECT_FALSE(Child<QComboBox>(dialog, "period")->isEnabled());
  dialog.reject();
  CNewscoutProfile stored;
  stored.registryKeyPath = app.profile.registryKeyPath;
  CNewscoutSettings(stored).LoadSettings();
  EXPECT_EQ(stored.autoCheck, 1);
  EXPECT_EQ(stored.period, "D");
}

TEST_F(MainDialogTest, DetectNowLogsAndEnablesTheDownloadPage) {
  ui.tickDoNotAlert = true;
  CMainDialogController controller(app);
  CMainDialog dialog(controller);
  Child<QPushButton>(dialog, "detectNow")->click();
  EXPECT_EQ(ui.events, std::vector<std::string>{"new-version"});
  // Only an automatic check may stop the alerts.
  EXPECT_FALSE(ui.offers[0].ignoreEnabled);
  EXPECT_TRUE(app.profile.ignoreDate.IsZero());
  EXPECT_TRUE(Child<QPushButton>(dialog, "visitPage")->isEnabled());
  QString log = Child<QPlainTextEdit>(dialog, "statusLog")->toPlainText();
  EXPECT_TRUE(log.contains("Resolving host name...\nResolving host name...done\n")) << log.toStdString();
  EXPECT_TRUE(log.endsWith("A new version (2.1.0) of the Kivo Vam is available!\n")) << log.toStdString();
  EXPECT_NE(Child<QLabel>(dialog, "lastRun")->text(), "This is the first time");
  Child<QPushButton>(dialog, "visitPage")->click();
  EXPECT_EQ(ui.events.back(), "open http://example.invalid/get");
}

TEST_F(MainDialogTest, ExitStaysOpenWhenTheUserSaysNo) {
  app.profile.registryKeyPath = "";  // nowhere to save
  CMainDialogController controller(app);
  CMainDialog dialog(controller);
  dialog.show();
  ports.messages.QueueAnswer(EAnswer::No);
  Child<QPushButton>(dialog, "exit")->click();
  EXPECT_TRUE(dialog.isVisible());
  ports.messages.QueueAnswer(EAnswer::Yes);
  dialog.close();
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(ports.messages.Ids(), (std::vector<int>{4009, 4009}));
}

// Leaving during a query stops it at once; the dialog closes when it has ended
// and saves its settings as always, with no error box about the stopped query.
TEST_F(MainDialogTest, ExitAndEscapeCancelARunningQuery) {
  CTestHttpServer silent([](const std::string&) { return CHttpReply{CHttpReply::EMode::Silent, "", ""}; });
  app.profile.serverHost = silent.HostPort();
  for (bool escape : {false, true}) {
    SCOPED_TRACE(escape ? "Escape" : "Exit");
    CMainDialogController controller(app);
    CMainDialog dialog(controller);
    dialog.show();
    auto* exit = Child<QPushButton>(dialog, "exit");
    bool detectWasDisabled = false;
    QTimer::singleShot(300, &dialog, [&] {
      detectWasDisabled = !Child<QPushButton>(dialog, "detectNow")->isEnabled();
      if (escape) {
        QKeyEvent key(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QCoreApplication::sendEvent(&dialog, &key);
      } else {
        exit->click();
      }
    });
    auto start = std::chrono::steady_clock::now();
    Child<QPushButton>(dialog, "detectNow")->click();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    EXPECT_TRUE(detectWasDisabled);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_TRUE(ports.messages.Ids().empty());
    EXPECT_TRUE(Child<QPlainTextEdit>(dialog, "statusLog")->toPlainText().endsWith("The query was cancelled.\n"));
    EXPECT_FALSE(app.query.IsRunning());
  }
}

TEST(NewVersionDialogTest, ShowsTheServersWordsAsPlainText) {
  CServerAnswer answer;
  std::string link;
  CServerInfoReader reader(answer, link);
  ASSERT_TRUE(reader.ReadLine("version=<a href=\"file:///etc\"><img src=\"file:///x.png\">" + std::string(99000, 'W')));
  CNewVersionOffer offer{"Kivo Vam Newscout", NewVersionText("updates.example.invalid", "Kivo Vam", answer.version),
                         false, [] { return false; }};
  CNewVersionDialog dialog(offer);
  auto* text = Child<QLabel>(dialog, "text");
  EXPECT_EQ(text->textFormat(), Qt::PlainText);
  EXPECT_TRUE(text->text().contains("<a href=\"file:///etc\">"));
  // Its buttons stay on the screen.
  EXPECT_LT(dialog.sizeHint().width(), 1600);
}

TEST(NewVersionDialogTest, StaysOpenUntilThePageOpens) {
  bool opens = false;
  CNewVersionOffer offer{"Kivo Vam Newscout", "There is new version of Kivo Vam available.", false,
                         [&] { return opens; }};
  CNewVersionDialog dialog(offer);
  dialog.show();
  EXPECT_EQ(Child<QLabel>(dialog, "text")->text(), "There is new version of Kivo Vam available.");
  EXPECT_FALSE(Child<QCheckBox>(dialog, "doNotAlert")->isEnabled());
  Child<QPushButton>(dialog, "visit")->click();
  EXPECT_TRUE(dialog.isVisible());
  opens = true;
  Child<QPushButton>(dialog, "visit")->click();
  EXPECT_EQ(dialog.result(), QDialog::Accepted);

  offer.ignoreEnabled = true;
  CNewVersionDialog automatic(offer);
  auto* box = Child<QCheckBox>(automatic, "doNotAlert");
  EXPECT_TRUE(box->isEnabled());
  box->click();
  Child<QPushButton>(automatic, "cancel")->click();
  EXPECT_TRUE(automatic.DoNotAlert());
}

TEST(ConnectPromptTest, EachButtonGivesItsChoice) {
  const std::pair<const char*, EConnectChoice> buttons[] = {{"connect", EConnectChoice::Connect},
                                                            {"notNow", EConnectChoice::NotNow},
                                                            {"notToday", EConnectChoice::NotToday},
                                                            {"options", EConnectChoice::Options}};
  for (const auto& [name, choice] : buttons) {
    CConnectPrompt prompt("Kivo Vam Newscout", "text");
    prompt.show();
    Child<QPushButton>(prompt, name)->click();
    EXPECT_EQ(prompt.Choice(), choice) << name;
    EXPECT_FALSE(prompt.isVisible());
  }
  CConnectPrompt closed("Kivo Vam Newscout", "text");
  closed.show();
  closed.close();
  EXPECT_EQ(closed.Choice(), EConnectChoice::NotNow);
}

TEST(AboutDialogTest, ShowsTheBuildsVersionAndDate) {
  CAboutDialog about;
  EXPECT_EQ(about.windowTitle(), "Halvora Version Checking Tool (Newscout)");
  EXPECT_TRUE(QRegularExpression("^Version \\d+\\.\\d+\\.\\d+\\.\\d+$")
                  .match(Child<QLabel>(about, "version")->text())
                  .hasMatch());
  EXPECT_TRUE(QRegularExpression("^[A-Z][a-z]{2} [ 1-3]\\d \\d{4} \\d\\d:\\d\\d:\\d\\d$")
                  .match(Child<QLabel>(about, "buildDate")->text())
                  .hasMatch());
}

}  // namespace
