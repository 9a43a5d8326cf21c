// The widget tests' environment: one QApplication, settings kept off the
// user's own, and the desktop program started over the bundled library.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "common/testsupport.h"
#include "ui/desktopprogram.h"

class CMainFrame;
class QWidget;

// A program folder of its own (the build's conf, fsets, doc and examples
// linked in, and a stand-in version checker), recorded messages and settings,
// and the desktop program on top.
class CShell {
 public:
  struct CStarted {
    std::string program;
    std::vector<std::string> args;
  };

  // With `settings` the program keeps its settings there instead of in `ports`.
  explicit CShell(ISettingsPort* settings = nullptr);
  ~CShell();
  bool Start(const std::vector<std::string>& args);
  CMainFrame& Frame() const { return *m_program->Frame(); }
  CKivoVamApp& App() { return m_program->App(); }
  CDesktopProgram& Program() { return *m_program; }
  const std::filesystem::path& Folder() const { return m_folder.Path(); }
  // Where this shell's program keeps its recovery copies.
  std::filesystem::path RecoveryFolder() const { return m_folder / "state/recovery"; }
  // The tab captions from left to right.
  std::vector<std::string> Tabs() const;

  CRecordedPorts ports;
  std::vector<CStarted> started;

 private:
  CTempDir m_folder;
  std::unique_ptr<CDesktopProgram> m_program;
};

// The input controls below `root` that a screen reader could not name: no
// label has them as buddy and they carry no accessible name of their own.
// Each is given by its class and object name.
std::vector<std::string> UnlabelledControls(const QWidget* root);

// Saves stamp one fixed time while this lives, so two saves a second apart
// write the same files.
class CFixedSaveTime {
 public:
  CFixedSaveTime();
  ~CFixedSaveTime();
  CFixedSaveTime(const CFixedSaveTime&) = delete;
  CFixedSaveTime& operator=(const CFixedSaveTime&) = delete;
};

// Lets queued events and zero-timers run.
void Settle(int milliseconds = 20);
