// zhrdy_test.cpp - zhrdys, the scalar integrator, and its record zhrdy_rec.
#include <gtest/gtest.h>

#include <cmath>

#include "accuracy_check.h"
#include "numeric/zhrdys.h"
#include "numeric/zmissing.h"

namespace {

zhrdy_rec make(int mode, double lower, double upper, double centre, double step, double eps, zhrdy_fn f,
               void* ctx = nullptr) {
  zhrdy_rec r{};
  r.mode = mode;
  r.lower = lower;
  r.upper = upper;
  r.centre = centre;
  r.initial_step = step;
  r.accuracy = eps;
  r.level_limit = 12;
  r.test_kind = 1;
  r.integrand = f;
  r.context = ctx;
  return r;
}

// Integrands store their value and return the integrand's status.
#define KES_INTEGRAND(expr) [](double x, void*, double* v) { return (void)x, *v = (expr), 0; }
const zhrdy_fn f_normal = KES_INTEGRAND(std::exp(-x * x / 2.0) / std::sqrt(2.0 * M_PI));
const zhrdy_fn f_gamma3_shift = KES_INTEGRAND(std::exp(-(x - 1.0)) * (x - 1.0) * (x - 1.0) / 2.0);
const zhrdy_fn f_beta23 = KES_INTEGRAND(12.0 * x * (1.0 - x) * (1.0 - x));

// Gamma-type integrand in log mode: x^(a-1) e^-x = exp(L) kept as exp(L - E) * e^E.
struct LogCtx {
  zhrdy_rec* rec;
  double a;
};
int f_log_gamma(double x, void* ctx, double* v) {
  auto* c = static_cast<LogCtx*>(ctx);
  const double L = (c->a - 1.0) * std::log(x) - x;
  if (L > c->rec->value_exp) c->rec->value_exp = static_cast<int>(std::trunc(L));
  *v = std::exp(L - c->rec->value_exp);
  return 0;
}

// Log mode, whole line, exact cancellation: 1 at 0, -0.5 at +-0.5, 0 elsewhere.  The
// estimate after the first level is exactly 0 and stays 0, so L = ln|0| = -inf twice
// and the convergence test meets -inf - -inf = NaN.
int f_cancel(double x, void* ctx, double* v) {
  static_cast<zhrdy_rec*>(ctx)->value_exp = 0;
  *v = x == 0.0 ? 1.0 : std::fabs(x) == 0.5 ? -0.5 : 0.0;
  return 0;
}

}  // namespace

TEST(Zhrdys, NormalDensityOverTheLine) {
  zhrdy_rec r = make(1, 0, 0, 0.0, 1.0, 1e-8, f_normal);
  double res = 0.0;
  ASSERT_EQ(zhrdys(&r, &res), 0);
  EXPECT_NEAR(res, 1.0, 1e-15);  // required within sqrt(eps); measured exact to rounding
  EXPECT_EQ(res, r.integral);
  EXPECT_GE(r.level, 1);
  EXPECT_LT(r.rel_change, std::sqrt(1e-8));
  EXPECT_DOUBLE_EQ(r.accuracy3, 0.33333333333333 * 1e-8);
  // The tighter tolerance of the option word 1234567: for eps = 1e-4, sqrt(eps) = 1e-2
  // and eps^(3/4) = 1e-3.
  zhrdy_rec a = make(1, 0, 0, 0.0, 4.0, 1e-4, f_normal);
  zhrdy_rec b = a;
  b.option_word = 1234567;
  double ra = 0, rb = 0;
  ASSERT_EQ(zhrdys(&a, &ra), 0);
  ASSERT_EQ(zhrdys(&b, &rb), 0);
  EXPECT_LT(a.rel_change, 1e-2);
  EXPECT_LT(b.rel_change, 1e-3);
  EXPECT_GE(b.level, a.level);
  EXPECT_NEAR(rb, 1.0, 1e-3);
}

TEST(Zhrdys, MatchesReferenceIntegrals) {
  // Within sqrt(machine epsilon) relative is required; the method reaches 5e-14.
  // References: mpmath quad at 50 digits (ref/zhrdy_ref.py; R integrate agrees to 1e-11).
  struct Case {
    const char* name;
    int mode;
    double a, b, c;
    zhrdy_fn f;
    double want;
  } cases[] = {
      {"normal_cos", 1, 0, 0, 0.0, KES_INTEGRAND(std::exp(-x * x / 2.0) * std::cos(x)), 1.5203469010662809},
      {"gamma35", 2, 0, 0, 2.5, KES_INTEGRAND(std::pow(x, 2.5) * std::exp(-x)), 3.3233509704478426},
      {"beta_half", 3, 0, 1, 0.5, KES_INTEGRAND(std::pow(x, -0.5) * std::pow(1.0 - x, 0.3)), 1.7079161579858146},
      {"cubic_tail", 2, 2, 0, 3.0, KES_INTEGRAND(1.0 / (1.0 + x * x * x)), 0.11919784592768469},
      {"log_sqrt", 3, 0, 1, 0.3, KES_INTEGRAND(-std::log(x) / std::sqrt(x)), 4},
      {"gamma_mode2_a", 2, 1, 0, 3.0, f_gamma3_shift, 1},
      {"beta23", 3, 0, 1, 0.4, f_beta23, 1},
  };
  for (const auto& c : cases) {
    zhrdy_rec r = make(c.mode, c.a, c.b, c.c, 1.0, 1e-14, c.f);
    r.level_limit = 14;
    double res = 0.0;
    ASSERT_EQ(zhrdys(&r, &res), 0) << c.name;
    EXPECT_LE(error_of({res, c.want, 0}), 5e-14) << c.name << " got " << res;
  }
}

TEST(Zhrdys, CentreTransformations) {
  // Mode 2: the centre at or below a makes the initial step the transformed centre, above a
  // it becomes c - a.  Mode 3: (c - a)/(b - c), or 1 (the midpoint of (a, b)) when the
  // centre is at b or below a.
  struct Case { int mode; double c, h, centre; } cases[] = {
      {2, 0.5, 0.75, 0.75}, {2, 1.0, 0.6, 0.6}, {2, 4.0, 1.0, 3.0},
      {3, 1.0, 1.0, 1.0},   {3, -0.5, 1.0, 1.0}, {3, 0.2, 1.0, 0.25}};
  for (const Case& c : cases) {
    zhrdy_rec r = c.mode == 2 ? make(2, 1.0, 0, c.c, c.h, 1e-12, f_gamma3_shift)
                              : make(3, 0.0, 1.0, c.c, c.h, 1e-12, f_beta23);
    double res = 0.0;
    ASSERT_EQ(zhrdys(&r, &res), 0) << c.mode << " " << c.c;
    EXPECT_DOUBLE_EQ(r.centre, c.centre) << c.mode << " " << c.c;
    EXPECT_NEAR(res, 1.0, 1e-13) << c.mode << " " << c.c;
    if (c.mode == 3 && c.c == 1.0) {
      EXPECT_EQ(r.width, 1.0);
    }
  }
}

TEST(Zhrdys, FailuresLeaveTheResultAlone) {
  // Status 1 and the result untouched: a centre where the integrand vanishes (no side is
  // run), test kind 2 (never converges: fails when the level passes the limit, the last
  // estimate kept), a level limit of 0, a failing integrand, a sum passing
  // 1.3407807929943e154 (error 1), a NaN at the midpoints of the first level.
  struct Case { const char* what; zhrdy_fn f; int test_kind, level_limit, level, error; } cases[] = {
      {"vanishing centre", KES_INTEGRAND(x * x * std::exp(-x * x)), 1, 12, 0, 0},
      {"test kind 2", f_normal, 2, 5, 6, 0},
      {"level limit 0", f_normal, 1, 0, 1, 0},
      {"integrand fails", [](double, void*, double* v) { return *v = 1.0, 7; }, 1, 12, -1, 0},
      {"overflow", KES_INTEGRAND(1e154), 1, 12, -1, 1},
      {"NaN off the grid", KES_INTEGRAND(x == std::floor(x) ? std::exp(-x * x) : NAN), 1, 12, -1, 0},
  };
  for (const Case& c : cases) {
    zhrdy_rec r = make(1, 0, 0, 0.0, 1.0, 1e-8, c.f);
    r.test_kind = c.test_kind;
    r.level_limit = c.level_limit;
    double res = 123.0;
    EXPECT_EQ(zhrdys(&r, &res), 1) << c.what;
    EXPECT_EQ(res, 123.0) << c.what;
    EXPECT_EQ(r.error, c.error) << c.what;
    if (c.level >= 0) {
      EXPECT_EQ(r.level, c.level) << c.what;
    }
    if (c.level == 0) {
      EXPECT_TRUE(r.left_count == 10000 && r.right_count == 10000);
    }
    if (c.level == 6) {
      EXPECT_NEAR(r.integral, 1.0, 1e-15);
    }
  }
}

TEST(Zhrdys, PointLimitStopsTheHalving) {
  zhrdy_rec r = make(1, 0, 0, 0.0, 1.0, 1e-8, f_normal);
  r.test_kind = 2;
  r.level_limit = 1000;
  zhrdy_rec s = r;
  s.point_limit = 500000;  // a larger point limit lets the halving go on longer
  double res = 0.0;
  EXPECT_EQ(zhrdys(&r, &res), 1);
  EXPECT_LT(r.level, 1000);
  EXPECT_GT(std::max(r.left_count, r.right_count), 32767);
  EXPECT_EQ(zhrdys(&s, &res), 1);
  EXPECT_GT(s.level, r.level);
  EXPECT_GT(std::max(s.left_count, s.right_count), 500000);
}

TEST(Zhrdys, NaNInTheLogConvergenceTestIsAFailure) {
  // -inf - -inf in the convergence test (log mode, an estimate of exactly 0): the
  // comparison with a NaN used to count as convergence and returned 0 with an integral
  // of 0; it is a failure, with either test kind.
  zhrdy_rec c = make(1, 0, 0, 0.0, 1.0, 1e-8, f_cancel);
  c.level_limit = 10;
  c.log_mode = 1;
  c.radix = M_E;
  c.context = &c;
  double res = 5.0;
  EXPECT_EQ(zhrdys(&c, &res), 1);
  EXPECT_EQ(res, 5.0);
  EXPECT_EQ(c.level, 2);  // L = -inf at levels 1 and 2: the test at level 2 meets the NaN
  EXPECT_EQ(c.integral, 0.0);
  c.test_kind = 0;
  c.sum_exp = c.value_exp = 0;
  EXPECT_EQ(zhrdys(&c, &res), 1);
  EXPECT_EQ(res, 5.0);
}

TEST(Zhrdys, LogModeCarriesTheExponent) {
  // ln Gamma(a) by mpmath loggamma (ref/zhrdy_ref.py).
  const struct { double a, lg; } lgs[] = {{1000, 5905.2204232091808}, {5000.5, 37586.884887281056},
                                          {20000, 178065.71824964616}};
  for (const auto& t : lgs) {
    zhrdy_rec r = make(2, 0.0, 0, t.a - 1.0, 0.25, 1e-14, f_log_gamma);
    LogCtx ctx{&r, t.a};
    r.context = &ctx;
    r.level_limit = 20;
    r.log_mode = 1;
    r.radix = M_E;
    r.sum_exp = r.value_exp = -2147483647;
    double res = 0.0;
    ASSERT_EQ(zhrdys(&r, &res), 0) << t.a;
    EXPECT_EQ(r.sum_exp, r.value_exp);
    EXPECT_GT(r.sum_exp, 5000);  // the peak lies near e^5900 or beyond
    EXPECT_NEAR(std::log(res) + r.sum_exp, t.lg, 2e-15 * t.lg) << t.a;
    EXPECT_DOUBLE_EQ(r.log_radix, 1.0);
    EXPECT_DOUBLE_EQ(r.inv_log_radix, 1.0);
  }
}

TEST(Zhrdys, EndPointCollision) {
  // x = a + w rounds to a once w is below half an ulp of a (8 at 1e17): the left side
  // reaches such points while the integrand is still far from negligible.
  double a = 1e17;
  const zhrdy_fn shifted = [](double x, void* ctx, double* v) {
    return *v = std::exp(-(x - *static_cast<double*>(ctx))), 0;
  };
  zhrdy_rec r = make(2, a, 0, a + 64.0, 1.0, 1e-12, shifted, &a);
  zhrdy_rec s = r;
  r.collision_status = 3;
  double res = 9.0;
  EXPECT_EQ(zhrdys(&r, &res), 1);  // the collision status makes it a failure (status 1)
  EXPECT_EQ(res, 9.0);
  EXPECT_EQ(r.level, 0);  // it stopped in the first pass
  EXPECT_EQ(r.collision_flag, 1);
  EXPECT_EQ(r.collision_abscissa, a);
  EXPECT_NE(r.collision_value, 0.0);
  // With collision status 0 the collision is tolerated: the side ends there and the
  // halving goes on (here without converging, since the part of the integral below the
  // collision point is lost, so the run ends at the level limit).
  EXPECT_EQ(zhrdys(&s, &res), 1);
  EXPECT_EQ(s.collision_flag, 1);
  EXPECT_EQ(s.level, s.level_limit + 1);
  // An unknown mode: every point is a collision, so the centre vanishes: failure.
  zhrdy_rec u = make(4, 0, 1, 0.5, 1.0, 1e-12, f_beta23);
  EXPECT_EQ(zhrdys(&u, &res), 1);
  EXPECT_EQ(u.collision_flag, 1);
}
