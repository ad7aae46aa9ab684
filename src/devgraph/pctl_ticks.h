// The arithmetic of percent axes: where a percent stands (at its theoretical
// quantile, in proportion between the axis' ends), which listed percents and which of
// the fixed minor percents get ticks, and a percent's text as a tick value.
#pragma once
#include <vector>

#include "util/kes_eps.h"

// Quantiles this close outside an axis' range still count as on it.
constexpr double KES_PCTL_SLACK = ZSQRT_EPS53;

// The position of quantile v on an axis from org, len long, spanning qmin..qmax.
double kes_pctl_at(double v, double qmin, double qmax, double org, double len);

// True when quantile v lies on the axis (within the slack).
inline bool kes_pctl_on(double v, double qmin, double qmax) {
  return v >= qmin - KES_PCTL_SLACK && v <= qmax + KES_PCTL_SLACK;
}

// The m minor percents between two listed percents a and b: the interval split into
// m + 1 equal steps in percent.
std::vector<double> kes_pctl_between(double a, double b, int m);

// The fixed minor percents that get ticks: each of the 16 groups is kept whole when
// its ticks stand on average more than 0.25 apart (the distance between its first and
// last position over its count + 1), and of a kept group the percents on the axis.
// q(p) gives the standardized quantile of a proportion p.
template <class Quantile>
std::vector<double> kes_pctl_minor(Quantile q, double qmin, double qmax, double org, double len);

// The fixed minor-percent groups: count and percents of group g (0..15).
int kes_pctl_group(int g, const double** percents);
constexpr int KES_PCTL_GROUPS = 16;

template <class Quantile>
std::vector<double> kes_pctl_minor(Quantile q, double qmin, double qmax, double org, double len) {
  std::vector<double> out;
  for (int g = 0; g < KES_PCTL_GROUPS; ++g) {
    const double* p = nullptr;
    const int k = kes_pctl_group(g, &p);
    const double first = kes_pctl_at(q(p[0] / 100), qmin, qmax, org, len);
    const double last = kes_pctl_at(q(p[k - 1] / 100), qmin, qmax, org, len);
    if (!((last - first) / (k + 1) > 0.25)) continue;
    for (int i = 0; i < k; ++i)
      if (kes_pctl_on(q(p[i] / 100), qmin, qmax)) out.push_back(p[i]);
  }
  return out;
}

// A listed percent as a tick value: the decimal it was given as (99.99999, not 100);
// the length. buf holds KES_PCTL_TEXT characters.
int kes_pctl_text(double percent, char* buf);
constexpr int KES_PCTL_TEXT = 32;
// A fitted percent, which has no short decimal: the shortest form in width
// characters; the length.
int kes_pctl_fitted_text(double percent, int width, char* buf);

struct kes_ctx;
struct kes_axis;
// With PCTLSCALE the quantile axis of a QQ plot (the horizontal one, the vertical one
// under ROTATE) is labelled with the percent of the key cell's fitted distribution at
// each tick, in 4 characters; 0 (no text) when the tick before reads the same. The
// length, or -1 when ax is not that axis.
int kes_pctlscale_text(kes_ctx* ctx, const kes_axis& ax, double v, char* buf);
