// What a function's API header and source say about its initialisation functions, channels and load.
#include "knowledge/apimeta.h"

#include <cstdio>

#include "base/ports.h"
#include "knowledge/fsetlib.h"
#include "knowledge/kbtext.h"
#include "knowledge/optionscan.h"

namespace {

std::string FormatRange(const CKivoRange& range) {
  char buffer[80];
  std::snprintf(buffer, sizeof buffer, "%g..%g", range.min, range.max);
  return buffer;
}

}  // namespace

// --- CKivoParam --------------------------------------------------------------

bool CKivoParam::IsChannel() const { return ToLower(name).find("channel") != std::string::npos; }

std::string CKivoParam::ChannelStem() const {
  std::string stem = ReplaceAll(ToLower(name), "channel_", "");
  stem = ReplaceAll(stem, "_channel", "");
  return stem.empty() ? "_the_channel_" : stem;
}

int CKivoParam::LinkedFunctions(std::vector<const CKivoFunc*>& outList) const {
  std::size_t last = name.rfind('_');
  if (last == std::string::npos || name.substr(last) != "_chan")
    return 0;
  outList.clear();
  const CKivoFSet* set = owner && owner->owner ? owner->owner->owner : nullptr;
  if (!set)
    return 0;
  for (const std::string& piece : SplitAny(name.substr(0, last), "_"))
    if (const CKivoFunc* func = set->FindFunc(piece))
      outList.push_back(func);
  return static_cast<int>(outList.size());
}

bool CKivoParam::FindValueList(const std::string& headerText, const CKivoLoadEnv& env) {
  auto def = std::make_unique<CKivoVarDef>();
  def->parameter = name;
  def->customAllowed = 1;
  std::string headerPath = owner && owner->owner ? owner->owner->apiHeaderPath : std::string();
  bool found = ScanHeaderOptions(name, type, headerText, headerPath, env, *def);
  def->RebuildDisplayTexts();
  if (found) {
    ownedDef = std::move(def);
    varDef = ownedDef.get();
    ownsVarDef = 1;
  } else {
    varDef = env.desc ? env.desc->FindDefByParameter(name) : nullptr;
    ownsVarDef = 0;
  }
  return varDef != nullptr;
}

// --- CKivoLoadVar, CKivoLoadExpr, CKivoInitFunc -----------------------------

int CKivoLoadVar::NamedValues(std::vector<std::string>& outArray) const {
  outArray.clear();
  for (const CKivoRange& range : ranges) {
    if (range.min != range.max) {
      outArray.clear();
      return 0;
    }
    outArray.push_back(range.valueName);
  }
  return static_cast<int>(outArray.size());
}

bool CKivoLoadVar::HasNamedValues() const {
  std::vector<std::string> names;
  return NamedValues(names) > 0;
}

bool CKivoLoadVar::ValueOf(const std::string& valueName, double& value) const {
  for (const CKivoRange& range : ranges)
    if (range.min == range.max && range.valueName == valueName) {
      value = range.min;
      return true;
    }
  return false;
}

bool CKivoLoadVar::CheckValue(double value, bool report) const {
  if (ranges.empty())
    return true;
  for (const CKivoRange& range : ranges)
    if (range.min <= value && value <= range.max)
      return true;
  if (report) {
    std::string list;
    for (const CKivoRange& range : ranges)
      list += (list.empty() ? "" : "; ") + FormatRange(range);
    ShowMessage(ranges.size() == 1 ? 4051 : 4052, EMessageKind::Error, {name, list});
  }
  return false;
}

const CKivoLoadVar* CKivoLoadExpr::FindVar(const std::string& varName) const {
  auto found = vars.find(varName);
  return found == vars.end() ? nullptr : found->second.get();
}

const CKivoParam* CKivoInitFunc::FindParam(const std::string& paramName) const {
  for (const auto& param : params)
    if (param->name == paramName)
      return param.get();
  return nullptr;
}

const std::string* CKivoInitFunc::LoadRefOf(const CKivoChanAssign* block) const {
  auto found = chanLoads.find(block);
  return found == chanLoads.end() ? nullptr : &found->second->exprText;
}
