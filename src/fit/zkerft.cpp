// The real transform pair of the kernel grid: the even and odd samples become the
// real and imaginary parts of a complex sequence of half the length, transformed by
// a radix-4 pass structure with bit-reversed output, and untangled.
#include "fit/zkerft.h"

#include <cmath>
#include <utility>

#include "host/kes_math_constants.h"
#include "numeric/zvkern.h"

namespace {


// Rotation pairs by recurrence, renormalised at every step so that c^2 + s^2 stays 1.
struct rotation {
  double c = 1.0, s = 0.0, cd, sd;
  explicit rotation(double theta) : cd(2.0 * std::sin(0.5 * theta) * std::sin(0.5 * theta)), sd(std::sin(theta)) {}
  void next() {
    const double c1 = c - (cd * c + sd * s);
    const double s1 = s + (sd * c - cd * s);
    const double r = 1.5 - 0.5 * (c1 * c1 + s1 * s1);
    c = c1 * r;
    s = s1 * r;
  }
};

// Forward passes without the division: radix 4 while at least four points remain in
// a span, then one radix-2 pass over adjacent pairs for an odd power.
void forward_passes(double* x, double* y, int n) {
  int span = n;
  for (; span >= 4; span /= 4) {
    const int q = span / 4;
    rotation w(-2.0 * KES_PI / span);
    for (int j = 0; j < q; ++j, w.next()) {
      const double w1r = w.c, w1i = w.s;
      const double w2r = w1r * w1r - w1i * w1i, w2i = 2.0 * w1r * w1i;
      const double w3r = w2r * w1r - w2i * w1i, w3i = w2r * w1i + w2i * w1r;
      for (int g = 0; g < n; g += span) {
        const int i0 = g + j, i1 = i0 + q, i2 = i1 + q, i3 = i2 + q;
        const double s02r = x[i0] + x[i2], s02i = y[i0] + y[i2];
        const double d02r = x[i0] - x[i2], d02i = y[i0] - y[i2];
        const double s13r = x[i1] + x[i3], s13i = y[i1] + y[i3];
        const double d13r = x[i1] - x[i3], d13i = y[i1] - y[i3];
        // Outputs in bit-reversed digit order: 0, 2, 1, 3.
        x[i0] = s02r + s13r;
        y[i0] = s02i + s13i;
        double tr = s02r - s13r, ti = s02i - s13i;
        x[i1] = tr * w2r - ti * w2i;
        y[i1] = tr * w2i + ti * w2r;
        tr = d02r + d13i;  // (x0 - x2) - i (x1 - x3)
        ti = d02i - d13r;
        x[i2] = tr * w1r - ti * w1i;
        y[i2] = tr * w1i + ti * w1r;
        tr = d02r - d13i;  // (x0 - x2) + i (x1 - x3)
        ti = d02i + d13r;
        x[i3] = tr * w3r - ti * w3i;
        y[i3] = tr * w3i + ti * w3r;
      }
    }
  }
  if (span == 2)
    for (int i = 0; i < n; i += 2) {
      const double ar = x[i], ai = y[i];
      x[i] = ar + x[i + 1];
      y[i] = ai + y[i + 1];
      x[i + 1] = ar - x[i + 1];
      y[i + 1] = ai - y[i + 1];
    }
}

}  // namespace

void fastg(double* x, double* y, int n, int direction) {
  if (n < 2) return;
  if (direction == 1) {
    forward_passes(x, y, n);
    zvscl11(x, x, n, 1.0 / n);
    zvscl11(y, y, n, 1.0 / n);
    return;
  }
  for (int i = 0; i < n; ++i) y[i] = -y[i];
  forward_passes(x, y, n);
  for (int i = 0; i < n; ++i) y[i] = -y[i];
}

void scrag(double* a, int n, int k) {
  if (k < 1) return;
  // A counter whose bits run in reverse order, carried from the top bit down.
  int rev = 0;
  for (int i = 0; i < n; ++i) {
    if (i < rev) std::swap(a[i], a[rev]);
    int bit = n >> 1;
    while (bit > 0 && (rev & bit)) {
      rev ^= bit;
      bit >>= 1;
    }
    rev |= bit;
  }
}

void zkerft(double* a, int m, int k) {
  const int half = m / 2;
  scrag(a, m, k);
  scrag(a, half, k - 1);
  scrag(a + half, half, k - 1);
  double* x = a;
  double* y = a + half;
  fastg(x, y, half, 1);
  scrag(x, half, k - 1);
  scrag(y, half, k - 1);
  // Frequencies j and half - j of the even (E) and odd (O) parts:
  // E = (Z_j + conj Z_(half-j)) / 2, O = (Z_j - conj Z_(half-j)) / 2i, and the
  // transform of the whole is (E + w^j O) / 2 with w = exp(-i pi / half).
  const double x0 = x[0], y0 = y[0];
  x[0] = 0.5 * (x0 + y0);
  y[0] = 0.5 * (x0 - y0);  // element half
  if (half >= 2) {
    x[half / 2] *= 0.5;
    y[half / 2] *= -0.5;
  }
  rotation w(-KES_PI / half);
  for (int j = 1; j < half / 2; ++j) {
    w.next();
    const int l = half - j;
    const double er = x[j] + x[l], ei = y[j] - y[l];  // 2E_j
    const double or_ = y[j] + y[l], oi = x[l] - x[j];  // 2O_j
    const double tr = w.c * or_ - w.s * oi, ti = w.c * oi + w.s * or_;
    x[j] = 0.25 * (er + tr);
    y[j] = 0.25 * (ei + ti);
    // Frequency half - j: E conjugated, w^(half-j) = -conj(w^j).
    x[l] = 0.25 * (er - tr);
    y[l] = 0.25 * (ti - ei);
  }
}

void zkerfti(double* a, int m, int k) {
  const int half = m / 2;
  double* x = a;
  double* y = a + half;
  const double a0 = x[0], ah = y[0];
  x[0] = a0 + ah;
  y[0] = a0 - ah;
  if (half >= 2) {
    x[half / 2] *= 2.0;
    y[half / 2] *= -2.0;
  }
  rotation w(-KES_PI / half);
  for (int j = 1; j < half / 2; ++j) {
    w.next();
    const int l = half - j;
    // P_j and conj P_l give E_j = P_j + conj P_l and O_j = (P_j - conj P_l) w^-j;
    // Z_j = E_j + i O_j, and Z_l from the conjugate pair.
    const double er = x[j] + x[l], ei = y[j] - y[l];
    const double dr = x[j] - x[l], di = y[j] + y[l];
    const double or_ = dr * w.c + di * w.s, oi = di * w.c - dr * w.s;
    x[j] = er - oi;
    y[j] = ei + or_;
    x[l] = er + oi;
    y[l] = or_ - ei;
  }
  fastg(x, y, half, -1);
  scrag(a, m, k);
}
