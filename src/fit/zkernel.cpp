// Binned kernel density estimate: linear binning onto the grid, a product with the
// kernel's closed-form transform, the inverse transform, and the clean-up of the
// small ripples and negative values the truncated series leaves.
#include "fit/zkernel.h"

#include <cmath>

#include "fit/zkerft.h"
#include "host/kes_decimal_grid.h"
#include "host/kes_math_constants.h"
#include "numeric/zmissing.h"
#include "numeric/zvkern.h"

namespace {


// k with m = 2^k, or -1 when m is not a power of two above 1.
int power_of_two(int m) {
  if (m <= 1 || (m & (m - 1)) != 0) return -1;
  int k = 0;
  while ((1 << k) < m) ++k;
  return k;
}

// Zeroes the isolated sign changes the inverse transform leaves where the estimate
// should be 0: a value next to a sign change, until a run of one sign begins.
void remove_ripples(double* out, int m) {
  int s = 0;
  for (int i = 0; i < m; ++i) {
    if (s == 0) {
      if (i == m - 1 || out[i] * out[i + 1] < 0 || (i <= m - 3 && out[i] * out[i + 2] < 0)) out[i] = 0;
      else s = out[i] > 0 ? 1 : out[i] < 0 ? -1 : 0;
    } else if (out[i] == 0) {
      s = 0;
    } else if (i < m - 1 && out[i] * out[i + 1] < 0 && s * out[i] < 0) {
      out[i] = 0;
      s = 0;
    }
  }
}

}  // namespace

int zkerbin(const double* x, const double* freq, const double* wgt, int n, double lo, double hi, double* binned,
            int m) {
  const double d = (hi - lo) / m;
  for (int i = 0; i < n; ++i) {
    const double t = (x[i] - lo) / d;
    if (!(t > -1.0 && t < m + 1.0)) return 2;  // also a missing value
    if (t < 0) continue;  // less than a step below lo: no grid cell holds it
    const int j = static_cast<int>(t);
    const double f = t - std::floor(t);
    const double w = (wgt != nullptr ? wgt[i] : 1.0) * (freq != nullptr ? freq[i] : 1.0);
    if (j < m - 1) {
      binned[j] += w * (1.0 - f);
      binned[j + 1] += w * f;
    }
  }
  return 0;
}

int zkerset(const double* x, const double* freq, const double* wgt, int n, double lo, double hi, double* grid,
            double* binned, int m) {
  const int k = power_of_two(m);
  if (k < 3) return 1;
  const double d = (hi - lo) / m;
  if (grid != nullptr) zkergrid(lo, d, grid, m);
  for (int i = 0; i < m; ++i) binned[i] = 0;
  double total = n;
  if (wgt != nullptr) {
    total = 0;
    for (int i = 0; i < n; ++i) total += wgt[i];
  }
  if (zkerbin(x, freq, wgt, n, lo, hi, binned, m) != 0) return 2;
  zvscl11(binned, binned, m, 1.0 / (total * d));
  zkerft(binned, m, k);
  return 0;
}

void zkergrid(double lo, double d, double* grid, int m) {
  // Point i is lo + i d formed once (the double nearest its decimal where lo and d are
  // short decimals), not a sum of i steps whose roundings pile up far from 0: the grid
  // of the data moved by c is then the grid as read moved.
  const kes_decimal_grid g = kes_decimal_grid::of(lo, d);
  for (int i = 0; i < m; ++i) grid[i] = g.point(i);
}

int zkerfit(int kernel, int keep_negative, double h, double lo, double hi, const double* transform, double* out,
            int m) {
  const int k = power_of_two(m);
  if (k < 0) return 1;
  const int half = m / 2;
  const double len = hi - lo;
  for (int i = 0; i < m; ++i) out[i] = 0;
  out[0] = transform[0];
  auto put = [&](int j, double g) {
    if (j == half) {
      out[half] = transform[half] * g;
    } else {
      out[j] = transform[j] * g;
      out[half + j] = transform[half + j] * g;
    }
  };
  if (kernel == 1) {
    const double w = KES_PI * h / len, a = 2.0 * w * w;
    int jmax = half - 1;
    const double cut = std::sqrt(ZEXP_OVER / a);
    if (cut < jmax) jmax = static_cast<int>(cut);
    for (int j = 1; j <= jmax; ++j) put(j, std::exp(-a * j * j));
    put(half, std::exp(-a * half * half));
  } else if (kernel == 2) {
    const double w = 2.0 * KES_PI * h / len;
    if (10.0 * w * ZEPS53 < 1.0)
      for (int j = 1; j <= half; ++j) {
        const double u = w * j / 2.0, r = std::sin(u) / u;
        put(j, r * r);
      }
  } else if (kernel == 3) {
    const double w = 2.0 * KES_PI * h / len;
    if (3.0 * w * ZSQRT_EPS53 < 1.0)
      for (int j = 1; j <= half; ++j) {
        const double u = w * j;
        put(j, 3.0 * (std::sin(u) - u * std::cos(u)) / (u * u * u));
      }
  }
  zkerfti(out, m, k);
  remove_ripples(out, m);
  if (!keep_negative)
    for (int i = 0; i < m; ++i)
      if (out[i] < 0) out[i] = 0;
  return 0;
}

int zkermod(int kernel, double h, double min, double max, double lower, double upper, const double* grid,
            double* density, int m) {
  const double d = grid[1] - grid[0];
  const double reach = kernel == 1 ? 3.0 * h : h;
  const double ra = min - reach, rb = max + reach;
  bool use_lower = !is_missing(lower) && lower > grid[0];
  bool use_upper = !is_missing(upper) && upper < grid[m - 1];
  if (!use_lower && !use_upper) return 0;
  if (use_lower && use_upper) {
    if (lower <= ra) use_lower = false;
    else if (upper >= rb) use_upper = false;
    else if (2.0 * lower - ra > upper || 2.0 * upper - rb < lower) return 1;
  }
  // Grid indexes of the reach, kept on the grid.
  auto index = [&](double v) {
    const double t = (v - grid[0]) / d;
    return t < 0 ? 0 : t > m - 1 ? m - 1 : static_cast<int>(t);
  };
  const double exact = 1000.0 * ZEPS53;
  if (use_lower) {
    const int ia = index(ra);
    const int il = index(lower);
    const int j = lower > grid[il] ? il + 1 : il;  // first grid point at or above the bound
    const double rho = (grid[j] - lower) / d;
    if (rho < exact) {
      for (int t = 0; t <= j - ia && j + t < m; ++t) density[j + t] += density[j - t];
    } else {
      // The mirror image of grid point k, 2 lower - grid[k], interpolated between
      // grid points q - 1 and q.
      double s;
      int q;
      if (rho < 0.5) {
        s = 2.0 * rho;
        q = j;
      } else {
        s = 2.0 * rho - 1.0;
        q = j - 1;
      }
      for (int k = j; q > ia && q >= 1 && k < m; ++k, --q) density[k] += s * density[q - 1] + (1.0 - s) * density[q];
    }
    for (int i = 0; i < j; ++i) density[i] = 0;
  }
  if (use_upper) {
    const int iu = index(upper);
    int ib = index(rb);
    if (ib < m - 2) ++ib;
    const double rho = (upper - grid[iu]) / d;
    if (rho < exact) {
      for (int t = 0; t <= ib - iu && iu - t >= 0; ++t) density[iu - t] += density[iu + t];
    } else {
      double s;
      int q;
      if (rho <= 0.5) {
        s = 1.0 - 2.0 * rho;
        q = iu;
      } else {
        s = 2.0 - 2.0 * rho;
        q = iu + 1;
      }
      for (int k = iu; q <= ib && q + 1 < m && k >= 0; --k, ++q) density[k] += s * density[q] + (1.0 - s) * density[q + 1];
    }
    for (int i = iu + 1; i < m; ++i) density[i] = 0;
  }
  return 0;
}
