// The processor page's rules without a window: clock lists, the Kivo clock, enabled fields and the clock limits.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "knowledge/cpudb.h"

class CProjDoc;

// The entries of a clock list for a processor limit: "%d MHz" for the limit in
// whole megahertz first, then every multiple of 8 MHz below it, descending.
// Empty below 1 MHz.
std::vector<std::string> CpuClockListEntries(uint32_t maxHz);

// The record a processor name stands for: its database entry, else the generic one.
CKivoCpu CpuRecordFor(const CKivoCpuDb& db, const std::string& name);

// The texts of the page's property fields as the database gives them; a key a
// processor leaves out shows the generic entry's text, which it inherits.
struct CCpuPropertyTexts {
  std::string name, engines, systemClock, stacBus, peripheralTimebase, peripheralClock;
};
// For `name`; a name the database does not know shows the generic entry's
// properties, and nothing but the name when there is no generic entry either.
CCpuPropertyTexts CpuPropertyTexts(const CKivoCpuDb& db, const std::string& name);

// The Kivo clock's label: "%s" of `formText` ("Kivo Clock (%s):") replaced by
// "=SysClk" for a prescaler of 1, "SysClk/%d" otherwise.
std::string KivoClockLabel(int prescaler, const std::string& formText = "Kivo Clock (%s):");
// The derived Kivo clock of a typed system clock (a bare number in Hz); "Error"
// when the text does not read, the prescaler is 0 or the result is 0.
std::string KivoClockText(const std::string& sysClkText, int prescaler);

// The peripheral clock field's text after a processor change: "Not Available"
// without a peripheral time base, else `previous` when it reads as a frequency, else "OFF".
std::string PtbClockText(const CKivoCpu& cpu, const std::string& previous);
// The zero text the peripheral clock field loads with.
const char* PtbClockZeroText(const CKivoCpu& cpu);

struct CCpuPageStates {
  bool cpuList = true;
  bool sysClk = true;
  bool ptbClk = true;
  bool engineBPages = true;  // shown exactly for a processor with more than one engine
};
// What the command line fixed stays disabled.
CCpuPageStates CpuPageStates(const CProjDoc& doc, const CKivoCpu& cpu);

// The clock limits: 4084 for a system clock of 0, 4035 when the system clock
// is above the processor's maximum, else 4036 when it has a peripheral time
// base and that clock is above its maximum, else 0. Without a peripheral time
// base `ptbClk` becomes 0.
int FindCpuClockProblem(const CKivoCpu& cpu, uint32_t sysClk, uint32_t& ptbClk);
// Whether a problem of FindCpuClockProblem is one of the system clock's.
bool IsSystemClockProblem(int problem);
// The record a processor name stands for: its database entry; for the
// project's own processor when the database lacks it, the project's record;
// else the generic entry.
CKivoCpu CpuRecordFor(const CProjDoc& doc, const std::string& name);
// The same for the project's processor and clocks, the message shown (as a
// warning) when `show`; false when a limit is exceeded.
bool CheckCpuClocks(const CProjDoc& doc, bool show = true);
