// The "Verbatim Block" page on the real main window over a copy of the sample
// project: the text and the declarations switch reach the saved file, and the
// project's Undo takes a stored edit back as one step.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPrintDialog>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include "project/projdoc.h"
#include "ui/mainframe.h"
#include "ui/finddialog.h"
#include "ui/pages.h"
#include "ui/qsci.h"
#include "ui/viewverbatim.h"
#include "uitestsupport.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kAdded = "#define DEMO_FAN_RAMP_MS 250U\n";

class VerbatimPage : public ::testing::Test {
 public:
  void SetUp() override {
    CopySampleProject(project.Path());
    ASSERT_TRUE(shell.Start({Source().string()}));
    shell.ports.messages.Clear();
    ASSERT_TRUE(Frame().SelectPage(kPageVerbatim));
  }

  fs::path Source() const { return project / "kivo_vam.c"; }
  CMainFrame& Frame() { return shell.Frame(); }
  CProjDoc& Doc() { return Frame().Doc(); }
  CViewVerbatim& Page() { return *static_cast<CViewVerbatim*>(Frame().Page(kPageVerbatim)); }
  QsciScintilla& Editor() { return *Page().Editor(); }
  // Saves and gives the source file as written.
  std::string Saved() {
    EXPECT_TRUE(Frame().FileSave()) << ::testing::PrintToString(shell.ports.messages.Ids());
    return ReadFileBytes(Source());
  }
  // An edit the way typing makes it: one step of the editor's own undo.
  void AddLine() { Editor().insertAt(QString::fromLatin1(kAdded), Editor().lines() - 1, 0); }

  CFixedSaveTime stamp;
  CTempDir project;
  CShell shell;
};

TEST_F(VerbatimPage, AnEditReachesTheSavedFileWithTheProjectsLineEnds) {
  EXPECT_EQ(Editor().text().toStdString(),
            "/* Board bring-up: the fan starts at full speed until the first tach edge. */\n"
            "#define DEMO_FAN_START_DUTY 100U\n");
  EXPECT_EQ(Editor().accessibleName(), "C code copied verbatim into the generated source:");
  EXPECT_EQ(Page().ExternDeclsCheck()->accessibleName(), Page().ExternDeclsCheck()->text());

  AddLine();
  // Showing the page again keeps the editor's own history.
  ASSERT_TRUE(Frame().SelectPage(kPageCpu));
  ASSERT_TRUE(Frame().SelectPage(kPageVerbatim));
  EXPECT_TRUE(Editor().isUndoAvailable());
  EXPECT_EQ(Doc().m_strVerbatim,
            "/* Board bring-up: the fan starts at full speed until the first tach edge. */\r\n"
            "#define DEMO_FAN_START_DUTY 100U\r\n#define DEMO_FAN_RAMP_MS 250U\r\n");

  // A save stores what the current page holds without leaving it.
  Editor().append(QStringLiteral("#define DEMO_FAN_STOP_MS 40U\n"));
  std::string saved = Saved();
  EXPECT_NE(saved.find("#define DEMO_FAN_START_DUTY 100U\n#define DEMO_FAN_RAMP_MS 250U\n"
                       "#define DEMO_FAN_STOP_MS 40U\n/* End of the verbatim block */"),
            std::string::npos);
  EXPECT_EQ(saved.find('\r'), std::string::npos);
  EXPECT_FALSE(Doc().IsModified());
  EXPECT_TRUE(shell.ports.messages.Ids().empty());
}

TEST_F(VerbatimPage, TheCheckBoxEnablesTheDeclarationsAndDecidesTheirPlaceInTheFile) {
  QCheckBox& check = *Page().ExternDeclsCheck();
  QsciScintilla& declarations = *Page().DeclarationsBox();
  ASSERT_TRUE(check.isChecked());
  EXPECT_TRUE(declarations.isEnabled());
  EXPECT_TRUE(declarations.isReadOnly());
  std::string shown = Doc().GenerateExternDeclsText();
  ASSERT_FALSE(shown.empty());
  EXPECT_EQ(declarations.text().toStdString(), shown);
  EXPECT_NE(Saved().find("/* External object declarations */\n" + shown), std::string::npos);

  check.click();
  EXPECT_FALSE(declarations.isEnabled());
  // Not stored before the page is left or the project saved.
  EXPECT_TRUE(Doc().m_bExternDecls);
  ASSERT_TRUE(Frame().SelectPage(kPageCpu));
  EXPECT_FALSE(Doc().m_bExternDecls);
  EXPECT_EQ(Saved().find("/* External object declarations */"), std::string::npos);

  ASSERT_TRUE(Frame().SelectPage(kPageVerbatim));
  EXPECT_FALSE(check.isChecked());
  EXPECT_FALSE(declarations.isEnabled());
  check.click();
  EXPECT_TRUE(declarations.isEnabled());
}

TEST_F(VerbatimPage, EditUndoTakesBackAStoredEditAsOneStep) {
  const std::string before = Saved();
  const QString original = Editor().text();
  AddLine();
  Page().ExternDeclsCheck()->click();
  ASSERT_TRUE(Frame().SelectPage(kPageCpu));
  EXPECT_EQ(Frame().Action(ECommand::EditUndo)->text(), "&Undo Verbatim Block\tCtrl+Z");

  Frame().Action(ECommand::EditUndo)->trigger();
  EXPECT_FALSE(Doc().CanUndo());
  ASSERT_TRUE(Frame().SelectPage(kPageVerbatim));
  EXPECT_EQ(Editor().text(), original);
  EXPECT_TRUE(Page().ExternDeclsCheck()->isChecked());
  // The editor's history belonged to the text now gone.
  EXPECT_FALSE(Editor().isUndoAvailable());
  EXPECT_EQ(Saved(), before);

  Frame().Action(ECommand::EditRedo)->trigger();
  EXPECT_EQ(Editor().text(), original + kAdded);
  EXPECT_FALSE(Page().ExternDeclsCheck()->isChecked());
  std::string redone = Saved();
  EXPECT_NE(redone.find(kAdded), std::string::npos);
  EXPECT_EQ(redone.find("/* External object declarations */"), std::string::npos);

  // Undo from the page itself stores the edit in hand first, so it is the one undone.
  Editor().append(QStringLiteral("#define DEMO_LATE 1U\n"));
  ASSERT_TRUE(Frame().EditUndo());
  EXPECT_EQ(Editor().text(), original + kAdded);
  EXPECT_EQ(ReadFileBytes(Source()), redone);
}

// Ctrl+Z in the editor undoes typing there first; the project's Undo is the
// next step only once the editor has nothing left to undo.
TEST_F(VerbatimPage, CtrlZInTheEditorIsTheEditorsOwnUndoFirst) {
  Page().ExternDeclsCheck()->click();
  ASSERT_TRUE(Frame().SelectPage(kPageCpu));
  ASSERT_TRUE(Frame().SelectPage(kPageVerbatim));
  ASSERT_TRUE(Doc().CanUndo());
  Frame().activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&Frame()));
  Editor().setFocus();
  const QString original = Editor().text();
  QTest::keyClicks(&Editor(), "int x;");
  EXPECT_EQ(Editor().text(), "int x;" + original);

  for (int i = 0; i < 6 && Editor().isUndoAvailable(); ++i)
    QTest::keyClick(&Editor(), Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(Editor().text(), original);
  EXPECT_TRUE(Editor().isRedoAvailable());
  EXPECT_FALSE(Doc().CanRedo());
  EXPECT_FALSE(Doc().m_bExternDecls);

  QTest::keyClick(&Editor(), Qt::Key_Z, Qt::ControlModifier);
  EXPECT_TRUE(Doc().CanRedo());
  EXPECT_TRUE(Doc().m_bExternDecls);
  EXPECT_TRUE(Page().ExternDeclsCheck()->isChecked());
  EXPECT_EQ(Editor().text(), original);
  // The project's Undo left the text as it was, so the typing can still be redone there first.
  QTest::keyClick(&Editor(), Qt::Key_Y, Qt::ControlModifier);
  EXPECT_EQ(Editor().text(), "int x;" + original);
  EXPECT_TRUE(Doc().CanRedo());

  // The Edit menu's clipboard commands work on the editor too.
  Editor().setSelection(0, 0, 0, 6);
  QGuiApplication::clipboard()->clear();
  Frame().Action(ECommand::EditCut)->trigger();
  EXPECT_EQ(QGuiApplication::clipboard()->text(), "int x;");
  EXPECT_EQ(Editor().text(), original);
}

// Find and replace act on the editor; the project takes the result when the
// page is stored, as one step of its Undo.
class VerbatimFind : public VerbatimPage {
 public:
  void SetUp() override {
    VerbatimPage::SetUp();
    Editor().insertAt(QStringLiteral("int fan; int Fan; int fans; fan_t x;\n"), Editor().lines() - 1, 0);
    // The line is a step of its own.
    ASSERT_TRUE(Frame().SelectPage(kPageCpu));
    ASSERT_TRUE(Frame().SelectPage(kPageVerbatim));
    Frame().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Frame()));
    Editor().setFocus();
    Editor().setCursorPosition(0, 0);
  }
  CFindDialog& Dialog() { return *Page().FindDialog(); }
  // The selection as (line, index) of its start and end.
  std::vector<int> Selection() {
    int fromLine = 0, fromIndex = 0, toLine = 0, toIndex = 0;
    Editor().getSelection(&fromLine, &fromIndex, &toLine, &toIndex);
    return {fromLine, fromIndex, toLine, toIndex};
  }
};

TEST_F(VerbatimFind, ReplaceAllMatchesCaseAndWholeWordsAndIsOneStepToUndo) {
  const std::string before = Saved();
  QTest::keyClick(&Editor(), Qt::Key_H, Qt::ControlModifier);
  ASSERT_NE(Page().FindDialog(), nullptr);
  EXPECT_TRUE(Dialog().isVisible());
  EXPECT_TRUE(Dialog().ReplaceField()->isVisible());
  EXPECT_TRUE(UnlabelledControls(&Dialog()).empty()) << ::testing::PrintToString(UnlabelledControls(&Dialog()));
  Dialog().FindField()->setText("fan");
  Dialog().ReplaceField()->setText("rotor");
  Dialog().MatchCase()->setChecked(true);
  Dialog().WholeWord()->setChecked(true);
  EXPECT_EQ(Dialog().ReplaceAll(), 2);
  EXPECT_EQ(Dialog().Status()->text(), "Occurrences replaced: 2.");
  const QString replaced = Editor().text();
  EXPECT_TRUE(replaced.startsWith("/* Board bring-up: the rotor starts at full speed"));
  EXPECT_TRUE(replaced.contains("#define DEMO_FAN_START_DUTY 100U\nint rotor; int Fan; int fans; fan_t x;\n"));

  // One step in the editor's own history,
  Editor().undo();
  EXPECT_FALSE(Editor().text().contains("rotor"));
  Editor().redo();
  EXPECT_EQ(Editor().text(), replaced);
  // and one in the project's once stored.
  const std::string saved = Saved();
  EXPECT_NE(saved.find("int rotor; int Fan; int fans; fan_t x;\n"), std::string::npos);
  ASSERT_TRUE(Frame().EditUndo());
  EXPECT_EQ(Saved(), before);
  EXPECT_TRUE(shell.ports.messages.Ids().empty());
}

TEST_F(VerbatimFind, F3GoesOnToTheNextMatchAndShiftF3Back) {
  // Nothing looked for yet: F3 asks what to look for.
  QTest::keyClick(&Editor(), Qt::Key_F3);
  ASSERT_NE(Page().FindDialog(), nullptr);
  EXPECT_TRUE(Dialog().isVisible());
  EXPECT_FALSE(Dialog().ReplaceField()->isVisible());
  Dialog().FindField()->setText("fan");
  Dialog().hide();
  Editor().setFocus();

  QTest::keyClick(&Editor(), Qt::Key_F3);
  EXPECT_EQ(Selection(), (std::vector<int>{0, 23, 0, 26}));
  QTest::keyClick(&Editor(), Qt::Key_F3);
  EXPECT_EQ(Selection(), (std::vector<int>{1, 13, 1, 16}));
  QTest::keyClick(&Editor(), Qt::Key_F3, Qt::ShiftModifier);
  EXPECT_EQ(Selection(), (std::vector<int>{0, 23, 0, 26}));
  // Backwards from the first match wraps round to the last.
  QTest::keyClick(&Editor(), Qt::Key_F3, Qt::ShiftModifier);
  EXPECT_EQ(Selection(), (std::vector<int>{2, 28, 2, 31}));
  EXPECT_TRUE(shell.ports.messages.Ids().empty());

  // Without wrapping the end is the end, and the selection stays.
  Dialog().Wrap()->setChecked(false);
  QTest::keyClick(&Editor(), Qt::Key_F3);
  EXPECT_EQ(Selection(), (std::vector<int>{2, 28, 2, 31}));
  EXPECT_EQ(shell.ports.messages.Ids(), std::vector<int>{9330});
}

TEST_F(VerbatimFind, RegularExpressionsFindAndReplaceWithTheirGroups) {
  Page().ShowFind(true);
  Dialog().RegularExpression()->setChecked(true);
  Dialog().MatchCase()->setChecked(true);
  Dialog().FindField()->setText("int (\\w+);");
  Dialog().ReplaceField()->setText("long \\1;");
  ASSERT_TRUE(Dialog().FindNext());
  EXPECT_EQ(Editor().selectedText(), "int fan;");
  // Replace takes the selected match and moves on to the next one.
  ASSERT_TRUE(Dialog().Replace());
  EXPECT_EQ(Editor().selectedText(), "int Fan;");
  EXPECT_TRUE(Editor().text().contains("long fan; int Fan; int fans;"));
  EXPECT_EQ(Dialog().ReplaceAll(), 2);
  EXPECT_TRUE(Editor().text().contains("long fan; long Fan; long fans; fan_t x;"));

  // A pattern the engine refuses says so, and changes nothing.
  const QString text = Editor().text();
  Dialog().FindField()->setText("(fan");
  EXPECT_FALSE(Dialog().FindNext());
  EXPECT_EQ(Dialog().ReplaceAll(), 0);
  EXPECT_EQ(Editor().text(), text);
  EXPECT_EQ(shell.ports.messages.Ids(), (std::vector<int>{9332, 9332}));
}

TEST_F(VerbatimFind, CtrlPOpensThePrintDialog) {
  bool shown = false;
  QTimer closer;
  QObject::connect(&closer, &QTimer::timeout, [&] {
    if (auto* dialog = qobject_cast<QPrintDialog*>(QApplication::activeModalWidget())) {
      shown = true;
      dialog->reject();
    }
  });
  closer.start(20);
  QTest::keyClick(&Editor(), Qt::Key_P, Qt::ControlModifier);
  EXPECT_TRUE(shown);
}

}  // namespace
