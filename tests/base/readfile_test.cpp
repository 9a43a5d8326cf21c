// The quiet reader of a regular file's bytes, which the text reader and the
// recovery notes share.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "base/texthelpers.h"
#include "common/testsupport.h"

TEST(ReadRegularFile, BytesAsTheyAreWithinTheLimitAndNothingSaid) {
  CRecordedPorts ports;
  CTempDir dir;
  WriteFileBytes(dir / "crlf.txt", "a\r\nb\\\nc");
  std::string text, reason;
  EXPECT_EQ(ReadRegularFile((dir / "crlf.txt").string(), 7, text, reason), EFileRead::Ok);
  EXPECT_EQ(text, "a\r\nb\\\nc");
  EXPECT_EQ(ReadRegularFile((dir / "crlf.txt").string(), 6, text, reason), EFileRead::TooBig);
  EXPECT_TRUE(text.empty());
  EXPECT_TRUE(ports.messages.Messages().empty());
}

TEST(ReadRegularFile, FifosFoldersAndMissingFilesAreRefusedWithAReason) {
  CRecordedPorts ports;
  CTempDir dir;
  // Opened for reading, a FIFO without a writer would wait for ever.
  ASSERT_EQ(mkfifo((dir / "pipe").c_str(), 0600), 0);
  struct CRow {
    std::string path;
    std::string reason;
  } rows[] = {{(dir / "pipe").string(), "not a regular file"},
              {dir.Path().string(), "Is a directory"},
              {(dir / "missing").string(), "No such file or directory"}};
  for (const CRow& row : rows) {
    std::string text = "stale", reason;
    EXPECT_EQ(ReadRegularFile(row.path, 100, text, reason), EFileRead::Failed) << row.path;
    EXPECT_EQ(reason, row.reason);
    EXPECT_TRUE(text.empty());
  }
  EXPECT_TRUE(ports.messages.Messages().empty());
}
