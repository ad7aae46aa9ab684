// The point makers of probability, QQ, P-P and CDF plots (kes_points.h).
#include "plotdata/kes_points.h"

#include <cmath>

#include "fit/kes_estframe.h"
#include "fit/kes_famfn.h"
#include "fitreport/kes_famsets.h"
#include "host/host_services.h"
#include "records/kes_cell.h"
#include "records/kes_ctx.h"
#include "records/kes_curve.h"
#include "records/kes_plotslot.h"
#include "records/kes_values.h"
#include "records/pool_alloc.h"

namespace {

constexpr int kCurvePoints = 200;

kes_plotslot* slot_of(kes_ctx* ctx, kes_cell* cell) { return kes_plot_slot(ctx, ctx->curreq, cell); }
kes_plotslot* key_slot(kes_ctx* ctx) { return slot_of(ctx, ctx->curreq->classvars->keycell); }

// n pairs from the variable's pool: the points live while the variable's plots are made.
double* pairs(kes_ctx* ctx, long n) {
  host_pool* pool = ctx->varpools != nullptr && ctx->varpools[ctx->curvar] != nullptr ? ctx->varpools[ctx->curvar]
                                                                                       : ctx->bypool;
  const long size = 2 * static_cast<long>(sizeof(double)) * (n > 0 ? n : 1);
  auto* p = static_cast<double*>(vmalcp_handler(pool, size, KES_ALLOC_4));
  if (p == nullptr) xmemmsg(size);
  return p;
}

const kes_varsum* varsum(kes_ctx* ctx, kes_cell* cell) { return kes_fit_varsum(ctx, cell); }

}  // namespace

double kes_curve_cdf(const kes_curve* c, double x, bool* failed) {
  const kes_famfn* fn = kes_famdisp(c->dist);
  const double p = fn != nullptr && fn->cdf != nullptr ? fn->cdf(c->params, x) : kes_fit_missing();
  if (!std::isnan(p)) return p;
  *failed = true;
  return 0.0;
}

int kespoints(kes_ctx* ctx, kes_cell* cell, double** out) {
  *out = nullptr;
  const kes_preq* r = ctx->curreq;
  kes_plotslot* slot = slot_of(ctx, cell);
  const kes_varsum* vs = varsum(ctx, cell);
  const kes_famfn* fn = kes_famdisp(r->dist);
  if (slot == nullptr || vs == nullptr || fn == nullptr) return 0;
  const kes_valview* vals = kes_cell_values_noted(ctx, cell);
  if (vals == nullptr) return -1;
  const long n = static_cast<long>(vs->n);
  double* p = pairs(ctx, n);
  if (p == nullptr) return -1;
  const kes_curve* c = kes_fit_curve(slot);
  const double theta = c != nullptr ? c->params[0] : 0.0;
  long k = 0;
  for (int i = 0; i < vals->m && k < n; ++i) {
    const double y = r->dist == KES_DIST_WEIBULL2 ? std::log(vals->x[i] - theta) : vals->x[i];
    for (int f = 0; f < vals->f[i] && k < n; ++f, ++k) {
      // + 0.0: the median's quantile is written as 0, not -0.
      const double x = fn->q(ctx, slot, (k + 1 + r->rankadj) / (n + r->nadj)) + 0.0;
      p[2 * k] = r->rotate ? y : x;
      p[2 * k + 1] = r->rotate ? x : y;
    }
  }
  *out = p;
  return static_cast<int>(k);
}

int keszpts(kes_ctx* ctx, kes_cell* cell, double** out) {
  *out = nullptr;
  kes_plotslot* slot = slot_of(ctx, cell);
  const kes_varsum* vs = varsum(ctx, cell);
  const kes_curve* c = slot != nullptr ? kes_fit_curve(slot) : nullptr;
  if (vs == nullptr || c == nullptr) return 0;
  const kes_valview* vals = kes_cell_values_noted(ctx, cell);
  if (vals == nullptr) return -1;
  double* p = pairs(ctx, vs->ndistinct);
  if (p == nullptr) return -1;
  const double s = key_slot(ctx)->scale;
  double y = 0;
  int m = 0;
  bool failed = false;
  for (; m < vals->m && m < vs->ndistinct; ++m) {
    y += s * vals->f[m] / vs->n;
    p[2 * m] = s * kes_curve_cdf(c, vals->x[m], &failed);
    p[2 * m + 1] = y;
  }
  *out = p;
  return m;
}

int kescdfpts(kes_ctx* ctx, kes_cell* cell, double* out) {
  kes_plotslot* slot = slot_of(ctx, cell);
  const kes_curve* c = slot != nullptr ? kes_fit_curve(slot) : nullptr;
  if (c == nullptr) return 1;
  const kes_plotslot* key = key_slot(ctx);
  const double lo = key->hlow, hi = key->hhigh, s = key->scale;
  bool failed = false;
  for (int k = 0; k < kCurvePoints; ++k) {
    const double x = lo + k * (hi - lo) / (kCurvePoints - 1);
    out[2 * k] = x;
    out[2 * k + 1] = s * kes_curve_cdf(c, x, &failed);
    if (failed) return 1;
  }
  return 0;
}

int kesecdfpts(kes_ctx* ctx, kes_cell* cell, double** out) {
  *out = nullptr;
  const kes_varsum* vs = varsum(ctx, cell);
  const kes_valview* view = kes_cell_values(ctx, cell);
  if (vs == nullptr || view == nullptr || view->m == 0 || !(vs->n > 0)) return -1;
  const kes_valview& vals = *view;
  const bool steps = !ctx->tmplgraph;
  const int m = vs->ndistinct;
  double* p = pairs(ctx, steps ? 2L * m + 2 : m + 2L);
  if (p == nullptr) return -1;
  const kes_plotslot* key = key_slot(ctx);
  const double s = key->scale;
  int k = 0;
  const auto put = [&](double x, double y) {
    p[2 * k] = x;
    p[2 * k + 1] = y;
    ++k;
  };
  put(key->hlow, 0);
  double y = 0;
  int seen = 0;
  for (; seen < vals.m && seen < m; ++seen) {
    const double after = y + vals.f[seen] * s / vs->n;
    if (steps) put(vals.x[seen], y);
    put(vals.x[seen], after);
    y = after;
  }
  put(key->hhigh, y);
  *out = p;
  return k;
}
