// kesstgcdf: the template graph of a CDF plot: per cell the fitted distribution
// function (200 points) and the empirical one as a step curve. putcdf writes a cell's
// rows.
#include <cstdio>
#include <cstring>
#include <vector>
#include <iterator>

#include "host/template_dynamics.h"
#include "plotdata/kes_axislabels.h"
#include "plotdata/kes_points.h"
#include "fit/kes_estframe.h"
#include "host/host_services.h"
#include "inset/kes_inset.h"
#include "kes_gram_names.h"
#include "kes_msg_names.h"
#include "records/kes_cell.h"
#include "records/kes_ctx.h"
#include "records/kes_curve.h"
#include "records/kes_plotslot.h"
#include "records/kes_vscale.h"
#include "records/stmt_slots.h"
#include "tmplgraph/kes_stgraph.h"
#include "tmplgraph/stg_labels.h"
#include "tmplgraph/stg_prob.h"

namespace {

constexpr int kCdfX = 1, kCdfY = 2, kEcdfX = 3, kEcdfY = 4;

// Parameters of each family, and the order its legend text names them.
struct cdf_text {
  int msg;
  int order[4];
};
constexpr cdf_text kTexts[] = {{KES_MSG_CDF_PARAMS_MU_SIGMA, {0, 1}},
                                {KES_MSG_CDF_PARAMS_THETA_SHAPE_SCALE, {0, 2, 1}},
                                {KES_MSG_CDF_PARAMS_THETA_SCALE, {0, 1}},
                                {KES_MSG_CDF_PARAMS_THETA_SHAPE_SCALE, {0, 2, 1}},
                                {KES_MSG_CDF_PARAMS_THETA_SHAPE_SCALE, {0, 2, 1}},
                                {KES_MSG_CDF_PARAMS_BETA, {0, 2, 3, 1}},
                                {KES_MSG_CDF_PARAMS_SB, {0, 2, 3, 1}},
                                {KES_MSG_CDF_PARAMS_SU, {0, 2, 3, 1}}};
static_assert(std::size(kTexts) == KES_DIST_SU + 1, "one entry per fitted family");

}  // namespace

int kes_cdflab(kes_ctx* ctx, const kes_curve* c, char* buf) {
  const bool classes = ctx->curreq->classvars->count > 0;
  const int code = c->dist;
  if (code < 0 || code > KES_DIST_SU) return 0;
  const int p = kesnparms(code);
  char text[4][KES_PARAM_TEXT + 1];
  // The parameters as the histogram's legend shows them, so one fit reads alike.
  kes_law_param_texts(code, c->params, text);
  bool all_est = true;
  for (int i = 0; i < p; ++i) {
    all_est = all_est && c->estimated[i];
    if (classes && c->estimated[i]) std::snprintf(text[i], sizeof text[i], "EST");
  }
  if (classes && all_est) return xpmstr(buf, 256, KES_SET_PLOT, KES_MSG_FITTED_PER_CELL);
  const cdf_text& t = kTexts[code];
  const auto a = [&](int k) { return static_cast<const char*>(text[t.order[k]]); };
  if (p == 2) return xpmstr(buf, 256, KES_SET_PLOT, t.msg, a(0), a(1));
  if (p == 3) return xpmstr(buf, 256, KES_SET_PLOT, t.msg, a(0), a(1), a(2));
  return xpmstr(buf, 256, KES_SET_PLOT, t.msg, a(0), a(1), a(2), a(3));
}

void kesstgcdf(kes_ctx* ctx, kes_stgraph* g) {
  kes_preq* r = ctx->curreq;
  const kes_stmt* st = r->stmt;
  const kes_classvars* cv = r->classvars;
  kes_plotslot* key = kes_stg_keyslot(ctx);
  if (key == nullptr) return;
  kes_stg_create(ctx, g, "CDFData");
  if (cv->count > 0) classcols(cv, g);
  const kes_curve* kc = kes_fit_curve(key);
  const bool family = r->dist >= 0;
  if (family && kc != nullptr && kc->fitted) {
    char buf[261];
    std::memset(buf, ' ', sizeof buf);
    kes_dyn_text(g, KES_DYN_CDFLAB, vemtxt(buf, kes_cdflab(ctx, kc, buf)));
  }
  kes_dyn_double(g, KES_DYN_YMAX, r->vscale == KES_VSCALE_PERCENT ? 100.0 : 1.0);
  kes_stg_linestyle(ctx, g);
  kes_stg_yticks(ctx, g);
  static const char* const kTheory[3] = {"Theoretical Cumulative Percent", "Theoretical Cumulative Count",
                                         "Theoretical Cumulative Probability"};
  static const char* const kEmpir[3] = {"Empirical Cumulative Percent", "Empirical Cumulative Count",
                                        "Empirical Cumulative Probability"};
  const int vs = r->vscale >= 0 && r->vscale <= 2 ? r->vscale : 0;
  void* name = vemtxt(g->var.name, g->var.name_len);
  if (family) {
    kes_stg_numcol(g, "CDFX", kCdfX, name, true);
    kes_stg_numcol(g, "CDFY", kCdfY, vemtxt(kTheory[vs], -1));
  }
  if (!kes_flag(st, KES_PLOT_FLAG_NOECDF)) {
    kes_stg_numcol(g, "ECDFX", kEcdfX, name, true);
    kes_stg_numcol(g, "ECDFY", kEcdfY, vemtxt(kEmpir[vs], -1));
  }
  if (r->nhref > 0 || r->nvref > 0) kesrefs(ctx, g);
  kes_stg_bind(ctx, g, "CDFData");
  putdata(ctx, g);
  kes_stg_emit(ctx, g);
  kesstgins(ctx, g);

  const bool comp = cv->count > g->overlay;
  void* y = kes_stg_ylabel(ctx, g);
  void* yshort = vemmsgs(KES_SET_PLOT, KES_MSG_CDF, static_cast<int>(g->var.name_len), g->var.name);
  const wob_attr inline_pairs[] = {
      kes_stg_pair_name(KES_DYN_YLABEL), wob_text(WOB_A_VALUE, y),
      kes_stg_pair_name(KES_DYN_YSHORT), wob_text(WOB_A_VALUE, yshort),
      kes_stg_pair_name(KES_DYN_OVERLAY), wob_last(WOB_A_VALUE, g->overlay),
      kes_stg_pair_name(KES_DYN_GROUPLABEL), wob_text(WOB_A_VALUE, kes_stg_grouplabel(g)),
  };
  kes_stg_panels(ctx, g, "CDFPlot", KES_MSG_CDF_PLOT_OF_VAR, comp ? "CompCDFPlot" : "CDFPlot", inline_pairs, 8);
}

void putcdf(kes_ctx* ctx, kes_stgraph* g, kes_cell* cell) {
  const kes_preq* r = ctx->curreq;
  kes_plotslot* s = kes_stg_slot(ctx, cell);
  const kes_curve* c = s != nullptr ? kes_fit_curve(s) : nullptr;
  std::vector<double> fitted;
  int nf = 0;
  if (r->dist >= 0 && c != nullptr && c->fitted) {
    fitted.resize(2 * KES_CURVE_POINTS);
    if (kescdfpts(ctx, cell, fitted.data()) == 0) nf = KES_CURVE_POINTS;
  }
  const auto row = [&](long i) {
    if (i < nf) {
      g->cells[kCdfX] = fitted[2 * i];
      g->cells[kCdfY] = fitted[2 * i + 1];
    }
    kes_stg_refrow(ctx, g, static_cast<int>(i));
    kes_stg_row(g);
    kes_stg_reset(g);
  };
  kes_stg_reset(g);
  // The empirical points a piece at a time, each row written as it comes.
  long ne = 0;
  if (!kes_flag(r->stmt, KES_PLOT_FLAG_NOECDF) && !cell->hist_empty) {
    // The template draws the steps between the points it is given.
    ne = kesecdfpts_pieces(ctx, cell, KES_ECDF_STEP_ENDS, [&](double* xy, long first, int m) {
      for (int j = 0; j < m; ++j) {
        g->cells[kEcdfX] = xy[2 * j];
        g->cells[kEcdfY] = xy[2 * j + 1];
        row(first + j);
      }
    });
    if (ne < 0) ne = 0;
  } else if (!kes_flag(r->stmt, KES_PLOT_FLAG_NOECDF) && cell->varsums != nullptr &&
             cell->varsums[ctx->curvar].n >= 1) {
    // A cell without spread has no step line: its values go out alone, so that the
    // graph can say what the cell holds (one value, or values all equal).
    const kes_varsum& vs = cell->varsums[ctx->curvar];
    const long m = static_cast<long>(vs.n);
    for (long i = 0; i < m; ++i) {
      g->cells[kEcdfX] = vs.min;
      row(i);
    }
    ne = m;
  }
  // A cell with no points at all writes one row (with the first reference values).
  const long rows = nf > 0 || ne > 0 ? kes_stg_rowcount(ctx, static_cast<int>(nf > ne ? nf : ne)) : 1;
  for (long i = ne; i < rows; ++i) row(i);
}
