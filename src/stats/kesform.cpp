// kesform: lays out the plot page of one variable. It chooses the number of plot
// lines, then searches for the stem scale and leaves per stem that fit the values in
// those lines (stem-and-leaf without a WEIGHT variable, redone as bars when a line
// would hold too many leaves; bars of weights with one), sizes the panels, fills the
// box and normal panels and has kesfmed label them.
#include <algorithm>
#include <cmath>

#include "host/host_services.h"
#include "kes_msg_names.h"
#include "numeric/zmissing.h"
#include "records/kes_ctx.h"
#include "records/kes_valview.h"
#include "stats/kes_stats.h"
#include "stats/lp_page.h"
#include "util/kes_eps.h"
#include "util/kes_text.h"

namespace {

constexpr int kMaxTextWidth = KES_LP_WIDTH - 20;

// Stem scale and leaves per stem for M lines over the range r.
void stem_unit(kes_lppage* pg, double r, double M) {
  if (!(r > 0)) {
    pg->scale = 10;
    pg->K = 10;
    return;
  }
  const double d = r / M;
  const double e = std::trunc(std::log10(d) + 20);
  double scale = std::pow(10.0, 21 - e);
  const double m = std::ceil(d * scale / 10);
  double K = 10;
  if (m > 5) {
    scale /= 10;
  } else if (m >= 3) {
    scale /= 10;
    K = 5;
  } else if (m == 2) {
    K = 20;
  }
  pg->scale = scale;
  pg->K = K;
}

// Weight per mark of the bars of weights: a round value near total / 45.
double weight_per_mark(double largest) {
  double u = largest / 45;
  if (u > 10) {
    const double lg = std::log10(u);
    const double k = std::trunc(lg), f = lg - k;
    const double b = f == 0 ? 1 : f < std::log10(2.0) ? 2 : f < std::log10(5.0) ? 5 : 10;
    u = b * std::pow(10.0, k);
  } else if (u > 0.5) {
    u = std::ceil(u);
  } else if (u > 0) {
    const double k = std::trunc(-std::log10(u)), f = k + std::log10(u);
    const double b = f > std::log10(0.5) ? 1 : f > std::log10(0.2) ? 0.5 : 0.2;
    u = b * std::pow(10.0, -k);
  } else {
    u = 1;
  }
  return u;
}

long gcd(long a, long b) {
  while (b != 0) {
    const long r = a % b;
    a = b;
    b = r;
  }
  return a;
}

}  // namespace

int kes_lp_lines(const kes_ctx* ctx, double N, int page_lines) {
  int L = std::min(page_lines, ctx->plotsize) - 3;
  if (!ctx->po.plotsize_given) {
    const long h = N < 2000 ? static_cast<long>(std::trunc(N)) / 2 : 1000;
    L = static_cast<int>(std::min<long>(L, std::max<long>(h, 10)));
  }
  return L;
}

// Spacing of the labelled lines: the largest divisor-friendly step of L - 1 lines that
// is at most half the plot.
int kes_lp_spacing(int L) {
  if (L - 1 <= L / 2) return L - 1;
  long g = L - 1;
  for (int k = std::min(L - 2, 10); k >= 1; --k) {
    g = (L - 1) / gcd(L - 1, k);
    if (g <= L / 2) break;
  }
  return static_cast<int>(g);
}

// Marks of the longest bar and the panel's text width, once the lines stand.
void kes_lp_marks(kes_lppage* pg) {
  const double t = KES_LP_TOL;
  const double largest = pg->largest > 0 ? pg->largest : 1;
  if (pg->split) {
    pg->marks = pg->largest;
  } else if (pg->weighted) {
    pg->per_mark = weight_per_mark(largest);
    pg->marks = std::ceil(largest / pg->per_mark);
  } else {
    pg->mult = std::ceil(largest / KES_LP_MAXLEAVES);
    pg->marks = std::ceil(largest / pg->mult);
  }
  pg->w = static_cast<int>(std::min<double>(std::max<double>(pg->marks, 20), kMaxTextWidth));
  int& width = pg->panel[KES_LP_STEM].width;
  if (pg->split) {
    width = pg->w + 14;
  } else if (pg->weighted) {
    char buf[16];
    xfxpn(pg->per_mark, 8, 0, 99, buf);
    width = std::max(50 + wzstjus(buf, 8, 'L'), pg->w + 16);
  } else {
    width = std::max(pg->w + 14, static_cast<int>(std::log10(pg->mult) + 1 + t) + 37);
  }
}

// Stems of 10^7 or more lose digits in their 7-column labels (values 1 + i 1e-15 are
// stems 1E14 on every line): the plot is kept, and a note gives the stems in full.
static void note_long_stems(const kes_ctx* ctx, const kes_lppage* pg) {
  const double first = pg->lines[KES_LP_STEM][1].stem, last = pg->lines[KES_LP_STEM][pg->L].stem;
  if (first == last || std::fmax(std::fabs(first), std::fabs(last)) < 1e7) return;
  xpmlog(KES_SET_PROC, KES_MSG_STEMS_TOO_MANY_DIGITS, static_cast<int>(ctx->curname.len), ctx->curname.text, first,
         last);
}

int kesform(kes_ctx* ctx, kes_stats* st, int page_lines, int* no_normal) {
  *no_normal = 0;
  const bool weighted = ctx->weight_given != 0;
  if (st->ndistinct < 2 || st->view == nullptr || st->view->m < 2) return 0;
  // Bars of weights are measured against a sum of weights from the rounding of 1 up to
  // the largest double: a positive sum below it, or one past it, has no bar lengths,
  // and the page says so (weights that sum to 0 leave nothing to draw).
  const double sumwgt = st->mom.v[KES_MOM_SUMWGT];
  if (weighted && !(std::fabs(sumwgt) >= KES_EPS53)) {
    if (sumwgt == 0) return 0;
    const kes_name32& nm = ctx->varnames[ctx->curvar];
    xpmlog(KES_SET_PROC, KES_MSG_LP_PLOTS_WEIGHTS_OUT_OF_RANGE, static_cast<int>(nm.len), nm.text);
    return 0;
  }
  kes_lppage* pg = kes_lp_page(ctx);
  if (pg == nullptr) return 0;

  int L = std::min(kes_lp_lines(ctx, st->mom.v[KES_MOM_N], page_lines), pg->capacity - 3);
  if (L < 1) return 0;
  pg->page_lines = page_lines;
  kes_lp_blank(pg, 0, pg->capacity - 1);
  pg->split = weighted ? 0 : 1;
  pg->weighted = weighted ? 1 : 0;

  const kes_valview& vw = *st->view;
  const double range = vw.x[vw.m - 1] - vw.x[0];
  // Values near both ends of the doubles: no stem scale spans a range past the
  // largest double, so the page is not drawn rather than drawn wrong.
  if (!std::isfinite(range)) {
    const kes_name32& nm = ctx->varnames[ctx->curvar];
    xpmlog(KES_SET_PROC, KES_MSG_LP_PLOTS_RANGE_TOO_WIDE, static_cast<int>(nm.len), nm.text);
    return 0;
  }
  int k = 2;
  for (double M = L; M >= 1.5;) {
    if (range > 0) M -= 1;
    stem_unit(pg, range, M);
    pg->L = L;
    if (weighted) {
      k = keswbar(pg, st->view);
    } else if ((k = kesstem(pg, st->view)) == 1) {
      pg->split = 0;
      k = kesstem(pg, st->view);
    }
    if (k < 2 || !(range > 0)) break;
  }
  if (k >= 2) return 0;
  L = pg->L;

  kes_lp_marks(pg);
  if (pg->split) note_long_stems(ctx, pg);
  if (pg->split) {
    int len = 0;
    const char* stem = kes_lp_msg(KES_MSG_LP_STEM, &len);
    kes_lp_put(&pg->lines[KES_LP_STEM][0], 7 - len, stem, len);
    const char* leaf = kes_lp_msg(KES_MSG_LP_LEAF, &len);
    kes_lp_put(&pg->lines[KES_LP_STEM][0], 8, leaf, len);
  }
  pg->panel[KES_LP_BOX].width = KES_LP_BOXWIDTH;
  pg->panel[KES_LP_BOX].height = L;
  kesbox(ctx, pg, st);
  if (is_missing(st->mom.v[KES_MOM_MEAN]) || is_missing(st->mom.v[KES_MOM_STD])) *no_normal = 1;
  else if (weighted) keswprb(pg, st, ctx->vardef);
  else kesprb(pg, st);
  pg->g = kes_lp_spacing(L);
  kesfmed(pg, *no_normal);
  return L;
}
