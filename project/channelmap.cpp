// The channel map as data: both engines' 32 channels with the function on each, its colour and load, and each engine's total against the full load.
#include "project/channelmap.h"

#include <algorithm>
#include <cmath>
#include <map>

#include "project/channeltable.h"

namespace {

constexpr int kChannels = CProjDoc::kMaxChannel + 1;
constexpr double kHighLoad = 80.0;
constexpr double kFullLoad = 100.0;

// FNV-1a: the same hue for a name on every machine and in every run.
uint32_t NameHash(const std::string& name) {
  uint32_t hash = 2166136261u;
  for (unsigned char c : name) {
    hash ^= c;
    hash *= 16777619u;
  }
  return hash;
}

double HueDistance(double a, double b) {
  double d = std::fabs(a - b);
  return std::min(d, 360.0 - d);
}

// A light, moderately saturated colour of `hue`: dark text reads on every one.
uint32_t FillOfHue(double hue) {
  const double saturation = 0.62, lightness = 0.74;
  double chroma = (1 - std::fabs(2 * lightness - 1)) * saturation;
  double h = hue / 60.0;
  double x = chroma * (1 - std::fabs(std::fmod(h, 2.0) - 1));
  double r = 0, g = 0, b = 0;
  switch (static_cast<int>(h) % 6) {
    case 0: r = chroma, g = x; break;
    case 1: r = x, g = chroma; break;
    case 2: g = chroma, b = x; break;
    case 3: g = x, b = chroma; break;
    case 4: r = x, b = chroma; break;
    default: r = chroma, b = x; break;
  }
  double m = lightness - chroma / 2;
  auto channel = [m](double v) { return static_cast<uint32_t>(std::lround((v + m) * 255)) & 0xff; };
  return channel(r) << 16 | channel(g) << 8 | channel(b);
}

double Linear(uint32_t component) {
  double c = component / 255.0;
  return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double Luminance(uint32_t rgb) {
  return 0.2126 * Linear(rgb >> 16 & 0xff) + 0.7152 * Linear(rgb >> 8 & 0xff) + 0.0722 * Linear(rgb & 0xff);
}

char EngineLetter(int engine) { return engine == 1 ? 'B' : 'A'; }

void FillEngine(const CProjDoc& doc, int engine, const std::map<std::string, CChannelMapLegend>& colours,
                CChannelMapEngine& out) {
  out.engine = engine;
  out.present = doc.HasEngine(engine);
  if (!out.present) {
    for (const auto& func : doc.Functions())
      out.strayFunctions += func->engine == engine;
    return;
  }
  // Every claim of every channel, in list order: the page shows only the last.
  std::vector<std::vector<std::string>> claims(kChannels);
  for (const auto& func : doc.Functions())
    if (func->engine == engine)
      for (const auto& channel : func->channels)
        if (channel->number >= 0 && channel->number < kChannels)
          claims[channel->number].push_back(func->InstanceName());

  const CChannelTable table = BuildChannelTable(doc, engine);
  const auto& funcs = doc.Functions();
  out.cells.resize(kChannels);
  for (int number = 0; number < kChannels; ++number) {
    const CChannelRow& row = table.rows[number];
    CChannelMapCell& cell = out.cells[number];
    cell.channel = number;
    if (!row.func)
      continue;
    cell.free = false;
    cell.name = row.func->InstanceName();
    cell.channelName = row.channelName;
    if (row.func->function) {
      cell.function = row.func->function->name;
      cell.title = row.func->function->title.empty() ? cell.function : row.func->function->title;
    }
    auto position = std::find_if(funcs.begin(), funcs.end(), [&](const auto& f) { return f.get() == row.func; });
    cell.functionIndex = static_cast<int>(position - funcs.begin());
    if (auto found = colours.find(cell.function); found != colours.end()) {
      cell.fill = found->second.fill;
      cell.ink = found->second.ink;
    }
    cell.load = row.channelInfo->load < 0 ? -1 : row.channelInfo->load;
    cell.loadText = row.load;
    cell.claimants = claims[number];
    cell.usedTwice = cell.claimants.size() > 1;
    out.unknownLoads += !cell.LoadKnown();
  }
  out.totalLoad = table.totalLoad;
  out.totalLoadText = table.totalLoadText;
  out.state = LoadStateOf(out.totalLoad);
}

}  // namespace

ELoadState LoadStateOf(double totalLoad) {
  if (totalLoad > kFullLoad)
    return ELoadState::kOver;
  return totalLoad > kHighLoad ? ELoadState::kHigh : ELoadState::kNormal;
}

const char* LoadStateName(ELoadState state) {
  switch (state) {
    case ELoadState::kHigh: return "above 80 %";
    case ELoadState::kOver: return "above 100 %";
    default: return "normal";
  }
}

std::vector<uint32_t> FunctionColours(const std::vector<std::string>& names) {
  std::vector<std::string> order = names;
  std::sort(order.begin(), order.end());
  order.erase(std::unique(order.begin(), order.end()), order.end());
  // The gap two names keep: one fixed width while the circle has room,
  // narrower only for more functions than that width allows. A name is moved
  // off its own hue only by a name before it in the list that sits too close.
  const double gap = order.empty() ? 0 : std::min(30.0, 270.0 / static_cast<double>(order.size()));
  std::map<std::string, double> hues;
  std::vector<double> taken;
  for (const std::string& name : order) {
    double base = NameHash(name) % 360;
    double chosen = -1, best = base, bestDistance = -1;
    for (int step = 0; step < 360 && chosen < 0; ++step) {
      double hue = std::fmod(base + step, 360.0);
      double nearest = 360;
      for (double other : taken)
        nearest = std::min(nearest, HueDistance(hue, other));
      if (nearest >= gap)
        chosen = hue;
      else if (nearest > bestDistance)
        best = hue, bestDistance = nearest;
    }
    if (chosen < 0)
      chosen = best;
    taken.push_back(chosen);
    hues[name] = chosen;
  }
  std::vector<uint32_t> fills;
  for (const std::string& name : names)
    fills.push_back(FillOfHue(hues[name]));
  return fills;
}

double ContrastRatio(uint32_t a, uint32_t b) {
  double la = Luminance(a), lb = Luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

uint32_t InkFor(uint32_t fill) {
  return ContrastRatio(fill, 0x000000) >= ContrastRatio(fill, 0xffffff) ? 0x000000 : 0xffffff;
}

CChannelMap BuildChannelMap(const CProjDoc& doc) {
  CChannelMap map;
  map.processor = doc.m_strCpu;
  std::map<std::string, CChannelMapLegend> legend;
  for (const auto& func : doc.Functions())
    if (func->function)
      legend[func->function->name] = {func->function->name,
                                      func->function->title.empty() ? func->function->name : func->function->title};
  std::vector<std::string> names;
  for (const auto& [name, entry] : legend)
    names.push_back(name);
  std::vector<uint32_t> fills = FunctionColours(names);
  for (std::size_t i = 0; i < names.size(); ++i) {
    CChannelMapLegend& entry = legend[names[i]];
    entry.fill = fills[i];
    entry.ink = InkFor(fills[i]);
    map.legend.push_back(entry);
  }
  for (int engine = 0; engine < 2; ++engine)
    FillEngine(doc, engine, legend, map.engines[engine]);
  return map;
}

std::string CellSpokenText(int engine, const CChannelMapCell& cell) {
  std::string text = std::string("Engine ") + EngineLetter(engine) + " channel " + std::to_string(cell.channel) + ": ";
  if (cell.free)
    return text + "free";
  text += cell.name;
  if (!cell.channelName.empty())
    text += " " + cell.channelName;
  text += cell.LoadKnown() ? ", load " + cell.loadText : std::string(", load unknown");
  if (cell.usedTwice) {
    text += ", used twice by";
    for (std::size_t i = 0; i < cell.claimants.size(); ++i)
      text += (i ? " and " : " ") + cell.claimants[i];
  }
  return text;
}

std::string EngineSpokenText(const CChannelMapEngine& engine) {
  std::string text = std::string("Engine ") + EngineLetter(engine.engine);
  if (!engine.present)
    return text + ": not on this processor";
  text += ": total load " + engine.totalLoadText;
  if (engine.unknownLoads > 0)
    text += " (" + std::to_string(engine.unknownLoads) + " unknown)";
  if (engine.state != ELoadState::kNormal)
    text += std::string(", ") + LoadStateName(engine.state);
  return text;
}
