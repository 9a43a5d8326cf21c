// The list of messages in the user's manual, from the catalog and the advice.
#include "app/messagelist.h"

#include <cctype>
#include <sstream>

#include "base/messagecatalog.h"
#include "base/texthelpers.h"

namespace {

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())))
    text.remove_prefix(1);
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
    text.remove_suffix(1);
  return text;
}

bool IsNumber(std::string_view text) {
  if (text.empty() || text.size() > 6)
    return false;
  for (char c : text)
    if (!std::isdigit(static_cast<unsigned char>(c)))
      return false;
  return true;
}

// The length of a printf conversion at the start of `text` (after its "%"),
// or 0 when there is none: flags, width, precision, length, then the letter.
std::size_t ConversionLength(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && std::string_view("-+ #0").find(text[i]) != std::string_view::npos)
    ++i;
  while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])))
    ++i;
  if (i < text.size() && text[i] == '.') {
    ++i;
    while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])))
      ++i;
  }
  while (i < text.size() && std::string_view("hlLzjt").find(text[i]) != std::string_view::npos)
    ++i;
  if (i < text.size() && std::string_view("diouxXeEfgGcs").find(text[i]) != std::string_view::npos)
    return i + 1;
  return 0;
}

}  // namespace

CMessageAdvice ReadMessageAdvice(std::string_view text) {
  CMessageAdvice result;
  int current = 0;
  int lineNumber = 0;
  auto finish = [&] {
    if (current != 0 && result.advice[current].empty())
      result.problems.push_back("message " + std::to_string(current) + " has no advice");
  };
  while (!text.empty()) {
    std::size_t end = text.find('\n');
    std::string_view line = TrimBlanks(text.substr(0, end));
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    ++lineNumber;
    if (line.empty() || line.front() == ';')
      continue;
    if (IsNumber(line)) {
      finish();
      current = std::stoi(std::string(line));
      if (result.advice.count(current))
        result.problems.push_back("line " + std::to_string(lineNumber) + ": message " + std::string(line) +
                                  " is given twice");
      result.advice[current];
      continue;
    }
    if (current == 0) {
      result.problems.push_back("line " + std::to_string(lineNumber) + ": advice before any message number");
      continue;
    }
    std::string& advice = result.advice[current];
    if (!advice.empty())
      advice += ' ';
    advice += line;
  }
  finish();
  return result;
}

std::vector<int> ListedMessageIds() {
  std::vector<int> ids;
  for (std::size_t i = 0; i < kKivoVamCatalogSize; ++i) {
    int id = kKivoVamCatalog[i].id;
    // 551 is the one message among the captions; the lines it is made of (552) are not.
    if (id == 551 || (id >= 4000 && id < 10000))
      ids.push_back(id);
  }
  return ids;
}

std::string MessageTemplateText(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '\n') {
      if (!out.empty() && out.back() != ' ')
        out += ' ';
      continue;
    }
    if (c != '%' || i + 1 >= text.size()) {
      out += c;
      continue;
    }
    std::string_view rest = text.substr(i + 1);
    if (rest.front() == '%') {
      out += '%';
      ++i;
    } else if (rest.front() >= '1' && rest.front() <= '9') {
      out += "…";
      ++i;
    } else if (std::size_t length = ConversionLength(rest)) {
      out += "…";
      i += length;
    } else {
      out += c;
    }
  }
  return std::string(TrimBlanks(out));
}

std::string WriteMessageList(const CMessageAdvice& advice) {
  std::ostringstream out;
  out << "| Number | Message | What to do |\n|---|---|---|\n";
  for (int id : ListedMessageIds()) {
    auto found = advice.advice.find(id);
    std::string what = found == advice.advice.end() ? std::string() : found->second;
    // The advice is Markdown already; only a bar would break the table.
    std::string cell;
    for (char c : what) {
      if (c == '|')
        cell += '\\';
      cell += c;
    }
    out << "| " << id << " | " << EscapeMarkdown(MessageTemplateText(CatalogText(id, ECatalog::KivoVam))) << " | "
        << cell << " |\n";
  }
  return out.str();
}
