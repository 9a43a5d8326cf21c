// The function set's presumed settings on the real main window: locked, tinted and explained controls, unlocked by undo, and a hand-edited project mended from the Function Set page.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>

#include "project/projdoc.h"
#include "ui/mainframe.h"
#include "ui/pages.h"
#include "ui/viewcpu.h"
#include "ui/viewengine.h"
#include "ui/viewfset.h"
#include "uitestsupport.h"

namespace {

constexpr const char* kMotionSet = "kivo2/kivo_set_k2_motion.h";
const QString kTip = QStringLiteral("Required by the function set 'kivo_set_k2_motion.h'");

class PresumedPageTest : public ::testing::Test {
 protected:
  CMainFrame& Frame() { return shell.Frame(); }
  CProjDoc& Doc() { return Frame().Doc(); }
  CViewFSet& FSet() { return *static_cast<CViewFSet*>(Frame().Page(kPageFSet)); }
  CViewEngine& Engine(int page) { return *static_cast<CViewEngine*>(Frame().Page(page)); }
  QCheckBox* PriorityPassing(int page) {
    for (QCheckBox* box : Engine(page).findChildren<QCheckBox*>())
      if (box->text() == "Disable priority passing")
        return box;
    return nullptr;
  }
  static QString AccessibleText(QWidget* control, QAccessible::Text kind) {
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(control);
    return face ? face->text(kind) : QString();
  }
  void Trigger(ECommand command) { Frame().Action(command)->trigger(); }

  CShell shell;
};

TEST_F(PresumedPageTest, ChoosingTheSetLocksItsValuesAndUndoUnlocksThem) {
  ASSERT_TRUE(shell.Start({}));
  auto* cpu = static_cast<CViewCPU*>(Frame().Page(kPageCpu));
  cpu->CpuList()->setCurrentIndex(cpu->CpuList()->findText("Omiro Q32"));
  cpu->SysClkList()->setEditText("150 MHz");
  ASSERT_TRUE(Frame().SelectPage(kPageEngineA));
  QComboBox* tcr2 = Engine(kPageEngineA).Tcr2Source();
  QCheckBox* priority = PriorityPassing(kPageEngineA);
  ASSERT_NE(priority, nullptr);
  const QString name = AccessibleText(priority, QAccessible::Name);
  ASSERT_FALSE(name.isEmpty());
  const QColor ownBackground = tcr2->palette().color(QPalette::Disabled, QPalette::Button);
  EXPECT_TRUE(tcr2->isEnabled());

  ASSERT_TRUE(Frame().SelectPage(kPageFSet));
  FSet().SetList()->setCurrentIndex(FSet().SetList()->findText(kMotionSet));
  ASSERT_TRUE(Frame().SelectPage(kPageEngineA));
  for (int page : {kPageEngineA, kPageEngineB}) {
    SCOPED_TRACE(page);
    CViewEngine& engine = Engine(page);
    EXPECT_FALSE(engine.Tcr2Source()->isEnabled());
    EXPECT_EQ(engine.Tcr2Source()->currentText(), "Kivo clock / 8");
    EXPECT_EQ(engine.Tcr2Source()->toolTip(), kTip);
    EXPECT_FALSE(PriorityPassing(page)->isEnabled());
    EXPECT_FALSE(PriorityPassing(page)->isChecked());
    EXPECT_EQ(PriorityPassing(page)->toolTip(), kTip);
    // What the set leaves alone stays the user's.
    EXPECT_TRUE(engine.Tcr1Source()->isEnabled());
    EXPECT_TRUE(engine.Tcr1Source()->toolTip().isEmpty());
  }
  EXPECT_NE(tcr2->palette().color(QPalette::Disabled, QPalette::Button), ownBackground);
  // A screen reader still hears the label, and why the control does not move.
  EXPECT_EQ(AccessibleText(priority, QAccessible::Name), name);
  EXPECT_EQ(AccessibleText(priority, QAccessible::Description), kTip);
  EXPECT_EQ(AccessibleText(tcr2, QAccessible::Description), kTip);
  EXPECT_TRUE(UnlabelledControls(&Engine(kPageEngineA)).empty());
  EXPECT_FALSE(FSet().MiscCheck()->isEnabled());
  EXPECT_TRUE(FSet().MiscCheck()->isChecked());
  EXPECT_FALSE(FSet().PresumedButton()->isEnabled());

  // One Ctrl+Z takes back the set and its values, and the controls are the user's again.
  Trigger(ECommand::EditUndo);
  EXPECT_EQ(Doc().m_pFSet, nullptr);
  EXPECT_TRUE(tcr2->isEnabled());
  EXPECT_TRUE(tcr2->toolTip().isEmpty());
  EXPECT_TRUE(AccessibleText(tcr2, QAccessible::Description).isEmpty());
  EXPECT_EQ(tcr2->palette().color(QPalette::Disabled, QPalette::Button), ownBackground);
  EXPECT_NE(tcr2->currentText(), "Kivo clock / 8");
  EXPECT_TRUE(priority->isEnabled());
  EXPECT_TRUE(FSet().MiscCheck()->isEnabled());

  Trigger(ECommand::EditRedo);
  EXPECT_FALSE(tcr2->isEnabled());
  EXPECT_EQ(tcr2->toolTip(), kTip);
  EXPECT_FALSE(priority->isEnabled());
  EXPECT_TRUE(shell.ports.messages.Ids().empty());
}

// Opened as the file says: the contradicting value stays unlocked; the page's
// button sets what the set presumes, and Ctrl+Z takes that back.
TEST_F(PresumedPageTest, AHandEditedProjectIsMendedFromTheFunctionSetPage) {
  ASSERT_TRUE(shell.Start({FixturePath("project/presumed/contradicts/kivo_vam.c").string()}));
  ASSERT_TRUE(Frame().SelectPage(kPageEngineA));
  QComboBox* tcr2 = Engine(kPageEngineA).Tcr2Source();
  EXPECT_TRUE(tcr2->isEnabled());
  EXPECT_EQ(tcr2->currentText(), "Gated Kivo clock / 8");
  EXPECT_FALSE(PriorityPassing(kPageEngineA)->isEnabled());
  ASSERT_TRUE(Frame().SelectPage(kPageEngineB));
  EXPECT_FALSE(Engine(kPageEngineB).Tcr2Source()->isEnabled());
  ASSERT_TRUE(Frame().SelectPage(kPageFSet));
  EXPECT_TRUE(FSet().MiscCheck()->isEnabled());
  EXPECT_FALSE(FSet().MiscCheck()->isChecked());
  ASSERT_TRUE(FSet().PresumedButton()->isEnabled());
  EXPECT_FALSE(Doc().IsModified());

  FSet().PresumedButton()->click();
  EXPECT_FALSE(FSet().MiscCheck()->isEnabled());
  EXPECT_TRUE(FSet().MiscCheck()->isChecked());
  EXPECT_FALSE(FSet().PresumedButton()->isEnabled());
  EXPECT_FALSE(tcr2->isEnabled());
  EXPECT_EQ(tcr2->currentText(), "Kivo clock / 8");
  EXPECT_TRUE(Doc().IsModified());

  Trigger(ECommand::EditUndo);
  EXPECT_TRUE(tcr2->isEnabled());
  EXPECT_EQ(tcr2->currentText(), "Gated Kivo clock / 8");
  EXPECT_TRUE(FSet().PresumedButton()->isEnabled());
  EXPECT_FALSE(Doc().IsModified());
}

}  // namespace
