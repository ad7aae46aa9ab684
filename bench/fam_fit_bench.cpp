// Times the lognormal, Weibull and gamma fits (thresholds 0, then estimated; scale
// and shape estimated; height wanted) on N distinct positive values as the estimates hand them
// to the fitting engine: a value list in ascending order, the same values as arrays,
// and the summary statistics.
//   fam_fit_bench [N [THREADS]]   (defaults 10000000 and 0: every core)
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

#include "bench_support.h"
#include "runner/host_table.h"
#include "core/runtime.h"
#include "fit/zfit.h"
#include "host/host_services.h"
#include "records/kes_valview.h"

using kes_bench::seconds_since;

int main(int argc, char** argv) {
  const long n = argc > 1 ? std::atol(argv[1]) : 10000000;
  const int threads = argc > 2 ? std::atoi(argv[2]) : 0;
  plat::config().log_path = "/dev/null";
  plat::begin_step();
  v_global_gcb_anchor = plat::anchor();
  // Weibull-shaped values (shape 1.7, scale 2), distinct and ascending.
  std::vector<double> x(static_cast<size_t>(n));
  std::mt19937_64 g(7);
  std::weibull_distribution<double> w(1.7, 2.0);
  for (double& v : x) v = w(g);
  std::sort(x.begin(), x.end());
  double sum = 0, ss = 0, s3 = 0;
  for (size_t i = 0; i < x.size(); ++i) sum += x[i];
  const std::vector<int> counts(x.size(), 1);
  kes_valview view{};
  view.m = static_cast<int>(x.size());
  view.x = x.data();
  view.f = counts.data();
  const double mean = sum / n;
  for (double v : x) ss += (v - mean) * (v - mean), s3 += std::pow(v - mean, 3);
  const double sd = std::sqrt(ss / (n - 1));
  const double skew = n / ((n - 1.0) * (n - 2.0)) * s3 / (sd * sd * sd);
  const struct {
    const char* name;
    int family;
  } fits[] = {{"lognormal", ZFIT_LOGNORMAL}, {"weibull", ZFIT_WEIBULL}, {"gamma", ZFIT_GAMMA}};
  for (double theta : {0.0, double(NAN)})
  for (const auto& f : fits) {
    zfit_req r{};
    r.mode = 1;
    r.family = f.family;
    r.values = &view;
    r.threads = threads;
    r.params[0] = theta;
    r.params[1] = r.params[2] = r.params[3] = NAN;
    r.init_shape = r.tol = r.maxiter = r.kurt = NAN;
    r.skew = skew;
    r.vscale = KES_VSCALE_PERCENT;
    r.want_height = 1;
    r.low = x.front();
    r.high = x.back();
    r.width = 0.25;
    r.pctldef = 5;
    r.n = static_cast<double>(n);
    r.min = x.front();
    r.max = x.back();
    r.mean = mean;
    r.std = sd;
    const auto t0 = std::chrono::steady_clock::now();
    const int rc = zfit(&r);
    std::printf("%-10s theta %-8s %6.2f s  status %d  theta %.6g scale %.6g shape %.6g\n", f.name,
                std::isnan(theta) ? "EST" : "0", seconds_since(t0), rc, r.params[0], r.params[1], r.params[2]);
  }
  kes_bench::print_peak_rss();
  return 0;
}
