// The engine page's rules without a window: derived clocks and filter widths, enabled and visible states.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "project/projdoc.h"

class CKivoVarValue;

// What the engine page's controls hold. List and radio positions count from 0
// in the order of the values in the engine-configuration description; -1 means
// nothing selected (nothing checked for a radio pair).
struct CEngineFields {
  int tcr1Source = -1;        // "combination0" (A) / "combination1" (B)
  std::string tcr1Prescaler{};  // "TBCR.TCR1P" as typed
  int tcr2Source = -1;        // "TBCR.TCR2CTL"
  std::string tcr2Prescaler{};  // "TBCR.TCR2P"
  int angleMode = -1;         // "TBCR.AM"; above 0 means angle mode on
  bool stac1Enabled = false;  // "STACCR.REN1"
  int stac1Role = -1;         // "STACCR.RSC1": 0 as server, 1 as client
  bool stac2Enabled = false;  // "STACCR.REN2"
  int stac2Role = -1;         // "STACCR.RSC2"
  int sampleRate = -1;        // "combination2" (A) / "combination3" (B)
  int filterMode = -1;        // "ECR.CDFC"
  int tcrclkFilterClock = -1; // "TBCR.TCRCF1": 0 Kivo clock / 2, 1 same as channel filter
  std::string tcrclk1{};        // the TCRCLK field that stands in for the TCR1 input
  std::string tcrclk2{};        // the TCRCLK field that stands in for the TCR2 input
  std::string watchdogCount{};  // "WDTR.WDCNT" as typed
};

// Every value the page derives, as numbers and as the texts it shows.
struct CEngineDerived {
  uint32_t kivoClock = 0;
  uint32_t tcr1Input = 0;
  uint32_t tcr1Freq = 0;
  std::optional<uint32_t> tcr2Input;  // none where the page shows "Not Available"
  uint32_t tcr2Freq = 0;
  uint32_t sampleFreq = 0;            // beside the sample rate and "Same as channel input filter"
  uint32_t halfKivoClock = 0;         // beside "Kivo clock divided by 2"
  std::optional<double> detectFrom;   // seconds; none where the page shows "n/a"
  std::optional<double> filterUpTo;
  std::optional<double> watchdogPeriod;  // none for "error" and on a processor without Kivo2
  std::string channelTiming;

  struct CTexts {
    std::string kivoClock, tcr1Input, tcr1Freq, tcr2Input, tcr2Freq, sampleFreq, halfKivoClock,
        detectFrom, filterUpTo, watchdogPeriod, channelTiming;
  } text;
};

// Enabled and visible states of the page's controls. The page disables its
// locked (highlighted) controls on top of these.
struct CEngineStates {
  // TCR1 clock source, prescaler and the frequency fields (input, TCRCLK, frequency).
  bool tcr1Clock = true;
  bool tcr2Clock = true;
  bool angleMode = true;
  struct CStac {
    bool enable = false;  // the "Enable TCRn STAC Bus operation" check box
    bool server = false;
    bool client = false;
    bool slot = false;    // "Server slot:" label and number
    int role = -1;        // the radio position to show: forced to 0 while angle mode is on
  } stac1, stac2;
  // The TCRCLK field shows in place of the read-only input display.
  bool tcr1TcrclkVisible = false;
  bool tcr2TcrclkVisible = false;
  bool tcrclkFilter = false;         // both TCRCLK filter radio pairs
  bool halfKivoClockFreq = false;    // the frequency beside "Kivo clock divided by 2"
  bool sameAsFilterFreq = false;     // the frequency beside "Same as channel input filter"
  // Priority passing, watchdog and channel timing groups.
  bool kivo2Groups = false;
};

struct CEngineRuleResult {
  CEngineDerived derived;
  CEngineStates states;
};

// The clocks and processor the rules read; taken from a project by default.
struct CEngineClocks {
  uint32_t sysClk = 0;
  uint32_t ptbClk = 0;
  int kivoClkPrescaler = 1;
  bool hasPtb = false;
  bool hasStac = false;
  bool isKivo2 = false;

  static CEngineClocks Of(const CProjDoc& doc);
};

CEngineRuleResult ApplyEngineRules(const CEngineClocks& clocks, const CEngineFields& fields);
inline CEngineRuleResult ApplyEngineRules(const CProjDoc& doc, const CEngineFields& fields) {
  return ApplyEngineRules(CEngineClocks::Of(doc), fields);
}

// The text a TCRCLK field is loaded with: exact, so a field saved unchanged keeps the frequency.
std::string EngineClockFieldText(uint32_t hz);

// The field of `section` for `engine` (0 = A): a combined setting, named by
// either engine's name ("combination0" or "combination1" for the TCR1 clock
// source, "combination2" or "combination3" for the sample rate), comes from
// the project's combined values for that engine; the others from the engine's
// own members (engine B: 6, 7, 8, 10; engine A: the rest). Null when none holds it.
const CKivoVarValue* FindEngineField(const CProjDoc& doc, int engine, const std::string& section);
// The project's key of the combined setting `section` names for `engine`
// ("combination1" for "combination0" on engine B); null for another section.
const char* CombinedKey(const std::string& section, int engine);
CKivoVarValue* FindEngineField(CProjDoc& doc, int engine, const std::string& section);

// What the page's controls hold right after it loads `engine` from the project.
CEngineFields EngineFieldsFromProject(const CProjDoc& doc, int engine);

// The rules over the project's own record: what the engine page would show after loading.
inline CEngineRuleResult DeriveEngine(const CProjDoc& doc, int engine) {
  return ApplyEngineRules(doc, EngineFieldsFromProject(doc, engine));
}
