// A project as the JSON of the headless driver's show report.
#pragma once

#include <nlohmann/json.hpp>

class CProjDoc;

// {"source", "header", "cpu", ..., "functions", "notes"}; `source` and
// `header` are the paths the project was opened from.
nlohmann::json ProjectJson(const CProjDoc& doc, const std::string& source, const std::string& header);
