// Fuzz target of the expression evaluator: evaluation and the lenient check with each option, over a resolver.
#include <limits>
#include <string>

#include "fuzz/fuzzsupport.h"
#include "support/expreval.h"

namespace {

// Stands in for a project: a known clock, a function of any argument count,
// and a raw function whose argument text is evaluated again in a nested
// evaluator, as a parameter's definition is.
class CFuzzResolver : public CExprResolver {
 public:
  bool ResolveVariable(CExprEval&, const std::string& name, double& value) override {
    if (name != "sysclk")
      return false;
    value = 80e6;
    return true;
  }
  bool ResolveFunction(CExprEval&, const std::string& name, int argc, const double* argv,
                       double& value) override {
    if (name != "sum")
      return false;
    value = 0;
    for (int i = 0; i < argc; ++i)
      value += argv[i];
    return true;
  }
  bool ResolveRawFunction(CExprEval& outer, const std::string& name, const std::string& argText,
                          double& value) override {
    if (name != "chan" && name != "define")
      return false;
    CExprEval nested;
    nested.AddScope(&outer);
    nested.InheritFrom(outer);
    // The call is claimed even when its text fails: declining would have the
    // evaluator parse the same arguments again, so that each nested call
    // doubled the work of the one inside it.
    if (nested.Evaluate(argText, value) != 0)
      value = std::numeric_limits<double>::quiet_NaN();
    return true;
  }
};

void Check(CExprEval& eval, int code) {
  // The message of every error must be formattable, its token and position readable.
  std::string message = eval.FormatError();
  if ((code != 0) != !message.empty())
    __builtin_trap();
  (void)eval.ErrorPosition();
  (void)eval.Variables();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view text = InputText(data, size);
  CFuzzResolver resolver;
  {
    CExprEval eval(&resolver);
    double value = 0;
    int assigned = 0;
    Check(eval, eval.Evaluate(text, value, &assigned));
  }
  {
    CExprEval eval(&resolver);
    eval.AddScope(&AllOnesScope());
    double value = 0;
    Check(eval, eval.Evaluate(text, value));
  }
  for (int options = 0; options <= (EVAL_LENIENT_STRICT_VARS | EVAL_LENIENT_STRICT_DIV); ++options) {
    CExprEval eval(&resolver);
    int assigned = 0;
    Check(eval, eval.Validate(text, options, &assigned));
  }
  return 0;
}
