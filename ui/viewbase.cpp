// The common base of the main window's pages.
#include "ui/viewbase.h"

#include <algorithm>

#include "base/cinteger.h"
#include "knowledge/fsetlib.h"
#include "project/projdoc.h"
#include "ui/mainframe.h"
#include "ui/pages.h"
#include "ui/uitext.h"

namespace {

constexpr int kLockedTip = 590;

// A third of the way from the field's own background to the selection colour:
// set apart in a light palette and a dark one alike, with the text of the
// enabled field on it, so that a locked value stays readable.
void Tint(QWidget* control) {
  QPalette palette = control->palette();
  const QColor base = palette.color(QPalette::Active, QPalette::Base);
  const QColor mark = palette.color(QPalette::Active, QPalette::Highlight);
  const QColor tint = QColor::fromRgbF(base.redF() * 2 / 3 + mark.redF() / 3, base.greenF() * 2 / 3 + mark.greenF() / 3,
                                       base.blueF() * 2 / 3 + mark.blueF() / 3);
  for (QPalette::ColorRole role : {QPalette::Base, QPalette::Button, QPalette::Window})
    palette.setColor(QPalette::Disabled, role, tint);
  for (QPalette::ColorRole role : {QPalette::Text, QPalette::ButtonText, QPalette::WindowText})
    palette.setColor(QPalette::Disabled, role, palette.color(QPalette::Active, QPalette::Text));
  control->setPalette(palette);
  control->setAutoFillBackground(true);
}

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

void CViewBase::ClearLockedControls() {
  for (const COwnLook& look : m_ownLooks) {
    QWidget* control = look.control;
    if (!control)
      continue;
    // An empty palette gives the control its parent's again.
    control->setPalette(look.ownPalette ? look.palette : QPalette());
    control->setAutoFillBackground(look.autoFill);
    control->setToolTip(look.tip);
    control->setAccessibleDescription(look.description);
    control->setEnabled(true);
  }
  m_ownLooks.clear();
  m_locked.clear();
}

void CViewBase::DisableLockedControls() {
  const QString tip = LockedControlTip();
  for (const QPointer<QWidget>& control : m_locked) {
    if (!control)
      continue;
    bool tinted = std::any_of(m_ownLooks.begin(), m_ownLooks.end(),
                              [&control](const COwnLook& look) { return look.control == control; });
    if (!tinted) {
      m_ownLooks.push_back({control, control->testAttribute(Qt::WA_SetPalette), control->palette(),
                            control->autoFillBackground(), control->toolTip(), control->accessibleDescription()});
      Tint(control);
    }
    // The reason reaches a screen reader too: its name stays the label's.
    control->setToolTip(tip);
    control->setAccessibleDescription(tip);
    control->setEnabled(false);
  }
}

QString CViewBase::LockedControlTip() const {
  const CKivoFSet* set = m_doc->m_pFSet;
  return CatalogQString(kLockedTip).replace(QStringLiteral("%1"), set ? ToQ(set->fileName) : QString());
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
