// An owned file descriptor for the few places that open files themselves.
#pragma once

#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <string_view>

// Closes the descriptor on every way out.
class CFileDescriptor {
 public:
  explicit CFileDescriptor(int fd) : m_fd(fd) {}
  ~CFileDescriptor() {
    if (m_fd >= 0)
      close(m_fd);
  }
  CFileDescriptor(const CFileDescriptor&) = delete;
  CFileDescriptor& operator=(const CFileDescriptor&) = delete;
  int Get() const { return m_fd; }
  // Writes all of `bytes` from the start of the file; on false, errno says why.
  bool WriteAll(std::string_view bytes) const {
    std::size_t done = 0;
    while (done < bytes.size()) {
      ssize_t put = pwrite(m_fd, bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
      if (put < 0 && errno == EINTR)
        continue;
      if (put <= 0) {
        if (put == 0)
          errno = EIO;
        return false;
      }
      done += static_cast<std::size_t>(put);
    }
    return true;
  }
  // Closes now, for the error a late write reports there.
  bool Close() {
    int fd = m_fd;
    m_fd = -1;
    return close(fd) == 0;
  }

 private:
  int m_fd;
};
