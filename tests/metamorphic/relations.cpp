// Tolerances. Scaling the values or the weights by 2^k is exact in binary, and every
// operation of the statistics (sums, products, quotients, roots, comparisons) commutes
// with it, so those relations are bit-for-bit, wherever the statistic is a normal
// number at both scales; where it is not representable at one of them (an overflow or
// a result in the subnormal range, which loses bits) it is not compared, and a
// statistic missing at one scale only must be such a one. Another order of the rows
// changes only the order of the sums: statistics of sorted values and counts are
// bit-for-bit the same, the others within 1e-13 of the scale their sums are made of
// (order_noise). A shift moves a percentile by c up to two roundings at the largest
// value's magnitude (the interpolation's and the shift's, 2 DBL_EPSILON of it); sums
// as another order does. Fits are iterative: they stop within their own tolerance, so their
// parameters are compared within 1e-6 relative (locations relative to the scale). Where
// the likelihood's maximum is flat that is too strict: fits by maximum likelihood whose
// parameters differ more are judged by the log-likelihood of the data at both (see
// likelihoods_agree).
#include "metamorphic/relations.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <sstream>

#include "metamorphic/far_offsets.h"
#include "metamorphic/row_rules.h"
#include "metamorphic/stat_table.h"
#include "support/log_density.h"

namespace kes_meta {
namespace {

constexpr double kOrderNoise = 1e-13;
constexpr double kFitTolerance = 1e-6;

using row_t = std::map<std::string, double>;

std::string shown(double v) {
  std::ostringstream s;
  s.precision(17);
  s << v;
  return s.str();
}

double at(const row_t& row, const std::string& var, const std::string& kw) {
  const auto it = row.find(var + "_" + kw);
  return it == row.end() ? NAN : it->second;
}

bool normal_or_zero(double v) { return v == 0 || (std::fabs(v) >= DBL_MIN && std::fabs(v) <= DBL_MAX); }

// A statistic missing at one scale and v at the other is right when v is not known to
// all its bits (subnormal) or its image 2^e v at the first is not representable.
bool missing_image_right(double v, int e) {
  if (v == 0) return false;  // 0 at every scale
  if (!normal_or_zero(v)) return true;
  const double image = std::ldexp(v, e);
  return image == 0 || !normal_or_zero(image);
}

// The spread of the values in their own unit, weighted or not: the standard error
// times the root of N (STD where there are no weights), or the range where that is
// not representable.
double value_spread(const row_t& row, const std::string& var) {
  const double spread = at(row, var, "STDMEAN") * std::sqrt(at(row, var, "N"));
  return std::isfinite(spread) && spread > 0 ? spread : at(row, var, "RANGE");
}

// The allowance of a statistic between two runs whose sums were taken in other orders.
double order_allowance(const statistic& s, double a, double b, const row_t& row, const std::string& var) {
  const double big = std::max(std::fabs(at(row, var, "MIN")), std::fabs(at(row, var, "MAX")));
  const double self = std::max(std::fabs(a), std::fabs(b));
  switch (s.order) {
    case order_noise::none: return 0;
    case order_noise::location: return kOrderNoise * big;
    case order_noise::total: return kOrderNoise * std::fmax(self, at(row, var, "SUMWGT") * big);
    case order_noise::itself: return kOrderNoise * self;
    case order_noise::shape: return kOrderNoise * std::max(self, 1.0) * (1 + big / value_spread(row, var));
    case order_noise::normality_p:
      return kOrderNoise * (1 + big / value_spread(row, var)) *
             (1 / (1 - at(row, var, "NORMAL")) + std::sqrt(at(row, var, "N")));
    case order_noise::mean_ratio: return kOrderNoise * self * (1 + big / std::fabs(at(row, var, "MEAN")));
    case order_noise::t_p_value:
      return kOrderNoise * (self + std::fabs(at(row, var, "T")) * (1 + big / std::fabs(at(row, var, "MEAN"))));
  }
  return 0;
}

// a and b, the same statistic of two runs, agree within allow (both missing agrees).
bool agree(double a, double b, double allow) {
  if (std::isnan(a) || std::isnan(b)) return std::isnan(a) && std::isnan(b);
  return a == b || std::fabs(a - b) <= allow;
}

void note(std::vector<std::string>& faults, const std::string& what, double a, double want, double got) {
  faults.push_back(what + ": from " + shown(a) + " expected " + shown(want) + ", got " + shown(got));
}

// Every statistic of run b equals that of run a times 2^(k power) for a power each
// statistic names, bit for bit where both are representable.
std::vector<std::string> scaled_rows(const row_t& ra, const std::string& va, const row_t& rb, const std::string& vb,
                                     int k, bool by_weight) {
  std::vector<std::string> faults;
  for (const statistic& s : statistics()) {
    const int twice = by_weight ? s.weight_power2 * k : 2 * s.scale_power * k;
    const double a = at(ra, va, s.keyword), b = at(rb, vb, s.keyword);
    const double want = std::ldexp(a, twice / 2), back = std::ldexp(b, -twice / 2);
    if (std::isnan(a) != std::isnan(b)) {
      // Missing at one scale only: right only where the value is not representable
      // at the other.
      if (std::isnan(a) ? !missing_image_right(b, -twice / 2) : !missing_image_right(a, twice / 2))
        faults.push_back(s.keyword + ": missing at one scale only (" + shown(a) + " and " + shown(b) + ")");
      continue;
    }
    if (std::isnan(a) || !normal_or_zero(a) || !normal_or_zero(b) || !normal_or_zero(want) || !normal_or_zero(back))
      continue;
    // A value whose image lies below the least double (a mean of subnormals read 0 at
    // one scale) is not representable there either.
    if ((want == 0) != (a == 0) || (back == 0) != (b == 0)) continue;
    if (want != b) note(faults, s.keyword, a, want, b);
  }
  return faults;
}

// Every statistic of two runs over the same rows in other orders (or counted as
// copies) agrees within the noise of its sums; so do the return codes and warnings.
std::vector<std::string> same_rows(const step_result& a, const step_result& b) {
  std::vector<std::string> faults;
  if (a.code != b.code) faults.push_back("return code " + std::to_string(a.code) + " and " + std::to_string(b.code));
  if (a.warnings != b.warnings) {
    std::string s = "the warnings differ:";
    for (const auto* w : {&a.warnings, &b.warnings}) {
      s += "\n   [";
      for (const std::string& line : *w) s += "\n    " + line;
      s += "]";
    }
    faults.push_back(s);
  }
  for (const statistic& s : statistics()) {
    const double x = at(a.row, "x", s.keyword), y = at(b.row, "x", s.keyword);
    if (!agree(x, y, order_allowance(s, x, y, a.row, "x"))) note(faults, s.keyword, x, x, y);
  }
  return faults;
}

const step_result& step(const program_result& r, const char* name) {
  static const step_result none;
  const auto it = r.steps.find(name);
  return it == r.steps.end() ? none : it->second;
}

std::vector<std::string> rows_agree(const meta_case& mc, const program_result& r) {
  std::vector<std::string> faults;
  const bool zero_weights = std::any_of(mc.data.w.begin(), mc.data.w.end(), [](double w) { return !(w > 0); });
  for (const auto& [name, s] : r.steps)
    for (const char* var : {"x", "xs", "xc"})
      for (const std::string& f : row_faults(s.row, var, zero_weights)) faults.push_back(name + " " + f);
  return faults;
}

std::vector<std::string> values_scaled(const meta_case& mc, const program_result& r) {
  return scaled_rows(step(r, "base").row, "x", step(r, "scaled").row, "xs", mc.k, false);
}

std::vector<std::string> weights_scaled(const meta_case& mc, const program_result& r) {
  return scaled_rows(step(r, "base").row, "x", step(r, "wscaled").row, "x", mc.kw, true);
}

std::vector<std::string> values_shifted(const meta_case& mc, const program_result& r) {
  std::vector<std::string> faults;
  const row_t &ra = step(r, "base").row, &rb = step(r, "scaled").row;
  const double big = std::max(std::fabs(at(rb, "xc", "MIN")), std::fabs(at(rb, "xc", "MAX")));
  for (const statistic& s : statistics()) {
    if (s.shift == shift_rule::unrelated) continue;
    const double a = at(ra, "x", s.keyword), b = at(rb, "xc", s.keyword);
    const double want = s.shift == shift_rule::moves ? a + mc.c : a;
    const double allow = s.order == order_noise::none ? 2 * DBL_EPSILON * big : order_allowance(s, want, b, rb, "xc");
    if (!agree(want, b, allow)) note(faults, s.keyword, a, want, b);
  }
  return faults;
}

std::vector<std::string> rows_reversed(const meta_case&, const program_result& r) {
  return same_rows(step(r, "base"), step(r, "reversed"));
}

std::vector<std::string> rows_shuffled(const meta_case&, const program_result& r) {
  return same_rows(step(r, "base"), step(r, "shuffled"));
}

std::vector<std::string> freq_copies(const meta_case&, const program_result& r) {
  return same_rows(step(r, "base"), step(r, "copies"));
}

// How a fitted parameter follows the values: named by its parameter and symbol.
enum class fit_part { location, scale, shape, log_scale };
fit_part part_of(const std::string& key) {
  const std::string tail = key.substr(key.find('|', key.find('|', key.find('|') + 1) + 1) + 1);
  if (tail == "Scale|Zeta") return fit_part::log_scale;
  if (tail.rfind("Threshold|", 0) == 0 || tail.rfind("Mean|", 0) == 0 ||
      tail.rfind("Mode|", 0) == 0 || tail.rfind("Location|", 0) == 0)
    return fit_part::location;
  if (tail.rfind("Scale|", 0) == 0 || tail.rfind("Std Dev|", 0) == 0) return fit_part::scale;
  return fit_part::shape;
}

// The log-likelihoods of the data at two fits' parameters agree within what tells two
// maxima of one flat likelihood from a worse fit: exp(1e-10 n) in the likelihood ratio,
// so that parameters in a direction where each value's log density bends by 1 (a
// location in units of the spread, a log scale, a shape of moderate size) may differ
// by sqrt(2e-10), 1.4e-5, beyond the 1e-6 of the parameters' check but far below the
// estimates' own standard error, 1 / root n. (The flat maxima met are 1e-13 n apart.)
// Besides, each sum's rounding in long double, (n + 16) LDBL_EPSILON times the
// magnitude of its parts, which is far smaller than that unless the parts are huge
// (a gamma shape of 1e7 adds terms of that size).
bool likelihoods_agree(const kes_test::log_term& a, const kes_test::log_term& b) {
  if (a.n == 0 || !std::isfinite(a.value) || !std::isfinite(b.value)) return false;  // no values: nothing to judge by
  const long double rounding = (a.n + 16) * LDBL_EPSILON * (a.size + b.size);
  return std::fabs(a.value - b.value) <= 1e-10L * a.n + rounding;
}

std::string shown_long(long double v) {
  std::ostringstream s;
  s.precision(20);
  s << v;
  return s.str();
}

// The fits of variable vb against those of x: every parameter x has, vb has, moved
// as want says, within the fits' tolerance; and vb has no fit x lacks. A fit by
// maximum likelihood whose parameters do not follow is right still where the data's
// log-likelihood at vb's parameters, taken back to x's units as back says, is that at
// x's own: both are maxima of a flat likelihood.
// (va and its values xa in place of x, and only the histogram named, where given.)
template <class Want, class Back>
std::vector<std::string> fits_follow(const meta_case& mc, const program_result& r, const std::string& vb,
                                     const char* histogram, Want want, Back back, const std::string& va = "x",
                                     const std::vector<double>* xa = nullptr) {
  std::vector<std::string> faults;
  std::map<std::string, std::vector<std::string>> off;  // a fit of x ("x|Histogram 1|Gamma") to its parameters' faults
  const auto& fits = step(r, "fits").fits;
  const std::vector<double>& base_values = xa != nullptr ? *xa : mc.data.x;
  auto other = [&](const std::string& key) { return vb + key.substr(key.find('|')); };
  for (const auto& [key, a] : fits) {
    if (key.rfind(va + "|", 0) != 0) continue;
    if (histogram != nullptr && key.find(histogram) == std::string::npos) continue;
    const auto it = fits.find(other(key));
    if (it == fits.end()) {
      faults.push_back(key + ": fitted for " + va + " (" + shown(a) + ") but not for " + vb);
      continue;
    }
    // The curve's scale: its Std Dev row.
    const std::string family = key.substr(0, key.rfind('|', key.rfind('|') - 1));
    const auto sd = fits.find(family + "|Std Dev|");
    const auto sd2 = fits.find(family + "|Std Dev|Sigma");
    const double spread = sd != fits.end() ? sd->second : sd2 != fits.end() ? sd2->second : std::fabs(a);
    const auto [expect, scale] = want(part_of(key), a, spread);
    if (!agree(expect, it->second, kFitTolerance * scale)) note(off[family], other(key), a, expect, it->second);
  }
  for (auto& [family, wrong] : off) {
    const auto ml = kes_test::ml_family_named(family.substr(family.rfind('|') + 1));
    kes_test::ml_params pa, pb;
    bool complete = ml.has_value();
    for (auto it = fits.lower_bound(family + "|"); complete && it != fits.end() && it->first.rfind(family + "|", 0) == 0;
         ++it) {
      const std::string symbol = it->first.substr(it->first.rfind('|') + 1);
      if (symbol.empty()) continue;  // the law's mean and standard deviation, not parameters
      const auto b = fits.find(other(it->first));
      complete = b != fits.end() && !std::isnan(it->second) && !std::isnan(b->second);
      if (complete) pa[symbol] = it->second, pb[symbol] = back(part_of(it->first), b->second);
    }
    if (complete) {
      const kes_test::log_term la = kes_test::log_likelihood(*ml, pa, base_values, mc.data.f);
      const kes_test::log_term lb = kes_test::log_likelihood(*ml, pb, base_values, mc.data.f);
      if (likelihoods_agree(la, lb)) continue;
      wrong.push_back(family + ": log-likelihood of " + va + " " + shown_long(la.value) + " at its parameters, " +
                      shown_long(lb.value) + " at " + vb + "'s taken back");
    }
    faults.insert(faults.end(), wrong.begin(), wrong.end());
  }
  for (const auto& [key, b] : fits)
    if (key.rfind(vb + "|", 0) == 0 && !fits.count(va + key.substr(key.find('|'))))
      faults.push_back(key + ": fitted for " + vb + " (" + shown(b) + ") but not for " + va);
  return faults;
}

std::vector<std::string> fits_scaled(const meta_case& mc, const program_result& r) {
  const double f = std::ldexp(1.0, mc.k);
  return fits_follow(
      mc, r, "xs", nullptr,
      [&](fit_part p, double a, double spread) {
        switch (p) {
          case fit_part::location: return std::pair{a * f, (std::fabs(a) + spread) * f};
          case fit_part::scale: return std::pair{a * f, std::fabs(a * f)};
          case fit_part::log_scale: return std::pair{a + mc.k * std::log(2.0), 1.0};
          case fit_part::shape: break;
        }
        return std::pair{a, std::fabs(a)};
      },
      [&](fit_part p, double b) -> long double {
        switch (p) {
          case fit_part::location:
          case fit_part::scale: return std::ldexp(static_cast<long double>(b), -mc.k);
          case fit_part::log_scale: return b - mc.k * std::log(2.0L);
          case fit_part::shape: break;
        }
        return b;
      });
}

std::vector<std::string> fits_shifted(const meta_case& mc, const program_result& r) {
  return fits_follow(
      mc, r, "xc", "|Histogram 1|",
      [&](fit_part p, double a, double spread) {
        if (p == fit_part::location) return std::pair{a + mc.c, std::fabs(a) + std::fabs(mc.c) + spread};
        return std::pair{a, p == fit_part::log_scale ? 1.0 : std::fabs(a)};
      },
      [&](fit_part p, double b) -> long double {
        return p == fit_part::location ? static_cast<long double>(b) - mc.c : b;
      });
}

// The threshold fits of the values far off (xuN, rounded there) against those of the
// values moved back (xqN, exact: the same numbers near 0): each parameter the same,
// the threshold and the law's mean and mode moved by the offset within the rounding of
// a number at it (4 units), as though the fits ran on the values' distances.
std::vector<std::string> fits_far(const meta_case& mc, const program_result& r) {
  std::vector<std::string> faults;
  const auto cols = far_columns(mc);
  int n = 0;
  for (double c : {mc.far_c, mc.abs_c}) {
    ++n;
    if (std::isnan(c)) continue;
    const std::string q = "xq" + std::to_string(n), u = "xu" + std::to_string(n);
    const std::vector<double>* back_values = nullptr;
    for (const auto& col : cols)
      if (col.first == q) back_values = &col.second;
    if (back_values == nullptr) continue;
    const double unit = std::ldexp(1.0, std::ilogb(c) - 52);
    const auto found = fits_follow(
        mc, r, u, "|Histogram 3|",
        [&](fit_part p, double a, double spread) {
          if (p == fit_part::location) return std::pair{a + c, 4 * unit / kFitTolerance + spread};
          return std::pair{a, p == fit_part::log_scale ? 1.0 : std::fabs(a)};
        },
        [&](fit_part p, double b) -> long double { return p == fit_part::location ? static_cast<long double>(b) - c : b; },
        q, back_values);
    faults.insert(faults.end(), found.begin(), found.end());
  }
  return faults;
}

bool always(const meta_case&) { return true; }
bool has_shift(const meta_case& mc) { return !std::isnan(mc.c); }
bool has_weight_scale(const meta_case& mc) { return mc.kw != 0; }
bool has_freq(const meta_case& mc) { return !mc.data.f.empty(); }
bool has_fits(const meta_case& mc) { return mc.fits; }
bool has_shifted_fits(const meta_case& mc) { return mc.fits && !std::isnan(mc.c); }
bool has_far_offsets(const meta_case& mc) { return !std::isnan(mc.far_c) || !std::isnan(mc.abs_c); }
bool has_far_fits(const meta_case& mc) { return mc.fits && has_far_offsets(mc); }

}  // namespace

const std::vector<relation>& relations() {
  static const std::vector<relation> table = {
      {"rows agree with themselves", always, rows_agree},
      {"values times 2^k", always, values_scaled},
      {"values plus c", has_shift, values_shifted},
      {"values far off", has_far_offsets, values_far_off},
      {"rows reversed", always, rows_reversed},
      {"rows shuffled", always, rows_shuffled},
      {"FREQ k as k copies", has_freq, freq_copies},
      {"weights times 2^k", has_weight_scale, weights_scaled},
      {"fits times 2^k", has_fits, fits_scaled},
      {"fits plus c", has_shifted_fits, fits_shifted},
      {"fits at a far offset", has_far_fits, fits_far},
  };
  return table;
}

}  // namespace kes_meta
