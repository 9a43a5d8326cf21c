// kivovam-cli kb: loads the knowledge base and prints it.
#include <filesystem>
#include <iostream>

#include "app/startup.h"
#include "base/texthelpers.h"
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

std::string YesNo(int value) { return value ? "yes" : "no"; }

void PrintSummary(const CKnowledgeBase& kb, std::ostream& out) {
  out << "processors: " << kb.cpuDb.Sections().size() << '\n';
  for (const auto& section : kb.cpuDb.Sections()) {
    CKivoCpu cpu(kb.cpuDb, section.get());
    out << "  " << section->name << ": " << cpu.engines << (cpu.engines == 1 ? " engine" : " engines")
        << ", max. system clock " << FormatFrequency(cpu.systemClock) << ", Kivo clock "
        << (cpu.kivoClkPrescaler == 1 ? "=SysClk" : "SysClk/" + std::to_string(cpu.kivoClkPrescaler))
        << ", peripheral time base "
        << (cpu.peripheralTimebaseAvailable ? "up to " + FormatFrequency(cpu.peripheralTimebaseClock)
                                            : std::string("none"))
        << ", STAC bus " << YesNo(cpu.stacBusAvailable) << (cpu.isKivo2 ? ", Kivo2" : "")
        << (cpu.templateName.empty() ? "" : ", templates " + cpu.templateName) << '\n';
  }
  out << "engine settings: " << kb.cfgDesc.Definitions().size() << '\n';
  out << "function sets (in " << kb.fsetLib.Folder() << "): " << kb.fsetLib.Sets().size() << '\n';
  for (const auto& set : kb.fsetLib.Sets()) {
    out << "  " << set->relativePath << '\n' << "    functions:";
    for (int position = set->FirstSlot(); position != 0;)
      if (const CKivoFunc* func = set->NextFunc(position))
        out << ' ' << func->name << (func->hasApi ? "" : "(no API)");
    out << "\n    applications:";
    int apps = 0;
    for (const auto& app : kb.fappLib.Apps())
      if (app->IsAvailableIn(set.get())) {
        out << ' ' << app->name;
        ++apps;
      }
    out << (apps ? "" : " none") << '\n';
  }
  int withApi = 0;
  for (const auto& func : kb.fsetLib.Functions())
    withApi += func->hasApi;
  out << "functions: " << kb.fsetLib.Functions().size() << " (" << withApi << " with API)\n";
  out << "applications: " << kb.fappLib.Apps().size() << '\n';
  for (const auto& app : kb.fappLib.Apps()) {
    out << "  " << app->name << ": " << app->title << "; uses";
    for (const std::string& used : app->usedFunctions)
      out << ' ' << used;
    out << '\n';
  }
  out << "(--add takes these function and application names: FUNC@E:CH)\n";
}

}  // namespace

int RunKb(CCliContext& context) {
  if (!context.args.empty())
    return UsageError("kb takes no arguments");
  context.result = {{"cpus", nullptr}, {"cfg", nullptr}, {"sets", nullptr}, {"functions", nullptr},
                    {"apps", nullptr}};
  CKnowledgeBase kb;
  if (!LoadKnowledgeBase(kb, LoadOptionsOf(context)))
    return kExitKnowledge;
  if (context.json)
    context.result = KnowledgeBaseJson(kb);
  else
    PrintSummary(kb, std::cout);
  return kExitOk;
}
