// Runs kivovam-cli eval as a build pipeline would and checks its exact output and exit status.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "common/runprocess.h"

namespace {

const std::string kCli = KV_BIN_DIR "/kivovam-cli";

CProcessResult Cli(const std::vector<std::string>& args) { return RunProcess(kCli, args); }

nlohmann::json JsonOf(const CProcessResult& result) {
  return nlohmann::json::parse(result.out);
}

}  // namespace

TEST(CliEval, PlainOutput) {
  struct CRow {
    const char* name;
    std::vector<std::string> args;
    int exitCode;
    const char* out;
    const char* err;
  };
  const CRow rows[] = {
      {"value with full precision", {"eval", "1/3"}, 0, "0.33333333333333331\n", ""},
      {"integer value", {"eval", "1 + 1"}, 0, "2\n", ""},
      {"variables set first", {"eval", "--var", "a=2.5", "--var", "b=-1", "a * 2 + b"}, 0, "4\n", ""},
      {"not a number", {"eval", "sqrt(-1)"}, 0, "nan\n", ""},
      {"infinity", {"eval", "--", "-exp(1000)"}, 0, "-inf\n", ""},
      {"text starting with a minus", {"eval", "--", "-2^2"}, 0, "4\n", ""},
      {"evaluation error", {"eval", "1 + y"}, 1, "", "Unknown variable 'y' at character 4\n"},
      {"empty text", {"eval", ""}, 1, "", "Empty expression\n"},
      {"lenient check passes silently", {"eval", "--validate", "0", "x / 0"}, 0, "", ""},
      {"strict division in the check", {"eval", "--validate", "2", "1 / 0"}, 1, "", "Division by zero\n"},
  };
  for (const CRow& row : rows) {
    SCOPED_TRACE(row.name);
    CProcessResult result = Cli(row.args);
    EXPECT_EQ(result.exitCode, row.exitCode);
    EXPECT_EQ(result.out, row.out);
    EXPECT_EQ(result.err, row.err);
  }
}

TEST(CliEval, JsonReport) {
  CProcessResult result = Cli({"--json", "eval", "a = 2"});
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.err, "");
  nlohmann::json expected = {{"value", 2.0}, {"assigned", true}, {"error", 0}, {"position", 0},
                             {"token", ""},  {"message", ""},   {"messages", nlohmann::json::array()}};
  EXPECT_EQ(JsonOf(result), expected);
}

TEST(CliEval, JsonErrorsAndNonFiniteValues) {
  CProcessResult failed = Cli({"--json", "eval", "7; foo(1)"});
  EXPECT_EQ(failed.exitCode, 1);
  EXPECT_EQ(failed.err, "");
  nlohmann::json report = JsonOf(failed);
  EXPECT_EQ(report["value"], 7.0) << "what the last statement left";
  EXPECT_EQ(report["error"], 6);
  EXPECT_EQ(report["position"], 7);
  EXPECT_EQ(report["token"], "foo");
  EXPECT_EQ(report["message"], "Unrecognised function 'foo' at character 7");

  EXPECT_EQ(JsonOf(Cli({"--json", "eval", "exp(1000)"}))["value"], "inf");
  EXPECT_EQ(JsonOf(Cli({"--json", "eval", "ln(0)"}))["value"], "-inf");
  EXPECT_EQ(JsonOf(Cli({"--json", "eval", "sqrt(-1)"}))["value"], "nan");

  nlohmann::json validated = JsonOf(Cli({"--json", "eval", "--validate", "1", "b = 1 / 0"}));
  EXPECT_TRUE(validated["value"].is_null());
  EXPECT_EQ(validated["assigned"], true);
  EXPECT_EQ(validated["error"], 0);
  nlohmann::json strict = JsonOf(Cli({"--json", "eval", "--validate", "1", "b = x"}));
  EXPECT_TRUE(strict["value"].is_null());
  EXPECT_EQ(strict["error"], 4);
  EXPECT_EQ(strict["token"], "x");
}

TEST(CliEval, HostileTextsGiveErrorsNotCrashes) {
  // A stray byte of a multi-byte character becomes the error token: the JSON
  // report must still be written.
  CProcessResult stray = Cli({"--json", "eval", "1 \xC2\xB0 2"});
  EXPECT_EQ(stray.exitCode, 1);
  EXPECT_EQ(JsonOf(stray)["error"], 1);

  CProcessResult deep = Cli({"eval", std::string(50000, '(') + "1" + std::string(50000, ')')});
  EXPECT_EQ(deep.exitCode, 1);
  EXPECT_EQ(deep.err, "Syntax error at character 256\n");
}

TEST(CliEval, UsageErrors) {
  const std::vector<std::vector<std::string>> rows = {
      {"eval"},
      {"eval", "--var", "a", "a"},
      {"eval", "--var", "=1", "1"},
      {"eval", "--var", "a=one", "a"},
      {"eval", "--var"},
      {"eval", "--validate", "x", "1"},
      {"eval", "1", "2"},
      {"eval", "--bogus", "1"},
  };
  for (const auto& args : rows) {
    SCOPED_TRACE(args.size() > 1 ? args[1] : args[0]);
    CProcessResult result = Cli(args);
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err.rfind("kivovam-cli: ", 0), 0u) << result.err;
  }
  EXPECT_EQ(Cli({"eval"}).err.substr(0, 31), "kivovam-cli: eval needs a TEXT\n");
}
