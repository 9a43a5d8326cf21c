// The eval command: runs a text through the expression evaluator, with variables set first.
#include <cstdlib>
#include <iostream>
#include <locale.h>

#include "cli/cli.h"
#include "support/expreval.h"

namespace {

struct CEvalRequest {
  bool validate = false;
  int options = 0;
  std::vector<std::pair<std::string, double>> vars;
  std::string text;
};

// Numbers on the command line are read the same way in every locale.
bool ParseNumber(const std::string& text, double& value) {
  static locale_t cLocale = newlocale(LC_NUMERIC_MASK, "C", static_cast<locale_t>(nullptr));
  if (text.empty())
    return false;
  char* end = nullptr;
  value = strtod_l(text.c_str(), &end, cLocale);
  return end == text.c_str() + text.size();
}

bool ParseBits(const std::string& text, int& bits) {
  if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos)
    return false;
  bits = std::stoi(text);
  return true;
}

// Returns an empty text on success, else what is wrong with the arguments.
std::string ParseRequest(const std::vector<std::string>& args, CEvalRequest& request) {
  bool haveText = false;
  bool optionsEnded = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (!optionsEnded && arg == "--") {
      optionsEnded = true;
    } else if (!optionsEnded && (arg == "--validate" || arg == "--var")) {
      if (i + 1 >= args.size())
        return arg + " needs a value";
      const std::string& value = args[++i];
      if (arg == "--validate") {
        if (!ParseBits(value, request.options))
          return "--validate takes option bits as a decimal number, not '" + value + "'";
        request.validate = true;
        continue;
      }
      std::size_t equals = value.find('=');
      double number = 0.0;
      if (equals == 0 || equals == std::string::npos || !ParseNumber(value.substr(equals + 1), number))
        return "--var takes NAME=VALUE with a number as VALUE, not '" + value + "'";
      request.vars.emplace_back(value.substr(0, equals), number);
    } else if (!optionsEnded && arg.size() > 1 && arg[0] == '-' && arg[1] == '-') {
      return "unknown eval option " + arg;
    } else if (haveText) {
      return "eval takes one TEXT (quote it), found also '" + arg + "'";
    } else {
      request.text = arg;
      haveText = true;
    }
  }
  if (!haveText)
    return "eval needs a TEXT";
  return {};
}

}  // namespace

int RunEval(CCliContext& context) {
  CEvalRequest request;
  std::string problem = ParseRequest(context.args, request);
  if (!problem.empty())
    return UsageError(problem);

  CExprEval eval;
  for (const auto& [name, value] : request.vars)
    eval.SetVariable(name, value);
  double value = 0.0;
  int assigned = 0;
  int code = request.validate ? eval.Validate(request.text, request.options, &assigned)
                              : eval.Evaluate(request.text, value, &assigned);
  std::string message = eval.FormatError(5101);

  if (context.json) {
    context.result["value"] = request.validate ? nlohmann::json(nullptr) : JsonReal(value);
    context.result["assigned"] = assigned != 0;
    context.result["error"] = code;
    context.result["position"] = eval.ErrorPosition();
    context.result["token"] = eval.ErrorToken();
    context.result["message"] = message;
  } else if (code != 0) {
    std::cerr << message << '\n';
  } else if (!request.validate) {
    std::cout << TextReal(value) << '\n';
  }
  return code == 0 ? kExitOk : kExitFailed;
}
