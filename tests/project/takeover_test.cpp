// Taking over the project of another document: what an open that succeeded
// hands to the document the views show.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <set>

#include "bundledkb.h"
#include "common/testsupport.h"
#include "project/notesmodel.h"
#include "project/projdoc.h"

namespace {

class TakeContentsTest : public CBundledKbTest {
 protected:
  void SetUp() override { setenv("SOURCE_DATE_EPOCH", "1796733629", 1); }
  void TearDown() override { unsetenv("SOURCE_DATE_EPOCH"); }

  static std::string Texts(CProjDoc& doc) {
    std::string source, header;
    EXPECT_TRUE(doc.GenerateProjectTexts(CProjDoc::kDefaultHName, source, header));
    return source + header;
  }
  static std::set<const CNotesOwner*> NoteOwners(const CNotesModel& notes) {
    std::set<const CNotesOwner*> owners;
    for (const CNotesModel::CEntry& entry : notes.Entries())
      owners.insert(entry.owner);
    return owners;
  }

  const std::string demo = SourcePath("examples/demo/kivo_vam.c").string();
  const std::string standard = FixturePath("project/gen/standard.c").string();
  CRecordedPorts ports;
};

// What the views are told besides the hints.
class CMarkObserver : public CProjectObserver {
 public:
  void OnProjectUpdate(CProjDoc&, int) override {}
  void OnModifiedChanged(CProjDoc& doc) override { marks.push_back(doc.IsModified()); }
  void OnUndoHistoryChanged(CProjDoc&) override { ++histories; }
  std::vector<bool> marks;
  int histories = 0;
};

TEST_F(TakeContentsTest, TheProjectChangesHandsAndTheSourceIsLeftEmpty) {
  CNotesModel notes;
  CProjDoc live(*s_kb, nullptr, &notes);
  ASSERT_TRUE(live.OnOpenDocument(standard));
  ASSERT_FALSE(notes.Entries().empty());
  ASSERT_TRUE(live.SetVerbatim("/* an edit to undo */"));
  ASSERT_TRUE(live.CanUndo());
  live.SetModifiedFlag(false);
  CMarkObserver observer;
  live.SetObserver(&observer);
  std::set<const CNotesOwner*> before = NoteOwners(notes);
  {
    CProjDoc read(*s_kb);
    ASSERT_TRUE(read.OnOpenDocument(demo));
    read.SetModifiedFlag(true);
    live.TakeContents(read);
    EXPECT_TRUE(read.Functions().empty());
    EXPECT_FALSE(read.IsModified());
    CProjDoc fresh(*s_kb);
    EXPECT_EQ(Texts(read), Texts(fresh));
  }
  // The history of the project before goes with it; the mark is told.
  EXPECT_FALSE(live.CanUndo());
  EXPECT_EQ(observer.marks, std::vector<bool>{true});
  EXPECT_GE(observer.histories, 1);
  live.SetObserver(nullptr);
  // The source is gone: nothing of the project may still point into it.
  CNotesModel directNotes;
  CProjDoc direct(*s_kb, nullptr, &directNotes);
  ASSERT_TRUE(direct.OnOpenDocument(demo));
  EXPECT_EQ(Texts(live), Texts(direct));
  EXPECT_TRUE(live.IsModified());
  ASSERT_EQ(live.Functions().size(), direct.Functions().size());
  for (const auto& func : live.Functions())
    EXPECT_EQ(func->doc, &live);

  // Every combined value is made of fields of the project's own members.
  std::set<const CKivoVarValue*> fields;
  for (int n = 1; n <= CProjDoc::kCfgMembers; ++n)
    for (const auto& entry : live.CfgMember(n).Entries())
      fields.insert(entry.value.get());
  ASSERT_FALSE(live.m_combinations.empty());
  for (const auto& [key, combined] : live.m_combinations)
    for (const CKivoVarValue* member : combined->members)
      EXPECT_TRUE(fields.count(member)) << key;

  // The notes name the new functions only, as an open of our own would.
  std::set<const CNotesOwner*> owners = NoteOwners(notes);
  EXPECT_EQ(owners.size(), NoteOwners(directNotes).size());
  for (const CNotesOwner* owner : owners) {
    EXPECT_FALSE(before.count(owner));
    bool ours = false;
    for (const auto& func : live.Functions())
      ours = ours || owner == func.get();
    EXPECT_TRUE(ours);
  }

  // Loads are computed through the functions' document.
  live.NotifyChanged(-1);
  direct.NotifyChanged(-1);
  for (std::size_t i = 0; i < live.Functions().size(); ++i)
    for (std::size_t c = 0; c < live.Functions()[i]->channels.size(); ++c)
      EXPECT_EQ(live.Functions()[i]->channels[c]->load, direct.Functions()[i]->channels[c]->load);
}

}  // namespace
