// The program folder, path combination and resolution, the folder settings and folder searches.
#pragma once

#include <string>
#include <vector>

// The folder of the running executable; tests may put another in its place
// (an empty folder restores the executable's).
std::string ProgramFolder();
void SetProgramFolder(const std::string& folder);

// An absolute `second` replaces `first`; otherwise the two are joined with one
// "/". "." and ".." are resolved lexically; no trailing "/" except for the root.
std::string CombinePath(const std::string& first, const std::string& second);

// An absolute `path` stays as it is; anything else is taken relative to the
// program folder (and `subfolder` below it), never to the current folder.
std::string ResolvePath(const std::string& path, const std::string& subfolder);

// The per-user folder settings, each absolute or relative to the program folder.
struct CFolderSettings {
  std::string functionSetFolder = "fsets";
  std::string appNotesFolder = "doc/appnotes";
  std::string referenceManualPath = "doc/KIVORM.pdf";
  bool functionSetFolderFromCommandLine = false;
};
CFolderSettings& FolderSettings();

// The entry names of a folder (empty when it cannot be read), sorted by name
// ignoring case, ties by exact comparison: the one order in which the program
// enumerates any folder, so results do not depend on the file system.
std::vector<std::string> ListFolder(const std::string& folder);

// Looks for the file `name` (which may hold the wildcards "*" and "?") in
// `folder`, then depth-first in its subfolders, and replaces `name` by the full
// path of the first file found. An empty folder means the function-set folder.
bool FindFileInFolderTree(std::string& name, const std::string& folder);

// The version checker's profile: the first regular file of `folder`, in
// ListFolder's order, whose extension is ".nsp" in any case; empty when there
// is none. The checker reads it, and the desktop program offers the check only
// when there is one.
std::string FindVersionCheckProfile(const std::string& folder);
