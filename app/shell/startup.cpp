// Loading the knowledge base in start-up order, the same way for every program.
#include "app/shell/startup.h"

#include <filesystem>
#include <system_error>

#include "app/paths.h"
#include "app/ports.h"
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

template <typename CIni>
bool LoadIni(CIni& ini, const std::string& path) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) {
    ShowFileError(path, "The file could not be found.");
    return false;
  }
  return ini.Load(path) != 0;
}

}  // namespace

bool LoadKnowledgeBase(CKnowledgeBase& kb, const CLoadOptions& options) {
  std::string fsetFolder;
  if (options.functionSetFolderFromCommandLine) {
    if (!CheckCommandLineFolder(options.functionSetFolder, fsetFolder))
      return false;
  } else {
    fsetFolder = ResolvePath("", options.functionSetFolder);
  }
  if (!LoadIni(kb.cfgDesc, ResolvePath("kivocfg.ini", options.confFolder)))
    return false;
  if (!LoadIni(kb.cpuDb, ResolvePath("kivocpu.ini", options.confFolder)))
    return false;
  kb.functionSetFolder = fsetFolder;
  kb.fsetLib.LoadAll(fsetFolder, &kb.cfgDesc);
  kb.fappLib.Scan(fsetFolder, &kb.cfgDesc);
  return true;
}
