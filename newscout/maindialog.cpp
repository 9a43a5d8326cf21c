// The main dialog's widgets, wired to its controller.
#include "newscout/maindialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QStyle>
#include <QVBoxLayout>

#include "newscout/aboutdialog.h"
#include "newscout/newscouttexts.h"

namespace {

QString Text(int id) { return QString::fromStdString(NsCatalogText(id)); }

}  // namespace

CMainDialog::CMainDialog(CMainDialogController& controller, QWidget* parent)
    : QDialog(parent), m_controller(controller) {
  setWindowTitle(QString::fromStdString(m_controller.Caption()));
  setWindowIcon(style()->standardIcon(QStyle::SP_DriveNetIcon));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(BuildOptions());
  layout->addWidget(BuildStatus());

  auto* buttons = new QHBoxLayout;
  m_about = new QPushButton(Text(NsText::kAboutItem), this);
  auto* about = m_about;
  about->setObjectName(QStringLiteral("about"));
  about->setAutoDefault(false);
  m_detect = new QPushButton(Text(NsText::kDetectNow), this);
  m_detect->setObjectName(QStringLiteral("detectNow"));
  m_detect->setDefault(true);
  m_visit = new QPushButton(Text(NsText::kVisitPage), this);
  m_visit->setObjectName(QStringLiteral("visitPage"));
  m_visit->setEnabled(false);
  m_visit->setAutoDefault(false);
  auto* exit = new QPushButton(Text(NsText::kExit), this);
  exit->setObjectName(QStringLiteral("exit"));
  exit->setAutoDefault(false);
  buttons->addWidget(about);
  buttons->addStretch();
  buttons->addWidget(m_detect);
  buttons->addWidget(m_visit);
  buttons->addWidget(exit);
  layout->addLayout(buttons);

  connect(about, &QPushButton::clicked, this, [this] {
    CAboutDialog box(this);
    box.exec();
  });
  connect(m_detect, &QPushButton::clicked, this, &CMainDialog::DetectNow);
  connect(m_visit, &QPushButton::clicked, this, [this] { m_controller.VisitDownloadPage(); });
  connect(exit, &QPushButton::clicked, this, &CMainDialog::reject);

  FillControls();
  m_controller.Log().onAdded = [this](const std::string& added) { ShowAdded(added); };
  m_controller.Open();
}

CMainDialog::~CMainDialog() { m_controller.Log().onAdded = nullptr; }

QWidget* CMainDialog::BuildOptions() {
  auto* group = new QGroupBox(Text(NsText::kOptionsGroup), this);
  m_options = group;
  auto* layout = new QVBoxLayout(group);
  auto* row = new QHBoxLayout;
  m_autoCheck = new QCheckBox(Text(NsText::kAutoCheck), group);
  m_autoCheck->setObjectName(QStringLiteral("autoCheck"));
  m_period = new QComboBox(group);
  m_period->setObjectName(QStringLiteral("period"));
  for (int i = 0; i < 3; ++i)
    m_period->addItem(Text(NsText::kOnceADay + i));
  row->addWidget(m_autoCheck);
  row->addWidget(m_period);
  layout->addLayout(row);
  for (int mode = 0; mode < 3; ++mode) {
    m_modes[mode] = new QRadioButton(Text(NsText::kConnectModeAsk + mode), group);
    m_modes[mode]->setObjectName(QStringLiteral("connectMode%1").arg(mode));
    layout->addWidget(m_modes[mode]);
  }
  connect(m_autoCheck, &QCheckBox::toggled, this, &CMainDialog::UpdateEnabling);
  return group;
}

QWidget* CMainDialog::BuildStatus() {
  auto* group = new QGroupBox(Text(NsText::kStatusGroup), this);
  auto* layout = new QVBoxLayout(group);
  auto* row = new QHBoxLayout;
  row->addWidget(new QLabel(Text(NsText::kLastChecked), group));
  m_lastRun = new QLabel(group);
  m_lastRun->setObjectName(QStringLiteral("lastRun"));
  row->addWidget(m_lastRun, 1);
  layout->addLayout(row);
  m_log = new QPlainTextEdit(group);
  m_log->setObjectName(QStringLiteral("statusLog"));
  m_log->setReadOnly(true);
  m_log->setMinimumSize(440, 140);
  layout->addWidget(m_log);
  return group;
}

void CMainDialog::FillControls() {
  auto controls = m_controller.InitialControls();
  m_autoCheckEnabled = controls.autoCheckEnabled;
  m_autoCheck->setChecked(controls.autoCheck);
  m_autoCheck->setEnabled(controls.autoCheckEnabled);
  m_period->setCurrentIndex(controls.periodIndex);
  for (int mode = 0; mode < 3; ++mode)
    m_modes[mode]->setChecked(mode == controls.connectMode);
  m_lastRun->setText(QString::fromStdString(m_controller.LastRunText()));
  UpdateEnabling();
}

void CMainDialog::UpdateEnabling() {
  bool enabled = CMainDialogController::OptionsEnabled(ReadControls());
  m_period->setEnabled(enabled);
  for (QRadioButton* mode : m_modes)
    mode->setEnabled(enabled);
}

CMainDialogController::CControls CMainDialog::ReadControls() const {
  CMainDialogController::CControls controls;
  controls.autoCheckEnabled = m_autoCheckEnabled;
  controls.autoCheck = m_autoCheck->isChecked();
  controls.periodIndex = m_period->currentIndex();
  for (int mode = 0; mode < 3; ++mode) {
    if (m_modes[mode]->isChecked())
      controls.connectMode = mode;
  }
  return controls;
}

void CMainDialog::DetectNow() {
  if (m_controller.QueryRunning())
    return;
  // While the query runs only "E&xit" (and Escape, and closing) stay live: they cancel it.
  bool visitWasEnabled = m_visit->isEnabled();
  for (QWidget* control : {static_cast<QWidget*>(m_options), static_cast<QWidget*>(m_detect),
                           static_cast<QWidget*>(m_visit), static_cast<QWidget*>(m_about)})
    control->setEnabled(false);
  QApplication::setOverrideCursor(Qt::WaitCursor);
  bool enableVisit = m_controller.DetectNow();
  QApplication::restoreOverrideCursor();
  for (QWidget* control : {static_cast<QWidget*>(m_options), static_cast<QWidget*>(m_detect),
                           static_cast<QWidget*>(m_about)})
    control->setEnabled(true);
  m_visit->setEnabled(visitWasEnabled || enableVisit);
  m_detect->setFocus();
  m_lastRun->setText(QString::fromStdString(m_controller.LastRunText()));
  if (m_exitAfterQuery) {
    m_exitAfterQuery = false;
    reject();
  }
}

void CMainDialog::ShowAdded(const std::string& added) {
  QString text = QString::fromStdString(DisplayableText(added, true));
  QTextCursor end = m_log->textCursor();
  end.movePosition(QTextCursor::End);
  end.insertText(text);
  m_log->verticalScrollBar()->setValue(m_log->verticalScrollBar()->maximum());
  m_log->repaint();
}

void CMainDialog::reject() {
  // Leaving in the middle of a query stops it first; the dialog closes once it has ended.
  if (m_controller.QueryRunning()) {
    m_exitAfterQuery = true;
    m_controller.CancelQuery();
    return;
  }
  if (m_controller.Exit(ReadControls()))
    QDialog::reject();
}
