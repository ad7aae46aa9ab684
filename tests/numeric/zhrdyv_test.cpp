// zhrdyv_test.cpp - zhrdyv, the vector integrator: moments of densities with known
// integrals on the line, a half line and an interval (all four at once, max-norm
// test), log mode, and every status code.  The references are closed forms: normal
// moments mu, mu^2 + s^2, mu^3 + 3 mu s^2; gamma moments Gamma(k + m)/Gamma(k); beta
// moments prod (a + i)/(a + b + i); ln Gamma(1000) = 5905.2204232091808 (mpmath, as in
// zhrdy_test.cpp).
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "numeric/zhrdyv.h"
#include "numeric/zlgamma.h"

namespace {
enum Family { kNormal, kGamma, kBeta, kLogGamma, kHook, kCauchy, kRoot };

struct Ctx {
  Family family = kHook;
  double p1 = 0, p2 = 1;
  double scale = 1.0;
  int calls = 0;
  int fail_side = 0;     // kHook: -1 fail left of -2 after the first pass, +1 right of 2
  bool nan_value = false;  // kHook: NaN beyond |x| = 2 (after the first pass with fail_side)
};

struct VRun {
  zhrdy_rec rec;
  zhrdyv_req req;
  std::vector<double> work;
  Ctx ctx;
};

double density(const Ctx& c, double x, zhrdyv_req* q) {
  switch (c.family) {
    case kNormal: {
      const double z = (x - c.p1) / c.p2;
      return std::exp(-0.5 * z * z) / (c.p2 * 2.5066282746310002);
    }
    case kGamma:
      return std::exp((c.p1 - 1) * std::log(x) - x - zlgamma(c.p1));
    case kBeta:
      return std::exp((c.p1 - 1) * std::log(x) + (c.p2 - 1) * std::log1p(-x) - zlbeta(c.p1, c.p2));
    case kLogGamma: {  // x^(a-1) e^-x as mantissa and exponent
      const double L = (c.p1 - 1) * std::log(x) - x;
      if (L > q->rec->value_exp) q->rec->value_exp = static_cast<std::int32_t>(L);
      return std::exp(L - q->rec->value_exp);
    }
    case kCauchy:
      return 1.0 / (1.0 + x * x);
    case kRoot:
      return 1.0 / std::sqrt(x - 1.0);
    default: {
      const bool late = c.fail_side == 0 || q->first_pass == 0;
      if (c.nan_value && std::fabs(x) > 2.0 && late) return NAN;
      if (!c.nan_value && c.fail_side * x > 2.0 && q->first_pass == 0) q->rec->error = 11;
      return std::exp(-0.5 * x * x);
    }
  }
}

// Moments 0..n-1 of the density chosen by the context.
int integrand(double x, double /*weight*/, double* v, zhrdyv_req* q) {
  Ctx* c = static_cast<Ctx*>(q->rec->context);
  c->calls += 1;
  double m = c->scale * density(*c, x, q);
  for (int i = 0; i < q->n; ++i, m *= x) v[i] = m;
  return 0;
}

void setup(VRun& r, int n, int mode, double lower, double upper, double centre, double eps) {
  std::memset(&r.rec, 0, sizeof r.rec);
  std::memset(&r.req, 0, sizeof r.req);
  r.work.assign(6 * n, -7.0);
  r.rec.accuracy = eps;
  r.rec.mode = mode;
  r.rec.lower = lower;
  r.rec.upper = upper;
  r.rec.centre = centre;
  r.rec.initial_step = 1.0;
  r.rec.level_limit = 10;
  r.rec.test_kind = 1;
  r.rec.radix = 2.718281828459045;
  r.rec.context = &r.ctx;
  r.req.rec = &r.rec;
  r.req.n = n;
  r.req.work = r.work.data();
  r.req.integrand = integrand;
}
}  // namespace

TEST(Zhrdyv, MomentsOfKnownDensities) {
  struct Case {
    Family family;
    int mode;
    double p1, p2, lower, upper, centre;
    double m[4];
  };
  const double mu = 0.5, s = 1.3, k = 3.5, a = 2.5, b = 4.0;
  const Case cases[] = {
      {kNormal, 1, mu, s, 0, 0, mu, {1, mu, mu * mu + s * s, mu * mu * mu + 3 * mu * s * s}},
      {kGamma, 2, k, 0, 0, 0, k, {1, k, k * (k + 1), k * (k + 1) * (k + 2)}},
      {kBeta, 3, a, b, 0, 1, 0.4,
       {1, a / (a + b), a * (a + 1) / ((a + b) * (a + b + 1)),
        a * (a + 1) * (a + 2) / ((a + b) * (a + b + 1) * (a + b + 2))}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.family);
    VRun r;
    r.ctx.family = c.family;
    r.ctx.p1 = c.p1;
    r.ctx.p2 = c.p2;
    setup(r, 4, c.mode, c.lower, c.upper, c.centre, 1e-14);
    ASSERT_EQ(zhrdyv(&r.req), 0);
    EXPECT_EQ(r.rec.error, 0);
    EXPECT_EQ(r.req.first_pass, 0);
    EXPECT_EQ(r.req.estimate, r.work.data());
    const double top = std::fmax(c.m[0], c.m[3]);
    for (int i = 0; i < 4; ++i) EXPECT_NEAR(r.req.estimate[i], c.m[i], 1e-15 * top) << "moment " << i;
  }
}

TEST(Zhrdyv, LogModeCarriesTheExponent) {
  VRun r;
  r.ctx.family = kLogGamma;
  r.ctx.p1 = 1000.0;
  setup(r, 1, 2, 0, 0, 999.0, 1e-14);
  r.rec.initial_step = 0.05;
  r.rec.log_mode = 1;
  r.rec.sum_exp = r.rec.value_exp = -2147483647;
  ASSERT_EQ(zhrdyv(&r.req), 0);
  EXPECT_NEAR(std::log(r.req.estimate[0]) + r.rec.sum_exp, 5905.2204232091808, 5905.2204232091808 * 4e-16);
}

TEST(Zhrdyv, StatusCodes) {
  VRun none;
  setup(none, 1, 1, 0, 0, 0, 1e-10);
  none.req.integrand = nullptr;
  none.rec.error = 55;
  EXPECT_EQ(zhrdyv(&none.req), 100000);  // nothing touched
  EXPECT_EQ(none.rec.error, 55);
  EXPECT_EQ(none.req.estimate, nullptr);

  struct Case {
    const char* what;
    Family family;
    int mode;
    double scale, eps;
    int fail_side, level_limit;
    bool nan_value;
    int status;
  };
  const Case cases[] = {
      {"every integrand 0 at the centre", kHook, 1, 0.0, 1e-10, 0, 10, false, 1},
      {"unknown mode (code 8)", kHook, 4, 1.0, 1e-10, 0, 10, false, 1},
      {"first-pass sum above 1.34e154 (code 5)", kHook, 1, 1e154, 1e-10, 0, 10, false, 1},
      {"level limit 0 after a good first pass", kHook, 1, 1.0, 1e-10, 0, 0, false, 4},
      {"integrand failure on the left of a level", kHook, 1, 1.0, 1e-10, -1, 10, false, 2},
      {"integrand failure on the right of a level", kHook, 1, 1.0, 1e-10, 1, 10, false, 3},
      {"NaN value in the first pass", kHook, 1, 1.0, 1e-10, 0, 10, true, 1},
      {"NaN value in a level (left side)", kHook, 1, 1.0, 1e-10, -1, 10, true, 2},
      {"slow decay: more than 32767 points", kCauchy, 1, 1.0, 1e-14, 0, 10, false, 6},
  };
  for (const auto& c : cases) {
    VRun r;
    r.ctx.family = c.family;
    r.ctx.scale = c.scale;
    r.ctx.fail_side = c.fail_side;
    r.ctx.nan_value = c.nan_value;
    setup(r, 2, c.mode, 0, 0, 0, c.eps);
    r.rec.level_limit = c.level_limit;
    EXPECT_EQ(zhrdyv(&r.req), c.status) << c.what;
    EXPECT_EQ(r.rec.error, c.status) << c.what;
    if (c.mode == 4) {
      EXPECT_EQ(r.ctx.calls, 0);
    }
    if (c.status == 4) {
      EXPECT_EQ(r.rec.level, 0);
    }
    if (c.status == 6) {
      EXPECT_GT(r.rec.left_count, 32767);
    }
  }
}

TEST(Zhrdyv, TestKindZeroIsAbsolute) {
  VRun rel, abs;
  for (VRun* r : {&rel, &abs}) {
    r->ctx.family = kNormal;
    r->ctx.scale = 1e6;
    setup(*r, 2, 1, 0, 0, 0, 1e-8);
  }
  abs.rec.test_kind = 0;
  ASSERT_EQ(zhrdyv(&rel.req), 0);
  ASSERT_EQ(zhrdyv(&abs.req), 0);
  EXPECT_GT(abs.rec.level, rel.rec.level);
  EXPECT_NEAR(abs.req.estimate[0], 1e6, 1e-6);
}

TEST(Zhrdyv, EndPointCollisionIsTolerated) {
  VRun r;  // (x - 1)^(-1/2) on (1, 2): points near 1 round onto the end point
  r.ctx.family = kRoot;
  setup(r, 1, 3, 1.0, 2.0, 1.5, 1e-14);
  ASSERT_EQ(zhrdyv(&r.req), 0);
  EXPECT_EQ(r.rec.error, 7);
  EXPECT_NEAR(r.req.estimate[0], 2.0, 1e-6);
}
