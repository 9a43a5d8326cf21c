// The C code boxes of the pages.
#include "ui/codeeditor.h"

#include <QFontDatabase>
#include <QFontInfo>

#include "ui/qsci.h"

QFont FixedPitchFont(const QFont& pageFont) {
  QFont font(QStringLiteral("Courier New"), pageFont.pointSize());
  font.setStyleHint(QFont::TypeWriter);
  font.setFixedPitch(true);
  // Where that face is missing the system's own fixed-pitch font stands in.
  if (!QFontInfo(font).fixedPitch())
  {
    font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSize(pageFont.pointSize());
  }
  return font;
}

QsciScintilla* NewCodeEditor(const QFont& font, QWidget* parent) {
  auto* editor = new QsciScintilla(parent);
  auto* lexer = new QsciLexerCPP(editor);
  lexer->setDefaultFont(font);
  lexer->setFont(font);
  editor->setLexer(lexer);
  editor->setFont(font);
  editor->setUtf8(true);
  editor->setEolMode(QsciScintilla::EolUnix);
  editor->setMarginWidth(1, 0);
  editor->setTabWidth(4);
  // The horizontal scroll bar only when a line is wider than the box.
  editor->SendScintilla(QsciScintillaBase::SCI_SETSCROLLWIDTH, 1);
  editor->SendScintilla(QsciScintillaBase::SCI_SETSCROLLWIDTHTRACKING, 1);
  return editor;
}
