// A project as the JSON of the headless driver's show report.
#pragma once

#include <iosfwd>
#include <nlohmann/json.hpp>
#include <string>

class CProjDoc;

// {"source", "header", "cpu", ..., "functions", "notes"}; `source` and
// `header` are the paths the project was opened from.
nlohmann::json ProjectJson(const CProjDoc& doc, const std::string& source, const std::string& header);

// What an engineer reviews, as text: processor and clocks, function set, per
// engine its settings, each function with its channels and parameters, the
// verbatim block and the include folders. `model` is ProjectJson's with
// "includeDirs" added.
void PrintProject(const CProjDoc& doc, const nlohmann::json& model, std::ostream& out);
