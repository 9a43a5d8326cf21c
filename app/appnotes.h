// The application-notes submenu as data: the folder tree of the notes folder,
// subfolders first, then the documents, each level in exact byte order.
#pragma once

#include <chrono>
#include <string>
#include <vector>

struct CAppNotesItem {
  enum EKind { kFolder, kSeparator, kDocument, kEmpty, kMore };
  EKind kind = kEmpty;
  std::string text;                     // folder or file name; "No documents found" for kEmpty,
                                        // "More documents..." for kMore (both shown disabled)
  int document = -1;                    // kDocument: index into the document list
  std::vector<CAppNotesItem> children;  // kFolder: its own submenu
};

// The notes folder is whatever the user names, "/" included: the walk stops
// at these bounds, and a menu it could not finish ends in "More documents...".
struct CAppNotesLimits {
  int maxDepth = 8;                      // menu levels, the submenu itself the first
  int maxEntries = 500;                  // folders and documents in all the menus
  std::chrono::milliseconds maxTime{200};
};

// The items of the submenu for `folder`; every document's full path is
// appended to `documents`, its index kept in the item. A missing or unreadable
// folder counts as empty, and so does a folder the walk has already shown
// (a link back up the tree, or to another part of it), so no folder is read
// twice.
std::vector<CAppNotesItem> BuildAppNotesMenu(const std::string& folder, std::vector<std::string>& documents,
                                             const CAppNotesLimits& limits = {});
