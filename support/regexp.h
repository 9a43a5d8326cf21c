// Regular-expression service: ECMAScript-style patterns with a count-and-index match model.
#pragma once

#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

// Raised for a pattern the engine rejects and for a match that runs past the
// engine's limits; the service itself never shows anything.
class CRegExpError : public std::runtime_error {
 public:
  CRegExpError(const std::string& what, int code) : std::runtime_error(what), m_code(code) {}
  int Code() const { return m_code; }

 private:
  int m_code;
};

// One match of the last Execute: the capturing groups as text.
class CRegExpMatch {
 public:
  CRegExpMatch() = default;
  int SubMatchCount() const { return static_cast<int>(m_groups.size()); }
  // Group index + 1 of the pattern; a group that took no part gives empty text.
  std::string SubMatch(int index) const;
  // Offset and length of the whole match in the executed text.
  std::size_t Position() const { return m_position; }
  std::size_t Length() const { return m_length; }

 private:
  friend class CRegExp;
  struct CSpan {
    std::size_t start = 0;
    std::size_t length = 0;
    bool set = false;
  };
  std::shared_ptr<const std::string> m_text;
  std::vector<CSpan> m_groups;
  std::size_t m_position = 0;
  std::size_t m_length = 0;
};

// A compiled pattern with the Global and Multiline settings. "." never matches
// a line end, "\s" does; without Multiline "$" matches only at the very end.
// Compilation happens at the first Execute after the pattern or a flag changed,
// so a function-local static wrapper compiles its pattern once per run.
class CRegExp {
 public:
  CRegExp();
  explicit CRegExp(std::string_view pattern, bool global = false, bool multiline = false);
  ~CRegExp();
  CRegExp(CRegExp&&) noexcept;
  CRegExp& operator=(CRegExp&&) noexcept;
  CRegExp(const CRegExp&) = delete;
  CRegExp& operator=(const CRegExp&) = delete;

  void SetPattern(std::string_view pattern);
  void SetGlobal(bool global);
  void SetMultiline(bool multiline);
  const std::string& Pattern() const { return m_pattern; }
  bool Global() const { return m_global; }
  bool Multiline() const { return m_multiline; }

  // Returns the number of matches (at most 1 without Global) and keeps them.
  int Execute(std::string_view text);
  int MatchCount() const { return static_cast<int>(m_matches.size()); }
  const CRegExpMatch& GetMatch(int index) const;
  // The text with the first match (every match with Global) replaced.
  std::string Replace(std::string_view text, std::string_view replacement);
  // Whether the pattern matches anywhere; keeps no matches.
  bool Test(std::string_view text);

 private:
  struct CCompiled;
  void Compile();
  template <typename OnMatch>
  void Scan(std::string_view text, bool all, OnMatch&& onMatch);

  std::string m_pattern;
  bool m_global = false;
  bool m_multiline = false;
  std::unique_ptr<CCompiled> m_compiled;
  std::vector<CRegExpMatch> m_matches;
};
