// Pieces of the generated C text: external declarations and the way a configured value is written.
#include "project/codetext.h"

#include <cctype>

#include "knowledge/cfgdesc.h"
#include "knowledge/kbtext.h"

namespace {

bool IsIdentChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }
bool IsIdentStart(char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_'; }

bool HasLowerCase(const std::string& text) {
  for (char c : text)
    if (std::islower(static_cast<unsigned char>(c)))
      return true;
  return false;
}

// Removes `word` from the end of `type` when it stands there as a whole word.
bool StripTrailingWord(std::string& type, const std::string& word) {
  if (type.size() < word.size() || type.compare(type.size() - word.size(), word.size(), word) != 0)
    return false;
  std::size_t before = type.size() - word.size();
  if (before > 0 && IsIdentChar(type[before - 1]))
    return false;
  type = TrimRight(type.substr(0, before));
  return true;
}

// Taking an address removes one pointer level from the parameter's type; the
// object itself needs none of the qualifiers that the pointer carried.
bool DropPointerLevel(std::string& type) {
  if (type.empty() || type.back() != '*')
    return false;
  type.pop_back();
  type = TrimRight(type);
  while (StripTrailingWord(type, "const")) {
  }
  StripTrailingWord(type, "volatile");
  return true;
}

std::size_t SkipBrackets(const std::string& value, std::size_t open) {
  int depth = 0;
  for (std::size_t i = open; i < value.size(); ++i) {
    if (value[i] == '[')
      ++depth;
    else if (value[i] == ']' && --depth == 0)
      return i;
  }
  return value.size();
}

// The position of the ")" that closes a cast opening at `open`: a type name
// in parentheses followed by an operand ("(uint32_t)&x"). Any other group,
// such as "(x + 1)", is an operand itself: npos.
std::size_t CastEnd(const std::string& value, std::size_t open) {
  std::size_t close = open + 1;
  while (close < value.size() && (IsIdentChar(value[close]) || value[close] == '*' ||
                                  std::isspace(static_cast<unsigned char>(value[close]))))
    ++close;
  if (close >= value.size() || value[close] != ')')
    return std::string::npos;
  std::size_t next = close + 1;
  while (next < value.size() && std::isspace(static_cast<unsigned char>(value[next])))
    ++next;
  if (next >= value.size())
    return std::string::npos;
  char c = value[next];
  return IsIdentStart(c) || c == '&' || c == '*' || c == '(' ? close : std::string::npos;
}

const CKivoValueDef* DefinedValue(const CKivoVarValue& value) {
  if (!value.def)
    return nullptr;
  for (const auto& candidate : value.def->values)
    if (candidate->name == value.valueName)
      return candidate.get();
  return nullptr;
}

}  // namespace

std::string MakeExternDeclaration(const std::string& valueText, const std::string& typeText) {
  std::string value = Trim(valueText);
  std::string type = Trim(typeText);
  if (value.empty() || std::isdigit(static_cast<unsigned char>(value[0])) || !HasLowerCase(value))
    return {};
  std::size_t start = std::string::npos;
  for (std::size_t i = 0; i < value.size() && start == std::string::npos; ++i) {
    char c = value[i];
    if (c == '&') {
      if (!DropPointerLevel(type))
        return {};
    } else if (c == '*' || c == '[') {
      if (!type.empty())
        type += '*';
      if (c == '[')
        i = SkipBrackets(value, i);
    } else if (c == '(') {
      // The type named by a cast is not the object's name.
      if (std::size_t close = CastEnd(value, i); close != std::string::npos)
        i = close;
    } else if (IsIdentStart(c)) {
      start = i;
    }
  }
  if (start == std::string::npos)
    return {};
  std::size_t end = start;
  while (end < value.size() && IsIdentChar(value[end]))
    ++end;
  return "extern " + type + " " + value.substr(start, end - start) + ";\n";
}

bool AppendDeclaration(std::string& text, const std::string& declaration) {
  if (declaration.empty())
    return false;
  // "extern T name;\n": the name is the last word before the semicolon.
  std::size_t semicolon = declaration.rfind(';');
  std::size_t space = declaration.rfind(' ', semicolon);
  std::string ending = declaration.substr(space, semicolon - space) + ";\n";
  std::size_t lineStart = 0;
  while (lineStart < text.size()) {
    std::size_t lineEnd = text.find('\n', lineStart);
    lineEnd = lineEnd == std::string::npos ? text.size() : lineEnd + 1;
    std::string line = text.substr(lineStart, lineEnd - lineStart);
    if (line.rfind("extern ", 0) == 0 && line.size() >= ending.size() &&
        line.compare(line.size() - ending.size(), ending.size(), ending) == 0)
      return false;
    lineStart = lineEnd;
  }
  text += declaration;
  return true;
}

bool IsDefinedValue(const CKivoVarValue& value) { return DefinedValue(value) != nullptr; }

std::string ParamValueText(const CKivoVarValue& value) {
  const CKivoValueDef* defined = DefinedValue(value);
  if (defined && defined->takesArg)
    return value.valueName + "(" + value.argument + ")";
  return value.valueName;
}

std::string CommentSafe(std::string text) {
  for (std::size_t at = text.find("*/"); at != std::string::npos; at = text.find("*/", at + 3))
    text.replace(at, 2, "* /");
  return text;
}
