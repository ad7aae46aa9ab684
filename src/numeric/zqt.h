// zqt.h - Student t quantile.
//
//   int zqt(double p, double df, double* t)
//     0 and P(T <= *t) = p for T Student t on df degrees of freedom; 1 unless 0 < p < 1 and
//     df > 0 (*t = 0 once they pass), or when the beta inversion fails.
//
// Method: near the centre (|p - 0.5| < 0.001, df >= 1) Newton on a fifth-order series;
// elsewhere t = sqrt(df (1 - x)/x) from the incomplete beta inversion (zprobin) of the
// two-sided tail (Abramowitz & Stegun 26.7.1).
// Measured accuracy (tests/numeric/zquant_test.cpp, against mpmath from R qt): relative
// error below 1.3e-12 for df 0.5 to 1e3 and below 1.1e-11 at df = 1e6 (x = df/(df + t^2)
// is then within 1e-6 of 1), p from 1e-10 to 1 - 1e-10.
#pragma once

int zqt(double p, double df, double* t);
