// The Channel Map dock on the real main window over a copy of the sample project: what it shows against kivovam-cli show, its items as a screen reader reads them, clicks and keys that go to a channel's row, edits and undo, and the export.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QAction>
#include <QImage>
#include <QTableView>
#include <QTest>
#include <nlohmann/json.hpp>

#include "common/runprocess.h"
#include "project/projdoc.h"
#include "ui/channelmapview.h"
#include "ui/mainframe.h"
#include "ui/pages.h"
#include "ui/viewchanns.h"
#include "uitestsupport.h"

namespace fs = std::filesystem;

namespace {

using nlohmann::json;

class ChannelMapDock : public ::testing::Test {
 public:
  void SetUp() override {
    CopySampleProject(project.Path());
    ASSERT_TRUE(shell.Start({(project / "kivo_vam.c").string()}));
    shell.ports.messages.Clear();
    ASSERT_FALSE(Dock().isVisible());
    Frame().Action(ECommand::ViewChannelMap)->trigger();
    ASSERT_TRUE(Dock().isVisible());
    Settle();
  }

  CMainFrame& Frame() { return shell.Frame(); }
  CChannelMapDock& Dock() { return *Frame().ChannelMap(); }
  CChannelMapView& View() { return *Dock().View(); }
  QPoint CellCentre(int engine, int channel) {
    return View().Layout().CellRect(engine, channel).center().toPoint();
  }
  int SelectedRow(int engine) {
    auto* page = static_cast<CViewChanns*>(Frame().Page(engine == 0 ? kPageChannelsA : kPageChannelsB));
    const QModelIndexList rows = page->Table()->selectionModel()->selectedRows();
    return rows.size() == 1 ? rows.front().row() : -1;
  }

  CTempDir project;
  CShell shell;
};

TEST_F(ChannelMapDock, ShowsTheLoadsAndInstancesThatShowReports) {
  CProcessResult show = RunProcess(KV_BIN_DIR "/kivovam-cli", {"--json", "--quiet", "show", (project / "kivo_vam.c").string()});
  json model = json::parse(show.out, nullptr, false);
  ASSERT_TRUE(model.is_object()) << show.err;
  int used = 0;
  for (const json& func : model["functions"]) {
    for (const json& channel : func["channels"]) {
      int engine = func["engine"].get<int>();
      int number = channel["number"].get<int>();
      const json& row = model["engines"][engine]["channelTable"][number];
      const CChannelMapCell& cell = View().Map().engines[engine].cells.at(number);
      SCOPED_TRACE(func["instance"].get<std::string>() + " " + std::to_string(number));
      EXPECT_EQ(cell.name, func["instance"].get<std::string>());
      EXPECT_EQ(cell.loadText, row["load"].get<std::string>());
      ++used;
    }
  }
  EXPECT_EQ(used, 13);
  for (int engine = 0; engine < 2; ++engine)
    EXPECT_EQ(View().Map().engines[engine].totalLoadText, model["engines"][engine]["totalLoad"].get<std::string>());
}

TEST_F(ChannelMapDock, EveryCellIsANamedItemForAScreenReader) {
  QAccessibleInterface* map = QAccessible::queryAccessibleInterface(&View());
  ASSERT_TRUE(map);
  EXPECT_EQ(map->text(QAccessible::Name), "Channel Map");
  ASSERT_EQ(map->childCount(), 66);
  EXPECT_EQ(map->child(0)->text(QAccessible::Name), "Engine A: total load 0.4 % (2 unknown)");
  EXPECT_EQ(map->child(0)->role(), QAccessible::StaticText);
  QAccessibleInterface* pwm0 = map->child(1);
  EXPECT_EQ(pwm0->text(QAccessible::Name), "Engine A channel 0: PWM0 output, load 0.2 %");
  EXPECT_EQ(pwm0->role(), QAccessible::ListItem);
  EXPECT_EQ(pwm0->parent(), map);
  EXPECT_EQ(map->indexOfChild(pwm0), 1);
  EXPECT_EQ(map->child(33)->text(QAccessible::Name), "Engine B: total load 9.3 % (6 unknown)");
  EXPECT_EQ(map->child(34 + 4)->text(QAccessible::Name), "Engine B channel 4: UART tx, load unknown");
  EXPECT_EQ(map->child(65)->text(QAccessible::Name), "Engine B channel 31: free");
  // The reader finds the cell under a point, and its place on the screen is the cell's.
  QPoint centre = View().mapToGlobal(CellCentre(1, 4));
  EXPECT_EQ(map->childAt(centre.x(), centre.y()), map->child(38));
  EXPECT_TRUE(map->child(38)->rect().contains(centre));
  // Its press action goes to the row, as a click does.
  QAccessibleActionInterface* action = map->child(38)->actionInterface();
  ASSERT_TRUE(action);
  action->doAction(QAccessibleActionInterface::pressAction());
  EXPECT_EQ(Frame().CurrentPage(), kPageChannelsB);
  EXPECT_EQ(SelectedRow(1), 4);
}

TEST_F(ChannelMapDock, ClickAndKeysSelectTheChannelsRow) {
  QTest::mouseClick(&View(), Qt::LeftButton, Qt::NoModifier, CellCentre(1, 9));
  EXPECT_EQ(Frame().CurrentPage(), kPageChannelsB);
  EXPECT_EQ(SelectedRow(1), 9);
  // A free channel's row is selected too: that is where Add Function starts.
  QTest::mouseClick(&View(), Qt::LeftButton, Qt::NoModifier, CellCentre(0, 3));
  EXPECT_EQ(Frame().CurrentPage(), kPageChannelsA);
  EXPECT_EQ(SelectedRow(0), 3);
  // From the keyboard: the last row of engine A goes on to engine B's first,
  // as many channels to a row as the dock's width holds.
  View().setFocus();
  const int columns = View().Layout().Columns();
  QTest::keyClick(&View(), Qt::Key_End);
  QTest::keyClick(&View(), Qt::Key_Down);
  EXPECT_EQ(View().FocusCell(), (CMapCellRef{1, columns - 1}));
  QTest::keyClick(&View(), Qt::Key_Right);
  QTest::keyClick(&View(), Qt::Key_Return);
  EXPECT_EQ(Frame().CurrentPage(), kPageChannelsB);
  EXPECT_EQ(SelectedRow(1), columns);
  // The map wide enough for eight to a row, and narrow for four.
  EXPECT_EQ(CChannelMapLayout(View().Map(), View().font()).Columns(), 8);
  EXPECT_EQ(CChannelMapLayout(View().Map(), View().font(), 300).Columns(), 4);
}

TEST_F(ChannelMapDock, AnEditAndItsUndoChangeTheMap) {
  QImage before = View().grab().toImage();
  const CProjDoc::CFuncInfo* pwm1 = Frame().Doc().FindChannelUser(0, 1);
  ASSERT_TRUE(pwm1);
  ASSERT_TRUE(Frame().Doc().RemoveConfiguredFunctions({pwm1}));
  EXPECT_TRUE(View().Map().engines[0].cells[1].free);
  EXPECT_EQ(View().ItemText(2), "Engine A channel 1: free");
  // The one PWM left is no longer numbered.
  EXPECT_EQ(View().Map().engines[0].cells[0].name, "PWM");
  QImage edited = View().grab().toImage();
  EXPECT_NE(edited, before);
  ASSERT_TRUE(Frame().EditUndo());
  EXPECT_EQ(View().Map().engines[0].cells[1].name, "PWM1");
  EXPECT_EQ(View().grab().toImage(), before);
}

TEST_F(ChannelMapDock, ExportTakesTheFiltersExtensionAndReportsAFailedWrite) {
  CTempDir out;
  QString asked;
  Dock().askExportName = [&](const QString& start, QString* filter) {
    asked = start;
    *filter = QStringLiteral("PNG Pictures (*.png)");
    return QString::fromStdString((out / "engines").string());
  };
  Frame().Action(ECommand::FileExportChannelMap)->trigger();
  EXPECT_EQ(asked, "channel-map.svg");
  EXPECT_EQ(ReadFileBytes(out / "engines.png").substr(0, 4), "\x89PNG");
  // A name that is a folder is not replaced: the write fails with its message.
  fs::create_directory(out / "taken.svg");
  EXPECT_FALSE(Dock().ExportTo(QString::fromStdString((out / "taken.svg").string())));
  ASSERT_EQ(shell.ports.messages.Ids(), std::vector<int>{4099});
  EXPECT_TRUE(fs::is_directory(out / "taken.svg"));
  EXPECT_TRUE(Dock().ExportTo(QString::fromStdString((out / "map.svg").string())));
  EXPECT_NE(ReadFileBytes(out / "map.svg").find(">PWM0</text>"), std::string::npos);
  // The next export starts from the last file written.
  Dock().askExportName = [&](const QString& start, QString*) {
    asked = start;
    return QString();
  };
  EXPECT_FALSE(Dock().Export());
  EXPECT_EQ(asked, QString::fromStdString((out / "map.svg").string()));
}

TEST_F(ChannelMapDock, ClosingTheDockUnticksTheMenu) {
  QAction* toggle = Frame().Action(ECommand::ViewChannelMap);
  EXPECT_TRUE(toggle->isChecked());
  Dock().close();
  EXPECT_FALSE(toggle->isChecked());
  toggle->trigger();
  EXPECT_TRUE(Dock().isVisible());
}

}  // namespace
