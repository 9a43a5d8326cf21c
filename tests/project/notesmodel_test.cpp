// Tests of the notes entries, their states, the rendered page and the link forms.
#include "project/notesmodel.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "common/testsupport.h"

namespace {

class CFakeOwner : public CNotesOwner {
 public:
  bool ShowInChannels(long) override { return true; }
};

class NotesModelTest : public ::testing::Test {
 protected:
  CNotesModel model;
  CFakeOwner a, b;
};

TEST_F(NotesModelTest, StatesAndRevisionFollowChanges) {
  unsigned rev = model.Revision();
  ASSERT_TRUE(model.SetNote(&a, 0, "PWM", "<p>x</p>", "Engine A, Channel 2"));
  EXPECT_GT(model.Revision(), rev);
  rev = model.Revision();
  EXPECT_FALSE(model.SetNote(&a, 0, "PWM", "<p>x</p>", "Engine A, Channel 2"));
  EXPECT_EQ(model.Revision(), rev);
  EXPECT_EQ(model.Entries()[0].state, CNotesModel::kNew);

  model.MarkNotesSeen();
  EXPECT_EQ(model.Entries()[0].state, CNotesModel::kSeen);
  rev = model.Revision();
  model.MarkNotesSeen();
  EXPECT_EQ(model.Revision(), rev);

  ASSERT_TRUE(model.SetNote(&a, 0, "PWM", "<p>y</p>", "Engine A, Channel 2"));
  EXPECT_EQ(model.Entries()[0].state, CNotesModel::kChanged);
  EXPECT_EQ(model.Entries()[0].body, "<p>y</p>");
}

TEST_F(NotesModelTest, NewEntryGoesBeforeItsOwnersFirstAndIdsStayUnique) {
  model.SetNote(&a, 0, "A0", "", "");
  model.SetNote(&b, 0, "B0", "", "");
  model.SetNote(&b, 1, "B1", "", "");
  ASSERT_EQ(model.Entries().size(), 3u);
  EXPECT_EQ(model.Entries()[1].title, "B1");
  EXPECT_EQ(model.Entries()[2].title, "B0");
  EXPECT_NE(model.Entries()[1].id, model.Entries()[2].id);

  model.ReplaceNoteOwner(&b, &a);
  model.RemoveNotes(&a);
  EXPECT_FALSE(model.IsVisible());
  unsigned rev = model.Revision();
  model.RemoveNotes(&a);
  EXPECT_EQ(model.Revision(), rev);
}

TEST_F(NotesModelTest, RendersBundledTemplateWithEntriesAndLegend) {
  model.SetNote(&a, 0, "Pulse Width", "<p>body</p>", "Engine B, Channel 7");
  model.SetNote(&b, 0, "Plain", "<p>two</p>", "");
  model.MarkNotesSeen();
  model.SetNote(&b, 0, "Plain", "<p>three</p>", "");
  unsigned idA = model.Entries()[0].id;
  std::string page;
  ASSERT_TRUE(model.RenderPageFile(SourcePath("conf/pnotes.htm").string(), page));

  EXPECT_EQ(page.find('%'), std::string::npos) << page;
  EXPECT_NE(page.find("<td class=\"hid\"><span class=\"new_text\">"), std::string::npos);
  EXPECT_NE(page.find("<td class=\"vis\"><span class=\"chg_text\">"), std::string::npos);
  EXPECT_NE(page.find("<td class=\"vis\"><span class=\"old_text\">"), std::string::npos);
  std::string first = "<div class=\"old_text\">\n<a name=\"A" + std::to_string(idA) +
                      "\"></a><h2>Pulse Width<br>\n<span class=\"funclink\"><a href=\"kivovam:PN" +
                      std::to_string(idA) + "\">Engine B, Channel 7</a></span></h2><p>body</p>\n</div>\n";
  EXPECT_NE(page.find(first), std::string::npos) << page;
  EXPECT_NE(page.find("<div class=\"chg_text\">\n"), std::string::npos);
  EXPECT_NE(page.find("<h2>Plain</h2><p>three</p>\n</div>\n"), std::string::npos);
  EXPECT_LT(page.find("<h1>Project Notes</h1>"), page.find(first));
}

TEST_F(NotesModelTest, IdentifierIsHexInAnchorAndDecimalInLink) {
  for (int i = 0; i < 11; ++i)
    model.SetNote(&a, i, "t", "", "L");
  const CNotesModel::CEntry& last = model.Entries().front();
  ASSERT_GE(last.id, 10u);
  char anchor[32];
  std::snprintf(anchor, sizeof anchor, "name=\"A%x\"", last.id);
  std::string html = model.NotesHtml();
  EXPECT_NE(html.find(anchor), std::string::npos);
  EXPECT_NE(html.find("kivovam:PN" + std::to_string(last.id) + "\""), std::string::npos);
}

TEST_F(NotesModelTest, TemplateWithoutNotesPlaceholderKeepsLegend) {
  model.SetNote(&a, 0, "t", "<p>b</p>", "");
  std::string page;
  ASSERT_TRUE(model.RenderPageFile(FixturePath("project/pnotes_nonotes.htm").string(), page));
  EXPECT_EQ(page, "<p>before</p>\n<p class=\"vis\">legend only</p>\n<p>after</p>\n");
}

TEST_F(NotesModelTest, MissingTemplateIsReportedAsFileError) {
  CRecordedPorts ports;
  std::string page;
  EXPECT_FALSE(model.RenderPageFile(FixturePath("project/no_such.htm").string(), page));
  ASSERT_EQ(ports.messages.Messages().size(), 1u);
}

struct LinkRow {
  const char* name;
  const char* text;
  CNotesModel::ELinkKind kind;
  unsigned id;
  int engine;
  int channel;
};

TEST(NotesLinkTest, ParsesBothFormsAndIgnoresTheRest) {
  const LinkRow rows[] = {
      {"note", "PN12", CNotesModel::kLinkNote, 12, 0, 0},
      {"channel", "E1/Ch7", CNotesModel::kLinkChannel, 0, 1, 7},
      {"trailing text", "PN12x", CNotesModel::kLinkNone, 0, 0, 0},
      {"half channel", "E0/", CNotesModel::kLinkNone, 0, 0, 0},
      {"other", "http://x", CNotesModel::kLinkNone, 0, 0, 0},
  };
  for (const LinkRow& row : rows) {
    CNotesModel::CLink link = CNotesModel::ParseLink(row.text);
    EXPECT_EQ(link.kind, row.kind) << row.name;
    if (row.kind == CNotesModel::kLinkNote) {
      EXPECT_EQ(link.noteId, row.id) << row.name;
    }
    if (row.kind == CNotesModel::kLinkChannel) {
      EXPECT_EQ(link.engine, row.engine) << row.name;
      EXPECT_EQ(link.channel, row.channel) << row.name;
    }
  }
}

}  // namespace
