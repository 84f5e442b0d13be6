// Speed of the engineering-units library: thermocouple lookups, count
// conversions through a basalt handle, and the least-squares fit.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <vector>

#include "eu.h"

namespace {

constexpr int kChannels = 16;
constexpr int kScans = 100000;

void BM_LookupMv2cTypeK(benchmark::State& state) {
  std::mt19937 random(1);
  std::uniform_real_distribution<double> mv(-6.45774, 54.88636);
  std::vector<double> inputs(4096);
  for (double& v : inputs) v = mv(random);
  size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(EUlookup_mv2c(inputs[i], EU_CONV_TYPE_K));
    i = (i + 1) & (inputs.size() - 1);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_LookupMv2cTypeK);

// A recording of 16-bit counts and its per-channel scaling.
struct Recording {
  std::vector<int16_t> counts;
  std::vector<double> divisor, offset, volts, eus;
  Recording() : counts(kChannels * kScans), divisor(kChannels, 3276.8), offset(kChannels, 0.0),
                volts(counts.size()), eus(counts.size()) {
    std::mt19937 random(2);
    std::uniform_int_distribution<int> count(-32768, 32767);
    for (int16_t& c : counts) c = static_cast<int16_t>(count(random));
  }
};

void BM_Counts2Volts(benchmark::State& state) {
  EUHandle* h = nullptr;
  if (EUInit("basalt", &h) != 0) {
    state.SkipWithError("basalt not loaded");
    return;
  }
  Recording r;
  for (auto _ : state) {
    int rc = h->ops.counts2Volts(h, r.counts.data(), r.divisor.data(), r.offset.data(), kChannels, kScans, -1,
                                 r.volts.data());
    benchmark::DoNotOptimize(rc);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kChannels * kScans);
  EUClose(&h);
}
BENCHMARK(BM_Counts2Volts)->Unit(benchmark::kMillisecond);

// Polynomial channels of order `state.range(0)`.
void BM_Counts2EUsPolynomial(benchmark::State& state) {
  EUHandle* h = nullptr;
  if (EUInit("basalt", &h) != 0) {
    state.SkipWithError("basalt not loaded");
    return;
  }
  Recording r;
  const int order = static_cast<int>(state.range(0));
  std::vector<double> c(order + 1);
  for (int k = 0; k <= order; ++k) c[k] = 1.0 / (k + 1);
  std::vector<double*> coefficients(kChannels, c.data());
  std::vector<int> types(kChannels, EU_CONV_POLYNOMIAL), orders(kChannels, order);
  for (auto _ : state) {
    int rc = h->ops.counts2EUs(h, r.counts.data(), r.divisor.data(), r.offset.data(), types.data(), nullptr,
                               nullptr, nullptr, coefficients.data(), orders.data(), kChannels, kScans, -1,
                               r.volts.data(), r.eus.data());
    benchmark::DoNotOptimize(rc);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kChannels * kScans);
  EUClose(&h);
}
BENCHMARK(BM_Counts2EUsPolynomial)->Arg(1)->Arg(2)->Arg(3)->Unit(benchmark::kMillisecond);

void BM_LeastSquares10(benchmark::State& state) {
  double x[10], y[10], c[10];
  for (int i = 0; i < 10; ++i) {
    x[i] = -1.0 + 0.2 * i;
    y[i] = 3.0 + 2.0 * x[i] - 0.5 * x[i] * x[i];
  }
  int count = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(EUleastSquares(x, y, 10, 0, &count, c));
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_LeastSquares10);

}  // namespace

BENCHMARK_MAIN();
