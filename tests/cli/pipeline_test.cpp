// kivovam-cli in a build pipeline: refusals that leave the files alone, check's verdicts, special targets, the JSON of a failure and reproducible bytes.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <nlohmann/json.hpp>

#include "common/runprocess.h"
#include "common/testsupport.h"

namespace {

namespace fs = std::filesystem;
using nlohmann::json;

const std::string kCli = KV_BIN_DIR "/kivovam-cli";

CProcessResult Cli(std::vector<std::string> args, const std::string& conf = SourcePath("conf").string(),
                   const std::string& fsets = SourcePath("fsets").string()) {
  args.insert(args.begin(), {"--conf", conf, "--fsets", fsets});
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

void Replace(const fs::path& file, const std::string& from, const std::string& to) {
  std::string text = ReadFileBytes(file);
  std::size_t at = text.find(from);
  ASSERT_NE(at, std::string::npos) << from;
  WriteFileBytes(file, text.replace(at, from.size(), to));
}

// A copy of the sample project, broken the way a row says.
class CBrokenDemo {
 public:
  CBrokenDemo() {
    CopySampleProject(dir.Path());
    fs::create_directory(dir / "conf");
    for (const auto& entry : fs::directory_iterator(SourcePath("conf")))
      fs::copy_file(entry.path(), dir / "conf" / entry.path().filename());
    fs::create_directory(dir / "nofsets");
  }
  std::string Project() const { return dir.Path().string(); }
  std::string Conf() const { return (dir / "conf").string(); }
  CTempDir dir;
};

struct CBreak {
  const char* name;
  std::function<void(CBrokenDemo&)> apply;
  bool useEmptyFsets;
};

const CBreak kBreaks[] = {
    {"function set folder without the set", [](CBrokenDemo&) {}, true},
    {"renamed channel define",
     [](CBrokenDemo& demo) { Replace(demo.dir / "kivo_vam.h", "#define QD0_PHASE_A", "#define QD0_PHASE_X"); },
     false},
    {"empty engine description", [](CBrokenDemo& demo) { WriteFileBytes(demo.dir / "conf" / "kivocfg.ini", ""); },
     false},
};

CProcessResult RunOn(const CBrokenDemo& demo, const CBreak& row, std::vector<std::string> args) {
  std::string fsets = row.useEmptyFsets ? (demo.dir / "nofsets").string() : SourcePath("fsets").string();
  return Cli(std::move(args), demo.Conf(), fsets);
}

TEST(CliPipeline, GenerateOfAProjectWhoseOpenWarnedWritesNothing) {
  for (const CBreak& row : kBreaks) {
    SCOPED_TRACE(row.name);
    CBrokenDemo demo;
    row.apply(demo);
    const std::string source = ReadFileBytes(demo.dir / "kivo_vam.c");
    const std::string header = ReadFileBytes(demo.dir / "kivo_vam.h");
    CProcessResult refused = RunOn(demo, row, {"--json", "generate", demo.Project()});
    EXPECT_EQ(refused.exitCode, 1) << refused.err;
    EXPECT_EQ(ReadFileBytes(demo.dir / "kivo_vam.c"), source);
    EXPECT_EQ(ReadFileBytes(demo.dir / "kivo_vam.h"), header);
    json report = Report(refused);
    EXPECT_EQ(report["ok"], false);
    EXPECT_EQ(report["source"], (demo.dir / "kivo_vam.c").string());
    ASSERT_FALSE(report["messages"].empty());
    EXPECT_EQ(report["messages"].back()["kind"], "error");
    EXPECT_EQ(report["messages"].back()["id"], 0);

    CProcessResult checked = RunOn(demo, row, {"--quiet", "check", demo.Project()});
    EXPECT_EQ(checked.exitCode, 1);
    EXPECT_EQ(checked.err, "") << "--quiet";

    CProcessResult forced = RunOn(demo, row, {"--quiet", "generate", demo.Project(), "--force"});
    EXPECT_EQ(forced.exitCode, 0) << forced.err;
  }
}

TEST(CliPipeline, CheckPassesTheSampleAndFailsEachBrokenProject) {
  CProcessResult clean = Cli({"--json", "check", SourcePath("examples/demo").string()});
  EXPECT_EQ(clean.exitCode, 0) << clean.out;
  EXPECT_EQ(Report(clean), (json{{"ok", true}, {"messages", json::array()}}));

  struct CRow {
    const char* name;
    const char* file;
    const char* from;
    const char* to;
    std::vector<int> ids;
  };
  const CRow rows[] = {
      {"functions on engine B of a one-engine processor", "kivo_vam.c", "CPU            = Omiro Q32",
       "CPU            = Pelisk P6", {4504}},
      {"two functions on one channel", "kivo_vam.h", "PWM1_OUTPUT\tKIVO_ENGINE_A_CHANNEL(1)",
       "PWM1_OUTPUT\tKIVO_ENGINE_A_CHANNEL(0)", {4020}},
      {"a trigger naming a channel no function defines", "kivo_vam.c",
       "DTPWM0_HIGH,\t/* pwm_dtpwm_chan", "DTPWM7_HIGH,\t/* pwm_dtpwm_chan", {0}},
      {"a load input that does not read", "kivo_vam.c", "speed=3000;", "speed=fast;", {4042}},
      {"the MISC check its function set presumes, switched off by hand", "kivo_vam.c", "HV_KIVO_SCMMISEN_ENABLED",
       "HV_KIVO_SCMMISEN_DISABLED", {4097}},
  };
  for (const CRow& row : rows) {
    SCOPED_TRACE(row.name);
    CBrokenDemo demo;
    Replace(demo.dir / row.file, row.from, row.to);
    CProcessResult result = Cli({"--json", "check", demo.Project()}, demo.Conf());
    EXPECT_EQ(result.exitCode, 1);
    json report = Report(result);
    EXPECT_EQ(report["ok"], false);
    EXPECT_EQ(Ids(report), row.ids) << result.out;
  }
}

// A refused processor collision stops generate too: the desktop program asks 4503 before it saves.
TEST(CliPipeline, GenerateAsksBeforeDroppingFunctionsTheProcessorCannotRun) {
  CBrokenDemo demo;
  Replace(demo.dir / "kivo_vam.c", "CPU            = Omiro Q32", "CPU            = Pelisk P6");
  const std::string source = ReadFileBytes(demo.dir / "kivo_vam.c");
  CProcessResult no = Cli({"--json", "generate", demo.Project()}, demo.Conf());
  EXPECT_EQ(no.exitCode, 1);
  EXPECT_EQ(Ids(Report(no)), (std::vector<int>{4503, 0}));
  EXPECT_EQ(ReadFileBytes(demo.dir / "kivo_vam.c"), source);

  CProcessResult yes = Cli({"--quiet", "--answer", "yes", "generate", demo.Project()}, demo.Conf());
  EXPECT_EQ(yes.exitCode, 0) << yes.err;
  EXPECT_EQ(ReadFileBytes(demo.dir / "kivo_vam.c").find("KIVO_ENGINE_B"), std::string::npos);
  EXPECT_EQ(Cli({"--quiet", "check", demo.Project()}, demo.Conf()).exitCode, 0);
}

// A new project takes what its set presumes; a project that contradicts it is
// written as it stands, the contradiction left to check to report.
TEST(CliPipeline, NewTakesThePresumedSettingsAndGenerateKeepsAContradiction) {
  CTempDir dir;
  const std::string made = (dir / "made.c").string();
  ASSERT_EQ(Cli({"--quiet", "-CPU=Omiro Q31", "new", "--fset", "kivo2/kivo_set_k2_motion.h", "-o", made}).exitCode, 0);
  const std::string text = ReadFileBytes(dir / "made.c");
  for (const char* value : {"HV_KIVO_SCMMISEN_ENABLED", "HV_KIVO_ETB_BASE(2048)", "HV_KIVO_SPPDIS_OFF",
                            "HV_KIVO_TCR2CTL_KIVO_DIV8"})
    EXPECT_NE(text.find(value), std::string::npos) << value;
  EXPECT_EQ(Cli({"--quiet", "check", made}).exitCode, 0);

  for (const char* name : {"kivo_vam.c", "kivo_vam.h"})
    std::filesystem::copy_file(FixturePath("project/presumed/contradicts") / name, dir / name);
  const std::string project = (dir / "kivo_vam.c").string();
  CProcessResult generated = Cli({"--json", "generate", project});
  EXPECT_EQ(generated.exitCode, 0) << generated.out;
  EXPECT_NE(ReadFileBytes(dir / "kivo_vam.c").find("HV_KIVO_SCMMISEN_DISABLED"), std::string::npos);
  CProcessResult checked = Cli({"--json", "check", project});
  EXPECT_EQ(checked.exitCode, 1);
  EXPECT_EQ(Ids(Report(checked)), (std::vector<int>{4097, 4097}));
}

TEST(CliPipeline, NewRefusesAnExistingProjectAndEngineBOfAOneEngineProcessor) {
  CTempDir dir;
  const std::string out = (dir / "p.c").string();
  ASSERT_EQ(Cli({"--quiet", "new", "-o", out}).exitCode, 0);
  const std::string first = ReadFileBytes(out);
  CProcessResult again = Cli({"--json", "new", "-o", out, "--fset", "kivo/kivo_set_std.h"});
  EXPECT_EQ(again.exitCode, 1);
  EXPECT_EQ(ReadFileBytes(out), first);
  EXPECT_NE(Report(again)["messages"][0]["text"].get<std::string>().find("--force"), std::string::npos);
  EXPECT_EQ(Cli({"--quiet", "new", "-o", out, "--force"}).exitCode, 0);

  const std::string single = (dir / "single.c").string();
  CProcessResult engineB = Cli({"--json", "-CPU=Vandrel V110", "new", "-o", single, "--fset",
                                "kivo/kivo_set_std.h", "--add", "QD@B:0"});
  EXPECT_EQ(engineB.exitCode, 1);
  EXPECT_FALSE(fs::exists(single));
  json report = Report(engineB);
  EXPECT_EQ(report["ok"], false);
  EXPECT_EQ(report["source"], single);
  EXPECT_EQ(report["header"], (dir / "single.h").string());
  EXPECT_EQ(Ids(report), std::vector<int>{0});
}

TEST(CliPipeline, SpecialFilesAreRefusedAndLinksWrittenThrough) {
  CTempDir dir;
  const std::string fifo = (dir / "pipe.c").string();
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  CProcessResult special = Cli({"--json", "new", "-o", fifo, "--force"});
  EXPECT_EQ(special.exitCode, 1);
  EXPECT_TRUE(fs::is_fifo(fifo));
  EXPECT_FALSE(fs::exists(dir / "pipe.h"));
  json report = Report(special);
  ASSERT_EQ(Ids(report), std::vector<int>{0});
  EXPECT_NE(report["messages"][0]["text"].get<std::string>().find(fifo), std::string::npos);

  // A link is written through; its header is the one beside the link, by the
  // link's name, since the folder of the link's target is not the project's.
  fs::create_directory(dir / "firmware");
  fs::create_symlink("firmware/board.c", dir / "kivo_vam.c");
  CProcessResult linked =
      Cli({"--json", "new", "-o", dir.Path().string(), "--force", "--fset", "kivo/kivo_set_std.h"});
  ASSERT_EQ(linked.exitCode, 0) << linked.err;
  EXPECT_TRUE(fs::is_symlink(dir / "kivo_vam.c"));
  EXPECT_EQ(Report(linked)["header"], (dir / "kivo_vam.h").string());
  EXPECT_NE(ReadFileBytes(dir / "firmware" / "board.c").find("#include \"kivo_vam.h\""), std::string::npos);
  EXPECT_FALSE(fs::exists(dir / "firmware" / "board.h"));
  EXPECT_EQ(Cli({"--quiet", "generate", dir.Path().string()}).exitCode, 0);
}

TEST(CliPipeline, FailuresKeepTheirJsonKeys) {
  CTempDir dir;
  const std::string missing = (dir / "none.c").string();
  struct CRow {
    const char* name;
    std::vector<std::string> args;
    int exitCode;
    json keys;  // the expected values of these keys; "messages" is checked apart
  };
  const CRow rows[] = {
      {"generate of a missing project", {"generate", missing}, 1,
       {{"source", missing}, {"header", (dir / "none.h").string()}, {"ok", false}}},
      {"notes of a missing project", {"notes", missing}, 1, {{"html", nullptr}}},
      {"check of a missing project", {"check", missing}, 1, {{"ok", false}}},
      {"an unknown set", {"new", "-o", (dir / "n.c").string(), "--fset", "none.h"}, 1, {{"ok", false}}},
      {"kb without its configuration folder", {"--conf", (dir / "noconf").string(), "kb"}, 3,
       {{"cpus", nullptr}, {"sets", nullptr}}},
      {"a usage error", {"generate"}, 2, {{"error", "generate takes one PROJECT and an optional -o OUT"}}},
      {"a clock that does not read", {"-SYSCLK=garbage", "kb"}, 2, json::object()},
      {"an unknown processor for a new project", {"-CPU=Nope", "new", "-o", (dir / "n.c").string()}, 2,
       json::object()},
  };
  for (const CRow& row : rows) {
    SCOPED_TRACE(row.name);
    std::vector<std::string> args = {"--json", "--quiet"};
    args.insert(args.end(), row.args.begin(), row.args.end());
    CProcessResult result = Cli(args);
    EXPECT_EQ(result.exitCode, row.exitCode) << result.err;
    EXPECT_EQ(result.err, "") << "--quiet";
    json report = Report(result);
    for (const auto& [key, value] : row.keys.items())
      EXPECT_EQ(report[key], value) << key;
    ASSERT_TRUE(report["messages"].is_array());
    if (row.exitCode == 2) {
      EXPECT_TRUE(report["error"].is_string());
      EXPECT_TRUE(report["messages"].empty());
    } else {
      EXPECT_FALSE(report["messages"].empty());
    }
  }
}

TEST(CliPipeline, CommandLineValuesAreCheckedBeforeAnythingRuns) {
  CTempDir dir;
  const std::string out = (dir / "p.c").string();
  for (const char* bad : {"-SYSCLK=garbage", "-SYSCLK=-5", "-SYSCLK=4295", "-PTBCLK=1e30", "-SYSCLK=150 MHzx"}) {
    CProcessResult result = Cli({bad, "new", "-o", out});
    EXPECT_EQ(result.exitCode, 2) << bad;
    EXPECT_FALSE(fs::exists(out)) << bad;
  }
  CProcessResult unknown = Cli({"-CPU=Nope", "new", "-o", out});
  EXPECT_EQ(unknown.exitCode, 2);
  EXPECT_NE(unknown.err.find("Omiro Q32"), std::string::npos) << "lists the processors";
  // An opened project keeps a name the database does not know, as the desktop program does.
  CProcessResult opened = Cli({"--json", "--quiet", "-CPU=Nope", "show", SourcePath("examples/demo").string()});
  EXPECT_EQ(opened.exitCode, 0);
  EXPECT_EQ(Report(opened)["cpu"]["name"], "Nope");

  CProcessResult added = Cli({"new", "-o", out, "--fset", "kivo/kivo_set_std.h", "--add", "PMW@A:0"});
  EXPECT_EQ(added.exitCode, 1);
  EXPECT_NE(added.err.find("PWM, IC, PPM, QD"), std::string::npos) << "lists the set's functions";
}

TEST(CliPipeline, HelpDescribesEveryCommand) {
  CProcessResult help = Cli({"--help"});
  EXPECT_EQ(help.exitCode, 0);
  for (const char* command : {"eval", "kb", "show", "generate", "new", "notes", "check"}) {
    EXPECT_NE(help.out.find(std::string("  ") + command), std::string::npos) << command;
    CProcessResult one = Cli({command, "--help"});
    EXPECT_EQ(one.exitCode, 0) << command;
    EXPECT_EQ(one.out.rfind(std::string("usage: kivovam-cli"), 0), 0u) << command;
  }
  EXPECT_NE(Cli({"new", "--help"}).out.find("FUNC@E:CH"), std::string::npos);
  EXPECT_EQ(Cli({"--version"}).out.rfind("kivovam-cli ", 0), 0u);
}

TEST(CliPipeline, SourceDateEpochMakesGenerateReproducible) {
  CTempDir dir;
  setenv("SOURCE_DATE_EPOCH", "1700000000", 1);
  std::string bytes[2][2];
  for (int run = 0; run < 2; ++run) {
    const fs::path out = dir / ("run" + std::to_string(run));
    fs::create_directory(out);
    CProcessResult result = Cli({"--quiet", "generate", SourcePath("examples/demo").string(), "-o", out.string()});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    bytes[run][0] = ReadFileBytes(out / "kivo_vam.c");
    bytes[run][1] = ReadFileBytes(out / "kivo_vam.h");
    if (run == 0)
      sleep(1);
  }
  unsetenv("SOURCE_DATE_EPOCH");
  EXPECT_EQ(bytes[0][0], bytes[1][0]);
  EXPECT_EQ(bytes[0][1], bytes[1][1]);
  EXPECT_NE(bytes[0][0].find("Tue Nov 14 22:13:20 2023"), std::string::npos);
}

// check && generate && git diff --exit-code: the sample carries the fixed stamp scripts/make-demo gives it.
TEST(CliPipeline, TheSampleProjectPassesThePipelineUnchanged) {
  CBrokenDemo demo;
  setenv("SOURCE_DATE_EPOCH", "1796733629", 1);
  CProcessResult checked = Cli({"check", demo.Project()});
  CProcessResult generated = Cli({"generate", demo.Project()});
  unsetenv("SOURCE_DATE_EPOCH");
  EXPECT_EQ(checked.exitCode, 0) << checked.err;
  EXPECT_EQ(generated.exitCode, 0) << generated.err;
  EXPECT_EQ(ReadFileBytes(demo.dir / "kivo_vam.c"), ReadFileBytes(SourcePath("examples/demo/kivo_vam.c")));
  EXPECT_EQ(ReadFileBytes(demo.dir / "kivo_vam.h"), ReadFileBytes(SourcePath("examples/demo/kivo_vam.h")));
}

TEST(CliPipeline, ClocksAboveTheProcessorsLimitsAreRefused) {
  CTempDir dir;
  const std::string out = (dir / "p.c").string();
  struct CRow {
    const char* name;
    std::vector<std::string> options;
    int id;  // 0: accepted
  };
  const CRow rows[] = {
      {"the processor's own maximum", {"-CPU=Omiro Q32"}, 0},
      {"a system clock above it", {"-CPU=Omiro Q32", "-SYSCLK=301"}, 4035},
      {"a peripheral clock above it", {"-CPU=Omiro Q32", "-PTBCLK=76"}, 4036},
      {"a peripheral clock the processor does not have", {"-CPU=Vandrel V120", "-PTBCLK=76"}, 0},
  };
  for (const CRow& row : rows) {
    SCOPED_TRACE(row.name);
    std::vector<std::string> args = {"--json", "--quiet"};
    args.insert(args.end(), row.options.begin(), row.options.end());
    args.insert(args.end(), {"new", "-o", out, "--force"});
    CProcessResult made = Cli(args);
    EXPECT_EQ(made.exitCode, row.id ? 1 : 0) << made.out;
    if (row.id) {
      EXPECT_EQ(Ids(Report(made)), (std::vector<int>{row.id, 0}));
    }
  }
  // The same limits when an opened project is checked and saved.
  CProcessResult checked = Cli({"--json", "-SYSCLK=301", "check", SourcePath("examples/demo").string()});
  EXPECT_EQ(checked.exitCode, 1);
  EXPECT_EQ(Ids(Report(checked)), std::vector<int>{4035});
  CProcessResult saved = Cli({"--quiet", "-SYSCLK=301", "generate", SourcePath("examples/demo").string(), "-o", out});
  EXPECT_EQ(saved.exitCode, 1);
}

// The channel table's loads are the loads the project computes once its engines are derived.
TEST(CliPipeline, ShowGivesEachEnginesDerivedValuesAndChannelTable) {
  CProcessResult result = Cli({"--json", "--quiet", "show", SourcePath("examples/demo").string()});
  ASSERT_EQ(result.exitCode, 0);
  json model = Report(result);
  ASSERT_EQ(model["engines"].size(), 2u);
  for (const json& engine : model["engines"]) {
    EXPECT_EQ(engine["channelTable"].size(), 32u);
    EXPECT_TRUE(engine["totalLoad"].is_string());
    EXPECT_EQ(engine["derived"]["tcr2Freq"], engine["tcr2Freq"]);
    EXPECT_TRUE(engine["derived"]["display"]["kivoClock"].is_string());
  }
  EXPECT_EQ(model["engines"][1]["derived"]["kivoClock"], 75000000);
  int known = 0;
  for (const json& func : model["functions"])
    for (const json& channel : func["channels"]) {
      const json& row = model["engines"][func["engine"].get<int>()]["channelTable"][channel["number"].get<int>()];
      EXPECT_EQ(row["channel"], channel["name"]);
      EXPECT_EQ(row["load"] == "?", channel["load"].is_null()) << channel["define"];
      known += !channel["load"].is_null();
    }
  EXPECT_GE(known, 3);
  EXPECT_EQ(model["engines"][1]["channelTable"][0]["load"], "4.6 %");
  EXPECT_EQ(model["engines"][1]["totalLoad"], "9.3 %");
}

TEST(CliPipeline, ShowNamesTheIncludeFoldersAFirmwareBuildNeeds) {
  CProcessResult result = Cli({"--json", "--quiet", "show", SourcePath("examples/demo").string()});
  ASSERT_EQ(result.exitCode, 0);
  EXPECT_EQ(Report(result)["includeDirs"], (json{".", "api", "functions", "shared"}));
  CProcessResult text = Cli({"--quiet", "show", SourcePath("examples/demo").string()});
  EXPECT_NE(text.out.find("include folders"), std::string::npos);
  EXPECT_NE(text.out.find("verbatim block: 2 lines"), std::string::npos);
}

}  // namespace
