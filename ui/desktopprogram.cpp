// Start-up and run of the desktop program.
#include "ui/desktopprogram.h"

#include <QApplication>
#include <QDesktopServices>
#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>
#include <cstdio>

#include "ui/mainframe.h"
#include "ui/qtports.h"
#include "ui/screenshots.h"
#include "ui/uitext.h"

CDocumentOpener::CDocumentOpener(std::function<void(const std::string& path)> notShown)
    : m_notShown(std::move(notShown)), m_running(std::make_unique<QObject>()) {}

// An opener still running holds a viewer it started in the foreground; the
// viewer outlives it (its output goes nowhere, so nothing breaks under it).
CDocumentOpener::~CDocumentOpener() {
  for (QProcess* process : m_running->findChildren<QProcess*>(Qt::FindDirectChildrenOnly)) {
    process->disconnect();
    if (process->state() != QProcess::NotRunning) {
      process->kill();
      process->waitForFinished(1000);
    }
  }
}

bool CDocumentOpener::Open(const std::string& path) {
  QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
  if (opener.isEmpty())
    return QDesktopServices::openUrl(QUrl::fromLocalFile(ToQ(path)));
  auto* process = new QProcess(m_running.get());
  process->setProgram(opener);
  process->setArguments({ToQ(path)});
  process->setStandardInputFile(QProcess::nullDevice());
  process->setStandardOutputFile(QProcess::nullDevice());
  process->setStandardErrorFile(QProcess::nullDevice());
  QElapsedTimer clock;
  clock.start();
  QObject::connect(process, &QProcess::finished, process,
                   [this, process, path, clock](int code, QProcess::ExitStatus status) {
                     if (status == QProcess::NormalExit && code != 0 && !clock.hasExpired(kFailureWindowMs))
                       m_notShown(path);
                     process->deleteLater();
                   });
  process->start();
  if (!process->waitForStarted()) {
    delete process;
    return false;
  }
  return true;
}

CDesktopProgram::CDesktopProgram(const CPorts* ports) {
  if (ports) {
    m_ports = std::make_unique<CScopedPorts>(*ports);
  } else {
    m_messages = std::make_unique<CQtMessagePort>();
    m_settings = std::make_unique<CQtSettingsPort>();
    m_ports = std::make_unique<CScopedPorts>(CPorts{m_messages.get(), nullptr, m_settings.get()});
  }
  m_opener = std::make_unique<CDocumentOpener>([this](const std::string& path) { m_app.DocumentNotShown(path); });
  m_app.openDocument = [this](const std::string& path) { return OpenDocument(path); };
  m_app.startProcess = [](const std::string& program, const std::vector<std::string>& args) {
    QStringList arguments;
    for (const std::string& arg : args)
      arguments << ToQ(arg);
    return QProcess::startDetached(ToQ(program), arguments);
  };
}

CDesktopProgram::~CDesktopProgram() {
  // The frame detaches from the project before the application object goes.
  m_frame.reset();
}

bool CDesktopProgram::Start(const std::vector<std::string>& args) {
  CStartupWindow progress;
  progress.ShowNow();
  bool started = false;
  if (m_recoveryFolder.empty()) {
    // Without a home of the user's there is nowhere to keep copies.
    QString data = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
    if (!data.isEmpty())
      m_recoveryFolder = FromQ(data + QStringLiteral("/recovery"));
  }
  m_app.EnableRecovery(m_recoveryFolder);
  {
    CScopedPorts showProgress(CPorts{nullptr, &progress, nullptr});
    m_app.ReadSettings();
    m_app.ParseCommandLine(args);
    started = m_app.Start();
  }
  if (!started)
    return false;
  m_frame = std::make_unique<CMainFrame>(m_app);
  // Sized to the largest page; the window manager places it.
  m_frame->resize(m_frame->StartFrameSize());
  m_frame->showNormal();
  m_frame->setMinimumSize(m_frame->MinimumFrameSize());
  m_frame->repaint();
  progress.close();
  // A restored copy names its project: the title follows.
  if (m_app.OfferRecoveryCopies())
    m_frame->UpdateTitle();
  return true;
}

int CDesktopProgram::Run(QApplication& application) {
  int status = application.exec();
  m_app.WriteSettings();
  return status;
}

int RunDesktopProgram(QApplication& application, const std::vector<std::string>& args) {
  QApplication::setOrganizationName(QStringLiteral("Halvora"));
  QApplication::setApplicationName(QStringLiteral("Kivo Vam"));
  CDesktopProgram program;
  // For the user's manual (scripts/screenshots): pictures of every window
  // instead of the session, then the program ends as it started. The version
  // checker is not started: it might ask a server, or the user.
  QString pictures = qEnvironmentVariable("KIVOVAM_SCREENSHOTS");
  if (!pictures.isEmpty())
    program.App().startProcess = [](const std::string&, const std::vector<std::string>&) { return false; };
  if (!program.Start(args))
    return 1;
  if (!pictures.isEmpty()) {
    std::string error;
    if (TakeScreenshots(*program.Frame(), FromQ(pictures), error))
      return 0;
    std::fprintf(stderr, "kivovam: %s\n", error.c_str());
    return 1;
  }
  return program.Run(application);
}
