// The value controls bound to widgets: combo boxes, check boxes, radio groups and number fields.
#include "ui/valuebinding.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QStringList>
#include <QVariant>

#include <algorithm>

#include "base/texthelpers.h"
#include "knowledge/cfgdesc.h"
#include "knowledge/valuecontrols.h"
#include "project/projdoc.h"
#include "ui/viewbase.h"

namespace {

constexpr int kInvalidClock = 4013;
constexpr const char* kBoundSections = "kvBoundSections";

std::string ToStd(const QString& text) { return text.toStdString(); }
QString ToQt(const std::string& text) { return QString::fromStdString(text); }

bool Refuse(CValueExchange& dx, QWidget* control, const CValuePrompt& prompt) {
  if (!dx.quiet)
    prompt.Show();
  return dx.Fail(control);
}

// `sections` may name several fields, separated by commas.
void MarkBound(QWidget* control, const std::string& sections) {
  if (!control)
    return;
  QStringList bound = control->property(kBoundSections).toStringList();
  for (const QString& section : ToQt(sections).split(QLatin1Char(','), Qt::SkipEmptyParts))
    if (!bound.contains(section.trimmed()))
      bound << section.trimmed();
  control->setProperty(kBoundSections, bound);
}

CKivoVarValue* FindOrReport(CValueExchange& dx, QWidget* control, CKivoVarValueSet& set,
                            const std::string& section) {
  MarkBound(control, section);
  CKivoVarValue* value = set.Find(section);
  if (!value)
    Refuse(dx, control, InternalErrorPrompt());
  return value;
}

void LockIfHighlighted(CValueExchange& dx, const CKivoVarValue& value, QWidget* control) {
  if (value.highlight && dx.inTabView && dx.lockControl)
    dx.lockControl(control);
}

}  // namespace

// ---- CNumberSpin

CNumberSpin::CNumberSpin(QWidget* parent) : QAbstractSpinBox(parent) {
  connect(lineEdit(), &QLineEdit::textEdited, this, &CNumberSpin::textEdited);
}

void CNumberSpin::setRange(int minimum, int maximum) {
  m_min = std::min(minimum, maximum);
  m_max = std::max(minimum, maximum);
  update();
}

void CNumberSpin::setRange(const CKivoVarDef* def) {
  CKivoVarValue probe(def);
  CValueBounds bounds = ValueNumberBounds(probe);
  setRange(bounds.min, bounds.max);
}

void CNumberSpin::setText(const QString& text) { lineEdit()->setText(text); }

void CNumberSpin::stepBy(int steps) {
  int64_t number = m_min;
  ReadIntegerField(ToStd(text()), number);
  number = std::clamp<int64_t>(number + steps, m_min, m_max);
  lineEdit()->setText(QString::number(number));
  Q_EMIT textEdited(text());
}

QAbstractSpinBox::StepEnabled CNumberSpin::stepEnabled() const {
  if (isReadOnly() || !isEnabled())
    return StepNone;
  int64_t number = 0;
  if (!ReadIntegerField(ToStd(text()), number))
    return StepUpEnabled | StepDownEnabled;
  StepEnabled enabled = StepNone;
  if (number < m_max)
    enabled |= StepUpEnabled;
  if (number > m_min)
    enabled |= StepDownEnabled;
  return enabled;
}

// ---- CValueExchange

bool CValueExchange::Fail(QWidget* control) {
  m_failed = true;
  if (!m_failedControl)
    m_failedControl = control;
  if (control && !quiet) {
    control->setFocus(Qt::OtherFocusReason);
    if (auto* edit = qobject_cast<QLineEdit*>(control))
      edit->selectAll();
  }
  return false;
}

CValueExchange PageExchange(CViewBase& view, CValueExchange::EDirection direction, bool quiet) {
  CValueExchange dx(direction);
  dx.quiet = quiet;
  dx.inTabView = true;
  dx.kivo2Processor = view.Doc().m_cpu.isKivo2 != 0;
  dx.lockControl = [&view](QWidget* control) { view.RegisterLockedControl(control); };
  return dx;
}

// ---- Number field text

QString NumberFieldText(const QWidget* field) {
  if (auto* combo = qobject_cast<const QComboBox*>(field))
    return combo->currentText();
  if (auto* spin = qobject_cast<const QAbstractSpinBox*>(field))
    return spin->text();
  if (auto* edit = qobject_cast<const QLineEdit*>(field))
    return edit->text();
  return {};
}

void SetNumberFieldText(QWidget* field, const QString& text) {
  if (auto* combo = qobject_cast<QComboBox*>(field))
    combo->setEditText(text);
  else if (auto* spin = qobject_cast<CNumberSpin*>(field))
    spin->setText(text);
  else if (auto* edit = qobject_cast<QLineEdit*>(field))
    edit->setText(text);
}

// ---- The exchange routines

bool ExchangeValueList(CValueExchange& dx, QComboBox* combo, CKivoVarValueSet& set, const std::string& section) {
  CKivoVarValue* value = FindOrReport(dx, combo, set, section);
  return value && ExchangeValueList(dx, combo, value);
}

bool ExchangeValueList(CValueExchange& dx, QComboBox* combo, CKivoVarValue* value) {
  if (!value)
    return Refuse(dx, combo, InternalErrorPrompt());
  if (value->def)
    MarkBound(combo, value->def->section);
  if (dx.Saving()) {
    if (combo->isEditable()) {
      SaveValueListText(*value, ToStd(combo->currentText()));
    } else if (combo->currentIndex() >= 0) {
      SaveValueListText(*value, ToStd(combo->itemText(combo->currentIndex())));
    }
    return true;
  }
  bool includeKivo2 = !dx.inTabView || dx.kivo2Processor;
  CValueListLoad load = LoadValueList(*value, includeKivo2, combo->isEditable());
  QSignalBlocker blocker(combo);
  combo->clear();
  for (const std::string& entry : load.entries)
    combo->addItem(ToQt(entry));
  combo->setCurrentIndex(load.selected);
  if (load.selected < 0)
    combo->setEditText(ToQt(load.text));
  LockIfHighlighted(dx, *value, combo);
  return true;
}

bool ExchangeValueCheck(CValueExchange& dx, QCheckBox* box, CKivoVarValueSet& set, const std::string& section) {
  CKivoVarValue* value = FindOrReport(dx, box, set, section);
  if (!value)
    return false;
  if (dx.Saving()) {
    SaveValueCheck(*value, box->isChecked());
    return true;
  }
  QSignalBlocker blocker(box);
  box->setChecked(LoadValueCheck(*value));
  LockIfHighlighted(dx, *value, box);
  return true;
}

bool ExchangeValueNumber(CValueExchange& dx, QWidget* field, CKivoVarValueSet& set, const std::string& section,
                         const char* format) {
  CKivoVarValue* value = FindOrReport(dx, field, set, section);
  if (!value)
    return false;
  if (dx.Saving()) {
    CValuePrompt prompt;
    if (!SaveValueNumber(*value, ToStd(NumberFieldText(field)), field->isEnabled(), &prompt))
      return Refuse(dx, field, prompt);
    return true;
  }
  QSignalBlocker blocker(field);
  SetNumberFieldText(field, ToQt(LoadValueNumberText(*value, format ? format : "%d")));
  LockIfHighlighted(dx, *value, field);
  return true;
}

bool ExchangeValueRadio(CValueExchange& dx, const std::vector<QRadioButton*>& group, CKivoVarValueSet& set,
                        const std::string& section) {
  QWidget* first = group.empty() ? nullptr : group.front();
  CKivoVarValue* value = FindOrReport(dx, first, set, section);
  if (!value)
    return false;
  if (dx.Saving()) {
    auto checked = std::find_if(group.begin(), group.end(), [](QRadioButton* b) { return b->isChecked(); });
    int index = checked == group.end() ? -1 : static_cast<int>(checked - group.begin());
    CValuePrompt prompt;
    if (!SaveValueRadio(*value, index, &prompt))
      return Refuse(dx, first, prompt);
    return true;
  }
  std::size_t position = static_cast<std::size_t>(LoadValueRadio(*value));
  for (std::size_t i = 0; i < group.size(); ++i) {
    QSignalBlocker blocker(group[i]);
    // Exclusivity is dropped for a moment so that a position past the buttons
    // can leave all of them clear.
    bool exclusive = group[i]->autoExclusive();
    group[i]->setAutoExclusive(false);
    group[i]->setChecked(i == position);
    group[i]->setAutoExclusive(exclusive);
  }
  for (QRadioButton* button : group)
    LockIfHighlighted(dx, *value, button);
  return true;
}

QWidget* BoundControl(const QWidget* page, const std::string& section) {
  if (!page)
    return nullptr;
  const QString wanted = ToQt(section);
  for (QWidget* control : page->findChildren<QWidget*>())
    if (control->property(kBoundSections).toStringList().contains(wanted))
      return control;
  return nullptr;
}

bool ExchangeClockField(CValueExchange& dx, QWidget* field, uint32_t& hz, const char* zeroText) {
  if (!dx.Saving()) {
    QSignalBlocker blocker(field);
    // The exact form: a field saved unchanged must give back the same frequency.
    SetNumberFieldText(field, ToQt(hz == 0 && zeroText ? std::string(zeroText) : FormatFrequencyExact(hz)));
    return true;
  }
  uint32_t read = 0;
  if (ParseFrequency(ToStd(NumberFieldText(field)), &read)) {
    hz = read;
    return true;
  }
  if (field->isEnabled()) {
    CValuePrompt prompt{kInvalidClock, EMessageKind::Warning, {}};
    return Refuse(dx, field, prompt);
  }
  hz = 0;
  return true;
}
