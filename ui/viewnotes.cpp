// The "Project Notes" page.
#include "ui/viewnotes.h"

#include <QDesktopServices>
#include <QDir>
#include <QScrollBar>
#include <QTemporaryFile>
#include <QVBoxLayout>

#include "base/filereader.h"
#include "base/paths.h"
#include "base/ports.h"
#include "project/notesmodel.h"
#include "project/projdoc.h"
#include "ui/mainframe.h"
#include "ui/pages.h"
#include "ui/uitext.h"
#include "ui/viewtab.h"

namespace {

constexpr const char* kLinkScheme = "kivovam";

}  // namespace

CNotesBrowser::CNotesBrowser(QWidget* parent) : QTextBrowser(parent) {
  // The page decides where a link leads; the browser itself goes nowhere.
  setOpenLinks(false);
  setOpenExternalLinks(false);
}

// A null answer would let the document open the file itself, unbounded and
// whatever it is: every refusal is an empty answer instead.
QVariant CNotesBrowser::loadResource(int, const QUrl& name) {
  const QUrl url = name.isRelative() ? source().resolved(name) : name;
  if (url.scheme().compare(QLatin1String("data"), Qt::CaseInsensitive) == 0)
    return QVariant();
  if (!url.isLocalFile())
    return QByteArray();
  std::string bytes;
  std::string reason;
  if (ReadWholeFile(FromQ(url.toLocalFile()), bytes, reason) != EFileRead::kRead)
    return QByteArray();
  return QByteArray::fromStdString(bytes);
}

CViewNotes::CViewNotes(CProjDoc& doc, int pageIndex, QWidget* parent)
    : CViewBase(doc, pageIndex, parent), m_browser(new CNotesBrowser(this)) {
  openExternal = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
  m_browser->setAccessibleName(PageCaption(pageIndex));
  m_browser->setAccessibleDescription(
      QStringLiteral("The notes of the configured functions. Tab moves to the next link, Enter follows it."));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(m_browser);
  setFocusProxy(m_browser);
  connect(m_browser, &QTextBrowser::anchorClicked, this, &CViewNotes::FollowLink);
}

CViewNotes::~CViewNotes() = default;

QTextBrowser* CViewNotes::Browser() const { return m_browser; }

QString CViewNotes::RenderedPath() const { return m_rendered ? m_rendered->fileName() : QString(); }

CNotesModel* CViewNotes::Notes() const { return Doc().Notes(); }

void CViewNotes::OnActivated() {
  // The frame is known once the page is shown; from then on every page
  // change tells whether this page was left.
  if (Frame())
    connect(Frame()->Tabs(), &CViewTab::PageChanged, this, &CViewNotes::OnPageChanged, Qt::UniqueConnection);
  m_current = true;
  CViewBase::OnActivated();
}

void CViewNotes::OnPageChanged(int index) {
  const bool wasCurrent = m_current;
  m_current = index == PageIndex();
  if (wasCurrent && !m_current)
    if (CNotesModel* notes = Notes())
      notes->PageLeft();
}

// Written only while the page is shown: notes change with every function
// edit, and nobody reads the page meanwhile. A page of notes that are all
// gone is not kept until the next showing.
void CViewNotes::LoadControls() {
  const CNotesModel* notes = Notes();
  if (IsCurrentPage() || (m_rendered && notes && notes->Entries().empty()))
    Render();
}

bool CViewNotes::StoreControls(bool) { return true; }

void CViewNotes::Render() {
  CNotesModel* notes = Notes();
  if (!notes || notes->Revision() == m_renderedRevision)
    return;
  m_renderedRevision = notes->Revision();
  std::unique_ptr<QTemporaryFile> file;
  if (!notes->Entries().empty()) {
    // A template that cannot be read is reported; the page shows what there is.
    std::string page;
    notes->RenderPageFile(CombinePath(Doc().Kb().ConfFolder(), "pnotes.htm"), page);
    // A name of its own, made by creating the file: nothing already there is replaced.
    file = std::make_unique<QTemporaryFile>(QDir::tempPath() + QStringLiteral("/qzrXXXXXX.htm"));
    if (!file->open()) {
      ShowFileError(FromQ(file->fileTemplate()), FromQ(file->errorString()));
      file.reset();
    } else if (file->write(page.data(), static_cast<qint64>(page.size())) != static_cast<qint64>(page.size()) ||
               !file->flush()) {
      ShowFileError(FromQ(file->fileName()), FromQ(file->errorString()));
    }
  }
  const int scrolled = m_browser->verticalScrollBar()->value();
  // The page shown before goes with its file.
  m_rendered = std::move(file);
  if (m_rendered)
    m_browser->setSource(QUrl::fromLocalFile(m_rendered->fileName()), QTextDocument::HtmlResource);
  else
    m_browser->clear();
  // The files before this one are gone: there is nothing to go back to.
  m_browser->clearHistory();
  m_browser->verticalScrollBar()->setValue(scrolled);
}

void CViewNotes::FollowLink(const QUrl& url) {
  const QString scheme = url.scheme();
  if (scheme.compare(QLatin1String(kLinkScheme), Qt::CaseInsensitive) == 0) {
    CNotesModel* notes = Notes();
    if (!notes)
      return;
    const QString target = url.toString().mid(static_cast<qsizetype>(std::char_traits<char>::length(kLinkScheme)) + 1);
    notes->FollowLink(FromQ(target), [this](int engine, int channel) { return ShowChannel(engine, channel); });
  } else if (scheme.compare(QLatin1String("http"), Qt::CaseInsensitive) == 0 ||
             scheme.compare(QLatin1String("https"), Qt::CaseInsensitive) == 0) {
    if (openExternal)
      openExternal(url);
  } else if (scheme.isEmpty() && url.path().isEmpty() && url.hasFragment()) {
    m_browser->scrollToAnchor(url.fragment());
  }
}

bool CViewNotes::ShowChannel(int engine, int channel) {
  CMainFrame* frame = Frame();
  if (!frame)
    return false;
  const int page = engine == 0 ? kPageChannelsA : kPageChannelsB;
  if (!frame->SelectPage(page))
    return false;
  if (CViewBase* view = frame->Page(page))
    view->SelectChannelRow(channel);
  return true;
}
