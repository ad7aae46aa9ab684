// zigamma.h - regularized incomplete gamma function, both tails, and the gamma density.
//   int zigamma(double x, double a, double* p, double* q, double* d = nullptr)
//     0 ok: *p = P(a, x), *q = Q(a, x) = 1 - P, *d = density x^(a-1) e^-x / Gamma(a)
//     1 failure (a < 0, x < 0, no convergence): *p = *q = -2.0, *d = 0.0
//     Stores p, then q, then d (d may alias q; d may be null).
//   int zldngam(double x, double a, double* ld)   ln of the gamma density; 1 when x < 0 or a <= 0
//   void wilhil(double a, double x, double* p, double* q)   Wilson-Hilferty tails (internal)
// Details: see zigamma.cpp.
#pragma once

int zigamma(double x, double a, double* p, double* q, double* d = nullptr);
int zldngam(double x, double a, double* ld);
void wilhil(double a, double x, double* p, double* q);
