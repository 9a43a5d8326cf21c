// The value controls bound to widgets: combo boxes, check boxes, radio groups and number fields.
#pragma once

#include <QAbstractSpinBox>
#include <QString>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QRadioButton;
class QWidget;
class CKivoVarDef;
class CKivoVarValue;
class CKivoVarValueSet;
class CViewBase;

// A number field with up and down arrows whose text is the user's own: it
// takes C integer literals ("0x10") and keeps a refused text for the check on
// leaving, instead of correcting it silently as a QSpinBox would.
class CNumberSpin : public QAbstractSpinBox {
  Q_OBJECT

 public:
  explicit CNumberSpin(QWidget* parent = nullptr);

  void setRange(int minimum, int maximum);
  // The bounds of the description's first value when it takes a bounded
  // argument, otherwise the whole signed 32-bit range.
  void setRange(const CKivoVarDef* def);
  int minimum() const { return m_min; }
  int maximum() const { return m_max; }
  void setText(const QString& text);

  void stepBy(int steps) override;

 Q_SIGNALS:
  void textEdited(const QString& text);

 protected:
  StepEnabled stepEnabled() const override;

 private:
  int m_min = INT32_MIN;
  int m_max = INT32_MAX;
};

// One exchange between a page's controls and the project, in one direction.
// A refused value sets the focus on its control and marks the exchange failed;
// a page stops at the first refusal.
class CValueExchange {
 public:
  enum class EDirection { Load, Save };

  explicit CValueExchange(EDirection direction) : m_saving(direction == EDirection::Save) {}

  bool Saving() const { return m_saving; }
  bool Failed() const { return m_failedControl != nullptr || m_failed; }
  QWidget* FailedControl() const { return m_failedControl; }
  // Marks the exchange failed with the focus on `control`; always false.
  bool Fail(QWidget* control);

  // Set by a tab page: values marked for highlighting register their controls
  // through `lockControl`, and Kivo2-only list entries follow the processor.
  // A quiet exchange stores what it can and shows no prompt.
  bool quiet = false;
  bool inTabView = false;
  bool kivo2Processor = false;
  std::function<void(QWidget*)> lockControl;

 private:
  bool m_saving;
  bool m_failed = false;
  QWidget* m_failedControl = nullptr;
};

// An exchange for a tab page: its locked controls and its project's processor.
CValueExchange PageExchange(CViewBase& view, CValueExchange::EDirection direction, bool quiet = false);

// Each routine moves one value; the value-set forms look the value up by
// section and report "internal error" when there is none. All return false
// when the exchange failed.
bool ExchangeValueList(CValueExchange& dx, QComboBox* combo, CKivoVarValueSet& set, const std::string& section);
bool ExchangeValueList(CValueExchange& dx, QComboBox* combo, CKivoVarValue* value);
bool ExchangeValueCheck(CValueExchange& dx, QCheckBox* box, CKivoVarValueSet& set, const std::string& section);
// `field` is a CNumberSpin or a QLineEdit.
bool ExchangeValueNumber(CValueExchange& dx, QWidget* field, CKivoVarValueSet& set, const std::string& section,
                         const char* format = "%d");
// `group` holds the buttons in position order.
bool ExchangeValueRadio(CValueExchange& dx, const std::vector<QRadioButton*>& group, CKivoVarValueSet& set,
                        const std::string& section);

// The control of `page` that shows the register field `section`: each
// control keeps the fields it was bound to (a combined value's list both of
// its parts'), so a page can point at a field by its section. Null when no
// control of the page has been bound to it.
QWidget* BoundControl(const QWidget* page, const std::string& section);

// A frequency field (line edit or editable combo box): loads the frequency
// with `zeroText` for 0 and saves it through the frequency reader, a bare
// number being hertz. An enabled field refuses what does not read (message
// 4013); a disabled one stores 0.
bool ExchangeClockField(CValueExchange& dx, QWidget* field, uint32_t& hz, const char* zeroText = nullptr);

// The text of a number field of either kind, and setting it.
QString NumberFieldText(const QWidget* field);
void SetNumberFieldText(QWidget* field, const QString& text);
