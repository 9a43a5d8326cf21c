// Replaces a group of files together: all new contents are written beside their targets first.
#include "project/filetransaction.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>

#include "base/filereader.h"

namespace fs = std::filesystem;

namespace {

std::string TempPathFor(const std::string& target, int attempt) {
  fs::path path(target);
  std::string name(1, '.');
  name += path.filename().string();
  name += ".kvtmp";
  name += std::to_string(getpid());
  name += '_';
  name += std::to_string(attempt);
  return (path.parent_path() / name).string();
}

bool WriteAll(int fd, const std::string& content) {
  const char* data = content.data();
  std::size_t left = content.size();
  while (left > 0) {
    ssize_t written = write(fd, data, left);
    if (written < 0) {
      if (errno == EINTR)
        continue;
      return false;
    }
    data += written;
    left -= static_cast<std::size_t>(written);
  }
  return true;
}

}  // namespace

// A link may name a file not written yet, which the system's resolution stops
// at, so each step is read.
std::string WrittenPath(const std::string& path) {
  std::error_code error;
  fs::path real(path);
  for (int hops = 0; hops < 40 && fs::is_symlink(real, error); ++hops) {
    fs::path target = fs::read_symlink(real, error);
    if (error)
      return path;
    real = target.is_absolute() ? target : real.parent_path() / target;
  }
  return real == fs::path(path) ? path : real.lexically_normal().string();
}

CFileTransaction::~CFileTransaction() { RemoveTemps(); }

void CFileTransaction::Add(const std::string& targetPath, std::string content) {
  CEntry entry;
  entry.target = WrittenPath(targetPath);
  entry.content = std::move(content);
  m_entries.push_back(std::move(entry));
}

bool CFileTransaction::WriteTemp(CEntry& entry, std::string& outReason) {
  int fd = -1;
  for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
    entry.temp = TempPathFor(entry.target, attempt);
    fd = open(entry.temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST)
      break;
  }
  if (fd < 0) {
    outReason = std::strerror(errno);
    entry.temp.clear();
    return false;
  }
  // The new file keeps the permissions of the one it replaces.
  struct stat old {};
  if (stat(entry.target.c_str(), &old) == 0)
    fchmod(fd, old.st_mode & 07777);
  // A full disk may only show when the data is flushed, so the sync counts too.
  bool ok = WriteAll(fd, entry.content) && fsync(fd) == 0;
  int savedErrno = errno;
  if (close(fd) != 0 && ok) {
    ok = false;
    savedErrno = errno;
  }
  if (!ok)
    outReason = std::strerror(savedErrno);
  return ok;
}

bool CFileTransaction::Commit(std::string& outPath, std::string& outReason) {
  for (CEntry& entry : m_entries) {
    if (!WriteTemp(entry, outReason)) {
      outPath = entry.target;
      RemoveTemps();
      return false;
    }
  }
  bool ok = Replace(outPath, outReason);
  if (!ok)
    RollBack();
  RemoveTemps();
  if (ok)
    m_entries.clear();
  return ok;
}

// Each previous file gets a second name before its target is renamed over, so
// that a later rename failing can still put it back.
bool CFileTransaction::Replace(std::string& outPath, std::string& outReason) {
  for (std::size_t i = 0; i < m_entries.size(); ++i) {
    CEntry& entry = m_entries[i];
    // A FIFO, device or folder of the target's name is never replaced by a file,
    // whatever the caller checked before: it may have appeared since.
    if (std::string kind = NotRegularFileReason(entry.target); !kind.empty()) {
      outPath = entry.target;
      outReason = kind;
      return false;
    }
    struct stat old {};
    entry.existed = lstat(entry.target.c_str(), &old) == 0;
    if (entry.existed && i + 1 < m_entries.size()) {
      for (int attempt = 0; attempt < 100 && entry.backup.empty(); ++attempt) {
        std::string backup = TempPathFor(entry.target, 100 + attempt);
        if (link(entry.target.c_str(), backup.c_str()) == 0)
          entry.backup = backup;
        else if (errno != EEXIST)
          break;
      }
    }
    if (std::rename(entry.temp.c_str(), entry.target.c_str()) != 0) {
      outPath = entry.target;
      outReason = std::strerror(errno);
      return false;
    }
    entry.temp.clear();
    entry.replaced = true;
  }
  return true;
}

void CFileTransaction::RollBack() {
  for (CEntry& entry : m_entries) {
    if (!entry.replaced)
      continue;
    if (!entry.backup.empty() && std::rename(entry.backup.c_str(), entry.target.c_str()) == 0)
      entry.backup.clear();
    else if (!entry.existed)
      std::remove(entry.target.c_str());
  }
}

void CFileTransaction::RemoveTemps() {
  for (CEntry& entry : m_entries) {
    for (std::string* path : {&entry.temp, &entry.backup}) {
      if (!path->empty())
        std::remove(path->c_str());
      path->clear();
    }
  }
}

CSaveLock::~CSaveLock() { Release(); }

CSaveLock::EResult CSaveLock::Acquire(const std::string& sourcePath, std::chrono::milliseconds wait,
                                      std::string& outReason) {
  Release();
  fs::path target(WrittenPath(sourcePath));
  std::string name(1, '.');
  name += target.filename().string();
  name += ".lock";
  m_path = (target.parent_path() / name).string();
  const auto deadline = std::chrono::steady_clock::now() + wait;
  for (;;) {
    int fd = open(m_path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0600);
    if (fd < 0) {
      // Where no file can be made, the save cannot make its own either, and
      // its failure names the project's file, which says more than the lock's.
      if (errno == EACCES || errno == EROFS || errno == EPERM || errno == ENOENT || errno == ENOTDIR ||
          errno == ENOSPC || errno == EDQUOT)
        return kLocked;
      outReason = std::strerror(errno);
      return kFailed;
    }
    struct stat held {};
    if (fstat(fd, &held) != 0 || !S_ISREG(held.st_mode)) {
      outReason = "is not a regular file";
      close(fd);
      return kFailed;
    }
    if (flock(fd, LOCK_EX | LOCK_NB) == 0) {
      // The save before this one removes the name before it lets go, so a lock
      // taken on a file that no longer has the name excludes no one: start again.
      struct stat named {};
      if (lstat(m_path.c_str(), &named) == 0 && named.st_dev == held.st_dev && named.st_ino == held.st_ino) {
        m_fd = fd;
        return kLocked;
      }
      close(fd);
      continue;
    }
    int lockErrno = errno;
    close(fd);
    if (lockErrno != EWOULDBLOCK && lockErrno != EINTR) {
      outReason = std::strerror(lockErrno);
      return kFailed;
    }
    if (std::chrono::steady_clock::now() >= deadline)
      return kBusy;
    timespec pause{0, 10 * 1000 * 1000};
    nanosleep(&pause, nullptr);
  }
}

void CSaveLock::Release() {
  if (m_fd < 0)
    return;
  unlink(m_path.c_str());
  close(m_fd);
  m_fd = -1;
}
