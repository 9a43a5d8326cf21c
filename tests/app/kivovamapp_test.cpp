// The application object: settings in and out, the Options dialog's rules, the
// Help menu's documents and the version checker's start, over fixture folders.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app/appnotes.h"
#include "app/kivovamapp.h"
#include "base/paths.h"
#include "common/testsupport.h"
#include "project/projdoc.h"

namespace fs = std::filesystem;

namespace {

// Every test starts from the defaults and a program folder of its own.
class AppTest : public ::testing::Test {
 protected:
  void SetUp() override {
    FolderSettings() = CFolderSettings{};
    SetProgramFolder(program.Path().string());
  }
  void TearDown() override {
    FolderSettings() = CFolderSettings{};
    SetProgramFolder("");
  }
  std::string Key(const std::string& keyPath, const std::string& name) {
    return CMemorySettingsPort::NormalizeKeyPath(keyPath) + "/" + name;
  }
  void Touch(const fs::path& path) {
    fs::create_directories(path.parent_path());
    WriteFileBytes(path, "x");
  }

  CTempDir program;
  CRecordedPorts ports;
};

// One line per item: folders as "name/" with their items indented below.
void Render(const std::vector<CAppNotesItem>& items, const std::vector<std::string>& documents,
            const std::string& indent, std::string& out) {
  for (const CAppNotesItem& item : items) {
    out += indent;
    switch (item.kind) {
      case CAppNotesItem::kFolder:
        out += item.text + "/\n";
        Render(item.children, documents, indent + "  ", out);
        continue;
      case CAppNotesItem::kSeparator: out += "--"; break;
      case CAppNotesItem::kEmpty:
      case CAppNotesItem::kMore: out += "(" + item.text + ")"; break;
      case CAppNotesItem::kDocument:
        out += item.text + " -> " + fs::path(documents.at(static_cast<std::size_t>(item.document))).filename().string();
        break;
    }
    out += "\n";
  }
}

std::string RenderMenu(const std::string& folder, const CAppNotesLimits& limits = {}) {
  std::vector<std::string> documents;
  std::string out;
  Render(BuildAppNotesMenu(folder, documents, limits), documents, "", out);
  return out;
}

TEST(AppNotesMenu, FolderTreeInByteOrderFoldersFirst) {
  EXPECT_EQ(RenderMenu(FixturePath("appnotes/notes").string()),
            "Getting Started/\n"
            "  setup.htm -> setup.htm\n"
            "Zeta/\n"
            "  zeta.htm -> zeta.htm\n"
            "examples/\n"
            "  deeper/\n"
            "    B.htm -> B.htm\n"
            "    b.htm -> b.htm\n"
            "  --\n"
            "  pwm.htm -> pwm.htm\n"
            "--\n"
            "Zulu.pdf -> Zulu.pdf\n"
            "_under.txt -> _under.txt\n"
            "alpha.htm -> alpha.htm\n");
}

TEST(AppNotesMenu, DocumentIndexesFollowMenuOrderWithFullPaths) {
  std::vector<std::string> documents{"kept"};
  std::string folder = FixturePath("appnotes/notes").string();
  std::vector<CAppNotesItem> menu = BuildAppNotesMenu(folder, documents);
  ASSERT_EQ(documents.size(), 9u);
  EXPECT_EQ(documents[0], "kept");
  EXPECT_EQ(documents[1], folder + "/Getting Started/setup.htm");
  EXPECT_EQ(documents[8], folder + "/alpha.htm");
  EXPECT_EQ(menu.back().document, 8);
}

struct CNotesTreeCase {
  const char* name;
  std::vector<std::string> files;    // relative paths; a trailing "/" makes an empty folder
  const char* expected;
};

class AppNotesTree : public ::testing::TestWithParam<CNotesTreeCase> {};

TEST_P(AppNotesTree, Menu) {
  CTempDir dir;
  for (const std::string& file : GetParam().files) {
    fs::path path = dir / file;
    if (file.back() == '/') {
      fs::create_directories(path);
    } else {
      fs::create_directories(path.parent_path());
      WriteFileBytes(path, "x");
    }
  }
  EXPECT_EQ(RenderMenu(dir.Path().string()), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AppNotesTree,
    ::testing::Values(CNotesTreeCase{"EmptyFolder", {}, "(No documents found)\n"},
                      CNotesTreeCase{"EmptySubfolder", {"a/"}, "a/\n  (No documents found)\n"},
                      CNotesTreeCase{"FoldersWithoutFilesHaveNoSeparator", {"b/x.htm", "a/y.htm"},
                                     "a/\n  y.htm -> y.htm\nb/\n  x.htm -> x.htm\n"},
                      CNotesTreeCase{"FilesWithoutFoldersHaveNoSeparator", {"b.htm", "a.htm"},
                                     "a.htm -> a.htm\nb.htm -> b.htm\n"},
                      CNotesTreeCase{"MissingFolderCountsAsEmpty", {"other/"}, "other/\n  (No documents found)\n"}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(AppNotesMenu, MissingFolderGivesTheEmptyItem) {
  EXPECT_EQ(RenderMenu(FixturePath("appnotes/no-such-folder").string()), "(No documents found)\n");
}

TEST(AppNotesMenu, LinkBackUpTheTreeEndsInAnEmptyPopup) {
  CTempDir dir;
  fs::create_directories(dir / "a");
  WriteFileBytes(dir / "a/n.htm", "x");
  fs::create_directory_symlink(dir.Path(), dir / "a/up");
  EXPECT_EQ(RenderMenu(dir.Path().string()), "a/\n  up/\n    (No documents found)\n  --\n  n.htm -> n.htm\n");
}

// Trees that once kept the main window from appearing: links across the tree
// and back up it, and trees too deep or too wide for a menu. Each entry is a
// file, a folder ("name/") or a link ("name -> target"), below a scratch
// folder whose "notes" is the notes folder.
struct CBoundedTreeCase {
  const char* name;
  std::vector<std::string> entries;
  CAppNotesLimits limits;
  std::string expected;
};

class AppNotesBounds : public ::testing::TestWithParam<CBoundedTreeCase> {};

TEST_P(AppNotesBounds, Menu) {
  CTempDir dir;
  for (const std::string& entry : GetParam().entries) {
    std::size_t arrow = entry.find(" -> ");
    fs::path path = dir / entry.substr(0, arrow);
    fs::create_directories(path.parent_path());
    if (arrow != std::string::npos)
      fs::create_directory_symlink(entry.substr(arrow + 4), path);
    else if (entry.back() == '/')
      fs::create_directories(path);
    else
      WriteFileBytes(path, "x");
  }
  EXPECT_EQ(RenderMenu((dir / "notes").string(), GetParam().limits), GetParam().expected);
}

// Every level links twice to the next, as /sys does: 2^15 paths to one folder.
std::vector<std::string> DoublingLinks() {
  std::vector<std::string> entries{"notes/start -> ../chain/l0", "chain/l15/end.htm"};
  for (int level = 0; level < 15; ++level) {
    std::string next = " -> ../l" + std::to_string(level + 1);
    entries.push_back("chain/l" + std::to_string(level) + "/a" + next);
    entries.push_back("chain/l" + std::to_string(level) + "/b" + next);
  }
  return entries;
}

std::vector<std::string> DeepTree(int levels) {
  std::vector<std::string> entries;
  std::string folder = "notes/";
  for (int level = 0; level < levels; ++level, folder += "d/")
    entries.push_back(folder + "n.htm");
  return entries;
}

std::vector<std::string> WideFolder(int files) {
  std::vector<std::string> entries;
  for (int i = 0; i < files; ++i)
    entries.push_back("notes/f" + std::string(i < 10 ? "0" : "") + std::to_string(i) + ".htm");
  return entries;
}

// The default bounds but for time: a loaded machine must not change the menu.
CAppNotesLimits Patient() {
  CAppNotesLimits limits;
  limits.maxTime = std::chrono::minutes(1);
  return limits;
}

CAppNotesLimits Entries(int count) {
  CAppNotesLimits limits = Patient();
  limits.maxEntries = count;
  return limits;
}

CAppNotesLimits NoTime() {
  CAppNotesLimits limits;
  limits.maxTime = std::chrono::milliseconds(0);
  return limits;
}

INSTANTIATE_TEST_SUITE_P(
    Trees, AppNotesBounds,
    ::testing::Values(
        CBoundedTreeCase{"LinkAcrossTheTreeIsFollowedOnce",
                         {"notes/a/x -> ../b", "notes/b/n.htm", "notes/c/y -> ../b"},
                         Patient(),
                         "a/\n  x/\n    n.htm -> n.htm\nb/\n  n.htm -> n.htm\nc/\n  y/\n    (No documents found)\n"},
        CBoundedTreeCase{"LinksDoublingAtEveryLevel", DoublingLinks(), Patient(),
                         "start/\n"
                         "  a/\n"
                         "    a/\n"
                         "      a/\n"
                         "        a/\n"
                         "          a/\n"
                         "            a/\n"
                         "              (More documents...)\n"
                         "            b/\n"
                         "              (No documents found)\n"
                         "          b/\n"
                         "            (No documents found)\n"
                         "        b/\n"
                         "          (No documents found)\n"
                         "      b/\n"
                         "        (No documents found)\n"
                         "    b/\n"
                         "      (No documents found)\n"
                         "  b/\n"
                         "    (No documents found)\n"},
        CBoundedTreeCase{"DeepTreeStopsAtTheEighthMenu", DeepTree(10), Patient(),
                         "d/\n"
                         "  d/\n"
                         "    d/\n"
                         "      d/\n"
                         "        d/\n"
                         "          d/\n"
                         "            d/\n"
                         "              n.htm -> n.htm\n"
                         "              (More documents...)\n"
                         "            --\n"
                         "            n.htm -> n.htm\n"
                         "          --\n"
                         "          n.htm -> n.htm\n"
                         "        --\n"
                         "        n.htm -> n.htm\n"
                         "      --\n"
                         "      n.htm -> n.htm\n"
                         "    --\n"
                         "    n.htm -> n.htm\n"
                         "  --\n"
                         "  n.htm -> n.htm\n"
                         "--\n"
                         "n.htm -> n.htm\n"},
        CBoundedTreeCase{"WideFolderStopsAtTheEntryLimit", WideFolder(12), Entries(5),
                         "f00.htm -> f00.htm\nf01.htm -> f01.htm\nf02.htm -> f02.htm\nf03.htm -> f03.htm\n"
                         "f04.htm -> f04.htm\n(More documents...)\n"},
        CBoundedTreeCase{"EntriesRunOutInsideASubfolder",
                         {"notes/a/1.htm", "notes/a/2.htm", "notes/a/3.htm", "notes/b/4.htm"},
                         Entries(3),
                         "a/\n  1.htm -> 1.htm\n  2.htm -> 2.htm\n  (More documents...)\n(More documents...)\n"},
        CBoundedTreeCase{"NoTimeLeft", {"notes/a.htm"}, NoTime(), "(More documents...)\n"}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(AppNotesMenu, WideFolderGivesFiveHundredDocuments) {
  CTempDir dir;
  for (int i = 0; i < 600; ++i)
    WriteFileBytes(dir / (std::to_string(1000 + i) + ".htm"), "x");
  std::vector<std::string> documents;
  std::vector<CAppNotesItem> menu = BuildAppNotesMenu(dir.Path().string(), documents, Patient());
  ASSERT_EQ(menu.size(), 501u);
  EXPECT_EQ(documents.size(), 500u);
  EXPECT_EQ(menu[499].text, "1499.htm");
  EXPECT_EQ(menu.back().kind, CAppNotesItem::kMore);
}

struct CRelativeCase {
  const char* name;
  std::string path;      // "<p>" stands for the program folder
  std::string expected;  // likewise
};

class RelativePath : public AppTest, public ::testing::WithParamInterface<CRelativeCase> {};

TEST_P(RelativePath, Made) {
  auto expand = [&](std::string text) {
    std::size_t at = text.find("<p>");
    return at == std::string::npos ? text : text.replace(at, 3, program.Path().string());
  };
  EXPECT_EQ(CKivoVamApp::MakeRelativeToProgram(expand(GetParam().path)), expand(GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RelativePath,
    ::testing::Values(CRelativeCase{"Inside", "<p>/fsets", "fsets"},
                      CRelativeCase{"DeepInside", "<p>/doc/manuals/rm.pdf", "doc/manuals/rm.pdf"},
                      CRelativeCase{"TheFolderItself", "<p>", ""},
                      CRelativeCase{"TheFolderWithSlash", "<p>/", ""},
                      CRelativeCase{"SiblingWithTheSameBeginning", "<p>2/fsets", "<p>2/fsets"},
                      CRelativeCase{"SiblingNamedLikeIt", "<p>-old", "<p>-old"},
                      CRelativeCase{"Elsewhere", "/opt/sets", "/opt/sets"},
                      CRelativeCase{"DotsLeadingBackInside", "<p>/x/../fsets", "fsets"}),
    [](const auto& row) { return std::string(row.param.name); });

TEST_F(AppTest, SettingsAreReadAndWrittenUnderOptions) {
  ports.settings.values[Key(CKivoVamApp::kOptionsKey, "AppnFolder")] = "notes";
  ports.settings.values[Key(CKivoVamApp::kOptionsKey, "FSetFolder")] = "/opt/sets";
  EXPECT_EQ(Key(CKivoVamApp::kOptionsKey, "AppnFolder"), "Software/Halvora/Kivo Vam/Options/AppnFolder");
  CKivoVamApp app;
  app.ReadSettings();
  EXPECT_EQ(FolderSettings().appNotesFolder, "notes");
  EXPECT_EQ(FolderSettings().functionSetFolder, "/opt/sets");
  EXPECT_EQ(FolderSettings().referenceManualPath, "doc/KIVORM.pdf");
  app.ApplyOptions({"fsets2", "rm.pdf", "notes2"});
  app.WriteSettings();
  EXPECT_EQ(ports.settings.values[Key(CKivoVamApp::kOptionsKey, "AppnFolder")], "notes2");
  EXPECT_EQ(ports.settings.values[Key(CKivoVamApp::kOptionsKey, "FSetFolder")], "fsets2");
  // The reference manual lives only as long as the run.
  EXPECT_EQ(ports.settings.values.count(Key(CKivoVamApp::kOptionsKey, "ReferenceManual")), 0u);
}

TEST_F(AppTest, ARunThatChangesNothingStoresNothing) {
  ports.settings.values[Key(CKivoVamApp::kOptionsKey, "AppnFolder")] = "notes";
  ports.settings.values[Key(CKivoVamApp::kRecentFilesKey, "File1")] = "/p/kivo_vam.c";
  const auto stored = ports.settings.values;
  CKivoVamApp app;
  app.ReadSettings();
  app.SetBarVisible("Toolbar", true);  // as the window reports its bars when shown
  app.ApplyOptions(app.OptionsFields());
  app.WriteSettings();
  EXPECT_EQ(ports.settings.values, stored);

  app.RecentFiles().Add("/q/kivo_vam.c");
  app.WriteSettings();
  EXPECT_EQ(ports.settings.values[Key(CKivoVamApp::kRecentFilesKey, "File2")], "/p/kivo_vam.c");
  EXPECT_EQ(ports.settings.values.count(Key(CKivoVamApp::kOptionsKey, "FSetFolder")), 0u);
}

TEST_F(AppTest, MissingSettingsKeepTheDefaults) {
  CKivoVamApp app;
  app.ReadSettings();
  EXPECT_EQ(FolderSettings().appNotesFolder, "doc/appnotes");
  EXPECT_EQ(FolderSettings().functionSetFolder, "fsets");
}

TEST_F(AppTest, OptionsTellThatANewFunctionSetFolderWaitsForTheNextRun) {
  CKivoVamApp app;
  app.ApplyOptions({"fsets", "a.pdf", "n"});
  EXPECT_TRUE(ports.messages.Messages().empty());
  app.ApplyOptions({"Fsets", "a.pdf", "n"});  // the comparison heeds case
  EXPECT_EQ(ports.messages.Ids(), std::vector<int>{4034});
  EXPECT_EQ(FolderSettings().functionSetFolder, "Fsets");
}

TEST_F(AppTest, FsetPathIsNeverStoredEvenAfterTheOptionsDialog) {
  fs::create_directories(program / "conf");
  fs::copy(FixturePath("kb/conf"), program / "conf", fs::copy_options::recursive);
  ports.settings.values[Key(CKivoVamApp::kOptionsKey, "FSetFolder")] = "stored";
  CKivoVamApp app;
  app.ReadSettings();
  app.ParseCommandLine({"-FSETPATH=" + FixturePath("kb/fsets").string()});
  ASSERT_TRUE(app.Start());
  EXPECT_TRUE(app.FunctionSetFolderLocked());
  EXPECT_EQ(app.Kb().fsetLib.Sets().size(), 3u);
  app.ApplyOptions({"changed", "rm.pdf", "n"});
  EXPECT_FALSE(ports.messages.Has(4034));
  app.WriteSettings();
  EXPECT_EQ(ports.settings.values[Key(CKivoVamApp::kOptionsKey, "FSetFolder")], "stored");
}

TEST_F(AppTest, AnInvalidFsetPathEndsStartUp) {
  CKivoVamApp app;
  app.ParseCommandLine({"/fsetpath=nowhere"});
  EXPECT_FALSE(app.Start());
  ASSERT_EQ(ports.messages.Ids(), std::vector<int>{4039});
  EXPECT_EQ(ports.messages.Messages()[0].kind, EMessageKind::Error);
}

TEST_F(AppTest, StartOpensTheProjectOfTheCommandLine) {
  SetProgramFolder(SourcePath("").string());
  CKivoVamApp app;
  app.ParseCommandLine({"-SYSCLK=80", SourcePath("examples/demo/kivo_vam.c").string()});
  ASSERT_TRUE(app.Start()) << ::testing::PrintToString(ports.messages.Ids());
  EXPECT_EQ(app.CommandLineProject(), SourcePath("examples/demo/kivo_vam.c").string());
  EXPECT_EQ(app.ProjectTitle(), "kivo_vam.c");
  EXPECT_EQ(app.RecentFiles().Files().size(), 1u);
  EXPECT_FALSE(app.Doc().IsModified());
}

TEST_F(AppTest, AProjectThatCannotBeOpenedEndsStartUp) {
  SetProgramFolder(SourcePath("").string());
  CKivoVamApp app;
  app.ParseCommandLine({(program / "missing.c").string()});
  EXPECT_FALSE(app.Start());
  EXPECT_EQ(ports.messages.Ids(), std::vector<int>{4000});
}

TEST_F(AppTest, RecentFilesKeepFourNewestFirst) {
  CKivoVamApp app;
  CRecentFileList& recent = app.RecentFiles();
  for (const char* path : {"/a.c", "/b.c", "/c.c", "/d.c", "/b.c", "/e.c"})
    recent.Add(path);
  EXPECT_EQ(recent.Files(), (std::vector<std::string>{"/e.c", "/b.c", "/d.c", "/c.c"}));
  recent.Remove(1);
  recent.Write();
  CKivoVamApp again;
  again.ReadSettings();
  EXPECT_EQ(again.RecentFiles().Files(), (std::vector<std::string>{"/e.c", "/d.c", "/c.c"}));
}

TEST_F(AppTest, ManualsReportTheResolvedPathWhenMissing) {
  CKivoVamApp app;
  std::vector<std::string> opened;
  app.openDocument = [&](const std::string& path) {
    opened.push_back(path);
    return true;
  };
  EXPECT_FALSE(app.OpenUserManual());
  ASSERT_EQ(ports.messages.Ids(), std::vector<int>{4040});
  EXPECT_EQ(ports.messages.Messages()[0].kind, EMessageKind::Error);
  EXPECT_EQ(ports.messages.Messages()[0].text,
            "Can not open document file: \"" + (program / "doc/KIVOVAMUM.pdf").string() + "\"");
  Touch(program / "doc/KIVOVAMUM.pdf");
  Touch(program / "manuals/rm.pdf");
  // A manual that is there but that no program shows is not called missing.
  app.openDocument = [](const std::string&) { return false; };
  EXPECT_FALSE(app.OpenUserManual());
  ASSERT_EQ(ports.messages.Ids(), (std::vector<int>{4040, 4096}));
  EXPECT_EQ(ports.messages.Messages()[1].kind, EMessageKind::Warning);
  EXPECT_NE(ports.messages.Messages()[1].text.find("\"" + (program / "doc/KIVOVAMUM.pdf").string() + "\""),
            std::string::npos);
  app.openDocument = [&](const std::string& path) {
    opened.push_back(path);
    return true;
  };
  EXPECT_TRUE(app.OpenUserManual());
  // A path changed in the Options dialog counts at once.
  app.ApplyOptions({"fsets", "manuals/rm.pdf", "doc/appnotes"});
  EXPECT_TRUE(app.OpenReferenceManual());
  EXPECT_EQ(opened, (std::vector<std::string>{(program / "doc/KIVOVAMUM.pdf").string(),
                                              (program / "manuals/rm.pdf").string()}));
}

TEST_F(AppTest, AppNotesFollowTheFolderSetInOptions) {
  CKivoVamApp app;
  Touch(program / "doc/appnotes/one.htm");
  Touch(program / "other/two.htm");
  ASSERT_EQ(app.BuildAppNotesMenu().size(), 1u);
  EXPECT_EQ(app.AppNoteDocuments()[0], (program / "doc/appnotes/one.htm").string());
  app.ApplyOptions({"fsets", "doc/KIVORM.pdf", "other"});
  app.BuildAppNotesMenu();
  ASSERT_EQ(app.AppNoteDocuments().size(), 1u);
  EXPECT_EQ(app.AppNoteDocuments()[0], (program / "other/two.htm").string());

  app.openDocument = [](const std::string&) { return false; };
  EXPECT_FALSE(app.OpenAppNote(5));  // beyond the list: nothing at all
  EXPECT_TRUE(ports.messages.Messages().empty());
  EXPECT_FALSE(app.OpenAppNote(0));  // there, but no program shows it
  fs::remove(program / "other/two.htm");
  EXPECT_FALSE(app.OpenAppNote(0));  // gone since the menu was built
  ASSERT_EQ(ports.messages.Ids(), (std::vector<int>{4096, 9320}));
  EXPECT_NE(ports.messages.Messages()[0].text.find((program / "other/two.htm").string()), std::string::npos);
  EXPECT_EQ(ports.messages.Messages()[1].text, "Can not open \"" + (program / "other/two.htm").string() + "\"");
}

// The desktop may learn only later that nothing showed a document; what the
// user is told does not depend on when.
TEST_F(AppTest, ALateReportOfNoViewerNamesTheDocument) {
  CKivoVamApp app;
  app.DocumentNotShown("/opt/kivovam/doc/KIVORM.pdf");
  ASSERT_EQ(ports.messages.Ids(), std::vector<int>{4096});
  EXPECT_EQ(ports.messages.Messages()[0].text,
            "No program could be started to show the document \"/opt/kivovam/doc/KIVORM.pdf\". Install a viewer "
            "for this kind of file (a PDF viewer for the manuals), or open the file with one yourself.");
}

struct CStarted {
  std::string program;
  std::vector<std::string> args;
};

TEST_F(AppTest, VersionCheckerStartsOnceAutomatically) {
  CKivoVamApp app;
  std::vector<CStarted> started;
  app.startProcess = [&](const std::string& path, const std::vector<std::string>& args) {
    started.push_back({path, args});
    return true;
  };
  Touch(program / "newscout");
  Touch(program / "kivovam.nsp");
  EXPECT_FALSE(app.CanCheckForNewVersion());
  for (int idle = 0; idle < 3; ++idle)
    app.OnFirstIdle();
  ASSERT_EQ(started.size(), 1u);
  EXPECT_EQ(started[0].program, (program / "newscout").string());
  EXPECT_TRUE(started[0].args.empty());
  EXPECT_TRUE(app.CanCheckForNewVersion());
  EXPECT_TRUE(app.CheckForNewVersion());
  ASSERT_EQ(started.size(), 2u);
  EXPECT_EQ(started[1].args, std::vector<std::string>{"/gui"});
}

TEST_F(AppTest, MissingVersionCheckerKeepsTheItemDisabledForTheRun) {
  CKivoVamApp app;
  int starts = 0;
  app.startProcess = [&](const std::string&, const std::vector<std::string>&) { return ++starts > 0; };
  app.OnFirstIdle();
  EXPECT_TRUE(app.VersionCheckStarted());
  EXPECT_EQ(starts, 0);
  EXPECT_FALSE(app.CanCheckForNewVersion());
  Touch(program / "newscout");  // presence is looked at once
  EXPECT_FALSE(app.CanCheckForNewVersion());
  EXPECT_TRUE(ports.messages.Messages().empty());
  fs::remove(program / "newscout");
  EXPECT_FALSE(app.CheckForNewVersion());
  EXPECT_EQ(ports.messages.Ids(), std::vector<int>{9321});
}

// Without a profile the checker knows no server: it is not started, and the
// Help item stays off for the run (a profile added later counts next run).
TEST_F(AppTest, CheckerWithoutAProfileIsNeitherStartedNorOffered) {
  CKivoVamApp app;
  int starts = 0;
  app.startProcess = [&](const std::string&, const std::vector<std::string>&) { return ++starts > 0; };
  Touch(program / "newscout");
  Touch(program / "profile.nsp.txt");
  fs::create_directories(program / "folder.nsp");
  EXPECT_EQ(app.VersionCheckProfile(), "");
  app.OnFirstIdle();
  EXPECT_EQ(starts, 0);
  EXPECT_FALSE(app.CanCheckForNewVersion());
  Touch(program / "vendor.NSP");
  EXPECT_EQ(app.VersionCheckProfile(), (program / "vendor.NSP").string());
  EXPECT_FALSE(app.CanCheckForNewVersion());
  EXPECT_TRUE(ports.messages.Messages().empty());
}

TEST_F(AppTest, VersionCheckerCommandLineQuotesAFolderWithBlanks) {
  CKivoVamApp app;
  EXPECT_EQ(app.VersionCheckerCommandLine(false), (program / "newscout").string());
  SetProgramFolder((program / "Kivo Vam").string());
  EXPECT_EQ(app.VersionCheckerCommandLine(true), "\"" + (program / "Kivo Vam/newscout").string() + "\" /gui");
}

TEST_F(AppTest, ToolbarStateDefaultsToShown) {
  CKivoVamApp app;
  EXPECT_TRUE(app.BarVisible("StatusBar"));
  app.SetBarVisible("StatusBar", false);
  EXPECT_FALSE(app.BarVisible("StatusBar"));
  EXPECT_EQ(ports.settings.values[Key(CKivoVamApp::kToolBarsKey, "StatusBar")], "0");
}

}  // namespace

namespace {

struct CArgsCase {
  const char* name;
  std::vector<std::string> args;
  std::string project;
  std::string fsetpath;  // empty: no option
};

class CommandLine : public ::testing::TestWithParam<CArgsCase> {};

TEST_P(CommandLine, ProjectAndOptions) {
  CKivoVamApp app;
  app.ParseCommandLine(GetParam().args);
  EXPECT_EQ(app.CommandLineProject(), GetParam().project);
  std::string value;
  EXPECT_EQ(app.LookupOption("fsetpath", value), !GetParam().fsetpath.empty());
  EXPECT_EQ(value, GetParam().fsetpath);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CommandLine,
    ::testing::Values(CArgsCase{"AbsolutePathIsTheProject", {"/home/u/p.c", "/FSETPATH=sets"}, "/home/u/p.c", "sets"},
                      CArgsCase{"FirstOfTwoProjects", {"a.c", "b.c"}, "a.c", ""},
                      CArgsCase{"UnknownFlagsAreSkipped", {"/gui", "-x", "p.c"}, "p.c", ""},
                      CArgsCase{"LaterOptionWins", {"/fsetpath=sets", "-FSETPATH=other"}, "", "other"},
                      CArgsCase{"QuotedValueWithBlank", {"-FSETPATH=my sets"}, "", "my sets"}),
    [](const auto& row) { return std::string(row.param.name); });

}  // namespace
