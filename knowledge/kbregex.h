// Running the header patterns over knowledge-base files without letting a pathological file stop the load.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "support/regexp.h"

// The submatches of every match, copied out, so that the pattern object can be
// used again (by a nested read) while the caller walks the results.
using CMatchList = std::vector<std::vector<std::string>>;

// Executes `pattern` over `text`. A pattern the engine rejects, or a match
// that runs past the engine's limits, is reported once with message 9310
// naming `fileName` and gives no match.
CMatchList RunPattern(CRegExp& pattern, std::string_view text, const std::string& fileName);

// The same, without a report: for searches whose failure means "not found".
CMatchList RunPatternQuietly(CRegExp& pattern, std::string_view text);

// Fills "%1" and "%2" of a pattern template with identifiers, unescaped.
std::string FillPattern(std::string_view pattern, const std::string& first, const std::string& second = {});

// `text` with every character other than a letter, digit or underscore
// escaped, so that a name from a file always stands for itself in a pattern.
std::string EscapeForPattern(std::string_view text);

// Patterns built from names, compiled once per load: the same parameter names
// and types recur in header after header, and compiling costs more than
// running a pattern over a header.
class CPatternCache {
 public:
  CRegExp& Get(const std::string& pattern, bool global, bool multiline);

 private:
  std::map<std::tuple<std::string, bool, bool>, std::unique_ptr<CRegExp>> m_patterns;
};
