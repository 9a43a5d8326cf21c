// The dialog that adds a coprocessor function or application to an engine's channels, or edits one already configured.
#include "ui/funcdialog.h"

#include "ui/funcdialogwindow.h"

std::unique_ptr<CProjDoc::CFuncInfo> RunFunctionDialog(QWidget* parent, CProjDoc& doc,
                                                       const CFuncDialogRequest& request) {
  CFuncDialog dialog(doc, request, parent);
  if (dialog.exec() != QDialog::Accepted)
    return nullptr;
  return dialog.TakeAccepted();
}
