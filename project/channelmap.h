// The channel map as data: both engines' 32 channels with the function on each, its colour and load, and each engine's total against the full load.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "project/projdoc.h"

// An engine's total load against the coprocessor's time.
enum class ELoadState { kNormal, kHigh, kOver };

// One channel as the map draws it.
struct CChannelMapCell {
  int channel = 0;
  bool free = true;
  std::string name;         // the instance the channels page names (PWM2); empty when free
  std::string channelName;  // the channel's role within the function
  std::string function;     // the function's name, which its colour comes from
  std::string title;        // the function's title
  int functionIndex = -1;   // the function's position in CProjDoc::Functions()
  uint32_t fill = 0xffffff; // 0xRRGGBB
  uint32_t ink = 0x000000;  // the text on `fill`
  double load = -1;         // per cent; negative when unknown
  std::string loadText;     // as the channels page shows it: "4.6 %", "?" when unknown
  // Claimed by more than one channel of the project; the page shows the
  // function listed last, `claimants` names them all in list order.
  bool usedTwice = false;
  std::vector<std::string> claimants;

  bool LoadKnown() const { return load >= 0; }
};

struct CChannelMapEngine {
  int engine = 0;        // 0 = A
  bool present = false;  // false: the processor has no such engine
  std::vector<CChannelMapCell> cells;  // 32 when present, cell i being channel i
  double totalLoad = 0;        // the channels page's total: the known loads summed
  std::string totalLoadText;   // "9.3 %"
  int unknownLoads = 0;        // used channels whose load is unknown, not in the total
  ELoadState state = ELoadState::kNormal;
  // Configured functions the file puts on an engine the processor lacks.
  int strayFunctions = 0;
};

// One entry of the legend: a function of the project and its colour.
struct CChannelMapLegend {
  std::string function;
  std::string title;
  uint32_t fill = 0;
  uint32_t ink = 0;
};

struct CChannelMap {
  std::string processor;
  std::array<CChannelMapEngine, 2> engines;
  std::vector<CChannelMapLegend> legend;  // by function name
};

// The map of the project from the loads it holds now (the project recomputes
// them on every change, as the channels pages show them).
CChannelMap BuildChannelMap(const CProjDoc& doc);

// Above 80 % the engine has little room left; above 100 % it cannot keep up.
ELoadState LoadStateOf(double totalLoad);
const char* LoadStateName(ELoadState state);

// The fill of each function name of `names`: a hue taken from the name, moved
// along only where it would come too close to another name's of the same
// list, so a function keeps its colour across projects wherever it can.
std::vector<uint32_t> FunctionColours(const std::vector<std::string>& names);
// Black or white, whichever reads better on `fill`.
uint32_t InkFor(uint32_t fill);
// The contrast ratio of two colours (1 to 21) by their relative luminance.
double ContrastRatio(uint32_t a, uint32_t b);

// What a screen reader says for a cell: "Engine A channel 3: PWM2, load 4.5 %",
// "Engine B channel 7: free".
std::string CellSpokenText(int engine, const CChannelMapCell& cell);
// The engine's heading: "Engine A: total load 9.3 %", with the unknown loads
// and the state when it is not normal.
std::string EngineSpokenText(const CChannelMapEngine& engine);
