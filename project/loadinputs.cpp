// The Load command of the channels page and the inputs its dialog asks for.
#include "project/loadinputs.h"

#include <algorithm>
#include <filesystem>

#include "base/ports.h"
#include "knowledge/kbtext.h"
#include "knowledge/apimeta.h"
#include "knowledge/fsetlib.h"
#include "project/loadcontext.h"
#include "support/expreval.h"

namespace {

constexpr int kMsgNoLoadExpression = 4048;
constexpr int kMsgNoLoadForBlock = 4049;
constexpr int kMsgNoLoadInputs = 4050;
constexpr int kMsgInputNotKept = 4053;

using CFuncInfo_Api = CProjDoc::CFuncInfo_Api;

const CKivoLoadExpr* LoadExpressionOf(const CFuncInfo_Api& func) {
  if (!func.initFunc || !func.function)
    return nullptr;
  const std::string* name = func.initFunc->LoadRefOf(func.assign);
  return name ? func.function->FindLoadExpr(*name) : nullptr;
}

// A sub-expression may declare inputs too; the one the function names wins.
const CKivoLoadVar* FindDeclaration(const CFuncInfo_Api& func, const CKivoLoadExpr& expr, const std::string& name) {
  if (const CKivoLoadVar* var = expr.FindVar(name))
    return var;
  for (const auto& [exprName, other] : func.function->loadExprs)
    if (const CKivoLoadVar* var = other->FindVar(name))
      return var;
  return nullptr;
}

// The parameter whose value names the external variable.
const CKivoParam* ParamNaming(const CFuncInfo_Api& func, const std::string& external) {
  for (const auto& [param, info] : func.params)
    if (param && info && info->value.valueName == external)
      return param;
  return nullptr;
}

CLoadInput DeclaredInput(const CKivoLoadVar& var) {
  CLoadInput input;
  input.name = var.name;
  input.unit = var.unit;
  input.declared = &var;
  var.NamedValues(input.choices);
  return input;
}

// A copy of the function is evaluated, so that finding out what the
// expression reads leaves the project's loads as they are.
std::unique_ptr<CFuncInfo_Api> CopyOf(const CFuncInfo_Api& func) {
  std::unique_ptr<CProjDoc::CFuncInfo> copy = func.Clone();
  return std::unique_ptr<CFuncInfo_Api>(static_cast<CFuncInfo_Api*>(copy.release()));
}

bool Evaluates(const std::string& text, double& value) {
  if (text.empty())
    return false;
  CExprEval eval;
  return eval.Evaluate(text, value) == kExprOk;
}

// The inputs are written as "name=value;" lines inside a C comment.
bool Storable(const std::string& text) {
  return text.find_first_of(";=\r\n") == std::string::npos && text.find("*/") == std::string::npos &&
         text.find("/*") == std::string::npos;
}

std::string FileNameOf(const std::string& path) { return std::filesystem::path(path).filename().string(); }

}  // namespace

std::vector<CLoadInput> LoadInputsOf(const CFuncInfo_Api& func) {
  const CKivoLoadExpr* expr = LoadExpressionOf(func);
  if (!expr)
    return {};
  std::unique_ptr<CFuncInfo_Api> copy = CopyOf(func);
  CLoadEvalContext q(CLoadEvalContext::kCollect, &copy->loadInputs.values);
  copy->ComputeLoad(false, &q);

  std::vector<CLoadInput> inputs;
  auto listed = [&inputs](const std::string& name) {
    return std::any_of(inputs.begin(), inputs.end(), [&name](const CLoadInput& in) { return in.name == name; });
  };
  for (const std::string& name : q.declaredMet)
    if (const CKivoLoadVar* var = FindDeclaration(func, *expr, name); var && !listed(name))
      inputs.push_back(DeclaredInput(*var));
  // A parameter whose text is no number and names nothing is needed too, but
  // no input can stand in for it: only external variables get a row.
  for (const std::string& name : q.needed) {
    auto external = q.externals.find(name);
    if (external == q.externals.end() || listed(name))
      continue;
    CLoadInput input;
    input.name = name;
    input.description = external->second;
    if (const CKivoParam* param = ParamNaming(func, name))
      input.unit = param->type;
    inputs.push_back(std::move(input));
  }
  return inputs;
}

bool PrepareLoadCommand(const CFuncInfo_Api& func, std::vector<CLoadInput>& outInputs) {
  outInputs.clear();
  const CKivoLoadExpr* expr = LoadExpressionOf(func);
  if (!expr) {
    bool none = !func.initFunc || func.initFunc->chanLoads.empty();
    std::string file = func.function ? FileNameOf(func.function->apiHeaderPath) : std::string();
    ShowMessage(none ? kMsgNoLoadExpression : kMsgNoLoadForBlock, EMessageKind::Warning, {file});
    return false;
  }
  outInputs = LoadInputsOf(func);
  if (!outInputs.empty())
    return true;
  CopyOf(func)->ComputeLoad(true);
  ShowMessage(kMsgNoLoadInputs, EMessageKind::Information);
  return false;
}

int FirstRefusedLoadInput(const std::vector<CLoadInput>& inputs, const std::vector<std::string>& values,
                          bool report) {
  for (std::size_t i = 0; i < inputs.size() && i < values.size(); ++i) {
    std::string text = Trim(values[i]);
    if (!Storable(text)) {
      if (report)
        ShowMessage(kMsgInputNotKept, EMessageKind::Error, {inputs[i].name, text});
      return static_cast<int>(i);
    }
    double value = 0;
    if (!inputs[i].declared || !Evaluates(text, value))
      continue;
    if (!inputs[i].declared->CheckValue(value, report))
      return static_cast<int>(i);
  }
  return -1;
}

CProjDoc::CLoadVarVals LoadInputsWith(const CProjDoc::CLoadVarVals& base, const std::vector<CLoadInput>& inputs,
                                      const std::vector<std::string>& values) {
  CProjDoc::CLoadVarVals result = base;
  for (std::size_t i = 0; i < inputs.size(); ++i) {
    std::string value = i < values.size() ? Trim(values[i]) : std::string();
    if (value.empty())
      result.values.erase(inputs[i].name);
    else
      result.values[inputs[i].name] = value;
  }
  return result;
}
