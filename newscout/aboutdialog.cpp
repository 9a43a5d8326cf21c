// The About box.
#include "newscout/aboutdialog.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include "base/messagecatalog.h"
#include "newscout/newscouttexts.h"

CAboutDialog::CAboutDialog(QWidget* parent) : QDialog(parent) {
  // The product's name is not put into this caption: it names the tool itself.
  setWindowTitle(QString::fromStdString(NsCatalogText(NsText::kAboutCaption)));
  auto* layout = new QHBoxLayout(this);
  auto* icon = new QLabel(this);
  icon->setPixmap(style()->standardIcon(QStyle::SP_DriveNetIcon).pixmap(32, 32));
  layout->addWidget(icon, 0, Qt::AlignTop);
  auto* column = new QVBoxLayout;
  auto* version = new QLabel(
      QString::fromStdString(FormatMessageText(NsCatalogText(NsText::kVersion), {BuildVersionText()})), this);
  version->setObjectName(QStringLiteral("version"));
  auto* built = new QLabel(QString::fromStdString(BuildDateText()), this);
  built->setObjectName(QStringLiteral("buildDate"));
  built->setTextInteractionFlags(Qt::TextSelectableByMouse);
  column->addWidget(version);
  column->addWidget(built);
  column->addWidget(new QLabel(QString::fromStdString(NsCatalogText(NsText::kMakerLine1)), this));
  column->addWidget(new QLabel(QString::fromStdString(NsCatalogText(NsText::kMakerLine2)), this));
  auto* buttons = new QDialogButtonBox(this);
  buttons->addButton(QString::fromStdString(NsCatalogText(NsText::kOk)), QDialogButtonBox::AcceptRole);
  connect(buttons, &QDialogButtonBox::accepted, this, &CAboutDialog::accept);
  column->addWidget(buttons);
  layout->addLayout(column);
}
