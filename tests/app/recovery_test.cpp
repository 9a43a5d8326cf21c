// Recovery copies in a real folder: their names, the note of the project's path
// and time, which copies a running program holds, and the offer at start-up.
#include "app/recovery.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <regex>
#include <set>

#include "app/kivovamapp.h"
#include "base/paths.h"
#include "common/testsupport.h"
#include "project/projdoc.h"

namespace fs = std::filesystem;

namespace {

using Names = std::set<std::string>;

Names FilesIn(const fs::path& folder) {
  Names names;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(folder, error))
    names.insert(entry.path().filename().string());
  return names;
}

Names CopyFiles(const std::string& name) {
  return {name + ".c", name + ".h", name + ".info", name + ".lock"};
}

class RecoveryStoreTest : public ::testing::Test {
 protected:
  CTempDir dir;
  // Made by the first write, as in a fresh account.
  const std::string folder = (dir / "data/recovery").string();
  std::string reason;
};

TEST(RecoveryNames, TellProjectsAndProcessesApartInPlainCharacters) {
  const std::string board = CRecoveryStore::CopyName("/work/board/kivo_vam.c", 4242);
  EXPECT_TRUE(std::regex_match(board, std::regex("kivo_vam-[0-9a-f]{16}-4242"))) << board;
  EXPECT_NE(board, CRecoveryStore::CopyName("/work/other/kivo_vam.c", 4242));
  EXPECT_NE(board, CRecoveryStore::CopyName("/work/board/kivo_vam.c", 4243));
  std::string untitled = CRecoveryStore::CopyName("", 7);
  EXPECT_TRUE(std::regex_match(untitled, std::regex("untitled_kivo_vam-[0-9a-f]{16}-7"))) << untitled;
  std::string odd = CRecoveryStore::CopyName("/x/my board.v2 \xC3\xBC\n.c", 7);
  EXPECT_TRUE(std::regex_match(odd, std::regex("[A-Za-z0-9_]+-[0-9a-f]{16}-7"))) << odd;
}

TEST_F(RecoveryStoreTest, ACopyIsOfferedOnlyOnceItsProgramIsGoneAndToOneProgramAtATime) {
  auto first = std::make_unique<CRecoveryStore>(folder, 1001);
  ASSERT_TRUE(first->WriteTexts("/p/board.c", "source\n", "header\n", 1796733629, reason)) << reason;
  EXPECT_EQ(fs::status(folder).permissions(), fs::perms::owner_all);
  EXPECT_EQ(FilesIn(folder), CopyFiles(first->CopyFileName()));

  CRecoveryStore second(folder, 1002);
  EXPECT_TRUE(second.ClaimLeftCopies().empty());
  first.reset();  // the program ends without removing its copy
  std::vector<CRecoveryCopy> left = second.ClaimLeftCopies();
  ASSERT_EQ(left.size(), 1u);
  EXPECT_EQ(left[0].projectPath, "/p/board.c");
  EXPECT_EQ(left[0].savedAt, 1796733629);
  EXPECT_EQ(ReadFileBytes(left[0].sourcePath), "source\n");
  EXPECT_EQ(ReadFileBytes(left[0].headerPath), "header\n");
  // Claimed: a program starting meanwhile does not offer it as well.
  CRecoveryStore third(folder, 1003);
  EXPECT_TRUE(third.ClaimLeftCopies().empty());
  second.Discard(left[0]);
  EXPECT_EQ(FilesIn(folder), Names{});
  EXPECT_TRUE(third.ClaimLeftCopies().empty());
}

TEST_F(RecoveryStoreTest, AKilledProcessLeavesItsCopyToTheNext) {
  int ready[2];
  ASSERT_EQ(pipe(ready), 0);
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    CRecoveryStore store(folder);
    std::string why;
    char written = store.WriteTexts("", "s", "h", 5, why) ? '1' : '0';
    if (write(ready[1], &written, 1) == 1)
      pause();
    _exit(1);
  }
  close(ready[1]);
  char written = 0;
  ASSERT_EQ(read(ready[0], &written, 1), 1);
  close(ready[0]);
  ASSERT_EQ(written, '1');
  CRecoveryStore next(folder);
  EXPECT_TRUE(next.ClaimLeftCopies().empty());
  kill(child, SIGKILL);
  int status = 0;
  waitpid(child, &status, 0);
  std::vector<CRecoveryCopy> left = next.ClaimLeftCopies();
  ASSERT_EQ(left.size(), 1u);
  EXPECT_EQ(left[0].name, CRecoveryStore::CopyName("", child));
  EXPECT_EQ(left[0].projectPath, "");
}

TEST_F(RecoveryStoreTest, OneCopyPerProcessFollowsTheProjectAndReplacesWhatItTookOver) {
  CRecoveryStore store(folder, 77);
  ASSERT_TRUE(store.WriteTexts("/p/one.c", "1", "1h", 10, reason)) << reason;
  std::string one = store.CopyFileName();
  ASSERT_TRUE(store.WriteTexts("/p/one.c", "2", "2h", 20, reason)) << reason;
  EXPECT_EQ(store.CopyFileName(), one);
  EXPECT_EQ(ReadFileBytes(fs::path(folder) / (one + ".c")), "2");
  ASSERT_TRUE(store.WriteTexts("/p/two.c", "3", "3h", 30, reason)) << reason;
  std::string two = store.CopyFileName();
  EXPECT_EQ(FilesIn(folder), CopyFiles(two));

  // A copy restored from a program that is gone stays until ours replaces it.
  std::string theirs;
  {
    CRecoveryStore gone(folder, 78);
    ASSERT_TRUE(gone.WriteTexts("/p/three.c", "4", "4h", 40, reason)) << reason;
    theirs = gone.CopyFileName();
  }
  std::vector<CRecoveryCopy> left = store.ClaimLeftCopies();
  ASSERT_EQ(left.size(), 1u);
  store.TakeOver(std::move(left[0]));
  Names both = CopyFiles(two);
  both.merge(CopyFiles(theirs));
  EXPECT_EQ(FilesIn(folder), both);
  ASSERT_TRUE(store.WriteTexts("/p/three.c", "4", "4h", 50, reason)) << reason;
  EXPECT_EQ(FilesIn(folder), CopyFiles(CRecoveryStore::CopyName("/p/three.c", 77)));

  store.Remove();
  EXPECT_EQ(FilesIn(folder), Names{});
  EXPECT_FALSE(store.HasCopy());
}

TEST_F(RecoveryStoreTest, OddPathsSurviveTheNoteAndBrokenCopiesAreLeftAlone) {
  const std::string odd = "/tmp/100%\nsure\r/x\x7f.c";
  {
    CRecoveryStore gone(folder, 90);
    ASSERT_TRUE(gone.WriteTexts(odd, "s", "h", 1, reason)) << reason;
  }
  {
    CRecoveryStore halfGone(folder, 91);
    ASSERT_TRUE(halfGone.WriteTexts("/p/half.c", "s", "h", 2, reason)) << reason;
    fs::remove(fs::path(folder) / (halfGone.CopyFileName() + ".h"));
  }
  WriteFileBytes(fs::path(folder) / "stranger.info", "project=/p/x.c\nsaved=3\n");
  WriteFileBytes(fs::path(folder) / "stranger.c", "s");
  WriteFileBytes(fs::path(folder) / "stranger.h", "h");
  WriteFileBytes(fs::path(folder) / "late.info", "Kivo Vam recovery copy\nproject=/p/late.c\nsaved=soon\n");
  WriteFileBytes(fs::path(folder) / "late.c", "s");
  WriteFileBytes(fs::path(folder) / "late.h", "h");
  Names before = FilesIn(folder);

  CRecoveryStore next(folder, 92);
  std::vector<CRecoveryCopy> left = next.ClaimLeftCopies();
  ASSERT_EQ(left.size(), 1u);
  EXPECT_EQ(left[0].projectPath, odd);
  left.clear();
  // Only the claims' lock files were added.
  Names after = FilesIn(folder);
  for (const std::string& name : before)
    EXPECT_TRUE(after.count(name)) << name;

  // A name in the way that is not a file is never replaced.
  const std::string blocked = (fs::path(folder) / (CRecoveryStore::CopyName("/p/fifo.c", 92) + ".c")).string();
  ASSERT_EQ(mkfifo(blocked.c_str(), 0600), 0);
  EXPECT_FALSE(next.WriteTexts("/p/fifo.c", "s", "h", 4, reason));
  EXPECT_NE(reason.find("not a regular file"), std::string::npos) << reason;
  EXPECT_TRUE(fs::is_fifo(blocked));
}

TEST(RecoveryTiming, AtMostOneWriteAnIntervalAndNoneBeforeTheChangesSettle) {
  struct CRow {
    int64_t sinceLastWrite;
    int64_t delay;
  } rows[] = {{-1, 1000}, {0, 30000}, {10000, 20000}, {29500, 1000}, {30000, 1000}, {600000, 1000}};
  for (const CRow& row : rows)
    EXPECT_EQ(CRecoveryStore::DelayBeforeWrite(row.sinceLastWrite), row.delay) << row.sinceLastWrite;
  EXPECT_EQ(CRecoveryStore::DelayBeforeWrite(100, 500, 50), 400);
}

TEST(RecoveryTiming, TimeIsShownInLocalTime) {
  const char* zone = std::getenv("TZ");
  std::string saved = zone ? zone : "";
  setenv("TZ", "UTC", 1);
  tzset();
  EXPECT_EQ(RecoveryTimeText(1796733629), "2026-12-08 12:40");
  setenv("TZ", "XST-5:30", 1);
  tzset();
  EXPECT_EQ(RecoveryTimeText(1796733629), "2026-12-08 18:10");
  if (zone)
    setenv("TZ", saved.c_str(), 1);
  else
    unsetenv("TZ");
  tzset();
}

// ---- The application object's side: the offer, the restore, and the copy
// following the project's modified mark.

class AppRecoveryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    FolderSettings() = CFolderSettings{};
    SetProgramFolder(SourcePath("").string());
    setenv("SOURCE_DATE_EPOCH", "1796733629", 1);
    CopySampleProject(project.Path());
    // What the user had changed before the program went: a clock and the verbatim block.
    std::string source = ReadFileBytes(project / "kivo_vam.c");
    ReplaceOnce(source, "SYSCLK         = 150 MHz", "SYSCLK         = 120 MHz");
    ReplaceOnce(source, "DEMO_FAN_START_DUTY 100U", "DEMO_FAN_START_DUTY 60U");
    changedSource = source;
    changedHeader = ReadFileBytes(project / "kivo_vam.h");
  }
  void TearDown() override {
    unsetenv("SOURCE_DATE_EPOCH");
    FolderSettings() = CFolderSettings{};
    SetProgramFolder("");
  }
  static void ReplaceOnce(std::string& text, const std::string& from, const std::string& to) {
    std::size_t at = text.find(from);
    ASSERT_NE(at, std::string::npos) << from;
    text.replace(at, from.size(), to);
  }
  // A copy left by process `pid`, which has ended.
  void LeaveCopy(long pid, const std::string& path, int64_t savedAt) {
    CRecoveryStore gone(folder, pid);
    std::string reason;
    ASSERT_TRUE(gone.WriteTexts(path, changedSource, changedHeader, savedAt, reason)) << reason;
  }
  static std::string Texts(CProjDoc& doc) {
    std::string source, header;
    EXPECT_TRUE(doc.GenerateProjectTexts(CProjDoc::kDefaultHName, source, header));
    return source + header;
  }
  // The model the changed pair stands for, read as an open reads it.
  std::string ChangedModel(CKivoVamApp& app) {
    CTempDir pair;
    WriteFileBytes(pair / "kivo_vam.c", changedSource);
    WriteFileBytes(pair / "kivo_vam.h", changedHeader);
    CProjDoc doc(app.Kb());
    EXPECT_TRUE(doc.OnOpenDocument((pair / "kivo_vam.c").string()));
    return Texts(doc);
  }

  CTempDir dir;
  CTempDir project;
  const std::string folder = (dir / "recovery").string();
  const std::string projectPath = (project / "kivo_vam.c").string();
  std::string changedSource;
  std::string changedHeader;
  CRecordedPorts ports;
};

TEST_F(AppRecoveryTest, YesRestoresTheChangesUnderTheProjectsPathAsModified) {
  LeaveCopy(1, projectPath, 1796733000);
  CKivoVamApp app;
  app.EnableRecovery(folder);
  ASSERT_TRUE(app.Start());
  ports.messages.QueueAnswer(EAnswer::Yes);
  ASSERT_TRUE(app.OfferRecoveryCopies()) << ::testing::PrintToString(ports.messages.Ids());
  ASSERT_EQ(ports.messages.Ids(), std::vector<int>{4074});
  EXPECT_EQ(ports.messages.Messages()[0].kind, EMessageKind::Question);
  EXPECT_EQ(ports.messages.Messages()[0].text, "Kivo Vam did not close normally. Restore the unsaved changes to '" +
                                                   projectPath + "' from " + RecoveryTimeText(1796733000) + "?");
  EXPECT_EQ(app.ProjectPath(), projectPath);
  EXPECT_TRUE(app.Doc().IsModified());
  EXPECT_EQ(app.Doc().m_nSysClk, 120000000u);
  EXPECT_EQ(Texts(app.Doc()), ChangedModel(app));
  // The file itself is as the user last saved it.
  EXPECT_NE(ReadFileBytes(projectPath).find("150 MHz"), std::string::npos);

  // Our own copy of the same changes replaces the one restored ...
  std::string left = CRecoveryStore::CopyName(projectPath, 1);
  app.KeepRecoveryCopy();
  std::string ours = CRecoveryStore::CopyName(projectPath, getpid());
  EXPECT_EQ(FilesIn(folder), CopyFiles(ours));
  // ... and goes when the changes are saved.
  ASSERT_TRUE(app.SaveProject(projectPath));
  EXPECT_EQ(FilesIn(folder), Names{});
  EXPECT_NE(ReadFileBytes(projectPath).find("120 MHz"), std::string::npos);
}

TEST_F(AppRecoveryTest, NoDeletesTheCopyAndTheNextIsOfferedUntitledStaysUntitled) {
  LeaveCopy(2, projectPath, 1796733500);
  LeaveCopy(3, "", 1796733400);
  CKivoVamApp app;
  app.EnableRecovery(folder);
  ASSERT_TRUE(app.Start());
  ports.messages.QueueAnswer(EAnswer::No);
  ports.messages.QueueAnswer(EAnswer::Yes);
  ASSERT_TRUE(app.OfferRecoveryCopies());
  ASSERT_EQ(ports.messages.Ids(), (std::vector<int>{4074, 4074}));
  EXPECT_NE(ports.messages.Messages()[0].text.find("'" + projectPath + "'"), std::string::npos);
  EXPECT_NE(ports.messages.Messages()[1].text.find("'untitled_kivo_vam'"), std::string::npos);
  EXPECT_EQ(app.ProjectPath(), "");
  EXPECT_EQ(app.ProjectTitle(), "untitled_kivo_vam");
  EXPECT_TRUE(app.Doc().IsModified());
  EXPECT_EQ(FilesIn(folder), CopyFiles(CRecoveryStore::CopyName("", 3)));

  // Giving the changes up (a new project) removes what was taken over.
  ASSERT_TRUE(app.NewProject());
  EXPECT_EQ(FilesIn(folder), Names{});
}

TEST_F(AppRecoveryTest, TheCopyFollowsTheModifiedMarkAndAFailureIsToldOnce) {
  CKivoVamApp app;
  app.EnableRecovery(folder);
  ASSERT_TRUE(app.Start());
  EXPECT_FALSE(app.OfferRecoveryCopies());
  app.KeepRecoveryCopy();
  EXPECT_FALSE(fs::exists(folder));
  app.Doc().SetModifiedFlag(true);
  app.KeepRecoveryCopy();
  std::string ours = CRecoveryStore::CopyName("", getpid());
  EXPECT_EQ(FilesIn(folder), CopyFiles(ours));
  app.Doc().SetModifiedFlag(false);
  app.KeepRecoveryCopy();
  EXPECT_EQ(FilesIn(folder), Names{});
  EXPECT_TRUE(ports.messages.Ids().empty());

  // A file where the folder should be.
  app.EnableRecovery((dir / "taken/recovery").string());
  WriteFileBytes(dir / "taken", "x");
  app.Doc().SetModifiedFlag(true);
  app.KeepRecoveryCopy();
  app.KeepRecoveryCopy();
  ASSERT_EQ(ports.messages.Ids(), std::vector<int>{4075});
  EXPECT_NE(ports.messages.Messages()[0].text.find((dir / "taken/recovery").string()), std::string::npos);
}

}  // namespace
