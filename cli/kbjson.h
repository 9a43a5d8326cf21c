// The knowledge base as the JSON of the headless driver's report.
#pragma once

#include <nlohmann/json.hpp>
#include <string>

class CKivoCpu;
class CKivoFunc;
class CKnowledgeBase;

// {"name", "engines", ..., "templateName"}: a processor record under a name.
nlohmann::json CpuJson(const std::string& name, const CKivoCpu& cpu);
// FUNC: a function or an application with its API metadata.
nlohmann::json FuncJson(const CKivoFunc& func);
// {"cpus", "cfg", "sets", "functions", "apps"}
nlohmann::json KnowledgeBaseJson(const CKnowledgeBase& kb);
