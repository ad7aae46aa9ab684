// zlinalg_test.cpp - vector kernels (zvkern.h, zvstride.h), the packed Cholesky factor
// and its solves (zchol.h) and Householder reflections (zhouse.h).
// Residual tests on random symmetric positive definite matrices of chosen condition
// (Q diag Q' with a random orthogonal Q from Householder products built here).
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "numeric/zchol.h"
#include "numeric/zhouse.h"
#include "numeric/zmissing.h"
#include "numeric/zvkern.h"
#include "numeric/zvstride.h"

namespace {
constexpr double kEps = 2.220446049250313e-16;
const double kNaN = std::numeric_limits<double>::quiet_NaN();

using Mat = std::vector<double>;  // column-major n x n

// A random SPD matrix with eigenvalues spread geometrically from 1 to cond.
Mat spd(int n, double cond, std::mt19937& gen) {
  std::normal_distribution<double> nd;
  Mat Q(n * n, 0.0);
  for (int i = 0; i < n; ++i) Q[i * n + i] = 1.0;
  for (int r = 0; r < 3; ++r) {  // three random reflections I - 2 v v'/v'v
    std::vector<double> v(n);
    double vv = 0.0;
    for (auto& e : v) {
      e = nd(gen);
      vv += e * e;
    }
    for (int j = 0; j < n; ++j) {
      double s = 0.0;
      for (int i = 0; i < n; ++i) s += v[i] * Q[j * n + i];
      for (int i = 0; i < n; ++i) Q[j * n + i] -= 2.0 * s / vv * v[i];
    }
  }
  Mat A(n * n, 0.0);
  for (int k = 0; k < n; ++k) {
    const double lam = n == 1 ? 1.0 : std::pow(cond, -static_cast<double>(k) / (n - 1));
    for (int j = 0; j < n; ++j)
      for (int i = 0; i < n; ++i) A[j * n + i] += lam * Q[k * n + i] * Q[k * n + j];
  }
  for (int j = 0; j < n; ++j)  // exactly symmetric
    for (int i = 0; i < j; ++i) A[i * n + j] = A[j * n + i];
  return A;
}

// Factor A column by column in packed storage.
std::vector<double> factor(const Mat& A, int n, double tol) {
  std::vector<double> R(n * (n + 1) / 2);
  for (int j = 0; j < n; ++j) {
    for (int i = 0; i <= j; ++i) R[j * (j + 1) / 2 + i] = A[j * n + i];
    zchol(j, R.data(), tol);
  }
  return R;
}

double Rat(const std::vector<double>& R, int i, int j) { return i > j ? 0.0 : R[j * (j + 1) / 2 + i]; }
}  // namespace

TEST(VectorKernels, MaximaScalingAndAxpy) {
  const double v[] = {3, 7, 7, -1};
  EXPECT_EQ(zvmx(v, 4), 7.0);
  EXPECT_EQ(std::bit_cast<std::uint64_t>(zvmx(v, 0)), ZMISSING_BITS);
  const double w[] = {-9, 4};
  EXPECT_EQ(zvamx(w, 2), 9.0);
  EXPECT_EQ(zvamx(w, 0), 0.0);
  double y[] = {1, 2, 3};
  zvscl11(y, y, 3, 2.0);
  EXPECT_EQ(y[2], 6.0);
  zvscl11(y, w, 0, 5.0);
  EXPECT_EQ(y[0], 2.0);
  const double x[] = {1.5, -2.5, 4};
  const double z[] = {kNaN, kNaN, kNaN};
  double out[3] = {0, 0, 0};
  zvaxpy(out, x, z, 3, 0.0);  // a copy; z is not read
  EXPECT_EQ(out[1], -2.5);
  zvaxpy(out, out, x, 3, 2.0);
  EXPECT_EQ(out[2], 12.0);
  double out2[3];
  zvz111(out2, x, z, 3, 0.0);
  EXPECT_EQ(out2[0], 1.5);
}

TEST(VectorKernels, StridedProductsAndNorm) {
  const double x[] = {1, 100, 2, 100, 3, 100};
  const double y[] = {4, 5, 6};
  EXPECT_EQ(zvdotj1(x, 2, y, 3), 32.0);
  EXPECT_EQ(zinner(y, y, 3), 77.0);
  EXPECT_EQ(zinner(y, y, 0), 0.0);
  // The long double accumulation keeps 1 + 1e-17 - 1 terms that a double sum loses.
  const double a[] = {1.0, 1e-17, -1.0};
  const double ones[] = {1.0, 1.0, 1.0};
  EXPECT_NEAR(zinner(a, ones, 3), 1e-17, 1e-19);
  double yy[] = {0, 0, 0, 0};
  zvxayj1(yy, 2, y, 2, 0.5);
  EXPECT_EQ(yy[0], 2.0);
  EXPECT_EQ(yy[2], 2.5);
  double zz[] = {1, 1};
  zvxay1j(zz, x, 2, 2, 3.0);
  EXPECT_EQ(zz[1], 7.0);
  EXPECT_EQ(zvamxj(x, 2, 3), 3.0);
  EXPECT_EQ(zvamxj(x, 2, 1), 1.0);
  const double big[] = {1e200, 1e200};
  EXPECT_NEAR(zvenorm(2, 1, big), 1.4142135623730951e200, 4e184);
  const double tiny[] = {3e-300, 0.0, 4e-300};
  EXPECT_NEAR(zvenorm(2, 2, tiny), 5e-300, 1e-314);
  const double zero[] = {0.0, 0.0};
  EXPECT_EQ(zvenorm(2, 1, zero), 0.0);
  EXPECT_EQ(zvenorm(0, 1, big), 0.0);
}

TEST(PackedCholesky, FirstColumnAndPivotTolerance) {
  double a[1] = {4.0};
  EXPECT_EQ(zchol(0, a, 1e-8), 4.0);
  EXPECT_EQ(a[0], 2.0);
  a[0] = 1e-9;
  EXPECT_EQ(zchol(0, a, 1e-8), 1e-9);
  EXPECT_EQ(a[0], 0.0);
  EXPECT_EQ(zchol(-1, a, 1e-8), 0.0);
  // A singular 2 x 2 matrix: the second pivot is 0 (below tol), its diagonal 0.
  double s[3] = {1.0, 2.0, 4.0};
  zchol(0, s, 1e-12);
  EXPECT_NEAR(zchol(1, s, 1e-12), 0.0, 1e-15);
  EXPECT_EQ(s[2], 0.0);
  // Zero diagonal elements give 0 in that component and the solves go on.
  const double R[3] = {2.0, 1.0, 0.0};
  double b[2] = {4.0, 3.0};
  zchol2(2, R, b);
  EXPECT_EQ(b[0], 2.0);
  EXPECT_EQ(b[1], 0.0);
  double x[2] = {4.0, 3.0};
  zbaksub(2, R, x);
  EXPECT_EQ(x[1], 0.0);
  EXPECT_EQ(x[0], 2.0);
}

TEST(PackedCholesky, ResidualsOnRandomMatrices) {
  std::mt19937 gen(20261206);
  struct Case {
    int n;
    double cond;
  };
  const Case cases[] = {{2, 10}, {3, 1e3}, {5, 1e6}, {8, 1e2}, {12, 1e9}, {12, 1e12}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "n " << c.n << " cond " << c.cond);
    const int n = c.n;
    const Mat A = spd(n, c.cond, gen);
    const auto R = factor(A, n, 0.0);
    double anorm = 0.0;
    for (double v : A) anorm = std::fmax(anorm, std::fabs(v));
    for (int j = 0; j < n; ++j) {  // A = R'R
      for (int i = 0; i <= j; ++i) {
        double s = 0.0;
        for (int k = 0; k < n; ++k) s += Rat(R, k, i) * Rat(R, k, j);
        EXPECT_NEAR(s, A[j * n + i], 8 * n * kEps * anorm);
      }
    }
    // Solve A x = b through R'y = b, R x = y; the residual is small at any condition.
    std::vector<double> b(n), x(n);
    std::normal_distribution<double> nd;
    for (auto& e : b) e = nd(gen);
    x = b;
    zchol2(n, R.data(), x.data());
    zbaksub(n, R.data(), x.data());
    double xnorm = 0.0;
    for (double v : x) xnorm = std::fmax(xnorm, std::fabs(v));
    for (int i = 0; i < n; ++i) {
      double s = 0.0;
      for (int k = 0; k < n; ++k) s += A[k * n + i] * x[k];
      EXPECT_NEAR(s, b[i], 8 * n * kEps * anorm * xnorm);
    }
  }
}

TEST(PackedCholesky, PackingRoundTrip) {
  const int n = 4, lda = 5;
  std::vector<double> sq(lda * n);
  for (int j = 0; j < n; ++j)
    for (int i = 0; i < lda; ++i) sq[j * lda + i] = 10 * i + j;
  std::vector<double> packed(10, -1.0);
  zmmovrs(sq.data(), packed.data(), 1, n, lda);
  const double want[] = {0, 1, 11, 2, 12, 22, 3, 13, 23, 33};
  for (int i = 0; i < 10; ++i) EXPECT_EQ(packed[i], want[i]);
  std::vector<double> sub(3, -1.0);
  zmmovrs(sq.data(), sub.data(), 2, 3, lda);  // rows and columns 2..3
  EXPECT_EQ(sub[0], 11.0);
  EXPECT_EQ(sub[1], 12.0);
  EXPECT_EQ(sub[2], 22.0);
  // Expansion in place: the packed triangle at the start of the square array.
  std::vector<double> buf(n * n, 0.0);
  for (int i = 0; i < 10; ++i) buf[i] = packed[i];
  zmmovsr(buf.data(), buf.data(), n);
  for (int j = 0; j < n; ++j)
    for (int i = 0; i < n; ++i) EXPECT_EQ(buf[j * n + i], 10 * std::min(i, j) + std::max(i, j));
}

TEST(Householder, ExampleThreeFour) {
  double a[2] = {3.0, 4.0};
  double h[3] = {9, 9, 9};
  double beta = -1.0;
  EXPECT_EQ(zhh1(a, h, &beta, 0, 1, 2), 0);
  EXPECT_EQ(h[0], 2.0);
  EXPECT_EQ(h[1], 1.0);
  EXPECT_EQ(beta, 2.5);
  EXPECT_EQ(a[0], -5.0);
  EXPECT_EQ(a[1], 0.0);
  double y[2] = {3.0, 4.0};  // the same vector is mapped alike
  EXPECT_EQ(zhh2(y, h, 0, beta, 1, 2), 0);
  EXPECT_NEAR(y[0], -5.0, 4 * kEps * 5);
  EXPECT_NEAR(y[1], 0.0, 4 * kEps * 5);
  double z[2] = {1.0, 2.0};
  EXPECT_EQ(zhh2(z, h, 0, 0.0, 1, 2), 1);
  EXPECT_EQ(z[0], 1.0);
  double zero[2] = {0.0, 0.0};
  EXPECT_EQ(zhh1(zero, h, &beta, 0, 1, 2), 1);
  EXPECT_EQ(beta, 0.0);
}

TEST(Householder, StridedReflectionsAreOrthogonal) {
  // A column-major 5 x 4 matrix reduced column by column: row k of the store runs with
  // stride lda through a row of the matrix, so columns are reached with lda = 1 on the
  // transposed layout; here each column (stride 1) of a 6-row array at offset 6 j.
  std::mt19937 gen(7);
  std::normal_distribution<double> nd;
  const int n = 6;
  std::vector<double> M(n * 3);
  for (auto& e : M) e = nd(gen);
  const std::vector<double> M0 = M;
  std::vector<double> h(n * (n + 1) / 2, 0.0);
  double beta[3];
  for (int k = 0; k < 3; ++k) {
    for (int j = 0; j < k; ++j) zhh2(M.data() + 6 * k, h.data(), j, beta[j], 1, n);
    EXPECT_EQ(zhh1(M.data() + 6 * k, h.data(), &beta[k], k, 1, n), 0);
  }
  // R is upper triangular, and applying the reflections to the original columns
  // reproduces it (H orthogonal: the column norms are kept).
  for (int k = 0; k < 3; ++k) {
    std::vector<double> c(M0.begin() + 6 * k, M0.begin() + 6 * k + 6);
    double n0 = 0.0, n1 = 0.0;
    for (double v : c) n0 += v * v;
    for (int j = 0; j < 3; ++j) zhh2(c.data(), h.data(), j, beta[j], 1, n);
    for (double v : c) n1 += v * v;
    EXPECT_NEAR(n1, n0, 16 * kEps * n0);
    for (int i = 0; i < n; ++i) {
      EXPECT_NEAR(c[i], i <= k ? M[6 * k + i] : 0.0, 16 * kEps * std::sqrt(n0));
      if (i > k) {
        EXPECT_EQ(M[6 * k + i], 0.0);
      }
    }
  }
  // The strided form: the same vector spread with stride 3.
  double s[9] = {3, 0, 0, 4, 0, 0, 12, 0, 0};
  double hs[6];
  double b;
  EXPECT_EQ(zhh1(s, hs, &b, 0, 3, 3), 0);
  EXPECT_NEAR(s[0], -13.0, 4 * kEps * 13);
  EXPECT_EQ(s[3], 0.0);
  EXPECT_EQ(s[6], 0.0);
}
