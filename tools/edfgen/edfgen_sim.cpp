// Simulation: samples of known gamma, lognormal and Weibull laws (threshold 0, scale
// 1, the grid's shape), fitted by the fitting engine as the procedure calls it for
// the case, and their EDF statistics computed by the module's EDF routine.
#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

#include "edfgen.h"
#include "fit/zfit.h"
#include "fitreport/kes_edf3.h"
#include "fitreport/kes_edfcoef.h"
#include "fitreport/kes_fitrep.h"
#include "host/kes_parallel.h"
#include "numeric/zmissing.h"
#include "records/kes_valview.h"

namespace {
std::uint64_t splitmix(std::uint64_t& s) {
  std::uint64_t z = (s += 0x9E3779B97F4A7C15ULL);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
  return z ^ (z >> 31);
}

// xoshiro256**, seeded per replicate.
struct rng {
  std::uint64_t s[4];
  explicit rng(std::uint64_t seed) {
    for (std::uint64_t& w : s) w = splitmix(seed);
  }
  std::uint64_t next() {
    const std::uint64_t r = std::rotl(s[1] * 5, 7) * 9, t = s[1] << 17;
    s[2] ^= s[0];
    s[3] ^= s[1];
    s[1] ^= s[2];
    s[0] ^= s[3];
    s[2] ^= t;
    s[3] = std::rotl(s[3], 45);
    return r;
  }
  // Uniform on (0, 1).
  double uniform() { return (static_cast<double>(next() >> 11) + 0.5) * 0x1p-53; }
  double normal() { return std::sqrt(-2.0 * std::log(uniform())) * std::cos(2.0 * M_PI * uniform()); }
  // Gamma of shape a >= 1 and scale 1 (squeeze method of Marsaglia and Tsang).
  double gamma(double a) {
    const double d = a - 1.0 / 3.0, c = 1.0 / std::sqrt(9.0 * d);
    for (;;) {
      double x, v;
      do {
        x = normal();
        v = 1.0 + c * x;
      } while (v <= 0.0);
      v = v * v * v;
      const double u = uniform();
      if (u < 1.0 - 0.0331 * x * x * x * x || std::log(u) < 0.5 * x * x + d * (1.0 - v + std::log(v))) return d * v;
    }
  }
};

std::uint64_t replicate_seed(std::uint64_t seed, int family, int ncase, const grid_point& p, long rep) {
  std::uint64_t s = seed;
  std::uint64_t h = splitmix(s);
  for (std::uint64_t v : {std::uint64_t(family), std::uint64_t(ncase), std::bit_cast<std::uint64_t>(p.shape),
                          std::bit_cast<std::uint64_t>(p.n), std::uint64_t(rep)}) {
    s = h ^ v;
    h = splitmix(s);
  }
  return h;
}

// The distinct values of a sample with their counts, as the procedure's view holds them.
struct sample_values {
  std::vector<double> x;
  std::vector<int> f;
  kes_valview view{};
};

replicate one(int family, int ncase, const grid_point& p, std::uint64_t seed, std::vector<double>& x,
              sample_values& nodes) {
  rng g(seed);
  const long n = static_cast<long>(p.n);
  x.resize(n);
  for (double& v : x) {
    if (family == KES_COEF_GAMMA) v = g.gamma(p.shape);
    else if (family == KES_COEF_LOGNORMAL) v = std::exp(p.shape * g.normal());
    else v = std::pow(-std::log(g.uniform()), 1.0 / p.shape);
  }
  std::sort(x.begin(), x.end());
  // One entry per distinct value, ascending.
  nodes.x.clear();
  nodes.f.clear();
  for (long i = 0; i < n; ++i) {
    if (!nodes.x.empty() && nodes.x.back() == x[i]) {
      ++nodes.f.back();
      continue;
    }
    nodes.x.push_back(x[i]);
    nodes.f.push_back(1);
  }
  nodes.view = kes_valview{};
  nodes.view.m = static_cast<int>(nodes.x.size());
  nodes.view.x = nodes.x.data();
  nodes.view.f = nodes.f.data();
  double mean = 0.0, m2 = 0.0, m3 = 0.0;
  for (double v : x) mean += v;
  mean /= p.n;
  for (double v : x) {
    const double e = v - mean;
    m2 += e * e;
    m3 += e * e * e;
  }
  const double sd = std::sqrt(m2 / (p.n - 1.0));
  zfit_req r{};
  r.mode = 1;
  r.values = &nodes.view;
  r.family = family == KES_COEF_GAMMA ? ZFIT_GAMMA : family == KES_COEF_LOGNORMAL ? ZFIT_LOGNORMAL : ZFIT_WEIBULL;
  const double miss = zmissing();
  // Known parameters at their true values: threshold 0, scale 1 (zeta 0), the shape.
  r.params[0] = ncase & 4 ? miss : 0.0;
  r.params[1] = ncase & 1 ? miss : family == KES_COEF_LOGNORMAL ? 0.0 : 1.0;
  r.params[2] = ncase & 2 ? miss : p.shape;
  r.params[3] = miss;
  r.pctl_z = r.second = r.init_shape = r.tol = r.maxiter = miss;
  r.pctldef = 5;
  r.width = 1.0;
  r.low = x.front();
  r.high = x.back();
  r.n = p.n;
  r.min = x.front();
  r.max = x.back();
  r.mean = mean;
  r.std = sd;
  r.skew = p.n > 2.0 && sd > 0.0 ? p.n / ((p.n - 1.0) * (p.n - 2.0)) * m3 / (sd * sd * sd) : miss;
  r.kurt = miss;
  replicate out{};
  if (zfit(&r) != 0) return out;
  kes_valiter it(&nodes.view);
  const kes_edfstat3 s = kes_edf3_stats(edfgen_members(family), r.params, p.n, it);
  out.ok = true;
  out.shape = r.params[2];
  out.d = s.d;
  out.stat[0] = std::sqrt(p.n) * s.d;
  out.stat[1] = s.wsq;
  out.stat[2] = std::isnan(s.asq) ? NAN : s.asq;
  return out;
}
}  // namespace

const kes_edf3fam& edfgen_members(int family) {
  return family == KES_COEF_GAMMA ? kes_edf3_gamma() : family == KES_COEF_LOGNORMAL ? kes_edf3_lognormal()
                                                                                  : kes_edf3_weibull();
}

int edfgen_family(const std::string& name) {
  return name == "gamma" ? KES_COEF_GAMMA : name == "lognormal" ? KES_COEF_LOGNORMAL : name == "weibull" ? KES_COEF_WEIBULL : -1;
}
const char* edfgen_family_name(int family) {
  static const char* const names[3] = {"gamma", "lognormal", "weibull"};
  return family >= 0 && family < 3 ? names[family] : "?";
}

std::vector<grid_point> edfgen_grid(int family, int set) {
  static const double ns[] = {10, 13, 17, 25, 35, 50, 75, 100, 200, 400, 1000};
  std::vector<double> shapes;
  if (family == KES_COEF_GAMMA) shapes = {1.02, 1.1, 1.25, 1.5, 2, 3, 5, 10, 30};
  else if (family == KES_COEF_WEIBULL) shapes = {2.05, 2.2, 2.5, 3, 3.5, 4.5, 6, 9, 15, 25};
  else if (set == 6) shapes = {0.1, 0.25, 0.4, 0.55, 0.7, 0.85, 0.95};
  else if (set == 61) shapes = {1, 1.2, 1.5, 1.8, 2.2, 2.6, 2.9};
  else shapes = {0.1, 0.25, 0.4, 0.55, 0.7, 0.85, 1, 1.2, 1.5, 1.8, 2.2, 2.6, 2.9};
  std::vector<grid_point> g;
  for (double s : shapes)
    for (double n : ns) g.push_back({s, n});
  return g;
}

void edfgen_simulate(int family, int ncase, const grid_point* pts, int npts, long reps, std::uint64_t seed,
                     int threads, std::vector<replicate>* out) {
  constexpr long kGrain = 50;
  const long per = (reps + kGrain - 1) / kGrain;
  for (int i = 0; i < npts; ++i) out[i].assign(reps, replicate{});
  kes::parallel_parts(threads, static_cast<size_t>(per) * npts, [&](size_t k) {
    const int pt = static_cast<int>(k / per);
    const long b = static_cast<long>(k % per) * kGrain;
    std::vector<double> x;
    sample_values nodes;
    for (long r = b; r < std::min(reps, b + kGrain); ++r)
      out[pt][r] = one(family, ncase, pts[pt], replicate_seed(seed, family, ncase, pts[pt], r), x, nodes);
  });
}

bool edfgen_quantiles(const std::vector<replicate>& r, int stat, double* q, double* se001, long* used) {
  std::vector<double> v;
  for (const replicate& x : r)
    if (x.ok && std::isfinite(x.stat[stat])) v.push_back(x.stat[stat]);
  *used = static_cast<long>(v.size());
  if (v.size() < 1000) return false;
  std::sort(v.begin(), v.end());
  const double m = static_cast<double>(v.size());
  auto at = [&](double prob) {
    const double h = (m - 1.0) * prob;
    const size_t lo = static_cast<size_t>(std::floor(h));
    const size_t hi = std::min(lo + 1, v.size() - 1);
    return v[lo] + (h - static_cast<double>(lo)) * (v[hi] - v[lo]);
  };
  for (int j = 0; j < 11; ++j) q[j] = at(1.0 - kLevels[j]);
  // One binomial standard deviation of the order statistic's rank either side.
  const double sd = std::sqrt(m * 0.999 * 0.001) / m;
  *se001 = (std::log(at(std::min(0.999 + sd, 1.0))) - std::log(at(0.999 - sd))) / 2.0;
  return true;
}
