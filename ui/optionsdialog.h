// The Options dialog: where the function sets, the reference manual and the
// application notes lie.
#pragma once

#include <QDialog>
#include <functional>

class CKivoVamApp;
class QLineEdit;
class QPushButton;

class COptionsDialog : public QDialog {
  Q_OBJECT

 public:
  COptionsDialog(CKivoVamApp& app, QWidget* parent = nullptr);

  QLineEdit* FunctionSetField() const { return m_fsets; }
  QLineEdit* ReferenceManualField() const { return m_manual; }
  QLineEdit* AppNotesField() const { return m_notes; }
  QPushButton* FunctionSetBrowse() const { return m_fsetsBrowse; }

  // The folder and file choosers; tests put their own in place. Each gets the
  // resolved start and returns the chosen path, empty when cancelled.
  std::function<QString(const QString& title, const QString& start)> chooseFolder;
  std::function<QString(const QString& start)> chooseManual;

  void BrowseFunctionSets();
  void BrowseManual();
  void BrowseAppNotes();

  void accept() override;

 private:
  void BrowseFolder(QLineEdit* field);

  CKivoVamApp* m_app;
  QLineEdit* m_fsets;
  QLineEdit* m_manual;
  QLineEdit* m_notes;
  QPushButton* m_fsetsBrowse;
};
