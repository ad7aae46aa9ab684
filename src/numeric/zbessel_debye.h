// zbessel_debye.h - the coefficients of the Debye polynomials u_1 .. u_11 of the
// uniform asymptotic expansion of the modified Bessel function I for large order,
// generated exactly at build time by tools/gen_debye.py:
//   u_k(t) = t^k (c_k0 + c_k1 t^2 + ... + c_kk t^(2k)),
// the k + 1 coefficients of u_k following those of u_(k-1), lowest power first.
#pragma once

inline constexpr int ZDEBYE_ORDERS = 11;
inline constexpr int ZDEBYE_NCOEF = 77;  // 2 + 3 + ... + 12

extern const double zdebye_coef[ZDEBYE_NCOEF];
