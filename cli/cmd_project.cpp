// kivovam-cli show, generate, new and notes: the project commands.
#include <fstream>
#include <iostream>
#include <memory>

#include "base/paths.h"
#include "app/startup.h"
#include "cli/cli.h"
#include "cli/projectjson.h"
#include "knowledge/knowledgebase.h"
#include "project/notesmodel.h"
#include "project/projdoc.h"

namespace {

// The command's arguments: positional ones in order, "-o" and repeatable
// options by name.
struct CProjectArgs {
  std::vector<std::string> positional;
  std::string out;
  std::string fset;
  std::vector<std::string> adds;
};

// False (usage error already reported in `status`) for an option the command does not take.
bool ParseArgs(const CCliContext& context, bool takesNewOptions, CProjectArgs& args, int& status) {
  const auto& list = context.args;
  for (std::size_t i = 0; i < list.size(); ++i) {
    const std::string& arg = list[i];
    bool known = arg == "-o" || (takesNewOptions && (arg == "--fset" || arg == "--add"));
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

int Failed(const std::string& text) {
  std::cerr << "kivovam-cli: " << text << '\n';
  return kExitFailed;
}

// The knowledge base and one document on it, as the desktop program holds them.
struct CSession {
  CKnowledgeBase kb;
  CNotesModel notes;
  std::unique_ptr<CProjDoc> doc;

  bool Load(const CCliContext& context) {
    if (!LoadKnowledgeBase(kb, LoadOptionsOf(context)))
      return false;
    doc = std::make_unique<CProjDoc>(kb, &context.options, &notes);
    return true;
  }
};

void SetSaveResult(CCliContext& context, const std::string& path, bool ok) {
  std::string source, header;
  CProjDoc::DerivePaths(path, source, header);
  context.result = {{"source", source}, {"header", header}, {"ok", ok}};
}

// Parsed "FUNC@E:CH"; false when the text has another shape.
bool SplitAdd(const std::string& text, std::string& name, int& engine, int& channel) {
  std::size_t at = text.rfind('@');
  if (at == std::string::npos || at == 0 || at + 3 > text.size() || text[at + 2] != ':')
    return false;
  char letter = text[at + 1];
  if (letter != 'A' && letter != 'B' && letter != 'a' && letter != 'b')
    return false;
  std::string digits = text.substr(at + 3);
  if (digits.empty() || digits.size() > 2 || digits.find_first_not_of("0123456789") != std::string::npos)
    return false;
  name = text.substr(0, at);
  engine = (letter == 'A' || letter == 'a') ? 0 : 1;
  channel = std::stoi(digits);
  return channel <= CProjDoc::kMaxChannel;
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

// Adds a function with its defaults when the channel checks let it in.
int AddFunction(CSession& session, const std::string& text) {
  std::string name;
  int engine = 0, channel = 0;
  if (!SplitAdd(text, name, engine, channel))
    return UsageError("--add takes FUNC@E:CH (E is A or B, CH a channel 0 to 31): " + text);
  CProjDoc& doc = *session.doc;
  const CKivoFunc* func = FindFunction(session.kb, doc.m_pFSet, name);
  if (!func)
    return Failed("no function or application '" + name + "' in the selected function set");
  std::unique_ptr<CProjDoc::CFuncInfo> info;
  if (func->hasApi && !func->initFuncs.empty()) {
    auto api = std::make_unique<CProjDoc::CFuncInfo_Api>();
    api->initFunc = func->initFuncs.front().get();
    info = std::move(api);
  } else {
    info = std::make_unique<CProjDoc::CFuncInfo_NonApi>();
  }
  info->doc = &doc;
  info->function = func;
  info->engine = engine;
  info->InitDefaults(channel);
  if (!doc.CheckChannels(*info, nullptr))
    return kExitFailed;
  doc.AddFunction(std::move(info));
  return kExitOk;
}

}  // namespace

int RunShow(CCliContext& context) {
  CProjectArgs args;
  int status = kExitOk;
  if (!ParseArgs(context, false, args, status))
    return status;
  if (args.positional.size() != 1 || !args.out.empty())
    return UsageError("show takes one PROJECT");
  CSession session;
  if (!session.Load(context))
    return kExitKnowledge;
  const std::string& path = args.positional[0];
  if (!session.doc->OnOpenDocument(path))
    return kExitFailed;
  std::string source, header;
  CProjDoc::DerivePaths(path, source, header);
  nlohmann::json model = ProjectJson(*session.doc, source, header);
  if (context.json) {
    context.result = model;
    return kExitOk;
  }
  std::cout << "project: " << source << '\n'
            << "cpu: " << session.doc->m_strCpu << '\n'
            << "function set: " << (session.doc->m_pFSet ? session.doc->m_pFSet->relativePath : "(none)")
            << '\n'
            << "functions: " << session.doc->Functions().size() << '\n';
  for (const auto& func : model["functions"]) {
    std::cout << "  " << func["instance"].get<std::string>() << " (" << (func["engine"] == 1 ? "B" : "A")
              << ":";
    for (const auto& channel : func["channels"])
      std::cout << ' ' << channel["number"].get<int>();
    std::cout << ")\n";
  }
  return kExitOk;
}

int RunGenerate(CCliContext& context) {
  CProjectArgs args;
  int status = kExitOk;
  if (!ParseArgs(context, false, args, status))
    return status;
  if (args.positional.size() != 1)
    return UsageError("generate takes one PROJECT and an optional -o OUT");
  CSession session;
  if (!session.Load(context))
    return kExitKnowledge;
  const std::string& path = args.positional[0];
  if (!session.doc->OnOpenDocument(path))
    return kExitFailed;
  std::string target = args.out.empty() ? path : args.out;
  bool ok = session.doc->OnSaveDocument(target);
  SetSaveResult(context, target, ok);
  return ok ? kExitOk : kExitFailed;
}

int RunNew(CCliContext& context) {
  CProjectArgs args;
  int status = kExitOk;
  if (!ParseArgs(context, true, args, status))
    return status;
  if (!args.positional.empty())
    return UsageError("new takes no PROJECT; use -o OUT");
  CSession session;
  if (!session.Load(context))
    return kExitKnowledge;
  CProjDoc& doc = *session.doc;
  if (!doc.OnNewDocument())
    return kExitFailed;
  // The desktop program's processor page selects the first processor of the
  // list when a new project names none, and stores it on the first save.
  if (doc.m_strCpu.empty() && !session.kb.cpuDb.Sections().empty()) {
    doc.m_strCpu = session.kb.cpuDb.Sections().front()->name;
    doc.m_cpu.Select(session.kb.cpuDb, doc.m_strCpu);
  }
  if (!args.fset.empty()) {
    doc.m_pFSet = session.kb.fsetLib.FindSet(args.fset);
    if (!doc.m_pFSet)
      return Failed("no function set '" + args.fset + "'");
  }
  for (const std::string& add : args.adds)
    if (int added = AddFunction(session, add); added != kExitOk)
      return added;
  std::string target = args.out.empty() ? std::string(CProjDoc::kDefaultCName) : args.out;
  bool ok = doc.OnSaveDocument(target);
  SetSaveResult(context, target, ok);
  return ok ? kExitOk : kExitFailed;
}

int RunNotes(CCliContext& context) {
  CProjectArgs args;
  int status = kExitOk;
  if (!ParseArgs(context, false, args, status))
    return status;
  if (args.positional.size() != 1)
    return UsageError("notes takes one PROJECT and an optional -o FILE");
  CSession session;
  if (!session.Load(context))
    return kExitKnowledge;
  if (!session.doc->OnOpenDocument(args.positional[0]))
    return kExitFailed;
  std::string page;
  if (!session.notes.RenderPageFile(CombinePath(session.kb.ConfFolder(), "pnotes.htm"), page))
    return kExitFailed;
  if (context.json) {
    context.result = {{"html", page}};
  } else if (!args.out.empty()) {
    std::ofstream out(args.out, std::ios::binary | std::ios::trunc);
    if (!(out << page) || !out.flush())
      return Failed("cannot write '" + args.out + "'");
  } else {
    std::cout << page;
  }
  return kExitOk;
}
