// kesmerg(ctx) -> int: the common histogram bins of every HISTOGRAM request that plots
// the current variable, the same for every CLASS cell, and each cell's bar heights;
// for the other plot requests each cell's value count. 0, or 1016 when a height array
// cannot be had (a positive result ends the step).
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>

#include "fit/kes_cellnote.h"
#include "host/host_missing.h"
#include "host/host_services.h"
#include "host/step_codes.h"
#include "kes_gram_names.h"
#include "kes_msg_names.h"
#include "plotreq/hist_bins.h"
#include "plotreq/plot_requests.h"
#include "records/kes_cell.h"
#include "records/kes_ctx.h"
#include "records/kes_plotslot.h"
#include "records/pool_alloc.h"
#include "records/stmt_slots.h"

namespace {
// The cell's value count of variable v: the summary's count, truncated.
int value_count(const kes_cell* cell, int v) {
  if (cell->varsums == nullptr) return 0;
  const double n = cell->varsums[v].n;
  if (!(n > 0)) return 0;
  return n >= INT_MAX ? INT_MAX : static_cast<int>(n);
}

// The per-variable totals of a request, made on first use.
bool ensure_totals(kes_ctx* ctx, kes_preq* request) {
  if (request->total != nullptr) return true;
  bool failed = false;
  const long size = static_cast<long>(sizeof(int)) * (ctx->nvars > 0 ? ctx->nvars : 1);
  request->total = static_cast<int*>(kes_zalloc(ctx->runpool, size, KES_ALLOC_2, &failed));
  return !failed;
}

// Bins need edges up to a range past the data and a bin width above the smallest
// normal double (at 100000 bins): values near the ends of the double range would give
// infinite midpoints, lost counts or subnormal bandwidths. (The kernel grid, 1.5
// ranges past the data, is made in a unit of the range where it would pass the
// doubles.) Such a range gets a note and no histogram. True when it can be binned.
bool binnable(kes_ctx* ctx, kes_preq* request) {
  double lo = HUGE_VAL, hi = -HUGE_VAL;
  kes_each_cell(ctx->classvars, [&](kes_cell* cell) {
    kes_plotslot* s = kes_plot_slot(ctx, request, cell);
    kes_hist_summary(ctx, cell, s);
    if (s->n > 0) {
      lo = std::fmin(lo, s->datamin);
      hi = std::fmax(hi, s->datamax);
    }
    return 0;
  });
  if (!(lo <= hi)) return true;  // no data: noted elsewhere
  const double range = hi - lo;
  constexpr double kSmallestRange = 2.2250738585072014e-308 * 1048576.0;  // DBL_MIN 2^20
  // Bins reach at most a range past the data (a width no wider than the range, and the
  // edge bins added by widening).
  if (std::isfinite(lo - range) && std::isfinite(hi + range) &&
      (range == 0 || range >= kSmallestRange))
    return true;
  const int len = static_cast<int>(ctx->curname.len);
  xpmlog(KES_SET_PROC, KES_MSG_VALUES_CANNOT_BE_BINNED, len, ctx->curname.text, lo, hi, len, ctx->curname.text);
  kes_each_cell(ctx->classvars, [&](kes_cell* cell) {
    kes_plotslot* s = kes_plot_slot(ctx, request, cell);
    s->nbins = s->npoints = s->firstbin = s->noutside = 0;
    s->heights = nullptr;
    return 0;
  });
  return false;
}

// Values the common bins leave out (MAXNBIN= or MAXSIGMAS= fitted to a key cell whose
// data lie apart from another cell's) are named, cell by cell, not dropped silently.
void note_outside(kes_ctx* ctx, kes_preq* request) {
  kes_each_cell(ctx->classvars, [&](kes_cell* cell) {
    const kes_plotslot* s = kes_plot_slot(ctx, request, cell);
    if (s->noutside <= 0) return 0;
    char what[48];
    const int len = std::snprintf(what, sizeof what, "%d of its %d values", s->noutside, s->n);
    kes_cell_note(ctx, request, cell, KES_SET_PROC,
                  {KES_MSG_HIST_OUTSIDE_BINS, KES_MSG_HIST_OUTSIDE_BINS_CELL, KES_MSG_HIST_OUTSIDE_BINS_CELL2},
                  ctx->curname.text, static_cast<int>(ctx->curname.len), what, len);
    return 0;
  });
}

}  // namespace


kes_plotslot* kes_hist_keyslot(kes_ctx* ctx, const kes_preq* request) {
  return kes_plot_slot(ctx, request, ctx->classvars->keycell);
}

int kes_hist_binlimit(const kes_preq* request) {
  return kes_flag(request->stmt, KES_PLOT_FLAG_NOBINLIMIT) ? KES_BIN_LIMIT_NONE : KES_BIN_LIMIT;
}

void kes_hist_summary(kes_ctx* ctx, kes_cell* cell, kes_plotslot* slot) {
  const int v = ctx->curvar;
  slot->n = value_count(cell, v);
  if (slot->n > 0) {
    const kes_varsum& r = cell->varsums[v];
    slot->mean = r.mean;
    slot->std = r.std;
    slot->datamin = r.min;
    slot->datamax = r.max;
  } else {
    slot->mean = slot->std = slot->datamin = slot->datamax = host_missing_of_kind(HOST_MISS_STD);
  }
}

int kescmhn(kes_ctx* ctx, kes_preq* request) {
  long long total = 0;
  kes_each_cell(ctx->classvars, [&](kes_cell* cell) {
    total += kes_plot_slot(ctx, request, cell)->n;
    return 0;
  });
  request->total[ctx->curvar] = total > INT_MAX ? INT_MAX : static_cast<int>(total);
  return 0;
}

int kesmerg(kes_ctx* ctx) {
  const int v = ctx->curvar;
  kes_classvars* cv = ctx->classvars;
  if (cv == nullptr || cv->keycell == nullptr || ctx->preqs == nullptr) return 0;
  // Requests are ordered by kind, HISTOGRAM first.
  for (int i = 0; i < ctx->nplots; ++i) {
    kes_preq* request = &ctx->preqs[i];
    if (request->varslot == nullptr || request->varslot[v] < 0) continue;
    if (!ensure_totals(ctx, request)) return KES_RC_OUT_OF_MEMORY;
    if (request->type != KES_PLOT_HISTOGRAM) {
      kes_each_cell(ctx->classvars, [&](kes_cell* cell) {
        kes_plot_slot(ctx, request, cell)->n = value_count(cell, v);
        return 0;
      });
      kescmhn(ctx, request);
      continue;
    }
    request->unbinnable = !binnable(ctx, request);
    if (request->unbinnable) continue;
    request->curbincode = request->bincode != nullptr ? request->bincode[v] : KES_BINS_KEY;
    request->widened_noted = 0;
    request->keybinning = 1;
    kescmhb(ctx, request, cv->keycell);
    request->keybinning = 0;
    kes_each_cell(ctx->classvars, [&](kes_cell* cell) {
      if (cell != cv->keycell) kescmhb(ctx, request, cell);
      return 0;
    });
    kescmhn(ctx, request);
    if (request->curbincode >= KES_BINS_UNIFORM && request->total[v] > 0) kescmhu(ctx, request);
    // The cells' heights as one block, when it can be had (else each cell makes its
    // own, as it would): a graph of many CLASS cells would make an array for each.
    long long heights = 0;
    kes_each_cell(ctx->classvars, [&](kes_cell* cell) {
      heights += std::max(kes_hist_height_count(ctx, request, cell), 0LL);
    });
    const long long bytes = heights * static_cast<long long>(sizeof(double));
    double* room = bytes > 0 && bytes < INT_MAX
                       ? static_cast<double*>(vmalcp_handler(ctx->bypool, static_cast<long>(bytes), KES_ALLOC_2))
                       : nullptr;
    if (kes_each_cell(ctx->classvars, [&](kes_cell* cell) { return kescmhf(ctx, request, cell, &room); }) != 0)
      return KES_RC_OUT_OF_MEMORY;
    note_outside(ctx, request);
  }
  return 0;
}
