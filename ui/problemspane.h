// The "Problems" dock: what the check of the project finds, refreshed on every change, each row leading to its cause.
#pragma once

#include <QDockWidget>
#include <vector>

#include "project/problems.h"

class CMainFrame;
class QAction;
class QLabel;
class QTreeWidget;

class CProblemsPane : public QDockWidget {
  Q_OBJECT

 public:
  // `toggle` is the View menu's checkable item; the count goes into the
  // frame's status bar.
  CProblemsPane(CMainFrame& frame, QAction* toggle);

  // Lists what the project's check finds now and shows the count. The pane
  // comes up when problems come where there were none and goes when they are
  // gone, unless the user took charge: opened by hand it stays; closed by
  // hand it stays closed until the problems it held are gone.
  void Refresh();
  // Goes to where the cause is shown: the field, the channel rows, the
  // function dialog. False when there is nowhere to go.
  bool GoTo(const CFindingTarget& target);
  // GoTo for row `row` of the list.
  bool Activate(int row);

  const std::vector<CProjectProblem>& Problems() const { return m_problems; }
  QTreeWidget* List() const { return m_list; }
  QLabel* CountPane() const { return m_count; }

 private:
  enum class EChoice { kNone, kOpened, kClosed };

  void Fill();
  // Shows or hides the pane without counting it as the user's choice.
  void Place(bool show);

  CMainFrame* m_frame;
  QAction* m_toggle;
  QTreeWidget* m_list;
  QLabel* m_count;
  std::vector<CProjectProblem> m_problems;
  bool m_listed = false;  // refreshed at least once
  bool m_placing = false;
  EChoice m_choice = EChoice::kNone;
};
