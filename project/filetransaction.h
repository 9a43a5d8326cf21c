// Replaces a group of files together: all new contents are written beside their targets first.
#pragma once

#include <chrono>
#include <string>
#include <vector>

// The file a save of `path` writes: a link is written through, to the file it
// names (which may not exist yet), so that the link survives.
std::string WrittenPath(const std::string& path);

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

// Two programs saving into one folder at the same time would otherwise
// interleave their renames and leave one project's source beside the other's
// header. A save holds this advisory lock on its pair while it replaces the
// files: a lock file beside the source (the file a link names, as the save
// writes there), removed again when the lock is released, so that none is
// left behind; one left by a program that died holds no lock and is taken over.
class CSaveLock {
 public:
  enum EResult { kLocked, kBusy, kFailed };

  CSaveLock() = default;
  ~CSaveLock();
  CSaveLock(const CSaveLock&) = delete;
  CSaveLock& operator=(const CSaveLock&) = delete;

  // kBusy when another save held the lock for all of `wait`; kFailed (with
  // `outReason`) when the lock file's name is taken by something else. A
  // folder where nothing can be created gives kLocked without a lock: the save
  // fails there in any case, with the reason of its own files.
  EResult Acquire(const std::string& sourcePath, std::chrono::milliseconds wait, std::string& outReason);
  void Release();
  const std::string& LockPath() const { return m_path; }

 private:
  int m_fd = -1;
  std::string m_path;
};
