// The channels page's table as data: one row per channel of an engine with every cell's text, and the total load.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "project/projdoc.h"

// One row as the page shows it.
struct CChannelRow {
  int channel = 0;
  std::string ch;           // "3: "
  std::string function;     // empty on a free channel
  std::string channelName;  // the channel's role within the function
  std::string priority;     // "?" when the channel has none
  std::string load;         // "?" when unknown
  bool cie = false;
  bool cdtre = false;
  std::string odis;         // "Off", "Low" or "High"
  std::string api;          // "Yes", "No", or empty on a free channel

  // The function and channel record behind the row; null on a free channel.
  const CProjDoc::CFuncInfo* func = nullptr;
  const CProjDoc::CChannInfo* channelInfo = nullptr;
  // The load cell of an API function's row is the button of the Load command;
  // an unknown load there is shown highlighted.
  bool loadIsCommand = false;
  bool loadHighlighted = false;
};

struct CChannelTable {
  std::vector<CChannelRow> rows;  // always 32, row i being channel i
  double totalLoad = 0;           // the sum of the positive loads
  std::string totalLoadText;      // "Total Load:" as "%.1f %"
};

// The rows of `engine` (0 = A) from the loads the project holds now: the
// page calls the project's NotifyChanged for the engine first, which
// recomputes them. A channel claimed twice shows the function listed last.
CChannelTable BuildChannelTable(const CProjDoc& doc, int engine);

// A load percentage: "%.1f %" from 0.1, "%.2f %" from 0.01, "%.4f %" from
// 0.001, "%.6f %" below, "?" when negative; with a full stop in any locale.
std::string FormatChannelLoad(double load);
std::string FormatTotalLoad(double load);

// The output-disable choice of a channel: "Off" with the disable bit clear,
// else "Low" with the polarity bit set and "High" with it clear.
std::string OdisChoice(const CProjDoc::CEngine& engine, int channel);
// The in-place edits of the table: false (and nothing changed) for a channel
// outside 0 to 31 or an unknown choice.
bool SetOdisChoice(CProjDoc::CEngine& engine, int channel, const std::string& choice);
bool SetChannelBit(uint32_t& mask, int channel, bool set);

// The value display of a configured parameter: its argument for a value that
// takes one, else the defined value's display text, else the text as written.
std::string ParamDisplayText(const CKivoVarValue& value, const CKivoCfgDesc* desc = nullptr);
