// The next save's texts over the sample project: equal to what the save then
// writes, computed without a trace on the project; the comparison with the
// files on disk, where the stamp and line ends are no difference.
#include "project/generatedcode.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>

#include "base/filereader.h"
#include "bundledkb.h"
#include "common/testsupport.h"
#include "project/projdoc.h"

namespace fs = std::filesystem;

namespace {

class CCountingObserver : public CProjectObserver {
 public:
  void OnProjectUpdate(CProjDoc&, int) override { ++told; }
  void OnModifiedChanged(CProjDoc&) override { ++told; }
  void OnUndoHistoryChanged(CProjDoc&) override { ++told; }
  int told = 0;
};

class GeneratedCodeTest : public CBundledKbTest {
 public:
  void SetUp() override {
    CopySampleProject(dir.Path());
  }
  void TearDown() override { unsetenv("SOURCE_DATE_EPOCH"); }

  std::string Source() const { return (dir / "kivo_vam.c").string(); }
  std::string Header() const { return (dir / "kivo_vam.h").string(); }
  bool Open() {
    doc.SetObserver(&observer);
    bool opened = doc.OnOpenDocument(Source());
    ports.messages.Clear();
    observer.told = 0;
    return opened;
  }

  CRecordedPorts ports;
  CTempDir dir;
  CProjDoc doc{*s_kb};
  CCountingObserver observer;
};

// A call the reader keeps as written, an edit, and engine frequencies the
// project has not derived yet: the next save's texts hold all three as the
// save writes them, and computing them leaves the project as it was.
TEST_F(GeneratedCodeTest, TheTextsAreTheSavesAndTheProjectStaysAsItWas) {
  setenv("SOURCE_DATE_EPOCH", "1796733629", 1);
  std::string text = ReadFileBytes(Source());
  const std::string anchor = "    \treturn ((PWM0_OUTPUT) + 1);\n";
  ASSERT_NE(text.find(anchor), std::string::npos);
  text.insert(text.find(anchor) + anchor.size(), "    my_kivo_spare_init (3);\n");
  WriteFileBytes(Source(), text);
  ASSERT_TRUE(Open());
  ASSERT_EQ(doc.m_kept.calls.size(), 1u);
  ASSERT_TRUE(doc.SetVerbatim("#define SPARE 3\r\n"));
  observer.told = 0;
  const uint32_t derived = doc.m_engine[0].tcr1Freq;
  doc.m_engine[0].tcr1Freq = 1;
  std::string imageBefore[2], imageAfter[2];
  ASSERT_TRUE(doc.GenerateProjectTexts(CProjDoc::kDefaultHName, imageBefore[0], imageBefore[1]));
  const std::string undoName = doc.UndoName();

  CNextSave next = ComputeNextSave(doc, Source());

  ASSERT_TRUE(next.generated) << next.reason;
  EXPECT_EQ(next.sourcePath, Source());
  EXPECT_EQ(next.headerPath, Header());
  EXPECT_TRUE(ports.messages.Messages().empty());
  EXPECT_EQ(observer.told, 0);
  EXPECT_EQ(doc.m_engine[0].tcr1Freq, 1u);
  EXPECT_TRUE(doc.IsModified());
  EXPECT_EQ(doc.UndoName(), undoName);
  ASSERT_TRUE(doc.GenerateProjectTexts(CProjDoc::kDefaultHName, imageAfter[0], imageAfter[1]));
  EXPECT_EQ(imageAfter[0], imageBefore[0]);
  EXPECT_EQ(imageAfter[1], imageBefore[1]);
  EXPECT_NE(next.source.find("    my_kivo_spare_init (3);\n"), std::string::npos);
  EXPECT_NE(next.source.find("#define SPARE 3\n"), std::string::npos);
  EXPECT_NE(next.source.find(std::to_string(derived)), std::string::npos);

  ASSERT_TRUE(doc.OnSaveDocument(Source()));
  EXPECT_EQ(ReadFileBytes(Source()), next.source);
  EXPECT_EQ(ReadFileBytes(Header()), next.header);
}

// A template that does not read (a FIFO here: the bounded reader refuses it
// without waiting for a writer) gives the reason and no texts, and nothing
// reaches the user.
TEST_F(GeneratedCodeTest, ATemplateThatDoesNotReadGivesTheReason) {
  ASSERT_TRUE(Open());
  ASSERT_EQ(mkfifo((dir / "broken._c").c_str(), 0600), 0);
  WriteFileBytes(dir / "broken._h", "/* %DateTime% */\n");
  doc.m_cpu.templateName = (dir / "broken").string();
  CNextSave next = ComputeNextSave(doc, Source());
  EXPECT_FALSE(next.generated);
  EXPECT_NE(next.reason.find((dir / "broken._c").string()), std::string::npos) << next.reason;
  EXPECT_NE(next.reason.find("FIFO"), std::string::npos) << next.reason;
  EXPECT_TRUE(next.source.empty());
  EXPECT_TRUE(ports.messages.Messages().empty());
  EXPECT_EQ(observer.told, 0);

  doc.m_cpu.templateName = (dir / "missing").string();
  next = ComputeNextSave(doc, Source());
  EXPECT_FALSE(next.generated);
  EXPECT_NE(next.reason.find("missing._c"), std::string::npos) << next.reason;
}

// The files just opened are no difference though the next save stamps
// another time; an edit marks its line; a file written elsewhere with CR LF
// differs in nothing but its line ends.
TEST_F(GeneratedCodeTest, TheComparisonWithTheFilesOnDisk) {
  setenv("SOURCE_DATE_EPOCH", "86400", 1);
  ASSERT_TRUE(Open());
  CNextSave next = ComputeNextSave(doc, Source());
  ASSERT_TRUE(next.generated) << next.reason;
  ASSERT_EQ(next.stamps.size(), 1u);
  EXPECT_EQ(next.stamps[0].head, " *   Generated on ");
  CDiskText source = ReadDiskText(Source());
  ASSERT_EQ(source.state, CDiskText::kRead);
  EXPECT_FALSE(source.crlf);
  EXPECT_TRUE(CompareWithDisk(next.source, source, next.stamps).Same());
  EXPECT_TRUE(CompareWithDisk(next.header, ReadDiskText(Header()), next.stamps).Same());
  // Without the stamp rule the stamp line is the one difference.
  EXPECT_EQ(CompareWithDisk(next.source, source, {}).places, std::vector<int>{2});

  ASSERT_TRUE(doc.SetClocks(120000000, 0));
  next = ComputeNextSave(doc, Source());
  CLineDiff diff = CompareWithDisk(next.source, source, next.stamps);
  std::vector<std::string_view> lines = SplitLines(next.source);
  ASSERT_FALSE(diff.places.empty());
  EXPECT_EQ(lines[diff.places[0]], " *   SYSCLK         = 120 MHz");
  EXPECT_EQ(diff.marks[diff.places[0]], ELineMark::kChanged);

  std::string crlf;
  for (char c : ReadFileBytes(Header()))
    crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  WriteFileBytes(Header(), crlf);
  CDiskText header = ReadDiskText(Header());
  EXPECT_TRUE(header.crlf);
  EXPECT_TRUE(CompareWithDisk(next.header, header, next.stamps).Same());
}

// A project never saved has no files to compare with; one whose files are
// gone or cannot be read shows no marks, with the reason.
TEST_F(GeneratedCodeTest, NoFileToCompareWith) {
  ASSERT_TRUE(doc.OnNewDocument());
  CNextSave next = ComputeNextSave(doc, "");
  ASSERT_TRUE(next.generated) << next.reason;
  EXPECT_TRUE(next.sourcePath.empty());
  EXPECT_NE(next.source.find("#include \"kivo_vam.h\""), std::string::npos);
  EXPECT_EQ(ReadDiskText(next.sourcePath).state, CDiskText::kNoPath);

  EXPECT_EQ(ReadDiskText((dir / "gone.c").string()).state, CDiskText::kMissing);
  ASSERT_EQ(mkfifo((dir / "fifo.c").c_str(), 0600), 0);
  CDiskText fifo = ReadDiskText((dir / "fifo.c").string());
  EXPECT_EQ(fifo.state, CDiskText::kUnreadable);
  EXPECT_FALSE(fifo.reason.empty());
  WriteFileBytes(dir / "big.c", std::string(kMaxReadFileSize + 1, '\n'));
  CDiskText big = ReadDiskText((dir / "big.c").string());
  EXPECT_EQ(big.state, CDiskText::kUnreadable);
  EXPECT_TRUE(big.bytes.empty());
  CLineDiff diff = CompareWithDisk(next.source, big, next.stamps);
  EXPECT_TRUE(diff.Same());
  EXPECT_EQ(diff.marks.size(), SplitLines(next.source).size());
}

}  // namespace
