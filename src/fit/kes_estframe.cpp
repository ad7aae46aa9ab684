// The shared frame of the estimate functions (kes_estframe.h).
#include "fit/kes_estframe.h"

#include <cmath>

#include "fit/kes_cellnote.h"
#include "host/host_missing.h"
#include "kes_msg_names.h"
#include "records/kes_cell.h"
#include "records/kes_ctx.h"
#include "records/kes_curve.h"
#include "records/kes_plotslot.h"
#include "records/kes_values.h"
#include "records/stmt_slots.h"
#include "stats/statistics.h"
#include "stats/tables_call.h"

namespace {
// Entries of the summary block kept by kessave.
constexpr int kSummarySkew = KES_STAT_ROWS[KES_STAT_SKEWNESS].saved;
constexpr int kSummaryKurt = KES_STAT_ROWS[KES_STAT_KURTOSIS].saved;

}  // namespace


kes_curve* kes_fit_curve(kes_plotslot* slot) {
  if (slot == nullptr || slot->curves == nullptr || slot->curve < 0 || slot->curve >= slot->ncurves) return nullptr;
  return &slot->curves[slot->curve];
}

kes_varsum* kes_fit_varsum(const kes_ctx* ctx, kes_cell* cell) {
  return cell != nullptr && cell->varsums != nullptr ? &cell->varsums[ctx->curvar] : nullptr;
}

kes_cell* kes_fit_bins_cell(const kes_preq* request) {
  const kes_classvars* cv = request->classvars;
  if (cv == nullptr) return nullptr;
  return cv->keycell != nullptr ? cv->keycell : cv->levels;
}

double kes_fit_missing() { return host_missing_of_kind(HOST_MISS_STD); }

double kes_fit_estimate(double v) { return std::isfinite(v) ? v : kes_fit_missing(); }

double kes_param_entry(const kes_stmt* s, int values_slot, int markers_slot, int index, bool* listed) {
  const kes_optslot* v = kes_pslot(s, values_slot);
  const kes_optslot* m = kes_pslot(s, markers_slot);
  const bool given = v->given || m->given;
  if (listed != nullptr) *listed = given;
  if (!given) return kes_fit_missing();
  if (kes_marker_est(s, markers_slot, index)) return kes_fit_missing();
  if (!v->given || v->list == nullptr || v->v.count < 1) return kes_fit_missing();
  const int pos = index < v->v.count - 1 ? index : v->v.count - 1;
  return static_cast<const double*>(v->list)[pos < 0 ? 0 : pos];
}

bool kes_marker_est(const kes_stmt* s, int markers_slot, int index) {
  const kes_optslot* m = kes_pslot(s, markers_slot);
  if (!m->given || m->list == nullptr || m->v.count < 1) return false;
  const int pos = index < m->v.count - 1 ? index : m->v.count - 1;
  return static_cast<const int*>(m->list)[pos < 0 ? 0 : pos] != 0;
}

bool kes_est_begin(kes_ctx* ctx, kes_preq* request, kes_cell* cell, int family, double low, double high,
                   const double* height, kes_estframe* f) {
  *f = kes_estframe{};
  f->ctx = ctx;
  f->request = request;
  f->cell = cell;
  f->vs = kes_fit_varsum(ctx, cell);
  f->slot = kes_plot_slot(ctx, request, cell);
  f->curve = kes_fit_curve(f->slot);
  if (f->curve != nullptr) f->curve->fail_why = 0;
  const kes_valview* values = kes_cell_values(ctx, cell);
  if (f->vs == nullptr || values == nullptr || f->curve == nullptr || !(f->vs->n > 0.0)) return false;
  zfit_req& r = f->req;
  r.mode = 1;
  r.family = family;
  r.values = values;
  r.threads = ctx->threads;
  r.want_height = height != nullptr ? 1 : 0;
  r.low = low;
  r.high = high;
  r.pctldef = ctx->pctldef;
  r.vscale = request->vscale;
  r.n = f->vs->n;
  r.min = f->vs->min;
  r.max = f->vs->max;
  r.mean = f->vs->mean;
  r.std = f->vs->std;
  const double miss = kes_fit_missing();
  r.skew = f->vs->summary != nullptr ? f->vs->summary[kSummarySkew] : miss;
  r.kurt = f->vs->summary != nullptr ? f->vs->summary[kSummaryKurt] : miss;
  r.width = 1.0;
  if (request->type == KES_PLOT_HISTOGRAM) {
    kes_cell* bins = kes_fit_bins_cell(request);
    kes_plotslot* bs = bins != nullptr ? kes_plot_slot(ctx, request, bins) : nullptr;
    r.width = bs != nullptr ? bs->width : f->slot->width;
  }
  for (double& p : r.params) p = miss;
  return true;
}

const kes_name32& kes_fit_varname(const kes_ctx* ctx) {
  // A step without its variable names (a fit asked for outside a step) names none.
  static const kes_name32 kNoName{};
  return ctx->varnames != nullptr ? ctx->varnames[ctx->curvar] : kNoName;
}

namespace {
// Where the likelihood of the fitted curve c also rises without bound beside the
// maximum reported: the note names the family, the variable and the cell.
void rise_notes(const kes_estframe& f, const kes_curve& c) {
  const zfit_req& r = f.req;
  kes_ctx* ctx = f.ctx;
  if (ctx == nullptr || r.ml_rise == 0 || c.dist < 0 || c.dist >= KES_NSTATLABELS) return;
  const kes_name32& var = kes_fit_varname(ctx);
  const char* family = ctx->statlabel[c.dist];
  const int flen = kes_trimlen(family, 16);
  for (const int msg : {KES_MSG_ML_UNBOUNDED_AT_MIN, KES_MSG_ML_UNBOUNDED_AT_MAX})
    if ((r.ml_rise & (msg == KES_MSG_ML_UNBOUNDED_AT_MIN ? 1 : 2)) != 0)
      kes_cell_text_note(ctx, f.request, f.cell, KES_SET_PLOT, msg, flen, family, int(var.len), var.text);
}
}  // namespace

int kes_est_finish(kes_estframe* f, double* height) {
  zfit_req& r = f->req;
  kes_curve* c = f->curve;
  for (int i = 0; i < 4; ++i)
    if (std::isnan(r.params[i])) c->estimated[i] = 1;
  const int rc = zfit(&r);
  // The reason goes into the caller's note that the family could not be fitted; a fit
  // leaves none that a later failure could take for its own.
  c->fail_why = rc != 0 ? static_cast<std::uint8_t>(r.ml_why) : 0;
  c->fail_maxiter = r.ml_maxiter;
  if (rc != 0) return 1;
  rise_notes(*f, *c);
  for (int i = 0; i < 4; ++i) {
    c->params[i] = r.params[i];
    c->fit_params[i] = r.fit_params[i];
  }
  c->fit_origin = r.fit_origin;
  c->fit_unit = r.fit_unit;
  c->fit_zeta[0] = r.fit_zeta[0];
  c->fit_zeta[1] = r.fit_zeta[1];
  c->fit_coords = 1;
  c->mode = r.mode_x;
  c->height = r.height;
  if (height != nullptr) *height = r.height;
  return 0;
}
