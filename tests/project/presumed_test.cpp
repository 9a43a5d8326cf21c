// A function set's presumed settings in the project: set and marked with the set, undone with it, kept from a page, checked on a hand-edited project.
#include "project/presumedsettings.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "bundledkb.h"
#include "common/testsupport.h"
#include "knowledge/loadenv.h"
#include "project/enginerules.h"
#include "project/projdoc.h"

namespace {

constexpr const char* kMotionSet = "kivo2/kivo_set_k2_motion.h";
constexpr const char* kStandardSet = "kivo/kivo_set_std.h";

class PresumedTest : public CBundledKbTest {
 protected:
  void SetUp() override { ASSERT_TRUE(doc.OnNewDocument()); }

  const CKivoFSet* Set(const char* path) const { return s_kb->fsetLib.FindSet(path); }
  std::string Field(int engine, const char* section) const {
    const CKivoVarValue* field = FindEngineField(doc, engine, section);
    return field ? field->Text() : std::string("(none)");
  }
  // What a page sees: the highlight of the field in the copy it is handed.
  bool PageSeesMarked(int engine, const char* section) const {
    CProjDoc::CEngineValues values = doc.EngineValues(engine);
    const CKivoVarValue* field = values.Field(section);
    return field && field->highlight;
  }
  std::vector<std::string> Marks() const { return doc.MarkedFields(); }

  CRecordedPorts ports;
  CProjDoc doc{*s_kb};
};

const std::vector<std::string> kMotionMarksOneEngine = {"1:MCR.SCMMISEN", "2:ETBR.ETB", "3:ECR.SPPDIS",
                                                         "4:TBCR.TCR2CTL"};

TEST_F(PresumedTest, SelectingASetSetsAndMarksWhatItPresumesAndOneUndoTakesBothBack) {
  ASSERT_TRUE(doc.SetProcessor({"Omiro Q31", 120000000, 60000000}));
  const std::string misc = Field(-1, "MCR.SCMMISEN"), tcr2 = Field(0, "TBCR.TCR2CTL"), etb = Field(-1, "ETBR.ETB");
  ASSERT_NE(misc, "HV_KIVO_SCMMISEN_ENABLED");
  ASSERT_NE(tcr2, "HV_KIVO_TCR2CTL_KIVO_DIV8");

  ASSERT_TRUE(doc.SelectFunctionSet(Set(kMotionSet)));
  EXPECT_EQ(Field(-1, "MCR.SCMMISEN"), "HV_KIVO_SCMMISEN_ENABLED");
  // The set's own define gives the number, which the file reads back.
  EXPECT_EQ(Field(-1, "ETBR.ETB"), "HV_KIVO_ETB_BASE(2048)");
  EXPECT_EQ(Field(0, "ECR.SPPDIS"), "HV_KIVO_SPPDIS_OFF");
  EXPECT_EQ(Field(0, "TBCR.TCR2CTL"), "HV_KIVO_TCR2CTL_KIVO_DIV8");
  // A one-engine processor writes nothing of engine B, so nothing there is the set's.
  EXPECT_EQ(Marks(), kMotionMarksOneEngine);
  EXPECT_TRUE(PageSeesMarked(0, "TBCR.TCR2CTL"));
  EXPECT_TRUE(PageSeesMarked(-1, "MCR.SCMMISEN"));
  EXPECT_FALSE(PageSeesMarked(0, "ECR.MDIS"));
  EXPECT_EQ(doc.UndoName(), "Change Function Set");
  EXPECT_EQ(doc.History().Size(), 2u);

  ASSERT_TRUE(doc.Undo());
  EXPECT_EQ(doc.m_pFSet, nullptr);
  EXPECT_EQ(Field(-1, "MCR.SCMMISEN"), misc);
  EXPECT_EQ(Field(-1, "ETBR.ETB"), etb);
  EXPECT_EQ(Field(0, "TBCR.TCR2CTL"), tcr2);
  EXPECT_TRUE(Marks().empty());
  EXPECT_FALSE(PageSeesMarked(0, "TBCR.TCR2CTL"));

  ASSERT_TRUE(doc.Redo());
  EXPECT_EQ(Field(0, "TBCR.TCR2CTL"), "HV_KIVO_TCR2CTL_KIVO_DIV8");
  EXPECT_EQ(Field(-1, "ETBR.ETB"), "HV_KIVO_ETB_BASE(2048)");
  EXPECT_EQ(Marks(), kMotionMarksOneEngine);
  EXPECT_TRUE(PageSeesMarked(0, "TBCR.TCR2CTL"));
  std::vector<CProjectFinding> findings = CheckProjectBeforeSave(doc);
  EXPECT_TRUE(std::none_of(findings.begin(), findings.end(), [](const auto& f) { return f.id == 4097; }));
}

TEST_F(PresumedTest, AnotherSetMovesTheMarksAndKeepsTheValuesNoLongerPresumed) {
  ASSERT_TRUE(doc.SetProcessor({"Omiro Q32", 300000000, 75000000}));
  ASSERT_TRUE(doc.SelectFunctionSet(Set(kMotionSet)));
  EXPECT_EQ(Marks(), (std::vector<std::string>{"1:MCR.SCMMISEN", "2:ETBR.ETB", "3:ECR.SPPDIS", "4:TBCR.TCR2CTL",
                                               "6:ECR.SPPDIS", "7:TBCR.TCR2CTL"}));
  ASSERT_TRUE(doc.SelectFunctionSet(Set(kStandardSet)));
  EXPECT_EQ(Marks(), (std::vector<std::string>{"1:MCR.SCMMISEN", "2:ETBR.ETB"}));
  EXPECT_EQ(Field(1, "TBCR.TCR2CTL"), "HV_KIVO_TCR2CTL_KIVO_DIV8");
  EXPECT_FALSE(PageSeesMarked(1, "TBCR.TCR2CTL"));
  ASSERT_TRUE(doc.SelectFunctionSet(nullptr));
  EXPECT_TRUE(Marks().empty());
  ASSERT_TRUE(doc.Undo());
  EXPECT_EQ(Marks(), (std::vector<std::string>{"1:MCR.SCMMISEN", "2:ETBR.ETB"}));
}

// The engine values a page hands back were read before the set was chosen
// (the function-set page's MISC check box) or from a locked control: the
// set's values stay, the rest is taken.
TEST_F(PresumedTest, APageCannotOverwriteAMarkedValue) {
  ASSERT_TRUE(doc.SetProcessor({"Omiro Q31", 120000000, 60000000}));
  CProjDoc::CEngineValues stale = doc.EngineValues(-1);
  ASSERT_TRUE(doc.SetFunctionSetAndModule(Set(kMotionSet), stale));
  EXPECT_EQ(Field(-1, "MCR.SCMMISEN"), "HV_KIVO_SCMMISEN_ENABLED");
  EXPECT_EQ(doc.UndoName(), "Change Function Set");
  const std::size_t steps = doc.History().Size();

  CProjDoc::CEngineValues page = doc.EngineValues(0);
  page.Field("ECR.SPPDIS")->Set("HV_KIVO_SPPDIS_ON", "");
  ASSERT_TRUE(doc.SetEngineValues(page));
  EXPECT_EQ(doc.History().Size(), steps) << "a change of nothing but a marked value is no step";
  page.Field("ECR.MDIS")->Set("HV_KIVO_MDIS_ON", "");
  ASSERT_TRUE(doc.SetEngineValues(page));
  EXPECT_EQ(Field(0, "ECR.MDIS"), "HV_KIVO_MDIS_ON");
  EXPECT_EQ(Field(0, "ECR.SPPDIS"), "HV_KIVO_SPPDIS_OFF");
  EXPECT_TRUE(PageSeesMarked(0, "ECR.SPPDIS"));
}

// A Kivo processor writes no Kivo2-only field: the set presumes nothing of it
// there, and a change to a Kivo2 processor sets it, in the processor's step.
TEST_F(PresumedTest, FieldsAProcessorChangeBringsTakeWhatTheSetPresumes) {
  ASSERT_TRUE(doc.SetProcessor({"Vandrel V110", 80000000, 0}));
  ASSERT_TRUE(doc.SelectFunctionSet(Set(kMotionSet)));
  EXPECT_EQ(Marks(), (std::vector<std::string>{"1:MCR.SCMMISEN", "2:ETBR.ETB", "4:TBCR.TCR2CTL"}));
  // Engine B's and the Kivo2-only values are not in the files: the check has nothing to say of them.
  CProjDoc::CEngineValues b = doc.EngineValues(1);
  EXPECT_NE(Field(1, "TBCR.TCR2CTL"), "HV_KIVO_TCR2CTL_KIVO_DIV8");
  std::vector<CProjectFinding> findings = CheckProjectBeforeSave(doc);
  EXPECT_TRUE(std::none_of(findings.begin(), findings.end(), [](const auto& f) { return f.id == 4097; }));

  ASSERT_TRUE(doc.SelectProcessor("Pelisk P8"));
  EXPECT_EQ(doc.UndoName(), "Change Processor");
  EXPECT_EQ(Marks(), (std::vector<std::string>{"1:MCR.SCMMISEN", "2:ETBR.ETB", "3:ECR.SPPDIS", "4:TBCR.TCR2CTL",
                                               "6:ECR.SPPDIS", "7:TBCR.TCR2CTL"}));
  EXPECT_EQ(Field(1, "TBCR.TCR2CTL"), "HV_KIVO_TCR2CTL_KIVO_DIV8");
  ASSERT_TRUE(doc.Undo());
  EXPECT_EQ(Marks(), (std::vector<std::string>{"1:MCR.SCMMISEN", "2:ETBR.ETB", "4:TBCR.TCR2CTL"}));
  // Back to a Kivo processor: the Kivo2-only marks go with the fields.
  ASSERT_TRUE(doc.Redo());
  ASSERT_TRUE(doc.SelectProcessor("Vandrel V110"));
  EXPECT_EQ(Marks(), (std::vector<std::string>{"1:MCR.SCMMISEN", "2:ETBR.ETB", "4:TBCR.TCR2CTL"}));
}

// The fixture was written for the motion set and then edited by hand: the
// MISC check switched off and engine A's TCR2 gated; its entry table base is
// written as the number the set's define stands for.
TEST_F(PresumedTest, AHandEditedProjectKeepsItsValuesAndIsAFindingUntilMended) {
  ASSERT_TRUE(doc.OnOpenDocument(FixturePath("project/presumed/contradicts/kivo_vam.c").string()));
  EXPECT_FALSE(doc.IsModified());
  EXPECT_FALSE(doc.CanUndo());
  EXPECT_EQ(Field(-1, "MCR.SCMMISEN"), "HV_KIVO_SCMMISEN_DISABLED");
  EXPECT_EQ(Field(0, "TBCR.TCR2CTL"), "HV_KIVO_TCR2CTL_GATED_DIV8");
  EXPECT_EQ(Field(-1, "ETBR.ETB"), "HV_KIVO_ETB_BASE(0x800)");
  // What agrees is the set's; what contradicts stays the user's to mend.
  EXPECT_EQ(Marks(), (std::vector<std::string>{"2:ETBR.ETB", "3:ECR.SPPDIS", "6:ECR.SPPDIS", "7:TBCR.TCR2CTL"}));

  std::vector<CProjectFinding> findings;
  for (const CProjectFinding& finding : CheckProjectBeforeSave(doc))
    if (finding.id == 4097)
      findings.push_back(finding);
  ASSERT_EQ(findings.size(), 2u);
  EXPECT_EQ(findings[0].text,
            "The function set 'kivo_set_k2_motion.h' presumes the setting HV_KIVO_SCMMISEN_ENABLED, but the project "
            "has HV_KIVO_SCMMISEN_DISABLED in MCR.SCMMISEN.");
  EXPECT_EQ(findings[0].target.kind, CFindingTarget::kEngineValue);
  EXPECT_EQ(findings[0].target.engine, -1);
  EXPECT_EQ(findings[0].target.section, "MCR.SCMMISEN");
  EXPECT_EQ(findings[1].text,
            "The function set 'kivo_set_k2_motion.h' presumes the setting HV_KIVO_TCR2CTL_KIVO_DIV8, but the project "
            "has HV_KIVO_TCR2CTL_GATED_DIV8 in TBCR.TCR2CTL of engine A.");
  EXPECT_EQ(findings[1].target.engine, 0);
  EXPECT_EQ(findings[1].target.section, "TBCR.TCR2CTL");
  EXPECT_FALSE(doc.IsModified()) << "checking changes nothing";

  // Mending by hand on the page: the value is the user's until the set is applied.
  CProjDoc::CEngineValues page = doc.EngineValues(0);
  page.Field("TBCR.TCR2CTL")->Set("HV_KIVO_TCR2CTL_KIVO_DIV8", "");
  ASSERT_TRUE(doc.SetEngineValues(page));
  ASSERT_TRUE(doc.ApplyPresumedSettings());
  EXPECT_EQ(doc.UndoName(), "Presumed Settings of kivo_set_k2_motion.h");
  EXPECT_EQ(Field(-1, "MCR.SCMMISEN"), "HV_KIVO_SCMMISEN_ENABLED");
  // An argument that is the set's number already is left as written.
  EXPECT_EQ(Field(-1, "ETBR.ETB"), "HV_KIVO_ETB_BASE(0x800)");
  EXPECT_EQ(Marks(), (std::vector<std::string>{"1:MCR.SCMMISEN", "2:ETBR.ETB", "3:ECR.SPPDIS", "4:TBCR.TCR2CTL",
                                               "6:ECR.SPPDIS", "7:TBCR.TCR2CTL"}));
  findings = CheckProjectBeforeSave(doc);
  EXPECT_TRUE(std::none_of(findings.begin(), findings.end(), [](const auto& f) { return f.id == 4097; }));
  ASSERT_TRUE(doc.Undo());
  EXPECT_EQ(Field(-1, "MCR.SCMMISEN"), "HV_KIVO_SCMMISEN_DISABLED");
  EXPECT_EQ(Marks(), (std::vector<std::string>{"2:ETBR.ETB", "3:ECR.SPPDIS", "6:ECR.SPPDIS", "7:TBCR.TCR2CTL"}));
}

// The parenthesised text after a name: the argument of a value that takes
// one, a note after any other.
TEST_F(PresumedTest, AnArgumentIsReadForAValueThatTakesOneOnly) {
  CKivoFSet set(nullptr);
  CKivoLoadEnv env;
  env.desc = &s_kb->cfgDesc;
  set.fileName = "kivo_set_args.h";
  ASSERT_TRUE(set.Parse("#define HV_KIVO_ENTRY_TABLE 0x800\n"
                        "/* Presumed settings of this image:\n"
                        "   HV_KIVO_ETB_BASE( 2048 )\n"
                        "   HV_KIVO_SCMMISEN_ENABLED (the MISC check)\n"
                        "   HV_KIVO_TCR1P\n"
                        "   HV_KIVO_TCR2P(as the board needs)  HV_KIVO_ETB_BASE(HV_KIVO_ENTRY_TABLE)\n*/\n",
                        env));
  std::vector<CPresumedSetting> settings = PresumedSettingsOf(set, s_kb->cfgDesc);
  ASSERT_EQ(settings.size(), 5u);
  EXPECT_EQ(settings[0].Text(), "HV_KIVO_ETB_BASE(2048)");
  EXPECT_EQ(settings[1].Text(), "HV_KIVO_SCMMISEN_ENABLED");
  EXPECT_TRUE(settings[2].takesArg);
  EXPECT_FALSE(settings[2].FixesArgument());
  EXPECT_EQ(settings[3].Text(), "HV_KIVO_TCR2P") << "a note where a number belongs fixes nothing";
  EXPECT_EQ(settings[4].Text(), "HV_KIVO_ETB_BASE(0x800)");

  CKivoVarValue etb(settings[0].def);
  etb.Set("HV_KIVO_ETB_BASE", "HV_KIVO_ENTRY_TABLE");
  EXPECT_TRUE(AgreesWithPresumed(etb, settings[0], set));
  etb.Set("HV_KIVO_ETB_BASE", "0x1000");
  EXPECT_FALSE(AgreesWithPresumed(etb, settings[0], set));
  CKivoVarValue prescaler(settings[2].def);
  prescaler.Set("HV_KIVO_TCR1P", "7");
  EXPECT_TRUE(AgreesWithPresumed(prescaler, settings[2], set)) << "any argument will do";
}

}  // namespace
