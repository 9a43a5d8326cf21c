// The "Problems" dock on the real main window over copies of the sample project: what it lists, where its rows lead, the count in the status bar and when the dock shows itself.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTableView>
#include <QTest>
#include <QTreeWidget>

#include "project/projdoc.h"
#include "ui/funcdialog.h"
#include "ui/mainframe.h"
#include "ui/pages.h"
#include "ui/problemspane.h"
#include "ui/valuebinding.h"
#include "ui/viewchanns.h"
#include "ui/viewcpu.h"
#include "ui/viewengine.h"
#include "uitestsupport.h"

namespace {

class ProblemsPane : public ::testing::Test {
 public:
  // A copy of the sample project with `from` replaced by `to` in `file`.
  void Start(const char* file = nullptr, const std::string& from = {}, const std::string& to = {}) {
    CopySampleProject(project.Path());
    if (file) {
      std::string text = ReadFileBytes(project / file);
      std::size_t at = text.find(from);
      ASSERT_NE(at, std::string::npos) << from;
      WriteFileBytes(project / file, text.replace(at, from.size(), to));
    }
    ASSERT_TRUE(shell.Start({(project / "kivo_vam.c").string()}));
    shell.ports.messages.Clear();
    Frame().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Frame()));
  }

  CMainFrame& Frame() { return shell.Frame(); }
  CProjDoc& Doc() { return Frame().Doc(); }
  CProblemsPane& Pane() { return *Frame().Problems(); }
  QTreeWidget& List() { return *Pane().List(); }
  QString Row(int row, int column) { return List().topLevelItem(row)->text(column); }
  QString Count() { return Pane().CountPane()->text(); }
  // Enter on a row of the list, as the user activates it from the keyboard.
  void ActivateRow(int row) {
    List().setFocus();
    List().setCurrentItem(List().topLevelItem(row));
    QTest::keyClick(&List(), Qt::Key_Return);
    Settle();
  }
  CViewChanns& Channels(int engine) {
    return *static_cast<CViewChanns*>(Frame().Page(engine == 0 ? kPageChannelsA : kPageChannelsB));
  }
  std::vector<int> SelectedRows(int engine) {
    std::vector<int> rows;
    for (const QModelIndex& index : Channels(engine).Table()->selectionModel()->selectedRows())
      rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
  }
  // Removes the function on `row` of engine A's channels page as the user does.
  void RemoveRow(int row) {
    ASSERT_TRUE(Frame().SelectPage(kPageChannelsA));
    Channels(0).SelectChannel(row);
    shell.ports.messages.QueueAnswer(EAnswer::Yes);
    Channels(0).RemoveButton()->click();
  }

  CTempDir project;
  CShell shell;
};

TEST_F(ProblemsPane, AClockAboveTheLimitLeadsToTheProcessorsField) {
  Start("kivo_vam.c", "SYSCLK         = 150 MHz", "SYSCLK         = 400 MHz");
  ASSERT_EQ(List().topLevelItemCount(), 1);
  EXPECT_EQ(Row(0, 0), "4035");
  EXPECT_EQ(Row(0, 1).toStdString(), std::string(CatalogText(4035)));
  EXPECT_EQ(List().topLevelItem(0)->data(0, Qt::AccessibleTextRole).toString(), "warning 4035");
  EXPECT_FALSE(List().topLevelItem(0)->icon(0).isNull());
  EXPECT_EQ(Count(), "1 problem");
  EXPECT_TRUE(Pane().isVisible()) << "a project opened with problems shows them";
  EXPECT_TRUE(Frame().Action(ECommand::ViewProblems)->isChecked());
  EXPECT_EQ(List().accessibleName(), "Problems");

  ActivateRow(0);
  auto* cpu = static_cast<CViewCPU*>(Frame().Page(kPageCpu));
  EXPECT_EQ(Frame().CurrentPage(), kPageCpu);
  EXPECT_EQ(QApplication::focusWidget(), cpu->SysClkList()) << "the system clock's field has the focus";
  EXPECT_EQ(shell.ports.messages.Messages().size(), 0u) << "no box for what the pane shows";
}

TEST_F(ProblemsPane, AChannelUsedTwiceLeadsToTheRowsOfBothFunctions) {
  Start("kivo_vam.h", "PWM1_OUTPUT\tKIVO_ENGINE_A_CHANNEL(1)", "PWM1_OUTPUT\tKIVO_ENGINE_A_CHANNEL(5)");
  ASSERT_EQ(List().topLevelItemCount(), 1);
  EXPECT_EQ(Row(0, 0), "4020");
  EXPECT_EQ(Frame().CurrentPage(), kPageCpu);

  ActivateRow(0);
  EXPECT_EQ(Frame().CurrentPage(), kPageChannelsA);
  EXPECT_EQ(SelectedRows(0), (std::vector<int>{4, 5}));
  EXPECT_EQ(QApplication::focusWidget(), Channels(0).Table());
}

TEST_F(ProblemsPane, AFailingLoadOpensTheFunctionDialogOnItsFunction) {
  Start("kivo_vam.c", "speed=3000;", "speed=fast;");
  ASSERT_EQ(List().topLevelItemCount(), 1);
  EXPECT_EQ(Row(0, 0), "4042");
  EXPECT_EQ(Row(0, 1).indexOf(QLatin1Char('\n')), -1) << "a row is one line";
  std::vector<CFuncDialogRequest> requests;
  Channels(1).functionDialog = [&requests](const CFuncDialogRequest& request) {
    requests.push_back(request);
    return std::unique_ptr<CProjDoc::CFuncInfo>();
  };
  ActivateRow(0);
  EXPECT_EQ(Frame().CurrentPage(), kPageChannelsB);
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].kind, CFuncDialogRequest::kEdit);
  EXPECT_EQ(requests[0].edited, Doc().Functions()[4].get());
  EXPECT_EQ(requests[0].edited->InstanceName(), "QD");
  EXPECT_EQ(SelectedRows(1), (std::vector<int>{0, 1}));
}

TEST_F(ProblemsPane, TheCountFollowsAnEditAndItsUndo) {
  Start();
  EXPECT_EQ(List().topLevelItemCount(), 0);
  EXPECT_EQ(Count(), "No problems");
  EXPECT_FALSE(Pane().isVisible()) << "the sample has no problems";

  // The trigger follows the pair it was linked to: without it, it names no channel.
  RemoveRow(4);
  ASSERT_EQ(List().topLevelItemCount(), 1);
  EXPECT_EQ(Row(0, 0), "");
  EXPECT_TRUE(Row(0, 1).startsWith("In function 'ADCTRIG'")) << Row(0, 1).toStdString();
  EXPECT_EQ(Count(), "1 problem");
  EXPECT_TRUE(Pane().isVisible()) << "problems came where there were none";

  ASSERT_TRUE(Frame().EditUndo());
  EXPECT_EQ(List().topLevelItemCount(), 0);
  EXPECT_EQ(Count(), "No problems");
  EXPECT_FALSE(Pane().isVisible()) << "the pane came by itself and goes by itself";

  ASSERT_TRUE(Frame().EditRedo());
  EXPECT_EQ(Count(), "1 problem");
  EXPECT_TRUE(Pane().isVisible());
}

TEST_F(ProblemsPane, ClosedByTheUserItStaysClosedWhileItsProblemsLast) {
  Start();
  RemoveRow(4);
  ASSERT_TRUE(Pane().isVisible());
  Pane().close();
  EXPECT_FALSE(Frame().Action(ECommand::ViewProblems)->isChecked());
  RemoveRow(0);
  EXPECT_EQ(Count(), "1 problem") << "removing a PWM adds no problem, but the project changed";
  EXPECT_FALSE(Pane().isVisible()) << "closed by hand while the problem lasted";
  ASSERT_TRUE(Frame().EditUndo());
  EXPECT_FALSE(Pane().isVisible());
  ASSERT_TRUE(Frame().EditUndo());
  EXPECT_EQ(Count(), "No problems");
  ASSERT_TRUE(Frame().EditRedo());
  EXPECT_EQ(Count(), "1 problem");
  EXPECT_TRUE(Pane().isVisible()) << "the problems it held were gone; these are new";
  EXPECT_TRUE(Frame().Action(ECommand::ViewProblems)->isChecked());

  // Opened from the View menu it stays, problems or none.
  Pane().close();
  Frame().Action(ECommand::ViewProblems)->trigger();
  EXPECT_TRUE(Pane().isVisible());
  ASSERT_TRUE(Frame().EditUndo());
  EXPECT_EQ(Count(), "No problems");
  EXPECT_TRUE(Pane().isVisible());
}

// The pane refreshes on every change: its refresh may change nothing.
TEST_F(ProblemsPane, ARefreshChangesNothingAndShowsNothing) {
  Start("kivo_vam.c", "speed=3000;", "speed=fast;");
  RemoveRow(4);
  const std::string undo = Doc().UndoName();
  ASSERT_TRUE(Doc().IsModified());
  ASSERT_EQ(List().topLevelItemCount(), 2);
  shell.ports.messages.Clear();
  Pane().Refresh();
  Pane().Refresh();
  EXPECT_EQ(shell.ports.messages.Messages().size(), 0u);
  EXPECT_TRUE(Doc().IsModified());
  EXPECT_TRUE(Frame().isWindowModified());
  EXPECT_EQ(Doc().UndoName(), undo);
  EXPECT_FALSE(Doc().CanRedo());

  // Undone to the state of the file: the mark goes, and the refresh does not bring it back.
  ASSERT_TRUE(Frame().EditUndo());
  ASSERT_FALSE(Doc().IsModified());
  Pane().Refresh();
  EXPECT_FALSE(Doc().IsModified());
  EXPECT_FALSE(Frame().isWindowModified());
}

// A finding names an engine field by its section; the page's controls know theirs.
TEST_F(ProblemsPane, AnEngineFieldIsFoundByItsSection) {
  Start();
  ASSERT_TRUE(Frame().SelectPage(kPageEngineB));
  auto* engine = static_cast<CViewEngine*>(Frame().Page(kPageEngineB));
  EXPECT_EQ(BoundControl(engine, "STACCR.REN1"), engine->Stac1Enable());
  EXPECT_EQ(BoundControl(engine, "TBCR.TCR2P"), engine->Tcr2Prescaler());
  // Both parts of a combined setting lead to its one list.
  EXPECT_EQ(BoundControl(engine, "TBCR.TCR1CTL"), engine->Tcr1Source());
  EXPECT_EQ(BoundControl(engine, "TBCR.TCR1CS"), engine->Tcr1Source());
  EXPECT_EQ(BoundControl(engine, "NO.SUCH"), nullptr);

  CFindingTarget target;
  target.kind = CFindingTarget::kEngineValue;
  target.engine = 1;
  target.section = "WDTR.WDCNT";
  ASSERT_TRUE(Pane().GoTo(target));
  EXPECT_EQ(Frame().CurrentPage(), kPageEngineB);
  EXPECT_EQ(QApplication::focusWidget(), engine->WatchdogCount());
}

// What the open warned about is listed until the project is saved or another comes.
TEST_F(ProblemsPane, TheOpensWarningsStayUntilTheProjectIsSaved) {
  // A value the description does not know: the field keeps its default, which a save writes.
  Start("kivo_vam.c", "HV_KIVO_AM_OFF\t", "HV_KIVO_AM_SIDEWAYS\t");
  ASSERT_GT(List().topLevelItemCount(), 0);
  const int listed = List().topLevelItemCount();
  EXPECT_EQ(static_cast<std::size_t>(listed), shell.App().OpenWarnings().size());
  EXPECT_EQ(Row(0, 0).toInt(), shell.App().OpenWarnings()[0].id);
  ASSERT_TRUE(Frame().SelectPage(kPageVerbatim));
  ASSERT_TRUE(Frame().FileSave());
  EXPECT_EQ(Count(), "No problems");
  EXPECT_TRUE(Frame().FileOpen(QString::fromStdString((project / "kivo_vam.c").string())));
  EXPECT_EQ(Count(), "No problems") << "the saved file reads without a warning";
}

}  // namespace
