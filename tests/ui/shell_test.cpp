// The main window over the bundled library: tabs by processor, pane commands,
// leaving a page, the file commands, the Help menu and the settings written.
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QSettings>
#include <QStatusBar>
#include <QTabBar>
#include <QTest>
#include <QToolBar>
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

#include <cstdlib>

#include "base/paths.h"
#include "project/projdoc.h"
#include "ui/aboutdialog.h"
#include "ui/balloontip.h"
#include "ui/mainframe.h"
#include "ui/optionsdialog.h"
#include "ui/pages.h"
#include "ui/qtports.h"
#include "ui/viewbase.h"
#include "ui/viewtab.h"
#include "common/damagedproject.h"
#include "uitestsupport.h"

namespace fs = std::filesystem;

namespace {

using Strings = std::vector<std::string>;

const std::string kDemo = SourcePath("examples/demo/kivo_vam.c").string();

// The notes page comes and goes with the project's notes; the tests look at
// the pages before it.
Strings WithoutNotes(Strings tabs) {
  std::erase(tabs, "Project Notes");
  return tabs;
}

TEST(MainFrame, TwoEngineProcessorShowsTheEngineBPages) {
  CShell shell;
  ASSERT_TRUE(shell.Start({kDemo})) << ::testing::PrintToString(shell.ports.messages.Ids());
  EXPECT_EQ(WithoutNotes(shell.Tabs()), (Strings{"Processor", "Function Set", "Engine A", "Engine A Channels", "Engine B",
                                                 "Engine B Channels", "Verbatim Block", "Generated Code"}));
  EXPECT_EQ(shell.Frame().CurrentPage(), kPageCpu);
  // Every field of every page, the hidden ones too, can be named by a screen reader.
  EXPECT_EQ(UnlabelledControls(&shell.Frame()), Strings{});
  EXPECT_EQ(shell.Frame().windowTitle(), "kivo_vam.c[*] - Kivo Vam");
  EXPECT_FALSE(shell.Frame().isWindowModified());
  // KV_UI_SHOTS=folder keeps a picture of each page for a look by eye.
  if (QString folder = qEnvironmentVariable("KV_UI_SHOTS"); !folder.isEmpty()) {
    for (int page = 0; page < kPageCount; ++page) {
      if (shell.Frame().SelectPage(page))
        shell.Frame().grab().save(QStringLiteral("%1/page%2.png").arg(folder).arg(page));
    }
  }
}

TEST(MainFrame, OneEngineProcessorHidesThemAndPanesSkipThem) {
  CShell shell;
  ASSERT_TRUE(shell.Start({"-CPU=Vandrel V110", "-SYSCLK=80"}));
  ASSERT_EQ(shell.Frame().Doc().m_cpu.engines, 1);
  EXPECT_EQ(WithoutNotes(shell.Tabs()),
            (Strings{"Processor", "Function Set", "Engine A", "Engine A Channels", "Verbatim Block", "Generated Code"}));
  CMainFrame& frame = shell.Frame();
  CViewTab& tabs = *frame.Tabs();
  EXPECT_EQ(tabs.TabOfPage(kPageVerbatim), 4);
  EXPECT_EQ(tabs.TabOfPage(kPageEngineB), -1);
  EXPECT_EQ(tabs.PageOfTab(4), kPageVerbatim);
  ASSERT_TRUE(frame.SelectPage(kPageChannelsA));
  frame.NextPane();
  EXPECT_EQ(frame.CurrentPage(), kPageVerbatim);
  EXPECT_FALSE(frame.SelectPage(kPageEngineB));  // no tab, no page
  EXPECT_EQ(frame.CurrentPage(), kPageVerbatim);
  EXPECT_EQ(frame.windowTitle(), "untitled_kivo_vam[*] - Kivo Vam");
}

TEST(MainFrame, PanesWrapBothWays) {
  CShell shell;
  ASSERT_TRUE(shell.Start({kDemo}));
  CMainFrame& frame = shell.Frame();
  int last = frame.Tabs()->PageOfTab(frame.Tabs()->TabBar()->count() - 1);
  frame.PreviousPane();
  EXPECT_EQ(frame.CurrentPage(), last);
  frame.NextPane();
  EXPECT_EQ(frame.CurrentPage(), kPageCpu);
  frame.NextPane();
  EXPECT_EQ(frame.CurrentPage(), kPageFSet);
}

TEST(MainFrame, ClickedTabsOpenTheirPages) {
  CShell shell;
  ASSERT_TRUE(shell.Start({kDemo}));
  CMainFrame& frame = shell.Frame();
  frame.show();
  QTabBar* bar = frame.Tabs()->TabBar();
  for (int page : {kPageEngineA, kPageFSet, kPageEngineB, kPageChannelsA, kPageCpu}) {
    SCOPED_TRACE(page);
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(frame.Tabs()->TabOfPage(page)).center());
    Settle();
    EXPECT_EQ(frame.CurrentPage(), page);
  }
  EXPECT_EQ(shell.ports.messages.Ids(), std::vector<int>{});
}

struct CKeyCase {
  const char* name;
  QKeyCombination key;
  int expectedPage;  // from the Function Set page
};

class PaneKeys : public ::testing::TestWithParam<CKeyCase> {};

TEST_P(PaneKeys, MoveBetweenPages) {
  CShell shell;
  ASSERT_TRUE(shell.Start({kDemo}));
  CMainFrame& frame = shell.Frame();
  frame.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&frame));
  ASSERT_TRUE(frame.SelectPage(kPageFSet));
  QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : &frame, GetParam().key.key(),
                  GetParam().key.keyboardModifiers());
  EXPECT_EQ(frame.CurrentPage(), GetParam().expectedPage);
}

INSTANTIATE_TEST_SUITE_P(Keys, PaneKeys,
                         ::testing::Values(CKeyCase{"CtrlTab", Qt::CTRL | Qt::Key_Tab, kPageEngineA},
                                           CKeyCase{"CtrlF4", Qt::CTRL | Qt::Key_F4, kPageEngineA},
                                           CKeyCase{"F6", QKeyCombination(Qt::Key_F6), kPageEngineA},
                                           CKeyCase{"CtrlShiftTab", Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab, kPageCpu},
                                           CKeyCase{"CtrlShiftF4", Qt::CTRL | Qt::SHIFT | Qt::Key_F4, kPageCpu},
                                           CKeyCase{"ShiftF6", Qt::SHIFT | Qt::Key_F6, kPageCpu}),
                         [](const auto& row) { return std::string(row.param.name); });

// A page that refuses to be left while its field holds no number, as the
// real pages do with their own messages.
class CFieldView final : public CViewBase {
 public:
  CFieldView(CProjDoc& doc, int index) : CViewBase(doc, index), field(new QLineEdit(this)) {}
  void LoadControls() override { ++loads; }
  bool StoreControls(bool validate) override {
    ++stores;
    int value = 0;
    if (ReadInteger(field->text(), value))
      return true;
    if (validate) {
      ShowMessage(4013, EMessageKind::Warning);
      field->setFocus();
    }
    return !validate;
  }
  QLineEdit* field;
  int loads = 0;
  int stores = 0;
};

struct CHost {
  explicit CHost(CProjDoc& doc) {
    for (int index = 0; index < kPageCount; ++index) {
      views.push_back(new CFieldView(doc, index));
      views.back()->field->setText("1");
      tabs.AddPage(views.back(), PageCaption(index));
    }
  }
  CViewTab tabs;
  std::vector<CFieldView*> views;
};

TEST(ViewTab, RefusedLeaveKeepsThePageAndRecordsTheMessage) {
  CShell shell;
  ASSERT_TRUE(shell.Start({kDemo}));
  CHost host(shell.Frame().Doc());
  host.views[kPageCpu]->field->setText("12 MHz");
  EXPECT_FALSE(host.tabs.SelectPage(kPageEngineA));
  EXPECT_EQ(host.tabs.CurrentPage(), kPageCpu);
  EXPECT_EQ(shell.ports.messages.Ids(), std::vector<int>{4013});
  // A click on another tab is a request like any other.
  host.tabs.TabBar()->setCurrentIndex(2);
  EXPECT_EQ(host.tabs.CurrentPage(), kPageCpu);
  EXPECT_EQ(host.tabs.TabBar()->currentIndex(), 0);
  EXPECT_EQ(shell.ports.messages.Ids(), (std::vector<int>{4013, 4013}));

  host.views[kPageCpu]->field->setText("0x10");
  int loads = host.views[kPageEngineA]->loads;
  EXPECT_TRUE(host.tabs.SelectPage(kPageEngineA));
  EXPECT_EQ(host.views[kPageEngineA]->loads, loads + 1);  // reloaded on arrival
}

TEST(ViewTab, AHiddenPageComesBackInItsPlace) {
  CShell shell;
  ASSERT_TRUE(shell.Start({kDemo}));
  CHost host(shell.Frame().Doc());
  host.tabs.SetPageVisible(kPageEngineB, false);
  host.tabs.SetPageVisible(kPageChannelsB, false);
  host.tabs.SetPageVisible(kPageNotes, true);
  host.tabs.SetPageVisible(kPageEngineB, true);
  QTabBar* bar = host.tabs.TabBar();
  std::vector<QString> texts;
  for (int i = 0; i < bar->count(); ++i)
    texts.push_back(bar->tabText(i));
  EXPECT_EQ(texts, (std::vector<QString>{"Processor", "Function Set", "Engine A", "Engine A Channels", "Engine B",
                                         "Verbatim Block", "Generated Code", "Project Notes"}));
  // Hiding the current page moves on to the next one without asking it.
  ASSERT_TRUE(host.tabs.SelectPage(kPageEngineB));
  host.views[kPageEngineB]->field->setText("bad");
  host.tabs.SetPageVisible(kPageEngineB, false);
  EXPECT_EQ(host.tabs.CurrentPage(), kPageVerbatim);
  EXPECT_EQ(bar->currentIndex(), host.tabs.TabOfPage(kPageVerbatim));
  // The last tab hidden while current wraps to the first.
  ASSERT_TRUE(host.tabs.SelectPage(kPageNotes));
  host.tabs.SetPageVisible(kPageNotes, false);
  EXPECT_EQ(host.tabs.CurrentPage(), kPageCpu);
  EXPECT_TRUE(shell.ports.messages.Messages().empty());
}

TEST(ViewBase, ReadsIntegersTheWayTheFormsDo) {
  struct CCase {
    const char* text;
    bool ok;
    int value;
  };
  const CCase cases[] = {{"42", true, 42},   {"  -7", true, -7},  {"0x1F", true, 31}, {"0X10 ", true, 16},
                         {"12 MHz", false, 0}, {"", false, 0},     {"x", false, 0},    
                         {"3.5", false, 0},  {"\t8", true, 8}};
  for (const CCase& c : cases) {
    int value = 0;
    EXPECT_EQ(CViewBase::ReadInteger(c.text, value), c.ok) << c.text;
    if (c.ok) {
      EXPECT_EQ(value, c.value) << c.text;
    }
  }
}

TEST(MainFrame, WindowStartsAtTheLargestPageAndGoesNoSmaller) {
  CShell shell;
  ASSERT_TRUE(shell.Start({kDemo}));
  CMainFrame& frame = shell.Frame();
  QSize largest = frame.Tabs()->LargestPageSize();
  EXPECT_GE(frame.centralWidget()->width(), largest.width());
  EXPECT_GE(frame.centralWidget()->height(), largest.height());
  EXPECT_EQ(frame.minimumSize(), frame.MinimumFrameSize());
  frame.resize(100, 100);
  EXPECT_GE(frame.width(), frame.minimumWidth());
  EXPECT_GE(frame.height(), frame.minimumHeight());
}

TEST(MainFrame, VersionCheckerStartsOnceAtTheFirstIdleMoment) {
  CShell shell;
  WriteFileBytes(shell.Folder() / "kivovam.nsp", "");
  ASSERT_TRUE(shell.Start({kDemo}));
  EXPECT_TRUE(shell.started.empty());  // not before the loop runs
  Settle();
  shell.Frame().hide();
  shell.Frame().show();
  Settle();
  ASSERT_EQ(shell.started.size(), 1u);
  EXPECT_EQ(shell.started[0].program, (shell.Folder() / "newscout").string());
  EXPECT_TRUE(shell.started[0].args.empty());
  shell.Frame().PrepareHelpMenu();
  QAction* check = shell.Frame().Action(ECommand::CheckForNewVersion);
  ASSERT_TRUE(check->isEnabled());
  check->trigger();
  ASSERT_EQ(shell.started.size(), 2u);
  EXPECT_EQ(shell.started[1].args, Strings{"/gui"});
}

TEST(MainFrame, VersionCheckItemStaysDisabledWithoutTheChecker) {
  CShell shell;
  fs::remove(shell.Folder() / "newscout");
  ASSERT_TRUE(shell.Start({kDemo}));
  Settle();
  shell.Frame().PrepareHelpMenu();
  EXPECT_FALSE(shell.Frame().Action(ECommand::CheckForNewVersion)->isEnabled());
  EXPECT_TRUE(shell.started.empty());
}

QStringList MenuTexts(const QMenu* menu) {
  QStringList texts;
  for (const QAction* action : menu->actions()) {
    if (!action->isVisible())
      continue;
    QString text = action->isSeparator() ? QStringLiteral("--") : action->text();
    if (action->menu())
      text += QStringLiteral(" >");
    if (!action->isEnabled())
      text = "(" + text + ")";
    texts << text;
  }
  return texts;
}

TEST(MainFrame, MenusCarryTheirTextsAndAccelerators) {
  CShell shell;
  ASSERT_TRUE(shell.Start({kDemo}));
  CMainFrame& frame = shell.Frame();
  QStringList bar;
  std::map<QString, QStringList> items;
  for (QAction* action : frame.menuBar()->actions()) {
    bar << action->text();
    if (action->text() != "&File")
      items[action->text()] = MenuTexts(action->menu());
  }
  EXPECT_EQ(bar, (QStringList{"&File", "&Edit", "&View", "Kiv&o", "&Help"}));
  // Nothing to undo or redo in a project just opened.
  EXPECT_EQ(items["&Edit"],
            (QStringList{"(&Undo\tCtrl+Z)", "(&Redo\tCtrl+Y)", "--", "Cu&t", "&Copy", "&Paste"}));
  EXPECT_EQ(items["&View"], (QStringList{"&Next Pane", "&Toolbar", "&Status Bar", "--", "&Problems", "&Channel Map"}));
  EXPECT_EQ(items["Kiv&o"], (QStringList{"&Options..."}));
  EXPECT_EQ(items["&Help"].mid(0, 3), (QStringList{"&User's Manual", "&Kivo Reference Manual", "Application &Notes >"}));
  EXPECT_EQ(items["&Help"].mid(4, 3), (QStringList{"(Check for a New Version...)", "--", "&About..."}));
  frame.PrepareFileMenu();
  EXPECT_EQ(MenuTexts(frame.FileMenu()),
            (QStringList{"&New", "&Open...", "&Save", "Save &As...", "Export Channel &Map...", "--",
                         "&1 " + QString::fromStdString(fs::path(kDemo).lexically_normal().string()), "--", "E&xit"}));

  struct CKeys {
    ECommand command;
    QList<QKeySequence> keys;
  };
  const CKeys keys[] = {
      {ECommand::FileNew, {QKeySequence("Ctrl+N")}},
      {ECommand::FileOpen, {QKeySequence("Ctrl+O")}},
      {ECommand::FileSave, {QKeySequence("Ctrl+S")}},
      {ECommand::FileExit, {QKeySequence("Alt+F4")}},
      {ECommand::EditCut, {QKeySequence("Ctrl+X"), QKeySequence("Shift+Del")}},
      {ECommand::EditCopy, {QKeySequence("Ctrl+C"), QKeySequence("Ctrl+Ins")}},
      {ECommand::EditPaste, {QKeySequence("Ctrl+V"), QKeySequence("Shift+Ins")}},
      {ECommand::EditUndo, {QKeySequence("Ctrl+Z"), QKeySequence("Alt+Backspace")}},
      {ECommand::EditRedo, {QKeySequence("Ctrl+Y"), QKeySequence("Ctrl+Shift+Z")}},
      {ECommand::Print, {QKeySequence("Ctrl+P")}},
      {ECommand::NextPane, {QKeySequence("Ctrl+Tab"), QKeySequence("Ctrl+F4"), QKeySequence("F6")}},
  };
  for (const CKeys& k : keys) {
    QAction* action = frame.Action(k.command);
    ASSERT_NE(action, nullptr) << static_cast<int>(k.command);
    EXPECT_EQ(action->shortcuts(), k.keys) << action->text().toStdString();
  }
  EXPECT_EQ(frame.Action(ECommand::PreviousPane)->shortcuts().size(), 4);
  EXPECT_EQ(frame.Action(ECommand::UserManual)->statusTip(), "Open User Manual for this application");
  EXPECT_EQ(frame.Action(ECommand::ReferenceManual)->statusTip(), "Open Kivo User Manual");
  EXPECT_EQ(frame.Action(ECommand::CheckForNewVersion)->statusTip(), "Run Newscout tool for this application");
}

TEST(MainFrame, AppNotesSubmenuIsRebuiltAtEachOpening) {
  CShell shell;
  ASSERT_TRUE(shell.Start({kDemo}));
  CMainFrame& frame = shell.Frame();
  Q_EMIT frame.HelpMenu()->aboutToShow();
  QStringList bundled = MenuTexts(frame.AppNotesMenu());
  EXPECT_FALSE(bundled.isEmpty());
  EXPECT_FALSE(bundled.contains("(No documents found)"));

  FolderSettings().appNotesFolder = FixturePath("appnotes/notes").string();
  Q_EMIT frame.HelpMenu()->aboutToShow();
  QStringList texts = MenuTexts(frame.AppNotesMenu());
  EXPECT_EQ(texts, (QStringList{"Getting Started >", "Zeta >", "examples >", "--", "Zulu.pdf", "_under.txt", "alpha.htm"}));
  std::vector<std::string> opened;
  shell.App().openDocument = [&](const std::string& path) {
    opened.push_back(path);
    return true;
  };
  frame.AppNotesMenu()->actions().back()->trigger();
  EXPECT_EQ(opened, Strings{FixturePath("appnotes/notes/alpha.htm").string()});

  FolderSettings().appNotesFolder = (shell.Folder() / "nothing").string();
  Q_EMIT frame.HelpMenu()->aboutToShow();
  EXPECT_EQ(MenuTexts(frame.AppNotesMenu()), QStringList{"(No documents found)"});
}

// The whole file system as the notes folder: the window comes up without
// reading it, and the submenu is as much of it as the walk's bounds allow.
TEST(MainFrame, WindowAppearsPromptlyWithTheRootAsNotesFolder) {
  CShell shell;
  shell.ports.settings.values["Software/Halvora/Kivo Vam/Options/AppnFolder"] = "/";
  QElapsedTimer clock;
  clock.start();
  ASSERT_TRUE(shell.Start({kDemo}));
  Settle();
  EXPECT_LT(clock.elapsed(), 10000);
  CMainFrame& frame = shell.Frame();
  EXPECT_TRUE(frame.isVisible());
  EXPECT_TRUE(frame.AppNotesMenu()->isEmpty());

  clock.restart();
  Q_EMIT frame.HelpMenu()->aboutToShow();
  EXPECT_LT(clock.elapsed(), 10000);
  QStringList texts = MenuTexts(frame.AppNotesMenu());
  ASSERT_FALSE(texts.isEmpty());
  EXPECT_EQ(texts.back(), "(More documents...)");
  EXPECT_LE(shell.App().AppNoteDocuments().size(), 500u);
}

TEST(MainFrame, MissingManualShowsItsPath) {
  CShell shell;
  ASSERT_TRUE(shell.Start({kDemo}));
  FolderSettings().referenceManualPath = "doc/none.pdf";
  shell.Frame().Action(ECommand::ReferenceManual)->trigger();
  ASSERT_EQ(shell.ports.messages.Ids(), std::vector<int>{4040});
  EXPECT_EQ(shell.ports.messages.Messages()[0].kind, EMessageKind::Error);
  EXPECT_NE(shell.ports.messages.Messages()[0].text.find((shell.Folder() / "doc/none.pdf").string()), std::string::npos);
}

TEST(MainFrame, FsetPathIsNeverStored) {
  CShell shell;
  const std::string key = "Software/Halvora/Kivo Vam/Options/FSetFolder";
  shell.ports.settings.values[key] = "mine";
  ASSERT_TRUE(shell.Start({"-FSETPATH=" + (shell.Folder() / "fsets").string(), kDemo}));
  COptionsDialog dialog(shell.App(), &shell.Frame());
  EXPECT_FALSE(dialog.FunctionSetField()->isEnabled());
  EXPECT_FALSE(dialog.FunctionSetBrowse()->isEnabled());
  dialog.AppNotesField()->setText("notes");
  dialog.accept();
  EXPECT_FALSE(shell.ports.messages.Has(4034));
  shell.App().WriteSettings();
  EXPECT_EQ(shell.ports.settings.values[key], "mine");
  EXPECT_EQ(shell.ports.settings.values["Software/Halvora/Kivo Vam/Options/AppnFolder"], "notes");
}

// A relative path means nothing until one knows where the program lies.
TEST(OptionsDialog, NoteNamesTheProgramFolder) {
  CShell shell;
  ASSERT_TRUE(shell.Start({kDemo}));
  COptionsDialog dialog(shell.App(), &shell.Frame());
  auto* note = dialog.findChild<QLabel*>(QStringLiteral("pathNote"));
  ASSERT_NE(note, nullptr);
  EXPECT_TRUE(note->text().endsWith(QString::fromStdString(":\n" + shell.Folder().string()))) << note->text().toStdString();
  EXPECT_FALSE(note->text().contains(QStringLiteral(".exe")));
}

TEST(OptionsDialog, BrowsedPathsInsideTheProgramFolderBecomeRelative) {
  CShell shell;
  ASSERT_TRUE(shell.Start({kDemo}));
  COptionsDialog dialog(shell.App(), &shell.Frame());
  EXPECT_EQ(dialog.FunctionSetField()->text(), "fsets");
  QString title, start;
  dialog.chooseFolder = [&](const QString& t, const QString& s) {
    title = t;
    start = s;
    return QString::fromStdString((shell.Folder() / "fsets/kivo2").string());
  };
  dialog.BrowseFunctionSets();
  EXPECT_EQ(title, "Browse Directory");
  EXPECT_EQ(start.toStdString(), (shell.Folder() / "fsets").string());
  EXPECT_EQ(dialog.FunctionSetField()->text(), "fsets/kivo2");
  dialog.chooseFolder = [&](const QString&, const QString&) {
    return QString::fromStdString(shell.Folder().string() + "-sibling/notes");
  };
  dialog.BrowseAppNotes();
  EXPECT_EQ(dialog.AppNotesField()->text().toStdString(), shell.Folder().string() + "-sibling/notes");
  dialog.chooseManual = [&](const QString&) { return QString::fromStdString((shell.Folder() / "doc/rm.pdf").string()); };
  dialog.BrowseManual();
  EXPECT_EQ(dialog.ReferenceManualField()->text(), "doc/rm.pdf");
  dialog.accept();
  EXPECT_EQ(shell.ports.messages.Ids(), std::vector<int>{4034});
  EXPECT_EQ(FolderSettings().functionSetFolder, "fsets/kivo2");
  // Every field is reachable by its label.
  EXPECT_EQ(UnlabelledControls(&dialog), Strings{});
}

TEST(MainFrame, ModifiedProjectAsksBeforeNew) {
  CShell shell;
  ASSERT_TRUE(shell.Start({kDemo}));
  CMainFrame& frame = shell.Frame();
  frame.Doc().SetModifiedFlag(true);
  frame.UpdateTitle();
  EXPECT_TRUE(frame.isWindowModified());
  QStringList asked;
  frame.askSaveChanges = [&](const QString& name) {
    asked << name;
    return QMessageBox::Cancel;
  };
  EXPECT_FALSE(frame.FileNew());
  EXPECT_TRUE(frame.Doc().IsModified());
  EXPECT_EQ(asked, QStringList{"kivo_vam.c"});
  frame.askSaveChanges = [](const QString&) { return QMessageBox::No; };
  EXPECT_TRUE(frame.FileNew());
  EXPECT_FALSE(frame.Doc().IsModified());
  EXPECT_EQ(frame.windowTitle(), "untitled_kivo_vam[*] - Kivo Vam");
  EXPECT_FALSE(frame.isWindowModified());
}

TEST(MainFrame, SaveAsWritesTheProjectAndRenamesTheWindow) {
  CShell shell;
  ASSERT_TRUE(shell.Start({kDemo}));
  CMainFrame& frame = shell.Frame();
  CTempDir out;
  frame.askFileName = [&](bool save, const QString&) {
    EXPECT_TRUE(save);
    return QString::fromStdString((out / "board").string());
  };
  frame.Doc().SetModifiedFlag(true);
  ASSERT_TRUE(frame.FileSaveAs()) << ::testing::PrintToString(shell.ports.messages.Ids());
  EXPECT_TRUE(fs::exists(out / "board.c"));
  EXPECT_TRUE(fs::exists(out / "board.h"));
  EXPECT_EQ(frame.windowTitle(), "board.c[*] - Kivo Vam");
  EXPECT_FALSE(frame.isWindowModified());
  EXPECT_EQ(shell.App().RecentFiles().Files().front(), (out / "board.c").string());
  // Closing now asks nothing.
  frame.askSaveChanges = [](const QString&) -> QMessageBox::StandardButton {
    ADD_FAILURE() << "asked to save an unmodified project";
    return QMessageBox::Cancel;
  };
  EXPECT_TRUE(frame.close());
}

TEST(MainFrame, EditCommandsReachTheFocusedField) {
  CShell shell;
  ASSERT_TRUE(shell.Start({kDemo}));
  CMainFrame& frame = shell.Frame();
  frame.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&frame));
  auto* field = new QLineEdit("frequency", frame.Page(kPageCpu));
  field->show();
  field->setFocus();
  field->selectAll();
  frame.Action(ECommand::EditCut)->trigger();
  EXPECT_EQ(field->text(), "");
  frame.Action(ECommand::EditPaste)->trigger();
  EXPECT_EQ(field->text(), "frequency");
  // In a field, Ctrl+Z takes back the field's own typing, not a step of the project.
  QTest::keyClick(field, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(field->text(), "");
  EXPECT_TRUE(frame.EditField(EFieldEdit::Redo));
  EXPECT_EQ(field->text(), "frequency");
}

TEST(MainFrame, BarsFollowTheViewMenuAndAreRemembered) {
  CShell shell;
  ASSERT_TRUE(shell.Start({kDemo}));
  QSize withBars = shell.Frame().minimumSize();
  shell.Frame().Action(ECommand::ViewStatusBar)->trigger();
  shell.Frame().Action(ECommand::ViewToolbar)->trigger();
  EXPECT_LT(shell.Frame().minimumHeight(), withBars.height());
  EXPECT_FALSE(shell.Frame().statusBar()->isVisible());
  EXPECT_FALSE(shell.Frame().ToolBar()->isVisible());
  EXPECT_EQ(shell.ports.settings.values["Software/Halvora/Kivo Vam/ToolBars/StatusBar"], "0");
  CMainFrame again(shell.App());
  EXPECT_FALSE(again.Action(ECommand::ViewStatusBar)->isChecked());
  EXPECT_FALSE(again.Action(ECommand::ViewToolbar)->isChecked());
}

TEST(BalloonTip, OneAtATimeAndGoneWhenThePageChanges) {
  CShell shell;
  ASSERT_TRUE(shell.Start({kDemo}));
  CMainFrame& frame = shell.Frame();
  frame.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&frame));
  Settle();
  BalloonTip::ShowFor(frame.Page(kPageCpu), "first");
  QWidget* first = BalloonTip::Current();
  ASSERT_NE(first, nullptr);
  BalloonTip::ShowFor(frame.Page(kPageCpu), "second");
  EXPECT_NE(BalloonTip::Current(), nullptr);
  Settle();
  EXPECT_EQ(QApplication::topLevelWidgets().count(first), 0);  // the first one is gone
  ASSERT_NE(BalloonTip::Current(), nullptr);
  EXPECT_LE(BalloonTip::Current()->width(), BalloonTip::MaximumWidth(&frame));
  frame.NextPane();
  EXPECT_EQ(BalloonTip::Current(), nullptr);
  BalloonTip::ShowFor(frame.Page(kPageFSet), "third");
  frame.move(frame.pos() + QPoint(5, 5));
  Settle();
  EXPECT_EQ(BalloonTip::Current(), nullptr);
  BalloonTip::ShowAt(&frame, frame.mapToGlobal(QPoint(10, 10)), "brief", 30);
  EXPECT_NE(BalloonTip::Current(), nullptr);
  Settle(100);
  EXPECT_EQ(BalloonTip::Current(), nullptr);
}

TEST(MainFrame, RecentFilesOpenAndForgetTheMissing) {
  CShell shell;
  CTempDir gone;
  shell.ports.settings.values["Software/Halvora/Kivo Vam/Recent File List/File1"] = (gone / "old.c").string();
  ASSERT_TRUE(shell.Start({}));
  CMainFrame& frame = shell.Frame();
  frame.PrepareFileMenu();
  EXPECT_EQ(frame.RecentAction(0)->text().toStdString(), "&1 " + (gone / "old.c").string());
  EXPECT_FALSE(frame.FileOpenRecent(0));
  EXPECT_EQ(shell.ports.messages.Ids(), std::vector<int>{4000});
  EXPECT_TRUE(shell.App().RecentFiles().Files().empty());
  frame.PrepareFileMenu();
  EXPECT_EQ(MenuTexts(frame.FileMenu()).mid(5, 3), (QStringList{"--", "(Recent File)", "--"}));
  ASSERT_TRUE(frame.FileOpen(QString::fromStdString(kDemo)));
  ASSERT_TRUE(frame.FileNew());
  EXPECT_TRUE(frame.FileOpenRecent(0));
  EXPECT_EQ(frame.windowTitle(), "kivo_vam.c[*] - Kivo Vam");
  shell.App().WriteSettings();
  EXPECT_EQ(shell.ports.settings.values["Software/Halvora/Kivo Vam/Recent File List/File1"],
            fs::path(kDemo).lexically_normal().string());
}

TEST(Startup, FailureEndsBeforeAnyWindow) {
  CShell shell;
  EXPECT_FALSE(shell.Start({"-FSETPATH=" + (shell.Folder() / "nowhere").string()}));
  EXPECT_EQ(shell.ports.messages.Ids(), std::vector<int>{4039});
}

TEST(Startup, ProgressWindowPlacesItsLineAndBarAndKeepsTheRange) {
  CStartupWindow window;
  auto* status = window.findChild<QLabel*>();
  auto* bar = window.findChild<QProgressBar*>();
  ASSERT_TRUE(status && bar);
  EXPECT_EQ(window.Text(), "Initializing...");
  EXPECT_EQ(status->geometry(), QRect(20, window.height() - 46, window.width() - 40, 15));
  EXPECT_EQ(bar->geometry(), QRect(20, window.height() - 30, window.width() - 40, 15));
  window.SetProgress(3, 10);
  window.SetProgress(7, -1);
  EXPECT_EQ(window.Range(), 10);
  EXPECT_EQ(window.Position(), 7);
  window.SetProgress(1, 100000);
  EXPECT_EQ(window.Range(), 0xFFFF);
}

TEST(Startup, SettingsStoreIsTheMakersAndTheProducts) {
  CTempDir root;
  CQtSettingsPort settings(QString::fromStdString(root.Path().string()));
  EXPECT_TRUE(settings.Write("Software\nHalvora\nKivo Vam\nOptions", "AppnFolder", "notes"));
  EXPECT_TRUE(fs::exists(root / "Halvora/Kivo Vam.conf"));
  EXPECT_EQ(settings.Read("Software\\Halvora\\Kivo Vam\\Options", "AppnFolder"), std::optional<std::string>("notes"));
  EXPECT_EQ(settings.Read("Software\nHalvora\nKivo Vam\nOptions", "FSetFolder"), std::nullopt);
  EXPECT_FALSE(settings.Write("Software", "x", "y"));
  // A value written by hand with a comma in it is still one text.
  WriteFileBytes(root / "Halvora/Kivo Vam.conf", "[Options]\nFSetFolder=sets,old\n");
  EXPECT_EQ(settings.Read("Software/Halvora/Kivo Vam/Options", "FSetFolder"), std::optional<std::string>("sets,old"));
}

// The settings as a user may keep them: the program's file a link to one
// kept elsewhere, with every value the program stores.
class LinkedSettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(root / "config/Halvora");
    fs::create_directories(root / "dotfiles");
    kept = "; kept with my other settings\n[Options]\nAppnFolder=doc/appnotes\nFSetFolder=fsets\n\n"
           "[Recent%20File%20List]\nFile1=" + kDemo + "\nFile2=\nFile3=\nFile4=\n\n[ToolBars]\nStatusBar=1\nToolbar=1\n";
    WriteFileBytes(Target(), kept);
    fs::last_write_time(Target(), fs::file_time_type::clock::now() - std::chrono::hours(1));
    fs::create_symlink(Target(), Link());
  }
  fs::path Link() const { return root / "config/Halvora/Kivo Vam.conf"; }
  fs::path Target() const { return root / "dotfiles/kivo.conf"; }
  static struct stat Stat(const fs::path& path, bool follow = true) {
    struct stat info {};
    (follow ? stat : lstat)(path.c_str(), &info);
    return info;
  }
  // A start, the window shown, `during` done, and the exit.
  void Run(const std::function<void(CShell&)>& during = {}) {
    CQtSettingsPort settings(QString::fromStdString((root / "config").string()));
    CShell shell(&settings);
    ASSERT_TRUE(shell.Start({}));
    Settle();
    if (during)
      during(shell);
    shell.Frame().close();
    shell.App().WriteSettings();
    messages = shell.ports.messages.Ids();
  }

  CTempDir root;
  std::string kept;
  std::vector<int> messages;
};

TEST_F(LinkedSettingsTest, ARunThatChangesNothingWritesNothing) {
  struct stat before = Stat(Target());
  Run();
  EXPECT_TRUE(S_ISLNK(Stat(Link(), false).st_mode));
  EXPECT_EQ(Stat(Target()).st_ino, before.st_ino);
  EXPECT_EQ(Stat(Target()).st_mtim.tv_sec, before.st_mtim.tv_sec);
  EXPECT_EQ(Stat(Target()).st_mtim.tv_nsec, before.st_mtim.tv_nsec);
  EXPECT_EQ(ReadFileBytes(Target()), kept);
  EXPECT_TRUE(messages.empty());
}

TEST_F(LinkedSettingsTest, AChangeIsWrittenThroughTheLinkInPlace) {
  ino_t inode = Stat(Target()).st_ino;
  Run([](CShell& shell) {
    shell.App().ApplyOptions({"fsets", "doc/KIVORM.pdf", "notes"});
    shell.Frame().Action(ECommand::ViewToolbar)->trigger();
  });
  EXPECT_TRUE(S_ISLNK(Stat(Link(), false).st_mode));
  EXPECT_EQ(Stat(Target()).st_ino, inode);
  std::string expected = kept;
  expected.replace(expected.find("AppnFolder=doc/appnotes"), 23, "AppnFolder=notes");
  expected.replace(expected.find("Toolbar=1"), 9, "Toolbar=0");
  EXPECT_EQ(ReadFileBytes(Target()), expected);
  EXPECT_TRUE(messages.empty());
}

// A FIFO must not hold the start up, nor be replaced at the exit. A watchdog
// opens the FIFO for writing now and then, which succeeds only while someone
// reads it, and ends that read: a program that reads it fails the test
// instead of hanging it.
TEST_F(LinkedSettingsTest, ALinkToAFifoNeitherBlocksNorIsReplaced) {
  fs::remove(Link());
  ASSERT_EQ(mkfifo((root / "fifo").c_str(), 0600), 0);
  fs::create_symlink(root / "fifo", Link());
  std::atomic<bool> finished{false};
  std::atomic<bool> read{false};
  std::thread watchdog([&] {
    while (!finished) {
      int fd = open((root / "fifo").c_str(), O_WRONLY | O_NONBLOCK);
      if (fd >= 0) {
        read = true;
        close(fd);
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  });
  Run([](CShell& shell) {
    shell.App().ApplyOptions({"fsets", "doc/KIVORM.pdf", "notes"});
    shell.Frame().Action(ECommand::ViewToolbar)->trigger();
  });
  finished = true;
  watchdog.join();
  EXPECT_FALSE(read);
  EXPECT_TRUE(S_ISLNK(Stat(Link(), false).st_mode));
  EXPECT_TRUE(S_ISFIFO(Stat(root / "fifo", false).st_mode));
  EXPECT_EQ(messages, std::vector<int>{4090});
}

// What the program writes, Qt's own settings read alike, and the other way round.
TEST(Startup, SettingsFileIsTheOneQtKeepsInItsForm) {
  CQtSettingsPort native;
  EXPECT_EQ(native.FileOf("Software\\Halvora\\Kivo Vam\\Options"),
            QSettings(QSettings::NativeFormat, QSettings::UserScope, "Halvora", "Kivo Vam").fileName().toStdString());

  CTempDir root;
  const std::vector<std::string> values{"plain",    " lead and trail ", "a,b",       "semi;colon", "k=v",
                                        "quote\"d", "back\\slash",     "tab\tline\n", "@at",        "j\xc3\xb6rg \xe2\x82\xac",
                                        "\x01" "1",  ""};
  CQtSettingsPort ours(QString::fromStdString(root.Path().string()));
  for (std::size_t i = 0; i < values.size(); ++i)
    EXPECT_TRUE(ours.Write("Software\\Halvora\\Kivo Vam\\Recent File List", "File" + std::to_string(i), values[i]));
  QSettings qt(QString::fromStdString((root / "Halvora/Kivo Vam.conf").string()), QSettings::IniFormat);
  QSettings written(QString::fromStdString((root / "Qt/Kivo Vam.conf").string()), QSettings::IniFormat);
  for (std::size_t i = 0; i < values.size(); ++i) {
    QString key = QStringLiteral("Recent File List/File%1").arg(i);
    EXPECT_EQ(qt.value(key).toString().toStdString(), values[i]) << i;
    written.setValue(key, QString::fromStdString(values[i]));
  }
  written.sync();
  for (std::size_t i = 0; i < values.size(); ++i)
    EXPECT_EQ(ours.Read("Software/Qt/Kivo Vam/Recent File List", "File" + std::to_string(i)), values[i]) << i;
}

TEST(About, VersionFromTheBuild) {
  EXPECT_EQ(CAboutDialog::VersionText(), "1.0.0.0");
  CAboutDialog about;
  EXPECT_EQ(about.windowTitle(), "About...");
  QStringList texts;
  for (QLabel* label : about.findChildren<QLabel*>())
    texts << label->text();
  EXPECT_TRUE(texts.contains("Kivo Vam 1.0.0.0"));
  EXPECT_TRUE(texts.contains("Last Build:"));
  auto* build = about.findChild<QLineEdit*>();
  ASSERT_NE(build, nullptr);
  EXPECT_TRUE(build->isReadOnly());
  EXPECT_EQ(UnlabelledControls(&about), Strings{});
  // As the compiler writes it: "Dec  9 2026 01:17:14".
  EXPECT_TRUE(QRegularExpression("^[A-Z][a-z]{2} [ 123][0-9] [0-9]{4} [0-9]{2}:[0-9]{2}:[0-9]{2}$").match(build->text()).hasMatch())
      << build->text().toStdString();
}

// A project whose function set or processor the installation lacks: the open
// says so, and Save writes back everything it read, the calls of the missing
// set and the Kivo2 settings of the unknown processor included.
TEST(MainFrame, ProjectTheInstallationCannotInterpretWarnsAndSavesWhatItRead) {
  struct CRow {
    const char* damage;
    int message;
  };
  for (const CRow& row : {CRow{"missing_set", 4082}, CRow{"unknown_cpu", 4083}}) {
    SCOPED_TRACE(row.damage);
    CTempDir damaged;
    WriteDamagedDemo(row.damage, damaged.Path());
    struct CEpoch {
      CEpoch() { setenv("SOURCE_DATE_EPOCH", "1796733629", 1); }
      ~CEpoch() { unsetenv("SOURCE_DATE_EPOCH"); }
    } epoch;
    CShell shell;
    ASSERT_TRUE(shell.Start({(damaged / "kivo_vam.c").string()}));
    EXPECT_EQ(shell.ports.messages.Ids(), std::vector<int>{row.message});
    CMainFrame& frame = shell.Frame();
    CTempDir out;
    frame.askFileName = [&](bool, const QString&) { return QString::fromStdString((out / "kivo_vam.c").string()); };
    ASSERT_TRUE(frame.FileSaveAs()) << ::testing::PrintToString(shell.ports.messages.Ids());
    EXPECT_EQ(ReadFileBytes(out / "kivo_vam.c"), ReadFileBytes(damaged / "kivo_vam.c"));
    EXPECT_EQ(ReadFileBytes(out / "kivo_vam.h"), ReadFileBytes(damaged / "kivo_vam.h"));
  }
}

}  // namespace

namespace {

// The real main window with field pages in place of the program's own.
class FramePages : public ::testing::Test {
 protected:
  void SetUp() override {
    CMainFrame::PageFactory() = [this](int index, CProjDoc& doc) {
      auto* view = new CFieldView(doc, index);
      view->field->setText("1");
      views.push_back(view);
      return view;
    };
    ASSERT_TRUE(shell.Start({kDemo}));
  }
  void TearDown() override { CMainFrame::PageFactory() = nullptr; }
  CFieldView* View(int index) { return views.at(static_cast<std::size_t>(index)); }

  CShell shell;
  std::vector<CFieldView*> views;
};

TEST_F(FramePages, RefusedLeaveKeepsThePageWhateverAsks) {
  CMainFrame& frame = shell.Frame();
  View(kPageCpu)->field->setText("fast");
  EXPECT_FALSE(frame.NextPane());
  frame.Tabs()->TabBar()->setCurrentIndex(3);
  QTest::keyClick(frame.Tabs()->TabBar(), Qt::Key_Right);
  EXPECT_EQ(frame.CurrentPage(), kPageCpu);
  EXPECT_EQ(frame.Tabs()->TabBar()->currentIndex(), 0);
  EXPECT_EQ(shell.ports.messages.Ids(), (std::vector<int>{4013, 4013, 4013}));
  View(kPageCpu)->field->setText("0x20");
  QTest::keyClick(frame.Tabs()->TabBar(), Qt::Key_Right);
  EXPECT_EQ(frame.CurrentPage(), kPageFSet);
}

TEST_F(FramePages, SaveStopsAtAnInvalidPageAndTellsTheOthersToStore) {
  CMainFrame& frame = shell.Frame();
  CTempDir out;
  frame.askFileName = [&](bool, const QString&) { return QString::fromStdString((out / "p.c").string()); };
  ASSERT_TRUE(frame.SelectPage(kPageEngineA));
  View(kPageEngineA)->field->setText("x");
  EXPECT_FALSE(frame.FileSaveAs());
  EXPECT_FALSE(fs::exists(out / "p.c"));
  EXPECT_EQ(shell.ports.messages.Ids(), std::vector<int>{4013});

  View(kPageEngineA)->field->setText("5");
  std::vector<int> before;
  for (CFieldView* view : views)
    before.push_back(view->stores);
  ASSERT_TRUE(frame.FileSaveAs());
  EXPECT_TRUE(fs::exists(out / "p.c"));
  for (int index = 0; index < kPageCount; ++index)
    EXPECT_EQ(View(index)->stores, before[static_cast<std::size_t>(index)] + 1) << "page " << index;
}

TEST_F(FramePages, OpeningAProjectReloadsEveryPage) {
  std::vector<int> before;
  for (CFieldView* view : views)
    before.push_back(view->loads);
  ASSERT_TRUE(shell.Frame().FileOpen(QString::fromStdString(kDemo)));
  for (int index = 0; index < kPageCount; ++index)
    EXPECT_GT(View(index)->loads, before[static_cast<std::size_t>(index)]) << "page " << index;
}

}  // namespace
