// The About box: the program's version and the time it was built.
#pragma once

#include <QDialog>

class CAboutDialog : public QDialog {
  Q_OBJECT

 public:
  explicit CAboutDialog(QWidget* parent = nullptr);

  // "1.0.0.0": the four parts of the build's version.
  static QString VersionText();
  // The compiler's date and time of the build, joined by one blank.
  static QString BuildText();
};
