// The engine page's rules without a window: derived clocks and filter widths, enabled and visible states.
#include "project/enginerules.h"

#include <climits>

#include "base/texthelpers.h"
#include "knowledge/cfgdesc.h"
#include "knowledge/valuecontrols.h"

namespace {

constexpr const char* kNotAvailable = "Not Available";
constexpr const char* kNoWidth = "n/a";
constexpr const char* kWatchdogError = "error";
constexpr const char* kFullSpeed = "Channels run at full Kivo clock speed";
constexpr const char* kNormalTiming = "Normal";
constexpr uint32_t kWatchdogLimit = 65536;

// List positions the page gives a meaning to; they follow the description's value order.
enum : int {
  kTcr1FromTcrclk = 0,
  kTcr1KivoHalf = 1,
  kTcr1KivoFull = 2,
  kTcr2GatedDiv8 = 0,
  kTcr2RiseEdge = 1,
  kTcr2BothEdges = 3,
  kTcr2KivoDiv8 = 4,
  kTcr2Ptb = 5,
  kLastPrescaledRate = 7,
  kFullSpeedRate = 8,
  kTwoSample = 0,
  kThreeSample = 1,
  kIntegration = 2,
  kBypass = 3,
  kClient = 1,
};

uint32_t Divide(uint32_t value, uint32_t divisor) { return divisor ? value / divisor : 0; }

// A prescaler field read as its store reads it, so that the frequency shown is
// the one the project will hold; 0 (shown as OFF) when it is no divider.
uint32_t ReadPrescaler(const std::string& text) {
  int64_t value = 0;
  if (!ReadIntegerField(text, value) || value < 0 || value > static_cast<int64_t>(UINT32_MAX))
    return 0;
  return static_cast<uint32_t>(value);
}

std::optional<double> Width(double seconds) {
  if (!(seconds > 0))
    return std::nullopt;
  return seconds;
}

std::string WidthText(const std::optional<double>& seconds) {
  return seconds ? FormatDuration(*seconds) : kNoWidth;
}

uint32_t Tcr1Input(const CEngineFields& fields, uint32_t kivo, uint32_t tcrclk) {
  switch (fields.tcr1Source) {
    case -1:
    case kTcr1FromTcrclk: return tcrclk;
    case kTcr1KivoHalf: return kivo / 2;
    case kTcr1KivoFull: return kivo;
    default: return 0;
  }
}

std::optional<uint32_t> Tcr2Input(const CEngineClocks& clocks, const CEngineFields& fields,
                                  uint32_t kivo, uint32_t tcrclk) {
  switch (fields.tcr2Source) {
    case -1:
    case kTcr2GatedDiv8:
    case kTcr2KivoDiv8: return kivo / 8;
    case kTcr2RiseEdge:
    case kTcr2RiseEdge + 1: return tcrclk;
    case kTcr2BothEdges: return 2 * tcrclk;
    case kTcr2Ptb:
      if (!clocks.hasPtb)
        return std::nullopt;
      return clocks.ptbClk;
    default: return 0;
  }
}

bool UsesTcrclkForTcr1(int source) { return source == kTcr1FromTcrclk; }
bool UsesTcrclkForTcr2(int source) { return source >= kTcr2RiseEdge && source <= kTcr2BothEdges; }

void DeriveFilter(const CEngineFields& fields, uint32_t kivo, CEngineDerived& out) {
  int rate = fields.sampleRate;
  uint32_t divider = rate >= 0 && rate <= kLastPrescaledRate ? 2u << rate : 1u;
  out.sampleFreq = kivo / divider;
  out.halfKivoClock = kivo / 2;
  double detect = 0, filter = 0;
  switch (fields.filterMode) {
    case -1:
    case kTwoSample:
    case kIntegration:
      detect = 2.0 * divider;
      filter = divider;
      break;
    case kThreeSample:
      detect = 3.0 * divider;
      filter = 2.0 * divider;
      break;
    default:
      break;
  }
  if (kivo) {
    out.detectFrom = Width(detect / kivo);
    out.filterUpTo = Width(filter / kivo);
  }
}

void DeriveWatchdog(const CEngineClocks& clocks, const CEngineFields& fields, uint32_t kivo,
                    CEngineDerived& out) {
  int64_t count = 0;
  // A negative count is no more a period than one beyond the register.
  if (!ReadIntegerField(fields.watchdogCount, count) || !kivo || count < 0 ||
      count >= kWatchdogLimit) {
    out.text.watchdogPeriod = kWatchdogError;
    return;
  }
  double seconds = static_cast<double>(count) / kivo;
  out.text.watchdogPeriod = count == 0 ? "0 ms" : FormatDuration(seconds);
  if (clocks.isKivo2)
    out.watchdogPeriod = seconds;
}

CEngineDerived Derive(const CEngineClocks& clocks, const CEngineFields& fields) {
  CEngineDerived out;
  uint32_t kivo = clocks.kivoClkPrescaler > 0
                      ? clocks.sysClk / static_cast<uint32_t>(clocks.kivoClkPrescaler)
                      : 0;
  out.kivoClock = kivo;
  // The field the user sees is the one read: the TCR2-side one while only it shows.
  const std::string& tcrclkText = !UsesTcrclkForTcr1(fields.tcr1Source) &&
                                          UsesTcrclkForTcr2(fields.tcr2Source)
                                      ? fields.tcrclk2
                                      : fields.tcrclk1;
  uint32_t tcrclk = 0;
  if (!ParseFrequency(tcrclkText, &tcrclk))
    tcrclk = 0;

  out.tcr1Input = Tcr1Input(fields, kivo, tcrclk);
  out.tcr1Freq = Divide(out.tcr1Input, ReadPrescaler(fields.tcr1Prescaler));
  out.tcr2Input = Tcr2Input(clocks, fields, kivo, tcrclk);
  out.tcr2Freq = Divide(out.tcr2Input.value_or(0), ReadPrescaler(fields.tcr2Prescaler));
  DeriveFilter(fields, kivo, out);
  DeriveWatchdog(clocks, fields, kivo, out);
  bool fullSpeed = fields.tcr1Source == kTcr1KivoFull || fields.sampleRate == kFullSpeedRate ||
                   fields.filterMode == kBypass;
  out.channelTiming = fullSpeed ? kFullSpeed : kNormalTiming;

  out.text.kivoClock = FormatFrequency(out.kivoClock);
  out.text.tcr1Input = FormatFrequency(out.tcr1Input);
  out.text.tcr1Freq = FormatFrequency(out.tcr1Freq);
  out.text.tcr2Input = out.tcr2Input ? FormatFrequency(*out.tcr2Input) : kNotAvailable;
  out.text.tcr2Freq = FormatFrequency(out.tcr2Freq);
  out.text.sampleFreq = FormatFrequency(out.sampleFreq);
  out.text.halfKivoClock = FormatFrequency(out.halfKivoClock);
  out.text.detectFrom = WidthText(out.detectFrom);
  out.text.filterUpTo = WidthText(out.filterUpTo);
  out.text.channelTiming = out.channelTiming;
  return out;
}

CEngineStates::CStac StacStates(bool hasStac, bool enabled, int role, bool angleOn) {
  CEngineStates::CStac stac;
  stac.role = role;
  if (!hasStac)
    return stac;
  if (angleOn)
    stac.role = 0;
  stac.enable = true;
  stac.server = enabled;
  stac.client = enabled && !angleOn;
  stac.slot = enabled && !angleOn && stac.role == kClient;
  return stac;
}

CEngineStates States(const CEngineClocks& clocks, const CEngineFields& fields) {
  CEngineStates states;
  bool angleOn = fields.angleMode > 0;
  states.stac1 = StacStates(clocks.hasStac, fields.stac1Enabled, fields.stac1Role, angleOn);
  states.stac2 = StacStates(clocks.hasStac, fields.stac2Enabled, fields.stac2Role, angleOn);
  // A disabled STAC operation leaves the counter on its own clock whatever the role says.
  bool client1 = clocks.hasStac && fields.stac1Enabled && states.stac1.role == kClient;
  bool client2 = clocks.hasStac && fields.stac2Enabled && states.stac2.role == kClient;
  states.tcr1Clock = !client1;
  states.tcr2Clock = !client2;
  states.angleMode = !client1 && !client2;

  states.tcr1TcrclkVisible = UsesTcrclkForTcr1(fields.tcr1Source);
  states.tcr2TcrclkVisible = UsesTcrclkForTcr2(fields.tcr2Source);
  states.tcrclkFilter = states.tcr1TcrclkVisible || states.tcr2TcrclkVisible;
  states.halfKivoClockFreq = states.tcrclkFilter && fields.tcrclkFilterClock == 0;
  states.sameAsFilterFreq = states.tcrclkFilter && fields.tcrclkFilterClock == 1;
  states.kivo2Groups = clocks.isKivo2;
  return states;
}

bool IsEngineBMember(int n) { return CProjDoc::IsEngineBMember(n); }

}  // namespace

CEngineClocks CEngineClocks::Of(const CProjDoc& doc) {
  CEngineClocks clocks;
  clocks.sysClk = doc.m_nSysClk;
  clocks.ptbClk = doc.m_nPtbClk;
  clocks.kivoClkPrescaler = doc.m_cpu.kivoClkPrescaler;
  clocks.hasPtb = doc.m_cpu.peripheralTimebaseAvailable != 0;
  clocks.hasStac = doc.m_cpu.stacBusAvailable != 0;
  clocks.isKivo2 = doc.m_cpu.isKivo2 != 0;
  return clocks;
}

CEngineRuleResult ApplyEngineRules(const CEngineClocks& clocks, const CEngineFields& fields) {
  return {Derive(clocks, fields), States(clocks, fields)};
}

std::string EngineClockFieldText(uint32_t hz) { return FormatFrequencyExact(hz); }

const char* CombinedKey(const std::string& section, int engine) {
  static const char* const kCombined[][2] = {{"combination0", "combination1"},
                                             {"combination2", "combination3"}};
  for (const auto& pair : kCombined)
    if (section == pair[0] || section == pair[1])
      return pair[engine == 1 ? 1 : 0];
  return nullptr;
}

const CKivoVarValue* FindEngineField(const CProjDoc& doc, int engine, const std::string& section) {
  if (const char* key = CombinedKey(section, engine)) {
    auto found = doc.m_combinations.find(key);
    return found == doc.m_combinations.end() ? nullptr : found->second.get();
  }
  for (int n = 1; n <= CProjDoc::kCfgMembers; ++n) {
    if (IsEngineBMember(n) != (engine == 1))
      continue;
    if (const CKivoVarValue* field = doc.CfgMember(n).Find(section))
      return field;
  }
  return nullptr;
}

CKivoVarValue* FindEngineField(CProjDoc& doc, int engine, const std::string& section) {
  return const_cast<CKivoVarValue*>(
      FindEngineField(static_cast<const CProjDoc&>(doc), engine, section));
}

CEngineFields EngineFieldsFromProject(const CProjDoc& doc, int engine) {
  // The fields as the page's value exchange loads them, so that a project
  // derived without a window agrees with the page.
  bool kivo2 = doc.m_cpu.isKivo2 != 0;
  auto field = [&](const char* section) { return FindEngineField(doc, engine, section); };
  auto list = [&](const char* section) {
    const CKivoVarValue* value = field(section);
    return value ? LoadValueList(*value, kivo2, false).selected : -1;
  };
  auto radio = [&](const char* section) {
    const CKivoVarValue* value = field(section);
    return value ? LoadValueRadio(*value) : 0;
  };
  auto checked = [&](const char* section) {
    const CKivoVarValue* value = field(section);
    return value && LoadValueCheck(*value);
  };
  auto number = [&](const char* section) {
    const CKivoVarValue* value = field(section);
    return value ? LoadValueNumberText(*value) : std::string("0");
  };
  CEngineFields fields;
  fields.tcr1Source = list("combination0");
  fields.tcr1Prescaler = number("TBCR.TCR1P");
  fields.tcr2Source = list("TBCR.TCR2CTL");
  fields.tcr2Prescaler = number("TBCR.TCR2P");
  fields.angleMode = list("TBCR.AM");
  fields.stac1Enabled = checked("STACCR.REN1");
  fields.stac1Role = radio("STACCR.RSC1");
  fields.stac2Enabled = checked("STACCR.REN2");
  fields.stac2Role = radio("STACCR.RSC2");
  fields.sampleRate = list("combination2");
  fields.filterMode = list("ECR.CDFC");
  fields.tcrclkFilterClock = radio("TBCR.TCRCF1");
  uint32_t tcrclk = engine == 1 ? doc.m_engine[1].tcrclkIn : doc.m_engine[0].tcrclkIn;
  fields.tcrclk1 = EngineClockFieldText(tcrclk);
  fields.tcrclk2 = fields.tcrclk1;
  fields.watchdogCount = number("WDTR.WDCNT");
  return fields;
}
