// The problems of the open project as a list: what its last open warned about and what the check before a save finds.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "base/ports.h"
#include "project/projectcheck.h"

// One row of the list.
struct CProjectProblem {
  EMessageKind kind = EMessageKind::Warning;
  int id = 0;  // the catalog number, 0 for a text without one
  std::string text;
  CFindingTarget target;  // kNone for a warning of the open: the file said it, no field holds it
  bool fromOpen = false;  // shown when the project was opened, not found by the check
  bool operator==(const CProjectProblem&) const = default;
};

// The messages of an open that count against the project: its warnings and
// errors. Each means the model differs from the files, which a save would
// write; a question or a note is none.
bool IsOpenProblem(const CMessage& message);

// The warnings of the last open (`opened`, those IsOpenProblem keeps, in the
// order shown), then the findings of CheckProjectBeforeSave. Shows nothing,
// asks nothing and leaves the project as it was (its modified mark, its undo
// history, its loads), so that a view may call it on every change.
std::vector<CProjectProblem> ListProjectProblems(CProjDoc& doc, const std::vector<CMessage>& opened);

// "No problems", "1 problem", "2 problems".
std::string ProblemCountText(std::size_t count);
// The text on one line, as a list row shows it: line breaks and tabs become single blanks.
std::string ProblemRowText(const std::string& text);
