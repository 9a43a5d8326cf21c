// The application object of the desktop program: its settings, the command
// line, the knowledge base and the project, the Help commands and the start of
// the version checker. It shows nothing itself: messages, progress and
// settings go through the ports, and the program hands it the two things only
// the desktop can do (open a document, start a process).
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/appnotes.h"
#include "base/commandline.h"
#include "base/paths.h"
#include "base/ports.h"
#include "knowledge/knowledgebase.h"

class CNotesModel;
class CProjDoc;
class CRecoveryStore;
struct CRecoveryCopy;

// The most recently used project files, newest first.
class CRecentFileList {
 public:
  static constexpr int kSize = 4;
  // Moves `path` to the front, dropping the oldest beyond the list's size.
  void Add(const std::string& path);
  void Remove(int index);
  const std::vector<std::string>& Files() const { return m_files; }
  void Read();
  // Stores the list when it differs from the one read or stored last.
  void Write();

 private:
  std::vector<std::string> m_files;
  std::vector<std::string> m_stored;
};

class CKivoVamApp {
 public:
  // Settings key paths below the per-user store.
  static const char* const kOptionsKey;
  static const char* const kRecentFilesKey;
  static const char* const kToolBarsKey;

  CKivoVamApp();
  ~CKivoVamApp();
  CKivoVamApp(const CKivoVamApp&) = delete;
  CKivoVamApp& operator=(const CKivoVamApp&) = delete;

  // ---- Start-up and exit, in the order the program calls them.
  // The folder settings and the recent-file list; a missing store keeps the defaults.
  void ReadSettings();
  // The arguments after the program name: "-NAME=value" or "/NAME=value"
  // options, and the first other argument as the project to open.
  void ParseCommandLine(const std::vector<std::string>& args);
  // FSETPATH, the knowledge base, then the project named on the command line
  // or a new one. False when the program cannot go on (the message is shown).
  bool Start();
  // Writes the folder settings (never a function-set folder that came from
  // FSETPATH) and the recent-file list, each only when it changed in the run:
  // a run that changed nothing leaves the store as it found it.
  void WriteSettings();

  const CCommandLineOptions& Options() const { return m_options; }
  bool LookupOption(const std::string& name, std::string& value) const;
  const std::string& CommandLineProject() const { return m_commandLineProject; }
  CKnowledgeBase& Kb() { return m_kb; }
  CProjDoc& Doc() { return *m_doc; }
  CNotesModel& Notes() { return *m_notes; }
  CRecentFileList& RecentFiles() { return m_recent; }

  // ---- The project file.
  // The path of the open project; empty while it is untitled.
  const std::string& ProjectPath() const { return m_projectPath; }
  // "kivo_vam.c", or "untitled_kivo_vam" for a project never saved.
  std::string ProjectTitle() const;
  bool NewProject();
  // A project that does not open leaves the one before exactly as it was.
  bool OpenProject(const std::string& path);
  bool SaveProject(const std::string& path);
  // The warnings and errors the last open of the project showed. They stay
  // until another project is opened or created, or this one is saved: the
  // file then holds what the program made of it.
  const std::vector<CMessage>& OpenWarnings() const { return m_openWarnings; }

  // ---- Recovery copies of unsaved changes.
  // Keeps copies in `folder` from now on (the desktop program names it; the
  // command-line tool keeps none).
  void EnableRecovery(const std::string& folder);
  CRecoveryStore* Recovery() const { return m_recovery.get(); }
  // Writes the copy while the project is modified and removes it once it is
  // not; a copy that cannot be written is reported once a run (message 4075).
  void KeepRecoveryCopy();
  // At start-up: offers the copies of programs that did not close (message
  // 4074), newest first. Yes restores one and ends the offers, No deletes
  // the copy. True when one was restored.
  bool OfferRecoveryCopies();
  // Opens a copy as the modified project under its own path.
  bool RestoreRecoveryCopy(CRecoveryCopy& copy);
  // The program closes cleanly: nothing is left to recover.
  void EndRecovery();

  // ---- Toolbar and status bar state.
  bool BarVisible(const std::string& bar) const;
  void SetBarVisible(const std::string& bar, bool visible);

  // ---- The Options dialog.
  struct COptionsFields {
    std::string functionSetFolder;
    std::string referenceManualPath;
    std::string appNotesFolder;
  };
  COptionsFields OptionsFields() const;
  bool FunctionSetFolderLocked() const;
  // OK of the dialog: a changed function-set folder takes effect next run (message 4034).
  void ApplyOptions(const COptionsFields& fields);
  // A path inside the program folder relative to it ("" for the folder
  // itself); any other path as it is.
  static std::string MakeRelativeToProgram(const std::string& path);

  // ---- Help.
  std::string UserManualPath() const;
  std::string ReferenceManualPath() const;
  // False when the manual is missing (message 4040) or no program of the
  // desktop could be started to show it (message 4096).
  bool OpenUserManual();
  bool OpenReferenceManual();
  // Rebuilds the submenu and the document list from the notes folder.
  std::vector<CAppNotesItem> BuildAppNotesMenu();
  const std::vector<std::string>& AppNoteDocuments() const { return m_appNoteDocuments; }
  // Opens document `index` of the last build; an index beyond the list does
  // nothing. A document gone since the menu was built gives message 9320.
  bool OpenAppNote(int index);
  // The desktop found out only after the hand-over that no program shows `path`.
  void DocumentNotShown(const std::string& path);

  // ---- The version checker.
  std::string VersionCheckerPath() const;
  // The profile that tells the checker what to ask, beside the checker; empty
  // when there is none (a distributor supplies it).
  std::string VersionCheckProfile() const;
  // The command line as one text: the program, quoted when it holds a blank
  // or a tab, then " /gui" for the interactive form.
  std::string VersionCheckerCommandLine(bool gui) const;
  bool StartVersionChecker(bool gui);
  // The first idle moment of the run: starts the checker once, whatever comes
  // of it, when it has a profile to work from.
  void OnFirstIdle();
  bool VersionCheckStarted() const { return m_versionCheckStarted; }
  // The Help item is enabled once the automatic start was tried and the
  // checker exists with a profile beside it; that is looked at once per run.
  bool CanCheckForNewVersion();
  // The Help item: starts the interactive checker, with a message when it cannot.
  bool CheckForNewVersion();

  // What only the desktop can do; until the program sets them, nothing opens or starts.
  std::function<bool(const std::string& path)> openDocument;
  std::function<bool(const std::string& program, const std::vector<std::string>& args)> startProcess;

 private:
  // `path` handed to the desktop; a missing file gives message `missingId`
  // (4040, or 9320 for a note), one no program shows gives message 4096.
  bool ShowDocument(const std::string& path, int missingId);
  bool VersionCheckerReady() const;
  // The project at `path` read into a document of its own; null when it does not open.
  // What the open showed that counts as a problem goes to `outWarnings`.
  std::unique_ptr<CProjDoc> ReadProject(const std::string& path, std::vector<CMessage>& outWarnings);
  void ProjectReplaced();

  CCommandLineOptions m_options;
  std::string m_commandLineProject;
  CKnowledgeBase m_kb;
  std::unique_ptr<CNotesModel> m_notes;
  std::unique_ptr<CProjDoc> m_doc;
  CRecentFileList m_recent;
  CFolderSettings m_storedFolders;  // as read, or as written last
  std::string m_projectPath;
  std::vector<CMessage> m_openWarnings;
  std::vector<std::string> m_appNoteDocuments;
  bool m_versionCheckStarted = false;
  std::optional<bool> m_versionCheckerPresent;
  std::unique_ptr<CRecoveryStore> m_recovery;
  bool m_recoveryFailureShown = false;
};
