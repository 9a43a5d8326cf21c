// The credentials dialog.
#include "newscout/credentialsdialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "base/messagecatalog.h"
#include "newscout/newscouttexts.h"

CCredentialsDialog::CCredentialsDialog(const std::string& caption, const CCredentialsRequest& request,
                                       QWidget* parent)
    : QDialog(parent) {
  setWindowTitle(QString::fromStdString(caption));
  auto* layout = new QVBoxLayout(this);
  int textId = request.proxy ? NsText::kProxyLogin : NsText::kServerLogin;
  // The realm is the server's own words.
  auto* text = new QLabel(QString::fromStdString(DisplayableText(
                              FormatMessageText(NsCatalogText(textId), {request.host, request.realm}), true)),
                          this);
  text->setObjectName(QStringLiteral("text"));
  text->setTextFormat(Qt::PlainText);
  text->setWordWrap(true);
  layout->addWidget(text);
  auto* form = new QFormLayout;
  m_user = new QLineEdit(this);
  m_password = new QLineEdit(this);
  m_password->setEchoMode(QLineEdit::Password);
  form->addRow(QString::fromStdString(NsCatalogText(NsText::kUserName)), m_user);
  form->addRow(QString::fromStdString(NsCatalogText(NsText::kPassword)), m_password);
  layout->addLayout(form);
  auto* buttons = new QDialogButtonBox(this);
  buttons->addButton(QString::fromStdString(NsCatalogText(NsText::kOk)), QDialogButtonBox::AcceptRole)->setDefault(true);
  buttons->addButton(QString::fromStdString(NsCatalogText(NsText::kCancel)), QDialogButtonBox::RejectRole);
  connect(buttons, &QDialogButtonBox::accepted, this, &CCredentialsDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &CCredentialsDialog::reject);
  layout->addWidget(buttons);
}

std::string CCredentialsDialog::User() const { return m_user->text().toStdString(); }
std::string CCredentialsDialog::Password() const { return m_password->text().toStdString(); }
