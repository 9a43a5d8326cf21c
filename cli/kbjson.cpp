// The knowledge base as the JSON of the headless driver's report.
#include "cli/kbjson.h"

#include "cli/cli.h"
#include "knowledge/kbtext.h"
#include "knowledge/knowledgebase.h"

using nlohmann::json;

namespace {

json NameOrNull(const std::string* text) { return text ? json(*text) : json(nullptr); }

json ValueJson(const CKivoValueDef& value) {
  return {{"name", value.name},         {"friendly", value.friendly}, {"comment", value.comment},
          {"number", value.number},     {"takesArg", value.takesArg != 0},
          {"hasBounds", value.hasBounds != 0},
          {"min", value.min},           {"max", value.max},           {"minText", value.minText},
          {"maxText", value.maxText},   {"display", value.DisplayText()}};
}

json VarDefJson(const CKivoVarDef& def) {
  json values = json::array();
  for (const auto& value : def.values)
    values.push_back(ValueJson(*value));
  return {{"section", def.section},
          {"comment", def.comment},
          {"parameter", def.parameter},
          {"customAllowed", def.customAllowed != 0},
          {"firstKivo2Value", def.firstKivo2Value < 0 ? json(nullptr) : json(def.firstKivo2Value)},
          {"values", values}};
}

json ParamJson(const CKivoParam& param) {
  json values = json::array();
  if (param.varDef)
    for (const auto& value : param.varDef->values)
      values.push_back({{"name", value->name}, {"display", value->DisplayText()}});
  bool shared = param.varDef && !param.ownsVarDef;
  return {{"name", param.name},
          {"type", param.type},
          {"description", param.description},
          {"isChannel", param.IsChannel()},
          {"channelStem", param.ChannelStem()},
          {"ownsVarDef", param.ownsVarDef != 0},
          {"valueSection", shared ? json(param.varDef->section) : json(nullptr)},
          {"values", values}};
}

json ChanAssignJson(const CKivoChanAssign& block, const CKivoInitFunc& initFunc) {
  json paramOfChan = json::object();
  for (const auto& [var, param] : block.paramOfChan)
    paramOfChan[var] = param->name;
  return {{"condVar", block.condVar},
          {"condValue", block.condValue},
          {"assignText", block.assignText},
          {"chanVars", block.chanVars},
          {"priorities", json(block.priorities)},
          {"paramOfChan", paramOfChan},
          {"loadRef", NameOrNull(initFunc.LoadRefOf(&block))}};
}

json InitFuncJson(const CKivoInitFunc& initFunc) {
  json params = json::array();
  for (const auto& param : initFunc.params)
    params.push_back(ParamJson(*param));
  json blocks = json::array();
  for (const auto& block : initFunc.chanAssigns)
    blocks.push_back(ChanAssignJson(*block, initFunc));
  return {{"name", initFunc.name}, {"notes", initFunc.notes}, {"params", params}, {"chanAssigns", blocks}};
}

json LoadExprJson(const CKivoLoadExpr& expr) {
  json vars = json::array();
  for (const auto& [name, var] : expr.vars) {
    json ranges = json::array();
    for (const CKivoRange& range : var->ranges)
      ranges.push_back({{"min", JsonReal(range.min)}, {"max", JsonReal(range.max)}, {"valueName", range.valueName}});
    vars.push_back({{"name", var->name}, {"unit", var->unit}, {"ranges", ranges}});
  }
  return {{"name", expr.name}, {"exprText", expr.exprText}, {"vars", vars}};
}

json SetJson(const CKivoFSet& set) {
  json slots = json::array();
  for (const CKivoFunc* func : set.slots)
    slots.push_back(func ? json(func->name) : json(nullptr));
  return {{"path", set.relativePath},       {"fileName", set.fileName},
          {"miscValue", set.miscValue},     {"entryTable", set.entryTable},
          {"presumedSettings", set.presumedSettings}, {"slots", slots}};
}

}  // namespace

json CpuJson(const std::string& name, const CKivoCpu& cpu) {
  return {{"name", name},
          {"engines", cpu.engines},
          {"kivoClkPrescaler", cpu.kivoClkPrescaler},
          {"systemClock", cpu.systemClock},
          {"peripheralTimebaseAvailable", cpu.peripheralTimebaseAvailable != 0},
          {"peripheralTimebaseClock", cpu.peripheralTimebaseClock},
          {"stacBusAvailable", cpu.stacBusAvailable != 0},
          {"isKivo2", cpu.isKivo2 != 0},
          {"templateName", cpu.templateName}};
}

json FuncJson(const CKivoFunc& func) {
  json initFuncs = json::array();
  for (const auto& initFunc : func.initFuncs)
    initFuncs.push_back(InitFuncJson(*initFunc));
  json loadExprs = json::array();
  for (const auto& [name, expr] : func.loadExprs)
    loadExprs.push_back(LoadExprJson(*expr));
  return {{"entry", func.entry},
          {"name", func.name},
          {"title", func.title},
          {"owner", func.owner ? json(func.owner->relativePath) : json(nullptr)},
          {"number", func.FunctionNumber()},
          {"hasApi", func.hasApi != 0},
          {"apiHeader", func.apiHeaderRelPath},
          {"initFuncs", initFuncs},
          {"loadExprs", loadExprs}};
}

json KnowledgeBaseJson(const CKnowledgeBase& kb) {
  json cpus = json::array();
  for (const auto& section : kb.cpuDb.Sections())
    cpus.push_back(CpuJson(section->name, CKivoCpu(kb.cpuDb, section.get())));
  json cfg = json::array();
  for (const auto& def : kb.cfgDesc.Definitions())
    cfg.push_back(VarDefJson(*def));
  json sets = json::array();
  for (const auto& set : kb.fsetLib.Sets())
    sets.push_back(SetJson(*set));
  json functions = json::array();
  for (const auto& func : kb.fsetLib.Functions())
    functions.push_back(FuncJson(*func));
  json apps = json::array();
  for (const auto& app : kb.fappLib.Apps()) {
    json entry = FuncJson(*app);
    entry["path"] = RelativeToFolder(app->path, kb.functionSetFolder);
    entry["usedFunctions"] = app->usedFunctions;
    apps.push_back(entry);
  }
  return {{"cpus", cpus}, {"cfg", cfg}, {"sets", sets}, {"functions", functions}, {"apps", apps}};
}
