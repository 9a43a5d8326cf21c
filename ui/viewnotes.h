// The "Project Notes" page: the notes of the configured functions, rendered
// from the page template into a file of its own and shown in a browser that
// never leaves the page.
#pragma once

#include <QTextBrowser>
#include <functional>
#include <memory>

#include "ui/viewbase.h"

class CNotesModel;
class QTemporaryFile;

// The page's browser: it reads local files alone (through the bounded
// reader) and data inside the page; nothing comes from the network.
class CNotesBrowser : public QTextBrowser {
  Q_OBJECT

 public:
  explicit CNotesBrowser(QWidget* parent = nullptr);
  QVariant loadResource(int type, const QUrl& name) override;
};

class CViewNotes : public CViewBase {
  Q_OBJECT

 public:
  CViewNotes(CProjDoc& doc, int pageIndex, QWidget* parent = nullptr);
  ~CViewNotes() override;

  void OnActivated() override;
  void LoadControls() override;
  bool StoreControls(bool validate) override;

  // A link clicked or entered on the page: "kivovam:" links go to the
  // project's pages, web links to the desktop's browser; nothing else is
  // followed, and the page itself never changes.
  void FollowLink(const QUrl& url);

  QTextBrowser* Browser() const;
  // The file the page shows; empty without notes or before the first showing.
  QString RenderedPath() const;

  // Opens a web link outside the program; tests answer instead.
  std::function<bool(const QUrl& url)> openExternal;

 private:
  CNotesModel* Notes() const;
  // Writes the page anew when the notes changed since it was written last.
  void Render();
  bool ShowChannel(int engine, int channel);
  void OnPageChanged(int index);

  CNotesBrowser* m_browser;
  std::unique_ptr<QTemporaryFile> m_rendered;
  unsigned m_renderedRevision = 0;
  bool m_current = false;
};
