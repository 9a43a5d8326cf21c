// The "Engine A Channels" and "Engine B Channels" pages: the 32 channels of an engine with the commands that add, change and remove functions and estimate their load.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "project/projdoc.h"
#include "ui/viewbase.h"

struct CFuncDialogRequest;
class CChannelsDelegate;
class CChannelsModel;
class QAction;
class QLineEdit;
class QMenu;
class QPushButton;
class QTableView;

class CViewChanns : public CViewBase {
  Q_OBJECT

 public:
  CViewChanns(CProjDoc& doc, int pageIndex, QWidget* parent = nullptr);

  void OnUpdate(int hint) override;
  void LoadControls() override;
  // Every edit of the page is in the project as soon as it is made.
  bool StoreControls(bool) override { return true; }

  // Selects the row of `channel`, scrolls to it and gives the table the focus.
  void SelectChannel(int channel);
  bool SelectChannelRow(int channel) override;
  // Selects the rows of `channels` (those outside the table are passed
  // over), the first current and in view, and gives the table the focus.
  void SelectChannels(const std::vector<int>& channels);

  // The commands; each does nothing when the selection does not allow it.
  void AddFunction();
  void AddApplication();
  void EditItem();
  // The function dialog on `func`, as Edit opens it on the function's rows.
  void EditFunction(const CProjDoc::CFuncInfo& func);
  void RemoveItems();
  void Load();

  // The distinct functions of the selected rows, in row order.
  std::vector<const CProjDoc::CFuncInfo*> SelectedFunctions() const;

  // The controls, for tests and for the notes page's links.
  QTableView* Table() const { return m_table; }
  CChannelsModel* Model() const { return m_model; }
  QPushButton* AddApplicationButton() const { return m_addApp; }
  QPushButton* AddFunctionButton() const { return m_addFunc; }
  QPushButton* EditButton() const { return m_edit; }
  QPushButton* RemoveButton() const { return m_remove; }
  QPushButton* LoadButton() const { return m_load; }
  QLineEdit* TotalLoad() const { return m_total; }
  // The table's context menu with its four commands.
  QMenu* ContextMenu() const { return m_menu; }

  // Opens the function dialog; tests put their own answer in place.
  std::function<std::unique_ptr<CProjDoc::CFuncInfo>(const CFuncDialogRequest& request)> functionDialog;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QAction* AddMenuCommand(const QString& text, const QKeySequence& key, void (CViewChanns::*command)());
  void Refill();
  // Marks the selected functions' rows, sets the commands' states and the total.
  void ApplySelection();
  void OnDoubleClick(const QModelIndex& index);
  void OnLoadPressed(int row);
  void Add(bool application);
  // After a function came in: its first row selected, and the notes pointed
  // at when it wrote some.
  void ShowNewFunction(const CProjDoc::CFuncInfo* func);
  void PointAtNotes(const CProjDoc::CFuncInfo& func);
  // The channel the function dialog starts from: the focused row's while the
  // table has the focus.
  int DefaultChannel() const;
  bool IsPageShortcut(QEvent* event) const;

  CChannelsModel* m_model;
  CChannelsDelegate* m_delegate;
  QTableView* m_table;
  QPushButton* m_addApp;
  QPushButton* m_addFunc;
  QPushButton* m_edit;
  QPushButton* m_remove;
  QPushButton* m_load;
  QLineEdit* m_total;
  QMenu* m_menu;
  QAction* m_editAction = nullptr;
  QAction* m_removeAction = nullptr;
  bool m_refilling = false;
  bool m_menuFromTable = false;
};
