// zbtamle: the two beta shapes from the mean logarithms of the standardized values
// and of their complements, g1 = psi(a + b) - psi(a) and g2 = psi(a + b) - psi(b): a
// Newton solve for one shape, false position on psi(2v) - psi(v) for equal shapes,
// and a search over grid sums for unequal ones that starts two-variable Newton.
#include <cmath>

#include "fit/zfit_fams.h"
#include "numeric/zdigama.h"
#include "numeric/zmissing.h"
#include "numeric/ztigama.h"

namespace {
constexpr int kGrid = 35;
constexpr int kSteps = 50;
// False position converges linearly at worst; far more than it ever needs.
constexpr int kFalsePosSteps = 200;

// The grid with 0.0 before it, so that entry -1 exists for the search.
constexpr double kX[kGrid + 1] = {0.0,  0.001, 0.01, 0.05, 0.1, 0.2, 0.3, 0.4, 0.5, 0.6, 0.7, 0.8,
                                  0.9,  1,     2,    3,    4,   5,   6,   7,   8,   9,   10,  20,
                                  30,   40,    50,   60,   70,  80,  90,  100, 200, 400, 800, 1000};
double x(int i) { return kX[i + 1]; }

double digam(double v) { return zbeta_psi(v); }
double trigam(double v) { return zbeta_psi1(v); }

// psi at the grid and psi(2v) - psi(v) there, to 10 decimals: they only place the
// starts of the solves.
struct tables {
  double psi[kGrid], dup[kGrid];
  tables() {
    for (int i = 0; i < kGrid; ++i) {
      psi[i] = std::round(digam(x(i)) * 1e10) / 1e10;
      dup[i] = std::round((digam(2.0 * x(i)) - digam(x(i))) * 1e10) / 1e10;
    }
  }
};
const tables& tab() {
  static const tables t;
  return t;
}

double fval(double a, double b, double g1, double g2) {
  const double s = digam(a + b);
  const double f1 = s - digam(a) - g1, f2 = s - digam(b) - g2;
  return f1 * f1 + f2 * f2;
}

// Two-variable Newton from (a, b); the last pair and its fval.
double solv(double* a, double* b, double g1, double g2, double tol) {
  double fv = fval(*a, *b, g1, g2);
  for (int it = 0; it < kSteps && !(fv < tol); ++it) {
    const double s = digam(*a + *b), ts = trigam(*a + *b);
    const double f1 = s - digam(*a) - g1, f2 = s - digam(*b) - g2;
    // Jacobian of (f1, f2) with the sign turned.
    const double j11 = trigam(*a) - ts, j12 = -ts, j22 = trigam(*b) - ts;
    const double det = j11 * j22 - j12 * j12;
    if (!(std::fabs(det) > 0.0) || !std::isfinite(det)) break;
    const double na = *a + (j22 * f1 - j12 * f2) / det;
    const double nb = *b + (j11 * f2 - j12 * f1) / det;
    // A shape must stay positive: the solve stops where it is.
    if (!(na > 0.0) || !(nb > 0.0)) break;
    *a = na;
    *b = nb;
    fv = fval(*a, *b, g1, g2);
  }
  return fv;
}

// The root of psi(2v) - psi(v) = g between lo and hi, whose values must lie on both
// sides of it; false when they do not or the steps run out.
bool intrp3(double lo, double hi, double g, double tol, double* root, double* resid) {
  auto f = [g](double v) { return digam(2.0 * v) - digam(v) - g; };
  const double s = std::sqrt(tol);
  double flo = f(lo), fhi = f(hi);
  if (std::fabs(fhi) <= s) {
    *root = hi;
    *resid = 2.0 * fhi * fhi;
    return true;
  }
  if ((flo > 0.0) == (fhi > 0.0)) return false;
  for (int it = 0; it < kFalsePosSteps; ++it) {
    double v = lo - flo * (lo - hi) / (flo - fhi);
    if (std::fabs(v - lo) < 1e-12 || std::fabs(hi - v) < 1e-12 || lo == 0.01) v = 0.5 * (lo + hi);
    const double fv = f(v);
    if (std::fabs(fv) <= s) {
      *root = v;
      *resid = 2.0 * fv * fv;
      return true;
    }
    if ((fv > 0.0) != (flo > 0.0)) {
      hi = v;
      fhi = fv;
    } else {
      lo = v;
      flo = fv;
    }
  }
  return false;
}

int symmetric(double g, double* a, double* b, double tol, double* resid) {
  if (g < 0.0) return 1;
  const double* d = tab().dup;
  for (int i = 1; i < kGrid; ++i) {
    if (std::fabs(d[i] - g) < std::sqrt(tol)) {
      *a = *b = x(i);
      *resid = (d[i] - g) * (d[i] - g);
      return 0;
    }
    if ((d[i] - g > 0.0) != (d[i - 1] - g > 0.0)) {
      double r;
      if (!intrp3(x(i - 1), x(i), g, tol, &r, resid)) return 1;
      *a = *b = r;
      return 0;
    }
  }
  return 1;
}

int asymmetric(double g1, double g2, double* a, double* b, double tol, double* resid) {
  const double* psi = tab().psi;
  double pa = 0.0, pb = 0.0;
  for (int k = 1;; ++k) {
    while (k < kGrid && x(k) < pa + pb) ++k;
    if (k >= kGrid) return 1;
    const double t = x(k), A = psi[k] - g1, B = psi[k] - g2;
    int i = 1;
    while (i <= k && (A - psi[i] > 0.0) == (A - psi[i - 1] > 0.0)) ++i;
    if (i > k) continue;
    const double a0 = x(i - 1) + (x(i) - x(i - 1)) * (A - psi[i - 1]) / (psi[i] - psi[i - 1]);
    const double blo = std::fmax(x(0), t - x(i)), bhi = t - x(i - 1);
    int e = 0;
    while (e <= k && !(x(e - 1) <= blo && blo <= x(e))) ++e;
    if (e > k) continue;
    // The cell below the lowest grid point has no psi value: start from the grid's.
    e = e > 0 ? e - 1 : 0;
    for (int m = e; m < k; ++m) {
      if (!(x(m) <= bhi && bhi <= x(m + 1) && psi[e] < B && B < psi[m + 1])) continue;
      pa = a0;
      pb = x(e) + (x(m + 1) - x(e)) * (B - psi[e]) / (psi[m + 1] - psi[e]);
      const double fv = solv(&pa, &pb, g1, g2, tol);
      if (fv < tol) {
        *a = pa;
        *b = pb;
        *resid = fv;
        return 0;
      }
    }
  }
}
}  // namespace

double zbeta_psi(double v) {
  if (v < 0.001) return -1000.0;
  double p = 0.0;
  zdigama(v, &p);
  return p;
}

double zbeta_psi1(double v) {
  int st = 0;
  return ztigama(v, &st);
}

int zbtamle(double g1, double g2, double* a, double* b, double tol, double* resid) {
  if (!std::isnan(*a)) {
    // The first shape given: Newton on the second from near zero, where the equation's
    // left side is convex and decreasing, so the steps never pass the root.
    double v = 0.001, f = 0.0;
    for (int it = 0; it < kSteps; ++it) {
      f = digam(*a + v) - digam(v) - g2;
      if (std::fabs(f) <= tol) {
        *b = v;
        *resid = std::fabs(f);
        return 0;
      }
      v -= f / (trigam(*a + v) - trigam(v));
      if (v < 0.0) {
        *resid = ZDBL_BIG;
        return 1;
      }
    }
    *resid = std::fabs(f);
    return 1;
  }
  if (std::fabs(g1 - g2) <= tol) return symmetric(g1, a, b, tol, resid);
  return asymmetric(g1, g2, a, b, tol, resid);
}
