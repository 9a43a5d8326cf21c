// kivovam-cli kb: loads the knowledge base and prints it.
#include <filesystem>
#include <iostream>

#include "app/startup.h"
#include "cli/cli.h"
#include "cli/kbjson.h"
#include "knowledge/knowledgebase.h"

// Folders given to the driver are relative to the current folder, as a
// script's user expects; the defaults lie beside the program.
CLoadOptions LoadOptionsOf(const CCliContext& context) {
  CLoadOptions options;
  if (!context.confDir.empty())
    options.confFolder = std::filesystem::absolute(context.confDir).lexically_normal().string();
  if (!context.fsetsDir.empty()) {
    options.functionSetFolder = context.fsetsDir;
    options.functionSetFolderFromCommandLine = true;
  }
  return options;
}

namespace {

void PrintSummary(const CKnowledgeBase& kb, std::ostream& out) {
  out << "processors: " << kb.cpuDb.Sections().size() << '\n';
  for (const auto& section : kb.cpuDb.Sections())
    out << "  " << section->name << '\n';
  out << "engine settings: " << kb.cfgDesc.Definitions().size() << '\n';
  out << "function sets: " << kb.fsetLib.Sets().size() << '\n';
  for (const auto& set : kb.fsetLib.Sets()) {
    int count = 0;
    for (int position = set->FirstSlot(); position != 0; set->NextFunc(position))
      ++count;
    out << "  " << set->relativePath << ": " << count << " functions\n";
  }
  int withApi = 0;
  for (const auto& func : kb.fsetLib.Functions())
    withApi += func->hasApi;
  out << "functions: " << kb.fsetLib.Functions().size() << " (" << withApi << " with API)\n";
  out << "applications: " << kb.fappLib.Apps().size() << '\n';
  for (const auto& app : kb.fappLib.Apps())
    out << "  " << app->name << '\n';
}

}  // namespace

int RunKb(CCliContext& context) {
  if (!context.args.empty())
    return UsageError("kb takes no arguments");
  CKnowledgeBase kb;
  if (!LoadKnowledgeBase(kb, LoadOptionsOf(context)))
    return kExitKnowledge;
  if (context.json)
    context.result = KnowledgeBaseJson(kb);
  else
    PrintSummary(kb, std::cout);
  return kExitOk;
}
