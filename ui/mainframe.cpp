// The main window.
#include "ui/mainframe.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QScreen>
#include <QShowEvent>
#include <QStatusBar>
#include <QStyle>
#include <QTextEdit>
#include <QTimer>
#include <QToolBar>
#include <algorithm>

#include "app/appnotes.h"
#include "app/kivovamapp.h"
#include "app/recovery.h"
#include "base/texthelpers.h"
#include "project/notesmodel.h"
#include "project/projdoc.h"
#include "ui/aboutdialog.h"
#include "ui/balloontip.h"
#include "ui/channelmapview.h"
#include "ui/optionsdialog.h"
#include "ui/pages.h"
#include "ui/problemspane.h"
#include "ui/qsci.h"
#include "ui/uitext.h"
#include "ui/viewbase.h"
#include "ui/viewtab.h"

namespace {

constexpr const char* kToolbarName = "Toolbar";
constexpr const char* kStatusBarName = "StatusBar";
constexpr const char* kFileFilter = "Kivo Configuration Files (*.c)";

QString PlainText(QString text) {
  int tab = static_cast<int>(text.indexOf(QLatin1Char('\t')));
  if (tab >= 0)
    text.truncate(tab);
  return text.remove(QLatin1Char('&'));
}

}  // namespace

CMainFrame::CMainFrame(CKivoVamApp& app, QWidget* parent) : QMainWindow(parent), m_app(&app), m_tabs(new CViewTab(this)) {
  setCentralWidget(m_tabs);
  CreateActions();
  CreateMenus();
  CreateBars();
  CreatePages();
  m_problems = new CProblemsPane(*this, Action(ECommand::ViewProblems));
  addDockWidget(Qt::BottomDockWidgetArea, m_problems);
  m_problems->Refresh();
  CreateChannelMap();
  Doc().SetObserver(this);
  UpdatePageVisibility();
  connect(m_tabs, &CViewTab::PageChanged, this, [] { BalloonTip::Hide(); });
  m_recoveryTimer = new QTimer(this);
  m_recoveryTimer->setSingleShot(true);
  connect(m_recoveryTimer, &QTimer::timeout, this, &CMainFrame::WriteRecoveryCopy);
  askSaveChanges = [this](const QString& name) {
    return QMessageBox::question(this, QStringLiteral("Kivo Vam"),
                                 QString::fromStdString(FormatMessageText(CatalogText(9322), {FromQ(name)})),
                                 QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes);
  };
  askFileName = [this](bool save, const QString& start) {
    return save ? QFileDialog::getSaveFileName(this, QString(), start, QLatin1String(kFileFilter))
                : QFileDialog::getOpenFileName(this, QString(), start, QLatin1String(kFileFilter));
  };
  UpdateTitle();
  UpdateStatusPanes();
  UpdateFileCommands();
  UpdateUndoCommands();
  resize(500, 500);
}

CMainFrame::~CMainFrame() {
  BalloonTip::Hide();
  Doc().SetObserver(nullptr);
  // The docks are hidden once more as the window's widget part goes, when
  // this object is no longer a main frame to tell.
  if (m_channelMap)
    m_channelMap->disconnect(this);
}

CProjDoc& CMainFrame::Doc() const { return m_app->Doc(); }

// ---- Pages

std::function<CViewBase*(int, CProjDoc&)>& CMainFrame::PageFactory() {
  static std::function<CViewBase*(int, CProjDoc&)> factory;
  return factory;
}

void CMainFrame::CreatePages() {
  for (int index = 0; index < kPageCount; ++index) {
    CViewBase* view = PageFactory() ? PageFactory()(index, Doc()) : nullptr;
    if (!view)
      view = CreatePage(index, Doc());
    view->SetFrame(this);
    m_tabs->AddPage(view, PageCaption(index));
  }
  m_tabs->SetPageVisible(kPageNotes, false);
  m_tabs->SelectPage(kPageCpu);
  m_tabs->Page(kPageCpu)->setFocus();
}

CViewBase* CMainFrame::Page(int index) const { return m_tabs->Page(index); }
int CMainFrame::CurrentPage() const { return m_tabs->CurrentPage(); }
bool CMainFrame::SelectPage(int index) { return m_tabs->SelectPage(index); }
bool CMainFrame::SelectPage(const CViewBase* view) { return view && SelectPage(view->PageIndex()); }
void CMainFrame::ShowPage(int index, bool show) { m_tabs->SetPageVisible(index, show); }
void CMainFrame::ShowPage(const CViewBase* view, bool show) {
  if (view)
    ShowPage(view->PageIndex(), show);
}
bool CMainFrame::IsPageShown(int index) const { return m_tabs->IsVisible(index); }
bool CMainFrame::NextPane() { return m_tabs->SelectNext(true); }
bool CMainFrame::PreviousPane() { return m_tabs->SelectNext(false); }

QSize CMainFrame::MinimumFrameSize() const {
  QSize central = m_tabs->LargestPageSize();
  int barsHeight = 0;
  if (menuBar())
    barsHeight += menuBar()->sizeHint().height();
  if (m_toolBar && m_toolBar->isVisibleTo(this) && toolBarArea(m_toolBar) & (Qt::TopToolBarArea | Qt::BottomToolBarArea))
    barsHeight += m_toolBar->sizeHint().height();
  int barsWidth = 0;
  if (m_toolBar && m_toolBar->isVisibleTo(this) && toolBarArea(m_toolBar) & (Qt::LeftToolBarArea | Qt::RightToolBarArea))
    barsWidth += m_toolBar->sizeHint().width();
  if (statusBar()->isVisibleTo(this))
    barsHeight += statusBar()->sizeHint().height();
  // The menu bar on one line, too: a narrower window would fold it.
  int menuWidth = menuBar() ? menuBar()->sizeHint().width() : 0;
  QSize wanted(std::max(central.width() + barsWidth, menuWidth), central.height() + barsHeight);
  if (const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen())
    wanted = wanted.boundedTo(screen->availableGeometry().size());
  return wanted;
}

QSize CMainFrame::StartFrameSize() const {
  QSize size = MinimumFrameSize();
  int tabsWidth = m_tabs->TabBar()->sizeHint().width() + 2 * style()->pixelMetric(QStyle::PM_DefaultFrameWidth) + 8;
  size.setWidth(std::max(size.width(), tabsWidth));
  if (const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen())
    size = size.boundedTo(screen->availableGeometry().size());
  return size;
}

void CMainFrame::UpdatePageVisibility() {
  bool two = Doc().m_cpu.engines > 1;
  ShowPage(kPageEngineB, two);
  ShowPage(kPageChannelsB, two);
  ShowPage(kPageNotes, Doc().Notes() && Doc().Notes()->IsVisible());
}

void CMainFrame::OnProjectUpdate(CProjDoc&, int hint) {
  if (hint == kHintEverything || hint == kHintAllEngines)
    UpdatePageVisibility();
  for (int index = 0; index < m_tabs->PageCount(); ++index) {
    CViewBase* view = m_tabs->Page(index);
    if (hint == kHintStoreControls && view == m_savingFrom)
      continue;
    view->OnUpdate(hint);
  }
  if (hint != kHintStoreControls)
    m_problems->Refresh();
  if (m_channelMap)
    m_channelMap->OnProjectUpdate(hint);
  UpdateStatusPanes();
  ScheduleRecoveryCopy();
}

void CMainFrame::ScheduleRecoveryCopy() {
  CRecoveryStore* store = m_app->Recovery();
  if (!store || m_recoveryTimer->isActive())
    return;
  m_recoveryTimer->start(static_cast<int>(store->DelayBeforeWrite()));
}

void CMainFrame::WriteRecoveryCopy() {
  // A question may be open half way through a page's store: the copy waits
  // for the project to be whole again.
  if (QApplication::activeModalWidget()) {
    m_recoveryWaitsForDialog = true;
    return;
  }
  m_recoveryWaitsForDialog = false;
  m_app->KeepRecoveryCopy();
}

void CMainFrame::OnModifiedChanged(CProjDoc&) {
  UpdateTitle();
  UpdateStatusPanes();
  // Undone back to the state saved, the copy has nothing left to keep.
  ScheduleRecoveryCopy();
}

void CMainFrame::OnCommandLineLockChanged(CProjDoc&) { UpdateFileCommands(); }

void CMainFrame::OnUndoHistoryChanged(CProjDoc&) { UpdateUndoCommands(); }

// A dock rather than a page: the map stays in view beside whichever page is
// current, so an edit there, its problems and its generated code show with it.
void CMainFrame::CreateChannelMap() {
  m_channelMap = new CChannelMapDock(Doc(), this);
  addDockWidget(Qt::RightDockWidgetArea, m_channelMap);
  m_channelMap->hide();
  m_channelMap->goToChannel = [this](int engine, int channel) {
    int page = engine == 1 ? kPageChannelsB : kPageChannelsA;
    if (SelectPage(page))
      Page(page)->SelectChannelRow(channel);
  };
  QAction* toggle = Action(ECommand::ViewChannelMap);
  connect(m_channelMap, &QDockWidget::visibilityChanged, this, [this, toggle](bool visible) {
    // Hidden behind another dock's tab is still shown.
    QSignalBlocker block(toggle);
    toggle->setChecked(!m_channelMap->isHidden());
    // The map comes in beside the pages, not in their place: the window widens.
    if (visible && isVisible() && !m_channelMap->isFloating() && !isMaximized() && !isFullScreen()) {
      int wanted = MinimumFrameSize().width() + m_channelMap->minimumSizeHint().width() +
                   style()->pixelMetric(QStyle::PM_DockWidgetSeparatorExtent);
      if (const QScreen* screen = this->screen())
        wanted = std::min(wanted, screen->availableGeometry().width());
      if (width() < wanted)
        resize(wanted, height());
    }
  });
}

bool CMainFrame::ShowChannelsPage(CProjDoc&, int engine) {
  return SelectPage(engine == 1 ? kPageChannelsB : kPageChannelsA);
}

// ---- Actions, menus and bars

namespace {

enum EMenu { kNoMenu, kFileMenu, kEditMenu, kViewMenu, kKivoMenu, kHelpMenu };

// One command: where it shows, what it says, its keys and icon, and what it does.
struct CCommandRow {
  ECommand id;
  EMenu menu;
  bool separatorBefore;
  const char* text;
  const char* statusTip;
  int statusTipId;  // a catalog text instead of `statusTip`
  QKeyCombination keys[4];
  const char* iconTheme;  // on the toolbar when set
  QStyle::StandardPixmap icon;
  bool checkable;
  void (*handler)(CMainFrame& frame);
};

constexpr QStyle::StandardPixmap kNoIcon = QStyle::SP_CustomBase;

// In menu order; the recent files follow Save As, the application notes come
// before the version check.
const CCommandRow kCommands[] = {
    {ECommand::FileNew, kFileMenu, false, "&New", "Create a new project", 0, {Qt::CTRL | Qt::Key_N},
     "document-new", QStyle::SP_FileIcon, false, [](CMainFrame& f) { f.FileNew(); }},
    {ECommand::FileOpen, kFileMenu, false, "&Open...", "Open an existing project", 0, {Qt::CTRL | Qt::Key_O},
     "document-open", QStyle::SP_DialogOpenButton, false, [](CMainFrame& f) { f.FileOpen(); }},
    {ECommand::FileSave, kFileMenu, false, "&Save", "Save the project", 0, {Qt::CTRL | Qt::Key_S},
     "document-save", QStyle::SP_DialogSaveButton, false, [](CMainFrame& f) { f.FileSave(); }},
    {ECommand::FileSaveAs, kFileMenu, false, "Save &As...", "Save the project with a new name", 0, {}, nullptr,
     kNoIcon, false, [](CMainFrame& f) { f.FileSaveAs(); }},
    {ECommand::FileExportChannelMap, kFileMenu, false, "Export Channel &Map...",
     "Write the channel map to an SVG or PNG picture", 0, {}, nullptr, kNoIcon, false,
     [](CMainFrame& f) { f.ChannelMap()->Export(); }},
    {ECommand::FileExit, kFileMenu, true, "E&xit", "Quit the application; prompts to save the project", 0,
     {Qt::ALT | Qt::Key_F4}, nullptr, kNoIcon, false, [](CMainFrame& f) { f.close(); }},
    {ECommand::EditUndo, kEditMenu, false, "&Undo\tCtrl+Z", "Undo the last change of the project", 0,
     {Qt::CTRL | Qt::Key_Z, Qt::ALT | Qt::Key_Backspace}, nullptr, kNoIcon, false,
     [](CMainFrame& f) { f.EditUndo(); }},
    {ECommand::EditRedo, kEditMenu, false, "&Redo\tCtrl+Y", "Redo the change undone last", 0,
     {Qt::CTRL | Qt::Key_Y, Qt::CTRL | Qt::SHIFT | Qt::Key_Z}, nullptr, kNoIcon, false,
     [](CMainFrame& f) { f.EditRedo(); }},
    {ECommand::EditCut, kEditMenu, true, "Cu&t", "Cut the selection and put it on the Clipboard", 0,
     {Qt::CTRL | Qt::Key_X, Qt::SHIFT | Qt::Key_Delete}, "edit-cut", kNoIcon, false,
     [](CMainFrame& f) { f.EditField(EFieldEdit::Cut); }},
    {ECommand::EditCopy, kEditMenu, false, "&Copy", "Copy the selection and put it on the Clipboard", 0,
     {Qt::CTRL | Qt::Key_C, Qt::CTRL | Qt::Key_Insert}, "edit-copy", kNoIcon, false,
     [](CMainFrame& f) { f.EditField(EFieldEdit::Copy); }},
    {ECommand::EditPaste, kEditMenu, false, "&Paste", "Insert Clipboard contents", 0,
     {Qt::CTRL | Qt::Key_V, Qt::SHIFT | Qt::Key_Insert}, "edit-paste", kNoIcon, false,
     [](CMainFrame& f) { f.EditField(EFieldEdit::Paste); }},
    {ECommand::Print, kNoMenu, false, "Print", "", 0, {Qt::CTRL | Qt::Key_P}, nullptr, kNoIcon, false,
     [](CMainFrame& f) {
       if (CViewBase* page = f.Page(f.CurrentPage()))
         page->Print();
     }},
    {ECommand::NextPane, kViewMenu, false, "&Next Pane", "Switch to the next window pane", 0,
     {Qt::CTRL | Qt::Key_Tab, Qt::CTRL | Qt::Key_F4, QKeyCombination(Qt::Key_F6)}, nullptr, kNoIcon, false,
     [](CMainFrame& f) { f.NextPane(); }},
    {ECommand::PreviousPane, kNoMenu, false, "Previous Pane", "", 0,
     {Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab, Qt::CTRL | Qt::Key_Backtab, Qt::CTRL | Qt::SHIFT | Qt::Key_F4,
      Qt::SHIFT | Qt::Key_F6},
     nullptr, kNoIcon, false, [](CMainFrame& f) { f.PreviousPane(); }},
    {ECommand::ViewToolbar, kViewMenu, false, "&Toolbar", "Show or hide the toolbar", 0, {}, nullptr, kNoIcon, true,
     nullptr},
    {ECommand::ViewStatusBar, kViewMenu, false, "&Status Bar", "Show or hide the status bar", 0, {}, nullptr,
     kNoIcon, true, nullptr},
    {ECommand::ViewProblems, kViewMenu, true, "&Problems", "Show or hide the list of the project's problems", 0, {},
     nullptr, kNoIcon, true, nullptr},
    {ECommand::ViewChannelMap, kViewMenu, false, "&Channel Map", "Show or hide the map of both engines' channels", 0,
     {}, nullptr, kNoIcon, true,
     [](CMainFrame& f) { f.ChannelMap()->setVisible(f.Action(ECommand::ViewChannelMap)->isChecked()); }},
    {ECommand::Options, kKivoMenu, false, "&Options...", "Set the folders of the function sets and the documents", 0,
     {}, nullptr, kNoIcon, false, [](CMainFrame& f) { f.ShowOptions(); }},
    {ECommand::UserManual, kHelpMenu, false, "&User's Manual", nullptr, 32774, {}, nullptr, kNoIcon, false,
     [](CMainFrame& f) { f.App().OpenUserManual(); }},
    {ECommand::ReferenceManual, kHelpMenu, false, "&Kivo Reference Manual", nullptr, 32773, {}, nullptr, kNoIcon,
     false, [](CMainFrame& f) { f.App().OpenReferenceManual(); }},
    {ECommand::CheckForNewVersion, kHelpMenu, true, "Check for a New Version...", nullptr, 32775, {}, nullptr,
     kNoIcon, false, [](CMainFrame& f) { f.App().CheckForNewVersion(); }},
    {ECommand::About, kHelpMenu, true, "&About...", "Display program information and version", 0, {},
     "help-about", QStyle::SP_MessageBoxQuestion, false, [](CMainFrame& f) { f.ShowAbout(); }},
};

}  // namespace

QAction* CMainFrame::Action(ECommand id) const {
  auto found = m_actions.find(id);
  return found == m_actions.end() ? nullptr : found->second;
}

void CMainFrame::CreateActions() {
  for (const CCommandRow& row : kCommands) {
    auto* action = new QAction(QString::fromUtf8(row.text), this);
    action->setObjectName(PlainText(action->text()));
    action->setStatusTip(row.statusTipId ? CatalogQString(row.statusTipId) : QString::fromUtf8(row.statusTip));
    QList<QKeySequence> keys;
    for (QKeyCombination key : row.keys)
      if (key.key() != Qt::Key_unknown)
        keys << QKeySequence(key);
    if (!keys.isEmpty()) {
      action->setShortcuts(keys);
      // The accelerators work wherever the focus is in the window.
      action->setShortcutContext(Qt::WindowShortcut);
    }
    action->setCheckable(row.checkable);
    if (row.handler)
      connect(action, &QAction::triggered, this, [this, handler = row.handler] { handler(*this); });
    if (row.menu == kNoMenu)
      addAction(action);
    m_actions[row.id] = action;
  }
}

void CMainFrame::CreateMenus() {
  QMenuBar* bar = menuBar();
  m_fileMenu = bar->addMenu(QStringLiteral("&File"));
  QMenu* menus[] = {nullptr,
                    m_fileMenu,
                    bar->addMenu(QStringLiteral("&Edit")),
                    bar->addMenu(QStringLiteral("&View")),
                    bar->addMenu(QStringLiteral("Kiv&o")),
                    bar->addMenu(QStringLiteral("&Help"))};
  m_helpMenu = menus[kHelpMenu];
  for (const CCommandRow& row : kCommands) {
    QMenu* menu = menus[row.menu];
    if (!menu)
      continue;
    if (row.id == ECommand::FileExit) {
      m_fileMenu->addSeparator();
      for (int i = 0; i < 4; ++i) {
        QAction* recent = m_fileMenu->addAction(QStringLiteral("Recent File"));
        recent->setObjectName(QStringLiteral("Recent%1").arg(i + 1));
        recent->setStatusTip(QStringLiteral("Open this project"));
        connect(recent, &QAction::triggered, this, [this, i] { FileOpenRecent(i); });
        m_recentActions.push_back(recent);
      }
      m_recentSeparator = m_fileMenu->addSeparator();
    } else if (row.id == ECommand::CheckForNewVersion) {
      m_appNotesMenu = m_helpMenu->addMenu(QStringLiteral("Application &Notes"));
      m_appNotesMenu->menuAction()->setObjectName(QStringLiteral("Application Notes"));
      m_appNotesMenu->menuAction()->setStatusTip(CatalogQString(20000));
      m_helpMenu->addSeparator();
    } else if (row.separatorBefore) {
      menu->addSeparator();
    }
    menu->addAction(Action(row.id));
  }
  m_exitAction = Action(ECommand::FileExit);
  connect(m_fileMenu, &QMenu::aboutToShow, this, &CMainFrame::PrepareFileMenu);
  connect(m_helpMenu, &QMenu::aboutToShow, this, &CMainFrame::PrepareHelpMenu);
  connect(m_appNotesMenu, &QMenu::aboutToShow, this, [this] { statusBar()->showMessage(CatalogQString(20000)); });
  // The notes folder is read only when the menu opens: whatever it holds, the
  // window comes up without waiting for it.
  UpdateHelpItems();
}

void CMainFrame::CreateBars() {
  m_toolBar = new QToolBar(QStringLiteral("Toolbar"), this);
  m_toolBar->setObjectName(QLatin1String(kToolbarName));
  addToolBar(Qt::TopToolBarArea, m_toolBar);
  // The commands with an icon, in menu order, a separator between menus.
  EMenu lastMenu = kNoMenu;
  for (const CCommandRow& row : kCommands) {
    if (!row.iconTheme)
      continue;
    if (lastMenu != kNoMenu && row.menu != lastMenu)
      m_toolBar->addSeparator();
    lastMenu = row.menu;
    QAction* action = Action(row.id);
    QIcon icon = QIcon::fromTheme(QLatin1String(row.iconTheme));
    if (icon.isNull() && row.icon != kNoIcon)
      icon = style()->standardIcon(row.icon);
    action->setIcon(icon);
    m_toolBar->addAction(action);
  }
  m_toolBar->setToolButtonStyle(Qt::ToolButtonFollowStyle);

  m_cpuPane = new QLabel(this);
  m_clockPane = new QLabel(this);
  m_modifiedPane = new QLabel(this);
  // A screen reader speaks a pane's name: that is what it shows, and what it
  // is goes in the description (a fixed name would say "Modified" always).
  m_cpuPane->setAccessibleDescription(QStringLiteral("Processor"));
  m_clockPane->setAccessibleDescription(QStringLiteral("System clock"));
  statusBar()->addPermanentWidget(m_cpuPane);
  statusBar()->addPermanentWidget(m_clockPane);
  statusBar()->addPermanentWidget(m_modifiedPane);
  statusBar()->showMessage(QStringLiteral("Ready"));

  QAction* toolbarToggle = Action(ECommand::ViewToolbar);
  QAction* statusToggle = Action(ECommand::ViewStatusBar);
  bool showToolbar = m_app->BarVisible(kToolbarName);
  bool showStatus = m_app->BarVisible(kStatusBarName);
  m_toolBar->setVisible(showToolbar);
  statusBar()->setVisible(showStatus);
  toolbarToggle->setChecked(showToolbar);
  statusToggle->setChecked(showStatus);
  // The bars count in the smallest size the window may take.
  connect(toolbarToggle, &QAction::toggled, this, [this](bool on) {
    m_toolBar->setVisible(on);
    m_app->SetBarVisible(kToolbarName, on);
    setMinimumSize(MinimumFrameSize());
  });
  connect(statusToggle, &QAction::toggled, this, [this](bool on) {
    statusBar()->setVisible(on);
    m_app->SetBarVisible(kStatusBarName, on);
    setMinimumSize(MinimumFrameSize());
  });
  // Closing the toolbar by its own handle keeps the menu's tick right.
  connect(m_toolBar, &QToolBar::visibilityChanged, this, [this, toolbarToggle](bool visible) {
    if (!isVisible() || isMinimized())
      return;
    QSignalBlocker block(toolbarToggle);
    toolbarToggle->setChecked(visible);
    m_app->SetBarVisible(kToolbarName, visible);
  });
}

void CMainFrame::UpdateStatusPanes() {
  const CProjDoc& doc = Doc();
  m_cpuPane->setText(doc.m_strCpu.empty() ? QStringLiteral(" ") : ToQ(doc.m_strCpu));
  m_clockPane->setText(ToQ(FormatFrequency(doc.m_nSysClk)));
  m_modifiedPane->setText(doc.IsModified() ? QStringLiteral("Modified") : QStringLiteral("        "));
}

// ---- File commands

void CMainFrame::UpdateTitle() {
  QString title = ToQ(m_app->ProjectTitle()) + QStringLiteral("[*] - Kivo Vam");
  if (windowTitle() != title)
    setWindowTitle(title);
  setWindowModified(Doc().IsModified());
}

// The toolbar's buttons and the accelerators follow the lock of the command line.
void CMainFrame::UpdateFileCommands() {
  bool free = Doc().CanNewOrOpen();
  Action(ECommand::FileNew)->setEnabled(free);
  Action(ECommand::FileOpen)->setEnabled(free);
}

void CMainFrame::UpdateUndoCommands() {
  const CProjDoc& doc = Doc();
  QAction* undo = Action(ECommand::EditUndo);
  QAction* redo = Action(ECommand::EditRedo);
  undo->setText(doc.CanUndo() ? QStringLiteral("&Undo %1\tCtrl+Z").arg(ToQ(doc.UndoName()))
                              : QStringLiteral("&Undo\tCtrl+Z"));
  redo->setText(doc.CanRedo() ? QStringLiteral("&Redo %1\tCtrl+Y").arg(ToQ(doc.RedoName()))
                              : QStringLiteral("&Redo\tCtrl+Y"));
  undo->setEnabled(doc.CanUndo());
  redo->setEnabled(doc.CanRedo());
}

void CMainFrame::PrepareFileMenu() {
  bool free = Doc().CanNewOrOpen();
  const std::vector<std::string>& files = m_app->RecentFiles().Files();
  for (int i = 0; i < m_recentActions.size(); ++i) {
    QAction* action = m_recentActions[i];
    std::size_t at = static_cast<std::size_t>(i);
    if (at < files.size()) {
      action->setText(QStringLiteral("&%1 %2").arg(i + 1).arg(ToQ(files[at])));
      action->setVisible(true);
      action->setEnabled(free);
    } else {
      // An empty list shows one disabled placeholder.
      action->setText(QStringLiteral("Recent File"));
      action->setVisible(i == 0 && files.empty());
      action->setEnabled(false);
    }
  }
}

bool CMainFrame::SaveModified() {
  // An edit on the current page is not in the project until the page is left.
  if (CViewBase* current = Page(CurrentPage()); current && !current->CanLeave())
    return false;
  if (!Doc().IsModified())
    return true;
  switch (askSaveChanges(ToQ(m_app->ProjectTitle()))) {
    case QMessageBox::Yes: return FileSave();
    case QMessageBox::No: return true;
    default: return false;
  }
}

bool CMainFrame::FileNew() {
  if (!Doc().CanNewOrOpen() || !SaveModified())
    return false;
  bool created = m_app->NewProject();
  UpdateTitle();
  return created;
}

bool CMainFrame::FileOpen() {
  if (!Doc().CanNewOrOpen() || !SaveModified())
    return false;
  QString start = m_app->ProjectPath().empty() ? QString() : QFileInfo(ToQ(m_app->ProjectPath())).absolutePath();
  QString path = askFileName(false, start);
  if (path.isEmpty())
    return false;
  return FileOpen(path);
}

bool CMainFrame::FileOpen(const QString& path) {
  bool opened = m_app->OpenProject(FromQ(path));
  UpdateTitle();
  return opened;
}

bool CMainFrame::FileOpenRecent(int index) {
  const std::vector<std::string>& files = m_app->RecentFiles().Files();
  if (index < 0 || static_cast<std::size_t>(index) >= files.size() || !Doc().CanNewOrOpen() || !SaveModified())
    return false;
  QString path = ToQ(files[static_cast<std::size_t>(index)]);
  if (!QFileInfo::exists(path)) {
    // The document reports the missing file; the list forgets it.
    bool opened = FileOpen(path);
    m_app->RecentFiles().Remove(index);
    return opened;
  }
  return FileOpen(path);
}

bool CMainFrame::SaveTo(const QString& path) {
  CViewBase* current = Page(CurrentPage());
  if (current && !current->StoreControls(true))
    return false;
  m_savingFrom = current;
  bool saved = m_app->SaveProject(FromQ(path));
  m_savingFrom = nullptr;
  // A save ends the warnings of the open, which no change of the project announces.
  m_problems->Refresh();
  UpdateTitle();
  // Saved under another name, the generated code compares with the files now named.
  if (CViewBase* code = Page(kPageGenCode); saved && code)
    code->LoadControls();
  return saved;
}

bool CMainFrame::FileSave() {
  if (m_app->ProjectPath().empty())
    return FileSaveAs();
  return SaveTo(ToQ(m_app->ProjectPath()));
}

bool CMainFrame::FileSaveAs() {
  QString start = m_app->ProjectPath().empty() ? QStringLiteral("kivo_vam.c") : ToQ(m_app->ProjectPath());
  QString path = askFileName(true, start);
  if (path.isEmpty())
    return false;
  if (QFileInfo(path).suffix().isEmpty())
    path += QStringLiteral(".c");
  return SaveTo(path);
}

// ---- Edit commands

bool CMainFrame::EditUndo() {
  CViewBase* current = Page(CurrentPage());
  if (current && !current->StoreControls(true))
    return false;
  return Doc().Undo();
}

bool CMainFrame::EditRedo() {
  CViewBase* current = Page(CurrentPage());
  if (current && !current->StoreControls(true))
    return false;
  return Doc().Redo();
}

bool CMainFrame::EditField(EFieldEdit command) {
  QWidget* focus = QApplication::focusWidget();
  if (!focus)
    return false;
  QLineEdit* line = qobject_cast<QLineEdit*>(focus);
  if (auto* combo = qobject_cast<QComboBox*>(focus))
    line = combo->lineEdit();
  else if (qobject_cast<QAbstractSpinBox*>(focus))
    line = focus->findChild<QLineEdit*>();
  if (line) {
    switch (command) {
      case EFieldEdit::Cut: line->cut(); break;
      case EFieldEdit::Copy: line->copy(); break;
      case EFieldEdit::Paste: line->paste(); break;
      case EFieldEdit::Undo: line->undo(); break;
      case EFieldEdit::Redo: line->redo(); break;
      case EFieldEdit::SelectAll: line->selectAll(); break;
    }
    return true;
  }
  auto apply = [command](auto* editor) {
    switch (command) {
      case EFieldEdit::Cut: editor->cut(); break;
      case EFieldEdit::Copy: editor->copy(); break;
      case EFieldEdit::Paste: editor->paste(); break;
      case EFieldEdit::Undo: editor->undo(); break;
      case EFieldEdit::Redo: editor->redo(); break;
      case EFieldEdit::SelectAll: editor->selectAll(); break;
    }
    return true;
  };
  if (auto* text = qobject_cast<QTextEdit*>(focus))
    return apply(text);
  if (auto* plain = qobject_cast<QPlainTextEdit*>(focus))
    return apply(plain);
  if (auto* code = qobject_cast<QsciScintilla*>(focus))
    return apply(code);
  return false;
}

// ---- Help and options

void CMainFrame::FillAppNotes(QMenu* menu, const std::vector<CAppNotesItem>& items) {
  for (const CAppNotesItem& item : items) {
    switch (item.kind) {
      case CAppNotesItem::kFolder: {
        QMenu* sub = menu->addMenu(ToQ(item.text));
        sub->menuAction()->setStatusTip(CatalogQString(20000));
        FillAppNotes(sub, item.children);
        break;
      }
      case CAppNotesItem::kSeparator: menu->addSeparator(); break;
      case CAppNotesItem::kEmpty:
      case CAppNotesItem::kMore: menu->addAction(ToQ(item.text))->setEnabled(false); break;
      case CAppNotesItem::kDocument: {
        QAction* action = menu->addAction(ToQ(item.text));
        action->setStatusTip(CatalogQString(20000));
        int index = item.document;
        connect(action, &QAction::triggered, this, [this, index] { m_app->OpenAppNote(index); });
        break;
      }
    }
  }
}

void CMainFrame::PrepareHelpMenu() {
  m_appNotesMenu->clear();
  FillAppNotes(m_appNotesMenu, m_app->BuildAppNotesMenu());
  UpdateHelpItems();
}

void CMainFrame::UpdateHelpItems() {
  Action(ECommand::CheckForNewVersion)->setEnabled(m_app->CanCheckForNewVersion());
}

void CMainFrame::ShowOptions() {
  COptionsDialog dialog(*m_app, this);
  dialog.exec();
}

void CMainFrame::ShowAbout() {
  CAboutDialog dialog(this);
  dialog.exec();
}

// ---- Window events

void CMainFrame::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  setMinimumSize(MinimumFrameSize());
  if (!m_shownOnce) {
    m_shownOnce = true;
    // The first idle moment after the window is up.
    QTimer::singleShot(0, this, [this] {
      m_app->OnFirstIdle();
      UpdateHelpItems();
    });
  }
}

void CMainFrame::closeEvent(QCloseEvent* event) {
  if (!SaveModified()) {
    event->ignore();
    return;
  }
  // Whatever is unsaved now, the user chose to give up.
  m_recoveryTimer->stop();
  m_recoveryWaitsForDialog = false;
  m_app->EndRecovery();
  BalloonTip::Hide();
  QMainWindow::closeEvent(event);
}

void CMainFrame::moveEvent(QMoveEvent* event) {
  BalloonTip::Hide();
  QMainWindow::moveEvent(event);
}

void CMainFrame::resizeEvent(QResizeEvent* event) {
  BalloonTip::Hide();
  QMainWindow::resizeEvent(event);
}

bool CMainFrame::event(QEvent* event) {
  // The dialog that held the copy back has closed.
  if (event->type() == QEvent::WindowUnblocked && m_recoveryWaitsForDialog)
    ScheduleRecoveryCopy();
  return QMainWindow::event(event);
}

void CMainFrame::changeEvent(QEvent* event) {
  if (event->type() == QEvent::ActivationChange && isActiveWindow())
    BalloonTip::Hide();
  QMainWindow::changeEvent(event);
}
