// Qt Widgets implementation of the version checker's windows.
#include "newscout/widgetui.h"

#include <QApplication>
#include <QDesktopServices>
#include <QMessageBox>
#include <QPushButton>
#include <QUrl>

#include "newscout/connectprompt.h"
#include "newscout/credentialsdialog.h"
#include "newscout/maindialog.h"
#include "newscout/newscouttexts.h"
#include "newscout/newversiondialog.h"

namespace {

// Boxes that open in the middle of a query show the normal pointer, not the
// busy one of the query.
class CNormalCursor {
 public:
  CNormalCursor() { QApplication::setOverrideCursor(Qt::ArrowCursor); }
  ~CNormalCursor() { QApplication::restoreOverrideCursor(); }
  CNormalCursor(const CNormalCursor&) = delete;
  CNormalCursor& operator=(const CNormalCursor&) = delete;
};

QMessageBox::Icon IconOf(EMessageKind kind) {
  switch (kind) {
    case EMessageKind::Error: return QMessageBox::Critical;
    case EMessageKind::Information: return QMessageBox::Information;
    case EMessageKind::Question: return QMessageBox::Question;
    case EMessageKind::Warning: return QMessageBox::Warning;
  }
  return QMessageBox::Warning;
}

QString Text(int id) { return QString::fromStdString(NsCatalogText(id)); }

}  // namespace

std::string CWidgetUi::Caption() const { return m_caption.empty() ? NsCatalogText(NsText::kCaption) : m_caption; }

EAnswer CWidgetUi::Show(const CMessage& message) {
  CNormalCursor cursor;
  // Error texts may quote the server; they are never read as markup.
  QMessageBox box(IconOf(message.kind), QString::fromStdString(DisplayableText(Caption())),
                  QString::fromStdString(DisplayableText(message.text, true)));
  box.setTextFormat(Qt::PlainText);
  if (message.kind != EMessageKind::Question) {
    box.addButton(Text(NsText::kOk), QMessageBox::AcceptRole);
    box.exec();
    return EAnswer::No;
  }
  QPushButton* yes = box.addButton(Text(NsText::kYes), QMessageBox::YesRole);
  QPushButton* no = box.addButton(Text(NsText::kNo), QMessageBox::NoRole);
  box.setDefaultButton(no);
  box.setEscapeButton(no);
  box.exec();
  return box.clickedButton() == yes ? EAnswer::Yes : EAnswer::No;
}

void CWidgetUi::RunMainDialog(CMainDialogController& controller) {
  CMainDialog dialog(controller);
  dialog.exec();
}

bool CWidgetUi::RunNewVersionDialog(const CNewVersionOffer& offer) {
  CNormalCursor cursor;
  CNewVersionDialog dialog(offer);
  dialog.exec();
  return dialog.DoNotAlert();
}

EConnectChoice CWidgetUi::RunConnectPrompt(const std::string& caption, const std::string& text) {
  CConnectPrompt prompt(caption, text);
  prompt.exec();
  return prompt.Choice();
}

bool CWidgetUi::OpenUrl(const std::string& url) {
  return QDesktopServices::openUrl(QUrl(QString::fromStdString(url), QUrl::TolerantMode));
}

bool CWidgetUi::AskCredentials(const CCredentialsRequest& request, std::string& user, std::string& password) {
  CNormalCursor cursor;
  CCredentialsDialog dialog(Caption(), request);
  if (dialog.exec() != QDialog::Accepted)
    return false;
  user = dialog.User();
  password = dialog.Password();
  return true;
}
