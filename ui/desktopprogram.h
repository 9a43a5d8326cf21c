// Start-up and run of the desktop program, shared by main, the benchmark and
// the widget tests.
#pragma once

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
  std::unique_ptr<CMainFrame> m_frame;
  std::string m_recoveryFolder;
};

// The whole program: start-up, then the event loop; the exit status.
int RunDesktopProgram(QApplication& application, const std::vector<std::string>& args);
