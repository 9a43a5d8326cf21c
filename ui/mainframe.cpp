// The main window.
#include "ui/mainframe.h"

#include <QGuiApplication>
#include <QScreen>
#include <QShowEvent>

#include "project/notesmodel.h"
#include "project/projdoc.h"
#include "ui/pages.h"
#include "ui/viewbase.h"
#include "ui/viewtab.h"

CMainFrame::CMainFrame(CProjDoc& doc, QWidget* parent) : QMainWindow(parent), m_doc(&doc), m_tabs(new CViewTab(this)) {
  setCentralWidget(m_tabs);
  CreatePages();
  m_doc->SetObserver(this);
  UpdatePageVisibility();
  resize(500, 500);
}

CMainFrame::~CMainFrame() {
  if (m_doc)
    m_doc->SetObserver(nullptr);
}

void CMainFrame::CreatePages() {
  for (int index = 0; index < kPageCount; ++index) {
    CViewBase* view = CreatePage(index, *m_doc);
    view->SetFrame(this);
    m_tabs->AddPage(view, PageCaption(index));
  }
  m_tabs->SetPageVisible(kPageNotes, false);
  m_tabs->SelectPage(kPageCpu);
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
  QSize decorations = size() - m_tabs->size();
  QSize wanted = central + decorations.expandedTo(QSize(0, 0));
  if (const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen())
    wanted = wanted.boundedTo(screen->availableGeometry().size());
  return wanted;
}

void CMainFrame::OnProjectUpdate(CProjDoc&, int hint) {
  if (hint == kHintEverything)
    UpdatePageVisibility();
  for (int index = 0; index < m_tabs->PageCount(); ++index)
    m_tabs->Page(index)->OnUpdate(hint);
}

bool CMainFrame::ShowChannelsPage(CProjDoc&, int engine) {
  return SelectPage(engine == 1 ? kPageChannelsB : kPageChannelsA);
}

void CMainFrame::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  setMinimumSize(MinimumFrameSize());
}

void CMainFrame::UpdatePageVisibility() {
  bool two = m_doc->m_cpu.engines > 1;
  ShowPage(kPageEngineB, two);
  ShowPage(kPageChannelsB, two);
  ShowPage(kPageNotes, m_doc->Notes() && m_doc->Notes()->IsVisible());
}
