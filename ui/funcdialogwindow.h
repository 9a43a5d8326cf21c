// The function dialog's window: the function list, the page of the chosen entry, the code it gives, OK and Cancel.
#pragma once

#include <QDialog>

#include <memory>

#include "project/funcdialogmodel.h"
#include "ui/funcdialog.h"

class CFuncApiPage;
class CFuncDialogPage;
class CFuncNonApiPage;
class QComboBox;
class QDialogButtonBox;
class QLabel;
class QPlainTextEdit;
class QStackedWidget;

class CFuncDialog : public QDialog {
  Q_OBJECT

 public:
  CFuncDialog(CProjDoc& doc, const CFuncDialogRequest& request, QWidget* parent = nullptr);
  ~CFuncDialog() override;

  CFuncDialogModel& Model() { return *m_model; }
  // The working copy OK accepted; null before that and after the first call.
  std::unique_ptr<CProjDoc::CFuncInfo> TakeAccepted();

  QComboBox* FunctionList() const { return m_functions; }
  CFuncApiPage* ApiPage() const { return m_apiPage; }
  CFuncNonApiPage* NonApiPage() const { return m_nonApiPage; }
  QPlainTextEdit* CodeBox() const { return m_code; }

  void accept() override;
  void done(int result) override;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void SelectEntry(int index);
  CFuncDialogPage* VisiblePage() const;
  void RefreshCode();
  void WidenFunctionList();

  std::unique_ptr<CFuncDialogModel> m_model;
  std::unique_ptr<CProjDoc::CFuncInfo> m_accepted;
  QComboBox* m_functions;
  QStackedWidget* m_pages;
  CFuncApiPage* m_apiPage;
  CFuncNonApiPage* m_nonApiPage;
  QPlainTextEdit* m_code;
  QDialogButtonBox* m_buttons;
};
