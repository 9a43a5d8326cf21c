// The problems of the open project as a list.
#include "project/problems.h"

bool IsOpenProblem(const CMessage& message) {
  return message.kind == EMessageKind::Warning || message.kind == EMessageKind::Error;
}

std::vector<CProjectProblem> ListProjectProblems(CProjDoc& doc, const std::vector<CMessage>& opened) {
  std::vector<CProjectProblem> problems;
  for (const CMessage& message : opened)
    if (IsOpenProblem(message))
      problems.push_back({message.kind, message.id, message.text, {}, true});
  for (CProjectFinding& finding : CheckProjectBeforeSave(doc))
    problems.push_back({EMessageKind::Warning, finding.id, std::move(finding.text), std::move(finding.target), false});
  return problems;
}

std::string ProblemCountText(std::size_t count) {
  if (count == 0)
    return "No problems";
  return std::to_string(count) + (count == 1 ? " problem" : " problems");
}

std::string ProblemRowText(const std::string& text) {
  std::string row;
  row.reserve(text.size());
  bool blank = false;
  for (char c : text) {
    bool space = c == '\n' || c == '\r' || c == '\t' || c == ' ';
    if (space && (blank || row.empty()))
      continue;
    row += space ? ' ' : c;
    blank = space;
  }
  while (!row.empty() && row.back() == ' ')
    row.pop_back();
  return row;
}
