// The problems list over the sample project with hand edits: where each kind of finding leads, the open's warnings, and a listing that leaves the project as it was.
#include "project/problems.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <ostream>

#include "bundledkb.h"
#include "common/damagedproject.h"
#include "common/testsupport.h"
#include "project/notesmodel.h"
#include "project/projdoc.h"

void PrintTo(const CFindingTarget& target, std::ostream* out) {
  *out << "{kind " << target.kind << ", engine " << target.engine << ", channels [";
  for (int channel : target.channels)
    *out << ' ' << channel;
  *out << " ], clock " << target.clock << ", section '" << target.section << "', function " << target.function << '}';
}

namespace {

CFindingTarget Clock(int clock) {
  CFindingTarget target;
  target.kind = CFindingTarget::kClock;
  target.clock = clock;
  return target;
}

CFindingTarget Rows(int engine, std::vector<int> channels) {
  CFindingTarget target;
  target.kind = CFindingTarget::kChannel;
  target.engine = engine;
  target.channels = std::move(channels);
  return target;
}

CFindingTarget Field(int engine, const char* section) {
  CFindingTarget target;
  target.kind = CFindingTarget::kEngineValue;
  target.engine = engine;
  target.section = section;
  return target;
}

CFindingTarget Load(int engine, int function) {
  CFindingTarget target;
  target.kind = CFindingTarget::kLoad;
  target.engine = engine;
  target.function = function;
  return target;
}

struct CEdit {
  const char* file;
  const char* from;
  const char* to;
};

struct CExpected {
  int id;
  CFindingTarget target;
  bool operator==(const CExpected&) const = default;
};

void PrintTo(const CExpected& expected, std::ostream* out) {
  *out << expected.id << ' ';
  PrintTo(expected.target, out);
}

class ProblemsTest : public CBundledKbTest {
 protected:
  // The sample project with `edits` made, opened; what the open showed is kept in `opened`.
  bool OpenSample(const std::vector<CEdit>& edits) {
    for (const char* name : {"kivo_vam.c", "kivo_vam.h"})
      std::filesystem::remove(dir / name);
    CopySampleProject(dir.Path());
    for (const CEdit& edit : edits) {
      std::string text = ReadFileBytes(dir / edit.file);
      std::size_t at = text.find(edit.from);
      if (at == std::string::npos)
        return false;
      WriteFileBytes(dir / edit.file, text.replace(at, std::string(edit.from).size(), edit.to));
    }
    return Open();
  }

  bool Open() {
    ports.messages.Clear();
    bool read = doc.OnOpenDocument((dir / "kivo_vam.c").string());
    opened = ports.messages.Messages();
    ports.messages.Clear();
    return read;
  }

  std::vector<CExpected> Found() {
    std::vector<CExpected> found;
    for (const CProjectProblem& problem : ListProjectProblems(doc, opened))
      found.push_back({problem.id, problem.target});
    return found;
  }

  CTempDir dir;
  CRecordedPorts ports;
  CNotesModel notes;
  CProjDoc doc{*s_kb, nullptr, &notes};
  std::vector<CMessage> opened;
};

// The sample's functions in list order: PWM0 A0, PWM1 A1, DTPWM0 A4-5, ADCTRIG0
// A8, QD0 B0-1, UART0 B4-5, GPIO0 B8, HALL0 B9, APP_FAN_CONTROL0 B12-13.
TEST_F(ProblemsTest, EachFindingLeadsToWhereItsCauseIsShown) {
  struct CRow {
    const char* name;
    std::vector<CEdit> edits;
    std::vector<CExpected> expected;
  };
  const CRow rows[] = {
      {"the sample as it is", {}, {}},
      {"a system clock above the processor's", {{"kivo_vam.c", "SYSCLK         = 150 MHz", "SYSCLK         = 400 MHz"}},
       {{4035, Clock(0)}}},
      {"a peripheral clock above the processor's",
       {{"kivo_vam.c", "PTBCLK         = OFF", "PTBCLK         = 100 MHz"}},
       {{4036, Clock(1)}}},
      {"two functions on one channel: the rows of both",
       {{"kivo_vam.h", "PWM1_OUTPUT\tKIVO_ENGINE_A_CHANNEL(1)", "PWM1_OUTPUT\tKIVO_ENGINE_A_CHANNEL(5)"}},
       {{4020, Rows(0, {4, 5})}}},
      {"two functions on one channel of engine B",
       {{"kivo_vam.h", "HALL0\tKIVO_ENGINE_B_CHANNEL(9)", "HALL0\tKIVO_ENGINE_B_CHANNEL(8)"}},
       {{4020, Rows(1, {8})}}},
      {"one function twice on a channel",
       {{"kivo_vam.h", "QD0_PHASE_B\tKIVO_ENGINE_B_CHANNEL(1)", "QD0_PHASE_B\tKIVO_ENGINE_B_CHANNEL(0)"}},
       {{4037, Rows(1, {0})}}},
      {"a trigger naming a channel no function defines: the trigger's row",
       {{"kivo_vam.c", "DTPWM0_HIGH,\t/* pwm_dtpwm_chan", "DTPWM7_HIGH,\t/* pwm_dtpwm_chan"}},
       {{0, Rows(0, {8})}}},
      {"a load input of engine A that does not read", {{"kivo_vam.c", "duty_updates=1000;", "duty_updates=lots;"}},
       {{4042, Load(0, 0)}}},
      {"a load input of engine B that does not read", {{"kivo_vam.c", "speed=3000;", "speed=fast;"}},
       {{4042, Load(1, 4)}}},
      {"a one-engine processor without the STAC bus that engine A uses",
       {{"kivo_vam.c", "CPU            = Omiro Q32", "CPU            = Pelisk P6"},
        {"kivo_vam.c", "HV_KIVO_REN1_OFF\t", "HV_KIVO_REN1_ON\t"}},
       {{4504, CFindingTarget()}, {4505, Field(0, "STACCR.REN1")}}},
  };
  for (const CRow& row : rows) {
    SCOPED_TRACE(row.name);
    ASSERT_TRUE(OpenSample(row.edits));
    EXPECT_EQ(opened.size(), 0u) << (opened.empty() ? "" : opened.front().text);
    EXPECT_EQ(Found(), row.expected);
  }
}

TEST_F(ProblemsTest, TheOpensWarningsComeFirstAsTheyWereShown) {
  WriteDamagedDemo("unknown_cpu", dir.Path());
  ASSERT_TRUE(Open());
  ASSERT_FALSE(opened.empty());
  opened.push_back({4074, EMessageKind::Question, "a question is no problem"});
  opened.push_back({0, EMessageKind::Information, "nor is a note"});
  std::vector<CProjectProblem> problems = ListProjectProblems(doc, opened);
  ASSERT_EQ(problems.size(), opened.size() - 2);
  for (std::size_t i = 0; i < problems.size(); ++i) {
    EXPECT_TRUE(problems[i].fromOpen);
    EXPECT_EQ(problems[i].id, opened[i].id);
    EXPECT_EQ(problems[i].kind, opened[i].kind);
    EXPECT_EQ(problems[i].text, opened[i].text);
    EXPECT_EQ(problems[i].target, CFindingTarget());
  }
  // A finding follows them, found by the check.
  doc.m_nSysClk = 900000000;
  problems = ListProjectProblems(doc, opened);
  ASSERT_EQ(problems.size(), opened.size() - 1);
  EXPECT_FALSE(problems.back().fromOpen);
  EXPECT_EQ(problems.back().id, 4035);
}

// A view lists the problems on every change: the listing may not show,
// ask, mark the project modified, add an undo step or keep loads of its own.
TEST_F(ProblemsTest, ListingLeavesTheProjectAsItWas) {
  ASSERT_TRUE(OpenSample({{"kivo_vam.c", "speed=3000;", "speed=fast;"},
                          {"kivo_vam.c", "CPU            = Omiro Q32", "CPU            = Pelisk P6"},
                          {"kivo_vam.c", "HV_KIVO_REN1_OFF\t", "HV_KIVO_REN1_ON\t"},
                          {"kivo_vam.c", "SYSCLK         = 150 MHz", "SYSCLK         = 400 MHz"}}));
  ASSERT_TRUE(doc.SetVerbatim("/* an edit to undo */\r\n"));
  // Loads the project holds that a fresh evaluation would not give.
  std::vector<double> loads;
  for (const auto& func : doc.Functions())
    for (const auto& chan : func->channels)
      loads.push_back(chan->load = 42.0 + static_cast<double>(loads.size()));
  const std::string source = ReadFileBytes(dir / "kivo_vam.c");
  const std::string undo = doc.UndoName();
  ASSERT_FALSE(undo.empty());

  std::vector<CProjectProblem> problems = ListProjectProblems(doc, opened);
  EXPECT_EQ(problems.size(), 4u);
  EXPECT_EQ(ports.messages.Messages().size(), 0u);
  EXPECT_TRUE(doc.IsModified());
  EXPECT_EQ(doc.UndoName(), undo);
  EXPECT_FALSE(doc.CanRedo());
  std::vector<double> after;
  for (const auto& func : doc.Functions())
    for (const auto& chan : func->channels)
      after.push_back(chan->load);
  EXPECT_EQ(after, loads);
  EXPECT_EQ(doc.Functions().size(), 9u) << "the functions of engine B stay";
  EXPECT_EQ(doc.m_nSysClk, 400000000u);
  EXPECT_EQ(ReadFileBytes(dir / "kivo_vam.c"), source);
}

TEST(ProblemTexts, CountAndRow) {
  EXPECT_EQ(ProblemCountText(0), "No problems");
  EXPECT_EQ(ProblemCountText(1), "1 problem");
  EXPECT_EQ(ProblemCountText(12), "12 problems");
  EXPECT_EQ(ProblemRowText("Error in 'PWM' load expression:\n\tdivision by zero\r\n"),
            "Error in 'PWM' load expression: division by zero");
}

}  // namespace
