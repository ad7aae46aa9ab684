// Random strictly convex quadratics under random constraints, in both modes, against
// the minimiser found by enumerating active sets; some starts lie on a constraint.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "znew_harness.h"

namespace {
// Minimiser of 0.5 x'Hx + c'x under a_k . x = b_k (k < neq) and a_k . x >= b_k: the
// active set whose KKT point is feasible with nonnegative multipliers; empty if none.
inline vec qp_reference(int n, const vec& h, const vec& c, const vec& a, const vec& b, int neq) {
  const int nin = static_cast<int>(b.size()) - neq;
  for (unsigned mask = 0; mask < (1u << nin); ++mask) {
    std::vector<int> rows;
    for (int k = 0; k < neq + nin; ++k)
      if (k < neq || (mask >> (k - neq) & 1)) rows.push_back(k);
    const int t = static_cast<int>(rows.size()), m = n + t;
    vec km(m * m), r(m);  // [H -A'; A 0] [x; l] = [-c; b]
    for (int i = 0; i < n; ++i) {
      r[i] = -c[i];
      for (int j = 0; j < n; ++j) km[j * m + i] = h[j * n + i];
      for (int q = 0; q < t; ++q) {
        km[(n + q) * m + i] = -a[rows[q] * n + i];
        km[i * m + n + q] = a[rows[q] * n + i];
        r[n + q] = b[rows[q]];
      }
    }
    const vec y = t > n ? vec() : solve(km, r, m);
    bool ok = !y.empty();
    for (int q = 0; ok && q < t; ++q) ok = rows[q] < neq || y[n + q] >= -1e-9;
    for (int k = neq; ok && k < neq + nin; ++k) {
      double v = 0.0;
      for (int i = 0; i < n; ++i) v += a[k * n + i] * y[i];
      ok = v >= b[k] - 1e-9;
    }
    if (ok) return vec(y.begin(), y.begin() + n);
  }
  return {};
}

// A random strictly convex quadratic of order n: H = B'B + 0.3 I, c of size 3.
inline znew_problem random_qp(int n, std::mt19937& gen, vec& h, vec& c) {
  std::normal_distribution<double> nd;
  vec bm(n * n);
  for (double& v : bm) v = nd(gen);
  h.assign(n * n, 0.0);
  c.assign(n, 0.0);
  for (int i = 0; i < n; ++i) {
    c[i] = 3 * nd(gen), h[i * n + i] = 0.3;
    for (int j = 0; j < n; ++j)
      for (int k = 0; k < n; ++k) h[j * n + i] += bm[i * n + k] * bm[j * n + k];
  }
  return quadratic(n, h, c);
}

TEST(ZnewRandom, QuadraticsMatchActiveSetEnumeration) {
  std::mt19937 gen(2026);
  std::normal_distribution<double> nd;
  std::uniform_real_distribution<double> ud(0.0, 1.5);
  vec h, c;
  for (int trial = 0; trial < 600; ++trial) {
    // Even trials: a box in bounds mode (rows x_i >= lo_i, -x_i >= -hi_i for the
    // reference). Odd trials: general rows, every third with an equality first.
    const bool box = trial % 2 == 0;
    const int n = 1 + trial % 3 + !box, neq = !box && trial % 3 == 0;
    const int ncon = box ? 2 * n : neq + 2 + trial % 5 / 2;
    const znew_problem p = random_qp(n, gen, h, c);
    vec x0(n), a(ncon * n), b(ncon);
    for (double& v : x0) v = nd(gen);
    for (int k = 0; k < ncon; ++k) {  // the start on each equality, inside each inequality
      for (int i = 0; i < n; ++i) a[k * n + i] = box ? (i == k / 2) * (k % 2 ? -1 : 1) : nd(gen);
      for (int i = 0; i < n; ++i) b[k] += a[k * n + i] * x0[i];
      if (k >= neq && (trial + k) % 5 != 0) b[k] -= ud(gen);  // else it starts on it
    }
    znew_setup s{x0};
    for (int i = 0; box && i < n; ++i) s.lo.push_back(b[2 * i]), s.hi.push_back(-b[2 * i + 1]);
    if (!box) s.a = a, s.b = b, s.neq = neq;
    const vec want = qp_reference(n, h, c, a, b, neq);
    znew_result r = znew_run(p, s);
    EXPECT_EQ(r.status, 0) << trial;
    std::vector<int> held;
    for (int i = 0; i < n; ++i) {
      EXPECT_NEAR(r.x[i], want.at(i), 1e-8) << trial;
      if (box && std::min(std::fabs(want[i] - s.lo[i]), std::fabs(want[i] - s.hi[i])) < 1e-9)
        held.push_back(i);
    }
    std::sort(r.held.begin(), r.held.end());
    EXPECT_EQ(r.held, held) << trial;
  }
}
}  // namespace
