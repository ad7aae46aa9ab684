// Legend texts of the curves of a histogram's template graph.
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <iterator>

#include "host/host_services.h"
#include "kes_msg_names.h"
#include "records/kes_curve.h"
#include "tmplgraph/hist_graph.h"
#include "tmplgraph/stg_labels.h"
#include "util/param_text.h"

namespace {

// ORDER kes_distcode 0..7: parameters shown, as indexes into the parameter vector, and
// the legend texts (KES_SET_PLOT) with the parameters and, with CLASS variables and
// every parameter estimated, without them.
struct family_args {
  int n;
  int index[4];
  int legend, legend_est;
};
constexpr family_args kArgs[] = {
    {2, {0, 1}, KES_MSG_CURVE_LEGEND_NORMAL, KES_MSG_CURVE_LEGEND_NORMAL_EST},
    {3, {0, 2, 1}, KES_MSG_CURVE_LEGEND_LOGNORMAL, KES_MSG_CURVE_LEGEND_LOGNORMAL_EST},
    {2, {0, 1}, KES_MSG_CURVE_LEGEND_EXPONENTIAL, KES_MSG_CURVE_LEGEND_EXPONENTIAL_EST},
    {3, {0, 2, 1}, KES_MSG_CURVE_LEGEND_WEIBULL, KES_MSG_CURVE_LEGEND_WEIBULL_EST},
    {3, {0, 2, 1}, KES_MSG_CURVE_LEGEND_GAMMA, KES_MSG_CURVE_LEGEND_GAMMA_EST},
    {4, {0, 1, 2, 3}, KES_MSG_CURVE_LEGEND_BETA, KES_MSG_CURVE_LEGEND_BETA_EST},
    {4, {0, 1, 2, 3}, KES_MSG_CURVE_LEGEND_SB, KES_MSG_CURVE_LEGEND_SB_EST},
    {4, {0, 1, 2, 3}, KES_MSG_CURVE_LEGEND_SU, KES_MSG_CURVE_LEGEND_SU_EST},
};
static_assert(std::size(kArgs) == KES_DIST_SU + 1, "one entry per fitted family");

}  // namespace

void kes_hist_fitlegend(const kes_curve& c, bool classes, kes_legend* out) {
  std::memset(out->text, ' ', sizeof out->text);
  out->len = 0;
  if (c.dist < 0 || c.dist > KES_DIST_SU) return;
  const family_args& f = kArgs[c.dist];
  char texts[4][KES_PARAM_TEXT + 1];
  kes_law_param_texts(c.dist, c.params, texts);
  char p[4][KES_PARAM_TEXT + 1];
  bool all_est = true;
  for (int i = 0; i < f.n; ++i) {
    const int k = f.index[i];
    if (classes && c.estimated[k]) {
      std::strcpy(p[i], "EST");
    } else {
      std::strcpy(p[i], texts[k]);
      all_est = false;
    }
  }
  const int msg = classes && all_est ? f.legend_est : f.legend;
  switch (f.n) {
    case 2:
      out->len = xpmstr(out->text, KES_LEGEND_MAX, KES_SET_PLOT, msg, p[0], p[1]);
      break;
    case 3:
      out->len = xpmstr(out->text, KES_LEGEND_MAX, KES_SET_PLOT, msg, p[0], p[1], p[2]);
      break;
    default:
      out->len = xpmstr(out->text, KES_LEGEND_MAX, KES_SET_PLOT, msg, p[0], p[1], p[2], p[3]);
      break;
  }
}

void kes_hist_kernlegend(const kes_curve& c, bool same_type, kes_legend* out) {
  std::memset(out->text, ' ', sizeof out->text);
  const kes_kernspec& k = c.kernel;
  const bool lower = !std::isnan(k.lower), upper = !std::isnan(k.upper);
  const int bounds = (lower ? 1 : 0) + (upper ? 2 : 0);
  // ORDER: all of one type, normal, triangular, quadratic; by bounds none, lower,
  // upper, both.
  static constexpr int kSet[4][4] = {{KES_SET_LABEL, KES_SET_LABEL, KES_SET_LABEL, KES_SET_LABEL},
                                     {KES_SET_PLOT, KES_SET_LABEL, KES_SET_LABEL, KES_SET_LABEL},
                                     {KES_SET_PLOT, KES_SET_LABEL, KES_SET_LABEL, KES_SET_LABEL},
                                     {KES_SET_LABEL, KES_SET_LABEL, KES_SET_LABEL, KES_SET_LABEL}};
  static constexpr int kMsg[4][4] = {
      {KES_MSG_KERNEL_LEGEND, KES_MSG_KERNEL_LEGEND_LOWER, KES_MSG_KERNEL_LEGEND_UPPER, KES_MSG_KERNEL_LEGEND_BOUNDS},
      {KES_MSG_KERNEL_LEGEND_NORMAL, KES_MSG_KERNEL_LEGEND_NORMAL_LOWER, KES_MSG_KERNEL_LEGEND_NORMAL_UPPER,
       KES_MSG_KERNEL_LEGEND_NORMAL_BOUNDS},
      {KES_MSG_KERNEL_LEGEND_TRIANGULAR, KES_MSG_KERNEL_LEGEND_TRIANGULAR_LOWER, KES_MSG_KERNEL_LEGEND_TRIANGULAR_UPPER,
       KES_MSG_KERNEL_LEGEND_TRIANGULAR_BOUNDS},
      {KES_MSG_KERNEL_LEGEND_QUADRATIC, KES_MSG_KERNEL_LEGEND_QUADRATIC_LOWER, KES_MSG_KERNEL_LEGEND_QUADRATIC_UPPER,
       KES_MSG_KERNEL_LEGEND_QUADRATIC_BOUNDS}};
  const int row = same_type ? 0 : (k.type >= 1 && k.type <= 3 ? k.type : 1);
  const int set = kSet[row][bounds], msg = kMsg[row][bounds];
  // The standardized bandwidth with a scale's digits; the bounds, places in the
  // values' unit, to the bandwidth's last digit.
  char bw[KES_PARAM_TEXT + 1], lo[KES_PARAM_TEXT + 1], hi[KES_PARAM_TEXT + 1];
  const int place = kes_scale_place(k.h);
  kes_placed_text(k.c, INT_MIN, bw);
  kes_placed_text(k.lower, place == INT_MIN ? INT_MAX : place, lo);
  kes_placed_text(k.upper, place == INT_MIN ? INT_MAX : place, hi);
  switch (bounds) {
    case 0: out->len = xpmstr(out->text, KES_LEGEND_MAX, set, msg, bw); break;
    case 1: out->len = xpmstr(out->text, KES_LEGEND_MAX, set, msg, bw, lo); break;
    case 2: out->len = xpmstr(out->text, KES_LEGEND_MAX, set, msg, bw, hi); break;
    default: out->len = xpmstr(out->text, KES_LEGEND_MAX, set, msg, bw, lo, hi); break;
  }
}

void kes_legend_number(kes_legend* l, int n) {
  char num[16];
  const int digits = std::snprintf(num, sizeof num, "%d", n);
  int len = l->len;
  if (len + 1 + digits > KES_LEGEND_MAX) len = KES_LEGEND_MAX - 1 - digits;
  l->text[len] = ' ';
  std::memcpy(l->text + len + 1, num, static_cast<std::size_t>(digits));
  l->len = len + 1 + digits;
}
