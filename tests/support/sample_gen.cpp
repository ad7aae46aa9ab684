#include "support/sample_gen.h"

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <limits>

#include "support/draws.h"
#include "support/value_scales.h"

namespace kes_test {
namespace {

// An ordinary value about a centre: on a binary grid (so that shifts are exact) or
// written with four decimal digits, as a user's data are.
double ordinary_value(const draws& d, double centre, double spread, bool on_grid) {
  const double v = d.normal(centre, spread);
  if (on_grid) return std::round(v * 256) / 256;
  char b[32];
  std::snprintf(b, sizeof b, "%.4g", v);
  return std::strtod(b, nullptr);
}

std::vector<double> draw_values(value_kind kind, int rows, const draws& d) {
  std::vector<double> x(static_cast<std::size_t>(rows));
  const double centre = std::round(d.uniform(-50, 150));
  const double spread = std::ldexp(1.0, d.below(8) - 2);
  const bool on_grid = d.below(2) == 0;
  std::vector<double> levels;
  for (int i = 0, n = 1 + d.below(5); i < n; ++i) levels.push_back(ordinary_value(d, centre, spread, on_grid));
  const double one[] = {3.7, -2, 0.1, 1e300, -1e-300, 5e-324, 1.7976931348623157e308};
  const double constant = one[d.below(7)];
  for (double& v : x) {
    switch (kind) {
      case value_kind::ordinary: v = ordinary_value(d, centre, spread, on_grid); break;
      case value_kind::ties: v = levels[static_cast<std::size_t>(d.below(static_cast<int>(levels.size())))]; break;
      case value_kind::outliers:
        v = ordinary_value(d, centre, spread, on_grid);
        if (d.below(50) == 0) v += d.sign() * 1e6 * spread;
        break;
      case value_kind::one_value: v = constant; break;
      case value_kind::huge: v = d.sign() * d.uniform(0.05, 1) * DBL_MAX; break;
      case value_kind::tiny: v = in_unit(d.uniform(1, 10), kTinyUnit); break;
      case value_kind::subnormal: v = d.sign() * subnormal_multiple(static_cast<double>(d.below(1000))); break;
      case value_kind::mixed: v = d.sign() * std::pow(10.0, d.uniform(-300, 300)); break;
      case value_kind::nano: v = in_unit(d.uniform(0.5, 9.04), kNanoUnit); break;
      case value_kind::e_minus20: v = in_unit(d.uniform(0.5, 9.04), kUnit1eMinus20); break;
    }
  }
  // A quarter of the data sets have a few missing values.
  if (rows > 2 && d.below(4) == 0)
    for (double& v : x)
      if (d.below(30) == 0) v = std::numeric_limits<double>::quiet_NaN();
  return x;
}

std::vector<double> draw_weights(weight_kind kind, int rows, const draws& d) {
  std::vector<double> w;
  for (int i = 0; i < rows && kind != weight_kind::none; ++i) {
    double c = 1;
    // Weights rising (or falling) by a factor 1e12 a row, from 1e-300 to 1e300 and again.
    const int step = kind == weight_kind::falling ? 50 - i % 51 : i % 51;
    switch (kind) {
      case weight_kind::none: break;
      case weight_kind::ordinary: c = d.below(40) == 0 ? 0 : std::round(d.uniform(0.5, 2) * 1000) / 1000; break;
      case weight_kind::huge: c = d.uniform(0.01, 0.9) * DBL_MAX; break;
      case weight_kind::tiny: c = in_unit(d.uniform(1, 10), kTinyUnit); break;
      case weight_kind::subnormal: c = subnormal_multiple(static_cast<double>(1 + d.below(100))); break;
      case weight_kind::mixed: c = std::pow(10.0, d.uniform(-300, 300)); break;
      case weight_kind::rising:
      case weight_kind::falling: c = std::pow(10.0, -300 + 12 * step); break;
      case weight_kind::nano: c = in_unit(d.uniform(0.5, 2), kNanoUnit); break;
      case weight_kind::e_minus20: c = in_unit(d.uniform(0.5, 2), kUnit1eMinus20); break;
    }
    w.push_back(c);
  }
  return w;
}

}  // namespace

const char* name_of(value_kind k) {
  const char* names[] = {"ordinary", "ties", "outliers", "one_value", "huge", "tiny", "subnormal", "mixed", "nano", "1e-20"};
  return names[static_cast<int>(k)];
}

const char* name_of(weight_kind k) {
  const char* names[] = {"none", "ordinary", "huge", "tiny", "subnormal", "mixed", "rising", "falling", "nano", "1e-20"};
  return names[static_cast<int>(k)];
}

std::string sample::kind() const {
  return std::string("values=") + name_of(plan.values) + " weights=" + name_of(plan.weights) +
         (plan.weights == weight_kind::none ? " unweighted" : " weighted") + (plan.freq ? " freq" : " nofreq") +
         " rows=" + std::to_string(plan.rows);
}

sample_plan draw_spec(std::mt19937_64& rng) {
  const draws d{rng};
  sample_plan s;
  s.values = static_cast<value_kind>(d.below(10));
  s.weights = d.below(2) == 0 ? weight_kind::none : static_cast<weight_kind>(1 + d.below(9));
  s.freq = d.below(3) == 0;
  const int size_class = d.below(10);
  s.rows = size_class < 7 ? 1 + d.below(60) : size_class < 9 ? 61 + d.below(940) : 1001 + d.below(9000);
  return s;
}

sample draw_sample(const sample_plan& plan, std::mt19937_64& rng) {
  const draws d{rng};
  sample s;
  s.plan = plan;
  s.x = draw_values(plan.values, plan.rows, d);
  s.w = draw_weights(plan.weights, plan.rows, d);
  if (plan.freq)
    for (int i = 0; i < plan.rows; ++i) s.f.push_back(d.below(5));
  return s;
}

}  // namespace kes_test
