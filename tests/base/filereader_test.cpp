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

TEST(ReadWholeFile, KeepsTheBytesAndStopsAtItsLimit) {
  CTempDir dir;
  const std::string path = (dir / "template._c").string();
  const std::string bytes = "line\\\r\nnext\r\n";
  WriteFileBytes(path, bytes);
  std::string read, reason;
  ASSERT_EQ(ReadWholeFile(path, read, reason), EFileRead::kRead) << reason;
  EXPECT_EQ(read, bytes) << "no line-end or continuation handling";
  EXPECT_EQ(ReadWholeFile(path, read, reason, bytes.size()), EFileRead::kRead);
  EXPECT_EQ(ReadWholeFile(path, read, reason, bytes.size() - 1), EFileRead::kTooBig);
  EXPECT_TRUE(read.empty());

  CRecordedPorts ports;
  WriteFileBytes(path, std::string(kMaxReadFileSize + 1, 'x'));
  EXPECT_FALSE(ReadWholeFileReported(path, read));
  EXPECT_FALSE(ReadWholeFileReported((dir / "none").string(), read));
  ASSERT_EQ(ports.messages.Messages().size(), 2u);
  EXPECT_EQ(ports.messages.Messages()[0].id, 4002);
  EXPECT_EQ(ports.messages.Messages()[1].id, 0);
  EXPECT_NE(ports.messages.Messages()[1].text.find((dir / "none").string()), std::string::npos);
}

}  // namespace
