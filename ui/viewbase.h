// The common base of the main window's pages: a form over the project that
// loads its controls when it becomes current and stores them when it is left.
#pragma once

#include <QPalette>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <vector>

class CMainFrame;
class CProjDoc;

class CViewBase : public QWidget {
  Q_OBJECT

 public:
  // `pageIndex` is the page's place in the frame's page table; the pages of
  // one engine learn their engine from it.
  CViewBase(CProjDoc& doc, int pageIndex, QWidget* parent = nullptr);
  ~CViewBase() override;

  CProjDoc& Doc() const { return *m_doc; }
  int PageIndex() const { return m_pageIndex; }
  // 0 for engine A, 1 for engine B; -1 on a page that belongs to no engine.
  int Engine() const { return m_engine; }
  bool IsPerEngine() const { return m_engine >= 0; }
  CMainFrame* Frame() const { return m_frame; }
  void SetFrame(CMainFrame* frame) { m_frame = frame; }

  // Makes this page current through the normal page change; true when it is
  // current afterwards.
  virtual bool ActivatePage();
  virtual bool IsCurrentPage() const;
  virtual void ShowPage(bool show);
  // Asked before another page is selected; false keeps this one. By default
  // the controls are stored with validation.
  virtual bool CanLeave();
  // Called once the page has become current; by default reloads the controls.
  virtual void OnActivated();
  // A change of the project: 0 reloads the controls, 1 stores them; the other
  // hints are for pages that show what they name.
  virtual void OnUpdate(int hint);

  // The Print command on this page; nothing for a page with nothing to print.
  virtual void Print() {}

  // Selects, scrolls to and focuses the row of `channel` on a channels page;
  // false on a page without channel rows or when there is no such row.
  virtual bool SelectChannelRow(int /*channel*/) { return false; }

  // Moves the project's values into the controls.
  virtual void LoadControls() = 0;
  // Moves the controls' values into the project; with `validate` a value that
  // cannot be taken is reported, the focus goes to its control and the result
  // is false.
  virtual bool StoreControls(bool validate) = 0;

  // Controls whose value the description marks as fixed; a page that keeps its
  // enabled states current disables them after each refresh. A disabled one
  // is tinted and its tip names the function set that fixes it; clearing
  // gives the controls back their own look, enabled.
  void RegisterLockedControl(QWidget* control);
  void ClearLockedControls();
  void DisableLockedControls();
  std::vector<QWidget*> LockedControls() const;
  // The tip of a locked control: the set that requires its value.
  QString LockedControlTip() const;

  // One C integer constant of 32 bits with blanks around it (ReadCInteger32).
  static bool ReadInteger(const QString& text, int& value);

 private:
  CProjDoc* m_doc;
  int m_pageIndex;
  int m_engine;
  CMainFrame* m_frame = nullptr;
  std::vector<QPointer<QWidget>> m_locked;
  // What a locked control looked like before it was tinted.
  struct COwnLook {
    QPointer<QWidget> control;
    bool ownPalette = false;
    QPalette palette;
    bool autoFill = false;
    QString tip;
    QString description;
  };
  std::vector<COwnLook> m_ownLooks;
};
