// zqt.h - Student t quantile.
//   int zqt(double p, double df, double* t)   0 and P(T <= *t) = p; 1 bad argument or failure
// Details: see zqt.cpp.
#pragma once

int zqt(double p, double df, double* t);
