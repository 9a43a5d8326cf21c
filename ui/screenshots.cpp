// Pictures of the real windows for the user's manual.
#include "ui/screenshots.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMenu>
#include <QMessageBox>
#include <QPixmap>
#include <QPointer>
#include <QPushButton>
#include <QStyle>
#include <QTimer>
#include <functional>
#include <vector>

#include "app/kivovamapp.h"
#include "base/messagecatalog.h"
#include "base/paths.h"
#include "ui/channelmapview.h"
#include "ui/mainframe.h"
#include "ui/qtports.h"
#include "ui/uitext.h"
#include "ui/viewbase.h"
#include "ui/viewtab.h"

namespace {

// Long enough for a dialog to lay itself out and paint, short enough that a
// button that opens nothing costs little.
constexpr int kDialogWaitMs = 3000;

void Settle(int milliseconds) {
  QElapsedTimer clock;
  clock.start();
  do {
    QApplication::processEvents(QEventLoop::AllEvents, 10);
  } while (!clock.hasExpired(milliseconds));
}

// "Engine A Channels" -> "engine-a-channels", "Add &Function..." -> "add-function".
QString Slug(QString text) {
  text.remove(QLatin1Char('&'));
  QString slug;
  for (QChar c : text.toLower()) {
    if (c.isLetterOrNumber())
      slug += c;
    else if (!slug.isEmpty() && !slug.endsWith(QLatin1Char('-')))
      slug += QLatin1Char('-');
  }
  while (slug.endsWith(QLatin1Char('-')))
    slug.chop(1);
  return slug;
}

class CCamera {
 public:
  CCamera(CMainFrame& frame, const QString& folder) : m_frame(frame), m_folder(folder) {}

  bool Save(const QPixmap& picture, const QString& name) {
    if (picture.isNull() || picture.width() < 8 || picture.height() < 8)
      return Fail(name + QStringLiteral(": the window drew nothing"));
    QString path = QDir(m_folder).filePath(name + QStringLiteral(".png"));
    if (!picture.save(path, "PNG"))
      return Fail(path + QStringLiteral(": not written"));
    return true;
  }

  // Runs `open`, which shows a modal dialog, grabs the dialog once it has
  // painted and cancels it, and every window it opens in turn, until `open`
  // returns. A message box gets no picture; an `open` that shows nothing
  // gives none either.
  bool GrabDialog(const std::function<void()>& open, const QString& name) {
    bool saved = true;
    bool pictured = false;
    int sightings = 0;
    QElapsedTimer clock;
    clock.start();
    QTimer poll;
    poll.setInterval(30);
    QObject::connect(&poll, &QTimer::timeout, [&] {
      QWidget* modal = QApplication::activeModalWidget();
      if (!modal || !modal->isVisible()) {
        if (!pictured && clock.hasExpired(kDialogWaitMs))
          poll.stop();
        return;
      }
      if (modal == m_closing)
        return;
      if (!pictured) {
        if (++sightings < 3)
          return;
        pictured = true;
        if (!qobject_cast<QMessageBox*>(modal))
          saved = Save(modal->grab(), name);
      }
      m_closing = modal;
      // Ended as cancelled, past any question a dialog asks on its way out
      // (which would keep it open), and from the event loop rather than from
      // here, so that this timer fires again for whatever opens next.
      QMetaObject::invokeMethod(
          modal,
          [this, window = QPointer<QWidget>(modal)] {
            if (!window)
              return;
            if (auto* dialog = qobject_cast<QDialog*>(window.data()))
              dialog->done(QDialog::Rejected);
            else
              window->close();
            m_closing = nullptr;
          },
          Qt::QueuedConnection);
    });
    poll.start();
    open();
    poll.stop();
    Settle(20);
    return saved;
  }

  bool Pages() {
    CViewTab* tabs = m_frame.Tabs();
    bool any = false;
    for (int page = 0; page < tabs->PageCount(); ++page) {
      if (!m_frame.IsPageShown(page) || !m_frame.SelectPage(page))
        continue;
      Settle(60);
      QString slug = Slug(tabs->Caption(page));
      if (!Save(m_frame.grab(), QStringLiteral("page-") + slug))
        return false;
      any = true;
      // The dialogs the page's buttons open; "..." says a button opens one.
      for (QAbstractButton* button : m_frame.Page(page)->findChildren<QAbstractButton*>()) {
        if (!button->isVisibleTo(&m_frame) || !button->isEnabled() ||
            !button->text().endsWith(QLatin1String("...")))
          continue;
        QString name = QStringLiteral("dialog-%1-%2").arg(slug, Slug(button->text()));
        if (!GrabDialog([button] { button->click(); }, name))
          return false;
        m_frame.SelectPage(page);
      }
    }
    return any || Fail(QStringLiteral("the main window shows no page"));
  }

  // The dock floated at the size that shows both engines whole, eight
  // channels to a row, for the picture only.
  bool ChannelMap() {
    CChannelMapDock* dock = m_frame.ChannelMap();
    bool shown = dock->isVisible();
    dock->setFloating(true);
    dock->show();
    QSize whole = dock->View()->sizeHint();
    dock->resize(whole.width() + dock->style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 8,
                 whole.height() + dock->fontMetrics().height() + 16);
    Settle(60);
    bool saved = Save(dock->grab(), QStringLiteral("dock-channel-map"));
    dock->setFloating(false);
    dock->setVisible(shown);
    Settle(20);
    return saved;
  }

  bool HelpMenu() {
    QMenu* help = m_frame.HelpMenu();
    help->popup(m_frame.mapToGlobal(QPoint(40, 40)));
    Settle(60);
    bool saved = Save(help->grab(), QStringLiteral("menu-help"));
    help->hide();
    Settle(20);
    return saved;
  }

  bool HelpDocuments() {
    CKivoVamApp& app = m_frame.App();
    QStringList lines{ToQ(app.UserManualPath()), ToQ(app.ReferenceManualPath())};
    app.BuildAppNotesMenu();
    for (const std::string& note : app.AppNoteDocuments())
      lines << ToQ(note);
    QFile file(QDir(m_folder).filePath(QStringLiteral("help-documents.txt")));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
      return Fail(file.fileName() + QStringLiteral(": not written"));
    file.write(lines.join(QLatin1Char('\n')).toUtf8() + '\n');
    return true;
  }

  bool Startup() {
    CStartupWindow window;
    window.SetText(FormatMessageText(CatalogText(571), {"kivo2/kivo_set_k2_motion.h"}));
    window.SetProgress(3, 5);
    window.ShowNow();
    Settle(40);
    bool saved = Save(window.grab(), QStringLiteral("startup"));
    window.close();
    return saved;
  }

  const QString& Error() const { return m_error; }

 private:
  bool Fail(const QString& error) {
    m_error = error;
    return false;
  }

  CMainFrame& m_frame;
  QString m_folder;
  QString m_error;
  QPointer<QWidget> m_closing;  // told to close, not closed yet
};

}  // namespace

bool TakeScreenshots(CMainFrame& frame, const std::string& folder, std::string& error) {
  QString target = ToQ(folder);
  if (!QDir().mkpath(target)) {
    error = folder + ": cannot be created";
    return false;
  }
  CCamera camera(frame, target);
  Settle(100);
  // The Options dialog names the program folder: the manual shows the one the
  // package installs to (KIVOVAM_SCREENSHOTS_FOLDER), not the build's.
  auto options = [&frame] {
    QString shown = qEnvironmentVariable("KIVOVAM_SCREENSHOTS_FOLDER");
    std::string actual = ProgramFolder();
    if (!shown.isEmpty())
      SetProgramFolder(FromQ(shown));
    frame.ShowOptions();
    SetProgramFolder(actual);
  };
  bool taken = camera.Startup() && camera.Pages() && camera.ChannelMap() && camera.HelpMenu() &&
               camera.GrabDialog(options, QStringLiteral("dialog-options")) &&
               camera.GrabDialog([&frame] { frame.ShowAbout(); }, QStringLiteral("dialog-about")) &&
               camera.HelpDocuments();
  if (!taken)
    error = FromQ(camera.Error());
  return taken;
}
