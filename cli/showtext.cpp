// kivovam-cli show without --json: the project as an engineer reviews it.
#include <ostream>

#include "base/texthelpers.h"
#include "cli/projectjson.h"
#include "project/projdoc.h"

namespace {

std::string YesNo(bool value) { return value ? "yes" : "no"; }

std::string Hex(uint32_t mask) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08x", mask);
  return text;
}

void PrintCpu(const CProjDoc& doc, std::ostream& out) {
  const CKivoCpu& cpu = doc.m_cpu;
  out << "processor: " << (doc.m_strCpu.empty() ? "(none)" : doc.m_strCpu) << " (" << cpu.engines
      << (cpu.engines == 1 ? " engine" : " engines") << ", max. system clock "
      << FormatFrequency(cpu.systemClock) << ", Kivo clock "
      << (cpu.kivoClkPrescaler == 1 ? "=SysClk" : "SysClk/" + std::to_string(cpu.kivoClkPrescaler))
      << ", peripheral time base "
      << (cpu.peripheralTimebaseAvailable ? "up to " + FormatFrequency(cpu.peripheralTimebaseClock) : "none")
      << ", STAC bus " << YesNo(cpu.stacBusAvailable != 0) << (cpu.isKivo2 ? ", Kivo2" : "") << ")\n";
  out << "system clock: " << FormatFrequencyExact(doc.m_nSysClk) << '\n'
      << "peripheral time-base clock: " << FormatFrequencyExact(doc.m_nPtbClk) << '\n';
}

// A member's values without the comments the generator writes beside them.
std::string MemberValues(const CKivoVarValueSet& member) {
  std::string text;
  for (const auto& entry : member.Entries()) {
    const std::string& name = entry.value->valueName;
    const std::string& argument = entry.value->argument;
    if (name.empty())
      continue;
    text += (text.empty() ? "" : " | ") + name;
    if (!argument.empty())
      text += "(" + argument + ")";
  }
  return text.empty() ? "0" : text;
}

std::string Text(const nlohmann::json& value) { return value.is_string() ? value.get<std::string>() : ""; }

// The engine page's derived fields and the channels page's used rows.
void PrintDerivedAndChannels(const nlohmann::json& engine, std::ostream& out) {
  const nlohmann::json& shown = engine["derived"]["display"];
  out << "  Kivo clock " << Text(shown["kivoClock"]) << "; TCR1 " << Text(shown["tcr1Freq"]) << " (input "
      << Text(shown["tcr1Input"]) << "); TCR2 " << Text(shown["tcr2Freq"]) << " (input "
      << Text(shown["tcr2Input"]) << ")\n"
      << "  channel filter: sample " << Text(shown["sampleFreq"]) << ", detects from "
      << Text(shown["detectFrom"]) << ", filters up to " << Text(shown["filterUpTo"]) << '\n';
  if (!Text(shown["watchdogPeriod"]).empty())
    out << "  watchdog period " << Text(shown["watchdogPeriod"]) << '\n';
  if (!Text(shown["channelTiming"]).empty())
    out << "  channel timing " << Text(shown["channelTiming"]) << '\n';
  out << "  channels (Ch.: Function Name | Channel Name | Priority | Load | CIE | CDTRE | ODIS | API):\n";
  for (const auto& row : engine["channelTable"]) {
    if (Text(row["function"]).empty() && !row["cie"].get<bool>() && !row["cdtre"].get<bool>() &&
        Text(row["odis"]) == "Off")
      continue;
    out << "    " << Text(row["ch"]) << Text(row["function"]) << " | " << Text(row["channel"]) << " | "
        << Text(row["priority"]) << " | " << Text(row["load"]) << " | " << (row["cie"].get<bool>() ? "CIE" : "-")
        << " | " << (row["cdtre"].get<bool>() ? "CDTRE" : "-") << " | " << Text(row["odis"]) << " | "
        << Text(row["api"]) << '\n';
  }
  out << "  Total Load: " << Text(engine["totalLoad"]) << '\n';
}

void PrintEngine(const CProjDoc& doc, int e, const nlohmann::json& engine, std::ostream& out) {
  const CProjDoc::CEngine& record = doc.m_engine[e];
  out << "engine " << static_cast<char>('A' + e) << ":\n"
      << "  TCRCLK input: " << FormatFrequencyExact(record.tcrclkIn) << '\n';
  PrintDerivedAndChannels(engine, out);
  for (int n = 1; n <= CProjDoc::kCfgMembers; ++n)
    if (CProjDoc::IsEngineBMember(n) == (e == 1))
      out << "  member " << n << ": " << MemberValues(doc.CfgMember(n)) << '\n';
  out << "  CIE " << Hex(record.cie) << ", DTRE " << Hex(record.dtre) << ", ODIS " << Hex(record.odis)
      << ", OPOL " << Hex(record.opol) << '\n';
}

void PrintFunction(const nlohmann::json& func, std::ostream& out) {
  out << "  " << func["instance"].get<std::string>() << ": "
      << (func["title"].is_string() ? func["title"].get<std::string>() : std::string("?")) << " ("
      << (func["kind"] == "api" ? "API" : "no API") << (func["isApp"].get<bool>() ? ", application" : "")
      << ", engine " << (func["engine"] == 0 ? "A" : func["engine"] == 1 ? "B" : "?") << ")";
  if (!func["label"].get<std::string>().empty())
    out << ' ' << func["label"].get<std::string>();
  out << '\n';
  for (const auto& channel : func["channels"]) {
    out << "    channel " << channel["name"].get<std::string>() << ": " << channel["number"].get<int>()
        << " (" << channel["define"].get<std::string>();
    if (!channel["priority"].get<std::string>().empty())
      out << ", priority " << channel["priority"].get<std::string>();
    if (channel["load"].is_number())
      out << ", load " << channel["load"].get<double>();
    out << ")\n";
  }
  for (const auto& param : func["params"]) {
    std::string value = param["value"].get<std::string>();
    std::string argument = param["argument"].get<std::string>();
    out << "    " << param["name"].get<std::string>() << " = " << (value.empty() ? "(missing)" : value);
    if (!argument.empty())
      out << '(' << argument << ')';
    out << '\n';
  }
  for (const auto& [name, value] : func["loadInputs"].items())
    out << "    load input " << name << " = " << value.get<std::string>() << '\n';
}

}  // namespace

void PrintProject(const CProjDoc& doc, const nlohmann::json& model, std::ostream& out) {
  out << "project: " << model["source"].get<std::string>() << " and " << model["header"].get<std::string>()
      << '\n';
  PrintCpu(doc, out);
  out << "function set: " << (doc.m_pFSet ? doc.m_pFSet->relativePath : std::string("(none)")) << '\n';
  for (int e = 0; e < std::min(doc.m_cpu.engines, 2); ++e)
    PrintEngine(doc, e, model["engines"][e], out);
  out << "functions: " << model["functions"].size() << '\n';
  for (const auto& func : model["functions"])
    PrintFunction(func, out);
  std::size_t lines = 0;
  for (char c : doc.m_strVerbatim)
    lines += c == '\n';
  out << "verbatim block: "
      << (doc.m_strVerbatim.empty() ? std::string("none") : std::to_string(lines) + " lines") << '\n';
  out << "external declarations: " << (doc.m_bExternDecls ? "generated" : "off") << '\n';
  out << "include folders (-I, relative to " << doc.Kb().fsetLib.Folder() << "):";
  for (const auto& dir : model["includeDirs"])
    out << ' ' << dir.get<std::string>();
  out << "\n  and the folder of the generated files\n";
}
