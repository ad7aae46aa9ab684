// zprobit.cpp - standard normal quantile (probit).
//
//   double zprobit(double p)
//     Phi^-1(p).  p = 0 gives -sqrt(2 * 708.3964185) (-37.64030870...) and p = 1 gives
//     7.941345326170997 (the ends are deliberately not symmetric); p < 1e-16 goes to
//     szprobit.  Otherwise with q = min(p, 1 - p) and r = sqrt(-2 ln q) - 1.17741...:
//     q > 0.01: z = r N(r)/D(r) (degree 7/7); q <= 0.01: z = r N2(1/r)/D2(1/r) (degree 8/7);
//     the result is z for p > 0.5 and -z otherwise.  The two minimax rational forms in
//     r = sqrt(-2 ln q) - sqrt(2 ln 2) are of the type of Wichura's AS 241 (Appl. Statist.
//     37 (1988) 477-484); their coefficients are the toolkit's own.  r and the two forms
//     are evaluated in long double and rounded once (in double the rounding of
//     sqrt(-2 ln q) alone cost up to 2 ulp of z in the tail).
//   double szprobit(double p)
//     p < 1e-16: Newton's method on ln Phi(x) = ln p from x = -sqrt(-2 ln p), using the log
//     tails of zlognrm; stops when |ln Phi(x) - ln p| < 1e-12 |ln p| (tested before the
//     step, the stepped x returned); at most 29 steps, else (or when zlognrm fails) the
//     fallback -sqrt(-2 ln(100 * 2.225073858507202e-308)) = -37.5177...
//
// No status.  A NaN gives a NaN; p outside [0, 1] is outside the contract and gives a NaN.
// Measured accuracy (tests/numeric/znormal_test.cpp, against mpmath solved from R qnorm):
// absolute error below 1.8e-15 (one ulp at |z| = 8.2) for p in [1e-16, 1 - 2^-53];
// relative error below 2e-16 for p in [1e-300, 1e-16).
#include "numeric/zprobit.h"

#include <cmath>
#include <limits>

#include "numeric/zhorner.h"
#include "numeric/zmissing.h"
#include "numeric/zprbnrm.h"

namespace {
constexpr double ZPROBIT_UNDER = 708.3964185;  // -ln of the smallest usable tail
constexpr double ZPROBIT_AT1 = 7.941345326170997;
constexpr double ZPROBIT_FAR = 1e-16;
constexpr long double ZPROBIT_R0 = 1.17741002251547469101156932645969964L;  // sqrt(2 ln 2)
constexpr double ZPROBIT_TAIL = 0.01;
constexpr int SZPROBIT_MAX_STEPS = 29;
constexpr double SZPROBIT_RTOL = 1e-12;

constexpr double N1[8] = {0.00023850990628812184, 0.007748014532123519, 0.09433047102597236,
                          0.5906175347671243,     2.0524292014826053,   3.926527220876258,
                          3.827787912267809,      1.4756646266356057};
constexpr double D1[8] = {0.00023846672191006805, 0.007472090148248392, 0.08675117268832777,
                          0.5155497927835685,     1.6853868285749263,   3.0193046324086072,
                          2.757985744718407,      1.0};
constexpr double N2[9] = {2.2366406817573622e-07, 1.4756630668977935,    2.9349133839409465,
                          2.302486886454419,      0.9208235553699621,    0.1971184884114817,
                          0.021322238814693088,   0.0009933095513250212, 1.3896718225467155e-05};
constexpr double D2[8] = {1.0,                  2.152916059924272,    1.8195065884540687,
                          0.7785719242838022,   0.1775558927085442,   0.020255719894916695,
                          0.000977052221781334, 1.389640654034189e-05};

}  // namespace

double szprobit(double p) {
  const double lp = std::log(p);
  if (std::isnan(lp)) return std::numeric_limits<double>::quiet_NaN();
  const double fallback = -std::sqrt(-2.0 * std::log(100.0 * ZDBL_MINNORM));
  double x = -std::sqrt(-2.0 * lp);
  for (int step = 0; step < SZPROBIT_MAX_STEPS; ++step) {
    double lc, ls, ld;
    if (zlognrm(x, &lc, &ls, &ld) != 0) return fallback;
    const bool done = std::fabs(lc - lp) < SZPROBIT_RTOL * std::fabs(lp);
    x = x - (lc - lp) * std::exp(lc - ld);
    if (done) return x;
  }
  return fallback;
}

double zprobit(double p) {
  if (p == 0.0) return -std::sqrt(2.0 * ZPROBIT_UNDER);
  if (p == 1.0) return ZPROBIT_AT1;
  if (p < ZPROBIT_FAR) return szprobit(p);
  const double q = (p > 0.5) ? 1.0 - p : p;  // exact for p > 0.5
  if (q == 0.5) return -0.0;                  // r = 0: the centre, -z with z = 0
  // r and the rational forms are evaluated in long double and rounded once: the rounding
  // of sqrt(-2 ln q) alone would otherwise cost up to 2 ulp of z in the tail.
  const long double r = std::sqrt(-2.0L * std::log(static_cast<long double>(q))) - ZPROBIT_R0;
  long double z;
  if (q > ZPROBIT_TAIL) {
    z = r * zhorner(N1, r) / zhorner(D1, r);
  } else {
    const long double u = 1.0L / r;
    z = r * zhorner(N2, u) / zhorner(D2, u);
  }
  const double zd = static_cast<double>(z);
  return (p > 0.5) ? zd : -zd;
}
