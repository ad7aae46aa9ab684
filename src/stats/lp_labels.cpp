// Vertical labels and footnotes of the plot page (kesfmed): stems or line values on
// the left of the stem panel, counts on its right, rulers under the panels and the
// footnotes that say how to read them.
#include <cmath>
#include <cstring>
#include <string>

#include "host/host_services.h"
#include "kes_msg_names.h"
#include "stats/lp_page.h"
#include "util/kes_text.h"

namespace {

constexpr char kRuler[] = "+----+----+----+----+----+----+----+----+----+----+";
constexpr char kScores[] = "    -2        -1         0        +1        +2     ";
constexpr int kRulerLen = static_cast<int>(sizeof kRuler) - 1;

kes_lpline* stem_line(kes_lppage* pg, int i) { return &pg->lines[KES_LP_STEM][i]; }

bool labelled(const kes_lppage* pg, int i) { return pg->g > 0 && i % pg->g == 1 % pg->g; }

void put_long(kes_lpline* l, int pos, double v, int width) {
  char buf[40];
  if (std::fabs(v) >= 1e6) xfxpn(v, width, 0, 99, buf);
  else xpils(static_cast<long>(v), width, buf);
  kes_lp_put(l, pos, buf, width);
}

void put_best(kes_lpline* l, int pos, double v, int width) {
  char buf[40];
  xfxpn(v, width, 0, 99, buf);
  kes_lp_put(l, pos, buf, width);
}

// The ruler under the stem panel: w characters after its leading '+'.
void stem_ruler(kes_lppage* pg) {
  const int n = pg->w < kRulerLen - 1 ? pg->w : kRulerLen - 1;
  kes_lp_put(stem_line(pg, pg->L + 1), 8, kRuler + 1, n);
}

// A text centred over the bars on the title line.
void bar_title(kes_lppage* pg, int number) {
  int len = 0;
  const char* t = kes_lp_msg(number, &len);
  kes_lp_put(stem_line(pg, 0), 7 + (pg->w - len) / 2, t, len);
}

// The left label of a bar line: its value on labelled lines, a dot otherwise.
void bar_label(kes_lppage* pg, int i) {
  kes_lpline* l = stem_line(pg, i);
  if (labelled(pg, i)) {
    put_best(l, 0, l->value, 7);
    l->text[7] = '+';
  } else {
    l->text[7] = '.';
  }
}

void marks(kes_lpline* l, long n) {
  for (long k = 0; k < n && 8 + k < KES_LP_WIDTH; ++k) l->text[8 + k] = '*';
}

void stem_and_leaf(kes_lppage* pg) {
  const double t = KES_LP_TOL;
  stem_line(pg, 0)->text[pg->w + 13] = '#';
  int minus0 = pg->nminus0;
  for (int i = 1; i <= pg->L; ++i) {
    kes_lpline* l = stem_line(pg, i);
    if (l->stem == 0) {
      kes_lp_put(l, 0, minus0 > 0 ? "     -0 " : "      0 ", 8);
      if (minus0 > 0) --minus0;
    } else {
      put_long(l, 0, l->stem, 7);
    }
    if (l->total > 0) put_long(l, pg->w + 8, l->total, 6);
  }
  stem_ruler(pg);
  const double lg = std::log10(pg->scale);
  const int e = static_cast<int>(lg >= 0 ? lg + t : lg - t);
  const int p = 1 - e;
  pg->panel[KES_LP_STEM].height = pg->L + 1;
  if (p == 0) return;
  kes_lpline* foot = stem_line(pg, pg->L + 2);
  int len = 0;
  const char* text = kes_lp_msg(KES_MSG_LP_STEM_LEAF_SCALE, &len);
  kes_lp_put(foot, 30 - len, text, len);
  const int digits = static_cast<int>(std::to_string(p < 0 ? -p : p).size());
  char buf[16];
  xpis(p, digits + 1, buf);
  kes_lp_put(foot, 30, buf, digits + 1);
  if (p > 0) foot->text[30] = '+';
  pg->panel[KES_LP_STEM].height = pg->L + 2;
}

void bars(kes_lppage* pg) {
  const double t = KES_LP_TOL;
  bar_title(pg, KES_MSG_LP_BAR_CHART);
  stem_line(pg, 0)->text[pg->w + 13] = '#';
  for (int i = 1; i <= pg->L; ++i) {
    kes_lpline* l = stem_line(pg, i);
    bar_label(pg, i);
    const double n = std::ceil(l->total / pg->mult);
    marks(l, static_cast<long>(n < pg->w ? n : pg->w));
    if (l->total > 0) put_long(l, pg->w + 8, l->total, 6);
  }
  stem_ruler(pg);
  kes_lpline* foot = stem_line(pg, pg->L + 2);
  int len = 0, len2 = 0;
  const char* a = kes_lp_msg(KES_MSG_LP_STAR_STANDS_FOR, &len);
  const char* b = kes_lp_msg(KES_MSG_LP_COUNTS, &len2);
  kes_lp_put(foot, 8, a, len);
  const int digits = static_cast<int>(std::log10(pg->mult) + 1 + t);
  char buf[40];
  xpils(static_cast<long>(pg->mult), digits, buf);
  kes_lp_put(foot, 8 + len + 1, buf, digits);
  kes_lp_put(foot, 8 + len + 1 + digits + 1, b, len2);
  pg->panel[KES_LP_STEM].height = pg->L + 2;
}

void weight_bars(kes_lppage* pg) {
  bar_title(pg, KES_MSG_LP_BAR_CHART_OF_WEIGHTS);
  stem_line(pg, 0)->text[pg->w + 15] = '#';
  for (int i = 1; i <= pg->L; ++i) {
    kes_lpline* l = stem_line(pg, i);
    bar_label(pg, i);
    marks(l, static_cast<long>(std::ceil(l->total / pg->per_mark)));
    if (l->total > 0) put_best(l, pg->w + 8, l->total, 8);
  }
  stem_ruler(pg);
  kes_lpline* foot = stem_line(pg, pg->L + 2);
  int len = 0;
  const char* a = kes_lp_msg(KES_MSG_LP_STAR_STANDS_FOR_WEIGHT, &len);
  kes_lp_put(foot, 8, a, len);
  char buf[16];
  xfxpn(pg->per_mark, 8, 0, 99, buf);
  const int n = wzstjus(buf, 8, 'L');
  kes_lp_put(foot, 8 + len + 1, buf, n);
  pg->panel[KES_LP_STEM].height = pg->L + 2;
}

void normal_labels(kes_lppage* pg) {
  for (int i = 1; i <= pg->L; ++i) {
    kes_lpline* l = &pg->lines[KES_LP_NORMAL][i];
    if (labelled(pg, i)) {
      put_best(l, 0, pg->lines[KES_LP_STEM][i].value, 8);
      l->text[8] = '+';
    } else {
      l->text[8] = '|';
    }
  }
  kes_lp_put(&pg->lines[KES_LP_NORMAL][pg->L + 1], 9, kRuler, kRulerLen);
  kes_lp_put(&pg->lines[KES_LP_NORMAL][pg->L + 2], 9, kScores, kRulerLen);
}

}  // namespace

void kesfmed(kes_lppage* pg, int no_normal) {
  if (pg->split) stem_and_leaf(pg);
  else if (pg->weighted) weight_bars(pg);
  else bars(pg);
  if (!no_normal) normal_labels(pg);
}
