// CCredentialsDialog: asks for the user name and password a server or proxy demands.
#pragma once

#include <QDialog>
#include <string>

#include "newscout/serverquery.h"

class QLineEdit;

class CCredentialsDialog : public QDialog {
 public:
  CCredentialsDialog(const std::string& caption, const CCredentialsRequest& request, QWidget* parent = nullptr);

  std::string User() const;
  std::string Password() const;

 private:
  QLineEdit* m_user = nullptr;
  QLineEdit* m_password = nullptr;
};
