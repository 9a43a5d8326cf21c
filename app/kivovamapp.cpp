// The application object of the desktop program.
#include "app/kivovamapp.h"

#include <ctime>
#include <filesystem>
#include <system_error>

#include "app/recovery.h"
#include "app/startup.h"
#include "base/paths.h"
#include "base/ports.h"
#include "project/notesmodel.h"
#include "project/problems.h"
#include "project/projdoc.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kAppnFolder = "AppnFolder";
constexpr const char* kFSetFolder = "FSetFolder";
constexpr const char* kUserManual = "doc/KIVOVAMUM.pdf";
constexpr const char* kVersionChecker = "newscout";
constexpr const char* kUntitled = "untitled_kivo_vam";

ISettingsPort& Settings() { return *CurrentPorts().settings; }

// "/NAME=value" and "/flag" are flags, but "/home/user/x.c" is the absolute
// path of a project: a slash flag has no second slash before its value.
bool IsFlag(const std::string& arg) {
  if (arg.empty())
    return false;
  if (arg[0] == '-')
    return true;
  return arg[0] == '/' && arg.substr(1, arg.find('=') - 1).find('/') == std::string::npos;
}

// A FIFO or a device named as a document or as the checker is no file to hand on.
bool IsFile(const std::string& path) {
  std::error_code error;
  return fs::is_regular_file(path, error);
}

std::string RecentName(int index) { return "File" + std::to_string(index + 1); }

// Shows every message through the port in force, as before, and keeps those
// that count against the project.
class CKeepingMessagePort final : public IMessagePort {
 public:
  CKeepingMessagePort()
      : m_shower(CurrentPorts().messages), m_scope(CPorts{this, CurrentPorts().progress, CurrentPorts().settings}) {}
  EAnswer Show(const CMessage& message) override {
    if (IsOpenProblem(message))
      kept.push_back(message);
    return m_shower->Show(message);
  }
  std::vector<CMessage> kept;

 private:
  IMessagePort* m_shower;
  CScopedPorts m_scope;
};

}  // namespace

const char* const CKivoVamApp::kOptionsKey = "Software\nHalvora\nKivo Vam\nOptions";
const char* const CKivoVamApp::kRecentFilesKey = "Software\nHalvora\nKivo Vam\nRecent File List";
const char* const CKivoVamApp::kToolBarsKey = "Software\nHalvora\nKivo Vam\nToolBars";

// ---- Recent files

void CRecentFileList::Add(const std::string& path) {
  std::erase(m_files, path);
  m_files.insert(m_files.begin(), path);
  if (m_files.size() > static_cast<std::size_t>(kSize))
    m_files.resize(kSize);
}

void CRecentFileList::Remove(int index) {
  if (index >= 0 && index < static_cast<int>(m_files.size()))
    m_files.erase(m_files.begin() + index);
}

void CRecentFileList::Read() {
  m_files.clear();
  for (int i = 0; i < kSize; ++i) {
    std::optional<std::string> path = Settings().Read(CKivoVamApp::kRecentFilesKey, RecentName(i));
    if (path && !path->empty())
      m_files.push_back(*path);
  }
  m_stored = m_files;
}

void CRecentFileList::Write() {
  if (m_files == m_stored)
    return;
  m_stored = m_files;
  for (int i = 0; i < kSize; ++i) {
    std::size_t at = static_cast<std::size_t>(i);
    Settings().Write(CKivoVamApp::kRecentFilesKey, RecentName(i), at < m_files.size() ? m_files[at] : std::string());
  }
}

// ---- Start-up and exit

CKivoVamApp::CKivoVamApp() : m_notes(std::make_unique<CNotesModel>()) {}

CKivoVamApp::~CKivoVamApp() {
  // The project refers into the knowledge base and the notes.
  m_doc.reset();
}

void CKivoVamApp::ReadSettings() {
  CFolderSettings& folders = FolderSettings();
  if (std::optional<std::string> notes = Settings().Read(kOptionsKey, kAppnFolder))
    folders.appNotesFolder = *notes;
  if (std::optional<std::string> fsets = Settings().Read(kOptionsKey, kFSetFolder))
    folders.functionSetFolder = *fsets;
  m_storedFolders = folders;
  m_recent.Read();
}

void CKivoVamApp::ParseCommandLine(const std::vector<std::string>& args) {
  std::vector<std::string> options;
  m_commandLineProject.clear();
  for (const std::string& arg : args) {
    if (IsFlag(arg))
      options.push_back(arg);
    else if (m_commandLineProject.empty())
      m_commandLineProject = arg;
  }
  m_options = ParseCommandLineOptions(JoinCommandLine(options));
}

bool CKivoVamApp::LookupOption(const std::string& name, std::string& value) const {
  return ::LookupOption(m_options, name, value);
}

bool CKivoVamApp::Start() {
  std::string fsetPath;
  if (LookupOption("FSETPATH", fsetPath)) {
    FolderSettings().functionSetFolder = fsetPath;
    FolderSettings().functionSetFolderFromCommandLine = true;
  }
  if (!LoadKnowledgeBase(m_kb, LoadOptionsFromSettings()))
    return false;
  m_doc = std::make_unique<CProjDoc>(m_kb, &m_options, m_notes.get());
  if (!m_commandLineProject.empty())
    return OpenProject(m_commandLineProject);
  return NewProject();
}

void CKivoVamApp::WriteSettings() {
  const CFolderSettings& folders = FolderSettings();
  if (folders.appNotesFolder != m_storedFolders.appNotesFolder &&
      Settings().Write(kOptionsKey, kAppnFolder, folders.appNotesFolder))
    m_storedFolders.appNotesFolder = folders.appNotesFolder;
  if (!folders.functionSetFolderFromCommandLine && folders.functionSetFolder != m_storedFolders.functionSetFolder &&
      Settings().Write(kOptionsKey, kFSetFolder, folders.functionSetFolder))
    m_storedFolders.functionSetFolder = folders.functionSetFolder;
  m_recent.Write();
}

// ---- The project file

std::string CKivoVamApp::ProjectTitle() const {
  return m_projectPath.empty() ? std::string(kUntitled) : fs::path(m_projectPath).filename().string();
}

bool CKivoVamApp::NewProject() {
  if (!m_doc->OnNewDocument())
    return false;
  m_projectPath.clear();
  m_openWarnings.clear();
  ProjectReplaced();
  m_doc->UpdateViews(kHintEverything);
  return true;
}

std::unique_ptr<CProjDoc> CKivoVamApp::ReadProject(const std::string& path, std::vector<CMessage>& outWarnings) {
  CKeepingMessagePort port;
  auto read = std::make_unique<CProjDoc>(m_kb, &m_options);
  if (!read->OnOpenDocument(path))
    return nullptr;
  outWarnings = std::move(port.kept);
  return read;
}

bool CKivoVamApp::OpenProject(const std::string& path) {
  std::vector<CMessage> warnings;
  std::unique_ptr<CProjDoc> read = ReadProject(path, warnings);
  if (!read)
    return false;
  m_openWarnings = std::move(warnings);
  std::string source, header;
  CProjDoc::DerivePaths(path, source, header);
  // The path first: the observers told of the take-over show the new name.
  m_projectPath = fs::absolute(source).lexically_normal().string();
  m_doc->TakeContents(*read);
  m_recent.Add(m_projectPath);
  ProjectReplaced();
  m_doc->UpdateViews(kHintEverything);
  return true;
}

bool CKivoVamApp::SaveProject(const std::string& path) {
  std::string source, header;
  CProjDoc::DerivePaths(path, source, header);
  if (!m_doc->OnSaveDocument(source))
    return false;
  m_openWarnings.clear();
  m_projectPath = fs::absolute(source).lexically_normal().string();
  m_recent.Add(m_projectPath);
  if (m_recovery)
    m_recovery->Remove();
  return true;
}

// The changes of the project before were saved or given up.
void CKivoVamApp::ProjectReplaced() {
  if (m_recovery && !m_doc->IsModified())
    m_recovery->Remove();
}

// ---- Recovery copies

void CKivoVamApp::EnableRecovery(const std::string& folder) {
  m_recovery = folder.empty() ? nullptr : std::make_unique<CRecoveryStore>(folder);
}

void CKivoVamApp::KeepRecoveryCopy() {
  if (!m_recovery || !m_doc)
    return;
  if (!m_doc->IsModified()) {
    m_recovery->Remove();
    return;
  }
  std::string reason;
  int64_t now = static_cast<int64_t>(std::time(nullptr));
  if (!m_recovery->Write(*m_doc, m_projectPath, now, reason) && !m_recoveryFailureShown) {
    m_recoveryFailureShown = true;
    ShowMessage(4075, EMessageKind::Warning, {m_recovery->Folder(), reason});
  }
}

bool CKivoVamApp::OfferRecoveryCopies() {
  if (!m_recovery || !m_doc)
    return false;
  for (CRecoveryCopy& copy : m_recovery->ClaimLeftCopies()) {
    std::string project = copy.projectPath.empty() ? std::string(kUntitled) : copy.projectPath;
    if (!AskYesNo(4074, {project, RecoveryTimeText(copy.savedAt)})) {
      m_recovery->Discard(copy);
      continue;
    }
    // A copy that does not open stays for another try; the reader has said why.
    return RestoreRecoveryCopy(copy);
  }
  return false;
}

bool CKivoVamApp::RestoreRecoveryCopy(CRecoveryCopy& copy) {
  std::vector<CMessage> warnings;
  std::unique_ptr<CProjDoc> read = ReadProject(copy.sourcePath, warnings);
  if (!read)
    return false;
  m_openWarnings = std::move(warnings);
  m_projectPath = copy.projectPath;
  m_doc->TakeContents(*read);
  // None of the project's states is what its file holds.
  m_doc->SetModifiedFlag(true);
  // The copy goes once this program's own copy of the changes is written.
  if (m_recovery)
    m_recovery->TakeOver(std::move(copy));
  m_doc->UpdateViews(kHintEverything);
  return true;
}

void CKivoVamApp::EndRecovery() {
  if (m_recovery)
    m_recovery->Remove();
}

// ---- Toolbar and status bar

bool CKivoVamApp::BarVisible(const std::string& bar) const {
  std::optional<std::string> value = Settings().Read(kToolBarsKey, bar);
  return !value || *value != "0";
}

// Showing the window reports the bars as shown: that is no change to store.
void CKivoVamApp::SetBarVisible(const std::string& bar, bool visible) {
  if (BarVisible(bar) != visible)
    Settings().Write(kToolBarsKey, bar, visible ? "1" : "0");
}

// ---- Options

CKivoVamApp::COptionsFields CKivoVamApp::OptionsFields() const {
  const CFolderSettings& folders = FolderSettings();
  return COptionsFields{folders.functionSetFolder, folders.referenceManualPath, folders.appNotesFolder};
}

bool CKivoVamApp::FunctionSetFolderLocked() const { return FolderSettings().functionSetFolderFromCommandLine; }

void CKivoVamApp::ApplyOptions(const COptionsFields& fields) {
  CFolderSettings& folders = FolderSettings();
  folders.referenceManualPath = fields.referenceManualPath;
  folders.appNotesFolder = fields.appNotesFolder;
  if (!folders.functionSetFolderFromCommandLine && fields.functionSetFolder != folders.functionSetFolder) {
    folders.functionSetFolder = fields.functionSetFolder;
    ShowMessage(4034, EMessageKind::Warning);
  }
}

// Case matters on this file system: a folder that differs from the program
// folder only in case is another folder, and stays absolute.
std::string CKivoVamApp::MakeRelativeToProgram(const std::string& path) {
  std::string program = CombinePath(ProgramFolder(), "");
  std::string full = CombinePath(path, "");
  if (full == program)
    return {};
  std::string prefix = program == "/" ? program : program + "/";
  if (full.size() > prefix.size() && full.compare(0, prefix.size(), prefix) == 0)
    return full.substr(prefix.size());
  return path;
}

// ---- Help

std::string CKivoVamApp::UserManualPath() const { return ResolvePath(kUserManual, ""); }

std::string CKivoVamApp::ReferenceManualPath() const {
  return ResolvePath(FolderSettings().referenceManualPath, "");
}

bool CKivoVamApp::ShowDocument(const std::string& path, int missingId) {
  if (!IsFile(path)) {
    if (missingId == 4040)
      ShowMessage(4040, EMessageKind::Error, {path});
    else
      ShowMessageF(missingId, EMessageKind::Warning, {path});
    return false;
  }
  if (openDocument && openDocument(path))
    return true;
  DocumentNotShown(path);
  return false;
}

void CKivoVamApp::DocumentNotShown(const std::string& path) { ShowMessage(4096, EMessageKind::Warning, {path}); }

bool CKivoVamApp::OpenUserManual() { return ShowDocument(UserManualPath(), 4040); }

bool CKivoVamApp::OpenReferenceManual() { return ShowDocument(ReferenceManualPath(), 4040); }

std::vector<CAppNotesItem> CKivoVamApp::BuildAppNotesMenu() {
  m_appNoteDocuments.clear();
  return ::BuildAppNotesMenu(ResolvePath("", FolderSettings().appNotesFolder), m_appNoteDocuments);
}

bool CKivoVamApp::OpenAppNote(int index) {
  if (index < 0 || index >= static_cast<int>(m_appNoteDocuments.size()))
    return false;
  return ShowDocument(m_appNoteDocuments[static_cast<std::size_t>(index)], 9320);
}

// ---- The version checker

std::string CKivoVamApp::VersionCheckerPath() const { return ResolvePath(kVersionChecker, ""); }

std::string CKivoVamApp::VersionCheckerCommandLine(bool gui) const {
  std::string program = VersionCheckerPath();
  if (program.find_first_of(" \t") != std::string::npos)
    program = "\"" + program + "\"";
  return gui ? program + " /gui" : program;
}

std::string CKivoVamApp::VersionCheckProfile() const {
  return FindVersionCheckProfile(fs::path(VersionCheckerPath()).parent_path().string());
}

// Without a profile the checker has no server to ask: starting it would only
// say so (automatically not even that).
bool CKivoVamApp::VersionCheckerReady() const { return IsFile(VersionCheckerPath()) && !VersionCheckProfile().empty(); }

bool CKivoVamApp::StartVersionChecker(bool gui) {
  std::string program = VersionCheckerPath();
  if (!IsFile(program) || !startProcess)
    return false;
  std::vector<std::string> args;
  if (gui)
    args.emplace_back("/gui");
  return startProcess(program, args);
}

void CKivoVamApp::OnFirstIdle() {
  if (m_versionCheckStarted)
    return;
  if (VersionCheckerReady())
    StartVersionChecker(false);
  m_versionCheckStarted = true;
}

bool CKivoVamApp::CanCheckForNewVersion() {
  if (!m_versionCheckerPresent)
    m_versionCheckerPresent = VersionCheckerReady();
  return m_versionCheckStarted && *m_versionCheckerPresent;
}

bool CKivoVamApp::CheckForNewVersion() {
  if (StartVersionChecker(true))
    return true;
  ShowMessage(9321, EMessageKind::Warning);
  return false;
}
