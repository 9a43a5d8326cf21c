// The start-up load order over crafted folders: the folder check first, then the two INI files, then the libraries.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/startup.h"
#include "common/testsupport.h"
#include "knowledge/knowledgebase.h"

namespace {

CLoadOptions Options(const std::string& conf, const std::string& fsets, bool fromCommandLine) {
  CLoadOptions options;
  options.confFolder = conf;
  options.functionSetFolder = fsets;
  options.functionSetFolderFromCommandLine = fromCommandLine;
  return options;
}

const std::string kConf = FixturePath("kb/conf").string();
const std::string kFsets = FixturePath("kb/fsets").string();

TEST(Startup, ABadCommandLineFolderStopsBeforeAnythingIsRead) {
  CRecordedPorts ports;
  CKnowledgeBase kb;
  EXPECT_FALSE(LoadKnowledgeBase(kb, Options(kConf, "no/such/folder", true)));
  ASSERT_EQ(ports.messages.Messages().size(), 1u);
  EXPECT_EQ(ports.messages.Messages()[0].id, 4039);
  EXPECT_EQ(ports.messages.Messages()[0].kind, EMessageKind::Error);
  EXPECT_EQ(ports.messages.Messages()[0].text, "Path is invalid: \"no/such/folder\"");
  EXPECT_TRUE(kb.cfgDesc.Sections().empty());
}

TEST(Startup, TheLibrariesLoadFromTheFolderAsGivenOnTheCommandLine) {
  CRecordedPorts ports;
  CKnowledgeBase kb;
  ASSERT_TRUE(LoadKnowledgeBase(kb, Options(kConf, kFsets, true)));
  EXPECT_EQ(kb.functionSetFolder, std::filesystem::path(kFsets).lexically_normal().string());
  EXPECT_EQ(kb.cpuDb.Sections().size(), 11u);
  EXPECT_EQ(kb.fsetLib.Sets().size(), 3u);
  EXPECT_EQ(kb.fappLib.Apps().size(), 5u);
  // Sets before applications, as the progress texts show.
  const auto& texts = ports.progress.texts;
  auto at = [&](const std::string& text) { return std::find(texts.begin(), texts.end(), text) - texts.begin(); };
  EXPECT_LT(at("Loading Function Set 'kivo_set_main.h'"), at("Loading Applications"));
  EXPECT_LT(at("Loading Applications"), static_cast<long>(texts.size()));
}

TEST(Startup, AMissingDefaultFolderGivesEmptyLibraries) {
  CRecordedPorts ports;
  CKnowledgeBase kb;
  ASSERT_TRUE(LoadKnowledgeBase(kb, Options(kConf, FixturePath("kb/none").string(), false)));
  EXPECT_TRUE(kb.fsetLib.Sets().empty());
  EXPECT_TRUE(kb.fappLib.Apps().empty());
  EXPECT_TRUE(ports.messages.Messages().empty());
}

}  // namespace
