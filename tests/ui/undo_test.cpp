// Edit > Undo and Redo on the real main window, across the Processor, Function Set and Engine pages, and the window following the project without polling it.
#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QStatusBar>
#include <QTabBar>
#include <QTest>
#include <QTimer>

#include "project/projdoc.h"
#include "ui/mainframe.h"
#include "ui/pages.h"
#include "ui/valuebinding.h"
#include "ui/viewcpu.h"
#include "ui/viewengine.h"
#include "ui/viewfset.h"
#include "ui/viewtab.h"
#include "uitestsupport.h"

namespace {

constexpr const char* kMotionSet = "kivo2/kivo_set_k2_motion.h";

class UndoTest : public ::testing::Test {
 protected:
  void Start(std::vector<std::string> args = {}) {
    ASSERT_TRUE(shell.Start(args));
    shell.ports.messages.Clear();
  }
  void StartWithDemo() { Start({(shell.Folder() / "examples/demo/kivo_vam.c").string()}); }

  CMainFrame& Frame() { return shell.Frame(); }
  CProjDoc& Doc() { return Frame().Doc(); }
  CViewCPU& Cpu() { return *static_cast<CViewCPU*>(Frame().Page(kPageCpu)); }
  CViewFSet& FSet() { return *static_cast<CViewFSet*>(Frame().Page(kPageFSet)); }
  CViewEngine& EngineA() { return *static_cast<CViewEngine*>(Frame().Page(kPageEngineA)); }
  QString UndoText() { return Frame().Action(ECommand::EditUndo)->text(); }
  QString RedoText() { return Frame().Action(ECommand::EditRedo)->text(); }
  bool UndoEnabled() { return Frame().Action(ECommand::EditUndo)->isEnabled(); }
  bool RedoEnabled() { return Frame().Action(ECommand::EditRedo)->isEnabled(); }
  void ChooseCpu(const char* name, const char* sysClk = "80 MHz") {
    Cpu().CpuList()->setCurrentIndex(Cpu().CpuList()->findText(name));
    Cpu().SysClkList()->setEditText(sysClk);
  }
  int EngineBFunctions() {
    int count = 0;
    for (const auto& func : Doc().Functions())
      count += func->engine == 1;
    return count;
  }
  QString ModifiedPane() {
    for (QLabel* pane : Frame().statusBar()->findChildren<QLabel*>())
      if (pane->text().trimmed() == "Modified")
        return pane->text();
    return {};
  }

  CShell shell;
};

TEST_F(UndoTest, UndoAndRedoWalkBackAndForthOverThePages) {
  Start();
  EXPECT_EQ(UndoText(), "&Undo\tCtrl+Z");
  EXPECT_EQ(RedoText(), "&Redo\tCtrl+Y");
  EXPECT_FALSE(UndoEnabled());
  EXPECT_FALSE(RedoEnabled());

  ChooseCpu("Vandrel V240");
  ASSERT_TRUE(Frame().SelectPage(kPageFSet));
  EXPECT_EQ(UndoText(), "&Undo Change Processor\tCtrl+Z");
  EXPECT_TRUE(UndoEnabled());
  FSet().SetList()->setCurrentIndex(FSet().SetList()->findText(kMotionSet));
  ASSERT_TRUE(Frame().SelectPage(kPageEngineA));
  EXPECT_EQ(UndoText(), "&Undo Change Function Set\tCtrl+Z");
  int filterMode = EngineA().FilterMode()->currentIndex();
  EngineA().FilterMode()->setCurrentIndex(filterMode == 2 ? 1 : 2);
  ASSERT_TRUE(Frame().SelectPage(kPageCpu));
  EXPECT_EQ(UndoText(), "&Undo Engine A Settings\tCtrl+Z");
  EXPECT_FALSE(RedoEnabled());
  std::string after = Doc().CfgMemberText(3);

  Frame().Action(ECommand::EditUndo)->trigger();
  EXPECT_EQ(UndoText(), "&Undo Change Function Set\tCtrl+Z");
  EXPECT_EQ(RedoText(), "&Redo Engine A Settings\tCtrl+Y");
  EXPECT_NE(Doc().CfgMemberText(3), after);
  ASSERT_TRUE(Frame().SelectPage(kPageEngineA));
  EXPECT_EQ(EngineA().FilterMode()->currentIndex(), filterMode);

  Frame().Action(ECommand::EditUndo)->trigger();
  EXPECT_EQ(Doc().m_pFSet, nullptr);
  EXPECT_EQ(FSet().SetList()->currentIndex(), -1);
  Frame().Action(ECommand::EditUndo)->trigger();
  EXPECT_EQ(Doc().m_strCpu, "");
  EXPECT_FALSE(UndoEnabled());
  EXPECT_EQ(RedoText(), "&Redo Change Processor\tCtrl+Y");
  // Back where the new project started: nothing to save.
  EXPECT_FALSE(Doc().IsModified());
  EXPECT_FALSE(Frame().isWindowModified());

  for (int i = 0; i < 3; ++i)
    Frame().Action(ECommand::EditRedo)->trigger();
  EXPECT_EQ(Doc().m_strCpu, "Vandrel V240");
  ASSERT_NE(Doc().m_pFSet, nullptr);
  EXPECT_EQ(Doc().m_pFSet->relativePath, kMotionSet);
  EXPECT_EQ(Doc().CfgMemberText(3), after);
  EXPECT_EQ(EngineA().FilterMode()->currentIndex(), filterMode == 2 ? 1 : 2);
  EXPECT_FALSE(RedoEnabled());
  EXPECT_TRUE(Frame().isWindowModified());
  EXPECT_TRUE(shell.ports.messages.Ids().empty());
}

// An edit not yet stored is stored first, so Undo takes it back; a page that
// refuses its value keeps Undo from running and records nothing.
TEST_F(UndoTest, UndoStoresTheCurrentPageFirstAndARefusedPageIsNoStep) {
  StartWithDemo();
  ASSERT_TRUE(Frame().SelectPage(kPageEngineA));
  EXPECT_FALSE(UndoEnabled());
  std::string before = Doc().CfgMemberText(4);
  EngineA().Tcr1Prescaler()->setText("0");
  EXPECT_FALSE(Frame().EditUndo());
  EXPECT_EQ(shell.ports.messages.Ids(), std::vector<int>{4072});
  EXPECT_FALSE(Doc().CanUndo());
  EXPECT_FALSE(Doc().IsModified());

  EngineA().Tcr1Prescaler()->setText("0x10");
  EXPECT_TRUE(Frame().EditUndo());
  EXPECT_EQ(Doc().CfgMemberText(4), before);
  EXPECT_EQ(RedoText(), "&Redo Engine A Settings\tCtrl+Y");
  EXPECT_NE(EngineA().Tcr1Prescaler()->text(), "0x10");
}

TEST_F(UndoTest, CtrlZAfterAProcessorChangeBringsBackEngineB) {
  StartWithDemo();
  Frame().activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&Frame()));
  std::size_t functions = Doc().Functions().size();
  int onEngineB = EngineBFunctions();
  ASSERT_GT(onEngineB, 0);
  ChooseCpu("Omiro Q31");
  shell.ports.messages.QueueAnswer(EAnswer::Yes);
  ASSERT_TRUE(Frame().SelectPage(kPageFSet));
  ASSERT_EQ(shell.ports.messages.Ids(), std::vector<int>{4503});
  ASSERT_FALSE(Frame().IsPageShown(kPageEngineB));
  ASSERT_EQ(EngineBFunctions(), 0);

  Frame().Tabs()->TabBar()->setFocus();
  QTest::keyClick(Frame().Tabs()->TabBar(), Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(Doc().m_strCpu, "Omiro Q32");
  EXPECT_TRUE(Frame().IsPageShown(kPageEngineB));
  EXPECT_TRUE(Frame().IsPageShown(kPageChannelsB));
  EXPECT_EQ(EngineBFunctions(), onEngineB);
  EXPECT_EQ(Doc().Functions().size(), functions);
  EXPECT_FALSE(Frame().isWindowModified());

  // Redo takes the engine away again.
  QTest::keyClick(Frame().Tabs()->TabBar(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(Doc().m_strCpu, "Omiro Q31");
  EXPECT_FALSE(Frame().IsPageShown(kPageEngineB));
  EXPECT_EQ(EngineBFunctions(), 0);
}

// The window hears of every change when it is made: no timer looks at the project.
TEST_F(UndoTest, TitlePanesAndCommandsFollowTheProjectAtOnce) {
  StartWithDemo();
  for (QTimer* timer : Frame().findChildren<QTimer*>())
    EXPECT_FALSE(timer->isActive() && !timer->isSingleShot()) << timer->interval() << " ms";
  ASSERT_FALSE(Frame().isWindowModified());
  EXPECT_EQ(ModifiedPane(), "");

  ChooseCpu("Omiro Q32", "96 MHz");
  ASSERT_TRUE(Frame().SelectPage(kPageFSet));
  EXPECT_TRUE(Frame().isWindowModified());
  EXPECT_EQ(ModifiedPane(), "Modified");
  EXPECT_TRUE(Frame().statusBar()->findChildren<QLabel*>().size() >= 3);
  bool clockShown = false;
  for (QLabel* pane : Frame().statusBar()->findChildren<QLabel*>())
    clockShown = clockShown || pane->text() == "96 MHz";
  EXPECT_TRUE(clockShown);

  ASSERT_TRUE(Doc().Undo());
  EXPECT_FALSE(Frame().isWindowModified());
  EXPECT_EQ(ModifiedPane(), "");
}

TEST_F(UndoTest, CommandLineLockDisablesNewAndOpenFromTheStart) {
  Start({"-CPU=Vandrel V120"});
  EXPECT_FALSE(Frame().Action(ECommand::FileNew)->isEnabled());
  EXPECT_FALSE(Frame().Action(ECommand::FileOpen)->isEnabled());
  EXPECT_TRUE(Frame().Action(ECommand::FileSave)->isEnabled());
}

}  // namespace
