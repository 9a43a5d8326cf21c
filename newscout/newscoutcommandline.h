// CNewscoutCommandLine: the version checker's flags and its profile argument.
#pragma once

#include <functional>
#include <string>
#include <vector>

struct CNewscoutCommandLine {
  bool gui = false;
  bool force = false;
  bool noUpdateMessage = false;
  bool console = false;
  bool help = false;     // -h, --help, /?: the usage, nothing else
  bool version = false;  // --version
  std::string profilePath;  // the first argument that is no flag, unchanged

  // `args` without the program name. A flag begins with "-" or "/"; since a
  // path on this system also begins with "/", an argument that holds a second
  // slash or names an existing file is a path, not a flag.
  static CNewscoutCommandLine Parse(const std::vector<std::string>& args);
};

// Whether a window can be shown: the platform that Qt would pick must have its
// display. Without one, creating the application would abort the program.
// `environment` reads a variable, empty when it is not set.
bool HasDisplay(const std::function<std::string(const char*)>& environment);
