// zdfciqt.cpp - distribution-free confidence ranks for a population quantile.
//
//   int zdfciqt(int type, double n, double alpha, double p,
//               double* lo, double* hi, double* cover)
//     Chooses order statistics (ranks lo < hi, counted from 1, held as doubles) whose
//     interval covers the quantile of order p with probability at least 1 - alpha, and
//     reports the exact coverage P(lo <= B <= hi - 1), B binomial(n, p).
//     type 1 symmetric about the central ranks, 2 asymmetric (the end on the nearer tail
//     at the extreme order statistic), 3 lower bound only (hi = n), 4 upper bound only
//     (lo = 1).  The three outputs are set to the toolkit missing value first.
//     Status 0 level reached; 1 level missed, outputs the best interval the rule allows
//     (type 1 may leave them missing when the central ranks fall outside 1..n); 2 bad
//     argument (n < 2 or infinite, alpha <= 0 or > 0.5, p <= 0 or >= 1, type outside 1..4) or, for
//     type 1, no interval with positive coverage; 3 the incomplete beta function failed.
//
// Method: the binomial distribution function F(m) = P(B <= m) = I_(1-p)(n - m, m + 1)
// (Abramowitz & Stegun 26.5.24) from zibeta; the interval of order statistics (l, u) has
// coverage F(u-1) - F(l-1) (e.g. W. J. Conover, Practical Nonparametric Statistics, 3rd
// ed., 1999, section 3.2; Hahn and Meeker, Statistical Intervals, 1991).  Central ranks
// from n p with the tolerance 1000 * 2^-53; type 1 widens symmetrically, at each step
// preferring the narrowest candidate that reaches the level and otherwise remembering the
// widest positive one; types 2 to 4 move one end outward until the level is reached.
// F(m) is taken as 0 for m < 0 and 1 for m >= n without calling zibeta (only reachable
// when n p is within the tolerance of 0).
//
// Measured accuracy (tests/numeric/zdfciqt_test.cpp, against a direct search over
// 50-digit binomial sums for n from 2 to 1000): ranks and statuses exact, coverage within
// 1e-15 absolute.
#include "numeric/zdfciqt.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>
#include <vector>

#include "host/kes_parallel.h"

#include "numeric/zibeta.h"
#include "numeric/zmissing.h"

namespace {
constexpr double ZDFCI_EPS = 1000.0 * ZEPS53;
constexpr double ZDFCI_ALPHA_MAX = 0.5;
constexpr double ZDFCI_N_MIN = 2.0;

// P(B <= m) = I_(1-p)(n - m, m + 1); 0 on success.
int binom_cdf(double n, double p, double m, double* out) {
  double d;
  return zibeta(1.0 - p, n - m, m + 1.0, out, &d);
}

// The binomial distribution function, each rank computed once. The searches below walk
// outward from the central ranks, one rank a step on each side; for a large n they take
// thousands of steps, so on a miss a block of the ranks ahead (away from the centre) is
// computed on several threads, the block doubling while the walk goes on. Every value
// is the same pure function of its rank, so the results do not depend on the threads.
struct Binom {
  double n, p, centre;
  int threads;
  struct value {
    double F;
    int status;
  };
  mutable std::unordered_map<double, value> known;
  mutable double block_up = 1.0, block_down = 1.0;

  // P(B <= m); false when zibeta fails.
  bool F(double m, double* out) const {
    if (m < 0.0) {
      *out = 0.0;
      return true;
    }
    if (m >= n) {
      *out = 1.0;
      return true;
    }
    auto it = known.find(m);
    if (it == known.end()) {
      fill(m);
      it = known.find(m);
      if (it == known.end()) return binom_cdf(n, p, m, out) == 0;  // a NaN rank
    }
    *out = it->second.F;
    return it->second.status == 0;
  }

  void fill(double m) const {
    const bool up = m >= centre;
    double& block = up ? block_up : block_down;
    // The ranks m, m +- 1, ... within [0, n) not known yet, at most `block` of them.
    std::vector<double> ranks;
    for (double r = m; ranks.size() < static_cast<size_t>(block) && r >= 0.0 && r < n; r += up ? 1.0 : -1.0)
      if (known.find(r) == known.end()) ranks.push_back(r);
    std::vector<value> got(ranks.size());
    kes::parallel_ranges(threads, ranks.size(), 8, [&](size_t b, size_t e) {
      for (size_t i = b; i < e; ++i) got[i].status = binom_cdf(n, p, ranks[i], &got[i].F);
    });
    for (size_t i = 0; i < ranks.size(); ++i) known.emplace(ranks[i], got[i]);
    if (threads > 1) block = std::min(block * 2.0, 64.0 * threads);
  }
};

struct Cand {
  double l, u, cov;
  bool have;
};

// One-sided intervals: the lower rank stays at 1 (F(lower - 1) = Fb) and the upper one
// moves outward from u0 until the coverage reaches the level, or the lower one moves
// from l0 with the upper rank at n (F(upper - 1) = Fa). 0 reached, 1 missed (the widest
// interval), 3 the incomplete beta function failed.
int widen_upper(const Binom& B, double u0, double Fb, double level, double* lo, double* hi, double* cover) {
  *lo = 1.0;
  for (double j = 0.0;; j += 1.0) {
    const double u = u0 + j;
    double Fa;
    if (!B.F(u - 1.0, &Fa)) return 3;
    const double cov = Fa - Fb;
    if (cov >= level) {
      *hi = u;
      *cover = cov;
      return 0;
    }
    if (u + 1.0 > B.n + ZDFCI_EPS) {
      *hi = B.n;
      *cover = cov;
      return 1;
    }
  }
}

int widen_lower(const Binom& B, double l0, double Fa, double level, double* lo, double* hi, double* cover) {
  *hi = B.n;
  for (double j = 0.0;; j += 1.0) {
    const double l = l0 - j;
    double Fb;
    if (!B.F(l - 1.0, &Fb)) return 3;
    const double cov = Fa - Fb;
    if (cov >= level) {
      *lo = l;
      *cover = cov;
      return 0;
    }
    if (l - 1.0 < 1.0 - ZDFCI_EPS) {
      *lo = 1.0;
      *cover = cov;
      return 1;
    }
  }
}
}  // namespace

int zdfciqt(int type, double n, double alpha, double p, double* lo, double* hi, double* cover, int threads) {
  const double miss = zmissing();
  *lo = miss;
  *hi = miss;
  *cover = miss;
  if (type < 1 || type > 4) return 2;
  if (n < ZDFCI_N_MIN || alpha <= 0.0 || alpha > ZDFCI_ALPHA_MAX || p <= 0.0 || p >= 1.0)
    return 2;
  // An infinite n would widen the interval forever (every F is 1); refused as well.  A NaN
  // reaches zibeta, which refuses it (status 3).
  if (std::isinf(n)) return 2;
  const double level = 1.0 - alpha;
  const Binom B{n, p, n * p, threads > 1 ? threads : 1, {}};
  // Rank tests with the tolerance.
  auto le_one = [](double l) { return l - 1.0 < 1.0 - ZDFCI_EPS; };         // l <= 1
  auto above_n = [n](double u1) { return u1 > n + ZDFCI_EPS; };             // u1 > n

  // Central ranks.
  const double np = n * p;
  const double k = std::floor(np + ZDFCI_EPS);
  const double f = np - k;
  double rlo, rhi;
  if (f <= ZDFCI_EPS) {
    rlo = k;
    rhi = k + 1.0;
  } else if (std::fabs(f - 0.5) < ZDFCI_EPS) {
    if (type == 1) {
      rlo = rhi = k + 1.0;
    } else {
      rlo = std::fmin(k + 1.0, n - 1.0);
      rhi = std::fmax(k + 1.0, 2.0);
    }
  } else {
    double r = (f >= 0.5) ? k + 1.0 : k;
    if (type != 1) r = (f >= 0.5) ? std::fmin(k + 1.0, n - 1.0) : std::fmax(k, 1.0);
    rlo = r;
    rhi = r + 1.0;
  }

  double Fa, Fb, Fc;
  switch (type) {
    case 1: {
      if (rlo < 1.0 || rhi > n) return 1;
      Cand fallback{0, 0, 0, false};
      for (double j = 0.0;; j += 1.0) {
        const double l = rlo - j, u = rhi + j;
        if (!B.F(u - 1.0, &Fa) || !B.F(l - 1.0, &Fb)) return 3;
        const double cov = Fa - Fb;
        double covU = 0.0, covL = 0.0;
        if (!above_n(u + 1.0)) {
          if (!B.F(u, &Fc)) return 3;
          covU = Fc - Fb;
        }
        if (!le_one(l)) {
          if (!B.F(l - 2.0, &Fc)) return 3;
          covL = Fa - Fc;
        }
        // Candidates that reach the level: the one with the smallest coverage.
        const Cand reach[3] = {{l, u, cov, true}, {l, u + 1.0, covU, true}, {l - 1.0, u, covL, true}};
        Cand best{0, 0, 0, false};
        for (const Cand& c : reach) {
          if (c.cov >= level && (!best.have || c.cov < best.cov - ZDFCI_EPS)) best = c;
        }
        if (best.have) {
          *lo = best.l;
          *hi = best.u;
          *cover = best.cov;
          return 0;
        }
        // This step's fallback: the largest positive coverage.
        const Cand order[3] = {{l, u, cov, true}, {l - 1.0, u, covL, true}, {l, u + 1.0, covU, true}};
        Cand step{0, 0, 0, false};
        for (const Cand& c : order) {
          if (c.cov > 0.0 && (!step.have || c.cov > step.cov)) step = c;
        }
        fallback = step;
        if (le_one(l) || above_n(u + 1.0)) break;
      }
      if (!fallback.have) return 2;
      *lo = fallback.l;
      *hi = fallback.u;
      *cover = fallback.cov;
      return 1;
    }
    case 2:
      if (p <= 0.5) {
        *lo = 1.0;
        if (!B.F(0.0, &Fb)) return 3;
        return widen_upper(B, rhi, Fb, level, lo, hi, cover);
      }
      *hi = n;
      if (!B.F(n - 1.0, &Fa)) return 3;
      return widen_lower(B, rlo, Fa, level, lo, hi, cover);
    case 3: return widen_lower(B, rlo, 1.0, level, lo, hi, cover);
    default: return widen_upper(B, rhi, 0.0, level, lo, hi, cover);  // 4
  }
}
