// Depth-first walks of a folder tree in a fixed order, over listings read once per load.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

// The folders of one load, each listed once: the tree does not change while
// the knowledge base loads, and without the index every header and include
// search would list and examine every folder again.
class CFolderIndex {
 public:
  struct CEntry {
    std::string name;
    bool isFolder = false;
  };
  // The entries sorted by name ignoring case; empty for a folder that cannot be read.
  const std::vector<CEntry>& Entries(const std::string& folder);
  // False for a folder already entered under another path (through a link).
  bool IsFirstVisit(const std::string& folder, std::set<std::string>& visited);
  // FindFileInFolderTree over the listings, remembered by name and folder.
  bool FindFileInTree(std::string& name, const std::string& folder);

  // The tree under one folder, walked once: its folders in the order a
  // search enters them, where each one's subtree ends in that order, and
  // for every file name the folders that hold such a file.
  struct CTree {
    std::vector<std::string> folders;
    std::vector<std::size_t> subtreeEnd;
    std::map<std::string, std::vector<std::size_t>> byName;
    // A folder reached twice (through a link) makes a search's path through
    // the tree depend on where it stops; such a tree is searched folder by folder.
    bool reachedTwice = false;
  };
  const CTree& Tree(const std::string& folder);

 private:
  struct CFolder {
    std::vector<CEntry> entries;
    std::string canonical;
  };
  CFolder& Folder(const std::string& folder);
  std::optional<std::string> SearchIndexed(const std::string& name, const std::string& folder,
                                           std::set<std::string>& visited);

  void AddToTree(CTree& tree, const std::string& folder, std::set<std::string>& visited);

  std::map<std::string, CFolder> m_folders;
  std::map<std::string, std::string> m_canonicalOf;  // subfolders listed, by path
  std::map<std::string, CTree> m_trees;
  std::map<std::pair<std::string, std::string>, std::optional<std::string>> m_found;
};

// Calls `onFile` with the full path and the file name of every file in the
// tree of `folder`; entries are visited sorted by name ignoring case, and a
// subfolder is walked at the moment it is met. A folder reached a second time
// (through a link) is not walked again.
void ScanFolderTree(CFolderIndex& index, const std::string& folder,
                    const std::function<void(const std::string& path, const std::string& name)>& onFile);

// Looks for `fileName` directly in `folder`; when it is there, the result is
// `load(path)` and this folder's search ends. Otherwise the subfolders are
// searched in the same order, and the first one whose search succeeds ends
// the search with true.
bool SearchFolderTree(CFolderIndex& index, const std::string& folder, const std::string& fileName,
                      const std::function<bool(const std::string& path)>& load);
