// The common base of the main window's pages.
#include "ui/viewbase.h"

#include <algorithm>

#include "base/cinteger.h"
#include "ui/mainframe.h"
#include "ui/pages.h"

namespace {

int EngineOfPage(int pageIndex) {
  switch (pageIndex) {
    case kPageEngineA:
    case kPageChannelsA: return 0;
    case kPageEngineB:
    case kPageChannelsB: return 1;
    default: return -1;
  }
}

}  // namespace

CViewBase::CViewBase(CProjDoc& doc, int pageIndex, QWidget* parent)
    : QWidget(parent), m_doc(&doc), m_pageIndex(pageIndex), m_engine(EngineOfPage(pageIndex)) {}

CViewBase::~CViewBase() = default;

bool CViewBase::ActivatePage() {
  if (!m_frame)
    return false;
  m_frame->SelectPage(m_pageIndex);
  return IsCurrentPage();
}

bool CViewBase::IsCurrentPage() const { return m_frame && m_frame->CurrentPage() == m_pageIndex; }

void CViewBase::ShowPage(bool show) {
  if (m_frame)
    m_frame->ShowPage(m_pageIndex, show);
}

bool CViewBase::CanLeave() { return StoreControls(true); }

void CViewBase::OnActivated() { LoadControls(); }

void CViewBase::OnUpdate(int hint) {
  if (hint == 0)
    LoadControls();
  else if (hint == 1)
    StoreControls(false);
}

void CViewBase::RegisterLockedControl(QWidget* control) {
  if (control && std::find(m_locked.begin(), m_locked.end(), control) == m_locked.end())
    m_locked.emplace_back(control);
}

void CViewBase::ClearLockedControls() { m_locked.clear(); }

void CViewBase::DisableLockedControls() {
  for (const QPointer<QWidget>& control : m_locked)
    if (control)
      control->setEnabled(false);
}

std::vector<QWidget*> CViewBase::LockedControls() const {
  std::vector<QWidget*> controls;
  for (const QPointer<QWidget>& control : m_locked)
    if (control)
      controls.push_back(control.data());
  return controls;
}

bool CViewBase::ReadInteger(const QString& text, int& value) {
  int32_t read = 0;
  if (!ReadCInteger32(text.toStdString(), read))
    return false;
  value = read;
  return true;
}
