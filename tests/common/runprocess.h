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

// A program running beside the test, stdin from /dev/null and both output
// streams appended to `logPath` (thrown away when it is empty). `environment`
// holds NAME=value entries added to the test's own environment, replacing
// those of the same name. The program is killed (SIGKILL) with the object
// unless it has ended.
class CBackgroundProcess {
 public:
  CBackgroundProcess(const std::string& program, const std::vector<std::string>& args,
                     const std::vector<std::string>& environment, const std::string& logPath = {});
  ~CBackgroundProcess();
  CBackgroundProcess(const CBackgroundProcess&) = delete;
  CBackgroundProcess& operator=(const CBackgroundProcess&) = delete;

  long Pid() const { return m_pid; }
  bool Running();
  // Sends `signal` and waits for the end: the exit status as RunProcess gives it.
  int Kill(int signal);

 private:
  long m_pid = -1;
  int m_status = -1;
};
