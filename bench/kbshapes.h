// API headers of a megabyte shaped to make a backtracking reader slow: one line of identifier characters, long runs of blanks after a heading, long range lists, thousands of prototypes.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace kbshapes {

inline constexpr std::size_t kSize = 1048576;

// The set header that lists the one function every shape declares.
inline std::string SetHeader() { return "/* Function list\n \"X\"\n*/\n"; }

inline std::string Prototype() { return "void hv_kivo_x_init(uint8_t channel, uint8_t mode, uint8_t prio);\n"; }

// `text` repeated whole as often as fits in `size` bytes after `head`.
inline std::string Repeat(const std::string& head, const std::string& text, std::size_t size = kSize - 4096) {
  std::string out = head;
  while (out.size() + text.size() <= size)
    out += text;
  return out;
}

struct CShape {
  std::string name;
  std::string header;
  std::size_t initFuncs;  // initialisation functions it declares
  std::size_t loadExprs;  // load expressions that survive
};

// A header as a vendor writes it, grown to a megabyte.
inline std::string Normal() {
  std::string text = Prototype();
  for (int n = 0; text.size() < kSize - 4096; ++n) {
    std::string id = std::to_string(n);
    text += "/* Load expression x_load_" + id + "\nvar freq {1..1000000} [Hz]\nexpression = freq * 2\n*/\n";
    text += "/* Channel assignment (default) Load: x_load_" + id + "\nmaster = channel;\npriority = prio\n*/\n";
    text += "/* The mode options: */\n#define MODE_A_" + id + " 1 /* a */\n#define MODE_B_" + id + " 2 /* b */\n";
    text += "/* Just a comment about things that are\n * not interesting at all. */\n";
    text += "uint32_t hv_kivo_x_get_period_" + id + "(uint8_t channel);\n";
  }
  return text;
}

inline std::size_t NormalLoads() {
  std::string text = Normal();
  std::size_t count = 0;
  for (std::size_t at = text.find("/* Load expression"); at != std::string::npos;
       at = text.find("/* Load expression", at + 1))
    ++count;
  return count;
}

inline std::vector<CShape> Shapes() {
  const std::string proto = Prototype();
  const std::string line(kSize - 4096, 'x');
  const std::string blanks(kSize - 4096, ' ');
  std::string items;
  for (int i = 0; i < 3000; ++i)
    items += (i ? ", 1" : "1") + std::string(300, '.') + " 2 3";
  std::string protos = Repeat("", proto);
  std::string oneParam = Repeat("", "void hv_kivo_x_init(uint8_t mode);\n");
  auto count = [](const std::string& text, const std::string& what) {
    std::size_t n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
      ++n;
    return n;
  };
  return {
      {"normal", Normal(), 1, NormalLoads()},
      {"identifier line then semicolon", proto + line + ";\n", 1, 0},
      {"identifier line then prototype", line + proto, 1, 0},
      {"identifier line without end", proto + line, 1, 0},
      {"load heading then blanks", proto + "/* Load expression" + blanks, 1, 0},
      {"channel heading then blanks", proto + "/* Channel assignment (" + blanks, 1, 0},
      {"channel selector then parentheses", proto + "/* Channel assignment (x = a" + std::string(kSize - 4096, ')'),
       1, 0},
      {"range list of dots", proto + "/* Load expression e\nvar v {" + items + "}\nexpression = 1\n*/\n", 1, 1},
      {"prototypes of three parameters", protos, count(protos, "hv_kivo_x_init"), 0},
      {"prototypes of one parameter", oneParam, count(oneParam, "hv_kivo_x_init"), 0},
      {"comment of load words", proto + "/* Load expression e\nexpression = 1\n*/\n" + Repeat("/* ", "load ") + "*/\n",
       1, 1},
      {"options words on alternate lines", proto + Repeat("/* ", "mode\noptions ") + "*/\n#define MODE_A 1\n", 1, 0},
  };
}

}  // namespace kbshapes
