// Reading an API header: load expressions, initialisation prototypes, channel-assignment blocks, the full name.
#include <algorithm>

#include "base/ports.h"
#include "base/texthelpers.h"
#include "knowledge/commentpatterns.h"
#include "knowledge/fsetlib.h"
#include "knowledge/headerscan.h"
#include "knowledge/kbregex.h"
#include "knowledge/kbtext.h"
#include "support/expreval.h"

namespace {


// Cuts a normalised text into statements at its semicolons, dropping empty ones.
std::vector<std::string> Statements(const std::string& text) {
  std::vector<std::string> statements;
  for (const std::string& piece : SplitAny(text, ";")) {
    std::string statement = Trim(piece);
    if (!statement.empty())
      statements.push_back(statement);
  }
  return statements;
}

void AppendStatement(std::string& text, const std::string& statement) {
  if (!text.empty())
    text += "; ";
  text += statement;
}

std::pair<std::string, std::string> SplitAssignment(const std::string& text) {
  std::size_t equals = text.find('=');
  if (equals == std::string::npos)
    return {Trim(text), {}};
  return {Trim(text.substr(0, equals)), Trim(text.substr(equals + 1))};
}

// The evaluator's text quotes the token it stopped at, which may be a whole line.
std::string EvaluatorError(const CExprEval& eval) { return QuoteExcerpt(eval.FormatError(5101)); }

// --- "var" declarations of a load expression --------------------------------

void ReportBadItem(const std::string& headerPath, const std::string& declaration, const std::string& item) {
  ShowMessage(4032, EMessageKind::Warning,
              {headerPath, QuoteExcerpt(declaration), QuoteExcerpt(item) + " is not valid value (nor valid range)"});
}

bool ReadRangeItem(const std::string& item, CKivoRange& range) {
  CExprEval eval;
  std::string low, high;
  if (SplitRangeItem(item, low, high))
    return eval.Evaluate(low, range.min) == 0 && eval.Evaluate(high, range.max) == 0;
  std::string valueName, value;
  if (!SplitNamedItem(item, valueName, value) || eval.Evaluate(value, range.min) != 0)
    return false;
  range.max = range.min;
  range.valueName = valueName;
  return true;
}

// True when `piece` declares a variable, which is then recorded in `expr`.
bool ReadVarDeclaration(const std::string& piece, CKivoLoadExpr& expr, const std::string& headerPath) {
  static CRegExp varPattern(VarDeclarationPattern());
  CMatchList matches = RunPattern(varPattern, piece, headerPath);
  if (matches.empty())
    return false;
  auto var = std::make_unique<CKivoLoadVar>();
  var->name = matches[0][0];
  var->unit = matches[0][4];
  for (const std::string& rawItem : SplitAny(matches[0][2], ",")) {
    std::string item = Trim(rawItem);
    if (item.empty())
      continue;
    CKivoRange range;
    if (ReadRangeItem(item, range))
      var->ranges.push_back(range);
    else
      ReportBadItem(headerPath, piece, item);
  }
  expr.vars[var->name] = std::move(var);
  return true;
}

// --- parameters of a prototype ----------------------------------------------

bool ReadParams(std::string list, CKivoInitFunc& initFunc, const std::string& headerText,
                const CKivoLoadEnv& env) {
  static CRegExp piecePattern(R"((.*?)([A-Za-z_][A-Za-z0-9_]*)\s*$)");
  for (char& c : list)
    if (c == '\n' || c == '\t')
      c = ' ';
  while (list.find("  ") != std::string::npos)
    list = ReplaceAll(std::move(list), "  ", " ");
  std::vector<std::pair<std::string, std::string>> declared;
  for (const std::string& piece : SplitAny(list, ",")) {
    CMatchList match = RunPatternQuietly(piecePattern, piece);
    if (match.empty())
      return false;
    declared.emplace_back(Trim(match[0][0]), match[0][1]);
  }
  for (const auto& [type, name] : declared) {
    auto param = std::make_unique<CKivoParam>(&initFunc);
    param->type = type;
    param->name = name;
    initFunc.params.push_back(std::move(param));
  }
  for (const auto& param : initFunc.params)
    if (!param->IsChannel())
      param->FindValueList(headerText, env);
  return true;
}

// --- channel-assignment blocks ----------------------------------------------

enum EChanGroup { kHeading = 1, kSelectorName = 3, kCondition = 4, kHeadingRest = 5, kAssignments = 6 };

class CChanAssignReader {
 public:
  CChanAssignReader(CKivoInitFunc& initFunc, const std::string& headerPath)
      : m_initFunc(initFunc), m_headerPath(headerPath) {}

  void Read(const std::vector<std::string>& match) {
    if (!match[kSelectorName].empty() && match[kSelectorName] != m_initFunc.name)
      return;
    auto block = std::make_unique<CKivoChanAssign>();
    auto [condVar, condValue] = SplitAssignment(match[kCondition]);
    if (match[kCondition].find('=') != std::string::npos) {
      block->condVar = condVar;
      block->condValue = condValue;
    }
    std::string assignments = match[kAssignments];
    NormalizeWhitespace(assignments);
    for (const std::string& statement : Statements(assignments))
      ReadStatement(statement, *block);
    if (!Check(block->assignText, 1)) {
      ShowMessage(4028, EMessageKind::Warning, {m_headerPath, QuoteExcerpt(block->assignText), EvaluatorError(m_eval)});
      return;
    }
    ReadLoadReference(match[kHeading] + " " + match[kHeadingRest], *block);
    m_initFunc.chanAssigns.push_back(std::move(block));
  }

 private:
  void ReadStatement(const std::string& statement, CKivoChanAssign& block) {
    auto [lhs, rhs] = SplitAssignment(statement);
    if (lhs == "priority") {
      // A priority belongs to the channel variable assigned last, which may
      // stand in an earlier block of the same function.
      if (!m_current.empty())
        block.priorities[m_current] = rhs;
      return;
    }
    AppendStatement(block.assignText, statement);
    m_current = lhs;
    if (std::find(block.chanVars.begin(), block.chanVars.end(), lhs) == block.chanVars.end())
      block.chanVars.push_back(lhs);
    if (const CKivoParam* param = m_initFunc.FindParam(rhs))
      block.paramOfChan[lhs] = param;
  }

  bool Check(const std::string& text, int options) {
    for (const auto& param : m_initFunc.params)
      m_eval.SetVariable(param->name, 1.0);
    return m_eval.Validate(text, options) == 0;
  }

  void ReadLoadReference(const std::string& heading, CKivoChanAssign& block) {
    static CRegExp loadPattern(R"([Ll][Oo][Aa][Dd]\s*\:\s*([A-Za-z_][A-Za-z0-9_]*))");
    CMatchList matches = RunPattern(loadPattern, heading, m_headerPath);
    if (matches.empty())
      return;
    const std::string& reference = matches[0][0];
    if (!Check(reference, 0))
      ShowMessage(4032, EMessageKind::Warning, {m_headerPath, QuoteExcerpt(reference), EvaluatorError(m_eval)});
    auto load = std::make_unique<CKivoLoadExpr>(m_initFunc.owner);
    load->exprText = reference;
    m_initFunc.chanLoads[&block] = std::move(load);
  }

  CKivoInitFunc& m_initFunc;
  const std::string& m_headerPath;
  CExprEval m_eval;
  std::string m_current;
};

}  // namespace

int CKivoFunc::ParseApiHeader(const std::string& text, const CKivoLoadEnv& env) {
  // A header found after another one that declared nothing replaces it whole.
  initFuncs.clear();
  loadExprs.clear();
  ReadLoadExpressions(text);
  ReadPrototypes(text, env);
  ReadFullName(text);
  return static_cast<int>(initFuncs.size());
}

void CKivoFunc::ReadLoadExpressions(const std::string& text) {
  CExprEval eval;
  eval.AddScope(&AllOnesScope());
  // The heading may end in a colon ("Load expression: duty").
  for (const auto& match : FindLoadExpressions(text)) {
    const std::string& exprName = match[1];
    if (loadExprs.count(exprName)) {
      ShowMessage(4041, EMessageKind::Warning, {apiHeaderPath, QuoteExcerpt(exprName)});
      continue;
    }
    auto expr = std::make_unique<CKivoLoadExpr>(this);
    expr->name = exprName;
    std::string body = match[2];
    NormalizeWhitespace(body);
    body = ReplaceIdentifier(body, "expression", exprName);
    for (const std::string& statement : Statements(body))
      if (!ReadVarDeclaration(statement, *expr, apiHeaderPath))
        AppendStatement(expr->exprText, statement);
    if (eval.Validate(expr->exprText, 0) != 0) {
      ShowMessage(4032, EMessageKind::Warning, {apiHeaderPath, QuoteExcerpt(expr->exprText), EvaluatorError(eval)});
      continue;
    }
    loadExprs[exprName] = std::move(expr);
  }
}

void CKivoFunc::ReadPrototypes(const std::string& text, const CKivoLoadEnv& env) {
  CMatchList prototypes = FindPrototypes(text, ToLower(name));
  if (prototypes.empty())
    return;
  static CRegExp chanPattern(ChanAssignPattern(), true, true);
  CMatchList blocks = RunPattern(chanPattern, text, apiHeaderPath);
  for (const auto& match : prototypes) {
    auto initFunc = std::make_unique<CKivoInitFunc>(this);
    initFunc->name = match[0];
    if (!ReadParams(match[1], *initFunc, text, env))
      continue;
    CChanAssignReader reader(*initFunc, apiHeaderPath);
    for (const auto& block : blocks)
      reader.Read(block);
    initFuncs.push_back(std::move(initFunc));
  }
}

void CKivoFunc::ReadFullName(const std::string& text) {
  // The name is the rest of the heading line, up to the comment's end when
  // that stands on the same line.
  static CRegExp pattern(std::string(kCommentStart) +
                             R"([Ff][Uu][Ll][Ll]\s*(?:[Ff][Uu][Nn][Cc][Tt][Ii][Oo][Nn]|)"
                             R"([Aa][Pp][Pp]?[Ll][Ii][Cc][Aa][Tt][Ii][Oo][Nn])\s*[Nn][Aa][Mm][Ee]\s*\:?)"
                             R"(((?:(?!\/\*)(?!\*\/).)*+))" +
                             kCommentRest,
                         false, true);
  CMatchList matches = RunPattern(pattern, text, apiHeaderPath);
  if (matches.empty())
    return;
  // A heading with nothing after it keeps the title the entry gave.
  std::string fullName = Trim(matches[0][1]);
  if (!fullName.empty())
    title = fullName;
}
