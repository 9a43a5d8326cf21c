// CMainDialog: the version checker's main window, its settings and the status log.
#pragma once

#include <QDialog>

#include "newscout/maindialogcontroller.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;

class CMainDialog : public QDialog {
 public:
  explicit CMainDialog(CMainDialogController& controller, QWidget* parent = nullptr);
  ~CMainDialog() override;

  // "E&xit", Escape and closing the window all save the settings first; during
  // a query they cancel it, and the dialog closes when it has ended.
  void reject() override;

 private:
  QWidget* BuildOptions();
  QWidget* BuildStatus();
  void FillControls();
  void UpdateEnabling();
  CMainDialogController::CControls ReadControls() const;
  void DetectNow();
  void ShowAdded(const std::string& added);

  CMainDialogController& m_controller;
  QCheckBox* m_autoCheck = nullptr;
  QComboBox* m_period = nullptr;
  QRadioButton* m_modes[3] = {nullptr, nullptr, nullptr};
  QLabel* m_lastRun = nullptr;
  QPlainTextEdit* m_log = nullptr;
  QPushButton* m_detect = nullptr;
  QPushButton* m_visit = nullptr;
  QPushButton* m_about = nullptr;
  QWidget* m_options = nullptr;
  bool m_autoCheckEnabled = true;
  bool m_exitAfterQuery = false;
};
