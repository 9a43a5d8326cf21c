// Program folder, path combination, folder settings, sorted folder listing and the folder-tree search.
#include "base/paths.h"

#include <algorithm>
#include <filesystem>
#include <fnmatch.h>
#include <optional>
#include <set>
#include <sys/stat.h>
#include <utility>

namespace fs = std::filesystem;

namespace {

std::optional<std::string>& ProgramFolderOverride() {
  static std::optional<std::string> folder;
  return folder;
}

std::string ExecutableFolder() {
  std::error_code error;
  fs::path executable = fs::read_symlink("/proc/self/exe", error);
  if (error)
    return fs::current_path(error).string();
  return executable.parent_path().string();
}

int AsciiUpper(unsigned char c) { return c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c; }

// The file system the program was first written for orders names by their
// upper-case form; the byte comparison only breaks ties.
bool NameBefore(const std::string& a, const std::string& b) {
  std::size_t common = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < common; ++i) {
    int x = AsciiUpper(static_cast<unsigned char>(a[i]));
    int y = AsciiUpper(static_cast<unsigned char>(b[i]));
    if (x != y)
      return x < y;
  }
  if (a.size() != b.size())
    return a.size() < b.size();
  return a < b;
}

bool HasWildcards(const std::string& name) { return name.find_first_of("*?") != std::string::npos; }

bool IsFile(const fs::path& path) {
  std::error_code error;
  return fs::exists(path, error) && !fs::is_directory(path, error);
}

std::string FullPath(const fs::path& path) {
  std::error_code error;
  fs::path full = fs::absolute(path, error);
  return (error ? path : full).lexically_normal().string();
}

// The name in one folder, wildcards in its last component matched in listing order.
std::optional<std::string> FindInFolder(const std::string& name, const std::string& folder) {
  if (!HasWildcards(name)) {
    std::string candidate = CombinePath(folder, name);
    if (IsFile(candidate))
      return FullPath(candidate);
    return std::nullopt;
  }
  fs::path relative(name);
  std::string parent = CombinePath(folder, relative.parent_path().string());
  std::string pattern = relative.filename().string();
  for (const std::string& entry : ListFolder(parent)) {
    std::string candidate = CombinePath(parent, entry);
    if (fnmatch(pattern.c_str(), entry.c_str(), 0) == 0 && IsFile(candidate))
      return FullPath(candidate);
  }
  return std::nullopt;
}

// Folders are told apart by device and inode, so a symbolic link back up the
// tree is entered once.
using CFolderId = std::pair<dev_t, ino_t>;

bool SearchTree(std::string& name, const std::string& folder, std::set<CFolderId>& visited) {
  struct stat info{};
  if (stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode))
    return false;
  if (!visited.insert({info.st_dev, info.st_ino}).second)
    return false;
  if (std::optional<std::string> found = FindInFolder(name, folder)) {
    name = *found;
    return true;
  }
  for (const std::string& entry : ListFolder(folder)) {
    std::string child = CombinePath(folder, entry);
    std::error_code error;
    if (fs::is_directory(child, error) && SearchTree(name, child, visited))
      return true;
  }
  return false;
}

}  // namespace

std::string ProgramFolder() {
  if (ProgramFolderOverride())
    return *ProgramFolderOverride();
  static const std::string folder = ExecutableFolder();
  return folder;
}

void SetProgramFolder(const std::string& folder) {
  if (folder.empty())
    ProgramFolderOverride().reset();
  else
    ProgramFolderOverride() = folder;
}

std::string CombinePath(const std::string& first, const std::string& second) {
  fs::path combined = fs::path(second).is_absolute() || first.empty() ? fs::path(second)
                      : second.empty()                               ? fs::path(first)
                                                                     : fs::path(first) / second;
  std::string text = combined.lexically_normal().string();
  if (text.size() > 1 && text.back() == '/')
    text.pop_back();
  return text;
}

std::string ResolvePath(const std::string& path, const std::string& subfolder) {
  if (!path.empty() && fs::path(path).is_absolute())
    return path;
  std::string result = ProgramFolder();
  if (!subfolder.empty())
    result = CombinePath(result, subfolder);
  if (!path.empty())
    result = CombinePath(result, path);
  return result;
}

CFolderSettings& FolderSettings() {
  static CFolderSettings settings;
  return settings;
}

std::vector<std::string> ListFolder(const std::string& folder) {
  std::vector<std::string> names;
  std::error_code error;
  for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error))
    names.push_back(it->path().filename().string());
  std::sort(names.begin(), names.end(), NameBefore);
  return names;
}

bool FindFileInFolderTree(std::string& name, const std::string& folder) {
  std::string root = folder.empty() ? ResolvePath("", FolderSettings().functionSetFolder) : folder;
  std::set<CFolderId> visited;
  return SearchTree(name, root, visited);
}

std::string FindVersionCheckProfile(const std::string& folder) {
  for (const std::string& name : ListFolder(folder)) {
    if (name.size() <= 4)
      continue;
    std::string extension = name.substr(name.size() - 4);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c); });
    std::error_code error;
    fs::path path = fs::path(folder) / name;
    if (extension == ".nsp" && fs::is_regular_file(path, error))
      return path.string();
  }
  return {};
}
