// zigamma_uniform.h - the incomplete gamma function of a large shape near its centre,
// by Temme's uniform asymptotic expansion (used by zigamma).
//
//   bool zgam_uniform(double x, double a, double* T, bool* lower)
//     true: *T is the tail P(a, x) (*lower set, x <= a) or Q(a, x) (x > a);
//     false (nothing stored) outside the region of the method: a < 20, x/a outside
//     [0.5, 2], or a tail below e^-700 (the series and fractions are quick there).
//
// Method: with mu = x/a - 1 and eta^2/2 = mu - ln(1 + mu), eta of the sign of mu,
//   Q = e^(-a eta^2/2) (erfcx(y)/2 + S/sqrt(2 pi a)),  P = e^(-a eta^2/2) (erfcx(-y)/2 - S/sqrt(2 pi a))
// with y = eta sqrt(a/2), S = sum_k C_k(eta) a^-k and each C_k a power series in eta
// (coefficients generated exactly by tools/gen_temme.py).  The exponent a eta^2/2 is
// formed in long double (a series for small mu), so the tails stay relatively accurate
// far out; the orders used fall from 10 at a = 20 to 3 from a = 1e5.
// Measured accuracy (tests/numeric/zigamma_test.cpp against mpmath): relative error of
// the tail below 2e-15 over the region.
#pragma once

inline constexpr int ZGAM_UNIFORM_ORDERS = 10;
inline constexpr int ZGAM_UNIFORM_TERMS = 25;
extern const double zgam_uniform_coef[ZGAM_UNIFORM_ORDERS * ZGAM_UNIFORM_TERMS];

bool zgam_uniform(double x, double a, double* T, bool* lower);
