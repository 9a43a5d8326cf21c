// The channel-assignment comment pattern over 1 MiB headers, and the INI reader on a 200-section file.
#include <benchmark/benchmark.h>

#include <sstream>
#include <string>

#include "support/inifile.h"
#include "support/regexp.h"

namespace {

constexpr std::size_t kMebibyte = 1024 * 1024;

const char* const kChannelAssignment =
    "\\/\\*((?:(?:.|[\\n])(?!\\/\\*)(?!\\*\\/))*?)(?:(?:(?:[Cc][Hh][Aa][Nn][Nn][Ee][Ll].*?[Aa][Ss][Ss][Ii][Gg][Nn]"
    "[Mm][Ee][Nn][Tt])|(?:[Aa][Ss][Ss][Ii][Gg][Nn][Mm][Ee][Nn][Tt].*?[Cc][Hh][Aa][Nn][Nn][Ee][Ll])))([^(\\n]*)((?:\\("
    "\\s*?(?:([A-Za-z_][A-Za-z0-9_]*?)\\s*?(?:\\;|\\:))?\\s*?((?:[Dd][Ee][Ff][Aa][Uu][Ll][Tt])|(?:[A-Za-z_][A-Za-z0-9_]"
    "*?\\s*?=\\s*?\\S*?))\\s*?\\))?)(.*)\\n((?:[^=\\n]*?=[^;\\n]*;?\\n?)+)((?:(?:.|[\\n])(?!\\/\\*))*?)\\*\\/";

// Prototypes, defines and short comments, with a channel-assignment block now and then.
std::string NormalHeader() {
  std::string text;
  for (int i = 0; text.size() < kMebibyte - 400; ++i) {
    std::string n = std::to_string(i);
    text += "/* Parameter " + n + " of the function, in timer ticks. */\n";
    text += "#define KIVO_PWM_PARAM_" + n + " (0x" + n + "u)\n";
    text += "void hv_kivo_pwm" + n + "_init(uint8_t channel, uint32_t period_" + n + ");\n";
    if (i % 50 == 0)
      text += "/* Channel assignment (mode = 1) Load: pwm_load\n   chan = channel;\n   priority = 2;\n*/\n";
  }
  return text;
}

std::string SingleCommentHeader() {
  std::string text = "/*\n";
  const std::string line = " * The engine keeps its time bases running while the host sleeps; see below.\n";
  while (text.size() + line.size() + 3 < kMebibyte)
    text += line;
  return text + "*/\n";
}

void Search(benchmark::State& state, const std::string& text) {
  CRegExp pattern(kChannelAssignment, true, true);
  int matches = 0;
  for (auto _ : state)
    benchmark::DoNotOptimize(matches = pattern.Execute(text));
  state.counters["matches"] = matches;
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
}

void BM_ChannelAssignmentNormalHeader(benchmark::State& state) { Search(state, NormalHeader()); }
void BM_ChannelAssignmentSingleComment(benchmark::State& state) { Search(state, SingleCommentHeader()); }

std::string IniText() {
  std::string text;
  for (int s = 0; s < 200; ++s) {
    text += "[CPU" + std::to_string(s) + "]\n";
    for (int k = 0; k < 12; ++k)
      text += "key" + std::to_string(k) + " = value " + std::to_string(s * k) + "\n";
    text += "\n";
  }
  return text;
}

void BM_IniRead200Sections(benchmark::State& state) {
  const std::string text = IniText();
  for (auto _ : state) {
    CIniFile file;
    std::istringstream in(text);
    file.Read(in, "bench.ini");
    benchmark::DoNotOptimize(file.Sections().size());
  }
}

}  // namespace

BENCHMARK(BM_ChannelAssignmentNormalHeader)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ChannelAssignmentSingleComment)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_IniRead200Sections)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
