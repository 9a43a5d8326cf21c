// The maker's side of the version checker: writes a profile from its fields and prints one back.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

// `args` without the program name:
//   write FILE --product NAME --key-path PATH --server HOST --object PATH
//              [--link URL] [--manual-only] [--format 1|2]
//   show FILE
// Returns 0 when done, 1 when the file could not be written or read, 2 for a
// command line it does not understand.
int RunProfileTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
