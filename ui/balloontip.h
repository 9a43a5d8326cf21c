// The balloon tip: a note pointing at a control, one at a time, gone after
// eight seconds or as soon as the window moves, resizes or changes its page.
#pragma once

#include <QPoint>
#include <QString>

class QWidget;

namespace BalloonTip {

// Shows `text` at the centre of `control`, replacing any tip shown before.
void ShowFor(QWidget* control, const QString& text);
constexpr int kTimeoutMs = 8000;

// Shows `text` at a screen point for `owner`, for `timeoutMs` at most.
void ShowAt(QWidget* owner, const QPoint& globalPos, const QString& text, int timeoutMs = kTimeoutMs);
void Hide();
// The tip's widget while one is shown, for tests; null otherwise.
QWidget* Current();
// The widest the tip may be: 600 pixels, or a quarter of the screen when that is less.
int MaximumWidth(const QWidget* owner);

}  // namespace BalloonTip
