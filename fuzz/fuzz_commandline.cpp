// Fuzz target of the command-line option parser, and of rebuilding a command line from split arguments.
#include <string>
#include <vector>

#include "base/commandline.h"
#include "fuzz/fuzzsupport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view text = InputText(data, size);
  CCommandLineOptions options = ParseCommandLineOptions(std::string(text));
  std::string value;
  for (const auto& [name, optionValue] : options)
    if (!LookupOption(options, name, value) || value != optionValue)
      __builtin_trap();
  // The same bytes as split arguments (one per line), as a shell hands them over.
  std::vector<std::string> args;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos)
      end = text.size();
    args.emplace_back(text.substr(start, end - start));
    start = end + 1;
  }
  (void)ParseCommandLineOptions(JoinCommandLine(args));
  return 0;
}
