// Replaces a group of files together: all new contents are written beside their targets first.
#include "project/filetransaction.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

// A link is replaced by writing the file it points at, so the link survives.
std::string ResolvedTarget(const std::string& path) {
  std::error_code error;
  if (!fs::is_symlink(path, error))
    return path;
  fs::path resolved = fs::weakly_canonical(path, error);
  return error ? path : resolved.string();
}

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

CFileTransaction::~CFileTransaction() { RemoveTemps(); }

void CFileTransaction::Add(const std::string& targetPath, std::string content) {
  m_entries.push_back({ResolvedTarget(targetPath), std::move(content), {}});
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
  for (CEntry& entry : m_entries) {
    if (std::rename(entry.temp.c_str(), entry.target.c_str()) != 0) {
      outPath = entry.target;
      outReason = std::strerror(errno);
      RemoveTemps();
      return false;
    }
    entry.temp.clear();
  }
  m_entries.clear();
  return true;
}

void CFileTransaction::RemoveTemps() {
  for (CEntry& entry : m_entries) {
    if (!entry.temp.empty())
      std::remove(entry.temp.c_str());
    entry.temp.clear();
  }
}
