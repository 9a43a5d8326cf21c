// The project's edit operations, the new-function factory and undo/redo over images of the project.
#include <algorithm>
#include <utility>

#include "base/messagecatalog.h"
#include "base/ports.h"
#include "base/recordingports.h"
#include "base/texthelpers.h"
#include "knowledge/kbtext.h"
#include "project/cpurules.h"
#include "project/enginerules.h"
#include "project/notesmodel.h"
#include "project/presumedsettings.h"
#include "project/projdoc.h"

namespace {

// The names of the undo steps.
enum EStepName {
  kStepProcessor = 600,
  kStepClocks = 601,
  kStepFunctionSet = 602,
  kStepModule = 603,
  kStepEngineA = 604,
  kStepEngineB = 605,
  kStepAdd = 606,
  kStepChange = 607,
  kStepRemoveOne = 608,
  kStepRemoveMany = 609,
  kStepMasksA = 610,
  kStepMasksB = 611,
  kStepLoadInputs = 612,
  kStepVerbatim = 613,
  kStepExternDecls = 614,
  kStepFunctionSetPage = 615,
  kStepPresumed = 616,
};

constexpr int kMsgCollides = 4503;
constexpr int kMsgChangeSet = 4502;
constexpr int kMsgSysClkTooHigh = 4035;
constexpr int kMsgNoSuchEngine = 4095;
constexpr const char* kChanInitName = "hv_kivo_chan_init";

std::string StepName(int id, const std::vector<std::string>& args = {}) {
  return FormatMessageText(CatalogText(id), args);
}

// The ports of the moment with a messages port that keeps what it is told to
// itself: images are written and read back without the user hearing of it.
class CQuietMessages {
 public:
  CQuietMessages() : m_scope(CPorts{&m_port, CurrentPorts().progress, CurrentPorts().settings}) {}

 private:
  CRecordingMessagePort m_port;
  CScopedPorts m_scope;
};

bool SameTexts(const CKivoVarValue& a, const CKivoVarValue& b) {
  return a.valueName == b.valueName && a.argument == b.argument;
}

bool SameTexts(const CKivoVarValueSet& a, const CKivoVarValueSet& b) {
  const auto& left = a.Entries();
  const auto& right = b.Entries();
  if (left.size() != right.size())
    return false;
  for (std::size_t i = 0; i < left.size(); ++i)
    if (left[i].section != right[i].section || !SameTexts(*left[i].value, *right[i].value))
      return false;
  return true;
}

// Members 1 and 2 belong to the whole module; the others to engine A or B.
bool MemberOfEngine(int n, int engine) {
  if (engine < 0)
    return n <= 2;
  return n > 2 && CProjDoc::IsEngineBMember(n) == (engine == 1);
}

std::string NormalLineEnds(const std::string& text) {
  return ReplaceAll(ReplaceAll(text, "\r\n", "\n"), "\n", "\r\n");
}

// A function on an engine the processor lacks is refused (4095).
bool CheckEngineOf(const CProjDoc& doc, const CProjDoc::CFuncInfo& func) {
  if (doc.HasEngine(func.engine))
    return true;
  std::string engine = func.engine < 0 ? std::string("?") : std::string(1, func.engine == 0 ? 'A' : 'B');
  ShowMessage(kMsgNoSuchEngine, EMessageKind::Warning,
              {doc.m_strCpu, engine, func.function ? func.function->name : std::string()});
  return false;
}

}  // namespace

// ---- Steps

struct CProjDoc::CGroupState {
  int nameId = 0;
  bool started = false;
  bool imaged = false;
  CProjectImage before;
  std::vector<std::string> names;
  std::vector<int> hints;
};

// One operation's step: the image before it is taken before anything changes.
class CProjDoc::CEditStep {
 public:
  explicit CEditStep(CProjDoc& doc) : m_doc(doc) {
    if (CGroupState* group = doc.m_group) {
      if (!group->started) {
        group->started = true;
        group->imaged = doc.TakeImage(group->before);
      }
      return;
    }
    m_imaged = doc.TakeImage(m_before);
  }

  void Commit(std::string name, int hint) {
    if (CGroupState* group = m_doc.m_group) {
      group->names.push_back(std::move(name));
      group->hints.push_back(hint);
      return;
    }
    m_doc.FinishStep(std::move(name), m_imaged, std::move(m_before), {hint});
  }

 private:
  CProjDoc& m_doc;
  bool m_imaged = false;
  CProjectImage m_before;
};

CProjDoc::CEditGroup::CEditGroup(CProjDoc& doc, int nameId)
    : m_doc(doc), m_state(std::make_unique<CGroupState>()), m_outer(doc.m_group) {
  m_state->nameId = nameId;
  doc.m_group = m_state.get();
}

CProjDoc::CEditGroup::~CEditGroup() {
  m_doc.m_group = m_outer;
  CGroupState& state = *m_state;
  if (m_outer) {
    // An inner group is part of the outer one's step.
    if (!m_outer->started && state.started) {
      m_outer->started = true;
      m_outer->imaged = state.imaged;
      m_outer->before = std::move(state.before);
    }
    m_outer->names.insert(m_outer->names.end(), state.names.begin(), state.names.end());
    m_outer->hints.insert(m_outer->hints.end(), state.hints.begin(), state.hints.end());
    return;
  }
  if (state.names.empty())
    return;
  std::string name = state.names.size() == 1 ? state.names.front() : StepName(state.nameId);
  m_doc.FinishStep(std::move(name), state.imaged, std::move(state.before), state.hints);
}

void CProjDoc::FinishStep(std::string name, bool imaged, CProjectImage before, std::vector<int> hints) {
  // Everything may have changed covers the rest.
  if (std::find(hints.begin(), hints.end(), int(kHintEverything)) != hints.end())
    hints = {kHintEverything};
  std::vector<int> distinct;
  for (int hint : hints)
    if (std::find(distinct.begin(), distinct.end(), hint) == distinct.end())
      distinct.push_back(hint);
  for (int hint : distinct)
    Recompute(hint);
  CProjectImage after;
  if (imaged && TakeImage(after)) {
    m_history.Record({std::move(name), std::move(before), std::move(after)});
  } else {
    // Without images nothing before this step can be brought back.
    m_history.Clear();
    m_history.ForgetSaved();
  }
  SetModifiedMark(!m_history.AtSavedState());
  for (int hint : distinct)
    UpdateViews(hint);
  AnnounceHistory();
}

void CProjDoc::Recompute(int hint) {
  int engine = hint == kHintEngineA ? 0 : hint == kHintEngineB ? 1 : -1;
  DeriveEngineFrequencies(engine);
  for (const auto& func : m_funcs)
    if (func->IsApi() && (engine < 0 || func->engine == engine))
      static_cast<CFuncInfo_Api&>(*func).ComputeLoad(false);
}

bool CProjDoc::TakeImage(CProjectImage& outImage) {
  CQuietMessages quiet;
  outImage.fsetInclude = m_strFSetInclude;
  outImage.marks = MarkedFields();
  return GenerateProjectTexts(kDefaultHName, outImage.source, outImage.header);
}

// What the pair does not hold stays as it is: the command line's values and
// lock, and which notes the user has seen.
void CProjDoc::RestoreImage(const CProjectImage& image) {
  const bool cpuCmdLine = m_bCpuCmdLine;
  const bool sysClkCmdLine = m_bSysClkCmdLine;
  const bool ptbClkCmdLine = m_bPtbClkCmdLine;
  const bool cmdLineLock = m_bCmdLineLock;
  std::vector<CNotesModel::CEntry> notes;
  if (m_notes)
    notes = m_notes->Entries();
  {
    CQuietMessages quiet;
    DeleteContents();
    ReadProjectTexts(image.source, image.header);
  }
  m_bCpuCmdLine = cpuCmdLine;
  m_bSysClkCmdLine = sysClkCmdLine;
  m_bPtbClkCmdLine = ptbClkCmdLine;
  m_bCmdLineLock = cmdLineLock;
  m_strFSetInclude = image.fsetInclude;
  SetMarks(image.marks);
  if (m_notes)
    m_notes->KeepStates(notes);
  Recompute(kHintEverything);
  UpdateViews(kHintEverything);
}

bool CProjDoc::Undo() {
  const CUndoHistory::CStep* step = m_history.Undo();
  if (!step)
    return false;
  RestoreImage(step->before);
  SetModifiedMark(!m_history.AtSavedState());
  AnnounceHistory();
  return true;
}

bool CProjDoc::Redo() {
  const CUndoHistory::CStep* step = m_history.Redo();
  if (!step)
    return false;
  RestoreImage(step->after);
  SetModifiedMark(!m_history.AtSavedState());
  AnnounceHistory();
  return true;
}

void CProjDoc::ClearHistory() {
  m_history.Clear();
  AnnounceHistory();
}

void CProjDoc::AnnounceHistory() {
  if (m_observer)
    m_observer->OnUndoHistoryChanged(*this);
}

// ---- The new-function factory

std::unique_ptr<CProjDoc::CFuncInfo> CProjDoc::NewFunction(const CKivoFunc& func, int engine, int startChannel,
                                                           const CKivoInitFunc* init) {
  if (!init && !func.initFuncs.empty())
    init = func.initFuncs.front().get();
  std::unique_ptr<CFuncInfo> info;
  if (func.hasApi && init) {
    auto api = std::make_unique<CFuncInfo_Api>();
    api->initFunc = init;
    info = std::move(api);
  } else {
    info = std::make_unique<CFuncInfo_NonApi>();
  }
  info->doc = this;
  info->function = &func;
  info->engine = engine;
  info->InitDefaults(startChannel);
  return info;
}

std::unique_ptr<CProjDoc::CFuncInfo> CProjDoc::NewFunctionForInitCall(const std::string& initName) {
  std::unique_ptr<CFuncInfo> info;
  if (initName == kChanInitName)
    info = std::make_unique<CFuncInfo_NonApi>();
  else
    info = std::make_unique<CFuncInfo_Api>();
  info->doc = this;
  return info;
}

// ---- Processor and function set

bool CProjDoc::SetProcessor(const CCpuChoice& choice, bool interactive, int* outRefusal) {
  return ChangeProcessor(choice, false, interactive, outRefusal);
}

bool CProjDoc::FitToProcessor(int* outRefusal) {
  return ChangeProcessor({m_strCpu, m_nSysClk, m_nPtbClk}, true, true, outRefusal);
}

// Everything is checked before anything changes: a refusal leaves the project as it was.
bool CProjDoc::ChangeProcessor(const CCpuChoice& choice, bool recheck, bool interactive, int* outRefusal) {
  auto refuse = [outRefusal](int message) {
    if (outRefusal)
      *outRefusal = message;
    return false;
  };
  CKivoCpu newCpu = CpuRecordFor(*this, choice.name);
  bool newProcessor = choice.name != m_strCpu || !(newCpu == m_cpu);
  bool collides = false;
  if (newProcessor || recheck) {
    std::string collisions;
    collides = !CheckCpuChange(newCpu, false, &collisions);
    if (collides && (!interactive || !AskYesNo(kMsgCollides, {collisions})))
      return refuse(kMsgCollides);
  }
  uint32_t ptbClk = newCpu.peripheralTimebaseAvailable ? choice.ptbClk : 0;
  uint32_t checkedPtb = ptbClk;
  if (int problem = FindCpuClockProblem(newCpu, choice.sysClk, checkedPtb)) {
    bool clockFixed = problem == kMsgSysClkTooHigh ? m_bSysClkCmdLine : m_bPtbClkCmdLine;
    if (interactive)
      ShowMessage(problem, EMessageKind::Warning);
    if (!(m_bCpuCmdLine && clockFixed))
      return refuse(problem);
  }
  if (!newProcessor && !collides && choice.sysClk == m_nSysClk && ptbClk == m_nPtbClk)
    return true;
  std::vector<std::string> presumedBefore;
  for (const CPresumedField& field : PresumedFields(*this))
    presumedBefore.push_back(field.Key());
  CEditStep step(*this);
  if (collides)
    CheckCpuChange(newCpu, true);
  m_strCpu = choice.name;
  m_cpu = newCpu;
  m_nSysClk = choice.sysClk;
  m_nPtbClk = ptbClk;
  // Fields the new processor writes and the old one did not take what the set
  // presumes of them; the marks of fields it no longer writes go, as a saved
  // file would lose them.
  std::vector<std::string> presumedNew;
  for (const CPresumedField& field : PresumedFields(*this))
    if (std::find(presumedBefore.begin(), presumedBefore.end(), field.Key()) == presumedBefore.end())
      presumedNew.push_back(field.Key());
  std::vector<std::string> kept;
  for (int n = 1; n <= kCfgMembers; ++n)
    for (const auto& entry : CfgMember(n).Entries())
      if (entry.value->highlight && !(IsEngineBMember(n) && m_cpu.engines < 2) &&
          !(CfgMember(n).IsKivo2Only(entry.value.get()) && !m_cpu.isKivo2))
        kept.push_back(std::to_string(n) + ":" + entry.section);
  SetMarks(kept);
  if (!presumedNew.empty())
    PutPresumedSettings(&presumedNew, false);
  step.Commit(StepName(newProcessor || collides ? kStepProcessor : kStepClocks),
              collides ? kHintEverything : kHintAllEngines);
  return true;
}

bool CProjDoc::SelectFunctionSet(const CKivoFSet* set, bool interactive) {
  if (set == m_pFSet)
    return true;
  // Clearing the user's functions needs the user's word; calls kept as
  // written belong to the set they were read with and go with them.
  if ((!m_funcs.empty() || !m_kept.Empty()) && (!interactive || !AskYesNo(kMsgChangeSet)))
    return false;
  CEditStep step(*this);
  while (!m_funcs.empty())
    DetachFunction(m_funcs.back().get(), false);
  m_kept.Clear();
  m_pFSet = set;
  m_strFSetInclude = set ? set->relativePath : std::string();
  // The image needs what the set presumes: part of choosing it, so that one
  // undo takes back both.
  PutPresumedSettings(nullptr, true);
  step.Commit(StepName(kStepFunctionSet), kHintEverything);
  return true;
}

bool CProjDoc::ApplyPresumedSettings() {
  if (!m_pFSet)
    return false;
  CEditStep step(*this);
  if (PutPresumedSettings(nullptr, true))
    step.Commit(StepName(kStepPresumed, {m_pFSet->fileName}), kHintEverything);
  return true;
}

bool CProjDoc::SetFunctionSetAndModule(const CKivoFSet* set, const CEngineValues& module, bool interactive) {
  CEditGroup group(*this, kStepFunctionSetPage);
  return SelectFunctionSet(set, interactive) && SetEngineValues(module);
}

// ---- Engine values

CKivoVarValue* CProjDoc::CEngineValues::Field(const std::string& section) {
  return const_cast<CKivoVarValue*>(static_cast<const CEngineValues&>(*this).Field(section));
}

const CKivoVarValue* CProjDoc::CEngineValues::Field(const std::string& section) const {
  const char* key = CombinedKey(section, m_engine);
  if (auto found = m_combined.find(key ? key : section); found != m_combined.end())
    return &found->second;
  for (const auto& [n, member] : m_members)
    if (const CKivoVarValue* field = member.Find(section))
      return field;
  return nullptr;
}

CKivoVarValueSet* CProjDoc::CEngineValues::MemberWith(const std::string& section) {
  for (auto& [n, member] : m_members)
    if (member.Find(section))
      return &member;
  return nullptr;
}

bool CProjDoc::CEngineValues::operator==(const CEngineValues& other) const {
  if (m_engine != other.m_engine || tcrclkIn != other.tcrclkIn || m_members.size() != other.m_members.size() ||
      m_combined.size() != other.m_combined.size())
    return false;
  for (std::size_t i = 0; i < m_members.size(); ++i)
    if (m_members[i].first != other.m_members[i].first ||
        !SameTexts(m_members[i].second, other.m_members[i].second))
      return false;
  for (const auto& [key, value] : m_combined) {
    auto found = other.m_combined.find(key);
    if (found == other.m_combined.end() || !SameTexts(value, found->second))
      return false;
  }
  return true;
}

CProjDoc::CEngineValues CProjDoc::EngineValues(int engine) const {
  CEngineValues values;
  values.m_engine = engine < 0 ? -1 : std::min(engine, 1);
  for (int n = 1; n <= kCfgMembers; ++n)
    if (MemberOfEngine(n, values.m_engine))
      values.m_members.emplace_back(n, CfgMember(n));
  // A combined setting goes with the engine whose member holds its parts.
  for (const auto& [key, combined] : m_combinations) {
    if (combined->members.empty())
      continue;
    const CKivoVarValue* part = combined->members.front();
    for (int n = 1; n <= kCfgMembers; ++n) {
      if (!MemberOfEngine(n, values.m_engine))
        continue;
      const auto& entries = CfgMember(n).Entries();
      if (std::any_of(entries.begin(), entries.end(), [part](const auto& e) { return e.value.get() == part; })) {
        CKivoVarValue copy = *combined;
        copy.members.clear();
        values.m_combined.emplace(key, std::move(copy));
        break;
      }
    }
  }
  if (values.m_engine >= 0)
    values.tcrclkIn = m_engine[values.m_engine].tcrclkIn;
  return values;
}

void CProjDoc::ApplyEngineValues(const CEngineValues& values) {
  for (const auto& [n, member] : values.m_members) {
    for (const auto& entry : member.Entries()) {
      if (CKivoVarValue* own = CfgMember(n).Find(entry.section)) {
        own->valueName = entry.value->valueName;
        own->argument = entry.value->argument;
      }
    }
  }
  for (const auto& [key, value] : values.m_combined) {
    if (auto found = m_combinations.find(key); found != m_combinations.end()) {
      found->second->valueName = value.valueName;
      found->second->argument = value.argument;
    }
  }
  // The members always say what the combined settings say, so that an image
  // of the project is what a save writes.
  PushCombinations();
  if (values.m_engine >= 0)
    m_engine[values.m_engine].tcrclkIn = values.tcrclkIn;
}

bool CProjDoc::SetEngineValues(const CEngineValues& given) {
  CEngineValues values = given;
  KeepMarkedValues(values);
  if (values == EngineValues(values.m_engine))
    return true;
  CEditStep step(*this);
  ApplyEngineValues(values);
  switch (values.m_engine) {
    case 0: step.Commit(StepName(kStepEngineA), kHintEngineA); break;
    case 1: step.Commit(StepName(kStepEngineB), kHintEngineB); break;
    default: step.Commit(StepName(kStepModule), kHintAllEngines); break;
  }
  return true;
}

void CProjDoc::SettleEngineValues(const CEngineValues& given) {
  CEngineValues values = given;
  KeepMarkedValues(values);
  if (values == EngineValues(values.m_engine))
    return;
  ApplyEngineValues(values);
  DeriveEngineFrequencies(values.m_engine);
}

// ---- Configured functions

bool CProjDoc::AddConfiguredFunction(std::unique_ptr<CFuncInfo> func) {
  if (!func)
    return false;
  func->doc = this;
  if (!CheckEngineOf(*this, *func) || !CheckChannels(*func, nullptr))
    return false;
  std::string name = func->function ? func->function->name : std::string();
  CEditStep step(*this);
  CFuncInfo* added = func.get();
  m_funcs.push_back(std::move(func));
  added->BuildNotes();
  step.Commit(StepName(kStepAdd, {name}), kHintEverything);
  return true;
}

bool CProjDoc::ReplaceConfiguredFunction(const CFuncInfo* oldFunc, std::unique_ptr<CFuncInfo> newFunc) {
  bool listed = std::any_of(m_funcs.begin(), m_funcs.end(), [oldFunc](const auto& f) { return f.get() == oldFunc; });
  if (!listed || !newFunc)
    return false;
  newFunc->doc = this;
  if (!CheckEngineOf(*this, *newFunc) || !CheckChannels(*newFunc, oldFunc))
    return false;
  std::string name = oldFunc->InstanceName();
  CEditStep step(*this);
  CFuncInfo* replacement = newFunc.get();
  SwapFunction(oldFunc, std::move(newFunc), true);
  replacement->BuildNotes();
  step.Commit(StepName(kStepChange, {name}), kHintEverything);
  return true;
}

bool CProjDoc::RemoveConfiguredFunctions(const std::vector<const CFuncInfo*>& funcs) {
  std::vector<const CFuncInfo*> listed;
  for (const auto& func : m_funcs)
    if (std::find(funcs.begin(), funcs.end(), func.get()) != funcs.end())
      listed.push_back(func.get());
  if (listed.empty())
    return false;
  std::string name = listed.size() == 1 ? StepName(kStepRemoveOne, {listed.front()->InstanceName()})
                                        : StepName(kStepRemoveMany, {std::to_string(listed.size())});
  CEditStep step(*this);
  // The links are looked at once, so that one message tells of every
  // parameter the removal changed.
  CChannelLinks links;
  CollectChannelLinks(links);
  std::vector<std::unique_ptr<CFuncInfo>> removed;
  for (const CFuncInfo* func : listed) {
    auto found = std::find_if(m_funcs.begin(), m_funcs.end(), [func](const auto& f) { return f.get() == func; });
    removed.push_back(TakeOutFunction(found));
  }
  UpdateChannelLinks(links, true, nullptr, nullptr);
  step.Commit(std::move(name), kHintEverything);
  return true;
}

// ---- Channel flags, load inputs, verbatim block, external declarations

CProjDoc::CChannelMasks CProjDoc::ChannelMasks(int engine) const {
  if (engine < 0 || engine > 1)
    return {};
  const CEngine& record = m_engine[engine];
  return {record.cie, record.dtre, record.odis, record.opol};
}

bool CProjDoc::SetChannelMasks(int engine, const CChannelMasks& masks) {
  if (engine < 0 || engine > 1)
    return false;
  if (masks == ChannelMasks(engine))
    return true;
  CEditStep step(*this);
  CEngine& record = m_engine[engine];
  record.cie = masks.cie;
  record.dtre = masks.dtre;
  record.odis = masks.odis;
  record.opol = masks.opol;
  step.Commit(StepName(engine == 0 ? kStepMasksA : kStepMasksB), engine == 0 ? kHintEngineA : kHintEngineB);
  return true;
}

bool CProjDoc::SetLoadInputs(const CFuncInfo* func, const CLoadVarVals& inputs) {
  auto found = std::find_if(m_funcs.begin(), m_funcs.end(), [func](const auto& f) { return f.get() == func; });
  if (found == m_funcs.end() || !(*found)->IsApi())
    return false;
  auto& api = static_cast<CFuncInfo_Api&>(**found);
  if (api.loadInputs == inputs)
    return true;
  CEditStep step(*this);
  api.loadInputs = inputs;
  step.Commit(StepName(kStepLoadInputs, {api.InstanceName()}), kHintLoadInputs);
  return true;
}

bool CProjDoc::SetVerbatim(const std::string& text) {
  std::string normal = NormalLineEnds(text);
  if (normal == m_strVerbatim)
    return true;
  CEditStep step(*this);
  m_strVerbatim = std::move(normal);
  step.Commit(StepName(kStepVerbatim), kHintEverything);
  return true;
}

bool CProjDoc::SetExternDecls(bool on) {
  if (on == m_bExternDecls)
    return true;
  CEditStep step(*this);
  m_bExternDecls = on;
  step.Commit(StepName(kStepExternDecls), kHintEverything);
  return true;
}
