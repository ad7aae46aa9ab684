// zpgt2.h - two-sided Student t probability P(|T| >= |t|) from t^2.
//   double zpgt2(double t2, int df)      p-value, or -2.0 when zibeta fails
//   double zpgt2f(double t2, double df)  same with a double df
//   int zpgt2New(double t2, double df, double* p)  0 ok; -1 t2 < 0 or df <= 0; -2 zibeta failed
// The -2.0 sentinel is not a probability: callers must store the toolkit missing value
// (zmissing()) instead of it.  Details: see zpgt2.cpp.
#pragma once

double zpgt2(double t2, int df);
double zpgt2f(double t2, double df);
int zpgt2New(double t2, double df, double* p);
