// The bundled knowledge base plus the odd-corners function, with a document and hand-built configured functions.
#include "evalfixture.h"

#include "bundledkb.h"

#include "knowledge/apimeta.h"

CKnowledgeBase* CEvalFixture::kb = nullptr;
std::unique_ptr<CKivoFunc> CEvalFixture::odd;

void CEvalFixture::SetUpTestSuite() {
  CRecordedPorts quiet;
  kb = new CKnowledgeBase;
  LoadBundledKnowledge(*kb);
  CKivoLoadEnv env;
  env.folder = FixturePath("project/eval").string();
  env.desc = &kb->cfgDesc;
  odd = std::make_unique<CKivoFunc>(nullptr);
  odd->Init("ODD - Odd Corners", FixturePath("project/eval/kivo_odd.h").string(), env);
}

void CEvalFixture::TearDownTestSuite() {
  odd.reset();
  delete kb;
  kb = nullptr;
}

void CEvalFixture::SetUp() {
  ASSERT_TRUE(odd && odd->hasApi);
  doc = std::make_unique<CProjDoc>(*kb, nullptr, &notes);
  doc->m_nSysClk = 100000000;
  doc->m_cpu.kivoClkPrescaler = 2;
  doc->m_engine[0].tcr1Freq = 25000000;
  doc->m_engine[0].tcr2Freq = 1000000;
  doc->m_engine[1].tcr1Freq = 12500000;
  doc->m_engine[1].tcr2Freq = 500000;
}

const CKivoFunc& CEvalFixture::Func(const std::string& name) {
  if (name == "ODD")
    return *odd;
  for (const auto& func : kb->fsetLib.Functions())
    if (func->name == name && func->hasApi)
      return *func;
  ADD_FAILURE() << "no function " << name;
  throw std::runtime_error("missing function");
}

std::unique_ptr<CProjDoc::CFuncInfo_Api> CEvalFixture::Make(const std::string& funcName,
                                                            const std::string& initName,
                                                            int engine, int startChannel) {
  auto func = std::make_unique<CProjDoc::CFuncInfo_Api>();
  func->doc = doc.get();
  func->function = &Func(funcName);
  func->initFunc = func->function->FindInitFunc(initName);
  EXPECT_NE(func->initFunc, nullptr) << initName;
  func->engine = engine;
  func->InitDefaults(startChannel);
  return func;
}

void CEvalFixture::SetValue(CProjDoc::CFuncInfo_Api& func, const std::string& name,
                            const std::string& valueName, const std::string& argument) {
  const CKivoParam* param = func.initFunc->FindParam(name);
  ASSERT_NE(param, nullptr) << name;
  CProjDoc::CParamInfo* info = func.ParamOf(param);
  ASSERT_NE(info, nullptr) << name;
  info->value.Set(valueName, argument);
}

std::string CEvalFixture::ParamText(const CProjDoc::CFuncInfo_Api& func, const std::string& name) {
  const CProjDoc::CParamInfo* info = func.ParamOf(func.initFunc->FindParam(name));
  return info ? info->value.valueName : "<none>";
}

const CProjDoc::CChannInfo* CEvalFixture::Channel(const CProjDoc::CFuncInfo& func,
                                                  const std::string& name) {
  for (const auto& channel : func.channels)
    if (channel->name == name)
      return channel.get();
  return nullptr;
}
