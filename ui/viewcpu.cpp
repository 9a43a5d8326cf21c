// The "Processor" page: target processor, its properties, the system and peripheral clocks and the Kivo clock.
#include "ui/viewcpu.h"

#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>

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

void CViewCPU::OnUpdate(int hint) {
  if (hint == kHintEverything)
    FillCpuList();
  CViewBase::OnUpdate(hint);
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

// The project asks about a processor that collides and refuses clocks above
// its limits; the page puts the focus where the refusal points.
bool CViewCPU::StoreControls(bool validate) {
  CValueExchange dx = PageExchange(*this, CValueExchange::EDirection::Save, !validate);
  CProjDoc::CCpuChoice choice{FromQ(SelectedName()), Doc().m_nSysClk, Doc().m_nPtbClk};
  if (!ExchangeClockField(dx, m_sysClk, choice.sysClk) || !ExchangeClockField(dx, m_ptbClk, choice.ptbClk))
    return false;
  int refusal = 0;
  if (Doc().SetProcessor(choice, validate, &refusal))
    return true;
  if (validate) {
    QWidget* field = refusal == kMessageCollides        ? static_cast<QWidget*>(m_cpuList)
                     : IsSystemClockProblem(refusal) ? static_cast<QWidget*>(m_sysClk)
                                                        : static_cast<QWidget*>(m_ptbClk);
    field->setFocus(Qt::OtherFocusReason);
  }
  return false;
}
