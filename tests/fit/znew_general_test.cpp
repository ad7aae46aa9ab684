// The optimiser in general mode: linear equality and inequality constraints.
#include <gtest/gtest.h>

#include <random>

#include "fit/znew.h"
#include "znew_harness.h"

namespace {
// 0.5 |x - p|^2: the solution is the projection of p onto the feasible set.
znew_problem distance(const vec& p) {
  vec c(p.size());
  for (size_t i = 0; i < p.size(); ++i) c[i] = -p[i];
  return quadratic(3, {1, 0, 0, 0, 1, 0, 0, 0, 1}, c);
}

znew_setup general(vec x0, vec a, vec b, int neq) {
  znew_setup s{x0};
  s.a = a;
  s.b = b;
  s.neq = neq;
  return s;
}

TEST(ZnewGeneral, ProjectionsOntoLinearConstraints) {
  struct Case { vec p, x0, a, b; int neq; vec want; };
  const Case cases[] = {
      {{1, 2, 3}, {1, 0, 0}, {1, 1, 1}, {1}, 1, {-2.0 / 3, 1.0 / 3, 4.0 / 3}},
      {{1, 1, 0}, {4, 0, 0}, {1, 1, 0}, {4}, 0, {2, 2, 0}},
      {{1, 1, 0}, {5, 5, 5}, {1, 1, 0}, {0}, 0, {1, 1, 0}},
      // Both active: multipliers -1 (equality) and 2 (x1 >= 0).
      {{-1, 1, 2}, {1, 0, 0}, {1, 1, 1, 1, 0, 0}, {1, 0}, 1, {0, 0, 1}},
      // x1 + x2 >= 2 and x1 - x2 >= 0 meet at (1, 1); only the first binds.
      {{0, 3, 0}, {3, 0, 0}, {1, 1, 0, 1, -1, 0}, {2, 0}, 0, {1.5, 1.5, 0}},
  };
  for (const Case& c : cases) {
    const znew_result r = znew_run(distance(c.p), general(c.x0, c.a, c.b, c.neq));
    EXPECT_EQ(r.status, 0) << c.p[0];
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(r.x[i], c.want[i], 1e-12) << c.p[0];
  }
}

TEST(ZnewGeneral, RandomQuadraticsMatchActiveSetEnumeration) {
  std::mt19937 gen(7);
  std::normal_distribution<double> nd;
  std::uniform_real_distribution<double> ud(0.0, 1.0);
  for (int trial = 0; trial < 300; ++trial) {
    const int n = 2 + trial % 2, neq = trial % 3 == 0 ? 1 : 0, ncon = neq + 2 + trial % 3;
    vec bm(n * n), h(n * n), c(n), x0(n), a(ncon * n), b(ncon);
    for (double& v : bm) v = nd(gen);
    for (int i = 0; i < n; ++i)
      for (int j = 0; j < n; ++j) {
        for (int k = 0; k < n; ++k) h[j * n + i] += bm[i * n + k] * bm[j * n + k];
        if (i == j) h[j * n + i] += 0.3;
      }
    for (int i = 0; i < n; ++i) c[i] = 3 * nd(gen), x0[i] = nd(gen);
    for (int k = 0; k < ncon; ++k) {
      for (int i = 0; i < n; ++i) a[k * n + i] = nd(gen), b[k] += a[k * n + i] * x0[i];
      if (k >= neq) b[k] -= ud(gen);
    }
    const vec want = qp_reference(n, h, c, a, b, neq);
    ASSERT_EQ(want.size(), static_cast<size_t>(n)) << trial;
    const znew_result r = znew_run(quadratic(n, h, c), general(x0, a, b, neq));
    EXPECT_EQ(r.status, 0) << trial;
    for (int i = 0; i < n; ++i) EXPECT_NEAR(r.x[i], want[i], 1e-8) << trial;
  }
}

TEST(ZnewGeneral, InfeasibleStartsAndBadCounts) {
  struct Case { vec x0, a, b; int neq, status; };
  const Case cases[] = {
      {{1, 0, 0}, {1, 1, 1}, {1 + 1e-9}, 1, 5},           // equality missed
      {{1, 0, 0}, {1, 1, 1}, {1 + 1e-13}, 1, 0},          // within its slack
      {{1, 0, 0}, {1, 0, 0}, {1 + 1e-9}, 0, 5},           // inequality violated
      {{1, 0, 0}, {1, 0, 0}, {1}, 0, 0},                  // on the inequality
      {{1, 0, 0}, {1, 0, 0, 0, 1, 0, 0, 0, 1, 1, 1, 1}, {1, 0, 0, 1}, 4, 5},  // 4 > n
  };
  for (const Case& c : cases) {
    const znew_result r = znew_run(distance({2, 2, 2}), general(c.x0, c.a, c.b, c.neq));
    EXPECT_EQ(r.status, c.status);
    if (c.status == 5) {
      EXPECT_EQ(r.ntests, 0);
    }
  }
}
}  // namespace
