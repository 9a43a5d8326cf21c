// A project as the JSON of the headless driver's show report.
#include "cli/projectjson.h"

#include <optional>
#include <string>

#include "cli/cli.h"
#include "cli/kbjson.h"
#include "knowledge/fapplib.h"
#include "project/channeltable.h"
#include "project/enginerules.h"
#include "project/notesmodel.h"
#include "project/projdoc.h"

using nlohmann::json;

namespace {

json ValueJson(const CKivoVarValue& value) {
  return {{"value", value.valueName}, {"argument", value.argument}};
}

json ValueSetJson(const CKivoVarValueSet& set) {
  json object = json::object();
  for (const auto& entry : set.Entries())
    object[entry.section] = ValueJson(*entry.value);
  return object;
}

template <typename T>
json OptionalJson(const std::optional<T>& value) {
  return value ? json(*value) : json(nullptr);
}

json DerivedJson(const CEngineDerived& derived) {
  const CEngineDerived::CTexts& text = derived.text;
  return {{"kivoClock", derived.kivoClock},
          {"tcr1Input", derived.tcr1Input},
          {"tcr1Freq", derived.tcr1Freq},
          {"tcr2Input", OptionalJson(derived.tcr2Input)},
          {"tcr2Freq", derived.tcr2Freq},
          {"sampleFreq", derived.sampleFreq},
          {"detectFrom", OptionalJson(derived.detectFrom)},
          {"filterUpTo", OptionalJson(derived.filterUpTo)},
          {"watchdogPeriod", OptionalJson(derived.watchdogPeriod)},
          {"channelTiming", derived.channelTiming},
          {"display",
           {{"kivoClock", text.kivoClock},
            {"tcr1Input", text.tcr1Input},
            {"tcr1Freq", text.tcr1Freq},
            {"tcr2Input", text.tcr2Input},
            {"tcr2Freq", text.tcr2Freq},
            {"sampleFreq", text.sampleFreq},
            {"detectFrom", text.detectFrom},
            {"filterUpTo", text.filterUpTo},
            {"watchdogPeriod", text.watchdogPeriod},
            {"channelTiming", text.channelTiming}}}};
}

json RowJson(const CChannelRow& row) {
  return {{"ch", row.ch},           {"function", row.function}, {"channel", row.channelName},
          {"priority", row.priority}, {"load", row.load},       {"cie", row.cie},
          {"cdtre", row.cdtre},     {"odis", row.odis},         {"api", row.api}};
}

json EngineJson(const CProjDoc& doc, int index) {
  const CProjDoc::CEngine& engine = doc.m_engine[index];
  CChannelTable table = BuildChannelTable(doc, index);
  json rows = json::array();
  for (const CChannelRow& row : table.rows)
    rows.push_back(RowJson(row));
  return {{"tcrclkIn", engine.tcrclkIn},
          {"tcr1Freq", engine.tcr1Freq},
          {"tcr2Freq", engine.tcr2Freq},
          {"cie", engine.cie},
          {"dtre", engine.dtre},
          {"odis", engine.odis},
          {"opol", engine.opol},
          {"derived", DerivedJson(DeriveEngine(doc, index).derived)},
          {"channelTable", rows},
          {"totalLoad", table.totalLoadText}};
}

json ChannelJson(const CProjDoc::CFuncInfo& func, const CProjDoc::CChannInfo& channel) {
  return {{"name", channel.name},
          {"define", func.ChannelDefineName(channel)},
          {"number", channel.number},
          {"param", channel.param ? json(channel.param->name) : json(nullptr)},
          {"priority", channel.priority},
          {"load", channel.load < 0 ? json(nullptr) : JsonReal(channel.load)}};
}

// API functions list their non-channel parameters in prototype order.
void AddApiFields(const CProjDoc::CFuncInfo_Api& func, json& out) {
  out["init"] = func.initFunc ? json(func.initFunc->name) : json(nullptr);
  json params = json::array();
  if (func.initFunc)
    for (const auto& param : func.initFunc->params) {
      if (param->IsChannel())
        continue;
      const CProjDoc::CParamInfo* info = func.ParamOf(param.get());
      json row = {{"name", param->name}, {"value", ""}, {"argument", ""}};
      if (info) {
        row["value"] = info->value.valueName;
        row["argument"] = info->value.argument;
      }
      params.push_back(row);
    }
  out["params"] = params;
  out["loadInputs"] = func.loadInputs.values;
  out["hasLoadInputs"] = func.hasLoadInputs;
}

void AddNonApiFields(const CProjDoc::CFuncInfo_NonApi& func, json& out) {
  out["init"] = nullptr;
  json params = json::array();
  for (std::size_t i = 0; i < func.rawParams.size(); ++i) {
    const CKivoVarValue& value = func.rawParams[i]->value;
    params.push_back({{"name", "prm" + std::to_string(i)},
                      {"value", value.valueName},
                      {"argument", value.argument}});
  }
  out["params"] = params;
  json groups = json::array();
  for (const auto& group : func.groups)
    groups.push_back(ValueSetJson(group));
  out["groups"] = groups;
  out["loadInputs"] = json::object();
  out["hasLoadInputs"] = false;
}

json FunctionJson(const CProjDoc::CFuncInfo& func) {
  json channels = json::array();
  for (const auto& channel : func.channels)
    channels.push_back(ChannelJson(func, *channel));
  json out = {{"kind", func.IsApi() ? "api" : "nonapi"},
              {"function", func.function ? json(func.function->name) : json(nullptr)},
              {"title", func.function ? json(func.function->title) : json(nullptr)},
              {"isApp", dynamic_cast<const CKivoFapp*>(func.function) != nullptr},
              {"instance", func.InstanceName()},
              {"engine", func.engine},
              {"label", func.assignLabel},
              {"channels", channels}};
  if (func.IsApi())
    AddApiFields(static_cast<const CProjDoc::CFuncInfo_Api&>(func), out);
  else
    AddNonApiFields(static_cast<const CProjDoc::CFuncInfo_NonApi&>(func), out);
  return out;
}

json NotesJson(const CNotesModel* notes) {
  json list = json::array();
  if (notes)
    for (const auto& entry : notes->Entries())
      list.push_back({{"title", entry.title}, {"caption", entry.linkText}, {"body", entry.body}});
  return list;
}

// The model holds the verbatim block with "\r\n" line ends; scripts see "\n".
std::string WithNewlines(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i)
    if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n'))
      out += text[i];
  return out;
}

}  // namespace

json ProjectJson(const CProjDoc& doc, const std::string& source, const std::string& header) {
  json members = json::array();
  json memberTexts = json::array();
  for (int n = 1; n <= CProjDoc::kCfgMembers; ++n) {
    members.push_back(ValueSetJson(doc.CfgMember(n)));
    memberTexts.push_back(doc.CfgMemberText(n));
  }
  json combinations = json::object();
  for (const auto& [key, value] : doc.m_combinations)
    combinations[key] = ValueJson(*value);
  json functions = json::array();
  for (const auto& func : doc.Functions())
    functions.push_back(FunctionJson(*func));
  return {{"source", source},
          {"header", header},
          {"cpu", CpuJson(doc.m_strCpu, doc.m_cpu)},
          {"sysclk", doc.m_nSysClk},
          {"ptbclk", doc.m_nPtbClk},
          {"fset", doc.m_pFSet ? json(doc.m_pFSet->relativePath) : json(nullptr)},
          {"engines", json::array({EngineJson(doc, 0), EngineJson(doc, 1)})},
          {"members", members},
          {"memberTexts", memberTexts},
          {"combinations", combinations},
          {"externDecls", doc.m_bExternDecls},
          {"verbatim", WithNewlines(doc.m_strVerbatim)},
          {"functions", functions},
          {"notes", NotesJson(doc.Notes())}};
}
