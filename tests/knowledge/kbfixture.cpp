// The crafted knowledge base of the tests, loaded once per test with its messages and progress recorded.
#include "kbfixture.h"

#include "knowledge/kbtext.h"

void CKbFixture::SetUp() {
  ASSERT_TRUE(kb.cfgDesc.Load(FixturePath("kb/conf/kivocfg.ini").string()));
  kb.functionSetFolder = FixturePath("kb/fsets").string();
  kb.fsetLib.LoadAll(kb.functionSetFolder, &kb.cfgDesc);
  kb.fappLib.Scan(kb.functionSetFolder, &kb.cfgDesc);
}

const CKivoFSet& CKbFixture::Set(const std::string& relativePath) const {
  for (const auto& set : kb.fsetLib.Sets())
    if (set->relativePath == relativePath)
      return *set;
  ADD_FAILURE() << "no set " << relativePath;
  throw std::runtime_error("missing set");
}

const CKivoFunc& CKbFixture::Func(const std::string& entry) const {
  for (const auto& func : kb.fsetLib.Functions())
    if (func->entry == entry)
      return *func;
  ADD_FAILURE() << "no function " << entry;
  throw std::runtime_error("missing function");
}

const CKivoInitFunc& CKbFixture::Init(const std::string& entry, const std::string& initName) const {
  const CKivoInitFunc* initFunc = Func(entry).FindInitFunc(initName);
  if (!initFunc) {
    ADD_FAILURE() << "no init function " << initName;
    throw std::runtime_error("missing init function");
  }
  return *initFunc;
}

const CKivoParam& CKbFixture::Param(const std::string& entry, const std::string& initName,
                                    const std::string& name) const {
  const CKivoParam* param = Init(entry, initName).FindParam(name);
  if (!param) {
    ADD_FAILURE() << "no parameter " << name;
    throw std::runtime_error("missing parameter");
  }
  return *param;
}

const CKivoFapp& CKbFixture::App(const std::string& relativePath) const {
  for (const auto& app : kb.fappLib.Apps())
    if (RelativeToFolder(app->path, kb.functionSetFolder) == relativePath)
      return *app;
  ADD_FAILURE() << "no application " << relativePath;
  throw std::runtime_error("missing application");
}

std::vector<std::string> CKbFixture::Texts(int id) const {
  std::vector<std::string> texts;
  for (const CMessage& message : ports.messages.Messages())
    if (message.id == id)
      texts.push_back(message.text);
  return texts;
}

std::string CKbFixture::Fsets(const std::string& relative) const {
  return kb.functionSetFolder + "/" + relative;
}
