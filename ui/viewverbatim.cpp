// The "Verbatim Block" page.
#include "ui/viewverbatim.h"

#include <QCheckBox>
#include <QEvent>
#include <QHideEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QPrintDialog>
#include <QShortcut>
#include <QVBoxLayout>
#include <functional>
#include <utility>

#include "project/projdoc.h"
#include "ui/codeeditor.h"
#include "ui/finddialog.h"
#include "ui/pages.h"
#include "ui/qsci.h"
#include "ui/uitext.h"

namespace {

constexpr int kStepVerbatimPage = 613;

// The project keeps its lines ending with CR LF; the editor works with LF
// alone so that a line end is one character to move over and delete.
QString EditorText(const std::string& projectText) {
  QString text = ToQ(projectText);
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  return text;
}

QString PlainLabel(QString text) {
  text.remove(QLatin1Char('&'));
  return text;
}

}  // namespace

CViewVerbatim::CViewVerbatim(CProjDoc& doc, int pageIndex, QWidget* parent)
    : CViewBase(doc, pageIndex, parent),
      m_externDecls(new QCheckBox(
          QStringLiteral("Write the following (automatically generated) block of external declarations "
                         "after the verbatim block:"),
          this)),
      m_note(new QLabel(CatalogQString(562) + CatalogQString(563), this)) {
  const QFont font = FixedPitchFont(this->font());
  m_editor = NewCodeEditor(font, this);
  m_declarations = NewCodeEditor(font, this);
  m_declarations->setReadOnly(true);
  m_declarations->setCaretLineVisible(false);

  const QString editorLabel = QStringLiteral("C code copied &verbatim into the generated source:");
  auto* label = new QLabel(editorLabel, this);
  label->setBuddy(m_editor);
  // A screen reader takes the editor's name from here, not from the label.
  m_editor->setAccessibleName(PlainLabel(editorLabel));
  m_externDecls->setAccessibleName(m_externDecls->text());
  m_declarations->setAccessibleName(QStringLiteral("External declarations"));
  m_note->setWordWrap(true);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(label);
  layout->addWidget(m_editor, 3);
  layout->addWidget(m_externDecls);
  layout->addWidget(m_declarations, 1);
  layout->addWidget(m_note);

  connect(m_externDecls, &QCheckBox::toggled, this, &CViewVerbatim::EnableDeclarations);
  m_editor->installEventFilter(this);
  EnableDeclarations(m_externDecls->isChecked());

  // The page's own keys, wherever its focus is; Ctrl+P is the window's Print.
  const std::pair<QKeyCombination, std::function<void()>> keys[] = {
      {Qt::CTRL | Qt::Key_F, [this] { ShowFind(false); }},
      {Qt::CTRL | Qt::Key_H, [this] { ShowFind(true); }},
      {QKeyCombination(Qt::Key_F3), [this] { FindNext(false); }},
      {Qt::SHIFT | Qt::Key_F3, [this] { FindNext(true); }},
  };
  for (const auto& [key, handler] : keys) {
    auto* shortcut = new QShortcut(QKeySequence(key), this);
    shortcut->setContext(Qt::WidgetWithChildrenShortcut);
    connect(shortcut, &QShortcut::activated, this, handler);
  }
}

void CViewVerbatim::ShowFind(bool replace) {
  if (!m_findDialog)
    m_findDialog = new CFindDialog(m_editor, this);
  m_findDialog->Open(replace);
}

bool CViewVerbatim::FindNext(bool reverse) {
  if (!m_findDialog || !m_findDialog->HasText()) {
    ShowFind(false);
    return false;
  }
  return m_findDialog->FindNext(reverse);
}

// The dialog searches this page's editor: it does not stay over another page.
void CViewVerbatim::hideEvent(QHideEvent* event) {
  if (m_findDialog && !event->spontaneous())
    m_findDialog->hide();
  CViewBase::hideEvent(event);
}

// The editor draws its own background, which does not grey when it is
// disabled; the page's colour shows that the declarations are left out.
void CViewVerbatim::EnableDeclarations(bool on) {
  m_declarations->setEnabled(on);
  if (QsciLexer* lexer = m_declarations->lexer())
    lexer->setPaper(palette().color(on ? QPalette::Base : QPalette::Window));
}

// The editor claims the keys its commands are bound to. Undo and Redo are
// its own only while it has something to undo or redo; after that Ctrl+Z and
// Ctrl+Y go on to the window's Undo and Redo of the project.
bool CViewVerbatim::eventFilter(QObject* watched, QEvent* event) {
  if (watched == m_editor && event->type() == QEvent::ShortcutOverride) {
    auto* key = static_cast<QKeyEvent*>(event);
    const int combination = key->key() | int(key->modifiers());
    if (QsciCommand* command = m_editor->standardCommands()->boundTo(combination)) {
      const bool undo = command->command() == QsciCommand::Undo;
      const bool redo = command->command() == QsciCommand::Redo;
      if ((undo && !m_editor->isUndoAvailable()) || (redo && !m_editor->isRedoAvailable())) {
        event->ignore();
        return true;
      }
    }
  }
  return CViewBase::eventFilter(watched, event);
}

void CViewVerbatim::OnUpdate(int hint) {
  // The declarations follow the configured functions; the text is the user's.
  if (hint != 0 && hint != 1)
    ShowDeclarations();
  CViewBase::OnUpdate(hint);
}

void CViewVerbatim::ShowDeclarations() {
  m_declarations->setReadOnly(false);
  m_declarations->setText(EditorText(Doc().GenerateExternDeclsText()));
  m_declarations->setReadOnly(true);
}

void CViewVerbatim::LoadControls() {
  // Reloading what the editor already holds would throw away its undo
  // history and the caret each time the page is shown.
  const QString text = EditorText(Doc().m_strVerbatim);
  if (m_editor->text() != text) {
    m_editor->setText(text);
    m_editor->SendScintilla(QsciScintillaBase::SCI_EMPTYUNDOBUFFER);
    m_editor->setModified(false);
  }
  m_loadedText = text;
  m_externDecls->setChecked(Doc().m_bExternDecls);
  m_loadedExternDecls = Doc().m_bExternDecls;
  EnableDeclarations(m_externDecls->isChecked());
  ShowDeclarations();
}

// Only what the user changed since the last load goes back: a page never
// shown, or shown before the project changed under it, holds nothing newer
// than the project.
bool CViewVerbatim::StoreControls(bool) {
  const QString text = m_editor->text();
  const bool externDecls = m_externDecls->isChecked();
  // The text and the switch together are one step of the project's undo.
  CProjDoc::CEditGroup group(Doc(), kStepVerbatimPage);
  if (text != m_loadedText)
    Doc().SetVerbatim(FromQ(text));
  if (externDecls != m_loadedExternDecls)
    Doc().SetExternDecls(externDecls);
  return true;
}

void CViewVerbatim::Print() {
  QsciPrinter printer;
  printer.setDocName(PageCaption(PageIndex()));
  QPrintDialog dialog(&printer, this);
  if (m_editor->hasSelectedText())
    dialog.setOption(QAbstractPrintDialog::PrintSelection);
  if (dialog.exec() != QDialog::Accepted)
    return;
  int fromLine = -1;
  int toLine = -1;
  if (static_cast<QPrinter&>(printer).printRange() == QPrinter::Selection) {
    int fromIndex = 0;
    int toIndex = 0;
    m_editor->getSelection(&fromLine, &fromIndex, &toLine, &toIndex);
  }
  printer.printRange(m_editor, fromLine, toLine);
}
