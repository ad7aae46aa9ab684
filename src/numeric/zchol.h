// zchol.h - Cholesky factor in packed storage, its triangular solves, and packing.
//
// Packed storage: an n x n upper triangle R (or a symmetric matrix by its upper
// triangle) is held column by column in n(n+1)/2 doubles; column j (from 0) holds rows
// 0..j at offset j(j+1)/2, ending with the diagonal R[j][j].
//
//   double zchol(int j, double* a, double tol)
//     Appends column j to the factor: on entry a holds the factor's columns 0..j-1 and
//     column j of the symmetric matrix; on return column j of R with A = R'R.  Returns
//     the pivot s (the diagonal before its square root); the diagonal is sqrt(s) when
//     s > tol (or s is NaN), else 0; an element whose row has a zero diagonal is
//     set to 0.  j < 0: 0, nothing done.  Callers compare the pivot with tol and, when
//     too small, enlarge their matrix's diagonal and start again.
//   void zchol2(int n, const double* r, double* b)
//     solves R'y = b in place (forward substitution); a zero diagonal gives 0
//   void zbaksub(int n, const double* r, double* x)
//     solves Rx = y in place (back substitution); a zero diagonal gives 0
//   void zmmovrs(const double* sq, double* packed, int from, int to, int lda)
//     packs rows and columns from..to (from 1) of the column-major sq (leading
//     dimension lda): for each column j its rows from..j are appended
//   void zmmovsr(const double* packed, double* sq, int n)
//     expands a packed symmetric matrix into full column-major n x n storage; may run
//     in place (packed and sq at the same address, room for n*n doubles)
//
// Method: the column-by-column (bordering) form of the Cholesky decomposition (Golub
// and Van Loan, Matrix Computations, 4th ed., 2013, section 4.2); inner products in long
// double.  Measured accuracy (tests/numeric/zlinalg_test.cpp): on random SPD matrices
// of order 2 to 12 the residuals |A - R'R| and |A x - b| stay below 8 n eps |A| |x|
// even at condition 1e12.
#pragma once

double zchol(int j, double* a, double tol);
void zchol2(int n, const double* r, double* b);
void zbaksub(int n, const double* r, double* x);
void zmmovrs(const double* sq, double* packed, int from, int to, int lda);
void zmmovsr(const double* packed, double* sq, int n);
