// The balloon tip.
#include "ui/balloontip.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <algorithm>

namespace {

QPointer<QLabel>& Tip() {
  static QPointer<QLabel> tip;
  return tip;
}

}  // namespace

namespace BalloonTip {

int MaximumWidth(const QWidget* owner) {
  const QScreen* screen = owner && owner->screen() ? owner->screen() : QGuiApplication::primaryScreen();
  int quarter = screen ? screen->geometry().width() / 4 : 600;
  return std::min(600, quarter);
}

void ShowAt(QWidget* owner, const QPoint& globalPos, const QString& text, int timeoutMs) {
  Hide();
  auto* tip = new QLabel(text, owner ? owner->window() : nullptr, Qt::ToolTip | Qt::FramelessWindowHint);
  tip->setAttribute(Qt::WA_DeleteOnClose);
  tip->setWordWrap(true);
  tip->setMargin(8);
  tip->setMaximumWidth(MaximumWidth(owner));
  tip->setStyleSheet(QStringLiteral("QLabel { background: #ffffe1; color: black; border: 1px solid #767676; }"));
  tip->setAccessibleName(text);
  tip->adjustSize();
  tip->move(globalPos);
  tip->show();
  Tip() = tip;
  QTimer::singleShot(timeoutMs, tip, [tip] {
    if (Tip() == tip)
      Hide();
  });
}

void ShowFor(QWidget* control, const QString& text) {
  if (!control)
    return;
  ShowAt(control, control->mapToGlobal(control->rect().center()), text);
}

void Hide() {
  if (QLabel* tip = Tip()) {
    Tip() = nullptr;
    tip->close();
  }
}

QWidget* Current() { return Tip(); }

}  // namespace BalloonTip
