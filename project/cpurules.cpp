// The processor page's rules without a window: clock lists, the Kivo clock, enabled fields and the clock limits.
#include "project/cpurules.h"

#include "base/ports.h"
#include "base/texthelpers.h"
#include "project/projdoc.h"

namespace {

constexpr uint32_t kMHz = 1000000;
constexpr uint32_t kListStepMHz = 8;
constexpr int kSysClkTooHigh = 4035;
constexpr int kPtbClkTooHigh = 4036;
constexpr int kSysClkZero = 4084;

std::string MHzText(uint32_t mhz) { return std::to_string(mhz) + " MHz"; }

std::string Property(const CIniSection* own, const CIniSection* generic, const char* key) {
  if (own && own->HasKey(key))
    return own->GetValue(key);
  return generic ? generic->GetValue(key) : std::string();
}

}  // namespace

std::vector<std::string> CpuClockListEntries(uint32_t maxHz) {
  std::vector<std::string> entries;
  uint32_t top = maxHz / kMHz;
  if (top == 0)
    return entries;
  entries.push_back(MHzText(top));
  // The largest multiple of 8 strictly below the limit, then down in steps of 8.
  for (uint32_t mhz = (top - 1) / kListStepMHz * kListStepMHz; mhz > 0; mhz -= kListStepMHz)
    entries.push_back(MHzText(mhz));
  return entries;
}

CKivoCpu CpuRecordFor(const CKivoCpuDb& db, const std::string& name) {
  CKivoCpu cpu;
  if (!cpu.Select(db, name))
    cpu.ResetToGeneric(db);
  return cpu;
}

CCpuPropertyTexts CpuPropertyTexts(const CKivoCpuDb& db, const std::string& name) {
  const CIniSection* generic = db.FindSection(CKivoCpuDb::kGenericName);
  const CIniSection* own = db.FindSection(name);
  CCpuPropertyTexts texts;
  texts.name = name;
  texts.engines = Property(own, generic, "engines");
  texts.systemClock = Property(own, generic, "system_clock");
  texts.stacBus = Property(own, generic, "STAC_bus_available");
  texts.peripheralTimebase = Property(own, generic, "peripheral_timebase_available");
  texts.peripheralClock = Property(own, generic, "peripheral_timebase_clock");
  return texts;
}

std::string KivoClockLabel(int prescaler, const std::string& formText) {
  std::string divider = prescaler == 1 ? "=SysClk" : "SysClk/" + std::to_string(prescaler);
  std::string label = formText;
  std::size_t at = label.find("%s");
  if (at != std::string::npos)
    label.replace(at, 2, divider);
  return label;
}

std::string KivoClockText(const std::string& sysClkText, int prescaler) {
  uint32_t sysClk = 0;
  if (!ParseFrequency(sysClkText, &sysClk))
    sysClk = 0;
  uint32_t kivo = prescaler > 0 ? sysClk / static_cast<uint32_t>(prescaler) : 0;
  return FormatFrequency(kivo, "Error");
}

const char* PtbClockZeroText(const CKivoCpu& cpu) {
  return cpu.peripheralTimebaseAvailable ? "OFF" : "Not Available";
}

std::string PtbClockText(const CKivoCpu& cpu, const std::string& previous) {
  if (!cpu.peripheralTimebaseAvailable)
    return "Not Available";
  return ParseFrequency(previous, nullptr) ? previous : "OFF";
}

CCpuPageStates CpuPageStates(const CProjDoc& doc, const CKivoCpu& cpu) {
  CCpuPageStates states;
  states.cpuList = !doc.m_bCpuCmdLine;
  states.sysClk = !doc.m_bSysClkCmdLine;
  states.ptbClk = !doc.m_bPtbClkCmdLine && cpu.peripheralTimebaseAvailable;
  states.engineBPages = cpu.engines > 1;
  return states;
}

int FindCpuClockProblem(const CKivoCpu& cpu, uint32_t sysClk, uint32_t& ptbClk) {
  // Written as OFF, a zero clock would not read back as a system clock.
  if (sysClk == 0)
    return kSysClkZero;
  if (sysClk > cpu.systemClock)
    return kSysClkTooHigh;
  if (!cpu.peripheralTimebaseAvailable) {
    ptbClk = 0;
    return 0;
  }
  return ptbClk > cpu.peripheralTimebaseClock ? kPtbClkTooHigh : 0;
}

bool IsSystemClockProblem(int problem) { return problem == kSysClkTooHigh || problem == kSysClkZero; }

CKivoCpu CpuRecordFor(const CProjDoc& doc, const std::string& name) {
  CKivoCpu cpu;
  if (cpu.Select(doc.Kb().cpuDb, name))
    return cpu;
  // The record the reader made for the project's own processor that the
  // database lacks: the generic one widened to what the files use.
  if (!name.empty() && name == doc.m_strCpu)
    return doc.m_cpu;
  cpu.ResetToGeneric(doc.Kb().cpuDb);
  return cpu;
}

bool CheckCpuClocks(const CProjDoc& doc, bool show) {
  uint32_t ptbClk = doc.m_nPtbClk;
  int problem = FindCpuClockProblem(doc.m_cpu, doc.m_nSysClk, ptbClk);
  if (problem && show)
    ShowMessage(problem, EMessageKind::Warning);
  return problem == 0;
}
