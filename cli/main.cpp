// kivovam-cli: global options, command dispatch, messages and the JSON report.
#include <cmath>
#include <cstdio>
#include <iostream>
#include <map>

#include "base/messagecatalog.h"
#include "base/texthelpers.h"
#include "cli/cli.h"

namespace {

using CCommand = int (*)(CCliContext&);

const std::map<std::string, CCommand>& Commands() {
  static const std::map<std::string, CCommand> commands = {
      {"eval", RunEval}, {"kb", RunKb},   {"show", RunShow},
      {"generate", RunGenerate}, {"new", RunNew}, {"notes", RunNotes},
      {"check", RunCheck}, {"map", RunMap},
  };
  return commands;
}

const char* kUsage =
    "usage: kivovam-cli [--conf DIR] [--fsets DIR] [-CPU=NAME] [-SYSCLK=F] [-PTBCLK=F]\n"
    "                   [--answer yes|no] [--json] [--quiet] COMMAND [ARGS]\n"
    "commands: eval, kb, show, generate, new, notes, check, map; kivovam-cli --help explains them\n";

// A usage error with --json is a JSON document too, so a script reading stdout
// never has to parse the usage text.
bool g_jsonUsage = false;

// With --json and --quiet the text stays in the JSON alone.
bool g_quietUsage = false;

// A global option, seen before any of them is checked.
bool GlobalOptionGiven(int argc, char** argv, const std::string& option) {
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == option)
      return true;
    if (arg == "--conf" || arg == "--fsets" || arg == "--answer")
      ++i;
    else if (arg.empty() || arg[0] != '-' || arg == "-")
      break;
  }
  return false;
}

// The clocks are checked here because the project would take a value that does
// not read as 0, and a wrapped one as some other clock, without a word.
std::string CheckClockOptions(const CCommandLineOptions& options) {
  for (const char* name : {"SYSCLK", "PTBCLK"}) {
    std::string value;
    uint32_t hz = 0;
    if (!LookupOption(options, name, value))
      continue;
    if (!ParseFrequencyStrict(value, &hz, 'M'))
      return std::string("-") + name + "=" + value +
             ": not a clock (a number from 0 to 4294967295 Hz with an optional unit Hz, kHz or MHz; "
             "no unit means MHz; or OFF)";
    if (hz == 0 && std::string(name) == "SYSCLK")
      return "-SYSCLK=" + value + ": " + std::string(CatalogText(4084));
  }
  return {};
}

// "COMMAND --help" anywhere among the command's arguments, up to eval's "--".
bool AsksForHelp(const std::vector<std::string>& args) {
  for (const std::string& arg : args) {
    if (arg == "--")
      return false;
    if (arg == "--help" || arg == "-h")
      return true;
  }
  return false;
}

// A desktop-style option: "-NAME=value" or "/NAME=value".
bool IsDesktopOption(const std::string& arg) {
  return arg.size() > 2 && (arg[0] == '-' || arg[0] == '/') && arg[1] != '-' &&
         arg.find('=') != std::string::npos;
}

nlohmann::json MessagesJson(const CRecordingMessagePort& port) {
  nlohmann::json list = nlohmann::json::array();
  for (const CMessage& m : port.Messages())
    list.push_back({{"id", m.id}, {"kind", MessageKindName(m.kind)}, {"text", m.text}});
  return list;
}

}  // namespace

int UsageError(const std::string& text) {
  if (g_jsonUsage) {
    nlohmann::json report = {{"error", text}, {"messages", nlohmann::json::array()}};
    std::cout << report.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) << '\n';
  }
  if (!g_quietUsage)
    std::cerr << "kivovam-cli: " << text << '\n' << kUsage;
  return kExitUsage;
}

int DriverError(const std::string& text) {
  ShowText(0, EMessageKind::Error, text);
  return kExitFailed;
}

nlohmann::json JsonReal(double value) {
  if (std::isnan(value))
    return "nan";
  if (std::isinf(value))
    return value > 0 ? "inf" : "-inf";
  return value;
}

std::string TextReal(double value) {
  if (std::isnan(value))
    return "nan";
  if (std::isinf(value))
    return value > 0 ? "inf" : "-inf";
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.17g", value);
  return buffer;
}

int main(int argc, char** argv) {
  g_jsonUsage = GlobalOptionGiven(argc, argv, "--json");
  g_quietUsage = g_jsonUsage && GlobalOptionGiven(argc, argv, "--quiet");
  CCliContext context;
  std::vector<std::string> desktopOptions;
  int i = 1;
  for (; i < argc; ++i) {
    std::string arg = argv[i];
    auto needValue = [&](const char* option) -> const char* {
      if (i + 1 >= argc)
        return nullptr;
      (void)option;
      return argv[++i];
    };
    if (arg == "--conf" || arg == "--fsets" || arg == "--answer") {
      const char* value = needValue(arg.c_str());
      if (!value)
        return UsageError(arg + " needs a value");
      if (arg == "--conf")
        context.confDir = value;
      else if (arg == "--fsets")
        context.fsetsDir = value;
      else if (std::string(value) == "yes")
        context.answer = EAnswer::Yes;
      else if (std::string(value) == "no")
        context.answer = EAnswer::No;
      else
        return UsageError("--answer takes yes or no");
    } else if (arg == "--json") {
      context.json = true;
    } else if (arg == "--quiet") {
      context.quiet = true;
    } else if (arg == "--help" || arg == "-h") {
      std::cout << ProgramHelp();
      return kExitOk;
    } else if (arg == "--version") {
      std::cout << "kivovam-cli " << KV_PROJECT_VERSION << '\n';
      return kExitOk;
    } else if (IsDesktopOption(arg)) {
      desktopOptions.push_back(arg);
    } else if (!arg.empty() && arg[0] == '-' && arg != "-") {
      return UsageError("unknown option " + arg);
    } else {
      break;
    }
  }
  if (i >= argc)
    return UsageError("no command given");
  std::string command = argv[i++];
  auto found = Commands().find(command);
  if (found == Commands().end())
    return UsageError("unknown command " + command);
  for (; i < argc; ++i)
    context.args.emplace_back(argv[i]);
  if (AsksForHelp(context.args)) {
    std::cout << CommandHelp(command);
    return kExitOk;
  }

  context.options = ParseCommandLineOptions(JoinCommandLine(desktopOptions));
  if (std::string problem = CheckClockOptions(context.options); !problem.empty())
    return UsageError(problem);
  std::string fsetPath;
  if (LookupOption(context.options, "FSETPATH", fsetPath) && context.fsetsDir.empty())
    context.fsetsDir = fsetPath;

  CConsoleMessagePort messages("kivovam-cli", std::cerr);
  messages.quiet = context.quiet;
  messages.defaultAnswer = context.answer;
  context.messages = &messages;
  CScopedPorts ports(CPorts{&messages, nullptr, nullptr});

  int status = found->second(context);
  if (context.json && status != kExitUsage) {
    context.result["messages"] = MessagesJson(messages);
    std::cout << context.result.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) << '\n';
  }
  return status;
}
