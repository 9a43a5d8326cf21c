// Paths relative to the program folder and the search of a file in a folder tree.
#include "app/paths.h"

#include <fnmatch.h>
#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <set>
#include <utility>

namespace fs = std::filesystem;

namespace {

std::string& ProgramFolderOverride() {
  static std::string folder;
  return folder;
}

std::string WithoutTrailingSlash(std::string path) {
  while (path.size() > 1 && path.back() == '/')
    path.pop_back();
  return path;
}

bool LessIgnoringCase(const std::string& a, const std::string& b) {
  auto lower = [](unsigned char c) { return std::tolower(c); };
  auto [ia, ib] = std::mismatch(a.begin(), a.end(), b.begin(), b.end(),
                                [&](char x, char y) { return lower(x) == lower(y); });
  if (ia == a.end() || ib == b.end()) {
    if (a.size() != b.size())
      return a.size() < b.size();
    return a < b;
  }
  return lower(*ia) < lower(*ib);
}

bool HasWildcard(const std::string& name) { return name.find_first_of("*?") != std::string::npos; }

bool IsFile(const std::string& path) {
  std::error_code ec;
  return fs::exists(path, ec) && !fs::is_directory(path, ec);
}

// The first file of the folder that the name (possibly with wildcards in its
// last component) stands for.
bool FindInFolder(std::string& name, const std::string& folder) {
  std::string combined = CombinePath(folder, name);
  if (!HasWildcard(name)) {
    if (!IsFile(combined))
      return false;
    name = combined;
    return true;
  }
  fs::path split(combined);
  std::string parent = split.parent_path().string();
  std::string pattern = split.filename().string();
  for (const std::string& entry : ListFolder(parent)) {
    std::string candidate = CombinePath(parent, entry);
    if (fnmatch(pattern.c_str(), entry.c_str(), FNM_NOESCAPE) == 0 && IsFile(candidate)) {
      name = candidate;
      return true;
    }
  }
  return false;
}

using CVisited = std::set<std::pair<dev_t, ino_t>>;

// A folder reached a second time (through a symbolic link) is not searched again.
bool FirstVisit(const std::string& folder, CVisited& visited) {
  struct stat info {};
  if (stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode))
    return false;
  return visited.insert({info.st_dev, info.st_ino}).second;
}

bool SearchTree(std::string& name, const std::string& folder, CVisited& visited) {
  if (!FirstVisit(folder, visited))
    return false;
  if (FindInFolder(name, folder))
    return true;
  for (const std::string& entry : ListFolder(folder)) {
    std::string sub = CombinePath(folder, entry);
    std::error_code ec;
    if (fs::is_directory(sub, ec) && SearchTree(name, sub, visited))
      return true;
  }
  return false;
}

}  // namespace

std::string ProgramFolder() {
  if (!ProgramFolderOverride().empty())
    return ProgramFolderOverride();
  std::error_code ec;
  fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  if (ec)
    return WithoutTrailingSlash(fs::current_path(ec).string());
  return WithoutTrailingSlash(exe.parent_path().string());
}

void SetProgramFolder(const std::string& folder) { ProgramFolderOverride() = WithoutTrailingSlash(folder); }

std::string CombinePath(const std::string& first, const std::string& second) {
  std::string joined;
  if (!second.empty() && second.front() == '/')
    joined = second;
  else if (first.empty() || second.empty())
    joined = first + second;
  else
    joined = first.back() == '/' ? first + second : first + '/' + second;
  if (joined.empty())
    return joined;
  return WithoutTrailingSlash(fs::path(joined).lexically_normal().string());
}

std::string ResolvePath(const std::string& path, const std::string& subfolder) {
  if (!path.empty() && path.front() == '/')
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
  std::error_code ec;
  fs::directory_iterator it(folder, ec);
  if (ec)
    return names;
  for (; !ec && it != fs::directory_iterator(); it.increment(ec))
    names.push_back(it->path().filename().string());
  std::sort(names.begin(), names.end(), LessIgnoringCase);
  return names;
}

bool FindFileInFolderTree(std::string& name, const std::string& folder) {
  if (name.empty())
    return false;
  std::string root = folder.empty() ? ResolvePath("", FolderSettings().functionSetFolder) : folder;
  // An absolute name needs no search: it either exists or not.
  if (name.front() == '/' && !HasWildcard(name))
    return IsFile(name);
  CVisited visited;
  return SearchTree(name, root, visited);
}
