// CIniFile and CIniSection against fixture files: line recognition, ordering quirks, loading and writing.
#include <gtest/gtest.h>

#include <sstream>

#include "support/inifile.h"
#include "common/testsupport.h"

namespace {

std::vector<std::string> SectionNames(const CIniFile& file) {
  std::vector<std::string> names;
  for (const auto& section : file.Sections())
    names.push_back(section->name);
  return names;
}

struct CLoaded {
  CRecordedPorts ports;
  CIniFile file;
  int result = 0;
  explicit CLoaded(const std::string& fixture) : result(file.Load(FixturePath(fixture).string())) {}
};

}  // namespace

struct CValueRow {
  const char* name;
  const char* section;
  const char* key;
  bool present;
  const char* value;
};

class IniValueTest : public testing::TestWithParam<CValueRow> {};

TEST_P(IniValueTest, ReadsKeyLinesAsTheFormatSays) {
  CLoaded loaded("ini/quirks.ini");
  ASSERT_EQ(loaded.result, 1);
  const CValueRow& row = GetParam();
  const CIniSection* section = loaded.file.FindSection(row.section);
  ASSERT_NE(section, nullptr) << row.section;
  EXPECT_EQ(section->HasKey(row.key), row.present);
  EXPECT_EQ(section->GetValue(row.key), row.value);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, IniValueTest,
    testing::Values(CValueRow{"TrimmedAroundEquals", "Board", "name", true, "Demo board"},
                    CValueRow{"KeyWithoutValue", "Board", "empty", true, ""},
                    CValueRow{"InnerEqualsAndBlanksStay", "Board", "spaced", true, "a = b"},
                    CValueRow{"KeyWithBlankIgnored", "Board", "two", false, ""},
                    CValueRow{"KeyWithBlankIgnoredWhole", "Board", "two words", false, ""},
                    CValueRow{"SemicolonIsNoComment", "Board", ";commented", true, "kept as a key"},
                    CValueRow{"HashIsNoComment", "Board", "#hashed", true, "also a key"},
                    CValueRow{"LaterValueWins", "Board", "clock", true, "80"},
                    CValueRow{"TabsAreWhiteSpace", "Board", "tabbed", true, "tab value"},
                    CValueRow{"LinesBeforeFirstHeaderDropped", "Board", "orphan", false, ""},
                    CValueRow{"FirstSectionOfANameWins", "Board", "extra", false, ""},
                    CValueRow{"NamesAreCaseSensitive", "board", "name", true, "lower-case twin"},
                    CValueRow{"PaddedNameKeepsBlanks", "  Padded  ", "inside", true, "yes"}),
    [](const testing::TestParamInfo<CValueRow>& row) { return std::string(row.param.name); });

TEST(IniOrder, SectionsAndKeysKeepTheirFirstPosition) {
  CLoaded loaded("ini/quirks.ini");
  EXPECT_EQ(SectionNames(loaded.file), (std::vector<std::string>{"Board", "board", "  Padded  "}));
  EXPECT_EQ(loaded.file.FindSection("Padded"), nullptr);
  const CIniSection* board = loaded.file.FindSection("Board");
  ASSERT_NE(board, nullptr);
  EXPECT_EQ(board->Keys(),
            (std::vector<std::string>{"name", "empty", "spaced", ";commented", "#hashed", "clock", "tabbed"}));
  EXPECT_TRUE(loaded.ports.messages.Messages().empty());
}

TEST(IniOrder, SetValueReplacesInPlaceAndAppendsNewKeys) {
  CIniSection section;
  section.SetValue("b", "1");
  section.SetValue("a", "2");
  section.SetValue("b", "3");
  EXPECT_EQ(section.Keys(), (std::vector<std::string>{"b", "a"}));
  EXPECT_EQ(section.GetValue("b"), "3");
}

TEST(IniLoad, CarriageReturnLineEndsReadAsNewlines) {
  CLoaded loaded("ini/crlf.ini");
  ASSERT_EQ(loaded.result, 1);
  EXPECT_EQ(SectionNames(loaded.file), (std::vector<std::string>{"Crlf", "Next"}));
  EXPECT_EQ(loaded.file.FindSection("Crlf")->GetValue("key"), "value");
  EXPECT_EQ(loaded.file.FindSection("Next")->GetValue("last"), "1");
}

TEST(IniLoad, FileWithoutHeadersLoadsEmpty) {
  CLoaded loaded("ini/nosections.ini");
  EXPECT_EQ(loaded.result, 1);
  EXPECT_TRUE(loaded.file.Sections().empty());
  EXPECT_EQ(loaded.file.Path(), FixturePath("ini/nosections.ini").string());
}

TEST(IniLoad, SecondLoadAddsAndDropsNamesAlreadyPresent) {
  CLoaded loaded("ini/quirks.ini");
  ASSERT_EQ(loaded.file.Load(FixturePath("ini/second.ini").string()), 1);
  EXPECT_EQ(SectionNames(loaded.file), (std::vector<std::string>{"Board", "board", "  Padded  ", "Extra"}));
  EXPECT_EQ(loaded.file.FindSection("Board")->GetValue("name"), "Demo board");
  EXPECT_EQ(loaded.file.Path(), FixturePath("ini/second.ini").string());
}

TEST(IniLoad, UnreadablePathsReportAFileErrorNamingTheFile) {
  for (const std::string fixture : {"ini/missing.ini", "ini"}) {
    CLoaded loaded(fixture);
    EXPECT_EQ(loaded.result, 0) << fixture;
    ASSERT_EQ(loaded.ports.messages.Messages().size(), 1u) << fixture;
    EXPECT_NE(loaded.ports.messages.Messages()[0].text.find(FixturePath(fixture).string()), std::string::npos);
    EXPECT_TRUE(loaded.file.Path().empty());
  }
}

TEST(IniSections, AddingANameTwiceIsRefused) {
  CIniFile file;
  CIniSection* first = file.AddSection("S");
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(file.AddSection("S"), nullptr);
  auto twin = std::make_unique<CIniSection>();
  twin->name = "S";
  EXPECT_EQ(file.AddSectionObject(std::move(twin)), 0);
  EXPECT_EQ(file.Sections().size(), 1u);
  EXPECT_EQ(file.FindSection("S"), first);
  file.Clear();
  EXPECT_EQ(file.FindSection("S"), nullptr);
  EXPECT_NE(file.AddSection("S"), nullptr);
}

TEST(IniWrite, WritesHeaderSectionsAndAnEmptyLineAfterEach) {
  CLoaded loaded("ini/crlf.ini");
  loaded.file.header = "; written";
  std::ostringstream out;
  EXPECT_EQ(loaded.file.Write(out), 1);
  EXPECT_EQ(out.str(), "; written\n[Crlf]\nkey=value\nother=x\n\n[Next]\nlast=1\n\n");
}

TEST(IniWrite, SavedFileReadsBackTheSame) {
  CLoaded loaded("ini/quirks.ini");
  CTempDir dir;
  std::string target = (dir / "copy.ini").string();
  ASSERT_EQ(loaded.file.SaveAs(target, true), 1);
  CIniFile copy;
  ASSERT_EQ(copy.Load(target), 1);
  ASSERT_EQ(SectionNames(copy), SectionNames(loaded.file));
  for (const auto& section : loaded.file.Sections()) {
    const CIniSection* again = copy.FindSection(section->name);
    EXPECT_EQ(again->Keys(), section->Keys());
    for (const std::string& key : section->Keys())
      EXPECT_EQ(again->GetValue(key), section->GetValue(key)) << key;
  }
}

TEST(IniWrite, SaveNeedsAPathAndReportsOnlyWhenAsked) {
  CRecordedPorts ports;
  CIniFile file;
  EXPECT_EQ(file.Save(true), 0);
  CTempDir dir;
  std::string target = (dir / "no-such-folder" / "x.ini").string();
  EXPECT_EQ(file.SaveAs(target, false), 0);
  EXPECT_TRUE(ports.messages.Messages().empty());
  EXPECT_EQ(file.SaveAs(target, true), 0);
  EXPECT_EQ(ports.messages.Messages().size(), 1u);
}

// Derived files build their records after the base has read the sections.
TEST(IniRead, DerivedReadSeesTheSections) {
  class CCounting : public CIniFile {
   public:
    std::size_t seen = 0;
    int Read(std::istream& in, const std::string& fullPath) override {
      CIniFile::Read(in, fullPath);
      seen = Sections().size();
      return 1;
    }
  } file;
  CRecordedPorts ports;
  ASSERT_EQ(file.Load(FixturePath("ini/quirks.ini").string()), 1);
  EXPECT_EQ(file.seen, 3u);
}
