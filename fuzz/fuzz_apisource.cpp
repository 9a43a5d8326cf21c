// Fuzz target of the API-source reader: parameter descriptions and notes, for the functions a header declares.
#include <string>

#include "fuzz/fuzzkbenv.h"
#include "fuzz/fuzzsupport.h"
#include "knowledge/fsetlib.h"

namespace {

// Without a header of its own an input is read against the fixture's PWM
// header, whose initialisation functions the source comments describe.
const std::string& FixtureHeader() {
  static const std::string text = [] {
    std::string bytes;
    ReadWholeFile(FixtureFolder("fsets/api/kivo_pwm.h"), bytes);
    return bytes;
  }();
  return text;
}

}  // namespace

// The input is the source, or a source and a header separated by a NUL byte.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  auto [source, header] = SplitAtNul(InputText(data, size));
  const std::string headerText = header.empty() ? FixtureHeader() : std::string(header);
  COptionTables optionTables;
  CKivoLoadEnv env = FuzzLoadEnv(optionTables);
  CKivoFSetLib lib;
  CKivoFSet set(&lib);
  CKivoFunc func(&set);
  func.name = DeclaredFunctionName(headerText);
  func.apiHeaderPath = env.folder + "/api/kivo_" + func.name + ".h";
  set.slots.push_back(&func);
  func.ParseApiHeader(headerText, env);
  func.ParseApiSource(std::string(source));
  return 0;
}
