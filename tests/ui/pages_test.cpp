// The Processor, Function Set and Engine pages on the real main window: what they show, what they store and what they ask.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QListWidget>
#include <QTest>
#include <QTreeWidget>

#include "project/enginerules.h"
#include "project/projdoc.h"
#include "ui/mainframe.h"
#include "ui/pages.h"
#include "ui/valuebinding.h"
#include "ui/viewcpu.h"
#include "ui/viewengine.h"
#include "ui/viewfset.h"
#include "uitestsupport.h"

namespace {

constexpr const char* kStandardSet = "kivo/kivo_set_std.h";
constexpr const char* kMotionSet = "kivo2/kivo_set_k2_motion.h";

class PagesTest : public ::testing::Test {
 protected:
  void StartWith(const std::string& project = {}) {
    std::vector<std::string> args;
    if (!project.empty())
      args.push_back((shell.Folder() / project).string());
    ASSERT_TRUE(shell.Start(args));
    shell.ports.messages.Clear();
  }
  void StartWithDemo() { StartWith("examples/demo/kivo_vam.c"); }

  CProjDoc& Doc() { return shell.Frame().Doc(); }
  CViewCPU& Cpu() { return *static_cast<CViewCPU*>(shell.Frame().Page(kPageCpu)); }
  CViewFSet& FSet() { return *static_cast<CViewFSet*>(shell.Frame().Page(kPageFSet)); }
  CViewEngine& Engine(int engine) {
    return *static_cast<CViewEngine*>(shell.Frame().Page(engine == 0 ? kPageEngineA : kPageEngineB));
  }
  int Current() { return shell.Frame().CurrentPage(); }
  bool Select(int page) { return shell.Frame().SelectPage(page); }

  // A processor and a system clock every bundled processor can take.
  void ChooseCpu(const std::string& name, const QString& sysClk = "80 MHz") {
    int index = Cpu().CpuList()->findText(QString::fromStdString(name));
    ASSERT_GE(index, 0) << name;
    Cpu().CpuList()->setCurrentIndex(index);
    Cpu().SysClkList()->setEditText(sysClk);
  }
  void ChooseSet(const std::string& relativePath) {
    int index = FSet().SetList()->findText(QString::fromStdString(relativePath));
    ASSERT_GE(index, 0) << relativePath;
    FSet().SetList()->setCurrentIndex(index);
  }
  // Replaces a field's text the way a user does, so its edit signals run.
  static void Type(QWidget* field, const QString& text) {
    if (auto* edit = qobject_cast<QLineEdit*>(field))
      edit->selectAll();
    else if (auto* spin = qobject_cast<QAbstractSpinBox*>(field))
      spin->selectAll();
    QTest::keyClick(field, Qt::Key_Delete);
    QTest::keyClicks(field, text);
  }
  std::vector<int> Ids() const { return shell.ports.messages.Ids(); }
  const CKivoVarValue& Field(int engine, const char* section) {
    const CKivoVarValue* field = FindEngineField(Doc(), engine, section);
    EXPECT_NE(field, nullptr) << section;
    static const CKivoVarValue none;
    return field ? *field : none;
  }
  int EngineFunctions(int engine) {
    int count = 0;
    for (const auto& func : Doc().Functions())
      count += func->engine == engine;
    return count;
  }

  CShell shell;
};

// ---- Processor page

TEST_F(PagesTest, ProcessorThatCollidesIsKeptOnNoAndAppliedOnYes) {
  StartWithDemo();
  ASSERT_EQ(Doc().m_strCpu, "Omiro Q32");
  // Below the limit of either processor, so only the engines collide.
  Cpu().SysClkList()->setEditText("80 MHz");
  std::size_t functions = Doc().Functions().size();
  int onEngineB = EngineFunctions(1);
  ASSERT_GT(onEngineB, 0);

  Cpu().CpuList()->setCurrentIndex(Cpu().CpuList()->findText("Omiro Q31"));
  // The engine-B pages follow the choice before anything is stored.
  EXPECT_FALSE(shell.Frame().IsPageShown(kPageEngineB));
  EXPECT_FALSE(shell.Frame().IsPageShown(kPageChannelsB));

  shell.ports.messages.QueueAnswer(EAnswer::No);
  EXPECT_FALSE(Select(kPageFSet));
  EXPECT_EQ(Ids(), std::vector<int>{4503});
  EXPECT_NE(shell.ports.messages.Messages()[0].text.find(std::to_string(onEngineB) + " functions use"),
            std::string::npos);
  EXPECT_EQ(Current(), kPageCpu);
  EXPECT_EQ(Doc().m_strCpu, "Omiro Q32");
  EXPECT_EQ(Doc().m_cpu.engines, 2);
  EXPECT_EQ(Doc().Functions().size(), functions);

  shell.ports.messages.Clear();
  shell.ports.messages.QueueAnswer(EAnswer::Yes);
  EXPECT_TRUE(Select(kPageFSet));
  EXPECT_EQ(Ids(), std::vector<int>{4503});
  EXPECT_EQ(Doc().m_strCpu, "Omiro Q31");
  EXPECT_EQ(Doc().m_cpu.engines, 1);
  EXPECT_EQ(EngineFunctions(1), 0);
  EXPECT_EQ(Doc().Functions().size(), functions - static_cast<std::size_t>(onEngineB));
  EXPECT_TRUE(Doc().IsModified());
}

TEST_F(PagesTest, ProcessorWithoutCollisionChangesWithoutAQuestion) {
  StartWith();
  ChooseCpu("Vandrel V240");
  EXPECT_TRUE(Select(kPageFSet));
  EXPECT_TRUE(Ids().empty());
  EXPECT_EQ(Doc().m_strCpu, "Vandrel V240");
  EXPECT_EQ(Doc().m_cpu.kivoClkPrescaler, 2);
}

TEST_F(PagesTest, ProcessorPageRefusesClocksItCannotTake) {
  struct CRow {
    const char* name;
    const char* cpu;
    const char* sysClk;
    int message;
  } rows[] = {
      {"unreadable clock", "Vandrel V120", "fast", 4013},
      {"above the maximum of the chosen processor", "Vandrel V120", "140 MHz", 4035},
      {"above the maximum with the processor unchanged", "Generic CPU with Kivo", "151 MHz", 4035},
      {"a clock of zero, which would be written OFF", "Vandrel V120", "0 MHz", 4084},
      {"OFF", "Vandrel V120", "OFF", 4084},
  };
  StartWith();
  for (const CRow& row : rows) {
    SCOPED_TRACE(row.name);
    ASSERT_TRUE(Select(kPageCpu));
    uint32_t sysClk = Doc().m_nSysClk;
    std::string cpu = Doc().m_strCpu;
    ChooseCpu(row.cpu, row.sysClk);
    shell.ports.messages.Clear();
    EXPECT_FALSE(Select(kPageFSet));
    EXPECT_EQ(Ids(), std::vector<int>{row.message});
    EXPECT_EQ(Current(), kPageCpu);
    EXPECT_EQ(Doc().m_nSysClk, sysClk);
    EXPECT_EQ(Doc().m_strCpu, cpu);
    Cpu().SysClkList()->setEditText("80 MHz");
    EXPECT_TRUE(Select(kPageFSet));
  }
}

TEST_F(PagesTest, ClockClashFixedByTheCommandLineIsToldButDoesNotHoldThePage) {
  ASSERT_TRUE(shell.Start({"-CPU=Vandrel V110", "-SYSCLK=150"}));
  shell.ports.messages.Clear();
  ASSERT_FALSE(Cpu().SysClkList()->isEnabled());
  ASSERT_FALSE(Cpu().CpuList()->isEnabled());
  EXPECT_TRUE(Select(kPageFSet));
  EXPECT_EQ(Ids(), std::vector<int>{4035});
  EXPECT_EQ(Doc().m_nSysClk, 150000000u);
}

// A zero clock from the command line is refused, and the page stays free to set one.
TEST_F(PagesTest, ZeroSystemClockOnTheCommandLineIsRefused) {
  ASSERT_TRUE(shell.Start({"-SYSCLK=0"}));
  EXPECT_EQ(Ids(), std::vector<int>{4084});
  EXPECT_NE(Doc().m_nSysClk, 0u);
  EXPECT_TRUE(Cpu().SysClkList()->isEnabled());
}

// Leaving the page must not turn a processor the database lacks into another one.
TEST_F(PagesTest, UnknownProcessorKeepsItsNameWithTheGenericProperties) {
  ASSERT_TRUE(shell.Start({"-CPU=Mystery 9", "-SYSCLK=100"}));
  shell.ports.messages.Clear();
  EXPECT_EQ(Cpu().CpuList()->currentIndex(), -1);
  EXPECT_EQ(Cpu().SelectedCpu().systemClock, 150000000u);
  EXPECT_TRUE(Select(kPageFSet));
  EXPECT_TRUE(Ids().empty());
  EXPECT_EQ(Doc().m_strCpu, "Mystery 9");
}

TEST_F(PagesTest, PeripheralClockIsOfferedAndCheckedOnlyWhereThereIsOne) {
  StartWith();
  ChooseCpu("Omiro Q31");
  QComboBox* ptb = Cpu().PtbClkList();
  EXPECT_FALSE(ptb->isHidden());
  EXPECT_EQ(ptb->currentText(), "OFF");
  ptb->setEditText("100 MHz");
  EXPECT_FALSE(Select(kPageFSet));
  EXPECT_EQ(Ids(), std::vector<int>{4036});
  EXPECT_EQ(Doc().m_strCpu, "");
  ptb->setEditText("60 MHz");
  EXPECT_TRUE(Select(kPageFSet));
  EXPECT_EQ(Doc().m_nPtbClk, 60000000u);

  ASSERT_TRUE(Select(kPageCpu));
  ChooseCpu("Vandrel V120");
  EXPECT_TRUE(ptb->isHidden());
  EXPECT_EQ(ptb->currentText(), "Not Available");
  EXPECT_TRUE(Select(kPageFSet));
  EXPECT_EQ(Doc().m_nPtbClk, 0u);
}

TEST_F(PagesTest, KivoClockFollowsTheTypedClockAndThePrescaler) {
  StartWith();
  ChooseCpu("Vandrel V240");
  EXPECT_EQ(Cpu().KivoClock()->text(), "40 MHz");
  EXPECT_EQ(Cpu().KivoClockLabel()->text(), "Kivo Clock (SysClk/2):");
  EXPECT_EQ(Cpu().SysClkList()->itemText(0), "264 MHz");
  Cpu().CpuList()->setCurrentIndex(Cpu().CpuList()->findText("Vandrel V120"));
  // The typed text survives the rebuilt list.
  EXPECT_EQ(Cpu().SysClkList()->currentText(), "80 MHz");
  EXPECT_EQ(Cpu().KivoClock()->text(), "80 MHz");
  EXPECT_EQ(Cpu().KivoClockLabel()->text(), "Kivo Clock (=SysClk):");
  Cpu().SysClkList()->setEditText("nonsense");
  EXPECT_EQ(Cpu().KivoClock()->text(), "Error");
}

// ---- Function Set page

TEST_F(PagesTest, ChangingTheSetOfAProjectWithFunctionsAsksFirst) {
  StartWithDemo();
  ASSERT_TRUE(Select(kPageFSet));
  const CKivoFSet* motion = Doc().m_pFSet;
  ASSERT_NE(motion, nullptr);
  EXPECT_EQ(FSet().SetList()->currentText(), kMotionSet);
  std::size_t functions = Doc().Functions().size();
  ASSERT_GT(functions, 0u);

  ChooseSet(kStandardSet);
  shell.ports.messages.QueueAnswer(EAnswer::No);
  EXPECT_FALSE(Select(kPageCpu));
  EXPECT_EQ(Ids(), std::vector<int>{4502});
  EXPECT_EQ(Current(), kPageFSet);
  EXPECT_EQ(Doc().m_pFSet, motion);
  EXPECT_EQ(Doc().Functions().size(), functions);

  shell.ports.messages.Clear();
  shell.ports.messages.QueueAnswer(EAnswer::Yes);
  EXPECT_TRUE(Select(kPageCpu));
  EXPECT_EQ(Ids(), std::vector<int>{4502});
  EXPECT_TRUE(Doc().Functions().empty());
  ASSERT_NE(Doc().m_pFSet, nullptr);
  EXPECT_EQ(Doc().m_pFSet->relativePath, kStandardSet);

  // With nothing configured any more, the next change asks nothing.
  ASSERT_TRUE(Select(kPageFSet));
  shell.ports.messages.Clear();
  ChooseSet(kMotionSet);
  EXPECT_TRUE(Select(kPageCpu));
  EXPECT_TRUE(Ids().empty());
  EXPECT_EQ(Doc().m_pFSet, motion);
}

TEST_F(PagesTest, SameSetAgainAsksNothingAndKeepsTheFunctions) {
  StartWithDemo();
  ASSERT_TRUE(Select(kPageFSet));
  std::size_t functions = Doc().Functions().size();
  ChooseSet(kStandardSet);
  ChooseSet(kMotionSet);
  EXPECT_TRUE(Select(kPageCpu));
  EXPECT_TRUE(Ids().empty());
  EXPECT_EQ(Doc().Functions().size(), functions);
}

TEST_F(PagesTest, SetDetailsShowTheChosenSet) {
  StartWithDemo();
  ASSERT_TRUE(Select(kPageFSet));
  const CKivoFSet& set = *Doc().m_pFSet;
  QTreeWidget* table = FSet().FunctionTable();
  ASSERT_GT(table->topLevelItemCount(), 0);
  int position = set.FirstSlot();
  const CKivoFunc* first = set.NextFunc(position);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(table->topLevelItem(0)->text(0), QString::asprintf("%02d:", first->FunctionNumber()));
  EXPECT_EQ(table->topLevelItem(0)->text(1), QString::fromStdString(first->name));
  EXPECT_EQ(table->headerItem()->text(0), "#");
  EXPECT_EQ(table->headerItem()->text(1), "Function");
  EXPECT_EQ(table->headerItem()->text(2), "API");
  // The demo uses the fan-control application, which this set offers.
  EXPECT_GT(FSet().AppList()->count(), 0);
}

// ---- Engine pages

// System clock 80 MHz with a prescaler of 2 gives a Kivo clock of 40 MHz.
TEST_F(PagesTest, EngineDerivesTcr1FromTheKivoClockAndStoresItInTheProject) {
  StartWith();
  ChooseCpu("Vandrel V240");
  ASSERT_TRUE(Select(kPageEngineA));
  CViewEngine& page = Engine(0);
  page.Tcr1Source()->setCurrentIndex(1);
  Type(page.Tcr1Prescaler(), "4");
  EXPECT_EQ(page.Tcr1Input()->text(), "20 MHz");
  EXPECT_EQ(page.Tcr1Freq()->text(), "5 MHz");
  // The project's time base follows its stored settings, not the typing.
  EXPECT_NE(Doc().m_engine[0].tcr1Freq, 5000000u);

  EXPECT_TRUE(Select(kPageCpu));
  EXPECT_TRUE(Ids().empty());
  EXPECT_EQ(Field(0, "TBCR.TCR1P").argument, "4");
  EXPECT_EQ(Doc().m_engine[0].tcr1Freq, 5000000u);
  EXPECT_EQ(DeriveEngine(Doc(), 0).derived.tcr1Freq, 5000000u);
}

// The frequency shown beside a typed prescaler is the one the project holds
// once the page is left: the field reads C integer constants as its store does.
TEST_F(PagesTest, TypedPrescalerShowsTheClockTheProjectWillHold) {
  struct CRow {
    const char* text;
    const char* shown;
    const char* stored;
    uint32_t hz;
  } rows[] = {{"0x10", "1.25 MHz", "16", 1250000}, {"010", "2.5 MHz", "8", 2500000}};
  StartWith();
  ChooseCpu("Vandrel V240");
  for (const CRow& row : rows) {
    SCOPED_TRACE(row.text);
    ASSERT_TRUE(Select(kPageEngineA));
    CViewEngine& page = Engine(0);
    page.Tcr1Source()->setCurrentIndex(1);
    Type(page.Tcr1Prescaler(), row.text);
    EXPECT_EQ(page.Tcr1Freq()->text(), row.shown);
    ASSERT_TRUE(Select(kPageCpu));
    EXPECT_EQ(Field(0, "TBCR.TCR1P").argument, row.stored);
    EXPECT_EQ(Doc().m_engine[0].tcr1Freq, row.hz);
    EXPECT_EQ(DeriveEngine(Doc(), 0).derived.text.tcr1Freq, row.shown);
  }
}

TEST_F(PagesTest, Kivo2GroupsFollowTheProcessor) {
  struct CRow {
    const char* cpu;
    bool shown;
  } rows[] = {{"Omiro Q32", true}, {"Vandrel V120", false}, {"Omiro Q32", true}};
  StartWith();
  for (const CRow& row : rows) {
    SCOPED_TRACE(row.cpu);
    ASSERT_TRUE(Select(kPageCpu));
    ChooseCpu(row.cpu);
    ASSERT_TRUE(Select(kPageEngineA));
    CViewEngine& page = Engine(0);
    EXPECT_EQ(!page.PriorityGroup()->isHidden(), row.shown);
    EXPECT_EQ(!page.WatchdogGroup()->isHidden(), row.shown);
    EXPECT_EQ(!page.ChannelTimingGroup()->isHidden(), row.shown);
    // The Kivo2-only "Bypass" filter mode is offered on a Kivo2 processor only.
    EXPECT_EQ(page.FilterMode()->count(), row.shown ? 4 : 3);
  }
}

TEST_F(PagesTest, RefusedNumberKeepsThePageAndTheEngineUnchanged) {
  struct CRow {
    const char* name;
    const char* text;
    int message;
    EMessageKind kind;
  } rows[] = {
      {"below the bounds", "0", 4072, EMessageKind::Error},
      {"above the bounds", "300", 4072, EMessageKind::Error},
      {"not an integer", "12abc", 4071, EMessageKind::Warning},
  };
  StartWith();
  ASSERT_TRUE(Select(kPageEngineA));
  CViewEngine& page = Engine(0);
  page.Tcr2Source()->setCurrentIndex(0);
  for (const CRow& row : rows) {
    SCOPED_TRACE(row.name);
    CKivoVarValue before = Field(0, "TBCR.TCR1P");
    std::string tcr2Before = Field(0, "TBCR.TCR2CTL").valueName;
    page.Tcr2Source()->setCurrentIndex(4);
    Type(page.Tcr1Prescaler(), row.text);
    shell.ports.messages.Clear();
    EXPECT_FALSE(Select(kPageCpu));
    ASSERT_EQ(Ids(), std::vector<int>{row.message});
    EXPECT_EQ(shell.ports.messages.Messages()[0].kind, row.kind);
    EXPECT_EQ(Current(), kPageEngineA);
    EXPECT_EQ(Field(0, "TBCR.TCR1P").argument, before.argument);
    // The list stored before the refused number is put back too.
    EXPECT_EQ(Field(0, "TBCR.TCR2CTL").valueName, tcr2Before);
  }
  Type(page.Tcr1Prescaler(), "0x10");
  EXPECT_TRUE(Select(kPageCpu));
  EXPECT_EQ(Field(0, "TBCR.TCR1P").argument, "16");
}

// The demo was written without a window, so its prescalers, slots and
// watchdog counts are empty; the pages settle them to their lower bounds.
TEST_F(PagesTest, PagesLeftUntouchedSettleValuesButChangeNothingTheUserMeant) {
  StartWithDemo();
  for (int page : {kPageEngineA, kPageEngineB, kPageFSet, kPageCpu}) {
    SCOPED_TRACE(page);
    ASSERT_TRUE(Select(page));
  }
  EXPECT_TRUE(Ids().empty());
  EXPECT_FALSE(Doc().IsModified());
  std::vector<std::string> settled;
  for (int n = 1; n <= CProjDoc::kCfgMembers; ++n)
    settled.push_back(Doc().CfgMemberText(n));
  EXPECT_EQ(Field(1, "TBCR.TCR1P").argument, "1");
  EXPECT_EQ(Field(1, "WDTR.WDCNT").argument, "0");

  // A second round over the settled values changes nothing at all.
  for (int page : {kPageEngineA, kPageEngineB, kPageCpu}) {
    SCOPED_TRACE(page);
    ASSERT_TRUE(Select(page));
  }
  for (int n = 1; n <= CProjDoc::kCfgMembers; ++n)
    EXPECT_EQ(Doc().CfgMemberText(n), settled[static_cast<std::size_t>(n - 1)]) << n;
  EXPECT_FALSE(Doc().IsModified());

  ASSERT_TRUE(Select(kPageEngineB));
  Engine(1).FilterMode()->setCurrentIndex(2);
  ASSERT_TRUE(Select(kPageCpu));
  EXPECT_EQ(Field(1, "ECR.CDFC").valueName, "HV_KIVO_CDFC_INTEGRATION");
  EXPECT_TRUE(Doc().IsModified());
}

TEST_F(PagesTest, StacClientAndAngleModeFollowTheRules) {
  StartWith();
  ChooseCpu("Vandrel V120");
  ASSERT_TRUE(Select(kPageEngineA));
  CViewEngine& page = Engine(0);
  EXPECT_FALSE(page.Stac1Server()->isEnabled());
  page.Stac1Enable()->setChecked(true);
  EXPECT_TRUE(page.Stac1Server()->isEnabled());
  page.Stac1Client()->setChecked(true);
  EXPECT_FALSE(page.Tcr1Source()->isEnabled());
  EXPECT_FALSE(page.AngleMode()->isEnabled());
  page.Stac1Server()->setChecked(true);
  EXPECT_TRUE(page.AngleMode()->isEnabled());
  page.AngleMode()->setCurrentIndex(1);
  EXPECT_TRUE(page.Stac1Server()->isChecked());
  EXPECT_FALSE(page.Stac1Client()->isEnabled());
  EXPECT_TRUE(Select(kPageCpu));
  EXPECT_EQ(Field(0, "STACCR.REN1").valueName, "HV_KIVO_REN1_ON");
  EXPECT_EQ(Field(0, "STACCR.RSC1").valueName, "HV_KIVO_RSC1_SERVER");
}

TEST_F(PagesTest, TcrclkFieldStandsInForTheInputWhileASourceUsesIt) {
  StartWith();
  ASSERT_TRUE(Select(kPageEngineA));
  CViewEngine& page = Engine(0);
  page.Tcr1Source()->setCurrentIndex(0);
  EXPECT_FALSE(page.Tcr1Tcrclk()->isHidden());
  EXPECT_TRUE(page.Tcr1Input()->isHidden());
  Type(page.Tcr1Tcrclk(), "2 MHz");
  Type(page.Tcr1Prescaler(), "2");
  EXPECT_EQ(page.Tcr1Freq()->text(), "1 MHz");
  EXPECT_TRUE(Select(kPageCpu));
  EXPECT_EQ(Doc().m_engine[0].tcrclkIn, 2000000u);

  ASSERT_TRUE(Select(kPageEngineA));
  Type(page.Tcr1Tcrclk(), "quick");
  shell.ports.messages.Clear();
  EXPECT_FALSE(Select(kPageCpu));
  EXPECT_EQ(Ids(), std::vector<int>{4013});
  EXPECT_EQ(Doc().m_engine[0].tcrclkIn, 2000000u);
}

TEST_F(PagesTest, HighlightedValueLocksItsControl) {
  StartWith();
  const_cast<CKivoVarValue&>(Field(0, "TBCR.AM")).highlight = 1;
  ASSERT_TRUE(Select(kPageEngineA));
  CViewEngine& page = Engine(0);
  EXPECT_FALSE(page.AngleMode()->isEnabled());
  std::vector<QWidget*> locked = page.LockedControls();
  EXPECT_EQ(locked, std::vector<QWidget*>{page.AngleMode()});
  // A change elsewhere refreshes the states and keeps it locked.
  page.Stac1Enable()->setChecked(!page.Stac1Enable()->isChecked());
  EXPECT_FALSE(page.AngleMode()->isEnabled());
}

// ---- Labels as a screen reader finds them

TEST_F(PagesTest, LabelledControlsHaveTheirLabelsAsBuddies) {
  StartWithDemo();
  struct CRow {
    int page;
    const char* label;
  } rows[] = {
      {kPageCpu, "&Target CPU:"},
      {kPageCpu, "&System clock:"},
      {kPageFSet, "Kivo Function &Set to be used"},
      {kPageFSet, "Image &Functions:"},
      {kPageFSet, "Kivo &Applications Available for this Image"},
      {kPageEngineA, "&Clock Source:"},
      {kPageEngineA, "P&rescaler:"},
      {kPageEngineA, "D&igital filter sample rate:"},
      {kPageEngineA, "Detect pulses from width:"},
      {kPageEngineA, "Count:"},
  };
  for (const CRow& row : rows) {
    SCOPED_TRACE(row.label);
    QLabel* found = nullptr;
    for (QLabel* label : shell.Frame().Page(row.page)->findChildren<QLabel*>())
      if (label->text() == row.label)
        found = label;
    ASSERT_NE(found, nullptr);
    EXPECT_NE(found->buddy(), nullptr);
  }
  EXPECT_NE(Cpu().KivoClockLabel()->buddy(), nullptr);
}

}  // namespace
