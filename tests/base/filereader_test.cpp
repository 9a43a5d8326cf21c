// The one bounded reader: what it refuses before opening, what it stops at, and the bytes it keeps.
#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <vector>

#include "base/filereader.h"
#include "common/testsupport.h"

namespace {

struct CRefusal {
  std::string path;
  const char* reason;
};

// How many of the reads were not refused with their reason.
int WrongRefusals(const std::vector<CRefusal>& rows) {
  int wrong = 0;
  for (const CRefusal& row : rows) {
    std::string bytes = "stale", reason;
    if (ReadWholeFile(row.path, bytes, reason) != EFileRead::kFailed || !bytes.empty() || reason != row.reason)
      ++wrong;
  }
  return wrong;
}

// Each kind that is not a regular file is refused by name, without waiting:
// a FIFO with no writer would block an open for reading for ever, so the
// reads run in a child that an alarm ends should one of them block.
TEST(ReadWholeFile, RefusesWhatIsNotARegularFileWithoutBlocking) {
  CTempDir dir;
  const std::string fifo = (dir / "kivocpu.ini").string();
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const std::string socketPath = (dir / "s").string();
  int sock = socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strncpy(address.sun_path, socketPath.c_str(), sizeof address.sun_path - 1);
  ASSERT_EQ(bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  const std::vector<CRefusal> rows = {
      {fifo, "is a FIFO, not a regular file"},
      {"/dev/zero", "is a device, not a regular file"},
      {dir.Path().string(), "is a folder, not a regular file"},
      {socketPath, "is a socket, not a regular file"},
  };
  EXPECT_EXIT((alarm(10), std::_Exit(WrongRefusals(rows))), ::testing::ExitedWithCode(0), "");
  close(sock);
}

}  // namespace
