// Fuzz target of the version checker's profile reader: the archive layout and the decryption of its texts.
#include "fuzz/fuzzsupport.h"
#include "newscout/newscoutprofile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  CNewscoutProfile profile;
  const std::string before = profile.serverHost;
  // A rejected profile must stay as it was.
  if (!profile.ReadProfileBytes(InputText(data, size)) && profile.serverHost != before)
    __builtin_trap();
  return 0;
}
