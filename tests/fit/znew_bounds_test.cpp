// The optimiser in bounds mode, with ConvCheck as the convergence test.
#include <gtest/gtest.h>

#include <algorithm>

#include "znew_harness.h"

namespace {
const double kNaN = std::nan("");

// 1 - x0^2 / 2 + d x1^2 / 2 in n parameters at the origin: the Hessian diag(-1, d, 0, ..)
// factors once the ridge shift r sqrt(1 + d^2) / (n(n+1)/2) exceeds 1. The point is a
// saddle, so converging there reports status 4.
TEST(ZnewBounds, RidgeSequenceAndItsLimit) {
  struct Case { int n; double d, ridgemax; int status; double ridge; };
  const Case cases[] = {{2, 10, 1024, 4, 0.3125}, {1, 0, 1024, 4, 1.25}, {2, 0, 1024, 4, 5},
                        {3, 0, 1024, 4, 20},      {6, 0, 1024, 4, 80},   {24, 0, 1024, 4, 320},
                        {25, 0, 1024, 3, 1280},   {25, 0, 1280, 4, 1280}};
  for (const Case& c : cases) {
    const znew_problem p{c.n,
                         [c](const double* x) {
                           return 1 - x[0] * x[0] / 2 + (c.n > 1 ? c.d * x[1] * x[1] / 2 : 0);
                         },
                         [c](const double*, double* g, double* h) {
                           std::fill(g, g + c.n, 0.0);
                           std::fill(h, h + c.n * (c.n + 1) / 2, 0.0);
                           h[0] = -1;
                           if (c.n > 1) h[2] = c.d;
                         }};
    znew_setup s{vec(c.n, 0.0), vec(c.n, -BIG), vec(c.n, BIG)};
    s.ridgemax = c.ridgemax;
    const znew_result r = znew_run(p, s);
    EXPECT_EQ(r.status, c.status) << c.n;
    EXPECT_EQ(r.ridge, c.ridge) << c.n;
  }
}

const znew_problem rosen{
    2,
    [](const double* x) {
      const double u = x[1] - x[0] * x[0], v = 1 - x[0];
      return 100 * u * u + v * v;
    },
    [](const double* x, double* g, double* h) {
      g[0] = -400 * x[0] * (x[1] - x[0] * x[0]) - 2 * (1 - x[0]);
      g[1] = 200 * (x[1] - x[0] * x[0]);
      h[0] = 1200 * x[0] * x[0] - 400 * x[1] + 2, h[1] = -400 * x[0], h[2] = 200;
    }};

// One-parameter problems f with f' and f''.
znew_problem scalar(double (*f)(double), double (*g)(double), double (*h)(double)) {
  return {1, [f](const double* x) { return f(x[0]); },
          [g, h](const double* x, double* gp, double* hp) { gp[0] = g(x[0]), hp[0] = h(x[0]); }};
}

TEST(ZnewBounds, NonConvexStartsNaNRegionsAndZeroMinima) {
  struct Case { znew_problem p; vec x0, want; };
  const Case cases[] = {
      // Double well from its concave middle: needs the ridge.
      {scalar([](double x) { return x * x * x * x / 4 - x * x / 2; },
              [](double x) { return x * x * x - x; }, [](double x) { return 3 * x * x - 1; }),
       {0.1}, {1}},
      // The first Newton steps land where the objective is NaN.
      {scalar([](double x) { return x - std::log(x); }, [](double x) { return 1 - 1 / x; },
              [](double x) { return 1 / (x * x); }), {10}, {1}},
      {rosen, {-1.2, 1}, {1, 1}},  // minimum value 0: converges on the gradient's size
  };
  for (const Case& c : cases) {
    const znew_result r = znew_run(c.p, {c.x0, vec(c.p.n, -BIG), vec(c.p.n, BIG)});
    EXPECT_EQ(r.status, 0) << c.x0[0];
    for (int i = 0; i < c.p.n; ++i) EXPECT_NEAR(r.x[i], c.want[i], 1e-5) << c.x0[0];
  }
}

TEST(ZnewBounds, FailuresAndBlockingBounds) {
  struct Case { vec x0, lo; int maxiter, status, nobj; };
  const Case cases[] = {
      {{-2, 1}, {-1, -BIG}, 50, 5, 1},  // below a lower bound, above the upper 2, NaN
      {{1, 2.5}, {-BIG, -BIG}, 50, 5, 1},
      {{kNaN, 1}, {-BIG, -BIG}, 50, 5, 1},
      {{-1.2, 1}, {-BIG, -BIG}, 0, 1, 1},
      {{-1.2, 1}, {-BIG, -BIG}, 5, 1, -1},  // too few iterations for the valley
      {{-1, -1}, {-1, -1}, 50, 0, -1},      // on two bounds: feasible
  };
  for (const Case& c : cases) {
    const znew_result r = znew_run(rosen, {c.x0, c.lo, {BIG, 2}, c.maxiter});
    EXPECT_EQ(r.status, c.status);
    EXPECT_TRUE(c.nobj < 0 || r.nobj + r.nderiv + r.ntests == 2);
  }
  // Undefined everywhere downhill: zero steps, then failure at the start itself.
  const auto one = [](double) { return 1.0; };
  const znew_problem cliff = scalar([](double x) { return x >= 1 ? x : kNaN; }, one, one);
  znew_result r = znew_run(cliff, {{1}, {-BIG}, {BIG}});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.x[0], 1.0);
  EXPECT_EQ(r.f, 1.0);
  // A linear objective moves only by the absolute ridge shift, onto its bound.
  const auto zero = [](double) { return 0.0; };
  r = znew_run(scalar([](double x) { return x; }, one, zero), {{3}, {0}, {5}});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.x[0], 0.0);
  // A bound within 1e-5 of the Newton step is taken at once, without a test.
  const znew_problem p = scalar([](double x) { return (x - 3) * (x - 3) + 1; },
                                [](double x) { return 2 * (x - 3); }, [](double) { return 2.0; });
  r = znew_run(p, {{1}, {-BIG}, {1 + 1e-6}});
  EXPECT_EQ(r.status, 0);
  EXPECT_NEAR(r.x[0], 1 + 1e-6, 1e-15);
  EXPECT_EQ(r.held, std::vector<int>{0});
  EXPECT_EQ(r.ntests, 1);
  EXPECT_EQ(r.nderiv, 2);
}

TEST(ZnewBounds, ConvCheckReleasesAndMeasures) {
  // Parameter 0 is held (gradient g0); parameter 1 is free (gradient g1, H11 = h).
  struct Case { double lo, hi, x0, g0, g1, h, f; int want; double crit; };
  const Case cases[] = {
      {0, BIG, 0, -1e-11, 0, 2, 1, -1, kNaN},  // at the lower bound, pointing up
      {0, BIG, 0, -1e-13, 0, 2, 1, 0, 0},
      {-BIG, 0, 0, 1e-11, 0, 2, 1, -1, kNaN},
      {0, 10, 10, -1, 0, 2, 1, 0, 0},          // the nearer bound is the upper one
      {0, 10, 10, 1e-11, 0, 2, 1, -1, kNaN},
      {0, BIG, 0, 1, 0.1, 2, 2, 1, 0.0025},    // g'H^-1 g / |f| over the free part
      {0, BIG, 0, 1, 0.1, 0, 2, 1, 0.005},     // no curvature: g'g / |f|
      {0, BIG, 0, 1, 1e-4, 2, 0, 0, 5e-9},     // |f| < 1e-12: g'H^-1 g alone
  };
  for (const Case& c : cases) {
    vec x{c.x0, 0}, lo{c.lo, -BIG}, hi{c.hi, BIG}, g{c.g0, c.g1}, h{3, 0.5, c.h}, work(7);
    int active[2] = {0, -1};
    zfit_optrec o{2, 4, 0, 50, nullptr, active, 1e-8, BIG, c.f, x.data(), lo.data(), hi.data(),
                  g.data(), h.data(), work.data(), nullptr};
    EXPECT_EQ(ConvCheck(&o), c.want);
    EXPECT_TRUE(std::isnan(c.crit) ? std::isnan(o.crit) : std::fabs(o.crit - c.crit) < 1e-15);
    EXPECT_EQ(o.nevals + o.ntests, 1);
  }
}
}  // namespace
