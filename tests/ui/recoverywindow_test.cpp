// Recovery copies on the real window: a change starts the one timer, the copy
// is written when it runs out and goes with a save, a discard or a clean close,
// and a copy left by a program that is gone is offered at start-up.
#include <QCheckBox>
#include <QDialog>
#include <QComboBox>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include "app/recovery.h"
#include "project/projdoc.h"
#include "ui/mainframe.h"
#include "ui/pages.h"
#include "ui/viewcpu.h"
#include "uitestsupport.h"

namespace fs = std::filesystem;

namespace {

class RecoveryWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("SOURCE_DATE_EPOCH", "1796733629", 1);
    CopySampleProject(project.Path());
  }
  void TearDown() override { unsetenv("SOURCE_DATE_EPOCH"); }

  std::string Project() const { return (project / "kivo_vam.c").string(); }
  CMainFrame& Frame() { return shell.Frame(); }
  fs::path Copy(const std::string& extension) const {
    return shell.RecoveryFolder() / (CRecoveryStore::CopyName(Project(), getpid()) + extension);
  }
  bool CopyWritten(bool present) {
    return QTest::qWaitFor([&] { return fs::exists(Copy(".info")) == present; }, 5000);
  }
  // Ticks or clears "Engine Disabled" on engine A and stores it by going back to the processor page.
  void ToggleEngineA() {
    ASSERT_TRUE(Frame().SelectPage(kPageEngineA));
    for (QCheckBox* box : Frame().Page(kPageEngineA)->findChildren<QCheckBox*>())
      if (box->text().startsWith("Engine &Disabled"))
        box->setChecked(!box->isChecked());
    ASSERT_TRUE(Frame().SelectPage(kPageCpu));
    ASSERT_TRUE(Frame().Doc().IsModified());
  }
  std::vector<std::string> Files() const {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(shell.RecoveryFolder(), error))
      names.push_back(entry.path().filename().string());
    return names;
  }

  CTempDir project;
  CShell shell;
};

TEST_F(RecoveryWindow, AChangeIsCopiedWhenTheTimerRunsOutAndTheCopyGoesWithTheSave) {
  ASSERT_TRUE(shell.Start({Project()}));
  QTimer* timer = Frame().RecoveryTimer();
  ToggleEngineA();
  ASSERT_TRUE(timer->isActive());
  EXPECT_EQ(timer->interval(), CRecoveryStore::kSettleMs);
  EXPECT_FALSE(fs::exists(Copy(".info")));
  ASSERT_TRUE(CopyWritten(true));
  // The pair a save would write.
  std::string source, header;
  ASSERT_TRUE(Frame().Doc().GenerateProjectTexts("kivo_vam.h", source, header));
  EXPECT_EQ(ReadFileBytes(Copy(".c")), source);
  EXPECT_EQ(ReadFileBytes(Copy(".h")), header);
  EXPECT_NE(ReadFileBytes(Copy(".info")).find("project=" + Project() + "\n"), std::string::npos);

  // The next change waits for what is left of the half minute.
  ToggleEngineA();
  ASSERT_TRUE(timer->isActive());
  EXPECT_GT(timer->interval(), CRecoveryStore::kIntervalMs - 5000);
  EXPECT_TRUE(Frame().FileSave());
  EXPECT_EQ(Files(), std::vector<std::string>{});
  EXPECT_TRUE(shell.ports.messages.Ids().empty());
}

// A copy that falls due while a dialog holds the window waits for the dialog
// to close, and is then written without a further change.
TEST_F(RecoveryWindow, ACopyDueUnderADialogIsWrittenWhenTheDialogCloses) {
  ASSERT_TRUE(shell.Start({Project()}));
  ToggleEngineA();
  QDialog dialog(&Frame());
  dialog.setModal(true);
  dialog.show();
  ASSERT_EQ(QApplication::activeModalWidget(), &dialog);
  QTimer* timer = Frame().RecoveryTimer();
  ASSERT_TRUE(QTest::qWaitFor([&] { return !timer->isActive(); }, 5000));
  QTest::qWait(100);
  EXPECT_FALSE(fs::exists(Copy(".info")));
  EXPECT_FALSE(timer->isActive());
  dialog.close();
  EXPECT_TRUE(CopyWritten(true));
}

TEST_F(RecoveryWindow, ClosingWithoutSavingRemovesTheCopy) {
  ASSERT_TRUE(shell.Start({Project()}));
  ToggleEngineA();
  ASSERT_TRUE(CopyWritten(true));
  ToggleEngineA();
  Frame().askSaveChanges = [](const QString&) { return QMessageBox::No; };
  EXPECT_TRUE(Frame().close());
  EXPECT_FALSE(Frame().RecoveryTimer()->isActive());
  EXPECT_EQ(Files(), std::vector<std::string>{});
}

TEST_F(RecoveryWindow, ACopyLeftByAProgramThatIsGoneIsOfferedAtStartUp) {
  std::string source = ReadFileBytes(project / "kivo_vam.c");
  std::size_t at = source.find("SYSCLK         = 150 MHz");
  ASSERT_NE(at, std::string::npos);
  source.replace(at, 24, "SYSCLK         = 120 MHz");
  const std::string left = CRecoveryStore::CopyName(Project(), 1);
  {
    CRecoveryStore gone(shell.RecoveryFolder().string(), 1);
    std::string reason;
    ASSERT_TRUE(gone.WriteTexts(Project(), source, ReadFileBytes(project / "kivo_vam.h"), 1796733000, reason))
        << reason;
  }
  shell.ports.messages.QueueAnswer(EAnswer::Yes);
  ASSERT_TRUE(shell.Start({}));
  ASSERT_EQ(shell.ports.messages.Ids(), std::vector<int>{4074});
  Settle();
  EXPECT_EQ(Frame().windowTitle(), "kivo_vam.c[*] - Kivo Vam");
  EXPECT_TRUE(Frame().isWindowModified());
  auto& cpu = static_cast<CViewCPU&>(*Frame().Page(kPageCpu));
  EXPECT_EQ(cpu.SysClkList()->currentText(), "120 MHz");
  // This program's own copy takes the place of the one restored.
  ASSERT_TRUE(CopyWritten(true));
  EXPECT_FALSE(fs::exists(shell.RecoveryFolder() / (left + ".info")));
  EXPECT_NE(ReadFileBytes(Copy(".c")).find("120 MHz"), std::string::npos);
}

}  // namespace
