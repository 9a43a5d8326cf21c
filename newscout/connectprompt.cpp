// The connect prompt.
#include "newscout/connectprompt.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include "newscout/newscouttexts.h"

CConnectPrompt::CConnectPrompt(const std::string& caption, const std::string& text, QWidget* parent)
    : QDialog(parent) {
  setWindowTitle(QString::fromStdString(caption));
  auto* layout = new QVBoxLayout(this);
  auto* row = new QHBoxLayout;
  auto* icon = new QLabel(this);
  icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxQuestion).pixmap(32, 32));
  auto* label = new QLabel(QString::fromStdString(DisplayableText(text, true)), this);
  label->setObjectName(QStringLiteral("text"));
  label->setTextFormat(Qt::PlainText);
  label->setWordWrap(true);
  row->addWidget(icon, 0, Qt::AlignTop);
  row->addWidget(label, 1);
  layout->addLayout(row);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  struct CButton {
    int textId;
    EConnectChoice choice;
    const char* name;
  };
  const CButton all[] = {{NsText::kConnect, EConnectChoice::Connect, "connect"},
                         {NsText::kNotNow, EConnectChoice::NotNow, "notNow"},
                         {NsText::kNotToday, EConnectChoice::NotToday, "notToday"},
                         {NsText::kOptions, EConnectChoice::Options, "options"}};
  for (const CButton& b : all) {
    auto* button = new QPushButton(QString::fromStdString(NsCatalogText(b.textId)), this);
    button->setObjectName(QLatin1String(b.name));
    button->setDefault(b.choice == EConnectChoice::Connect);
    button->setAutoDefault(b.choice == EConnectChoice::Connect);
    buttons->addWidget(button);
    connect(button, &QPushButton::clicked, this, [this, choice = b.choice] {
      m_choice = choice;
      done(choice == EConnectChoice::NotNow ? QDialog::Rejected : QDialog::Accepted);
    });
  }
  layout->addLayout(buttons);
}
