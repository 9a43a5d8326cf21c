// Fuzz target of the API-header reader: prototypes, parameters and their option scan, channel blocks, load expressions.
#include <string>
#include <vector>

#include "fuzz/fuzzkbenv.h"
#include "knowledge/fsetlib.h"

namespace {

void Inspect(const CKivoFunc& func) {
  for (const auto& initFunc : func.initFuncs) {
    for (const auto& param : initFunc->params) {
      (void)param->IsChannel();
      (void)param->ChannelStem();
      std::vector<const CKivoFunc*> linked;
      param->LinkedFunctions(linked);
    }
    for (const auto& block : initFunc->chanAssigns)
      (void)initFunc->LoadRefOf(block.get());
  }
  for (const auto& [name, expr] : func.loadExprs) {
    for (const auto& [varName, var] : expr->vars) {
      std::vector<std::string> named;
      var->NamedValues(named);
      for (const std::string& valueName : named) {
        double value = 0;
        if (var->ValueOf(valueName, value))
          var->CheckValue(value, true);
      }
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(InputText(data, size));
  COptionTables optionTables;
  CKivoLoadEnv env = FuzzLoadEnv(optionTables);
  CKivoFSetLib lib;
  CKivoFSet set(&lib);
  CKivoFunc func(&set);
  func.name = DeclaredFunctionName(text);
  func.entry = func.name;
  // A header's own path counts as read, so an include of itself ends there.
  func.apiHeaderPath = env.folder + "/api/kivo_" + func.name + ".h";
  set.slots.push_back(&func);
  func.ParseApiHeader(text, env);
  Inspect(func);
  return 0;
}
