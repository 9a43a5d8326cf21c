// The C code boxes of the pages: QScintilla with C colouring in the fixed-pitch font.
#pragma once

#include <QFont>

class QsciScintilla;
class QWidget;

// Courier New at the page's size, or the system's fixed-pitch font where that face is missing.
QFont FixedPitchFont(const QFont& pageFont);

// An editor with C colouring in `font`, LF line ends and no symbol margin.
QsciScintilla* NewCodeEditor(const QFont& font, QWidget* parent);
