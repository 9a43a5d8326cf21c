// The tab host of the main window.
#include "ui/viewtab.h"

#include <QKeyEvent>
#include <QSignalBlocker>
#include <QStackedWidget>
#include <QStyle>
#include <QStyleOptionTabWidgetFrame>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <algorithm>

#include "ui/viewbase.h"

CViewTab::CViewTab(QWidget* parent) : QWidget(parent), m_bar(new CTabStrip(this)), m_stack(new QStackedWidget(this)) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  m_bar->setDrawBase(true);
  m_bar->setExpanding(false);
  m_bar->setFocusPolicy(Qt::TabFocus);
  m_stack->setFrameShape(QFrame::StyledPanel);
  layout->addWidget(m_bar);
  layout->addWidget(m_stack, 1);
  connect(m_bar, &QTabBar::currentChanged, this, &CViewTab::OnTabChanged);
}

void CViewTab::AddPage(CViewBase* view, const QString& caption) {
  m_pages.push_back(CPageRecord{view, caption, true});
  m_stack->addWidget(view);
  m_changing = true;
  m_bar->insertTab(TabOfPage(PageCount() - 1), caption);
  m_changing = false;
  if (m_current < 0)
    Activate(PageCount() - 1);
}

CViewBase* CViewTab::Page(int index) const {
  return index >= 0 && index < PageCount() ? m_pages[static_cast<std::size_t>(index)].view : nullptr;
}

QString CViewTab::Caption(int index) const {
  return index >= 0 && index < PageCount() ? m_pages[static_cast<std::size_t>(index)].caption : QString();
}

bool CViewTab::IsVisible(int index) const {
  return index >= 0 && index < PageCount() && m_pages[static_cast<std::size_t>(index)].visible;
}

int CViewTab::TabOfPage(int index) const {
  if (!IsVisible(index))
    return -1;
  int tab = 0;
  for (int i = 0; i < index; ++i)
    tab += m_pages[static_cast<std::size_t>(i)].visible ? 1 : 0;
  return tab;
}

int CViewTab::PageOfTab(int tab) const {
  if (tab < 0)
    return -1;
  for (int i = 0; i < PageCount(); ++i) {
    if (!m_pages[static_cast<std::size_t>(i)].visible)
      continue;
    if (tab-- == 0)
      return i;
  }
  return -1;
}

bool CViewTab::SelectPage(int index) {
  if (!IsVisible(index))
    return false;
  if (index == m_current)
    return true;
  if (CViewBase* leaving = Page(m_current); leaving && !leaving->CanLeave()) {
    // The refusing page keeps its tab and the focus for the user to correct it.
    QSignalBlocker block(m_bar);
    m_bar->setCurrentIndex(TabOfPage(m_current));
    return false;
  }
  Activate(index);
  return true;
}

bool CViewTab::SelectNext(bool forward) {
  int visible = m_bar->count();
  if (visible == 0)
    return false;
  int tab = TabOfPage(m_current);
  int next = ((tab < 0 ? 0 : tab) + (forward ? 1 : visible - 1)) % visible;
  return SelectPage(PageOfTab(next));
}

void CViewTab::SetPageVisible(int index, bool visible) {
  if (index < 0 || index >= PageCount() || m_pages[static_cast<std::size_t>(index)].visible == visible)
    return;
  if (!visible && index == m_current) {
    // The page goes away whatever it holds, so it is not asked.
    int tab = TabOfPage(index);
    int next = PageOfTab(tab + 1 < m_bar->count() ? tab + 1 : 0);
    if (next != index && next >= 0)
      Activate(next);
  }
  m_changing = true;
  if (visible) {
    m_pages[static_cast<std::size_t>(index)].visible = true;
    m_bar->insertTab(TabOfPage(index), m_pages[static_cast<std::size_t>(index)].caption);
  } else {
    m_bar->removeTab(TabOfPage(index));
    m_pages[static_cast<std::size_t>(index)].visible = false;
  }
  m_bar->setCurrentIndex(TabOfPage(m_current));
  m_changing = false;
}

QSize CViewTab::LargestPageSize() const {
  QSize largest(0, 0);
  for (const CPageRecord& page : m_pages)
    largest = largest.expandedTo(page.view->sizeHint()).expandedTo(page.view->minimumSizeHint());
  int frame = 2 * m_stack->frameWidth();
  return QSize(std::max(largest.width() + frame, m_bar->minimumSizeHint().width()),
               largest.height() + frame + m_bar->sizeHint().height());
}

void CViewTab::OnTabChanged(int tab) {
  if (m_changing)
    return;
  int index = PageOfTab(tab);
  if (index >= 0 && index != m_current)
    SelectPage(index);
}

void CViewTab::Activate(int index) {
  m_current = index;
  CViewBase* view = Page(index);
  m_stack->setCurrentWidget(view);
  {
    QSignalBlocker block(m_bar);
    m_bar->setCurrentIndex(TabOfPage(index));
  }
  view->OnActivated();
  Q_EMIT PageChanged(index);
}

CTabStrip::CTabStrip(CViewTab* host) : QTabBar(host), m_host(host) {}

void CTabStrip::keyPressEvent(QKeyEvent* event) {
  if (event->modifiers() == Qt::NoModifier && (event->key() == Qt::Key_Left || event->key() == Qt::Key_Right)) {
    int page = m_host->PageOfTab(currentIndex() + (event->key() == Qt::Key_Right ? 1 : -1));
    if (page >= 0)
      m_host->SelectPage(page);
    return;
  }
  QTabBar::keyPressEvent(event);
}

// A turn of the wheel over the strip is no request to leave the page.
void CTabStrip::wheelEvent(QWheelEvent* event) { event->ignore(); }
