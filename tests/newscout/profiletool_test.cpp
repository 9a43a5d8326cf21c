// The maker's profile tool: what it writes the checker reads, and the example profile answers against its server file.
#include <gtest/gtest.h>

#include <sstream>

#include "common/testsupport.h"
#include "newscout/profiletool.h"
#include "newscout/serverquery.h"
#include "nstestsupport.h"

namespace {

struct CToolRun {
  int status;
  std::string out, err;
};

CToolRun Tool(const std::vector<std::string>& args) {
  std::ostringstream out, err;
  int status = RunProfileTool(args, out, err);
  return {status, out.str(), err.str()};
}

TEST(ProfileToolTest, WritesWhatTheCheckerReadsAndPrintsItBack) {
  CTempDir dir;
  std::string path = (dir / "kivovam.nsp").string();
  std::string product(16, 'P');  // a whole block, so the stored text takes two
  CToolRun written = Tool({"write", path, "--product", product, "--key-path", "Software\\Halvora\\KivoVam",
                           "--server", "updates.example.invalid", "--object", "/kivovam/latest.upd", "--link",
                           "https://example.invalid/get", "--manual-only"});
  ASSERT_EQ(written.status, 0) << written.err;
  // Byte for byte what an independent encryption with the same key gives.
  EXPECT_EQ(ReadFileBytes(path), ProfileBytes(2, {product, "Software\\Halvora\\KivoVam", "updates.example.invalid",
                                                  "/kivovam/latest.upd", "https://example.invalid/get"},
                                              1));
  CToolRun shown = Tool({"show", path});
  EXPECT_EQ(shown.status, 0);
  EXPECT_EQ(shown.out, "product=" + product +
                           "\nkey-path=Software\\Halvora\\KivoVam\nserver=updates.example.invalid\n"
                           "object=/kivovam/latest.upd\nlink=https://example.invalid/get\nmanual-only=1\n");

  ASSERT_EQ(Tool({"write", path, "--server", "h", "--object", "/o.txt", "--format", "1"}).status, 0);
  EXPECT_EQ(ReadFileBytes(path), ProfileBytes(1, {"", "", "h", "/o.txt", ""}));
}

struct CToolError {
  const char* name;
  std::vector<std::string> args;
  int status;
  const char* says;  // in what goes to stderr
};

class ProfileToolErrorTest : public ::testing::TestWithParam<CToolError> {};

TEST_P(ProfileToolErrorTest, RefusesAndSaysWhy) {
  CTempDir dir;
  std::vector<std::string> args = GetParam().args;
  for (std::string& arg : args) {
    if (arg == "DIR")
      arg = dir.Path().string();
    else if (arg.rfind("DIR/", 0) == 0)
      arg = (dir / arg.substr(4)).string();
  }
  CToolRun run = Tool(args);
  EXPECT_EQ(run.status, GetParam().status);
  EXPECT_NE(run.err.find(GetParam().says), std::string::npos) << run.err;
  EXPECT_EQ(run.out, "");
}

INSTANTIATE_TEST_SUITE_P(
    Errors, ProfileToolErrorTest,
    ::testing::Values(
        CToolError{"NoCommand", {}, 2, "Usage: newscout-profile"},
        CToolError{"NoServer", {"write", "DIR/p.nsp", "--object", "/x.txt"}, 2, "at least --server and --object"},
        CToolError{"MissingValue", {"write", "DIR/p.nsp", "--server"}, 2, "The option --server needs a value."},
        CToolError{"UnknownOption", {"write", "DIR/p.nsp", "--colour", "red"}, 2, "Unknown option or argument: --colour"},
        CToolError{"ControlCharacters", {"write", "DIR/p.nsp", "--server", "h", "--object", "/x", "--product", "a\x1b[2J"},
                   1, "The value of --product is not printable text"},
        CToolError{"ManualOnlyInFormat1", {"write", "DIR/p.nsp", "--server", "h", "--object", "/x", "--format", "1",
                                           "--manual-only"},
                   2, "Not a profile format"},
        CToolError{"UnwritableFile", {"write", "DIR", "--server", "h", "--object", "/x"}, 1, "Could not write"},
        CToolError{"ShowAFolder", {"show", "DIR"}, 1, "The profile is not a regular file."},
        CToolError{"ShowMissing", {"show", "DIR/none.nsp"}, 1, "No such file or directory"}),
    CRowName());

// The shipped example, as `python3 -m http.server` serves its folder: the
// profile names the server file, which offers a newer package than none.
TEST(ExampleTest, ProfileAnswersNewerAgainstTheServerFile) {
  CNewscoutProfile profile;
  ASSERT_TRUE(profile.LoadProfile(SourcePath("examples/newscout/kivovam.nsp").string())) << profile.LoadErrorText();
  EXPECT_EQ(profile.serverHost, "127.0.0.1:8000");
  std::string served = ReadFileBytes(SourcePath("examples/newscout" + profile.objectPath));
  CTestHttpServer server([&](const std::string&) { return MakeReply(200, "text/plain", served); });
  profile.serverHost = server.HostPort();
  profile.registryKeyPath = UniqueKeyPath();
  CNewscoutSettings settings(profile);
  CServerQuery query;
  std::string message;
  EXPECT_TRUE(query.Query(profile, settings, false, message)) << message;
  EXPECT_EQ(server.Requests().at(0).rfind("GET " + profile.objectPath + " ", 0), 0u);
  EXPECT_FALSE(query.Answer().version.empty());

  // Installed with the size the file names, it is up to date.
  profile.packageSize = query.Answer().size;
  EXPECT_FALSE(query.Query(profile, settings, false, message));
  EXPECT_EQ(message, "");
}

}  // namespace
