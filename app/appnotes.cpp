// The application-notes submenu as data.
#include "app/appnotes.h"

#include <algorithm>
#include <filesystem>
#include <set>
#include <system_error>

#include "base/paths.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kNoDocuments = "No documents found";

// `ancestors` holds the folders being filled above this one: a link back up
// the tree gives an empty popup instead of endless menus.
void Fill(const fs::path& folder, std::vector<CAppNotesItem>& menu, std::vector<std::string>& documents,
          std::set<fs::path>& ancestors) {
  std::error_code error;
  fs::path canonical = fs::canonical(folder, error);
  std::vector<std::string> folders;
  std::vector<std::string> files;
  if (!error && ancestors.insert(canonical).second) {
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
      std::error_code kindError;
      (it->is_directory(kindError) ? folders : files).push_back(it->path().filename().string());
    }
  } else {
    error.clear();
    canonical.clear();
  }
  // std::string compares bytes as unsigned char: "Z" before "a", "_" after both.
  std::sort(folders.begin(), folders.end());
  std::sort(files.begin(), files.end());
  for (const std::string& name : folders) {
    CAppNotesItem item;
    item.kind = CAppNotesItem::kFolder;
    item.text = name;
    Fill(folder / name, item.children, documents, ancestors);
    menu.push_back(std::move(item));
  }
  if (!files.empty() && !folders.empty())
    menu.push_back(CAppNotesItem{CAppNotesItem::kSeparator, {}, -1, {}});
  for (const std::string& name : files) {
    CAppNotesItem item;
    item.kind = CAppNotesItem::kDocument;
    item.text = name;
    item.document = static_cast<int>(documents.size());
    documents.push_back(CombinePath(folder.string(), name));
    menu.push_back(std::move(item));
  }
  if (folders.empty() && files.empty())
    menu.push_back(CAppNotesItem{CAppNotesItem::kEmpty, kNoDocuments, -1, {}});
  if (!canonical.empty())
    ancestors.erase(canonical);
}

}  // namespace

std::vector<CAppNotesItem> BuildAppNotesMenu(const std::string& folder, std::vector<std::string>& documents) {
  std::vector<CAppNotesItem> menu;
  std::set<fs::path> ancestors;
  Fill(fs::path(folder), menu, documents, ancestors);
  return menu;
}
