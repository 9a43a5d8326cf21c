// The new-version dialog.
#include "newscout/newversiondialog.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include "newscout/newscouttexts.h"

CNewVersionDialog::CNewVersionDialog(const CNewVersionOffer& offer, QWidget* parent)
    : QDialog(parent), m_offer(offer) {
  setWindowTitle(QString::fromStdString(offer.caption));
  auto* layout = new QVBoxLayout(this);
  auto* row = new QHBoxLayout;
  auto* icon = new QLabel(this);
  icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(32, 32));
  // The text carries the server's version words: shown as they are, never as markup.
  auto* text = new QLabel(QString::fromStdString(DisplayableText(offer.text, true)), this);
  text->setObjectName(QStringLiteral("text"));
  text->setTextFormat(Qt::PlainText);
  text->setWordWrap(true);
  row->addWidget(icon, 0, Qt::AlignTop);
  row->addWidget(text, 1);
  layout->addLayout(row);

  m_doNotAlert = new QCheckBox(QString::fromStdString(NsCatalogText(NsText::kDoNotAlert)), this);
  m_doNotAlert->setObjectName(QStringLiteral("doNotAlert"));
  m_doNotAlert->setEnabled(offer.ignoreEnabled);
  layout->addWidget(m_doNotAlert);

  auto* buttons = new QHBoxLayout;
  auto* visit = new QPushButton(QString::fromStdString(NsCatalogText(NsText::kVisitPageButton)), this);
  visit->setObjectName(QStringLiteral("visit"));
  visit->setDefault(true);
  auto* cancel = new QPushButton(QString::fromStdString(NsCatalogText(NsText::kCancel)), this);
  cancel->setObjectName(QStringLiteral("cancel"));
  cancel->setAutoDefault(false);
  buttons->addStretch();
  buttons->addWidget(visit);
  buttons->addWidget(cancel);
  layout->addLayout(buttons);

  connect(visit, &QPushButton::clicked, this, [this] {
    if (m_offer.visit && m_offer.visit())
      accept();
  });
  connect(cancel, &QPushButton::clicked, this, &CNewVersionDialog::reject);
}

bool CNewVersionDialog::DoNotAlert() const { return m_doNotAlert->isChecked(); }

void CNewVersionDialog::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  raise();
  activateWindow();
}
