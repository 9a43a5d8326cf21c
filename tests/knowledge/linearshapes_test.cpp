// Headers of a megabyte shaped to make a backtracking reader slow load completely; each would take minutes if a reader went quadratic again.
#include <gtest/gtest.h>

#include "bench/kbshapes.h"
#include "common/testsupport.h"
#include "knowledge/knowledgebase.h"

namespace {

class LinearShapes : public ::testing::TestWithParam<kbshapes::CShape> {};

TEST_P(LinearShapes, LoadCompletelyAndQuoteLittle) {
  const kbshapes::CShape& shape = GetParam();
  ASSERT_LE(shape.header.size(), kbshapes::kSize);
  CTempDir dir;
  CRecordedPorts ports;
  WriteFileBytes(dir / "kivo_set_x.h", kbshapes::SetHeader());
  WriteFileBytes(dir / "kivo_x.h", shape.header);
  CKivoFSetLib lib;
  ASSERT_EQ(lib.LoadAll(dir.Path().string(), nullptr), 1);
  ASSERT_EQ(lib.Functions().size(), 1u);
  const CKivoFunc& func = *lib.Functions()[0];
  EXPECT_EQ(func.initFuncs.size(), shape.initFuncs);
  EXPECT_EQ(func.loadExprs.size(), shape.loadExprs);
  for (const CMessage& message : ports.messages.Messages()) {
    EXPECT_NE(message.id, 9310) << message.text.substr(0, 300);
    EXPECT_LT(message.text.size(), 1200u) << message.id;
  }
}

INSTANTIATE_TEST_SUITE_P(Megabyte, LinearShapes, ::testing::ValuesIn(kbshapes::Shapes()),
                         [](const ::testing::TestParamInfo<kbshapes::CShape>& row) {
                           std::string name;
                           for (char c : row.param.name)
                             name += (c == ' ') ? '_' : c;
                           return name;
                         });

class LinearSetShapes : public ::testing::TestWithParam<kbshapes::CSetShape> {};

TEST_P(LinearSetShapes, LoadCompletelyAndQuoteLittle) {
  const kbshapes::CSetShape& shape = GetParam();
  ASSERT_LE(shape.setHeader.size(), kbshapes::kSize);
  CTempDir dir;
  CRecordedPorts ports;
  WriteFileBytes(dir / "kivo_set_x.h", shape.setHeader);
  WriteFileBytes(dir / "kivo_x.h", kbshapes::Prototype());
  CKivoFSetLib lib;
  ASSERT_EQ(lib.LoadAll(dir.Path().string(), nullptr), 1);
  EXPECT_EQ(lib.Functions().size(), shape.functions);
  std::size_t unknown = 0;
  for (const CMessage& message : ports.messages.Messages()) {
    EXPECT_NE(message.id, 9310) << message.text.substr(0, 300);
    EXPECT_LT(message.text.size(), 1200u) << message.id;
    unknown += message.id == 4038 ? 1 : 0;
  }
  EXPECT_EQ(unknown, shape.unknownSettings);
}

INSTANTIATE_TEST_SUITE_P(Megabyte, LinearSetShapes, ::testing::ValuesIn(kbshapes::SetShapes()),
                         [](const ::testing::TestParamInfo<kbshapes::CSetShape>& row) {
                           std::string name;
                           for (char c : row.param.name)
                             name += (c == ' ') ? '_' : c;
                           return name;
                         });

// Application headers whose used-functions heading is followed by a
// megabyte of blanks, or whose comment repeats the heading's words.
TEST(LinearAppShapes, UsedFunctionsHeadingWordsAndBlanks) {
  const std::string proto = "void hv_kivo_app_x_init(uint8_t channel);\n";
  const std::vector<std::pair<std::string, std::size_t>> rows = {
      {proto + "/* Kivo functions used" + std::string(kbshapes::kSize - 4096, ' '), 0},
      {proto + kbshapes::Repeat("/* ", "Kivo functions ") + "*/\n/* Kivo functions used: X */\n", 1},
      {proto + "/* Kivo functions used: " + kbshapes::Repeat("", "X,") + " */\n", 2},
  };
  for (const auto& [header, used] : rows) {
    ASSERT_LE(header.size(), kbshapes::kSize);
    CTempDir dir;
    CRecordedPorts ports;
    WriteFileBytes(dir / "kivo_app_x.h", header);
    CKivoFappLib apps;
    ASSERT_EQ(apps.Scan(dir.Path().string(), nullptr), 1);
    EXPECT_EQ(apps.Apps()[0]->usedFunctions.size(), used);
    EXPECT_TRUE(ports.messages.Messages().empty());
  }
}

// A function with tens of thousands of initialisation functions whose source
// documents each one: every question to the source would otherwise search
// all its comments, or the rest of one comment naming them all, again.
struct CManyInitsRow {
  const char* name;
  bool oneCommentNamesAll;
};

class ManyInitialisationFunctions : public ::testing::TestWithParam<CManyInitsRow> {};

TEST_P(ManyInitialisationFunctions, EachFindsItsOwnComment) {
  constexpr int kInits = 15000;
  std::string header, source, all = "/* The initialisation functions:";
  for (int i = 0; i < kInits; ++i) {
    std::string init = "hv_kivo_x_init_" + std::to_string(i);
    header += "void " + init + "(int a);\n";
    source += "/*" + init + " a-" + std::to_string(i) + "*/\n";
    all += " " + init;
  }
  if (GetParam().oneCommentNamesAll)
    source = all + " */\n" + source;
  ASSERT_LE(header.size(), kbshapes::kSize);
  ASSERT_LE(source.size(), kbshapes::kSize);
  CTempDir dir;
  CRecordedPorts ports;
  WriteFileBytes(dir / "kivo_set_x.h", kbshapes::SetHeader());
  WriteFileBytes(dir / "kivo_x.h", header);
  WriteFileBytes(dir / "kivo_x.c", source);
  CKivoFSetLib lib;
  ASSERT_EQ(lib.LoadAll(dir.Path().string(), nullptr), 1);
  EXPECT_TRUE(ports.messages.Messages().empty());
  const CKivoFunc& func = *lib.Functions().at(0);
  ASSERT_EQ(func.initFuncs.size(), static_cast<std::size_t>(kInits));
  for (int i : {0, 1, kInits / 2, kInits - 1}) {
    const CKivoInitFunc& initFunc = *func.initFuncs[static_cast<std::size_t>(i)];
    EXPECT_EQ(initFunc.params.at(0)->description, std::to_string(i) + "\n") << i;
    EXPECT_EQ(initFunc.notes, "") << i;
  }
}

INSTANTIATE_TEST_SUITE_P(Source, ManyInitialisationFunctions,
                         ::testing::Values(CManyInitsRow{"OneCommentEach", false},
                                           CManyInitsRow{"AndOneNamingAll", true}),
                         [](const ::testing::TestParamInfo<CManyInitsRow>& row) { return row.param.name; });

}  // namespace
