// Tolerances: the spreads taken from values (RANGE, QRANGE, MAD, Sn, Qn and their
// normal-sigma forms) are differences of values, the same bit for bit at any offset;
// the sums (CSS and what comes of it: STD, VAR, the standard error, skewness,
// kurtosis, W and the EDF statistics) are taken about a centre at the data, and agree
// within 1e-12 of themselves; a percentile differs by the offset up to two roundings
// at the moved values' magnitude (the interpolation's and the offset's), the mean
// within the noise of its sums (1e-13 of that magnitude). Subnormal statistics, which
// have lost bits, are not compared.
#include "metamorphic/far_offsets.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <random>
#include <sstream>

#include "metamorphic/stat_table.h"

namespace kes_meta {
namespace {

constexpr double kSumAgreement = 1e-12;
constexpr double kOrderNoise = 1e-13;

bool normal_or_zero(double v) { return v == 0 || (std::fabs(v) >= DBL_MIN && std::fabs(v) <= DBL_MAX); }

// x moved by c and back, exactly: every fl(x + c) - c is a double whose sum with c
// is fl(x + c) again. Empty where a value is not so.
std::vector<double> moved_back(const std::vector<double>& x, double c) {
  std::vector<double> back;
  for (double v : x) {
    if (!std::isfinite(v)) {
      back.push_back(v);
      continue;
    }
    const double y = v + c, q = y - c;
    if (!std::isfinite(y) || q + c != y || (y - q) != c) return {};
    back.push_back(q);
  }
  return back;
}

std::vector<double> moved(const std::vector<double>& x, double c) {
  std::vector<double> out;
  for (double v : x) out.push_back(v + c);
  return out;
}

std::string shown(double v) {
  std::ostringstream s;
  s.precision(17);
  s << v;
  return s.str();
}

double at(const std::map<std::string, double>& row, const std::string& var, const std::string& kw) {
  const auto it = row.find(var + "_" + kw);
  return it == row.end() ? NAN : it->second;
}

}  // namespace

std::pair<double, double> far_offsets(const std::vector<double>& x, std::uint64_t seed) {
  double lo = INFINITY, hi = -INFINITY;
  for (double v : x)
    if (std::isfinite(v)) lo = std::min(lo, v), hi = std::max(hi, v);
  if (!std::isfinite(lo)) return {NAN, NAN};
  std::mt19937_64 rng(seed);
  const double spread = hi > lo ? hi - lo : std::fabs(lo) > 0 ? std::fabs(lo) : 1;
  // 3 2^e is about 10^6 to 10^9 spreads for e from 19 to 29 above the spread's.
  const int e = std::isfinite(spread) ? std::ilogb(spread) + 19 + static_cast<int>(rng() % 11) : 0;
  double far = std::isfinite(spread) ? 3 * std::ldexp(1.0, e) : NAN;
  double absolute = rng() % 2 ? 1.7e9 : 1e6;
  if (!std::isnormal(far) || moved_back(x, far).empty()) far = NAN;
  if (moved_back(x, absolute).empty()) absolute = NAN;
  return {far, absolute};
}

std::vector<std::pair<std::string, std::vector<double>>> far_columns(const meta_case& mc) {
  std::vector<std::pair<std::string, std::vector<double>>> cols;
  int n = 0;
  for (double c : {mc.far_c, mc.abs_c}) {
    ++n;
    if (std::isnan(c)) continue;
    cols.push_back({"xq" + std::to_string(n), moved_back(mc.data.x, c)});
    cols.push_back({"xu" + std::to_string(n), moved(mc.data.x, c)});
  }
  return cols;
}

std::vector<std::string> far_variables(const meta_case& mc) {
  std::vector<std::string> vars;
  for (const auto& col : far_columns(mc)) vars.push_back(col.first);
  return vars;
}

std::vector<std::string> values_far_off(const meta_case& mc, const program_result& r) {
  std::vector<std::string> faults;
  const auto it = r.steps.find("far");
  if (it == r.steps.end()) return {"no far step"};
  const std::map<std::string, double>& row = it->second.row;
  int n = 0;
  for (double c : {mc.far_c, mc.abs_c}) {
    ++n;
    if (std::isnan(c)) continue;
    const std::string q = "xq" + std::to_string(n), u = "xu" + std::to_string(n);
    const double big = std::max(std::fabs(at(row, u, "MIN")), std::fabs(at(row, u, "MAX")));
    for (const statistic& s : statistics()) {
      if (s.shift == shift_rule::unrelated) continue;
      const double a = at(row, q, s.keyword), b = at(row, u, s.keyword);
      double want = a, allow = 0;
      if (s.shift == shift_rule::moves) {
        want = a + c;
        // A percentile: two roundings at the offset; the mean as another order of
        // its sums allows it (its ratio of sums within a few units of rounding).
        allow = s.order == order_noise::none ? 2 * DBL_EPSILON * big : kOrderNoise * big;
      } else if (s.order != order_noise::none) {
        // A shape or a test statistic near 0 agrees to 1e-12 absolute.
        const bool unit = s.order == order_noise::shape || s.order == order_noise::normality_p;
        allow = kSumAgreement * std::max(std::fabs(a), unit ? 1.0 : 0.0);
        // The p-value of W follows log(1 - W).
        if (s.order == order_noise::normality_p) allow /= std::max(1 - at(row, q, "NORMAL"), DBL_EPSILON);
      }
      if (std::isnan(a) && std::isnan(b)) continue;
      // A subnormal statistic has lost bits: not compared.
      if (!std::isnan(a) && !std::isnan(b) && (!normal_or_zero(a) || !normal_or_zero(b) || !normal_or_zero(want)))
        continue;
      if (std::isnan(a) || std::isnan(b) || !(a == b || std::fabs(want - b) <= allow))
        faults.push_back(s.keyword + ": " + q + " " + shown(a) + ", " + u + " (plus " + shown(c) + ") expected " +
                         shown(want) + ", got " + shown(b));
    }
  }
  return faults;
}

}  // namespace kes_meta
