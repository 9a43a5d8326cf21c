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

TEST_F(CliKbJson, ProcessorsAndDefinitionsAsRecords) {
  const json& single = report["cpus"][1];
  EXPECT_EQ(single["name"], "Single X");
  EXPECT_EQ(single["engines"], 1);
  EXPECT_EQ(single["systemClock"], 132000000);
  EXPECT_EQ(single["stacBusAvailable"], false);
  EXPECT_EQ(single["templateName"], "");
  EXPECT_EQ(report["cpus"][8]["isKivo2"], true);
  const json& ren1 = report["cfg"][2];
  EXPECT_EQ(ren1["section"], "STACCR.REN1");
  EXPECT_EQ(ren1["firstKivo2Value"], 1);
  EXPECT_EQ(report["cfg"][0]["firstKivo2Value"], nullptr);
  const json& tcr1p = report["cfg"][1]["values"][0];
  EXPECT_EQ(tcr1p, (json{{"name", "HV_KIVO_TCR1P"}, {"friendly", ""}, {"comment", "divided by %1"}, {"number", 0},
                         {"takesArg", true}, {"hasBounds", true}, {"min", 1}, {"max", 256}, {"minText", "1"},
                         {"maxText", "256"}, {"display", "divided by %1"}}));
}

TEST_F(CliKbJson, SetsWithSlotsInLoadOrder) {
  const json& main = report["sets"][0];
  EXPECT_EQ(main["path"], "kivo_set_main.h");
  EXPECT_EQ(main["miscValue"], "0x1A2B3C4D");
  EXPECT_EQ(main["slots"], (json{"PWM", nullptr, "PPA", "PWM_2_out", nullptr, "RETRY", "DEEP", "SELFINC", "NOAPI",
                                 "QOM"}));
  EXPECT_EQ(report["sets"][2]["path"], "sub/kivo_set_second.h");
  EXPECT_EQ(report["functions"].size(), 9u);
}

TEST_F(CliKbJson, FunctionsCarryTheirApiMetadata) {
  const json& pwm = FuncNamed(report["functions"], "PWM - Pulse width modulation");
  EXPECT_EQ(pwm["owner"], "kivo_set_main.h");
  EXPECT_EQ(pwm["number"], 0);
  EXPECT_EQ(pwm["apiHeader"], "api/kivo_pwm.h");
  EXPECT_EQ(pwm["title"], "Pulse Width Modulation");
  const json& init = pwm["initFuncs"][0];
  EXPECT_EQ(init["name"], "hv_kivo_pwm_init");
  const json& mode = init["params"][1];
  EXPECT_EQ(mode["ownsVarDef"], true);
  EXPECT_EQ(mode["valueSection"], nullptr);
  EXPECT_EQ(mode["values"][0], (json{{"name", "SINGLE"}, {"display", "one period only"}}));
  const json& priority = init["params"][4];
  EXPECT_EQ(priority["valueSection"], "FN.PRIO");
  EXPECT_EQ(priority["values"][1], (json{{"name", "HV_KIVO_PRIORITY_HIGH"}, {"display", "High"}}));
  EXPECT_EQ(init["params"][3]["values"], json::array());
  EXPECT_EQ(init["params"][0]["channelStem"], "channel");
  EXPECT_EQ(init["chanAssigns"][0], (json{{"condVar", ""},
                                          {"condValue", ""},
                                          {"assignText", "master = channel"},
                                          {"chanVars", {"master"}},
                                          {"priorities", {{"master", "prio"}}},
                                          {"paramOfChan", {{"master", "channel"}}},
                                          {"loadRef", "pwm_load"}}));
  EXPECT_EQ(pwm["initFuncs"][1]["chanAssigns"][2]["loadRef"], nullptr);
  std::vector<std::string> names;
  for (const json& expr : pwm["loadExprs"])
    names.push_back(expr["name"]);
  EXPECT_EQ(names, (std::vector<std::string>{"pwm_colon", "pwm_load", "pwm_plural", "pwm_ranges", "pwm_self"}));
  const json& vars = pwm["loadExprs"][1]["vars"];
  EXPECT_EQ(vars[0]["name"], "freq");
  EXPECT_EQ(vars[1]["name"], "mode");
  EXPECT_EQ(vars[0]["ranges"][0], (json{{"min", 1.0}, {"max", 1000000.0}, {"valueName", ""}}));
  const json& noApi = FuncNamed(report["functions"], "NOAPI - function without header");
  EXPECT_EQ(noApi["hasApi"], false);
  EXPECT_EQ(noApi["apiHeader"], "");
}

TEST_F(CliKbJson, ApplicationsWithPathAndUsedFunctions) {
  const json& apps = report["apps"];
  ASSERT_EQ(apps.size(), 5u);
  EXPECT_EQ(apps[2]["path"], "kivo_app_motor.h");
  EXPECT_EQ(apps[2]["owner"], nullptr);
  EXPECT_EQ(apps[2]["number"], -1);
  EXPECT_EQ(apps[2]["usedFunctions"], (json{"PWM", "ppa"}));
  EXPECT_EQ(apps[4]["path"], "sub/kivo_app_motor.h");
  EXPECT_EQ(apps[3]["hasApi"], false);
  EXPECT_EQ(apps[3]["apiHeader"], "");
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
  EXPECT_NE(result.out.find("function sets: 3\n  kivo_set_main.h: 8 functions\n"), std::string::npos) << result.out;
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
    EXPECT_EQ(KeysOf(report), std::set<std::string>{"messages"});
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
