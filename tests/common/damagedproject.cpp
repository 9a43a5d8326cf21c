#include "damagedproject.h"

#include <stdexcept>
#include <vector>

#include "testsupport.h"

namespace {

// One line of the sample as it is and as the hand left it; no new text drops the line.
struct CLineEdit {
  std::size_t line;
  const char* was;
  const char* becomes;
};

struct CDamage {
  const char* name;
  std::vector<CLineEdit> edits;
};

const CDamage kDamages[] = {
    {"short_call", {{141, "                                      KIVO_ACTIVE_HIGH,\t/* polarity: Active high */", nullptr}}},
    {"unbalanced",
     {{168, "                                            20000,\t/* period: 20000 */",
       "                                            (20000,\t/* period: 20000 */"},
      {194, "                                1024);\t/* lines_per_rev: 1024 */",
       "                                1024;\t/* lines_per_rev: 1024 */"}}},
    {"missing_set", {{25, "#include \"kivo2/kivo_set_k2_motion.h\"", "#include \"kivo2/kivo_set_k2_retired.h\""}}},
    {"unknown_cpu", {{12, " *   CPU            = Omiro Q32", " *   CPU            = Omiro Q99"}}},
    {"zero_sysclk", {{13, " *   SYSCLK         = 150 MHz", " *   SYSCLK         = 0 MHz"}}},
};

// The sample's lines with the edits made; a line that no longer reads as the
// edit expects stops the test rather than damaging something else.
std::string Edited(const std::string& text, const std::vector<CLineEdit>& edits) {
  std::vector<std::string> lines;
  for (std::size_t start = 0; start < text.size();) {
    std::size_t end = text.find('\n', start);
    end = end == std::string::npos ? text.size() : end + 1;
    lines.push_back(text.substr(start, end - start));
    start = end;
  }
  std::vector<bool> dropped(lines.size(), false);
  for (const CLineEdit& edit : edits) {
    if (edit.line == 0 || edit.line > lines.size() || lines[edit.line - 1] != std::string(edit.was) + "\n")
      throw std::logic_error("the sample project no longer has line " + std::to_string(edit.line) + ": " + edit.was);
    if (edit.becomes)
      lines[edit.line - 1] = std::string(edit.becomes) + "\n";
    else
      dropped[edit.line - 1] = true;
  }
  std::string out;
  for (std::size_t i = 0; i < lines.size(); ++i)
    if (!dropped[i])
      out += lines[i];
  return out;
}

}  // namespace

void WriteDamagedDemo(const std::string& name, const std::filesystem::path& dir) {
  for (const CDamage& damage : kDamages) {
    if (name != damage.name)
      continue;
    const std::filesystem::path demo = SourcePath("examples/demo");
    WriteFileBytes(dir / "kivo_vam.c", Edited(ReadFileBytes(demo / "kivo_vam.c"), damage.edits));
    WriteFileBytes(dir / "kivo_vam.h", ReadFileBytes(demo / "kivo_vam.h"));
    return;
  }
  throw std::logic_error("no damage called " + name);
}
