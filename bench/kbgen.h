// A generated function-set library: set headers, API headers and sources, shared includes and applications.
#pragma once

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>

namespace kbgen {

namespace fs = std::filesystem;

struct CShape {
  int sets = 20;
  int functionsPerSet = 20;
  int shared = 3;  // each set also lists the first functions of the next one
  int apps = 5;
};

inline std::string Number(int n, int width) {
  std::string text = std::to_string(n);
  return std::string(static_cast<std::size_t>(width) - std::min<std::size_t>(text.size(), static_cast<std::size_t>(width)),
                     '0') +
         text;
}

inline void Write(const fs::path& path, const std::string& text) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << text;
}

inline std::string FunctionName(int f) { return "F" + Number(f, 3); }

inline std::string SetHeader(const CShape& shape, int s) {
  std::string text = "/* Function set " + Number(s, 2) + " of the generated library. */\n";
  text += "#define HV_KIVO_MISC 0x" + Number(s, 4) + "ABCD\n#define HV_KIVO_ENTRY_TABLE 2048\n\n";
  text += "/* Function list of this image:\n";
  for (int i = 0; i < shape.functionsPerSet; ++i)
    text += "   \"" + FunctionName(s * shape.functionsPerSet + i) + " - generated function " + std::to_string(i) +
            "\",\n";
  for (int i = 0; i < shape.shared; ++i)
    text += "   \"" + FunctionName(((s + 1) % shape.sets) * shape.functionsPerSet + i) + " - generated function " +
            std::to_string(i) + "\",\n";
  text += "   \"\"\n*/\n\n/* This image presumes these settings: HV_KIVO_ETB_USER */\n";
  return text;
}

inline std::string TypesHeader(int s) {
  std::string text = "/* Types shared by the functions of group " + Number(s, 2) + ". */\n";
  text += "typedef enum\n{\n    LEVEL_LOW,   /* low level */\n    LEVEL_HIGH,  /* high level */\n"
          "    LEVEL_TOGGLE /* toggles */\n} shared_t;\n\n";
  for (int i = 0; i < 60; ++i)
    text += "#define KIVO_GROUP_REG_" + Number(i, 2) + "  (0x" + Number(i * 4, 4) + "u)  /* register " +
            std::to_string(i) + " */\n";
  return text;
}

inline std::string ApiHeader(int f, int group) {
  const std::string n = Number(f, 3);
  const std::string lower = "f" + n;
  std::string text = "/* kivo_" + lower + ".h - C API of the generated function " + n + ". */\n";
  text += "#ifndef KIVO_F" + n + "_H\n#define KIVO_F" + n + "_H\n\n#include <stdint.h>\n#include \"kivo_types_" +
          Number(group, 2) + ".h\"\n\n";
  text += "/* Full function name: Generated Function " + n + " */\n\n";
  text += "/* Load expression " + lower + "_load\nvar freq {1..1000000} [Hz]\nvar mode {SINGLE(0), DUAL(1)}\n"
          "master = freq * 2 / kivo_tcr1_freq + if(mode == 1, 10, 20)\nslave = master / 2\n"
          "expression = master + slave\n*/\n\n";
  text += "/* Channel assignment (default) Load: " + lower + "_load\nmaster = channel;\npriority = prio\n*/\n\n";
  text += "/* Channel assignment (mode = F" + n + "_MODE_DUAL) Load: " + lower +
          "_load\nmaster = channel; slave = master + 1;\npriority = prio\n*/\n\n";
  text += "/* The edge options of hv_kivo_" + lower + "_init: */\n";
  for (const char* edge : {"RISING", "FALLING", "BOTH"})
    text += "#define F" + n + "_EDGE_" + edge + "  0x0" + std::to_string(text.size() % 7) + "  /* " + edge +
            " edge */\n";
  text += "\ntypedef enum\n{\n    F" + n + "_MODE_SINGLE, /* one channel */\n    F" + n +
          "_MODE_DUAL    /* two channels */\n} " + lower + "_mode_t;\n\n";
  for (int i = 0; i < 40; ++i)
    text += "#define F" + n + "_PARAM_OFFSET_" + Number(i, 2) + "  (0x" + Number(i * 4, 2) +
            "u)  /* parameter RAM word " + std::to_string(i) + " */\n";
  text += "\n/* Initialises the function on one channel. The channel must not be used by another\n"
          " * function of the same engine; see the notes of the source for the timing. */\n";
  text += "void hv_kivo_" + lower + "_init(uint8_t channel, " + lower +
          "_mode_t mode, uint8_t edge, uint8_t prio,\n        uint32_t period, shared_t level);\n";
  text += "void hv_kivo_" + lower + "_init_output(uint8_t channel, uint8_t polarity);\n";
  text += "uint32_t hv_kivo_" + lower + "_get_period(uint8_t channel);\n\n#endif\n";
  return text;
}

inline std::string ApiSource(int f) {
  const std::string lower = "f" + Number(f, 3);
  std::string text = "/* kivo_" + lower + ".c - C API of the generated function. */\n#include \"kivo_" + lower +
                     ".h\"\n\n";
  text += "/* hv_kivo_" + lower + "_init - initialises the function\n"
          " * channel - the channel the function runs on,\n *           0 to 31\n"
          " * mode - single or dual operation\n * edge - the active edge\n * prio - the channel priority\n"
          " * period - the period in TCR1 ticks\n * level - the idle output level\n */\n";
  text += "/* hv_kivo_" + lower + "_init Project Notes: needs a free output pin\n *   on the engine.\n */\n";
  text += "void hv_kivo_" + lower + "_init(uint8_t channel, " + lower +
          "_mode_t mode, uint8_t edge, uint8_t prio,\n        uint32_t period, shared_t level)\n{\n";
  for (int i = 0; i < 60; ++i)
    text += "    hv_kivo_set_chan_local_32(channel, F" + Number(f, 3) + "_PARAM_OFFSET_" + Number(i % 40, 2) +
            ", period + " + std::to_string(i) + ");\n";
  return text + "}\n";
}

inline std::string AppHeader(int a) {
  std::string text = "/* Full application name: Generated application " + std::to_string(a) + " */\n";
  text += "/* Kivo functions used: " + FunctionName(a * 7) + ", " + FunctionName(a * 7 + 1) + " */\n";
  text += "void hv_kivo_app_gen" + std::to_string(a) + "_init(uint8_t first_channel, uint8_t prio);\n";
  return text;
}

// Writes the library of `shape` into `folder`.
inline void WriteLibrary(const fs::path& folder, const CShape& shape) {
  for (int s = 0; s < shape.sets; ++s) {
    Write(folder / "sets" / ("kivo_set_g" + Number(s, 2) + ".h"), SetHeader(shape, s));
    Write(folder / "include" / ("kivo_types_" + Number(s, 2) + ".h"), TypesHeader(s));
    for (int i = 0; i < shape.functionsPerSet; ++i) {
      int f = s * shape.functionsPerSet + i;
      fs::path group = folder / "functions" / ("g" + Number(s, 2));
      Write(group / ("kivo_f" + Number(f, 3) + ".h"), ApiHeader(f, s));
      Write(group / ("kivo_f" + Number(f, 3) + ".c"), ApiSource(f));
    }
  }
  for (int a = 0; a < shape.apps; ++a)
    Write(folder / "apps" / ("kivo_app_gen" + std::to_string(a) + ".h"), AppHeader(a));
}

}  // namespace kbgen
