// The real program killed with unsaved changes: its recovery copy stays, the
// next start offers it and restores the same model. Each program runs
// offscreen with its own settings and data folders, and answers the question
// through the messages port's test hook.
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <thread>

#include "app/recovery.h"
#include "common/runprocess.h"
#include "common/testsupport.h"

namespace fs = std::filesystem;

namespace {

const std::string kProgram = KV_BIN_DIR "/kivovam";
const std::string kCli = KV_BIN_DIR "/kivovam-cli";
constexpr const char* kEpoch = "1796733629";

bool WaitFor(const std::function<bool()>& condition, int seconds = 60) {
  auto until = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  while (!condition()) {
    if (std::chrono::steady_clock::now() > until)
      return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return true;
}

class RecoveryProcess : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(home / "project");
    CopySampleProject(home / "project");
  }
  std::string Project() const { return (home / "project/kivo_vam.c").string(); }
  // Where the program keeps its copies: the application data folder below XDG_DATA_HOME.
  fs::path Folder() const { return home / "data/Halvora/Kivo Vam/recovery"; }
  fs::path CopyOf(long pid, const std::string& extension) const {
    return Folder() / (CRecoveryStore::CopyName(Project(), pid) + extension);
  }
  std::unique_ptr<CBackgroundProcess> StartProgram(const std::string& answer, const std::string& log) {
    return std::make_unique<CBackgroundProcess>(
        kProgram, std::vector<std::string>{},
        std::vector<std::string>{"QT_QPA_PLATFORM=offscreen", "XDG_CONFIG_HOME=" + (home / "config").string(),
                                 "XDG_DATA_HOME=" + (home / "data").string(), "SOURCE_DATE_EPOCH=" + std::string(kEpoch),
                                 "KIVOVAM_TEST_ANSWER=" + answer, "KIVOVAM_TEST_MESSAGES=" + (home / log).string()},
        (home / (log + ".out")).string());
  }
  std::string Log(const std::string& name) const {
    std::error_code error;
    return fs::exists(home / name, error) ? ReadFileBytes(home / name) : std::string();
  }

  CTempDir home;
};

TEST_F(RecoveryProcess, AKilledProgramsChangesAreOfferedAndRestoredByTheNext) {
  // The changes the first program has: a copy of a program gone before it,
  // which it restores at its start (a changed clock and verbatim block).
  std::string source = ReadFileBytes(home / "project/kivo_vam.c");
  for (auto [from, to] : {std::pair<std::string, std::string>{"SYSCLK         = 150 MHz", "SYSCLK         = 120 MHz"},
                          {"DEMO_FAN_START_DUTY 100U", "DEMO_FAN_START_DUTY 60U"}}) {
    std::size_t at = source.find(from);
    ASSERT_NE(at, std::string::npos) << from;
    source.replace(at, from.size(), to);
  }
  const std::string header = ReadFileBytes(home / "project/kivo_vam.h");
  {
    CRecoveryStore gone(Folder().string(), 1);
    std::string reason;
    ASSERT_TRUE(gone.WriteTexts(Project(), source, header, 1796733000, reason)) << reason;
  }

  std::unique_ptr<CBackgroundProcess> first = StartProgram("yes", "first.log");
  long firstPid = first->Pid();
  ASSERT_TRUE(WaitFor([&] { return fs::exists(CopyOf(firstPid, ".info")) && !fs::exists(CopyOf(1, ".info")); }))
      << Log("first.log") << Log("first.log.out");
  ASSERT_TRUE(first->Running());
  EXPECT_EQ(first->Kill(SIGKILL), 128 + SIGKILL);
  EXPECT_EQ(Log("first.log"), "4074 question\n");
  ASSERT_TRUE(fs::exists(CopyOf(firstPid, ".c")));

  std::unique_ptr<CBackgroundProcess> second = StartProgram("yes", "second.log");
  long secondPid = second->Pid();
  ASSERT_TRUE(WaitFor([&] { return fs::exists(CopyOf(secondPid, ".info")) && !fs::exists(CopyOf(firstPid, ".info")); }))
      << Log("second.log") << Log("second.log.out");
  EXPECT_EQ(Log("second.log"), "4074 question\n");
  // What the second program holds is the model of the changed files, as the
  // command-line tool reads and writes it.
  fs::create_directories(home / "expected");
  WriteFileBytes(home / "expected/kivo_vam.c", source);
  WriteFileBytes(home / "expected/kivo_vam.h", header);
  setenv("SOURCE_DATE_EPOCH", kEpoch, 1);
  CProcessResult generated = RunProcess(kCli, {"--conf", SourcePath("conf").string(), "--fsets",
                                               SourcePath("fsets").string(), "generate", (home / "expected").string()});
  unsetenv("SOURCE_DATE_EPOCH");
  ASSERT_EQ(generated.exitCode, 0) << generated.err;
  EXPECT_EQ(ReadFileBytes(CopyOf(secondPid, ".c")), ReadFileBytes(home / "expected/kivo_vam.c"));
  EXPECT_EQ(ReadFileBytes(CopyOf(secondPid, ".h")), ReadFileBytes(home / "expected/kivo_vam.h"));
  // The project's own files are as the user last saved them.
  EXPECT_NE(ReadFileBytes(home / "project/kivo_vam.c").find("150 MHz"), std::string::npos);
  second->Kill(SIGKILL);

  // No gives the changes up: the copy is deleted and nothing is restored.
  std::unique_ptr<CBackgroundProcess> third = StartProgram("no", "third.log");
  // The copy's files go one after the other: wait for the last of them.
  auto copyGone = [&] {
    return !fs::exists(CopyOf(secondPid, ".info")) && !fs::exists(CopyOf(secondPid, ".c")) &&
           !fs::exists(CopyOf(secondPid, ".h"));
  };
  ASSERT_TRUE(WaitFor([&] { return Log("third.log") == "4074 question\n" && copyGone(); }))
      << Log("third.log") << Log("third.log.out");
  ASSERT_TRUE(third->Running());
  third->Kill(SIGKILL);
  EXPECT_FALSE(fs::exists(CopyOf(third->Pid(), ".info")));
}

}  // namespace
