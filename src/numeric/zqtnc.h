// zqtnc.h - noncentral t quantile: t with P(T <= t) = p (df degrees of freedom,
// noncentrality nc).
//   int zqtnc(double p, double df, double nc, double* q)
//     0 ok, *q = the quantile; 1 failure, *q = the central t quantile of p when that
//     could be formed (zqt), else what zqt left
// Details: see zqtnc.cpp.
#pragma once

int zqtnc(double p, double df, double nc, double* q);
