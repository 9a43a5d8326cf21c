// The Load command's way through a function's load expressions and the rows, check and values of its dialog, over a fixture header with one case of each.
#include "project/loadinputs.h"

#include <gtest/gtest.h>

#include "bundledkb.h"
#include "common/testsupport.h"
#include "knowledge/apimeta.h"

namespace {

class LoadInputsTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    CRecordedPorts quiet;
    kb = new CKnowledgeBase;
    LoadBundledKnowledge(*kb);
    CKivoLoadEnv env;
    env.folder = FixturePath("project/loadcmd").string();
    env.desc = &kb->cfgDesc;
    lcmd = new CKivoFunc(nullptr);
    lcmd->Init("LCMD - Load Command Corners", FixturePath("project/loadcmd/kivo_lcmd.h").string(), env);
  }
  static void TearDownTestSuite() {
    delete lcmd;
    delete kb;
    lcmd = nullptr;
    kb = nullptr;
  }
  void SetUp() override {
    ASSERT_TRUE(lcmd->hasApi);
    doc = std::make_unique<CProjDoc>(*kb);
  }

  // The function configured with its defaults, its parameters then set by name.
  std::unique_ptr<CProjDoc::CFuncInfo_Api> Make(const std::string& initName,
                                                const std::vector<std::pair<std::string, std::string>>& values = {}) {
    auto func = std::make_unique<CProjDoc::CFuncInfo_Api>();
    func->doc = doc.get();
    func->function = lcmd;
    func->initFunc = lcmd->FindInitFunc(initName);
    EXPECT_NE(func->initFunc, nullptr) << initName;
    func->engine = 0;
    func->InitDefaults(3);
    for (const auto& [name, value] : values)
      func->FindParam(name)->value.Set(value, "");
    // The channel block follows the parameters, as the dialog rebuilds it.
    CProjDoc::CFuncInfo_Api::CChannelMap map;
    for (const auto& channel : func->channels)
      map[channel->param] = channel->number;
    func->BuildChannels(map);
    return func;
  }

  static std::vector<std::string> Names(const std::vector<CLoadInput>& inputs) {
    std::vector<std::string> names;
    for (const CLoadInput& input : inputs)
      names.push_back(input.name);
    return names;
  }

  static CKnowledgeBase* kb;
  static CKivoFunc* lcmd;
  CRecordedPorts ports;
  std::unique_ptr<CProjDoc> doc;
};

CKnowledgeBase* LoadInputsTest::kb = nullptr;
CKivoFunc* LoadInputsTest::lcmd = nullptr;

TEST_F(LoadInputsTest, LoadCommandGoesToTheDialogOnlyForAnExpressionWithInputs) {
  struct CRow {
    const char* name;
    const char* init;
    std::vector<std::pair<std::string, std::string>> values;
    bool dialog;
    std::vector<int> messages;
    std::vector<std::string> inputs;
  };
  const CRow rows[] = {
      {"the header names no expression for the call", "hv_kivo_lcmd_init_none", {}, false, {4048}, {}},
      {"no expression for the mode chosen", "hv_kivo_lcmd_init", {{"mode", "KIVO_LCMD_RAW"}}, false, {4049}, {}},
      {"an expression that reads no input", "hv_kivo_lcmd_init_plain", {}, false, {4050}, {}},
      {"declared inputs, a sub-expression's too", "hv_kivo_lcmd_init", {{"mode", "KIVO_LCMD_COOKED"}, {"baud", "9600"}},
       true, {}, {"speed", "level", "gap"}},
      {"and an external variable a parameter names", "hv_kivo_lcmd_init",
       {{"mode", "KIVO_LCMD_COOKED"}, {"baud", "MY_BAUD"}}, true, {}, {"speed", "level", "gap", "MY_BAUD"}},
  };
  for (const CRow& row : rows) {
    SCOPED_TRACE(row.name);
    ports.messages.Clear();
    auto func = Make(row.init, row.values);
    std::vector<CLoadInput> inputs;
    EXPECT_EQ(PrepareLoadCommand(*func, inputs), row.dialog);
    EXPECT_EQ(ports.messages.Ids(), row.messages);
    EXPECT_EQ(Names(inputs), row.inputs);
  }
}

TEST_F(LoadInputsTest, MessagesNameTheHeaderFile) {
  std::vector<CLoadInput> inputs;
  PrepareLoadCommand(*Make("hv_kivo_lcmd_init", {{"mode", "KIVO_LCMD_RAW"}}), inputs);
  ASSERT_EQ(ports.messages.Messages().size(), 1u);
  EXPECT_EQ(ports.messages.Messages()[0].text,
            "No Load Expression is specified for current channel configuration. See function API header file "
            "('kivo_lcmd.h').");
}

TEST_F(LoadInputsTest, RowsTellUnitsChoicesAndWhereTheyComeFrom) {
  auto func = Make("hv_kivo_lcmd_init", {{"mode", "KIVO_LCMD_COOKED"}, {"baud", "MY_BAUD"}});
  func->loadInputs.values["speed"] = "40";
  func->ComputeLoad(false);
  const double loadBefore = func->channels[0]->load;
  const bool flagBefore = func->hasLoadInputs;

  std::vector<CLoadInput> inputs = LoadInputsOf(*func);
  ASSERT_EQ(Names(inputs), (std::vector<std::string>{"speed", "level", "gap", "MY_BAUD"}));
  EXPECT_EQ(inputs[0].unit, "rpm");
  EXPECT_TRUE(inputs[0].choices.empty());
  EXPECT_EQ(inputs[1].unit, "%");
  EXPECT_EQ(inputs[1].choices, (std::vector<std::string>{"LOW", "HIGH"}));
  // Two ranges, one of them a single point: still typed.
  EXPECT_TRUE(inputs[2].choices.empty());
  ASSERT_NE(inputs[2].declared, nullptr);
  EXPECT_EQ(inputs[2].declared->ranges.size(), 2u);
  EXPECT_EQ(inputs[3].declared, nullptr);
  EXPECT_EQ(inputs[3].unit, "uint32_t");
  // Finding the rows computes nothing into the function itself.
  EXPECT_EQ(func->channels[0]->load, loadBefore);
  EXPECT_EQ(func->hasLoadInputs, flagBefore);
  EXPECT_TRUE(ports.messages.Messages().empty());
}

TEST_F(LoadInputsTest, CheckRefusesTheFirstValueOutOfRangeOrNotStorable) {
  auto func = Make("hv_kivo_lcmd_init", {{"mode", "KIVO_LCMD_COOKED"}, {"baud", "MY_BAUD"}});
  const std::vector<CLoadInput> inputs = LoadInputsOf(*func);
  ASSERT_EQ(inputs.size(), 4u);
  struct CRow {
    const char* name;
    std::vector<std::string> values;  // speed, level, gap, MY_BAUD
    int refused;
    std::vector<int> messages;
  };
  const CRow rows[] = {
      {"all allowed", {"100", "HIGH", "15", "9600"}, -1, {}},
      {"unset values pass", {"", "", "", ""}, -1, {}},
      {"an expression is evaluated", {"2 * 60", "", "", ""}, 0, {4051}},
      {"a value that does not evaluate is not checked", {"fast", "", "", ""}, -1, {}},
      {"a named choice is not checked", {"", "LOW", "", ""}, -1, {}},
      {"the single point of two ranges", {"", "", "0", ""}, -1, {}},
      {"between two ranges", {"", "", "5", ""}, 2, {4052}},
      {"the first of two refusals", {"", "", "25", "1e9"}, 2, {4052}},
      {"an external variable has no range", {"", "", "", "-7"}, -1, {}},
      {"a statement separator", {"", "", "", "1;2"}, 3, {4053}},
      {"an assignment", {"", "", "", "x=1"}, 3, {4053}},
      {"a comment end", {"", "", "", "8*/2"}, 3, {4053}},
  };
  for (const CRow& row : rows) {
    SCOPED_TRACE(row.name);
    ports.messages.Clear();
    EXPECT_EQ(FirstRefusedLoadInput(inputs, row.values, false), row.refused);
    EXPECT_TRUE(ports.messages.Messages().empty());
    EXPECT_EQ(FirstRefusedLoadInput(inputs, row.values, true), row.refused);
    EXPECT_EQ(ports.messages.Ids(), row.messages);
  }
  ports.messages.Clear();
  FirstRefusedLoadInput(inputs, {"", "", "5", ""}, true);
  EXPECT_EQ(ports.messages.Messages().at(0).text,
            "The 'gap' value must fall into one of the following ranges 0..0; 10..20.");
}

TEST_F(LoadInputsTest, ValuesReplaceTheirEntriesAndLeaveOthers) {
  auto func = Make("hv_kivo_lcmd_init", {{"mode", "KIVO_LCMD_COOKED"}, {"baud", "MY_BAUD"}});
  const std::vector<CLoadInput> inputs = LoadInputsOf(*func);
  CProjDoc::CLoadVarVals base;
  base.values = {{"speed", "10"}, {"level", "LOW"}, {"unrelated", "3"}};
  CProjDoc::CLoadVarVals result = LoadInputsWith(base, inputs, {" 20 ", "", "15", "MY_BAUD_VALUE"});
  EXPECT_EQ(result.values, (std::map<std::string, std::string>{
                               {"speed", "20"}, {"gap", "15"}, {"MY_BAUD", "MY_BAUD_VALUE"}, {"unrelated", "3"}}));
}

}  // namespace
