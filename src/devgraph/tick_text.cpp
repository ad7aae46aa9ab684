// Tick values as text: the form of an axis' values and the text of one value in the
// variable's format or the axis' exact form.
#include "devgraph/tick_text.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "host/host_data.h"
#include "host/host_services.h"
#include "util/kes_eps.h"
#include "util/kes_text.h"

long kes_tick_steps(double s, double t, double d) {
  const double span = std::floor(t / d - s / d + 0.5);  // no difference past the doubles
  return span > 0 ? (span < kMostTickSteps ? static_cast<long>(span) : kMostTickSteps) : 0;
}

kes_tick_style kes_axis_tick_style(double s, double t, double d, double e, int every) {
  if (t + e < s || !(d > 0) || !std::isfinite(d)) return kes_own_tick_style();
  std::vector<double> values;
  const long by = std::max(every, 1);
  for (long i = 0, last = kes_tick_steps(s, t, d); i <= last; i += by) values.push_back(kes_tick_snap(kes_tick_at(s, d, i), e));
  return kes_grid_tick_style(values, s, d);
}

bool kes_has_format(const host_varinfo& info) { return info.fmt_name_len > 0 || info.fmt_width > 0; }

int kes_tick_text(double v, const host_varinfo* info, const kes_tick_style& style, int trim, char* buf) {
  std::memset(buf, ' ', KES_TICK_TEXT);
  if (info != nullptr) {
    // The stand-in's formats are width and decimals: the value is written in them.
    const int w = info->fmt_width > 0 ? (info->fmt_width < KES_TICK_TEXT ? info->fmt_width : KES_TICK_TEXT) : 12;
    const bool best = info->fmt_name_len >= 4 && std::memcmp(info->fmt_name, "BEST", 4) == 0;
    xpfs(v, -w, info->fmt_width > 0 && !best ? info->fmt_decimals : 99, buf);
    return wzstjus(buf, KES_TICK_TEXT, 'l');
  }
  const std::string t = kes_tick_text_of(v, style, trim != 0);
  const std::size_t n = std::min<std::size_t>(t.size(), KES_TICK_TEXT);
  std::memcpy(buf, t.data(), n);
  return static_cast<int>(n);
}

int kes_label_step(double allowance, double inc) {
  if (!(inc > 0)) return 0;
  const double k = std::ceil(allowance / inc - (1 + KES_SQRT_EPS53));
  return k > 0 ? static_cast<int>(std::min(k, 1e6)) : 0;
}
