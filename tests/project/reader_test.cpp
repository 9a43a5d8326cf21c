// Reading projects back from generated and hand-edited source and header files.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <memory>

#include "bundledkb.h"
#include "common/testsupport.h"
#include "knowledge/knowledgebase.h"
#include "project/projdoc.h"
#include "project/readcontext.h"

namespace {

using CFunc = CProjDoc::CFuncInfo;
using CApi = CProjDoc::CFuncInfo_Api;
using CNonApi = CProjDoc::CFuncInfo_NonApi;

class ReaderTest : public CBundledKbTest {
 protected:
  bool Open(const std::string& fixture) {
    return doc.OnOpenDocument(FixturePath("project/read/" + fixture + "/kivo_vam.c").string());
  }
  // Writes a project pair into the temporary folder and opens it.
  bool OpenText(const std::string& source, const std::string& header) {
    WriteFileBytes(temp / "kivo_vam.c", source);
    WriteFileBytes(temp / "kivo_vam.h", header);
    ports.messages.Clear();
    return doc.OnOpenDocument((temp / "kivo_vam.c").string());
  }
  std::string Fixture(const std::string& name) { return ReadFileBytes(FixturePath("project/read/" + name)); }
  CFunc& Func(std::size_t index) { return *doc.m_funcs.at(index); }
  const std::string& Field(int member, const std::string& section) {
    return doc.CfgMember(member).Find(section)->valueName;
  }
  std::string ParamText(const CApi& func, const std::string& name) {
    const CKivoParam* param = func.initFunc->FindParam(name);
    return param ? func.ParamOf(param)->value.valueName : "<no parameter>";
  }
  std::string Text(int id) {
    for (const CMessage& message : ports.messages.Messages())
      if (message.id == id)
        return message.text;
    return "<no message>";
  }

  CRecordedPorts ports;
  CTempDir temp;
  CProjDoc doc{*s_kb};
};

TEST_F(ReaderTest, GeneratedFileGivesBackTheWholeProject) {
  ASSERT_TRUE(Open("full"));
  EXPECT_EQ(ports.messages.Ids(), std::vector<int>{});
  EXPECT_EQ(doc.m_strCpu, "Vandrel V120");
  EXPECT_EQ(doc.m_cpu.systemClock, 132000000u);
  EXPECT_EQ(doc.m_nSysClk, 132000000u);
  EXPECT_EQ(doc.m_nPtbClk, 0u);
  EXPECT_EQ(doc.m_engine[0].tcrclkIn, 40000u);
  EXPECT_EQ(doc.m_engine[0].cie, 8u);
  EXPECT_EQ(doc.m_engine[1].dtre, 0x20u);
  EXPECT_EQ(doc.m_engine[0].opol, 0x400u);
  EXPECT_EQ(doc.m_engine[1].odis, 3u);
  ASSERT_NE(doc.m_pFSet, nullptr);
  EXPECT_EQ(doc.m_pFSet->relativePath, "kivo/kivo_set_std.h");
  EXPECT_TRUE(doc.m_bExternDecls);
  EXPECT_EQ(doc.m_strVerbatim, "static uint32_t gpio_mask = 0x0F;\r\n");

  EXPECT_EQ(Field(1, "MCR.GTBE"), "HV_KIVO_GTBE_ENABLED");
  EXPECT_EQ(Field(1, "MCR.SCMMISEN"), "HV_KIVO_SCMMISEN_ENABLED");
  EXPECT_EQ(doc.CfgMember(2).Find("ETBR.ETB")->argument, "0x800");
  EXPECT_EQ(Field(4, "TBCR.TCR1CS"), "HV_KIVO_TCR1CS_FULL");
  EXPECT_EQ(doc.CfgMember(4).Find("TBCR.TCR1P")->argument, "4");

  ASSERT_EQ(doc.m_funcs.size(), 3u);
  auto& pwm0 = static_cast<CApi&>(Func(0));
  EXPECT_EQ(pwm0.InstanceName(), "PWM0");
  EXPECT_EQ(pwm0.initFunc->name, "hv_kivo_pwm_init_edge");
  EXPECT_EQ(pwm0.engine, 0);
  ASSERT_EQ(pwm0.channels.size(), 1u);
  EXPECT_EQ(pwm0.channels[0]->number, 3);
  // The comma inside the period's macro call shifts nothing.
  EXPECT_EQ(ParamText(pwm0, "period"), "PERIOD_TICKS(100, 2)");
  EXPECT_EQ(ParamText(pwm0, "duty"), "500");
  EXPECT_EQ(ParamText(pwm0, "update"), "KIVO_PWM_UPDATE_PERIOD_END");
  EXPECT_EQ(pwm0.loadInputs.values, (std::map<std::string, std::string>{{"duty_rate", "50"}}));
  auto& pwm1 = static_cast<CApi&>(Func(1));
  EXPECT_EQ(pwm1.channels.at(0)->number, 10);
  EXPECT_TRUE(pwm1.loadInputs.values.empty());

  auto& gpio = static_cast<CNonApi&>(Func(2));
  EXPECT_EQ(gpio.function->name, "GPIO");
  EXPECT_EQ(gpio.engine, 1);
  EXPECT_EQ(gpio.channels.at(0)->number, 5);
  EXPECT_EQ(gpio.Group(1).Find("FNAPI.MODE")->valueName, "HV_KIVO_FM2");
  EXPECT_EQ(gpio.Group(2).Find("FNAPI.ETCS")->valueName, "HV_KIVO_ETCS_ALTERNATE");
  EXPECT_EQ(gpio.Group(3).Find("FNAPI.HSR")->valueName, "HV_KIVO_HSR_6");
  EXPECT_EQ(gpio.Group(4).Find("FNAPI.PRIORITY")->valueName, "HV_KIVO_PRIORITY_HIGH");
  ASSERT_EQ(gpio.rawParams.size(), 3u);
  EXPECT_EQ(gpio.rawParams[0]->value.valueName, "0x1234");
  EXPECT_EQ(gpio.rawParams[1]->value.valueName, "");
  EXPECT_EQ(gpio.rawParams[2]->value.valueName, "MASK_OF(gpio_mask, 3)");
}

// The generator writes the verbatim block before the structure, so whatever
// the user keeps there must not be taken for the tool's own definitions.
TEST_F(ReaderTest, VerbatimBlockIsNotReadAsTheProject) {
  const std::string decoy =
      "/* Start of the verbatim block */\n"
      "struct kivo_config_t spare_config =\n{\n    HV_KIVO_GTBE_DISABLED\n};\n"
      "/* SYSCLK = 8 MHz */\n"
      "hv_kivo_status_t my_system_kivo_init(void)\n{\n    return 0;\n}\n"
      "/* End of the verbatim block */\n";
  std::string source = Fixture("full/kivo_vam.c");
  std::string block = "/* Start of the verbatim block */\nstatic uint32_t gpio_mask = 0x0F;\n/* End of the verbatim block */\n";
  ASSERT_NE(source.find(block), std::string::npos);
  source.erase(source.find(block), block.size());
  source.insert(source.find("struct kivo_config_t"), decoy);
  ASSERT_TRUE(OpenText(source, Fixture("full/kivo_vam.h")));
  EXPECT_EQ(ports.messages.Ids(), std::vector<int>{});
  EXPECT_EQ(Field(1, "MCR.GTBE"), "HV_KIVO_GTBE_ENABLED");
  EXPECT_EQ(doc.m_nSysClk, 132000000u);
  EXPECT_EQ(doc.m_funcs.size(), 3u);
  EXPECT_EQ(doc.m_strVerbatim.substr(0, 36), "struct kivo_config_t spare_config =\r");
}

// Only inside the verbatim block is still better than nothing for a file edited by hand.
TEST_F(ReaderTest, StructureOnlyInsideTheVerbatimBlockIsStillRead) {
  std::string source = Fixture("full/kivo_vam.c");
  source.insert(source.find("struct kivo_config_t"), "/* Start of the verbatim block */\n");
  source.insert(source.find("\n};") + 4, "\n/* End of the verbatim block */\n");
  ASSERT_TRUE(OpenText(source, Fixture("full/kivo_vam.h")));
  EXPECT_EQ(Field(1, "MCR.GTBE"), "HV_KIVO_GTBE_ENABLED");
}

// The generator indents every further line of a value; kept with its line
// ends, a value would move right with every save.
TEST_F(ReaderTest, ValueSpreadOverLinesIsReadAsOneLine) {
  std::string source = Fixture("full/kivo_vam.c");
  const std::string written = "PERIOD_TICKS(100, 2),\t";
  ASSERT_NE(source.find(written), std::string::npos);
  source.replace(source.find(written), written.size(), "PERIOD_TICKS(100,\n        2)  ,\t");
  ASSERT_TRUE(OpenText(source, Fixture("full/kivo_vam.h")));
  EXPECT_EQ(ParamText(static_cast<CApi&>(Func(0)), "period"), "PERIOD_TICKS(100, 2)");
}

TEST_F(ReaderTest, HandEditedFileIsReadAsFarAsItCan) {
  EXPECT_TRUE(Open("handedited"));
  EXPECT_EQ(ports.messages.Ids(),
            (std::vector<int>{4005, 4004, 4012, 4021, 4021, 4080, 4019, 4021, 4026, 4023, 4025, 4021, 4027,
                              4062, 4062, 4008, 4011, 4010, 4062}));
  EXPECT_EQ(Text(4021), "Init Function Parse Error: Bad channel / engine value '3'");
  EXPECT_EQ(Text(4027),
            "Init Function Parse Warning: Too many parameters initialized for function 'GPIO_A7' (parameter '0x40')");
  EXPECT_EQ(Text(4011), "Comment Parse Warning: Invalid TcrClk value (e MHz)");
  // The offsets -4 and "off", and the mask "not a number", are told, not dropped in silence.
  EXPECT_EQ(Text(4062),
            "Parse Warning: '-4' in 'GPIO_A7' is not a C integer constant that fits in 32 bits; it was not read.");
  EXPECT_EQ(doc.m_strCpu, "");
  EXPECT_EQ(doc.m_nSysClk, 150000000u);
  EXPECT_EQ(doc.m_engine[0].cie, 7u);
  EXPECT_EQ(doc.m_engine[1].dtre, 10u);
  EXPECT_EQ(doc.m_engine[0].odis, 0u);
  EXPECT_EQ(doc.m_strVerbatim, "int verbatim_kept = 1;\r\n");
  EXPECT_FALSE(doc.m_bExternDecls);

  // Member 1 stops at the misplaced value, member 2 at the unknown one.
  EXPECT_EQ(Field(1, "MCR.GTBE"), "HV_KIVO_GTBE_ENABLED");
  EXPECT_EQ(doc.CfgMember(2).Find("ETBR.ETB")->argument, "0x1000");
  EXPECT_EQ(Field(2, "ETBR.ETLOCK"), "HV_KIVO_ETB_UNLOCKED");
  EXPECT_EQ(Field(4, "TBCR.TCR1CTL"), "HV_KIVO_TCR1CTL_OFF");

  ASSERT_EQ(doc.m_funcs.size(), 3u);
  EXPECT_EQ(Func(0).function->name, "PWM");
  EXPECT_EQ(Func(0).engine, 1);
  EXPECT_EQ(Func(0).channels.at(0)->number, 6);
  auto& qd = static_cast<CApi&>(Func(1));
  EXPECT_EQ(qd.engine, 1);
  ASSERT_GE(qd.channels.size(), 2u);
  EXPECT_EQ(qd.channels[0]->number, 31);
  EXPECT_EQ(qd.channels[1]->number, 30);
  // Only the call outside the comments counts; its commented-out priority leaves the first value.
  auto& gpio = static_cast<CNonApi&>(Func(2));
  EXPECT_EQ(gpio.channels.at(0)->number, 7);
  EXPECT_EQ(gpio.Group(1).Find("FNAPI.MODE")->valueName, "HV_KIVO_FM3");
  EXPECT_EQ(gpio.Group(4).Find("FNAPI.PRIORITY")->valueName, "HV_KIVO_PRIORITY_LOW");
  ASSERT_EQ(gpio.rawParams.size(), 4u);
  EXPECT_EQ(gpio.rawParams[1]->value.valueName, "77");
  EXPECT_EQ(gpio.rawParams[0]->value.valueName, "");
}

TEST_F(ReaderTest, FileWithoutStructureStopsTheLoad) {
  std::string source = Fixture("full/kivo_vam.c");
  source.replace(source.find("struct kivo_config_t"), 6, "union");
  EXPECT_FALSE(OpenText(source, Fixture("full/kivo_vam.h")));
  EXPECT_EQ(ports.messages.Ids(), std::vector<int>{4003});
  EXPECT_TRUE(doc.m_funcs.empty());
  EXPECT_EQ(doc.m_strCpu, "");
}

TEST_F(ReaderTest, FilesAboveOneMebibyteAreRefused) {
  const std::size_t limit = 1048576;
  std::string source = Fixture("full/kivo_vam.c");
  std::string header = Fixture("full/kivo_vam.h");
  auto padded = [](std::string text, std::size_t size) { return text + std::string(size - text.size(), ' '); };
  EXPECT_TRUE(OpenText(padded(source, limit), header));
  EXPECT_EQ(doc.m_funcs.size(), 3u);
  EXPECT_FALSE(OpenText(padded(source, limit + 1), header));
  EXPECT_EQ(ports.messages.Ids(), std::vector<int>{4002});
  EXPECT_EQ(Text(4002), "The file '" + (temp / "kivo_vam.c").string() + "' is too big to be loaded");
  EXPECT_FALSE(OpenText(source, padded(header, limit + 1)));
  EXPECT_EQ(Text(4002), "The file '" + (temp / "kivo_vam.h").string() + "' is too big to be loaded");
}

TEST_F(ReaderTest, MissingPiecesFallBackWithTheirMessages) {
  struct CRow {
    const char* name;
    std::string from, to;
    std::vector<int> ids;
    std::size_t functions;
  };
  const CRow rows[] = {
      {"no set include", "#include \"kivo/kivo_set_std.h\"", "", {4016}, 0},
      {"unknown set", "kivo/kivo_set_std.h", "kivo/kivo_set_none.h", {4082}, 0},
      {"no init function", "my_system_kivo_init", "other_init", {4017}, 0},
      {"no clock comments", "SYSCLK = 132 MHz", "", {4008}, 3},
      {"bad system clock", "SYSCLK = 132 MHz", "SYSCLK = .e MHz", {4009}, 3},
      {"parameter count beyond its bound", "HV_KIVO_PRM_COUNT(3)", "HV_KIVO_PRM_COUNT(1000000000)", {4025}, 2},
  };
  for (const CRow& row : rows) {
    SCOPED_TRACE(row.name);
    std::string source = Fixture("full/kivo_vam.c");
    source.replace(source.find(row.from), row.from.size(), row.to);
    EXPECT_TRUE(OpenText(source, Fixture("full/kivo_vam.h")));
    EXPECT_EQ(ports.messages.Ids(), row.ids);
    EXPECT_EQ(doc.m_funcs.size(), row.functions);
  }
}

// Numbers are read as the compiler reads them; one it would refuse, or one
// past 32 bits, is told at the open rather than read as something else.
TEST_F(ReaderTest, NumbersReadAsTheCompilerReadsThemOrAreTold) {
  struct CRow {
    const char* name;
    bool header;
    std::string from, to;
    std::vector<int> ids;
    std::function<void(CProjDoc&)> check;
  };
  auto cie = [](uint32_t mask) { return [mask](CProjDoc& d) { EXPECT_EQ(d.m_engine[0].cie, mask); }; };
  auto channel = [](int number) {
    return [number](CProjDoc& d) { EXPECT_EQ(d.m_funcs.at(0)->channels.at(0)->number, number); };
  };
  const std::string mask = "#define KIVO_CIE_A\t0x00000008";
  const CRow rows[] = {
      {"octal mask with a comment", true, mask, "#define KIVO_CIE_A 010 /* engine A */", {}, cie(8)},
      {"suffixed mask", true, mask, "#define KIVO_CIE_A 0x8u", {}, cie(8)},
      // The source's own define stands in for a header define that does not read.
      {"mask the compiler refuses", true, mask, "#define KIVO_CIE_A 0x8g", {4062}, cie(0xFFFF)},
      {"mask past 32 bits", true, mask, "#define KIVO_CIE_A 0x100000008", {4062}, cie(0xFFFF)},
      {"mask that is an expression", true, mask, "#define KIVO_CIE_A 0x8 | 0x10", {4062}, cie(0xFFFF)},
      {"octal channel", true, "KIVO_ENGINE_A_CHANNEL(3)", "KIVO_ENGINE_A_CHANNEL(03)", {}, channel(3)},
      {"channel the compiler refuses", true, "KIVO_ENGINE_A_CHANNEL(3)", "KIVO_ENGINE_A_CHANNEL(08)", {4021},
       [](CProjDoc& d) { EXPECT_EQ(d.m_funcs.size(), 2u); }},
      {"prescaler the compiler refuses", false, "HV_KIVO_TCR1P(4)", "HV_KIVO_TCR1P(08)", {4062},
       [](CProjDoc& d) { EXPECT_EQ(d.CfgMember(4).Find("TBCR.TCR1P")->argument, "08"); }},
      // Written back as it stands, it would end its own comment early and
      // read differently at every open.
      {"prescaler holding a comment's end", false, "HV_KIVO_TCR1P(4)", "HV_KIVO_TCR1P(4 */ 2)", {4062},
       [](CProjDoc& d) { EXPECT_EQ(d.CfgMember(4).Find("TBCR.TCR1P")->argument, "1"); }},
      {"parameter offset the compiler refuses", false, "(GPIO0, 0x08,", "(GPIO0, 08,", {4062},
       [](CProjDoc& d) {
         auto& gpio = static_cast<CNonApi&>(*d.m_funcs.at(2));
         EXPECT_EQ(gpio.rawParams.at(0)->value.valueName, "0x1234");
         EXPECT_EQ(gpio.rawParams.at(2)->value.valueName, "");
       }},
  };
  for (const CRow& row : rows) {
    SCOPED_TRACE(row.name);
    std::string source = Fixture("full/kivo_vam.c");
    std::string header = Fixture("full/kivo_vam.h");
    std::string& text = row.header ? header : source;
    ASSERT_NE(text.find(row.from), std::string::npos);
    text.replace(text.find(row.from), row.from.size(), row.to);
    ASSERT_TRUE(OpenText(source, header));
    EXPECT_EQ(ports.messages.Ids(), row.ids);
    row.check(doc);
  }
  EXPECT_EQ(Text(4062),
            "Parse Warning: '08' in 'GPIO0' is not a C integer constant that fits in 32 bits; it was not read.");
}

// A call the reader cannot take is kept as written, with the checks and
// writes that go with it and the define of its channel; one without a heading
// of the generator's shape gets one, and the next round writes the same text.
TEST_F(ReaderTest, CallsItCannotTakeAreWrittenBackAsTheyWere) {
  std::string source = Fixture("full/kivo_vam.c");
  auto cut = [&](const std::string& text) { source.erase(source.find(text), text.size()); };
  cut("    /* \n     *  Kivo Non-API Function initialization: 'GPIO - General purpose input/output'\n     */\n");
  cut("                                            HV_KIVO_FM2,\t/* 2 */\n");
  const std::string afterPwm0 = "        return ((PWM0__THE_CHANNEL_) + 1);\n";
  source.insert(source.find(afterPwm0) + afterPwm0.size(), "    my_kivo_spare_init (3);\n");
  const std::string header = Fixture("full/kivo_vam.h");
  const int gpioLine = 1 + static_cast<int>(std::count(source.begin(), source.begin() + static_cast<std::ptrdiff_t>(source.find("hv_kivo_chan_init")), '\n'));

  ASSERT_TRUE(OpenText(source, header));
  EXPECT_EQ(ports.messages.Ids(), (std::vector<int>{4019, 4080}));
  EXPECT_EQ(Text(4080), "Init Function Parse Error: The call of 'hv_kivo_chan_init' on line " + std::to_string(gpioLine) +
                            " has 6 arguments where 7 are expected. The call is kept as written; its channels are not shown.");
  EXPECT_EQ(doc.m_funcs.size(), 2u);
  ASSERT_EQ(doc.m_kept.calls.size(), 2u);
  EXPECT_EQ(doc.m_kept.calls[0].text, "my_kivo_spare_init (3);");
  EXPECT_EQ(doc.m_kept.calls[0].anchor, 1u);
  const std::string& gpio = doc.m_kept.calls[1].text;
  EXPECT_EQ(gpio.rfind("err_code = (int32_t) hv_kivo_chan_init (GPIO0,", 0), 0u) << gpio;
  EXPECT_NE(gpio.find("\n    return ((GPIO0) + 1);\n/* set function parameters */\nhv_kivo_set_chan_local_32 (GPIO0, 0x00"),
            std::string::npos) << gpio;
  const std::string enable = "hv_kivo_enable (GPIO0, HV_KIVO_PRIORITY_HIGH);";
  EXPECT_EQ(gpio.substr(gpio.size() - enable.size()), enable);
  EXPECT_EQ(doc.m_kept.calls[1].anchor, 2u);

  std::string written[2], again[2];
  ASSERT_TRUE(doc.GenerateProjectTexts("kivo_vam.h", written[0], written[1]));
  EXPECT_NE(written[0].find("    /* \n     *  Kept as written: Kivo Vam could not read this call\n     */\n"
                            "    my_kivo_spare_init (3);\n"),
            std::string::npos)
      << written[0];
  EXPECT_NE(written[1].find("#define GPIO0\tKIVO_ENGINE_B_CHANNEL(5)"), std::string::npos) << written[1];
  ASSERT_TRUE(OpenText(written[0], written[1]));
  EXPECT_EQ(ports.messages.Ids(), (std::vector<int>{4019, 4080}));
  ASSERT_TRUE(doc.GenerateProjectTexts("kivo_vam.h", again[0], again[1]));
  EXPECT_EQ(again[0], written[0]);
  EXPECT_EQ(again[1], written[1]);
}

// Removing functions keeps each kept call among the functions it stood
// between, whether they go one by one or several in one step.
TEST_F(ReaderTest, KeptCallsKeepTheirPlaceWhenFunctionsAreRemoved) {
  std::string source = Fixture("full/kivo_vam.c");
  const std::string afterPwm0 = "        return ((PWM0__THE_CHANNEL_) + 1);\n";
  source.insert(source.find(afterPwm0) + afterPwm0.size(), "    my_kivo_spare_init (3);\n");
  ASSERT_TRUE(OpenText(source, Fixture("full/kivo_vam.h")));
  ASSERT_EQ(doc.m_kept.calls.size(), 1u);
  ASSERT_EQ(doc.m_kept.calls[0].anchor, 1u);
  ASSERT_GE(doc.m_funcs.size(), 2u);
  EXPECT_TRUE(doc.RemoveConfiguredFunctions({doc.m_funcs[0].get()}));
  EXPECT_EQ(doc.m_kept.calls[0].anchor, 0u);
}

// A kept call may hold a comment that reads as load inputs; it goes back
// with its call, and only there, at every save.
TEST_F(ReaderTest, LoadInputsInsideAKeptCallAreWrittenOnce) {
  std::string source = Fixture("full/kivo_vam.c");
  const std::string afterPwm0 = "        return ((PWM0__THE_CHANNEL_) + 1);\n";
  source.insert(source.find(afterPwm0) + afterPwm0.size(),
                "    my_kivo_spare_init (3,\t/* SPARE0 load expression inputs:\n      rate=1;\n    */\n        4);\n");
  const std::string header = Fixture("full/kivo_vam.h");
  auto count = [](const std::string& text) {
    std::size_t n = 0;
    for (std::size_t at = text.find("SPARE0 load"); at != std::string::npos; at = text.find("SPARE0 load", at + 1))
      ++n;
    return n;
  };
  std::string written[2];
  for (int round = 0; round < 3; ++round) {
    ASSERT_TRUE(OpenText(round == 0 ? source : written[0], round == 0 ? header : written[1]));
    std::string again[2];
    ASSERT_TRUE(doc.GenerateProjectTexts("kivo_vam.h", again[0], again[1]));
    EXPECT_EQ(count(again[0]), 1u) << "round " << round << "\n" << again[0];
    if (round > 0) {
      EXPECT_EQ(again[0], written[0]) << "round " << round;
    }
    written[0] = again[0];
    written[1] = again[1];
  }
}

TEST_F(ReaderTest, LoadInputsBelongToTheWholeInstanceName) {
  std::string source = Fixture("full/kivo_vam.c");
  source.insert(source.find("/* PWM0 load"), "/* DTPWM0 load expression inputs:\n  duty_rate=99;\n*/\n");
  EXPECT_TRUE(OpenText(source, Fixture("full/kivo_vam.h")));
  EXPECT_EQ(static_cast<CApi&>(Func(0)).loadInputs.values.at("duty_rate"), "50");
}

TEST_F(ReaderTest, ChannelArgumentMustNameAHeaderDefine) {
  struct CRow {
    const char* arg;
    bool ok;
    int engine, channel;
  };
  const CRow rows[] = {
      {"KIVO_CHAN_NOT_USED", true, 1, -1}, {"ON_A", true, 0, 12},      {"ON_B", true, 1, 31},
      {"PLAIN", true, 1, 6},                {"HEX", true, 1, 5},         {"3", false, 1, 0},
      {"TOO_HIGH", false, 1, 0},            {"FAR", false, 1, 0},        {"WORDS", false, 1, 0},
      {"UNDEFINED", false, 1, 0},           {"O.*", false, 1, 0},        {"", false, 1, 0},
  };
  CProjReadContext ctx;
  ctx.headerText =
      "#define ON_A KIVO_ENGINE_A_CHANNEL(12)\n#define ON_B   KIVO_ENGINE_B_CHANNEL ( 0x1F )\n"
      "#define PLAIN 70\n#define HEX 0x45\n#define TOO_HIGH KIVO_ENGINE_A_CHANNEL(40)\n"
      "#define FAR 200\n#define WORDS channel seven\n";
  for (const CRow& row : rows) {
    SCOPED_TRACE(row.arg);
    int engine = 1;
    int channel = 0;
    EXPECT_EQ(doc.ParseChannelArg(ctx, row.arg, engine, channel), row.ok);
    EXPECT_EQ(engine, row.engine);
    EXPECT_EQ(channel, row.channel);
  }
}

TEST_F(ReaderTest, PathologicalFilesEndWithoutHanging) {
  const std::string header = Fixture("full/kivo_vam.h");
  const std::string source = Fixture("full/kivo_vam.c");
  auto repeated = [](const std::string& piece) {
    std::string text;
    while (text.size() < 1000000)
      text += piece;
    return text;
  };
  EXPECT_FALSE(OpenText(repeated("struct kivo_config_t x = {\n"), header));
  EXPECT_EQ(ports.messages.Ids(), std::vector<int>{4003});
  std::string calls = source;
  calls.insert(calls.find("    return 0;"), repeated("kivo_a_init(") + ");\n");
  EXPECT_TRUE(OpenText(calls, header));
  EXPECT_EQ(ports.messages.Ids(), std::vector<int>{4019});
  EXPECT_EQ(doc.m_funcs.size(), 3u);
  EXPECT_TRUE(OpenText(repeated("/* CPU = a SYSCLK = 1 MHz ") + source, header));
  EXPECT_EQ(doc.m_strCpu, "Vandrel V120");
  std::string openers = source;
  openers.replace(openers.find("/* End of the verbatim block */"), 31, repeated("/* Start of the verbatim block */\n"));
  EXPECT_TRUE(OpenText(openers, header));
  EXPECT_EQ(doc.m_strVerbatim, "");
  std::string writes = source;
  writes.insert(writes.find("    return 0;"), repeated("hv_kivo_set_chan_local_32 (GPIO0, 0x10, 1);\n"));
  EXPECT_TRUE(OpenText(writes, header));
  EXPECT_EQ(ports.messages.Ids(), std::vector<int>{4027});
  EXPECT_TRUE(OpenText(repeated("/*x") + source, header));
  EXPECT_EQ(doc.m_funcs.size(), 3u);
}

}  // namespace
