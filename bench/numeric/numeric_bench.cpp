// Timings of the toolkit's quantile routines: normal (zprobit), Student t (zqt),
// chi-square (zqc, including the large degrees of freedom served by the convergent
// incomplete gamma function), the beta quantile of the log-scale beta service and the
// noncentral t quantile.  Each benchmark cycles through a fixed set of probabilities and
// shapes; nothing is asserted about the times.
#include <benchmark/benchmark.h>

#include <cstring>

#include "numeric/zbeta_req.h"
#include "numeric/zibeta.h"
#include "numeric/zigamma.h"
#include "numeric/zlogbet.h"
#include "numeric/zprbnrm.h"
#include "numeric/zprobit.h"
#include "numeric/zqc.h"
#include "numeric/zqt.h"
#include "numeric/zqtnc.h"

namespace {
constexpr double kProbs[] = {1e-20, 1e-10, 1e-4, 0.01, 0.025, 0.1, 0.3, 0.5,
                             0.7,   0.9,   0.975, 0.99, 0.999, 1 - 1e-9};
constexpr int kNProbs = sizeof kProbs / sizeof kProbs[0];

void BM_zprobit(benchmark::State& st) {
  int i = 0;
  for (auto _ : st) {
    benchmark::DoNotOptimize(zprobit(kProbs[i]));
    if (++i == kNProbs) i = 0;
  }
}
BENCHMARK(BM_zprobit);

void BM_zprbnrm(benchmark::State& st) {
  double x = -38.0;
  for (auto _ : st) {
    benchmark::DoNotOptimize(zprbnrm(x));
    x += 0.37;
    if (x > 9.0) x = -38.0;
  }
}
BENCHMARK(BM_zprbnrm);

void BM_zqt(benchmark::State& st) {
  const double df = static_cast<double>(st.range(0));
  int i = 0;
  for (auto _ : st) {
    double t;
    benchmark::DoNotOptimize(zqt(kProbs[i], df, &t));
    benchmark::DoNotOptimize(t);
    if (++i == kNProbs) i = 0;
  }
}
BENCHMARK(BM_zqt)->Arg(1)->Arg(5)->Arg(30)->Arg(1000);

void BM_zqc(benchmark::State& st) {
  const double df = static_cast<double>(st.range(0));
  constexpr double ps[] = {1e-6, 0.001, 0.05, 0.3, 0.5, 0.7, 0.95, 0.999};
  int i = 0;
  for (auto _ : st) {
    double q;
    benchmark::DoNotOptimize(zqc(ps[i], df, &q));
    benchmark::DoNotOptimize(q);
    if (++i == 8) i = 0;
  }
}
BENCHMARK(BM_zqc)->Arg(1)->Arg(10)->Arg(1000)->Arg(100000)->Arg(1000000)->Arg(10000000);

void BM_zigamma(benchmark::State& st) {
  const double a = static_cast<double>(st.range(0));
  double x = 0.9 * a;
  for (auto _ : st) {
    double p, q, d;
    benchmark::DoNotOptimize(zigamma(x, a, &p, &q, &d));
    benchmark::DoNotOptimize(p);
    x += 0.01 * a;
    if (x > 1.1 * a) x = 0.9 * a;
  }
}
BENCHMARK(BM_zigamma)->Arg(3)->Arg(300)->Arg(30000)->Arg(3000000);

void BM_zibeta(benchmark::State& st) {
  const double a = static_cast<double>(st.range(0));
  double x = 0.05;
  for (auto _ : st) {
    double p, d;
    benchmark::DoNotOptimize(zibeta(x, a, 2.0 * a, &p, &d));
    benchmark::DoNotOptimize(p);
    x += 0.07;
    if (x > 0.95) x = 0.05;
  }
}
BENCHMARK(BM_zibeta)->Arg(1)->Arg(20)->Arg(2000);

void BM_beta_quantile(benchmark::State& st) {
  const double a = static_cast<double>(st.range(0)) / 10.0;
  int i = 0;
  for (auto _ : st) {
    zbeta_req r;
    std::memset(&r, 0, sizeof r);
    r.flags = 4;
    r.a = a;
    r.b = 3.0;
    r.p = kProbs[i];
    benchmark::DoNotOptimize(zlogbet(&r));
    benchmark::DoNotOptimize(r.x);
    if (++i == kNProbs) i = 0;
  }
}
BENCHMARK(BM_beta_quantile)->Arg(5)->Arg(20)->Arg(300);

void BM_noncentral_t_quantile(benchmark::State& st) {
  const double df = static_cast<double>(st.range(0));
  int i = 0;
  for (auto _ : st) {
    double q;
    benchmark::DoNotOptimize(zqtnc(kProbs[i], df, 1.5, &q));
    benchmark::DoNotOptimize(q);
    if (++i == kNProbs) i = 0;
  }
}
BENCHMARK(BM_noncentral_t_quantile)->Arg(5)->Arg(30);
}  // namespace
