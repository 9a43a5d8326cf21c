// Hand-written readers for the parts of a header that a pattern cannot read in time linear in the text.
#pragma once

#include <memory>
#include <unordered_set>
#include <utility>
#include <vector>
#include <string>
#include <string_view>

#include "knowledge/kbregex.h"

// Every declaration of an initialisation function of the function `lowerName`
// in `text`, in order: an optional identifier prefix ending in "_", then
// kivo_<lowerName>_init or _finit, an optional suffix beginning with "_", a
// parameter list without parentheses or semicolons, and a semicolon. Each
// match holds the declared name and the parameter list. Reads the text once,
// whatever it holds.
CMatchList FindPrototypes(std::string_view text, std::string_view lowerName);

// A range item "low .. high" (two or more dots, blanks allowed around them):
// the bounds' texts. False when the item is not written so.
bool SplitRangeItem(std::string_view item, std::string& low, std::string& high);

// A named item "NAME(value)": the name and the value's text, trimmed.
bool SplitNamedItem(std::string_view item, std::string& valueName, std::string& value);

// The comments that name a load expression, in order: "load", at most 200
// characters on the same line, "expression" or "expressions" (either case),
// an optional colon and the expression's name, then the rest of the comment.
// Each match holds the comment's text before the heading, the name and the
// rest of the comment.
CMatchList FindLoadExpressions(std::string_view text);

// For the comment opened at `open`: the last position at which its heading
// may begin. Before it, no line end of the old Mac kind and no comment
// opening or closing follows a character.
std::size_t CommentHeadingEnd(std::string_view text, std::size_t open);

// The position of the "*/" that ends a comment whose heading ends at `from`,
// or npos when a carriage return or a comment opening comes first.
std::size_t CommentRestEnd(std::string_view text, std::size_t from);

// The first comment whose heading holds `first` and `second` (lower-case
// words, matched ignoring case) on one line, in either order, at most 200
// characters apart, and that then ends: its text before the heading and the
// rest after it. The heading may begin anywhere before the comment's first
// line end of the old Mac kind; the earliest one counts, and where both
// orders begin at the same place, `first` before `second` wins. Empty when
// no comment has such a heading.
CMatchList FindHeadingComment(std::string_view text, std::string_view first, std::string_view second);

// The names of presumed settings in a set header's comment: each
// "HV_KIVO_" and the identifier characters after it; blanks and a
// parenthesised note on the same line after a name are passed over.
// `outArguments`, when given, gets for each name the note's text, trimmed
// (empty when there is none): an argument when the value takes one.
std::vector<std::string> FindSettingNames(std::string_view text,
                                          std::vector<std::string>* outArguments = nullptr);

// The channel-assignment comment (Global and Multiline on): submatch 1 the
// heading's text, 3 the selector's function, 4 its condition, 5 the rest of
// the heading line, 6 the assignment lines.
std::string ChanAssignPattern();

// A "var" declaration in a load-expression statement (Global and Multiline
// off): submatch 0 the name, 2 the values in braces, 4 the unit.
const char* VarDeclarationPattern();

// The comments of an API source that document an initialisation function:
// a comment that names the function (as a whole word; its first mention
// counts) and after it an item followed by "-", ":" or "=". The item is a
// parameter's name or, with `notes`, the words "project notes". Each match
// holds the comment's text before the function's name, the text between it
// and the item, and the rest of the comment after the separator. The first
// questions search the text; after them the source is indexed once: the
// comments by the names they mention, the items by name, and where lines
// and comments end, so that each further question costs what its answers
// cost, however many functions a source documents.
class CDocCommentScanner {
 public:
  // After `directQuestions` questions answered by searching, the source is indexed.
  explicit CDocCommentScanner(std::string_view source, int directQuestions = kDirectQuestions);
  CDocCommentScanner(const CDocCommentScanner&) = delete;
  CDocCommentScanner& operator=(const CDocCommentScanner&) = delete;
  ~CDocCommentScanner();

  // Positions of one match: the comment's opening, the function's name, the
  // item, and the rest of the comment from `textStart` to `end`.
  struct CMatch {
    std::size_t open, name, middle, item, textStart, end;
  };
  std::vector<CMatch> FindAt(std::string_view initName, std::string_view item, bool notes, bool all) const;
  CMatchList Find(std::string_view initName, std::string_view item, bool notes, bool all) const;
  std::string_view Text() const { return m_text; }

 private:
  static constexpr int kDirectQuestions = 64;
  struct CIndex;
  void ListComments() const;
  void Index() const;
  std::size_t FindWord(std::string_view word, std::size_t comment) const;
  bool FindItem(std::string_view item, bool notes, std::size_t from, std::size_t last, std::size_t& itemAt,
                std::size_t& textStart) const;
  bool FindItemInText(std::string_view item, std::size_t from, std::size_t last, std::size_t& itemAt,
                      std::size_t& textStart) const;
  bool FindNotesInText(std::size_t from, std::size_t last, std::size_t& itemAt, std::size_t& textStart) const;
  std::size_t LineEnd(std::size_t from) const;
  std::size_t RestEnd(std::size_t from) const;

  std::string_view m_text;
  int m_directQuestions;
  mutable int m_questions = 0;
  // Every comment opening and the last place its heading may begin.
  mutable std::vector<std::pair<std::size_t, std::size_t>> m_comments;
  mutable bool m_commentsListed = false;
  mutable std::unique_ptr<CIndex> m_index;
};

// What option scanning looks for in one header, read once: its typedef
// enumerations and the comments followed by #define lines. The questions by
// type and by parameter name then cost no pattern of their own.
class CHeaderTables {
 public:
  explicit CHeaderTables(std::string_view text);
  // The enumerator list of the first "typedef enum [tag] { ... } type;".
  bool FindEnumeration(std::string_view type, std::string& enumerators) const;
  // The #define lines after the first comment whose heading line holds the
  // parameter's name (a whole word) and "options" (either case), at most 200
  // characters apart, in either order.
  bool FindOptionsComment(std::string_view name, std::string& defines);

 private:
  struct CEnum {
    std::size_t open;   // first character inside the braces
    std::size_t close;  // the closing brace
  };
  struct COptionsComment {
    std::size_t first;  // where its heading may begin
    std::size_t last;   // the last position its heading may begin at
  };
  void ReadEnumerations();
  void ReadOptionsComments();
  bool GapFits(std::size_t from, std::size_t to) const;
  bool IsWholeWordAt(std::string_view name, std::size_t at) const;
  std::size_t HeadingEnd(const COptionsComment& comment, std::string_view name) const;
  bool DefineBlock(std::size_t from, std::string& defines) const;

  std::string_view m_text;
  std::vector<CEnum> m_enums;
  std::vector<std::size_t> m_options;
  std::vector<COptionsComment> m_comments;
  bool m_optionsRead = false;
};
