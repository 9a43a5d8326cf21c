// kivovam-cli show, generate, new, notes and check: the project commands.
#include <algorithm>
#include <filesystem>
#include <iostream>
#include <memory>

#include "app/startup.h"
#include "base/paths.h"
#include "base/ports.h"
#include "cli/cli.h"
#include "cli/projectjson.h"
#include "knowledge/knowledgebase.h"
#include "project/cpurules.h"
#include "project/filetransaction.h"
#include "project/notesmodel.h"
#include "project/projdoc.h"
#include "project/problems.h"
#include "project/projectcheck.h"

namespace {

// The command's arguments: positional ones in order, options by name.
struct CProjectArgs {
  std::vector<std::string> positional;
  std::string out;
  std::string fset;
  std::vector<std::string> adds;
  bool force = false;
};

enum EArgs { kTakesOut = 1, kTakesForce = 2, kTakesNewOptions = 4 };

// False (usage error already reported in `status`) for an option the command does not take.
bool ParseArgs(const CCliContext& context, int takes, CProjectArgs& args, int& status) {
  const auto& list = context.args;
  for (std::size_t i = 0; i < list.size(); ++i) {
    const std::string& arg = list[i];
    if (arg == "--force" && (takes & kTakesForce)) {
      args.force = true;
      continue;
    }
    bool known = (arg == "-o" && (takes & kTakesOut)) ||
                 ((takes & kTakesNewOptions) && (arg == "--fset" || arg == "--add"));
    if (!known) {
      if (arg.size() > 1 && arg[0] == '-') {
        status = UsageError("unknown option " + arg);
        return false;
      }
      args.positional.push_back(arg);
      continue;
    }
    if (i + 1 >= list.size()) {
      status = UsageError(arg + " needs a value");
      return false;
    }
    const std::string& value = list[++i];
    if (arg == "-o")
      args.out = value;
    else if (arg == "--fset")
      args.fset = value;
    else
      args.adds.push_back(value);
  }
  return true;
}

std::string JoinNames(const std::vector<std::string>& names) {
  std::string text;
  for (const std::string& name : names)
    text += (text.empty() ? "" : ", ") + name;
  return text.empty() ? "(none)" : text;
}

// The knowledge base and one document on it, as the desktop program holds them.
struct CSession {
  CKnowledgeBase kb;
  CNotesModel notes;
  std::unique_ptr<CProjDoc> doc;
  std::vector<CMessage> openWarnings;

  bool Load(const CCliContext& context) {
    if (!LoadKnowledgeBase(kb, LoadOptionsOf(context)))
      return false;
    doc = std::make_unique<CProjDoc>(kb, &context.options, &notes);
    return true;
  }

  // Opens the project and counts what the open warned about: a warning means
  // that the model differs from the files, and a save would write the difference.
  bool Open(const CCliContext& context, const std::string& path) {
    std::size_t before = context.messages->Messages().size();
    bool opened = doc->OnOpenDocument(path);
    const auto& messages = context.messages->Messages();
    for (std::size_t i = before; i < messages.size(); ++i)
      if (IsOpenProblem(messages[i]))
        openWarnings.push_back(messages[i]);
    return opened;
  }
};

nlohmann::json PathsJson(const std::string& path) {
  if (path.empty())
    return {{"source", nullptr}, {"header", nullptr}};
  std::string source, header;
  CProjDoc::DerivePaths(path, source, header);
  return {{"source", source}, {"header", header}};
}

void SetSaveResult(CCliContext& context, const std::string& path, bool ok) {
  context.result = PathsJson(path);
  context.result["ok"] = ok;
}

// Parsed "FUNC@E:CH"; false when the text has another shape. The channel is
// checked by the project, which names the valid range.
bool SplitAdd(const std::string& text, std::string& name, int& engine, int& channel) {
  std::size_t at = text.rfind('@');
  if (at == std::string::npos || at == 0 || at + 3 > text.size() || text[at + 2] != ':')
    return false;
  char letter = text[at + 1];
  if (letter != 'A' && letter != 'B' && letter != 'a' && letter != 'b')
    return false;
  std::string digits = text.substr(at + 3);
  if (digits.empty() || digits.size() > 6 || digits.find_first_not_of("0123456789") != std::string::npos)
    return false;
  name = text.substr(0, at);
  engine = (letter == 'A' || letter == 'a') ? 0 : 1;
  channel = std::stoi(digits);
  return true;
}

// A function of the selected set, else an application available in it.
const CKivoFunc* FindFunction(const CKnowledgeBase& kb, const CKivoFSet* set, const std::string& name) {
  if (set)
    if (const CKivoFunc* func = set->FindFunc(name))
      return func;
  for (const auto& app : kb.fappLib.Apps())
    if (app->name == name && app->IsAvailableIn(set))
      return app.get();
  return nullptr;
}

std::vector<std::string> SetFunctionNames(const CKivoFSet& set) {
  std::vector<std::string> names;
  for (int position = set.FirstSlot(); position != 0;)
    if (const CKivoFunc* func = set.NextFunc(position))
      names.push_back(func->name);
  return names;
}

std::vector<std::string> OfferedApps(const CKnowledgeBase& kb, const CKivoFSet* set) {
  std::vector<std::string> names;
  for (const auto& app : kb.fappLib.Apps())
    if (app->IsAvailableIn(set))
      names.push_back(app->name);
  return names;
}

std::string UnknownFunctionText(const CKnowledgeBase& kb, const CKivoFSet* set, const std::string& name) {
  if (!set)
    return "no function '" + name + "': no function set is selected (new --fset SET; kivovam-cli kb lists the sets)";
  return "no function or application '" + name + "' in the function set '" + set->relativePath +
         "'; its functions: " + JoinNames(SetFunctionNames(*set)) +
         "; its applications: " + JoinNames(OfferedApps(kb, set));
}

// Adds a function with its defaults when the engine and channel checks let it in.
int AddFunction(CSession& session, const std::string& text) {
  std::string name;
  int engine = 0, channel = 0;
  if (!SplitAdd(text, name, engine, channel))
    return UsageError("--add takes FUNC@E:CH (FUNC a function or application of the set, E the engine A or B, "
                      "CH the first channel 0 to 31, e.g. PWM@A:0): " + text);
  CProjDoc& doc = *session.doc;
  const CKivoFunc* func = FindFunction(session.kb, doc.m_pFSet, name);
  if (!func)
    return DriverError(UnknownFunctionText(session.kb, doc.m_pFSet, name));
  if (!doc.HasEngine(engine))
    return DriverError(text + " not added: the processor '" + doc.m_strCpu + "' has " +
                       std::to_string(doc.m_cpu.engines) + " engine" + (doc.m_cpu.engines == 1 ? "" : "s") +
                       ", so there is no engine B");
  if (!doc.AddConfiguredFunction(doc.NewFunction(*func, engine, channel)))
    return DriverError(text + " not added: function '" + name + "' cannot take its channels there");
  return kExitOk;
}

std::vector<std::string> ProcessorNames(const CKnowledgeBase& kb) {
  std::vector<std::string> names;
  for (const auto& section : kb.cpuDb.Sections())
    names.push_back(section->name);
  return names;
}

}  // namespace

int RunShow(CCliContext& context) {
  CProjectArgs args;
  int status = kExitOk;
  if (!ParseArgs(context, 0, args, status))
    return status;
  if (args.positional.size() != 1)
    return UsageError("show takes one PROJECT");
  const std::string& path = args.positional[0];
  context.result = PathsJson(path);
  CSession session;
  if (!session.Load(context))
    return kExitKnowledge;
  std::string source, header;
  CProjDoc::DerivePaths(path, source, header);
  bool opened = session.Open(context, path);
  nlohmann::json model = ProjectJson(*session.doc, source, header);
  model["includeDirs"] = ProjectIncludeDirs(*session.doc);
  if (context.json) {
    context.result = model;
    return opened ? kExitOk : kExitFailed;
  }
  if (!opened)
    return kExitFailed;
  PrintProject(*session.doc, model, std::cout);
  return kExitOk;
}

int RunGenerate(CCliContext& context) {
  CProjectArgs args;
  int status = kExitOk;
  if (!ParseArgs(context, kTakesOut | kTakesForce, args, status))
    return status;
  if (args.positional.size() != 1)
    return UsageError("generate takes one PROJECT and an optional -o OUT");
  const std::string& path = args.positional[0];
  std::string target = args.out.empty() ? path : args.out;
  SetSaveResult(context, target, false);
  CSession session;
  if (!session.Load(context))
    return kExitKnowledge;
  if (!session.Open(context, path))
    return kExitFailed;
  if (!session.openWarnings.empty() && !args.force)
    return DriverError("nothing written: opening '" + path + "' gave " + std::to_string(session.openWarnings.size()) +
                       " warning" + (session.openWarnings.size() == 1 ? "" : "s") +
                       ", and saving would write the project as read, without what they name; "
                       "repair the project, or give --force to save it anyway");
  // The processor page's store: what does not fit the processor is asked
  // about (4503) and trimmed on Yes; the clocks must be within its limits.
  int refusal = 0;
  if (!session.doc->FitToProcessor(&refusal) && refusal == 4503)
    return DriverError("nothing written: the configuration does not fit the processor '" +
                       session.doc->m_strCpu + "' (--answer yes removes what does not fit)");
  // A clock above the limit has been reported (4035, 4036); --force saves the project as it stands.
  if ((refusal || !CheckCpuClocks(*session.doc, false)) && !args.force)
    return DriverError("nothing written: a clock is above the limit of the processor '" + session.doc->m_strCpu +
                       "' (-SYSCLK=F and -PTBCLK=F override the project's clocks, --force saves it anyway)");
  bool ok = session.doc->OnSaveDocument(target);
  SetSaveResult(context, target, ok);
  return ok ? kExitOk : kExitFailed;
}

int RunNew(CCliContext& context) {
  CProjectArgs args;
  int status = kExitOk;
  if (!ParseArgs(context, kTakesOut | kTakesForce | kTakesNewOptions, args, status))
    return status;
  if (!args.positional.empty())
    return UsageError("new takes no PROJECT; use -o OUT");
  std::string target = args.out.empty() ? std::string(CProjDoc::kDefaultCName) : args.out;
  SetSaveResult(context, target, false);
  CSession session;
  if (!session.Load(context))
    return kExitKnowledge;
  std::string cpuName;
  std::vector<std::string> cpus = ProcessorNames(session.kb);
  if (LookupOption(context.options, "CPU", cpuName) &&
      std::find(cpus.begin(), cpus.end(), cpuName) == cpus.end())
    return UsageError("-CPU=" + cpuName + ": no such processor; the processors are: " +
                      JoinNames(cpus));
  std::string source, header;
  CProjDoc::DerivePaths(target, source, header);
  if (!args.force) {
    std::error_code error;
    for (const std::string& file : {source, header})
      if (std::filesystem::exists(file, error))
        return DriverError("'" + file + "' exists; new does not overwrite a project unless --force is given");
  }
  CProjDoc& doc = *session.doc;
  if (!doc.OnNewDocument())
    return kExitFailed;
  // The desktop program's processor page selects the first processor of the
  // list when a new project names none, and stores it on the first save.
  CProjDoc::CCpuChoice cpu{doc.m_strCpu, doc.m_nSysClk, doc.m_nPtbClk};
  if (cpu.name.empty() && !session.kb.cpuDb.Sections().empty())
    cpu.name = session.kb.cpuDb.Sections().front()->name;
  // A new project runs its processor at full speed unless told otherwise, so
  // that the clock fits whichever processor was chosen.
  if (!doc.m_bSysClkCmdLine)
    cpu.sysClk = CpuRecordFor(session.kb.cpuDb, cpu.name).systemClock;
  // A clash the command line fixed is told and taken by the page; here it
  // stops the project from being written.
  if (!doc.SetProcessor(cpu) || !CheckCpuClocks(doc, false))
    return DriverError("nothing written: a clock is above the limit of the processor '" + cpu.name +
                       "' (kivovam-cli kb lists the limits)");
  if (!args.fset.empty()) {
    const CKivoFSet* chosen = session.kb.fsetLib.FindSet(args.fset);
    if (!chosen) {
      std::vector<std::string> sets;
      for (const auto& set : session.kb.fsetLib.Sets())
        sets.push_back(set->relativePath);
      return DriverError("no function set '" + args.fset + "' in '" + session.kb.fsetLib.Folder() +
                         "'; the sets are: " + JoinNames(sets));
    }
    doc.SelectFunctionSet(chosen);
  }
  for (const std::string& add : args.adds)
    if (int added = AddFunction(session, add); added != kExitOk)
      return added;
  bool ok = doc.OnSaveDocument(target);
  SetSaveResult(context, target, ok);
  return ok ? kExitOk : kExitFailed;
}

int RunNotes(CCliContext& context) {
  CProjectArgs args;
  int status = kExitOk;
  if (!ParseArgs(context, kTakesOut, args, status))
    return status;
  if (args.positional.size() != 1)
    return UsageError("notes takes one PROJECT and an optional -o FILE");
  context.result = {{"html", nullptr}};
  CSession session;
  if (!session.Load(context))
    return kExitKnowledge;
  if (!session.Open(context, args.positional[0]))
    return kExitFailed;
  std::string page;
  if (!session.notes.RenderPageFile(CombinePath(session.kb.ConfFolder(), "pnotes.htm"), page))
    return kExitFailed;
  if (context.json) {
    context.result = {{"html", page}};
  } else if (!args.out.empty()) {
    // Written beside FILE and renamed over it, so that a failed write keeps the
    // previous page, and a FIFO or device of that name is refused, not opened.
    CFileTransaction file;
    file.Add(args.out, std::move(page));
    std::string failedPath, reason;
    if (!file.Commit(failedPath, reason))
      return DriverError("cannot write '" + failedPath + "': " + reason);
  } else {
    std::cout << page;
  }
  return kExitOk;
}

int RunCheck(CCliContext& context) {
  CProjectArgs args;
  int status = kExitOk;
  if (!ParseArgs(context, 0, args, status))
    return status;
  if (args.positional.size() != 1)
    return UsageError("check takes one PROJECT");
  context.result = {{"ok", false}};
  CSession session;
  if (!session.Load(context))
    return kExitKnowledge;
  if (!session.Open(context, args.positional[0]))
    return kExitFailed;
  // The desktop's problems list, from the same routine; the open has shown its own warnings already.
  std::vector<CProjectProblem> problems = ListProjectProblems(*session.doc, session.openWarnings);
  for (const CProjectProblem& problem : problems)
    if (!problem.fromOpen)
      ShowText(problem.id, problem.kind, problem.text);
  bool ok = problems.empty();
  context.result["ok"] = ok;
  return ok ? kExitOk : kExitFailed;
}
