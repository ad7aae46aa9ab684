// zhouse.h - Householder reflections on strided vectors.
//
// Householder store: the reflection vectors of one factorization of order n, vector k
// (from 0) with n - k elements at offset k n - k(k-1)/2.
//
//   int zhh1(double* a, double* h, double* beta, int k, int lda, int n)
//     Builds the reflection H = I - v v'/beta that maps x[i] = a[(k + i) lda],
//     i = 0..n-k-1, onto -|x| e_1 (+|x| e_1 when x0 <= 0): v (scaled by 1/max|x|)
//     goes to slot k of h, a[k lda] becomes -amax sigma and the rest of x becomes 0.
//     0; 1 with *beta = 0 for a zero vector.
//   int zhh2(double* a, const double* h, int k, double beta, int lda, int n)
//     Applies the reflection of slot k to y[i] = a[(k + i) lda]: y -= (v'y/beta) v.
//     0; 1 (nothing done) when beta = 0.
//
// Method: Householder's reflection with the sign chosen against cancellation (Golub
// and Van Loan, Matrix Computations, 4th ed., 2013, section 5.1), the vector scaled by its
// largest element before its norm is taken.  Measured accuracy
// (tests/numeric/zlinalg_test.cpp): norms kept and H x = -sigma e_1 within 16 eps.
#pragma once

int zhh1(double* a, double* h, double* beta, int k, int lda, int n);
int zhh2(double* a, const double* h, int k, double beta, int lda, int n);
