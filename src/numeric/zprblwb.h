// zprblwb.h - censored smallest-extreme-value likelihood terms (log of a Weibull variable).
// Law: F(z) = 1 - exp(-e^z), density e^z exp(-e^z).  Censoring codes as zprblnm.h.
//   int zprblwb(int code, const double* z, const double* z2, double* out)
//     out = the negative log-likelihood term; 0, or 1 on overflow
//     (out = 1.3407807929943e154) or a failed interval (out = 1.7976931348623157e305,
//     or out left at e^z)
//   int zprbwwb(int code, const double* z, const double* z2, double* out)
//     derivatives of that term: out[0], out[1] (codes 0, -1, -2); out[0..4] for code -3;
//     1 on overflow (out untouched) or a zero-probability interval
// Details: see zprblwb.cpp.
#pragma once

int zprblwb(int code, const double* z, const double* z2, double* out);
int zprbwwb(int code, const double* z, const double* z2, double* out);
