// The mixed-radix transform: decimation in frequency, one pass per factor in list
// order (the span shrinking by the factor each time), rotation factors between
// passes, then the digit reversal that brings the result into natural order.
#include "host/kes_math_constants.h"
#include "numeric/zfft.h"

#include <cmath>

namespace {

constexpr double kSin60 = 0.8660254037844387;
constexpr double kSin72 = 0.9510565162951536;
constexpr double kCos72 = 0.3090169943749475;

// One sequence of the transformed dimension: element k at a[k * step], b[k * step].
struct seq {
  double* a;
  double* b;
  long step;
  double& re(long k) const { return a[k * step]; }
  double& im(long k) const { return b[k * step]; }
};

// The current pass: factor p over the spans of length span (sub-span m = span / p);
// sgn is +1 or -1, the sign of the exponent.
struct pass {
  int n, span, m;
  double sgn;
};

// The rotation pair (c, s) advanced by the angle whose (2 sin^2(t/2), sin t) are
// (cd, sd), renormalised so that c^2 + s^2 stays 1.
inline void rotate(double& c, double& s, double cd, double sd) {
  const double c1 = c - (cd * c + sd * s);
  const double s1 = (sd * c - cd * s) + s;
  const double r = 0.5 / (c1 * c1 + s1 * s1) + 0.5;
  c = c1 * r;
  s = s1 * r;
}

// Runs body(g, j) for every butterfly of the pass: group start g, offset j.
template <class F>
void each_butterfly(const pass& p, F body) {
  for (int g = 0; g < p.n; g += p.span)
    for (int j = 0; j < p.m; ++j) body(g + j);
}

void tran2(const seq& x, const pass& p) {
  each_butterfly(p, [&](long k0) {
    const long k1 = k0 + p.m;
    const double ar = x.re(k0), ai = x.im(k0), br = x.re(k1), bi = x.im(k1);
    x.re(k0) = ar + br;
    x.im(k0) = ai + bi;
    x.re(k1) = ar - br;
    x.im(k1) = ai - bi;
  });
}

void tran3(const seq& x, const pass& p) {
  const double s60 = p.sgn * kSin60;
  each_butterfly(p, [&](long k0) {
    const long k1 = k0 + p.m, k2 = k1 + p.m;
    const double sr = x.re(k1) + x.re(k2), si = x.im(k1) + x.im(k2);
    const double dr = x.re(k1) - x.re(k2), di = x.im(k1) - x.im(k2);
    const double ar = x.re(k0) - 0.5 * sr, ai = x.im(k0) - 0.5 * si;
    x.re(k0) += sr;
    x.im(k0) += si;
    x.re(k1) = ar - s60 * di;
    x.im(k1) = ai + s60 * dr;
    x.re(k2) = ar + s60 * di;
    x.im(k2) = ai - s60 * dr;
  });
}

void tran4(const seq& x, const pass& p) {
  each_butterfly(p, [&](long k0) {
    const long k1 = k0 + p.m, k2 = k1 + p.m, k3 = k2 + p.m;
    const double s02r = x.re(k0) + x.re(k2), s02i = x.im(k0) + x.im(k2);
    const double d02r = x.re(k0) - x.re(k2), d02i = x.im(k0) - x.im(k2);
    const double s13r = x.re(k1) + x.re(k3), s13i = x.im(k1) + x.im(k3);
    // i * sgn * (x1 - x3)
    const double tr = -p.sgn * (x.im(k1) - x.im(k3)), ti = p.sgn * (x.re(k1) - x.re(k3));
    x.re(k0) = s02r + s13r;
    x.im(k0) = s02i + s13i;
    x.re(k1) = d02r + tr;
    x.im(k1) = d02i + ti;
    x.re(k2) = s02r - s13r;
    x.im(k2) = s02i - s13i;
    x.re(k3) = d02r - tr;
    x.im(k3) = d02i - ti;
  });
}

// A general odd factor (also 5, with its constants): paired sums and differences of
// the column against the cosines and sines of the multiples of 2 pi / f.
void tranodd(const seq& x, const pass& p, int f, const double* cs, const double* sn) {
  const int half = f / 2;
  double sr[ZFFT_MAXFACTOR], si[ZFFT_MAXFACTOR], dr[ZFFT_MAXFACTOR], di[ZFFT_MAXFACTOR];
  each_butterfly(p, [&](long k0) {
    const double x0r = x.re(k0), x0i = x.im(k0);
    double yr = x0r, yi = x0i;
    for (int q = 1; q <= half; ++q) {
      const long kq = k0 + q * static_cast<long>(p.m), kr = k0 + (f - q) * static_cast<long>(p.m);
      sr[q] = x.re(kq) + x.re(kr);
      si[q] = x.im(kq) + x.im(kr);
      dr[q] = x.re(kq) - x.re(kr);
      di[q] = x.im(kq) - x.im(kr);
      yr += sr[q];
      yi += si[q];
    }
    x.re(k0) = yr;
    x.im(k0) = yi;
    for (int r = 1; r <= half; ++r) {
      double ar = x0r, ai = x0i, br = 0, bi = 0;
      for (int q = 1; q <= half; ++q) {
        const int t = (r * q) % f;
        ar += sr[q] * cs[t];
        ai += si[q] * cs[t];
        br += dr[q] * sn[t];
        bi += di[q] * sn[t];
      }
      // y_r = a + i sgn b, y_(f-r) = a - i sgn b
      const long kr = k0 + r * static_cast<long>(p.m), kf = k0 + (f - r) * static_cast<long>(p.m);
      x.re(kr) = ar - p.sgn * bi;
      x.im(kr) = ai + p.sgn * br;
      x.re(kf) = ar + p.sgn * bi;
      x.im(kf) = ai - p.sgn * br;
    }
  });
}

void tran5(const seq& x, const pass& p) {
  const double c2 = kCos72 * kCos72 - kSin72 * kSin72;  // cos 144
  const double s2 = 2.0 * kCos72 * kSin72;              // sin 144
  const double cs[5] = {1.0, kCos72, c2, c2, kCos72};
  const double sn[5] = {0.0, kSin72, s2, -s2, -kSin72};
  tranodd(x, p, 5, cs, sn);
}

void tranelse(const seq& x, const pass& p, int f) {
  double cs[ZFFT_MAXFACTOR], sn[ZFFT_MAXFACTOR];
  for (int t = 0; t < f; ++t) {
    cs[t] = std::cos(2.0 * KES_PI * t / f);
    sn[t] = std::sin(2.0 * KES_PI * t / f);
  }
  tranodd(x, p, f, cs, sn);
}

// Multiplies output r of butterfly j by w^(r j), w = exp(sgn 2 pi i / span).
void multrot(const seq& x, const pass& p, int f) {
  const double theta = p.sgn * 2.0 * KES_PI / p.span;
  const double sd = std::sin(theta);
  const double cd = 2.0 * std::sin(0.5 * theta) * std::sin(0.5 * theta);
  double c = 1.0, s = 0.0;  // w^j
  for (int j = 1; j < p.m; ++j) {
    rotate(c, s, cd, sd);
    for (int g = 0; g < p.n; g += p.span) {
      double wr = c, wi = s;  // w^(r j)
      for (int r = 1; r < f; ++r) {
        const long k = g + j + r * static_cast<long>(p.m);
        const double xr = x.re(k), xi = x.im(k);
        x.re(k) = xr * wr - xi * wi;
        x.im(k) = xr * wi + xi * wr;
        const double t = wr * c - wi * s;
        wi = wr * s + wi * c;
        wr = t;
      }
    }
  }
}

// Where the passes leave frequency k: its digits (first factor lowest) reversed.
long stored_at(long k, const int* factors, int count, int n) {
  long pos = 0, weight = n;
  for (int i = 0; i < count; ++i) {
    weight /= factors[i];
    pos += (k % factors[i]) * weight;
    k /= factors[i];
  }
  return pos;
}

// Brings every frequency k from stored_at(k) to k, cycle by cycle, each cycle moved
// once from its smallest member; no work table is needed.
void permute(const seq& x, const int* factors, int count, int n) {
  for (long k = 1; k < n; ++k) {
    long j = stored_at(k, factors, count, n);
    if (j == k) continue;
    bool smallest = true;
    for (long t = j; t != k; t = stored_at(t, factors, count, n))
      if (t < k) {
        smallest = false;
        break;
      }
    if (!smallest) continue;
    // position k takes from j, j from stored_at(j), ... until the cycle closes.
    const double hr = x.re(k), hi = x.im(k);
    long to = k;
    for (long from = j; from != k; from = stored_at(from, factors, count, n)) {
      x.re(to) = x.re(from);
      x.im(to) = x.im(from);
      to = from;
    }
    x.re(to) = hr;
    x.im(to) = hi;
  }
}

void transform(const seq& x, int n, const int* factors, int count, double sgn) {
  pass p{n, n, n, sgn};
  for (int i = 0; i < count; ++i) {
    const int f = factors[i];
    p.m = p.span / f;
    switch (f) {
      case 2: tran2(x, p); break;
      case 3: tran3(x, p); break;
      case 4: tran4(x, p); break;
      case 5: tran5(x, p); break;
      default: tranelse(x, p, f); break;
    }
    if (i + 1 < count) multrot(x, p, f);
    p.span = p.m;
  }
  permute(x, factors, count, n);
}

}  // namespace

int zfft(double* a, double* b, int ntot, int n, int nspan, int isn) {
  if (n < 2 || isn == 0 || nspan < n || nspan % n != 0 || ntot < nspan || ntot % nspan != 0) return 1;
  int factors[2 * ZFFT_MAXFACTORS];
  int count = 0, kt = 0, largest = ZFFT_MAXFACTOR, product = ZFFT_MAXSQFREE;
  zfftfac(factors, n, &count, &kt, &largest, &product);
  if (count == 0) return 1;
  const long inc = isn < 0 ? -static_cast<long>(isn) : isn;
  const long spacing = nspan / n;  // between successive elements of a sequence
  const double sgn = isn < 0 ? -1.0 : 1.0;
  for (long base = 0; base < ntot; base += nspan)
    for (long off = 0; off < spacing; ++off) {
      const seq x{a + (base + off) * inc, b + (base + off) * inc, spacing * inc};
      transform(x, n, factors, count, sgn);
    }
  return 0;
}
