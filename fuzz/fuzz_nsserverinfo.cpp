// Fuzz target of the server information reader: a server answer must never set a link that is no web address.
#include <string>

#include "fuzz/fuzzsupport.h"
#include "newscout/serverinforeader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  CServerAnswer answer;
  std::string link;
  CServerInfoReader reader(answer, link);
  reader.ReadText(InputText(data, size));
  if (!link.empty() && !IsWebLink(link))
    __builtin_trap();
  // The date is shown and stored as text, and checked as a calendar day.
  (void)answer.date.ToText();
  (void)answer.date.Normalised();
  return 0;
}
