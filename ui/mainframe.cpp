// The main window.
#include "ui/mainframe.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMetaObject>
#include <QScreen>
#include <QShowEvent>
#include <QStatusBar>
#include <QStyle>
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
#include "ui/optionsdialog.h"
#include "ui/pages.h"
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
  // The project's modified mark changes without a notification of its own.
  auto* poll = new QTimer(this);
  connect(poll, &QTimer::timeout, this, [this] {
    UpdateTitle();
    UpdateStatusPanes();
    // The toolbar's buttons and the accelerators follow the lock of the command line.
    bool free = Doc().CanNewOrOpen();
    Action(QStringLiteral("New"))->setEnabled(free);
    Action(QStringLiteral("Open..."))->setEnabled(free);
  });
  poll->start(500);
  UpdateTitle();
  UpdateStatusPanes();
  resize(500, 500);
}

CMainFrame::~CMainFrame() {
  BalloonTip::Hide();
  Doc().SetObserver(nullptr);
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
  if (hint == kHintEverything)
    UpdatePageVisibility();
  for (int index = 0; index < m_tabs->PageCount(); ++index) {
    CViewBase* view = m_tabs->Page(index);
    if (hint == kHintStoreControls && view == m_savingFrom)
      continue;
    view->OnUpdate(hint);
  }
  QTimer::singleShot(0, this, &CMainFrame::UpdateTitle);
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
    m_recoveryTimer->start(static_cast<int>(CRecoveryStore::kSettleMs));
    return;
  }
  m_app->KeepRecoveryCopy();
}

bool CMainFrame::ShowChannelsPage(CProjDoc&, int engine) {
  return SelectPage(engine == 1 ? kPageChannelsB : kPageChannelsA);
}

// ---- Actions, menus and bars

QAction* CMainFrame::AddAction(QMenu* menu, const QString& text, const QString& statusTip,
                               const QList<QKeySequence>& keys) {
  auto* action = new QAction(text, this);
  action->setObjectName(PlainText(text));
  action->setStatusTip(statusTip);
  if (!keys.isEmpty()) {
    action->setShortcuts(keys);
    // The accelerators work wherever the focus is in the window.
    action->setShortcutContext(Qt::WindowShortcut);
  }
  if (menu)
    menu->addAction(action);
  else
    addAction(action);
  return action;
}

QAction* CMainFrame::Action(const QString& name) const { return findChild<QAction*>(name); }

void CMainFrame::CreateActions() {}

void CMainFrame::CreateMenus() {
  QMenuBar* bar = menuBar();
  m_fileMenu = bar->addMenu(QStringLiteral("&File"));
  connect(AddAction(m_fileMenu, QStringLiteral("&New"), QStringLiteral("Create a new project"), {QKeySequence(Qt::CTRL | Qt::Key_N)}),
          &QAction::triggered, this, [this] { FileNew(); });
  connect(AddAction(m_fileMenu, QStringLiteral("&Open..."), QStringLiteral("Open an existing project"),
                    {QKeySequence(Qt::CTRL | Qt::Key_O)}),
          &QAction::triggered, this, [this] { FileOpen(); });
  connect(AddAction(m_fileMenu, QStringLiteral("&Save"), QStringLiteral("Save the project"), {QKeySequence(Qt::CTRL | Qt::Key_S)}),
          &QAction::triggered, this, [this] { FileSave(); });
  connect(AddAction(m_fileMenu, QStringLiteral("Save &As..."), QStringLiteral("Save the project with a new name")),
          &QAction::triggered, this, [this] { FileSaveAs(); });
  m_fileMenu->addSeparator();
  for (int i = 0; i < 4; ++i) {
    QAction* recent = AddAction(m_fileMenu, QStringLiteral("Recent File"), QStringLiteral("Open this project"));
    recent->setObjectName(QStringLiteral("Recent%1").arg(i + 1));
    connect(recent, &QAction::triggered, this, [this, i] { FileOpenRecent(i); });
    m_recentActions.push_back(recent);
  }
  m_recentSeparator = m_fileMenu->addSeparator();
  m_exitAction = AddAction(m_fileMenu, QStringLiteral("E&xit"), QStringLiteral("Quit the application; prompts to save the project"),
                           {QKeySequence(Qt::ALT | Qt::Key_F4)});
  connect(m_exitAction, &QAction::triggered, this, &QWidget::close);
  connect(m_fileMenu, &QMenu::aboutToShow, this, &CMainFrame::PrepareFileMenu);

  QMenu* edit = bar->addMenu(QStringLiteral("&Edit"));
  connect(AddAction(edit, QStringLiteral("Cu&t"), QStringLiteral("Cut the selection and put it on the Clipboard"),
                    {QKeySequence(Qt::CTRL | Qt::Key_X), QKeySequence(Qt::SHIFT | Qt::Key_Delete)}),
          &QAction::triggered, this, [this] { EditCommand("cut"); });
  connect(AddAction(edit, QStringLiteral("&Copy"), QStringLiteral("Copy the selection and put it on the Clipboard"),
                    {QKeySequence(Qt::CTRL | Qt::Key_C), QKeySequence(Qt::CTRL | Qt::Key_Insert)}),
          &QAction::triggered, this, [this] { EditCommand("copy"); });
  connect(AddAction(edit, QStringLiteral("&Paste"), QStringLiteral("Insert Clipboard contents"),
                    {QKeySequence(Qt::CTRL | Qt::Key_V), QKeySequence(Qt::SHIFT | Qt::Key_Insert)}),
          &QAction::triggered, this, [this] { EditCommand("paste"); });
  // Accelerators without a menu item.
  connect(AddAction(nullptr, QStringLiteral("Undo"), QString(),
                    {QKeySequence(Qt::CTRL | Qt::Key_Z), QKeySequence(Qt::ALT | Qt::Key_Backspace)}),
          &QAction::triggered, this, [this] { EditCommand("undo"); });
  connect(AddAction(nullptr, QStringLiteral("Print"), QString(), {QKeySequence(Qt::CTRL | Qt::Key_P)}),
          &QAction::triggered, this, [this] {
            if (CViewBase* page = Page(CurrentPage()); page && page->metaObject()->indexOfMethod("Print()") >= 0)
              QMetaObject::invokeMethod(page, "Print");
          });

  QMenu* view = bar->addMenu(QStringLiteral("&View"));
  connect(AddAction(view, QStringLiteral("&Next Pane"), QStringLiteral("Switch to the next window pane"),
                    {QKeySequence(Qt::CTRL | Qt::Key_Tab), QKeySequence(Qt::CTRL | Qt::Key_F4), QKeySequence(Qt::Key_F6)}),
          &QAction::triggered, this, [this] { NextPane(); });
  connect(AddAction(nullptr, QStringLiteral("Previous Pane"), QString(),
                    {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab), QKeySequence(Qt::CTRL | Qt::Key_Backtab),
                     QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F4), QKeySequence(Qt::SHIFT | Qt::Key_F6)}),
          &QAction::triggered, this, [this] { PreviousPane(); });
  QAction* toolbar = AddAction(view, QStringLiteral("&Toolbar"), QStringLiteral("Show or hide the toolbar"));
  toolbar->setCheckable(true);
  QAction* status = AddAction(view, QStringLiteral("&Status Bar"), QStringLiteral("Show or hide the status bar"));
  status->setCheckable(true);

  QMenu* kivo = bar->addMenu(QStringLiteral("Kiv&o"));
  connect(AddAction(kivo, QStringLiteral("&Options..."), QStringLiteral("Set the folders of the function sets and the documents")),
          &QAction::triggered, this, &CMainFrame::ShowOptions);

  m_helpMenu = bar->addMenu(QStringLiteral("&Help"));
  connect(AddAction(m_helpMenu, QStringLiteral("&User's Manual"), CatalogQString(32774)), &QAction::triggered, this,
          [this] { m_app->OpenUserManual(); });
  connect(AddAction(m_helpMenu, QStringLiteral("&Kivo Reference Manual"), CatalogQString(32773)), &QAction::triggered,
          this, [this] { m_app->OpenReferenceManual(); });
  m_appNotesMenu = m_helpMenu->addMenu(QStringLiteral("Application &Notes"));
  m_appNotesMenu->menuAction()->setObjectName(QStringLiteral("Application Notes"));
  m_appNotesMenu->menuAction()->setStatusTip(CatalogQString(20000));
  m_helpMenu->addSeparator();
  connect(AddAction(m_helpMenu, QStringLiteral("Check for a New Version..."), CatalogQString(32775)), &QAction::triggered,
          this, [this] { m_app->CheckForNewVersion(); });
  m_helpMenu->addSeparator();
  connect(AddAction(m_helpMenu, QStringLiteral("&About..."), QStringLiteral("Display program information and version")),
          &QAction::triggered, this, &CMainFrame::ShowAbout);
  connect(m_helpMenu, &QMenu::aboutToShow, this, &CMainFrame::PrepareHelpMenu);
  connect(m_appNotesMenu, &QMenu::aboutToShow, this, [this] { statusBar()->showMessage(CatalogQString(20000)); });
  PrepareHelpMenu();
}

void CMainFrame::CreateBars() {
  m_toolBar = new QToolBar(QStringLiteral("Toolbar"), this);
  m_toolBar->setObjectName(QLatin1String(kToolbarName));
  addToolBar(Qt::TopToolBarArea, m_toolBar);
  struct CButton {
    const char* action;
    QStyle::StandardPixmap icon;
    const char* theme;
  };
  const CButton buttons[] = {{"New", QStyle::SP_FileIcon, "document-new"},
                             {"Open...", QStyle::SP_DialogOpenButton, "document-open"},
                             {"Save", QStyle::SP_DialogSaveButton, "document-save"},
                             {nullptr, QStyle::SP_CustomBase, nullptr},
                             {"Cut", QStyle::SP_CustomBase, "edit-cut"},
                             {"Copy", QStyle::SP_CustomBase, "edit-copy"},
                             {"Paste", QStyle::SP_CustomBase, "edit-paste"},
                             {nullptr, QStyle::SP_CustomBase, nullptr},
                             {"About...", QStyle::SP_MessageBoxQuestion, "help-about"}};
  for (const CButton& button : buttons) {
    if (!button.action) {
      m_toolBar->addSeparator();
      continue;
    }
    QAction* action = Action(QLatin1String(button.action));
    QIcon icon = QIcon::fromTheme(QLatin1String(button.theme));
    if (icon.isNull() && button.icon != QStyle::SP_CustomBase)
      icon = style()->standardIcon(button.icon);
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

  QAction* toolbarToggle = Action(QStringLiteral("Toolbar"));
  QAction* statusToggle = Action(QStringLiteral("Status Bar"));
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

void CMainFrame::PrepareFileMenu() {
  bool free = Doc().CanNewOrOpen();
  Action(QStringLiteral("New"))->setEnabled(free);
  Action(QStringLiteral("Open..."))->setEnabled(free);
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
  UpdateTitle();
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

// The focused field does the work: a line edit, the edit field of a combo box
// or spin box, or any editor with slots of these names.
void CMainFrame::EditCommand(const char* slot) {
  QWidget* focus = QApplication::focusWidget();
  if (!focus)
    return;
  QWidget* target = focus;
  if (auto* combo = qobject_cast<QComboBox*>(focus); combo && combo->lineEdit())
    target = combo->lineEdit();
  else if (focus->inherits("QAbstractSpinBox"))
    if (auto* edit = focus->findChild<QLineEdit*>())
      target = edit;
  QByteArray signature = QByteArray(slot) + "()";
  if (target->metaObject()->indexOfMethod(signature.constData()) >= 0)
    QMetaObject::invokeMethod(target, slot);
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
      case CAppNotesItem::kEmpty: menu->addAction(ToQ(item.text))->setEnabled(false); break;
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
  Action(QStringLiteral("Check for a New Version..."))->setEnabled(m_app->CanCheckForNewVersion());
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
      PrepareHelpMenu();
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

void CMainFrame::changeEvent(QEvent* event) {
  if (event->type() == QEvent::ActivationChange && isActiveWindow())
    BalloonTip::Hide();
  QMainWindow::changeEvent(event);
}
