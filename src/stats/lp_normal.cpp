// The normal probability panel of the plot page: 51 columns of normal scores, the
// observations marked '*' at the normal scores of their plotting positions (Blom's,
// or their weighted form) and a reference line of '+' for the normal distribution
// with the sample mean and standard deviation.
#include <cmath>
#include <cstring>

#include "kes_msg_names.h"
#include "numeric/zferf.h"
#include "numeric/zprobit.h"
#include "records/kes_valview.h"
#include "stats/kes_stats.h"
#include "stats/lp_page.h"

namespace {

constexpr int kFirstCol = 8;  // position of plot column 0; columns 1..51 follow

struct vscale {
  double s, o;
  int L;
  // The line of value y, within 1..L.
  int row(double y) const {
    double r = std::trunc(o + s * y);
    if (!(r >= 1)) r = 1;
    if (r > L) r = L;
    return static_cast<int>(r);
  }
};

// Lines 1 and L of the stem panel are the ends of the vertical scale.
vscale scale_of(const kes_lppage* pg) {
  const double t = KES_LP_TOL;
  const double y0 = pg->lines[KES_LP_STEM][1].value, yL = pg->lines[KES_LP_STEM][pg->L].value;
  const double R = yL - y0;
  vscale v;
  v.s = std::fabs(R) >= t ? (pg->L - 1) / R : 1;
  v.o = t + 1.5 - v.s * y0;
  v.L = pg->L;
  return v;
}

int column_of(double p) {
  const double c = std::trunc(std::fmin(10 * zprobit(p) + 26.5, KES_LP_NORMCOLS));
  return c >= 1 ? static_cast<int>(c) : 1;
}

// Probability at which the column after col begins.
double column_end(int col) { return (zferf((col - 25.5) / (10 * std::sqrt(2.0))) + 1) / 2; }

// A normal panel line; its `total` keeps the last column marked on it.
kes_lpline* line(kes_lppage* pg, int i) { return &pg->lines[KES_LP_NORMAL][i]; }

// Title and reference line; returns the scale.
vscale frame(kes_lppage* pg, int title, double mean, double sd) {
  int len = 0;
  const char* text = kes_lp_msg(title, &len);
  kes_lp_put(line(pg, 0), kFirstCol + 1 + (KES_LP_NORMCOLS - len) / 2, text, len);
  const vscale v = scale_of(pg);
  for (int k = 0; k < KES_LP_NORMCOLS; ++k) {
    const double y = mean + (k - 25) * 0.1 * sd;
    const double r = std::trunc(v.o + v.s * y);
    if (r >= 1 && r <= pg->L) line(pg, static_cast<int>(r))->text[kFirstCol + 1 + k] = '+';
  }
  pg->panel[KES_LP_NORMAL].width = KES_LP_NORMWIDTH;
  pg->panel[KES_LP_NORMAL].height = pg->L + 2;
  return v;
}

}  // namespace

void kesprb(kes_lppage* pg, const kes_stats* st) {
  const vscale v = frame(pg, KES_MSG_LP_NORMAL_PROBABILITY_PLOT, st->mom.v[KES_MOM_MEAN], st->mom.v[KES_MOM_STD]);
  const double N = st->mom.v[KES_MOM_N];
  double c = 0;
  const kes_valview vw = st->view != nullptr ? *st->view : kes_valview{};
  for (int i = 0; i < vw.m; ++i) {
    const int count = vw.f[i];
    const int r = v.row(vw.x[i]);
    const double end = c + count - 1;
    for (double cc = c;;) {
      const double p = (cc + 0.625) / (N + 0.25);
      const int col = p <= 0.005 ? 1 : p >= 0.995 ? KES_LP_NORMCOLS : column_of(p);
      double& seen = line(pg, r)->total;
      if (col > seen) {
        line(pg, r)->text[kFirstCol + col] = '*';
        seen = col;
      }
      if (count < 2) break;
      // The rank inside the tie at which the next column begins.
      const double next_count = (N + 0.25) * column_end(col) - 0.625 - 1000 * 1.1102230246251565e-16;
      double next = std::ceil(next_count);
      if (next <= cc) next = cc + 1;
      if (next > end) break;
      cc = next;
    }
    c += count;
  }
}

void keswprb(kes_lppage* pg, const kes_stats* st, const char* vardef) {
  const kes_valview vw = st->view != nullptr ? *st->view : kes_valview{};
  // The weights in the view's own unit (kes_valview::wexp).
  double sumw = 0.0;
  for (int i = 0; i < vw.m; ++i) sumw += vw.w != nullptr ? vw.w[i] : vw.f[i];
  const double N = st->mom.v[KES_MOM_N];
  double sd = st->mom.v[KES_MOM_STD];
  // Under divisors DF and N the standard deviation is per unit weight.
  if (std::memcmp(vardef, "DF      ", 8) == 0 || std::memcmp(vardef, "N       ", 8) == 0)
    sd = std::ldexp(sd, -vw.wexp / 2) / std::sqrt(sumw / N);
  const vscale v = frame(pg, KES_MSG_LP_WEIGHTED_NORMAL_PROBABILITY_PLOT, st->mom.v[KES_MOM_MEAN], sd);
  const double D = (0.25 / N + 1) * sumw;
  double c = 0, W = 0;
  for (int i = 0; i < vw.m; ++i) {
    c += vw.f[i];
    W += vw.w != nullptr ? vw.w[i] : vw.f[i];
    const double p = W * (1 - 0.375 / c) / D;
    const int col = column_of(p);
    const int r = v.row(vw.x[i]);
    double& seen = line(pg, r)->total;
    if (seen == 0 || (col > seen && p >= column_end(static_cast<int>(seen)))) {
      line(pg, r)->text[kFirstCol + col] = '*';
      seen = col;
    }
  }
}
