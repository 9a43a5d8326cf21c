// The patterns the header readers used before they were rewritten to read in linear time, kept to check the rewrites against.
#pragma once

namespace oldpatterns {

inline constexpr const char* kCommentStart = R"(\/\*((?:(?:.|[\n])(?!\/\*)(?!\*\/))*?))";
inline constexpr const char* kHeadingGap = R"((?:(?!\/\*)(?!\*\/).){0,200}?)";
inline constexpr const char* kCommentRest = R"((*PRUNE)((?:(?:.|[\n])(?!\/\*))*?)\*\/)";

// Global and Multiline on; %1 is the function's lower-case name, escaped.
inline constexpr const char* kPrototype =
    R"(((?:[a-zA-Z_][a-zA-Z0-9_]*_)?kivo_%1_f?init(?:_[a-zA-Z0-9_]*)?)\s*\(([^);]*?)\)\s*\;)";

// Global and Multiline on.
inline std::string LoadExpression() {
  return std::string(kCommentStart) + "(?:[Ll][Oo][Aa][Dd]" + kHeadingGap + "[Ee][Xx][Pp][Rr][Ee][Ss][Ss][Ii][Oo][Nn][Ss]?)" +
         R"(\s*?\:?\s*?([A-Za-z_][A-Za-z0-9_]*))" + kCommentRest;
}

// Global and Multiline on.
inline std::string ChanAssign() {
  return std::string(kCommentStart) + "(?:(?:(?:[Cc][Hh][Aa][Nn][Nn][Ee][Ll]" + kHeadingGap +
         "[Aa][Ss][Ss][Ii][Gg][Nn][Mm][Ee][Nn][Tt])|(?:[Aa][Ss][Ss][Ii][Gg][Nn][Mm][Ee][Nn][Tt]" + kHeadingGap +
         "[Cc][Hh][Aa][Nn][Nn][Ee][Ll])))" +
         R"(([^(\n]*+)((?:\(\s*?(?:([A-Za-z_][A-Za-z0-9_]*?)\s*?(?:\;|\:))?\s*?((?:[Dd][Ee][Ff][Aa][Uu][Ll][Tt])|)"
         R"((?:[A-Za-z_][A-Za-z0-9_]*?\s*?=\s*?\S*?))\s*?\))?)(.*+)\n)"
         R"(((?>(?:(?:(?!\*\/)[^=\n])*?=(?:(?!\*\/)[^;\n])*;?\n?)+)))" +
         kCommentRest;
}

// Global and Multiline off.
inline constexpr const char* kRangeItem = R"(^\s*(\S+?)\s*\.\.+\s*(\S+?)\s*$)";
inline constexpr const char* kNamedItem = R"(^\s*([A-Za-z_][A-Za-z0-9_]*)\s*\(\s*([^\)]*?)\s*\)\s*$)";
inline constexpr const char* kVarDeclaration =
    R"(var\s+([A-Za-z_][A-Za-z0-9_]*)\s*(\{([^\}]*?)\})?\s*(\[\s*([^\]]*?)\s*\])?)";

// Global as the caller asks, Multiline on; %1 the initialisation function's
// name and %2 the parameter's, both escaped, or kNotesWords.
inline constexpr const char* kDocComment =
    R"(\/\*((?:(?:.|[\n])(?!\/\*)(?!\*\/))*?)\b%1\b(*PRUNE)((?:(?:.|[\n])(?!\*\/)(?!\/\*))*?)\b%2\b\s*?[-:=])"
    R"((*PRUNE)((?:(?:.|[\n])(?!\/\*))*?)\*\/)";
inline constexpr const char* kNotesWords = R"([Pp][Rr][Oo][Jj][Ee][Cc][Tt]\s+[Nn][Oo][Tt][Ee][Ss])";

// Global off, Multiline on; %1 the parameter's type, escaped.
inline constexpr const char* kEnumeration =
    R"(typedef[ \t\n]+?enum[ \t\n]+?(?:[A-Za-z_][A-Za-z0-9_]*?)?[ \t\n]*\{([^{}]*?)\}[ \t\n]*%1[ \t\n]*\;)";

// Global off, Multiline on; %1 the parameter's name, escaped.
inline std::string OptionsComment() {
  std::string options = "[Oo][Pp][Tt][Ii][Oo][Nn][Ss]";
  return std::string(kCommentStart) + R"((?:(?:(?:\b%1\b)" + kHeadingGap + options + ")|(?:" + options + kHeadingGap +
         R"(\b%1\b))))" + kCommentRest + R"(.*\n((?:^\s*#define.*\n)+))";
}

}  // namespace oldpatterns
