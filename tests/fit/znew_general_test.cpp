// The optimiser in general mode: linear equality and inequality constraints.
#include <gtest/gtest.h>

#include "znew_harness.h"

namespace {
znew_setup general(const vec& x0, const vec& a, const vec& b, int neq) {
  znew_setup s{x0};
  s.a = a, s.b = b, s.neq = neq;
  return s;
}

// 0.5 |x - p|^2: the solution is the projection of p onto the feasible set.
znew_problem distance(const vec& p) {
  return quadratic(3, {1, 0, 0, 0, 1, 0, 0, 0, 1}, {-p[0], -p[1], -p[2]});
}

TEST(ZnewGeneral, ProjectionsOntoLinearConstraints) {
  struct Case { vec p, x0, a, b; int neq; vec want; };
  const Case cases[] = {
      {{1, 2, 3}, {1, 0, 0}, {1, 1, 1}, {1}, 1, {-2.0 / 3, 1.0 / 3, 4.0 / 3}},
      {{1, 1, 0}, {4, 0, 0}, {1, 1, 0}, {4}, 0, {2, 2, 0}},
      {{1, 1, 0}, {5, 5, 5}, {1, 1, 0}, {0}, 0, {1, 1, 0}},
      // Both active: multipliers -1 (equality) and 2 (x1 >= 0).
      {{-1, 1, 2}, {1, 0, 0}, {1, 1, 1, 1, 0, 0}, {1, 0}, 1, {0, 0, 1}},
  };
  for (const Case& c : cases) {
    const znew_result r = znew_run(distance(c.p), general(c.x0, c.a, c.b, c.neq));
    EXPECT_EQ(r.status, 0) << c.p[0];
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(r.x[i], c.want[i], 1e-12) << c.p[0];
  }
}

TEST(ZnewGeneral, InfeasibleStartsAndBadCounts) {
  struct Case { vec a, b; int neq, status; };
  const Case cases[] = {
      {{1, 1, 1}, {1 + 1e-9}, 1, 5},  // equality missed, then within its slack
      {{1, 1, 1}, {1 + 1e-13}, 1, 0},
      {{1, 0, 0}, {1 + 1e-9}, 0, 5},  // inequality violated, then just met
      {{1, 0, 0}, {1}, 0, 0},
      {{1, 0, 0, 0, 1, 0, 0, 0, 1, 1, 1, 1}, {1, 0, 0, 1}, 4, 5},  // more equalities than n
  };
  for (const Case& c : cases) {
    const znew_result r = znew_run(distance({2, 2, 2}), general({1, 0, 0}, c.a, c.b, c.neq));
    EXPECT_EQ(r.status, c.status);
    EXPECT_EQ(r.ntests == 0, c.status == 5);
  }
}
}  // namespace
