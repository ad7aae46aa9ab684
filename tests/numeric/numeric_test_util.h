// Shared helpers of the numerical toolkit tests: reference-table rows and error reports.
#pragma once
#include <cmath>
#include <cstdio>
#include <limits>

struct Ref1 { double x, v; };
struct Ref2 { double a, b, v; };
struct Ref3 { double a, b, c, v; };
struct RefBeta { double x, a, b, p, q, d; };
struct RefGamma { double x, a, p, q, d; };
struct RefT2 { double t2; int df; double v; };
struct RefDfci { int type; double n, alpha, p; int status; double lo, hi, cover; };

inline double relerr(double got, double want) {
  if (got == want) return 0.0;
  if (want == 0.0) return std::fabs(got);
  return std::fabs(got - want) / std::fabs(want);
}

// Largest error seen over a table, printed when the test ends.
struct MaxErr {
  const char* name;
  double max = 0.0;
  double at = std::numeric_limits<double>::quiet_NaN();
  explicit MaxErr(const char* n) : name(n) {}
  void add(double e, double where) {
    if (e > max || std::isnan(e)) {
      max = e;
      at = where;
    }
  }
  ~MaxErr() { std::printf("[ report   ] %-40s max error %.3e at %.17g\n", name, max, at); }
};
