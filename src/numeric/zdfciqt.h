// zdfciqt.h - distribution-free confidence ranks for a quantile.
//   int zdfciqt(int type, double n, double alpha, double p, double* lo, double* hi, double* cover)
//     type 1 symmetric, 2 asymmetric, 3 lower bound, 4 upper bound
//     0 level reached; 1 level missed (best interval); 2 bad argument / none; 3 zibeta failed
// Details: see zdfciqt.cpp.
#pragma once

int zdfciqt(int type, double n, double alpha, double p, double* lo, double* hi, double* cover);
