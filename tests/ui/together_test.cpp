// The Problems pane, the Channel Map and the Generated Code page side by side on
// the sample project: one change shows in all three at once, and Ctrl+Z takes
// it back from all three.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QPushButton>
#include <QStringList>
#include <QTest>
#include <QTreeWidget>

#include "project/projdoc.h"
#include "ui/channelmapview.h"
#include "ui/mainframe.h"
#include "ui/pages.h"
#include "ui/problemspane.h"
#include "ui/qsci.h"
#include "ui/viewchanns.h"
#include "ui/viewgencode.h"
#include "uitestsupport.h"

namespace {

class ViewsTogether : public ::testing::Test {
 public:
  void SetUp() override {
    CopySampleProject(project.Path());
    ASSERT_TRUE(shell.Start({(project / "kivo_vam.c").string()}));
    shell.ports.messages.Clear();
    Frame().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Frame()));
    Frame().Action(ECommand::ViewChannelMap)->trigger();
    ASSERT_TRUE(Frame().SelectPage(kPageGenCode));
    Settle();
  }

  CMainFrame& Frame() { return shell.Frame(); }
  CProblemsPane& Pane() { return *Frame().Problems(); }
  CChannelMapView& Map() { return *Frame().ChannelMap()->View(); }
  CViewGenCode& Code() { return *static_cast<CViewGenCode*>(Frame().Page(kPageGenCode)); }
  QStringList Cells() {
    QStringList cells;
    for (int i = 0; i < Map().ItemCount(); ++i)
      cells << Map().ItemText(i);
    return cells;
  }
  QString Source() { return Code().Editor(0)->text(); }

  CTempDir project;
  CShell shell;
};

TEST_F(ViewsTogether, OneChangeShowsInAllThreeAndCtrlZTakesItBackFromAllThree) {
  ASSERT_TRUE(Map().isVisible());
  EXPECT_EQ(Pane().List()->topLevelItemCount(), 0) << "the sample has no problems";
  EXPECT_TRUE(Code().Differences(0).Same()) << "the sample is as the next save writes it";
  EXPECT_TRUE(Code().Differences(1).Same());
  const QStringList cells = Cells();
  const QString source = Source();
  ASSERT_TRUE(cells.join('\n').contains("PWM")) << cells.join('\n').toStdString();

  // The PWM the ADC trigger is synchronised to goes: its channel is free on
  // the map, its call leaves the source, and the trigger names no channel.
  auto& channels = *static_cast<CViewChanns*>(Frame().Page(kPageChannelsA));
  ASSERT_TRUE(Frame().SelectPage(kPageChannelsA));
  channels.SelectChannel(4);
  shell.ports.messages.QueueAnswer(EAnswer::Yes);
  channels.RemoveButton()->click();
  ASSERT_TRUE(Frame().SelectPage(kPageGenCode));
  Settle();
  EXPECT_EQ(Pane().List()->topLevelItemCount(), 1);
  EXPECT_NE(Cells(), cells);
  EXPECT_NE(Source(), source);
  EXPECT_FALSE(Code().Differences(0).Same());

  QTest::keyClick(&Frame(), Qt::Key_Z, Qt::ControlModifier);
  Settle();
  EXPECT_EQ(Pane().List()->topLevelItemCount(), 0);
  EXPECT_EQ(Cells(), cells);
  EXPECT_EQ(Source(), source);
  EXPECT_TRUE(Code().Differences(0).Same());
  // The Remove's question and its note on the trigger's channel: the views themselves say nothing.
  EXPECT_EQ(shell.ports.messages.Ids(), (std::vector<int>{4500, 551}));
}

}  // namespace
