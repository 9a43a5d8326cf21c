// Saves of different projects into one folder at the same time: the pair on disk is always one save's pair.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <set>
#include <stdexcept>

#include "bundledkb.h"
#include "common/testsupport.h"
#include "project/projdoc.h"

namespace fs = std::filesystem;

namespace {

std::set<std::string> Entries(const fs::path& folder) {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder))
    names.insert(entry.path().filename().string());
  return names;
}

class SaveLockTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("SOURCE_DATE_EPOCH", "86400", 1);
    LoadBundledKnowledge(kb);
    firstDoc = std::make_unique<CProjDoc>(kb);
    secondDoc = std::make_unique<CProjDoc>(kb);
    CProjDoc& first = *firstDoc;
    CProjDoc& second = *secondDoc;
    // Two projects that take as long to write, so that their saves overlap.
    ASSERT_TRUE(first.OnOpenDocument(SourcePath("examples/demo").string()));
    ASSERT_TRUE(second.OnOpenDocument(SourcePath("examples/demo").string()));
    second.m_engine[0].cie ^= 0x5;
    second.m_strVerbatim = "/* the second project */\r\n";
    for (CProjDoc* doc : {&first, &second}) {
      const fs::path alone = dir / (doc == &first ? "first" : "second");
      fs::create_directory(alone);
      ASSERT_TRUE(doc->OnSaveDocument(alone.string()));
      pairs.insert({ReadFileBytes(alone / "kivo_vam.c"), ReadFileBytes(alone / "kivo_vam.h")});
    }
    ASSERT_EQ(pairs.size(), 2u);
    fs::create_directory(dir / "shared");
    ports.messages.Clear();
  }
  void TearDown() override { unsetenv("SOURCE_DATE_EPOCH"); }

  std::string Shared() const { return (dir / "shared").string(); }
  std::string LockPath() const { return (dir / "shared" / ".kivo_vam.c.lock").string(); }
  bool SharedIsAPair() const {
    return pairs.count({ReadFileBytes(dir / "shared" / "kivo_vam.c"), ReadFileBytes(dir / "shared" / "kivo_vam.h")}) ==
           1;
  }

  CRecordedPorts ports;
  CKnowledgeBase kb;
  std::unique_ptr<CProjDoc> firstDoc, secondDoc;
  CTempDir dir;
  std::set<std::pair<std::string, std::string>> pairs;
};

// A child that saves `doc` into `folder` `times` times; its exit status counts the failed saves.
pid_t SaveRepeatedly(CProjDoc& doc, const std::string& folder, int times) {
  pid_t pid = fork();
  if (pid == 0) {
    int failed = 0;
    for (int i = 0; i < times; ++i)
      failed += !doc.OnSaveDocument(folder);
    std::_Exit(std::min(failed, 100));
  }
  return pid;
}

// Holds the lock as a save does (the lock file beside the source, which its
// holder removes before letting go), for a reader that wants a whole pair.
class CReaderLock {
 public:
  explicit CReaderLock(const std::string& path) : m_path(path) {
    for (;;) {
      m_fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
      struct stat held {}, named {};
      if (m_fd < 0 || flock(m_fd, LOCK_EX) != 0 || fstat(m_fd, &held) != 0)
        throw std::runtime_error("cannot lock " + path);
      if (lstat(path.c_str(), &named) == 0 && named.st_ino == held.st_ino && named.st_dev == held.st_dev)
        return;
      close(m_fd);
    }
  }
  ~CReaderLock() {
    unlink(m_path.c_str());
    close(m_fd);
  }
  CReaderLock(const CReaderLock&) = delete;
  CReaderLock& operator=(const CReaderLock&) = delete;

 private:
  std::string m_path;
  int m_fd = -1;
};

// Two processes save different projects into one folder 200 times each while
// a third looks at the folder whenever the lock lets it: it must always find
// one save's pair, never one project's source beside the other's header, and
// so must the last look, when both are done.
TEST_F(SaveLockTest, TwoProcessesSavingIntoOneFolderAlwaysLeaveOnePair) {
  const fs::path source = dir / "shared" / "kivo_vam.c", header = dir / "shared" / "kivo_vam.h";
  pid_t savers[] = {SaveRepeatedly(*firstDoc, Shared(), 200), SaveRepeatedly(*secondDoc, Shared(), 200)};
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
  int running = 2, looks = 0, mixed = 0, failed = 0;
  while (running > 0 && std::chrono::steady_clock::now() < deadline) {
    {
      CReaderLock lock(LockPath());
      if (fs::exists(source) && fs::exists(header)) {
        ++looks;
        mixed += !SharedIsAPair();
      }
    }
    usleep(500);
    for (pid_t& saver : savers) {
      int status = 0;
      if (saver > 0 && waitpid(saver, &status, WNOHANG) == saver) {
        failed += !WIFEXITED(status) || WEXITSTATUS(status) != 0;
        saver = 0;
        --running;
      }
    }
  }
  for (pid_t saver : savers)
    if (saver > 0) {
      kill(saver, SIGKILL);
      waitpid(saver, nullptr, 0);
    }
  EXPECT_EQ(running, 0) << "the saves did not end in time";
  EXPECT_EQ(failed, 0);
  EXPECT_GT(looks, 0);
  EXPECT_EQ(mixed, 0) << "of " << looks << " looks";
  EXPECT_TRUE(SharedIsAPair());
  EXPECT_EQ(Entries(dir / "shared"), (std::set<std::string>{"kivo_vam.c", "kivo_vam.h"})) << "no lock file left";
}

// A save that cannot get the lock waits a few seconds, then says so and writes
// nothing; a lock file left by a program that died holds no lock.
TEST_F(SaveLockTest, ASaveWaitsBoundedForAnotherAndALeftoverLockFileIsHarmless) {
  CProjDoc& first = *firstDoc;
  CProjDoc& second = *secondDoc;
  ASSERT_TRUE(first.OnSaveDocument(Shared()));
  const std::string source = ReadFileBytes(dir / "shared" / "kivo_vam.c");
  int held = open(LockPath().c_str(), O_RDWR | O_CREAT, 0600);
  ASSERT_GE(held, 0);
  ASSERT_EQ(flock(held, LOCK_EX), 0);
  const auto started = std::chrono::steady_clock::now();
  EXPECT_FALSE(second.OnSaveDocument(Shared()));
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(10));
  ASSERT_EQ(ports.messages.Messages().size(), 1u);
  EXPECT_EQ(ports.messages.Messages()[0].id, 4085);
  EXPECT_NE(ports.messages.Messages()[0].text.find((dir / "shared" / "kivo_vam.c").string()), std::string::npos);
  EXPECT_EQ(ReadFileBytes(dir / "shared" / "kivo_vam.c"), source);

  close(held);  // the lock goes, the file stays, as after a crash
  ASSERT_TRUE(fs::exists(LockPath()));
  EXPECT_TRUE(second.OnSaveDocument(Shared()));
  EXPECT_TRUE(SharedIsAPair());
  EXPECT_NE(ReadFileBytes(dir / "shared" / "kivo_vam.c"), source);
  EXPECT_EQ(Entries(dir / "shared"), (std::set<std::string>{"kivo_vam.c", "kivo_vam.h"}));
}

}  // namespace
