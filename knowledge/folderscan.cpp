// Depth-first walks of a folder tree in a fixed order, over listings read once per load.
#include "knowledge/folderscan.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "base/paths.h"

namespace fs = std::filesystem;

namespace {

// The order ListFolder gives: by upper-case form, the bytes breaking ties.
bool NameBefore(const std::string& a, const std::string& b) {
  auto upper = [](char c) { return c >= 'a' && c <= 'z' ? c - 'a' + 'A' : static_cast<unsigned char>(c); };
  std::size_t common = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < common; ++i) {
    int x = upper(a[i]);
    int y = upper(b[i]);
    if (x != y)
      return x < y;
  }
  if (a.size() != b.size())
    return a.size() < b.size();
  return a < b;
}

}  // namespace

CFolderIndex::CFolder& CFolderIndex::Folder(const std::string& folder) {
  auto found = m_folders.find(folder);
  if (found != m_folders.end())
    return found->second;
  CFolder& entry = m_folders[folder];
  std::error_code error;
  // A subfolder met in a listing, not through a link, lies where its parent
  // does; resolving its path again would check every component of it.
  auto known = m_canonicalOf.find(folder);
  if (known != m_canonicalOf.end()) {
    entry.canonical = known->second;
  } else {
    fs::path canonical = fs::canonical(folder, error);
    if (error || !fs::is_directory(canonical, error))
      return entry;
    entry.canonical = canonical.string();
  }
  // One reading of the folder gives the names and, mostly without a status
  // call per file, which are folders (links are still followed).
  for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    std::error_code ignored;
    std::string name = it->path().filename().string();
    bool isFolder = it->is_directory(ignored);
    if (isFolder && !it->is_symlink(ignored))
      m_canonicalOf.emplace(CombinePath(folder, name), (fs::path(entry.canonical) / name).string());
    entry.entries.push_back({std::move(name), isFolder});
  }
  std::sort(entry.entries.begin(), entry.entries.end(),
            [](const CEntry& a, const CEntry& b) { return NameBefore(a.name, b.name); });
  return entry;
}

const std::vector<CFolderIndex::CEntry>& CFolderIndex::Entries(const std::string& folder) {
  return Folder(folder).entries;
}

bool CFolderIndex::IsFirstVisit(const std::string& folder, std::set<std::string>& visited) {
  const std::string& canonical = Folder(folder).canonical;
  return !canonical.empty() && visited.insert(canonical).second;
}

std::optional<std::string> CFolderIndex::SearchIndexed(const std::string& name, const std::string& folder,
                                                        std::set<std::string>& visited) {
  if (!IsFirstVisit(folder, visited))
    return std::nullopt;
  std::error_code error;
  fs::path candidate = CombinePath(folder, name);
  if (fs::exists(candidate, error) && !fs::is_directory(candidate, error))
    return fs::absolute(candidate, error).lexically_normal().string();
  for (const CEntry& entry : Entries(folder))
    if (entry.isFolder)
      if (std::optional<std::string> found = SearchIndexed(name, CombinePath(folder, entry.name), visited))
        return found;
  return std::nullopt;
}

bool CFolderIndex::FindFileInTree(std::string& name, const std::string& folder) {
  auto key = std::make_pair(name, folder);
  auto found = m_found.find(key);
  if (found == m_found.end()) {
    std::optional<std::string> result;
    // Wildcards and the default folder are left to the general search.
    if (folder.empty() || name.find_first_of("*?") != std::string::npos) {
      std::string path = name;
      if (FindFileInFolderTree(path, folder))
        result = path;
    } else if (name.find_first_of("/\\") == std::string::npos && !Tree(folder).reachedTwice) {
      // A plain file name: the first folder of the tree that lists it.
      const CTree& tree = Tree(folder);
      auto holders = tree.byName.find(name);
      std::error_code error;
      if (holders != tree.byName.end()) {
        fs::path candidate = CombinePath(tree.folders[holders->second.front()], name);
        if (fs::exists(candidate, error))
          result = fs::absolute(candidate, error).lexically_normal().string();
      }
      if (!result) {
        std::set<std::string> visited;
        result = SearchIndexed(name, folder, visited);
      }
    } else {
      std::set<std::string> visited;
      result = SearchIndexed(name, folder, visited);
    }
    found = m_found.emplace(key, result).first;
  }
  if (!found->second)
    return false;
  name = *found->second;
  return true;
}

void CFolderIndex::AddToTree(CTree& tree, const std::string& folder, std::set<std::string>& visited) {
  if (!IsFirstVisit(folder, visited)) {
    tree.reachedTwice = tree.reachedTwice || !Folder(folder).canonical.empty();
    return;
  }
  std::size_t index = tree.folders.size();
  tree.folders.push_back(folder);
  tree.subtreeEnd.push_back(index + 1);
  for (const CEntry& entry : Entries(folder))
    if (!entry.isFolder)
      tree.byName[entry.name].push_back(index);
  for (const CEntry& entry : Entries(folder))
    if (entry.isFolder)
      AddToTree(tree, CombinePath(folder, entry.name), visited);
  tree.subtreeEnd[index] = tree.folders.size();
}

const CFolderIndex::CTree& CFolderIndex::Tree(const std::string& folder) {
  auto found = m_trees.find(folder);
  if (found != m_trees.end())
    return found->second;
  CTree& tree = m_trees[folder];
  std::set<std::string> visited;
  AddToTree(tree, folder, visited);
  return tree;
}

namespace {

void Scan(CFolderIndex& index, const std::string& folder, std::set<std::string>& visited,
          const std::function<void(const std::string&, const std::string&)>& onFile) {
  if (!index.IsFirstVisit(folder, visited))
    return;
  for (const CFolderIndex::CEntry& entry : index.Entries(folder)) {
    std::string path = CombinePath(folder, entry.name);
    if (entry.isFolder)
      Scan(index, path, visited, onFile);
    else
      onFile(path, entry.name);
  }
}

bool Search(CFolderIndex& index, const std::string& folder, const std::string& fileName,
            std::set<std::string>& visited, const std::function<bool(const std::string&)>& load) {
  if (!index.IsFirstVisit(folder, visited))
    return false;
  const auto& entries = index.Entries(folder);
  for (const CFolderIndex::CEntry& entry : entries)
    if (!entry.isFolder && entry.name == fileName)
      return load(CombinePath(folder, fileName));
  for (const CFolderIndex::CEntry& entry : entries)
    if (entry.isFolder && Search(index, CombinePath(folder, entry.name), fileName, visited, load))
      return true;
  return false;
}

}  // namespace

void ScanFolderTree(CFolderIndex& index, const std::string& folder,
                    const std::function<void(const std::string& path, const std::string& name)>& onFile) {
  std::set<std::string> visited;
  Scan(index, folder, visited, onFile);
}

bool SearchFolderTree(CFolderIndex& index, const std::string& folder, const std::string& fileName,
                      const std::function<bool(const std::string& path)>& load) {
  const CFolderIndex::CTree& tree = index.Tree(folder);
  if (tree.reachedTwice) {
    std::set<std::string> visited;
    return Search(index, folder, fileName, visited, load);
  }
  auto holders = tree.byName.find(fileName);
  if (holders == tree.byName.end())
    return false;
  // A folder that holds the file ends its own search with the load's
  // result, so a failed load passes over the rest of its subtree.
  std::size_t skipUntil = 0;
  for (std::size_t holder : holders->second) {
    if (holder < skipUntil)
      continue;
    if (load(CombinePath(tree.folders[holder], fileName)))
      return true;
    skipUntil = tree.subtreeEnd[holder];
  }
  return false;
}
