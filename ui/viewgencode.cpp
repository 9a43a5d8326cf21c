// The "Generated Code" page.
#include "ui/viewgencode.h"

#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QHBoxLayout>
#include <QHelpEvent>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QStackedWidget>
#include <QTabWidget>
#include <QToolTip>
#include <QVBoxLayout>
#include <algorithm>
#include <filesystem>
#include <tuple>

#include "app/kivovamapp.h"
#include "project/projdoc.h"
#include "project/projectport.h"
#include "ui/codeeditor.h"
#include "ui/mainframe.h"
#include "ui/qsci.h"
#include "ui/uitext.h"

namespace {

const QColor kAddedColour(0x2e, 0x9e, 0x44);
const QColor kChangedColour(0x2f, 0x6f, 0xd0);
const QColor kRemovedColour(0xc6, 0x28, 0x28);

QString PlainLabel(QString text) {
  text.remove(QLatin1Char('&'));
  return text;
}

QString FileName(const std::string& path, const char* fallback) {
  return path.empty() ? QString::fromLatin1(fallback) : QFileInfo(ToQ(path)).fileName();
}

// "2 lines changed, 1 added, 3 removed"; empty when nothing differs.
QString Counts(const CLineDiff& diff) {
  QStringList parts;
  const std::pair<int, const char*> counts[] = {
      {diff.changed, "changed"}, {diff.added, "added"}, {diff.removed, "removed"}};
  for (const auto& [count, what] : counts) {
    if (count == 0)
      continue;
    const char* noun = !parts.isEmpty() ? "" : count == 1 ? " line" : " lines";
    parts << QStringLiteral("%1%2 %3").arg(count).arg(QLatin1String(noun), QLatin1String(what));
  }
  return parts.join(QStringLiteral(", "));
}

}  // namespace

CViewGenCode::CViewGenCode(CProjDoc& doc, int pageIndex, QWidget* parent)
    : CViewBase(doc, pageIndex, parent),
      m_tabs(new QTabWidget(this)),
      m_stack(new QStackedWidget(this)),
      m_failure(new QLabel(this)),
      m_summary(new QLabel(this)),
      m_previous(new QPushButton(QStringLiteral("&Previous Difference"), this)),
      m_next(new QPushButton(QStringLiteral("&Next Difference"), this)),
      m_watcher(new QFileSystemWatcher(this)) {
  const QFont font = FixedPitchFont(this->font());
  const QString names[2] = {QStringLiteral("Generated source, as the next save writes it"),
                            QStringLiteral("Generated header, as the next save writes it")};
  for (int file = 0; file < 2; ++file) {
    QsciScintilla* editor = NewCodeEditor(font, this);
    editor->setReadOnly(true);
    editor->setAccessibleName(names[file]);
    editor->setMarginType(0, QsciScintilla::NumberMargin);
    editor->setMarginLineNumbers(0, true);
    editor->setMarginWidth(0, QStringLiteral("00000"));
    editor->setMarginMarkerMask(0, 0);
    editor->setMarginType(1, QsciScintilla::SymbolMargin);
    editor->setMarginWidth(1, QFontMetrics(font).height() + 2);
    editor->setMarginMarkerMask(1, (1 << kMarkerAdded) | (1 << kMarkerChanged) | (1 << kMarkerRemoved));
    editor->markerDefine(QsciScintilla::Plus, kMarkerAdded);
    editor->markerDefine(QsciScintilla::Circle, kMarkerChanged);
    editor->markerDefine(QsciScintilla::RightTriangle, kMarkerRemoved);
    const std::pair<EMarker, QColor> colours[] = {
        {kMarkerAdded, kAddedColour}, {kMarkerChanged, kChangedColour}, {kMarkerRemoved, kRemovedColour}};
    for (const auto& [marker, colour] : colours) {
      editor->setMarkerBackgroundColor(colour, marker);
      editor->setMarkerForegroundColor(colour, marker);
    }
    editor->setCaretLineVisible(true);
    editor->setCaretLineBackgroundColor(QColor(0xe8, 0xee, 0xfa));
    editor->viewport()->installEventFilter(this);
    m_files[std::size_t(file)].editor = editor;
    m_tabs->addTab(editor, QString::fromLatin1(file == 0 ? CProjDoc::kDefaultCName : CProjDoc::kDefaultHName));
  }
  m_failure->setWordWrap(true);
  m_failure->setAlignment(Qt::AlignCenter);
  m_failure->setTextInteractionFlags(Qt::TextSelectableByMouse);
  m_stack->addWidget(m_tabs);
  m_stack->addWidget(m_failure);
  m_summary->setWordWrap(true);
  m_summary->setTextInteractionFlags(Qt::TextSelectableByMouse);

  auto* legend = new QLabel(
      QStringLiteral("<span style='color:%1'>&#x271A;</span> added line &nbsp; "
                     "<span style='color:%2'>&#x25CF;</span> changed line &nbsp; "
                     "<span style='color:%3'>&#x25B6;</span> lines of the file on disk removed here")
          .arg(kAddedColour.name(), kChangedColour.name(), kRemovedColour.name()),
      this);
  legend->setAccessibleName(QStringLiteral("Margin marks: plus, an added line; dot, a changed line; "
                                           "triangle, lines of the file on disk removed here"));
  m_previous->setToolTip(QStringLiteral("Shift+F8"));
  m_next->setToolTip(QStringLiteral("F8"));
  m_previous->setAccessibleName(PlainLabel(m_previous->text()));
  m_next->setAccessibleName(PlainLabel(m_next->text()));

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(legend, 1);
  buttons->addWidget(m_previous);
  buttons->addWidget(m_next);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(m_summary);
  layout->addWidget(m_stack, 1);
  layout->addLayout(buttons);

  connect(m_previous, &QPushButton::clicked, this, [this] { GoToDifference(true); });
  connect(m_next, &QPushButton::clicked, this, [this] { GoToDifference(false); });
  for (auto [key, reverse] : {std::pair{QKeyCombination(Qt::Key_F8), false}, std::pair{Qt::SHIFT | Qt::Key_F8, true}}) {
    auto* shortcut = new QShortcut(QKeySequence(key), this);
    shortcut->setContext(Qt::WidgetWithChildrenShortcut);
    connect(shortcut, &QShortcut::activated, this, [this, reverse] { GoToDifference(reverse); });
  }
  connect(m_watcher, &QFileSystemWatcher::fileChanged, this, &CViewGenCode::OnDiskChanged);
  connect(m_watcher, &QFileSystemWatcher::directoryChanged, this, &CViewGenCode::OnDiskChanged);
  setMinimumSize(560, 400);
}

// Every change of the project is shown at once on the page in view; a page
// out of view catches up when it is shown, so edits elsewhere do not pay for it.
void CViewGenCode::OnUpdate(int hint) {
  if (hint == kHintStoreControls)
    return;
  if (IsCurrentPage())
    Refresh(false);
  else
    m_stale = true;
}

// The files on disk are read again on every visit: another program may have
// written them while the watcher was not told (a network folder).
void CViewGenCode::OnActivated() { Refresh(true); }

void CViewGenCode::LoadControls() {
  if (IsCurrentPage())
    Refresh(m_diskStale);
  else
    m_stale = true;
}

void CViewGenCode::Refresh(bool readDisk) {
  const std::string projectPath = Frame() ? Frame()->App().ProjectPath() : m_projectPath;
  m_texts = ComputeNextSave(Doc(), projectPath);
  if (m_files[0].disk.path != m_texts.sourcePath || m_files[1].disk.path != m_texts.headerPath || m_diskStale)
    readDisk = true;
  if (readDisk)
    ReadDisk();
  m_stale = false;
  if (!m_texts.generated) {
    m_failure->setText(QStringLiteral("The generated files cannot be shown: %1").arg(ToQ(m_texts.reason)));
    m_stack->setCurrentWidget(m_failure);
    for (CFilePane& pane : m_files) {
      ShowText(pane, std::string());
      Mark(pane);
    }
    ShowSummary();
    return;
  }
  m_stack->setCurrentWidget(m_tabs);
  m_tabs->setTabText(0, FileName(m_texts.sourcePath, CProjDoc::kDefaultCName));
  m_tabs->setTabText(1, FileName(m_texts.headerPath, CProjDoc::kDefaultHName));
  ShowText(m_files[0], m_texts.source);
  ShowText(m_files[1], m_texts.header);
  for (CFilePane& pane : m_files)
    Mark(pane);
  ShowSummary();
}

void CViewGenCode::ReadDisk() {
  m_files[0].disk = ReadDiskText(m_texts.sourcePath);
  m_files[1].disk = ReadDiskText(m_texts.headerPath);
  m_diskStale = false;
  Watch();
}

// A save puts a new file in the target's place, and the watcher loses a file
// that is replaced: the paths are given to it again after every read, and the
// folder is watched too, for a file that is not there yet.
void CViewGenCode::Watch() {
  QStringList wanted;
  for (const CFilePane& pane : m_files) {
    if (pane.disk.path.empty())
      continue;
    const QString path = ToQ(pane.disk.path);
    if (QFileInfo::exists(path))
      wanted << path;
    const QString folder = QFileInfo(path).absolutePath();
    if (!wanted.contains(folder) && QFileInfo(folder).isDir())
      wanted << folder;
  }
  QStringList watched = m_watcher->files() + m_watcher->directories();
  for (const QString& path : watched)
    if (!wanted.contains(path))
      m_watcher->removePath(path);
  for (const QString& path : wanted)
    if (!watched.contains(path))
      m_watcher->addPath(path);
}

void CViewGenCode::OnDiskChanged() {
  if (!IsCurrentPage()) {
    m_diskStale = true;
    return;
  }
  ReadDisk();
  for (CFilePane& pane : m_files)
    Mark(pane);
  ShowSummary();
}

// The caret's line and the view's place stay where the reader left them.
void CViewGenCode::ShowText(CFilePane& pane, const std::string& text) {
  if (pane.text == text)
    return;
  QsciScintilla* editor = pane.editor;
  const int firstLine = editor->firstVisibleLine();
  const long xOffset = editor->SendScintilla(QsciScintillaBase::SCI_GETXOFFSET);
  int line = 0;
  int index = 0;
  editor->getCursorPosition(&line, &index);
  editor->setReadOnly(false);
  editor->setText(ToQ(text));
  editor->setReadOnly(true);
  line = std::min(line, std::max(0, editor->lines() - 1));
  editor->setCursorPosition(line, std::min(index, std::max(0, editor->lineLength(line) - 1)));
  editor->setFirstVisibleLine(firstLine);
  editor->SendScintilla(QsciScintillaBase::SCI_SETXOFFSET, xOffset);
  pane.text = text;
}

void CViewGenCode::Mark(CFilePane& pane) {
  pane.diff = m_texts.generated ? CompareWithDisk(pane.text, pane.disk, m_texts.stamps) : CLineDiff();
  QsciScintilla* editor = pane.editor;
  editor->markerDeleteAll();
  for (int line = 0; line < int(pane.diff.marks.size()); ++line) {
    if (pane.diff.marks[std::size_t(line)] == ELineMark::kAdded)
      editor->markerAdd(line, kMarkerAdded);
    else if (pane.diff.marks[std::size_t(line)] == ELineMark::kChanged)
      editor->markerAdd(line, kMarkerChanged);
  }
  const int lastLine = std::max(0, int(pane.diff.marks.size()) - 1);
  for (const CLineRemoval& removal : pane.diff.removals)
    editor->markerAdd(std::min(removal.beforeLine, lastLine), kMarkerRemoved);
}

void CViewGenCode::ShowSummary() {
  bool differs = false;
  QStringList lines;
  if (m_texts.sourcePath.empty()) {
    lines << QStringLiteral("The project has not been saved: there are no files on disk to compare with.");
  } else {
    for (const CFilePane& pane : m_files) {
      const QString name = FileName(pane.disk.path, "");
      QString state;
      switch (pane.disk.state) {
        case CDiskText::kNoPath:
        case CDiskText::kMissing: state = QStringLiteral("not on disk; the next save writes it new"); break;
        case CDiskText::kUnreadable:
          state = QStringLiteral("the file on disk cannot be read (%1); nothing is marked").arg(ToQ(pane.disk.reason));
          break;
        case CDiskText::kRead:
          state = pane.diff.Same() ? QStringLiteral("the same as the file on disk")
                                   : Counts(pane.diff) + QStringLiteral(" against the file on disk");
          if (pane.disk.crlf)
            state += QStringLiteral(" (its CR LF line ends become LF)");
          break;
      }
      differs = differs || !pane.diff.Same();
      lines << name + QStringLiteral(": ") + state;
    }
  }
  if (!m_texts.generated)
    lines.clear();
  m_summary->setText(lines.join(QLatin1Char('\n')));
  m_summary->setVisible(!lines.isEmpty());
  m_previous->setEnabled(differs);
  m_next->setEnabled(differs);
}

bool CViewGenCode::GoToDifference(bool reverse) {
  if (m_stale && IsCurrentPage())
    Refresh(false);
  std::vector<std::pair<int, int>> places;
  for (int file = 0; file < 2; ++file)
    for (int line : m_files[std::size_t(file)].diff.places)
      places.emplace_back(file, line);
  if (places.empty())
    return false;
  const int file = m_tabs->currentIndex();
  int line = 0;
  int index = 0;
  m_files[std::size_t(file)].editor->getCursorPosition(&line, &index);
  const std::pair<int, int> here(file, line);
  std::pair<int, int> target;
  if (reverse) {
    auto before = std::lower_bound(places.begin(), places.end(), here);
    target = before == places.begin() ? places.back() : *(before - 1);
  } else {
    auto after = std::upper_bound(places.begin(), places.end(), here);
    target = after == places.end() ? places.front() : *after;
  }
  QsciScintilla* editor = m_files[std::size_t(target.first)].editor;
  m_tabs->setCurrentIndex(target.first);
  editor->setCursorPosition(target.second, 0);
  editor->ensureLineVisible(target.second);
  editor->setFocus();
  return true;
}

QString CViewGenCode::MarginTip(const CFilePane& pane, int line) const {
  QStringList tips;
  if (line >= 0 && line < int(pane.diff.marks.size())) {
    if (pane.diff.marks[std::size_t(line)] == ELineMark::kAdded)
      tips << QStringLiteral("Added: the file on disk does not have this line");
    else if (pane.diff.marks[std::size_t(line)] == ELineMark::kChanged)
      tips << QStringLiteral("Changed: the file on disk has another line here");
  }
  const int lineCount = int(pane.diff.marks.size());
  for (const CLineRemoval& removal : pane.diff.removals) {
    const bool atEnd = removal.beforeLine >= lineCount;
    if (removal.beforeLine == line || (atEnd && line == std::max(0, lineCount - 1)))
      tips << QStringLiteral("%1 %2 of the file on disk removed %3 this line")
                  .arg(removal.count)
                  .arg(removal.count == 1 ? "line" : "lines")
                  .arg(atEnd ? "below" : "above");
  }
  return tips.join(QLatin1Char('\n'));
}

// The margin's marks explain themselves when the mouse rests on them.
bool CViewGenCode::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::ToolTip) {
    for (const CFilePane& pane : m_files) {
      if (watched != pane.editor->viewport())
        continue;
      auto* help = static_cast<QHelpEvent*>(event);
      const int margins = pane.editor->marginWidth(0) + pane.editor->marginWidth(1);
      if (help->pos().x() >= margins)
        break;
      const long position = pane.editor->SendScintilla(QsciScintillaBase::SCI_POSITIONFROMPOINT,
                                                       static_cast<unsigned long>(margins + 1),
                                                       static_cast<long>(help->pos().y()));
      const int line = int(pane.editor->SendScintilla(QsciScintillaBase::SCI_LINEFROMPOSITION,
                                                      static_cast<unsigned long>(position)));
      const QString tip = MarginTip(pane, line);
      if (tip.isEmpty())
        QToolTip::hideText();
      else
        QToolTip::showText(help->globalPos(), tip, pane.editor);
      return true;
    }
  }
  return CViewBase::eventFilter(watched, event);
}
