// The "Engine A/B Channels" pages and the load dialog on the real main window over a copy of the sample project: what the table shows, the in-place flags, selection, the commands and their questions, and undo.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <functional>
#include <nlohmann/json.hpp>

#include "common/runprocess.h"
#include "knowledge/fsetlib.h"
#include "project/channeltable.h"
#include "project/projdoc.h"
#include "ui/balloontip.h"
#include "ui/channelsmodel.h"
#include "ui/funcdialog.h"
#include "ui/loaddialog.h"
#include "ui/mainframe.h"
#include "ui/pages.h"
#include "ui/viewchanns.h"
#include "ui/viewnotes.h"
#include "uitestsupport.h"

namespace fs = std::filesystem;

namespace {

using CModel = CChannelsModel;

class ChannelsPage : public ::testing::Test {
 public:
  void SetUp() override {
    CopySampleProject(project.Path());
    ASSERT_TRUE(shell.Start({Source().string()}));
    shell.ports.messages.Clear();
    // The table must be able to hold the focus, whose row the Add commands start from.
    Frame().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Frame()));
    ASSERT_TRUE(Frame().SelectPage(kPageChannelsA));
  }

  fs::path Source() const { return project / "kivo_vam.c"; }
  CMainFrame& Frame() { return shell.Frame(); }
  CProjDoc& Doc() { return Frame().Doc(); }
  CViewChanns& Page(int engine = 0) {
    return *static_cast<CViewChanns*>(Frame().Page(engine == 0 ? kPageChannelsA : kPageChannelsB));
  }
  QTableView& Table(int engine = 0) { return *Page(engine).Table(); }
  QModelIndex Cell(int row, int column, int engine = 0) { return Table(engine).model()->index(row, column); }
  QString Text(int row, int column, int engine = 0) { return Cell(row, column, engine).data().toString(); }
  std::vector<int> Ids() const { return shell.ports.messages.Ids(); }
  // Clicks a row like the user, with the modifiers given.
  void ClickRow(int row, Qt::KeyboardModifiers modifiers = {}) {
    QRect rect = Table().visualRect(Cell(row, CModel::kColChannelName));
    QTest::mouseClick(Table().viewport(), Qt::LeftButton, modifiers, rect.center());
  }
  // A double click as the window system gives it: a click, then the second press.
  void DoubleClick(const QModelIndex& cell) {
    QPoint point = Table().visualRect(cell).center();
    QTest::mouseClick(Table().viewport(), Qt::LeftButton, {}, point);
    QTest::mouseDClick(Table().viewport(), Qt::LeftButton, {}, point);
    QTest::mouseRelease(Table().viewport(), Qt::LeftButton, {}, point);
  }
  std::vector<int> SelectedRows() {
    std::vector<int> rows;
    for (const QModelIndex& index : Table().selectionModel()->selectedRows())
      rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
  }
  bool Marked(int row) { return Cell(row, CModel::kColFunction).data(Qt::BackgroundRole).value<QColor>() == QColor(255, 255, 224); }
  std::string SavedHeader() {
    EXPECT_TRUE(Frame().FileSave()) << ::testing::PrintToString(Ids());
    return ReadFileBytes(project / "kivo_vam.h");
  }
  const CKivoFunc& SetFunction(const char* name) {
    const CKivoFunc* func = Doc().m_pFSet->FindFunc(name);
    EXPECT_NE(func, nullptr) << name;
    return *func;
  }
  // Runs `drive` on the load dialog once it is open, then lets the command finish.
  void WithLoadDialog(const std::function<void(CLoadDialog&)>& drive, const std::function<void()>& open) {
    bool driven = false;
    QTimer::singleShot(0, [&] {
      auto* dialog = qobject_cast<CLoadDialog*>(QApplication::activeModalWidget());
      ASSERT_NE(dialog, nullptr);
      driven = true;
      drive(*dialog);
      if (dialog->isVisible())
        dialog->CloseButton()->click();
    });
    open();
    EXPECT_TRUE(driven);
  }

  CTempDir project;
  CShell shell;
};

TEST_F(ChannelsPage, SamplePageShowsWhatTheCoreAndTheCommandLineReport) {
  CProcessResult cli = RunProcess(KV_BIN_DIR "/kivovam-cli", {"--json", "show", Source().string()});
  ASSERT_EQ(cli.exitCode, 0) << cli.err;
  const nlohmann::json reported = nlohmann::json::parse(cli.out);
  for (int engine = 0; engine < 2; ++engine) {
    SCOPED_TRACE(engine == 0 ? "engine A" : "engine B");
    ASSERT_TRUE(Frame().SelectPage(engine == 0 ? kPageChannelsA : kPageChannelsB));
    const CChannelTable table = BuildChannelTable(Doc(), engine);
    const nlohmann::json& rows = reported["engines"][engine]["channelTable"];
    ASSERT_EQ(Table(engine).model()->rowCount(), 32);
    ASSERT_EQ(rows.size(), 32u);
    for (int row = 0; row < 32; ++row) {
      SCOPED_TRACE("row " + std::to_string(row));
      const CChannelRow& core = table.rows[static_cast<std::size_t>(row)];
      const nlohmann::json& json = rows[static_cast<std::size_t>(row)];
      auto cellIs = [&](int column, const std::string& coreText, const char* key) {
        EXPECT_EQ(Text(row, column, engine).toStdString(), coreText);
        EXPECT_EQ(Text(row, column, engine).toStdString(), json[key].get<std::string>());
      };
      cellIs(CModel::kColChannel, core.ch, "ch");
      cellIs(CModel::kColFunction, core.function, "function");
      cellIs(CModel::kColChannelName, core.channelName, "channel");
      cellIs(CModel::kColPriority, core.priority, "priority");
      cellIs(CModel::kColLoad, core.load, "load");
      cellIs(CModel::kColOdis, core.odis, "odis");
      cellIs(CModel::kColApi, core.api, "api");
      auto checked = [&](int column) {
        return Cell(row, column, engine).data(Qt::CheckStateRole).toInt() == Qt::Checked;
      };
      EXPECT_EQ(checked(CModel::kColCie), json["cie"].get<bool>());
      EXPECT_EQ(checked(CModel::kColCdtre), json["cdtre"].get<bool>());
      EXPECT_EQ(Cell(row, CModel::kColLoad, engine).data(CModel::kLoadCommandRole).toBool(), core.loadIsCommand);
    }
    EXPECT_EQ(Page(engine).TotalLoad()->text().toStdString(), table.totalLoadText);
    EXPECT_EQ(Page(engine).TotalLoad()->text().toStdString(), reported["engines"][engine]["totalLoad"].get<std::string>());
  }
  // The load cells tell what pressing them does.
  EXPECT_EQ(Cell(0, CModel::kColLoad).data(Qt::ToolTipRole).toString(), "Calculate channel load");
  EXPECT_EQ(Cell(8, CModel::kColLoad, 1).data(Qt::ToolTipRole).toString(), "void operation");
}

TEST_F(ChannelsPage, OdisChoiceSetsBothMasksAndReachesTheHeaderAsOneStep) {
  const std::string before = ReadFileBytes(project / "kivo_vam.h");
  // The list opened on the cell, and the choice made by a key as a user makes it.
  auto choose = [this](int row, const QString& choice) {
    QModelIndex odis = Cell(row, CModel::kColOdis);
    Table().edit(odis);
    auto* list = qobject_cast<QComboBox*>(Table().indexWidget(odis));
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->currentText(), Text(row, CModel::kColOdis));
    int index = list->findText(choice);
    list->setCurrentIndex(index == 0 ? 1 : index - 1);
    QTest::keyClick(list, index == 0 ? Qt::Key_Up : Qt::Key_Down);
    Settle();
  };
  choose(5, "Low");
  EXPECT_EQ(Doc().ChannelMasks(0).odis, 1u << 5);
  EXPECT_EQ(Doc().ChannelMasks(0).opol, 1u << 5);
  EXPECT_EQ(Text(5, CModel::kColOdis), "Low");
  EXPECT_EQ(Doc().UndoName(), "Engine A Channel Flags");
  std::string header = SavedHeader();
  EXPECT_NE(header.find("#define KIVO_ODIS_A\t0x00000020"), std::string::npos);
  EXPECT_NE(header.find("#define KIVO_OPOL_A\t0x00000020"), std::string::npos);
  EXPECT_NE(header.find("#define KIVO_ODIS_B\t0x00000000"), std::string::npos);

  choose(5, "High");  // disabled, polarity cleared
  EXPECT_EQ(Doc().ChannelMasks(0).odis, 1u << 5);
  EXPECT_EQ(Doc().ChannelMasks(0).opol, 0u);
  ASSERT_TRUE(Doc().Undo());
  EXPECT_EQ(Text(5, CModel::kColOdis), "Low");
  ASSERT_TRUE(Doc().Undo());
  EXPECT_EQ(Doc().ChannelMasks(0), CProjDoc::CChannelMasks{});
  EXPECT_EQ(Text(5, CModel::kColOdis), "Off");
  const std::string after = SavedHeader();
  EXPECT_NE(after.find("#define KIVO_ODIS_A\t0x00000000"), std::string::npos);
  EXPECT_NE(after.find("#define KIVO_OPOL_A\t0x00000000"), std::string::npos);
}

TEST_F(ChannelsPage, FlagBoxesToggleTheirChannelsBitByClickAndBySpace) {
  QRect cie = Table().visualRect(Cell(3, CModel::kColCie));
  // Beside the box is no click on it.
  QTest::mouseClick(Table().viewport(), Qt::LeftButton, {}, cie.topLeft() + QPoint(1, 1));
  EXPECT_EQ(Doc().ChannelMasks(0).cie, 0u);
  QTest::mouseClick(Table().viewport(), Qt::LeftButton, {}, cie.center());
  EXPECT_EQ(Doc().ChannelMasks(0).cie, 1u << 3);
  EXPECT_EQ(Cell(3, CModel::kColCie).data(Qt::CheckStateRole).toInt(), Qt::Checked);

  Table().setFocus();
  Table().setCurrentIndex(Cell(7, CModel::kColCdtre));
  QTest::keyClick(&Table(), Qt::Key_Space);
  EXPECT_EQ(Doc().ChannelMasks(0).dtre, 1u << 7);
  EXPECT_EQ(Doc().ChannelMasks(1), CProjDoc::CChannelMasks{});
  ASSERT_TRUE(Doc().Undo());
  EXPECT_EQ(Doc().ChannelMasks(0).dtre, 0u);
  EXPECT_EQ(Doc().ChannelMasks(0).cie, 1u << 3);
  EXPECT_EQ(Cell(7, CModel::kColCdtre).data(Qt::CheckStateRole).toInt(), Qt::Unchecked);
}

TEST_F(ChannelsPage, SelectionMarksEveryRowOfItsFunctionsAndSetsTheCommands) {
  QAction* editItem = Page().ContextMenu()->actions()[2];
  QAction* removeItem = Page().ContextMenu()->actions()[3];
  EXPECT_FALSE(Page().EditButton()->isEnabled());
  EXPECT_FALSE(Page().RemoveButton()->isEnabled());

  ClickRow(5);  // the low channel of the dead-time pair on 4 and 5
  EXPECT_TRUE(Marked(4));
  EXPECT_TRUE(Marked(5));
  EXPECT_FALSE(Marked(0));
  EXPECT_TRUE(Page().EditButton()->isEnabled() && editItem->isEnabled());
  EXPECT_TRUE(Page().RemoveButton()->isEnabled() && removeItem->isEnabled());
  EXPECT_TRUE(Page().LoadButton()->isEnabled());

  ClickRow(0, Qt::ControlModifier);
  EXPECT_TRUE(Marked(0) && Marked(4));
  EXPECT_FALSE(Page().EditButton()->isEnabled() || editItem->isEnabled());
  EXPECT_TRUE(Page().RemoveButton()->isEnabled());
  EXPECT_FALSE(Page().LoadButton()->isEnabled());

  ClickRow(3);
  EXPECT_FALSE(Marked(4) || Marked(0));
  EXPECT_FALSE(Page().RemoveButton()->isEnabled() || removeItem->isEnabled());

  // A function without a C API has no Load.
  ASSERT_TRUE(Frame().SelectPage(kPageChannelsB));
  Page(1).SelectChannel(8);
  EXPECT_TRUE(Page(1).EditButton()->isEnabled());
  EXPECT_FALSE(Page(1).LoadButton()->isEnabled());
}

// A channel link of the notes page lands on the real row, with the table focused.
TEST_F(ChannelsPage, NotesLinkSelectsAndFocusesTheChannelsRow) {
  ASSERT_TRUE(Frame().SelectPage(kPageNotes));
  static_cast<CViewNotes*>(Frame().Page(kPageNotes))->FollowLink(QUrl("kivovam:E1/Ch7"));
  ASSERT_EQ(Frame().CurrentPage(), kPageChannelsB);
  EXPECT_EQ(Table(1).currentIndex().row(), 7);
  EXPECT_TRUE(Table(1).selectionModel()->isRowSelected(7, {}));
  EXPECT_TRUE(Table(1).hasFocus());
  // A row the table does not have is no selection.
  EXPECT_FALSE(Page(1).SelectChannelRow(32));
  EXPECT_EQ(Table(1).currentIndex().row(), 7);
}

TEST_F(ChannelsPage, RemoveAsksByCountAndTakesTheFunctionsAsOneStep) {
  const std::size_t functions = Doc().Functions().size();
  ClickRow(0);
  ClickRow(4, Qt::ControlModifier);
  ClickRow(5, Qt::ControlModifier);
  shell.ports.messages.QueueAnswer(EAnswer::No);
  Page().RemoveButton()->click();
  ASSERT_EQ(Ids(), std::vector<int>{4501});
  EXPECT_EQ(shell.ports.messages.Messages()[0].text, "Are you sure to remove the selected functions (2 selected)?");
  EXPECT_EQ(Doc().Functions().size(), functions);

  shell.ports.messages.QueueAnswer(EAnswer::Yes);
  Page().RemoveButton()->click();
  EXPECT_EQ(Doc().Functions().size(), functions - 2);
  EXPECT_EQ(Text(0, CModel::kColFunction), "");
  EXPECT_EQ(Text(4, CModel::kColFunction), "");
  // The one PWM left needs no instance number.
  EXPECT_EQ(Text(1, CModel::kColFunction), "Pulse Width Modulation Output");
  EXPECT_EQ(Doc().UndoName(), "Remove 2 Functions");
  EXPECT_FALSE(Page().RemoveButton()->isEnabled());

  ASSERT_TRUE(Doc().Undo());
  EXPECT_EQ(Doc().Functions().size(), functions);
  EXPECT_EQ(Text(4, CModel::kColFunction).toStdString(), BuildChannelTable(Doc(), 0).rows[4].function);
  // The rows are still selected, now standing for the functions read back.
  EXPECT_TRUE(Page().RemoveButton()->isEnabled());
  EXPECT_EQ(Page().SelectedFunctions().size(), 2u);

  shell.ports.messages.Clear();
  ClickRow(8);
  shell.ports.messages.QueueAnswer(EAnswer::Yes);
  Page().RemoveButton()->click();
  EXPECT_EQ(Ids(), std::vector<int>{4500});
  EXPECT_EQ(Doc().Functions().size(), functions - 1);
}

TEST_F(ChannelsPage, SelectionAndScrollPositionSurviveARefill) {
  Table().scrollToBottom();
  ClickRow(30);
  ClickRow(5, Qt::ControlModifier);
  const int scrolled = Table().verticalScrollBar()->value();
  ASSERT_GT(scrolled, 0);

  // Reading the project anew replaces every function object behind the rows.
  Page().Model()->setData(Cell(31, CModel::kColCie), Qt::Checked, Qt::CheckStateRole);
  ASSERT_TRUE(Doc().Undo());
  EXPECT_EQ(SelectedRows(), (std::vector<int>{5, 30}));
  EXPECT_EQ(Table().verticalScrollBar()->value(), scrolled);
  EXPECT_TRUE(Marked(4));
  ASSERT_EQ(Page().SelectedFunctions().size(), 1u);
  EXPECT_EQ(Page().SelectedFunctions()[0], Doc().FindChannelUser(0, 5));

  ASSERT_TRUE(Frame().SelectPage(kPageCpu));
  ASSERT_TRUE(Frame().SelectPage(kPageChannelsA));
  EXPECT_EQ(SelectedRows(), (std::vector<int>{5, 30}));
  EXPECT_EQ(Table().verticalScrollBar()->value(), scrolled);
}

TEST_F(ChannelsPage, AddAndEditSelectTheFunctionAndPointAtTheNotes) {
  std::vector<CFuncDialogRequest> requests;
  std::function<std::unique_ptr<CProjDoc::CFuncInfo>(const CFuncDialogRequest&)> answer;
  Page().functionDialog = [&](const CFuncDialogRequest& request) {
    requests.push_back(request);
    return answer ? answer(request) : nullptr;
  };
  // The focused row is where a new function starts.
  ClickRow(10);
  answer = [this](const CFuncDialogRequest& request) {
    return Doc().NewFunction(SetFunction("PWM"), request.engine, request.defaultChannel);
  };
  Page().AddFunctionButton()->click();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].kind, CFuncDialogRequest::kAddFunction);
  EXPECT_EQ(requests[0].defaultChannel, 10);
  EXPECT_EQ(Text(10, CModel::kColFunction), "Pulse Width Modulation Output (PWM2)");
  EXPECT_EQ(SelectedRows(), std::vector<int>{10});
  EXPECT_EQ(Doc().UndoName(), "Add PWM");
  ASSERT_NE(BalloonTip::Current(), nullptr);
  EXPECT_EQ(qobject_cast<QLabel*>(BalloonTip::Current())->text(),
            "See Also\nYou can find more details about the 'Pulse Width Modulation Output' function in the "
            "\"Project Notes\".");

  // Alt+E is the page's while its table has the focus, not the Edit menu's.
  const CProjDoc::CFuncInfo* added = Doc().FindChannelUser(0, 10);
  answer = [](const CFuncDialogRequest& request) {
    std::unique_ptr<CProjDoc::CFuncInfo> moved = request.edited->Clone();
    moved->channels[0]->number = 12;
    return moved;
  };
  Table().setFocus();
  QTest::keyClick(&Table(), Qt::Key_E, Qt::AltModifier);
  EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[1].kind, CFuncDialogRequest::kEdit);
  EXPECT_EQ(requests[1].edited, added);
  EXPECT_EQ(Text(10, CModel::kColFunction), "");
  EXPECT_EQ(Text(12, CModel::kColFunction), "Pulse Width Modulation Output (PWM2)");
  EXPECT_EQ(SelectedRows(), std::vector<int>{12});
  EXPECT_EQ(Doc().UndoName(), "Change PWM2");

  // A double click: Edit on a function's row, Add on a free one; on a flag
  // box it is the one click of a box and no dialog.
  answer = nullptr;
  const std::size_t functions = Doc().Functions().size();
  DoubleClick(Cell(0, CModel::kColChannelName));
  DoubleClick(Cell(20, CModel::kColFunction));
  DoubleClick(Cell(21, CModel::kColCie));
  ASSERT_EQ(requests.size(), 4u);
  EXPECT_EQ(requests[2].kind, CFuncDialogRequest::kEdit);
  EXPECT_EQ(requests[3].kind, CFuncDialogRequest::kAddFunction);
  EXPECT_EQ(requests[3].defaultChannel, 20);
  EXPECT_EQ(Doc().ChannelMasks(0).cie, 1u << 21);

  // Alt+F too, and a cancelled dialog changes nothing.
  Table().setFocus();
  QTest::keyClick(&Table(), Qt::Key_F, Qt::AltModifier);
  EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
  ASSERT_EQ(requests.size(), 5u);
  EXPECT_EQ(requests[4].kind, CFuncDialogRequest::kAddFunction);
  EXPECT_EQ(Doc().Functions().size(), functions);

  // From a taken row the dialog starts at the next free one, not in a conflict.
  ClickRow(0);
  Page().AddFunctionButton()->click();
  ASSERT_EQ(requests.size(), 6u);
  EXPECT_EQ(requests[5].defaultChannel, 2);
}

TEST_F(ChannelsPage, AddCommandsRefuseAnEmptyFunctionSetWithoutADialog) {
  int dialogs = 0;
  Page().functionDialog = [&](const CFuncDialogRequest&) {
    ++dialogs;
    return nullptr;
  };
  shell.ports.messages.QueueAnswer(EAnswer::Yes);
  ASSERT_TRUE(Doc().SelectFunctionSet(nullptr));
  shell.ports.messages.Clear();
  Page().AddFunctionButton()->click();
  Page().AddApplicationButton()->click();
  EXPECT_EQ(Ids(), (std::vector<int>{4029, 4030}));
  EXPECT_EQ(dialogs, 0);
}

TEST_F(ChannelsPage, LoadTellsWhyThereIsNothingToAsk) {
  // The trigger's header names no load expression.
  ClickRow(8);
  Page().LoadButton()->click();
  ASSERT_EQ(Ids(), std::vector<int>{4048});
  EXPECT_EQ(shell.ports.messages.Messages()[0].text,
            "No Load Expression is specified in the function API header file ('kivo_adctrig.h').");

  // A centre-aligned PWM's expression reads no input: its load is shown at once.
  const CKivoFunc& pwm = SetFunction("PWM");
  Page().functionDialog = [&](const CFuncDialogRequest& request) {
    return Doc().NewFunction(pwm, request.engine, 14, pwm.FindInitFunc("hv_kivo_pwm_init_center"));
  };
  Page().AddFunctionButton()->click();
  ASSERT_EQ(Text(14, CModel::kColLoad).toStdString(), FormatChannelLoad(Doc().FindChannelUser(0, 14)->channels[0]->load));
  shell.ports.messages.Clear();
  // The load cell is the Load command's button.
  QTest::mouseClick(Table().viewport(), Qt::LeftButton, {}, Table().visualRect(Cell(14, CModel::kColLoad)).center());
  EXPECT_EQ(Ids(), std::vector<int>{4050});
  EXPECT_EQ(SelectedRows(), std::vector<int>{14});
}

TEST_F(ChannelsPage, LoadDialogChecksTestsAndTakesItsValuesAsOneStep) {
  ClickRow(0);
  const auto& pwm0 = static_cast<const CProjDoc::CFuncInfo_Api&>(*Doc().FindChannelUser(0, 0));
  ASSERT_EQ(pwm0.loadInputs.values.at("duty_updates"), "1000");
  const QString loadBefore = Text(0, CModel::kColLoad);
  const QString totalBefore = Page().TotalLoad()->text();
  QSize initial;

  WithLoadDialog(
      [&](CLoadDialog& dialog) {
        EXPECT_EQ(dialog.windowTitle(), "Calculate Pulse Width Modulation Output Load");
        EXPECT_TRUE(UnlabelledControls(&dialog).empty()) << ::testing::PrintToString(UnlabelledControls(&dialog));
        ASSERT_EQ(dialog.Table()->rowCount(), 1);
        EXPECT_EQ(dialog.Table()->item(0, CLoadDialog::kColName)->text(), "duty_updates");
        EXPECT_EQ(dialog.Table()->item(0, CLoadDialog::kColUnit)->text(), "updates/s");
        initial = dialog.size();
        EXPECT_EQ(dialog.minimumSize(), initial);

        dialog.Table()->item(0, CLoadDialog::kColValue)->setText("30000");
        dialog.OkButton()->click();
        EXPECT_EQ(Ids(), std::vector<int>{4051});
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_EQ(dialog.MarkedRow(), 0);

        // Test puts the values in, so the page shows their loads while the dialog stays.
        dialog.Table()->item(0, CLoadDialog::kColValue)->setText("20000");
        EXPECT_EQ(dialog.MarkedRow(), -1);
        dialog.TestButton()->click();
        EXPECT_TRUE(dialog.isVisible());
        const auto& tested = static_cast<const CProjDoc::CFuncInfo_Api&>(*Doc().FindChannelUser(0, 0));
        EXPECT_EQ(tested.loadInputs.values.at("duty_updates"), "20000");
        EXPECT_EQ(Text(0, CModel::kColLoad).toStdString(), FormatChannelLoad(tested.channels[0]->load));
        EXPECT_NE(Text(0, CModel::kColLoad), loadBefore);
        EXPECT_NE(Page().TotalLoad()->text(), totalBefore);
        dialog.resize(initial + QSize(60, 40));
        dialog.CloseButton()->click();
      },
      [&] { Page().LoadButton()->click(); });

  // Close takes the test back: the inputs, the loads and an unchanged project.
  const auto& closed = static_cast<const CProjDoc::CFuncInfo_Api&>(*Doc().FindChannelUser(0, 0));
  EXPECT_EQ(closed.loadInputs.values.at("duty_updates"), "1000");
  EXPECT_EQ(Text(0, CModel::kColLoad), loadBefore);
  EXPECT_EQ(Page().TotalLoad()->text(), totalBefore);
  EXPECT_FALSE(Doc().IsModified());
  EXPECT_FALSE(Doc().CanUndo());

  shell.ports.messages.Clear();
  WithLoadDialog(
      [&](CLoadDialog& dialog) {
        EXPECT_EQ(dialog.size(), initial + QSize(60, 40));
        dialog.Table()->item(0, CLoadDialog::kColValue)->setText("400");
        dialog.TestButton()->click();
        dialog.Table()->item(0, CLoadDialog::kColValue)->setText(" 500 ");
        dialog.OkButton()->click();
        EXPECT_FALSE(dialog.isVisible());
      },
      [&] { Page().LoadButton()->click(); });
  EXPECT_TRUE(Ids().empty());
  EXPECT_EQ(static_cast<const CProjDoc::CFuncInfo_Api&>(*Doc().FindChannelUser(0, 0)).loadInputs.values.at("duty_updates"),
            "500");
  EXPECT_EQ(Doc().UndoName(), "Load Inputs of PWM0");
  ASSERT_TRUE(Doc().Undo());
  EXPECT_FALSE(Doc().CanUndo());
  EXPECT_EQ(Text(0, CModel::kColLoad), loadBefore);
}

TEST_F(ChannelsPage, ControlsAndCellsCanBeNamedByAScreenReader) {
  EXPECT_TRUE(UnlabelledControls(&Page()).empty()) << ::testing::PrintToString(UnlabelledControls(&Page()));
  EXPECT_EQ(Table().accessibleName(), "Engine A Channels");
  EXPECT_EQ(Page(1).Table()->accessibleName(), "Engine B Channels");
  QStringList captions;
  for (int column = 0; column < CModel::kColumnCount; ++column)
    captions << Table().model()->headerData(column, Qt::Horizontal).toString();
  EXPECT_EQ(captions, (QStringList{"Ch.", "Function Name", "Channel Name", "Priority", "Load", "CIE", "CDTRE",
                                   "ODIS", "API"}));
  QStringList menu;
  for (QAction* action : Page().ContextMenu()->actions())
    menu << action->text() + "\t" + action->shortcut().toString();
  EXPECT_EQ(menu, (QStringList{"Add &Application...\tAlt+A", "Add &Function...\tAlt+F", "&Edit Item...\tAlt+E",
                               "&Remove Item...\tAlt+R"}));
}

}  // namespace
