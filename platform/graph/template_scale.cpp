// Nice scales and tick texts (see template_scale.h).
#include "graph/template_scale.h"

#include <algorithm>
#include <cctype>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdlib>

#include "host/kes_decimal_grid.h"
#include "host/kes_tick_text.h"

namespace plat::graph {
namespace {

// The gap between the doubles next to x (|x| finite): the unit of rounding there.
double double_spacing(double x) {
  return x >= DBL_MIN ? std::ldexp(1.0, std::ilogb(x) - (DBL_MANT_DIG - 1)) : std::ldexp(1.0, DBL_MIN_EXP - DBL_MANT_DIG);
}

}  // namespace

bool on_scale(double v, double lo, double hi) {
  const double tol = kes_range_pad(1e-9, lo, hi);
  return v >= lo - tol && v <= hi + tol;
}

scale nice_scale(double lo, double hi, int target) {
  scale s;
  if (!std::isfinite(lo) || !std::isfinite(hi)) {
    // Nothing finite to scale: a unit scale rather than ticks of NaN.
    lo = std::isfinite(lo) ? lo : std::isfinite(hi) ? hi : 0;
    hi = lo;
  }
  if (hi < lo) std::swap(lo, hi);
  if (!(hi > lo)) {
    const double d = lo == 0 ? 1 : std::fabs(lo) * 0.1;
    lo -= d;
    hi += d;
  }
  const double raw = kes_steps_between(lo, hi, std::max(target, 1));
  if (!std::isfinite(raw) || !(raw > 0)) {
    s.lo = lo, s.hi = hi, s.ticks = {lo, hi};
    return s;
  }
  int e = static_cast<int>(std::floor(std::log10(raw)));
  double mag = std::pow(10.0, e);
  // The step of 1, 2, 5 or 10 times mag nearest the raw step on a log scale, so
  // that the scale keeps about `target` intervals.
  double r = raw / mag;
  double m = r < std::sqrt(2.0) ? 1 : r < std::sqrt(10.0) ? 2 : r < std::sqrt(50.0) ? 5 : 10;
  // A range a few doubles wide (the logarithms of 1e15 +- 10): a step finer than the
  // doubles there would round neighbouring ticks to one value or to values a unit of
  // rounding apart. The step is at least four such units, the least of 1, 2, 5 or 10
  // times a power of ten that is: a tick then rounds by at most an eighth of a step,
  // so that the ticks stay distinct, evenly placed, and their decimals true.
  const double finest = 4 * double_spacing(std::fmax(std::fabs(lo), std::fabs(hi)));
  if (m * mag < finest) {
    e = static_cast<int>(std::floor(std::log10(finest)));
    mag = std::pow(10.0, e);
    r = finest / mag;
    m = r <= 1 ? 1 : r <= 2 ? 2 : r <= 5 ? 5 : 10;
  }
  const double step = m * mag;
  double first = std::floor(lo / step + 1e-9), last = std::ceil(hi / step - 1e-9);
  // Ends a few doubles apart whose quotients round to one multiple of the step: a
  // tick on each side of it, so that the scale still reaches both ends.
  if (last <= first) first -= 1, last += 1;
  // Tick k is the double nearest its decimal k x m x 10^e (0.3, not 0.30000000000000004;
  // at 1e15 by 0.5 too, where k x m passes the doubles' integers).
  const double ten = std::pow(10.0, std::abs(e));
  const int n = kes_clamped_int(std::min(last - first, 4.0 * std::max(target, 1) + 4), 0, INT_MAX);
  bool beyond = false;
  s.ticks.reserve(static_cast<std::size_t>(n) + 1);
  for (int i = 0; i <= n; ++i) {
    const double k = (first + i) * m;
    // Below 1e-308 the power of ten that divides passes the doubles: subnormal ticks
    // are then the product with the step's power, which is itself representable.
    double v = !std::isfinite(ten) || !(std::fabs(first + i) < 0x1p53)
                   ? k * mag
                   : kes_decimal_double(static_cast<__int128>(static_cast<long long>(first + i)) * static_cast<int>(m), e);
    if (v == 0) v = 0;  // no -0
    // A tick past the largest double is left out; the range then ends at the data's.
    if (!std::isfinite(v)) {
      beyond = true;
      continue;
    }
    s.ticks.push_back(v);
  }
  if (s.ticks.empty()) s.ticks = {lo, hi};
  s.lo = beyond ? std::fmin(lo, s.ticks.front()) : s.ticks.front();
  s.hi = beyond ? std::fmax(hi, s.ticks.back()) : s.ticks.back();
  return s;
}

scale padded_scale(double lo, double hi, int target) {
  if (!std::isfinite(lo) || !std::isfinite(hi) || hi < lo) lo = 0, hi = 1;
  double pad = kes_range_pad(0.04, lo, hi);
  if (!(pad > 0)) pad = lo == 0 ? 0.5 : std::fabs(lo) * 0.1;
  // The ends stop at the largest doubles.
  const double plo = std::fmax(lo - pad, -DBL_MAX), phi = std::fmin(hi + pad, DBL_MAX);
  scale s = nice_scale(plo, phi, target);
  s.lo = plo;
  s.hi = phi;
  // The ticks inside kept in place.
  const auto outside = [&](double v) { return !on_scale(v, s.lo, s.hi); };
  s.ticks.erase(std::remove_if(s.ticks.begin(), s.ticks.end(), outside), s.ticks.end());
  // A range narrower than the finest step (a few units of rounding wide) holds one
  // tick or none: its ends are then its ticks, their texts telling them apart.
  if (s.ticks.size() < 2) s.ticks = {s.lo, s.hi};
  return s;
}

std::vector<double> parse_numbers(const std::string& text) {
  // The words between white space, as a stream reads them, counted first.
  const auto space = [](char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; };
  const auto each_word = [&](auto each) {
    for (std::size_t i = 0; i < text.size();) {
      if (space(text[i])) {
        ++i;
        continue;
      }
      std::size_t j = i;
      while (j < text.size() && !space(text[j])) ++j;
      each(i, j - i);
      i = j;
    }
  };
  std::size_t words = 0;
  each_word([&](std::size_t, std::size_t) { ++words; });
  std::vector<double> out;
  out.reserve(words);
  std::string word;
  each_word([&](std::size_t at, std::size_t n) {
    word.assign(text, at, n);
    char* end = nullptr;
    const double v = std::strtod(word.c_str(), &end);
    if (end != word.c_str() && *end == '\0' && std::isfinite(v)) out.push_back(v);
  });
  return out;
}

std::vector<std::string> tick_texts(const std::vector<double>& in) {
  // A tick at zero reached as a sum of steps (start + i * width) lands a few ulps off:
  // it reads "0", not "-0.0" or "1.1E-16". Off by less than a billionth of the
  // smallest step counts as zero.
  double step = 0;
  for (std::size_t i = 1; i < in.size(); ++i) {
    const double d = std::fabs(in[i] - in[i - 1]);
    if (d > 0 && (step == 0 || d < step)) step = d;
  }
  std::vector<double> ticks(in);
  for (double& v : ticks)
    if (step > 0 && std::fabs(v) < step * 1e-9) v = 0;
  return kes_tick_texts(ticks);
}

}  // namespace plat::graph
