// Expression evaluator: tokenizer, recursive-descent levels, built-in functions and the lookup chain.
#include "support/expreval.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <locale.h>

#include "base/messagecatalog.h"

namespace {

enum class ETokenKind { None, Identifier, Operator, Number };

// Operator codes; the table below is matched in this order, so the
// two-character operators win over their one-character prefixes.
enum EOperator {
  kOpNone = 0,
  kOpEq, kOpNe, kOpLe, kOpGe, kOpLt, kOpGt, kOpOr, kOpAnd, kOpXor, kOpAssign,
  kOpNot, kOpPlus, kOpMinus, kOpMul, kOpDiv, kOpMod, kOpPow, kOpOpen, kOpClose, kOpComma,
};

constexpr std::array<std::string_view, 20> kOperators = {
    "==", "!=", "<=", ">=", "<", ">", "||", "&&", "^^", "=",
    "!",  "+",  "-",  "*",  "/", "%", "^",  "(",  ")",  ","};

constexpr std::string_view kOperatorStarts = "=!<>|&^+-*/%(),";

// Hostile input must end in an error, never in a stack overflow. The count is
// shared by every evaluator on the thread, so resolvers that evaluate further
// texts (nested evaluation) draw on the same budget as parentheses and calls.
constexpr int kMaxDepth = 256;
thread_local int t_depth = 0;

class CDepthGuard {
 public:
  CDepthGuard() { ++t_depth; }
  ~CDepthGuard() { --t_depth; }
  CDepthGuard(const CDepthGuard&) = delete;
  CDepthGuard& operator=(const CDepthGuard&) = delete;
  bool Exceeded() const { return t_depth > kMaxDepth; }
};
constexpr int kMaxArgs = 10;

struct CExprFailure {
  int code;
  int position;
  std::string token;
};

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsIdentChar(char c) { return IsLetter(c) || IsDigit(c) || c == '_'; }
bool IsHexDigit(char c) {
  return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}
int HexValue(char c) {
  if (IsDigit(c))
    return c - '0';
  return (c | 0x20) - 'a' + 10;
}
// Letters that cannot follow the digits of a decimal number ("e" starts the exponent).
bool IsForbiddenNumberLetter(char c) {
  char lower = static_cast<char>(c | 0x20);
  return IsLetter(c) && ((lower >= 'a' && lower <= 'd') || lower == 'f');
}

bool IsTrue(double v) { return v != 0.0 && !std::isnan(v); }
double Flag(bool b) { return b ? 1.0 : 0.0; }

// The conversion must not follow the process locale: a desktop session may
// have set one whose decimal separator is a comma.
double StrtodC(const char* text, char** end) {
  static locale_t cLocale = newlocale(LC_NUMERIC_MASK, "C", static_cast<locale_t>(nullptr));
  return strtod_l(text, end, cLocale);
}

// A hexadecimal literal is a 32-bit signed integer widened to double, so
// 0x80000000 to 0xFFFFFFFF are negative. Wider values are rejected.
bool ConvertHex(std::string_view digits, double& value) {
  std::uint64_t v = 0;
  for (char c : digits) {
    v = v * 16 + static_cast<std::uint64_t>(HexValue(c));
    if (v > 0xFFFFFFFFull)
      return false;
  }
  value = static_cast<double>(static_cast<std::int32_t>(static_cast<std::uint32_t>(v)));
  return true;
}

bool ConvertNumber(const std::string& token, double& value) {
  if (token.size() > 2 && token[0] == '0' && (token[1] == 'x' || token[1] == 'X'))
    return ConvertHex(std::string_view(token).substr(2), value);
  char* end = nullptr;
  value = StrtodC(token.c_str(), &end);
  return end != token.c_str() && end == token.c_str() + token.size();
}

struct CBuiltin {
  std::string_view name;
  int argc;
  double (*compute)(const double* a);
};

const CBuiltin kBuiltins[] = {
    {"sin", 1, [](const double* a) { return std::sin(a[0]); }},
    {"cos", 1, [](const double* a) { return std::cos(a[0]); }},
    {"tan", 1, [](const double* a) { return std::tan(a[0]); }},
    {"asin", 1, [](const double* a) { return std::asin(a[0]); }},
    {"acos", 1, [](const double* a) { return std::acos(a[0]); }},
    {"atan", 1, [](const double* a) { return std::atan(a[0]); }},
    {"sinh", 1, [](const double* a) { return std::sinh(a[0]); }},
    {"cosh", 1, [](const double* a) { return std::cosh(a[0]); }},
    {"tanh", 1, [](const double* a) { return std::tanh(a[0]); }},
    {"exp", 1, [](const double* a) { return std::exp(a[0]); }},
    {"log", 1, [](const double* a) { return std::log10(a[0]); }},
    {"ln", 1, [](const double* a) { return std::log(a[0]); }},
    {"sqrt", 1, [](const double* a) { return std::sqrt(a[0]); }},
    {"floor", 1, [](const double* a) { return std::floor(a[0]); }},
    {"ceil", 1, [](const double* a) { return std::ceil(a[0]); }},
    {"abs", 1, [](const double* a) { return std::fabs(a[0]); }},
    {"hypot", 2, [](const double* a) { return std::hypot(a[0], a[1]); }},
    {"deg", 1, [](const double* a) { return a[0] * 57.29577951308232; }},
    {"rad", 1, [](const double* a) { return a[0] * 0.017453292519943295; }},
    {"m2ft", 1, [](const double* a) { return a[0] * 3.28084; }},
    // The reciprocal of the factor above, so that a round trip is exact enough.
    {"ft2m", 1, [](const double* a) { return a[0] * 0.3047999902464003; }},
    {"if", 3, [](const double* a) { return IsTrue(a[0]) ? a[1] : a[2]; }},
};

const CBuiltin* FindBuiltin(const std::string& name) {
  for (const CBuiltin& b : kBuiltins)
    if (b.name == name)
      return &b;
  return nullptr;
}

}  // namespace

// The scan of one ";"-piece. It computes while it parses; the current token
// has been read and the scan position lies after it and its trailing blanks.
class CExprEval::CStatement {
 public:
  CStatement(CExprEval& eval, std::string_view text) : m_eval(eval), m_text(text) {}

  void Run(double& value, bool& assigned);
  int Position() const { return static_cast<int>(m_pos) - 1; }
  const std::string& Token() const { return m_token; }

 private:
  [[noreturn]] void Raise(int code) { throw CExprFailure{code, Position(), m_token}; }
  [[noreturn]] void Raise(int code, const std::string& token) {
    throw CExprFailure{code, Position(), token};
  }

  void Next();
  void SkipBlanks();
  int MatchOperator() const;
  void ScanNumber();
  std::size_t ScanDecimal(std::size_t i);
  void ScanIdentifier();
  bool At(char c) const { return m_pos < m_text.size() && m_text[m_pos] == c; }
  bool IsOp(int op) const { return m_kind == ETokenKind::Operator && m_op == op; }

  void Level0(double& value, bool& assigned);
  double Level1();
  double Level2();
  double Level3();
  double Level4();
  double Level5();
  double Level6();
  double Level7();
  double Nested();
  double Variable();
  double Call();
  double Divide(double a, double b, bool remainder);
  std::size_t FindClose(std::size_t from) const;

  CExprEval& m_eval;
  std::string_view m_text;
  std::size_t m_pos = 0;
  ETokenKind m_kind = ETokenKind::None;
  int m_op = kOpNone;
  std::string m_token;
};

void CExprEval::CStatement::Run(double& value, bool& assigned) {
  Next();
  if (m_kind == ETokenKind::None)
    Raise(kExprEmpty);
  double v = value;
  bool a = false;
  Level0(v, a);
  value = v;
  assigned = a;
  if (m_kind != ETokenKind::None)
    Raise(kExprSyntax);
}

void CExprEval::CStatement::SkipBlanks() {
  while (m_pos < m_text.size() && IsBlank(m_text[m_pos]))
    ++m_pos;
}

int CExprEval::CStatement::MatchOperator() const {
  if (kOperatorStarts.find(m_text[m_pos]) == std::string_view::npos)
    return kOpNone;
  std::string_view rest = m_text.substr(m_pos);
  for (std::size_t i = 0; i < kOperators.size(); ++i)
    if (rest.starts_with(kOperators[i]))
      return static_cast<int>(i) + 1;
  return kOpNone;
}

void CExprEval::CStatement::Next() {
  m_kind = ETokenKind::None;
  m_op = kOpNone;
  m_token.clear();
  SkipBlanks();
  if (m_pos >= m_text.size())
    return;
  char c = m_text[m_pos];
  if (int op = MatchOperator()) {
    m_kind = ETokenKind::Operator;
    m_op = op;
    m_token = kOperators[static_cast<std::size_t>(op - 1)];
    m_pos += m_token.size();
  } else if (IsDigit(c) || c == '.') {
    ScanNumber();
  } else if (IsLetter(c) || c == '_') {
    ScanIdentifier();
  } else {
    m_token.assign(1, c);
    ++m_pos;
    Raise(kExprSyntax);
  }
  SkipBlanks();
}

// A malformed number is reported before it is consumed, with the text up to
// the offending character as the token.
void CExprEval::CStatement::ScanNumber() {
  std::size_t start = m_pos;
  std::size_t n = m_text.size();
  std::size_t end = 0;
  if (start + 1 < n && m_text[start] == '0' && (m_text[start + 1] | 0x20) == 'x') {
    std::size_t i = start + 2;
    while (i < n && IsHexDigit(m_text[i]))
      ++i;
    bool malformed = i == start + 2 || (i < n && m_text[i] == '.');
    if (malformed) {
      m_token = m_text.substr(start, std::min(i + 1, n) - start);
      Raise(kExprSyntax);
    }
    end = i;
  } else {
    end = ScanDecimal(start);
  }
  m_kind = ETokenKind::Number;
  m_token = m_text.substr(start, end - start);
  m_pos = end;
}

std::size_t CExprEval::CStatement::ScanDecimal(std::size_t i) {
  std::size_t start = i;
  std::size_t n = m_text.size();
  bool dot = false;
  bool exponent = false;
  auto malformed = [&](std::size_t at) {
    m_token = m_text.substr(start, std::min(at + 1, n) - start);
    Raise(kExprSyntax);
  };
  for (; i < n; ++i) {
    char c = m_text[i];
    if (IsDigit(c))
      continue;
    if (c == '.') {
      if (dot || exponent)
        malformed(i);
      dot = true;
    } else if (c == 'e' || c == 'E') {
      if (exponent)
        malformed(i);
      exponent = true;
      if (i + 1 < n && (m_text[i + 1] == '+' || m_text[i + 1] == '-'))
        ++i;
      if (i + 1 >= n || !IsDigit(m_text[i + 1]))
        malformed(i + 1);
    } else if (IsForbiddenNumberLetter(c)) {
      malformed(i);
    } else {
      break;
    }
  }
  return i;
}

// Identifiers carry member and index parts: blanks before "[" or "." and
// after "." are taken and dropped, and everything inside brackets belongs to
// the name.
void CExprEval::CStatement::ScanIdentifier() {
  std::size_t i = m_pos;
  std::size_t n = m_text.size();
  int depth = 0;
  char lastTaken = 0;
  while (i < n) {
    char c = m_text[i];
    if (IsBlank(c)) {
      if (depth > 0) {
        ++i;
        continue;
      }
      std::size_t next = i;
      while (next < n && IsBlank(m_text[next]))
        ++next;
      bool take = lastTaken == '.' || (next < n && (m_text[next] == '[' || m_text[next] == '.'));
      if (!take)
        break;
      i = next;
      continue;
    }
    if (!(depth > 0 || IsIdentChar(c) || c == '[' || c == '.'))
      break;
    if (c == '[')
      ++depth;
    else if (c == ']')
      --depth;
    m_token += c;
    lastTaken = c;
    ++i;
  }
  m_kind = ETokenKind::Identifier;
  m_pos = i;
}

// An assignment stands at the start of a statement, inside parentheses and as
// a function argument; "name =" with nothing after it deletes the variable.
void CExprEval::CStatement::Level0(double& value, bool& assigned) {
  CDepthGuard depth;
  if (depth.Exceeded())
    Raise(kExprSyntax);
  if (m_kind == ETokenKind::Identifier && At('=') &&
      !(m_pos + 1 < m_text.size() && m_text[m_pos + 1] == '=')) {
    std::string name = m_token;
    Next();
    Next();
    assigned = true;
    if (m_kind == ETokenKind::None) {
      m_eval.RemoveVariable(name);
    } else {
      value = Level1();
      m_eval.SetVariable(name, value);
    }
  } else {
    value = Level1();
  }
}

// "||", "&&" and "^^" share one precedence; both operands are always evaluated.
double CExprEval::CStatement::Level1() {
  double v = Level2();
  while (IsOp(kOpOr) || IsOp(kOpAnd) || IsOp(kOpXor)) {
    int op = m_op;
    Next();
    double r = Level2();
    if (op == kOpOr)
      v = Flag(IsTrue(v) || IsTrue(r));
    else if (op == kOpAnd)
      v = Flag(IsTrue(v) && IsTrue(r));
    else
      v = Flag(IsTrue(v) != IsTrue(r));
  }
  return v;
}

// Not-a-number compares equal to everything and below everything.
double CExprEval::CStatement::Level2() {
  double v = Level3();
  while (m_kind == ETokenKind::Operator && m_op >= kOpEq && m_op <= kOpGt) {
    int op = m_op;
    Next();
    double r = Level3();
    bool nan = std::isnan(v) || std::isnan(r);
    double diff = v - r;
    switch (op) {
      case kOpEq: v = Flag(diff == 0.0 || std::isnan(diff)); break;
      case kOpNe: v = Flag(!(diff == 0.0 || std::isnan(diff))); break;
      case kOpLe: v = Flag(nan || v <= r); break;
      case kOpGe: v = Flag(!nan && v >= r); break;
      case kOpLt: v = Flag(nan || v < r); break;
      default: v = Flag(!nan && v > r); break;
    }
  }
  return v;
}

double CExprEval::CStatement::Level3() {
  double v = Level4();
  while (IsOp(kOpPlus) || IsOp(kOpMinus)) {
    int op = m_op;
    Next();
    double r = Level4();
    v = op == kOpPlus ? v + r : v - r;
  }
  return v;
}

double CExprEval::CStatement::Level4() {
  double v = Level5();
  while (IsOp(kOpMul) || IsOp(kOpDiv) || IsOp(kOpMod)) {
    int op = m_op;
    Next();
    double r = Level5();
    v = op == kOpMul ? v * r : Divide(v, r, op == kOpMod);
  }
  return v;
}

double CExprEval::CStatement::Divide(double a, double b, bool remainder) {
  if (b == 0.0 || std::isnan(b)) {
    if (m_eval.LenientDivision())
      return 0.0;
    Raise(kExprDivByZero);
  }
  return remainder ? std::fmod(a, b) : a / b;
}

// At most one "^": a second one is left over and fails the statement.
double CExprEval::CStatement::Level5() {
  double v = Level6();
  if (IsOp(kOpPow)) {
    Next();
    v = std::pow(v, Level6());
  }
  return v;
}

// One prefix at most, binding tighter than "^".
double CExprEval::CStatement::Level6() {
  if (IsOp(kOpNot) || IsOp(kOpPlus) || IsOp(kOpMinus)) {
    int op = m_op;
    Next();
    double v = Level7();
    if (op == kOpNot)
      return Flag(!IsTrue(v));
    return op == kOpMinus ? -v : v;
  }
  return Level7();
}

double CExprEval::CStatement::Level7() {
  if (IsOp(kOpOpen))
    return Nested();
  if (m_kind == ETokenKind::Number) {
    double v = 0.0;
    if (!ConvertNumber(m_token, v))
      Raise(kExprSyntax);
    Next();
    return v;
  }
  if (m_kind == ETokenKind::Identifier)
    return At('(') ? Call() : Variable();
  Raise(kExprSyntax);
}

double CExprEval::CStatement::Nested() {
  Next();
  if (IsOp(kOpClose))
    Raise(kExprMissingArgument);
  double v = 0.0;
  bool assigned = false;
  Level0(v, assigned);
  if (!IsOp(kOpClose))
    Raise(kExprUnbalanced);
  Next();
  return v;
}

double CExprEval::CStatement::Variable() {
  double v = 0.0;
  if (!m_eval.GetVariable(m_token, v))
    Raise(kExprUnknownVariable);
  Next();
  return v;
}

std::size_t CExprEval::CStatement::FindClose(std::size_t from) const {
  int depth = 1;
  for (std::size_t i = from; i < m_text.size(); ++i) {
    if (m_text[i] == '(') {
      ++depth;
    } else if (m_text[i] == ')' && --depth == 0) {
      return i;
    }
  }
  return std::string_view::npos;
}

// Resolvers see the call first: raw (the unparsed argument text), then with
// the evaluated arguments; the built-in table comes last.
double CExprEval::CStatement::Call() {
  std::string name = m_token;
  std::size_t open = m_pos;
  std::size_t close = FindClose(open + 1);
  if (close == std::string_view::npos)
    Raise(kExprUnbalanced);
  double v = 0.0;
  if (!m_eval.m_resolvers.empty()) {
    std::string argText(m_text.substr(open + 1, close - open - 1));
    for (CExprResolver* resolver : m_eval.m_resolvers) {
      if (resolver->ResolveRawFunction(m_eval, name, argText, v)) {
        m_pos = close + 1;
        Next();
        return v;
      }
    }
  }
  Next();
  double args[kMaxArgs] = {};
  int count = 0;
  do {
    Next();
    if (IsOp(kOpClose) || IsOp(kOpComma))
      Raise(kExprMissingArgument);
    bool assigned = false;
    Level0(args[count++], assigned);
  } while (IsOp(kOpComma) && count < kMaxArgs);
  if (IsOp(kOpComma)) {
    // No function takes more arguments than are collected; the surplus is
    // never offered to a resolver as a truncated list.
    Next();
    Raise(FindBuiltin(name) ? kExprWrongArgCount : kExprUnknownFunction, name);
  }
  if (!IsOp(kOpClose))
    Raise(kExprUnbalanced);
  Next();
  for (CExprResolver* resolver : m_eval.m_resolvers)
    if (resolver->ResolveFunction(m_eval, name, count, args, v))
      return v;
  const CBuiltin* builtin = FindBuiltin(name);
  if (!builtin)
    Raise(kExprUnknownFunction, name);
  if (builtin->argc != count)
    Raise(kExprWrongArgCount, name);
  return builtin->compute(args);
}

bool CExprAllOnes::Lookup(const std::string&, double& value) {
  value = 1.0;
  return true;
}

CExprAllOnes& CExprAllOnes::Instance() {
  static CExprAllOnes instance;
  return instance;
}

CExprAllOnes& AllOnesScope() { return CExprAllOnes::Instance(); }

bool CExprVars::Find(const std::string& name, double& value) const {
  auto found = m_index.find(name);
  if (found == m_index.end())
    return false;
  value = found->second->second;
  return true;
}

void CExprVars::Set(const std::string& name, double value) {
  auto found = m_index.find(name);
  if (found != m_index.end()) {
    found->second->second = value;
    return;
  }
  m_entries.emplace_back(name, value);
  m_index.emplace(name, std::prev(m_entries.end()));
}

void CExprVars::Remove(const std::string& name) {
  auto found = m_index.find(name);
  if (found == m_index.end())
    return;
  m_entries.erase(found->second);
  m_index.erase(found);
}

std::vector<std::pair<std::string, double>> CExprVars::Entries() const {
  return {m_entries.begin(), m_entries.end()};
}

CExprEval::CExprEval(CExprResolver* resolver, void* context) : m_context(context) {
  if (resolver)
    m_resolvers.push_back(resolver);
}

int CExprEval::Evaluate(std::string_view text, double& value, int* assigned) {
  m_errorCode = 0;
  m_errorPosition = 0;
  m_errorToken.clear();
  value = 0.0;
  int lastAssigned = 0;
  int offset = 0;
  std::size_t start = 0;
  for (;;) {
    std::size_t semicolon = text.find(';', start);
    std::string_view statement = text.substr(start, semicolon == std::string_view::npos
                                                        ? std::string_view::npos
                                                        : semicolon - start);
    RunStatement(statement, offset, value, lastAssigned);
    offset += static_cast<int>(statement.size());
    if (semicolon == std::string_view::npos)
      break;
    start = semicolon + 1;
  }
  if (assigned)
    *assigned = lastAssigned;
  return m_errorCode;
}

void CExprEval::RunStatement(std::string_view statement, int offset, double& value,
                             int& assigned) {
  CStatement scan(*this, statement);
  bool isAssignment = false;
  try {
    scan.Run(value, isAssignment);
  } catch (const CExprFailure& failure) {
    RecordError(failure.code, offset + failure.position, failure.token);
  } catch (...) {
    // Memory exhaustion, or a resolver that threw: the statement fails as a
    // syntax error rather than taking the program down.
    RecordError(kExprSyntax, offset + scan.Position(), scan.Token());
  }
  assigned = isAssignment ? 1 : 0;
}

void CExprEval::RecordError(int code, int position, const std::string& token) {
  if (m_errorCode != 0)
    return;
  m_errorCode = code;
  m_errorPosition = position;
  m_errorToken = token;
}

int CExprEval::Validate(std::string_view text, int options, int* assigned) {
  bool wasLenient = m_lenient;
  int oldOptions = m_lenientOptions;
  m_lenient = true;
  m_lenientOptions = options;
  double value = 0.0;
  int code = Evaluate(text, value, assigned);
  m_lenient = wasLenient;
  m_lenientOptions = oldOptions;
  return code;
}

bool CExprEval::LenientVariables() const {
  return m_lenient && !(m_lenientOptions & EVAL_LENIENT_STRICT_VARS);
}

bool CExprEval::LenientDivision() const {
  return m_lenient && !(m_lenientOptions & EVAL_LENIENT_STRICT_DIV);
}

std::string CExprEval::FormatError(int base) const {
  if (m_errorCode == 0)
    return {};
  return FormatMessageText(CatalogText(base + m_errorCode - 1),
                           {std::to_string(m_errorPosition), m_errorToken});
}

bool CExprEval::GetVariable(const std::string& name, double& value) {
  if (m_vars.Find(name, value))
    return true;
  for (CExprScope* scope : m_scopes)
    if (scope->Lookup(name, value))
      return true;
  for (CExprResolver* resolver : m_resolvers)
    if (resolver->ResolveVariable(*this, name, value))
      return true;
  if (!LenientVariables())
    return false;
  value = 0.0;
  return true;
}

void CExprEval::SetVariable(const std::string& name, double value) { m_vars.Set(name, value); }

void CExprEval::RemoveVariable(const std::string& name) { m_vars.Remove(name); }

void CExprEval::AddScope(CExprScope* scope) {
  if (scope && std::find(m_scopes.begin(), m_scopes.end(), scope) == m_scopes.end())
    m_scopes.push_back(scope);
}

void CExprEval::AddResolver(CExprResolver* resolver) {
  if (resolver && std::find(m_resolvers.begin(), m_resolvers.end(), resolver) == m_resolvers.end())
    m_resolvers.push_back(resolver);
}

void CExprEval::InheritFrom(const CExprEval& other) {
  // Copies first: other may be this evaluator.
  std::vector<CExprScope*> scopes = other.m_scopes;
  std::vector<CExprResolver*> resolvers = other.m_resolvers;
  for (CExprScope* scope : scopes)
    AddScope(scope);
  for (CExprResolver* resolver : resolvers)
    AddResolver(resolver);
}

bool CExprEval::Lookup(const std::string& name, double& value) { return m_vars.Find(name, value); }

std::vector<std::pair<std::string, double>> CExprEval::Variables() const {
  return m_vars.Entries();
}
