// Handing documents to the desktop: the real opener over stand-ins for
// xdg-open, and the Help menu's documents of the build.
#include <QAction>
#include <QElapsedTimer>
#include <QMenu>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "uitestsupport.h"
#include "ui/mainframe.h"

namespace fs = std::filesystem;

namespace {

// A stand-in xdg-open, first on PATH for the lifetime of the object.
class CFakeOpener {
 public:
  explicit CFakeOpener(const std::string& body) : m_path(qgetenv("PATH")) {
    std::string script = "#!/bin/sh\nhere=$(dirname \"$0\")\n";
    script += body;
    WriteFileBytes(m_dir / "xdg-open", script);
    fs::permissions(m_dir / "xdg-open", fs::perms::owner_all);
    qputenv("PATH", QByteArray::fromStdString(m_dir.Path().string()) + ":" + m_path);
  }
  ~CFakeOpener() { qputenv("PATH", m_path); }
  fs::path operator/(const std::string& name) const { return m_dir / name; }

 private:
  CTempDir m_dir;
  QByteArray m_path;
};

// Runs the event loop until `done` holds or `milliseconds` have passed.
template <typename F>
bool SettleUntil(F done, int milliseconds = 5000) {
  QElapsedTimer clock;
  clock.start();
  while (!done() && !clock.hasExpired(milliseconds))
    Settle(20);
  return done();
}

}  // namespace

TEST(DocumentOpener, AnOpenerThatFindsNoViewerIsReportedWithTheFile) {
  CFakeOpener fake("printf '%s' \"$1\" >\"$here/asked\"\nexit 3\n");
  std::vector<std::string> notShown;
  CDocumentOpener opener([&](const std::string& path) { notShown.push_back(path); });
  EXPECT_TRUE(opener.Open("/opt/kivo vam/doc/KIVORM.pdf"));
  ASSERT_TRUE(SettleUntil([&] { return !notShown.empty(); }));
  EXPECT_EQ(notShown, std::vector<std::string>{"/opt/kivo vam/doc/KIVORM.pdf"});
  EXPECT_EQ(ReadFileBytes(fake / "asked"), "/opt/kivo vam/doc/KIVORM.pdf");
}

TEST(DocumentOpener, AViewerThatShowsTheFileIsNotReported) {
  CFakeOpener fake("touch \"$here/shown\"\nexit 0\n");
  std::vector<std::string> notShown;
  CDocumentOpener opener([&](const std::string& path) { notShown.push_back(path); });
  EXPECT_TRUE(opener.Open("/tmp/doc.pdf"));
  ASSERT_TRUE(SettleUntil([&] { return fs::exists(fake / "shown"); }));
  Settle(200);
  EXPECT_TRUE(notShown.empty());
}

// xdg-open runs some viewers in the foreground: the program may end first.
// It does so at once, reports nothing, and the viewer goes on showing the file.
TEST(DocumentOpener, AViewerStillOpenWhenTheProgramEndsIsLeftRunning) {
  CFakeOpener fake("sh -c 'sleep 1; touch \"$0/outlived\"' \"$here\"\nexit 1\n");
  std::vector<std::string> notShown;
  QElapsedTimer clock;
  {
    CDocumentOpener opener([&](const std::string& path) { notShown.push_back(path); });
    EXPECT_TRUE(opener.Open("/tmp/doc.pdf"));
    Settle(100);
    clock.start();
  }
  EXPECT_LT(clock.elapsed(), 900);
  EXPECT_TRUE(SettleUntil([&] { return fs::exists(fake / "outlived"); }));
  EXPECT_TRUE(notShown.empty());
}

// The whole way: Help > User's Manual over the real opener, which finds no viewer.
TEST(DocumentOpener, HelpReportsAManualNoViewerShows) {
  CFakeOpener fake("exit 3\n");
  CShell shell;
  ASSERT_TRUE(shell.Start({}));
  WriteFileBytes(shell.Folder() / "manual.pdf", "%PDF-1.4\n");
  FolderSettings().referenceManualPath = "manual.pdf";
  shell.App().openDocument = [&](const std::string& path) { return shell.Program().OpenDocument(path); };
  shell.Frame().Action(ECommand::ReferenceManual)->trigger();
  ASSERT_TRUE(SettleUntil([&] { return !shell.ports.messages.Messages().empty(); }));
  ASSERT_EQ(shell.ports.messages.Ids(), std::vector<int>{4096});
  const std::string manual = (shell.Folder() / "manual.pdf").string();
  EXPECT_NE(shell.ports.messages.Messages()[0].text.find(manual), std::string::npos);
}

namespace {

void TriggerDocuments(QMenu* menu, int& count) {
  for (QAction* action : menu->actions()) {
    if (action->menu())
      TriggerDocuments(action->menu(), count);
    else if (!action->isSeparator() && action->isEnabled()) {
      action->trigger();
      ++count;
    }
  }
}

}  // namespace

// Every entry of the Help menu opens a document the build wrote beside the
// programs: the manual, the reference manual, and a note for each source in
// the repository's doc/appnotes/.
TEST(HelpDocuments, EveryDocumentTheHelpMenuNamesIsInTheBuild) {
  CShell shell;
  ASSERT_TRUE(shell.Start({}));
  std::vector<std::string> opened;
  shell.App().openDocument = [&](const std::string& path) {
    opened.push_back(path);
    return true;
  };
  shell.Frame().Action(ECommand::UserManual)->trigger();
  shell.Frame().Action(ECommand::ReferenceManual)->trigger();
  Q_EMIT shell.Frame().HelpMenu()->aboutToShow();
  int notes = 0;
  TriggerDocuments(shell.Frame().AppNotesMenu(), notes);
  EXPECT_TRUE(shell.ports.messages.Messages().empty());

  int sources = 0;
  for (const auto& entry : fs::recursive_directory_iterator(SourcePath("doc/appnotes")))
    sources += entry.is_regular_file() ? 1 : 0;
  EXPECT_GT(sources, 0);
  EXPECT_EQ(notes, sources);
  ASSERT_EQ(opened.size(), static_cast<std::size_t>(2 + sources));
  EXPECT_EQ(opened[0], (shell.Folder() / "doc/KIVOVAMUM.pdf").string());
  EXPECT_EQ(opened[1], (shell.Folder() / "doc/KIVORM.pdf").string());
  for (const std::string& path : opened) {
    SCOPED_TRACE(path);
    EXPECT_EQ(fs::path(path).extension(), ".pdf");
    EXPECT_EQ(ReadFileBytes(path).substr(0, 5), "%PDF-");
  }
}
