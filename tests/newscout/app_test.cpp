// The start-up of the checker from its command line to its dialogs, against a local server.
#include <QSettings>
#include <gtest/gtest.h>

#include "base/messagecatalog.h"
#include "common/testsupport.h"
#include "newscout/maindialogcontroller.h"
#include "newscout/newscoutapp.h"
#include "newscout/newscouttexts.h"
#include "nstestsupport.h"

namespace {

struct CLineCase {
  const char* name;
  std::vector<std::string> args;
  bool gui, force, noUpdateMessage, console;
  const char* profile;
};

class CommandLineTest : public ::testing::TestWithParam<CLineCase> {};

TEST_P(CommandLineTest, ReadsFlagsAndTheProfile) {
  const CLineCase& c = GetParam();
  CNewscoutCommandLine line = CNewscoutCommandLine::Parse(c.args);
  EXPECT_EQ(line.gui, c.gui);
  EXPECT_EQ(line.force, c.force);
  EXPECT_EQ(line.noUpdateMessage, c.noUpdateMessage);
  EXPECT_EQ(line.console, c.console);
  EXPECT_EQ(line.profilePath, c.profile);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, CommandLineTest,
    ::testing::Values(CLineCase{"FirstLetterOfGui", {"/Graphical"}, true, false, false, false, ""},
                      CLineCase{"FirstLetterOfForce", {"-fast"}, false, true, false, false, ""},
                      CLineCase{"EightLettersOfNoupdmsg", {"-NOUPDMSGS"}, false, false, true, false, ""},
                      CLineCase{"SevenLettersAreNotEnough", {"/noupdms"}, false, false, false, false, ""},
                      CLineCase{"OneFlagPerArgument", {"-gf"}, true, false, false, false, ""},
                      CLineCase{"Console", {"/console", "/force"}, false, true, false, true, ""},
                      CLineCase{"AbsolutePathIsNoFlag", {"/gui", "/opt/kivo/kivovam.nsp"}, true, false, false, false,
                                "/opt/kivo/kivovam.nsp"},
                      CLineCase{"HelpIsNoOtherFlag", {"--help", "-f"}, false, true, false, false, ""},
                      CLineCase{"FirstPathWins", {"a.nsp", "/f", "b.nsp"}, false, true, false, false, "a.nsp"}),
    CRowName());

TEST(CommandLineTest, HelpAndVersion) {
  for (const char* flag : {"-h", "--help", "/?", "-?", "/H", "--HELP"})
    EXPECT_TRUE(CNewscoutCommandLine::Parse({flag}).help) << flag;
  for (const char* flag : {"-help2", "-hx", "--helpme", "/version", "-v"})
    EXPECT_FALSE(CNewscoutCommandLine::Parse({flag}).help) << flag;
  EXPECT_TRUE(CNewscoutCommandLine::Parse({"--version"}).version);
  EXPECT_FALSE(CNewscoutCommandLine::Parse({"-version"}).version);
}

struct CDisplayCase {
  const char* name;
  const char* platform;
  const char* x11;
  const char* wayland;
  bool display;
};

class DisplayTest : public ::testing::TestWithParam<CDisplayCase> {};

TEST_P(DisplayTest, WindowsOnlyWhereThePlatformCanShowThem) {
  const CDisplayCase& c = GetParam();
  auto environment = [&c](const char* name) -> std::string {
    if (std::string(name) == "QT_QPA_PLATFORM")
      return c.platform;
    return std::string(name) == "DISPLAY" ? c.x11 : std::string(name) == "WAYLAND_DISPLAY" ? c.wayland : "";
  };
  EXPECT_EQ(HasDisplay(environment), c.display);
}

INSTANTIATE_TEST_SUITE_P(Environments, DisplayTest,
                         ::testing::Values(CDisplayCase{"CronOrSsh", "", "", "", false},
                                           CDisplayCase{"X11", "", ":0", "", true},
                                           CDisplayCase{"Wayland", "", "", "wayland-0", true},
                                           CDisplayCase{"XcbWithoutX11", "xcb", "", "wayland-0", false},
                                           CDisplayCase{"WaylandWithOptions", "wayland:foo", "", "wayland-0", true},
                                           CDisplayCase{"Offscreen", "offscreen", "", "", true}),
                         CRowName());

TEST(FindProfileTest, TakesAnNspFileBesideTheProgram) {
  CTempDir dir;
  EXPECT_EQ(CNewscoutApp::FindProfile(dir.Path().string()), "");
  WriteFileBytes(dir / "readme.txt", "");
  std::filesystem::create_directories(dir / "folder.nsp");
  EXPECT_EQ(CNewscoutApp::FindProfile(dir.Path().string()), "");
  WriteFileBytes(dir / "KivoVam.NSP", "");
  EXPECT_EQ(CNewscoutApp::FindProfile(dir.Path().string()), (dir / "KivoVam.NSP").string());
}

TEST(StatusLogTest, NormalisesLineEnds) {
  EXPECT_EQ(CStatusLog::Normalise("done  \n\t"), "done\r\n");
  EXPECT_EQ(CStatusLog::Normalise("a\r\n\r\nb"), "a\r\nb\r\n");
  EXPECT_EQ(CStatusLog::Normalise("a\n\n\nb"), "a\r\n\r\nb\r\n");  // one pass
  EXPECT_EQ(CStatusLog::Normalise(""), "\r\n");
}

const char kNewer[] = "version=2.1.0\nsize=123456\ndate=2010/5/5 12:30:15\n";

class AppTest : public ::testing::Test {
 protected:
  void SetUp() override {
    keyPath = UniqueKeyPath();
    WriteProfile(0);
  }
  void WriteProfile(int manualOnly) {
    CProfileTexts texts{"Kivo Vam", keyPath, server.HostPort(), "/kivovam.upd", "http://example.invalid/get"};
    WriteFileBytes(dir / "kivovam.nsp", ProfileBytes(2, texts, manualOnly));
  }
  void Store(const char* name, const QVariant& value) {
    CSettingsLocation l = CNewscoutSettings::LocationOf(keyPath);
    QSettings(QSettings::NativeFormat, QSettings::UserScope, QString::fromStdString(l.organization),
              QString::fromStdString(l.application))
        .setValue(name, value);
  }
  int Run(std::vector<std::string> args, std::uint32_t tick = 500000) {
    CNewscoutApp app(ui);
    app.tickCount = [tick] { return tick; };
    app.isOnline = [] { return true; };
    int result = app.Run(CNewscoutCommandLine::Parse(args), dir.Path().string());
    stored = app.profile;
    return result;
  }

  std::string reply = kNewer;
  int status = 200;
  CTestHttpServer server{[this](const std::string&) { return MakeReply(status, "text/plain", reply); }};
  CTempDir dir;
  std::string keyPath;
  CScriptedUi ui;
  CRecordedPorts ports;
  CNewscoutProfile stored;
};

TEST_F(AppTest, NotDueEndsWithoutAWord) {
  Store("NEWSCOUT_AUTOCHECK", 0);
  EXPECT_EQ(Run({}), 0);
  EXPECT_TRUE(ports.messages.Ids().empty());
  EXPECT_TRUE(ui.events.empty());
  EXPECT_TRUE(server.Requests().empty());
  Run({"/noupdmsg"});
  EXPECT_EQ(ports.messages.Ids(), std::vector<int>{4008});
  EXPECT_EQ(ports.messages.Messages()[0].kind, EMessageKind::Information);
}

TEST_F(AppTest, AutomaticCheckOffersTheNewVersionAndRemembersToIgnoreIt) {
  ui.tickDoNotAlert = true;
  EXPECT_EQ(Run({}), 0);
  ASSERT_EQ(ui.events, std::vector<std::string>{"new-version"});
  EXPECT_TRUE(ui.offers[0].ignoreEnabled);
  EXPECT_EQ(ui.offers[0].caption, "Kivo Vam Newscout");
  EXPECT_EQ(ui.offers[0].text, "There is new version (2.1.0) of Kivo Vam available on the '" + server.HostPort() +
                                   "' server.");
  EXPECT_EQ(stored.ignoreDate.ToText(), "2010/5/5 12:30:15");
  EXPECT_FALSE(stored.lastRunDate.IsZero());
  // The next automatic check the same day is not due; a forced one finds nothing to alert about.
  ui.events.clear();
  Run({}, 700000);
  EXPECT_TRUE(ui.events.empty());
  Run({"/force", "/noupdmsg"}, 900000);
  EXPECT_TRUE(ui.events.empty());
  EXPECT_EQ(ports.messages.Ids(), std::vector<int>{4002});
}

TEST_F(AppTest, ForcedCheckSkipsTheScheduleAndReportsOnlyOnRequest) {
  Store("NEWSCOUT_AUTOCHECK", 0);
  Store("NEWSCOUT_CONNECTMODE", 0);
  reply = "# nothing new\n";
  Run({"/force"});
  EXPECT_EQ(server.Requests().size(), 1u);
  EXPECT_TRUE(ui.events.empty());
  EXPECT_TRUE(ports.messages.Ids().empty());

  status = 404;
  Run({"/force", "/noupdmsg"});
  ASSERT_EQ(ports.messages.Ids(), std::vector<int>{4003});
  EXPECT_EQ(ports.messages.Messages()[0].text,
            "Error retrieving the server-side information about Kivo Vam setup file.\n"
            "The server '" + server.HostPort() + "' answered with an error: 404 Status.");
}

TEST_F(AppTest, ConnectPromptCanOpenTheOptions) {
  Store("NEWSCOUT_CONNECTMODE", 0);
  ui.connectChoice = EConnectChoice::Options;
  Run({});
  EXPECT_EQ(ui.events, (std::vector<std::string>{"connect", "main"}));
  EXPECT_TRUE(server.Requests().empty());
}

TEST_F(AppTest, MainDialogOpensWithoutAQuery) {
  Run({"/gui"});
  WriteProfile(1);
  Run({});
  EXPECT_EQ(ui.events, (std::vector<std::string>{"main", "main"}));
  EXPECT_TRUE(server.Requests().empty());
}

TEST_F(AppTest, DownloadPageThatCannotBeOpened) {
  ui.pressVisit = true;
  ui.openSucceeds = false;
  Run({"/force"});
  EXPECT_EQ(ports.messages.Ids(), std::vector<int>{4001});
}

TEST_F(AppTest, ExitSavesTheDialogSettings) {
  ui.inMainDialog = [](CMainDialogController& dialog) {
    auto controls = dialog.InitialControls();
    controls.autoCheck = false;
    controls.periodIndex = 2;
    controls.connectMode = 0;
    EXPECT_TRUE(dialog.Exit(controls));
  };
  Run({"/gui"});
  CNewscoutSettings(stored).LoadSettings();
  EXPECT_EQ(stored.autoCheck, 0);
  EXPECT_EQ(stored.period, "M");
  EXPECT_EQ(stored.connectMode, 0);
}

}  // namespace
