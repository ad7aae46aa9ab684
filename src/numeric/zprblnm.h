// zprblnm.h - censored normal likelihood terms of a standardized observation.
// Censoring codes: 0 exact, -1 right-censored (observation > z), -2 left-censored
// (observation <= z), -3 interval-censored (z[0] centre, z[1] half-width).  Any other
// code leaves the output untouched and returns 0.  z2 is never read.
//   int zprblnm(int code, const double* z, const double* z2, double* out)
//     out = the negative log-likelihood term; 0, or 1 with out = 1.7976931348623157e305
//     for an interval of zero probability
//   int zprblnmLog(int code, const double* z, const double* z2, double* out)
//     the same term formed from the log tails (zlognrm); 1 with 1.7976931348623157e305
//     when it cannot be formed
//   int zprbwnm(int code, const double* z, const double* z2, double* out)
//     derivatives of the term: out[0] first, out[1] second (codes 0, -1, -2); code -3
//     fills out[0..4] (d/dz, d2/dz2, d/dh, d2/dzdh, d2/dh2); 1 for a zero-probability interval
//   int zprbwnmLog(int code, const double* z, const double* z2, double* out)
//     the same derivatives formed from log tails; 1 when they cannot be formed
// Details: see zprblnm.cpp.
#pragma once

int zprblnm(int code, const double* z, const double* z2, double* out);
int zprblnmLog(int code, const double* z, const double* z2, double* out);
int zprbwnm(int code, const double* z, const double* z2, double* out);
int zprbwnmLog(int code, const double* z, const double* z2, double* out);
