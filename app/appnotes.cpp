// The application-notes submenu as data.
#include "app/appnotes.h"

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <set>
#include <system_error>
#include <utility>

#include "base/paths.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kNoDocuments = "No documents found";
constexpr const char* kMoreDocuments = "More documents...";

// One walk of the notes tree within its bounds. Running out of entries or of
// time stops the whole walk; the depth bound only keeps the deepest menus
// from opening further.
class CNotesWalk {
 public:
  CNotesWalk(const CAppNotesLimits& limits, std::vector<std::string>& documents)
      : m_limits(limits), m_documents(documents), m_deadline(std::chrono::steady_clock::now() + limits.maxTime) {}

  void Fill(const fs::path& folder, bool throughLink, int depth, std::vector<CAppNotesItem>& menu) {
    std::vector<CFolder> folders;
    std::vector<std::string> files;
    std::optional<CFolderId> id = IdOf(folder);
    bool enter = !id || (!m_ancestors.count(*id) && (!throughLink || !m_seen.count(*id)));
    if (id && enter) {
      m_seen.insert(*id);
      m_ancestors.insert(*id);
    }
    if (enter && !OutOfTime())
      List(folder, folders, files);
    bool cut = false;
    bool anyFolder = false;
    for (const CFolder& sub : folders) {
      if (depth >= m_limits.maxDepth) {
        cut = true;
        break;
      }
      if (!Take())
        break;
      CAppNotesItem item;
      item.kind = CAppNotesItem::kFolder;
      item.text = sub.name;
      Fill(folder / sub.name, sub.link, depth + 1, item.children);
      menu.push_back(std::move(item));
      anyFolder = true;
    }
    if (anyFolder && !files.empty() && !m_stopped)
      menu.push_back(CAppNotesItem{CAppNotesItem::kSeparator, {}, -1, {}});
    for (const std::string& name : files) {
      if (!Take())
        break;
      CAppNotesItem item;
      item.kind = CAppNotesItem::kDocument;
      item.text = name;
      item.document = static_cast<int>(m_documents.size());
      m_documents.push_back(CombinePath(folder.string(), name));
      menu.push_back(std::move(item));
    }
    if (cut || m_stopped)
      menu.push_back(CAppNotesItem{CAppNotesItem::kMore, kMoreDocuments, -1, {}});
    else if (folders.empty() && files.empty())
      menu.push_back(CAppNotesItem{CAppNotesItem::kEmpty, kNoDocuments, -1, {}});
    if (id && enter)
      m_ancestors.erase(*id);
  }

 private:
  bool OutOfTime() {
    if (!m_stopped && std::chrono::steady_clock::now() >= m_deadline)
      m_stopped = true;
    return m_stopped;
  }

  // Room for one more entry in the menus.
  bool Take() {
    if (OutOfTime() || m_entries >= m_limits.maxEntries) {
      m_stopped = true;
      return false;
    }
    ++m_entries;
    return true;
  }

  using CFolderId = std::pair<dev_t, ino_t>;
  struct CFolder {
    std::string name;
    bool link = false;
    bool operator<(const CFolder& other) const { return name < other.name; }
  };

  // The file system's own identity of a folder, whatever path led to it; none
  // when it cannot be read (its listing then fails too, and it shows empty).
  static std::optional<CFolderId> IdOf(const fs::path& folder) {
    struct stat info {};
    if (stat(folder.c_str(), &info) != 0)
      return std::nullopt;
    return CFolderId{info.st_dev, info.st_ino};
  }

  // Subfolders and files, each in exact byte order ("Z" before "a", "_" after both).
  void List(const fs::path& folder, std::vector<CFolder>& folders, std::vector<std::string>& files) {
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end && !OutOfTime(); it.increment(error)) {
      std::error_code kindError;
      std::string name = it->path().filename().string();
      if (it->is_directory(kindError))
        folders.push_back(CFolder{name, it->is_symlink(kindError)});
      else
        files.push_back(name);
    }
    std::sort(folders.begin(), folders.end());
    std::sort(files.begin(), files.end());
  }

  const CAppNotesLimits& m_limits;
  std::vector<std::string>& m_documents;
  std::chrono::steady_clock::time_point m_deadline;
  // A folder is entered once through links (/sys links across its tree at
  // every level, so their paths multiply), and never below itself (a link or
  // a bind mount back up the tree). Real subfolders are always shown.
  std::set<CFolderId> m_seen;
  std::set<CFolderId> m_ancestors;
  int m_entries = 0;
  bool m_stopped = false;
};

}  // namespace

std::vector<CAppNotesItem> BuildAppNotesMenu(const std::string& folder, std::vector<std::string>& documents,
                                             const CAppNotesLimits& limits) {
  std::vector<CAppNotesItem> menu;
  CNotesWalk(limits, documents).Fill(fs::path(folder), false, 1, menu);
  return menu;
}
