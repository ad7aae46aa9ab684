// Tick values as text: the decimals of an axis, the text of one value in the
// variable's format or the short axis form, and the percent form of a percent scale.
#include "devgraph/tick_text.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "host/host_data.h"
#include "host/host_services.h"
#include "numeric/shwylab.h"
#include "util/kes_eps.h"
#include "util/kes_text.h"


long kes_tick_steps(double s, double t, double d) {
  const double span = std::floor(t / d - s / d + 0.5);  // no difference past the doubles
  return span > 0 ? (span < kMostTickSteps ? static_cast<long>(span) : kMostTickSteps) : 0;
}

int kes_tick_decimals(double s, double t, double d, double e, int step) {
  if (t + e < s) return -1;
  int exp_dec = 10, plain = -1;
  if (!(d > 0)) d = (t > s) ? t - s : 1.0;
  double v = s;
  for (long i = 0, last = kes_tick_steps(s, t, d); i <= last; i += step, v += step * d) {
    int n = 0, m = 99;
    const double x = kes_tick_snap(v, e);
    shwylab(nullptr, x, &n, &m, 0);
    if (m < 0) {
      shwylab(nullptr, x, &n, &m, 0);
      if (-n < exp_dec) exp_dec = -n;
    } else if (n > plain) {
      plain = n;
    }
  }
  return exp_dec < 0 ? exp_dec : plain;
}

bool kes_has_format(const host_varinfo& info) { return info.fmt_name_len > 0 || info.fmt_width > 0; }

int kes_tick_text(double v, const host_varinfo* info, int decimals, int trim, char* buf, int field) {
  std::memset(buf, ' ', KES_TICK_TEXT);
  if (info != nullptr) {
    // The stand-in's formats are width and decimals: the value is written in them.
    const int w = info->fmt_width > 0 ? (info->fmt_width < KES_TICK_TEXT ? info->fmt_width : KES_TICK_TEXT) : 12;
    const bool best = info->fmt_name_len >= 4 && std::memcmp(info->fmt_name, "BEST", 4) == 0;
    xpfs(v, -w, info->fmt_width > 0 && !best ? info->fmt_decimals : 99, buf);
    return wzstjus(buf, KES_TICK_TEXT, 'l');
  }
  const int w = std::min(std::max(field, SHWYLAB_WIDTH), KES_TICK_TEXT);
  int n = 0, m = decimals;
  int len = shwylab_field(buf, w, v, &n, &m, trim);
  if (m != decimals && m < 0) len = shwylab_field(buf, w, v, &n, &m, trim);
  return len;
}

namespace {

// The most decimals and E-notation digits tried for a true form: past them a double
// holds no more digits.
constexpr int kMostDecimals = 30;
constexpr int kMostExponentDecimals = 16;

}  // namespace

int kes_true_label_step(int skip, const std::vector<double>& values, const std::vector<std::string>& texts,
                        double d) {
  const long count = static_cast<long>(std::min(values.size(), texts.size()));
  const long first = std::max(skip, 0);
  for (long s = first; s == first || s + 1 < count; ++s)
    if (kes_ticks_true(values, texts, d, s + 1)) return static_cast<int>(s);
  return -1;
}

kes_tick_form kes_true_tick_form(const std::vector<double>& values, double d, int trim) {
  std::vector<std::string> texts(values.size());
  // The texts with these decimals (negative: E notation); *width: the widest; false
  // when a text of fixed notation came out in E notation (its field too narrow for it:
  // more decimals only widen it).
  const auto write = [&](int decimals, int* width) {
    *width = 0;
    char buf[KES_TICK_TEXT];
    for (std::size_t i = 0; i < values.size(); ++i) {
      const int len = kes_tick_text(values[i], nullptr, decimals, trim, buf, KES_TICK_TEXT);
      texts[i].assign(buf, static_cast<std::size_t>(len));
      if (decimals >= 0 && texts[i].find('E') != std::string::npos) return false;
      *width = std::max(*width, len);
    }
    return true;
  };
  kes_tick_form best{99, 0};
  int width = 0, narrowest = KES_TICK_TEXT + 1;
  for (int k = 0; k <= kMostDecimals && write(k, &width); ++k)
    if (kes_ticks_true(values, texts, d)) {
      best = {k, width}, narrowest = width;
      break;
    }
  for (int k = 1; k <= kMostExponentDecimals; ++k)
    if (write(-k, &width) && kes_ticks_true(values, texts, d)) {
      if (width < narrowest) best = {-k, width};
      break;
    }
  if (best.field > 0) best.field = std::max(best.field, SHWYLAB_WIDTH);
  return best;
}

int kes_label_step(double allowance, double inc) {
  if (!(inc > 0)) return 0;
  const double k = std::ceil(allowance / inc - (1 + KES_SQRT_EPS53));
  return k > 0 ? static_cast<int>(std::min(k, 1e6)) : 0;
}

