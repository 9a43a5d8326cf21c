// Expression evaluator for the arithmetic texts of function headers, with its variable table, scopes and resolvers.
#pragma once

#include <list>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

// Option bits of CExprEval::Validate. Without them the lenient check reads an
// unknown variable as 0 and a division by zero as 0.
constexpr int EVAL_LENIENT_STRICT_VARS = 1;
constexpr int EVAL_LENIENT_STRICT_DIV = 2;

// Error codes; the message of code n is catalog text 5101 + n - 1.
enum EExprError {
  kExprOk = 0,
  kExprSyntax = 1,
  kExprUnbalanced = 2,
  kExprDivByZero = 3,
  kExprUnknownVariable = 4,
  kExprTooManyVariables = 5,  // kept for the message numbering; the table is unbounded
  kExprUnknownFunction = 6,
  kExprWrongArgCount = 7,
  kExprMissingArgument = 8,
  kExprEmpty = 9,
};

// Named values in creation order. Names are case-sensitive and unbounded in number.
class CExprVars {
 public:
  bool Find(const std::string& name, double& value) const;
  // Updates an existing name in place, so it keeps its position; else appends.
  void Set(const std::string& name, double value);
  // Removing an unknown name does nothing.
  void Remove(const std::string& name);
  std::size_t Size() const { return m_entries.size(); }
  std::vector<std::pair<std::string, double>> Entries() const;

 private:
  using CEntries = std::list<std::pair<std::string, double>>;
  CEntries m_entries;
  std::unordered_map<std::string, CEntries::iterator> m_index;
};

// Something whose variables an evaluator may read.
class CExprScope {
 public:
  virtual ~CExprScope() = default;
  virtual bool Lookup(const std::string& name, double& value) = 0;
};

class CExprEval;

// Supplies variables and functions the evaluator does not know itself. Each
// slot returns true when it has supplied the value. Owned by the caller.
class CExprResolver {
 public:
  virtual ~CExprResolver() = default;
  virtual bool ResolveVariable(CExprEval&, const std::string& /*name*/, double& /*value*/) {
    return false;
  }
  virtual bool ResolveFunction(CExprEval&, const std::string& /*name*/, int /*argc*/,
                               const double* /*argv*/, double& /*value*/) {
    return false;
  }
  // argText is everything between the call's parentheses, unparsed. A
  // resolver that evaluates that text itself should claim the call even when
  // the text fails: once declined, the arguments are parsed again, and nested
  // calls of that kind then cost twice as much per level.
  virtual bool ResolveRawFunction(CExprEval&, const std::string& /*name*/,
                                  const std::string& /*argText*/, double& /*value*/) {
    return false;
  }
};

// Knows every name as 1.0: lets a text be checked without knowing its inputs.
class CExprAllOnes : public CExprScope {
 public:
  bool Lookup(const std::string& name, double& value) override;
  static CExprAllOnes& Instance();
};

// The one shared all-ones scope (the same object as CExprAllOnes::Instance()).
CExprAllOnes& AllOnesScope();

// A single-pass interpreter over a C-like infix language with real values,
// ";"-separated statements and assignments. A text is parsed anew on each call.
//
// Variables are looked up in the own table, then in each scope, then through
// each resolver. Every failure inside a statement ends that statement only:
// later statements still run and their assignments take effect, and the first
// error is the one reported. A statement that fails leaves the value as the
// previous statement left it.
class CExprEval : public CExprScope {
 public:
  explicit CExprEval(CExprResolver* resolver = nullptr, void* context = nullptr);

  // Returns the error code, 0 on success. value is the last statement's value;
  // assigned tells whether that statement was an assignment.
  int Evaluate(std::string_view text, double& value, int* assigned = nullptr);
  // Evaluate in lenient mode (see the EVAL_LENIENT_ option bits), value discarded.
  // Assignments made by the text stay in the own table.
  int Validate(std::string_view text, int options, int* assigned = nullptr);

  // The message of the last error, empty when there was none.
  std::string FormatError(int base = 5101) const;
  int ErrorCode() const { return m_errorCode; }
  // Offset in the text, ";" separators not counted; may be -1 when the error
  // lies at the very start (a malformed leading number, an empty text).
  int ErrorPosition() const { return m_errorPosition; }
  const std::string& ErrorToken() const { return m_errorToken; }

  // Along the whole lookup chain, the lenient default included.
  bool GetVariable(const std::string& name, double& value);
  // The own table only.
  void SetVariable(const std::string& name, double value);
  void RemoveVariable(const std::string& name);

  // Append unless the object is already listed.
  void AddScope(CExprScope* scope);
  void AddResolver(CExprResolver* resolver);
  // Takes over the other evaluator's scopes and resolvers (not its own
  // variables: add it as a scope for those).
  void InheritFrom(const CExprEval& other);

  // As a scope: the own table only.
  bool Lookup(const std::string& name, double& value) override;
  void* Context() const { return m_context; }
  // The own variables in creation order.
  std::vector<std::pair<std::string, double>> Variables() const;

 private:
  class CStatement;

  void RunStatement(std::string_view statement, int offset, double& value, int& assigned);
  void RecordError(int code, int position, const std::string& token);
  bool LenientVariables() const;
  bool LenientDivision() const;

  CExprVars m_vars;
  std::vector<CExprScope*> m_scopes;
  std::vector<CExprResolver*> m_resolvers;
  void* m_context = nullptr;
  int m_errorCode = 0;
  int m_errorPosition = 0;
  std::string m_errorToken;
  bool m_lenient = false;
  int m_lenientOptions = 0;
};
