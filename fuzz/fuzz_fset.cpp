// Fuzz target of the set-header reader, with the listed functions' API headers found in the fixture tree.
#include <string>

#include "fuzz/fuzzkbenv.h"
#include "knowledge/fsetlib.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  COptionTables optionTables;
  CKivoLoadEnv env = FuzzLoadEnv(optionTables);
  CKivoFSetLib lib;
  CKivoFSet set(&lib);
  set.fileName = "kivo_set_fuzz.h";
  set.path = env.folder + "/" + set.fileName;
  set.relativePath = set.fileName;
  set.Parse(std::string(InputText(data, size)), env);
  int position = set.FirstSlot();
  while (const CKivoFunc* func = set.NextFunc(position)) {
    if (set.FindFunc(func->name) == nullptr)
      __builtin_trap();
    for (const auto& initFunc : func->initFuncs)
      (void)set.FindByInitName(initFunc->name);
  }
  return 0;
}
