// The project's edit operations over the bundled library: what each changes, tells and marks, what it asks, and undo and redo over them.
#include "project/projdoc.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "bundledkb.h"
#include "common/testsupport.h"
#include "project/enginerules.h"
#include "project/notesmodel.h"

namespace {

using CFuncInfo = CProjDoc::CFuncInfo;

constexpr const char* kMotionSet = "kivo2/kivo_set_k2_motion.h";
constexpr const char* kStandardSet = "kivo/kivo_set_std.h";

// What the document told its observer, in order.
class CRecordingObserver : public CProjectObserver {
 public:
  void OnProjectUpdate(CProjDoc&, int hint) override { hints.push_back(hint); }
  void OnModifiedChanged(CProjDoc& doc) override { marks.push_back(doc.IsModified()); }
  void OnCommandLineLockChanged(CProjDoc& doc) override { locks.push_back(!doc.CanNewOrOpen()); }
  void OnUndoHistoryChanged(CProjDoc& doc) override { undoNames.push_back(doc.UndoName()); }
  void Clear() {
    hints.clear();
    marks.clear();
    locks.clear();
    undoNames.clear();
  }
  std::vector<int> hints;
  std::vector<bool> marks;
  std::vector<bool> locks;
  std::vector<std::string> undoNames;
};

// Public: the tables' steps reach the fixture through a reference.
class DocOpsTest : public CBundledKbTest {
 public:
  // A two-engine Kivo2 processor with the motion set, a PWM on A:0, a QD on
  // B:0 and a GPIO on B:8, saved and opened again: nothing to undo.
  void SetUp() override {
    doc.SetObserver(&observer);
    ASSERT_TRUE(doc.OnNewDocument());
    ASSERT_TRUE(doc.SetProcessor({"Omiro Q32", 80000000, 0}));
    ASSERT_TRUE(doc.SelectFunctionSet(s_kb->fsetLib.FindSet(kMotionSet)));
    ASSERT_TRUE(Add("PWM", 0, 0));
    ASSERT_TRUE(Add("QD", 1, 0));
    ASSERT_TRUE(Add("GPIO", 1, 8));
    ASSERT_TRUE(doc.OnSaveDocument((folder / "p.c").string()));
    ASSERT_TRUE(doc.OnOpenDocument((folder / "p.c").string()));
    ASSERT_FALSE(doc.CanUndo());
    ASSERT_FALSE(doc.IsModified());
    ports.messages.Clear();
    observer.Clear();
  }

  bool Add(const std::string& name, int engine, int channel) {
    const CKivoFunc* func = doc.m_pFSet ? doc.m_pFSet->FindFunc(name) : nullptr;
    return func && doc.AddConfiguredFunction(doc.NewFunction(*func, engine, channel));
  }
  const CFuncInfo* Find(const std::string& instance) const {
    for (const auto& func : doc.Functions())
      if (func->InstanceName() == instance)
        return func.get();
    return nullptr;
  }
  std::string Field(int engine, const char* section) const {
    const CKivoVarValue* field = FindEngineField(doc, engine, section);
    return field ? field->Text() : std::string("(none)");
  }
  // The project as the generated pair says it, without the time stamp.
  std::string Pair() {
    std::string source, header;
    EXPECT_TRUE(doc.GenerateProjectTexts(CProjDoc::kDefaultHName, source, header));
    std::string text = source + header;
    for (std::size_t stamp = text.find("Generated on"); stamp != std::string::npos;
         stamp = text.find("Generated on", stamp))
      text.erase(stamp, text.find('\n', stamp) - stamp);
    return text;
  }

  CRecordedPorts ports;
  CTempDir folder;
  CNotesModel notes;
  CRecordingObserver observer;
  CProjDoc doc{*s_kb, nullptr, &notes};
};

// ---- Each operation: its effect, its hint, the mark and its undo step

TEST_F(DocOpsTest, EachOperationChangesTellsMarksAndUndoes) {
  struct CRow {
    const char* step;
    std::function<bool(DocOpsTest&)> apply;
    std::function<bool(DocOpsTest&)> applied;  // true after the operation, false after its undo
    std::vector<int> hints;
  };
  const CRow rows[] = {
      {"Change Processor", [](DocOpsTest& t) { return t.doc.SelectProcessor("Pelisk P8"); },
       [](DocOpsTest& t) { return t.doc.m_strCpu == "Pelisk P8" && t.doc.m_cpu.templateName == "pelisk"; },
       {kHintAllEngines}},
      {"Change Clocks", [](DocOpsTest& t) { return t.doc.SetClocks(120000000, 50000000); },
       [](DocOpsTest& t) { return t.doc.m_nSysClk == 120000000 && t.doc.m_nPtbClk == 50000000; },
       {kHintAllEngines}},
      {"Engine A Settings",
       [](DocOpsTest& t) {
         CProjDoc::CEngineValues values = t.doc.EngineValues(0);
         values.Field("ECR.MDIS")->Set("HV_KIVO_MDIS_ON", "");
         CKivoVarValue* prescaler = values.Field("TBCR.TCR1P");
         prescaler->Set(prescaler->def->values.front()->name, "4");
         values.tcrclkIn = 2000000;
         return t.doc.SetEngineValues(values);
       },
       [](DocOpsTest& t) {
         return t.Field(0, "ECR.MDIS") == "HV_KIVO_MDIS_ON" && FindEngineField(t.doc, 0, "TBCR.TCR1P")->argument == "4" &&
                t.doc.m_engine[0].tcrclkIn == 2000000 && t.Field(1, "ECR.MDIS") == "HV_KIVO_MDIS_OFF";
       },
       {kHintEngineA}},
      {"Engine B Settings",
       [](DocOpsTest& t) {
         CProjDoc::CEngineValues values = t.doc.EngineValues(1);
         // The TCR1 clock source is a combined setting; the engine's members follow it.
         const CKivoVarDef* def = values.Field("combination0")->def;
         values.Field("combination0")->Set(def->values.back()->name, "");
         return t.doc.SetEngineValues(values);
       },
       [](DocOpsTest& t) {
         const CKivoVarValue* combined = FindEngineField(t.doc, 1, "combination1");
         return combined->valueName == combined->def->values.back()->name &&
                t.doc.CfgMemberText(7) != t.doc.CfgMemberText(4);
       },
       {kHintEngineB}},
      {"Module Settings",
       [](DocOpsTest& t) {
         CProjDoc::CEngineValues values = t.doc.EngineValues(-1);
         values.Field("MCR.GTBE")->Set("HV_KIVO_GTBE_ENABLED", "");
         return t.doc.SetEngineValues(values);
       },
       [](DocOpsTest& t) { return t.doc.CfgMember(1).Find("MCR.GTBE")->valueName == "HV_KIVO_GTBE_ENABLED"; },
       {kHintAllEngines}},
      {"Add PWM", [](DocOpsTest& t) { return t.Add("PWM", 1, 20); },
       [](DocOpsTest& t) { return t.doc.Functions().size() == 4 && t.Find("PWM1") != nullptr; },
       {kHintEverything}},
      {"Change QD",
       [](DocOpsTest& t) {
         auto copy = t.Find("QD")->Clone();
         for (auto& chan : copy->channels)
           chan->number += 10;
         return t.doc.ReplaceConfiguredFunction(t.Find("QD"), std::move(copy));
       },
       [](DocOpsTest& t) { return t.Find("QD")->LowestChannel() == 10; }, {kHintEverything}},
      {"Remove GPIO", [](DocOpsTest& t) { return t.doc.RemoveConfiguredFunctions({t.Find("GPIO")}); },
       [](DocOpsTest& t) { return t.Find("GPIO") == nullptr && t.doc.Functions().size() == 2; },
       {kHintEverything}},
      {"Remove 2 Functions",
       [](DocOpsTest& t) { return t.doc.RemoveConfiguredFunctions({t.Find("GPIO"), t.Find("PWM"), t.Find("GPIO")}); },
       [](DocOpsTest& t) { return t.doc.Functions().size() == 1 && t.Find("QD") != nullptr; }, {kHintEverything}},
      {"Change Function Set",
       [](DocOpsTest& t) {
         t.ports.messages.QueueAnswer(EAnswer::Yes);
         return t.doc.SelectFunctionSet(s_kb->fsetLib.FindSet(kStandardSet));
       },
       [](DocOpsTest& t) { return t.doc.Functions().empty() && t.doc.m_pFSet->relativePath == kStandardSet; },
       {kHintEverything}},
      {"Engine B Channel Flags",
       [](DocOpsTest& t) { return t.doc.SetChannelMasks(1, {0x100, 0x1, 0x80000000, 0x80000001}); },
       [](DocOpsTest& t) { return t.doc.m_engine[1].cie == 0x100 && t.doc.m_engine[1].opol == 0x80000001; },
       {kHintEngineB}},
      {"Load Inputs of PWM",
       [](DocOpsTest& t) {
         CProjDoc::CLoadVarVals inputs;
         inputs.values["duty_updates"] = "100";
         return t.doc.SetLoadInputs(t.Find("PWM"), inputs);
       },
       [](DocOpsTest& t) {
         const auto& api = static_cast<const CProjDoc::CFuncInfo_Api&>(*t.Find("PWM"));
         return api.loadInputs.values.count("duty_updates") == 1;
       },
       {kHintLoadInputs}},
      {"Verbatim Block", [](DocOpsTest& t) { return t.doc.SetVerbatim("#define LIMIT 4\nint spare;\n"); },
       [](DocOpsTest& t) { return t.doc.m_strVerbatim == "#define LIMIT 4\r\nint spare;\r\n"; },
       {kHintEverything}},
      {"External Declarations", [](DocOpsTest& t) { return t.doc.SetExternDecls(false); },
       [](DocOpsTest& t) { return !t.doc.m_bExternDecls; }, {kHintEverything}},
  };
  for (const CRow& row : rows) {
    SCOPED_TRACE(row.step);
    SetUp();
    std::string before = Pair();
    ASSERT_FALSE(row.applied(*this));
    ASSERT_TRUE(row.apply(*this));
    EXPECT_TRUE(row.applied(*this));
    EXPECT_EQ(observer.hints, row.hints);
    EXPECT_EQ(observer.marks, std::vector<bool>{true});
    EXPECT_EQ(doc.UndoName(), row.step);
    EXPECT_FALSE(doc.CanRedo());
    EXPECT_NE(Pair(), before);

    observer.Clear();
    ASSERT_TRUE(doc.Undo());
    EXPECT_FALSE(row.applied(*this));
    EXPECT_EQ(Pair(), before);
    EXPECT_EQ(observer.hints, std::vector<int>{kHintEverything});
    EXPECT_EQ(observer.marks, std::vector<bool>{false});
    EXPECT_EQ(doc.RedoName(), row.step);
  }
}

TEST_F(DocOpsTest, RequestsThatChangeNothingAreNoStep) {
  const CKivoFSet* motion = doc.m_pFSet;
  EXPECT_TRUE(doc.SetProcessor({"Omiro Q32", 80000000, 0}));
  EXPECT_TRUE(doc.SelectFunctionSet(motion));
  EXPECT_TRUE(doc.SetEngineValues(doc.EngineValues(0)));
  EXPECT_TRUE(doc.SetChannelMasks(0, doc.ChannelMasks(0)));
  EXPECT_TRUE(doc.SetExternDecls(true));
  EXPECT_FALSE(doc.RemoveConfiguredFunctions({}));
  EXPECT_TRUE(observer.hints.empty());
  EXPECT_FALSE(doc.IsModified());
  EXPECT_FALSE(doc.CanUndo());
}

TEST_F(DocOpsTest, RefusedOperationsChangeNothingAndRecordNothing) {
  struct CRow {
    const char* name;
    std::function<bool(DocOpsTest&)> apply;
    std::vector<int> messages;
    std::function<void(DocOpsTest&)> prepare = nullptr;
  } rows[] = {
      {"system clock above the processor's", [](DocOpsTest& t) { return t.doc.SetClocks(301000000, 0); }, {4035}},
      {"peripheral clock above the processor's", [](DocOpsTest& t) { return t.doc.SetClocks(80000000, 76000000); },
       {4036}},
      {"a channel another function holds", [](DocOpsTest& t) { return t.Add("PWM", 1, 8); }, {4020}},
      {"a channel beyond 31", [](DocOpsTest& t) { return t.Add("PWM", 0, 32); }, {4031}},
      {"a function on an engine the processor lacks", [](DocOpsTest& t) { return t.Add("PWM", 1, 3); }, {4095},
       [](DocOpsTest& t) {
         EXPECT_TRUE(t.doc.RemoveConfiguredFunctions({t.Find("QD"), t.Find("GPIO")}));
         EXPECT_TRUE(t.doc.SelectProcessor("Omiro Q31"));
       }},
      {"a new set declined", [](DocOpsTest& t) { return t.doc.SelectFunctionSet(s_kb->fsetLib.FindSet(kStandardSet)); },
       {4502}},
      {"a function not in the list", [](DocOpsTest& t) { return t.doc.SetLoadInputs(nullptr, {}); }, {}},
  };
  for (const CRow& row : rows) {
    SCOPED_TRACE(row.name);
    SetUp();
    if (row.prepare) {
      row.prepare(*this);
      doc.SetModifiedFlag(false);
      observer.Clear();
      ports.messages.Clear();
    }
    std::size_t steps = doc.History().Size();
    std::string before = Pair();
    EXPECT_FALSE(row.apply(*this));
    EXPECT_EQ(Pair(), before);
    EXPECT_EQ(ports.messages.Ids(), row.messages);
    EXPECT_TRUE(observer.hints.empty());
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(doc.History().Size(), steps);
  }
}

// ---- The processor change asks through the messages port

TEST_F(DocOpsTest, ProcessorThatCollidesIsAskedAboutAndTrimmedOnYes) {
  // Engine A's TCR1 on the STAC bus, which the one-engine Omiro Q31 lacks.
  CProjDoc::CEngineValues values = doc.EngineValues(0);
  values.Field("STACCR.REN1")->Set("HV_KIVO_REN1_ON", "");
  ASSERT_TRUE(doc.SetEngineValues(values));
  std::string before = Pair();
  std::size_t steps = doc.History().Size();
  ports.messages.Clear();
  observer.Clear();

  ports.messages.QueueAnswer(EAnswer::No);
  int refusal = 0;
  EXPECT_FALSE(doc.SetProcessor({"Omiro Q31", 80000000, 0}, true, &refusal));
  EXPECT_EQ(refusal, 4503);
  ASSERT_EQ(ports.messages.Ids(), std::vector<int>{4503});
  EXPECT_EQ(ports.messages.Messages()[0].kind, EMessageKind::Question);
  EXPECT_EQ(ports.messages.Messages()[0].text,
            "Existing configration collides with new CPU parameters:\n\n"
            "2 functions use unavalable resources and must be deleted.\n"
            "STAC Bus operation on TCR1 has to be disabled on engine A\n\nContinue ?");
  EXPECT_EQ(Pair(), before);
  EXPECT_EQ(doc.History().Size(), steps);
  EXPECT_TRUE(observer.hints.empty());

  // Without a user to ask, the answer is No.
  ports.messages.Clear();
  EXPECT_FALSE(doc.SelectProcessor("Omiro Q31", false));
  EXPECT_TRUE(ports.messages.Ids().empty());

  ports.messages.QueueAnswer(EAnswer::Yes);
  EXPECT_TRUE(doc.SelectProcessor("Omiro Q31"));
  EXPECT_EQ(ports.messages.Ids(), std::vector<int>{4503});
  EXPECT_EQ(doc.m_cpu.engines, 1);
  ASSERT_EQ(doc.Functions().size(), 1u);
  EXPECT_EQ(doc.Functions()[0]->engine, 0);
  EXPECT_EQ(Field(0, "STACCR.REN1"), "HV_KIVO_REN1_OFF");
  EXPECT_EQ(observer.hints, std::vector<int>{kHintEverything});
  EXPECT_EQ(doc.UndoName(), "Change Processor");

  ASSERT_TRUE(doc.Undo());
  EXPECT_EQ(Pair(), before);
  EXPECT_EQ(doc.m_cpu.engines, 2);
  EXPECT_NE(Find("QD"), nullptr);
}

// A clash the command line made cannot be mended by the user: it is told and taken.
TEST_F(DocOpsTest, ClockClashTheCommandLineFixedIsToldAndKept) {
  CCommandLineOptions options{{"CPU", "Vandrel V110"}, {"SYSCLK", "150"}};
  CProjDoc locked(*s_kb, &options);
  locked.SetObserver(&observer);
  ASSERT_TRUE(locked.OnNewDocument());
  EXPECT_EQ(observer.locks, std::vector<bool>{true});
  ports.messages.Clear();
  EXPECT_TRUE(locked.SetProcessor({"Vandrel V110", 150000000, 0}));
  EXPECT_EQ(ports.messages.Ids(), std::vector<int>{4035});
  EXPECT_FALSE(locked.CanUndo());
  // A processor the command line left free is still checked against the clock.
  CCommandLineOptions clockOnly{{"SYSCLK", "150"}};
  CProjDoc unfixed(*s_kb, &clockOnly);
  ASSERT_TRUE(unfixed.OnNewDocument());
  ports.messages.Clear();
  EXPECT_FALSE(unfixed.SelectProcessor("Vandrel V110"));
  EXPECT_EQ(ports.messages.Ids(), std::vector<int>{4035});
}

// ---- Undo and redo

TEST_F(DocOpsTest, UndoAllAndRedoAllPassThroughTheSameStates) {
  std::vector<std::string> states{Pair()};
  std::vector<std::string> names;
  auto step = [&](bool done) {
    ASSERT_TRUE(done);
    states.push_back(Pair());
    names.push_back(doc.UndoName());
  };
  step(Add("PWM", 1, 20));
  CProjDoc::CEngineValues values = doc.EngineValues(1);
  CKivoVarValue* count = values.Field("WDTR.WDCNT");
  count->Set(count->def->values.front()->name, "40000");
  step(doc.SetEngineValues(values));
  ports.messages.QueueAnswer(EAnswer::Yes);
  step(doc.SelectProcessor("Omiro Q31"));
  EXPECT_EQ(names, (std::vector<std::string>{"Add PWM", "Engine B Settings", "Change Processor"}));
  EXPECT_EQ(doc.Functions().size(), 1u);

  for (std::size_t i = states.size() - 1; i > 0; --i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(doc.UndoName(), names[i - 1]);
    ASSERT_TRUE(doc.Undo());
    EXPECT_EQ(Pair(), states[i - 1]);
  }
  EXPECT_FALSE(doc.Undo());
  EXPECT_EQ(doc.Functions().size(), 3u);
  for (std::size_t i = 1; i < states.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(doc.RedoName(), names[i - 1]);
    ASSERT_TRUE(doc.Redo());
    EXPECT_EQ(Pair(), states[i]);
  }
  EXPECT_FALSE(doc.Redo());
  // Every step was read back without a word to the user.
  EXPECT_EQ(ports.messages.Ids(), std::vector<int>{4503});
}

TEST_F(DocOpsTest, ModifiedMarkIsClearExactlyAtTheSavedState) {
  auto edit = [this](uint32_t clock) { ASSERT_TRUE(doc.SetClocks(clock, 0)); };
  struct CRow {
    const char* name;
    std::function<void(DocOpsTest&)> run;
    std::vector<bool> marks;  // what the observer heard, in order
    bool modified;
  };
  const CRow rows[] = {
      {"undo back to the saved state", [&](DocOpsTest& t) { edit(64000000); edit(72000000); t.doc.Undo(); t.doc.Undo(); },
       {true, false}, false},
      {"redo past it", [&](DocOpsTest& t) { edit(64000000); t.doc.Undo(); t.doc.Redo(); }, {true, false, true}, true},
      {"saved in the middle",
       [&](DocOpsTest& t) {
         edit(64000000);
         edit(72000000);
         t.doc.SetModifiedFlag(false);
         t.doc.Undo();
         t.doc.Redo();
       },
       {true, false, true, false}, false},
      {"a new step after undoing past the save loses the saved state",
       [&](DocOpsTest& t) {
         edit(64000000);
         t.doc.SetModifiedFlag(false);
         t.doc.Undo();
         edit(72000000);
         t.doc.Undo();
         t.doc.Undo();
       },
       {true, false, true}, true},
      {"marked from outside: no state in the history is the file's",
       [&](DocOpsTest& t) {
         t.doc.SetModifiedFlag(true);
         edit(64000000);
         t.doc.Undo();
       },
       {true}, true},
  };
  for (const CRow& row : rows) {
    SCOPED_TRACE(row.name);
    SetUp();
    row.run(*this);
    EXPECT_EQ(observer.marks, row.marks);
    EXPECT_EQ(doc.IsModified(), row.modified);
  }
}

TEST_F(DocOpsTest, NewAndOpenStartAnEmptyHistory) {
  CTempDir dir;
  ASSERT_TRUE(doc.SetExternDecls(false));
  ASSERT_TRUE(doc.OnSaveDocument((dir / "p.c").string()));
  ASSERT_TRUE(doc.CanUndo());
  observer.Clear();
  ASSERT_TRUE(doc.OnOpenDocument((dir / "p.c").string()));
  EXPECT_FALSE(doc.CanUndo());
  EXPECT_EQ(observer.undoNames, std::vector<std::string>{""});
  ASSERT_TRUE(doc.SetExternDecls(true));
  ASSERT_TRUE(doc.OnNewDocument());
  EXPECT_FALSE(doc.CanUndo());
  EXPECT_FALSE(doc.IsModified());
}

// The pair holds neither the command line's values nor what the user has seen of the notes.
TEST_F(DocOpsTest, WhatThePairDoesNotHoldSurvivesUndo) {
  CCommandLineOptions options{{"SYSCLK", "96"}};
  CNotesModel lockedNotes;
  CProjDoc locked(*s_kb, &options, &lockedNotes);
  ASSERT_TRUE(locked.OnNewDocument());
  ASSERT_TRUE(locked.SelectFunctionSet(s_kb->fsetLib.FindSet(kMotionSet)));
  const CKivoFunc* pwm = locked.m_pFSet->FindFunc("PWM");
  ASSERT_TRUE(locked.AddConfiguredFunction(locked.NewFunction(*pwm, 0, 0)));
  ASSERT_FALSE(lockedNotes.Entries().empty());
  lockedNotes.MarkNotesSeen();
  ASSERT_TRUE(locked.AddConfiguredFunction(locked.NewFunction(*pwm, 0, 1)));
  ASSERT_TRUE(locked.Undo());
  EXPECT_TRUE(locked.m_bSysClkCmdLine);
  EXPECT_FALSE(locked.CanNewOrOpen());
  EXPECT_EQ(locked.m_nSysClk, 96000000u);
  ASSERT_FALSE(lockedNotes.Entries().empty());
  for (const auto& entry : lockedNotes.Entries())
    EXPECT_EQ(entry.state, CNotesModel::kSeen) << entry.title;
}

TEST_F(DocOpsTest, FunctionSetPageStoreIsOneStep) {
  const CKivoFSet* standard = s_kb->fsetLib.FindSet(kStandardSet);
  // A module field the sets presume nothing of: the page's own MISC check is the set's.
  auto misc = [this](const char* value) {
    CProjDoc::CEngineValues module = doc.EngineValues(-1);
    module.Field("MCR.GTBE")->Set(value, "");
    return module;
  };
  // Declined: the check box is not taken either.
  EXPECT_FALSE(doc.SetFunctionSetAndModule(standard, misc("HV_KIVO_GTBE_ENABLED")));
  EXPECT_FALSE(doc.CanUndo());
  EXPECT_EQ(doc.CfgMember(1).Find("MCR.GTBE")->valueName, "HV_KIVO_GTBE_DISABLED");

  EXPECT_TRUE(doc.SetFunctionSetAndModule(doc.m_pFSet, misc("HV_KIVO_GTBE_ENABLED")));
  EXPECT_EQ(doc.UndoName(), "Module Settings");
  ports.messages.QueueAnswer(EAnswer::Yes);
  observer.Clear();
  EXPECT_TRUE(doc.SetFunctionSetAndModule(standard, misc("HV_KIVO_GTBE_DISABLED")));
  EXPECT_EQ(doc.UndoName(), "Function Set Settings");
  EXPECT_EQ(observer.hints, std::vector<int>{kHintEverything});
  EXPECT_EQ(doc.History().Size(), 2u);
  ASSERT_TRUE(doc.Undo());
  EXPECT_EQ(doc.Functions().size(), 3u);
  EXPECT_EQ(doc.CfgMember(1).Find("MCR.GTBE")->valueName, "HV_KIVO_GTBE_ENABLED");
}

// A page shows an unreadable prescaler as its lower bound; taking that is no edit.
TEST_F(DocOpsTest, SettledValuesAreNoStepAndNoMark) {
  CProjDoc::CEngineValues values = doc.EngineValues(0);
  CKivoVarValue* prescaler = values.Field("TBCR.TCR1P");
  prescaler->Set(prescaler->def->values.front()->name, "1");
  doc.SettleEngineValues(values);
  EXPECT_EQ(FindEngineField(doc, 0, "TBCR.TCR1P")->argument, "1");
  EXPECT_FALSE(doc.IsModified());
  EXPECT_FALSE(doc.CanUndo());
  EXPECT_TRUE(observer.hints.empty());
}

// A view that stores while it hears of a change must not be told of its own
// store before every view heard the first news.
TEST_F(DocOpsTest, ChangesMadeWhileTheViewsAreToldAreToldAfterThem) {
  struct CStoringObserver : CProjectObserver {
    CProjDoc* doc = nullptr;
    std::vector<std::string> heard;
    int depth = 0;
    void OnProjectUpdate(CProjDoc&, int hint) override {
      ++depth;
      heard.push_back(std::to_string(hint) + "@" + std::to_string(depth));
      if (hint == kHintStoreControls)
        doc->SetExternDecls(false);
      --depth;
    }
  } storing;
  storing.doc = &doc;
  doc.SetObserver(&storing);
  doc.UpdateViews(kHintStoreControls);
  EXPECT_EQ(storing.heard, (std::vector<std::string>{"1@1", "0@1"}));
  EXPECT_FALSE(doc.m_bExternDecls);
  doc.SetObserver(nullptr);
}

// ---- The new-function factory agrees with the reader

TEST_F(DocOpsTest, NewFunctionsReadBackAsTheSameKindOfRecord) {
  ASSERT_TRUE(doc.RemoveConfiguredFunctions({Find("PWM"), Find("QD"), Find("GPIO")}));
  int channel = 0;
  std::vector<std::pair<std::string, bool>> made;
  int position = doc.m_pFSet->FirstSlot();
  while (const CKivoFunc* func = doc.m_pFSet->NextFunc(position)) {
    auto info = doc.NewFunction(*func, 0, channel);
    EXPECT_EQ(info->function, func);
    EXPECT_EQ(info->LowestChannel(), channel) << func->name;
    made.emplace_back(func->name, info->IsApi());
    channel += static_cast<int>(info->channels.size());
    ASSERT_TRUE(doc.AddConfiguredFunction(std::move(info))) << func->name;
  }
  ASSERT_GT(made.size(), 3u);
  CTempDir dir;
  ASSERT_TRUE(doc.OnSaveDocument((dir / "p.c").string()));
  CProjDoc read(*s_kb);
  ASSERT_TRUE(read.OnOpenDocument((dir / "p.c").string()));
  ASSERT_EQ(read.Functions().size(), made.size());
  bool both = false;
  for (std::size_t i = 0; i < made.size(); ++i) {
    EXPECT_EQ(read.Functions()[i]->function->name, made[i].first);
    EXPECT_EQ(read.Functions()[i]->IsApi(), made[i].second) << made[i].first;
    both = both || made[i].second != made[0].second;
  }
  EXPECT_TRUE(both);  // the set has functions of both kinds
}

}  // namespace
