// kescmh4(ctx): the layout of one HISTOGRAM request for the current variable once the
// common bins exist: cells where no parametric curve can be fitted, the curve records
// of every cell, the horizontal widening for kernel curves, the fits with the vertical
// extent of bars and curves, and the vertical axis (VAXIS= or a nice scale).
#include <cmath>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <iterator>

#include "fit/kes_famfn.h"
#include "fit/kes_kernel.h"
#include "fitreport/kes_famsets.h"
#include "host/host_missing.h"
#include "host/host_services.h"
#include "host/step_codes.h"
#include "kes_gram_names.h"
#include "kes_msg_names.h"
#include "numeric/zqscale.h"
#include "plotreq/hist_bins.h"
#include "plotreq/plot_requests.h"
#include "records/kes_cell.h"
#include "records/kes_ctx.h"
#include "records/kes_curve.h"
#include "records/kes_layout.h"
#include "records/kes_plotslot.h"
#include "records/kes_vscale.h"
#include "records/pool_alloc.h"
#include "records/stmt_slots.h"
#include "util/kes_eps.h"

namespace {
// A VAXIS= list must begin at 0 within this.
constexpr double kZeroTolerance = ZEPS53;
// The FILL flags of the curves.
constexpr int kFillFlags[] = {KES_PLOT_FLAG_NORMAL_FILL, KES_PLOT_FLAG_LOGNORMAL_FILL, KES_PLOT_FLAG_EXPONENTIAL_FILL,
                             KES_PLOT_FLAG_WEIBULL_FILL, KES_PLOT_FLAG_GAMMA_FILL,       KES_PLOT_FLAG_BETA_FILL,
                             KES_PLOT_FLAG_SB_FILL,      KES_PLOT_FLAG_SU_FILL,          KES_PLOT_FLAG_KERNEL_FILL};
static_assert(std::size(kFillFlags) == KES_DIST_SU + 2, "one flag per fitted family and the kernel");

int len_of(const kes_textdesc& t) { return t.text != nullptr ? t.len : 0; }

// The note of a cell in which no parametric curve is fitted.
void note_empty_cell(kes_ctx* ctx, const kes_cell* cell) {
  const kes_classvars* cv = ctx->classvars;
  const kes_name32& v = ctx->curname;
  const int vl = v.len;
  if (cv->count == 0) {
    xpmlog(KES_SET_PLOT, KES_MSG_STD_ZERO_NOT_FITTED, vl, v.text, vl, v.text);
  } else if (cv->count == 1) {
    const kes_name32& c = cv->var[0].name;
    xpmlog(KES_SET_PLOT, KES_MSG_STD_ZERO_NOT_FITTED_CELL, vl, v.text, static_cast<int>(c.len), c.text,
           len_of(cell->fmt), cell->fmt.text);
  } else {
    const kes_cell* level = cell->child;  // a child cell's parent level
    const kes_name32& c1 = cv->var[0].name;
    const kes_name32& c2 = cv->var[1].name;
    xpmlog(KES_SET_PLOT, KES_MSG_STD_ZERO_NOT_FITTED_CELL2, vl, v.text, static_cast<int>(c1.len), c1.text,
           level ? len_of(level->fmt) : 0, level ? level->fmt.text : "", static_cast<int>(c2.len), c2.text,
           len_of(cell->fmt), cell->fmt.text);
  }
}

bool is_missing(double x) { return std::isnan(x); }

// The end of a vertical scale: 100 percent, a proportion of 1; a count has none.
double scale_end(int vscale) {
  return vscale == KES_VSCALE_PERCENT ? 100 : vscale == KES_VSCALE_PROPORTION ? 1 : INFINITY;
}

// The VAXIS= values of the request: its list, or the ORDER= values of the named axis
// definition. n = 0 when there are none.
const double* vaxis_values(const kes_preq* r, int* n, bool* from_list) {
  *n = 0;
  *from_list = kes_pcount(r->stmt, KES_PLOT_SLOT_VAXIS) > 0;
  if (r->nvvalues < 2) return nullptr;
  if (*from_list) {
    *n = r->nvvalues;
    return kes_pnumbers(r->stmt, KES_PLOT_SLOT_VAXIS);
  }
  if (r->layout == nullptr || r->layout->vaxis.order == nullptr) return nullptr;
  *n = r->nvvalues < r->layout->vaxis.norder ? r->nvvalues : r->layout->vaxis.norder;
  return r->layout->vaxis.order;
}

// The vertical axis: VAXIS= values that cover [ymin, ymax] and start at 0 (unless
// hung), else a nice scale over the extent.
void vertical_axis(kes_ctx* ctx, kes_preq* r, kes_plotslot* key, double ymin, double ymax) {
  int n = 0;
  bool list = false;
  const double* v = vaxis_values(r, &n, &list);
  const kes_name32& name = ctx->curname;
  r->vaxis_used = 0;
  if (n >= 2 && v != nullptr) {
    bool ok = true;
    if (v[0] > ymin || ymax > v[n - 1]) {
      if (list) {
        xspplace(r->stmt, KES_PLOT_SLOT_VAXIS);
        xpmlog(KES_SET_PLOT, KES_MSG_VAXIS_MISSES_RANGE, ymin, ymax, static_cast<int>(name.len), name.text);
      } else {
        xpmlog(KES_SET_PROC, KES_MSG_AXIS_DEFINITION_MISSES_RANGE, "VAXIS=", ymin, ymax);
      }
      ok = false;
    } else if (!r->hang && std::fabs(v[0]) > kZeroTolerance) {
      if (list) {
        xspplace(r->stmt, KES_PLOT_SLOT_VAXIS);
        xpmlog(KES_SET_LAYOUT, KES_MSG_VAXIS_MUST_BEGIN_AT_ZERO);
      } else {
        xpmlog(KES_SET_PROC, KES_MSG_VERTICAL_AXIS_MUST_BEGIN_AT_ZERO);
      }
      ok = false;
    }
    if (ok) {
      key->vmin = v[0];
      key->vmax = v[n - 1];
      key->vstep = kes_decimal_difference(v[0], v[1]);
      key->vticks = n;
      r->vaxis_used = 1;
      return;
    }
    xpmlog(KES_SET_PLOT, KES_MSG_VERTICAL_AXIS_DEFAULT_TICKS, static_cast<int>(name.len), name.text);
  }
  zqscale_axis ax{};
  const int res = zqscale(ymin, ymax, 6, ZQSCALE_NNICE, ZQSCALE_NICE, &ax, 'S', 'X');
  key->vticks = res + 1;
  key->vmin = ax.start;
  key->vmax = ax.end;
  key->vstep = ax.increment;
  key->vword = ax.index;
  // ymax is held to the scale's end, and every nice step (1, 2, 2.5 or 5 times a power
  // of ten, no longer than the scale) divides 100 and 1: past the end is rounding dust.
  const double end = scale_end(r->vscale);
  if (key->vmax > end && key->vstep > 0) {
    key->vticks = static_cast<int>(std::floor((end - key->vmin) / key->vstep + 1e-9)) + 1;
    key->vmax = kes_bin_point(key->vmin, key->vticks - 1, key->vstep);
    if (std::fabs(key->vmax - end) <= 1e-9 * key->vstep) key->vmax = end;
  }
}

}  // namespace

int kesxaxs(kes_ctx* ctx, kes_preq* request, kes_cell* cell, int* low_added, int* high_added) {
  kes_plotslot* s = kes_plot_slot(ctx, request, cell);
  if (s->n <= 0) return 0;
  keskern(ctx, cell);
  const int r = keskdfx(ctx, cell);
  if (r != 0) return r;
  if (request->curbincode == KES_BINS_EXPLICIT) return 0;
  // Only kernel curves that were set up (the last records) have a range to cover.
  bool set_up = false;
  for (int i = s->ncurves - request->nkernels; i < s->ncurves; ++i) set_up = set_up || (i >= 0 && s->curves[i].fitted);
  if (!set_up || !(s->klow <= s->khigh)) return 0;

  kes_plotslot* key = kes_hist_keyslot(ctx, request);
  const kes_varsum& kv = ctx->classvars->keycell->varsums[ctx->curvar];
  const double w = key->width;
  if (!(w > 0)) return 0;
  const int limit = kes_hist_binlimit(request);
  // May one more width be added with its new outer edge at `edge`?
  const auto may_add = [&](double edge) {
    const long long points = static_cast<long long>(key->npoints) + *low_added + *high_added;
    if (points >= limit) return false;  // a kernel range out of all proportion stops here
    if (request->binlimit == KES_BINLIMIT_MAXNBIN) return points < request->maxnbin;
    if (request->binlimit == KES_BINLIMIT_MAXSIGMAS) {
      const double d = request->maxsigmas * kv.std;
      return edge >= kv.mean - d && edge <= kv.mean + d;
    }
    return true;
  };
  for (const double end : {s->klow, s->khigh}) {
    while (key->hlow - w / 2 > end && may_add(key->hlow - 3 * w / 2)) {
      key->hlow = kes_bin_point(key->hlow, -1, w);
      ++*low_added;
    }
    while (key->hhigh + w / 2 < end && may_add(key->hhigh + 3 * w / 2)) {
      key->hhigh = kes_bin_point(key->hhigh, 1, w);
      ++*high_added;
    }
  }
  return 0;
}

void kesyaxs(kes_ctx* ctx, kes_preq* request, kes_cell* cell, double* ymin, double* ymax) {
  kes_plotslot* s = kes_plot_slot(ctx, request, cell);
  if (s->n <= 0) return;
  const kes_plotslot* key = kes_hist_keyslot(ctx, request);
  const double w = key->width;
  const double lo = request->endpoints ? key->hlow : kes_bin_point(key->hlow, -0.5, w);
  const double hi = request->endpoints ? key->hhigh : kes_bin_point(key->hhigh, 0.5, w);
  const double missing = host_missing_of_kind(HOST_MISS_STD);

  // Curve records in family order.
  int idx = 0;
  for (int code = 0; code < KES_NDIST; ++code)
    for (int i = 0; i < request->ncurves_dist[code] && idx < s->ncurves; ++i, ++idx) {
      kes_curve& c = s->curves[idx];
      c.dist = code;
      c.family_index = i;
      c.index = idx;
    }
  s->nfitted = 0;
  std::memset(s->nfitted_dist, 0, sizeof s->nfitted_dist);
  s->curve = 0;

  for (int k = 0; k < s->ncurves; ++k) {
    s->curve = k;
    kes_curve& c = s->curves[k];
    for (double& p : c.params) p = missing;
    double h = -1;
    if (c.dist == KES_DIST_KERNEL) {
      if (!c.fitted) continue;
      h = keskdfy(ctx, cell, k);
      *ymax = std::fmax(*ymax, h);
      ++s->nfitted;
      ++s->nfitted_dist[KES_DIST_KERNEL];
      continue;
    }
    if (cell->hist_empty) continue;
    const kes_famfn* fn = kes_famdisp(c.dist);
    if (fn == nullptr || fn->est == nullptr) continue;  // noted once for the request
    if (fn->est(ctx, request, cell, c.dist, lo, hi, c.family_index, c.family_index, &h) == 0) {
      if (!is_missing(h)) *ymax = std::fmax(*ymax, h);
      c.fitted = 1;
      ++s->nfitted;
      ++s->nfitted_dist[c.dist];
    } else {
      kesnoest(ctx, cell, c.dist);
    }
  }

  // A hanging histogram hangs its bars from the one curve: the lowest bar bottom
  // (curve height less bar height) sets the low end of the vertical axis.
  if (request->hang && s->ncurves > 0 && s->curves[0].fitted) {
    s->hang_set = 1;
    const kes_curve& c = s->curves[0];
    const kes_famfn* fn = kes_famdisp(c.dist);
    double scale = 0;
    int exp2 = 0;
    if (fn != nullptr && fn->plt != nullptr && kescnst(ctx, request, cell, 0, &scale, &exp2) == 0) {
      for (int j = 0; j < s->nbins; ++j) {
        const double x = kes_bin_point(key->hlow, s->firstbin + j + (request->endpoints ? 0.5 : 0), w);
        *ymin = std::fmin(*ymin, std::ldexp(fn->plt(x, scale, c.params), exp2) - s->heights[j]);
      }
    }
    return;
  }
  // Bars that hang from no curve stand on 0.
  *ymax = std::fmax(*ymax, s->hmax);
}

int kescmh4(kes_ctx* ctx) {
  kes_preq* r = ctx->curreq;
  const int v = ctx->curvar;
  const kes_stmt* st = r->stmt;
  const kes_name32& name = ctx->curname;
  if (r->total == nullptr || r->total[v] == 0) {
    xpmlog(KES_SET_PLOT, KES_MSG_VARIABLE_NO_VALUES_HISTOGRAM, static_cast<int>(name.len), name.text);
    r->nodata_noted = 1;
    return KES_RC_BAD_OPTION;
  }

  int fills = 0;
  for (int f : kFillFlags) fills += kes_flag(st, f);
  r->curve_fill = fills;
  if (fills > 1) {
    r->curve_fill = 0;
    xpmlog(KES_SET_PLOT, KES_MSG_FILL_FOR_SEVERAL_CURVES);
  }

  // Per cell: the empty flag and the curve records. The records live as long as the
  // BY group, so that memory stays flat however many BY groups there are.
  const bool parametric = r->ncurves > r->nkernels;
  const int failed = kes_each_cell(ctx->classvars, [&](kes_cell* cell) -> int {
    kes_plotslot* s = kes_plot_slot(ctx, r, cell);
    const double sd = cell->varsums != nullptr ? cell->varsums[v].std : NAN;
    cell->hist_empty = s->n <= 0 || is_missing(sd) || sd == 0;
    if (cell->hist_empty && parametric) note_empty_cell(ctx, cell);
    s->ncurves = r->ncurves;
    s->nkernels = r->nkernels;
    s->curves = nullptr;
    if (r->ncurves <= 0) return 0;
    const long size = static_cast<long>(sizeof(kes_curve)) * r->ncurves;
    s->curves = static_cast<kes_curve*>(vmalcp_handler(ctx->bypool, size, KES_ALLOC_2));
    if (s->curves == nullptr) {
      xmemmsg(size);
      return KES_RC_OUT_OF_MEMORY;
    }
    std::memset(s->curves, 0, static_cast<size_t>(size));
    return 0;
  });
  if (failed != 0) return failed;

  kes_plotslot* key = kes_hist_keyslot(ctx, r);
  key->hlow = key->first;
  key->hhigh = key->last;

  if (r->nkernels > 0) {
    int low = 0, high = 0;
    const int res = kes_each_cell(ctx->classvars, [&](kes_cell* cell) { return kesxaxs(ctx, r, cell, &low, &high); });
    if (res != 0) return res;
    // The common bins grow with the axis, so that bin b of every cell stays at
    // first point + b widths.
    key->first = kes_bin_point(key->first, -low, key->width);
    key->last = kes_bin_point(key->last, high, key->width);
    kes_each_cell(ctx->classvars, [&](kes_cell* cell) {
      kes_plotslot* s = kes_plot_slot(ctx, r, cell);
      s->firstbin += low;
      s->npoints += low + high;
      return 0;
    });
  }

  r->hang = 0;
  if (kes_flag(st, KES_PLOT_FLAG_HANGING)) {
    if (r->ncurves == 1) {
      r->hang = 1;
    } else {
      // A flag has no place of its own: the statement's keyword stands for it.
      xspplace(st, KES_STMT_KEYWORD);
      xpmlog(KES_SET_LABEL, r->ncurves == 0 ? KES_MSG_HANGING_NEEDS_FITTED_CURVE : KES_MSG_HANGING_NEEDS_EXACTLY_ONE);
    }
  }

  double ymin = 0, ymax = 0;
  kes_each_cell(ctx->classvars, [&](kes_cell* cell) {
    kesyaxs(ctx, r, cell, &ymin, &ymax);
    return 0;
  });
  // A curve taller than the scale (a narrow density's peak, over 100 %) is cut at the
  // frame: the axis holds the bars and stops at the scale's end.
  ymax = std::fmin(ymax, scale_end(r->vscale));
  vertical_axis(ctx, r, key, ymin, ymax);
  return 0;
}
