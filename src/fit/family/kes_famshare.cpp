// The parts of an estimate that the threshold families share (kes_families.h).
#include <cmath>

#include "fit/kes_cellnote.h"
#include "fit/kes_estframe.h"
#include "fit/family/kes_families.h"
#include "host/host_services.h"
#include "host/kes_stmt.h"
#include "kes_msg_names.h"
#include "records/kes_cells.h"
#include "records/kes_ctx.h"
#include "records/kes_curve.h"
#include "records/kes_plotslot.h"
#include "records/kes_preq.h"
#include "records/stmt_slots.h"

namespace {
// Once-per-curve note byte of the default threshold.
constexpr int kNotedTheta = 0;
}  // namespace

double kes_stmt_number(const kes_stmt* s, int slot) {
  return kes_pgiven(s, slot) ? kes_pnumber(s, slot) : kes_fit_missing();
}

bool kes_theta_refused(kes_ctx* ctx, kes_preq* request, kes_cell* cell, int code, double theta, double min,
                       int note_var, int note_min, bool cell_form) {
  if (std::isnan(theta) || theta < min) return false;
  const kes_name32& var = ctx->varnames[ctx->curvar];
  if (!cell_form || request->classvars == nullptr || request->classvars->count == 0)
    xpmlog(KES_SET_PLOT, note_var, int(var.len), var.text);
  else
    kes_cell_note(ctx, request, cell, KES_SET_PROC, {0, KES_MSG_THETA_ABOVE_MIN_CELL, KES_MSG_THETA_ABOVE_MIN_CELL2},
                  var.text, var.len, ctx->statlabel[code], 16);
  xpmlog(KES_SET_PLOT, note_min, min);
  return true;
}

bool kes_first_curve_note(kes_ctx* ctx, const kes_preq* request, kes_curve* c, int which) {
  if (c->noted[which]) return false;
  c->noted[which] = 1;
  if (request == nullptr || request->classvars == nullptr || request->classvars->count == 0) return true;
  return kes_each_cell(request->classvars, [&](kes_cell* cell) -> int {
           const kes_plotslot* s = kes_plot_slot(ctx, request, cell);
           for (int k = 0; s != nullptr && s->curves != nullptr && k < s->ncurves; ++k) {
             const kes_curve& o = s->curves[k];
             if (&o != c && o.dist == c->dist && o.family_index == c->family_index && o.noted[which]) return 1;
           }
           return 0;
         }) == 0;
}

void kes_theta_default(kes_ctx* ctx, const kes_preq* request, kes_curve* c, double* theta, bool listed, int note) {
  if (listed) return;
  *theta = 0.0;
  if (!kes_first_curve_note(ctx, request, c, kNotedTheta)) return;
  const kes_name32& var = ctx->varnames[ctx->curvar];
  kes_place_note(ctx, request);
  xpmlog(KES_SET_PLOT, note, int(var.len), var.text);
}

int kes_est_finish_shape(kes_estframe* f, const kes_preq* request, double* height) {
  kes_curve* c = f->curve;
  for (int j = 0; j < 3; ++j) c->estimated[j] = std::isnan(f->req.params[j]) ? 1 : 0;
  double h = kes_fit_missing();
  if (kes_est_finish(f, &h) != 0) return 1;
  if (std::fabs(c->params[2] - 1.0) <= 1e-10 && request->vscale == KES_VSCALE_PERCENT && h > 100.0) h = 0.0;
  c->height = h;
  if (height != nullptr) *height = h;
  return 0;
}
