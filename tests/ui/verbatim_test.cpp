// The "Verbatim Block" page on the real main window over a copy of the sample
// project: the text and the declarations switch reach the saved file, and the
// project's Undo takes a stored edit back as one step.
#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QGuiApplication>
#include <QTest>
#include <gtest/gtest.h>

#include "project/projdoc.h"
#include "ui/mainframe.h"
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
    for (const char* name : {"kivo_vam.c", "kivo_vam.h"})
      fs::copy_file(SourcePath("examples/demo") / name, project / name);
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

}  // namespace
