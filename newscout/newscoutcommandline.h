// CNewscoutCommandLine: the version checker's flags and its profile argument.
#pragma once

#include <string>
#include <vector>

struct CNewscoutCommandLine {
  bool gui = false;
  bool force = false;
  bool noUpdateMessage = false;
  bool console = false;
  std::string profilePath;  // the first argument that is no flag, unchanged

  // `args` without the program name. A flag begins with "-" or "/"; since a
  // path on this system also begins with "/", an argument that holds a second
  // slash or names an existing file is a path, not a flag.
  static CNewscoutCommandLine Parse(const std::vector<std::string>& args);
};
