// The main window: the tab host with the project's pages, the menus, the
// toolbar and the status bar.
#pragma once

#include <QMainWindow>
#include <QMessageBox>
#include <functional>
#include <map>

#include "project/projectport.h"

class CChannelMapDock;
class CKivoVamApp;
class CProblemsPane;
class CProjDoc;
class CViewBase;
class CViewTab;
class QAction;
class QLabel;
class QMenu;
class QTimer;
class QToolBar;

// The commands of the menus, the toolbar and the accelerators.
enum class ECommand {
  FileNew,
  FileOpen,
  FileSave,
  FileSaveAs,
  FileExportChannelMap,
  FileExit,
  EditUndo,
  EditRedo,
  EditCut,
  EditCopy,
  EditPaste,
  Print,
  NextPane,
  PreviousPane,
  ViewToolbar,
  ViewStatusBar,
  ViewProblems,
  ViewChannelMap,
  Options,
  UserManual,
  ReferenceManual,
  CheckForNewVersion,
  About,
};

// What the Edit commands do to the focused field.
enum class EFieldEdit { Cut, Copy, Paste, Undo, Redo, SelectAll };

class CMainFrame : public QMainWindow, public CProjectObserver {
  Q_OBJECT

 public:
  explicit CMainFrame(CKivoVamApp& app, QWidget* parent = nullptr);
  ~CMainFrame() override;

  CKivoVamApp& App() const { return *m_app; }
  CProjDoc& Doc() const;
  CViewTab* Tabs() const { return m_tabs; }
  CProblemsPane* Problems() const { return m_problems; }
  CChannelMapDock* ChannelMap() const { return m_channelMap; }

  // ---- Pages
  CViewBase* Page(int index) const;
  int CurrentPage() const;
  bool SelectPage(int index);
  bool SelectPage(const CViewBase* view);
  void ShowPage(int index, bool show);
  void ShowPage(const CViewBase* view, bool show);
  bool IsPageShown(int index) const;
  bool NextPane();
  bool PreviousPane();

  // The size that lets the largest page show whole, with the frame's bars.
  QSize MinimumFrameSize() const;
  // The size at start: the minimum, widened so every page tab shows without scrolling.
  QSize StartFrameSize() const;

  // ---- File commands; false when the command stopped (refused, cancelled or failed).
  bool FileNew();
  bool FileOpen();
  bool FileOpen(const QString& path);
  bool FileSave();
  bool FileSaveAs();
  bool FileOpenRecent(int index);
  // Stores the current page (a refused value stops there, the page stays
  // current), then asks to save a modified project; false when a value was
  // refused, the user cancels or the save fails.
  bool SaveModified();
  void UpdateTitle();

  // ---- Edit commands. Undo and Redo first store the current page (a refused
  // value stops them there), so an edit not yet stored is the one undone.
  bool EditUndo();
  bool EditRedo();
  // On the focused field: a line edit, the edit field of a combo or spin box,
  // or a text editor; false when the focus is on none.
  bool EditField(EFieldEdit command);

  QAction* Action(ECommand id) const;
  // The recent-file item at `index` of the File menu (0 to 3).
  QAction* RecentAction(int index) const { return m_recentActions.value(index); }
  QMenu* HelpMenu() const { return m_helpMenu; }
  QMenu* AppNotesMenu() const { return m_appNotesMenu; }
  QMenu* FileMenu() const { return m_fileMenu; }
  QToolBar* ToolBar() const { return m_toolBar; }
  QTimer* RecoveryTimer() const { return m_recoveryTimer; }
  void ShowOptions();
  void ShowAbout();
  // Rebuilds the application-notes submenu and the Help items' states.
  void PrepareHelpMenu();
  void UpdateHelpItems();
  void PrepareFileMenu();

  // Creates the view of a page; tests put pages of their own in place before
  // the frame is built. Empty: the program's own pages.
  static std::function<CViewBase*(int pageIndex, CProjDoc& doc)>& PageFactory();

  // What would otherwise open a dialog, so tests can answer instead.
  std::function<QMessageBox::StandardButton(const QString& name)> askSaveChanges;
  std::function<QString(bool save, const QString& start)> askFileName;

  // CProjectObserver
  void OnProjectUpdate(CProjDoc& doc, int hint) override;
  bool ShowChannelsPage(CProjDoc& doc, int engine) override;
  void OnModifiedChanged(CProjDoc& doc) override;
  void OnCommandLineLockChanged(CProjDoc& doc) override;
  void OnUndoHistoryChanged(CProjDoc& doc) override;

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;
  bool event(QEvent* event) override;

 private:
  void CreatePages();
  void CreateActions();
  void CreateMenus();
  void CreateBars();
  void CreateChannelMap();
  void UpdatePageVisibility();
  void UpdateStatusPanes();
  void UpdateFileCommands();
  void UpdateUndoCommands();
  void FillAppNotes(QMenu* menu, const std::vector<struct CAppNotesItem>& items);
  bool SaveTo(const QString& path);
  // The recovery copy follows a change once the timer runs out; one timer at a time.
  void ScheduleRecoveryCopy();
  void WriteRecoveryCopy();

  CKivoVamApp* m_app;
  CViewTab* m_tabs;
  CChannelMapDock* m_channelMap = nullptr;
  QMenu* m_fileMenu = nullptr;
  QMenu* m_helpMenu = nullptr;
  QMenu* m_appNotesMenu = nullptr;
  QToolBar* m_toolBar = nullptr;
  QLabel* m_cpuPane = nullptr;
  QLabel* m_clockPane = nullptr;
  QLabel* m_modifiedPane = nullptr;
  CProblemsPane* m_problems = nullptr;
  std::map<ECommand, QAction*> m_actions;
  QList<QAction*> m_recentActions;
  QAction* m_recentSeparator = nullptr;
  QAction* m_exitAction = nullptr;
  QTimer* m_recoveryTimer = nullptr;
  // A copy fell due while a dialog blocked the window: written when it is unblocked.
  bool m_recoveryWaitsForDialog = false;
  // The page that stored its own controls before a save: the others are told to.
  CViewBase* m_savingFrom = nullptr;
  bool m_shownOnce = false;
};
