// keshlab and kesvlab: the default texts of the horizontal and vertical axis labels of
// the current request and variable, for device graphs and template graphs alike.
#include "plotdata/kes_axislabels.h"

#include <cmath>
#include <cstring>
#include <iterator>

#include "fit/family/kes_law.h"
#include "fit/kes_estframe.h"
#include "host/host_services.h"
#include "util/param_text.h"
#include "kes_gram_names.h"
#include "kes_msg_names.h"
#include "records/family_names.h"
#include "records/kes_cell.h"
#include "records/kes_cells.h"
#include "records/kes_ctx.h"
#include "records/kes_curve.h"
#include "records/kes_plotslot.h"
#include "records/kes_vscale.h"
#include "records/stmt_slots.h"

namespace {

// Quantile-axis texts by family: plain and percent form, with the key cell's shapes,
// and the forms that say the shapes were fitted in each cell (0: a family without
// shapes).
struct qtext {
  int plain, percent, plain_per_cell, percent_per_cell;
};
constexpr qtext kQuantile[] = {
    {KES_MSG_QUANTILE_AXIS_NORMAL, KES_MSG_PERCENTILE_AXIS_NORMAL, 0, 0},
    {KES_MSG_QUANTILE_AXIS_LOGNORMAL, KES_MSG_PERCENTILE_AXIS_LOGNORMAL, KES_MSG_QUANTILE_AXIS_LOGNORMAL_PER_CELL,
     KES_MSG_PERCENTILE_AXIS_LOGNORMAL_PER_CELL},
    {KES_MSG_QUANTILE_AXIS_EXPONENTIAL, KES_MSG_PERCENTILE_AXIS_EXPONENTIAL, 0, 0},
    {KES_MSG_QUANTILE_AXIS_WEIBULL, KES_MSG_PERCENTILE_AXIS_WEIBULL, KES_MSG_QUANTILE_AXIS_WEIBULL_PER_CELL,
     KES_MSG_PERCENTILE_AXIS_WEIBULL_PER_CELL},
    {KES_MSG_QUANTILE_AXIS_GAMMA, KES_MSG_PERCENTILE_AXIS_GAMMA, KES_MSG_QUANTILE_AXIS_GAMMA_PER_CELL,
     KES_MSG_PERCENTILE_AXIS_GAMMA_PER_CELL},
    {KES_MSG_QUANTILE_AXIS_BETA, KES_MSG_PERCENTILE_AXIS_BETA, KES_MSG_QUANTILE_AXIS_BETA_PER_CELL,
     KES_MSG_PERCENTILE_AXIS_BETA_PER_CELL},
    {KES_MSG_QUANTILE_AXIS_SB, KES_MSG_PERCENTILE_AXIS_SB, KES_MSG_QUANTILE_AXIS_SB_PER_CELL,
     KES_MSG_PERCENTILE_AXIS_SB_PER_CELL},
    {KES_MSG_QUANTILE_AXIS_SU, KES_MSG_PERCENTILE_AXIS_SU, KES_MSG_QUANTILE_AXIS_SU_PER_CELL,
     KES_MSG_PERCENTILE_AXIS_SU_PER_CELL},
};
static_assert(std::size(kQuantile) == KES_DIST_SU + 1, "one entry per fitted family");
// P-P axis texts by family.
constexpr int kPp[] = {
    KES_MSG_PP_AXIS_NORMAL, KES_MSG_PP_AXIS_LOGNORMAL, KES_MSG_PP_AXIS_EXPONENTIAL, KES_MSG_PP_AXIS_WEIBULL,
    KES_MSG_PP_AXIS_GAMMA,  KES_MSG_PP_AXIS_BETA,      KES_MSG_PP_AXIS_SB,          KES_MSG_PP_AXIS_SU,
};
static_assert(std::size(kPp) == KES_DIST_SU + 1, "one entry per fitted family");

// The variable's label, else its name, into buf.
int label_or_name(const kes_ctx* ctx, char* buf) {
  int n = ctx->curlabel_len;
  const char* t = ctx->curlabel;
  if (n == 0) {
    n = ctx->curname.len;
    t = ctx->curname.text;
  }
  if (n > KES_AXIS_LABEL_MAX) n = KES_AXIS_LABEL_MAX;
  std::memcpy(buf, t, static_cast<size_t>(n));
  return n;
}

// The parameters of the key cell's current curve as the legends show them (missing
// when there is none): the label names the same numbers the reader sees elsewhere.
struct shown_params {
  double p[4] = {NAN, NAN, NAN, NAN};
  char text[4][KES_PARAM_TEXT + 1] = {".", ".", ".", "."};  // as written, from the doubles
  double operator[](int i) const { return p[i]; }
  const char* s(int i) const { return text[i]; }
};
shown_params curve_params(kes_ctx* ctx) {
  shown_params out;
  const kes_preq* r = ctx->curreq;
  if (r->classvars == nullptr || r->classvars->keycell == nullptr) return out;
  const kes_curve* c = kes_fit_curve(kes_plot_slot(ctx, r, r->classvars->keycell));
  if (c == nullptr) return out;
  kes_law_param_texts(c->dist, c->params, out.text);
  for (int i = 0; i < 4; ++i) out.p[i] = kes_param_value(c->params[i]);
  return out;
}

// Whether a fitted CLASS cell has shapes other than the key cell's: the axis places
// each cell's points by its own shapes, so no one cell's numbers describe it. A cell
// with spread whose fit failed has no shapes that the key cell's could stand for.
bool shapes_per_cell(kes_ctx* ctx, const shown_params& key) {
  const kes_preq* r = ctx->curreq;
  const kes_curve* kc = kes_fit_curve(kes_plot_slot(ctx, r, r->classvars->keycell));
  const bool key_fitted = kc != nullptr && kc->fitted;
  return kes_each_cell(r->classvars, [&](kes_cell* cell) -> int {
           const kes_curve* c = kes_fit_curve(kes_plot_slot(ctx, r, cell));
           const bool values = cell->varsums != nullptr && cell->varsums[ctx->curvar].n >= 1;
           if (key_fitted && values && !cell->hist_empty && (c == nullptr || !c->fitted)) return 1;
           if (c == nullptr || !c->fitted) return 0;
           for (int i = 2; i < 4; ++i) {
             const double v = kes_param_value(c->params[i]);
             if (!(v == key[i] || (std::isnan(v) && std::isnan(key[i])))) return 1;
           }
           return 0;
         }) != 0;
}

}  // namespace

int keshlab(kes_ctx* ctx, char* buf) {
  const kes_preq* r = ctx->curreq;
  const int code = r->dist;
  const int lim = KES_AXIS_LABEL_MAX;
  switch (r->type) {
    case KES_PLOT_HISTOGRAM:
    case KES_PLOT_CDF: return label_or_name(ctx, buf);
    case KES_PLOT_QQ:
    case KES_PLOT_PROB: {
      const bool pct = r->type == KES_PLOT_PROB || r->pctlscale;
      const shown_params p = curve_params(ctx);
      if (code == KES_DIST_WEIBULL2) {
        if (p[0] != 0)
          return xpmstr(buf, lim, KES_SET_PLOT,
                        pct ? KES_MSG_WEIBULL2_PERCENTILES_THRESHOLD : KES_MSG_WEIBULL2_QUANTILES_THRESHOLD, p.s(0));
        return xpmstr(buf, lim, KES_SET_PLOT, pct ? KES_MSG_WEIBULL2_PERCENTILES : KES_MSG_WEIBULL2_QUANTILES);
      }
      if (code < 0 || code > KES_DIST_SU) return 0;
      const int msg = pct ? kQuantile[code].percent : kQuantile[code].plain;
      const int per_cell = pct ? kQuantile[code].percent_per_cell : kQuantile[code].plain_per_cell;
      if (per_cell != 0 && shapes_per_cell(ctx, p)) return xpmstr(buf, lim, KES_SET_PLOT, per_cell);
      // The text shows the law's shapes, params[2] on.
      switch (kes_law_of(code)->nparams) {
        case 2: return xpmstr(buf, lim, KES_SET_PLOT, msg);
        case 3: return xpmstr(buf, lim, KES_SET_PLOT, msg, p.s(2));
        default: return xpmstr(buf, lim, KES_SET_PLOT, msg, p.s(2), p.s(3));
      }
    }
    case KES_PLOT_PP: {
      if (code < 0 || code > KES_DIST_SU) return 0;
      if (r->classvars != nullptr && r->classvars->count > 0)
        return xpmstr(buf, lim, KES_SET_PLOT, KES_FIT_TEXTS[code].short_name);
      const shown_params p = curve_params(ctx);
      // A law of one shape names it before its scale.
      switch (kes_law_of(code)->nparams) {
        case 2: return xpmstr(buf, lim, KES_SET_PLOT, kPp[code], p.s(0), p.s(1));
        case 3: return xpmstr(buf, lim, KES_SET_PLOT, kPp[code], p.s(0), p.s(2), p.s(1));
        default: return xpmstr(buf, lim, KES_SET_PLOT, kPp[code], p.s(0), p.s(1), p.s(2), p.s(3));
      }
    }
    default: return 0;
  }
}

int kesvlab(kes_ctx* ctx, char* buf) {
  const kes_preq* r = ctx->curreq;
  const kes_stmt* s = r->stmt;
  const int lim = KES_AXIS_LABEL_MAX;
  // VAXISLABEL= names the data axis, which ROTATE moves to the horizontal.
  if (kes_pgiven(s, KES_PLOT_SLOT_VAXISLABEL) && !kes_flag(s, KES_PLOT_FLAG_ROTATE)) {
    const kes_optslot* o = kes_pslot(s, KES_PLOT_SLOT_VAXISLABEL);
    int n = o->list != nullptr ? o->v.count : 0;
    if (n > lim) n = lim;
    if (n > 0) std::memcpy(buf, o->list, static_cast<size_t>(n));
    return n;
  }
  switch (r->type) {
    case KES_PLOT_HISTOGRAM:
      return r->vscale == KES_VSCALE_PERCENT      ? xpmstr(buf, lim, KES_SET_PLOT, KES_MSG_AXIS_PERCENT)
             : r->vscale == KES_VSCALE_COUNT      ? xpmstr(buf, lim, KES_SET_PLOT, KES_MSG_AXIS_COUNT)
             : r->vscale == KES_VSCALE_PROPORTION ? xpmstr(buf, lim, KES_SET_PLOT, KES_MSG_PROPORTION)
                                                  : 0;
    case KES_PLOT_CDF:
      return r->vscale == KES_VSCALE_PERCENT ? xpmstr(buf, lim, KES_SET_PLOT, KES_MSG_CUMULATIVE_PERCENT)
             : r->vscale == KES_VSCALE_COUNT ? xpmstr(buf, lim, KES_SET_PLOT, KES_MSG_CUMULATIVE_COUNT)
             : r->vscale == KES_VSCALE_PROPORTION ? xpmstr(buf, lim, KES_SET_PLOT, KES_MSG_CUMULATIVE_PROPORTION)
                              : 0;
    case KES_PLOT_PP: return xpmstr(buf, lim, KES_SET_PLOT, KES_MSG_EMPIRICAL_CUMULATIVE_PROBABILITY);
    case KES_PLOT_QQ:
    case KES_PLOT_PROB: {
      if (r->dist != KES_DIST_WEIBULL2) return label_or_name(ctx, buf);
      if (ctx->curlabel_len > 0) xpmlog(KES_SET_PLOT, KES_MSG_WEIBULL2_AXIS_LOG_LABEL);
      char text[KES_AXIS_LABEL_MAX];
      const int n = label_or_name(ctx, text);
      return xpmstr(buf, lim, KES_SET_PLOT, KES_MSG_LOG_THRESHOLD, n, text);
    }
    default: return 0;
  }
}
