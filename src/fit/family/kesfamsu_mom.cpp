// zjsdsu: the Johnson SU shapes whose law has a given skewness and kurtosis, in the
// variables omega = exp(1/delta^2) and Omega = gamma/delta.
#include <cmath>

#include "fit/zfit_johnson.h"
#include "numeric/zmissing.h"

namespace {

// Skewness and beta2 of the SU law at (omega, Omega) with their derivatives in Omega
// (index 0) and omega (index 1). false for |Omega| above a tenth of the exponent
// limit or omega below 1.
struct su_shape {
  double skew, beta2;
  double ds[2], dk[2];
};
bool albeta(double om, double bo, bool derivs, su_shape* out) {
  if (std::fabs(bo) > 0.1 * ZEXP_OVER || om < 1.0) return false;
  const zsu_moments m = zsu_moms(om, bo);
  out->skew = m.skew;
  out->beta2 = m.kurt + 3.0;
  if (!derivs) return true;
  const double c2 = std::cosh(2.0 * bo), s2 = std::sinh(2.0 * bo), c4 = std::cosh(4.0 * bo), s4 = std::sinh(4.0 * bo);
  const double o2 = om * om, d = om * c2 + 1.0;
  // skew = -A B D^-3/2 with A = sqrt(om (om - 1)/2), B = om (om + 2) sinh 3W + 3 sinh W.
  const double A = std::sqrt(om * (om - 1.0) / 2.0);
  const double B = om * (om + 2.0) * std::sinh(3.0 * bo) + 3.0 * std::sinh(bo);
  const double BW = 3.0 * om * (om + 2.0) * std::cosh(3.0 * bo) + 3.0 * std::cosh(bo);
  const double Bo = (2.0 * om + 2.0) * std::sinh(3.0 * bo);
  const double Ao = A > 0.0 ? (2.0 * om - 1.0) / (4.0 * A) : 0.0;
  const double d15 = std::pow(d, -1.5), d25 = std::pow(d, -2.5);
  out->ds[0] = -A * (BW * d15 - 1.5 * B * d25 * 2.0 * om * s2);
  out->ds[1] = -(Ao * B * d15 + A * Bo * d15 - 1.5 * A * B * d25 * c2);
  // beta2 = N / (2 D^2).
  const double p6 = o2 * (o2 * o2 + 2.0 * o2 * om + 3.0 * o2 - 3.0);
  const double N = p6 * c4 + 4.0 * o2 * (om + 2.0) * c2 + 3.0 * (2.0 * om + 1.0);
  const double NW = 4.0 * p6 * s4 + 8.0 * o2 * (om + 2.0) * s2;
  const double No = (6.0 * o2 * o2 * om + 10.0 * o2 * o2 + 12.0 * o2 * om - 6.0 * om) * c4 + (12.0 * o2 + 16.0 * om) * c2 + 6.0;
  out->dk[0] = NW / (2.0 * d * d) - N * 2.0 * om * s2 / (d * d * d);
  out->dk[1] = No / (2.0 * d * d) - N * c2 / (d * d * d);
  return true;
}

// The Omega at which the SU beta2 at omega equals beta2, its sign opposite to the
// skewness: false when there is none.
bool compom(double om, double beta2, double skewness, double* bo) {
  const double c = beta2 + 3.0, e = om * om + 2.0 * om + 3.0, o1 = om * om - 1.0;
  const double disc = 16.0 * o1 * o1 * e * e - 8.0 * (c - om * om * e) * o1 * o1 * e;
  if (disc < 0.0) return false;
  const double r = -(4.0 * o1 * e + std::sqrt(disc)) / (4.0 * (c - om * om * e)) - 1.0 - om;
  if (!(r >= -ZSQRT_EPS53)) return false;
  const double w = std::asinh(std::sqrt(std::fmax(r, 0.0) / (2.0 * om)));
  *bo = skewness > 0.0 ? -w : w;
  return true;
}

// The lognormal line's test and the starting omega: false when (beta1, beta2) lies on
// or beyond the line (no SU law).
bool can_we_solv(double b1, double beta2, double* om) {
  const double P = 2.0 * beta2 + 7.0, Q = (4.0 / 3.0) * beta2 + 3.0;
  const double S = std::sqrt(Q * Q * Q + P * P);
  const double X = std::cbrt(P + S) - std::cbrt(S - P) + 1.0;
  const double T = X * X / 4.0 + beta2 + 3.0;
  const double R = 1.0 - std::sqrt(X - 2.0), V = X / 2.0 - std::sqrt(T), D = R * R - 4.0 * V;
  if (!(D >= 0.0)) return false;
  const double wl = (std::sqrt(D) - R) / 2.0;
  if ((wl - 1.0) * (wl + 2.0) * (wl + 2.0) < b1 + 1e-7) return false;
  static constexpr double a[10] = {1.333848465690817,     -0.5455870858760243,  0.4120727348534858,
                                   0.04557065299738849,   -0.0721960331314445,  0.02459166955114775,
                                   -0.0003989549653042761, 0.001018227677593445, -0.0008686256219859072,
                                   0.000200077188669782};
  static constexpr double b[10] = {1.0,
                                   -0.3621879838877379,
                                   0.2677096382861022,
                                   0.02215014552020006,
                                   -0.03727562379795881,
                                   0.01266073347716621,
                                   -9.985226235607947e-05,
                                   0.0002517660829639101,
                                   -0.0002555913695361249,
                                   6.26609747909328e-05};
  const double k = beta2 - 3.0;
  const double t[10] = {1.0, b1, k, b1 * b1, b1 * k, k * k, b1 * b1 * b1, b1 * b1 * k, b1 * k * k, k * k * k};
  double A = 0.0, B = 0.0;
  for (int i = 0; i < 10; ++i) {
    A += a[i] * t[i];
    B += b[i] * t[i];
  }
  *om = std::sqrt(std::sqrt(2.0 * beta2 - 2.0 - 2.0 * b1 * A / B) - 1.0);
  return std::isfinite(*om);
}

// Starting Omega (and a refined omega) by alternating the kurtosis and skewness relations.
void iguess(double b1, double beta2, double skewness, double* om, double* bo) {
  *bo = 0.0;
  for (int pass = 1; pass <= 70; ++pass) {
    double w = 0.0;
    if (!compom(*om, beta2, skewness, &w)) {
      if (pass == 1) *bo = 0.01;
      return;
    }
    *bo = w;
    if (w == 0.0) return;
    su_shape s;
    if (!albeta(*om, w, false, &s)) return;
    if (s.skew * s.skew < 1.491668147e-154) {
      *bo = 0.0;
      return;
    }
    const double h = (beta2 - (*om * *om * *om * *om + 2.0 * *om * *om + 3.0) / 2.0) / (s.skew * s.skew);
    const double z = 2.0 * (beta2 - h * b1 - 1.0);
    if (z < 4.0) return;
    const double next = std::sqrt(std::sqrt(z) - 1.0);
    const double change = std::fabs(next - *om);
    *om = next;
    if (change < ZSQRT_EPS53) return;
  }
}

// Newton steps on Omega at fixed omega until the skewness matches.
bool find_om(double om, double skewness, double* bo) {
  for (int it = 1; it <= 30; ++it) {
    su_shape s;
    if (!albeta(om, *bo, true, &s) || !(std::fabs(s.ds[0]) > 0.0)) return false;
    const double step = (s.skew - skewness) / s.ds[0];
    *bo -= step;
    // A solve that uses its whole budget has not converged.
    if (std::fabs(step) <= 0.001) return it < 30;
  }
  return false;
}
}  // namespace

zsu_moments zsu_moms(double omega, double big_omega) {
  const double c2 = std::cosh(2.0 * big_omega), d = omega * c2 + 1.0;
  const double o2 = omega * omega;
  zsu_moments r;
  r.mean = -std::sqrt(omega) * std::sinh(big_omega);
  r.var = (omega - 1.0) * d / 2.0;
  r.skew = -std::sqrt(omega * (omega - 1.0) / 2.0) *
           (omega * (omega + 2.0) * std::sinh(3.0 * big_omega) + 3.0 * std::sinh(big_omega)) / std::pow(d, 1.5);
  r.kurt = (o2 * (o2 * o2 + 2.0 * o2 * omega + 3.0 * o2 - 3.0) * std::cosh(4.0 * big_omega) +
            4.0 * o2 * (omega + 2.0) * c2 + 3.0 * (2.0 * omega + 1.0)) /
               (2.0 * d * d) -
           3.0;
  return r;
}

int zjsdsu(double* gamma, double* delta, double skewness, double beta2, double* m, double* v) {
  if (std::fabs(beta2) > 1e5 || std::fabs(skewness) > 1000.0) return 1;
  const double b1 = skewness * skewness;
  double om = 0.0, bo = 0.0;
  if (!can_we_solv(b1, beta2, &om)) return 2;
  iguess(b1, beta2, skewness, &om, &bo);
  if (!find_om(om, skewness, &bo)) return 1;
  bool done = false;
  for (int pass = 1; pass <= 50 && !done; ++pass) {
    find_om(om, skewness, &bo);
    su_shape s;
    if (!albeta(om, bo, true, &s)) return 1;
    const double e1 = s.skew - skewness, e2 = s.beta2 - beta2;
    const double det = s.ds[0] * s.dk[1] - s.ds[1] * s.dk[0];
    if (!(std::fabs(det) > 0.0)) return 1;
    const double dbo = (e1 * s.dk[1] - s.ds[1] * e2) / det;
    const double dom = (s.ds[0] * e2 - e1 * s.dk[0]) / det;
    bo -= dbo;
    om -= dom;
    if (!std::isfinite(om) || !std::isfinite(bo)) return 1;
    // The 50th pass ends as a failure even when its step is small.
    if (std::fabs(dom) <= 1e-8 * std::fabs(om)) {
      if (pass == 50) return 1;
      done = true;
    }
  }
  if (!done || !(om > 1.0)) return 1;
  *delta = std::sqrt(1.0 / std::log(om));
  *gamma = bo * *delta;
  const zsu_moments r = zsu_moms(om, bo);
  *m = r.mean;
  *v = r.var;
  return 0;
}
