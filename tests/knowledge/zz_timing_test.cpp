#include <gtest/gtest.h>
#include <chrono>
#include <cstdio>
#include "knowledge/commentpatterns.h"
#include "knowledge/kbregex.h"

namespace {
std::string Rep(const std::string& s, std::size_t size) { std::string o; while (o.size() + s.size() <= size) o += s; return o; }
std::string Heading(const std::string& first, const std::string& second) {
  return std::string(kCommentStart) + "(?:(?:(?:" + first + kHeadingGap + second + ")|(?:" + second + kHeadingGap +
         first + ")))" + kCommentRest;
}
struct P { const char* name; std::string pattern; bool global, multiline; };
std::vector<P> Patterns() {
  return {
   {"fullname", std::string(kCommentStart) + R"([Ff][Uu][Ll][Ll]\s*(?:[Ff][Uu][Nn][Cc][Tt][Ii][Oo][Nn]|)" R"([Aa][Pp][Pp]?[Ll][Ii][Cc][Aa][Tt][Ii][Oo][Nn])\s*[Nn][Aa][Mm][Ee]\s*\:?)" R"(((?:(?!\/\*)(?!\*\/).)*+))" + kCommentRest, false, true},
   {"list", Heading("[Ll][Ii][Ss][Tt]", "[Ff][Uu][Nn][Cc][Tt][Ii][Oo][Nn]"), false, true},
   {"presume", Heading("[Pp][Rr][Ee][Ss][Uu][Mm][Ee]", "[Ss][Ee][Tt][Tt][Ii][Nn][Gg]"), false, true},
   {"entry", R"re(^\s*(("")|("(.*?[^\\])")))re", true, true},
   {"setting", R"((HV_KIVO_[A-Za-z0-9_]*)\s*(?:\(([^)\n]+?)\))?)", true, true},
   {"used", std::string(kCommentStart) + R"((?:[Kk][Ii][Vv][Oo]\s*[Ff][Uu][Nn][Cc][Tt][Ii][Oo][Nn][Ss]?\s*[Uu][Ss][Ee][Dd]\s*\:?))" + kCommentRest, true, true},
   {"include", R"(^\s*\#include\s+[<\"](.*?)[>\"])", true, true},
   {"define", R"(^\s*#define\s+(\w+)\s*(\([^)\n]*\))?[^/\n]*(?:/[/*]+([^*\n]+))?)", true, true},
   {"enumerator", R"(([A-Za-z_][A-Za-z0-9_]*)(?:[^,](?!/))*[,]?\s*(?:/[/*]+([^*\n]+)(?:\*+/)?)?)", true, false},
   {"misc", R"(^\s*\#define\s+HV_KIVO_MISC\s+((0x[A-Fa-f0-9]+)|(\d+)))", true, true},
  };
}
std::vector<std::pair<std::string, std::function<std::string(std::size_t)>>> Shapes() {
  std::vector<std::pair<std::string, std::function<std::string(std::size_t)>>> s;
  for (std::string tok : {"x", " ", "\n", "/*", "(", "\"", "list ", "function ", "list\n", "presume ", "setting ",
       "Full ", "Full function ", "kivo ", "kivo functions ", "HV_KIVO_A(", "HV_KIVO_", "#define ", "#include ",
       "#include <", "/* list", "/* Full function name", "/* kivo functions used", "\"x", "\\\"", "/", "A, ", "A/", "=",
       " \n", "0x", "#define HV_KIVO_MISC "}) {
    s.push_back({"rep[" + tok + "]", [tok](std::size_t n) { return Rep(tok, n); }});
    s.push_back({"/* rep[" + tok + "]", [tok](std::size_t n) { return "/* " + Rep(tok, n); }});
    s.push_back({"rep[" + tok + "] tail", [tok](std::size_t n) { return Rep(tok, n) + "#include <a>\n#define A 1\n\"x\"\nlist function */ HV_KIVO_A(1) Full function name: x */ #define HV_KIVO_MISC 1"; }});
  }
  return s;
}
TEST(ZZTiming, All) {
  for (auto& p : Patterns()) {
    CRegExp re(p.pattern, p.global, p.multiline);
    for (auto& [name, make] : Shapes()) {
      double t[2];
      std::size_t sizes[2] = {131072, 524288};
      for (int i = 0; i < 2; ++i) {
        std::string text = make(sizes[i]);
        auto a = std::chrono::steady_clock::now();
        CMatchList m = RunPatternQuietly(re, text);
        t[i] = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - a).count();
      }
      if (t[1] > 20 || t[1] > 6 * t[0] + 2)
        std::printf("%-10s %-28s 128K %8.1f ms  512K %8.1f ms\n", p.name, name.c_str(), t[0], t[1]);
    }
  }
}
}
