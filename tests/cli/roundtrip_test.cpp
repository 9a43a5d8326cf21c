// kivovam-cli on projects damaged by hand and on projects it made itself: what
// the open cannot read is a numbered warning and is never dropped, and what
// generate writes, check and generate read back unchanged.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <nlohmann/json.hpp>

#include "common/damagedproject.h"
#include "common/runprocess.h"
#include "common/testsupport.h"

namespace {

namespace fs = std::filesystem;
using nlohmann::json;

const std::string kCli = KV_BIN_DIR "/kivovam-cli";

// The stamp the sample project and the damaged copies of it carry.
class CDemoEpoch {
 public:
  CDemoEpoch() { setenv("SOURCE_DATE_EPOCH", "1796733629", 1); }
  ~CDemoEpoch() { unsetenv("SOURCE_DATE_EPOCH"); }
};

CProcessResult Cli(std::vector<std::string> args) {
  args.insert(args.begin(), {"--conf", SourcePath("conf").string(), "--fsets", SourcePath("fsets").string()});
  return RunProcess(kCli, args);
}

json Report(const CProcessResult& result) {
  json report = json::parse(result.out, nullptr, false);
  EXPECT_TRUE(report.is_object()) << result.out << result.err;
  return report.is_object() ? report : json::object();
}

std::vector<int> Ids(const json& report) {
  std::vector<int> ids;
  for (const json& message : report["messages"])
    ids.push_back(message["id"]);
  return ids;
}

std::string Texts(const json& report) {
  std::string texts;
  for (const json& message : report["messages"])
    texts += message["text"].get<std::string>() + "\n";
  return texts;
}

// The sample project with one damage, in a scratch folder.
struct CDamaged {
  explicit CDamaged(const std::string& name) {
    WriteDamagedDemo(name, dir.Path());
    for (const char* file : {"kivo_vam.c", "kivo_vam.h"})
      original.push_back(ReadFileBytes(dir / file));
  }
  std::string Project() const { return dir.Path().string(); }
  bool Unchanged() const {
    return ReadFileBytes(dir / "kivo_vam.c") == original[0] && ReadFileBytes(dir / "kivo_vam.h") == original[1];
  }
  CTempDir dir;
  std::vector<std::string> original;
};

TEST(DamagedProject, WhatTheOpenCannotReadIsAWarningAndAForcedSaveKeepsIt) {
  struct CRow {
    const char* name;
    std::vector<int> ids;                // the warnings of the open
    std::vector<std::string> phrases;    // what they must say
    bool keptWhole;                      // a forced save gives the damaged files back byte for byte
  };
  const CRow rows[] = {
      {"short_call", {4080}, {"'hv_kivo_pwm_init_edge' on line 139 has 6 arguments where 7 are expected"}, true},
      {"unbalanced",
       {4081, 4081},
       {"'hv_kivo_dtpwm_init_adjacent' on line 165", "'hv_kivo_qd_init' on line 189"},
       true},
      {"missing_set", {4082}, {"'kivo2/kivo_set_k2_retired.h' is not in the function-set folder"}, true},
      {"unknown_cpu", {4083}, {"The processor 'Omiro Q99' is not in the processor database"}, true},
      {"zero_sysclk", {4084}, {"A system clock of 0 Hz (OFF) is refused"}, false},
  };
  CDemoEpoch epoch;
  for (const CRow& row : rows) {
    SCOPED_TRACE(row.name);
    CDamaged damaged(row.name);
    CProcessResult shown = Cli({"--json", "show", damaged.Project()});
    ASSERT_EQ(shown.exitCode, 0) << shown.err;
    json opened = Report(shown);
    EXPECT_EQ(Ids(opened), row.ids);
    for (const std::string& phrase : row.phrases)
      EXPECT_NE(Texts(opened).find(phrase), std::string::npos) << phrase << "\n" << Texts(opened);

    CProcessResult checked = Cli({"--quiet", "check", damaged.Project()});
    EXPECT_EQ(checked.exitCode, 1);
    CProcessResult refused = Cli({"--quiet", "generate", damaged.Project()});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_TRUE(damaged.Unchanged());

    CProcessResult forced = Cli({"--quiet", "generate", damaged.Project(), "--force"});
    ASSERT_EQ(forced.exitCode, 0) << forced.err;
    EXPECT_EQ(damaged.Unchanged(), row.keptWhole);
    // What was saved reads back with the same warnings: the damage is still
    // there to be mended, and nothing else was lost on the way.
    CProcessResult reread = Cli({"--json", "show", damaged.Project()});
    EXPECT_EQ(Ids(Report(reread)), row.keptWhole ? row.ids : std::vector<int>{});
  }
}

// The call that could not be read still holds its instance's number: the
// second PWM stays PWM1, so PWM1_OUTPUT keeps meaning channel 1 and
// PWM0_OUTPUT, which the kept call names, keeps its define.
TEST(DamagedProject, AKeptCallKeepsTheNamesOfTheInstancesAfterIt) {
  CDamaged damaged("short_call");
  json model = Report(Cli({"--json", "--quiet", "show", damaged.Project()}));
  std::vector<std::string> defines;
  for (const json& func : model["functions"])
    if (func["function"] == "PWM")
      for (const json& channel : func["channels"])
        defines.push_back(func["instance"].get<std::string>() + " " + channel["define"].get<std::string>());
  EXPECT_EQ(defines, std::vector<std::string>{"PWM1 PWM1_OUTPUT"});
}

TEST(RoundTrip, AZeroSystemClockIsRefusedOnTheCommandLine) {
  CTempDir dir;
  const std::string out = (dir / "p.c").string();
  for (const char* zero : {"-SYSCLK=0", "-SYSCLK=OFF", "-SYSCLK=0.0000001"}) {
    SCOPED_TRACE(zero);
    CProcessResult result = Cli({zero, "new", "-o", out});
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_NE(result.err.find("0 Hz (OFF) is refused"), std::string::npos) << result.err;
    EXPECT_FALSE(fs::exists(out));
  }
}

// One project per processor, each with another set, other functions and
// applications on both engines and other clocks: what new writes, generate
// reads without a warning and writes again byte for byte.
TEST(RoundTrip, ProjectsMadeByNewComeBackUnchangedThroughGenerate) {
  json kb = Report(Cli({"--json", "kb"}));
  ASSERT_FALSE(kb["cpus"].empty());
  ASSERT_FALSE(kb["sets"].empty());
  CDemoEpoch epoch;
  CTempDir dir;
  for (std::size_t i = 0; i < kb["cpus"].size(); ++i) {
    const json& cpu = kb["cpus"][i];
    const json& set = kb["sets"][i % kb["sets"].size()];
    std::vector<std::string> names;
    for (const json& slot : set["slots"])
      if (slot.is_string())
        names.push_back(slot);
    for (const json& app : kb["apps"]) {
      bool available = true;
      for (const json& used : app["usedFunctions"])
        available &= std::find(names.begin(), names.end(), used.get<std::string>()) != names.end();
      if (available)
        names.push_back(app["name"]);
    }
    ASSERT_FALSE(names.empty());
    std::vector<std::string> args = {"--json", "-CPU=" + cpu["name"].get<std::string>()};
    // The processor's own maximum, an odd clock below it, a clock in hertz and one in kilohertz.
    const uint64_t maxHz = cpu["systemClock"];
    const std::string clocks[] = {"", std::to_string(maxHz * 37 / 100 + 1) + " Hz", "999 Hz", "1.5 kHz"};
    if (!clocks[i % 4].empty())
      args.push_back("-SYSCLK=" + clocks[i % 4]);
    if (cpu["peripheralTimebaseAvailable"] == true)
      args.push_back("-PTBCLK=" + std::to_string(cpu["peripheralTimebaseClock"].get<uint64_t>() * 2 / 3) + " Hz");
    const fs::path folder = dir / fs::path(std::to_string(i));
    fs::create_directory(folder);
    args.insert(args.end(), {"new", "-o", folder.string(), "--fset", set["path"]});
    // Two functions on each engine, sixteen channels apart: room for the widest application.
    const std::size_t engines = cpu["engines"];
    for (std::size_t f = 0; f < 2 * engines; ++f) {
      const std::string& name = names[(i + f) % names.size()];
      args.push_back("--add");
      args.push_back(name + (f % engines == 1 ? "@B:" : "@A:") + std::to_string(f / engines * 16));
    }
    SCOPED_TRACE(::testing::PrintToString(args));
    CProcessResult made = Cli(args);
    ASSERT_EQ(made.exitCode, 0) << made.out << made.err;
    const std::string source = ReadFileBytes(folder / "kivo_vam.c");
    const std::string header = ReadFileBytes(folder / "kivo_vam.h");

    CProcessResult shown = Cli({"--json", "show", folder.string()});
    EXPECT_EQ(Report(shown)["messages"], json::array()) << "the open warns about nothing";
    json checkedBefore = Report(Cli({"--json", "check", folder.string()}));
    CProcessResult generated = Cli({"--json", "generate", folder.string()});
    EXPECT_EQ(generated.exitCode, 0) << generated.out;
    EXPECT_EQ(Report(generated)["messages"], json::array());
    EXPECT_EQ(ReadFileBytes(folder / "kivo_vam.c"), source);
    EXPECT_EQ(ReadFileBytes(folder / "kivo_vam.h"), header);
    // The check finds on the regenerated files what it found on the new ones, no more.
    EXPECT_EQ(Report(Cli({"--json", "check", folder.string()})), checkedBefore);
  }
}

}  // namespace
