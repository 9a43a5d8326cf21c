// The "Generated Code" page on the real main window over a copy of the sample
// project: the texts the command line writes, the marks an edit makes and its
// undo and a save take away, and F8 from one difference to the next.
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <gtest/gtest.h>

#include "common/runprocess.h"
#include "project/projdoc.h"
#include "ui/mainframe.h"
#include "ui/pages.h"
#include "ui/qsci.h"
#include "ui/viewgencode.h"
#include "uitestsupport.h"

namespace fs = std::filesystem;

namespace {

class GenCodePage : public ::testing::Test {
 public:
  void SetUp() override {
    CopySampleProject(project.Path());
    ASSERT_TRUE(shell.Start({Source().string()}));
    shell.ports.messages.Clear();
    ASSERT_TRUE(Frame().SelectPage(kPageGenCode));
  }

  fs::path Source() const { return project / "kivo_vam.c"; }
  CMainFrame& Frame() { return shell.Frame(); }
  CProjDoc& Doc() { return Frame().Doc(); }
  CViewGenCode& Page() { return *static_cast<CViewGenCode*>(Frame().Page(kPageGenCode)); }
  QsciScintilla& Editor(int file) { return *Page().Editor(file); }
  // The lines of the source that carry `marker`.
  std::vector<int> Marked(int file, int marker) {
    std::vector<int> lines;
    for (int line = 0; line < Editor(file).lines(); ++line)
      if (Editor(file).markersAtLine(line) & (1 << marker))
        lines.push_back(line);
    return lines;
  }
  int CaretLine(int file) {
    int line = 0, index = 0;
    Editor(file).getCursorPosition(&line, &index);
    return line;
  }
  // The watcher's news of a save arrives through the event loop.
  bool SettlesToNoMarks() {
    for (int i = 0; i < 100; ++i) {
      Settle(20);
      if (Page().Differences(0).Same() && Page().Differences(1).Same())
        return true;
    }
    return false;
  }

  CFixedSaveTime stamp;
  CTempDir project;
  CShell shell;
};

TEST_F(GenCodePage, ShowsWhatTheCommandLineWritesAndNothingDiffers) {
  CTempDir generated;
  CProcessResult cli = RunProcess(KV_BIN_DIR "/kivovam-cli",
                                  {"generate", SourcePath("examples/demo").string(), "-o", (generated / "kivo_vam.c").string()});
  ASSERT_EQ(cli.exitCode, 0) << cli.err;
  EXPECT_EQ(Editor(0).text().toStdString(), ReadFileBytes(generated / "kivo_vam.c"));
  EXPECT_EQ(Editor(1).text().toStdString(), ReadFileBytes(generated / "kivo_vam.h"));
  EXPECT_TRUE(Editor(0).isReadOnly());
  EXPECT_EQ(Page().Files()->tabText(0), "kivo_vam.c");
  EXPECT_EQ(Page().Files()->tabText(1), "kivo_vam.h");
  EXPECT_EQ(Page().Summary()->text(),
            "kivo_vam.c: the same as the file on disk\nkivo_vam.h: the same as the file on disk");
  EXPECT_FALSE(Page().NextButton()->isEnabled());
  EXPECT_EQ(UnlabelledControls(&Page()), std::vector<std::string>{});
  EXPECT_TRUE(shell.ports.messages.Messages().empty());
  EXPECT_FALSE(Doc().IsModified());
}

// The caret and the view stay where they were across the refresh.
TEST_F(GenCodePage, AnEditMarksItsLinesAndUndoTakesTheMarksAway) {
  Editor(0).setCursorPosition(120, 2);
  Editor(0).setFirstVisibleLine(110);
  ASSERT_TRUE(Doc().SetClocks(120000000, 0));
  const std::vector<int> changed = Marked(0, CViewGenCode::kMarkerChanged);
  ASSERT_FALSE(changed.empty());
  EXPECT_EQ(Editor(0).text(changed[0]), " *   SYSCLK         = 120 MHz\n");
  EXPECT_EQ(CaretLine(0), 120);
  EXPECT_EQ(Editor(0).firstVisibleLine(), 110);
  EXPECT_TRUE(Page().NextButton()->isEnabled());
  EXPECT_TRUE(Page().Summary()->text().startsWith(QStringLiteral("kivo_vam.c: %1 line").arg(changed.size())));

  ASSERT_TRUE(Frame().EditUndo());
  EXPECT_TRUE(Marked(0, CViewGenCode::kMarkerChanged).empty());
  EXPECT_FALSE(Page().NextButton()->isEnabled());
  EXPECT_EQ(CaretLine(0), 120);
}

// The save replaces the files by renaming new ones over them; the watcher
// follows the new files, so a second save and a change by another program
// are seen too.
TEST_F(GenCodePage, ASaveAndAChangeOnDiskAreSeen) {
  ASSERT_TRUE(Doc().SetClocks(120000000, 0));
  ASSERT_FALSE(Page().Differences(0).Same());
  ASSERT_TRUE(Frame().FileSave());
  EXPECT_TRUE(SettlesToNoMarks());

  ASSERT_TRUE(Doc().SetVerbatim(Doc().m_strVerbatim + "#define SPARE 3\r\n"));
  ASSERT_EQ(Marked(0, CViewGenCode::kMarkerAdded).size(), 1u);
  ASSERT_TRUE(Frame().FileSave());
  EXPECT_TRUE(SettlesToNoMarks());

  std::string header = ReadFileBytes(project / "kivo_vam.h");
  header.erase(header.rfind("#endif"));
  WriteFileBytes(project / "kivo_vam.h", header);
  for (int i = 0; i < 100 && Page().Differences(1).Same(); ++i)
    Settle(20);
  EXPECT_EQ(Marked(1, CViewGenCode::kMarkerAdded), std::vector<int>{Editor(1).lines() - 2});
}

// Saved under another name in another folder, the page compares with the
// files the project now names, which the save has just written.
TEST_F(GenCodePage, SaveAsComparesWithTheNewFiles) {
  ASSERT_TRUE(Doc().SetClocks(120000000, 0));
  CTempDir other;
  Frame().askFileName = [&](bool, const QString&) { return QString::fromStdString((other / "board.c").string()); };
  ASSERT_TRUE(Frame().FileSaveAs());
  EXPECT_EQ(Page().Files()->tabText(0), "board.c");
  EXPECT_TRUE(Page().Differences(0).Same());
  EXPECT_EQ(Page().Summary()->text(), "board.c: the same as the file on disk\nboard.h: the same as the file on disk");
  EXPECT_EQ(Editor(0).text().toStdString(), ReadFileBytes(other / "board.c"));
}

TEST_F(GenCodePage, F8GoesFromDifferenceToDifference) {
  ASSERT_TRUE(Doc().SetClocks(120000000, 0));
  ASSERT_TRUE(Doc().SetVerbatim("#define SPARE 3\r\n"));
  std::vector<int> places = Page().Differences(0).places;
  ASSERT_GE(places.size(), 2u);
  ASSERT_TRUE(Page().Differences(1).Same());
  Frame().activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&Frame()));
  Editor(0).setFocus();
  Editor(0).setCursorPosition(0, 0);
  for (int place : places) {
    QTest::keyClick(&Editor(0), Qt::Key_F8);
    EXPECT_EQ(CaretLine(0), place);
  }
  QTest::keyClick(&Editor(0), Qt::Key_F8);  // round to the first
  EXPECT_EQ(CaretLine(0), places.front());
  QTest::keyClick(&Editor(0), Qt::Key_F8, Qt::ShiftModifier);  // and back to the last
  EXPECT_EQ(CaretLine(0), places.back());
  Page().PreviousButton()->click();
  EXPECT_EQ(CaretLine(0), places[places.size() - 2]);
  // The read-only text leaves Ctrl+Z to the window: the project's last step goes.
  EXPECT_FALSE(Doc().CanRedo());
  QTest::keyClick(&Editor(0), Qt::Key_Z, Qt::ControlModifier);
  EXPECT_TRUE(Doc().CanRedo());
  EXPECT_LT(Page().Differences(0).places.size(), places.size());
}

// Before the first save there is nothing to compare with; when the templates
// do not read the page says why instead of showing text.
TEST_F(GenCodePage, UnsavedAndUngeneratedProjects) {
  ASSERT_TRUE(Frame().FileNew());
  ASSERT_TRUE(Frame().SelectPage(kPageGenCode));
  EXPECT_FALSE(Editor(0).text().isEmpty());
  EXPECT_EQ(Page().Summary()->text(), "The project has not been saved: there are no files on disk to compare with.");
  EXPECT_TRUE(Marked(0, CViewGenCode::kMarkerAdded).empty());

  Doc().m_cpu.templateName = (project / "missing").string();
  Doc().UpdateViews(kHintEverything);
  EXPECT_TRUE(Page().Failure()->isVisible());
  EXPECT_TRUE(Page().Failure()->text().contains(QString::fromStdString((project / "missing._c").string())))
      << Page().Failure()->text().toStdString();
  EXPECT_TRUE(shell.ports.messages.Messages().empty());
}

}  // namespace
