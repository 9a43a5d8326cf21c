// The "Processor" page: target processor, its properties, the system and peripheral clocks and the Kivo clock.
#include "ui/viewcpu.h"

#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>

#include "base/ports.h"
#include "project/cpurules.h"
#include "project/projdoc.h"
#include "ui/mainframe.h"
#include "ui/pages.h"
#include "ui/uitext.h"
#include "ui/valuebinding.h"

namespace {

constexpr int kMessageCollides = 4503;

QLineEdit* ReadOnlyField(QWidget* parent) {
  auto* field = new QLineEdit(parent);
  field->setReadOnly(true);
  return field;
}

QComboBox* ClockList(QWidget* parent) {
  auto* list = new QComboBox(parent);
  list->setEditable(true);
  list->setInsertPolicy(QComboBox::NoInsert);
  return list;
}

}  // namespace

CViewCPU::CViewCPU(CProjDoc& doc, int pageIndex, QWidget* parent)
    : CViewBase(doc, pageIndex, parent),
      m_cpuList(new QComboBox(this)),
      m_name(ReadOnlyField(this)),
      m_engines(ReadOnlyField(this)),
      m_maxSysClk(ReadOnlyField(this)),
      m_stacBus(ReadOnlyField(this)),
      m_ptbAvailableLabel(new QLabel(QStringLiteral("Peripheral timebase available:"), this)),
      m_ptbAvailable(ReadOnlyField(this)),
      m_maxPtbClkLabel(new QLabel(QStringLiteral("Max peripheral timebase clock:"), this)),
      m_maxPtbClk(ReadOnlyField(this)),
      m_sysClk(ClockList(this)),
      m_kivoClockLabel(new QLabel(this)),
      m_kivoClock(ReadOnlyField(this)),
      m_ptbClkLabel(new QLabel(QStringLiteral("&Peripheral timebase clock:"), this)),
      m_ptbClk(ClockList(this)),
      m_kivoClockFormText(QStringLiteral("Kivo Clock (%s):")) {
  m_kivoClockLabel->setText(ToQ(::KivoClockLabel(1, FromQ(m_kivoClockFormText))));
  auto* form = m_form = new QFormLayout(this);
  form->addRow(QStringLiteral("&Target CPU:"), m_cpuList);
  form->addRow(QStringLiteral("Name:"), m_name);
  form->addRow(QStringLiteral("Number of engines:"), m_engines);
  form->addRow(QStringLiteral("Max. system clock:"), m_maxSysClk);
  form->addRow(QStringLiteral("STAC Bus Available:"), m_stacBus);
  // Rows with a label of their own name their field as its buddy by hand.
  m_ptbAvailableLabel->setBuddy(m_ptbAvailable);
  m_maxPtbClkLabel->setBuddy(m_maxPtbClk);
  m_kivoClockLabel->setBuddy(m_kivoClock);
  m_ptbClkLabel->setBuddy(m_ptbClk);
  form->addRow(m_ptbAvailableLabel, m_ptbAvailable);
  form->addRow(m_maxPtbClkLabel, m_maxPtbClk);
  form->addRow(QStringLiteral("&System clock:"), m_sysClk);
  form->addRow(m_kivoClockLabel, m_kivoClock);
  form->addRow(m_ptbClkLabel, m_ptbClk);
  ShowPtbRows(false);

  connect(m_cpuList, &QComboBox::currentIndexChanged, this, &CViewCPU::OnCpuSelected);
  connect(m_sysClk, &QComboBox::currentTextChanged, this, &CViewCPU::UpdateKivoClock);
}

void CViewCPU::OnActivated() {
  TakeReapplyFlag();
  CViewBase::OnActivated();
}

void CViewCPU::OnUpdate(int hint) {
  if (hint == kHintEverything) {
    FillCpuList();
    TakeReapplyFlag();
  }
  CViewBase::OnUpdate(hint);
}

// A project whose record is not what its processor's entry gives (a name
// from a file or the command line) has the processor applied again on save.
void CViewCPU::TakeReapplyFlag() {
  m_reapply = !Doc().m_strCpu.empty() && !(CpuRecordFor(Doc(), Doc().m_strCpu) == Doc().m_cpu);
}

void CViewCPU::FillCpuList() {
  QSignalBlocker blocker(m_cpuList);
  m_cpuList->clear();
  for (const auto& section : Doc().Kb().cpuDb.Sections())
    m_cpuList->addItem(ToQ(section->name));
  m_filled = true;
}

QString CViewCPU::SelectedName() const {
  int index = m_cpuList->currentIndex();
  return index >= 0 ? m_cpuList->itemText(index) : ToQ(Doc().m_strCpu);
}

void CViewCPU::LoadControls() {
  if (!m_filled)
    FillCpuList();
  CValueExchange dx = PageExchange(*this, CValueExchange::EDirection::Load);
  uint32_t sysClk = Doc().m_nSysClk;
  uint32_t ptbClk = Doc().m_nPtbClk;
  ExchangeClockField(dx, m_sysClk, sysClk);
  ExchangeClockField(dx, m_ptbClk, ptbClk, PtbClockZeroText(Doc().m_cpu));
  // A new project names no processor and takes the first; a name the
  // database does not know stays, shown with the generic properties.
  int index = m_cpuList->findText(ToQ(Doc().m_strCpu), Qt::MatchExactly | Qt::MatchCaseSensitive);
  if (index < 0 && Doc().m_strCpu.empty() && m_cpuList->count() > 0)
    index = 0;
  {
    QSignalBlocker blocker(m_cpuList);
    m_cpuList->setCurrentIndex(index);
  }
  OnCpuSelected();
}

void CViewCPU::OnCpuSelected() {
  const CKivoCpuDb& db = Doc().Kb().cpuDb;
  std::string name = FromQ(SelectedName());
  m_cpu = CpuRecordFor(Doc(), name);

  CCpuPropertyTexts texts = CpuPropertyTexts(db, name);
  m_name->setText(ToQ(texts.name));
  m_engines->setText(ToQ(texts.engines));
  m_maxSysClk->setText(ToQ(texts.systemClock));
  m_stacBus->setText(ToQ(texts.stacBus));
  m_ptbAvailable->setText(ToQ(texts.peripheralTimebase));
  m_maxPtbClk->setText(ToQ(texts.peripheralClock));

  RebuildClockList(m_sysClk, m_cpu.systemClock);
  RebuildClockList(m_ptbClk, m_cpu.peripheralTimebaseClock);
  {
    QSignalBlocker blocker(m_ptbClk);
    m_ptbClk->setEditText(ToQ(PtbClockText(m_cpu, FromQ(m_ptbClk->currentText()))));
  }

  ShowPtbRows(m_cpu.peripheralTimebaseAvailable != 0);
  CCpuPageStates states = CpuPageStates(Doc(), m_cpu);
  m_cpuList->setEnabled(states.cpuList);
  m_sysClk->setEnabled(states.sysClk);
  m_ptbClk->setEnabled(states.ptbClk);
  // The engine-B pages follow the choice at once, before anything is stored.
  if (Frame()) {
    Frame()->ShowPage(kPageEngineB, states.engineBPages);
    Frame()->ShowPage(kPageChannelsB, states.engineBPages);
  }
  UpdateKivoClock();
}

// The peripheral time base rows show only for a processor that has one: a
// clock the user cannot see could refuse the page with no way to mend it.
void CViewCPU::ShowPtbRows(bool show) {
  for (QWidget* field : {static_cast<QWidget*>(m_ptbAvailable), static_cast<QWidget*>(m_maxPtbClk),
                         static_cast<QWidget*>(m_ptbClk)})
    m_form->setRowVisible(field, show);
}

void CViewCPU::RebuildClockList(QComboBox* list, uint32_t maxHz) {
  QSignalBlocker blocker(list);
  QString typed = list->currentText();
  list->clear();
  for (const std::string& entry : CpuClockListEntries(maxHz))
    list->addItem(ToQ(entry));
  list->setCurrentIndex(-1);
  list->setEditText(typed);
}

void CViewCPU::UpdateKivoClock() {
  m_kivoClockLabel->setText(ToQ(::KivoClockLabel(m_cpu.kivoClkPrescaler, FromQ(m_kivoClockFormText))));
  m_kivoClock->setText(ToQ(KivoClockText(FromQ(m_sysClk->currentText()), m_cpu.kivoClkPrescaler)));
}

bool CViewCPU::Refuse(int messageId, QWidget* control, bool validate) {
  if (validate) {
    ShowMessage(messageId, EMessageKind::Warning);
    control->setFocus(Qt::OtherFocusReason);
  }
  return false;
}

bool CViewCPU::StoreControls(bool validate) {
  CValueExchange dx = PageExchange(*this, CValueExchange::EDirection::Save, !validate);
  uint32_t sysClk = Doc().m_nSysClk;
  uint32_t ptbClk = Doc().m_nPtbClk;
  if (!ExchangeClockField(dx, m_sysClk, sysClk) || !ExchangeClockField(dx, m_ptbClk, ptbClk))
    return false;

  // Everything is checked before anything is changed: a refusal leaves the
  // project as it was.
  std::string name = FromQ(SelectedName());
  bool change = name != Doc().m_strCpu || m_reapply;
  CKivoCpu newCpu = change ? CpuRecordFor(Doc(), name) : Doc().m_cpu;
  bool collides = false;
  if (change) {
    std::string collisions;
    collides = !Doc().CheckCpuChange(newCpu, false, &collisions);
    if (collides && (!validate || !AskYesNo(kMessageCollides, {collisions}))) {
      if (validate)
        m_cpuList->setFocus(Qt::OtherFocusReason);
      return false;
    }
  }
  if (int problem = FindCpuClockProblem(newCpu, sysClk, ptbClk)) {
    QWidget* field = IsSystemClockProblem(problem) ? m_sysClk : m_ptbClk;
    // When the command line fixed both the processor and the clock, nothing on
    // this page can mend the clash: refusing would keep the page for good, so
    // the user is told and may go on.
    if (field->isEnabled() || m_cpuList->isEnabled())
      return Refuse(problem, field, validate);
    if (validate)
      ShowMessage(problem, EMessageKind::Warning);
  }

  bool changed = false;
  if (change) {
    if (collides)
      Doc().CheckCpuChange(newCpu, true);
    changed = name != Doc().m_strCpu || !(newCpu == Doc().m_cpu) || collides;
    Doc().m_strCpu = name;
    Doc().m_cpu = newCpu;
    m_reapply = false;
  }
  if (sysClk != Doc().m_nSysClk || ptbClk != Doc().m_nPtbClk) {
    Doc().m_nSysClk = sysClk;
    Doc().m_nPtbClk = ptbClk;
    changed = true;
  }
  if (!changed)
    return true;
  Doc().SetModifiedFlag();
  if (!validate) {
    // Inside another page's store round: no views are told from here.
    Doc().DeriveEngineFrequencies(-1);
    return true;
  }
  Doc().NotifyChanged(-1);
  if (collides)
    Doc().UpdateViews(kHintEverything);
  return true;
}
