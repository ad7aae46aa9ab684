// The box panel of the plot page: whiskers, box, median and mean on the lines of the
// stem panel, and the values beyond the fences marked '0' (past 1.5 interquartile
// ranges) or '*' (past 3).
#include <cmath>
#include <cstring>

#include "kes_msg_names.h"
#include "numeric/zmissing.h"
#include "records/kes_ctx.h"
#include "records/kes_values.h"
#include "stats/kes_statconst.h"
#include "stats/kes_stats.h"
#include "stats/kesoutp.h"
#include "stats/lp_page.h"

namespace {

// The first line from the bottom that takes value x, clamped to 1..L.
int row_of(const kes_lppage* pg, double x) {
  for (int i = 1; i <= pg->L; ++i)
    if (kesrow(pg, x * pg->scale, pg->lines[KES_LP_STEM][i].upper)) return i;
  return pg->L;
}

void glyph(kes_lppage* pg, int row, const char* text) {
  if (row >= 1 && row <= pg->L) std::memcpy(pg->lines[KES_LP_BOX][row].text, text, KES_LP_BOXWIDTH);
}

void mark(kes_lppage* pg, int row, char c) {
  if (row >= 1 && row <= pg->L) pg->lines[KES_LP_BOX][row].text[4] = c;
}

}  // namespace

void kesbox(kes_ctx* ctx, kes_lppage* pg, const kes_stats* st) {
  int len = 0;
  const char* title = kes_lp_msg(KES_MSG_LP_BOX_PLOT, &len);
  if (len > KES_LP_BOXWIDTH) len = KES_LP_BOXWIDTH;
  kes_lp_put(&pg->lines[KES_LP_BOX][0], KES_LP_BOXWIDTH - len, title, len);
  if (pg->L < 1) return;

  const double q1 = st->qnt[KES_Q_Q1], q3 = st->qnt[KES_Q_Q3];
  const int lo = row_of(pg, st->qnt[KES_Q_WHISKER_LO]);
  const int r1 = row_of(pg, q1);
  const int med = row_of(pg, st->qnt[KES_Q_MEDIAN]);
  const int r3 = row_of(pg, q3);
  const int hi = row_of(pg, st->qnt[KES_Q_WHISKER_HI]);
  // The whiskers reach their ends' lines, as in the side-by-side box plots: a whisker
  // one line long would otherwise not show at all.
  for (int i = lo; i < r1; ++i) glyph(pg, i, "    |   ");
  for (int i = r3 + 1; i <= hi; ++i) glyph(pg, i, "    |   ");
  for (int i = r1 + 1; i < r3; ++i) glyph(pg, i, " |     |");
  glyph(pg, r1, " +-----+");
  glyph(pg, r3, " +-----+");
  glyph(pg, med, " *-----*");
  const double mean = st->mom.v[KES_MOM_MEAN];
  if (!is_missing(mean)) mark(pg, row_of(pg, mean), '+');

  const double iqr = q3 - q1;
  const double in_lo = q1 - 1.5 * iqr, in_hi = q3 + 1.5 * iqr;
  const double out_lo = q1 - 3 * iqr, out_hi = q3 + 3 * iqr;
  // The whiskers' widening of the fences, a share of the spread: the same marks in
  // any unit.
  const double tol = kes_stat::FENCE_EPS * iqr;
  kes_each_value(st->view, [&](double x, int) {
    if (!(x < in_lo - tol || x > in_hi + tol)) return;
    mark(pg, row_of(pg, x), x < out_lo || x > out_hi ? '*' : '0');
    if (ctx->sideplots) kes_side_outlier(ctx, x);
  });
}
