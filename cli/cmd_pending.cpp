// Commands whose parts of the core have not been built yet.
#include <iostream>

#include "cli/cli.h"

namespace {

int NotAvailable(const char* command) {
  std::cerr << "kivovam-cli: the command '" << command << "' is not available in this version\n";
  return kExitUsage;
}

}  // namespace

int RunShow(CCliContext&) { return NotAvailable("show"); }
int RunGenerate(CCliContext&) { return NotAvailable("generate"); }
int RunNew(CCliContext&) { return NotAvailable("new"); }
int RunNotes(CCliContext&) { return NotAvailable("notes"); }
