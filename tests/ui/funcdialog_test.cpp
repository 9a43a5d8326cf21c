// The function dialog over the sample project, driven through its widgets: entries and their copies, the channel and parameter tables, the non-API page, the code box and OK's checks.
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QHeaderView>
#include <QTableView>
#include <QTest>
#include <QTimer>

#include "knowledge/kbtext.h"
#include "project/projdoc.h"
#include "ui/balloontip.h"
#include "ui/funcdialog.h"
#include "ui/funcdialogwindow.h"
#include "ui/mainframe.h"
#include "ui/valuebinding.h"
#include "paramtable.h"
#include "uitestsupport.h"

namespace {

using CFuncInfo = CProjDoc::CFuncInfo;

// Engine A of the sample project holds channels 0, 1, 4, 5 and 8; engine B
// channels 0, 1, 4, 5, 8, 9, 12 and 13.
class FuncDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(shell.Start({(shell.Folder() / "examples/demo/kivo_vam.c").string()}));
    shell.ports.messages.Clear();
  }

  CProjDoc& Doc() { return shell.Frame().Doc(); }
  const CFuncInfo& Configured(const std::string& instance) {
    for (const auto& func : Doc().Functions())
      if (func->InstanceName() == instance)
        return *func;
    ADD_FAILURE() << instance;
    return *Doc().Functions().front();
  }
  std::unique_ptr<CFuncDialog> Open(CFuncDialogRequest::EKind kind, int engine, const CFuncInfo* edited = nullptr,
                                    int defaultChannel = 20) {
    auto dialog = std::make_unique<CFuncDialog>(Doc(), CFuncDialogRequest{kind, engine, edited, defaultChannel},
                                                &shell.Frame());
    dialog->show();
    Settle();
    return dialog;
  }

  // The control a label names, as a screen reader finds it.
  template <typename T>
  static T* Labelled(const QWidget& root, const QString& text) {
    for (QLabel* label : root.findChildren<QLabel*>())
      if (label->text() == text && label->isVisibleTo(&root))
        if (auto* control = qobject_cast<T*>(label->buddy()))
          return control;
    ADD_FAILURE() << "no control labelled " << text.toStdString();
    return nullptr;
  }
  static QTableView* Table(const QWidget& root, const QString& name) {
    for (QTableView* table : root.findChildren<QTableView*>())
      if (table->accessibleName() == name && table->isVisibleTo(&root))
        return table;
    ADD_FAILURE() << "no table " << name.toStdString();
    return nullptr;
  }
  static void ChooseEntry(const QWidget& root, const QString& text) {
    auto* list = Labelled<QComboBox>(root, QStringLiteral("Kivo &Function"));
    ASSERT_NE(list, nullptr);
    int index = list->findText(text);
    ASSERT_GE(index, 0) << text.toStdString();
    list->setCurrentIndex(index);
  }
  static QString CodeText(const QWidget& root) {
    auto* code = Labelled<QPlainTextEdit>(root, QStringLiteral("Generated Code:"));
    return code ? code->toPlainText() : QString();
  }
  static std::string Code(const CFuncInfo& func) {
    std::string text;
    func.GenerateInitCode(text);
    return text;
  }
  static QLabel* ErrorLine(const QWidget& root) { return root.findChild<QLabel*>(QStringLiteral("errorLine")); }

  CShell shell;
};

TEST_F(FuncDialogTest, AddOffersTheSetsFunctionsAndEveryControlHasAName) {
  auto dialog = Open(CFuncDialogRequest::kAddFunction, 1);
  EXPECT_EQ(dialog->windowTitle(), "Add Kivo Function");
  auto* list = Labelled<QComboBox>(*dialog, QStringLiteral("Kivo &Function"));
  ASSERT_NE(list, nullptr);
  EXPECT_TRUE(list->isEnabled());
  QStringList entries;
  for (int i = 0; i < list->count(); ++i)
    entries << list->itemText(i);
  EXPECT_EQ(entries, (QStringList{"Pulse Width Modulation Output", "Input Capture and Transition Counter",
                                  "Complementary PWM Pair with Dead Time", "Quadrature Decoder",
                                  "Stepper Motor with Acceleration Ramp", "GPIO - General purpose input/output",
                                  "HALL - Hall sensor commutation decoder", "ADC Trigger Synchronised to PWM",
                                  "Asynchronous Serial Port"}));
  EXPECT_EQ(list->currentIndex(), 0);
  // The drop-down opens wide enough for its longest entry.
  int longest = list->view()->fontMetrics().horizontalAdvance(entries[4]);
  EXPECT_GE(list->view()->minimumWidth(), longest + 12);

  QTableView* channels = Table(*dialog, QStringLiteral("Channels"));
  ASSERT_NE(channels, nullptr);
  EXPECT_EQ(channels->model()->headerData(0, Qt::Horizontal).toString(), "Channel Name");
  EXPECT_EQ(channels->model()->headerData(1, Qt::Horizontal).toString(), "Number");
  EXPECT_EQ(CellText(channels, 0, 1), "20");
  // No column caption of the page shown is cut short.
  for (QTableView* table : dialog->findChildren<QTableView*>())
    for (int column = 0; table->isVisibleTo(dialog.get()) && column < table->model()->columnCount();
         ++column)
      EXPECT_GE(table->horizontalHeader()->sectionSize(column), table->horizontalHeader()->sectionSizeHint(column))
          << table->accessibleName().toStdString() << " column " << column;
  EXPECT_EQ(UnlabelledControls(dialog.get()), std::vector<std::string>{});
  // An open in-place editor is named after its column.
  QWidget* editor = EditCell(Table(*dialog, QStringLiteral("Parameter Values")), 0);
  ASSERT_NE(editor, nullptr);
  EXPECT_EQ(editor->accessibleName(), "Value");
  EXPECT_EQ(UnlabelledControls(dialog.get()), std::vector<std::string>{});

  ChooseEntry(*dialog, QStringLiteral("GPIO - General purpose input/output"));
  EXPECT_NE(Labelled<QComboBox>(*dialog, QStringLiteral("Function Mode:")), nullptr);
  EXPECT_NE(Table(*dialog, QStringLiteral("Channel Parameters")), nullptr);
  EXPECT_EQ(UnlabelledControls(dialog.get()), std::vector<std::string>{});
}

TEST_F(FuncDialogTest, SwitchingEntriesKeepsEachEntrysEdits) {
  auto dialog = Open(CFuncDialogRequest::kAddFunction, 0);
  QTableView* params = Table(*dialog, QStringLiteral("Parameter Values"));
  TypeInCell(params, RowOf(params, "period"), QStringLiteral("4321"));
  EXPECT_EQ(CellText(params, RowOf(params, "period"), 1), "4321");
  EXPECT_TRUE(CodeText(*dialog).contains("4321,\t/* period: 4321 */"));

  ChooseEntry(*dialog, QStringLiteral("Asynchronous Serial Port"));
  params = Table(*dialog, QStringLiteral("Parameter Values"));
  TypeInCell(params, RowOf(params, "baud_rate"), QStringLiteral("9600"));
  ChooseEntry(*dialog, QStringLiteral("Pulse Width Modulation Output"));
  params = Table(*dialog, QStringLiteral("Parameter Values"));
  EXPECT_EQ(CellText(params, RowOf(params, "period"), 1), "4321");
  EXPECT_TRUE(CodeText(*dialog).contains("4321,\t/* period: 4321 */"));
  ChooseEntry(*dialog, QStringLiteral("Asynchronous Serial Port"));
  EXPECT_EQ(CellText(Table(*dialog, QStringLiteral("Parameter Values")), RowOf(params, "baud_rate"), 1), "9600");
}

TEST_F(FuncDialogTest, InvalidChannelShowsTheErrorLineAndOkKeepsTheDialogOpen) {
  auto dialog = Open(CFuncDialogRequest::kAddFunction, 0);
  QLabel* error = ErrorLine(*dialog);
  ASSERT_NE(error, nullptr);
  EXPECT_FALSE(error->isVisible());
  QTableView* channels = Table(*dialog, QStringLiteral("Channels"));
  TypeInCell(channels, 0, QStringLiteral("32"));
  EXPECT_EQ(CellText(channels, 0, 1), "32");
  EXPECT_TRUE(error->isVisible());
  EXPECT_EQ(error->text(), "Error: The channel number 32 is invalid");

  dialog->accept();
  EXPECT_TRUE(dialog->isVisible());
  EXPECT_EQ(dialog->result(), QDialog::Rejected);
  ASSERT_EQ(shell.ports.messages.Ids(), std::vector<int>{4031});
  EXPECT_EQ(shell.ports.messages.Messages()[0].text, "The channel number 32 is invalid");
  EXPECT_EQ(dialog->TakeAccepted(), nullptr);

  // Another function's channel: the error names it, and so does OK.
  TypeInCell(channels, 0, QStringLiteral("5"));
  EXPECT_EQ(error->text(), "Error: The channel number 5 is already assigned a function ('DTPWM::low')");
  dialog->accept();
  EXPECT_TRUE(dialog->isVisible());
  EXPECT_EQ(shell.ports.messages.Ids(), (std::vector<int>{4031, 4020}));

  // Text that is no number changes nothing.
  TypeInCell(channels, 0, QStringLiteral("six"));
  EXPECT_EQ(CellText(channels, 0, 1), "5");
  TypeInCell(channels, 0, QStringLiteral("6"));
  EXPECT_FALSE(error->isVisible());
  dialog->accept();
  EXPECT_FALSE(dialog->isVisible());
  std::unique_ptr<CFuncInfo> accepted = dialog->TakeAccepted();
  ASSERT_NE(accepted, nullptr);
  EXPECT_EQ(accepted->channels.front()->number, 6);
}

TEST_F(FuncDialogTest, TwoChannelsOfOneFunctionOnOneNumberAreRefused) {
  auto dialog = Open(CFuncDialogRequest::kAddFunction, 1);
  ChooseEntry(*dialog, QStringLiteral("Asynchronous Serial Port"));
  QTableView* channels = Table(*dialog, QStringLiteral("Channels"));
  // The number is chosen from the free channels.
  ChooseInCell(channels, 1, QStringLiteral("20"));
  EXPECT_EQ(ErrorLine(*dialog)->text(), "Error: The channel number 20 is assigned twice (tx and rx)");
  dialog->accept();
  EXPECT_TRUE(dialog->isVisible());
  EXPECT_EQ(shell.ports.messages.Ids(), std::vector<int>{4037});
}

TEST_F(FuncDialogTest, AnotherInitCallResetsTheFunctionToItsDefaults) {
  auto dialog = Open(CFuncDialogRequest::kAddFunction, 1);
  ChooseEntry(*dialog, QStringLiteral("Asynchronous Serial Port"));
  QTableView* params = Table(*dialog, QStringLiteral("Parameter Values"));
  TypeInCell(params, RowOf(params, "baud_rate"), QStringLiteral("9600"));
  TypeInCell(Table(*dialog, QStringLiteral("Channels")), 0, QStringLiteral("24"));
  auto* calls = Labelled<QComboBox>(*dialog, QStringLiteral("C-API to be used:"));
  ASSERT_NE(calls, nullptr);
  EXPECT_EQ(calls->currentText(), "hv_kivo_uart_init_duplex");
  calls->setCurrentIndex(calls->findText("hv_kivo_uart_init_tx"));

  QTableView* channels = Table(*dialog, QStringLiteral("Channels"));
  ASSERT_EQ(channels->model()->rowCount(), 1);
  EXPECT_EQ(CellText(channels, 0, 0), "tx");
  EXPECT_EQ(CellText(channels, 0, 1), "20");
  EXPECT_EQ(CellText(params, RowOf(params, "baud_rate"), 1), "0");
  EXPECT_EQ(dialog->findChild<QLabel*>(QStringLiteral("assignmentText"))->text(), "tx = tx_channel");
  EXPECT_TRUE(CodeText(*dialog).contains("err_code = hv_kivo_uart_init_tx (UART1_TX,"));
}

TEST_F(FuncDialogTest, ChosenValueIsStoredByItsCNameAndShownByItsText) {
  auto dialog = Open(CFuncDialogRequest::kAddFunction, 0);
  QTableView* params = Table(*dialog, QStringLiteral("Parameter Values"));
  int polarity = RowOf(params, "polarity");
  ChooseInCell(params, polarity, QStringLiteral("Active low"));
  EXPECT_EQ(CellText(params, polarity, 1), "Active low");
  EXPECT_EQ(dialog->Model().Current()->FindParam("polarity")->value.valueName, "KIVO_ACTIVE_LOW");
  EXPECT_TRUE(CodeText(*dialog).contains("KIVO_ACTIVE_LOW,\t/* polarity: Active low */"));

  // A missing value shows as a question mark.
  TypeInCell(params, RowOf(params, "duty"), QString());
  EXPECT_EQ(CellText(params, RowOf(params, "duty"), 1), "?");
  EXPECT_TRUE(CodeText(*dialog).contains("/* duty: parameter missing */"));
  // The mark is no value: leaving the cell's editor as it opened keeps it missing.
  QWidget* editor = EditCell(params, RowOf(params, "duty"));
  ASSERT_NE(editor, nullptr);
  QTest::keyClick(editor, Qt::Key_Return);
  Settle();
  EXPECT_TRUE(CodeText(*dialog).contains("/* duty: parameter missing */"));
}

TEST_F(FuncDialogTest, ParameterTipShowsTheDescriptionBesideTheRowWhileSwitchedOn) {
  auto dialog = Open(CFuncDialogRequest::kAddFunction, 0);
  auto* tips = dialog->findChild<QCheckBox*>(QStringLiteral("showTips"));
  ASSERT_NE(tips, nullptr);
  EXPECT_EQ(tips->text(), "Sho&w parameter tips");
  QTableView* params = Table(*dialog, QStringLiteral("Parameter Values"));
  params->setCurrentIndex(params->model()->index(RowOf(params, "duty"), 0));
  EXPECT_EQ(BalloonTip::Current(), nullptr);

  tips->setChecked(true);
  int period = RowOf(params, "period");
  params->setCurrentIndex(params->model()->index(period, 0));
  QWidget* tip = BalloonTip::Current();
  ASSERT_NE(tip, nullptr);
  EXPECT_TRUE(tip->accessibleName().startsWith("Parameter Description: Length of the period"));
  QPoint corner = params->viewport()->mapToGlobal(params->visualRect(params->model()->index(period, 0)).topLeft());
  // The balloon stands above the row and points 10 pixels right of and 2 above its corner.
  EXPECT_EQ(tip->geometry().bottomLeft() + QPoint(0, 1), corner + QPoint(10, -2));
  dialog->reject();
  EXPECT_EQ(BalloonTip::Current(), nullptr);

  // The choice holds for the next opening.
  auto again = Open(CFuncDialogRequest::kAddFunction, 0);
  EXPECT_TRUE(again->findChild<QCheckBox*>(QStringLiteral("showTips"))->isChecked());
  again->findChild<QCheckBox*>(QStringLiteral("showTips"))->setChecked(false);
}

TEST_F(FuncDialogTest, NonApiPageGivesBackTheValuesOfParametersTakenAway) {
  auto dialog = Open(CFuncDialogRequest::kAddFunction, 1);
  ChooseEntry(*dialog, QStringLiteral("GPIO - General purpose input/output"));
  auto* count = Labelled<CNumberSpin>(*dialog, QStringLiteral("Number of channel parameters:"));
  ASSERT_NE(count, nullptr);
  QTableView* params = Table(*dialog, QStringLiteral("Channel Parameters"));
  auto setCount = [count](const QString& text) {
    auto* line = count->findChild<QLineEdit*>();
    line->selectAll();
    QTest::keyClicks(line, text);
    Settle();
  };
  setCount(QStringLiteral("3"));
  ASSERT_EQ(params->model()->rowCount(), 3);
  EXPECT_EQ(CellText(params, 2, 0), "Parameter 3");
  EXPECT_EQ(CellText(params, 2, 1), "0");
  TypeInCell(params, 1, QStringLiteral("0x22"));
  TypeInCell(params, 2, QStringLiteral("my_word"));
  setCount(QStringLiteral("1"));
  ASSERT_EQ(params->model()->rowCount(), 1);
  EXPECT_FALSE(CodeText(*dialog).contains("my_word"));
  setCount(QStringLiteral("4"));
  ASSERT_EQ(params->model()->rowCount(), 4);
  EXPECT_EQ(CellText(params, 1, 1), "0x22");
  EXPECT_EQ(CellText(params, 2, 1), "my_word");
  EXPECT_EQ(CellText(params, 3, 1), "0");
  EXPECT_TRUE(CodeText(*dialog).contains("hv_kivo_set_chan_local_32 (GPIO1, 0x08, my_word);"));
  EXPECT_TRUE(CodeText(*dialog).contains("HV_KIVO_PRM_COUNT(4),"));

  // Past the range the count stops at the description's bound.
  setCount(QStringLiteral("12"));
  EXPECT_EQ(count->text(), "8");
  EXPECT_EQ(params->model()->rowCount(), 8);
  count->stepBy(1);
  EXPECT_EQ(count->text(), "8");
}

TEST_F(FuncDialogTest, NonApiListsAreBoundToTheFunctionsValueGroups) {
  auto dialog = Open(CFuncDialogRequest::kAddFunction, 1);
  ChooseEntry(*dialog, QStringLiteral("HALL - Hall sensor commutation decoder"));
  auto* channel = Labelled<QComboBox>(*dialog, QStringLiteral("Channel Number:"));
  auto* priority = Labelled<QComboBox>(*dialog, QStringLiteral("Priority:"));
  auto* hsr = Labelled<QComboBox>(*dialog, QStringLiteral("Initialization HSR:"));
  ASSERT_TRUE(channel && priority && hsr);
  EXPECT_EQ(channel->currentText(), "20");
  EXPECT_EQ(channel->findText("4"), -1);
  EXPECT_EQ(priority->currentText(), "Low");
  priority->setCurrentIndex(priority->findText("High"));
  hsr->setCurrentIndex(hsr->findText("HSR 5"));
  channel->setCurrentIndex(channel->findText("3"));
  QString code = CodeText(*dialog);
  EXPECT_TRUE(code.contains("hv_kivo_enable (HALL1, HV_KIVO_PRIORITY_HIGH);"));
  EXPECT_TRUE(code.contains("HV_KIVO_HSR_5,"));
  EXPECT_TRUE(code.contains("(HALL1,\t/* engine: B; channel: 3 */"));
}

TEST_F(FuncDialogTest, CodeBoxShowsWhatIsWrittenForTheAcceptedCopy) {
  auto dialog = Open(CFuncDialogRequest::kAddApplication, 1);
  EXPECT_EQ(dialog->windowTitle(), "Add Kivo Application");
  auto* list = Labelled<QComboBox>(*dialog, QStringLiteral("Kivo &Application"));
  ASSERT_NE(list, nullptr);
  list->setCurrentIndex(list->findText("Fan Speed Control"));
  QTableView* params = Table(*dialog, QStringLiteral("Parameter Values"));
  TypeInCell(params, RowOf(params, "pwm_period"), QStringLiteral("25000"));
  QString shown = CodeText(*dialog);
  auto* box = Labelled<QPlainTextEdit>(*dialog, QStringLiteral("Generated Code:"));
  EXPECT_TRUE(box->isReadOnly());
  EXPECT_TRUE(box->font().fixedPitch() || QFontInfo(box->font()).fixedPitch());
  dialog->accept();
  std::unique_ptr<CFuncInfo> accepted = dialog->TakeAccepted();
  ASSERT_NE(accepted, nullptr);
  // What the box showed is what the function writes once in the project.
  const CFuncInfo* inProject = accepted.get();
  ASSERT_TRUE(shell.Frame().Doc().AddConfiguredFunction(std::move(accepted)));
  EXPECT_EQ(shown.toStdString(), Code(*inProject));
  EXPECT_TRUE(shown.contains("25000,\t/* pwm_period: 25000 */"));
}

TEST_F(FuncDialogTest, EditWorksOnACopyAndRemembersWhereTheDialogWas) {
  const CFuncInfo& uart = Configured("UART");
  std::string before = Code(uart);
  auto dialog = Open(CFuncDialogRequest::kEdit, 1, &uart, -1);
  EXPECT_EQ(dialog->windowTitle(), "Edit Kivo Function");
  auto* list = Labelled<QComboBox>(*dialog, QStringLiteral("Kivo &Function"));
  ASSERT_NE(list, nullptr);
  EXPECT_FALSE(list->isEnabled());
  EXPECT_EQ(list->count(), 1);
  QTableView* channels = Table(*dialog, QStringLiteral("Channels"));
  EXPECT_EQ(CellText(channels, 0, 1), "4");
  // Its own channels are among the choices.
  TypeInCell(channels, 0, QStringLiteral("6"));
  QTableView* params = Table(*dialog, QStringLiteral("Parameter Values"));
  TypeInCell(params, RowOf(params, "baud_rate"), QStringLiteral("19200"));
  EXPECT_EQ(Code(uart), before);
  dialog->setGeometry(QRect(QPoint(140, 90), QSize(800, 620)));
  QRect left = dialog->geometry();
  dialog->accept();
  std::unique_ptr<CFuncInfo> accepted = dialog->TakeAccepted();
  ASSERT_NE(accepted, nullptr);
  EXPECT_NE(accepted.get(), &uart);
  EXPECT_EQ(Code(uart), before);
  EXPECT_NE(Code(*accepted).find("19200,"), std::string::npos);
  EXPECT_TRUE(shell.ports.messages.Ids().empty());

  auto again = Open(CFuncDialogRequest::kAddFunction, 0);
  EXPECT_EQ(again->geometry(), left);
}

TEST_F(FuncDialogTest, RunningTheDialogHandsOverTheAcceptedCopyOrNothing) {
  QTimer::singleShot(0, [this] {
    auto* dialog = qobject_cast<CFuncDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    ChooseEntry(*dialog, QStringLiteral("Quadrature Decoder"));
    dialog->accept();
  });
  std::unique_ptr<CFuncInfo> added =
      RunFunctionDialog(&shell.Frame(), Doc(), {CFuncDialogRequest::kAddFunction, 0, nullptr, 10});
  ASSERT_NE(added, nullptr);
  EXPECT_EQ(added->function->name, "QD");
  EXPECT_EQ(added->channels.front()->number, 10);

  QTimer::singleShot(0, [] { QApplication::activeModalWidget()->close(); });
  EXPECT_EQ(RunFunctionDialog(&shell.Frame(), Doc(), {CFuncDialogRequest::kAddFunction, 0, nullptr, 10}), nullptr);
}

}  // namespace
