// The main window: the tab host with the project's pages, the menus, the
// toolbar and the status bar.
#pragma once

#include <QMainWindow>
#include <QPointer>
#include <array>

#include "project/projectport.h"

class CProjDoc;
class CViewBase;
class CViewTab;

class CMainFrame : public QMainWindow, public CProjectObserver {
  Q_OBJECT

 public:
  explicit CMainFrame(CProjDoc& doc, QWidget* parent = nullptr);
  ~CMainFrame() override;

  CProjDoc& Doc() const { return *m_doc; }
  CViewTab* Tabs() const { return m_tabs; }
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

  // CProjectObserver
  void OnProjectUpdate(CProjDoc& doc, int hint) override;
  bool ShowChannelsPage(CProjDoc& doc, int engine) override;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void CreatePages();
  // Shows the engine-B pages when the processor has a second engine and the
  // notes page while there are notes.
  void UpdatePageVisibility();

  CProjDoc* m_doc;
  CViewTab* m_tabs;
};
