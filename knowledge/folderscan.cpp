// Depth-first walks of a folder tree in a fixed order.
#include "knowledge/folderscan.h"

#include <filesystem>
#include <set>
#include <system_error>

#include "app/paths.h"

namespace fs = std::filesystem;

namespace {

using CVisited = std::set<fs::path>;

// False for a folder already walked, which only a link can lead back to.
bool Enter(const std::string& folder, CVisited& visited) {
  std::error_code error;
  fs::path canonical = fs::canonical(folder, error);
  if (error)
    return false;
  return visited.insert(canonical).second;
}

bool IsFolder(const std::string& path) {
  std::error_code error;
  return fs::is_directory(path, error);
}

void Scan(const std::string& folder, CVisited& visited,
          const std::function<void(const std::string&, const std::string&)>& onFile) {
  if (!Enter(folder, visited))
    return;
  for (const std::string& name : ListFolder(folder)) {
    std::string path = CombinePath(folder, name);
    if (IsFolder(path))
      Scan(path, visited, onFile);
    else
      onFile(path, name);
  }
}

bool Search(const std::string& folder, const std::string& fileName, CVisited& visited,
            const std::function<bool(const std::string&)>& load) {
  if (!Enter(folder, visited))
    return false;
  std::string direct = CombinePath(folder, fileName);
  std::error_code error;
  if (fs::exists(direct, error) && !IsFolder(direct))
    return load(direct);
  for (const std::string& name : ListFolder(folder)) {
    std::string path = CombinePath(folder, name);
    if (IsFolder(path) && Search(path, fileName, visited, load))
      return true;
  }
  return false;
}

}  // namespace

void ScanFolderTree(const std::string& folder,
                    const std::function<void(const std::string& path, const std::string& name)>& onFile) {
  CVisited visited;
  Scan(folder, visited, onFile);
}

bool SearchFolderTree(const std::string& folder, const std::string& fileName,
                      const std::function<bool(const std::string& path)>& load) {
  CVisited visited;
  return Search(folder, fileName, visited, load);
}
