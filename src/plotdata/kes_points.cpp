// The point makers of probability, QQ, P-P and CDF plots (kes_points.h).
#include "plotdata/kes_points.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "fit/kes_estframe.h"
#include "fit/kes_famfn.h"
#include "fitreport/kes_famsets.h"
#include "host/host_services.h"
#include "host/kes_parallel.h"
#include "records/kes_cell.h"
#include "records/kes_cells.h"
#include "records/kes_ctx.h"
#include "records/kes_curve.h"
#include "records/kes_plotslot.h"
#include "records/kes_values.h"
#include "records/pool_alloc.h"
#include "stats/engine_threads.h"

namespace {


kes_plotslot* slot_of(kes_ctx* ctx, kes_cell* cell) { return kes_plot_slot(ctx, ctx->curreq, cell); }
kes_plotslot* key_slot(kes_ctx* ctx) { return slot_of(ctx, ctx->curreq->classvars->keycell); }

host_pool* points_pool(kes_ctx* ctx) {
  return ctx->varpools != nullptr && ctx->varpools[ctx->curvar] != nullptr ? ctx->varpools[ctx->curvar] : ctx->bypool;
}

// n pairs from the variable's pool: the points live while the variable's plots are made.
double* pairs(kes_ctx* ctx, long n) {
  host_pool* pool = points_pool(ctx);
  const long size = 2 * static_cast<long>(sizeof(double)) * (n > 0 ? n : 1);
  auto* p = static_cast<double*>(vmalcp_handler(pool, size, KES_ALLOC_4));
  if (p == nullptr) xmemmsg(size);
  return p;
}

const kes_varsum* varsum(kes_ctx* ctx, kes_cell* cell) { return kes_fit_varsum(ctx, cell); }

}  // namespace

void kes_points_free(kes_ctx* ctx, double* points) {
  vmfree_handler(points_pool(ctx), points, -1, KES_FREE_FLAGS);
}

double kes_curve_cdf(const kes_curve* c, double x, bool* failed) {
  const kes_famfn* fn = kes_famdisp(c->dist);
  const double p = fn != nullptr && fn->cdf != nullptr ? fn->cdf(c->params, x) : kes_fit_missing();
  if (!std::isnan(p)) return p;
  *failed = true;
  return 0.0;
}

namespace {

// Points a cell may have to be given in one piece from the stack: a comparative graph
// of many small cells would otherwise take a buffer from the pool for each.
constexpr long kLocalPoints = 128;

// Points per part of the parallel quantile loop: fixed, so that a piece's points do not
// depend on the threads (each point is computed alone anyway).
constexpr std::size_t kQuantilePart = 8192;

// The walk over the ranks of kespoints: the value of rank k and its quantile.
struct rank_walk {
  const kes_preq* r = nullptr;
  kes_plotslot* slot = nullptr;
  const kes_famfn* fn = nullptr;
  const kes_valview* vals = nullptr;
  long n = 0;           // points in all: N, or fewer when the frequencies sum to less
  double theta = 0.0;
  int value = 0;        // the value the next rank takes
  int taken = 0;        // its copies already placed
  long next = 0;        // the next rank
};

// Walk for kespoints; false (after the memory note, *failed set) when the cell's values
// are not there, false alone when the cell draws no points.
bool start_walk(kes_ctx* ctx, kes_cell* cell, rank_walk& w, bool* failed) {
  *failed = false;
  w.r = ctx->curreq;
  w.slot = slot_of(ctx, cell);
  const kes_varsum* vs = varsum(ctx, cell);
  w.fn = kes_famdisp(w.r->dist);
  if (w.slot == nullptr || vs == nullptr || w.fn == nullptr) return false;
  w.vals = kes_cell_values_noted(ctx, cell);
  if (w.vals == nullptr) {
    *failed = true;
    return false;
  }
  w.n = static_cast<long>(vs->n);
  const kes_curve* c = kes_fit_curve(w.slot);
  w.theta = c != nullptr ? c->params[0] : 0.0;
  // The two-parameter Weibull plots log(value - threshold): the values at or within
  // 0.001 of the threshold (the smallest) have no place and are skipped; the others
  // keep their ranks among all the cell's values.
  if (w.r->dist == KES_DIST_WEIBULL2)
    while (w.value < w.vals->m && w.vals->x[w.value] - w.theta <= KES_WEIBULL2_GAP)
      w.next += w.vals->f[w.value++];
  return true;
}

// The values of the next (at most) count points into p (their quantiles are left to
// quantile_part); how many were placed.
long next_values(rank_walk& w, long count, double* p) {
  const kes_preq* r = w.r;
  const int xi = r->rotate ? 1 : 0;
  long k = 0;
  while (k < count && w.next < w.n && w.value < w.vals->m) {
    const int i = w.value;
    const double y = r->dist == KES_DIST_WEIBULL2 ? std::log(w.vals->x[i] - w.theta) : w.vals->x[i];
    for (; w.taken < w.vals->f[i] && k < count && w.next < w.n; ++w.taken, ++k, ++w.next) p[2 * k + 1 - xi] = y;
    if (w.taken >= w.vals->f[i]) {
      ++w.value;
      w.taken = 0;
    }
  }
  return k;
}

// The quantiles of part `part` of a piece of k points whose first has rank `first`.
// Each is computed alone from the curve, so the parts may go to any thread.
void quantile_part(kes_ctx* ctx, const rank_walk& w, long first, long k, std::size_t part, double* p) {
  const kes_preq* r = w.r;
  const int xi = r->rotate ? 1 : 0;
  const double denom = w.n + r->nadj;
  const std::size_t b = part * kQuantilePart, e = std::min(static_cast<std::size_t>(k), b + kQuantilePart);
  for (std::size_t j = b; j < e; ++j) {
    // + 0.0: the median's quantile is written as 0, not -0.
    const double q = (static_cast<long>(j) + first + 1 + r->rankadj) / denom;
    p[2 * j + xi] = w.fn->q(ctx, w.slot, q) + 0.0;
  }
}

// The next (at most) count points into p; how many were placed.
long next_points(kes_ctx* ctx, rank_walk& w, long count, double* p) {
  const long first = w.next;
  const long k = next_values(w, count, p);
  kes::parallel_parts(k >= static_cast<long>(2 * kQuantilePart) ? kes_engine_threads() : 1,
                      kes::part_count(static_cast<std::size_t>(k), kQuantilePart),
                      [&](std::size_t part) { quantile_part(ctx, w, first, k, part, p); });
  return k;
}

}  // namespace

int kespoints(kes_ctx* ctx, kes_cell* cell, double** out) {
  *out = nullptr;
  rank_walk w;
  bool failed = false;
  if (!start_walk(ctx, cell, w, &failed)) return failed ? -1 : 0;
  double* p = pairs(ctx, w.n);
  if (p == nullptr) return -1;
  *out = p;
  return static_cast<int>(next_points(ctx, w, w.n, p));
}

int kespoints_pieces(kes_ctx* ctx, kes_cell* cell, const kes_piece_fn& put) {
  rank_walk w;
  bool failed = false;
  if (!start_walk(ctx, cell, w, &failed)) return failed ? -1 : 0;
  const long piece = w.n < KES_POINT_PIECE ? w.n : KES_POINT_PIECE;
  // A cell of few points (one piece) has them here, not in the pool.
  double local[2 * kLocalPoints];
  double* p = w.n <= kLocalPoints ? local : pairs(ctx, piece);
  if (p == nullptr) return -1;
  double* next = w.n > piece ? pairs(ctx, piece) : nullptr;
  if (w.n > piece && next == nullptr) {
    kes_points_free(ctx, p);
    return -1;
  }
  long first = w.next;
  long got = next_points(ctx, w, piece, p);
  // Each piece is put while the threads make the next one's quantiles; the caller's
  // thread joins them once it has put its piece.
  while (got > 0) {
    const long next_first = w.next;
    const long next_got = next != nullptr ? next_values(w, piece, next) : 0;
    const int threads = next_got >= static_cast<long>(2 * kQuantilePart) ? kes_engine_threads() : 1;
    kes::parallel_parts_beside(
        threads, kes::part_count(static_cast<std::size_t>(next_got), kQuantilePart),
        [&] { put(p, first, static_cast<int>(got)); },
        [&](std::size_t part) { quantile_part(ctx, w, next_first, next_got, part, next); });
    std::swap(p, next);
    first = next_first;
    got = next_got;
  }
  for (double* q : {p, next})
    if (q != nullptr && q != local) kes_points_free(ctx, q);
  return static_cast<int>(w.next);
}

bool kes_pctl_places_per_cell(kes_ctx* ctx) {
  const kes_preq* r = ctx->curreq;
  const kes_famfn* fn = kes_famdisp(r->dist);
  if (fn == nullptr || fn->q == nullptr || r->classvars == nullptr || r->classvars->count == 0 ||
      r->classvars->keycell == nullptr)
    return false;
  kes_plotslot* key = key_slot(ctx);
  const kes_curve* kc = key != nullptr ? kes_fit_curve(key) : nullptr;
  const bool key_fitted = kc != nullptr && kc->fitted;
  bool fitted_some = false, failed_some = false;
  const int differ = kes_each_cell(r->classvars, [&](kes_cell* cell) -> int {
           kes_plotslot* s = slot_of(ctx, cell);
           const kes_curve* c = s != nullptr ? kes_fit_curve(s) : nullptr;
           if (c == nullptr || !c->fitted) {
             const kes_varsum* vs = varsum(ctx, cell);
             failed_some = failed_some || (vs != nullptr && vs->n >= 1 && !cell->hist_empty);
             return 0;
           }
           fitted_some = true;
           if (!key_fitted) return 1;
           // Any difference counts: under a shape of 3E-8 every percent lies within 1E-7
           // of 1, and places 1E-9 apart are a hundredth of the axis apart.
           for (int i = 0; i < r->npctl; ++i) {
             const double at = fn->q(ctx, key, r->pctl[i] / 100), own = fn->q(ctx, s, r->pctl[i] / 100);
             if (std::isfinite(at) && std::isfinite(own) && own != at) return 1;
           }
           return 0;
         });
  // A cell whose fit failed places no percents, so no axis shared with it reads right:
  // each fitted cell carries its own, and the failed one none.
  return differ != 0 || (fitted_some && failed_some);
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
  for (int k = 0; k < KES_CURVE_POINTS; ++k) {
    double x = lo + k * (hi - lo) / (KES_CURVE_POINTS - 1);
    // Near the ends of the doubles k x (hi - lo), or hi - lo itself, passes the largest
    // double: the point is then taken in the scaled form, as a blend of the two ends.
    if (!std::isfinite(x)) {
      const double t = k / (KES_CURVE_POINTS - 1.0);
      x = lo * (1 - t) + hi * t;
    }
    out[2 * k] = x;
    out[2 * k + 1] = s * kes_curve_cdf(c, x, &failed);
    if (failed) return 1;
  }
  return 0;
}

namespace {

// The empirical distribution function's points in order, each to emit(x, y); their
// count (known before the walk) through *count. False when the cell has no values.
template <class Emit, class Ready>
bool ecdf_walk(kes_ctx* ctx, kes_cell* cell, kes_ecdf_form form, long* count, Emit&& emit, Ready&& ready) {
  const kes_varsum* vs = varsum(ctx, cell);
  const kes_valview* view = kes_cell_values(ctx, cell);
  if (vs == nullptr || view == nullptr || view->m == 0 || !(vs->n > 0)) return false;
  const kes_valview& vals = *view;
  const bool steps = form == KES_ECDF_STEP_POINTS;
  const int m = vs->ndistinct;
  *count = steps ? 2L * m + 2 : m + 2L;
  if (!ready(*count)) return false;
  const kes_plotslot* key = key_slot(ctx);
  const double s = key->scale;
  emit(key->hlow, 0);
  double y = 0;
  for (int seen = 0; seen < vals.m && seen < m; ++seen) {
    const double after = y + vals.f[seen] * s / vs->n;
    if (steps) emit(vals.x[seen], y);
    emit(vals.x[seen], after);
    y = after;
  }
  emit(key->hhigh, y);
  return true;
}

}  // namespace

int kesecdfpts(kes_ctx* ctx, kes_cell* cell, kes_ecdf_form form, double** out) {
  *out = nullptr;
  double* p = nullptr;
  long cap = 0, k = 0;
  const auto emit = [&](double x, double y) {
    p[2 * k] = x;
    p[2 * k + 1] = y;
    ++k;
  };
  if (!ecdf_walk(ctx, cell, form, &cap, emit, [&](long n) { return (p = pairs(ctx, n)) != nullptr; })) return -1;
  *out = p;
  return static_cast<int>(k);
}

int kesecdfpts_pieces(kes_ctx* ctx, kes_cell* cell, kes_ecdf_form form, const kes_piece_fn& put) {
  double* p = nullptr;
  long cap = 0, k = 0, first = 0;
  const auto emit = [&](double x, double y) {
    p[2 * k] = x;
    p[2 * k + 1] = y;
    if (++k < KES_POINT_PIECE) return;
    put(p, first, static_cast<int>(k));
    first += k;
    k = 0;
  };
  double local[2 * kLocalPoints];
  const auto ready = [&](long n) {
    p = n <= kLocalPoints ? local : pairs(ctx, n < KES_POINT_PIECE ? n : KES_POINT_PIECE);
    return p != nullptr;
  };
  const bool drawn = ecdf_walk(ctx, cell, form, &cap, emit, ready);
  if (drawn && k > 0) put(p, first, static_cast<int>(k));
  if (p != nullptr && p != local) kes_points_free(ctx, p);
  return drawn ? static_cast<int>(first + k) : -1;
}
