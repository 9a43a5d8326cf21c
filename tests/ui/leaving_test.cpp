// Leaving a project on the real window: an edit the current page has not
// stored yet is asked about by every command that leaves, a refused value
// keeps the program and the page, and a save or an open that fails keeps the
// project as it was.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <functional>

#include "project/enginerules.h"
#include "project/projdoc.h"
#include "ui/mainframe.h"
#include "ui/pages.h"
#include "ui/viewcpu.h"
#include "ui/viewengine.h"
#include "ui/viewfset.h"
#include "uitestsupport.h"

namespace fs = std::filesystem;

namespace {

// The main window over a copy of the sample project, which the tests may save.
class Leaving : public ::testing::Test {
 public:
  void SetUp() override {
    CopySampleProject(project.Path());
    AdjustProject();
    ASSERT_TRUE(shell.Start({Project()}));
    shell.ports.messages.Clear();
    Frame().askSaveChanges = [this](const QString& name) {
      asked << name;
      return answer;
    };
    Frame().askFileName = [this](bool, const QString&) {
      ++fileDialogs;
      return QString::fromStdString(openPath);
    };
  }

  std::string Project() const { return (project / "kivo_vam.c").string(); }
  // The copy as a test needs it before the window opens it.
  virtual void AdjustProject() {}
  CMainFrame& Frame() { return shell.Frame(); }
  CProjDoc& Doc() { return Frame().Doc(); }
  std::vector<int> Ids() const { return shell.ports.messages.Ids(); }
  std::string Field(int engine, const char* section) {
    const CKivoVarValue* field = FindEngineField(Doc(), engine, section);
    return field ? field->valueName + "(" + field->argument + ")" : std::string("none");
  }
  // Everything an open may not change: the model, its mark, its name and where it lies.
  std::string State() {
    std::string source, header;
    EXPECT_TRUE(Doc().GenerateProjectTexts(CProjDoc::kDefaultHName, source, header));
    return source + header + "\nmodified " + std::to_string(Doc().IsModified()) + "\npath " +
           shell.App().ProjectPath() + "\ntitle " + Frame().windowTitle().toStdString() + "\npage " +
           std::to_string(Frame().CurrentPage());
  }

  // State() holds the generated texts, which would differ in their stamp
  // across a second's turn.
  CFixedSaveTime stamp;
  CTempDir project;
  CShell shell;
  QStringList asked;
  QMessageBox::StandardButton answer = QMessageBox::Cancel;
  int fileDialogs = 0;
  std::string openPath;
};

// An edit on a page, and what the project holds once the page stored it.
struct CEdit {
  const char* name;
  int page;
  std::function<void(CViewBase& page)> make;
  std::function<std::string(Leaving& test)> stored;
};

QCheckBox* CheckBoxNamed(QWidget& page, const QString& text) {
  for (QCheckBox* box : page.findChildren<QCheckBox*>())
    if (box->text().startsWith(text))
      return box;
  return nullptr;
}

struct CLeave {
  const char* name;
  std::function<bool(CMainFrame& frame)> run;
};

const CLeave kLeaves[] = {
    {"Exit",
     [](CMainFrame& frame) {
       frame.Action(ECommand::FileExit)->trigger();
       return !frame.isVisible();
     }},
    {"Close", [](CMainFrame& frame) { return frame.close(); }},
    {"New", [](CMainFrame& frame) { return frame.FileNew(); }},
    {"Open", [](CMainFrame& frame) { return frame.FileOpen(); }},
    {"Recent", [](CMainFrame& frame) { return frame.FileOpenRecent(0); }},
};

class LeavingEdits : public Leaving, public ::testing::WithParamInterface<std::tuple<int, int>> {
 protected:
  // The sample's set presumes the MISC check, which locks its box; in a copy
  // edited by hand to turn it off, the box is the user's to change.
  void AdjustProject() override {
    if (std::get<0>(GetParam()) != 1)
      return;
    std::string text = ReadFileBytes(project / "kivo_vam.c");
    const std::string on = "HV_KIVO_SCMMISEN_ENABLED";
    std::size_t at = text.find(on);
    ASSERT_NE(at, std::string::npos);
    text.replace(at, on.size(), "HV_KIVO_SCMMISEN_DISABLED");
    WriteFileBytes(project / "kivo_vam.c", text);
  }

  static const std::vector<CEdit>& Edits() {
    static const std::vector<CEdit> edits = {
        {"ProcessorClock", kPageCpu,
         [](CViewBase& page) { static_cast<CViewCPU&>(page).SysClkList()->setEditText("80 MHz"); },
         [](Leaving& test) { return std::to_string(test.Doc().m_nSysClk); }},
        {"FunctionSetMisc", kPageFSet,
         [](CViewBase& page) {
           QCheckBox* misc = static_cast<CViewFSet&>(page).MiscCheck();
           misc->setChecked(!misc->isChecked());
         },
         [](Leaving& test) { return test.Doc().CfgMemberText(1); }},
        {"EngineDisabled", kPageEngineA,
         [](CViewBase& page) {
           QCheckBox* disabled = CheckBoxNamed(page, "Engine &Disabled");
           ASSERT_NE(disabled, nullptr);
           disabled->setChecked(true);
         },
         [](Leaving& test) { return test.Field(0, "ECR.MDIS"); }},
        {"WatchdogCount", kPageEngineB,
         [](CViewBase& page) { static_cast<CViewEngine&>(page).WatchdogCount()->setText("100"); },
         [](Leaving& test) { return test.Field(1, "WDTR.WDCNT"); }},
    };
    return edits;
  }
};

TEST_P(LeavingEdits, AnUnstoredEditIsAskedAboutAndKept) {
  const CEdit& edit = Edits()[static_cast<std::size_t>(std::get<0>(GetParam()))];
  const CLeave& leave = kLeaves[std::get<1>(GetParam())];
  ASSERT_TRUE(Frame().SelectPage(edit.page));
  std::string before = edit.stored(*this);
  ASSERT_FALSE(Doc().IsModified());
  edit.make(*Frame().Page(edit.page));
  ASSERT_EQ(edit.stored(*this), before) << "stored before leaving";

  EXPECT_FALSE(leave.run(Frame()));
  EXPECT_EQ(asked, QStringList{"kivo_vam.c"});
  EXPECT_EQ(fileDialogs, 0);
  EXPECT_TRUE(Frame().isVisible());
  EXPECT_EQ(Frame().CurrentPage(), edit.page);
  EXPECT_TRUE(Doc().IsModified());
  EXPECT_NE(edit.stored(*this), before);
  EXPECT_EQ(shell.App().ProjectPath(), Project());
  EXPECT_EQ(Ids(), std::vector<int>{});
}

std::string EditCaseName(const ::testing::TestParamInfo<std::tuple<int, int>>& row) {
  static const char* const kEdits[] = {"ProcessorClock", "FunctionSetMisc", "EngineDisabled", "WatchdogCount"};
  return std::string(kEdits[std::get<0>(row.param)]) + "_" + kLeaves[std::get<1>(row.param)].name;
}

INSTANTIATE_TEST_SUITE_P(PagesAndCommands, LeavingEdits,
                         ::testing::Combine(::testing::Range(0, 4), ::testing::Range(0, 5)), EditCaseName);

TEST_F(Leaving, YesSavesTheUnstoredEditBeforeTheProgramCloses) {
  ASSERT_TRUE(Frame().SelectPage(kPageEngineA));
  QCheckBox* disabled = CheckBoxNamed(*Frame().Page(kPageEngineA), "Engine &Disabled");
  ASSERT_NE(disabled, nullptr);
  disabled->setChecked(true);
  std::string wanted = FindEngineField(Doc(), 0, "ECR.MDIS")->valueName;
  answer = QMessageBox::Yes;
  Frame().Action(ECommand::FileExit)->trigger();
  EXPECT_FALSE(Frame().isVisible());
  EXPECT_EQ(asked.size(), 1);

  CProjDoc saved(shell.App().Kb());
  ASSERT_TRUE(saved.OnOpenDocument(Project()));
  EXPECT_EQ(FindEngineField(saved, 0, "ECR.MDIS")->valueName, FindEngineField(Doc(), 0, "ECR.MDIS")->valueName);
  EXPECT_NE(FindEngineField(saved, 0, "ECR.MDIS")->valueName, wanted);
}

// A value the page refuses, and the message it gives.
struct CRefusal {
  const char* name;
  int page;
  std::function<void(Leaving& test)> make;
  int message;
};

class LeavingRefused : public Leaving, public ::testing::WithParamInterface<std::tuple<int, int>> {
 protected:
  static const std::vector<CRefusal>& Refusals() {
    static const std::vector<CRefusal> refusals = {
        {"UnreadableClock", kPageCpu,
         [](Leaving& test) {
           static_cast<CViewCPU*>(test.Frame().Page(kPageCpu))->SysClkList()->setEditText("fast");
         },
         4013},
        {"WatchdogCountNotANumber", kPageEngineA,
         [](Leaving& test) { static_cast<CViewEngine*>(test.Frame().Page(kPageEngineA))->WatchdogCount()->setText("12abc"); },
         4071},
        // The processor change would remove the engine-B functions; the user says No.
        {"ProcessorChangeDeclined", kPageCpu,
         [](Leaving& test) {
           QComboBox* list = static_cast<CViewCPU*>(test.Frame().Page(kPageCpu))->CpuList();
           list->setCurrentIndex(list->findText("Omiro Q31"));
           static_cast<CViewCPU*>(test.Frame().Page(kPageCpu))->SysClkList()->setEditText("80 MHz");
           test.shell.ports.messages.QueueAnswer(EAnswer::No);
         },
         4503},
    };
    return refusals;
  }
};

TEST_P(LeavingRefused, KeepsTheProgramAndThePage) {
  const CRefusal& refusal = Refusals()[static_cast<std::size_t>(std::get<0>(GetParam()))];
  const CLeave& leave = kLeaves[std::get<1>(GetParam())];
  ASSERT_TRUE(Frame().SelectPage(refusal.page));
  std::size_t functions = Doc().Functions().size();
  refusal.make(*this);
  EXPECT_FALSE(leave.run(Frame()));
  EXPECT_EQ(Ids(), std::vector<int>{refusal.message});
  EXPECT_TRUE(asked.isEmpty());
  EXPECT_EQ(fileDialogs, 0);
  EXPECT_TRUE(Frame().isVisible());
  EXPECT_EQ(Frame().CurrentPage(), refusal.page);
  EXPECT_EQ(shell.App().ProjectPath(), Project());
  EXPECT_EQ(Doc().Functions().size(), functions);
  EXPECT_FALSE(Doc().IsModified());
}

std::string RefusalCaseName(const ::testing::TestParamInfo<std::tuple<int, int>>& row) {
  static const char* const kRefusals[] = {"UnreadableClock", "WatchdogCountNotANumber", "ProcessorChangeDeclined"};
  return std::string(kRefusals[std::get<0>(row.param)]) + "_" + kLeaves[std::get<1>(row.param)].name;
}

INSTANTIATE_TEST_SUITE_P(PagesAndCommands, LeavingRefused,
                         ::testing::Combine(::testing::Range(0, 3), ::testing::Range(0, 5)), RefusalCaseName);

TEST_F(Leaving, SaveAsThatFailsLeavesTheModifiedMarkAsItWas) {
  openPath = (project / "missing/board.c").string();
  EXPECT_FALSE(Frame().FileSaveAs());
  EXPECT_FALSE(Doc().IsModified());
  EXPECT_FALSE(Frame().isWindowModified());
  EXPECT_EQ(Frame().windowTitle(), "kivo_vam.c[*] - Kivo Vam");

  ASSERT_TRUE(Frame().SelectPage(kPageEngineA));
  CheckBoxNamed(*Frame().Page(kPageEngineA), "Engine &Disabled")->setChecked(true);
  // A target that is read-only as well as one in a folder that is not there.
  WriteFileBytes(project / "locked.c", "");
  fs::permissions(project / "locked.c", fs::perms::owner_read);
  for (std::string target : {(project / "missing/board.c").string(), (project / "locked.c").string()}) {
    SCOPED_TRACE(target);
    openPath = target;
    shell.ports.messages.Clear();
    EXPECT_FALSE(Frame().FileSaveAs());
    EXPECT_FALSE(Ids().empty());
    EXPECT_TRUE(Doc().IsModified());
    Frame().UpdateTitle();
    EXPECT_TRUE(Frame().isWindowModified());
    EXPECT_EQ(shell.App().ProjectPath(), Project());
  }
}

struct CBadProject {
  const char* name;
  std::function<void(const fs::path& folder)> make;
  int message;  // 0: a file error without a number
};

void PrintTo(const CBadProject& row, std::ostream* out) { *out << row.name; }

class FailedOpen : public Leaving, public ::testing::WithParamInterface<CBadProject> {};

TEST_P(FailedOpen, KeepsTheProjectExactlyAsItWas) {
  // An edit stored, so the project has something to lose.
  ASSERT_TRUE(Frame().SelectPage(kPageEngineA));
  CheckBoxNamed(*Frame().Page(kPageEngineA), "Engine &Disabled")->setChecked(true);
  // The processor page stores nothing new when the open leaves it.
  ASSERT_TRUE(Frame().SelectPage(kPageCpu));
  ASSERT_TRUE(Doc().IsModified());
  Frame().UpdateTitle();
  std::string before = State();
  std::vector<std::string> recent = shell.App().RecentFiles().Files();

  CTempDir bad;
  GetParam().make(bad.Path());
  openPath = (bad / "kivo_vam.c").string();
  // The user gives the changes up, then picks a file that does not open.
  answer = QMessageBox::No;
  EXPECT_FALSE(Frame().FileOpen());
  EXPECT_EQ(Ids(), std::vector<int>{GetParam().message});
  EXPECT_EQ(State(), before);
  EXPECT_EQ(shell.App().RecentFiles().Files(), recent);
}

INSTANTIATE_TEST_SUITE_P(
    Files, FailedOpen,
    ::testing::Values(
        CBadProject{"NotAProject",
                    [](const fs::path& folder) {
                      WriteFileBytes(folder / "kivo_vam.c", "int main(void) { return 0; }\n");
                      WriteFileBytes(folder / "kivo_vam.h", "\n");
                    },
                    4003},
        CBadProject{"MissingHeader",
                    [](const fs::path& folder) {
                      fs::copy_file(SourcePath("examples/demo/kivo_vam.c"), folder / "kivo_vam.c");
                    },
                    4001},
        CBadProject{"Unreadable",
                    [](const fs::path& folder) {
                      ASSERT_EQ(mkfifo((folder / "kivo_vam.c").c_str(), 0600), 0);
                      fs::copy_file(SourcePath("examples/demo/kivo_vam.h"), folder / "kivo_vam.h");
                    },
                    0}),
    [](const auto& row) { return std::string(row.param.name); });

}  // namespace
