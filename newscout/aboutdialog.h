// CAboutDialog: the version checker's version and build date.
#pragma once

#include <QDialog>

class CAboutDialog : public QDialog {
 public:
  explicit CAboutDialog(QWidget* parent = nullptr);
};
