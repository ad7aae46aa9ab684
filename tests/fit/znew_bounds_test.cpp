// The optimiser in bounds mode, with ConvCheck as the convergence test.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

#include "fit/znew.h"
#include "numeric/zmissing.h"
#include "znew_harness.h"

namespace {
constexpr double B = ZDBL_BIG;
const double kNaN = std::nan("");

// 0.5 x'Hx + c'x with H = [2 1; 1 2], c = (-4, -5): unconstrained minimum (1, 2).
const znew_problem quad2 = quadratic(2, {2, 1, 1, 2}, {-4, -5});

TEST(ZnewBounds, QuadraticOnAndInsideBounds) {
  struct Case { vec lo, hi, x0, want; std::vector<int> held; };
  const Case cases[] = {
      {{-5, -5}, {5, 5}, {0, 0}, {1, 2}, {}},
      {{-B, -B}, {B, B}, {10, -10}, {1, 2}, {}},
      {{3, -5}, {5, 5}, {4, 0}, {3, 1}, {0}},          // not the clipped (3, 2)
      {{-5, -5}, {5, 1}, {0, 0}, {1.5, 1}, {1}},
      {{-5, -5}, {0, 0}, {-1, -1}, {0, 0}, {0, 1}},
      {{-5, -5}, {0.5, 5}, {0.5, 0}, {0.5, 2.25}, {0}},  // start on the bound it keeps
      {{0, -5}, {5, 5}, {0, 0}, {1, 2}, {}},             // start on a bound it leaves
  };
  for (const Case& c : cases) {
    znew_result r = znew_run(quad2, {c.x0, c.lo, c.hi});
    EXPECT_EQ(r.status, 0);
    EXPECT_NEAR(r.x[0], c.want[0], 1e-12);
    EXPECT_NEAR(r.x[1], c.want[1], 1e-12);
    std::sort(r.active.begin(), r.active.end());
    EXPECT_EQ(r.active, c.held);
  }
}

TEST(ZnewBounds, RandomBoxQuadraticsMatchActiveSetEnumeration) {
  std::mt19937 gen(2026);
  std::normal_distribution<double> nd;
  std::uniform_real_distribution<double> ud(0.0, 2.0);
  for (int trial = 0; trial < 300; ++trial) {
    const int n = 1 + trial % 3;
    vec bm(n * n), h(n * n), c(n), x0(n), lo(n), hi(n), a, b;
    for (double& v : bm) v = nd(gen);
    for (int i = 0; i < n; ++i)
      for (int j = 0; j < n; ++j) {
        for (int k = 0; k < n; ++k) h[j * n + i] += bm[i * n + k] * bm[j * n + k];
        if (i == j) h[j * n + i] += 0.3;
      }
    for (int i = 0; i < n; ++i) {
      c[i] = 3 * nd(gen);
      x0[i] = nd(gen);
      lo[i] = x0[i] - ud(gen);
      hi[i] = x0[i] + ud(gen);
      for (int s : {1, -1}) {  // the box as rows s x_i >= s bound
        vec row(n);
        row[i] = s;
        a.insert(a.end(), row.begin(), row.end());
        b.push_back(s > 0 ? lo[i] : -hi[i]);
      }
    }
    const vec want = qp_reference(n, h, c, a, b, 0);
    ASSERT_EQ(want.size(), static_cast<size_t>(n));
    const znew_result r = znew_run(quadratic(n, h, c), {x0, lo, hi});
    EXPECT_EQ(r.status, 0) << trial;
    for (int i = 0; i < n; ++i) EXPECT_NEAR(r.x[i], want[i], 1e-8) << trial;
  }
}

TEST(ZnewBounds, EqualBoundsHoldAGivenParameter) {
  const znew_problem p = hold(quadratic(3, {2, 1, .5, 1, 2, .5, .5, .5, 2}, {-4, -5, -1}), 2);
  const znew_result r = znew_run(p, {{0, 0, 2}, {-B, -B, 2}, {B, B, 2}});
  EXPECT_EQ(r.status, 0);
  EXPECT_NEAR(r.x[0], 2.0 / 3, 1e-12);
  EXPECT_NEAR(r.x[1], 5.0 / 3, 1e-12);
  EXPECT_EQ(r.x[2], 2.0);
}

// f = 1 - x0^2 / 2 in n parameters at the origin: the projected Hessian diag(-1, 0, ..)
// factors once the ridge shift r / (n(n+1)/2) of its norm exceeds 1. The point is a
// saddle, so a converged call reports status 4.
TEST(ZnewBounds, RidgeSequenceAndItsLimit) {
  struct Case { int n; double ridgemax; int status; double ridge; };
  const Case cases[] = {{1, 1024, 4, 1.25}, {2, 1024, 4, 5},     {3, 1024, 4, 20},
                        {6, 1024, 4, 80},   {13, 1024, 4, 320},  {24, 1024, 4, 320},
                        {25, 1024, 3, 1280}, {25, 1280, 4, 1280}};
  for (const Case& c : cases) {
    const znew_problem p{c.n, [](const double* x) { return 1 - x[0] * x[0] / 2; },
                         [n = c.n](const double*, double* g, double* h) {
                           std::fill(g, g + n, 0.0);
                           std::fill(h, h + n * (n + 1) / 2, 0.0);
                           h[0] = -1;
                         }};
    znew_setup s{vec(c.n, 0.0), vec(c.n, -B), vec(c.n, B)};
    s.ridgemax = c.ridgemax;
    const znew_result r = znew_run(p, s);
    EXPECT_EQ(r.status, c.status) << c.n;
    EXPECT_EQ(r.ridge, c.ridge) << c.n;
    EXPECT_EQ(r.x, vec(c.n, 0.0));
  }
}

double rosen(const double* x) { return 100 * std::pow(x[1] - x[0] * x[0], 2) + std::pow(1 - x[0], 2); }
void rosen_d(const double* x, double* g, double* h) {
  g[0] = -400 * x[0] * (x[1] - x[0] * x[0]) - 2 * (1 - x[0]);
  g[1] = 200 * (x[1] - x[0] * x[0]);
  h[0] = 1200 * x[0] * x[0] - 400 * x[1] + 2;
  h[1] = -400 * x[0];
  h[2] = 200;
}

TEST(ZnewBounds, NonConvexStartsNaNRegionsAndZeroMinima) {
  struct Case { znew_problem p; vec x0, want; };
  const Case cases[] = {
      // Double well from its concave middle: needs the ridge.
      {{1, [](const double* x) { return std::pow(x[0], 4) / 4 - x[0] * x[0] / 2; },
        [](const double* x, double* g, double* h) {
          g[0] = std::pow(x[0], 3) - x[0];
          h[0] = 3 * x[0] * x[0] - 1;
        }},
       {0.1}, {1}},
      // x - ln x: the first Newton steps land where the objective is NaN.
      {{1, [](const double* x) { return x[0] - std::log(x[0]); },
        [](const double* x, double* g, double* h) {
          g[0] = 1 - 1 / x[0];
          h[0] = 1 / (x[0] * x[0]);
        }},
       {10}, {1}},
      // Minimum value 0: converges on the gradient's size.
      {{1, [](const double* x) { return (x[0] - 3) * (x[0] - 3); },
        [](const double* x, double* g, double* h) {
          g[0] = 2 * (x[0] - 3);
          h[0] = 2;
        }},
       {0}, {3}},
      {{2, rosen, rosen_d}, {-1.2, 1}, {1, 1}},
  };
  for (const Case& c : cases) {
    const int n = c.p.n;
    const znew_result r = znew_run(c.p, {c.x0, vec(n, -B), vec(n, B)});
    EXPECT_EQ(r.status, 0) << c.x0[0];
    for (int i = 0; i < n; ++i) EXPECT_NEAR(r.x[i], c.want[i], 1e-5) << c.x0[0];
  }
}

TEST(ZnewBounds, FailuresKeepAFeasiblePoint) {
  struct Case { vec x0, lo; int maxiter, status, nobj, nderiv; };
  const Case cases[] = {
      {{-2, 1}, {-1, -B}, 50, 5, 1, 1},     // below a lower bound
      {{1, 2.5}, {-B, -B}, 50, 5, 1, 1},    // above the upper bound 2
      {{kNaN, 1}, {-B, -B}, 50, 5, 1, 1},
      {{-1, -1}, {-1, -1}, 50, 0, -1, -1},  // on two bounds: feasible
      {{-1.2, 1}, {-B, -B}, 0, 1, 1, 1},
  };
  for (const Case& c : cases) {
    const znew_result r = znew_run({2, rosen, rosen_d}, {c.x0, c.lo, {B, 2}, c.maxiter});
    EXPECT_EQ(r.status, c.status);
    if (c.nobj >= 0) {
      EXPECT_EQ(r.nobj, c.nobj);
      EXPECT_EQ(r.nderiv, c.nderiv);
      EXPECT_EQ(r.ntests, 0);
    }
  }
  // A budget too small for Rosenbrock's valley is a failure, whatever the last step.
  const znew_result few = znew_run({2, rosen, rosen_d}, {{-1.2, 1}, {-B, -B}, {B, B}, 5});
  EXPECT_EQ(few.status, 1);
  EXPECT_LT(few.f, rosen(vec{-1.2, 1}.data()));
  // Undefined everywhere downhill: zero steps, then failure at the start itself.
  const znew_problem cliff{1, [](const double* x) { return x[0] >= 1 ? x[0] : kNaN; },
                           [](const double*, double* g, double* h) { g[0] = h[0] = 1; }};
  const znew_result r = znew_run(cliff, {{1}, {-B}, {B}});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.x[0], 1.0);
  EXPECT_EQ(r.f, 1.0);
}

TEST(ZnewBounds, NearBlockingBoundIsTakenWithoutATest) {
  const znew_problem p{1, [](const double* x) { return (x[0] - 3) * (x[0] - 3) + 1; },
                       [](const double* x, double* g, double* h) {
                         g[0] = 2 * (x[0] - 3);
                         h[0] = 2;
                       }};
  const znew_result r = znew_run(p, {{1}, {-B}, {1 + 1e-6}});
  EXPECT_EQ(r.status, 0);
  EXPECT_NEAR(r.x[0], 1 + 1e-6, 1e-15);
  EXPECT_EQ(r.active, std::vector<int>{0});
  EXPECT_EQ(r.ntests, 1);  // only after the second, empty iteration
  EXPECT_EQ(r.nderiv, 2);
}

TEST(ZnewBounds, ConvCheckReleasesAndMeasures) {
  // Parameter 1 is held; parameter 0 is free with H00 = h and gradient g0.
  struct Case { double lo, hi, x1, g1, g0, h, f; int want; double crit; };
  const Case cases[] = {
      {0, B, 0, -1e-11, 0, 2, 1, -2, kNaN},
      {0, B, 0, -1e-13, 0, 2, 1, 0, 0},
      {-B, 0, 0, 1e-11, 0, 2, 1, -2, kNaN},
      {0, 10, 0, -1e-11, 0, 2, 1, -2, kNaN},
      {0, 10, 10, -1, 0, 2, 1, 0, 0},
      {0, 10, 10, 1e-11, 0, 2, 1, -2, kNaN},
      {0, B, 0, 1, 0.1, 2, 2, 1, 0.0025},     // g'H^-1 g / |f|
      {0, B, 0, 1, 0.1, 0, 2, 1, 0.005},      // no curvature: g'g / |f|
      {0, B, 0, 1, 1e-4, 2, 0, 0, 5e-9},      // |f| < 1e-12: g'H^-1 g alone
      {0, B, 0, 1, 0.1, 2, 1e-13, 1, 0.005},
  };
  for (const Case& c : cases) {
    vec x{0, c.x1}, lo{-B, c.lo}, hi{B, c.hi}, g{c.g0, c.g1}, h{c.h, 0.5, 3}, work(7);
    int active[2] = {1, -1};
    zfit_optrec o{2, 4, 0, 50, nullptr, active, 1e-8, B, c.f, x.data(), lo.data(), hi.data(),
                  g.data(), h.data(), work.data(), nullptr};
    EXPECT_EQ(ConvCheck(&o), c.want);
    EXPECT_TRUE(std::isnan(c.crit) ? std::isnan(o.crit) : std::fabs(o.crit - c.crit) < 1e-15);
    EXPECT_EQ(o.nevals, 0);
    EXPECT_EQ(o.ntests, 1);
  }
}
}  // namespace
