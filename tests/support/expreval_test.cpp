// Tests of the expression evaluator, grouped by rule: numbers, levels, truth, errors, lenient checks, lookup chain.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "support/expreval.h"

namespace {

struct CValueRow {
  const char* name;
  const char* text;
  double value;
};

struct CErrorRow {
  const char* name;
  const char* text;
  int code;
  int position;
  const char* token;
};

void ExpectValues(const std::vector<CValueRow>& rows) {
  for (const CValueRow& row : rows) {
    SCOPED_TRACE(row.name);
    CExprEval eval;
    double value = -12345.0;
    ASSERT_EQ(eval.Evaluate(row.text, value), 0) << row.text << ": " << eval.FormatError();
    EXPECT_DOUBLE_EQ(value, row.value) << row.text;
  }
}

void ExpectErrors(const std::vector<CErrorRow>& rows) {
  for (const CErrorRow& row : rows) {
    SCOPED_TRACE(row.name);
    CExprEval eval;
    double value = 0.0;
    EXPECT_EQ(eval.Evaluate(row.text, value), row.code) << row.text;
    EXPECT_EQ(eval.ErrorCode(), row.code) << row.text;
    EXPECT_EQ(eval.ErrorPosition(), row.position) << row.text;
    EXPECT_EQ(eval.ErrorToken(), row.token) << row.text;
  }
}

double Eval(CExprEval& eval, const char* text) {
  double value = 0.0;
  EXPECT_EQ(eval.Evaluate(text, value), 0) << text << ": " << eval.FormatError();
  return value;
}

}  // namespace

TEST(ExprEvalNumbers, ScanAndConvert) {
  ExpectValues({
      {"integer with trailing blanks", "123  ", 123},
      {"fraction", "12345.6789  ", 12345.6789},
      {"exponent", "1.23e6  ", 1230000},
      {"signed exponent", "1.23e+4  ", 12300},
      {"negative exponent", "123e-5  ", 0.00123},
      {"leading dot", ".5  ", 0.5},
      {"leading dot and exponent", ".543e2  ", 54.3},
      {"dot before exponent", "1.e2", 100},
      {"hex", "0x123  ", 291},
      {"hex upper prefix", "0X456  ", 1110},
      {"hex mixed digits", "0x1F", 31},
      {"hex sign bit", "0x80000000", -2147483648.0},
      {"hex all ones", "0xFFFFFFFF", -1},
      {"hex leading zeros still fit", "0x0000000000FF", 255},
      {"leading zero is not octal", "0123", 123},
  });
}

TEST(ExprEvalNumbers, MalformedAreSyntaxErrors) {
  // Reported before the number is consumed: a leading number lies at -1.
  ExpectErrors({
      {"second dot", "1.2.3", 1, -1, "1.2."},
      {"dot after exponent", "1e5.2", 1, -1, "1e5."},
      {"exponent without digits", "1e", 1, -1, "1e"},
      {"sign without digits", "1e+", 1, -1, "1e+"},
      {"hex letter in decimal", "12ab", 1, -1, "12a"},
      {"hex prefix without digits", "0xg", 1, -1, "0xg"},
      {"dot after hex", "0x1.5", 1, -1, "0x1."},
      {"after an operator", "2 + 1.2.3", 1, 3, "1.2."},
      {"lone dot", ".", 1, 0, "."},
      {"dot and exponent only", ".e5", 1, 2, ".e5"},
      {"hex beyond 32 bits", "0x100000000", 1, 10, "0x100000000"},
      {"letter ends the number", "12g", 1, 2, "g"},
  });
}

TEST(ExprEvalLevels, PrecedenceAndAssociativity) {
  ExpectValues({
      {"add", "1 + 1", 2},
      {"add without blanks", "111+12", 123},
      {"unary after binary", "10+-1", 9},
      {"multiply", "10*15", 150},
      {"multiply before add", "30*-2+1", -59},
      {"unary over parentheses", "-30/(1+2)", -10},
      {"nested parentheses", "100/(14-(5-1))", 10},
      {"power before add", "10^2+2", 102},
      {"power of a group", "10^(2+2)", 10000},
      {"group powered again", "(2^3)^2", 64},
      {"prefix binds tighter than power", "-2^2", 4},
      {"negative exponent", "2^-1", 0.5},
      {"subtraction left to right", "10-3-2", 5},
      {"division left to right", "100/10/5", 2},
      {"remainder takes dividend sign", "-7 % 3", -1},
      {"comparison chain uses 0/1", "1 < 2 < 3", 1},
      {"comparison chain false", "3 > 2 > 1", 0},
      {"logical share one level", "1 || 0 && 0", 0},
      {"comparison under logical", "1 < 2 && 2 < 3", 1},
      {"unary plus", "+5", 5},
      {"assignment inside parentheses", "(a = 3) * 2", 6},
  });
}

TEST(ExprEvalLevels, IfAndComparisons) {
  ExpectValues({
      {"lt true", "if(15 <  20, 100, -100)", 100},
      {"lt equal", "if(15 <  15, 100, -100)", -100},
      {"lt false", "if(15 <  10, 100, -100)", -100},
      {"le true", "if(15 <= 20, 100, -100)", 100},
      {"le equal", "if(15 <= 15, 100, -100)", 100},
      {"le false", "if(15 <= 10, 100, -100)", -100},
      {"ge false", "if(15 >= 20, 100, -100)", -100},
      {"ge equal", "if(15 >= 15, 100, -100)", 100},
      {"ge true", "if(15 >= 10, 100, -100)", 100},
      {"gt false", "if(15 >  20, 100, -100)", -100},
      {"gt equal", "if(15 >  15, 100, -100)", -100},
      {"gt true", "if(15 >  10, 100, -100)", 100},
      {"and", "if(1<2 && 1>2, 100, -100)", -100},
      {"or", "if(1<2 || 1>2, 100, -100)", 100},
      {"xor one", "if(1<2 ^^ 1>2, 100, -100)", 100},
      {"xor both", "if(1<2 ^^ 3>2, 100, -100)", -100},
      {"assigned then tested",
       "testA = if(100>120-40,1,2); if(testA==1, 100, -100)", 100},
      {"assigned then tested false", "testB = if(100>120,1,2); if(testB==1, 100, -100)", -100},
  });
}

TEST(ExprEvalTruth, NotANumberAndNegation) {
  ExpectValues({
      {"nan equals anything", "sqrt(-1) == 5", 1},
      {"nan not unequal", "sqrt(-1) != 5", 0},
      {"nan below", "sqrt(-1) < 5", 1},
      {"nan below or equal", "5 <= sqrt(-1)", 1},
      {"nan not above", "sqrt(-1) > 5", 0},
      {"nan not above or equal", "5 >= sqrt(-1)", 0},
      {"nan is false", "if(sqrt(-1), 1, 2)", 2},
      {"nan in or", "sqrt(-1) || 0", 0},
      {"or normalises", "7 || 0", 1},
      {"xor normalises", "7 ^^ 3", 0},
      {"not of zero", "!0", 1},
      {"not of a true value", "!5", 0},
      {"not of nan", "!sqrt(-1)", 1},
      {"equal infinities", "exp(1000) == exp(1000)", 1},
  });
}

TEST(ExprEvalFunctions, BuiltIns) {
  ExpectValues({
      {"hypot", "hypot(3, 4)", 5},
      {"ft2m is the reciprocal", "ft2m(1)", 0.3047999902464003},
      {"m2ft", "m2ft(1)", 3.28084},
      {"degrees round trip", "deg(rad(90))", 90},
      {"log is base ten", "log(1000)", 3},
      {"ln is natural", "ln(exp(2))", 2},
      {"floor", "floor(-1.5)", -2},
      {"ceil", "ceil(-1.5)", -1},
      {"abs", "abs(-4)", 4},
      {"nested calls", "sqrt(abs(-16)) + cos(0)", 5},
      {"blank before parenthesis", "abs (-3)", 3},
  });
  CExprEval eval;
  EXPECT_TRUE(std::isinf(Eval(eval, "log(0)")));
  EXPECT_TRUE(std::isnan(Eval(eval, "sqrt(-1)")));
}

TEST(ExprEvalFunctions, EveryArgumentIsEvaluated) {
  CExprEval eval;
  EXPECT_EQ(Eval(eval, "if(0, a = 1, a = 2); a"), 2);
  EXPECT_EQ(Eval(eval, "0 && (b = 5); b"), 5);
}

TEST(ExprEvalErrors, CodePositionAndToken) {
  ExpectErrors({
      {"empty text", "", 9, -1, ""},
      {"blanks only", "   ", 9, 2, ""},
      {"empty last statement", "a = 1;", 9, 4, ""},
      {"second power", "2^3^2", 1, 3, "^"},
      {"second power in parentheses", "(2^3^2)", 2, 4, "^"},
      {"double prefix", "--1", 1, 1, "-"},
      {"unknown variable first", "y + 1", 4, 1, "y"},
      {"unknown variable last", "1 + y", 4, 4, "y"},
      {"division by zero", "1/0", 3, 2, ""},
      {"remainder by zero", "5 % 0", 3, 4, ""},
      {"division by nan", "1/sqrt(-1)", 3, 9, ""},
      {"unknown function", "foo(1)", 6, 5, "foo"},
      {"too many arguments", "sin(1, 2)", 7, 8, "sin"},
      {"too few arguments", "hypot(3)", 7, 7, "hypot"},
      {"more than ten arguments", "if(1,2,3,4,5,6,7,8,9,10,11)", 7, 25, "if"},
      {"more than ten to an unknown function", "f(1,2,3,4,5,6,7,8,9,10,11)", 6, 24, "f"},
      {"empty call", "sin()", 8, 4, ")"},
      {"empty last argument", "sin(1,)", 8, 6, ")"},
      {"empty first argument", "hypot(,1)", 8, 6, ","},
      {"empty parentheses", "()", 8, 1, ")"},
      {"unclosed call", "sin(1", 2, 2, "sin"},
      {"unclosed group", "(1 + 2", 2, 5, ""},
      {"operand missing", "1 +", 1, 2, ""},
      {"stray character", "1 # 2", 1, 2, "#"},
      {"line end is not a blank", "1 +\n2", 1, 3, "\n"},
      {"chained assignment", "b = 1; a = b = 1", 1, 13, "="},
      {"deleted variable", "a = 5; a =; a", 4, 10, "a"},
      {"position counts earlier statements", "a=1;b=2;c", 4, 6, "c"},
  });
}

TEST(ExprEvalErrors, MessagesFromTheCatalog) {
  CExprEval eval;
  double value = 0.0;
  EXPECT_EQ(eval.FormatError(), "");
  eval.Evaluate("1 + y", value);
  EXPECT_EQ(eval.FormatError(), "Unknown variable 'y' at character 4");
  eval.Evaluate("sin(1, 2)", value);
  EXPECT_EQ(eval.FormatError(5101), "Wrong number of arguments to function 'sin' at character 8");
  eval.Evaluate("", value);
  EXPECT_EQ(eval.FormatError(), "Empty expression");
  eval.Evaluate("1", value);
  EXPECT_EQ(eval.ErrorCode(), 0);
  EXPECT_EQ(eval.FormatError(), "");
}

TEST(ExprEvalStatements, FirstErrorReportedLaterStatementsRun) {
  CExprEval eval;
  double value = 0.0;
  int assigned = -1;
  EXPECT_EQ(eval.Evaluate("x; y; a = 4; a * 2", value, &assigned), 4);
  EXPECT_EQ(eval.ErrorToken(), "x");
  EXPECT_EQ(eval.ErrorPosition(), 0);
  EXPECT_EQ(value, 8);
  EXPECT_EQ(assigned, 0);
  double a = 0.0;
  EXPECT_TRUE(eval.GetVariable("a", a));
  EXPECT_EQ(a, 4);
}

TEST(ExprEvalStatements, FailedStatementLeavesPreviousValue) {
  CExprEval eval;
  double value = 0.0;
  EXPECT_EQ(eval.Evaluate("7; 1 + q", value), 4);
  EXPECT_EQ(value, 7);
  // Deletion leaves the value as well.
  EXPECT_EQ(eval.Evaluate("a = 5; a =", value), 0);
  EXPECT_EQ(value, 5);
}

TEST(ExprEvalStatements, AssignmentFlagAndPersistence) {
  CExprEval eval;
  double value = 0.0;
  int assigned = -1;
  EXPECT_EQ(eval.Evaluate("a = 2", value, &assigned), 0);
  EXPECT_EQ(assigned, 1);
  EXPECT_EQ(value, 2);
  EXPECT_EQ(eval.Evaluate("a * 3", value, &assigned), 0);
  EXPECT_EQ(assigned, 0);
  EXPECT_EQ(value, 6);
  EXPECT_EQ(eval.Evaluate("a == 2", value, &assigned), 0);
  EXPECT_EQ(assigned, 0);
  EXPECT_EQ(value, 1);
  EXPECT_EQ(eval.Evaluate("a =", value, &assigned), 0);
  EXPECT_EQ(assigned, 1);
  EXPECT_FALSE(eval.Lookup("a", value));
}

TEST(ExprEvalIdentifiers, MemberAndIndexParts) {
  CExprEval eval;
  EXPECT_EQ(Eval(eval, "a.b [ 2 ] = 7"), 7);
  double value = 0.0;
  EXPECT_TRUE(eval.Lookup("a.b[2]", value));
  EXPECT_EQ(value, 7);
  EXPECT_EQ(Eval(eval, "a . b[2] + 1"), 8);
  EXPECT_EQ(Eval(eval, "m[i + 1] = 3; m [ i+1 ]"), 3);
  EXPECT_TRUE(eval.Lookup("m[i+1]", value));
  EXPECT_EQ(Eval(eval, "_x1 = 2; _x1"), 2);
  EXPECT_FALSE(eval.Lookup("M[i+1]", value)) << "names are case-sensitive";
}

TEST(ExprEvalLenient, OptionBits) {
  struct CRow {
    const char* name;
    const char* text;
    int options;
    int code;
  };
  const CRow rows[] = {
      {"unknown variable reads zero", "x", 0, 0},
      {"unknown variable strict", "x", EVAL_LENIENT_STRICT_VARS, 4},
      {"division lenient", "1/0", 0, 0},
      {"remainder lenient", "5 % 0", 0, 0},
      {"division strict", "1/0", EVAL_LENIENT_STRICT_DIV, 3},
      {"remainder strict", "5 % 0", EVAL_LENIENT_STRICT_DIV, 3},
      {"division lenient with strict variables", "1/0", EVAL_LENIENT_STRICT_VARS, 0},
      {"syntax stays an error", "1 +", 0, 1},
  };
  for (const CRow& row : rows) {
    SCOPED_TRACE(row.name);
    CExprEval eval;
    EXPECT_EQ(eval.Validate(row.text, row.options), row.code);
  }
}

TEST(ExprEvalLenient, OnlyDuringValidate) {
  CExprEval eval;
  int assigned = 0;
  EXPECT_EQ(eval.Validate("r = 10 / 0 + x", 0, &assigned), 0);
  EXPECT_EQ(assigned, 1);
  double value = -1.0;
  EXPECT_TRUE(eval.Lookup("r", value));
  EXPECT_EQ(value, 0);
  EXPECT_EQ(eval.Evaluate("x", value), 4);
  EXPECT_FALSE(eval.GetVariable("x", value));
}

namespace {

// Knows the frequencies of a pretend project and a raw "chan" function.
class CTestResolver : public CExprResolver {
 public:
  bool ResolveVariable(CExprEval&, const std::string& name, double& value) override {
    ++variableCalls;
    if (name != "sysclk")
      return false;
    value = 80e6;
    return true;
  }
  bool ResolveFunction(CExprEval&, const std::string& name, int argc, const double* argv,
                       double& value) override {
    if (name == "sum") {
      value = 0;
      for (int i = 0; i < argc; ++i)
        value += argv[i];
      return true;
    }
    if (name == "sin" && argc == 2) {  // shadows the built-in for this count only
      value = -1;
      return true;
    }
    return false;
  }
  bool ResolveRawFunction(CExprEval&, const std::string& name, const std::string& argText,
                          double& value) override {
    if (name != "chan")
      return false;
    rawText = argText;
    value = 42;
    return true;
  }
  int variableCalls = 0;
  std::string rawText;
};

// Evaluates a variable's definition in a nested evaluator that sees the outer
// evaluator's variables and resolvers.
class CDefinitionResolver : public CExprResolver {
 public:
  bool ResolveVariable(CExprEval& outer, const std::string& name, double& value) override {
    if (name != "period")
      return false;
    CExprEval nested;
    nested.AddScope(&outer);
    nested.InheritFrom(outer);
    if (nested.Evaluate("1 / sysclk * ticks", value) != 0)
      return false;
    outer.SetVariable(name, value);
    return true;
  }
};

// Defines every variable by evaluating it again in a fresh evaluator: without
// a bound shared by all evaluators this recursion would exhaust the stack.
class CEndlessResolver : public CExprResolver {
 public:
  bool ResolveVariable(CExprEval&, const std::string& name, double& value) override {
    ++calls;
    CExprEval nested(this);
    return nested.Evaluate(name + " + 1", value) == 0;
  }
  bool ResolveRawFunction(CExprEval&, const std::string& name, const std::string& argText,
                          double& value) override {
    CExprEval nested(this);
    return nested.Evaluate(name + "(" + argText + ")", value) == 0;
  }
  int calls = 0;
};

}  // namespace

TEST(ExprEvalResolvers, VariablesFunctionsAndRawFunctions) {
  CTestResolver resolver;
  CExprEval eval(&resolver);
  EXPECT_EQ(Eval(eval, "sysclk / 1e6"), 80);
  EXPECT_EQ(Eval(eval, "sum(1, 2, 3, 4)"), 10);
  EXPECT_EQ(Eval(eval, "sin(1, 2)"), -1);
  EXPECT_DOUBLE_EQ(Eval(eval, "sin(0)"), 0);
  EXPECT_EQ(Eval(eval, "chan(A.x[1], not (parsed)) + 1"), 43);
  EXPECT_EQ(resolver.rawText, "A.x[1], not (parsed)");
  double value = 0.0;
  EXPECT_EQ(eval.Evaluate("nothing", value), 4);
}

TEST(ExprEvalResolvers, OwnTableBeforeScopesBeforeResolvers) {
  CTestResolver resolver;
  CExprEval scope;
  scope.SetVariable("sysclk", 2);
  CExprEval eval(&resolver);
  eval.AddScope(&scope);
  EXPECT_EQ(Eval(eval, "sysclk"), 2);
  EXPECT_EQ(resolver.variableCalls, 0);
  eval.SetVariable("sysclk", 3);
  EXPECT_EQ(Eval(eval, "sysclk"), 3);
  eval.RemoveVariable("sysclk");
  eval.RemoveVariable("never-set");
  EXPECT_EQ(Eval(eval, "sysclk"), 2);
}

TEST(ExprEvalResolvers, NestedEvaluationFromAResolver) {
  CTestResolver frequencies;
  CDefinitionResolver definitions;
  CExprEval eval(&frequencies);
  eval.AddResolver(&definitions);
  eval.SetVariable("ticks", 160);
  EXPECT_DOUBLE_EQ(Eval(eval, "period * 1e6"), 2);
  double value = 0.0;
  EXPECT_TRUE(eval.Lookup("period", value));
  EXPECT_DOUBLE_EQ(value, 2e-6);
}

TEST(ExprEvalResolvers, EndlessNestedEvaluationEndsInAnError) {
  CEndlessResolver resolver;
  CExprEval eval(&resolver);
  double value = 0.0;
  EXPECT_EQ(eval.Evaluate("x * 2", value), 4);
  EXPECT_EQ(eval.ErrorToken(), "x");
  EXPECT_GT(resolver.calls, 100);
  EXPECT_LT(resolver.calls, 300);
  EXPECT_EQ(eval.Evaluate("f(1)", value), 6);
  // The budget is given back: a normal text still evaluates afterwards.
  EXPECT_EQ(eval.Evaluate(std::string(200, '(') + "1" + std::string(200, ')'), value), 0);
}

TEST(ExprEvalScopes, ListsAndInheritance) {
  CTestResolver resolver;
  CExprEval base(&resolver);
  base.AddScope(&CExprAllOnes::Instance());
  base.AddScope(&AllOnesScope());
  base.AddResolver(&resolver);

  CExprEval heir;
  heir.InheritFrom(base);
  heir.InheritFrom(base);
  EXPECT_EQ(Eval(heir, "anything + sysclk"), 2) << "the all-ones scope answers first";
  EXPECT_EQ(resolver.variableCalls, 0);
  base.SetVariable("own", 5);
  EXPECT_EQ(Eval(heir, "own"), 1) << "inheriting does not bring the own variables";
  heir.AddScope(&base);
  EXPECT_EQ(Eval(heir, "own"), 1) << "scopes are asked in list order";

  void* marker = &resolver;
  CExprEval withContext(nullptr, marker);
  EXPECT_EQ(withContext.Context(), marker);
}

TEST(ExprEvalScopes, VariablesKeepCreationOrder) {
  CExprEval eval;
  Eval(eval, "z = 1; a = 2; m = 3; z = 4; a =; a = 5");
  std::vector<std::pair<std::string, double>> expected = {{"z", 4}, {"m", 3}, {"a", 5}};
  EXPECT_EQ(eval.Variables(), expected);
}

TEST(ExprEvalHostileInput, DeepNestingAndLongTexts) {
  CExprEval eval;
  double value = 0.0;
  std::string deep = std::string(100000, '(') + "1" + std::string(100000, ')');
  EXPECT_EQ(eval.Evaluate(deep, value), 1);
  std::string calls;
  for (int i = 0; i < 50000; ++i)
    calls += "abs(";
  calls += '1';
  calls.append(50000, ')');
  EXPECT_EQ(eval.Evaluate(calls, value), 1);
  std::string fine = std::string(200, '(') + "1" + std::string(200, ')');
  EXPECT_EQ(eval.Evaluate(fine, value), 0);

  std::string sum = "1";
  while (sum.size() < (1u << 20))
    sum += " + 1";
  EXPECT_EQ(eval.Evaluate(sum, value), 0);
  EXPECT_EQ(value, static_cast<double>((sum.size() + 3) / 4));

  std::string identifier = "a";
  identifier.append(1 << 20, ' ');
  identifier += ". b";
  EXPECT_EQ(eval.Evaluate(identifier + " = 2", value), 0);
  EXPECT_TRUE(eval.Lookup("a.b", value));
  std::string longName(1 << 20, 'n');
  EXPECT_EQ(eval.Evaluate(longName, value), 4);
  EXPECT_EQ(eval.ErrorToken(), longName);
}
