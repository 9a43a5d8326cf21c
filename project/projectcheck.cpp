// What a project would be refused or warned about before a save, and what its generated files include.
#include "project/projectcheck.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <initializer_list>
#include <set>
#include <sstream>

#include "base/filereader.h"
#include "base/messagecatalog.h"
#include "base/texthelpers.h"
#include "knowledge/kbtext.h"
#include "knowledge/apimeta.h"
#include "project/cpurules.h"
#include "project/loadcontext.h"
#include "project/presumedsettings.h"

namespace fs = std::filesystem;

namespace {

std::string CatalogPrintf(int id, const std::vector<CPrintfArg>& args) {
  return FormatPrintfText(CatalogText(id), args);
}

void CheckClocks(const CProjDoc& doc, std::vector<CProjectFinding>& out) {
  uint32_t ptbClk = doc.m_nPtbClk;
  if (int id = FindCpuClockProblem(doc.m_cpu, doc.m_nSysClk, ptbClk)) {
    CFindingTarget target;
    target.kind = CFindingTarget::kClock;
    target.clock = IsSystemClockProblem(id) ? 0 : 1;
    out.push_back({id, std::string(CatalogText(id)), target});
  }
}

// A STAC field leads to the engine page that shows it. Functions on an engine
// the processor lacks have no page to go to: that engine's pages are hidden.
void CheckCpu(CProjDoc& doc, std::vector<CProjectFinding>& out) {
  std::vector<CProjDoc::CCpuCollision> collisions;
  if (doc.CheckCpuChange(doc.m_cpu, false, nullptr, &collisions))
    return;
  for (const CProjDoc::CCpuCollision& collision : collisions) {
    CFindingTarget target;
    if (collision.id == 4505) {
      target.kind = CFindingTarget::kEngineValue;
      target.engine = collision.engine;
      target.section = "STACCR.REN" + std::to_string(collision.tcr);
    }
    out.push_back({collision.id, collision.text, target});
  }
}

// The rows of the channels page that show `funcs` on their engine.
CFindingTarget RowsOf(std::initializer_list<const CProjDoc::CFuncInfo*> funcs) {
  CFindingTarget target;
  target.kind = CFindingTarget::kChannel;
  target.engine = funcs.size() > 0 ? (*funcs.begin())->engine : -1;
  for (const CProjDoc::CFuncInfo* func : funcs)
    for (const auto& chan : func->channels)
      if (chan->number >= 0 && chan->number <= CProjDoc::kMaxChannel)
        target.channels.push_back(chan->number);
  std::sort(target.channels.begin(), target.channels.end());
  target.channels.erase(std::unique(target.channels.begin(), target.channels.end()), target.channels.end());
  return target;
}

// Each pair of clashing channels once: a function is compared with those before it.
void CheckChannels(const CProjDoc& doc, std::vector<CProjectFinding>& out) {
  const auto& funcs = doc.Functions();
  for (std::size_t i = 0; i < funcs.size(); ++i) {
    const auto& func = *funcs[i];
    for (std::size_t c = 0; c < func.channels.size(); ++c) {
      const auto& chan = *func.channels[c];
      if (chan.number < 0 || chan.number > CProjDoc::kMaxChannel) {
        out.push_back({4031, CatalogPrintf(4031, {PArg(chan.number)}), RowsOf({&func})});
        continue;
      }
      for (std::size_t t = c + 1; t < func.channels.size(); ++t)
        if (func.channels[t]->number == chan.number)
          out.push_back({4037,
                         CatalogPrintf(4037, {PArg(chan.number), PArg(chan.name), PArg(func.channels[t]->name)}),
                         RowsOf({&func})});
      // The page shows the later function on the channel both claim; the
      // rows of the earlier one show where it stands.
      for (std::size_t j = 0; j < i; ++j) {
        const auto& other = *funcs[j];
        if (other.engine != func.engine)
          continue;
        for (const auto& used : other.channels)
          if (used->number == chan.number)
            out.push_back({4020,
                           CatalogPrintf(4020, {PArg(chan.number), PArg(other.InstanceName()), PArg(used->name)}),
                           RowsOf({&other, &func})});
      }
    }
  }
}

// The channel define a linked parameter holds: a custom value keeps it as its argument.
std::string LinkedText(const CKivoVarValue& value) {
  const CKivoValueDef* defined = nullptr;
  if (value.def)
    for (const auto& candidate : value.def->values)
      if (candidate->name == value.valueName)
        defined = candidate.get();
  if (!defined)
    return value.valueName;
  return defined->takesArg ? value.argument : std::string();
}

bool LooksLikeNumber(const std::string& text) {
  return !text.empty() && (std::isdigit(static_cast<unsigned char>(text[0])) || text[0] == '-' ||
                           text[0] == '+');
}

void CheckLinkedParams(const CProjDoc& doc, std::vector<CProjectFinding>& out) {
  for (const auto& func : doc.Functions()) {
    if (!func->IsApi())
      continue;
    const auto& api = static_cast<const CProjDoc::CFuncInfo_Api&>(*func);
    if (!api.initFunc)
      continue;
    for (const auto& param : api.initFunc->params) {
      std::vector<const CKivoFunc*> linked;
      const CProjDoc::CParamInfo* info = api.ParamOf(param.get());
      if (!info || param->LinkedFunctions(linked) == 0)
        continue;
      std::string text = Trim(LinkedText(info->value));
      if (text.empty() || LooksLikeNumber(text))
        continue;
      bool found = false;
      for (const auto& other : doc.Functions())
        if (std::find(linked.begin(), linked.end(), other->function) != linked.end() &&
            other->FindChannelByName(text))
          found = true;
      if (!found)
        out.push_back({0,
                       "In function '" + api.InstanceName() + "', the parameter '" + param->name +
                           "' names the channel '" + text + "', which no function defines",
                       RowsOf({&api})});
    }
  }
}

// An input the user has not given yet leaves the load unknown without anything being wrong.
bool OnlyInputsMissing(const CProjDoc::CFuncInfo_Api::CLoadFailure& failure, const CLoadEvalContext& q) {
  if (failure.error != kExprUnknownVariable)
    return false;
  bool unset = false;
  for (const std::string& name : q.needed) {
    const std::string* text = q.InputOf(name);
    if (text && !Trim(*text).empty())
      return false;
    unset = true;
  }
  return unset;
}

// What an evaluation leaves in the function, put back when the check is done:
// the loads the views show are those of the project's last change.
class CKeptLoads {
 public:
  explicit CKeptLoads(CProjDoc::CFuncInfo_Api& func) : m_func(func), m_hasInputs(func.hasLoadInputs) {
    for (const auto& chan : func.channels)
      m_loads.push_back(chan->load);
  }
  ~CKeptLoads() {
    m_func.hasLoadInputs = m_hasInputs;
    for (std::size_t i = 0; i < m_loads.size() && i < m_func.channels.size(); ++i)
      m_func.channels[i]->load = m_loads[i];
  }
  CKeptLoads(const CKeptLoads&) = delete;
  CKeptLoads& operator=(const CKeptLoads&) = delete;

 private:
  CProjDoc::CFuncInfo_Api& m_func;
  bool m_hasInputs;
  std::vector<double> m_loads;
};

void CheckLoads(CProjDoc& doc, std::vector<CProjectFinding>& out) {
  const auto& funcs = doc.Functions();
  for (std::size_t i = 0; i < funcs.size(); ++i) {
    if (!funcs[i]->IsApi())
      continue;
    auto& api = static_cast<CProjDoc::CFuncInfo_Api&>(*funcs[i]);
    CKeptLoads kept(api);
    CLoadEvalContext q(CLoadEvalContext::kEvaluate, &api.loadInputs.values);
    CProjDoc::CFuncInfo_Api::CLoadFailure failure;
    if (api.ComputeLoad(false, &q, &failure) || OnlyInputsMissing(failure, q))
      continue;
    CFindingTarget target;
    target.kind = CFindingTarget::kLoad;
    target.engine = api.engine;
    target.function = static_cast<int>(i);
    out.push_back({4042, failure.text, target});
  }
}

}  // namespace

std::vector<CProjectFinding> CheckProjectBeforeSave(CProjDoc& doc) {
  std::vector<CProjectFinding> findings;
  CheckClocks(doc, findings);
  CheckCpu(doc, findings);
  CheckChannels(doc, findings);
  CheckLinkedParams(doc, findings);
  CheckLoads(doc, findings);
  CheckPresumedSettings(doc, findings);
  return findings;
}

std::string IncludedFileName(const std::string& line) {
  std::string rest = TrimLeft(line);
  if (rest.empty() || rest[0] != '#')
    return {};
  rest = TrimLeft(rest.substr(1));
  if (rest.compare(0, 7, "include") != 0)
    return {};
  rest = TrimLeft(rest.substr(7));
  if (rest.empty() || (rest[0] != '"' && rest[0] != '<'))
    return {};
  std::size_t end = rest.find(rest[0] == '"' ? '"' : '>', 1);
  return end != std::string::npos && end > 1 ? rest.substr(1, end - 1) : std::string();
}

std::vector<std::string> IncludedNames(const std::string& text) {
  std::vector<std::string> names;
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);)
    if (std::string name = IncludedFileName(line); !name.empty())
      names.push_back(std::move(name));
  return names;
}

namespace {

// A header that does not read adds no folders; the knowledge base has reported it already.
bool ReadAll(const fs::path& path, std::string& text) {
  std::string reason;
  return ReadWholeFile(path.string(), text, reason) == EFileRead::kRead;
}

}  // namespace

std::vector<std::string> ProjectIncludeDirs(CProjDoc& doc) {
  std::string source, header;
  if (!doc.GenerateProjectTexts(CProjDoc::kDefaultHName, source, header))
    return {};
  std::error_code error;
  const fs::path root = fs::path(doc.Kb().fsetLib.Folder()).lexically_normal();
  // Every folder of the library, the set folder first, as a compiler's -I list would be searched.
  std::vector<fs::path> folders = {root};
  for (fs::recursive_directory_iterator it(root, error), end; !error && it != end; it.increment(error))
    if (it->is_directory(error))
      folders.push_back(it->path());
  std::sort(folders.begin() + 1, folders.end());

  std::set<std::string> dirs;
  std::set<fs::path> seen;
  std::vector<std::pair<std::string, fs::path>> pending;  // included name, folder of the includer
  for (const std::string& text : {source, header})
    for (const std::string& name : IncludedNames(text))
      if (name != CProjDoc::kDefaultHName)
        pending.emplace_back(name, fs::path());
  while (!pending.empty()) {
    auto [name, from] = pending.back();
    pending.pop_back();
    fs::path found;
    // A quoted include is found beside its includer first, needing no folder of its own.
    if (!from.empty() && fs::is_regular_file(from / name, error)) {
      found = from / name;
    } else {
      for (const fs::path& folder : folders) {
        if (fs::is_regular_file(folder / name, error)) {
          found = folder / name;
          dirs.insert(folder.lexically_relative(root).string());
          break;
        }
      }
    }
    if (found.empty() || !seen.insert(found.lexically_normal()).second)
      continue;
    std::string text;
    if (ReadAll(found, text))
      for (const std::string& included : IncludedNames(text))
        pending.emplace_back(included, found.parent_path());
  }
  return {dirs.begin(), dirs.end()};
}
