// zpgt2.h - two-sided Student t probability P(|T| >= |t|) from t^2.
//
//   double zpgt2(double t2, int df)      the p-value, or the sentinel -2.0 when zibeta fails
//   double zpgt2f(double t2, double df)  the same with a double df
//   int zpgt2New(double t2, double df, double* p)
//     *p = the toolkit missing value first; 0 ok; -1 t2 < 0 or df <= 0; -2 zibeta failed
//
// The -2.0 sentinel is not a probability: a caller that stores the result must store the
// toolkit missing value (zmissing()) in its place.
// Method: I_x(df/2, 1/2) with x = df/(df + t2) in extended precision (A&S 26.7.1), zibeta.
// Measured accuracy (tests/numeric/zpgt2_test.cpp, against mpmath and R pt): relative
// error below 1e-13 for df up to 1000; x rounded to double limits it to about
// 2^-53 (df + t2)/t2 for large df and small t2 (2.1e-12 at df = 1e5, t2 = 3.84).
#pragma once

double zpgt2(double t2, int df);
double zpgt2f(double t2, double df);
int zpgt2New(double t2, double df, double* p);
