// Find and replace in a code editor.
#include "ui/finddialog.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

#include "base/ports.h"
#include "ui/qsci.h"
#include "ui/uitext.h"

namespace {

constexpr int kMsgNotFound = 9330;
constexpr int kMsgReplaced = 9331;
constexpr int kMsgBadPattern = 9332;

}  // namespace

CFindDialog::CFindDialog(QsciScintilla* editor, QWidget* parent)
    : QDialog(parent),
      m_editor(editor),
      m_find(new QLineEdit(this)),
      m_replace(new QLineEdit(this)),
      m_replaceLabel(new QLabel(QStringLiteral("Re&place with:"), this)),
      m_matchCase(new QCheckBox(QStringLiteral("Match &case"), this)),
      m_wholeWord(new QCheckBox(QStringLiteral("Match whole &word only"), this)),
      m_regex(new QCheckBox(QStringLiteral("Regular e&xpression"), this)),
      m_backwards(new QCheckBox(QStringLiteral("Search &backwards"), this)),
      m_wrap(new QCheckBox(QStringLiteral("Wrap aro&und"), this)),
      m_findNext(new QPushButton(QStringLiteral("&Find Next"), this)),
      m_replaceOne(new QPushButton(QStringLiteral("&Replace"), this)),
      m_replaceAll(new QPushButton(QStringLiteral("Replace &All"), this)),
      m_status(new QLabel(this)) {
  setObjectName(QStringLiteral("FindDialog"));
  m_find->setObjectName(QStringLiteral("FindWhat"));
  m_replace->setObjectName(QStringLiteral("ReplaceWith"));
  auto* findLabel = new QLabel(QStringLiteral("Fi&nd what:"), this);
  findLabel->setBuddy(m_find);
  m_replaceLabel->setBuddy(m_replace);
  m_wrap->setChecked(true);
  m_findNext->setDefault(true);
  auto* close = new QPushButton(QStringLiteral("Close"), this);
  m_status->setWordWrap(true);
  m_status->setMinimumWidth(200);

  auto* options = new QVBoxLayout;
  for (QCheckBox* box : {m_matchCase, m_wholeWord, m_regex, m_backwards, m_wrap})
    options->addWidget(box);
  auto* buttons = new QVBoxLayout;
  for (QPushButton* button : {m_findNext, m_replaceOne, m_replaceAll, close})
    buttons->addWidget(button);
  buttons->addStretch(1);

  auto* grid = new QGridLayout(this);
  grid->addWidget(findLabel, 0, 0);
  grid->addWidget(m_find, 0, 1);
  grid->addWidget(m_replaceLabel, 1, 0);
  grid->addWidget(m_replace, 1, 1);
  grid->addLayout(options, 2, 0, 1, 2);
  grid->addWidget(m_status, 3, 0, 1, 2);
  grid->addLayout(buttons, 0, 2, 4, 1);
  grid->setColumnStretch(1, 1);
  grid->setRowStretch(3, 1);

  connect(m_findNext, &QPushButton::clicked, this, [this] { FindNext(); });
  connect(m_replaceOne, &QPushButton::clicked, this, [this] { Replace(); });
  connect(m_replaceAll, &QPushButton::clicked, this, [this] { ReplaceAll(); });
  connect(close, &QPushButton::clicked, this, &QDialog::reject);
  connect(m_find, &QLineEdit::textChanged, this, [this] {
    m_status->clear();
    const bool any = HasText();
    m_findNext->setEnabled(any);
    m_replaceOne->setEnabled(any);
    m_replaceAll->setEnabled(any);
  });
  // F3 goes on searching while the dialog has the focus, as it does in the editor.
  auto* next = new QShortcut(QKeySequence(Qt::Key_F3), this);
  connect(next, &QShortcut::activated, this, [this] { FindNext(); });
  auto* previous = new QShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F3), this);
  connect(previous, &QShortcut::activated, this, [this] { FindNext(true); });
  m_findNext->setEnabled(false);
  m_replaceOne->setEnabled(false);
  m_replaceAll->setEnabled(false);
}

void CFindDialog::Open(bool replace) {
  setWindowTitle(replace ? QStringLiteral("Replace") : QStringLiteral("Find"));
  for (QWidget* widget : std::initializer_list<QWidget*>{m_replaceLabel, m_replace, m_replaceOne, m_replaceAll})
    widget->setVisible(replace);
  const QString selected = m_editor->selectedText();
  if (!selected.isEmpty() && !selected.contains(QLatin1Char('\n')))
    m_find->setText(selected);
  m_status->clear();
  adjustSize();
  if (!m_placed) {
    // Beside the editor's top right corner, off the lines at its left.
    m_placed = true;
    const QPoint corner = m_editor->mapToGlobal(m_editor->rect().topRight());
    move(corner.x() - width() - 24, corner.y() + 24);
  }
  show();
  raise();
  activateWindow();
  m_find->setFocus();
  m_find->selectAll();
}

bool CFindDialog::HasText() const { return !m_find->text().isEmpty(); }

long CFindDialog::Send(unsigned int message, unsigned long wParam, long lParam) const {
  return m_editor->SendScintilla(message, wParam, lParam);
}

long CFindDialog::Search(long from, long to, CMatch& match) const {
  // Regular expressions are the standard library's: alternatives, classes and counts as people expect.
  const unsigned long flags = (m_matchCase->isChecked() ? QsciScintillaBase::SCFIND_MATCHCASE : 0) |
                              (m_wholeWord->isChecked() ? QsciScintillaBase::SCFIND_WHOLEWORD : 0) |
                              (m_regex->isChecked() ? QsciScintillaBase::SCFIND_REGEXP |
                                                          QsciScintillaBase::SCFIND_CXX11REGEX
                                                    : 0);
  const QByteArray pattern = m_find->text().toUtf8();
  Send(QsciScintillaBase::SCI_SETSEARCHFLAGS, flags);
  Send(QsciScintillaBase::SCI_SETTARGETSTART, static_cast<unsigned long>(from));
  Send(QsciScintillaBase::SCI_SETTARGETEND, static_cast<unsigned long>(to));
  // A pattern the regular-expression engine refuses finds nothing and leaves
  // a warning in the editor's status.
  Send(QsciScintillaBase::SCI_SETSTATUS, QsciScintillaBase::SC_STATUS_OK);
  const long found = m_editor->SendScintilla(QsciScintillaBase::SCI_SEARCHINTARGET,
                                             static_cast<uintptr_t>(pattern.size()), pattern.constData());
  if (Send(QsciScintillaBase::SCI_GETSTATUS) == QsciScintillaBase::SC_STATUS_WARNREGEX) {
    Send(QsciScintillaBase::SCI_SETSTATUS, QsciScintillaBase::SC_STATUS_OK);
    return -2;
  }
  if (found < 0)
    return -1;
  match.start = Send(QsciScintillaBase::SCI_GETTARGETSTART);
  match.end = Send(QsciScintillaBase::SCI_GETTARGETEND);
  return found;
}

bool CFindDialog::Failed(long result) {
  if (result == -2)
    ShowMessage(kMsgBadPattern, EMessageKind::Warning, {FromQ(m_find->text())});
  else
    ShowMessage(kMsgNotFound, EMessageKind::Information, {FromQ(m_find->text())});
  return false;
}

bool CFindDialog::FindNext(bool reverse) {
  if (!HasText())
    return false;
  m_status->clear();
  const bool backwards = m_backwards->isChecked() != reverse;
  const long selStart = Send(QsciScintillaBase::SCI_GETSELECTIONSTART);
  const long selEnd = Send(QsciScintillaBase::SCI_GETSELECTIONEND);
  const long length = Send(QsciScintillaBase::SCI_GETLENGTH);
  CMatch match;
  long found = -1;
  if (!backwards) {
    found = Search(selEnd, length, match);
    // An empty match where the caret stands is the one found last time.
    if (found >= 0 && match.start == match.end && match.start == selEnd && selStart == selEnd) {
      found = selEnd < length ? Search(Send(QsciScintillaBase::SCI_POSITIONAFTER, static_cast<unsigned long>(selEnd)),
                                       length, match)
                              : -1;
    }
    if (found == -1 && m_wrap->isChecked())
      found = Search(0, length, match);
  } else {
    found = Search(selStart, 0, match);
    if (found >= 0 && match.start == match.end && match.start == selStart && selStart == selEnd) {
      found = selStart > 0 ? Search(Send(QsciScintillaBase::SCI_POSITIONBEFORE, static_cast<unsigned long>(selStart)),
                                    0, match)
                           : -1;
    }
    if (found == -1 && m_wrap->isChecked())
      found = Search(length, 0, match);
  }
  if (found < 0)
    return Failed(found);
  const long startLine = Send(QsciScintillaBase::SCI_LINEFROMPOSITION, static_cast<unsigned long>(match.start));
  const long endLine = Send(QsciScintillaBase::SCI_LINEFROMPOSITION, static_cast<unsigned long>(match.end));
  for (long line = startLine; line <= endLine; ++line)
    Send(QsciScintillaBase::SCI_ENSUREVISIBLEENFORCEPOLICY, static_cast<unsigned long>(line));
  Send(QsciScintillaBase::SCI_SETSEL, static_cast<unsigned long>(match.start), match.end);
  return true;
}

bool CFindDialog::Replace() {
  if (!HasText())
    return false;
  const long selStart = Send(QsciScintillaBase::SCI_GETSELECTIONSTART);
  const long selEnd = Send(QsciScintillaBase::SCI_GETSELECTIONEND);
  CMatch match;
  // Only a selection that is itself a match is replaced; any other is left
  // as it is and the search goes on from it.
  const long found = Search(selStart, selEnd, match);
  if (found == -2)
    return Failed(found);
  if (found == selStart && match.end == selEnd && !m_editor->isReadOnly()) {
    const QByteArray with = m_replace->text().toUtf8();
    const unsigned int command =
        m_regex->isChecked() ? QsciScintillaBase::SCI_REPLACETARGETRE : QsciScintillaBase::SCI_REPLACETARGET;
    const long written =
        m_editor->SendScintilla(command, static_cast<uintptr_t>(with.size()), with.constData());
    // Searching backwards goes on before the replacement, forwards after it.
    const long caret = m_backwards->isChecked() ? selStart : selStart + written;
    Send(QsciScintillaBase::SCI_SETSEL, static_cast<unsigned long>(caret), caret);
  }
  return FindNext();
}

int CFindDialog::ReplaceAll() {
  if (!HasText() || m_editor->isReadOnly())
    return 0;
  m_status->clear();
  const QByteArray with = m_replace->text().toUtf8();
  const unsigned int command =
      m_regex->isChecked() ? QsciScintillaBase::SCI_REPLACETARGETRE : QsciScintillaBase::SCI_REPLACETARGET;
  int count = 0;
  long found = -1;
  long from = 0;
  m_editor->beginUndoAction();
  for (;;) {
    const long length = Send(QsciScintillaBase::SCI_GETLENGTH);
    CMatch match;
    found = Search(from, length, match);
    if (found < 0)
      break;
    const long written =
        m_editor->SendScintilla(command, static_cast<uintptr_t>(with.size()), with.constData());
    ++count;
    // The replacement is never searched again; an empty match steps over
    // one character so that it is not found again in the same place.
    from = match.start + written;
    if (match.start == match.end) {
      if (from >= Send(QsciScintillaBase::SCI_GETLENGTH))
        break;
      from = Send(QsciScintillaBase::SCI_POSITIONAFTER, static_cast<unsigned long>(from));
    }
  }
  m_editor->endUndoAction();
  if (count == 0) {
    Failed(found);
    return 0;
  }
  m_status->setText(ToQ(FormatMessageText(CatalogText(kMsgReplaced), {std::to_string(count)})));
  return count;
}
