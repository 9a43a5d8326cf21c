// Start-up code of every fuzz target: a default time limit per input, and the helpers of fuzzsupport.h.
#include "fuzz/fuzzsupport.h"

#include <fstream>
#include <iterator>
#include <vector>

namespace {

// A reader that spends seconds on one small input is a finding (a pattern or
// an evaluation gone super-linear), not a slow run. A limit given on the
// command line comes later and wins.
char g_defaultTimeout[] = "-timeout=5";
std::vector<char*> g_arguments;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  g_arguments.assign(*argv, *argv + *argc);
  g_arguments.insert(g_arguments.begin() + 1, g_defaultTimeout);
  g_arguments.push_back(nullptr);
  *argc = static_cast<int>(g_arguments.size()) - 1;
  *argv = g_arguments.data();
  return 0;
}

std::pair<std::string_view, std::string_view> SplitAtNul(std::string_view input) {
  std::size_t nul = input.find('\0');
  if (nul == std::string_view::npos)
    return {input, {}};
  return {input.substr(0, nul), input.substr(nul + 1)};
}

std::string FixtureFolder(const std::string& relative) {
  return std::string(KV_FUZZ_KB_DIR) + "/" + relative;
}

bool ReadWholeFile(const std::string& path, std::string& bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in)
    return false;
  bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}
