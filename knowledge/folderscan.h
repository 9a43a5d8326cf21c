// Depth-first walks of a folder tree in a fixed order.
#pragma once

#include <functional>
#include <string>

// Calls `onFile` with the full path and the file name of every file in the
// tree of `folder`; entries are visited sorted by name ignoring case, and a
// subfolder is walked at the moment it is met. A folder reached a second time
// (through a link) is not walked again.
void ScanFolderTree(const std::string& folder,
                    const std::function<void(const std::string& path, const std::string& name)>& onFile);

// Looks for `fileName` directly in `folder`; when it is there, the result is
// `load(path)` and this folder's search ends. Otherwise the subfolders are
// searched in the same order, and the first one whose search succeeds ends
// the search with true.
bool SearchFolderTree(const std::string& folder, const std::string& fileName,
                      const std::function<bool(const std::string& path)>& load);
