// Runs a program with arguments and collects its output and exit status, for tests of the command-line tools.
#pragma once

#include <string>
#include <vector>

struct CProcessResult {
  int exitCode = -1;  // 128 + signal number when the program was killed
  std::string out;
  std::string err;
};

// Runs program (a path) with args, stdin from /dev/null; waits for it to end.
CProcessResult RunProcess(const std::string& program, const std::vector<std::string>& args);
