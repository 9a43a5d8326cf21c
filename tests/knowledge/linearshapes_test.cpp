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

}  // namespace
