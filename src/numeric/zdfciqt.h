// zdfciqt.h - distribution-free confidence ranks for a population quantile.
//
//   int zdfciqt(int type, double n, double alpha, double p, double* lo, double* hi, double* cover)
//     The order-statistic ranks lo < hi (from 1, as doubles) of an interval covering the
//     quantile of order p with probability >= 1 - alpha, and its exact coverage
//     P(lo <= B <= hi - 1), B binomial(n, p), from zibeta.  Outputs are set to the toolkit
//     missing value first.  type 1 symmetric, 2 asymmetric, 3 lower bound, 4 upper bound.
//     0 level reached; 1 level missed (best interval the rule allows); 2 bad argument
//     (n < 2 or infinite, alpha <= 0 or > 0.5, p <= 0 or >= 1, type outside 1..4) or no
//     interval with positive coverage; 3 zibeta failed.
//
// Method: binomial distribution function as an incomplete beta (A&S 26.5.24); see
// zdfciqt.cpp.  Measured accuracy (tests/numeric/zdfciqt_test.cpp, against a direct
// search over 50-digit binomial sums): ranks exact, coverage within 1e-15 absolute.
#pragma once

// threads: how many threads may compute the distribution function's values (the
// result is the same for any number).
int zdfciqt(int type, double n, double alpha, double p, double* lo, double* hi, double* cover, int threads = 1);
