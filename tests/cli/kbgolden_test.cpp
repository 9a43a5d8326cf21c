// The whole kb --json report of the bundled, the crafted and a generated library, compared byte for byte with recorded files.
#include <gtest/gtest.h>

#include <cstdlib>

// GCC 12 sees a false overlap in the generator's inlined string concatenations.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wrestrict"
#include "bench/kbgen.h"
#pragma GCC diagnostic pop
#include "common/runprocess.h"
#include "common/testsupport.h"

namespace {

const std::string kCli = KV_BIN_DIR "/kivovam-cli";

// Paths in messages name the folder the library was read from; the recorded
// files hold a placeholder instead, so they do not depend on where the tree lies.
std::string WithPlaceholder(std::string text, const std::string& folder) {
  const std::string placeholder = "<FSETS>";
  for (std::size_t at = text.find(folder); at != std::string::npos; at = text.find(folder, at + placeholder.size()))
    text.replace(at, folder.size(), placeholder);
  return text;
}

// Compares with tests/fixtures/golden/<name>; KV_UPDATE_GOLDEN=1 records the
// report instead, for a change that is meant to alter it.
void ExpectGolden(const std::string& name, const std::string& conf, const std::string& fsets) {
  CProcessResult result = RunProcess(kCli, {"--json", "--quiet", "--conf", conf, "--fsets", fsets, "kb"});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  std::string report = WithPlaceholder(result.out, fsets);
  std::filesystem::path golden = FixturePath("golden/" + name);
  const char* update = std::getenv("KV_UPDATE_GOLDEN");
  if (update && std::string(update) == "1") {
    WriteFileBytes(golden, report);
    return;
  }
  std::string expected = ReadFileBytes(golden);
  ASSERT_FALSE(expected.empty()) << golden;
  if (report == expected)
    return;
  std::size_t at = 0;
  while (at < report.size() && at < expected.size() && report[at] == expected[at])
    ++at;
  std::size_t from = at < 200 ? 0 : at - 200;
  FAIL() << name << " differs at byte " << at << "\nrecorded: " << expected.substr(from, 400)
         << "\nnow:      " << report.substr(from, 400);
}

TEST(KbGolden, BundledLibrary) {
  ExpectGolden("kb_bundled.json", SourcePath("conf").string(), SourcePath("fsets").string());
}

TEST(KbGolden, CraftedLibrary) {
  ExpectGolden("kb_fixture.json", FixturePath("kb/conf").string(), FixturePath("kb/fsets").string());
}

TEST(KbGolden, GeneratedLibrary) {
  CTempDir dir;
  kbgen::WriteLibrary(dir.Path(), kbgen::CShape{3, 4, 2, 2});
  ExpectGolden("kb_generated.json", SourcePath("conf").string(), dir.Path().string());
}

}  // namespace
