// CStatusLog: the main dialog's running log of results and progress lines.
#pragma once

#include <functional>
#include <string>
#include <string_view>

class CStatusLog {
 public:
  // Appends a text in the log's line form (see Normalise).
  void Add(std::string_view text);
  const std::string& Text() const { return m_text; }

  // Trailing blanks go, CR LF becomes LF, each pair of LFs becomes one (in one
  // pass, so three in a row leave two), every LF becomes CR LF, and the text
  // ends with CR LF.
  static std::string Normalise(std::string_view text);

  // Told each normalised addition, so that a window can show it at once.
  std::function<void(const std::string& added)> onAdded;

 private:
  std::string m_text;
};
