// The engine-configuration description read from a crafted kivocfg.ini: definitions, lookups, value sets and their text.
#include <gtest/gtest.h>

#include "knowledge/cfgdesc.h"
#include "common/testsupport.h"

namespace {

class CfgDescTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(desc.Load(FixturePath("kb/conf/kivocfg.ini").string())); }
  const CKivoVarDef& Def(const std::string& section) {
    const CKivoVarDef* def = desc.FindDefBySection(section);
    EXPECT_NE(def, nullptr) << section;
    static const CKivoVarDef none;
    return def ? *def : none;
  }
  std::vector<std::string> Names(const CKivoVarDef& def, bool includeKivo2) {
    std::vector<std::string> names;
    std::size_t position = 0;
    while (const CKivoValueDef* value = def.NextValue(position, includeKivo2))
      names.push_back(value->name);
    return names;
  }
  CKivoCfgDesc desc;
};

TEST_F(CfgDescTest, ValueKeysFollowTheExactPatternAndKeepTheirNumberAsWritten) {
  const CKivoVarDef& wdm = Def("WDTR.WDM");
  ASSERT_EQ(wdm.values.size(), 5u);
  struct CRow {
    const char* name;
    int32_t number;
    const char* friendly;
    int takesArg;
  } rows[] = {
      {"HV_KIVO_WDM_OCTAL", 8, "", 0},
      {"HV_KIVO_WDM_HEX", 16, "Sixteen", 0},
      {"HV_KIVO_WDM_NINE", 0, "", 0},
      {"HV_KIVO_WDM_MACRO", 3, "", 1},
      {"HV_KIVO_WDM_FIVE", 5, "", 0},
  };
  for (std::size_t i = 0; i < std::size(rows); ++i) {
    SCOPED_TRACE(rows[i].name);
    EXPECT_EQ(wdm.values[i]->name, rows[i].name);
    EXPECT_EQ(wdm.values[i]->number, rows[i].number);
    EXPECT_EQ(wdm.values[i]->friendly, rows[i].friendly);
    EXPECT_EQ(wdm.values[i]->takesArg, rows[i].takesArg);
    EXPECT_EQ(wdm.values[i]->owner, &wdm);
  }
  EXPECT_EQ(desc.FindDefByValueName("HV_KIVO_NOT_A_VALUE"), nullptr);
}

TEST_F(CfgDescTest, ArgumentBoundsAreReadOnlyForMacrosAndOnlyWhenTheyReadAsIntegers) {
  const CKivoValueDef& tcr1p = *Def("TBCR.TCR1P").values[0];
  EXPECT_EQ(tcr1p.name, "HV_KIVO_TCR1P");
  EXPECT_EQ(tcr1p.hasBounds, 1);
  EXPECT_EQ(tcr1p.min, 1);
  EXPECT_EQ(tcr1p.max, 256);
  EXPECT_EQ(tcr1p.minText, "1");
  const CKivoValueDef& macro = *Def("WDTR.WDM").values[3];
  EXPECT_EQ(macro.hasBounds, 1);
  EXPECT_EQ(macro.min, 16);
  EXPECT_EQ(macro.max, INT32_MAX);
  EXPECT_EQ(macro.maxText, "many");
  const CKivoValueDef& plain = *Def("ECR.MDIS").values[0];
  EXPECT_EQ(plain.hasBounds, 0);
  EXPECT_EQ(plain.min, INT32_MIN);
}

TEST_F(CfgDescTest, DefinitionsExistOnlyForSectionsWithValuesInFileOrder) {
  EXPECT_EQ(desc.FindDefBySection("NO.VALUES"), nullptr);
  EXPECT_EQ(desc.FindDefBySection("STRUCT.MEMB1"), nullptr);
  std::vector<std::string> sections;
  for (const auto& def : desc.Definitions())
    sections.push_back(def->section);
  std::vector<std::string> expected = {"ECR.MDIS", "TBCR.TCR1P", "STACCR.REN1", "WDTR.WDM", "ECR.FPSCK",
                                       "ECR.ETB",  "DUP.ONE",    "DUP.TWO",     "ZZ.PARAM", "AA.PARAM",
                                       "FN.PRIO",  "PRESUMED.SETTINGS"};
  EXPECT_EQ(sections, expected);
}

TEST_F(CfgDescTest, LookupsByValueNameAndByParameter) {
  EXPECT_EQ(desc.FindDefByValueName("HV_KIVO_SHARED_NAME")->section, "DUP.TWO");
  EXPECT_EQ(desc.FindDefByValueName("HV_KIVO_REN1_BOTH")->section, "STACCR.REN1");
  // The first definition in file order, not in name order.
  EXPECT_EQ(desc.FindDefByParameter("shared_param")->section, "ZZ.PARAM");
  EXPECT_EQ(desc.FindDefByParameter("nobody"), nullptr);
}

TEST_F(CfgDescTest, TheKivo2MarkerEndsTheWalkWithoutKivo2Values) {
  const CKivoVarDef& ren1 = Def("STACCR.REN1");
  EXPECT_EQ(ren1.firstKivo2Value, 1);
  EXPECT_EQ(Names(ren1, false), std::vector<std::string>{"HV_KIVO_REN1_OFF"});
  EXPECT_EQ(Names(ren1, true),
            (std::vector<std::string>{"HV_KIVO_REN1_OFF", "HV_KIVO_REN1_ON", "HV_KIVO_REN1_BOTH"}));
  EXPECT_EQ(Names(Def("ECR.MDIS"), false).size(), 2u);
}

TEST_F(CfgDescTest, FindValueTriesNameThenDisplayThenTheArgumentValue) {
  const CKivoVarDef& mdis = Def("ECR.MDIS");
  const CKivoVarDef& wdm = Def("WDTR.WDM");
  struct CRow {
    const CKivoVarDef* def;
    const char* text;
    bool byDisplay;
    const char* found;  // null: no value
  } rows[] = {
      {&mdis, "HV_KIVO_MDIS_ON", false, "HV_KIVO_MDIS_ON"},
      {&mdis, "enabled", true, "HV_KIVO_MDIS_OFF"},
      {&mdis, "STOPPED", true, "HV_KIVO_MDIS_ON"},
      {&mdis, "enabled", false, nullptr},
      {&mdis, "hv_kivo_mdis_on", true, nullptr},
      {&wdm, "sixteen", true, "HV_KIVO_WDM_HEX"},
      {&wdm, "anything else", true, "HV_KIVO_WDM_MACRO"},
      {&wdm, "HV_KIVO_WDM_FIVE", false, "HV_KIVO_WDM_FIVE"},
  };
  for (const CRow& row : rows) {
    SCOPED_TRACE(row.text);
    const CKivoValueDef* value = row.def->FindValue(row.text, row.byDisplay);
    if (!row.found)
      EXPECT_EQ(value, nullptr);
    else
      EXPECT_TRUE(value && value->name == row.found);
  }
}

TEST_F(CfgDescTest, ValueTextsAndComments) {
  CKivoVarValue macro(&Def("TBCR.TCR1P"));
  macro.Set("  HV_KIVO_TCR1P ", " 8 ");
  EXPECT_EQ(macro.Text(), "HV_KIVO_TCR1P(8)");
  EXPECT_EQ(macro.CommentText(), "TCR1 prescaler divided by 8");
  CKivoVarValue plain(&Def("ECR.MDIS"));
  plain.Set("HV_KIVO_MDIS_OFF", "");
  EXPECT_EQ(plain.Text(), "HV_KIVO_MDIS_OFF");
  EXPECT_EQ(plain.CommentText(), "Module runs");
  CKivoVarValue custom(&Def("ECR.MDIS"));
  custom.Set("HV_KIVO_SOMETHING", "x");
  EXPECT_EQ(custom.Text(), "HV_KIVO_SOMETHING");
  EXPECT_EQ(custom.CommentText(), "");
  CKivoVarValue loose;
  loose.Set("0x12", "");
  EXPECT_EQ(loose.Text(), "0x12");
}

// Member 1 lists bit fields 0, 1 and 3: the gap ends the list.
TEST_F(CfgDescTest, BuildCreatesBitFieldValuesInOrderAndStopsAtTheFirstGap) {
  CKivoVarValueSet set;
  ASSERT_TRUE(set.Build(desc, "STRUCT.MEMB1"));
  ASSERT_EQ(set.Entries().size(), 2u);
  EXPECT_EQ(set.Entries()[0].section, "ECR.MDIS");
  EXPECT_EQ(set.Entries()[1].section, "TBCR.TCR1P");
  EXPECT_EQ(set.Find("WDTR.WDM"), nullptr);
  EXPECT_EQ(set.FindByParameter("tcr1p"), set.Find("TBCR.TCR1P"));
  EXPECT_FALSE(set.Build(desc, "NO.SUCH.SECTION"));
  EXPECT_TRUE(set.Entries().empty());
}

TEST_F(CfgDescTest, Kivo2OnlyBitFieldsAreMarkedByTheirOwnGroupOnly) {
  CKivoVarValueSet set;
  ASSERT_TRUE(set.Build(desc, "STRUCT.MEMB2"));
  std::vector<std::string> sections;
  for (const auto& entry : set.Entries())
    sections.push_back(entry.section);
  EXPECT_EQ(sections, (std::vector<std::string>{"ECR.FPSCK", "STACCR.REN1", "ECR.ETB"}));
  EXPECT_FALSE(set.IsKivo2Only(set.Find("ECR.FPSCK")));
  EXPECT_TRUE(set.IsKivo2Only(set.Find("STACCR.REN1")));
  // Bit field 2 is a group whose own marker is absent: its fields are for every engine.
  EXPECT_FALSE(set.IsKivo2Only(set.Find("ECR.ETB")));
}

TEST_F(CfgDescTest, GroupsThatListThemselvesEndInsteadOfRecursing) {
  CKivoVarValueSet loop;
  ASSERT_TRUE(loop.Build(desc, "LOOP.A"));
  std::vector<std::string> sections;
  for (const auto& entry : loop.Entries())
    sections.push_back(entry.section);
  EXPECT_EQ(sections, (std::vector<std::string>{"ECR.MDIS", "ECR.FPSCK"}));
  CKivoVarValueSet self;
  ASSERT_TRUE(self.Build(desc, "SELF.GROUP"));
  ASSERT_EQ(self.Entries().size(), 1u);
  EXPECT_EQ(self.Entries()[0].section, "ECR.ETB");
}

TEST_F(CfgDescTest, FormatWritesFieldsInBuildOrderWithComments) {
  CKivoVarValueSet set;
  ASSERT_TRUE(set.Build(desc, "STRUCT.MEMB2"));
  set.ResetToDefaults();
  set.Find("STACCR.REN1")->Set("HV_KIVO_REN1_ON", "");
  std::string all;
  set.Format(all, true);
  EXPECT_EQ(all,
            "HV_KIVO_FPSCK_DIV2\t/* Filter clock  */\n"
            "| HV_KIVO_REN1_ON\t/* STAC TCR1  */\n"
            "| HV_KIVO_ETB_AUTO");
  std::string common;
  set.Format(common, false);
  EXPECT_EQ(common, "HV_KIVO_FPSCK_DIV2\t/* Filter clock  */\n| HV_KIVO_ETB_AUTO");
}

TEST_F(CfgDescTest, ParseValueListSetsEveryNamedValueUntilTheFirstStranger) {
  CRecordedPorts ports;
  CKivoVarValueSet set;
  ASSERT_TRUE(set.Build(desc, "STRUCT.MEMB1"));
  set.ResetToDefaults();
  EXPECT_TRUE(set.ParseValueList("HV_KIVO_MDIS_ON\n| HV_KIVO_TCR1P ( 16 ) | 0"));
  EXPECT_EQ(set.Find("ECR.MDIS")->valueName, "HV_KIVO_MDIS_ON");
  EXPECT_EQ(set.Find("TBCR.TCR1P")->argument, "16");
  EXPECT_TRUE(ports.messages.Messages().empty());

  const std::string unknown = "HV_KIVO_MDIS_OFF | HV_KIVO_NOBODY | HV_KIVO_TCR1P(2)";
  EXPECT_FALSE(set.ParseValueList(unknown));
  EXPECT_EQ(set.Find("ECR.MDIS")->valueName, "HV_KIVO_MDIS_OFF");
  EXPECT_EQ(set.Find("TBCR.TCR1P")->argument, "16");

  const std::string misplaced = "HV_KIVO_ETB_AUTO";
  EXPECT_FALSE(set.ParseValueList(misplaced));
  ASSERT_EQ(ports.messages.Messages().size(), 2u);
  EXPECT_EQ(ports.messages.Messages()[0].id, 4004);
  EXPECT_EQ(ports.messages.Messages()[0].text,
            "Parse Error: Unknown value 'HV_KIVO_NOBODY' found in set: '" + unknown + "'");
  EXPECT_EQ(ports.messages.Messages()[1].id, 4005);
  EXPECT_EQ(ports.messages.Messages()[1].text,
            "Parse Error: Value 'HV_KIVO_ETB_AUTO' can not be placed in set 'HV_KIVO_ETB_AUTO'");
}

TEST_F(CfgDescTest, CopiedValueSetsOwnTheirValues) {
  CKivoVarValueSet set;
  ASSERT_TRUE(set.Build(desc, "STRUCT.MEMB2"));
  set.ResetToDefaults();
  CKivoVarValueSet copy = set;
  copy.Find("ECR.FPSCK")->Set("HV_KIVO_FPSCK_DIV4", "");
  EXPECT_EQ(set.Find("ECR.FPSCK")->valueName, "HV_KIVO_FPSCK_DIV2");
  EXPECT_NE(copy.Find("ECR.FPSCK"), set.Find("ECR.FPSCK"));
  EXPECT_EQ(copy.FindByParameter("fpsck"), copy.Find("ECR.FPSCK"));
  EXPECT_TRUE(copy.IsKivo2Only(copy.Find("STACCR.REN1")));
  EXPECT_FALSE(copy.IsKivo2Only(set.Find("STACCR.REN1")));
}

}  // namespace
