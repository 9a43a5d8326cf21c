// The channels page's table as data: one row per channel of an engine with every cell's text, and the total load.
#include "project/channeltable.h"

#include <charconv>

#include "knowledge/cfgdesc.h"
#include "knowledge/kbtext.h"

namespace {

constexpr int kChannels = CProjDoc::kMaxChannel + 1;

using CFuncInfo = CProjDoc::CFuncInfo;
using CChannInfo = CProjDoc::CChannInfo;

// printf's "%.*f" honours the locale the desktop program runs in; the table must not.
std::string Fixed(double value, int decimals) {
  char buffer[64];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed,
                              decimals);
  if (result.ec != std::errc())
    return "?";
  return std::string(buffer, result.ptr);
}

bool IsChannel(int channel) { return channel >= 0 && channel < kChannels; }

uint32_t Bit(int channel) { return uint32_t{1} << channel; }

std::string FunctionText(const CProjDoc& doc, const CFuncInfo& func) {
  if (!func.function)
    return std::string();
  const std::string& title = func.function->title.empty() ? func.function->name
                                                          : func.function->title;
  int count = 0;
  int index = doc.GetInstanceIndex(&func, count);
  if (count <= 1)
    return title;
  return title + " (" + func.function->name + std::to_string(index) + ")";
}

std::string DisplayOf(const CProjDoc::CParamInfo* param, const CKivoCfgDesc* desc) {
  return param ? ParamDisplayText(param->value, desc) : std::string();
}

// The value a function's own "priority" setting holds, for either kind of function.
std::string FunctionPriority(const CFuncInfo& func, const CKivoCfgDesc* desc) {
  if (func.IsApi())
    return DisplayOf(func.FindParam("priority"), desc);
  const auto& generic = static_cast<const CProjDoc::CFuncInfo_NonApi&>(func);
  for (const CKivoVarValueSet& group : generic.groups)
    if (const CKivoVarValue* value = group.FindByParameter("priority"))
      return ParamDisplayText(*value, desc);
  return std::string();
}

std::string PriorityText(const CFuncInfo& func, const CChannInfo& channel,
                         const CKivoCfgDesc* desc) {
  std::string named = Trim(channel.priority);
  std::string text;
  if (named.empty()) {
    text = FunctionPriority(func, desc);
  } else if (const CProjDoc::CParamInfo* param = func.FindParam(named)) {
    text = DisplayOf(param, desc);
  } else {
    // A header may name a fixed priority value instead of a parameter.
    CKivoVarValue fixed(desc ? desc->FindDefByValueName(named) : nullptr);
    fixed.valueName = named;
    text = ParamDisplayText(fixed, desc);
  }
  return text.empty() ? "?" : text;
}

void FillFunctionCells(const CProjDoc& doc, const CFuncInfo& func, const CChannInfo& channel,
                       CChannelRow& row) {
  const CKivoCfgDesc* desc = &doc.Kb().cfgDesc;
  row.func = &func;
  row.channelInfo = &channel;
  row.function = FunctionText(doc, func);
  row.channelName = channel.name;
  row.priority = PriorityText(func, channel, desc);
  row.api = func.IsApi() ? "Yes" : "No";
  row.load = FormatChannelLoad(channel.load);
  row.loadIsCommand = func.IsApi();
  row.loadHighlighted = func.IsApi() && channel.load < 0;
}

}  // namespace

std::string ParamDisplayText(const CKivoVarValue& value, const CKivoCfgDesc* desc) {
  const CKivoVarDef* def = value.def;
  if (!def && desc)
    def = desc->FindDefByValueName(value.valueName);
  if (def)
    for (const auto& defined : def->values)
      if (defined->name == value.valueName)
        return defined->takesArg ? value.argument : defined->DisplayText();
  return value.valueName;
}

std::string FormatChannelLoad(double load) {
  if (load < 0)
    return "?";
  int decimals = load >= 0.1 ? 1 : load >= 0.01 ? 2 : load >= 0.001 ? 4 : 6;
  return Fixed(load, decimals) + " %";
}

std::string FormatTotalLoad(double load) { return Fixed(load, 1) + " %"; }

std::string OdisChoice(const CProjDoc::CEngine& engine, int channel) {
  if (!IsChannel(channel) || !(engine.odis & Bit(channel)))
    return "Off";
  return engine.opol & Bit(channel) ? "Low" : "High";
}

bool SetOdisChoice(CProjDoc::CEngine& engine, int channel, const std::string& choice) {
  if (!IsChannel(channel) || (choice != "Off" && choice != "Low" && choice != "High"))
    return false;
  SetChannelBit(engine.odis, channel, choice != "Off");
  SetChannelBit(engine.opol, channel, choice == "Low");
  return true;
}

bool SetChannelBit(uint32_t& mask, int channel, bool set) {
  if (!IsChannel(channel))
    return false;
  mask = set ? mask | Bit(channel) : mask & ~Bit(channel);
  return true;
}

CChannelTable BuildChannelTable(const CProjDoc& doc, int engine) {
  CChannelTable table;
  const CProjDoc::CEngine& record = doc.m_engine[engine == 1 ? 1 : 0];
  table.rows.resize(kChannels);
  for (int channel = 0; channel < kChannels; ++channel) {
    CChannelRow& row = table.rows[channel];
    row.channel = channel;
    row.ch = std::to_string(channel) + ": ";
    row.cie = (record.cie & Bit(channel)) != 0;
    row.cdtre = (record.dtre & Bit(channel)) != 0;
    row.odis = OdisChoice(record, channel);
  }
  for (const auto& func : doc.Functions()) {
    if (func->engine != engine)
      continue;
    for (const auto& channel : func->channels)
      if (IsChannel(channel->number))
        FillFunctionCells(doc, *func, *channel, table.rows[channel->number]);
  }
  for (const CChannelRow& row : table.rows)
    if (row.channelInfo && row.channelInfo->load > 0)
      table.totalLoad += row.channelInfo->load;
  table.totalLoadText = FormatTotalLoad(table.totalLoad);
  return table;
}
