// Expands a code template line by line, one placeholder per line, keeping a placeholder's indentation.
#pragma once

#include <functional>
#include <string>

class CTemplateExpander {
 public:
  // Gives the text of one tag, percent signs included ("%CPU%").
  using CTagFunction = std::function<std::string(const std::string& tag)>;

  explicit CTemplateExpander(CTagFunction expandTag) : m_expandTag(std::move(expandTag)) {}

  // Every line of `templateText` expanded and ended with "\n"; a template line
  // may end in "\r\n" or "\n", and a last line without an end is still written.
  std::string Expand(const std::string& templateText) const;
  // One template line without its line end, expanded but not ended.
  std::string ExpandLine(const std::string& line) const;

 private:
  CTagFunction m_expandTag;
};
