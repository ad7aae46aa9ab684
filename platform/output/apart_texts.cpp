// Widening of numeric forms until the values read apart.
#include "output/apart_texts.h"

#include <algorithm>
#include <cmath>
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

}  // namespace

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
}

}  // namespace plat::out
