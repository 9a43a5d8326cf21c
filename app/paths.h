// Program folder, path combination and resolution, folder settings and the folder-tree file search.
#pragma once

#include <string>
#include <vector>

// The folder of the running executable, without a trailing slash (except "/").
std::string ProgramFolder();
// Replaces the program folder for this process (tests); an empty text restores it.
void SetProgramFolder(const std::string& folder);

// An absolute `second` replaces `first`; otherwise the two are joined with one
// "/". "." and ".." components of the result are resolved lexically.
std::string CombinePath(const std::string& first, const std::string& second);

// An absolute `path` as it stands; otherwise the program folder combined with
// `subfolder` and `path` (each where not empty). Never relative to the current
// folder.
std::string ResolvePath(const std::string& path, const std::string& subfolder);

// Where the knowledge base and the documentation lie; relative texts are
// relative to the program folder.
struct CFolderSettings {
  std::string functionSetFolder = "fsets";
  std::string appNotesFolder = "doc/appnotes";
  std::string referenceManualPath = "doc/KIVORM.pdf";
  bool functionSetFolderFromCommandLine = false;
};
CFolderSettings& FolderSettings();

// Entry names of a folder without "." and "..", sorted by name ignoring case
// (ties in exact order), so that results do not depend on the file system.
// Empty when the folder cannot be read.
std::vector<std::string> ListFolder(const std::string& folder);

// Looks for `name` (wildcards "*" and "?" allowed) in `folder`, then depth-first
// in its subfolders in ListFolder order; an empty folder means the resolved
// function-set folder. On success `name` becomes the full path of the first
// file found.
bool FindFileInFolderTree(std::string& name, const std::string& folder = std::string());
