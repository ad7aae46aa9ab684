// The optimiser in general mode: starts that violate a linear constraint, and
// constraint counts it cannot take.
#include <gtest/gtest.h>

#include "znew_harness.h"

namespace {
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
    znew_setup s{{1, 0, 0}};
    s.a = c.a, s.b = c.b, s.neq = c.neq;
    const znew_result r = znew_run(quadratic(3, {1, 0, 0, 0, 1, 0, 0, 0, 1}, {-2, -2, -2}), s);
    EXPECT_EQ(r.status, c.status);
    EXPECT_EQ(r.ntests == 0, c.status == 5);
  }
}
}  // namespace
