// Loading the knowledge base in start-up order, the same way for every program.
#include "app/startup.h"

#include <filesystem>
#include <system_error>

#include "base/paths.h"
#include "base/ports.h"
#include "knowledge/folderscan.h"
#include "knowledge/knowledgebase.h"

namespace {

// A folder named on the command line is taken as the user typed it, relative
// to the current folder, both for the test and for the load; resolving it
// against the program folder afterwards would load a different folder from
// the one that was checked.
bool CheckCommandLineFolder(const std::string& folder, std::string& absolute) {
  std::error_code error;
  if (folder.empty() || !std::filesystem::is_directory(folder, error)) {
    ShowMessage(4039, EMessageKind::Error, {folder});
    return false;
  }
  absolute = std::filesystem::absolute(folder, error).lexically_normal().string();
  if (error)
    absolute = folder;
  return true;
}

}  // namespace

CLoadOptions LoadOptionsFromSettings() {
  const CFolderSettings& settings = FolderSettings();
  CLoadOptions options;
  options.functionSetFolder = settings.functionSetFolder;
  options.functionSetFolderFromCommandLine = settings.functionSetFolderFromCommandLine;
  return options;
}

bool LoadKnowledgeBase(CKnowledgeBase& kb, const CLoadOptions& options) {
  std::string fsetFolder;
  if (options.functionSetFolderFromCommandLine) {
    if (!CheckCommandLineFolder(options.functionSetFolder, fsetFolder))
      return false;
  } else {
    fsetFolder = ResolvePath("", options.functionSetFolder);
  }
  // The INI reader names the file it could not read.
  if (!kb.cfgDesc.Load(ResolvePath("kivocfg.ini", options.confFolder)))
    return false;
  if (!kb.cpuDb.Load(ResolvePath("kivocpu.ini", options.confFolder)))
    return false;
  kb.functionSetFolder = fsetFolder;
  // Both libraries read the same tree, which does not change during the load:
  // it is listed once.
  CFolderIndex index;
  kb.fsetLib.LoadAll(fsetFolder, &kb.cfgDesc, &index);
  kb.fappLib.Scan(fsetFolder, &kb.cfgDesc, &index);
  return true;
}
