// The About box.
#include "ui/aboutdialog.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QStyle>

CAboutDialog::CAboutDialog(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("About..."));
  auto* layout = new QGridLayout(this);
  auto* icon = new QLabel(this);
  QIcon programIcon = QApplication::windowIcon().isNull() ? style()->standardIcon(QStyle::SP_ComputerIcon)
                                                          : QApplication::windowIcon();
  icon->setPixmap(programIcon.pixmap(32, 32));
  layout->addWidget(icon, 0, 0, 4, 1, Qt::AlignTop);
  layout->addWidget(new QLabel(QStringLiteral("Kivo Vam %1").arg(VersionText()), this), 0, 1, 1, 2);
  auto* buildLabel = new QLabel(QStringLiteral("Last Build:"), this);
  auto* build = new QLineEdit(BuildText(), this);
  build->setReadOnly(true);
  build->setMinimumWidth(build->fontMetrics().horizontalAdvance(build->text()) + 16);
  buildLabel->setBuddy(build);
  layout->addWidget(buildLabel, 1, 1);
  layout->addWidget(build, 1, 2);
  layout->addWidget(new QLabel(QStringLiteral("Halvora"), this), 2, 1, 1, 2);
  layout->addWidget(new QLabel(QStringLiteral("Copyright (C) 2026 Halvora"), this), 3, 1, 1, 2);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  layout->addWidget(buttons, 4, 0, 1, 3);
  setFixedSize(sizeHint());
}

QString CAboutDialog::VersionText() {
  return QStringLiteral("%1.%2.%3.%4").arg(KV_VERSION_MAJOR).arg(KV_VERSION_MINOR).arg(KV_VERSION_PATCH).arg(KV_VERSION_TWEAK);
}

QString CAboutDialog::BuildText() { return QStringLiteral(__DATE__ " " __TIME__); }
