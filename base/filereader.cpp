// The one way the programs read a file whole: regular files only, bounded in size, never blocking.
#include "base/filereader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "base/filedescriptor.h"
#include "base/ports.h"

namespace {

constexpr int kFileTooBig = 4002;

std::string KindReason(mode_t mode) {
  if (S_ISDIR(mode))
    return "is a folder, not a regular file";
  if (S_ISFIFO(mode))
    return "is a FIFO, not a regular file";
  if (S_ISCHR(mode) || S_ISBLK(mode))
    return "is a device, not a regular file";
  if (S_ISSOCK(mode))
    return "is a socket, not a regular file";
  return "is not a regular file";
}

// kRead for a regular file within `limit`.
EFileRead Admit(const struct stat& info, std::size_t limit, std::string& outReason) {
  if (!S_ISREG(info.st_mode)) {
    outReason = KindReason(info.st_mode);
    return EFileRead::kFailed;
  }
  if (static_cast<std::size_t>(info.st_size) > limit)
    return EFileRead::kTooBig;
  return EFileRead::kRead;
}

using CFd = CFileDescriptor;

}  // namespace

EFileRead ReadWholeFile(const std::string& path, std::string& outBytes, std::string& outReason,
                        std::size_t limit) {
  outBytes.clear();
  outReason.clear();
  // The kind is looked at before the open: opening a FIFO for reading waits for
  // a writer, and opening some devices has effects of its own.
  struct stat info {};
  if (stat(path.c_str(), &info) != 0) {
    outReason = std::strerror(errno);
    return EFileRead::kFailed;
  }
  if (EFileRead kind = Admit(info, limit, outReason); kind != EFileRead::kRead)
    return kind;
  // Something else may take the name between the look and the open, so the
  // open does not wait, and what was opened is looked at again.
  CFd fd(open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  if (fd.Get() < 0) {
    outReason = std::strerror(errno);
    return EFileRead::kFailed;
  }
  if (fstat(fd.Get(), &info) != 0) {
    outReason = std::strerror(errno);
    return EFileRead::kFailed;
  }
  if (EFileRead kind = Admit(info, limit, outReason); kind != EFileRead::kRead)
    return kind;
  // One byte beyond the limit tells a file that grew while it was read.
  std::string bytes(static_cast<std::size_t>(info.st_size) + 1, '\0');
  std::size_t filled = 0;
  for (;;) {
    if (filled == bytes.size()) {
      if (filled > limit)
        return EFileRead::kTooBig;
      bytes.resize(std::min(limit + 1, bytes.size() * 2 + 4096));
    }
    ssize_t got = read(fd.Get(), bytes.data() + filled, bytes.size() - filled);
    if (got < 0) {
      if (errno == EINTR)
        continue;
      outReason = std::strerror(errno);
      return EFileRead::kFailed;
    }
    if (got == 0)
      break;
    filled += static_cast<std::size_t>(got);
  }
  if (filled > limit)
    return EFileRead::kTooBig;
  bytes.resize(filled);
  outBytes = std::move(bytes);
  return EFileRead::kRead;
}

bool ReadWholeFileReported(const std::string& path, std::string& outBytes) {
  std::string reason;
  switch (ReadWholeFile(path, outBytes, reason)) {
    case EFileRead::kRead: return true;
    case EFileRead::kTooBig: ShowMessage(kFileTooBig, EMessageKind::Warning, {path}); return false;
    case EFileRead::kFailed: ShowFileError(path, reason); return false;
  }
  return false;
}

std::string NotRegularFileReason(const std::string& path) {
  struct stat info {};
  if (stat(path.c_str(), &info) != 0 || S_ISREG(info.st_mode))
    return {};
  return KindReason(info.st_mode);
}
