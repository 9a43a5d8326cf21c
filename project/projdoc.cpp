// The project document: lifecycle, paths, function list, configuration record and channel checks.
#include "project/projdoc.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "base/cinteger.h"
#include "base/messagecatalog.h"
#include "base/ports.h"
#include "base/texthelpers.h"
#include "knowledge/kbtext.h"
#include "project/enginerules.h"
#include "project/notesmodel.h"

namespace fs = std::filesystem;

namespace {

constexpr int kMsgZeroSysClk = 4084;

std::vector<std::string> SplitAt(const std::string& text, const std::string& separator) {
  std::vector<std::string> pieces;
  std::size_t start = 0;
  for (std::size_t at = text.find(separator); at != std::string::npos;
       at = text.find(separator, start)) {
    pieces.push_back(text.substr(start, at - start));
    start = at + separator.size();
  }
  pieces.push_back(text.substr(start));
  return pieces;
}

std::string MemberSection(int n) { return "STRUCT.MEMB" + std::to_string(n); }

// The member number of a "STRUCT.MEMB<n>" text, or 0 when it names no member.
int MemberNumberOf(const std::string& section) {
  int n = 0;
  char tail = 0;
  if (std::sscanf(section.c_str(), "STRUCT.MEMB%d%c", &n, &tail) != 1)
    return 0;
  return n >= 1 && n <= CProjDoc::kCfgMembers ? n : 0;
}

bool ReadInteger(const std::string& text, long& value) {
  int32_t read = 0;
  if (!ReadCInteger32(text, read))
    return false;
  value = read;
  return true;
}

const CKivoValueDef* ExactValue(const CKivoVarDef* def, const std::string& name) {
  if (!def)
    return nullptr;
  for (const auto& value : def->values)
    if (value->name == name)
      return value.get();
  return nullptr;
}

// The number a STAC enable field stands for; false when its text does not read.
bool FieldNumber(const CKivoVarValue& field, long& number) {
  if (const CKivoValueDef* value = ExactValue(field.def, field.valueName)) {
    if (value->takesArg)
      return ReadInteger(field.argument, number);
    number = value->number;
    return true;
  }
  return ReadInteger(field.valueName, number);
}

void ResetToFirstValue(CKivoVarValue& field) {
  if (field.def && !field.def->values.empty()) {
    const CKivoValueDef& first = *field.def->values.front();
    field.Set(first.name, first.takesArg ? "0" : "");
  } else {
    field.Set("0", "");
  }
}

bool IsReadOnlyFile(const std::string& path) {
  std::error_code error;
  fs::file_status status = fs::status(path, error);
  if (error || !fs::exists(status))
    return false;
  return (status.permissions() & fs::perms::owner_write) == fs::perms::none;
}

// A target that exists and is not a regular file (a FIFO, a device, a folder)
// would be replaced by a file of the same name, so the save stops at it.
bool IsSpecialFile(const std::string& path) {
  std::error_code error;
  fs::file_status status = fs::status(path, error);
  return !error && fs::exists(status) && !fs::is_regular_file(status);
}

bool IsExistingFile(const std::string& path) {
  std::error_code error;
  return fs::exists(path, error) && !fs::is_directory(path, error);
}

std::string CatalogPrintf(int id, const std::vector<CPrintfArg>& args) {
  return FormatPrintfText(CatalogText(id), args);
}

}  // namespace

// ---- Lifecycle

CProjDoc::CProjDoc(const CKnowledgeBase& kb, const CCommandLineOptions* options, CNotesModel* notes)
    : m_kb(&kb), m_options(options), m_notes(notes) {
  DeleteContents();
}

CProjDoc::~CProjDoc() = default;

bool CProjDoc::OnNewDocument() {
  DeleteContents();
  ClearHistory();
  SetModifiedFlag(false);
  ApplyCommandLine();
  DeriveEngineFrequencies(-1);
  return true;
}

void CProjDoc::DeleteContents() {
  m_strCpu.clear();
  // A fresh record first: without a generic entry the reset would keep the
  // previous processor's template name.
  m_cpu = CKivoCpu();
  m_cpu.ResetToGeneric(m_kb->cpuDb);
  if (m_notes)
    for (const auto& func : m_funcs)
      m_notes->RemoveNotes(func.get());
  m_funcs.clear();
  m_engine[0] = CEngine{};
  m_engine[1] = CEngine{};
  m_nSysClk = m_cpu.systemClock;
  m_nPtbClk = m_cpu.peripheralTimebaseClock;
  m_bCpuCmdLine = false;
  m_bSysClkCmdLine = false;
  m_bPtbClkCmdLine = false;
  m_bCmdLineLock = false;
  m_strVerbatim.clear();
  m_strFSetInclude.clear();
  m_kept.Clear();
  m_bExternDecls = true;
  m_pFSet = nullptr;
  ResetCfgMembers();
  BuildCombinations();
  PullCombinations();
}

bool CProjDoc::OnOpenDocument(const std::string& path) {
  std::string cPath, hPath;
  DerivePaths(path, cPath, hPath);
  if (!IsExistingFile(cPath)) {
    ShowMessage(4000, EMessageKind::Warning, {cPath});
    return false;
  }
  if (!IsExistingFile(hPath)) {
    ShowMessage(4001, EMessageKind::Warning, {hPath});
    return false;
  }
  DeleteContents();
  SetModifiedFlag(true);
  bool read = ReadProjectFiles(cPath, hPath);
  MarkAgreeingPresumedSettings();
  ClearHistory();
  SetModifiedFlag(false);
  ApplyCommandLine();
  NotifyChanged(-1);
  return read;
}

bool CProjDoc::OnSaveDocument(const std::string& path) {
  UpdateViews(kHintStoreControls);
  std::string cPath, hPath;
  DerivePaths(path, cPath, hPath);
  for (const std::string* target : {&cPath, &hPath}) {
    if (IsSpecialFile(*target)) {
      ShowFileError(*target, "not a regular file");
      return false;
    }
    if (IsReadOnlyFile(*target)) {
      ShowMessage(4033, EMessageKind::Warning, {*target});
      return false;
    }
  }
  NotifyChanged(-1);
  PushCombinations();
  // A failed save keeps the flag, so the user is still asked before the edits are lost.
  if (!GenerateProjectFiles(cPath, hPath))
    return false;
  SetModifiedFlag(false);
  return true;
}

void CProjDoc::DerivePaths(const std::string& path, std::string& outC, std::string& outH) {
  std::error_code error;
  fs::path given(path);
  std::string extension = given.extension().string();
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  if (fs::is_directory(given, error)) {
    outC = (given / kDefaultCName).string();
    outH = (given / kDefaultHName).string();
  } else if (extension == ".h") {
    outC = fs::path(given).replace_extension(".c").string();
    outH = path;
  } else {
    outC = path;
    outH = fs::path(given).replace_extension(".h").string();
  }
  // The header is looked for beside the name the user gave, never beside the
  // file a link names: a project whose source is a link into another tree has
  // its header here, and the file beside the link's target, if there is one,
  // belongs to something else.
}

void CProjDoc::ApplyCommandLine() {
  if (m_options) {
    std::string value;
    if (LookupOption(*m_options, "CPU", value)) {
      m_bCpuCmdLine = true;
      m_strCpu = value;
      // The record must follow the name, or the engines and templates of
      // another processor would be written under this processor's name.
      m_cpu.Select(m_kb->cpuDb, m_strCpu);
    }
    // A zero system clock is refused where it enters: written as OFF, it
    // would not read back. The project keeps its own, and the page stays open to change it.
    uint32_t sysClk = 0;
    if (LookupOption(*m_options, "SYSCLK", value)) {
      if (ParseFrequency(value, &sysClk, 'M') && sysClk == 0) {
        ShowMessage(kMsgZeroSysClk, EMessageKind::Warning);
      } else {
        m_bSysClkCmdLine = true;
        ParseFrequency(value, &m_nSysClk, 'M');
      }
    }
    if (LookupOption(*m_options, "PTBCLK", value)) {
      m_bPtbClkCmdLine = true;
      ParseFrequency(value, &m_nPtbClk, 'M');
    }
  }
  m_bCmdLineLock = m_bCpuCmdLine || m_bSysClkCmdLine || m_bPtbClkCmdLine;
  if (m_bCmdLineLock != m_lockAnnounced) {
    m_lockAnnounced = m_bCmdLineLock;
    if (m_observer)
      m_observer->OnCommandLineLockChanged(*this);
  }
}

void CProjDoc::SetModifiedFlag(bool modified) {
  if (!modified)
    m_history.MarkSaved();
  else if (m_history.AtSavedState())
    m_history.ForgetSaved();
  SetModifiedMark(modified);
}

void CProjDoc::SetModifiedMark(bool modified) {
  if (modified == m_bModified)
    return;
  m_bModified = modified;
  if (m_observer)
    m_observer->OnModifiedChanged(*this);
}

// ---- The function list

bool CProjDoc::HasEngine(int engine) const {
  return engine >= 0 && engine < std::min(m_cpu.engines, 2);
}

bool CProjDoc::AddFunction(std::unique_ptr<CFuncInfo> func) {
  if (!func || (func->engine >= 0 && !HasEngine(func->engine)))
    return false;
  AdoptReadFunction(std::move(func));
  SetModifiedFlag();
  return true;
}

void CProjDoc::AdoptReadFunction(std::unique_ptr<CFuncInfo> func) {
  if (!func)
    return;
  func->doc = this;
  m_funcs.push_back(std::move(func));
}

std::unique_ptr<CProjDoc::CFuncInfo> CProjDoc::RemoveFunction(const CFuncInfo* func,
                                                              bool showMessages) {
  std::unique_ptr<CFuncInfo> removed = DetachFunction(func, showMessages);
  if (removed)
    SetModifiedFlag();
  return removed;
}

std::unique_ptr<CProjDoc::CFuncInfo> CProjDoc::ReplaceFunction(const CFuncInfo* oldFunc,
                                                               std::unique_ptr<CFuncInfo> newFunc,
                                                               bool showMessages) {
  std::unique_ptr<CFuncInfo> replaced = SwapFunction(oldFunc, std::move(newFunc), showMessages);
  if (replaced)
    SetModifiedFlag();
  return replaced;
}

std::unique_ptr<CProjDoc::CFuncInfo> CProjDoc::DetachFunction(const CFuncInfo* func,
                                                              bool showMessages) {
  auto found = std::find_if(m_funcs.begin(), m_funcs.end(),
                            [func](const auto& f) { return f.get() == func; });
  if (found == m_funcs.end())
    return nullptr;
  CChannelLinks links;
  CollectChannelLinks(links);
  std::unique_ptr<CFuncInfo> removed = TakeOutFunction(found);
  UpdateChannelLinks(links, showMessages, removed.get(), nullptr);
  return removed;
}

std::unique_ptr<CProjDoc::CFuncInfo> CProjDoc::TakeOutFunction(
    std::vector<std::unique_ptr<CFuncInfo>>::iterator found) {
  auto position = static_cast<std::size_t>(found - m_funcs.begin());
  for (CKeptCall& kept : m_kept.calls)
    if (kept.anchor > position)
      --kept.anchor;
  std::unique_ptr<CFuncInfo> removed = std::move(*found);
  m_funcs.erase(found);
  if (m_notes)
    m_notes->RemoveNotes(removed.get());
  return removed;
}

std::unique_ptr<CProjDoc::CFuncInfo> CProjDoc::SwapFunction(const CFuncInfo* oldFunc,
                                                            std::unique_ptr<CFuncInfo> newFunc,
                                                            bool showMessages) {
  auto found = std::find_if(m_funcs.begin(), m_funcs.end(),
                            [oldFunc](const auto& f) { return f.get() == oldFunc; });
  if (found == m_funcs.end() || !newFunc)
    return nullptr;
  CChannelLinks links;
  CollectChannelLinks(links);
  newFunc->doc = this;
  CFuncInfo* replacement = newFunc.get();
  std::unique_ptr<CFuncInfo> replaced = std::move(*found);
  *found = std::move(newFunc);
  if (m_notes)
    m_notes->ReplaceNoteOwner(replaced.get(), replacement);
  UpdateChannelLinks(links, showMessages, replaced.get(), replacement);
  return replaced;
}

CProjDoc::CFuncInfo* CProjDoc::FindChannelUser(int engine, int channel,
                                               CChannInfo** outChannel) const {
  for (const auto& func : m_funcs) {
    if (func->engine != engine)
      continue;
    for (const auto& chan : func->channels) {
      if (chan->number != channel)
        continue;
      if (outChannel)
        *outChannel = chan.get();
      return func.get();
    }
  }
  if (outChannel)
    *outChannel = nullptr;
  return nullptr;
}

// A call kept as written still holds its instance's number, so the functions
// after it keep their names and the defines its text uses keep their channels.
int CProjDoc::GetInstanceIndex(const CFuncInfo* func, int& outCount) const {
  outCount = 0;
  int index = -1;
  if (!func)
    return index;
  auto keptBefore = [&](std::size_t position) {
    int count = 0;
    for (const CKeptCall& kept : m_kept.calls)
      if (kept.function && kept.function == func->function && kept.anchor <= position)
        ++count;
    return count;
  };
  for (std::size_t i = 0; i < m_funcs.size(); ++i) {
    const auto& other = m_funcs[i];
    if (other->function != func->function)
      continue;
    if (other.get() == func)
      index = outCount + keptBefore(i);
    ++outCount;
  }
  outCount += keptBefore(SIZE_MAX);
  return index;
}

// ---- Notifications

void CProjDoc::NotifyChanged(int engine) {
  DeriveEngineFrequencies(engine);
  UpdateViews(engine < 0 ? kHintAllEngines : engine + kHintEngineA);
  for (const auto& func : m_funcs) {
    if (!func->IsApi() || (engine >= 0 && func->engine != engine))
      continue;
    static_cast<CFuncInfo_Api&>(*func).ComputeLoad(false);
  }
}

void CProjDoc::DeriveEngineFrequencies(int engine) {
  for (int index = 0; index < 2; ++index) {
    if (engine >= 0 && engine != index)
      continue;
    // An engine the processor does not have runs nothing.
    CEngineDerived derived;
    if (index < m_cpu.engines)
      derived = DeriveEngine(*this, index).derived;
    m_engine[index].tcr1Freq = derived.tcr1Freq;
    m_engine[index].tcr2Freq = derived.tcr2Freq;
  }
}

void CProjDoc::UpdateViews(int hint) {
  if (!m_observer)
    return;
  // A view that stores into the project while it is told of a change would
  // otherwise tell the views again before all of them heard the first news.
  if (m_updating) {
    m_pendingHints.push_back(hint);
    return;
  }
  m_updating = true;
  m_observer->OnProjectUpdate(*this, hint);
  while (!m_pendingHints.empty()) {
    int next = m_pendingHints.front();
    m_pendingHints.erase(m_pendingHints.begin());
    m_observer->OnProjectUpdate(*this, next);
  }
  m_updating = false;
}

// ---- The configuration record

void CProjDoc::ResetCfgMembers() {
  for (int n = 1; n <= kCfgMembers; ++n) {
    CKivoVarValueSet& member = CfgMember(n);
    member.Build(m_kb->cfgDesc, MemberSection(n));
    member.ResetToDefaults();
  }
}

void CProjDoc::BuildCombinations() {
  m_combinations.clear();
  const CIniSection* section = m_kb->cfgDesc.FindSection("COMBINED_VALUES");
  if (!section)
    return;
  for (int n = 0;; ++n) {
    std::string key = "combination" + std::to_string(n);
    std::string types = section->GetValue(key + "_types");
    std::string links = section->GetValue(key + "_links");
    if (types.empty() || links.empty())
      break;
    auto combined = std::make_unique<CKivoVarValue>(m_kb->cfgDesc.FindDefBySection(types));
    std::vector<std::string> typePieces = SplitAt(types, ",");
    std::vector<std::string> linkPieces = SplitAt(links, ",");
    for (std::size_t i = 0; i < typePieces.size() && i < linkPieces.size(); ++i) {
      int member = MemberNumberOf(Trim(linkPieces[i]));
      CKivoVarValue* field = member ? CfgMember(member).Get(Trim(typePieces[i]), false) : nullptr;
      // A gap would hand later pieces of the combined text to the wrong fields.
      if (!field)
        break;
      combined->members.push_back(field);
    }
    m_combinations[key] = std::move(combined);
  }
}

void CProjDoc::PushCombinations() {
  for (auto& [key, combined] : m_combinations) {
    std::vector<std::string> pieces = SplitAt(combined->valueName, ",");
    for (std::size_t i = 0; i < pieces.size() && i < combined->members.size(); ++i) {
      CKivoVarValue& field = *combined->members[i];
      std::string piece = Trim(pieces[i]);
      const CKivoValueDef* value = field.def ? field.def->FindValue(piece, true) : nullptr;
      if (!value) {
        field.valueName = piece;
        continue;
      }
      field.valueName = value->name;
      if (value->takesArg)
        field.argument = piece;
    }
  }
}

void CProjDoc::PullCombinations() {
  for (auto& [key, combined] : m_combinations) {
    std::string joined;
    for (std::size_t i = 0; i < combined->members.size(); ++i)
      joined += (i ? "," : "") + combined->members[i]->valueName;
    const CKivoValueDef* value = combined->def ? combined->def->FindValue(joined, true) : nullptr;
    if (!value) {
      combined->valueName = joined;
      continue;
    }
    combined->valueName = value->name;
    if (value->takesArg)
      combined->argument = joined;
  }
}

std::string CProjDoc::CfgMemberText(int n) const {
  if (n < 1 || n > kCfgMembers || (IsEngineBMember(n) && m_cpu.engines < 2))
    return "0";
  std::string text;
  CfgMember(n).Format(text, m_cpu.isKivo2 != 0);
  return text.empty() ? "0" : text;
}

bool CProjDoc::CheckCpuChange(const CKivoCpu& newCpu, bool apply, std::string* outText,
                              std::vector<CCpuCollision>* outCollisions) {
  std::vector<CCpuCollision> collisions;
  std::vector<const CFuncInfo*> homeless;
  for (const auto& func : m_funcs)
    if (func->engine >= newCpu.engines)
      homeless.push_back(func.get());
  if (!homeless.empty()) {
    int count = static_cast<int>(homeless.size());
    collisions.push_back({4504, -1, 0,
                          CatalogPrintf(4504, {PArg(count), PArg(count == 1 ? "" : "s"),
                                               PArg(count == 1 ? "s" : "")})});
    if (apply)
      for (const CFuncInfo* func : homeless)
        DetachFunction(func, true);
  }
  if (!newCpu.stacBusAvailable) {
    for (int engine = 0; engine < newCpu.engines && engine < 2; ++engine) {
      CKivoVarValueSet& member = CfgMember(engine == 0 ? 5 : 8);
      for (int tcr = 1; tcr <= 2; ++tcr) {
        CKivoVarValue* field = member.Find("STACCR.REN" + std::to_string(tcr));
        long number = 0;
        if (!field || !FieldNumber(*field, number) || number <= 0)
          continue;
        if (apply)
          ResetToFirstValue(*field);
        collisions.push_back(
            {4505, engine, tcr, CatalogPrintf(4505, {PArg(tcr), PArg(static_cast<char>('A' + engine))})});
      }
    }
  }
  if (outText) {
    outText->clear();
    for (const CCpuCollision& collision : collisions)
      *outText += (outText->empty() ? "" : "\n") + collision.text;
  }
  const bool fits = collisions.empty();
  if (outCollisions)
    *outCollisions = std::move(collisions);
  return fits;
}

// ---- Channel checks

bool CProjDoc::CheckChannels(const CFuncInfo& edited, const CFuncInfo* original) const {
  std::string text;
  int id = FindChannelProblem(edited, original, text);
  if (id == 0)
    return true;
  ShowText(id, EMessageKind::Warning, text);
  return false;
}

bool CProjDoc::CheckChannels(const CFuncInfo& edited, const CFuncInfo* original,
                             std::string& outText) const {
  outText.clear();
  return FindChannelProblem(edited, original, outText) == 0;
}

int CProjDoc::FindChannelProblem(const CFuncInfo& edited, const CFuncInfo* original,
                                 std::string& outText) const {
  for (const auto& chan : edited.channels) {
    int number = chan->number;
    if (number < 0 || number > kMaxChannel) {
      outText = CatalogPrintf(4031, {PArg(number)});
      return 4031;
    }
    for (const auto& func : m_funcs) {
      if (func.get() == original || func.get() == &edited || func->engine != edited.engine)
        continue;
      for (const auto& other : func->channels) {
        if (other->number != number)
          continue;
        outText = CatalogPrintf(4020, {PArg(number), PArg(func->InstanceName()), PArg(other->name)});
        return 4020;
      }
    }
    for (const auto& twin : edited.channels) {
      if (twin != chan && twin->number == number) {
        outText = CatalogPrintf(4037, {PArg(number), PArg(chan->name), PArg(twin->name)});
        return 4037;
      }
    }
  }
  return 0;
}

// ---- One configured function

CProjDoc::CFuncInfo::~CFuncInfo() = default;

CProjDoc::CFuncInfo::CFuncInfo(const CFuncInfo& other)
    : CNotesOwner(),
      doc(other.doc),
      function(other.function),
      engine(other.engine),
      assignLabel(other.assignLabel) {
  CopyChannelsFrom(other);
}

void CProjDoc::CFuncInfo::CopyChannelsFrom(const CFuncInfo& other) {
  channels.clear();
  for (const auto& chan : other.channels) {
    auto copy = std::make_unique<CChannInfo>(*chan);
    copy->owner = this;
    channels.push_back(std::move(copy));
  }
}

void CProjDoc::CFuncInfo::GetChannelName(std::string& outText, const CChannInfo* channel,
                                         bool force) const {
  int count = 0;
  int index = doc ? doc->GetInstanceIndex(this, count) : -1;
  std::string name = function ? function->name : std::string();
  if (!channel) {
    // A copy outside the list has no index yet; its bare name reads better than "-1".
    outText = count > 1 && index >= 0 ? name + std::to_string(index) : name;
    return;
  }
  if (index < 0 && !force) {
    outText = "_INVALID_CHANNEL";
    return;
  }
  std::string suffix = function && function->hasApi ? "_" + channel->name : std::string();
  std::string text = index >= 0 ? name + std::to_string(index) + suffix : name + "#" + suffix;
  for (char& c : text)
    c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  std::replace(text.begin(), text.end(), '#', 'x');
  outText = text;
}

CProjDoc::CChannInfo* CProjDoc::CFuncInfo::FindChannelByName(const std::string& name) const {
  for (const auto& chan : channels)
    if (ChannelDefineName(*chan) == name)
      return chan.get();
  return nullptr;
}

void CProjDoc::CFuncInfo::GetApiIncludes(std::vector<std::string>&,
                                         std::vector<std::string>&) const {}

bool CProjDoc::CFuncInfo::ShowInChannels(long) {
  if (!IsApi() || !doc || !doc->m_observer)
    return false;
  return doc->m_observer->ShowChannelsPage(*doc, engine);
}

std::string CProjDoc::CFuncInfo::InstanceName() const {
  std::string text;
  GetChannelName(text);
  return text;
}

std::string CProjDoc::CFuncInfo::ChannelDefineName(const CChannInfo& channel, bool force) const {
  std::string text;
  GetChannelName(text, &channel, force);
  return text;
}

int CProjDoc::CFuncInfo::LowestChannel() const {
  int lowest = -1;
  for (const auto& chan : channels)
    if (lowest < 0 || chan->number < lowest)
      lowest = chan->number;
  return lowest;
}

// ---- Load inputs

std::string CProjDoc::CLoadVarVals::ToText() const {
  std::string text;
  for (const auto& [name, value] : values)
    text += "  " + name + "=" + value + ";\n";
  return text;
}

void CProjDoc::CLoadVarVals::FromText(const std::string& text) {
  for (const std::string& piece : SplitAt(text, ";\n")) {
    std::vector<std::string> parts = SplitAt(piece, "=");
    if (parts.size() != 2)
      continue;
    std::string name = Trim(parts[0]);
    std::string value = Trim(parts[1]);
    if (!name.empty() && !value.empty())
      values[name] = value;
  }
}

// ---- Functions with a C API

CProjDoc::CFuncInfo_Api::~CFuncInfo_Api() = default;

CProjDoc::CFuncInfo_Api::CFuncInfo_Api(const CFuncInfo_Api& other)
    : CFuncInfo(other),
      CExprResolver(),
      initFunc(other.initFunc),
      assign(other.assign),
      loadInputs(other.loadInputs),
      hasLoadInputs(other.hasLoadInputs) {
  for (const auto& [param, info] : other.params)
    params[param] = std::make_unique<CParamInfo>(*info);
}

std::unique_ptr<CProjDoc::CFuncInfo> CProjDoc::CFuncInfo_Api::Clone() const {
  return std::unique_ptr<CFuncInfo>(new CFuncInfo_Api(*this));
}

CProjDoc::CParamInfo* CProjDoc::CFuncInfo_Api::FindParam(const std::string& name) const {
  for (const auto& [param, info] : params)
    if (param && param->name == name)
      return info.get();
  return nullptr;
}

// ---- Functions without a C API

CProjDoc::CFuncInfo_NonApi::~CFuncInfo_NonApi() = default;

CProjDoc::CFuncInfo_NonApi::CFuncInfo_NonApi(const CFuncInfo_NonApi& other) : CFuncInfo(other) {
  for (int n = 0; n < kGroups; ++n)
    groups[n] = other.groups[n];
  for (const auto& param : other.rawParams)
    rawParams.push_back(std::make_unique<CParamInfo>(*param));
}

std::unique_ptr<CProjDoc::CFuncInfo> CProjDoc::CFuncInfo_NonApi::Clone() const {
  return std::unique_ptr<CFuncInfo>(new CFuncInfo_NonApi(*this));
}

// Raw parameters are named as the dialog lists them: "Parameter 1" is the first.
CProjDoc::CParamInfo* CProjDoc::CFuncInfo_NonApi::FindParam(const std::string& name) const {
  int number = 0;
  char tail = 0;
  if (std::sscanf(name.c_str(), "Parameter %d%c", &number, &tail) != 1)
    return nullptr;
  if (number < 1 || number > static_cast<int>(rawParams.size()))
    return nullptr;
  return rawParams[number - 1].get();
}

void CProjDoc::CFuncInfo_NonApi::InitDefaults(int startChannel) {
  channels.clear();
  auto chan = std::make_unique<CChannInfo>();
  chan->owner = this;
  chan->name = "channel";
  chan->number = startChannel;
  channels.push_back(std::move(chan));
  for (int n = 1; n <= kGroups; ++n) {
    // Without a document the groups can only be rebuilt from the description they came from.
    const CKivoCfgDesc* desc = doc ? &doc->Kb().cfgDesc : Group(n).Description();
    if (desc)
      Group(n).Build(*desc, "FNAPI.GRP" + std::to_string(n));
    Group(n).ResetToDefaults();
  }
  rawParams.clear();
  assignLabel.clear();
}
