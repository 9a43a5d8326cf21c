// Recovery copies: the unsaved changes of a modified project, kept in a folder
// of the user's so that a program that ends without closing (killed, crashed,
// the machine switched off) loses at most the last half minute of work.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class CProjDoc;

// An exclusive lock on a file, held for the life of the object. The system
// drops it when the process ends, however it ends: a copy whose lock can be
// taken belongs to no running program.
class CFileLock {
 public:
  CFileLock() = default;
  ~CFileLock();
  CFileLock(CFileLock&& other) noexcept;
  CFileLock& operator=(CFileLock&& other) noexcept;
  CFileLock(const CFileLock&) = delete;
  CFileLock& operator=(const CFileLock&) = delete;

  // Creates the file when it is missing. False when another holder has the
  // lock, or the name is not a regular file or cannot be opened; `outReason`
  // (when given) says which.
  bool Acquire(const std::string& path, std::string* outReason = nullptr);
  void Release();
  bool Held() const { return m_fd >= 0; }

 private:
  int m_fd = -1;
};

// One copy in the folder: NAME.c and NAME.h as a save would write them,
// NAME.info with the project's own path and the time, NAME.lock held by the
// program the copy belongs to.
struct CRecoveryCopy {
  std::string name;
  std::string sourcePath;
  std::string headerPath;
  std::string projectPath;  // empty for a project never saved
  int64_t savedAt = 0;      // seconds since 1970
  CFileLock lock;           // held while this process has claimed the copy
};

class CRecoveryStore {
 public:
  // A copy is brought up to date at most this often...
  static constexpr int64_t kIntervalMs = 30000;
  // ...and never sooner than this after the change that asked for it, so a
  // burst of changes is written once.
  static constexpr int64_t kSettleMs = 1000;

  // `folder` is created when the first copy is written; `pid` names this
  // process's copies.
  explicit CRecoveryStore(std::string folder, long pid = 0);
  ~CRecoveryStore();
  CRecoveryStore(const CRecoveryStore&) = delete;
  CRecoveryStore& operator=(const CRecoveryStore&) = delete;

  const std::string& Folder() const { return m_folder; }

  // The file name of a copy without its extension: the project's file name,
  // 16 hexadecimal digits of a hash of its whole path, and the process.
  // An untitled project is "untitled_kivo_vam".
  static std::string CopyName(const std::string& projectPath, long pid);

  // Writes the pair a save of `doc` to `projectPath` would write, with the
  // note of the path and the time `savedAt`, all three files replaced
  // together; this process's previous copy and the copies it took over go.
  // False with `outReason` when nothing could be written (the previous copy
  // then stays). Messages of the generation are not shown: they are the reason.
  bool Write(CProjDoc& doc, const std::string& projectPath, int64_t savedAt, std::string& outReason);
  bool WriteTexts(const std::string& projectPath, const std::string& source, const std::string& header,
                  int64_t savedAt, std::string& outReason);
  // Removes this process's copy and the copies it took over: the project was
  // saved, its changes discarded, or the program closes cleanly.
  void Remove();
  bool HasCopy() const { return !m_name.empty(); }
  const std::string& CopyFileName() const { return m_name; }

  // The copies of programs that no longer run, newest first, each claimed
  // (locked) by this process until it is discarded, taken over or dropped, so
  // that another program starting now does not offer it too. A copy whose
  // note or files are missing is passed over.
  std::vector<CRecoveryCopy> ClaimLeftCopies();
  // Deletes a claimed copy.
  void Discard(CRecoveryCopy& copy) const;
  // Keeps a restored copy until this process's own copy of the same changes
  // exists or is no longer needed.
  void TakeOver(CRecoveryCopy copy);

  // How long to wait, after a change, before writing: the settling time, or
  // what is left of the interval since the last write, whichever is longer.
  // `sinceLastWriteMs` is negative when nothing has been written yet.
  static int64_t DelayBeforeWrite(int64_t sinceLastWriteMs, int64_t intervalMs = kIntervalMs,
                                  int64_t settleMs = kSettleMs);
  // The same for this store, by the steady clock.
  int64_t DelayBeforeWrite() const;

 private:
  std::string PathOf(const std::string& name, const char* extension) const;
  // The copy's files, the lock last, and what an interrupted write left of them.
  void RemoveFiles(const std::string& name) const;
  bool MakeFolder(std::string& outReason) const;

  std::string m_folder;
  long m_pid;
  std::string m_name;  // this process's copy, empty while there is none
  CFileLock m_lock;
  int64_t m_lastWriteMs = -1;
  std::vector<CRecoveryCopy> m_takenOver;
};

// The local time of a copy as the question shows it: "2026-12-09 01:17".
std::string RecoveryTimeText(int64_t savedAt);
