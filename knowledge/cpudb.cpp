// The processor database (kivocpu.ini) and the record of one processor.
#include "knowledge/cpudb.h"

#include "base/cinteger.h"
#include "base/texthelpers.h"
#include "knowledge/kbtext.h"

namespace {

void ReadInteger(const CIniSection& section, const char* key, int& member) {
  int32_t value = 0;
  std::string text = section.GetValue(key);
  if (ReadCInteger32(text, value))
    member = value;
}

// A bare number below 1000 is taken as MHz; applied whether or not the key
// was read, which changes nothing for a value already in Hz.
void ReadFrequency(const CIniSection& section, const char* key, uint32_t& member) {
  std::string text = section.GetValue(key);
  uint32_t hz = 0;
  if (!text.empty() && ParseFrequency(text, &hz))
    member = hz;
  if (member < 1000)
    member *= 1000000;
}

void ReadFlag(const CIniSection& section, const char* key, int& member) {
  std::string text = section.GetValue(key);
  if (text.empty())
    return;
  std::string lower = ToLower(TrimLeft(text));
  member = !lower.empty() && (lower[0] == 'y' || lower[0] == '1') ? 1 : 0;
}

}  // namespace

CKivoCpu::CKivoCpu(const CKivoCpuDb& db, const CIniSection* section) {
  if (!LoadFromSection(db, section))
    ResetToGeneric(db);
}

void CKivoCpu::SetBuiltInDefaults() {
  engines = 2;
  kivoClkPrescaler = 1;
  systemClock = 150000000;
  peripheralTimebaseAvailable = 0;
  peripheralTimebaseClock = 0;
  stacBusAvailable = 1;
  isKivo2 = 0;
}

bool CKivoCpu::LoadFromSection(const CKivoCpuDb& db, const CIniSection* section) {
  if (!section)
    return false;
  SetBuiltInDefaults();
  const CIniSection* generic = db.FindSection(CKivoCpuDb::kGenericName);
  if (generic && generic != section)
    ReadOwnKeys(*generic);
  ReadOwnKeys(*section);
  return true;
}

void CKivoCpu::ReadOwnKeys(const CIniSection& section) {
  ReadInteger(section, "engines", engines);
  ReadInteger(section, "kivo_clk_prescaler", kivoClkPrescaler);
  ReadFrequency(section, "system_clock", systemClock);
  ReadFlag(section, "peripheral_timebase_available", peripheralTimebaseAvailable);
  ReadFrequency(section, "peripheral_timebase_clock", peripheralTimebaseClock);
  ReadFlag(section, "STAC_bus_available", stacBusAvailable);
  // The template name belongs to the processor itself, never to the generic entry.
  templateName = Trim(section.GetValue("template"));
  std::string module = section.GetValue("module");
  if (!module.empty())
    isKivo2 = ToLower(Trim(module)) == "kivo2" ? 1 : 0;
}

bool CKivoCpu::Select(const CKivoCpuDb& db, const std::string& name) {
  return LoadFromSection(db, db.FindSection(name));
}

void CKivoCpu::ResetToGeneric(const CKivoCpuDb& db) {
  if (!LoadFromSection(db, db.FindSection(CKivoCpuDb::kGenericName)))
    SetBuiltInDefaults();
}
