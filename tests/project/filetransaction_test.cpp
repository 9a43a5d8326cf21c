// Replacing a pair of files together: a failure part-way leaves the folder as it was.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "common/testsupport.h"
#include "project/filetransaction.h"

namespace {

namespace fs = std::filesystem;

std::set<std::string> Entries(const fs::path& folder) {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder))
    names.insert(entry.path().filename().string());
  return names;
}

TEST(FileTransactionTest, ReplacesEveryTargetAndLeavesNoTemporaryFile) {
  CTempDir dir;
  WriteFileBytes(dir / "a.c", "old source");
  CFileTransaction transaction;
  transaction.Add((dir / "a.c").string(), "new source");
  transaction.Add((dir / "a.h").string(), "new header");
  std::string path, reason;
  ASSERT_TRUE(transaction.Commit(path, reason)) << reason;
  EXPECT_EQ(ReadFileBytes(dir / "a.c"), "new source");
  EXPECT_EQ(ReadFileBytes(dir / "a.h"), "new header");
  EXPECT_EQ(Entries(dir.Path()), (std::set<std::string>{"a.c", "a.h"}));
}

// A directory in the second target's place lets every temporary file be
// written and makes only the second rename fail, after the first has been done.
TEST(FileTransactionTest, LateRenameFailurePutsTheReplacedFilesBack) {
  for (bool firstExisted : {true, false}) {
    SCOPED_TRACE(firstExisted ? "first target existed" : "first target was new");
    CTempDir dir;
    if (firstExisted)
      WriteFileBytes(dir / "a.c", "old source");
    fs::create_directory(dir / "a.h");
    CFileTransaction transaction;
    transaction.Add((dir / "a.c").string(), "new source");
    transaction.Add((dir / "a.h").string(), "new header");
    std::string path, reason;
    EXPECT_FALSE(transaction.Commit(path, reason));
    EXPECT_EQ(path, (dir / "a.h").string());
    EXPECT_FALSE(reason.empty());
    std::set<std::string> expected{"a.h"};
    if (firstExisted) {
      EXPECT_EQ(ReadFileBytes(dir / "a.c"), "old source");
      expected.insert("a.c");
    }
    EXPECT_EQ(Entries(dir.Path()), expected);
  }
}

}  // namespace
