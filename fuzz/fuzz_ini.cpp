// Fuzz target of INI reading: the plain file with a write-and-read-back check, the description and the processor database.
#include <sstream>
#include <string>

#include "fuzz/fuzzsupport.h"
#include "knowledge/cfgdesc.h"
#include "knowledge/cpudb.h"
#include "support/inifile.h"

namespace {

std::string Written(CIniFile& ini) {
  std::ostringstream out;
  ini.Write(out);
  return out.str();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(InputText(data, size));
  {
    // What the tool writes it must read back as the same sections and keys.
    CIniFile first;
    std::istringstream in(text);
    first.Read(in, "fuzz.ini");
    std::string once = Written(first);
    CIniFile second;
    std::istringstream again(once);
    second.Read(again, "fuzz.ini");
    if (Written(second) != once)
      __builtin_trap();
  }
  {
    CKivoCfgDesc desc;
    std::istringstream in(text);
    desc.Read(in, "kivocfg.ini");
    for (const auto& def : desc.Definitions())
      (void)desc.FindDefByParameter(def->parameter);
  }
  {
    CKivoCpuDb db;
    std::istringstream in(text);
    db.Read(in, "kivocpu.ini");
    CKivoCpu cpu;
    cpu.ResetToGeneric(db);
    for (const auto& section : db.Sections())
      cpu.LoadFromSection(db, section.get());
  }
  return 0;
}
