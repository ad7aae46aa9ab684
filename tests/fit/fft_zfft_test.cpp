// The mixed-radix transform: its factor lists, the lengths it refuses, and its results
// against R's fft for every factor kind (ref/fft_ref.tsv).
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <map>
#include <vector>

#include "kernel_cells.h"
#include "numeric/zfft.h"

namespace {

std::vector<int> factors_of(int n) {
  int f[2 * ZFFT_MAXFACTORS], count = 0, kt = 0, largest = ZFFT_MAXFACTOR, product = ZFFT_MAXSQFREE;
  zfftfac(f, n, &count, &kt, &largest, &product);
  return std::vector<int>(f, f + count);
}

TEST(zfftfac, ListsSquaresAroundTheSquareFreeMiddle) {
  const std::map<int, std::vector<int>> cases = {
      {1024, {4, 4, 2, 2, 4, 4}}, {4, {2, 2}},       {8, {2, 2, 2}},  {360, {3, 2, 2, 5, 2, 3}}, {243, {3, 3, 3, 3, 3}},
      {529, {23, 23}},            {209, {11, 19}},   {48, {4, 3, 4}}, {100, {5, 2, 2, 5}},       {30, {2, 3, 5}}};
  for (const auto& [n, list] : cases) EXPECT_EQ(factors_of(n), list) << "n = " << n;
}

TEST(zfft, RefusesLengthsBeyondItsLimitsAndLeavesTheData) {
  for (int n : {1, 29, 210, 58, 841, 2310}) {
    std::vector<double> a(n, 1.5), b(n, -2.0);
    EXPECT_EQ(zfft(a.data(), b.data(), n, n, n, -1), 1) << n;
    for (int i = 0; i < n; ++i) ASSERT_TRUE(a[i] == 1.5 && b[i] == -2.0) << n;
    EXPECT_TRUE(factors_of(n).empty()) << n;
  }
}

TEST(zfft, MatchesReferenceForEveryFactorKind) {
  std::map<int, std::vector<std::complex<double>>> ref;
  for (const auto& r : kernel_test::ref_rows("fft_ref.tsv"))
    ref[std::stoi(r[0])].emplace_back(std::stod(r[2]), std::stod(r[3]));
  ASSERT_GE(ref.size(), 30u);
  for (const auto& [n, want] : ref) {
    std::vector<double> a(n), b(n);
    for (int j = 0; j < n; ++j) {
      a[j] = std::cos(0.7 * std::pow(j, 1.3));
      b[j] = std::sin(0.3 * j);
    }
    ASSERT_EQ(zfft(a.data(), b.data(), n, n, n, -1), 0) << n;
    double scale = 0, err = 0;
    for (int j = 0; j < n; ++j) {
      scale = std::max(scale, std::abs(want[j]));
      err = std::max(err, std::abs(std::complex<double>(a[j], b[j]) - want[j]));
    }
    EXPECT_LT(err, 1e-12 * scale) << "n = " << n;
    // The inverse sign brings back n times the input.
    zfft(a.data(), b.data(), n, n, n, 1);
    for (int j = 0; j < n; ++j) ASSERT_NEAR(a[j], n * std::cos(0.7 * std::pow(j, 1.3)), 1e-11 * n) << n;
  }
}

// One dimension of a two-dimensional array (first index fastest), with the array's
// elements interleaved with others (step 2): each line transforms as a sequence.
TEST(zfft, TransformsOneDimensionOfAStridedArray) {
  const int n1 = 6, n2 = 10, ntot = n1 * n2, step = 2;
  auto value = [](int i, int j) { return std::complex<double>(i + 0.5 * j, std::sin(i * j + 1.0)); };
  for (int dim = 0; dim < 2; ++dim) {
    std::vector<double> a(ntot * step, 7.0), b(ntot * step, 7.0);
    for (int j = 0; j < n2; ++j)
      for (int i = 0; i < n1; ++i) {
        a[(i + n1 * j) * step] = value(i, j).real();
        b[(i + n1 * j) * step] = value(i, j).imag();
      }
    const int n = dim == 0 ? n1 : n2, nspan = dim == 0 ? n1 : ntot;
    ASSERT_EQ(zfft(a.data(), b.data(), ntot, n, nspan, -step), 0);
    for (int line = 0; line < (dim == 0 ? n2 : n1); ++line) {
      std::vector<double> x(n), y(n);
      for (int k = 0; k < n; ++k) {
        const auto v = dim == 0 ? value(k, line) : value(line, k);
        x[k] = v.real();
        y[k] = v.imag();
      }
      zfft(x.data(), y.data(), n, n, n, -1);
      for (int k = 0; k < n; ++k) {
        const int at = (dim == 0 ? k + n1 * line : line + n1 * k) * step;
        ASSERT_NEAR(a[at], x[k], 1e-12) << dim;
        ASSERT_NEAR(b[at], y[k], 1e-12) << dim;
      }
    }
    for (int t = 1; t < ntot * step; t += step) ASSERT_TRUE(a[t] == 7.0 && b[t] == 7.0);
  }
}

}  // namespace
