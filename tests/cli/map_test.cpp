// Runs kivovam-cli map: the sample project's channel map as a well-formed SVG naming every function, a PNG, and the refusals.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <optional>

#include "common/runprocess.h"
#include "common/testsupport.h"

namespace {

using nlohmann::json;

const std::string kCli = KV_BIN_DIR "/kivovam-cli";
const std::string kDemo = SourcePath("examples/demo/kivo_vam.c").string();

CProcessResult Cli(std::vector<std::string> args) {
  args.insert(args.begin(), {"--conf", SourcePath("conf").string(), "--fsets", SourcePath("fsets").string()});
  return RunProcess(kCli, args);
}

// An environment variable taken away for the life of the object.
class CUnsetEnv {
 public:
  explicit CUnsetEnv(const char* name) : m_name(name) {
    if (const char* value = std::getenv(name))
      m_value = value;
    unsetenv(name);
  }
  ~CUnsetEnv() {
    if (m_value)
      setenv(m_name, m_value->c_str(), 1);
  }
  CUnsetEnv(const CUnsetEnv&) = delete;
  CUnsetEnv& operator=(const CUnsetEnv&) = delete;

 private:
  const char* m_name;
  std::optional<std::string> m_value;
};

TEST(CliMap, SampleProjectSvgIsWellFormedAndNamesEveryFunction) {
  CTempDir dir;
  const std::string svg = (dir / "map.svg").string();
  CProcessResult result;
  {
    // A build machine has no display: the command must not need one.
    CUnsetEnv platform("QT_QPA_PLATFORM");
    CUnsetEnv display("DISPLAY");
    CUnsetEnv wayland("WAYLAND_DISPLAY");
    result = Cli({"map", kDemo, "-o", svg});
  }
  ASSERT_EQ(result.exitCode, 0) << result.err;
  ASSERT_TRUE(std::filesystem::is_regular_file(svg));
  if (std::system("command -v xmllint >/dev/null 2>&1") == 0) {
    CProcessResult lint = RunProcess("/bin/sh", {"-c", "xmllint --noout \"$0\"", svg});
    EXPECT_EQ(lint.exitCode, 0) << lint.err;
  } else {
    ADD_FAILURE() << "xmllint is not installed (scripts/setup installs it)";
  }
  const std::string text = ReadFileBytes(svg);
  EXPECT_NE(text.find("<svg"), std::string::npos);
  json model = json::parse(Cli({"--json", "--quiet", "show", kDemo}).out, nullptr, false);
  ASSERT_TRUE(model.is_object());
  ASSERT_FALSE(model["functions"].empty());
  for (const json& func : model["functions"]) {
    // The instance on its cells, the function and its title in the legend.
    const std::string instance = func["instance"].get<std::string>();
    EXPECT_NE(text.find(">" + instance + "</text>"), std::string::npos) << instance;
    const std::string legend = func["function"].get<std::string>() + ": " + func["title"].get<std::string>();
    EXPECT_NE(text.find(">" + legend + "</text>"), std::string::npos) << legend;
  }
  // The totals the channels pages show.
  for (const json& engine : model["engines"])
    EXPECT_NE(text.find("total load " + engine["totalLoad"].get<std::string>()), std::string::npos);
}

TEST(CliMap, PngByExtensionAndJsonReport) {
  CTempDir dir;
  const std::string png = (dir / "Map.PNG").string();
  CProcessResult result = Cli({"--json", "--quiet", "map", kDemo, "-o", png});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(ReadFileBytes(png).substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
  json report = json::parse(result.out, nullptr, false);
  ASSERT_TRUE(report.is_object()) << result.out;
  EXPECT_EQ(report["file"], png);
  EXPECT_EQ(report["ok"], true);
  EXPECT_TRUE(report["messages"].is_array());
}

TEST(CliMap, UsageErrorsAndFailures) {
  CTempDir dir;
  struct CRow {
    const char* name;
    std::vector<std::string> args;
    int exit;
    const char* says;
  };
  const std::string missing = (dir / "none" / "kivo_vam.c").string();
  const CRow rows[] = {
      {"no -o", {"map", kDemo}, 2, "map takes one PROJECT and -o FILE"},
      {"no project", {"map", "-o", (dir / "m.svg").string()}, 2, "map takes one PROJECT and -o FILE"},
      {"other extension", {"map", kDemo, "-o", (dir / "m.jpg").string()}, 2, "a .svg or a .png file"},
      {"unknown option", {"map", kDemo, "-o", (dir / "m.svg").string(), "--force"}, 2, "unknown option --force"},
      {"project missing", {"map", missing, "-o", (dir / "m.svg").string()}, 1, ""},
      {"folder in the way", {"map", kDemo, "-o", dir.Path().string() + "/d.svg"}, 1, "error 4099"},
  };
  std::filesystem::create_directory(dir / "d.svg");
  for (const CRow& row : rows) {
    SCOPED_TRACE(row.name);
    CProcessResult result = Cli(row.args);
    EXPECT_EQ(result.exitCode, row.exit) << result.err;
    EXPECT_NE(result.err.find(row.says), std::string::npos) << result.err;
  }
  EXPECT_FALSE(std::filesystem::exists(dir / "m.svg"));
  EXPECT_FALSE(std::filesystem::exists(dir / "m.jpg"));
  EXPECT_TRUE(std::filesystem::is_directory(dir / "d.svg"));
}

TEST(CliMap, PipeOfTheNameIsNotWrittenInto) {
  CTempDir dir;
  const std::string fifo = (dir / "map.svg").string();
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  CProcessResult result = Cli({"--json", "map", kDemo, "-o", fifo});
  EXPECT_EQ(result.exitCode, 1);
  json report = json::parse(result.out, nullptr, false);
  ASSERT_TRUE(report.is_object()) << result.out;
  EXPECT_EQ(report["ok"], false);
  ASSERT_EQ(report["messages"].size(), 1u);
  EXPECT_EQ(report["messages"][0]["id"], 4099);
  struct stat info {};
  ASSERT_EQ(lstat(fifo.c_str(), &info), 0);
  EXPECT_TRUE(S_ISFIFO(info.st_mode));
}

}  // namespace
