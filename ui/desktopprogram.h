// Start-up and run of the desktop program, shared by main, the benchmark and
// the widget tests.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/kivovamapp.h"
#include "base/ports.h"

class CMainFrame;
class CQtMessagePort;
class CQtSettingsPort;
class CStartupWindow;
class QApplication;
class QObject;

// Hands documents to the desktop. Where the desktop's opener is xdg-open (the
// one Qt itself starts on such desktops), it is started here so that its end is
// seen: an opener that fails within the first seconds found no program for the
// file, and `notShown` hears of it. Elsewhere Qt's own hand-over is used, and
// only its refusal counts.
class CDocumentOpener {
 public:
  explicit CDocumentOpener(std::function<void(const std::string& path)> notShown);
  ~CDocumentOpener();
  CDocumentOpener(const CDocumentOpener&) = delete;
  CDocumentOpener& operator=(const CDocumentOpener&) = delete;

  // False when nothing could be started to show `path`.
  bool Open(const std::string& path);

  // A failure later than this is the exit of a viewer that did show the file.
  static constexpr int kFailureWindowMs = 5000;

 private:
  std::function<void(const std::string&)> m_notShown;
  std::unique_ptr<QObject> m_running;  // parent of the openers still running
};

class CDesktopProgram {
 public:
  // With `ports` the program uses those (tests record messages and keep a
  // store of their own); otherwise message boxes and the user's settings.
  explicit CDesktopProgram(const CPorts* ports = nullptr);
  ~CDesktopProgram();
  CDesktopProgram(const CDesktopProgram&) = delete;
  CDesktopProgram& operator=(const CDesktopProgram&) = delete;

  // Everything up to the main window shown and the start-up window closed;
  // `args` are the arguments after the program name. False when the program
  // cannot start (the reason has been shown).
  bool Start(const std::vector<std::string>& args);
  // The event loop, then the settings written back.
  int Run(QApplication& application);

  CKivoVamApp& App() { return m_app; }
  // What the application object's openDocument does in the real program.
  bool OpenDocument(const std::string& path) { return m_opener->Open(path); }
  CMainFrame* Frame() const { return m_frame.get(); }
  // Where the recovery copies are kept; by default "recovery" in the user's
  // application data folder (below XDG_DATA_HOME when that is set). Takes
  // effect at Start.
  void SetRecoveryFolder(const std::string& folder) { m_recoveryFolder = folder; }

 private:
  std::unique_ptr<CQtMessagePort> m_messages;
  std::unique_ptr<CQtSettingsPort> m_settings;
  std::unique_ptr<CScopedPorts> m_ports;
  CKivoVamApp m_app;
  std::unique_ptr<CDocumentOpener> m_opener;  // reports to m_app, so it goes first
  std::unique_ptr<CMainFrame> m_frame;
  std::string m_recoveryFolder;
};

// The whole program: start-up, then the event loop; the exit status.
int RunDesktopProgram(QApplication& application, const std::vector<std::string>& args);
