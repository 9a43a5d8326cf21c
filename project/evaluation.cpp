// Parameter values, channel assignment, loads and channel links of a project.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "base/cinteger.h"
#include "base/messagecatalog.h"
#include "base/ports.h"
#include "knowledge/apimeta.h"
#include "project/loadcontext.h"
#include "project/projdoc.h"

namespace {

constexpr const char* kInvalidChannel = "_INVALID_CHANNEL";

// Answers a channel parameter's name with its channel number.
class CChannelMapResolver : public CExprResolver {
 public:
  explicit CChannelMapResolver(const CProjDoc::CFuncInfo_Api::CChannelMap& map) : m_map(map) {}
  bool ResolveVariable(CExprEval&, const std::string& name, double& value) override {
    for (const auto& [param, number] : m_map)
      if (param->name == name) {
        value = number;
        return true;
      }
    return false;
  }

 private:
  const CProjDoc::CFuncInfo_Api::CChannelMap& m_map;
};

std::string Catalog(int id, const std::vector<std::string>& args = {}) {
  return FormatMessageText(CatalogText(id), args);
}

CLoadEvalContext* ContextOf(const CExprEval& eval) {
  return static_cast<CLoadEvalContext*>(eval.Context());
}

// A name keeps its token for the whole run, so two parameters holding the same
// defined value compare equal whichever evaluator read them first.
double EnumToken(const std::string& name) {
  static double counter = 0.0;
  static std::map<std::string, double> tokens;
  auto [it, added] = tokens.try_emplace(name, 0.0);
  if (added) {
    counter += 1e-200;
    it->second = counter;
  }
  return it->second;
}

// A whole-text integer constant as the compiler reads it, else a whole-text
// real. Only a text with a point or an exponent (or an integer too large for
// 64 bits) is tried as a real: "08" is no number, as the compiler refuses it,
// rather than the real 8.
bool ReadNumber(const std::string& text, double& value) {
  CIntegerRead integer = ReadCIntegerText(text);
  if (integer.status == ECInteger::kOk) {
    value = static_cast<double>(integer.value);
    return true;
  }
  if (integer.status != ECInteger::kTooLarge && text.find_first_of(".eEpP") == std::string::npos)
    return false;
  const char* begin = text.c_str();
  char* end = nullptr;
  double real = std::strtod(begin, &end);
  if (end != begin && *end == '\0') {
    value = real;
    return true;
  }
  return false;
}

bool LooksNumeric(const std::string& text) {
  std::size_t i = (text[0] == '-' || text[0] == '+') ? 1 : 0;
  return i < text.size() && (std::isdigit(static_cast<unsigned char>(text[i])) || text[i] == '.');
}

bool EvaluateInput(const std::string& text, double& value) {
  if (text.empty())
    return false;
  CExprEval fresh;
  return fresh.Evaluate(text, value) == kExprOk;
}

int RoundChannel(double value) {
  if (!std::isfinite(value))
    return 0;
  value = std::clamp(value, static_cast<double>(std::numeric_limits<int>::min()),
                     static_cast<double>(std::numeric_limits<int>::max()));
  return static_cast<int>(std::lround(value));
}

// A linked parameter takes a channel name: the defined value of that name, else
// the custom value with the name as argument, else the plain text.
void SetLinkedValue(CKivoVarValue& value, const std::string& channelName) {
  const CKivoValueDef* found = value.def ? value.def->FindValue(channelName, false) : nullptr;
  if (found && found->name != channelName && found->takesArg)
    value.Set(found->name, channelName);
  else
    value.Set(channelName, "");
}

}  // namespace

bool CProjDoc::ResolveVariable(CExprEval&, const std::string& name, double& value) {
  return ResolveDocVariable(-1, name, value);
}

bool CProjDoc::ResolveDocVariable(int engine, const std::string& name, double& value) const {
  if (name == "kivo_clock_freq") {
    int prescaler = m_cpu.kivoClkPrescaler;
    value = prescaler > 0 ? static_cast<double>(m_nSysClk / static_cast<uint32_t>(prescaler)) : 0.0;
    return true;
  }
  struct CFreqName {
    const char* name;
    int engine;  // -1: the engine asked for
    bool tcr2;
  };
  static const CFreqName kFreqs[] = {
      {"kivo_a_tcr1_freq", 0, false}, {"kivo_a_tcr2_freq", 0, true},
      {"kivo_b_tcr1_freq", 1, false}, {"kivo_b_tcr2_freq", 1, true},
      {"kivo_tcr1_freq", -1, false},  {"kivo_tcr2_freq", -1, true},
  };
  for (const CFreqName& freq : kFreqs) {
    if (name != freq.name)
      continue;
    int index = freq.engine >= 0 ? freq.engine : engine;
    if (index < 0 || index > 1)
      return false;
    value = freq.tcr2 ? m_engine[index].tcr2Freq : m_engine[index].tcr1Freq;
    return true;
  }
  return false;
}

// Calls `visit(func, param, info, linked)` for every parameter that holds a channel of one of
// the `linked` functions.
template <typename Visit>
static void ForEachLinkedParam(const std::vector<std::unique_ptr<CProjDoc::CFuncInfo>>& funcs,
                               Visit&& visit) {
  for (const auto& func : funcs) {
    if (!func->IsApi())
      continue;
    auto* api = static_cast<CProjDoc::CFuncInfo_Api*>(func.get());
    if (!api->initFunc)
      continue;
    for (const auto& param : api->initFunc->params) {
      std::vector<const CKivoFunc*> linked;
      CProjDoc::CParamInfo* info = api->ParamOf(param.get());
      if (info && param->LinkedFunctions(linked) > 0)
        visit(*api, *param, *info, linked);
    }
  }
}

void CProjDoc::CollectChannelLinks(CChannelLinks& outMap) const {
  ForEachLinkedParam(m_funcs, [&](CFuncInfo_Api&, const CKivoParam&, CParamInfo& info,
                                  const std::vector<const CKivoFunc*>& linked) {
    const std::string& text = info.value.valueName;
    if (outMap.count(text))
      return;
    for (const auto& func : m_funcs) {
      if (std::find(linked.begin(), linked.end(), func->function) == linked.end())
        continue;
      if (const CChannInfo* channel = func->FindChannelByName(text)) {
        outMap[text] = channel;
        return;
      }
    }
  });
}

void CProjDoc::UpdateChannelLinks(const CChannelLinks& links, bool show, const CFuncInfo* replaced,
                                  const CFuncInfo* replacement) {
  std::string lines;
  ForEachLinkedParam(m_funcs, [&](CFuncInfo_Api& func, const CKivoParam& param, CParamInfo& info,
                                  const std::vector<const CKivoFunc*>&) {
    const std::string oldText = info.value.valueName;
    auto it = links.find(oldText);
    if (it == links.end())
      return;
    const CChannInfo& channel = *it->second;
    if (replaced && replacement && channel.owner == replaced &&
        replacement->FindChannelByName(oldText))
      return;
    int count = 0;
    // A removed owner is out of the list and has no define name any more.
    std::string newText = GetInstanceIndex(channel.owner, count) >= 0
                              ? channel.owner->ChannelDefineName(channel)
                              : std::string(kInvalidChannel);
    if (newText == oldText)
      return;
    SetLinkedValue(info.value, newText);
    int index = GetInstanceIndex(&func, count);
    lines += FormatPrintfText(CatalogText(552), {PArg(func.function ? func.function->name : ""),
                                                 PArg(index), PArg(param.name), PArg(oldText),
                                                 PArg(newText)});
  });
  if (show && !lines.empty())
    ShowMessage(551, EMessageKind::Information, {lines});
}

CProjDoc::CParamInfo* CProjDoc::CFuncInfo_Api::ParamOf(const CKivoParam* param) const {
  auto it = params.find(param);
  return it == params.end() ? nullptr : it->second.get();
}

bool CProjDoc::CFuncInfo_Api::BlockApplies(const CKivoChanAssign& block) const {
  if (block.condVar.empty())
    return true;
  if (!initFunc)
    return false;
  for (const auto& param : initFunc->params) {
    if (param->name != block.condVar)
      continue;
    if (const CParamInfo* info = ParamOf(param.get()))
      return info->value.valueName == block.condValue;
  }
  return false;
}

void CProjDoc::CFuncInfo_Api::InitDefaults(int startChannel) {
  params.clear();
  channels.clear();
  assignLabel.clear();
  assign = nullptr;
  if (!initFunc && function && !function->initFuncs.empty())
    initFunc = function->initFuncs.front().get();
  CChannelMap channelMap;
  int next = std::max(startChannel, 0);
  if (initFunc) {
    for (const auto& param : initFunc->params) {
      if (param->IsChannel()) {
        channelMap[param.get()] = next++;
        continue;
      }
      auto info = std::make_unique<CParamInfo>(param->varDef);
      const CKivoVarDef* def = param->varDef;
      info->value.Set(def && !def->values.empty() ? def->values.front()->name : "0", "");
      params[param.get()] = std::move(info);
    }
  }
  BuildChannels(channelMap);
}

bool CProjDoc::CFuncInfo_Api::BuildChannels(const CChannelMap& channelMap) {
  channels.clear();
  assignLabel.clear();
  assign = nullptr;
  if (!initFunc)
    return true;
  for (const auto& block : initFunc->chanAssigns)
    if (BlockApplies(*block)) {
      assign = block.get();
      break;
    }
  bool ok = true;
  if (assign) {
    if (!assign->condVar.empty())
      assignLabel = "(" + assign->condVar + " = " + assign->condValue + ")";
    CChannelMapResolver resolver(channelMap);
    CExprEval eval(&resolver);
    double value = 0;
    if (!assign->assignText.empty() && eval.Evaluate(assign->assignText, value) != kExprOk) {
      ShowMessage(4028, EMessageKind::Warning,
                  {function ? function->apiHeaderPath : "", assign->assignText,
                   eval.FormatError(5101)});
      ok = false;
    }
    for (const std::string& name : assign->chanVars) {
      auto channel = std::make_unique<CChannInfo>();
      channel->owner = this;
      channel->name = name;
      auto param = assign->paramOfChan.find(name);
      channel->param = param == assign->paramOfChan.end() ? nullptr : param->second;
      double number = 0;
      channel->number = eval.GetVariable(name, number) ? RoundChannel(number) : 0;
      auto priority = assign->priorities.find(name);
      if (priority != assign->priorities.end())
        channel->priority = priority->second;
      channels.push_back(std::move(channel));
    }
  }
  if (channels.empty()) {
    assign = nullptr;
    assignLabel.clear();
    for (const auto& param : initFunc->params) {
      if (!param->IsChannel())
        continue;
      auto channel = std::make_unique<CChannInfo>();
      channel->owner = this;
      channel->name = param->ChannelStem();
      channel->param = param.get();
      auto number = channelMap.find(param.get());
      channel->number = number == channelMap.end() ? 0 : std::max(number->second, 0);
      channels.push_back(std::move(channel));
    }
  }
  return ok;
}

bool CProjDoc::CFuncInfo_Api::ComputeLoad(bool show, CLoadEvalContext* ctx,
                                          CLoadFailure* outFailure) {
  if (!initFunc || !function)
    return true;
  const std::string* exprName = initFunc->LoadRefOf(assign);
  if (!exprName)
    return true;
  const CKivoLoadExpr* expr = function->FindLoadExpr(*exprName);
  if (!expr)
    return true;

  CChannelMap channelMap;
  for (const auto& param : initFunc->params)
    if (param->IsChannel())
      channelMap[param.get()] = 0;
  for (const auto& channel : channels)
    if (channel->param)
      channelMap[channel->param] = std::max(channel->number, 0);
  CChannelMapResolver channelResolver(channelMap);

  CLoadEvalContext own(CLoadEvalContext::kEvaluate, &loadInputs.values);
  CLoadEvalContext& q = ctx ? *ctx : own;
  CExprEval eval(&channelResolver, &q);
  eval.AddResolver(this);
  if (doc)
    eval.AddResolver(doc);

  int error = kExprOk;
  {
    CLoadEvalContext::CStackEntry entry(q, expr);
    double value = 0;
    error = q.mode == CLoadEvalContext::kCollect ? eval.Validate(expr->exprText, 0)
                                                 : eval.Evaluate(expr->exprText, value);
  }
  bool ok = error == kExprOk;
  if (ok) {
    hasLoadInputs = q.HasInputs();
  } else {
    if (show || outFailure) {
      std::string detail = eval.FormatError(5101);
      if (!q.messages.empty())
        detail += "\n" + q.messages;
      std::vector<std::string> args = {function->apiHeaderPath, expr->exprText, detail, InstanceName()};
      if (show)
        ShowMessage(4042, EMessageKind::Warning, args);
      if (outFailure)
        *outFailure = {error, FormatMessageText(CatalogText(4042), args)};
    }
    hasLoadInputs = false;
    if (q.mode != CLoadEvalContext::kCollect) {
      // Only to learn which inputs the expression wants, so the view can ask for them.
      q.mode = CLoadEvalContext::kCollect;
      CExprEval collect(nullptr, &q);
      collect.InheritFrom(eval);
      CLoadEvalContext::CStackEntry entry(q, expr);
      if (collect.Validate(expr->exprText, 0) == kExprOk)
        hasLoadInputs = q.HasInputs();
      q.mode = CLoadEvalContext::kEvaluate;
      for (auto& channel : channels)
        channel->load = -1.0;
    }
    return false;
  }
  if (q.mode != CLoadEvalContext::kCollect)
    for (auto& channel : channels) {
      double load = 0;
      channel->load = eval.Lookup(channel->name, load) ? load : -1.0;
    }
  return true;
}

bool CProjDoc::CFuncInfo_Api::ResolveVariable(CExprEval& eval, const std::string& name,
                                              double& value) {
  return ResolveFuncVariable(eval, name, value);
}

namespace {

// The declared input `name` of an expression on the stack.
const CKivoLoadVar* DeclaredInput(const CLoadEvalContext& q, const std::string& name) {
  for (const CKivoLoadExpr* expr : q.stack)
    if (const CKivoLoadVar* var = expr->FindVar(name))
      return var;
  return nullptr;
}

bool ResolveDeclaredInput(CExprEval& eval, CLoadEvalContext& q, const CKivoLoadVar& var,
                          const std::string& name, double& value) {
  q.AddDeclaredMet(name);
  const std::string* text = q.InputOf(name);
  bool found = false;
  if (text)
    found = EvaluateInput(*text, value) || var.ValueOf(*text, value);
  else
    q.AddNeeded(name);
  if (found) {
    eval.SetVariable(name, value);
    return true;
  }
  std::string detail = text && !text->empty() ? Catalog(4045, {*text}) : Catalog(4044);
  q.AddMessage(Catalog(4043, {name, detail}));
  q.AddNeeded(name);
  return false;
}

bool ResolveExternal(CLoadEvalContext* q, const CKivoParam& param, const std::string& external,
                     double& value) {
  if (!q)
    return false;
  if (!q->IsNeeded(external)) {
    q->AddNeeded(external);
    q->externals[external] = param.description;
  }
  const std::string* text = q->InputOf(external);
  if (!text)
    return false;
  if (EvaluateInput(*text, value))
    return true;
  std::string detail = text->empty() ? Catalog(4046, {external}) : Catalog(4047, {external, *text});
  q->AddMessage(Catalog(4043, {param.name, detail}));
  q->AddNeeded(external);
  return false;
}

// The parameter a load expression means by `name`: by its value list's name first, then by its own.
const CKivoParam* ParamByName(const CProjDoc::CFuncInfo_Api& func, const std::string& name) {
  if (!func.initFunc)
    return nullptr;
  for (const auto& param : func.initFunc->params) {
    const CProjDoc::CParamInfo* info = func.ParamOf(param.get());
    if (info && info->value.def && info->value.def->parameter == name)
      return param.get();
  }
  for (const auto& param : func.initFunc->params)
    if (param->name == name && func.ParamOf(param.get()))
      return param.get();
  return nullptr;
}

bool ResolveSubExpression(CProjDoc::CFuncInfo_Api& func, CExprEval& eval, const std::string& name,
                          double& value) {
  const CKivoLoadExpr* sub = func.function ? func.function->FindLoadExpr(name) : nullptr;
  if (!sub)
    return func.doc && func.doc->ResolveDocVariable(func.engine, name, value);

  // Without a context of its own the nested evaluation still needs a stack to stop recursion.
  CLoadEvalContext own(CLoadEvalContext::kEvaluate, &func.loadInputs.values);
  CLoadEvalContext* q = ContextOf(eval);
  if (!q)
    q = &own;
  if (q->OnStack(sub)) {
    q->AddMessage(Catalog(4043, {name, " endless recursion detected"}));
    return false;
  }
  CExprEval nested(nullptr, q);
  nested.AddScope(&eval);
  nested.InheritFrom(eval);
  int error = kExprOk;
  double last = 0;
  {
    CLoadEvalContext::CStackEntry entry(*q, sub);
    error = q->mode == CLoadEvalContext::kCollect ? nested.Validate(sub->exprText, 0)
                                                  : nested.Evaluate(sub->exprText, last);
  }
  if (error != kExprOk) {
    q->AddMessage(Catalog(4043, {name, nested.FormatError(5101)}));
    eval.SetVariable(name, 0.0);
    return false;
  }
  if (!nested.Lookup(name, value))
    value = last;
  eval.SetVariable(name, value);
  return true;
}

}  // namespace

bool CProjDoc::CFuncInfo_Api::ResolveFuncVariable(CExprEval& eval, const std::string& name,
                                                  double& value) {
  CLoadEvalContext* q = ContextOf(eval);
  if (q)
    if (const CKivoLoadVar* var = DeclaredInput(*q, name))
      return ResolveDeclaredInput(eval, *q, *var, name, value);

  if (const CKivoParam* param = ParamByName(*this, name)) {
    const CParamInfo* info = ParamOf(param);
    const std::string& text = info->value.valueName;
    if (text.empty())
      return false;
    // A signed literal is a number too, not the name of an external variable.
    if (LooksNumeric(text)) {
      if (ReadNumber(text, value))
        return true;
      if (q)
        q->AddNeeded(name);
      return false;
    }
    if (const CKivoVarDef* def = info->value.def) {
      double known = 0;
      for (const auto& defined : def->values)
        if (!defined->takesArg && !eval.Lookup(defined->name, known))
          eval.SetVariable(defined->name, EnumToken(defined->name));
      return eval.Lookup(text, value);
    }
    return ResolveExternal(q, *param, text, value);
  }
  return ResolveSubExpression(*this, eval, name, value);
}

