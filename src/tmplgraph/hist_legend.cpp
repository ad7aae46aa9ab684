// Legend texts of the curves of a histogram's template graph.
#include <cmath>
#include <cstdio>
#include <cstring>

#include "host/host_services.h"
#include "kes_msg_names.h"
#include "records/kes_curve.h"
#include "tmplgraph/hist_graph.h"
#include "tmplgraph/stg_labels.h"

namespace {

// ORDER kes_distcode 0..7: parameters shown, as indexes into the parameter vector.
struct family_args {
  int n;
  int index[4];
};
constexpr family_args kArgs[8] = {
    {2, {0, 1}},       {3, {0, 2, 1}},    {2, {0, 1}},       {3, {0, 2, 1}},
    {3, {0, 2, 1}},    {4, {0, 1, 2, 3}}, {4, {0, 1, 2, 3}}, {4, {0, 1, 2, 3}},
};

}  // namespace

void kes_hist_fitlegend(const kes_curve& c, bool classes, kes_legend* out) {
  std::memset(out->text, ' ', sizeof out->text);
  out->len = 0;
  if (c.dist < 0 || c.dist > KES_DIST_SU) return;
  const family_args& f = kArgs[c.dist];
  char p[4][KES_PARAM_TEXT + 1];
  bool all_est = true;
  for (int i = 0; i < f.n; ++i) {
    const int k = f.index[i];
    if (classes && c.estimated[k]) {
      std::strcpy(p[i], "EST");
    } else {
      kes_param_text(c.params[k], p[i]);
      all_est = false;
    }
  }
  const int msg = 1477 + 2 * c.dist + (classes && all_est ? 1 : 0);
  switch (f.n) {
    case 2: out->len = xpmstr(out->text, KES_LEGEND_MAX, KES_SET_PLOT, msg, p[0], p[1]); break;
    case 3: out->len = xpmstr(out->text, KES_LEGEND_MAX, KES_SET_PLOT, msg, p[0], p[1], p[2]); break;
    default: out->len = xpmstr(out->text, KES_LEGEND_MAX, KES_SET_PLOT, msg, p[0], p[1], p[2], p[3]); break;
  }
}

void kes_hist_kernlegend(const kes_curve& c, bool same_type, kes_legend* out) {
  std::memset(out->text, ' ', sizeof out->text);
  const kes_kernspec& k = c.kernel;
  const bool lower = !std::isnan(k.lower), upper = !std::isnan(k.upper);
  const int bounds = (lower ? 1 : 0) + (upper ? 2 : 0);
  // ORDER: all of one type, normal, triangular, quadratic; by bounds none, lower,
  // upper, both.
  static constexpr int kSet[4][4] = {{431, 431, 431, 431}, {308, 431, 431, 431}, {308, 431, 431, 431}, {431, 431, 431, 431}};
  static constexpr int kMsg[4][4] = {{162, 922, 923, 924}, {217, 925, 926, 927}, {218, 928, 929, 930}, {5, 931, 932, 933}};
  const int row = same_type ? 0 : (k.type >= 1 && k.type <= 3 ? k.type : 1);
  const int set = kSet[row][bounds], msg = kMsg[row][bounds];
  switch (bounds) {
    case 0: out->len = xpmstr(out->text, KES_LEGEND_MAX, set, msg, k.c); break;
    case 1: out->len = xpmstr(out->text, KES_LEGEND_MAX, set, msg, k.c, k.lower); break;
    case 2: out->len = xpmstr(out->text, KES_LEGEND_MAX, set, msg, k.c, k.upper); break;
    default: out->len = xpmstr(out->text, KES_LEGEND_MAX, set, msg, k.c, k.lower, k.upper); break;
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
