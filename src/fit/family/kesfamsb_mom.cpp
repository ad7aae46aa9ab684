// zjsdsb: the Johnson SB shapes whose law has a given skewness and kurtosis, by
// Newton steps on moments integrated over the standard normal variable.
#include <cmath>

#include "fit/zfit_johnson.h"
#include "numeric/zhrdyv.h"
#include "numeric/zmissing.h"

namespace {
constexpr int kTerms = 12;  // y^k, y^k (1 - y), y^k (1 - y) w for k = 1..4

struct shape_args {
  double gamma, delta;
};

// phi(z) times the powers of y = 1/(1 + e^w), w = (gamma - z)/delta, and the factors
// their derivatives in gamma and delta bring.
int fun(double z, double, double* out, zhrdyv_req* q) {
  const shape_args* a = static_cast<const shape_args*>(q->rec->context);
  const double w = (a->gamma - z) / a->delta;
  if (w > 0.5 * ZEXP_OVER) {
    q->rec->error = ZHV_FIRST_PASS;
    return 1;
  }
  const double y = 1.0 / (1.0 + std::exp(w)), phi = ZRSQRT_2PI * std::exp(-z * z / 2.0);
  double yk = phi;
  for (int k = 0; k < 4; ++k) {
    yk *= y;
    out[k] = yk;
    out[4 + k] = yk * (1.0 - y);
    out[8 + k] = yk * (1.0 - y) * w;
  }
  return 0;
}

// 2x2 Newton step: solves [a b; c d] x = (e, f); false when singular.
bool solve2(double a, double b, double c, double d, double e, double f, double* x0, double* x1) {
  const double det = a * d - b * c;
  if (!(std::fabs(det) > 0.0) || !std::isfinite(det)) return false;
  *x0 = (e * d - b * f) / det;
  *x1 = (a * f - e * c) / det;
  return std::isfinite(*x0) && std::isfinite(*x1);
}

// gamma at delta where the skewness matches; f = kurtosis error along that curve and
// its derivative in delta. 0, or 1 when the steps fail.
int zsb_gam(double* gamma, double delta, double skewness, double beta2, double* f, double* fp) {
  for (int it = 1; it <= 30; ++it) {
    zsb_shape s;
    if (zsbalbt(*gamma, delta, &s) != 0 || !(std::fabs(s.ds[0]) > 0.0)) return 1;
    const double step = (s.skew - skewness) / s.ds[0];
    *f = s.beta2 - beta2;
    *fp = s.dk[1] - s.dk[0] * s.ds[1] / s.ds[0];
    *gamma -= step;
    if (!std::isfinite(*gamma)) return 1;
    // A solve that uses its whole budget has not converged.
    if (std::fabs(step) <= 0.001) return it < 30 ? 0 : 1;
  }
  return 1;
}

// Joint Newton refinement of (gamma, delta) on skewness and kurtosis.
int zsbnwtn(double* gamma, double* delta, double skewness, double beta2) {
  for (int it = 1; it <= 40; ++it) {
    zsb_shape s;
    double dg = 0.0, dd = 0.0;
    if (zsbalbt(*gamma, *delta, &s) != 0 ||
        !solve2(s.ds[0], s.ds[1], s.dk[0], s.dk[1], s.skew - skewness, s.beta2 - beta2, &dg, &dd))
      return 1;
    *gamma -= dg;
    *delta -= dd;
    if (!(*delta > 0.0)) return 1;
    if (std::fabs(dg) + std::fabs(dd) <= 1e-5 * (std::fabs(*gamma) + std::fabs(*delta))) return it < 40 ? 0 : 1;
  }
  return 1;
}
}  // namespace

int zsbalbt(double gamma, double delta, zsb_shape* out) {
  shape_args a{gamma, delta};
  zhrdy_rec rec{};
  double work[6 * kTerms];
  zhrdyv_req q{};
  rec.accuracy = 1e-12;
  rec.mode = 1;
  rec.initial_step = 1.0;
  rec.level_limit = 10;
  rec.test_kind = 1;
  rec.radix = 2.718281828459045;
  rec.context = &a;
  q.rec = &rec;
  q.n = kTerms;
  q.work = work;
  q.integrand = fun;
  if (zhrdyv(&q) != 0) return 1;
  const double* e = q.estimate;
  // Raw moments and their derivatives: d/dgamma y^k = -k y^k (1 - y)/delta,
  // d/ddelta y^k = k y^k (1 - y) w/delta.
  double m[4], dm[2][4];
  for (int k = 0; k < 4; ++k) {
    m[k] = e[k];
    dm[0][k] = -(k + 1) * e[4 + k] / delta;
    dm[1][k] = (k + 1) * e[8 + k] / delta;
  }
  const double m1 = m[0], m2 = m[1], m3 = m[2], m4 = m[3];
  const double var = m2 - m1 * m1;
  const double mu3 = m3 - 3.0 * m1 * m2 + 2.0 * m1 * m1 * m1;
  const double mu4 = m4 - 4.0 * m1 * m3 + 6.0 * m1 * m1 * m2 - 3.0 * m1 * m1 * m1 * m1;
  if (!(var > 0.0)) return 1;
  out->mean = m1;
  out->var = var;
  out->skew = mu3 / std::pow(var, 1.5);
  out->beta2 = mu4 / (var * var);
  for (int i = 0; i < 2; ++i) {
    const double d1 = dm[i][0], d2 = dm[i][1], d3 = dm[i][2], d4 = dm[i][3];
    const double dvar = d2 - 2.0 * m1 * d1;
    const double dmu3 = d3 - 3.0 * (d1 * m2 + m1 * d2) + 6.0 * m1 * m1 * d1;
    const double dmu4 = d4 - 4.0 * (d1 * m3 + m1 * d3) + 6.0 * (2.0 * m1 * d1 * m2 + m1 * m1 * d2) -
                        12.0 * m1 * m1 * m1 * d1;
    out->ds[i] = dmu3 / std::pow(var, 1.5) - 1.5 * mu3 * dvar / std::pow(var, 2.5);
    out->dk[i] = dmu4 / (var * var) - 2.0 * mu4 * dvar / (var * var * var);
  }
  return 0;
}

int zjsdsb(double* gamma, double* delta, double skewness, double beta2, double* m, double* v) {
  const double b1 = skewness * skewness, l = std::log(beta2);
  // Rational starting values in beta1 and log beta2 (or beta2).
  double d = (-0.0045668130664852 - 0.84014128346851 * b1 + 0.68258796086285 * l - 0.018194783766901 * b1 * b1 +
              0.35326979454681 * b1 * l + 0.094023955253279 * l * l) /
             (1.0 + 0.40710317656795 * b1 - 0.6591121728696 * l);
  double g = (-0.18973245067119 - 0.50302041523216 * b1 + 0.092822326841159 * beta2 + 0.030484301382646 * b1 * b1 -
              0.030124823238669 * b1 * beta2 - 0.0086634465819086 * beta2 * beta2 -
              0.00083384557586087 * b1 * b1 * b1) /
             (1.0 + 0.64464641054753 * b1 - 0.34588196307147 * beta2 + 0.011031818249286 * b1 * beta2);
  if (!(d > 0.0) || !std::isfinite(g)) return 1;
  int it = 1;
  for (; it <= 30; ++it) {
    double f = 0.0, fp = 0.0;
    if (zsb_gam(&g, d, skewness, beta2, &f, &fp) != 0 || !(std::fabs(fp) > 0.0)) return 1;
    const double step = f / fp;
    d -= step;
    if (!(d > 0.0) || !std::isfinite(d)) return 1;
    if (std::fabs(step) <= 0.01 * std::fabs(d)) break;
  }
  if (zsbnwtn(&g, &d, skewness, beta2) != 0 || it >= 30) return 1;
  zsb_shape s;
  if (zsbalbt(g, d, &s) != 0) return 1;
  *gamma = g;
  *delta = d;
  *m = s.mean;
  *v = s.var;
  return 0;
}
