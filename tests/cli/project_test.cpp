// Runs kivovam-cli new, show, generate and notes over the bundled library: every project it can make saves, opens and saves again to the same files, and compiles.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <algorithm>
#include <filesystem>
#include <sstream>

#include "common/runprocess.h"
#include "common/testsupport.h"

namespace {

using nlohmann::json;

const std::string kCli = KV_BIN_DIR "/kivovam-cli";

CProcessResult Cli(std::vector<std::string> args) {
  args.insert(args.begin(), {"--conf", SourcePath("conf").string(), "--fsets", SourcePath("fsets").string()});
  return RunProcess(kCli, args);
}

// The generator stamps the time of writing on one line; nothing else may differ.
void ExpectSameApartFromTheTime(const std::string& first, const std::string& second) {
  auto lines = [](const std::string& text) {
    std::vector<std::string> list;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
      list.push_back(line);
    return list;
  };
  std::vector<std::string> a = lines(first), b = lines(second);
  ASSERT_EQ(a.size(), b.size());
  int differing = 0;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (a[i] != b[i]) {
      ++differing;
      EXPECT_LE(differing, 1) << a[i] << "\n" << b[i];
    }
}

json ShowModel(const std::string& project) {
  CProcessResult result = Cli({"--json", "--quiet", "show", project});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  json model = json::parse(result.out, nullptr, false);
  if (model.is_object()) {
    model.erase("source");
    model.erase("header");
    model.erase("messages");
  }
  return model;
}

// One project per function of each set and per application, at channel 0 of engine A.
struct CRoundTrip {
  std::string name;
  std::string set;
  std::string add;
};

void PrintTo(const CRoundTrip& row, std::ostream* out) { *out << row.add << " in " << row.set; }

std::vector<CRoundTrip> RoundTrips() {
  CProcessResult kb = Cli({"--json", "--quiet", "kb"});
  json report = json::parse(kb.out, nullptr, false);
  std::vector<CRoundTrip> list;
  if (!report.is_object())
    return list;
  for (const json& set : report["sets"])
    for (const json& slot : set["slots"])
      if (slot.is_string())
        list.push_back({slot.get<std::string>() + "_in_" + set["fileName"].get<std::string>(),
                        set["path"].get<std::string>(), slot.get<std::string>() + "@A:0"});
  // An application can be added where the set has every function it uses.
  auto offers = [](const json& set, const json& app) {
    for (const json& used : app["usedFunctions"])
      if (std::find(set["slots"].begin(), set["slots"].end(), used) == set["slots"].end())
        return false;
    return true;
  };
  for (const json& app : report["apps"])
    for (const json& set : report["sets"])
      if (offers(set, app))
        list.push_back({app["name"].get<std::string>() + "_in_" + set["fileName"].get<std::string>(),
                      set["path"].get<std::string>(), app["name"].get<std::string>() + "@A:0"});
  return list;
}

std::string RowName(const ::testing::TestParamInfo<CRoundTrip>& info) {
  std::string name = info.param.name;
  for (char& c : name)
    if (!std::isalnum(static_cast<unsigned char>(c)))
      c = '_';
  return name;
}

class RoundTripTest : public ::testing::TestWithParam<CRoundTrip> {};

TEST_P(RoundTripTest, SavesOpensAndSavesTheSameProjectThatCompiles) {
  CTempDir dir;
  const std::string first = (dir / "first.c").string();
  CProcessResult made = Cli({"--quiet", "new", "-o", first, "--fset", GetParam().set, "--add", GetParam().add});
  ASSERT_EQ(made.exitCode, 0) << made.err;

  // Saved under the same name elsewhere, since the source includes its own header by name.
  std::filesystem::create_directory(dir / "again");
  const std::string second = (dir / "again" / "first.c").string();
  CProcessResult again = Cli({"generate", first, "-o", second});
  ASSERT_EQ(again.exitCode, 0) << again.err;
  EXPECT_EQ(again.err, "") << "opening what was saved must not warn";
  ExpectSameApartFromTheTime(ReadFileBytes(first), ReadFileBytes(second));
  ExpectSameApartFromTheTime(ReadFileBytes(dir / "first.h"), ReadFileBytes(dir / "again" / "first.h"));
  json before = ShowModel(first);
  EXPECT_EQ(before, ShowModel(second));
  ASSERT_EQ(before["functions"].size(), 1u);

  std::vector<std::string> gcc = {"-std=c99", "-fsyntax-only", "-I" + dir.Path().string()};
  for (const char* folder : {"fsets", "fsets/api", "fsets/shared", "fsets/functions", "fsets/apps",
                             "fsets/kivo", "fsets/kivo2"})
    gcc.push_back("-I" + SourcePath(folder).string());
  gcc.push_back(second);
  CProcessResult compiled = RunProcess("/usr/bin/gcc", gcc);
  EXPECT_EQ(compiled.exitCode, 0) << compiled.err;
}

INSTANTIATE_TEST_SUITE_P(BundledLibrary, RoundTripTest, ::testing::ValuesIn(RoundTrips()), RowName);

// The sample project holds what `new` alone cannot make: typed values, a linked
// channel, load inputs and a verbatim block.
TEST(DemoProject, OpensWithoutAWordAndSavesToTheSameFiles) {
  const std::string demo = SourcePath("examples/demo/kivo_vam.c").string();
  CTempDir dir;
  const std::string copy = (dir / "kivo_vam.c").string();
  CProcessResult saved = Cli({"generate", demo, "-o", copy});
  ASSERT_EQ(saved.exitCode, 0) << saved.err;
  EXPECT_EQ(saved.err, "");
  ExpectSameApartFromTheTime(ReadFileBytes(demo), ReadFileBytes(copy));
  ExpectSameApartFromTheTime(ReadFileBytes(SourcePath("examples/demo/kivo_vam.h")), ReadFileBytes(dir / "kivo_vam.h"));
  json model = ShowModel(demo);
  EXPECT_EQ(model, ShowModel(copy));
  EXPECT_EQ(model["functions"].size(), 9u);
  EXPECT_NE(model["verbatim"].get<std::string>().find("DEMO_FAN_START_DUTY"), std::string::npos);
}

TEST(CliNew, RefusesWhatCannotBeAdded) {
  CTempDir dir;
  const std::string out = (dir / "p.c").string();
  CProcessResult badForm = Cli({"new", "-o", out, "--add", "PWM"});
  EXPECT_EQ(badForm.exitCode, 2);
  CProcessResult unknown = Cli({"new", "-o", out, "--fset", "kivo/kivo_set_std.h", "--add", "NoSuch@A:0"});
  EXPECT_EQ(unknown.exitCode, 1);
  CProcessResult noSet = Cli({"new", "-o", out, "--fset", "kivo/none.h"});
  EXPECT_EQ(noSet.exitCode, 1);
  // The second function's channel is taken by the first.
  CProcessResult taken = Cli({"--json", "--quiet", "new", "-o", out, "--fset", "kivo/kivo_set_std.h",
                              "--add", "PWM@A:3", "--add", "IC@A:3"});
  EXPECT_EQ(taken.exitCode, 1);
  json report = json::parse(taken.out, nullptr, false);
  ASSERT_TRUE(report.is_object()) << taken.out;
  ASSERT_FALSE(report["messages"].empty());
  EXPECT_EQ(report["messages"][0]["id"], 4020);
  EXPECT_FALSE(std::filesystem::exists(out)) << "a refused project is not saved";
}

TEST(CliShow, AMissingProjectFails) {
  CProcessResult result = Cli({"--quiet", "show", "/no/such/project.c"});
  EXPECT_EQ(result.exitCode, 1);
}

TEST(CliNotes, RendersThePageOfAProject) {
  CTempDir dir;
  const std::string project = (dir / "p.c").string();
  ASSERT_EQ(Cli({"--quiet", "new", "-o", project, "--fset", "kivo/kivo_set_std.h", "--add", "PWM@A:0"}).exitCode, 0);
  CProcessResult result = Cli({"--json", "--quiet", "notes", project});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  json report = json::parse(result.out);
  const std::string html = report["html"];
  EXPECT_NE(html.find("<html"), std::string::npos);
  EXPECT_EQ(html.find("%PROJECT_NOTES%"), std::string::npos);
}

}  // namespace
