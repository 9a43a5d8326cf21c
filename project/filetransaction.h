// Replaces a group of files together: all new contents are written beside their targets first.
#pragma once

#include <string>
#include <vector>

// A save that fails (unreadable template, full disk, read-only folder) must
// leave the previous files exactly as they were, so nothing is written over a
// target until every new content lies complete in a temporary file of the
// target's own folder, from which a rename replaces the target in one step.
class CFileTransaction {
 public:
  CFileTransaction() = default;
  ~CFileTransaction();
  CFileTransaction(const CFileTransaction&) = delete;
  CFileTransaction& operator=(const CFileTransaction&) = delete;

  void Add(const std::string& targetPath, std::string content);
  // True when every target holds its new content. On failure `outPath` names
  // the target that could not be written and `outReason` says why, and every
  // target holds what it held before (targets already replaced are put back).
  bool Commit(std::string& outPath, std::string& outReason);

 private:
  struct CEntry {
    std::string target;
    std::string content;
    std::string temp;
    std::string backup;  // a second link to the previous file, while replacing
    bool existed = false;
    bool replaced = false;
  };
  bool WriteTemp(CEntry& entry, std::string& outReason);
  bool Replace(std::string& outPath, std::string& outReason);
  void RollBack();
  void RemoveTemps();

  std::vector<CEntry> m_entries;
};
