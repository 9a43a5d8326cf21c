// Benchmarks of the expression evaluator on a load expression and a channel-assignment text.
#include <benchmark/benchmark.h>

#include <string>

#include "support/expreval.h"

namespace {

// Supplies the clock frequencies and user inputs a load expression reads.
class CBenchResolver : public CExprResolver {
 public:
  bool ResolveVariable(CExprEval&, const std::string& name, double& value) override {
    if (name == "sysclk") {
      value = 80e6;
    } else if (name == "tcr1") {
      value = 10e6;
    } else if (name == "rate") {
      value = 2500;
    } else if (name == "teeth") {
      value = 60;
    } else {
      return false;
    }
    return true;
  }
};

const char* kLoadExpression =
    "tpr = 1 / (rate * teeth / 60); "
    "states = if(teeth > 36, 14, 10) + 2 * (teeth % 2); "
    "work = states * 21 / sysclk; "
    "latency = if(tpr / tcr1 > 1e-3, work / tpr, 1); "
    "100 * latency * (1 + ceil(work * tcr1) / 1000)";

const char* kChannelAssignment =
    "Chan.base = Prm.channel; Chan.cam = Prm.channel + 1; "
    "Chan.out[0] = Prm.channel + 2; Chan.out[1] = Chan.out[0] + 1; "
    "Chan.count = if(Prm.mode == 0x2, 4, 3)";

void BM_LoadExpression(benchmark::State& state) {
  CBenchResolver resolver;
  for (auto _ : state) {
    CExprEval eval(&resolver);
    double value = 0.0;
    benchmark::DoNotOptimize(eval.Evaluate(kLoadExpression, value));
    benchmark::DoNotOptimize(value);
  }
}
BENCHMARK(BM_LoadExpression);

void BM_ChannelAssignment(benchmark::State& state) {
  for (auto _ : state) {
    CExprEval eval;
    eval.SetVariable("Prm.channel", 4);
    eval.SetVariable("Prm.mode", 2);
    benchmark::DoNotOptimize(eval.Validate(kChannelAssignment, EVAL_LENIENT_STRICT_VARS));
  }
}
BENCHMARK(BM_ChannelAssignment);

}  // namespace

BENCHMARK_MAIN();
