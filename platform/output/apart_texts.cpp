// Widening of numeric forms until the values read apart.
#include "output/apart_texts.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "core/number_text.h"
#include "output/number_format.h"

namespace plat::out {
namespace {

constexpr int kMaxBestWidth = 25;  // 17 digits, a sign, a point and an exponent
constexpr int kMaxDecimals = 20;

// The number a text reads as ("1E9" and "1000000000" alike); NaN for asterisks.
double reading(const std::string& t) {
  const char* b = t.c_str();
  char* e = nullptr;
  const double v = std::strtod(b, &e);
  return e == b ? NAN : v;
}

bool reads_zero(const std::string& t) {
  for (char c : t) {
    if (c == 'E' || c == 'e') break;
    if (c >= '1' && c <= '9') return false;
  }
  return true;
}

// The shortest exact text's significant digits and decimals (0 for an integer).
struct shortest_digits {
  int sig = 0, decimals = 0, integer = 0;  // integer: digits before the point
};

shortest_digits digits_of(double v) {
  shortest_digits d;
  const std::string t = shortest_text(std::fabs(v));
  const std::size_t e = t.find_first_of("eE");
  const int exp = e == std::string::npos ? 0 : std::atoi(t.c_str() + e + 1);
  std::string mant = t.substr(0, e), digits;
  const std::size_t point = mant.find('.');
  int point_at = static_cast<int>(point == std::string::npos ? mant.size() : point);
  for (char c : mant)
    if (c != '.') digits.push_back(c);
  // The first and last nonzero digits, and the place of the point among the digits.
  const std::size_t first = digits.find_first_not_of('0');
  if (first == std::string::npos) return d;
  point_at += exp;
  const std::size_t last = digits.find_last_not_of('0');
  d.sig = static_cast<int>(last - first) + 1;
  d.decimals = std::max(0, static_cast<int>(last) + 1 - point_at);
  d.integer = std::max(0, point_at - static_cast<int>(first));
  return d;
}

// Whether text t shows v to at least `sig` significant digits (its digits, or the
// value's rounding there, read the same: trailing zeros are dropped) and, where
// `fixed`, in fixed notation with at least `decimals` decimals so read.
bool shows(double v, const std::string& t, int sig, bool fixed, int decimals) {
  const double r = reading(t);
  if (std::isnan(r)) return false;
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*e", sig - 1, v);
  const double want = std::strtod(buf, nullptr);
  // t may show more digits than asked: then it lies nearer v than the rounding does.
  if (r != want && std::fabs(r - v) >= std::fabs(want - v)) return false;
  if (!fixed) return true;
  if (t.find_first_of("eE") != std::string::npos) return false;
  const std::size_t point = t.find('.');
  const int shown = point == std::string::npos ? 0 : static_cast<int>(t.size() - point - 1);
  std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
  return shown >= decimals || r == std::strtod(buf, nullptr);
}

}  // namespace

int reading_width(double v, int width) {
  if (!std::isfinite(v) || v == 0.0 || width < 2) return width;
  const shortest_digits d = digits_of(v);
  // As many significant digits as the width shows of a value near 1 (a point and w - 1
  // digits), so that k v shows the digits of v.
  const int sig = std::min({d.sig, width - 1, 17});
  // From 1 on, in fixed notation the whole integer part and the decimals the width
  // shows of a value below 10 (a value of x + c may be one of x near 1), up to the 15
  // significant digits every double holds (past them a computed value shows the
  // rounding of its sums): so v + c shows the decimals of v. Integers past the 17
  // digits a double has keep E notation.
  const bool fixed = d.integer >= 1 && d.integer <= 17;
  const int decimals = fixed ? std::min({d.decimals, width - 2, std::max(0, 15 - d.integer)}) : 0;
  int w = width;
  while (w < kMaxBestWidth && !shows(v, best_text(v, w), sig, fixed, decimals)) ++w;
  return w;
}

std::string form_text(double v, const num_form& f) {
  return f.decimals >= 0 ? fixed_text(v, f.width, f.decimals) : best_text(v, f.width);
}

bool differ(double a, double b) {
  if (!std::isfinite(a) || !std::isfinite(b)) return a != b;
  return std::fabs(a - b) > 0x1p-48 * std::fmax(std::fabs(a), std::fabs(b));
}

void apart_values::add_neighbours(std::vector<std::size_t> at) {
  std::sort(at.begin(), at.end(), [&](std::size_t i, std::size_t j) { return value[i] < value[j]; });
  for (std::size_t k = 1; k < at.size(); ++k) pairs.emplace_back(at[k - 1], at[k]);
}

void tell_apart(apart_values& a) {
  a.initial = a.forms;
  // One step wider: a best form by a character, fixed decimals by a decimal, in the
  // width its values then need.
  auto widen = [&](std::size_t f, std::vector<bool>& done) {
    if (done[f]) return false;
    num_form& form = a.forms[f];
    if (form.decimals < 0) {
      if (form.width >= kMaxBestWidth) return false;
      ++form.width;
    } else {
      // First the width its decimals need (a value that does not fit is written in
      // the best form), then a decimal more.
      int need = form.width;
      for (std::size_t i = 0; i < a.value.size(); ++i)
        if (a.form_of[i] == f && std::isfinite(a.value[i]))
          need = std::max(need, fixed_width(a.value[i], form.decimals));
      if (need == form.width) {
        if (form.decimals >= kMaxDecimals) return false;
        ++form.decimals;
        for (std::size_t i = 0; i < a.value.size(); ++i)
          if (a.form_of[i] == f && std::isfinite(a.value[i]))
            need = std::max(need, fixed_width(a.value[i], form.decimals));
      }
      form.width = need;
    }
    done[f] = true;
    return true;
  };
  for (int round = 0; round < 64; ++round) {
    std::vector<bool> done(a.forms.size(), false);
    bool widened = false;
    for (const auto& [i, j] : a.pairs) {
      const double u = a.value[i], v = a.value[j];
      if (!differ(u, v)) continue;
      const std::string t = form_text(u, a.forms[a.form_of[i]]);
      // Values that both read as zero in the column's decimals (small percents) read
      // as what they are: below its last place.
      if (reading(t) != reading(form_text(v, a.forms[a.form_of[j]])) || reads_zero(t)) continue;
      widened = widen(a.form_of[i], done) | widened;
      widened = widen(a.form_of[j], done) | widened;
    }
    for (const auto& [i, s] : a.steps) {
      const double v = a.value[i];
      if (!(std::fabs(s) > 0.0) || !std::isfinite(s) || !differ(v, v + s) || !differ(v, v - s)) continue;
      const num_form& f = a.forms[a.form_of[i]];
      const double t = reading(form_text(v, f));
      if (t != reading(form_text(v - s, f)) && t != reading(form_text(v + s, f))) continue;
      widened = widen(a.form_of[i], done) | widened;
    }
    if (!widened) break;
  }
  // Forms compared with one another show as many digits as the widest of them.
  for (const auto& group : a.shared) {
    num_form widest{0, -1};
    bool grew = false;
    for (std::size_t f : group) {
      widest.width = std::max(widest.width, a.forms[f].width);
      widest.decimals = std::max(widest.decimals, a.forms[f].decimals);
      grew = grew || a.forms[f].width != a.initial[f].width || a.forms[f].decimals != a.initial[f].decimals;
    }
    if (!grew) continue;
    for (std::size_t f : group) {
      a.forms[f].width = widest.width;
      if (a.forms[f].decimals >= 0) a.forms[f].decimals = widest.decimals;
    }
  }
  // Each value of a best form reads as many digits as its column's width shows of
  // others: a width of its own where it needs more, so that the column's other values
  // do not show digits they are not asked for.
  a.width_of.assign(a.value.size(), 0);
  for (std::size_t i = 0; i < a.value.size(); ++i) {
    const std::size_t f = a.form_of[i];
    if (a.forms[f].decimals < 0) a.width_of[i] = reading_width(a.value[i], a.initial[f].width);
  }
}

std::string value_text(const apart_values& a, std::size_t i) {
  num_form f = a.forms[a.form_of[i]];
  if (i < a.width_of.size()) f.width = std::max(f.width, a.width_of[i]);
  return form_text(a.value[i], f);
}

}  // namespace plat::out
