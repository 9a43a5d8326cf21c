// The engineer's day on the real main window over a copy of the sample
// project: functions added, changed and removed through the function dialog
// the Channels pages open, the load dialog, undo of each step, and a project
// that the command-line tool and a C compiler accept as the window saved it.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTableView>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <functional>
#include <nlohmann/json.hpp>

#include "common/runprocess.h"
#include "project/projdoc.h"
#include "ui/channelsmodel.h"
#include "ui/loaddialog.h"
#include "ui/mainframe.h"
#include "ui/pages.h"
#include "ui/qsci.h"
#include "ui/viewchanns.h"
#include "ui/viewfset.h"
#include "ui/viewtab.h"
#include "ui/viewverbatim.h"
#include "paramtable.h"
#include "uitestsupport.h"

namespace fs = std::filesystem;
using nlohmann::json;

namespace {

using CModel = CChannelsModel;

// Both files of a project as a save wrote them.
struct CSaved {
  std::string source;
  std::string header;
  bool operator==(const CSaved&) const = default;
};

void PrintTo(const CSaved& saved, std::ostream* out) { *out << saved.source.size() << "+" << saved.header.size() << " bytes"; }

CProcessResult Cli(const std::vector<std::string>& args) { return RunProcess(KV_BIN_DIR "/kivovam-cli", args); }

json Show(const fs::path& source) {
  CProcessResult shown = Cli({"--json", "show", source.string()});
  EXPECT_EQ(shown.exitCode, 0) << shown.err;
  json model = json::parse(shown.out, nullptr, false);
  // Where the files lie is no part of what they hold.
  if (model.is_object()) {
    model.erase("source");
    model.erase("header");
  }
  return model;
}

// Compiles the source as a firmware build would: the project's own folder
// and the include folders the command-line tool names below the set folder.
CProcessResult CompileSyntax(const fs::path& source) {
  CProcessResult shown = Cli({"--json", "--quiet", "show", source.string()});
  json model = json::parse(shown.out, nullptr, false);
  if (shown.exitCode != 0 || !model.is_object() || !model["includeDirs"].is_array())
    return {-1, shown.out, shown.err};
  std::vector<std::string> args = {"gcc", "-std=c99", "-Wall", "-Werror", "-fsyntax-only",
                                   "-I" + source.parent_path().string()};
  for (const json& dir : model["includeDirs"])
    args.push_back("-I" + (SourcePath("fsets") / dir.get<std::string>()).lexically_normal().string());
  args.push_back(source.string());
  return RunProcess("/usr/bin/env", args);
}

class Workflow : public ::testing::Test {
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
  std::vector<int> Ids() const { return shell.ports.messages.Ids(); }
  CViewChanns& Page(int engine = 0) {
    return *static_cast<CViewChanns*>(Frame().Page(engine == 0 ? kPageChannelsA : kPageChannelsB));
  }
  QTableView& Table(int engine = 0) { return *Page(engine).Table(); }
  QModelIndex Cell(int row, int column, int engine = 0) { return Table(engine).model()->index(row, column); }
  QString Text(int row, int column, int engine = 0) { return Cell(row, column, engine).data().toString(); }
  void ClickRow(int row, int engine = 0) {
    QRect rect = Table(engine).visualRect(Cell(row, CModel::kColChannelName, engine));
    QTest::mouseClick(Table(engine).viewport(), Qt::LeftButton, {}, rect.center());
  }
  CSaved Save() {
    EXPECT_TRUE(Frame().FileSave()) << ::testing::PrintToString(Ids());
    return {ReadFileBytes(Source()), ReadFileBytes(project / "kivo_vam.h")};
  }

  // Runs `drive` on the modal dialog `command` opens; a dialog still open
  // afterwards is cancelled, so a failed check never leaves the test waiting.
  void WithDialog(const std::function<void()>& command, const std::function<void(QDialog&)>& drive) {
    bool driven = false;
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, [&] {
      auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
      if (!dialog)
        return;
      driven = true;
      drive(*dialog);
      if (dialog->isVisible())
        dialog->reject();
    });
    timer.start(0);
    command();
    EXPECT_TRUE(driven) << "no dialog opened";
    // The window is the user's again, with the focus where it was, before
    // the next click: a window manager does that, the offscreen one does not.
    Frame().activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(&Frame()));
  }
  void AddThroughDialog(int engine, const std::function<void(QDialog&)>& drive) {
    WithDialog([this, engine] { Page(engine).AddFunctionButton()->click(); }, drive);
  }
  void EditThroughDialog(int engine, const std::function<void(QDialog&)>& drive) {
    WithDialog([this, engine] { Page(engine).EditButton()->click(); }, drive);
  }

  // The dialog's controls, found as a screen reader or a script finds them.
  template <typename T>
  static T* Control(const QDialog& dialog, const char* objectName) {
    for (T* control : dialog.findChildren<T*>(QString::fromLatin1(objectName)))
      if (control->isVisibleTo(&dialog))
        return control;
    ADD_FAILURE() << "no visible " << objectName;
    return nullptr;
  }
  static void Ok(QDialog& dialog) {
    auto* buttons = dialog.findChild<QDialogButtonBox*>();
    ASSERT_NE(buttons, nullptr);
    buttons->button(QDialogButtonBox::Ok)->click();
  }
  static void Choose(QComboBox* list, const QString& text) {
    ASSERT_NE(list, nullptr);
    int index = list->findText(text);
    ASSERT_GE(index, 0) << text.toStdString();
    list->setCurrentIndex(index);
  }
  // The generated call that sets up `define`, up to its closing parenthesis.
  static std::string CallOf(const std::string& source, const std::string& define) {
    std::size_t at = source.find("(" + define + ",");
    if (at == std::string::npos)
      return {};
    std::size_t start = source.rfind("err_code = ", at);
    return source.substr(start, source.find(");", at) + 2 - start);
  }

  CFixedSaveTime stamp;
  CTempDir project;
  CShell shell;
};

TEST_F(Workflow, FunctionAddedChangedAndRemovedThroughTheDialogReachesTableAndFiles) {
  const CSaved original = Save();
  ClickRow(10);
  AddThroughDialog(0, [](QDialog& dialog) {
    EXPECT_EQ(dialog.windowTitle(), "Add Kivo Function");
    Choose(Control<QComboBox>(dialog, "functionList"), QStringLiteral("Pulse Width Modulation Output"));
    // The focused row is where the function starts.
    EXPECT_EQ(CellText(Control<QTableView>(dialog, "channelsTable"), 0), "10");
    Ok(dialog);
  });
  EXPECT_EQ(Text(10, CModel::kColFunction), "Pulse Width Modulation Output (PWM2)");
  EXPECT_EQ(Text(10, CModel::kColChannelName), "output");
  CSaved added = Save();
  EXPECT_NE(added.header.find("#define PWM2_OUTPUT\tKIVO_ENGINE_A_CHANNEL(10)\n"), std::string::npos);
  const std::string addedCall = CallOf(added.source, "PWM2_OUTPUT");
  EXPECT_NE(addedCall.find("hv_kivo_pwm_init_edge (PWM2_OUTPUT,\t/* engine: A; channel: 10 */"), std::string::npos)
      << addedCall;
  EXPECT_NE(addedCall.find("KIVO_ACTIVE_HIGH,\t/* polarity: Active high */"), std::string::npos) << addedCall;

  // Another channel and a value taken from the parameter's allowed values.
  EditThroughDialog(0, [](QDialog& dialog) {
    EXPECT_EQ(dialog.windowTitle(), "Edit Kivo Function");
    TypeInCell(Control<QTableView>(dialog, "channelsTable"), 0, QStringLiteral("12"));
    QTableView* params = Control<QTableView>(dialog, "paramsTable");
    ChooseInCell(params, RowOf(params, "polarity"), QStringLiteral("Active low"));
    EXPECT_EQ(CellText(params, RowOf(params, "polarity")), "Active low");
    Ok(dialog);
  });
  EXPECT_EQ(Text(10, CModel::kColFunction), "");
  EXPECT_EQ(Text(12, CModel::kColFunction), "Pulse Width Modulation Output (PWM2)");
  EXPECT_EQ(Doc().UndoName(), "Change PWM2");
  CSaved changed = Save();
  EXPECT_NE(changed.header.find("#define PWM2_OUTPUT\tKIVO_ENGINE_A_CHANNEL(12)\n"), std::string::npos);
  const std::string changedCall = CallOf(changed.source, "PWM2_OUTPUT");
  EXPECT_NE(changedCall.find("(PWM2_OUTPUT,\t/* engine: A; channel: 12 */"), std::string::npos) << changedCall;
  EXPECT_NE(changedCall.find("KIVO_ACTIVE_LOW,\t/* polarity: Active low */"), std::string::npos) << changedCall;

  // The centre-aligned call reads no load input: the row shows its load at
  // once. The dialog is opened from the keyboard, the focus on the button:
  // the new call's defaults start from the function's own channel, not from
  // the first free one.
  EXPECT_EQ(Text(12, CModel::kColLoad), "?");
  Page().EditButton()->setFocus(Qt::TabFocusReason);
  WithDialog([this] { QTest::keyClick(Page().EditButton(), Qt::Key_Space); }, [](QDialog& dialog) {
    Choose(Control<QComboBox>(dialog, "initCall"), QStringLiteral("hv_kivo_pwm_init_center"));
    EXPECT_TRUE(Control<QPlainTextEdit>(dialog, "generatedCode")->toPlainText().contains("hv_kivo_pwm_init_center"));
    Ok(dialog);
  });
  EXPECT_EQ(Text(12, CModel::kColFunction), "Pulse Width Modulation Output (PWM2)");
  EXPECT_NE(Text(12, CModel::kColLoad), "?");
  EXPECT_NE(Text(12, CModel::kColLoad), "");
  const std::string centreCall = CallOf(Save().source, "PWM2_OUTPUT");
  EXPECT_NE(centreCall.find("hv_kivo_pwm_init_center (PWM2_OUTPUT,\t/* engine: A; channel: 12 */"), std::string::npos)
      << centreCall;

  shell.ports.messages.Clear();
  shell.ports.messages.QueueAnswer(EAnswer::Yes);
  Page().RemoveButton()->click();
  EXPECT_EQ(Ids(), std::vector<int>{4500});
  EXPECT_EQ(Text(12, CModel::kColFunction), "");
  // Back to the sample project, byte for byte.
  EXPECT_EQ(Save(), original);
}

TEST_F(Workflow, ChannelConflictsKeepTheDialogOpenUntilTheChannelsAreFree) {
  const std::size_t functions = Doc().Functions().size();
  ClickRow(10);
  AddThroughDialog(0, [this, functions](QDialog& dialog) {
    QTableView* channels = Control<QTableView>(dialog, "channelsTable");
    auto* error = dialog.findChild<QLabel*>(QStringLiteral("errorLine"));
    ASSERT_TRUE(channels && error);
    auto refused = [&](const QString& channel, int id, const char* text) {
      shell.ports.messages.Clear();
      TypeInCell(channels, 0, channel);
      EXPECT_TRUE(error->isVisible());
      EXPECT_EQ(error->text().toStdString(), std::string("Error: ") + text);
      Ok(dialog);
      EXPECT_TRUE(dialog.isVisible());
      ASSERT_EQ(Ids(), std::vector<int>{id});
      EXPECT_EQ(shell.ports.messages.Messages()[0].text, text);
      EXPECT_EQ(Doc().Functions().size(), functions);
    };
    refused(QStringLiteral("32"), 4031, "The channel number 32 is invalid");
    refused(QStringLiteral("5"), 4020, "The channel number 5 is already assigned a function ('DTPWM::low')");

    // Two channels of one function on one number.
    Choose(Control<QComboBox>(dialog, "functionList"), QStringLiteral("Asynchronous Serial Port"));
    channels = Control<QTableView>(dialog, "channelsTable");
    ASSERT_EQ(channels->model()->rowCount(), 2);
    shell.ports.messages.Clear();
    ChooseInCell(channels, 1, CellText(channels, 0));
    Ok(dialog);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(Ids(), std::vector<int>{4037});
    EXPECT_TRUE(error->isVisible());

    ChooseInCell(channels, 1, QStringLiteral("11"));
    EXPECT_FALSE(error->isVisible());
    Ok(dialog);
    EXPECT_FALSE(dialog.isVisible());
  });
  EXPECT_EQ(Doc().Functions().size(), functions + 1);
  EXPECT_EQ(Text(10, CModel::kColFunction), "Asynchronous Serial Port (UART1)");
  EXPECT_EQ(Text(11, CModel::kColFunction), "Asynchronous Serial Port (UART1)");
  EXPECT_EQ(Text(10, CModel::kColChannelName), "tx");
  EXPECT_EQ(Text(11, CModel::kColChannelName), "rx");
}

TEST_F(Workflow, NonApiParameterValuesComeBackWhileTheDialogIsOpenAndReachTheFile) {
  ASSERT_TRUE(Frame().SelectPage(kPageChannelsB));
  ClickRow(20, 1);
  auto setCount = [](QDialog& dialog, const QString& text) {
    auto* count = Control<QAbstractSpinBox>(dialog, "paramCount");
    ASSERT_NE(count, nullptr);
    auto* line = count->findChild<QLineEdit*>();
    line->selectAll();
    QTest::keyClicks(line, text);
    Settle();
  };
  AddThroughDialog(1, [&](QDialog& dialog) {
    Choose(Control<QComboBox>(dialog, "functionList"), QStringLiteral("GPIO - General purpose input/output"));
    EXPECT_EQ(Control<QComboBox>(dialog, "channelNumber")->currentText(), "20");
    setCount(dialog, QStringLiteral("3"));
    QTableView* params = Control<QTableView>(dialog, "channelParams");
    ASSERT_EQ(params->model()->rowCount(), 3);
    TypeInCell(params, 1, QStringLiteral("0x22"));
    TypeInCell(params, 2, QStringLiteral("my_word"));
    setCount(dialog, QStringLiteral("1"));
    ASSERT_EQ(params->model()->rowCount(), 1);
    setCount(dialog, QStringLiteral("3"));
    ASSERT_EQ(params->model()->rowCount(), 3);
    EXPECT_EQ(CellText(params, 1), "0x22");
    EXPECT_EQ(CellText(params, 2), "my_word");
    Ok(dialog);
  });
  EXPECT_EQ(Text(20, CModel::kColFunction, 1), "GPIO - General purpose input/output (GPIO1)");
  EXPECT_EQ(Text(20, CModel::kColApi, 1), "No");
  std::string source = Save().source;
  EXPECT_NE(source.find("hv_kivo_set_chan_local_32 (GPIO1, 0x04, 0x22);"), std::string::npos);
  EXPECT_NE(source.find("hv_kivo_set_chan_local_32 (GPIO1, 0x08, my_word);"), std::string::npos);

  // Values taken away by an accepted dialog are gone at the next opening.
  EditThroughDialog(1, [&](QDialog& dialog) {
    QTableView* params = Control<QTableView>(dialog, "channelParams");
    EXPECT_EQ(CellText(params, 2), "my_word");
    setCount(dialog, QStringLiteral("1"));
    Ok(dialog);
  });
  EXPECT_EQ(Save().source.find("my_word"), std::string::npos);
  EditThroughDialog(1, [&](QDialog& dialog) {
    setCount(dialog, QStringLiteral("3"));
    QTableView* params = Control<QTableView>(dialog, "channelParams");
    EXPECT_EQ(CellText(params, 1), "0");
    EXPECT_EQ(CellText(params, 2), "0");
  });
}

// Three captures on engine A whose inputs give loads in each of the smaller
// formats; the unknown loads of the sample's other rows count for nothing.
TEST_F(Workflow, LoadDialogInputsShowInTheRowsAndTheTotal) {
  EXPECT_EQ(Page().TotalLoad()->text(), "0.4 %");
  const struct {
    int channel;
    const char* edgeRate;
    const char* load;
  } rows[] = {{10, "1562.5", "0.05 %"}, {11, "100", "0.0032 %"}, {12, "15.625", "0.000500 %"}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.channel);
    ClickRow(row.channel);
    AddThroughDialog(0, [](QDialog& dialog) {
      Choose(Control<QComboBox>(dialog, "functionList"), QStringLiteral("Input Capture and Transition Counter"));
      Ok(dialog);
    });
    ASSERT_EQ(Text(row.channel, CModel::kColFunction).left(36), "Input Capture and Transition Counter");
    EXPECT_EQ(Text(row.channel, CModel::kColLoad), "?");
    WithDialog([this] { Page().LoadButton()->click(); },
               [&](QDialog& dialog) {
                 auto* inputs = dialog.findChild<QTableWidget*>();
                 ASSERT_NE(inputs, nullptr);
                 EXPECT_EQ(inputs->accessibleName(), "Load expression inputs");
                 ASSERT_EQ(inputs->rowCount(), 1);
                 EXPECT_EQ(inputs->item(0, CLoadDialog::kColName)->text(), "edge_rate");
                 EXPECT_EQ(inputs->item(0, CLoadDialog::kColUnit)->text(), "Hz");
                 inputs->item(0, CLoadDialog::kColValue)->setText(QString::fromLatin1(row.edgeRate));
                 static_cast<CLoadDialog&>(dialog).OkButton()->click();
                 EXPECT_FALSE(dialog.isVisible());
               });
    EXPECT_EQ(Text(row.channel, CModel::kColLoad), row.load);
  }
  EXPECT_EQ(Text(1, CModel::kColLoad), "?");
  // 0.164 + 0.16 + 0.09 from the sample, 0.0537 from the captures.
  EXPECT_EQ(Page().TotalLoad()->text(), "0.5 %");
  EXPECT_NE(Save().source.find("/* IC2 load expression inputs:\n  edge_rate=15.625;\n*/"), std::string::npos);
}

// Each change, taken back by Edit > Undo, gives the files saved before it;
// Edit > Redo gives the files saved after it.
TEST_F(Workflow, EachStepUndoesToTheFilesBeforeItAndRedoesToTheFilesAfterIt) {
  const struct {
    const char* name;
    std::function<void()> make;
  } steps[] = {
      {"Add PWM",
       [this] {
         ClickRow(10);
         AddThroughDialog(0, [](QDialog& dialog) { Ok(dialog); });
       }},
      {"Change PWM2",
       [this] {
         EditThroughDialog(0, [](QDialog& dialog) {
           TypeInCell(Control<QTableView>(dialog, "channelsTable"), 0, QStringLiteral("14"));
           QTableView* params = Control<QTableView>(dialog, "paramsTable");
           TypeInCell(params, RowOf(params, "period"), QStringLiteral("4321"));
           Ok(dialog);
         });
       }},
      {"Remove PWM2",
       [this] {
         shell.ports.messages.QueueAnswer(EAnswer::Yes);
         Page().RemoveButton()->click();
       }},
      {"Engine A Channel Flags",
       [this] {
         QModelIndex odis = Cell(5, CModel::kColOdis);
         Table().edit(odis);
         auto* list = qobject_cast<QComboBox*>(Table().indexWidget(odis));
         ASSERT_NE(list, nullptr);
         QTest::keyClick(list, Qt::Key_Down);
         Settle();
         EXPECT_EQ(Text(5, CModel::kColOdis), "Low");
       }},
      {"Verbatim Block",
       [this] {
         ASSERT_TRUE(Frame().SelectPage(kPageVerbatim));
         auto& verbatim = *static_cast<CViewVerbatim*>(Frame().Page(kPageVerbatim));
         verbatim.Editor()->insertAt(QStringLiteral("#define DEMO_FAN_RAMP_MS 250U\n"), 1, 0);
         ASSERT_TRUE(Frame().SelectPage(kPageChannelsA));
       }},
  };
  for (const auto& step : steps) {
    SCOPED_TRACE(step.name);
    const CSaved before = Save();
    step.make();
    ASSERT_EQ(Doc().UndoName(), step.name);
    const CSaved after = Save();
    ASSERT_NE(after, before);
    ASSERT_TRUE(Frame().EditUndo());
    EXPECT_EQ(Save(), before);
    ASSERT_TRUE(Frame().EditRedo());
    EXPECT_EQ(Save(), after);
  }
  EXPECT_EQ(Ids(), std::vector<int>{4500});
}

// Each bundled function set in turn, chosen on the Function Set page of the
// sample project cleared of its functions: whatever the set offers, added with
// the dialog's defaults on each engine, lands in the table; the project reopens
// without a word and compiles; each function stands an Edit accepted as it
// opened, and each goes again.
TEST_F(Workflow, EveryBundledFunctionAndApplicationIsAddedEditedAndRemovedOnBothEngines) {
  for (int engine = 0; engine < 2; ++engine) {
    ASSERT_TRUE(Frame().SelectPage(engine == 0 ? kPageChannelsA : kPageChannelsB));
    Table(engine).selectAll();
    shell.ports.messages.QueueAnswer(EAnswer::Yes);
    Page(engine).RemoveButton()->click();
  }
  ASSERT_TRUE(Doc().Functions().empty());

  for (const char* set : {"kivo2/kivo_set_k2_motion.h", "kivo/kivo_set_std.h"}) {
    SCOPED_TRACE(set);
    ASSERT_TRUE(Frame().SelectPage(kPageFSet));
    auto& fsetPage = *static_cast<CViewFSet*>(Frame().Page(kPageFSet));
    Choose(fsetPage.SetList(), QString::fromLatin1(set));
    shell.ports.messages.Clear();
    struct CAdded {
      int engine;
      int channel;
      QString entry;
    };
    std::vector<CAdded> added;
    for (int engine = 0; engine < 2; ++engine) {
      ASSERT_TRUE(Frame().SelectPage(engine == 0 ? kPageChannelsA : kPageChannelsB));
      int next = 0;
      for (QPushButton* command : {Page(engine).AddFunctionButton(), Page(engine).AddApplicationButton()}) {
        QStringList entries;
        WithDialog([command] { command->click(); }, [&](QDialog& dialog) {
          auto* list = dialog.findChild<QComboBox*>(QStringLiteral("functionList"));
          for (int i = 0; list && i < list->count(); ++i)
            entries << list->itemText(i);
        });
        EXPECT_FALSE(entries.isEmpty());
        for (const QString& entry : entries) {
          SCOPED_TRACE(entry.toStdString() + (engine == 0 ? " on A" : " on B"));
          // Every row from `next` on is free: the function starts there.
          ASSERT_LT(next, 32) << "the engine's channels ran out";
          ClickRow(next, engine);
          bool accepted = false;
          WithDialog([command] { command->click(); }, [&](QDialog& dialog) {
            Choose(Control<QComboBox>(dialog, "functionList"), entry);
            Ok(dialog);
            accepted = !dialog.isVisible();
          });
          ASSERT_TRUE(accepted) << ::testing::PrintToString(Ids());
          const CProjDoc::CFuncInfo* func = Doc().FindChannelUser(engine, next);
          ASSERT_NE(func, nullptr);
          EXPECT_TRUE(Text(next, CModel::kColFunction, engine).startsWith(entry));
          added.push_back({engine, next, entry});
          for (const auto& channel : func->channels)
            next = std::max(next, channel->number + 1);
        }
      }
    }
    EXPECT_TRUE(Ids().empty()) << ::testing::PrintToString(Ids());
    const CSaved saved = Save();

    ASSERT_TRUE(Frame().FileOpen(QString::fromStdString(Source().string())));
    EXPECT_TRUE(Ids().empty()) << ::testing::PrintToString(Ids());
    ASSERT_EQ(Doc().Functions().size(), added.size());
    CProcessResult compiled = CompileSyntax(Source());
    EXPECT_EQ(compiled.exitCode, 0) << compiled.err;
    CProcessResult check = Cli({"check", Source().string()});
    EXPECT_EQ(check.exitCode, 0) << check.out << check.err;

    for (const CAdded& func : added) {
      SCOPED_TRACE(func.entry.toStdString());
      ASSERT_TRUE(Frame().SelectPage(func.engine == 0 ? kPageChannelsA : kPageChannelsB));
      EXPECT_TRUE(Text(func.channel, CModel::kColFunction, func.engine).startsWith(func.entry));
      ClickRow(func.channel, func.engine);
      EditThroughDialog(func.engine, [](QDialog& dialog) { Ok(dialog); });
    }
    EXPECT_EQ(Save(), saved);
    for (const CAdded& func : added) {
      ASSERT_TRUE(Frame().SelectPage(func.engine == 0 ? kPageChannelsA : kPageChannelsB));
      ClickRow(func.channel, func.engine);
      shell.ports.messages.QueueAnswer(EAnswer::Yes);
      Page(func.engine).RemoveButton()->click();
      EXPECT_EQ(Text(func.channel, CModel::kColFunction, func.engine), "") << func.entry.toStdString();
    }
    EXPECT_TRUE(Doc().Functions().empty());
    EXPECT_EQ(Ids(), std::vector<int>(added.size(), 4500));
  }
}

// Every page shown once, as the user goes through them, changes nothing: the
// save writes what the command-line tool writes for the same project, which
// compiles and reads back to the same model.
TEST_F(Workflow, SampleProjectSavedAfterVisitingEveryPageIsWhatTheToolWrites) {
  QTabBar* bar = Frame().Tabs()->TabBar();
  ASSERT_EQ(shell.Tabs().back(), "Project Notes");
  for (int tab = 0; tab < bar->count(); ++tab) {
    bar->setCurrentIndex(tab);
    Settle();
  }
  bar->setCurrentIndex(0);
  const CSaved saved = Save();
  EXPECT_TRUE(Ids().empty()) << ::testing::PrintToString(Ids());

  CTempDir generated;
  CProcessResult cli = Cli({"generate", SourcePath("examples/demo").string(), "-o", (generated / "kivo_vam.c").string()});
  ASSERT_EQ(cli.exitCode, 0) << cli.err;
  EXPECT_EQ(saved.source, ReadFileBytes(generated / "kivo_vam.c"));
  EXPECT_EQ(saved.header, ReadFileBytes(generated / "kivo_vam.h"));

  CProcessResult compiled = CompileSyntax(Source());
  EXPECT_EQ(compiled.exitCode, 0) << compiled.err;
  CProcessResult check = Cli({"check", Source().string()});
  EXPECT_EQ(check.exitCode, 0) << check.out << check.err;
  EXPECT_EQ(Show(Source()), Show(SourcePath("examples/demo/kivo_vam.c")));
}

}  // namespace
