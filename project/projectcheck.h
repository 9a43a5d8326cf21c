// What a project would be refused or warned about before a save, found without asking anyone.
#pragma once

#include <string>
#include <vector>

#include "project/projdoc.h"

// Where the cause of a finding is shown: the page and the row or field to go to.
struct CFindingTarget {
  enum EKind { kNone, kClock, kChannel, kEngineValue, kLoad };
  EKind kind = kNone;
  int engine = -1;        // kChannel, kEngineValue, kLoad: 0 engine A, 1 engine B; -1 the module
  std::vector<int> channels;  // kChannel: the channel numbers to select on that engine's page
  int clock = 0;          // kClock: 0 the system clock field, 1 the PTB clock field
  std::string section;    // kEngineValue: the engine description's section of the field
  int function = -1;      // kLoad: the configured function's position in CProjDoc::Functions()
  bool operator==(const CFindingTarget&) const = default;
};

struct CProjectFinding {
  int id = 0;  // the catalog number of the message, 0 for a finding without one
  std::string text;
  CFindingTarget target;
  bool operator==(const CProjectFinding&) const = default;
};

// The processor's clock limits (4035, 4036), the collisions of the project's
// own processor (as CheckCpuChange words them),
// channels used twice on an engine or lying outside 0 to 31, parameters naming a
// channel that no function defines, and load expressions that fail for another
// reason than inputs not yet given. Shows nothing and leaves the project as it
// was, the loads it holds included, so that a view may call it on every change.
std::vector<CProjectFinding> CheckProjectBeforeSave(CProjDoc& doc);

// The file an "#include" line names, quoted or in angle brackets; empty for
// any other line.
std::string IncludedFileName(const std::string& line);
// The names the include lines of `text` name, in their order.
std::vector<std::string> IncludedNames(const std::string& text);

// Folders, relative to the function-set folder and sorted, that a compiler
// needs (-I) for the generated files: where the headers they include, and the
// headers those include, are found. "." is the function-set folder itself.
std::vector<std::string> ProjectIncludeDirs(CProjDoc& doc);
