// Reads a project back from its generated C source and header.
#include <cctype>
#include <filesystem>
#include <optional>
#include <system_error>

#include "base/cinteger.h"
#include "base/ports.h"
#include "base/texthelpers.h"
#include "knowledge/commentpatterns.h"
#include "knowledge/kbtext.h"
#include "project/projdoc.h"
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

// A call's match ends at a ";" and holds no other, so matching statement by
// statement finds the same calls; statements whose text before the ";" does
// not end in ")" cannot hold one and are dropped, which keeps an init body
// full of unterminated calls from costing time quadratic in its length.
std::vector<std::string> CallStatements(const std::string& body) {
  std::vector<std::string> statements;
  std::size_t start = 0;
  for (std::size_t semicolon = body.find(';'); semicolon != std::string::npos;
       start = semicolon + 1, semicolon = body.find(';', start)) {
    std::size_t last = body.find_last_not_of(" \t\n", semicolon - 1);
    if (semicolon > start && last != std::string::npos && last >= start && body[last] == ')')
      statements.push_back(body.substr(start, semicolon + 1 - start));
  }
  return statements;
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

// A bounded number whose argument does not read would load into its page as
// the lowest value and be saved so; told at the open, the change is not silent.
void WarnUnreadNumbers(const CKivoVarValueSet& set) {
  for (const CKivoVarValueSet::CEntry& entry : set.Entries()) {
    const CKivoVarValue& value = *entry.value;
    const CKivoValueDef* known = value.def ? value.def->FindValue(value.valueName, false) : nullptr;
    int32_t number = 0;
    if (known && known->takesArg && known->hasBounds && !value.argument.empty() &&
        !ReadCInteger32(value.argument, number))
      Warn(kMsgBadNumber, {value.argument, value.Text()});
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
void ReadCpu(CProjDoc& doc, const CProjReadContext& ctx) {
  static CRegExp pattern(CommentFieldPattern(R"(CPU\s*=\s*([A-Za-z_][A-Za-z0-9_ ]*))"), false, true);
  std::optional<CGroups> match = SourceMatch(pattern, ctx);
  if (!match) {
    Warn(kMsgNoCpu);
    return;
  }
  doc.m_strCpu = (*match)[1];
  if (doc.m_cpu.Select(doc.Kb().cpuDb, doc.m_strCpu))
    return;
  doc.m_strCpu = TrimRight(doc.m_strCpu);
  doc.m_cpu.Select(doc.Kb().cpuDb, doc.m_strCpu);
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
}

struct CClockField {
  int missingMessage;  // 0: none
  int invalidMessage;  // 0: none
  uint32_t fallback;
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
  if (ParseFrequency((*match)[1], &hz))
    return hz;
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
  doc.m_nSysClk = ReadClock(sysClk, {kMsgNoSysClk, kMsgBadSysClk, 150000000}, ctx);
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

void ReadInitCalls(CProjDoc& doc, CProjReadContext& ctx) {
  static CRegExp pattern(
      R"(((?:[a-z_][a-z0-9_]*_)?kivo_[a-z_][a-z0-9_]*_f?init(?:_[a-zA-Z0-9_]*)?)[ \t\n]*\(([^;]*?)\)[ \t\n]*;)", false,
      true);
  ctx.callStatements = CallStatements(StripComments(ctx.initBody));
  for (const std::string& statement : ctx.callStatements) {
    std::optional<CGroups> match = FirstMatch(pattern, statement, ctx.sourcePath);
    if (!match)
      continue;
    const std::string& name = (*match)[0];
    std::unique_ptr<CProjDoc::CFuncInfo> func = doc.NewFunctionForInitCall(name);
    if (!func->ParseInitCall(ctx, name, (*match)[1]))
      continue;
    CProjDoc::CFuncInfo* added = func.get();
    doc.AdoptReadFunction(std::move(func));
    added->BuildNotes();
  }
  ReadLoadInputs(doc, ctx);
}

void ReadFunctions(CProjDoc& doc, CProjReadContext& ctx) {
  static CRegExp pattern(R"([a-z_][a-z0-9_]*_t\s+?my_system_kivo_init\s*?\(\s*?\)\s*?\{(*COMMIT)((.|[\n])*?)\n\})", false,
                         true);
  if (!doc.m_pFSet)
    return;
  std::optional<CGroups> match = SourceMatch(pattern, ctx);
  if (!match) {
    Warn(kMsgNoInitFunction);
    return;
  }
  ctx.initBody = (*match)[0];
  ReadInitCalls(doc, ctx);
}

bool ParseProject(CProjDoc& doc, CProjReadContext& ctx) {
  FindVerbatim(ctx);
  if (!ReadStructure(ctx))
    return false;
  ReadMembers(doc, ctx);
  ReadCpu(doc, ctx);
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
  if (pieces.size() < init->params.size())
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
  if (!enables.empty())
    func.Group(4).ParseValueList(TrimmedPiece(enables.front(), 1));
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

bool CProjDoc::CFuncInfo_NonApi::ParseInitCall(CProjReadContext& ctx, const std::string&,
                                               const std::string& argText) {
  std::vector<std::string> pieces = SplitArguments(argText);
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
