// The application-notes submenu as data: the folder tree of the notes folder,
// subfolders first, then the documents, each level in exact byte order.
#pragma once

#include <string>
#include <vector>

struct CAppNotesItem {
  enum EKind { kFolder, kSeparator, kDocument, kEmpty };
  EKind kind = kEmpty;
  std::string text;                     // folder or file name; "No documents found" for kEmpty
  int document = -1;                    // kDocument: index into the document list
  std::vector<CAppNotesItem> children;  // kFolder: its own submenu
};

// The items of the submenu for `folder`; every document's full path is
// appended to `documents`, its index kept in the item. A missing or unreadable
// folder counts as empty.
std::vector<CAppNotesItem> BuildAppNotesMenu(const std::string& folder, std::vector<std::string>& documents);
