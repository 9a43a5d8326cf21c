// What every command of the headless driver gets: the global options, its arguments and the output.
#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "base/commandline.h"
#include "base/consoleports.h"

enum ECliExit { kExitOk = 0, kExitFailed = 1, kExitUsage = 2, kExitKnowledge = 3 };

struct CCliContext {
  std::string confDir;   // empty: "conf" beside the program
  std::string fsetsDir;  // empty: "fsets" beside the program
  bool json = false;
  bool quiet = false;
  EAnswer answer = EAnswer::No;
  CCommandLineOptions options;     // -NAME=value options (CPU, SYSCLK, PTBCLK, FSETPATH)
  std::vector<std::string> args;   // the command's own arguments
  CConsoleMessagePort* messages = nullptr;
  nlohmann::json result = nlohmann::json::object();  // printed with --json, "messages" added
};

struct CLoadOptions;

// The knowledge-base folders of the driver's options: given ones relative to
// the current folder, defaults beside the program.
CLoadOptions LoadOptionsOf(const CCliContext& context);

// Reports a usage error on stderr (with --json also as {"error", "messages"} on
// stdout); returns kExitUsage.
int UsageError(const std::string& text);
// The driver's own failure, as a message of id 0 and kind error; returns kExitFailed.
int DriverError(const std::string& text);

const char* ProgramHelp();
// Null for an unknown command.
const char* CommandHelp(const std::string& command);

// A real number as JSON: non-finite values become "nan", "inf" or "-inf".
nlohmann::json JsonReal(double value);
// The same as text, for output without --json: "%.17g", or nan, inf, -inf.
std::string TextReal(double value);

int RunEval(CCliContext& context);
int RunKb(CCliContext& context);
int RunShow(CCliContext& context);
int RunGenerate(CCliContext& context);
int RunNew(CCliContext& context);
int RunNotes(CCliContext& context);
int RunCheck(CCliContext& context);
int RunMap(CCliContext& context);
