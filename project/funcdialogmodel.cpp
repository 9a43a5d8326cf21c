// The function dialog's rules.
#include "project/funcdialogmodel.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <iterator>
#include <string>

#include "base/messagecatalog.h"
#include "knowledge/fapplib.h"
#include "knowledge/kbtext.h"
#include "knowledge/valuecontrols.h"

namespace {

using CFuncInfo = CProjDoc::CFuncInfo;

constexpr int kSubjectFunction = 564;
constexpr int kSubjectApplication = 565;
constexpr int kParameterRow = 561;
// The dialog's stored caption: the add form before the bar, the edit form after it.
constexpr const char* kCaption = "Add %1|Edit %1";
constexpr const char* kChannelNotUsed = "KIVO_CHAN_NOT_USED";
constexpr const char* kMissingValue = "?";
// The count's limit when the description gives the count no bound.
constexpr int kUnboundedParamCount = 255;
constexpr const char* kNewParamValue = "0";

std::string RemoveAccelerator(std::string text) {
  text.erase(std::remove(text.begin(), text.end(), '&'), text.end());
  return text;
}

// A leading integer as "%i" reads it (decimal, 0x hexadecimal, 0 octal, blanks
// before it, anything after it ignored), held within int.
bool ReadLeadingInteger(const std::string& text, int& outNumber) {
  const char* start = text.c_str();
  char* end = nullptr;
  errno = 0;
  long long number = std::strtoll(start, &end, 0);
  if (end == start)
    return false;
  outNumber = static_cast<int>(std::clamp<long long>(number, INT32_MIN, INT32_MAX));
  return true;
}

std::string DisplayName(const CKivoFunc& func) { return func.title.empty() ? func.name : func.title; }

std::string ShownValue(const CKivoVarValue& value) {
  std::string text = ValueDisplayText(value);
  return text.empty() ? std::string(kMissingValue) : text;
}

}  // namespace

CFuncDialogModel::CFuncDialogModel(CProjDoc& doc, EKind kind, int engine, const CFuncInfo* edited,
                                   int defaultChannel)
    : m_doc(doc), m_kind(kind), m_engine(engine), m_edited(kind == kEdit ? edited : nullptr) {
  FindFreeChannels(defaultChannel);
  CollectEntries();
  m_copies.resize(m_entries.size());
  Select(0);
}

CFuncDialogModel::~CFuncDialogModel() = default;

void CFuncDialogModel::FindFreeChannels(int defaultChannel) {
  for (int channel = 0; channel <= CProjDoc::kMaxChannel; ++channel) {
    const CFuncInfo* user = m_doc.FindChannelUser(m_engine, channel);
    if (!user || user == m_edited)
      m_free.push_back(channel);
  }
  // With every channel taken the assignments start at 0, and OK says whose it is.
  m_start = defaultChannel >= 0 ? defaultChannel : m_free.empty() ? 0 : m_free.front();
}

void CFuncDialogModel::CollectEntries() {
  if (m_kind == kEdit) {
    if (m_edited && m_edited->function)
      m_entries.push_back(m_edited->function);
    return;
  }
  if (m_kind == kAddApplication) {
    std::vector<const CKivoFapp*> apps;
    m_doc.Kb().fappLib.CollectAvailable(apps, m_doc.m_pFSet);
    m_entries.assign(apps.begin(), apps.end());
    return;
  }
  if (!m_doc.m_pFSet)
    return;
  int position = m_doc.m_pFSet->FirstSlot();
  while (position > 0)
    if (const CKivoFunc* func = m_doc.m_pFSet->NextFunc(position))
      m_entries.push_back(func);
}

// ---- Caption and subject

std::string CFuncDialogModel::Subject() const {
  bool application = m_kind == kAddApplication ||
                     (m_kind == kEdit && m_edited && dynamic_cast<const CKivoFapp*>(m_edited->function));
  return std::string(CatalogText(application ? kSubjectApplication : kSubjectFunction));
}

std::string CFuncDialogModel::Caption() const {
  std::string stored = kCaption;
  std::size_t bar = stored.find('|');
  std::string pattern = m_kind == kEdit ? stored.substr(bar + 1) : stored.substr(0, bar);
  return FormatMessageText(pattern, {RemoveAccelerator(Subject())});
}

std::vector<std::string> CFuncDialogModel::FreeChannelTexts() const {
  std::vector<std::string> texts;
  for (int channel : m_free)
    texts.push_back(std::to_string(channel));
  return texts;
}

// ---- Entries and working copies

std::vector<std::string> CFuncDialogModel::EntryTexts() const {
  std::vector<std::string> texts;
  for (const CKivoFunc* func : m_entries)
    texts.push_back(DisplayName(*func));
  return texts;
}

CFuncInfo* CFuncDialogModel::Select(int index) {
  if (index < 0 || index >= static_cast<int>(m_entries.size()))
    return nullptr;
  auto& copy = m_copies[static_cast<std::size_t>(index)];
  if (!copy) {
    if (m_kind == kEdit)
      copy = m_edited->Clone();
    else
      copy = m_doc.NewFunction(*m_entries[static_cast<std::size_t>(index)], m_engine, m_start);
  }
  m_selected = index;
  return copy.get();
}

CFuncInfo* CFuncDialogModel::Current() const {
  if (m_selected < 0)
    return nullptr;
  return m_copies[static_cast<std::size_t>(m_selected)].get();
}

bool CFuncDialogModel::CurrentIsApi() const { return Api() != nullptr; }

CProjDoc::CFuncInfo_Api* CFuncDialogModel::Api() const {
  CFuncInfo* func = Current();
  return func && func->IsApi() ? static_cast<CProjDoc::CFuncInfo_Api*>(func) : nullptr;
}

CProjDoc::CFuncInfo_NonApi* CFuncDialogModel::NonApi() const {
  CFuncInfo* func = Current();
  return func && !func->IsApi() ? static_cast<CProjDoc::CFuncInfo_NonApi*>(func) : nullptr;
}

// ---- The API page

std::vector<std::string> CFuncDialogModel::InitCalls() const {
  std::vector<std::string> names;
  if (const CProjDoc::CFuncInfo_Api* api = Api(); api && api->function)
    for (const auto& init : api->function->initFuncs)
      names.push_back(init->name);
  return names;
}

int CFuncDialogModel::CurrentInitCall() const {
  const CProjDoc::CFuncInfo_Api* api = Api();
  if (!api || !api->function)
    return -1;
  const auto& inits = api->function->initFuncs;
  for (std::size_t i = 0; i < inits.size(); ++i)
    if (inits[i].get() == api->initFunc)
      return static_cast<int>(i);
  return -1;
}

bool CFuncDialogModel::ChooseInitCall(int index) {
  CProjDoc::CFuncInfo_Api* api = Api();
  if (!api || !api->function || index < 0 || index >= static_cast<int>(api->function->initFuncs.size()))
    return false;
  api->initFunc = api->function->initFuncs[static_cast<std::size_t>(index)].get();
  api->InitDefaults(m_start);
  return true;
}

std::vector<CFuncChannelRow> CFuncDialogModel::ChannelRows() const {
  std::vector<CFuncChannelRow> rows;
  if (const CFuncInfo* func = Current())
    for (const auto& chan : func->channels)
      rows.push_back({chan->name, std::to_string(chan->number), chan->param != nullptr});
  return rows;
}

std::string CFuncDialogModel::AssignmentText() const {
  const CProjDoc::CFuncInfo_Api* api = Api();
  if (!api || !api->assign)
    return std::string();
  if (api->assignLabel.empty())
    return api->assign->assignText;
  return api->assignLabel + " " + api->assign->assignText;
}

bool CFuncDialogModel::SetChannelNumber(int row, const std::string& text) {
  CProjDoc::CFuncInfo_Api* api = Api();
  if (!api || row < 0 || row >= static_cast<int>(api->channels.size()))
    return false;
  CProjDoc::CChannInfo& chan = *api->channels[static_cast<std::size_t>(row)];
  int number = 0;
  if (!chan.param || !ReadLeadingInteger(text, number))
    return false;
  chan.number = number;
  RebuildChannels();
  return true;
}

bool CFuncDialogModel::RebuildChannels() {
  CProjDoc::CFuncInfo_Api* api = Api();
  if (!api || !api->initFunc)
    return false;
  CProjDoc::CFuncInfo_Api::CChannelMap map;
  for (const auto& param : api->initFunc->params)
    if (param->IsChannel())
      map[param.get()] = 0;
  for (const auto& chan : api->channels)
    if (chan->param)
      map[chan->param] = chan->number;
  return api->BuildChannels(map);
}

std::vector<const CKivoParam*> CFuncDialogModel::ValueParams() const {
  std::vector<const CKivoParam*> params;
  if (const CProjDoc::CFuncInfo_Api* api = Api(); api && api->initFunc)
    for (const auto& param : api->initFunc->params)
      if (!param->IsChannel())
        params.push_back(param.get());
  return params;
}

// The channels a parameter ending in "_chan" can name: those of the project's
// other functions of the kinds it links, on this engine, whose channel defines
// the generated header holds.
std::vector<std::string> CFuncDialogModel::ChannelChoices(const CKivoParam& param) const {
  std::vector<const CKivoFunc*> linked;
  param.LinkedFunctions(linked);
  std::vector<std::string> choices;
  for (const auto& func : m_doc.Functions()) {
    if (func.get() == m_edited || func->engine != m_engine ||
        std::find(linked.begin(), linked.end(), func->function) == linked.end())
      continue;
    for (const auto& chan : func->channels)
      choices.push_back(func->ChannelDefineName(*chan));
  }
  choices.emplace_back(kChannelNotUsed);
  return choices;
}

std::vector<CFuncParamRow> CFuncDialogModel::ParamRows() const {
  std::vector<CFuncParamRow> rows;
  const CProjDoc::CFuncInfo_Api* api = Api();
  bool kivo2 = m_doc.m_cpu.isKivo2 != 0;
  for (const CKivoParam* param : ValueParams()) {
    CFuncParamRow row;
    row.name = param->name;
    row.type = param->type;
    row.description = param->description;
    const CProjDoc::CParamInfo* info = api->ParamOf(param);
    CKivoVarValue missing(param->varDef);
    const CKivoVarValue& value = info ? info->value : missing;
    row.value = ShownValue(value);
    row.missing = ValueDisplayText(value).empty();
    std::vector<const CKivoFunc*> linked;
    if (param->LinkedFunctions(linked) > 0) {
      row.choices = ChannelChoices(*param);
    } else if (param->varDef) {
      row.choices = ValueListEntries(value, kivo2);
      if (row.choices.size() == 1 && row.choices.front().empty())
        row.choices.clear();
      row.typed = row.choices.empty() || param->varDef->customAllowed != 0;
    }
    rows.push_back(std::move(row));
  }
  return rows;
}

bool CFuncDialogModel::SetParamValue(int row, const std::string& text) {
  CProjDoc::CFuncInfo_Api* api = Api();
  std::vector<const CKivoParam*> params = ValueParams();
  if (!api || row < 0 || row >= static_cast<int>(params.size()))
    return false;
  const CKivoParam* param = params[static_cast<std::size_t>(row)];
  auto& info = api->params[param];
  if (!info)
    info = std::make_unique<CProjDoc::CParamInfo>(param->varDef);
  SaveValueListText(info->value, Trim(text));
  RebuildChannels();
  return true;
}

// ---- The non-API page

int CFuncDialogModel::ChannelChoice() const {
  const CProjDoc::CFuncInfo_NonApi* generic = NonApi();
  if (!generic || generic->channels.empty())
    return -1;
  auto found = std::find(m_free.begin(), m_free.end(), generic->channels.front()->number);
  return found == m_free.end() ? -1 : static_cast<int>(found - m_free.begin());
}

bool CFuncDialogModel::SetChannelChoice(int index) {
  CProjDoc::CFuncInfo_NonApi* generic = NonApi();
  if (!generic || generic->channels.empty() || index < 0 || index >= static_cast<int>(m_free.size()))
    return false;
  generic->channels.front()->number = m_free[static_cast<std::size_t>(index)];
  return true;
}

int CFuncDialogModel::ParamCountLimit() const {
  const CKivoVarDef* def = m_doc.Kb().cfgDesc.FindDefBySection("FNAPI.PRMCOUNT");
  if (def && !def->values.empty() && def->values.front()->takesArg && def->values.front()->hasBounds)
    return def->values.front()->max;
  return kUnboundedParamCount;
}

int CFuncDialogModel::ClampParamCount(const std::string& text) const {
  int64_t number = 0;
  if (!ReadIntegerField(text, number))
    number = 0;
  return static_cast<int>(std::clamp<int64_t>(number, 0, ParamCountLimit()));
}

int CFuncDialogModel::ParamCount() const {
  const CProjDoc::CFuncInfo_NonApi* generic = NonApi();
  return generic ? static_cast<int>(generic->rawParams.size()) : 0;
}

bool CFuncDialogModel::SetParamCount(int count) {
  CProjDoc::CFuncInfo_NonApi* generic = NonApi();
  if (!generic)
    return false;
  count = std::clamp(count, 0, ParamCountLimit());
  auto& params = generic->rawParams;
  std::vector<std::string>& surplus = m_surplus[m_selected];
  // Taken away from the end, kept in front of what was kept before: the
  // first parameter added again is the first one taken away now.
  std::vector<std::string> kept;
  for (std::size_t i = static_cast<std::size_t>(count); i < params.size(); ++i)
    kept.push_back(params[i]->value.valueName);
  if (!kept.empty()) {
    params.resize(static_cast<std::size_t>(count));
    std::move(surplus.begin(), surplus.end(), std::back_inserter(kept));
    surplus = std::move(kept);
  }
  while (static_cast<int>(params.size()) < count) {
    std::string text = kNewParamValue;
    if (!surplus.empty()) {
      text = std::move(surplus.front());
      surplus.erase(surplus.begin());
    }
    auto param = std::make_unique<CProjDoc::CParamInfo>();
    param->value.valueName = std::move(text);
    params.push_back(std::move(param));
  }
  return true;
}

std::vector<CFuncParamRow> CFuncDialogModel::RawParamRows() const {
  std::vector<CFuncParamRow> rows;
  const CProjDoc::CFuncInfo_NonApi* generic = NonApi();
  if (!generic)
    return rows;
  for (std::size_t i = 0; i < generic->rawParams.size(); ++i) {
    CFuncParamRow row;
    row.name = FormatPrintfText(CatalogText(kParameterRow), {PArg(static_cast<int>(i) + 1)});
    row.value = ShownValue(generic->rawParams[i]->value);
    row.missing = ValueDisplayText(generic->rawParams[i]->value).empty();
    rows.push_back(std::move(row));
  }
  return rows;
}

bool CFuncDialogModel::SetRawParamValue(int row, const std::string& text) {
  CProjDoc::CFuncInfo_NonApi* generic = NonApi();
  if (!generic || row < 0 || row >= static_cast<int>(generic->rawParams.size()))
    return false;
  SaveValueListText(generic->rawParams[static_cast<std::size_t>(row)]->value, Trim(text));
  return true;
}

CKivoVarValueSet* CFuncDialogModel::Group(int n) const {
  CProjDoc::CFuncInfo_NonApi* generic = NonApi();
  if (!generic || n < 1 || n > CProjDoc::CFuncInfo_NonApi::kGroups)
    return nullptr;
  return &generic->Group(n);
}

// ---- Code and checks

namespace {

bool IsNamePart(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

// `code` with the names the working copy's defines start with ("PWMx", a
// copy outside the project's list has no instance yet) given the instance
// `index`, where they stand as a name or a define's start.
std::string WithInstance(const std::string& code, const std::string& functionName, int index) {
  std::string bare = functionName;
  for (char& c : bare)
    c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  const std::string from = bare + "x";
  const std::string to = bare + std::to_string(index);
  std::string out;
  std::size_t done = 0;
  for (std::size_t at = code.find(from); at != std::string::npos; at = code.find(from, at + 1)) {
    const std::size_t end = at + from.size();
    if ((at > 0 && IsNamePart(code[at - 1])) || (end < code.size() && IsNamePart(code[end]) && code[end] != '_'))
      continue;
    out.append(code, done, at - done);
    out += to;
    done = end;
  }
  return out + code.substr(done);
}

}  // namespace

std::string CFuncDialogModel::GeneratedCode() const {
  std::string code;
  const CFuncInfo* func = Current();
  if (!func)
    return code;
  func->GenerateInitCode(code);
  // The code as the project will have it: an edit keeps its instance, an added
  // function comes after the instances there are.
  if (func->function) {
    int count = 0;
    const int index = m_edited ? m_doc.GetInstanceIndex(m_edited, count) : (m_doc.GetInstanceIndex(func, count), count);
    if (index >= 0)
      code = WithInstance(code, func->function->name, index);
  }
  return ReplaceAll(ReplaceAll(code, "\r\n", "\n"), "\n", "\r\n");
}

std::string CFuncDialogModel::ChannelProblem() const {
  std::string text;
  if (const CFuncInfo* func = Current())
    m_doc.CheckChannels(*func, m_edited, text);
  return text;
}

bool CFuncDialogModel::CheckForAccept() const {
  const CFuncInfo* func = Current();
  return func && m_doc.CheckChannels(*func, m_edited);
}

std::unique_ptr<CFuncInfo> CFuncDialogModel::TakeAccepted() {
  if (m_selected < 0)
    return nullptr;
  return std::move(m_copies[static_cast<std::size_t>(m_selected)]);
}
