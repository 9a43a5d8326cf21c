// Notes entries of configured functions: placeholders, captions and removal.
#include "evalfixture.h"
#include "knowledge/apimeta.h"

namespace {

using CApi = CProjDoc::CFuncInfo_Api;

const CNotesModel::CEntry* EntryOf(const CNotesModel& notes, const CNotesOwner* owner) {
  for (const auto& entry : notes.Entries())
    if (entry.owner == owner)
      return &entry;
  return nullptr;
}

}  // namespace

class CNotesBuildTest : public CEvalFixture {
 protected:
  // ODD in FM mode on engine B with the channels 7, 3 and 9.
  std::unique_ptr<CApi> OddOnEngineB() {
    auto func = Make("ODD", "hv_kivo_odd_init", 1, 0);
    SetValue(*func, "mode", "KIVO_ODD_FM");
    SetValue(*func, "count", "2");
    func->BuildChannels({});
    EXPECT_EQ(func->channels.size(), 3u);
    int numbers[] = {7, 3, 9};
    for (std::size_t i = 0; i < func->channels.size() && i < 3; ++i)
      func->channels[i]->number = numbers[i];
    return func;
  }
};

TEST_F(CNotesBuildTest, Placeholders) {
  auto func = OddOnEngineB();
  const std::string link = "<a href=\"kivovam:E1/Ch3\">";
  struct CRow {
    const char* tag;
    std::string text;
  };
  const CRow rows[] = {
      {"%engine%", "B"},
      {"%ENGINE%", "B"},
      {"%EngineName%", "Engine B"},
      {"%funccall%", "hv_kivo_odd_init"},
      {"%funcname%", "ODD"},
      {"%funcdesc%", "Odd Corners"},
      {"%channel%", "3"},
      {"%linkpos%", link + "Engine B, Channel 3</a>"},
      {"%linkname(Start)%", link + "Start</a>"},
      {"%linkname%", link + "ODD</a>"},
      {"%linkdesc%", link + "Odd Corners</a>"},
      {"%link%", link + "ODD</a>"},
      {"%param(mode)%", "KIVO_ODD_FM"},
      {"%valueof(count)%", "2"},
      {"%^count%", "2"},
      {"%^(mode)%", "KIVO_ODD_FM"},
      {"%param(nothing)%", "<i>undefined</i>"},
      {"%param%", "<i>undefined</i>"},
      {"%LINKNAME%", "<i>%LINKNAME%</i>"},
      {"%Param(mode)%", "<i>%Param(mode)%</i>"},
  };
  for (const CRow& row : rows) {
    std::string text = "unchanged";
    EXPECT_TRUE(func->ExpandNotesTag(row.tag, text));
    EXPECT_EQ(text, row.text) << row.tag;
  }
}

TEST_F(CNotesBuildTest, EntryHasTitleCaptionAndLastPlaceholderOfEachLine) {
  auto func = OddOnEngineB();
  EXPECT_TRUE(func->BuildNotes());
  const CNotesModel::CEntry* entry = EntryOf(notes, func.get());
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(entry->title, "Odd Corners");
  EXPECT_EQ(entry->linkText, "Engine B, Channel 3");
  EXPECT_EQ(entry->key, 0);
  const std::string& body = entry->body;
  EXPECT_NE(body.find("Mode %param(mode)% on <a href=\"kivovam:E1/Ch3\">Engine B, Channel 3</a>"),
            std::string::npos)
      << body;
  EXPECT_NE(body.find("runs on %engine% of Engine B"), std::string::npos) << body;
  EXPECT_NE(body.find("counting 2."), std::string::npos) << body;

  // Nothing changed: the notes model says so.
  EXPECT_FALSE(func->BuildNotes());
  SetValue(*func, "count", "5");
  EXPECT_TRUE(func->BuildNotes());
  EXPECT_NE(EntryOf(notes, func.get())->body.find("counting 5."), std::string::npos);
  EXPECT_EQ(notes.Entries().size(), 1u);
}

TEST_F(CNotesBuildTest, BuildAllNotesKeepsOnlyApiFunctionsWithNotesText) {
  auto api = OddOnEngineB();
  CApi* apiPtr = api.get();
  doc->AddFunction(std::move(api));
  auto nonApi = std::make_unique<CProjDoc::CFuncInfo_NonApi>();
  CProjDoc::CFuncInfo* nonApiPtr = nonApi.get();
  doc->AddFunction(std::move(nonApi));
  notes.SetNote(nonApiPtr, 0, "old", "old", "old");

  auto silent = Make("ODD", "hv_kivo_odd_init_num", 0, 0);  // no notes text
  CProjDoc::CFuncInfo* silentPtr = silent.get();
  doc->AddFunction(std::move(silent));
  notes.SetNote(silentPtr, 0, "stale", "stale", "stale");

  doc->BuildAllNotes();
  EXPECT_EQ(notes.Entries().size(), 1u);
  EXPECT_NE(EntryOf(notes, apiPtr), nullptr);
  EXPECT_EQ(EntryOf(notes, nonApiPtr), nullptr);
}
