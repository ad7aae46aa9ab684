// zqc.h - chi-square quantile.
//   int zqc(double p, double df, double* q)   0 and P(X <= *q) = p; 1 bad argument or failure (*q untouched)
// Details: see zqc.cpp.
#pragma once

int zqc(double p, double df, double* q);
