// The "Engine A" and "Engine B" pages: time bases, STAC bus, filters, watchdog and the values derived from them.
#include "ui/viewengine.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>


#include "project/projdoc.h"
#include "ui/uitext.h"
#include "ui/valuebinding.h"

namespace {

QLineEdit* ReadOnlyField(QWidget* parent, const QString& accessibleName = {}) {
  auto* field = new QLineEdit(parent);
  field->setReadOnly(true);
  if (!accessibleName.isEmpty())
    field->setAccessibleName(accessibleName);
  return field;
}

QLabel* Label(const QString& text, QWidget* buddy, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  label->setBuddy(buddy);
  return label;
}

void SetEnabled(std::initializer_list<QWidget*> widgets, bool enabled) {
  for (QWidget* widget : widgets)
    widget->setEnabled(enabled);
}

void SetChecked(QRadioButton* button, bool checked) {
  QSignalBlocker blocker(button);
  button->setChecked(checked);
}

}  // namespace

CViewEngine::CViewEngine(CProjDoc& doc, int pageIndex, QWidget* parent) : CViewBase(doc, pageIndex, parent) {
  m_disabled = new QCheckBox(QStringLiteral("Engine &Disabled (low power mode, clocks stopped)"), this);
  auto* left = new QVBoxLayout;
  left->addWidget(m_disabled);
  left->addWidget(BuildTimeBases());
  left->addStretch(1);
  auto* right = new QVBoxLayout;
  right->addWidget(BuildChannelFilter());
  right->addWidget(BuildTcrclkFilter());
  right->addWidget(BuildKivo2Groups());
  right->addStretch(1);
  auto* columns = new QHBoxLayout(this);
  columns->addLayout(left, 1);
  columns->addLayout(right, 1);

  const CKivoCfgDesc& desc = Doc().Kb().cfgDesc;
  m_tcr1Prescaler->setRange(desc.FindDefBySection("TBCR.TCR1P"));
  m_tcr2Prescaler->setRange(desc.FindDefBySection("TBCR.TCR2P"));
  m_stac[0].slot->setRange(desc.FindDefBySection("STACCR.SRV1"));
  m_stac[1].slot->setRange(desc.FindDefBySection("STACCR.SRV2"));
  ConnectChanges();
  // Filled at once, so that the page's size, which the frame's minimum size
  // comes from, already allows for the lists' entries.
  LoadControls();
}

QWidget* CViewEngine::BuildTimeBases() {
  auto* box = new QWidget(this);
  auto* layout = new QVBoxLayout(box);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(BuildTcr(1));
  layout->addWidget(BuildTcr(2));
  m_angleMode = new QComboBox(box);
  m_angleLabel = Label(QStringLiteral("Angle Mode:"), m_angleMode, box);
  auto* angleRow = new QHBoxLayout;
  angleRow->addWidget(m_angleLabel);
  angleRow->addWidget(m_angleMode, 1);
  layout->addLayout(angleRow);
  return box;
}

QWidget* CViewEngine::BuildTcr(int tcr) {
  bool first = tcr == 1;
  auto* box = new QGroupBox(first ? QStringLiteral("TCR1") : QStringLiteral("TCR2"), this);
  auto* source = new QComboBox(box);
  auto* prescaler = new CNumberSpin(box);
  // The label names whichever of the two fields shows; both carry a name of
  // their own for the one that is hidden.
  auto* input = ReadOnlyField(box, first ? QStringLiteral("TCR1 input frequency")
                                         : QStringLiteral("TCR2 input frequency"));
  auto* tcrclk = new QLineEdit(box);
  tcrclk->setAccessibleName(first ? QStringLiteral("TCR1 TCRCLK input frequency")
                                  : QStringLiteral("TCR2 TCRCLK input frequency"));
  tcrclk->hide();
  auto* freq = ReadOnlyField(box);
  CTcrControls& labels = m_tcr[tcr - 1];
  labels.sourceLabel = Label(first ? QStringLiteral("&Clock Source:") : QStringLiteral("C&lock Source:"), source, box);
  labels.prescalerLabel = Label(first ? QStringLiteral("&Prescaler:") : QStringLiteral("P&rescaler:"), prescaler, box);
  labels.inputLabel = Label(QStringLiteral("Input frequency:"), input, box);
  labels.freqLabel = Label(first ? QStringLiteral("TCR1 Frequency:") : QStringLiteral("TCR2 Frequency:"), freq, box);

  auto* grid = new QGridLayout(box);
  grid->addWidget(labels.sourceLabel, 0, 0);
  grid->addWidget(source, 0, 1);
  grid->addWidget(labels.prescalerLabel, 1, 0);
  grid->addWidget(prescaler, 1, 1);
  grid->addWidget(labels.inputLabel, 2, 0);
  grid->addWidget(input, 2, 1);
  grid->addWidget(tcrclk, 2, 1);
  grid->addWidget(labels.freqLabel, 3, 0);
  grid->addWidget(freq, 3, 1);
  grid->addWidget(BuildStac(tcr, box), 4, 0, 1, 2);
  grid->setColumnStretch(1, 1);

  (first ? m_tcr1Source : m_tcr2Source) = source;
  (first ? m_tcr1Prescaler : m_tcr2Prescaler) = prescaler;
  (first ? m_tcr1Input : m_tcr2Input) = input;
  (first ? m_tcr1Tcrclk : m_tcr2Tcrclk) = tcrclk;
  (first ? m_tcr1Freq : m_tcr2Freq) = freq;
  return box;
}

QWidget* CViewEngine::BuildStac(int tcr, QWidget* parent) {
  CStacControls& stac = m_stac[tcr - 1];
  auto* box = new QWidget(parent);
  stac.enable = new QCheckBox(tcr == 1 ? QStringLiteral("Enable TCR1 &STAC Bus operation")
                                       : QStringLiteral("Enable TCR2 S&TAC Bus operation"),
                              box);
  // The pair has a parent of its own so that it is exclusive only within itself.
  auto* roles = new QWidget(box);
  stac.server = new QRadioButton(QStringLiteral("as server"), roles);
  stac.client = new QRadioButton(QStringLiteral("as client"), roles);
  auto* roleRow = new QHBoxLayout(roles);
  roleRow->setContentsMargins(0, 0, 0, 0);
  roleRow->addWidget(stac.server);
  roleRow->addWidget(stac.client);
  roleRow->addStretch(1);
  stac.slot = new CNumberSpin(box);
  stac.slotLabel = Label(QStringLiteral("Server slot:"), stac.slot, box);

  auto* grid = new QGridLayout(box);
  grid->setContentsMargins(0, 0, 0, 0);
  grid->addWidget(stac.enable, 0, 0, 1, 2);
  grid->addWidget(roles, 1, 0, 1, 2);
  grid->addWidget(stac.slotLabel, 2, 0);
  grid->addWidget(stac.slot, 2, 1);
  grid->setColumnStretch(1, 1);
  return box;
}

QWidget* CViewEngine::BuildChannelFilter() {
  auto* box = new QGroupBox(QStringLiteral("Channel Input Digital Filter"), this);
  m_sampleRate = new QComboBox(box);
  m_sampleFreq = ReadOnlyField(box, QStringLiteral("Sample frequency"));
  m_filterMode = new QComboBox(box);
  m_detectFrom = ReadOnlyField(box);
  m_filterUpTo = ReadOnlyField(box);
  auto* grid = new QGridLayout(box);
  grid->addWidget(Label(QStringLiteral("D&igital filter sample rate:"), m_sampleRate, box), 0, 0);
  grid->addWidget(m_sampleRate, 0, 1);
  grid->addWidget(m_sampleFreq, 0, 2);
  grid->addWidget(Label(QStringLiteral("Digital filter &mode:"), m_filterMode, box), 1, 0);
  grid->addWidget(m_filterMode, 1, 1, 1, 2);
  grid->addWidget(Label(QStringLiteral("Detect pulses from width:"), m_detectFrom, box), 2, 0);
  grid->addWidget(m_detectFrom, 2, 1, 1, 2);
  grid->addWidget(Label(QStringLiteral("Filter pulses up to width:"), m_filterUpTo, box), 3, 0);
  grid->addWidget(m_filterUpTo, 3, 1, 1, 2);
  grid->setColumnStretch(1, 1);
  return box;
}

QWidget* CViewEngine::BuildTcrclkFilter() {
  auto* box = new QGroupBox(QStringLiteral("TCRCLK Input Digital Filter"), this);
  auto* clockPair = new QWidget(box);
  m_tcrclkHalfKivo = new QRadioButton(QStringLiteral("Kivo clock divided by 2"), clockPair);
  m_tcrclkHalfKivoFreq = ReadOnlyField(clockPair, QStringLiteral("Kivo clock divided by 2 frequency"));
  m_tcrclkSameAsFilter = new QRadioButton(QStringLiteral("Same as channel input filter"), clockPair);
  m_tcrclkSameAsFilterFreq = ReadOnlyField(clockPair, QStringLiteral("Same as channel input filter frequency"));
  auto* clockGrid = new QGridLayout(clockPair);
  clockGrid->setContentsMargins(0, 0, 0, 0);
  clockGrid->addWidget(m_tcrclkHalfKivo, 0, 0);
  clockGrid->addWidget(m_tcrclkHalfKivoFreq, 0, 1);
  clockGrid->addWidget(m_tcrclkSameAsFilter, 1, 0);
  clockGrid->addWidget(m_tcrclkSameAsFilterFreq, 1, 1);

  auto* modePair = new QWidget(box);
  m_tcrclkTwoSample = new QRadioButton(QStringLiteral("Two-sample mode"), modePair);
  m_tcrclkIntegration = new QRadioButton(QStringLiteral("Integration mode"), modePair);
  auto* modeRow = new QHBoxLayout(modePair);
  modeRow->setContentsMargins(0, 0, 0, 0);
  modeRow->addWidget(m_tcrclkTwoSample);
  modeRow->addWidget(m_tcrclkIntegration);
  modeRow->addStretch(1);

  m_tcrclkClockLabel = Label(QStringLiteral("Digital &filter mode:"), m_tcrclkHalfKivo, box);
  m_tcrclkModeLabel = Label(QStringLiteral("Di&gital filter sample rate:"), m_tcrclkTwoSample, box);
  auto* layout = new QVBoxLayout(box);
  layout->addWidget(m_tcrclkClockLabel);
  layout->addWidget(clockPair);
  layout->addWidget(m_tcrclkModeLabel);
  layout->addWidget(modePair);
  return box;
}

QWidget* CViewEngine::BuildKivo2Groups() {
  auto* box = new QWidget(this);
  auto* layout = new QVBoxLayout(box);
  layout->setContentsMargins(0, 0, 0, 0);

  m_priorityGroup = new QGroupBox(QStringLiteral("Scheduler Priority passing"), box);
  m_priorityDisabled = new QCheckBox(QStringLiteral("Disable priority passing"), m_priorityGroup);
  (new QVBoxLayout(m_priorityGroup))->addWidget(m_priorityDisabled);
  layout->addWidget(m_priorityGroup);

  m_watchdogGroup = new QGroupBox(QStringLiteral("Watchdog"), box);
  m_wdMode = new QComboBox(m_watchdogGroup);
  m_wdCount = new QLineEdit(m_watchdogGroup);
  m_wdPeriod = ReadOnlyField(m_watchdogGroup);
  auto* wdGrid = new QGridLayout(m_watchdogGroup);
  wdGrid->addWidget(Label(QStringLiteral("Mode:"), m_wdMode, m_watchdogGroup), 0, 0);
  wdGrid->addWidget(m_wdMode, 0, 1);
  wdGrid->addWidget(Label(QStringLiteral("Count:"), m_wdCount, m_watchdogGroup), 1, 0);
  wdGrid->addWidget(m_wdCount, 1, 1);
  wdGrid->addWidget(Label(QStringLiteral("Period:"), m_wdPeriod, m_watchdogGroup), 2, 0);
  wdGrid->addWidget(m_wdPeriod, 2, 1);
  wdGrid->setColumnStretch(1, 1);
  layout->addWidget(m_watchdogGroup);

  m_timingGroup = new QWidget(box);
  m_channelTiming = ReadOnlyField(m_timingGroup);
  auto* timingRow = new QHBoxLayout(m_timingGroup);
  timingRow->addWidget(Label(QStringLiteral("Channel Timing Mode:"), m_channelTiming, m_timingGroup));
  timingRow->addWidget(m_channelTiming, 1);
  layout->addWidget(m_timingGroup);
  return box;
}

void CViewEngine::ConnectChanges() {
  // A list never gets narrower than its longest entry, so the page's
  // minimum size, which the frame keeps, shows every choice whole.
  for (QComboBox* list : {m_tcr1Source, m_tcr2Source, m_angleMode, m_sampleRate, m_filterMode, m_wdMode})
    list->setSizeAdjustPolicy(QComboBox::AdjustToContents);
  auto refresh = [this] {
    if (!m_loading)
      Refresh();
  };
  for (QComboBox* list : {m_tcr1Source, m_tcr2Source, m_angleMode, m_sampleRate, m_filterMode, m_wdMode})
    connect(list, &QComboBox::currentIndexChanged, this, refresh);
  for (QCheckBox* box : {m_disabled, m_stac[0].enable, m_stac[1].enable, m_priorityDisabled})
    connect(box, &QCheckBox::toggled, this, refresh);
  for (QRadioButton* button : {m_stac[0].server, m_stac[0].client, m_stac[1].server, m_stac[1].client,
                               m_tcrclkHalfKivo, m_tcrclkSameAsFilter, m_tcrclkTwoSample, m_tcrclkIntegration})
    connect(button, &QRadioButton::toggled, this, refresh);
  for (CNumberSpin* spin : {m_tcr1Prescaler, m_tcr2Prescaler, m_stac[0].slot, m_stac[1].slot})
    connect(spin, &CNumberSpin::textEdited, this, refresh);
  connect(m_wdCount, &QLineEdit::textEdited, this, refresh);
  // Both TCRCLK fields stand for the one input frequency, so they say the same.
  connect(m_tcr1Tcrclk, &QLineEdit::textEdited, this, [this, refresh](const QString& text) {
    m_tcr2Tcrclk->setText(text);
    refresh();
  });
  connect(m_tcr2Tcrclk, &QLineEdit::textEdited, this, [this, refresh](const QString& text) {
    m_tcr1Tcrclk->setText(text);
    refresh();
  });
}

void CViewEngine::OnUpdate(int hint) {
  switch (hint) {
    case kHintEngineA:
    case kHintEngineB:
      if (Engine() == hint - kHintEngineA)
        LoadControls();
      break;
    case kHintAllEngines: LoadControls(); break;
    default: CViewBase::OnUpdate(hint); break;
  }
}

bool CViewEngine::Exchange(CProjDoc::CEngineValues& values, bool save, bool quiet) {
  CValueExchange dx =
      PageExchange(*this, save ? CValueExchange::EDirection::Save : CValueExchange::EDirection::Load, quiet);
  // A field no member holds reaches the routines as an empty set, which they report.
  CKivoVarValueSet none;
  auto member = [&values, &none](const char* section) -> CKivoVarValueSet& {
    CKivoVarValueSet* holder = values.MemberWith(section);
    return holder ? *holder : none;
  };
  auto check = [&](QCheckBox* box, const char* section) {
    return ExchangeValueCheck(dx, box, member(section), section);
  };
  auto list = [&](QComboBox* combo, const char* section) {
    return ExchangeValueList(dx, combo, member(section), section);
  };
  auto number = [&](QWidget* field, const char* section) {
    return ExchangeValueNumber(dx, field, member(section), section);
  };
  auto radio = [&](std::vector<QRadioButton*> group, const char* section) {
    return ExchangeValueRadio(dx, group, member(section), section);
  };
  return check(m_disabled, "ECR.MDIS") && ExchangeValueList(dx, m_tcr1Source, values.Field("combination0")) &&
         number(m_tcr1Prescaler, "TBCR.TCR1P") && list(m_tcr2Source, "TBCR.TCR2CTL") &&
         number(m_tcr2Prescaler, "TBCR.TCR2P") && list(m_angleMode, "TBCR.AM") &&
         check(m_stac[0].enable, "STACCR.REN1") && radio({m_stac[0].server, m_stac[0].client}, "STACCR.RSC1") &&
         number(m_stac[0].slot, "STACCR.SRV1") && check(m_stac[1].enable, "STACCR.REN2") &&
         radio({m_stac[1].server, m_stac[1].client}, "STACCR.RSC2") && number(m_stac[1].slot, "STACCR.SRV2") &&
         check(m_priorityDisabled, "ECR.SPPDIS") &&
         ExchangeValueList(dx, m_sampleRate, values.Field("combination2")) && list(m_filterMode, "ECR.CDFC") &&
         radio({m_tcrclkHalfKivo, m_tcrclkSameAsFilter}, "TBCR.TCRCF1") &&
         radio({m_tcrclkTwoSample, m_tcrclkIntegration}, "TBCR.TCRCF2") && list(m_wdMode, "WDTR.WDM") &&
         number(m_wdCount, "WDTR.WDCNT");
}

void CViewEngine::LoadControls() {
  m_loading = true;
  ClearLockedControls();
  CProjDoc::CEngineValues values = Doc().EngineValues(Engine());
  Exchange(values, false, false);
  CValueExchange dx = PageExchange(*this, CValueExchange::EDirection::Load);
  ExchangeClockField(dx, m_tcr1Tcrclk, values.tcrclkIn);
  ExchangeClockField(dx, m_tcr2Tcrclk, values.tcrclkIn);
  m_loading = false;
  Refresh();
  // What storing the controls as loaded gives: a value the controls cannot
  // show (an empty prescaler) settles on store, which is no edit of the user's.
  CProjDoc::CEngineValues asLoaded = Doc().EngineValues(Engine());
  if (Store(asLoaded, false))
    m_asLoaded = std::make_unique<CProjDoc::CEngineValues>(std::move(asLoaded));
  else
    m_asLoaded.reset();
}

bool CViewEngine::Store(CProjDoc::CEngineValues& values, bool validate) {
  CValueExchange dx = PageExchange(*this, CValueExchange::EDirection::Save, !validate);
  // Only a field the user can see holds the TCRCLK frequency to keep.
  QLineEdit* tcrclkField = !m_tcr1Tcrclk->isHidden() ? m_tcr1Tcrclk
                           : !m_tcr2Tcrclk->isHidden() ? m_tcr2Tcrclk
                                                       : nullptr;
  return Exchange(values, true, !validate) && (!tcrclkField || ExchangeClockField(dx, tcrclkField, values.tcrclkIn));
}

// The page works on a copy of the engine's values, so a refused value leaves
// the project as it was, and the whole page is one step.
bool CViewEngine::StoreControls(bool validate) {
  CProjDoc::CEngineValues values = Doc().EngineValues(Engine());
  if (!Store(values, validate))
    return false;
  if (m_asLoaded && values == *m_asLoaded) {
    Doc().SettleEngineValues(values);
    return true;
  }
  return Doc().SetEngineValues(values);
}

int CViewEngine::CheckedIndex(const std::vector<QRadioButton*>& group) {
  for (std::size_t i = 0; i < group.size(); ++i)
    if (group[i]->isChecked())
      return static_cast<int>(i);
  return -1;
}

CEngineFields CViewEngine::Fields() const {
  CEngineFields fields;
  fields.tcr1Source = m_tcr1Source->currentIndex();
  fields.tcr1Prescaler = FromQ(NumberFieldText(m_tcr1Prescaler));
  fields.tcr2Source = m_tcr2Source->currentIndex();
  fields.tcr2Prescaler = FromQ(NumberFieldText(m_tcr2Prescaler));
  fields.angleMode = m_angleMode->currentIndex();
  fields.stac1Enabled = m_stac[0].enable->isChecked();
  fields.stac1Role = CheckedIndex({m_stac[0].server, m_stac[0].client});
  fields.stac2Enabled = m_stac[1].enable->isChecked();
  fields.stac2Role = CheckedIndex({m_stac[1].server, m_stac[1].client});
  fields.sampleRate = m_sampleRate->currentIndex();
  fields.filterMode = m_filterMode->currentIndex();
  fields.tcrclkFilterClock = CheckedIndex({m_tcrclkHalfKivo, m_tcrclkSameAsFilter});
  fields.tcrclk1 = FromQ(m_tcr1Tcrclk->text());
  fields.tcrclk2 = FromQ(m_tcr2Tcrclk->text());
  fields.watchdogCount = FromQ(m_wdCount->text());
  return fields;
}

void CViewEngine::Refresh() {
  m_result = ApplyEngineRules(Doc(), Fields());
  const CEngineDerived::CTexts& text = m_result.derived.text;
  m_tcr1Input->setText(ToQ(text.tcr1Input));
  m_tcr1Freq->setText(ToQ(text.tcr1Freq));
  m_tcr2Input->setText(ToQ(text.tcr2Input));
  m_tcr2Freq->setText(ToQ(text.tcr2Freq));
  m_sampleFreq->setText(ToQ(text.sampleFreq));
  m_tcrclkSameAsFilterFreq->setText(ToQ(text.sampleFreq));
  m_tcrclkHalfKivoFreq->setText(ToQ(text.halfKivoClock));
  m_detectFrom->setText(ToQ(text.detectFrom));
  m_filterUpTo->setText(ToQ(text.filterUpTo));
  m_wdPeriod->setText(ToQ(text.watchdogPeriod));
  m_channelTiming->setText(ToQ(text.channelTiming));
  ApplyStates(m_result.states);
}

void CViewEngine::ApplyStates(const CEngineStates& states) {
  for (int tcr = 0; tcr < 2; ++tcr) {
    bool clock = tcr == 0 ? states.tcr1Clock : states.tcr2Clock;
    const CTcrControls& labels = m_tcr[tcr];
    SetEnabled({labels.sourceLabel, tcr == 0 ? m_tcr1Source : m_tcr2Source, labels.prescalerLabel,
                tcr == 0 ? static_cast<QWidget*>(m_tcr1Prescaler) : m_tcr2Prescaler, labels.inputLabel,
                tcr == 0 ? m_tcr1Input : m_tcr2Input, tcr == 0 ? m_tcr1Tcrclk : m_tcr2Tcrclk, labels.freqLabel,
                tcr == 0 ? m_tcr1Freq : m_tcr2Freq},
               clock);

    const CEngineStates::CStac& rule = tcr == 0 ? states.stac1 : states.stac2;
    const CStacControls& stac = m_stac[tcr];
    stac.enable->setEnabled(rule.enable);
    stac.server->setEnabled(rule.server);
    stac.client->setEnabled(rule.client);
    SetEnabled({stac.slotLabel, stac.slot}, rule.slot);
    // Angle mode forces the server role; the buttons show what will be stored.
    if (rule.role == 0 && !stac.server->isChecked())
      SetChecked(stac.server, true);

    bool tcrclk = tcr == 0 ? states.tcr1TcrclkVisible : states.tcr2TcrclkVisible;
    QLineEdit* input = tcr == 0 ? m_tcr1Input : m_tcr2Input;
    QLineEdit* tcrclkField = tcr == 0 ? m_tcr1Tcrclk : m_tcr2Tcrclk;
    input->setHidden(tcrclk);
    tcrclkField->setHidden(!tcrclk);
    labels.inputLabel->setBuddy(tcrclk ? tcrclkField : input);
  }
  SetEnabled({m_angleLabel, m_angleMode}, states.angleMode);
  SetEnabled({m_tcrclkClockLabel, m_tcrclkHalfKivo, m_tcrclkSameAsFilter, m_tcrclkModeLabel, m_tcrclkTwoSample,
              m_tcrclkIntegration},
             states.tcrclkFilter);
  m_tcrclkHalfKivoFreq->setEnabled(states.halfKivoClockFreq);
  m_tcrclkSameAsFilterFreq->setEnabled(states.sameAsFilterFreq);
  for (QWidget* group : {static_cast<QWidget*>(m_priorityGroup), static_cast<QWidget*>(m_watchdogGroup),
                         m_timingGroup})
    group->setHidden(!states.kivo2Groups);
  DisableLockedControls();
}
