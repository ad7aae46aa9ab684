// zln1px.h - ln(1 + x) and ln(e^a + e^b).
//
//   double zln1px(double x)
//     ln(1 + x): for |x| <= 0.03125 the series of 2 artanh(x/(2 + x)) by a (1,1) rational
//     form, otherwise the library log of 1 + x.  No argument check.
//   double zlnSumOfExp(double a, double b)
//     ln(e^a + e^b) = max + zln1px(e^(min - max)); a = b gives a + ln 2.  Never overflows.
//
// Measured accuracy (tests/numeric/zln1px_test.cpp, against mpmath): relative error below
// 3 * 2^-53 for |x| <= 0.03125; above it that of log(1 + x) with 1 + x rounded, up to
// 2^-53 (1 + x)/|ln(1 + x)| (7.3e-16 at x = 0.1).  zlnSumOfExp exact to rounding on the
// tested pairs.  No status; a NaN gives a NaN.
#pragma once

double zln1px(double x);
double zlnSumOfExp(double a, double b);
