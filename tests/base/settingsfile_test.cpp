// The settings file: the INI text as Qt writes and reads it, edited line by
// line; and the file itself, read and written in place in a scratch folder,
// never when it is a FIFO, a folder or a link to one.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <future>

#include "base/ports.h"
#include "base/recordingports.h"
#include "base/settingsfile.h"
#include "common/testsupport.h"

namespace fs = std::filesystem;

namespace {

struct CParseRow {
  const char* name;
  std::string text;
  std::string section;
  std::string key;
  std::optional<std::string> value;
};

class IniParse : public ::testing::TestWithParam<CParseRow> {};

TEST_P(IniParse, Value) {
  auto values = IniText::Parse(GetParam().text);
  auto it = values.find({GetParam().section, GetParam().key});
  ASSERT_NE(it, values.end());
  EXPECT_EQ(it->second, GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, IniParse,
    ::testing::Values(
        CParseRow{"Plain", "[Options]\nAppnFolder=doc/appnotes\n", "Options", "AppnFolder", "doc/appnotes"},
        CParseRow{"EscapedSection", "[Recent%20File%20List]\nFile1=/p/kivo_vam.c\n", "Recent File List", "File1",
                  "/p/kivo_vam.c"},
        CParseRow{"BlanksAroundGo", "[Options]\n  AppnFolder  =   notes  \r\n", "Options", "AppnFolder", "notes"},
        CParseRow{"QuotedKeepsBlanksAndCommas", "[Options]\nAppnFolder=\" a,b; c \"\n", "Options", "AppnFolder",
                  " a,b; c "},
        CParseRow{"UnquotedCommasMakeAList", "[Options]\nAppnFolder=a, b ,c\n", "Options", "AppnFolder", "a,b,c"},
        CParseRow{"SemicolonBeginsAComment", "[Options]\nAppnFolder=notes ; old\n", "Options", "AppnFolder", "notes"},
        CParseRow{"Escapes", "[Options]\nAppnFolder=\"q\\\"\\\\x\\ty\\x41\\x4e\\x32\\101\"\n", "Options",
                  "AppnFolder", "q\"\\x\tyAN2A"},
        CParseRow{"HexEscapeTakesEveryDigit", "[Options]\nAppnFolder=\\x4e2\n", "Options", "AppnFolder", "\xd3\xa2"},
        CParseRow{"Utf8StaysAsItIs", "[Options]\nAppnFolder=/home/j\xc3\xb6rg/notes\n", "Options", "AppnFolder",
                  "/home/j\xc3\xb6rg/notes"},
        CParseRow{"DoubledAtIsText", "[Options]\nAppnFolder=@@notes\n", "Options", "AppnFolder", "@notes"},
        CParseRow{"OtherTypesAreNoText", "[ToolBars]\nToolbar=@ByteArray(1)\n", "ToolBars", "Toolbar", std::nullopt},
        CParseRow{"SubgroupInTheKey", "[A]\nB\\x=1\n", "A", "B/x", "1"},
        CParseRow{"RootSection", "x=1\n[General]\ny=2\n", "", "y", "2"},
        CParseRow{"LaterSectionBlockCounts", "[A]\nx=1\n[B]\ny=2\n[A]\nx=3\n", "A", "x", "3"}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(IniText, EscapedValuesReadBackAsWritten) {
  for (std::string value : {"", "plain", " lead", "trail ", "a,b", "semi;colon", "k=v", "quote\"d", "back\\slash",
                            "tab\tand\nline", "\x01" "1", "@at", "@@at", "\xc3\xa9t\xc3\xa9", "@Invalid()"}) {
    std::string text = IniText::WithValue("", "Options", "Value", value);
    auto values = IniText::Parse(text);
    EXPECT_EQ(values[std::make_pair(std::string("Options"), std::string("Value"))], value) << text;
  }
}

TEST(IniText, KeysAndSectionsAreEscapedAsQtDoes) {
  EXPECT_EQ(IniText::EscapeKey("Recent File List"), "Recent%20File%20List");
  EXPECT_EQ(IniText::EscapeKey("B/x-1_.y"), "B\\x-1_.y");
  EXPECT_EQ(IniText::EscapeKey("\xc3\xa9\xe2\x82\xac"), "%E9%U20AC");
  EXPECT_EQ(IniText::KeyOf("A/B", "x"), (std::pair<std::string, std::string>{"A", "B/x"}));
  EXPECT_EQ(IniText::EscapeValue(" a "), "\" a \"");
  EXPECT_EQ(IniText::EscapeValue("\x01" "a"), "\\x01\\x61");
}

struct CEditRow {
  const char* name;
  std::string before;
  std::string section, key, value;
  std::string after;
};

class IniEdit : public ::testing::TestWithParam<CEditRow> {};

TEST_P(IniEdit, OnlyTheOneLineChanges) {
  EXPECT_EQ(IniText::WithValue(GetParam().before, GetParam().section, GetParam().key, GetParam().value),
            GetParam().after);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, IniEdit,
    ::testing::Values(
        CEditRow{"ReplacedWhereItStands", "; mine\n[Options]\nAppnFolder=a\nFSetFolder=f\n", "Options", "AppnFolder",
                 "b", "; mine\n[Options]\nAppnFolder=b\nFSetFolder=f\n"},
        CEditRow{"AddedAfterTheSectionsLastValue", "[Options]\nFSetFolder=f\n\n; bars\n[ToolBars]\nToolbar=1\n",
                 "Options", "AppnFolder", "a", "[Options]\nFSetFolder=f\nAppnFolder=a\n\n; bars\n[ToolBars]\nToolbar=1\n"},
        CEditRow{"NewSectionAtTheEnd", "[Options]\nFSetFolder=f", "Recent File List", "File1", "/p/x.c",
                 "[Options]\nFSetFolder=f\n\n[Recent%20File%20List]\nFile1=/p/x.c\n"},
        CEditRow{"EmptyFile", "", "ToolBars", "Toolbar", "0", "[ToolBars]\nToolbar=0\n"},
        CEditRow{"WindowsLineEndsKept", "[Options]\r\nAppnFolder=a\r\n", "Options", "AppnFolder", "b",
                 "[Options]\r\nAppnFolder=b\r\n"}),
    [](const auto& row) { return std::string(row.param.name); });

// ---- The file

class SettingsFileTest : public ::testing::Test {
 protected:
  SettingsFileTest() : m_ports(CPorts{&messages, nullptr, nullptr}) {}

  static std::string Bytes(const fs::path& path) { return ReadFileBytes(path); }
  static struct stat Lstat(const fs::path& path) {
    struct stat info {};
    lstat(path.c_str(), &info);
    return info;
  }
  static struct stat Stat(const fs::path& path) {
    struct stat info {};
    stat(path.c_str(), &info);
    return info;
  }

  // Runs `work` on a thread of its own. Should it hang on `fifo`, the FIFO is
  // opened for writing and closed again, which ends the read: the fault shows
  // as a failure instead of a test that never ends.
  static bool FinishesPromptly(const std::function<void()>& work, const fs::path& fifo) {
    std::future<void> done = std::async(std::launch::async, work);
    if (done.wait_for(std::chrono::seconds(5)) == std::future_status::ready)
      return true;
    int fd = open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
    if (fd >= 0)
      close(fd);
    done.wait();
    return false;
  }

  CTempDir dir;
  CRecordingMessagePort messages;

 private:
  CScopedPorts m_ports;
};

TEST_F(SettingsFileTest, LinkToARegularFileIsWrittenThroughInPlace) {
  fs::create_directories(dir / "kept");
  WriteFileBytes(dir / "kept/kivo.conf", "; my settings\n[Options]\nAppnFolder=notes\n");
  fs::create_symlink(dir / "kept/kivo.conf", dir / "Kivo Vam.conf");
  ino_t inode = Stat(dir / "kept/kivo.conf").st_ino;

  CSettingsFile file((dir / "Kivo Vam.conf").string());
  file.Refresh();
  EXPECT_EQ(file.Value("Options", "AppnFolder"), "notes");
  EXPECT_TRUE(file.SetValue("Options", "FSetFolder", "sets"));
  EXPECT_TRUE(S_ISLNK(Lstat(dir / "Kivo Vam.conf").st_mode));
  EXPECT_EQ(Stat(dir / "kept/kivo.conf").st_ino, inode);
  EXPECT_EQ(Bytes(dir / "kept/kivo.conf"), "; my settings\n[Options]\nAppnFolder=notes\nFSetFolder=sets\n");
  EXPECT_TRUE(messages.Messages().empty());
}

TEST_F(SettingsFileTest, AValueStoredAgainWritesNothing) {
  WriteFileBytes(dir / "s.conf", "[Options]\nAppnFolder=notes\n");
  fs::last_write_time(dir / "s.conf", fs::file_time_type::clock::now() - std::chrono::hours(1));
  auto written = fs::last_write_time(dir / "s.conf");
  CSettingsFile file((dir / "s.conf").string());
  file.Refresh();
  EXPECT_TRUE(file.SetValue("Options", "AppnFolder", "notes"));
  EXPECT_EQ(fs::last_write_time(dir / "s.conf"), written);
}

TEST_F(SettingsFileTest, MissingFileIsCreatedWithItsFolderWhenAValueIsStored) {
  fs::path path = dir / "Halvora/Kivo Vam.conf";
  CSettingsFile file(path.string());
  file.Refresh();
  EXPECT_FALSE(fs::exists(path));
  EXPECT_TRUE(file.SetValue("Recent File List", "File1", "/p/kivo_vam.c"));
  CSettingsFile again(path.string());
  again.Refresh();
  EXPECT_EQ(again.Value("Recent File List", "File1"), "/p/kivo_vam.c");
}

// Two instances of the program, each storing its own change.
TEST_F(SettingsFileTest, WhatAnotherWriterStoredStays) {
  fs::path path = dir / "s.conf";
  WriteFileBytes(path, "[Options]\nAppnFolder=a\n");
  CSettingsFile first(path.string());
  CSettingsFile second(path.string());
  first.Refresh();
  second.Refresh();
  EXPECT_TRUE(first.SetValue("Options", "AppnFolder", "b"));
  EXPECT_TRUE(second.SetValue("ToolBars", "Toolbar", "0"));
  EXPECT_EQ(Bytes(path), "[Options]\nAppnFolder=b\n\n[ToolBars]\nToolbar=0\n");
}

TEST_F(SettingsFileTest, TooLargeFileIsNeitherReadNorOverwritten) {
  std::string big = "[Options]\nAppnFolder=x\n" + std::string(CSettingsFile::kMaxBytes, ';');
  WriteFileBytes(dir / "s.conf", big);
  CSettingsFile file((dir / "s.conf").string());
  file.Refresh();
  EXPECT_EQ(file.Value("Options", "AppnFolder"), std::nullopt);
  EXPECT_FALSE(file.SetValue("Options", "AppnFolder", "y"));
  EXPECT_EQ(messages.Ids(), std::vector<int>{4091});
  EXPECT_EQ(Bytes(dir / "s.conf"), big);
}

struct CNotRegularRow {
  const char* name;
  std::function<void(const fs::path& dir)> make;  // makes dir/"s.conf" and what it may name
};

class SettingsFileNotRegular : public SettingsFileTest, public ::testing::WithParamInterface<CNotRegularRow> {};

// Whatever the path names, it is the same kind of thing after a start and an
// exit that tried to store changes, and nothing blocked.
TEST_P(SettingsFileNotRegular, IsNeverOpenedNorReplaced) {
  GetParam().make(dir.Path());
  fs::path path = dir / "s.conf";
  struct stat before = Lstat(path);
  struct stat target = Stat(path);
  CSettingsFile file(path.string());
  EXPECT_TRUE(FinishesPromptly([&] { file.Refresh(); }, path));
  EXPECT_FALSE(file.Writable());
  EXPECT_FALSE(file.SetValue("Options", "AppnFolder", "notes"));
  EXPECT_FALSE(file.SetValue("Options", "FSetFolder", "sets"));
  EXPECT_EQ(messages.Ids(), std::vector<int>{4090});
  EXPECT_NE(messages.Messages()[0].text.find(path.string()), std::string::npos);
  EXPECT_EQ(Lstat(path).st_mode, before.st_mode);
  EXPECT_EQ(Lstat(path).st_ino, before.st_ino);
  EXPECT_EQ(Stat(path).st_mode, target.st_mode);
  EXPECT_EQ(Stat(path).st_ino, target.st_ino);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, SettingsFileNotRegular,
    ::testing::Values(CNotRegularRow{"Fifo", [](const fs::path& d) { mkfifo((d / "s.conf").c_str(), 0600); }},
                      CNotRegularRow{"LinkToAFifo",
                                     [](const fs::path& d) {
                                       mkfifo((d / "fifo").c_str(), 0600);
                                       fs::create_symlink(d / "fifo", d / "s.conf");
                                     }},
                      CNotRegularRow{"Folder", [](const fs::path& d) { fs::create_directory(d / "s.conf"); }},
                      CNotRegularRow{"LinkToAFolder",
                                     [](const fs::path& d) {
                                       fs::create_directory(d / "sub");
                                       fs::create_symlink(d / "sub", d / "s.conf");
                                     }},
                      CNotRegularRow{"LinkToNothing",
                                     [](const fs::path& d) { fs::create_symlink(d / "none", d / "s.conf"); }}),
    [](const auto& row) { return std::string(row.param.name); });

TEST_F(SettingsFileTest, FileSwappedForAFifoAfterReadingIsLeftAlone) {
  fs::path path = dir / "s.conf";
  WriteFileBytes(path, "[Options]\nAppnFolder=a\n");
  CSettingsFile file(path.string());
  file.Refresh();
  fs::remove(path);
  mkfifo(path.c_str(), 0600);
  bool stored = true;
  EXPECT_TRUE(FinishesPromptly([&] { stored = file.SetValue("Options", "AppnFolder", "b"); }, path));
  EXPECT_FALSE(stored);
  EXPECT_TRUE(S_ISFIFO(Lstat(path).st_mode));
  EXPECT_EQ(messages.Ids(), std::vector<int>{4090});
}

}  // namespace
