// zhrdyv_test.cpp - zhrdyv, the vector integrator: moments of densities with known
// integrals on the line, a half line and an interval, log mode, and every status code.
// The references are closed forms: normal moments mu, mu^2 + s^2, mu^3 + 3 mu s^2;
// gamma moments Gamma(k + m)/Gamma(k); beta moments prod (a + i)/(a + b + i);
// ln Gamma(1000) = 5905.2204232091808 (mpmath, as in zhrdy_test.cpp).
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "numeric/zhrdyv.h"
#include "numeric/zlgamma.h"

namespace {
constexpr double kPi = 3.141592653589793;

struct Ctx {
  int family = 0;  // 0 normal, 1 gamma, 2 beta, 3 log-mode gamma kernel, 4 test hooks
  double p1 = 0, p2 = 0;
  int calls = 0;
  int fail_code = 0;  // family 4: error code written outside the first pass
  int fail_side = 0;  // family 4: -1 fail left of -2, +1 right of 2
  bool nan_value = false;
  double scale = 1.0;
};

struct VRun {
  zhrdy_rec rec;
  zhrdyv_req req;
  std::vector<double> work;
  Ctx ctx;
  int status = -1;
};

// Moments 0..n-1 of the density chosen by the context.
int integrand(double x, double /*weight*/, double* v, zhrdyv_req* q) {
  Ctx* c = static_cast<Ctx*>(q->rec->context);
  c->calls += 1;
  double d = 0.0;
  switch (c->family) {
    case 0: {
      const double z = (x - c->p1) / c->p2;
      d = std::exp(-0.5 * z * z) / (c->p2 * std::sqrt(2 * kPi));
      break;
    }
    case 1:
      d = std::exp((c->p1 - 1) * std::log(x) - x - zlgamma(c->p1));
      break;
    case 2:
      d = std::exp((c->p1 - 1) * std::log(x) + (c->p2 - 1) * std::log1p(-x) - zlbeta(c->p1, c->p2));
      break;
    case 3: {  // x^(a-1) e^-x as mantissa and exponent
      const double L = (c->p1 - 1) * std::log(x) - x;
      if (L > q->rec->value_exp) q->rec->value_exp = static_cast<std::int32_t>(L);
      d = std::exp(L - q->rec->value_exp);
      break;
    }
    default:
      d = std::exp(-0.5 * x * x);
      if (c->nan_value && std::fabs(x) > 2.0 && (c->fail_side == 0 || q->first_pass == 0)) d = NAN;
      if (c->fail_code != 0 && q->first_pass == 0 && c->fail_side * x > 2.0) {
        q->rec->error = c->fail_code;
        return 1;
      }
      break;
  }
  double m = c->scale * d;
  for (int i = 0; i < q->n; ++i) {
    v[i] = m;
    m *= x;
  }
  return 0;
}

void vrun(VRun& r, int n, int mode, double lower, double upper, double centre, double eps) {
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
  r.status = zhrdyv(&r.req);
}
}  // namespace

TEST(Zhrdyv, MomentsOfKnownDensities) {
  struct Case {
    const char* name;
    int family, mode;
    double p1, p2, lower, upper, centre;
    double m[4];
  };
  const double mu = 0.5, s = 1.3, k = 3.5, a = 2.5, b = 4.0;
  const Case cases[] = {
      {"normal", 0, 1, mu, s, 0, 0, mu, {1, mu, mu * mu + s * s, mu * mu * mu + 3 * mu * s * s}},
      {"gamma", 1, 2, k, 0, 0, 0, k, {1, k, k * (k + 1), k * (k + 1) * (k + 2)}},
      {"beta", 2, 3, a, b, 0, 1, 0.4,
       {1, a / (a + b), a * (a + 1) / ((a + b) * (a + b + 1)),
        a * (a + 1) * (a + 2) / ((a + b) * (a + b + 1) * (a + b + 2))}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    VRun r;
    r.ctx.family = c.family;
    r.ctx.p1 = c.p1;
    r.ctx.p2 = c.p2;
    vrun(r, 4, c.mode, c.lower, c.upper, c.centre, 1e-14);
    ASSERT_EQ(r.status, 0);
    EXPECT_EQ(r.rec.error, 0);
    EXPECT_EQ(r.req.first_pass, 0);
    EXPECT_EQ(r.req.estimate, r.work.data());
    const double top = std::fmax(c.m[0], c.m[3]);
    for (int i = 0; i < 4; ++i) EXPECT_NEAR(r.req.estimate[i], c.m[i], 1e-15 * top) << "moment " << i;
  }
}

TEST(Zhrdyv, LogModeCarriesTheExponent) {
  VRun r;
  r.ctx.family = 4;
  vrun(r, 1, 2, 0, 0, 999.0, 1e-14);  // set-up only; the log-mode run follows
  r.ctx.family = 3;
  r.ctx.p1 = 1000.0;
  r.rec.centre = 999.0;
  r.rec.initial_step = 0.05;
  r.rec.log_mode = 1;
  r.rec.sum_exp = r.rec.value_exp = -2147483647;
  ASSERT_EQ(zhrdyv(&r.req), 0);
  const double lg = std::log(r.req.estimate[0]) + r.rec.sum_exp;
  EXPECT_NEAR(lg, 5905.2204232091808, 5905.2204232091808 * 4e-16);
}

TEST(Zhrdyv, StatusCodes) {
  {  // no integrand: nothing touched
    VRun r;
    std::memset(&r.rec, 0, sizeof r.rec);
    std::memset(&r.req, 0, sizeof r.req);
    r.rec.error = 55;
    r.req.rec = &r.rec;
    EXPECT_EQ(zhrdyv(&r.req), 100000);
    EXPECT_EQ(r.rec.error, 55);
  }
  {  // all integrands vanish at the centre
    VRun r;
    r.ctx.family = 4;
    r.ctx.scale = 0.0;
    vrun(r, 3, 1, 0, 0, 0, 1e-10);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.rec.error, 1);
  }
  {  // an unknown mode stops the first pass (code 8) without calling the integrand
    VRun r;
    r.ctx.family = 4;
    vrun(r, 2, 4, 0, 0, 0, 1e-10);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.rec.error, 1);
    EXPECT_EQ(r.ctx.calls, 0);
  }
  {  // a sum component above 1.3407807929943e154 in the first pass (code 5): status 1
    VRun r;
    r.ctx.family = 4;
    r.ctx.scale = 1e154;
    vrun(r, 2, 1, 0, 0, 0, 1e-10);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.rec.error, 1);
  }
  {  // level limit 0: the first pass succeeds, the first level exceeds the limit
    VRun r;
    r.ctx.family = 4;
    vrun(r, 2, 1, 0, 0, 0, 1e-10);
    ASSERT_EQ(r.status, 0);
    r.rec.level_limit = 0;
    EXPECT_EQ(zhrdyv(&r.req), 4);
    EXPECT_EQ(r.rec.error, 4);
    EXPECT_EQ(r.rec.level, 0);
  }
  for (int side : {-1, 1}) {  // a side of a level fails: left 2, right 3
    VRun r;
    r.ctx.family = 4;
    r.ctx.fail_code = 11;
    r.ctx.fail_side = side;
    vrun(r, 1, 1, 0, 0, 0, 1e-10);
    EXPECT_EQ(r.status, side < 0 ? 2 : 3);
    EXPECT_EQ(r.rec.error, side < 0 ? 2 : 3);
  }
  {  // a NaN value is a failure, never convergence: in the first pass 1, in a level 2
    VRun r;
    r.ctx.family = 4;
    r.ctx.nan_value = true;
    vrun(r, 2, 1, 0, 0, 0, 1e-10);
    EXPECT_EQ(r.status, 1);
    VRun l;
    l.ctx.family = 4;
    l.ctx.nan_value = true;
    l.ctx.fail_side = -1;  // NaNs only after the first pass
    vrun(l, 2, 1, 0, 0, 0, 1e-10);
    EXPECT_EQ(l.status, 2);
  }
  {  // slow decay: the first pass uses its 10001 points, the levels exceed 32767 (6)
    struct Cauchy {
      static int f(double x, double, double* v, zhrdyv_req*) {
        v[0] = 1.0 / (1.0 + x * x);
        return 0;
      }
    };
    VRun q;
    q.ctx.family = 4;
    vrun(q, 1, 1, 0, 0, 0, 1e-14);
    q.req.integrand = Cauchy::f;
    EXPECT_EQ(zhrdyv(&q.req), 6);
    EXPECT_EQ(q.rec.error, 6);
    EXPECT_GT(q.rec.left_count, 32767);
  }
}

TEST(Zhrdyv, TestKindZeroIsAbsolute) {
  VRun rel, abs;
  for (VRun* r : {&rel, &abs}) {
    r->ctx.family = 0;
    r->ctx.p1 = 0.0;
    r->ctx.p2 = 1.0;
    r->ctx.scale = 1e6;
  }
  vrun(rel, 2, 1, 0, 0, 0, 1e-8);
  ASSERT_EQ(rel.status, 0);
  vrun(abs, 2, 1, 0, 0, 0, 1e-8);
  abs.rec.test_kind = 0;
  ASSERT_EQ(zhrdyv(&abs.req), 0);
  EXPECT_GT(abs.rec.level, rel.rec.level);
  EXPECT_NEAR(abs.req.estimate[0], 1e6, 1e-6);
}

TEST(Zhrdyv, EndPointCollisionIsTolerated) {
  struct Root {
    static int f(double x, double, double* v, zhrdyv_req*) {
      v[0] = 1.0 / std::sqrt(x - 1.0);
      return 0;
    }
  };
  VRun r;
  vrun(r, 1, 3, 1.0, 2.0, 1.5, 1e-14);
  r.req.integrand = Root::f;
  ASSERT_EQ(zhrdyv(&r.req), 0);
  EXPECT_EQ(r.rec.error, 7);
  EXPECT_NEAR(r.req.estimate[0], 2.0, 1e-6);
}
