// Random strictly convex quadratics under random constraints, in both modes, against
// the minimiser found by enumerating active sets.
#include <gtest/gtest.h>

#include <random>

#include "znew_harness.h"

namespace {
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
      if (k >= neq) b[k] -= ud(gen);
    }
    znew_setup s{x0};
    for (int i = 0; box && i < n; ++i) s.lo.push_back(b[2 * i]), s.hi.push_back(-b[2 * i + 1]);
    if (!box) s.a = a, s.b = b, s.neq = neq;
    const vec want = qp_reference(n, h, c, a, b, neq);
    const znew_result r = znew_run(p, s);
    EXPECT_EQ(r.status, 0) << trial;
    for (int i = 0; i < n; ++i) EXPECT_NEAR(r.x[i], want.at(i), 1e-8) << trial;
  }
}
}  // namespace
