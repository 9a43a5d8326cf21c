// The processor database (kivocpu.ini) and the record of one processor.
#pragma once

#include <cstdint>
#include <string>

#include "support/inifile.h"

// One section per processor; the section "Generic CPU with Kivo" gives the
// defaults of all others and is listed as a processor like any other.
class CKivoCpuDb : public CIniFile {
 public:
  static constexpr const char* kGenericName = "Generic CPU with Kivo";
};

// A value object: the project and the processor view each keep their own and
// refill it whenever the processor changes.
class CKivoCpu {
 public:
  CKivoCpu() { SetBuiltInDefaults(); }
  CKivoCpu(const CKivoCpuDb& db, const CIniSection* section);

  // False (record unchanged) without a section.
  bool LoadFromSection(const CKivoCpuDb& db, const CIniSection* section);
  // False (record unchanged) when the database has no section of exactly that name.
  bool Select(const CKivoCpuDb& db, const std::string& name);
  // The generic section when there is one, else the built-in defaults.
  void ResetToGeneric(const CKivoCpuDb& db);
  // Every numeric member to its built-in default; `templateName` is kept.
  void SetBuiltInDefaults();

  bool operator==(const CKivoCpu&) const = default;

  int engines = 2;
  int kivoClkPrescaler = 1;
  uint32_t systemClock = 150000000;
  int peripheralTimebaseAvailable = 0;
  uint32_t peripheralTimebaseClock = 0;
  int stacBusAvailable = 1;
  int isKivo2 = 0;
  std::string templateName;

 private:
  void ReadOwnKeys(const CIniSection& section);
};
