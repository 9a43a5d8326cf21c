// Reads a project back from its generated C source and header.
#include <algorithm>
#include <cctype>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <set>
#include <string_view>
#include <system_error>

#include "base/cinteger.h"
#include "base/ports.h"
#include "base/texthelpers.h"
#include "knowledge/commentpatterns.h"
#include "knowledge/kbtext.h"
#include "project/projdoc.h"
#include "project/projectcheck.h"
#include "project/readcontext.h"

namespace {

constexpr std::uintmax_t kMaxProjectFileSize = 1048576;

enum EReadMessage {
  kMsgTooBig = 4002,
  kMsgNoStructure = 4003,
  kMsgNoSysClk = 4008,
  kMsgBadSysClk = 4009,
  kMsgNoTcrClk = 4010,
  kMsgBadTcrClk = 4011,
  kMsgNoCpu = 4012,
  kMsgNoFSet = 4016,
  kMsgNoInitFunction = 4017,
  kMsgNotApiFunction = 4019,
  kMsgBadChannel = 4021,
  kMsgBadFunctionNumber = 4023,
  kMsgBadParamCount = 4025,
  kMsgEmptySlot = 4026,
  kMsgTooManyParams = 4027,
  kMsgBadNumber = 4062,
  kMsgCallArguments = 4080,
  kMsgCallParentheses = 4081,
  kMsgSetNotFound = 4082,
  kMsgUnknownCpu = 4083,
  kMsgZeroSysClk = 4084,
};

// Without bounds in the description, a parameter count beyond this is taken
// for a typing error rather than a request for that many parameter objects.
constexpr int kMaxRawParams = 255;

using CGroups = std::vector<std::string>;

void Warn(int id, const std::vector<std::string>& args = {}) { ShowMessage(id, EMessageKind::Warning, args); }

std::optional<CGroups> FirstOf(CMatchList matches) {
  if (matches.empty())
    return std::nullopt;
  return std::move(matches.front());
}

// A search that fails part-way is reported naming the file and finds nothing.
std::optional<CGroups> FirstMatch(CRegExp& pattern, std::string_view text, const std::string& fileName) {
  return FirstOf(RunPattern(pattern, text, fileName));
}

// The tool's own pieces are looked for outside the verbatim block first; a
// hand-edited file whose only copy stands inside the block is still read.
std::optional<CGroups> SourceMatch(CRegExp& pattern, const CProjReadContext& ctx) {
  if (std::optional<CGroups> match = FirstMatch(pattern, ctx.sourceOutsideVerbatim, ctx.sourcePath))
    return match;
  if (!ctx.hasVerbatim)
    return std::nullopt;
  return FirstMatch(pattern, ctx.sourceText, ctx.sourcePath);
}

// A value is one line of the project: the blanks around a line end become a
// single blank, since the generator indents every further line of a value and
// a value kept with its line ends would move right with each save. No C token
// but a comment, and those are gone, spans a line end.
std::string JoinLines(const std::string& piece) {
  std::string joined;
  for (std::size_t i = 0; i < piece.size();) {
    std::size_t end = i;
    bool lineEnd = false;
    while (end < piece.size() && std::isspace(static_cast<unsigned char>(piece[end])))
      lineEnd |= piece[end++] == '\n';
    if (end == i) {
      joined += piece[i++];
      continue;
    }
    joined.append(lineEnd ? std::string(" ") : piece.substr(i, end - i));
    i = end;
  }
  return joined;
}

// Commas inside parentheses or brackets belong to an argument such as
// SCALE(3, 4), so only the top-level ones separate.
std::vector<std::string> SplitArguments(std::string_view text) {
  std::vector<std::string> pieces(1);
  int depth = 0;
  for (char c : text) {
    if (c == '(' || c == '[')
      ++depth;
    else if ((c == ')' || c == ']') && depth > 0)
      --depth;
    if (c == ',' && depth == 0)
      pieces.emplace_back();
    else
      pieces.back() += c;
  }
  for (std::string& piece : pieces)
    piece = JoinLines(piece);
  return pieces;
}

std::string TrimmedPiece(const std::vector<std::string>& pieces, std::size_t index) {
  return index < pieces.size() ? Trim(pieces[index]) : std::string();
}

// Both kinds of comment in one left-to-right pass, so that "//" inside a block
// comment and "/*" after a line comment are taken for what they are. Once an
// opened block comment finds no end, no later one can: the search stops there
// instead of retrying every later opener.
std::string StripComments(std::string_view text) {
  static CRegExp pattern(R"(\/\/.*|\/\*(*COMMIT)(?:[^*]|\*+[^*\/])*+\*+\/)", true, true);
  return pattern.Replace(text, "");
}

// The init body with every comment character, line ends inside comments
// too, marked as kCommentMark: offsets stay those of the body, and dropping the
// marks gives the text without comments. As with StripComments, an opened
// block comment that finds no end leaves the rest as it is.
constexpr char kCommentMark = '\0';

std::string MarkComments(std::string_view text) {
  std::string marked(text);
  for (std::size_t i = 0; i + 1 < marked.size();) {
    if (marked[i] != '/' || (marked[i + 1] != '/' && marked[i + 1] != '*')) {
      ++i;
      continue;
    }
    std::size_t end = 0;
    if (marked[i + 1] == '/') {
      end = std::min(marked.find('\n', i), marked.size());
    } else {
      std::size_t close = marked.find("*/", i + 2);
      if (close == std::string::npos)
        break;
      end = close + 2;
    }
    std::fill(marked.begin() + static_cast<std::ptrdiff_t>(i), marked.begin() + static_cast<std::ptrdiff_t>(end),
              kCommentMark);
    i = end;
  }
  return marked;
}

std::string WithoutMarks(std::string_view marked) {
  std::string text;
  for (char c : marked)
    if (c != kCommentMark)
      text += c;
  return text;
}

// One statement of the init body: from after the previous ";" to its own.
struct CStatement {
  std::size_t start = 0;
  std::size_t end = 0;  // one past its ";"
  std::string code;     // without comments
};

std::vector<CStatement> Statements(const std::string& marked) {
  std::vector<CStatement> statements;
  std::size_t start = 0;
  for (std::size_t semicolon = marked.find(';'); semicolon != std::string::npos;
       start = semicolon + 1, semicolon = marked.find(';', start))
    statements.push_back({start, semicolon + 1, WithoutMarks(std::string_view(marked).substr(start, semicolon + 1 - start))});
  return statements;
}

// A call's match ends at a ";" and holds no other, so matching statement by
// statement finds the same calls; statements whose text before the ";" does
// not end in ")" cannot hold one, which keeps an init body full of
// unterminated calls from costing time quadratic in its length.
bool EndsInParenthesis(const std::string& code) {
  if (code.size() < 2)
    return false;
  std::size_t last = code.find_last_not_of(" \t\n", code.size() - 2);
  return last != std::string::npos && code[last] == ')';
}

bool IsIdentifierChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

// No name the tool writes comes near this length; a longer run is not taken for a call.
constexpr std::size_t kMaxCallNameLength = 200;

// The name of an init call that `code` starts but does not finish in the shape
// the reader reads, such as one whose parentheses do not close; empty when it
// holds no name of an init function followed by "(".
std::string AttemptedCallName(const std::string& code) {
  static CRegExp namePattern(R"(^(?:[a-z_][a-z0-9_]*_)?kivo_[a-z_][a-z0-9_]*_f?init(?:_[a-zA-Z0-9_]*)?$)");
  for (std::size_t open = code.find('('); open != std::string::npos; open = code.find('(', open + 1)) {
    std::size_t end = open;
    while (end > 0 && (code[end - 1] == ' ' || code[end - 1] == '\t' || code[end - 1] == '\n'))
      --end;
    std::size_t begin = end;
    while (begin > 0 && IsIdentifierChar(code[begin - 1]))
      --begin;
    if (begin == end || end - begin > kMaxCallNameLength)
      continue;
    std::string name = code.substr(begin, end - begin);
    if (name.find("kivo_") != std::string::npos && !RunPatternQuietly(namePattern, name).empty())
      return name;
  }
  return {};
}

// Depth never below zero and back to zero at the end.
bool ParenthesesPair(std::string_view text) {
  int depth = 0;
  for (char c : text) {
    if (c == '(' || c == '[')
      ++depth;
    else if ((c == ')' || c == ']') && --depth < 0)
      return false;
  }
  return depth == 0;
}

std::size_t ArgumentCount(const std::string& argText, const std::vector<std::string>& pieces) {
  return pieces.size() == 1 && Trim(argText).empty() ? 0 : pieces.size();
}

// A call whose arguments cannot be told apart is not guessed at: each of its
// arguments would land on another parameter.
bool ArgumentsTellApart(const CProjReadContext& ctx, const std::string& funcName, const std::string& argText,
                        std::size_t count, std::size_t expected) {
  std::string line = std::to_string(ctx.callLine);
  if (!ParenthesesPair(argText)) {
    Warn(kMsgCallParentheses, {funcName, line});
    return false;
  }
  if (count != expected) {
    Warn(kMsgCallArguments, {funcName, line, std::to_string(count), std::to_string(expected)});
    return false;
  }
  return true;
}

bool IsTooBig(const std::string& path) {
  std::error_code error;
  std::uintmax_t size = std::filesystem::file_size(path, error);
  // A file whose size cannot be read is reported when it is read.
  if (error || size <= kMaxProjectFileSize)
    return false;
  Warn(kMsgTooBig, {path});
  return true;
}

std::string CommentFieldPattern(const std::string& heading) {
  return std::string(kCommentStart) + heading + kCommentRest;
}

}  // namespace

namespace {

// Once an opened initialiser, init body or verbatim block finds no end, no
// later opener can find one either, since it searches a part of the same
// rest of the file: COMMIT ends the search there instead of rescanning the
// rest from every later opener.
bool ReadStructure(CProjReadContext& ctx) {
  static CRegExp pattern(R"(struct\s+kivo_config_t\s+[A-Za-z_][A-Za-z0-9_]*\s*=\s*\{(*COMMIT)((.|[\n])*?)\n\}\s*;)",
                         false, true);
  std::optional<CGroups> match = SourceMatch(pattern, ctx);
  if (!match) {
    Warn(kMsgNoStructure, {ctx.sourcePath});
    return false;
  }
  ctx.initializer = (*match)[0];
  return true;
}

// An argument holding a parenthesis or a comment's start or end cannot be
// written back inside its value and the comment that repeats it: the next
// open would read something else, and the file would grow at every save.
bool ArgumentWritesBack(const std::string& argument) {
  return argument.find('(') == std::string::npos && argument.find("/*") == std::string::npos &&
         argument.find("*/") == std::string::npos && argument.find("//") == std::string::npos;
}

// A bounded number whose argument does not read would load into its page as
// the lowest value and be saved so; told at the open, the change is not silent.
// Such an argument is otherwise kept as written, unless it cannot be written
// back: then it is the lowest value already.
void WarnUnreadNumbers(const CKivoVarValueSet& set) {
  for (const CKivoVarValueSet::CEntry& entry : set.Entries()) {
    CKivoVarValue& value = *entry.value;
    const CKivoValueDef* known = value.def ? value.def->FindValue(value.valueName, false) : nullptr;
    int32_t number = 0;
    if (!known || !known->takesArg || value.argument.empty() || ReadCInteger32(value.argument, number))
      continue;
    if (known->hasBounds || !ArgumentWritesBack(value.argument))
      Warn(kMsgBadNumber, {value.argument, value.Text()});
    if (!ArgumentWritesBack(value.argument))
      value.argument = known->hasBounds ? std::to_string(known->min) : std::string();
  }
}

void ReadMembers(CProjDoc& doc, const CProjReadContext& ctx) {
  std::vector<std::string> pieces = SplitArguments(StripComments(ctx.initializer));
  for (std::size_t i = 0; i < pieces.size() && i < CProjDoc::kCfgMembers; ++i) {
    CKivoVarValueSet& member = doc.CfgMember(static_cast<int>(i) + 1);
    member.ParseValueList(pieces[i]);
    WarnUnreadNumbers(member);
  }
}

// The comment field keeps the blanks before the comment's end, which are no
// part of a processor's name.
// False when the database has no record for the processor the file names (or
// the file names none): the record stays the generic one.
bool ReadCpu(CProjDoc& doc, const CProjReadContext& ctx) {
  static CRegExp pattern(CommentFieldPattern(R"(CPU\s*=\s*([A-Za-z_][A-Za-z0-9_ ]*))"), false, true);
  std::optional<CGroups> match = SourceMatch(pattern, ctx);
  if (!match) {
    Warn(kMsgNoCpu);
    return false;
  }
  doc.m_strCpu = (*match)[1];
  if (doc.m_cpu.Select(doc.Kb().cpuDb, doc.m_strCpu))
    return true;
  doc.m_strCpu = TrimRight(doc.m_strCpu);
  if (doc.m_cpu.Select(doc.Kb().cpuDb, doc.m_strCpu))
    return true;
  Warn(kMsgUnknownCpu, {doc.m_strCpu});
  return false;
}

void ReadFunctionSet(CProjDoc& doc, CProjReadContext& ctx) {
  static CRegExp pattern(R"(^\s*\#include\s+[<\"](.*[Kk][Ii][Vv][Oo]_[Ss][Ee][Tt](\S*)\.h)[>\"])", false, true);
  std::optional<CGroups> match = SourceMatch(pattern, ctx);
  if (!match) {
    Warn(kMsgNoFSet);
    return;
  }
  ctx.fsetPath = (*match)[0];
  doc.m_strFSetInclude = ctx.fsetPath;
  doc.m_pFSet = doc.Kb().fsetLib.FindSet(ctx.fsetPath);
  if (!doc.m_pFSet)
    Warn(kMsgSetNotFound, {ctx.fsetPath, doc.Kb().fsetLib.Folder()});
}

struct CClockField {
  int missingMessage;  // 0: none
  int invalidMessage;  // 0: none
  uint32_t fallback;
  int zeroMessage = 0;  // a value of 0 is refused with it; 0: taken
};

// The value is the field's second group; the fallback when the
// comment is missing or its value does not read.
uint32_t ReadClock(CRegExp& pattern, const CClockField& field, const CProjReadContext& ctx) {
  std::optional<CGroups> match = SourceMatch(pattern, ctx);
  if (!match) {
    if (field.missingMessage)
      Warn(field.missingMessage);
    return field.fallback;
  }
  uint32_t hz = 0;
  if (ParseFrequency((*match)[1], &hz)) {
    if (hz != 0 || !field.zeroMessage)
      return hz;
    Warn(field.zeroMessage);
    return field.fallback;
  }
  if (field.invalidMessage)
    Warn(field.invalidMessage, {(*match)[1]});
  return field.fallback;
}

constexpr const char* kClockValue = R"(\s*=\s*(((OFF)|([0-9e+-\.]+\s*((M|[kK])?Hz)))))";

void ReadClocks(CProjDoc& doc, const CProjReadContext& ctx) {
  static CRegExp sysClk(
      CommentFieldPattern(R"([Ss][Yy][Ss][Cc][Ll][Kk]\s*=\s*([0-9e+-\.]+\s*((M|[kK])?Hz)))"), false, true);
  static CRegExp ptbClk(CommentFieldPattern(std::string("[Pp][Tt][Bb][Cc][Ll][Kk]") + kClockValue), false, true);
  static CRegExp tcrClk[2] = {
      CRegExp(CommentFieldPattern(std::string("[Ii][Nn][Pp][Uu][Tt]_[Tt][Cc][Rr][Cc][Ll][Kk]_[Aa]") + kClockValue),
              false, true),
      CRegExp(CommentFieldPattern(std::string("[Ii][Nn][Pp][Uu][Tt]_[Tt][Cc][Rr][Cc][Ll][Kk]_[Bb]") + kClockValue),
              false, true)};
  doc.m_nSysClk = ReadClock(sysClk, {kMsgNoSysClk, kMsgBadSysClk, 150000000, kMsgZeroSysClk}, ctx);
  doc.m_nPtbClk = ReadClock(ptbClk, {0, 0, 0}, ctx);
  for (int e = 0; e < 2; ++e)
    doc.m_engine[e].tcrclkIn = ReadClock(tcrClk[e], {kMsgNoTcrClk, kMsgBadTcrClk, 0}, ctx);
}

// A define's body as one integer constant of 32 bits with nothing but blanks
// or a comment after it: "0x0F /* mask */" reads, "0x0F | 0x10" does not.
bool ReadDefinedConstant(std::string_view body, int32_t& value) {
  CIntegerRead read = ReadCIntegerPrefix(body);
  std::size_t rest = body.find_first_not_of(" \t", read.end);
  bool nothingAfter = rest == std::string_view::npos || body.substr(rest, 2) == "/*" || body.substr(rest, 2) == "//";
  return read.status == ECInteger::kOk && nothingAfter && ReadCInteger32(body.substr(0, read.end), value);
}

// A define that is there but does not read is told: the value would be lost otherwise.
std::optional<uint32_t> DefinedNumber(CProjReadContext& ctx, const std::string& text, const std::string& fileName,
                                      const std::string& name) {
  CRegExp& pattern = ctx.patterns.Get(FillPattern(R"(^\s*#define\s+?%1\s+(.*))", name), false, true);
  std::optional<CGroups> match = FirstMatch(pattern, text, fileName);
  if (!match)
    return std::nullopt;
  int32_t value = 0;
  if (!ReadDefinedConstant((*match)[0], value)) {
    Warn(kMsgBadNumber, {Trim((*match)[0]), name});
    return std::nullopt;
  }
  return static_cast<uint32_t>(value);
}

// A mask defined in both files is taken from the header.
void ReadMasks(CProjDoc& doc, CProjReadContext& ctx) {
  struct CMask {
    const char* name;
    int engine;
    uint32_t CProjDoc::CEngine::*field;
  };
  static const CMask masks[] = {
      {"KIVO_CIE_A", 0, &CProjDoc::CEngine::cie},   {"KIVO_CIE_B", 1, &CProjDoc::CEngine::cie},
      {"KIVO_DTRE_A", 0, &CProjDoc::CEngine::dtre}, {"KIVO_DTRE_B", 1, &CProjDoc::CEngine::dtre},
      {"KIVO_ODIS_A", 0, &CProjDoc::CEngine::odis}, {"KIVO_ODIS_B", 1, &CProjDoc::CEngine::odis},
      {"KIVO_OPOL_A", 0, &CProjDoc::CEngine::opol}, {"KIVO_OPOL_B", 1, &CProjDoc::CEngine::opol},
  };
  for (const CMask& mask : masks) {
    std::optional<uint32_t> value = DefinedNumber(ctx, ctx.headerText, ctx.headerPath, mask.name);
    if (!value)
      value = DefinedNumber(ctx, ctx.sourceOutsideVerbatim, ctx.sourcePath, mask.name);
    if (value)
      doc.m_engine[mask.engine].*mask.field = *value;
  }
}

void ReadExternDecls(CProjDoc& doc, const CProjReadContext& ctx) {
  static CRegExp pattern(CommentFieldPattern("External object declarations"), false, true);
  doc.m_bExternDecls = SourceMatch(pattern, ctx).has_value();
}

// The end marker's comment keeps the plain rest of a comment: a heading that
// fails to close may still be followed by a later end marker.
void FindVerbatim(CProjReadContext& ctx) {
  static CRegExp pattern(CommentFieldPattern("Start of the verbatim block") + R"((*COMMIT)((?:.|[\n])*?))" + kCommentStart +
                             R"(End of the verbatim block((?:(?:.|[\n])(?!\/\*))*?)\*\/)",
                         false, true);
  ctx.sourceOutsideVerbatim = ctx.sourceText;
  try {
    if (pattern.Execute(ctx.sourceText) == 0)
      return;
  } catch (const CRegExpError& error) {
    ShowMessage(9310, EMessageKind::Warning, {ctx.sourcePath, error.what()});
    return;
  }
  const CRegExpMatch& match = pattern.GetMatch(0);
  ctx.hasVerbatim = true;
  ctx.verbatimText = match.SubMatch(2);
  for (std::size_t i = match.Position(); i < match.Position() + match.Length(); ++i)
    if (ctx.sourceOutsideVerbatim[i] != '\n')
      ctx.sourceOutsideVerbatim[i] = ' ';
}

void ReadVerbatim(CProjDoc& doc, const CProjReadContext& ctx) {
  doc.m_strVerbatim.clear();
  if (!ctx.hasVerbatim)
    return;
  std::string text = Trim(ctx.verbatimText) + "\n";
  doc.m_strVerbatim = ReplaceAll(text, "\n", "\r\n");
}

}  // namespace

namespace {

void ReadLoadInputs(CProjDoc& doc, CProjReadContext& ctx) {
  for (const auto& func : doc.m_funcs) {
    if (!func->IsApi())
      continue;
    // "\b" keeps the inputs of DTPWM from being read as those of PWM.
    std::string pattern = std::string(kCommentStart) + R"(\b)" + EscapeForPattern(func->InstanceName()) +
                          R"(\s+[Ll][Oo][Aa][Dd]\s+[Ee][Xx][Pp][Rr][Ee][Ss][Ss][Ii][Oo][Nn])" +
                          R"(\s+[Ii][Nn][Pp][Uu][Tt][Ss]\s*\:?)" + kCommentRest;
    CRegExp& re = ctx.patterns.Get(pattern, false, true);
    if (std::optional<CGroups> match = SourceMatch(re, ctx))
      static_cast<CProjDoc::CFuncInfo_Api&>(*func).loadInputs.FromText((*match)[1]);
  }
}

// ---- Init calls kept as written

// The words of the heading written above a kept call; a heading of this or of
// the generator's own shape goes with the call when it is kept again.
constexpr const char* kKeptHeading = "Kept as written";

bool IsBlankRun(std::string_view text) { return text.find_first_not_of(" \t") == std::string_view::npos; }

std::size_t LineStartOf(const std::string& text, std::size_t pos) {
  std::size_t lineEnd = pos == 0 ? std::string::npos : text.rfind('\n', pos - 1);
  return lineEnd == std::string::npos ? 0 : lineEnd + 1;
}

bool StartsWithWord(const std::string& text, std::string_view word) {
  return text.compare(0, word.size(), word) == 0 && (text.size() == word.size() || !IsIdentifierChar(text[word.size()]));
}

// Statements that belong to the call before them: the check of its result,
// and a generic function's parameter writes and priority.
bool IsCompanion(const std::string& code) {
  std::string text = TrimLeft(code);
  return (StartsWithWord(text, "if") && text.find("return") != std::string::npos) ||
         StartsWithWord(text, "hv_kivo_set_chan_local_32") || StartsWithWord(text, "hv_kivo_enable");
}

// Where a heading comment of a function block starts when one stands on its
// own lines right above `lineStart`, inside the statement; npos otherwise.
std::size_t HeadingStart(const std::string& body, const std::string& marked, std::size_t statementStart,
                         std::size_t lineStart) {
  std::size_t end = lineStart;
  while (end > statementStart && std::isspace(static_cast<unsigned char>(body[end - 1])) &&
         marked[end - 1] != kCommentMark)
    --end;
  if (end < statementStart + 4 || body.compare(end - 2, 2, "*/") != 0 || marked[end - 1] != kCommentMark)
    return std::string::npos;
  std::size_t begin = end;
  while (begin > statementStart && marked[begin - 1] == kCommentMark)
    --begin;
  std::size_t headingLine = LineStartOf(body, begin);
  if (body.compare(begin, 2, "/*") != 0 || headingLine < statementStart ||
      !IsBlankRun(std::string_view(body).substr(headingLine, begin - headingLine)))
    return std::string::npos;
  std::string_view comment = std::string_view(body).substr(begin, end - begin);
  if (comment.find("Function initialization") == std::string_view::npos &&
      comment.find(kKeptHeading) == std::string_view::npos)
    return std::string::npos;
  return begin;
}

// After a kept call's last ";": a comment that closes on the same line goes with it.
std::size_t KeptEnd(const std::string& body, const std::string& marked, std::size_t end) {
  std::size_t kept = end;
  for (std::size_t pos = end; pos < body.size() && body[pos] != '\n';) {
    if (marked[pos] != kCommentMark) {
      if (body[pos] != ' ' && body[pos] != '\t')
        break;
      ++pos;
      continue;
    }
    std::size_t commentEnd = pos;
    while (commentEnd < body.size() && marked[commentEnd] == kCommentMark && body[commentEnd] != '\n')
      ++commentEnd;
    if (commentEnd < body.size() && marked[commentEnd] == kCommentMark)
      break;  // the comment goes on past the line's end
    pos = kept = commentEnd;
  }
  return kept;
}

// The generator indents every line of a block by the placeholder's own
// indentation, so a kept text holds its lines relative to its first one.
std::string Dedent(const std::string& text, const std::string& indent) {
  if (indent.empty())
    return text;
  std::string out;
  for (std::size_t start = 0;;) {
    std::size_t lineEnd = text.find('\n', start);
    std::string line = text.substr(start, lineEnd == std::string::npos ? std::string::npos : lineEnd - start);
    if (start > 0 && line.compare(0, indent.size(), indent) == 0)
      line.erase(0, indent.size());
    out += line;
    if (lineEnd == std::string::npos)
      return out;
    out += '\n';
    start = lineEnd + 1;
  }
}

// Keeps the call of statement `index`, with its heading and the statements
// that go with it, as written; returns the index of the last statement kept.
std::size_t KeepCall(CProjDoc& doc, CProjReadContext& ctx, const std::string& marked,
                     const std::vector<CStatement>& statements, std::size_t index, const CKivoFunc* function,
                     const CKivoInitFunc* initFunc) {
  const std::string& body = ctx.initBody;
  std::size_t last = index;
  while (last + 1 < statements.size() && IsCompanion(statements[last + 1].code))
    ++last;
  const CStatement& first = statements[index];
  std::size_t code = first.start;
  while (code < first.end && (marked[code] == kCommentMark || std::isspace(static_cast<unsigned char>(body[code]))))
    ++code;
  std::size_t start = code;
  std::size_t lineStart = LineStartOf(body, code);
  if (lineStart >= first.start)
    if (std::size_t heading = HeadingStart(body, marked, first.start, lineStart); heading != std::string::npos)
      start = heading;
  std::size_t indentStart = LineStartOf(body, start);
  std::string indent = body.substr(indentStart, start - indentStart);
  if (!IsBlankRun(indent))
    indent.clear();
  std::size_t end = KeptEnd(body, marked, statements[last].end);
  CProjDoc::CKeptCall kept;
  kept.text = Dedent(body.substr(start, end - start), indent);
  ctx.keptSpans.emplace_back(ctx.initBodyStart + start, ctx.initBodyStart + end);
  kept.anchor = doc.m_funcs.size();
  kept.function = function;
  kept.initFunc = initFunc;
  doc.m_kept.calls.push_back(std::move(kept));
  return last;
}

const CKivoFunc* FindInitFunction(const CProjDoc& doc, const std::string& name, const CKivoInitFunc** outInit) {
  const CKivoFunc* record = doc.m_pFSet ? doc.m_pFSet->FindByInitName(name, outInit) : nullptr;
  return record ? record : doc.Kb().fappLib.FindByInitName(name, outInit);
}

// The name of a channel define of the header line, "" for any other line.
std::string HeaderChannelDefine(const std::string& line) {
  static CRegExp pattern(R"(^\s*#\s*define\s+([A-Za-z_][A-Za-z0-9_]*)\s+KIVO_ENGINE_[AB]_CHANNEL\s*\()");
  if (line.find("KIVO_ENGINE_") == std::string::npos)
    return {};
  std::optional<CGroups> match = FirstOf(RunPatternQuietly(pattern, line));
  return match ? (*match)[0] : std::string();
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  for (std::size_t start = 0; start < text.size();) {
    std::size_t lineEnd = std::min(text.find('\n', start), text.size());
    lines.push_back(text.substr(start, lineEnd - start));
    start = lineEnd + 1;
  }
  return lines;
}

// What kept calls need besides their own text, so that they still compile
// and mean the same channels: the header's channel defines that no read
// function writes, the load inputs of instances no read function is, and,
// with the function set missing, the headers the source includes.
void KeepSurroundings(CProjDoc& doc, const CProjReadContext& ctx) {
  std::set<std::string> written;
  std::set<std::string> instances;
  for (const auto& func : doc.m_funcs) {
    for (const auto& chan : func->channels)
      if (chan->number >= 0)
        written.insert(func->ChannelDefineName(*chan));
    if (func->IsApi())
      instances.insert(func->InstanceName());
  }
  std::size_t anchor = 0;
  for (const std::string& line : Lines(ctx.headerText)) {
    std::string name = HeaderChannelDefine(line);
    if (name.empty())
      continue;
    if (written.count(name))
      ++anchor;
    else
      doc.m_kept.channelDefines.push_back({TrimRight(line), anchor});
  }
  if (!doc.m_pFSet)
    for (const std::string& line : Lines(ctx.sourceOutsideVerbatim))
      if (!IncludedFileName(line).empty() && (ctx.fsetPath.empty() || line.find(ctx.fsetPath) == std::string::npos))
        doc.m_kept.includes.push_back(TrimRight(line));
  static CRegExp loadInputs(std::string(kCommentStart) + R"(\b([A-Za-z_][A-Za-z0-9_]*)\s+[Ll][Oo][Aa][Dd]\s+)" +
                                R"([Ee][Xx][Pp][Rr][Ee][Ss][Ss][Ii][Oo][Nn]\s+[Ii][Nn][Pp][Uu][Tt][Ss]\s*\:?)" +
                                kCommentRest,
                            true, true);
  try {
    int count = loadInputs.Execute(ctx.sourceOutsideVerbatim);
    anchor = 0;
    for (int i = 0; i < count; ++i) {
      const CRegExpMatch& match = loadInputs.GetMatch(i);
      const std::size_t at = match.Position();
      // Inside a kept call it goes back with its call; kept again on its own it
      // would be written twice, and once more at every save.
      if (std::any_of(ctx.keptSpans.begin(), ctx.keptSpans.end(),
                      [at](const auto& span) { return at >= span.first && at < span.second; }))
        continue;
      if (instances.count(match.SubMatch(1)))
        ++anchor;
      else
        doc.m_kept.loadInputs.push_back(
            {ctx.sourceOutsideVerbatim.substr(match.Position(), match.Length()) + "\n", anchor});
    }
  } catch (const CRegExpError& error) {
    ShowMessage(9310, EMessageKind::Warning, {ctx.sourcePath, error.what()});
  }
}

void ReadInitCalls(CProjDoc& doc, CProjReadContext& ctx, int firstLine) {
  static CRegExp pattern(
      R"(((?:[a-z_][a-z0-9_]*_)?kivo_[a-z_][a-z0-9_]*_f?init(?:_[a-zA-Z0-9_]*)?)[ \t\n]*\(([^;]*?)\)[ \t\n]*;)", false,
      true);
  const std::string marked = MarkComments(ctx.initBody);
  const std::vector<CStatement> statements = Statements(marked);
  ctx.callStatements.clear();
  for (const CStatement& statement : statements)
    if (EndsInParenthesis(statement.code))
      ctx.callStatements.push_back(statement.code);
  int line = firstLine;
  std::size_t counted = 0;
  auto lineAt = [&](std::size_t pos) {
    line += static_cast<int>(std::count(ctx.initBody.begin() + static_cast<std::ptrdiff_t>(counted),
                                        ctx.initBody.begin() + static_cast<std::ptrdiff_t>(pos), '\n'));
    counted = pos;
    return line;
  };
  for (std::size_t i = 0; i < statements.size(); ++i) {
    const CStatement& statement = statements[i];
    std::optional<CGroups> match;
    if (EndsInParenthesis(statement.code))
      match = FirstMatch(pattern, statement.code, ctx.sourcePath);
    std::string name = match ? (*match)[0] : AttemptedCallName(statement.code);
    if (name.empty())
      continue;
    std::size_t at = std::string_view(marked).substr(statement.start, statement.end - statement.start).find(name);
    ctx.callLine = lineAt(statement.start + (at == std::string_view::npos ? 0 : at));
    // Without its set no call can be read: the open said so once for all of them.
    if (!doc.m_pFSet) {
      i = KeepCall(doc, ctx, marked, statements, i, nullptr, nullptr);
      continue;
    }
    if (!match) {
      Warn(kMsgCallParentheses, {name, std::to_string(ctx.callLine)});
      const CKivoInitFunc* init = nullptr;
      const CKivoFunc* record = FindInitFunction(doc, name, &init);
      i = KeepCall(doc, ctx, marked, statements, i, record, record ? init : nullptr);
      continue;
    }
    std::unique_ptr<CProjDoc::CFuncInfo> func = doc.NewFunctionForInitCall(name);
    if (!func->ParseInitCall(ctx, name, (*match)[1])) {
      const CKivoInitFunc* init =
          func->IsApi() ? static_cast<const CProjDoc::CFuncInfo_Api&>(*func).initFunc : nullptr;
      i = KeepCall(doc, ctx, marked, statements, i, func->function, init);
      continue;
    }
    CProjDoc::CFuncInfo* added = func.get();
    doc.AdoptReadFunction(std::move(func));
    added->BuildNotes();
  }
  ReadLoadInputs(doc, ctx);
}

int LineOf(const std::string& text, std::size_t pos) {
  return 1 + static_cast<int>(std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(pos), '\n'));
}

// The first match's groups, and where the match ends in the text it was found
// in: both source texts have the same offsets.
std::optional<CGroups> MatchEnding(CRegExp& pattern, std::string_view text, const std::string& fileName,
                                   std::size_t& outEnd) {
  try {
    if (pattern.Execute(text) == 0)
      return std::nullopt;
  } catch (const CRegExpError& error) {
    ShowMessage(9310, EMessageKind::Warning, {fileName, error.what()});
    return std::nullopt;
  }
  const CRegExpMatch& match = pattern.GetMatch(0);
  CGroups groups;
  for (int g = 0; g < match.SubMatchCount(); ++g)
    groups.push_back(match.SubMatch(g));
  outEnd = match.Position() + match.Length();
  return groups;
}

std::optional<CGroups> SourceMatchEnding(CRegExp& pattern, const CProjReadContext& ctx, std::size_t& outEnd) {
  if (std::optional<CGroups> match = MatchEnding(pattern, ctx.sourceOutsideVerbatim, ctx.sourcePath, outEnd))
    return match;
  if (!ctx.hasVerbatim)
    return std::nullopt;
  return MatchEnding(pattern, ctx.sourceText, ctx.sourcePath, outEnd);
}

// Without its function set no call is read, but each is kept as written.
void ReadFunctions(CProjDoc& doc, CProjReadContext& ctx) {
  static CRegExp pattern(R"([a-z_][a-z0-9_]*_t\s+?my_system_kivo_init\s*?\(\s*?\)\s*?\{(*COMMIT)((.|[\n])*?)\n\})", false,
                         true);
  std::size_t end = 0;
  std::optional<CGroups> match = SourceMatchEnding(pattern, ctx, end);
  if (!match) {
    if (doc.m_pFSet)
      Warn(kMsgNoInitFunction);
    return;
  }
  ctx.initBody = (*match)[0];
  std::size_t bodyStart = end >= ctx.initBody.size() + 2 ? end - 2 - ctx.initBody.size() : 0;
  ctx.initBodyStart = bodyStart;
  ReadInitCalls(doc, ctx, LineOf(ctx.sourceText, bodyStart));
  if (!doc.m_kept.Empty())
    KeepSurroundings(doc, ctx);
}

// ---- A processor the database lacks

// Whether the structure names a field or a value that only a Kivo2 engine has.
bool UsesKivo2(const CProjDoc& doc, const std::vector<std::string>& pieces) {
  static CRegExp names(R"((HV_KIVO_[A-Za-z0-9_]*))", true, false);
  const CKivoCfgDesc& desc = doc.Kb().cfgDesc;
  for (std::size_t i = 0; i < pieces.size() && i < CProjDoc::kCfgMembers; ++i) {
    const CKivoVarValueSet& member = doc.CfgMember(static_cast<int>(i) + 1);
    for (const CGroups& found : RunPatternQuietly(names, pieces[i])) {
      const CKivoVarDef* def = desc.FindDefByValueName(found[0]);
      if (!def)
        continue;
      if (const CKivoVarValue* field = member.Find(def->section); field && member.IsKivo2Only(field))
        return true;
      for (std::size_t v = def->firstKivo2Value < 0 ? def->values.size() : static_cast<std::size_t>(def->firstKivo2Value);
           v < def->values.size(); ++v)
        if (def->values[v]->name == found[0])
          return true;
    }
  }
  return false;
}

bool ReadCommentNumber(CRegExp& pattern, const CProjReadContext& ctx, uint32_t& out) {
  std::optional<CGroups> match = FirstOf(RunPatternQuietly(pattern, ctx.sourceOutsideVerbatim));
  if (!match || match->front().size() > 10)
    return false;
  unsigned long long value = std::stoull(match->front());
  if (value > UINT32_MAX)
    return false;
  out = static_cast<uint32_t>(value);
  return true;
}

// The Kivo clock prescaler under which engine A's time bases are the ones the
// file's comment gives; the generic one when none fits.
void MatchTimeBasePrescaler(CProjDoc& doc, const CProjReadContext& ctx) {
  constexpr int kMaxPrescaler = 16;
  static CRegExp tcr1(R"(TCR1 engine A:[ \t]*([0-9]+))");
  static CRegExp tcr2(R"(TCR2 engine A:[ \t]*([0-9]+))");
  uint32_t wanted1 = 0, wanted2 = 0;
  if (!ReadCommentNumber(tcr1, ctx, wanted1) || wanted1 == 0)
    return;
  bool hasTcr2 = ReadCommentNumber(tcr2, ctx, wanted2);
  const int generic = doc.m_cpu.kivoClkPrescaler;
  auto fits = [&](int prescaler) {
    doc.m_cpu.kivoClkPrescaler = prescaler;
    doc.DeriveEngineFrequencies(0);
    return doc.m_engine[0].tcr1Freq == wanted1 && (!hasTcr2 || doc.m_engine[0].tcr2Freq == wanted2);
  };
  if (fits(generic))
    return;
  for (int prescaler = 1; prescaler <= kMaxPrescaler; ++prescaler)
    if (prescaler != generic && fits(prescaler))
      return;
  fits(generic);
}

// A processor the database lacks keeps the generic record widened to what the
// file uses, so that a save writes back the Kivo2 fields, the engine B
// members, the peripheral clock and the time bases it was read with rather
// than what the generic processor has. Its limits are unknown: the read
// clocks are taken for them, and the open has warned.
void WidenUnknownProcessor(CProjDoc& doc, const CProjReadContext& ctx) {
  CKivoCpu& cpu = doc.m_cpu;
  std::vector<std::string> pieces = SplitArguments(StripComments(ctx.initializer));
  if (UsesKivo2(doc, pieces))
    cpu.isKivo2 = 1;
  bool engineB = std::any_of(doc.m_funcs.begin(), doc.m_funcs.end(), [](const auto& func) { return func->engine == 1; });
  for (int n = 1; n <= CProjDoc::kCfgMembers; ++n) {
    std::string piece = TrimmedPiece(pieces, static_cast<std::size_t>(n - 1));
    engineB |= CProjDoc::IsEngineBMember(n) && !piece.empty() && piece != "0";
  }
  if (engineB)
    cpu.engines = std::max(cpu.engines, 2);
  if (doc.m_nPtbClk > 0) {
    cpu.peripheralTimebaseAvailable = 1;
    cpu.peripheralTimebaseClock = std::max(cpu.peripheralTimebaseClock, doc.m_nPtbClk);
  }
  cpu.systemClock = std::max(cpu.systemClock, doc.m_nSysClk);
  cpu.stacBusAvailable = 1;
  MatchTimeBasePrescaler(doc, ctx);
}

bool ParseProject(CProjDoc& doc, CProjReadContext& ctx) {
  FindVerbatim(ctx);
  if (!ReadStructure(ctx))
    return false;
  ReadMembers(doc, ctx);
  ctx.cpuUnknown = !ReadCpu(doc, ctx);
  ReadFunctionSet(doc, ctx);
  ReadFunctions(doc, ctx);
  ReadClocks(doc, ctx);
  ReadMasks(doc, ctx);
  ReadExternDecls(doc, ctx);
  ReadVerbatim(doc, ctx);
  return true;
}

}  // namespace

namespace {

bool ReadProjectContext(CProjDoc& doc, CProjReadContext& ctx) {
  bool result = false;
  try {
    result = ParseProject(doc, ctx);
  } catch (const CRegExpError& error) {
    // Only the value lists, which scan short texts, run outside the guarded
    // searches; what was read before stays.
    ShowMessage(9310, EMessageKind::Warning, {ctx.sourcePath, error.what()});
  }
  doc.PullCombinations();
  if (ctx.cpuUnknown)
    WidenUnknownProcessor(doc, ctx);
  return result;
}

}  // namespace

bool CProjDoc::ReadProjectFiles(const std::string& cPath, const std::string& hPath) {
  if (IsTooBig(cPath) || IsTooBig(hPath))
    return false;
  CProjReadContext ctx;
  ctx.sourcePath = cPath;
  ctx.headerPath = hPath;
  if (!ReadTextFile(cPath, ctx.sourceText) || !ReadTextFile(hPath, ctx.headerText))
    return false;
  return ReadProjectContext(*this, ctx);
}

bool CProjDoc::ReadProjectTexts(const std::string& source, const std::string& header) {
  CProjReadContext ctx;
  ctx.sourcePath = kDefaultCName;
  ctx.headerPath = kDefaultHName;
  ctx.sourceText = source;
  ctx.headerText = header;
  return ReadProjectContext(*this, ctx);
}

namespace {

// A channel number outside 0 to 31 or an engine beyond B would index past the
// engine records, so such a define is refused like one that does not read.
bool ValidChannel(int engine, int channel) {
  return engine >= 0 && engine <= 1 && channel >= 0 && channel <= CProjDoc::kMaxChannel;
}

// The channel is taken as a whole number token, so "08" is refused as the
// compiler refuses it instead of being read as channel 0.
bool DecodeChannelDefine(const std::string& value, int& outEngine, int& outChannel) {
  static CRegExp engineForm(R"(^\s*KIVO_ENGINE_([AB])_CHANNEL\s*\(\s*([0-9][0-9A-Za-z_]*)\s*\))");
  int32_t number = 0;
  if (std::optional<CGroups> match = FirstOf(RunPatternQuietly(engineForm, value))) {
    if (!ReadCInteger32((*match)[1], number))
      return false;
    outEngine = (*match)[0] == "A" ? 0 : 1;
    outChannel = number;
    return true;
  }
  if (!ReadDefinedConstant(value, number) || number < 0)
    return false;
  outEngine = number / 64;
  outChannel = number % 64;
  return true;
}

}  // namespace

bool CProjDoc::ParseChannelArg(CProjReadContext& ctx, const std::string& arg, int& inOutEngine,
                               int& outChannel) const {
  if (arg == "KIVO_CHAN_NOT_USED") {
    outChannel = -1;
    return true;
  }
  if (arg.empty())
    return false;
  // The argument comes from the file: escaped, it can only name itself.
  CRegExp& pattern = ctx.patterns.Get(FillPattern(R"(^\s*#define\s+?%1\s+(.*))", EscapeForPattern(arg)), true, true);
  std::optional<CGroups> match = FirstMatch(pattern, ctx.headerText, ctx.headerPath);
  int engineRead = -1;
  int channelRead = -1;
  if (!match || !DecodeChannelDefine(TrimLeft((*match)[0]), engineRead, channelRead) ||
      !ValidChannel(engineRead, channelRead))
    return false;
  inOutEngine = engineRead;
  outChannel = channelRead;
  return true;
}

bool CProjDoc::CFuncInfo_Api::ParseInitCall(CProjReadContext& ctx, const std::string& funcName,
                                            const std::string& argText) {
  engine = -1;
  const CKivoInitFunc* init = nullptr;
  const CKivoFunc* record = doc->m_pFSet ? doc->m_pFSet->FindByInitName(funcName, &init) : nullptr;
  if (!record)
    record = doc->Kb().fappLib.FindByInitName(funcName, &init);
  if (!record || !init) {
    Warn(kMsgNotApiFunction, {funcName});
    return false;
  }
  function = record;
  initFunc = init;
  std::vector<std::string> pieces = SplitArguments(argText);
  if (!ArgumentsTellApart(ctx, funcName, argText, ArgumentCount(argText, pieces), init->params.size()))
    return false;
  CChannelMap channelMap;
  for (std::size_t i = 0; i < init->params.size(); ++i) {
    const CKivoParam* param = init->params[i].get();
    std::string piece = Trim(pieces[i]);
    if (!param->IsChannel()) {
      auto value = std::make_unique<CParamInfo>(param->varDef);
      value->value.valueName = piece;
      params[param] = std::move(value);
      continue;
    }
    int channelEngine = engine;
    int channel = -1;
    if (!doc->ParseChannelArg(ctx, piece, channelEngine, channel) || (engine >= 0 && channelEngine != engine)) {
      Warn(kMsgBadChannel, {piece});
      return false;
    }
    engine = channelEngine;
    channelMap[param] = channel;
  }
  return BuildChannels(channelMap);
}

namespace {

// The number a pseudo-field such as "FNAPI.FUNCTION" holds in an argument
// like HV_KIVO_FUNC_NUMBER(3); -1 when none reads.
int PseudoFieldNumber(const CKivoCfgDesc& desc, const std::string& section, const std::string& piece) {
  CKivoVarValueSet set;
  set.Build(desc, section);
  set.ParseValueList(piece);
  const CKivoVarValue* field = set.Find(section);
  int32_t number = -1;
  if (!field || !ReadCInteger32(field->argument, number))
    return -1;
  return number;
}

int MaxRawParams(const CKivoCfgDesc& desc) {
  const CKivoVarDef* def = desc.FindDefBySection("FNAPI.PRMCOUNT");
  if (def && !def->values.empty() && def->values.front()->hasBounds)
    return def->values.front()->max;
  return kMaxRawParams;
}

// The first comma-separated pieces of every call of `callName` on `channel`.
std::vector<std::vector<std::string>> ChannelCalls(CProjReadContext& ctx, const std::string& callName,
                                                   const std::string& channel) {
  std::string pattern = FillPattern(R"(%1[ \t\n]*\(([ \t\n]*?%2[ \t\n]*?,[^;]*?)\)[ \t\n]*;)", callName,
                                    EscapeForPattern(channel));
  CRegExp& re = ctx.patterns.Get(pattern, false, true);
  std::vector<std::vector<std::string>> calls;
  for (const std::string& statement : ctx.callStatements)
    if (std::optional<CGroups> match = FirstMatch(re, statement, ctx.sourcePath))
      calls.push_back(SplitArguments((*match)[0]));
  return calls;
}

void ReadPriority(CProjDoc::CFuncInfo_NonApi& func, CProjReadContext& ctx, const std::string& channelArg) {
  std::vector<std::vector<std::string>> enables = ChannelCalls(ctx, "hv_kivo_enable", channelArg);
  if (!enables.empty()) {
    func.Group(4).ParseValueList(TrimmedPiece(enables.front(), 1));
    WarnUnreadNumbers(func.Group(4));
  }
}

void ReadRawParams(CProjDoc::CFuncInfo_NonApi& func, CProjReadContext& ctx, const std::string& channelArg,
                   int count) {
  func.rawParams.clear();
  for (int i = 0; i < count; ++i)
    func.rawParams.push_back(std::make_unique<CProjDoc::CParamInfo>());
  // One message per function: a file full of stray writes must not bury the
  // user under a box for each of them.
  bool told = false;
  for (const std::vector<std::string>& call : ChannelCalls(ctx, "hv_kivo_set_chan_local_32", channelArg)) {
    std::string offsetText = TrimmedPiece(call, 1);
    int32_t offset = 0;
    // An offset that does not read would drop the value it writes.
    if (!ReadCInteger32(offsetText, offset) || offset < 0) {
      Warn(kMsgBadNumber, {offsetText, channelArg});
      continue;
    }
    if (offset / 4 < count) {
      func.rawParams[static_cast<std::size_t>(offset / 4)]->value.valueName = TrimmedPiece(call, 2);
    } else if (!told) {
      Warn(kMsgTooManyParams, {channelArg, offsetText});
      told = true;
    }
  }
}

}  // namespace

bool CProjDoc::CFuncInfo_NonApi::ParseInitCall(CProjReadContext& ctx, const std::string& funcName,
                                               const std::string& argText) {
  constexpr std::size_t kArguments = 7;
  std::vector<std::string> pieces = SplitArguments(argText);
  if (!ArgumentsTellApart(ctx, funcName, argText, ArgumentCount(argText, pieces), kArguments))
    return false;
  std::string channelArg = TrimmedPiece(pieces, 0);
  int channelEngine = -1;
  int channel = -1;
  // A generic call initialises one real channel; an unused one has nothing to configure.
  if (!doc->ParseChannelArg(ctx, channelArg, channelEngine, channel) || channel < 0) {
    Warn(kMsgBadChannel, {channelArg});
    return false;
  }
  const CKivoCfgDesc& desc = doc->Kb().cfgDesc;
  InitDefaults(channel);
  engine = channelEngine;
  assignLabel.clear();
  std::string numberArg = TrimmedPiece(pieces, 1);
  int number = PseudoFieldNumber(desc, "FNAPI.FUNCTION", numberArg);
  if (number < 0) {
    Warn(kMsgBadFunctionNumber, {numberArg});
    return false;
  }
  const auto& slots = doc->m_pFSet->slots;
  if (static_cast<std::size_t>(number) >= slots.size() || !slots[static_cast<std::size_t>(number)]) {
    Warn(kMsgEmptySlot, {numberArg});
    return false;
  }
  function = slots[static_cast<std::size_t>(number)];
  std::string countArg = TrimmedPiece(pieces, 4);
  int count = PseudoFieldNumber(desc, "FNAPI.PRMCOUNT", countArg);
  if (count < 0 || count > MaxRawParams(desc)) {
    Warn(kMsgBadParamCount, {countArg});
    return false;
  }
  Group(1).ParseValueList(TrimmedPiece(pieces, 2));
  Group(2).ParseValueList(TrimmedPiece(pieces, 5));
  Group(3).ParseValueList(TrimmedPiece(pieces, 3));
  for (int group = 1; group <= 3; ++group)
    WarnUnreadNumbers(Group(group));
  ReadPriority(*this, ctx, channelArg);
  ReadRawParams(*this, ctx, channelArg, count);
  return true;
}
