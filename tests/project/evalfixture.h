// The bundled knowledge base plus the odd-corners function, with a document and hand-built configured functions.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "common/testsupport.h"
#include "project/notesmodel.h"
#include "project/projdoc.h"

class CEvalFixture : public ::testing::Test {
 protected:
  static void SetUpTestSuite();
  static void TearDownTestSuite();
  void SetUp() override;

  // A bundled function by name ("PWM") or the fixture's "ODD".
  static const CKivoFunc& Func(const std::string& name);
  // A function configured with its defaults from `startChannel`, not in the document's list.
  std::unique_ptr<CProjDoc::CFuncInfo_Api> Make(const std::string& funcName,
                                                const std::string& initName, int engine = 0,
                                                int startChannel = 0);
  static void SetValue(CProjDoc::CFuncInfo_Api& func, const std::string& name,
                       const std::string& valueName, const std::string& argument = "");
  static std::string ParamText(const CProjDoc::CFuncInfo_Api& func, const std::string& name);
  static const CProjDoc::CChannInfo* Channel(const CProjDoc::CFuncInfo& func,
                                             const std::string& name);

  static CKnowledgeBase* kb;
  static std::unique_ptr<CKivoFunc> odd;
  CRecordedPorts ports;
  CNotesModel notes;
  std::unique_ptr<CProjDoc> doc;
};
