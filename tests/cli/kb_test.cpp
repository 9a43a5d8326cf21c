// Runs kivovam-cli kb on the crafted knowledge-base folders and checks the report's contract and exit statuses.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <set>

#include "common/runprocess.h"
#include "common/testsupport.h"

namespace {

using nlohmann::json;

const std::string kCli = KV_BIN_DIR "/kivovam-cli";
const std::string kConf = FixturePath("kb/conf").string();
const std::string kFsets = FixturePath("kb/fsets").string();

CProcessResult Cli(const std::vector<std::string>& args) { return RunProcess(kCli, args); }

std::set<std::string> KeysOf(const json& object) {
  std::set<std::string> keys;
  for (const auto& [key, value] : object.items())
    keys.insert(key);
  return keys;
}

const std::set<std::string> kFuncKeys = {"entry",  "name",      "title",     "owner",    "number",
                                         "hasApi", "apiHeader", "initFuncs", "loadExprs"};

class CliKbJson : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    CProcessResult result = Cli({"--json", "--quiet", "--conf", kConf, "--fsets", kFsets, "kb"});
    exitCode = result.exitCode;
    err = result.err;
    report = json::parse(result.out);
  }
  static const json& FuncNamed(const json& list, const std::string& entry) {
    for (const json& func : list)
      if (func["entry"] == entry)
        return func;
    ADD_FAILURE() << "no function " << entry;
    static const json none;
    return none;
  }
  static int exitCode;
  static std::string err;
  static json report;
};

int CliKbJson::exitCode = -1;
std::string CliKbJson::err;
json CliKbJson::report;

TEST_F(CliKbJson, TheReportHasTheContractsSections) {
  EXPECT_EQ(exitCode, 0);
  EXPECT_EQ(err, "");
  EXPECT_EQ(KeysOf(report), (std::set<std::string>{"cpus", "cfg", "sets", "functions", "apps", "messages"}));
  for (const json& cpu : report["cpus"])
    EXPECT_EQ(KeysOf(cpu), (std::set<std::string>{"name", "engines", "kivoClkPrescaler", "systemClock",
                                                  "peripheralTimebaseAvailable", "peripheralTimebaseClock",
                                                  "stacBusAvailable", "isKivo2", "templateName"}));
  for (const json& def : report["cfg"]) {
    EXPECT_EQ(KeysOf(def), (std::set<std::string>{"section", "comment", "parameter", "customAllowed",
                                                  "firstKivo2Value", "values"}));
    for (const json& value : def["values"])
      EXPECT_EQ(KeysOf(value), (std::set<std::string>{"name", "friendly", "comment", "number", "takesArg",
                                                      "hasBounds", "min", "max", "minText", "maxText", "display"}));
  }
  for (const json& set : report["sets"])
    EXPECT_EQ(KeysOf(set), (std::set<std::string>{"path", "fileName", "miscValue", "entryTable", "presumedSettings",
                                                  "slots"}));
  for (const json& func : report["functions"])
    EXPECT_EQ(KeysOf(func), kFuncKeys) << func["entry"];
  std::set<std::string> appKeys = kFuncKeys;
  appKeys.insert({"path", "usedFunctions"});
  for (const json& app : report["apps"])
    EXPECT_EQ(KeysOf(app), appKeys) << app["entry"];
}

// How the records map to JSON: flags as booleans, absent things as null,
// relative paths with forward slashes, lists in load order, loads sorted by name.
TEST_F(CliKbJson, RecordsMapToJsonTypes) {
  EXPECT_EQ(report["cpus"][8]["name"], "Module Kivo2");
  EXPECT_EQ(report["cpus"][8]["isKivo2"], true);
  EXPECT_EQ(report["cpus"][1]["stacBusAvailable"], false);
  EXPECT_EQ(report["cfg"][2]["firstKivo2Value"], 1);
  EXPECT_EQ(report["cfg"][0]["firstKivo2Value"], nullptr);
  EXPECT_EQ(report["cfg"][1]["values"][0]["takesArg"], true);
  EXPECT_EQ(report["sets"][2]["path"], "sub/kivo_set_second.h");
  EXPECT_EQ(report["sets"][0]["slots"][1], nullptr);
  const json& pwm = FuncNamed(report["functions"], "PWM - Pulse width modulation");
  EXPECT_EQ(pwm["owner"], "kivo_set_main.h");
  EXPECT_EQ(pwm["apiHeader"], "api/kivo_pwm.h");
  const json& params = pwm["initFuncs"][0]["params"];
  EXPECT_EQ(params[1]["valueSection"], nullptr);
  EXPECT_EQ(params[1]["values"][0], (json{{"name", "SINGLE"}, {"display", "one period only"}}));
  EXPECT_EQ(params[4]["valueSection"], "FN.PRIO");
  EXPECT_EQ(params[3]["values"], json::array());
  EXPECT_EQ(pwm["initFuncs"][0]["chanAssigns"][0]["paramOfChan"], (json{{"master", "channel"}}));
  EXPECT_EQ(pwm["initFuncs"][0]["chanAssigns"][0]["loadRef"], "pwm_load");
  EXPECT_EQ(pwm["initFuncs"][1]["chanAssigns"][2]["loadRef"], nullptr);
  EXPECT_EQ(pwm["loadExprs"][0]["name"], "pwm_colon");
  EXPECT_EQ(pwm["loadExprs"][1]["vars"][0]["ranges"][0], (json{{"min", 1.0}, {"max", 1000000.0}, {"valueName", ""}}));
  EXPECT_EQ(FuncNamed(report["functions"], "NOAPI - function without header")["hasApi"], false);
  const json& app = report["apps"][4];
  EXPECT_EQ(app["path"], "sub/kivo_app_motor.h");
  EXPECT_EQ(app["owner"], nullptr);
  EXPECT_EQ(app["number"], -1);
  EXPECT_EQ(app["usedFunctions"], (json{"QOM"}));
}

TEST_F(CliKbJson, MessagesAreReportedInOrderWithTheirNumbers) {
  std::vector<int> ids;
  for (const json& message : report["messages"]) {
    ids.push_back(message["id"]);
    EXPECT_EQ(message["kind"], "warning");
  }
  EXPECT_EQ(ids, (std::vector<int>{4041, 4032, 4032, 4032, 4028, 4028, 4038}));
  EXPECT_EQ(report["messages"][6]["text"], "Invalid presumed setting 'HV_KIVO_NOT_DESCRIBED' found in 'kivo_set_main.h'.");
}

TEST(CliKb, PlainSummaryAndMessagesOnStderr) {
  CProcessResult result = Cli({"--conf", kConf, "--fsets", kFsets, "kb"});
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_NE(result.out.find("): 3\n  kivo_set_main.h\n    functions: PWM PPA PWM_2_out RETRY DEEP SELFINC NOAPI(no API) "
                            "QOM(no API)\n    applications: app_motor app_noinit app_motor\n"),
            std::string::npos)
      << result.out;
  EXPECT_NE(result.out.find("applications: 5\n"), std::string::npos);
  EXPECT_NE(result.err.find("kivovam-cli: warning 4038: Invalid presumed setting 'HV_KIVO_NOT_DESCRIBED'"),
            std::string::npos);
}

TEST(CliKb, MissingIniFilesEndTheLoadNamingTheFile) {
  CTempDir onlyCfg;
  WriteFileBytes(onlyCfg / "kivocfg.ini", ReadFileBytes(FixturePath("kb/conf/kivocfg.ini")));
  struct CRow {
    const char* name;
    std::string conf;
    std::string missing;
  } rows[] = {{"no kivocfg.ini", FixturePath("kb/fsets").string(), FixturePath("kb/fsets/kivocfg.ini").string()},
              {"no kivocpu.ini", onlyCfg.Path().string(), (onlyCfg / "kivocpu.ini").string()}};
  for (const CRow& row : rows) {
    SCOPED_TRACE(row.name);
    CProcessResult result = Cli({"--json", "--conf", row.conf, "--fsets", kFsets, "kb"});
    EXPECT_EQ(result.exitCode, 3);
    json report = json::parse(result.out);
    // The report keeps its keys, empty, so that a script reading it need not tell the cases apart.
    EXPECT_EQ(KeysOf(report), (std::set<std::string>{"cpus", "cfg", "sets", "functions", "apps", "messages"}));
    EXPECT_TRUE(report["cpus"].is_null());
    ASSERT_EQ(report["messages"].size(), 1u);
    EXPECT_EQ(report["messages"][0]["id"], 0);
    EXPECT_NE(report["messages"][0]["text"].get<std::string>().find("'" + row.missing + "'"), std::string::npos);
  }
}

TEST(CliKb, AFunctionSetFolderThatIsNoFolderIsRefused) {
  const std::string notAFolder = FixturePath("kb/conf/kivocpu.ini").string();
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"--conf", kConf, "--fsets", notAFolder, "kb"},
        std::vector<std::string>{"--conf", kConf, "-FSETPATH=" + notAFolder, "kb"},
        std::vector<std::string>{"--conf", kConf, "--fsets", "/no/such/folder", "kb"}}) {
    CProcessResult result = Cli(args);
    EXPECT_EQ(result.exitCode, 3) << args[3];
    EXPECT_NE(result.err.find("kivovam-cli: error 4039: Path is invalid: \""), std::string::npos) << result.err;
    EXPECT_EQ(result.out, "");
  }
}

// A relative folder is the one beside the current folder, both for the check
// and for the load.
TEST(CliKb, RelativeFoldersAreTakenFromTheCurrentFolder) {
  CProcessResult result = RunProcess(
      "/bin/sh", {"-c", "cd '" + FixturePath("kb").string() + "' && exec '" + kCli + "' --json --quiet --conf conf "
                        "-FSETPATH=fsets kb"});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  json report = json::parse(result.out);
  EXPECT_EQ(report["sets"].size(), 3u);
  EXPECT_EQ(report["cpus"].size(), 11u);
}

TEST(CliKb, ArgumentsAreAUsageError) {
  EXPECT_EQ(Cli({"--conf", kConf, "kb", "extra"}).exitCode, 2);
}

}  // namespace
