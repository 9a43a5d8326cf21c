// Path combination and resolution against the program folder, sorted listings and the folder-tree search.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>

#include "base/paths.h"
#include "common/testsupport.h"

namespace {

// Points the program folder elsewhere for one test.
class CProgramFolderScope {
 public:
  explicit CProgramFolderScope(const std::string& folder) { SetProgramFolder(folder); }
  ~CProgramFolderScope() { SetProgramFolder(""); }
};

std::string Tree() { return FixturePath("folders/tree").string(); }

}  // namespace

struct CCombineRow {
  const char* name;
  const char* first;
  const char* second;
  const char* combined;
};

class CombinePathTest : public testing::TestWithParam<CCombineRow> {};

TEST_P(CombinePathTest, JoinsAndResolvesDots) {
  EXPECT_EQ(CombinePath(GetParam().first, GetParam().second), GetParam().combined);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, CombinePathTest,
    testing::Values(CCombineRow{"Joined", "/opt/kivo", "conf", "/opt/kivo/conf"},
                    CCombineRow{"OneSlashOnly", "/opt/kivo/", "conf", "/opt/kivo/conf"},
                    CCombineRow{"AbsoluteSecondReplaces", "/opt/kivo", "/etc/fsets", "/etc/fsets"},
                    CCombineRow{"ParentResolved", "/opt/kivo/bin", "../fsets", "/opt/kivo/fsets"},
                    CCombineRow{"CurrentResolved", "/opt/kivo", "./conf/./x.ini", "/opt/kivo/conf/x.ini"},
                    CCombineRow{"NoClimbAboveRoot", "/", "../../x", "/x"},
                    CCombineRow{"EmptySecond", "/opt/kivo/", "", "/opt/kivo"},
                    CCombineRow{"TrailingSlashDropped", "/opt", "kivo/", "/opt/kivo"}),
    [](const testing::TestParamInfo<CCombineRow>& row) { return std::string(row.param.name); });

TEST(ResolvePath, RelativeTextsHangBelowTheProgramFolderNeverTheCurrentOne) {
  CProgramFolderScope scope("/opt/kivo");
  EXPECT_EQ(ResolvePath("", ""), "/opt/kivo");
  EXPECT_EQ(ResolvePath("kivocfg.ini", "conf"), "/opt/kivo/conf/kivocfg.ini");
  EXPECT_EQ(ResolvePath("", "fsets"), "/opt/kivo/fsets");
  EXPECT_EQ(ResolvePath("../sets", ""), "/opt/sets");
  EXPECT_EQ(ResolvePath("", "/data/fsets"), "/data/fsets");
  EXPECT_EQ(ResolvePath("/etc/x.ini", "conf"), "/etc/x.ini");
}

TEST(ProgramFolder, IsTheFolderOfTheRunningTest) {
  std::string folder = ProgramFolder();
  EXPECT_TRUE(std::filesystem::exists(std::filesystem::path(folder) / "test_app")) << folder;
  {
    CProgramFolderScope scope("/somewhere");
    EXPECT_EQ(ProgramFolder(), "/somewhere");
  }
  EXPECT_EQ(ProgramFolder(), folder);
}

// Names compare by their upper-case form, so "_" (above "Z") sorts after letters.
TEST(ListFolder, SortsIgnoringCaseWithExactTies) {
  CTempDir dir;
  for (const char* name : {"b", "C", "B", "a", "ab", "A_"})
    WriteFileBytes(dir / name, "");
  EXPECT_EQ(ListFolder(dir.Path().string()), (std::vector<std::string>{"a", "ab", "A_", "B", "b", "C"}));
  EXPECT_TRUE(ListFolder((dir / "missing").string()).empty());
}

struct CFindRow {
  const char* name;
  const char* wanted;
  bool found;
  const char* relative;  // below the tree
};

class FindFileTest : public testing::TestWithParam<CFindRow> {};

TEST_P(FindFileTest, FolderFirstThenSubfoldersDepthFirst) {
  const CFindRow& row = GetParam();
  std::string name = row.wanted;
  EXPECT_EQ(FindFileInFolderTree(name, Tree()), row.found);
  EXPECT_EQ(name, row.found ? Tree() + "/" + row.relative : std::string(row.wanted));
}

INSTANTIATE_TEST_SUITE_P(
    Tree, FindFileTest,
    testing::Values(CFindRow{"InTheFolderItself", "alpha.h", true, "alpha.h"},
                    CFindRow{"FirstSubfolderWins", "inner.h", true, "A/inner.h"},
                    CFindRow{"DepthBeforeNextSibling", "target.h", true, "A/deep/target.h"},
                    CFindRow{"StarTakesFirstInListingOrder", "*.h", true, "alpha.h"},
                    CFindRow{"QuestionMark", "Beta.?", true, "Beta.h"},
                    CFindRow{"NameWithFolder", "b/target.h", true, "b/target.h"},
                    CFindRow{"FolderIsNoFile", "deep", false, ""},
                    CFindRow{"CaseMatters", "ALPHA.H", false, ""},
                    CFindRow{"Missing", "none.h", false, ""}),
    [](const testing::TestParamInfo<CFindRow>& row) { return std::string(row.param.name); });

TEST(FindFileInFolderTree, EmptyFolderSearchesTheFunctionSetFolder) {
  CProgramFolderScope scope(FixturePath("folders").string());
  CFolderSettings saved = FolderSettings();
  FolderSettings().functionSetFolder = "tree";
  std::string name = "inner.h";
  EXPECT_TRUE(FindFileInFolderTree(name, ""));
  FolderSettings() = saved;
  EXPECT_EQ(name, Tree() + "/A/inner.h");
}

TEST(FindFileInFolderTree, SymbolicLinkLoopsEnd) {
  CTempDir dir;
  WriteFileBytes(dir / "sub" / "z" / "found.h", "");
  std::filesystem::create_directory_symlink(dir.Path(), dir / "sub" / "a-loop");
  std::string missing = "missing.h";
  EXPECT_FALSE(FindFileInFolderTree(missing, dir.Path().string()));
  std::string found = "found.h";
  ASSERT_TRUE(FindFileInFolderTree(found, dir.Path().string()));
  EXPECT_EQ(found, (dir / "sub" / "z" / "found.h").string());
}

// The checker and the desktop program must agree on which file is the profile:
// the listing's order decides between two, and only a regular file counts.
TEST(FindVersionCheckProfile, FirstRegularNspFileInListingOrder) {
  CTempDir dir;
  const std::string folder = dir.Path().string();
  EXPECT_EQ(FindVersionCheckProfile(folder), "");
  ASSERT_EQ(mkfifo((dir / "a.nsp").c_str(), 0600), 0);
  std::filesystem::create_directory(dir / "b.nsp");
  std::filesystem::create_symlink(dir / "gone.nsp", dir / "c.nsp");
  WriteFileBytes(dir / ".nsp", "");
  WriteFileBytes(dir / "d.nsp.txt", "");
  EXPECT_EQ(FindVersionCheckProfile(folder), "");
  WriteFileBytes(dir / "Zeta.NSP", "");
  WriteFileBytes(dir / "e.nsp", "");
  EXPECT_EQ(FindVersionCheckProfile(folder), (dir / "e.nsp").string());
  EXPECT_EQ(FindVersionCheckProfile((dir / "missing").string()), "");
}
