// Tests of the generated source and header: golden files, compilation against the bundled headers, failed saves.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <sstream>

#include "common/runprocess.h"
#include "bundledkb.h"
#include "common/testsupport.h"
#include "project/codetext.h"
#include "project/projdoc.h"
#include "project/templateexpander.h"

namespace fs = std::filesystem;

namespace {

using CValues = std::map<std::string, std::string>;
using CChannels = std::vector<std::pair<std::string, int>>;

// The date line differs from run to run; everything else must match exactly.
std::string MaskDate(const std::string& text) {
  std::istringstream in(text);
  std::string line, out;
  while (std::getline(in, line))
    out += (line.find("Generated on") != std::string::npos ? " *   Generated on <date>" : line) + "\n";
  return out;
}

class GeneratorTest : public ::testing::Test {
 public:
  void SetUp() override {
    LoadBundledKnowledge(kb);
    ResetDoc();
  }

  void ResetDoc() {
    doc = std::make_unique<CProjDoc>(kb);
    doc->OnNewDocument();
    ports.messages.Clear();
  }

  void Select(const std::string& cpu, const std::string& setPath) {
    doc->m_strCpu = cpu;
    ASSERT_TRUE(doc->m_cpu.Select(kb.cpuDb, cpu)) << cpu;
    doc->m_pFSet = setPath.empty() ? nullptr : kb.fsetLib.FindSet(setPath);
    ASSERT_TRUE(setPath.empty() || doc->m_pFSet) << setPath;
  }

  const CKivoFunc* Function(const std::string& name) const {
    if (const CKivoFunc* func = doc->m_pFSet->FindFunc(name))
      return func;
    for (const auto& app : kb.fappLib.Apps())
      if (app->name == name)
        return app.get();
    ADD_FAILURE() << "no function " << name;
    throw std::runtime_error("missing function");
  }

  // Channels are given in the order of the prototype's channel parameters;
  // a parameter without a value takes its definition's first value, or 0.
  CProjDoc::CFuncInfo_Api& AddApi(const std::string& name, const std::string& initName, int engine,
                                  const CChannels& chans, const CValues& values = {}) {
    auto func = std::make_unique<CProjDoc::CFuncInfo_Api>();
    func->function = Function(name);
    func->initFunc = func->function->FindInitFunc(initName);
    EXPECT_NE(func->initFunc, nullptr) << initName;
    func->engine = engine;
    std::size_t next = 0;
    for (const auto& param : func->initFunc->params) {
      if (param->IsChannel()) {
        if (next >= chans.size() || chans[next].second < 0) {
          ++next;
          continue;
        }
        auto chan = std::make_unique<CProjDoc::CChannInfo>();
        chan->owner = func.get();
        chan->name = chans[next].first;
        chan->number = chans[next++].second;
        chan->param = param.get();
        func->channels.push_back(std::move(chan));
        continue;
      }
      auto info = std::make_unique<CProjDoc::CParamInfo>(param->varDef);
      auto given = values.find(param->name);
      if (given != values.end())
        info->value.valueName = given->second;
      else
        info->value.valueName = param->varDef && !param->varDef->values.empty()
                                    ? param->varDef->values.front()->name
                                    : "0";
      func->params[param.get()] = std::move(info);
    }
    auto* raw = func.get();
    doc->AddFunction(std::move(func));
    return *raw;
  }

  CProjDoc::CFuncInfo_NonApi& AddNonApi(const std::string& name, int engine, int channel,
                                        const std::vector<std::string>& rawValues) {
    auto func = std::make_unique<CProjDoc::CFuncInfo_NonApi>();
    func->function = Function(name);
    auto* raw = func.get();
    doc->AddFunction(std::move(func));
    raw->InitDefaults(channel);
    raw->engine = engine;
    for (const std::string& value : rawValues) {
      raw->rawParams.push_back(std::make_unique<CProjDoc::CParamInfo>());
      raw->rawParams.back()->value.valueName = value;
    }
    return *raw;
  }

  // Two engines of the standard image: two PWM instances (the second one
  // synchronised to the first), an input capture with an external limit, a
  // generic GPIO on engine B with raw parameters, masks, load inputs and a
  // verbatim block.
  void BuildStandardProject() {
    Select("Vandrel V120", "kivo/kivo_set_std.h");
    auto& pwm = AddApi("PWM", "hv_kivo_pwm_init_edge", 0, {{"output", 3}},
                       {{"period", "20000"}, {"duty", "duty_start"}});
    pwm.hasLoadInputs = true;
    pwm.loadInputs.values = {{"duty_updates", "100"}};
    AddApi("PWM", "hv_kivo_pwm_init_sync", 0, {{"output", 4}},
           {{"master_pwm_chan", "PWM0_OUTPUT"}, {"duty", "5000"}, {"delay", ""}});
    AddApi("IC", "hv_kivo_ic_init", 0, {{"input", 7}}, {{"max_count", "ic_limit"}});
    auto& gpio = AddNonApi("GPIO", 1, 12, {"0x10", "", "gpio_mask"});
    gpio.Group(1).Get("FNAPI.MODE", false)->valueName = "HV_KIVO_FM2";
    doc->m_engine[0].cie = 0x18;
    doc->m_engine[1].odis = 0x1000;
    doc->m_engine[0].tcrclkIn = 999999;
    doc->m_nPtbClk = 0;
    doc->m_strVerbatim = "/* user code */\r\nvoid user_hook(void);\r\n\r\n";
  }

  // The Pelisk processor with its own templates and the Kivo2 image: an
  // application next to one of the functions it uses, a stepper whose ramp
  // table and rate limit live in user code, and a generic HALL decoder.
  void BuildPeliskProject() {
    Select("Pelisk P8", "kivo2/kivo_set_k2_motion.h");
    AddApi("app_fan_control", "hv_kivo_app_fan_control_init", 1, {{"drive", 2}, {"tacho", 3}});
    AddApi("PWM", "hv_kivo_pwm_init_center", 0, {{"output", 0}});
    AddApi("Stepper_Ramp", "hv_kivo_stepper_ramp_init", 0, {{"phase_a", 8}},
           {{"ramp", "&step_ramp"}, {"max_rate", "STEP_MAX"}});
    AddNonApi("HALL", 1, 20, {});
    doc->m_engine[1].tcrclkIn = 40000;
    doc->m_strVerbatim = "#define STEP_MAX 4000U\r\n";
  }

  // One engine, no function set, nothing configured, no external declarations.
  void BuildEmptyProject() {
    Select("Vandrel V110", "");
    doc->m_bExternDecls = false;
  }

 protected:
  std::pair<std::string, std::string> Save(const CTempDir& dir) {
    EXPECT_TRUE(doc->GenerateProjectFiles((dir / "kivo_vam.c").string(), (dir / "kivo_vam.h").string()));
    return {ReadFileBytes(dir / "kivo_vam.c"), ReadFileBytes(dir / "kivo_vam.h")};
  }

  CRecordedPorts ports;
  CKnowledgeBase kb;
  std::unique_ptr<CProjDoc> doc;
};

struct CProjectRow {
  const char* name;
  void (GeneratorTest::*build)();
};

const CProjectRow kProjects[] = {
    {"standard", &GeneratorTest::BuildStandardProject},
    {"pelisk", &GeneratorTest::BuildPeliskProject},
    {"empty", &GeneratorTest::BuildEmptyProject},
};

// Any change to the generated text must show up here and be accepted by
// rewriting the expected files (KV_UPDATE_GOLDEN=1).
TEST_F(GeneratorTest, GeneratedFilesMatchGoldenFiles) {
  for (const CProjectRow& row : kProjects) {
    SCOPED_TRACE(row.name);
    ResetDoc();
    (this->*row.build)();
    // As a save does: the time bases follow the engines' settings and the clocks.
    doc->NotifyChanged(-1);
    CTempDir dir;
    auto [source, header] = Save(dir);
    fs::path expected = FixturePath("project/gen") / row.name;
    if (std::getenv("KV_UPDATE_GOLDEN")) {
      WriteFileBytes(expected.string() + ".c", MaskDate(source));
      WriteFileBytes(expected.string() + ".h", MaskDate(header));
    }
    EXPECT_EQ(MaskDate(source), ReadFileBytes(expected.string() + ".c"));
    EXPECT_EQ(MaskDate(header), ReadFileBytes(expected.string() + ".h"));
    EXPECT_TRUE(ports.messages.Messages().empty());
  }
}

TEST_F(GeneratorTest, GeneratedFilesCompileAgainstTheBundledHeaders) {
  if (RunProcess("/usr/bin/env", {"gcc", "--version"}).exitCode != 0)
    GTEST_SKIP() << "gcc is not available";
  std::vector<std::string> args = {"gcc", "-std=c99", "-pedantic", "-Wall", "-Wextra", "-Werror",
                                   "-fsyntax-only"};
  for (const char* folder : {"fsets", "fsets/api", "fsets/shared", "fsets/functions", "fsets/apps"})
    args.push_back("-I" + SourcePath(folder).string());
  for (const CProjectRow& row : kProjects) {
    SCOPED_TRACE(row.name);
    ResetDoc();
    (this->*row.build)();
    CTempDir dir;
    Save(dir);
    for (const char* file : {"kivo_vam.c", "kivo_vam.h"}) {
      std::vector<std::string> unit = args;
      unit.insert(unit.end(), {"-x", "c", (dir / file).string()});
      CProcessResult result = RunProcess("/usr/bin/env", unit);
      EXPECT_EQ(result.exitCode, 0) << file << ":\n" << result.err;
    }
  }
}

// A project read from generated files saves to the same files again. (The
// first reading completes the hand-built projects: channels computed from
// the assignment blocks, a missing value read as the 0 written for it.)
TEST_F(GeneratorTest, OpenedProjectsSaveUnchanged) {
  for (const CProjectRow& row : kProjects) {
    SCOPED_TRACE(row.name);
    ResetDoc();
    (this->*row.build)();
    CTempDir first, second, third;
    Save(first);
    std::vector<int> expectedIds = std::string(row.name) == "empty" ? std::vector<int>{4016} : std::vector<int>{};
    std::pair<std::string, std::string> saved[2];
    const CTempDir* from[2] = {&first, &second};
    const CTempDir* to[2] = {&second, &third};
    for (int i = 0; i < 2; ++i) {
      ResetDoc();
      ASSERT_TRUE(doc->OnOpenDocument((*from[i] / "kivo_vam.c").string()));
      EXPECT_EQ(ports.messages.Ids(), expectedIds);
      saved[i] = Save(*to[i]);
    }
    EXPECT_EQ(MaskDate(saved[1].first), MaskDate(saved[0].first));
    EXPECT_EQ(MaskDate(saved[1].second), MaskDate(saved[0].second));
  }
}

// A stray comment end in a hand-edited value stays in the code: in the comment
// that repeats the value it would end the comment and push the rest into code.
TEST_F(GeneratorTest, CommentEndInAValueStaysOutOfTheComments) {
  BuildStandardProject();
  auto& pwm = static_cast<CProjDoc::CFuncInfo_Api&>(*doc->m_funcs.front());
  pwm.ParamOf(pwm.initFunc->FindParam("duty"))->value.valueName = "duty_start */ + 1";
  static_cast<CProjDoc::CFuncInfo_NonApi&>(*doc->m_funcs.back()).rawParams[2]->value.valueName = "gpio_mask*/";
  CTempDir first, second, third;
  std::string firstSource = Save(first).first;
  EXPECT_NE(firstSource.find("/* duty: duty_start * / + 1 */"), std::string::npos);
  EXPECT_NE(firstSource.find("/* prm2: gpio_mask* / */"), std::string::npos);
  std::string saved[2];
  const CTempDir* from[2] = {&first, &second};
  const CTempDir* to[2] = {&second, &third};
  for (int i = 0; i < 2; ++i) {
    ResetDoc();
    ASSERT_TRUE(doc->OnOpenDocument((*from[i] / "kivo_vam.c").string()));
    auto& reread = static_cast<CProjDoc::CFuncInfo_Api&>(*doc->m_funcs.front());
    EXPECT_EQ(reread.ParamOf(reread.initFunc->FindParam("duty"))->value.valueName, "duty_start */ + 1");
    saved[i] = MaskDate(Save(*to[i]).first);
  }
  EXPECT_EQ(saved[1], saved[0]);
}

// The channel configuration argument carries its Kivo2-only fields on a
// Kivo2 processor, as the engine members do; otherwise a value the file gave
// would be lost on the next save.
TEST_F(GeneratorTest, NonApiChannelConfigurationKeepsKivo2FieldsOnKivo2) {
  CKivoCfgDesc desc;
  ASSERT_TRUE(desc.Load(FixturePath("project/gen/kivocfg_grp2.ini").string()));
  Select("Vandrel V120", "kivo/kivo_set_std.h");
  auto& gpio = AddNonApi("GPIO", 0, 5, {});
  ASSERT_TRUE(gpio.Group(2).Build(desc, "FNAPI.GRP2"));
  gpio.Group(2).ResetToDefaults();
  gpio.Group(2).Find("FNAPI.SPL")->valueName = "HV_KIVO_SPL_ON";
  for (int kivo2 : {0, 1}) {
    doc->m_cpu.isKivo2 = kivo2;
    std::string block;
    gpio.GenerateInitCode(block);
    EXPECT_EQ(block.find("| HV_KIVO_SPL_ON\t/* Split sampling: on */") != std::string::npos, kivo2 == 1)
        << block;
    EXPECT_NE(block.find("HV_KIVO_ETCS_STANDARD"), std::string::npos);
  }
}

TEST_F(GeneratorTest, PlaceholderExpansions) {
  doc->m_nSysClk = 1000000;
  doc->m_nPtbClk = 999;
  doc->m_engine[0].tcrclkIn = 0;
  doc->m_engine[1].tcrclkIn = 1000;
  doc->m_engine[0].tcr1Freq = 3000000000U;
  doc->m_engine[1].tcr2Freq = 42;
  doc->m_engine[1].opol = 0x80000001;
  doc->m_strCpu = "Demo Chip 7";
  struct CRow {
    const char* tag;
    const char* text;
  } rows[] = {
      {"%SYSCLK%", "1 MHz"},
      {"%PTBCLK%", "999 Hz"},
      {"%TCRCLK_A%", "OFF"},
      {"%TCRCLK_B%", "1 kHz"},
      {"%TCRCLK_X%", "1 kHz"},  // any letter but A means engine B
      {"%TCR1_A%", "3000000000"},
      {"%TCR2_B%", "42"},
      {"%OPOL_B%", "0x80000001"},
      {"%CIE_A%", "0x00000000"},
      {"%CPU%", "Demo Chip 7"},
      {"%FSetFileInclude%", "/* no function set was selected */"},
      {"%ProjHeaderInclude%", "#include \"kivo_vam.h\""},
      {"%ApiExternArgs%", "/* External object declarations */\n/* ... no external variables used */\n"},
      {"%VerbatimBlock%", ""},
      {"%CfgStructMemb11%", "#error Internal Kivo Vam error (unknown placeholder tag %CfgStructMemb11%)"},
      {"%cpu%", "#error Internal Kivo Vam error (unknown placeholder tag %cpu%)"},
  };
  for (const CRow& row : rows) {
    std::string text;
    doc->ExpandPlaceholder(row.tag, text);
    EXPECT_EQ(text, row.text) << row.tag;
  }
}

// The clocks are shown with six digits, but the file must give back the value saved.
TEST_F(GeneratorTest, ClocksWithMoreDigitsThanShownSurviveAReopen) {
  BuildStandardProject();
  doc->m_nSysClk = 123456789;
  doc->m_nPtbClk = 1234567;
  doc->m_engine[0].tcrclkIn = 654321;
  CTempDir dir;
  Save(dir);
  CProjDoc reopened(kb);
  ASSERT_TRUE(reopened.OnOpenDocument((dir / "kivo_vam.c").string()));
  EXPECT_EQ(reopened.m_nSysClk, 123456789u);
  EXPECT_EQ(reopened.m_nPtbClk, 1234567u);
  EXPECT_EQ(reopened.m_engine[0].tcrclkIn, 654321u);
}

TEST_F(GeneratorTest, TemplateLinesKeepIndentationAndExpandOnlyTheLastTag) {
  CTemplateExpander expander([](const std::string& tag) {
    return tag == "%LIST%" ? std::string("a\n| b\r\n| c") : "<" + tag + ">";
  });
  struct CRow {
    const char* name;
    const char* line;
    const char* expected;
  } rows[] = {
      {"indented", "    %LIST%,", "    a\n    | b\n    | c,"},
      {"text before", "x = %LIST%", "x = a\n| b\n| c"},
      {"two tags", "%CPU% and %SYSCLK%", "%CPU% and <%SYSCLK%>"},
      {"printf format", "printf(\"%d%%\", n);", "printf(\"<%d%%>\", n);"},
      {"no tag", "int x; /* 50 % */", "int x; /* 50 % */"},
  };
  for (const CRow& row : rows)
    EXPECT_EQ(expander.ExpandLine(row.line), row.expected) << row.name;
  EXPECT_EQ(expander.Expand("a\r\n%X%\nlast"), "a\n<%X%>\nlast\n");
}

TEST(ExternDeclarationTest, DeclaresTheObjectAValueNames) {
  struct CRow {
    const char* name;
    const char* value;
    const char* type;
    const char* expected;
  } rows[] = {
      {"address of a structure", " &pwm_config ", "pwm_config_t *", "extern pwm_config_t pwm_config;\n"},
      {"const pointee keeps const", "&ramp", "const kivo_step_ramp_t *", "extern const kivo_step_ramp_t ramp;\n"},
      {"pointer qualifiers dropped", "&cell", "cell_t volatile const *", "extern cell_t cell;\n"},
      {"address for a non-pointer", "&x", "uint32_t", ""},
      {"plain variable", "ticks + 1", "uint32_t", "extern uint32_t ticks;\n"},
      {"dereference", "*next", "uint32_t", "extern uint32_t* next;\n"},
      {"array subscript skipped", "[2]table", "uint8_t", "extern uint8_t* table;\n"},
      {"cast names no object", "(uint32_t)&x", "uint32_t", ""},
      {"cast before an address", "(pwm_config_t *) &cfg", "pwm_config_t *", "extern pwm_config_t cfg;\n"},
      {"nested cast", "((uint8_t *)(void *)buffer)", "uint8_t *", "extern uint8_t * buffer;\n"},
      {"parentheses around an operand", "(ticks + 1) * 2", "uint32_t", "extern uint32_t ticks;\n"},
      {"macro in capitals", "PWM_PERIOD", "uint32_t", ""},
      {"number", "100", "uint32_t", ""},
      {"hexadecimal", "0xffu", "uint32_t", ""},
      {"empty", "  ", "uint32_t", ""},
  };
  for (const CRow& row : rows)
    EXPECT_EQ(MakeExternDeclaration(row.value, row.type), row.expected) << row.name;
  std::string longName(300, 'v');
  EXPECT_EQ(MakeExternDeclaration(longName, std::string(280, 't')),
            "extern " + std::string(280, 't') + " " + longName + ";\n");
}

TEST(ExternDeclarationTest, OneNameIsDeclaredOnce) {
  std::string text;
  EXPECT_TRUE(AppendDeclaration(text, "extern uint32_t duty;\n"));
  EXPECT_FALSE(AppendDeclaration(text, "extern uint16_t duty;\n"));
  EXPECT_TRUE(AppendDeclaration(text, "extern uint32_t max_duty;\n"));
  EXPECT_FALSE(AppendDeclaration(text, ""));
  EXPECT_EQ(text, "extern uint32_t duty;\nextern uint32_t max_duty;\n");
}

// Both functions of an application and the application itself are
// included, each header once, even next to a function of its own.
TEST_F(GeneratorTest, ApiHeadersAreIncludedOnce) {
  BuildPeliskProject();
  AddApi("PWM", "hv_kivo_pwm_init_edge", 0, {{"output", 5}});
  std::string text;
  doc->ExpandPlaceholder("%ApiFuncIncludes%", text);
  EXPECT_EQ(text,
            "#include \"functions/kivo_pwm.h\" /* Fan Speed Control: Pulse Width Modulation Output */\n"
            "#include \"functions/kivo_ic.h\" /* Fan Speed Control: Input Capture and Transition Counter */\n"
            "#include \"apps/kivo_app_fan_control.h\" /* Fan Speed Control: main header file */\n"
            "#include \"functions/kivo_stepper_ramp.h\" /* Stepper Motor with Acceleration Ramp */");
}

class GeneratorSaveTest : public GeneratorTest {
 protected:
  void SetUp() override {
    GeneratorTest::SetUp();
    BuildStandardProject();
    cPath = (dir / "kivo_vam.c").string();
    hPath = (dir / "kivo_vam.h").string();
    WriteFileBytes(cPath, "previous source\n");
    WriteFileBytes(hPath, "previous header\n");
    doc->SetModifiedFlag(true);
  }

  // The previous pair untouched, no temporary file left, the flag kept.
  bool PreviousPairIntact() const {
    std::size_t entries = 0;
    for (const auto& entry : fs::directory_iterator(dir.Path())) {
      (void)entry;
      ++entries;
    }
    return ReadFileBytes(cPath) == "previous source\n" && ReadFileBytes(hPath) == "previous header\n" &&
           entries == 2 && doc->IsModified();
  }

  // Exit codes of the child processes: 0 when the save failed as it should.
  int FailedSaveResult(bool saved) const {
    bool reported = ports.messages.Messages().size() == 1 &&
                    ports.messages.Messages()[0].text.find(cPath) != std::string::npos;
    return saved ? 1 : !PreviousPairIntact() ? 2 : !reported ? 4 : 0;
  }

  int SaveAsNobody() {
    if (geteuid() == 0 && (setresgid(65534, 65534, 65534) != 0 || setresuid(65534, 65534, 65534) != 0))
      return 3;
    return FailedSaveResult(doc->OnSaveDocument(cPath));
  }

  int SaveWithFileSizeLimit(rlim_t bytes) {
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{bytes, bytes};
    if (setrlimit(RLIMIT_FSIZE, &limit) != 0)
      return 3;
    return FailedSaveResult(doc->OnSaveDocument(cPath));
  }

  CTempDir dir;
  std::string cPath, hPath;
};

TEST_F(GeneratorSaveTest, MissingTemplateLeavesThePreviousFiles) {
  doc->m_cpu.templateName = "no_such_template";
  EXPECT_FALSE(doc->OnSaveDocument(cPath));
  EXPECT_TRUE(PreviousPairIntact());
  const auto& messages = ports.messages.Messages();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_NE(messages[0].text.find("no_such_template._c"), std::string::npos) << messages[0].text;
}

// A template that opens but does not read whole wrote an empty source over the
// project (a folder) or took the memory with it (/dev/zero). The template
// name is a path here, so that the templates lie in a scratch folder.
TEST_F(GeneratorSaveTest, TemplateThatDoesNotReadLeavesThePreviousFiles) {
  CTempDir templates;
  const std::string base = (templates / "t").string();
  WriteFileBytes(templates / "t._h", "%ChannAssig%\n");
  struct CRow {
    const char* name;
    std::function<void(const fs::path&)> make;
    int id;
  };
  const CRow rows[] = {
      {"a folder", [](const fs::path& path) { fs::create_directory(path); }, 0},
      {"a link to /dev/zero", [](const fs::path& path) { fs::create_symlink("/dev/zero", path); }, 0},
      {"over 1 MiB", [](const fs::path& path) { WriteFileBytes(path, std::string(1024 * 1024 + 1, ' ')); }, 4002},
  };
  for (const CRow& row : rows) {
    SCOPED_TRACE(row.name);
    fs::remove_all(templates / "t._c");
    row.make(templates / "t._c");
    ports.messages.Clear();
    doc->m_cpu.templateName = base;
    EXPECT_FALSE(doc->OnSaveDocument(cPath));
    EXPECT_TRUE(PreviousPairIntact());
    ASSERT_EQ(ports.messages.Messages().size(), 1u);
    EXPECT_EQ(ports.messages.Messages()[0].id, row.id);
    EXPECT_NE(ports.messages.Messages()[0].text.find(base + "._c"), std::string::npos);
  }
}

// The save runs in a child process that may not write into the folder (as
// root the child gives up its rights first); its exit code is the result.
TEST_F(GeneratorSaveTest, ReadOnlyFolderLeavesThePreviousFiles) {
  fs::permissions(cPath, fs::perms::all);
  fs::permissions(hPath, fs::perms::all);
  fs::permissions(dir.Path(), fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                                  fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec);
  EXPECT_EXIT(std::_Exit(SaveAsNobody()), ::testing::ExitedWithCode(0), "");
  fs::permissions(dir.Path(), fs::perms::owner_all);
}

// A file-size limit makes every write beyond it fail as a full disk does.
TEST_F(GeneratorSaveTest, FullDiskLeavesThePreviousFiles) {
  EXPECT_EXIT(std::_Exit(SaveWithFileSizeLimit(200)), ::testing::ExitedWithCode(0), "");
}

TEST_F(GeneratorSaveTest, SuccessfulSaveReplacesBothFilesAndClearsTheFlag) {
  fs::permissions(cPath, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  EXPECT_TRUE(doc->OnSaveDocument(cPath));
  EXPECT_FALSE(doc->IsModified());
  EXPECT_NE(ReadFileBytes(cPath).find("my_system_kivo_init"), std::string::npos);
  EXPECT_NE(ReadFileBytes(hPath).find("#define PWM0_OUTPUT\tKIVO_ENGINE_A_CHANNEL(3)"), std::string::npos);
  // The replaced file keeps its permissions.
  EXPECT_EQ(fs::status(cPath).permissions(),
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

// A FIFO or a device named as the target was replaced by a plain file; a link
// is written through, so that the file it names holds the source. The header
// belongs beside the name the user gave, not beside the link's target (where
// another project's header may lie), and the source includes it by that name.
TEST_F(GeneratorSaveTest, SpecialFileTargetIsRefusedAndALinkWrittenThrough) {
  const std::string fifo = (dir / "pipe.c").string();
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_FALSE(doc->OnSaveDocument(fifo));
  ASSERT_EQ(ports.messages.Messages().size(), 1u);
  EXPECT_EQ(ports.messages.Messages()[0].id, 0);
  EXPECT_NE(ports.messages.Messages()[0].text.find(fifo), std::string::npos);
  EXPECT_TRUE(fs::is_fifo(fifo));
  EXPECT_FALSE(fs::exists(dir / "pipe.h"));

  fs::create_directory(dir / "real");
  fs::create_symlink(dir / "real" / "board.c", dir / "link.c");
  ports.messages.Clear();
  ASSERT_TRUE(doc->OnSaveDocument((dir / "link.c").string()));
  EXPECT_TRUE(fs::is_symlink(dir / "link.c"));
  EXPECT_FALSE(fs::exists(dir / "real" / "board.h"));
  std::string source = ReadFileBytes(dir / "real" / "board.c");
  EXPECT_NE(source.find("#include \"link.h\""), std::string::npos);
  EXPECT_NE(ReadFileBytes(dir / "link.h").find("PWM0_OUTPUT"), std::string::npos);

  // Opening through the link reads the source it names and the header beside it.
  CProjDoc again(kb);
  EXPECT_TRUE(again.OnOpenDocument((dir / "link.c").string()));
  EXPECT_EQ(again.Functions().size(), doc->Functions().size());
}

TEST_F(GeneratorTest, SourceDateEpochFixesTheStampInUtc) {
  struct CRow {
    const char* name;
    const char* value;  // null: unset
    bool fixed;
  };
  const CRow rows[] = {
      {"a count of seconds", "86400", true},
      {"not a number", "yesterday", false},
      {"negative", "-5", false},
  };
  for (const CRow& row : rows) {
    SCOPED_TRACE(row.name);
    setenv("SOURCE_DATE_EPOCH", row.value, 1);
    std::string stamp;
    doc->ExpandPlaceholder("DateTime", stamp);
    if (row.fixed)
      EXPECT_EQ(stamp, "Fri Jan  2 00:00:00 1970");
    else
      EXPECT_EQ(stamp.find("1970"), std::string::npos) << stamp;
  }
  unsetenv("SOURCE_DATE_EPOCH");
}

}  // namespace
