// The "Problems" dock.
#include "ui/problemspane.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QTreeWidget>

#include "app/kivovamapp.h"
#include "project/projdoc.h"
#include "ui/mainframe.h"
#include "ui/pages.h"
#include "ui/uitext.h"
#include "ui/valuebinding.h"
#include "ui/viewchanns.h"
#include "ui/viewcpu.h"

namespace {

enum EColumn { kColNumber, kColText, kColumns };

QIcon KindIcon(const QStyle* style, EMessageKind kind) {
  return style->standardIcon(kind == EMessageKind::Error ? QStyle::SP_MessageBoxCritical
                             : kind == EMessageKind::Warning ? QStyle::SP_MessageBoxWarning
                                                              : QStyle::SP_MessageBoxInformation);
}

// A field the user cannot reach (disabled, or hidden with its row) is still
// shown on its page; only the focus stays where it was.
bool FocusField(QWidget* field) {
  if (!field || !field->isEnabled() || !field->isVisibleTo(field->window()))
    return false;
  field->setFocus(Qt::OtherFocusReason);
  return true;
}

}  // namespace

CProblemsPane::CProblemsPane(CMainFrame& frame, QAction* toggle)
    : QDockWidget(QStringLiteral("Problems"), &frame),
      m_frame(&frame),
      m_toggle(toggle),
      m_list(new QTreeWidget(this)),
      m_count(new QLabel(this)) {
  setObjectName(QStringLiteral("Problems"));
  m_list->setObjectName(QStringLiteral("ProblemsList"));
  m_list->setAccessibleName(QStringLiteral("Problems"));
  m_list->setColumnCount(kColumns);
  m_list->setHeaderLabels({QStringLiteral("No."), QStringLiteral("Message")});
  m_list->setRootIsDecorated(false);
  m_list->setUniformRowHeights(true);
  m_list->setAlternatingRowColors(true);
  m_list->setSelectionMode(QAbstractItemView::SingleSelection);
  m_list->setWordWrap(false);
  m_list->header()->setStretchLastSection(true);
  m_list->header()->resizeSection(kColNumber, m_list->fontMetrics().horizontalAdvance(QStringLiteral("00000")) +
                                                  style()->pixelMetric(QStyle::PM_SmallIconSize) + 24);
  setWidget(m_list);
  hide();

  // A screen reader speaks the pane's text; what it is goes in the description.
  m_count->setAccessibleDescription(QStringLiteral("Problems"));
  frame.statusBar()->insertPermanentWidget(0, m_count);

  // Activation may change the page and so the project (a page stores its
  // controls when it is left): the list is refilled after the row's signal.
  connect(m_list, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* item) {
    int row = m_list->indexOfTopLevelItem(item);
    QTimer::singleShot(0, this, [this, row] { Activate(row); });
  });
  if (m_toggle) {
    connect(m_toggle, &QAction::triggered, this, [this](bool on) { setVisible(on); });
  }
  connect(toggleViewAction(), &QAction::toggled, this, [this](bool on) {
    if (m_toggle)
      m_toggle->setChecked(on);
    if (!m_placing)
      m_choice = on ? EChoice::kOpened : EChoice::kClosed;
  });
}

void CProblemsPane::Refresh() {
  std::vector<CProjectProblem> problems = ListProjectProblems(m_frame->Doc(), m_frame->App().OpenWarnings());
  const bool had = !m_problems.empty();
  if (!m_listed || problems != m_problems) {
    m_problems = std::move(problems);
    m_listed = true;
    Fill();
  }
  m_count->setText(ToQ(ProblemCountText(m_problems.size())));
  const bool has = !m_problems.empty();
  if (has == had)
    return;
  if (!has && m_choice == EChoice::kClosed)
    m_choice = EChoice::kNone;
  if (m_choice == EChoice::kNone)
    Place(has);
}

void CProblemsPane::Fill() {
  m_list->clear();
  QList<QTreeWidgetItem*> items;
  for (const CProjectProblem& problem : m_problems) {
    auto* item = new QTreeWidgetItem;
    QString number = problem.id ? QString::number(problem.id) : QString();
    QString text = ToQ(ProblemRowText(problem.text));
    item->setIcon(kColNumber, KindIcon(style(), problem.kind));
    item->setText(kColNumber, number);
    item->setData(kColNumber, Qt::AccessibleTextRole,
                  (QString::fromLatin1(MessageKindName(problem.kind)) + QLatin1Char(' ') + number).trimmed());
    item->setText(kColText, text);
    item->setToolTip(kColText, ToQ(problem.text));
    items << item;
  }
  m_list->addTopLevelItems(items);
  if (!items.isEmpty())
    m_list->setCurrentItem(items.front(), kColNumber, QItemSelectionModel::NoUpdate);
}

void CProblemsPane::Place(bool show) {
  m_placing = true;
  setVisible(show);
  m_placing = false;
}

bool CProblemsPane::Activate(int row) {
  if (row < 0 || static_cast<std::size_t>(row) >= m_problems.size())
    return false;
  // A copy: going there may change the project and so the list.
  CFindingTarget target = m_problems[static_cast<std::size_t>(row)].target;
  return GoTo(target);
}

bool CProblemsPane::GoTo(const CFindingTarget& target) {
  CMainFrame& frame = *m_frame;
  auto select = [&frame](int page) { return frame.IsPageShown(page) && frame.SelectPage(page); };
  switch (target.kind) {
    case CFindingTarget::kClock: {
      if (!select(kPageCpu))
        return false;
      auto* page = static_cast<CViewCPU*>(frame.Page(kPageCpu));
      FocusField(target.clock == 1 ? page->PtbClkList() : page->SysClkList());
      return true;
    }
    case CFindingTarget::kChannel: {
      int page = target.engine == 1 ? kPageChannelsB : kPageChannelsA;
      if (target.engine < 0 || !select(page))
        return false;
      static_cast<CViewChanns*>(frame.Page(page))->SelectChannels(target.channels);
      return true;
    }
    case CFindingTarget::kEngineValue: {
      int page = target.engine < 0 ? kPageFSet : target.engine == 1 ? kPageEngineB : kPageEngineA;
      if (!select(page))
        return false;
      FocusField(BoundControl(frame.Page(page), target.section));
      return true;
    }
    case CFindingTarget::kLoad: {
      auto function = [&frame, &target]() -> const CProjDoc::CFuncInfo* {
        const auto& funcs = frame.Doc().Functions();
        return target.function >= 0 && static_cast<std::size_t>(target.function) < funcs.size()
                   ? funcs[static_cast<std::size_t>(target.function)].get()
                   : nullptr;
      };
      const CProjDoc::CFuncInfo* func = function();
      if (!func || func->engine < 0)
        return false;
      int engine = func->engine;
      int page = engine == 1 ? kPageChannelsB : kPageChannelsA;
      // Leaving the current page stores it, which may change the list of functions.
      if (!select(page) || (func = function()) == nullptr || func->engine != engine)
        return false;
      auto* channels = static_cast<CViewChanns*>(frame.Page(page));
      std::vector<int> rows;
      for (const auto& chan : func->channels)
        rows.push_back(chan->number);
      channels->SelectChannels(rows);
      channels->EditFunction(*func);
      return true;
    }
    case CFindingTarget::kNone: break;
  }
  return false;
}
