// Choosing the common bins of a histogram request: the key cell's bins (a list, the
// default rule, or none under UNIFORM), widened until every cell's data fall inside,
// or uniform bins over the data of all cells. Too many bins fall back to uniform bins.
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "host/host_services.h"
#include "kes_gram_names.h"
#include "kes_msg_names.h"
#include "numeric/zhist.h"
#include "numeric/zqscale.h"
#include "plotreq/hist_bins.h"
#include "records/kes_cell.h"
#include "records/kes_ctx.h"
#include "records/kes_layout.h"
#include "records/kes_plotslot.h"
#include "records/stmt_slots.h"
#include "util/kes_eps.h"

namespace {

// Candidate increments of the nice scales.

// Results of the binning steps.
constexpr int kTooManyInList = 1;
constexpr int kTooManyToCover = 2;
constexpr int kTooManyAtEdge = 3;

// Bins under change: first and last point, width and point count.
struct bins {
  double first, last, width;
  long long npoints;
};

double lower_edge(const bins& b, bool endpoints) { return endpoints ? b.first : kes_bin_point(b.first, -0.5, b.width); }
double upper_edge(const bins& b, bool endpoints) { return endpoints ? b.last : kes_bin_point(b.last, 0.5, b.width); }

// Whether the counting leaves x out past the bins' end on the open side (the upper end
// of left-closed bins, the lower end of right-closed ones). The question is the
// counting's own, asked in widths from the first edge, so that it is the same at any
// offset: a slack in units of x itself took values 100 below an edge at 1e15 for
// values on it, and added bins there that the same data at 0 do not get.
bool left_out_past_end(const bins& b, bool endpoints, bool right_closed, double x) {
  const long long nbins = endpoints ? b.npoints - 1 : b.npoints;
  const long long i = kes_hist_bin_index(x, lower_edge(b, endpoints), b.width, right_closed);
  return right_closed ? i < 0 : i >= nbins;
}

// May the bins grow by k points, their new outer edge at `edge`? MAXNBIN= bounds the
// point count, MAXSIGMAS=k the edges (mean +- k standard deviations of the source).
bool may_grow(const kes_preq* r, const kes_plotslot* src, long long npoints, long long k, double edge) {
  if (r->binlimit == KES_BINLIMIT_MAXNBIN) return npoints + k <= r->maxnbin;
  if (r->binlimit == KES_BINLIMIT_MAXSIGMAS) {
    const double d = r->maxsigmas * src->std;
    return edge >= src->mean - d && edge <= src->mean + d;
  }
  return true;
}

// Of `want` steps of width w outward from edge (dir -1 down, +1 up), the most the
// limits allow.
long long allowed_steps(const kes_preq* r, const kes_plotslot* src, long long npoints, long long want, double edge,
                        double w, int dir) {
  long long k = want;
  if (r->binlimit == KES_BINLIMIT_MAXNBIN && k > r->maxnbin - npoints) k = r->maxnbin - npoints;
  if (r->binlimit == KES_BINLIMIT_MAXSIGMAS) {
    const double bound = src->mean + dir * r->maxsigmas * src->std;
    const double room = std::floor((bound - edge) * dir / w);
    if (!(room >= 0)) return 0;
    if (room < static_cast<double>(k)) k = static_cast<long long>(room);
  }
  // The steps are counted in doubles; the last of them may fall out by rounding.
  for (int tries = 0; k > 0 && !may_grow(r, src, npoints, k, edge + dir * k * w) && tries < 2; ++tries) --k;
  return k > 0 && may_grow(r, src, npoints, k, edge + dir * k * w) ? k : 0;
}

// Whole widths from a to b (at least 1), capped past the bin limit.
long long steps_between(double a, double b, double w, int limit) {
  double k = std::floor((b - a) / w);
  if (!(k >= 1)) k = 1;
  return k > limit ? static_cast<long long>(limit) + 1 : static_cast<long long>(k);
}

void note_name(int set, int number, const kes_ctx* ctx) {
  xpmlog(set, number, static_cast<int>(ctx->curname.len), ctx->curname.text);
}

// The ORDER= values of the request's horizontal axis definition, or null.
const kes_axis* haxis_ticks(const kes_preq* r) {
  if (r->layout == nullptr || r->layout->haxis.norder < 1 || r->layout->haxis.order == nullptr) return nullptr;
  return &r->layout->haxis;
}

void set_bins(kes_plotslot* s, const bins& b, bool endpoints) {
  s->first = b.first;
  s->last = b.last;
  s->width = b.width;
  s->npoints = static_cast<int>(b.npoints);
  s->nbins = static_cast<int>(endpoints ? b.npoints - 1 : b.npoints);
}

// lo and hi in the fewest digits (15 to 17) that tell them apart.
void distinct_texts(double lo, double hi, char (&a)[32], char (&b)[32]) {
  for (int digits = 15; digits <= 17; ++digits) {
    std::snprintf(a, sizeof a, "%.*g", digits, lo);
    std::snprintf(b, sizeof b, "%.*g", digits, hi);
    if (std::strcmp(a, b) != 0) return;
  }
}

// Default bins of n values over [lo, hi] by the request's kind of bins. The default
// rule gives one bin to a range too few doubles wide for two distinct bins: that is
// said, naming the variable, rather than left to pass for the data.
bins default_bins(const kes_ctx* ctx, double n, double lo, double hi, bool endpoints) {
  double out[2];
  bins b{};
  if (!endpoints) {
    const int nb = zhist(n, lo, hi, out);
    b = {out[0], kes_bin_point(out[0], nb - 1, out[1]), out[1], nb};
  } else {
    const int nb = zhist2(n, lo, hi, out);
    b = {out[0], kes_bin_point(out[0], nb, out[1]), out[1], nb + 1LL};
  }
  if (lo < hi && (endpoints ? b.npoints == 2 : b.npoints == 1) && n > 0) {
    char from[32], to[32];
    distinct_texts(lo, hi, from, to);
    xpmlog(KES_SET_PROC, KES_MSG_VALUES_RANGE_TOO_NARROW_FOR_BINS, static_cast<int>(ctx->curname.len),
           ctx->curname.text, from, to);
  }
  return b;
}

// Whether the key cell (slot s, with values) has no spread while some other cell holds
// a value apart from its own: bins made over one value (a width of the value itself)
// would put every cell's values into one bar over it.
bool key_without_spread(kes_ctx* ctx, const kes_preq* request, const kes_plotslot* s) {
  if (ctx->classvars->count == 0 || s->datamin < s->datamax) return false;
  const double v = s->datamin;
  return kes_each_cell(ctx->classvars, [&](kes_cell* cell) -> int {
           const kes_plotslot* o = kes_plot_slot(ctx, request, cell);
           return o->n > 0 && (o->datamin != v || o->datamax != v) ? 1 : 0;
         }) != 0;
}

}  // namespace

int kescmha(kes_ctx* ctx, kes_preq* request, kes_plotslot* source, kes_plotslot* target) {
  const bool ep = request->endpoints;
  const int limit = kes_hist_binlimit(request);
  bins b{source->first, source->last, source->width, source->npoints};
  const double w = b.width;
  if (!(w > 0) || !std::isfinite(w)) return 0;
  long long low = 0, high = 0;  // widths added at each end
  const auto place = [&]() {
    b.first = kes_bin_point(source->first, -static_cast<double>(low), w);
    b.last = kes_bin_point(source->last, static_cast<double>(high), w);
    b.npoints = source->npoints + low + high;
  };

  // A value on (or past) the outer edge of the end bin that its closed side leaves out
  // gets one more bin; the widening below counts from it. A bin past the doubles is
  // never added: the counting keeps such a value inside.
  const auto closed_edge = [&]() {
    if (!request->rtinclude) {
      const double e = upper_edge(b, ep);
      if (left_out_past_end(b, ep, false, target->datamax) && std::isfinite(e + w) &&
          may_grow(request, source, b.npoints, 1, e + w))
        ++high;
    } else {
      const double e = lower_edge(b, ep);
      if (left_out_past_end(b, ep, true, target->datamin) && std::isfinite(e - w) &&
          may_grow(request, source, b.npoints, 1, e - w))
        ++low;
    }
    place();
  };
  closed_edge();
  if (b.npoints > limit) return kTooManyAtEdge;

  if (target->n > 0) {
    while (lower_edge(b, ep) - ZEPS53 > target->datamin && b.npoints <= limit) {
      const long long want = steps_between(target->datamin, b.first, w, limit);
      const long long k = allowed_steps(request, source, b.npoints, want, lower_edge(b, ep), w, -1);
      if (k <= 0) break;
      low += k;
      place();
    }
    while (upper_edge(b, ep) + ZEPS53 < target->datamax && b.npoints <= limit) {
      const long long want = steps_between(b.last, target->datamax, w, limit);
      const long long k = allowed_steps(request, source, b.npoints, want, upper_edge(b, ep), w, 1);
      if (k <= 0) break;
      high += k;
      place();
    }
    // Whole widths out to an extreme value can end with the value on the new edge.
    if (low + high > 0 && b.npoints <= limit) closed_edge();
  }
  if (b.npoints > limit) return kTooManyToCover;
  set_bins(source, b, ep);

  if (request->explicit_bins && low + high > 0 && !request->widened_noted) {
    if (haxis_ticks(request) != nullptr) note_name(KES_SET_PROC, KES_MSG_ORDER_VALUES_EXTENDED, ctx);
    else note_name(KES_SET_LABEL, ep ? KES_MSG_ENDPOINTS_EXTENDED : KES_MSG_MIDPOINTS_EXTENDED, ctx);
    request->widened_noted = 1;
  }
  return 0;
}

void kescmhb(kes_ctx* ctx, kes_preq* request, kes_cell* cell) {
  kes_plotslot* s = kes_plot_slot(ctx, request, cell);
  kes_hist_summary(ctx, cell, s);
  s->key = request->keybinning;
  const int limit = kes_hist_binlimit(request);
  const bool ep = request->endpoints;
  const char* option = ep ? "ENDPOINTS=" : "MIDPOINTS=";
  kes_plotslot* key = kes_hist_keyslot(ctx, request);
  const int mode = request->curbincode;
  int result = 0;

  if (request->keybinning && mode == KES_BINS_EXPLICIT) {
    const kes_axis* ax = haxis_ticks(request);
    const int slot = ep ? KES_PLOT_SLOT_ENDPOINTS : KES_PLOT_SLOT_MIDPOINTS;
    const int n = ax != nullptr ? ax->norder : kes_pcount(request->stmt, slot);
    const double* v = ax != nullptr ? ax->order : kes_pnumbers(request->stmt, slot);
    if (n < 2 || v == nullptr) {
      // The statement pass accepts no shorter list; without one the bins are uniform.
      s->nbins = s->npoints = 0;
      request->curbincode = KES_BINS_UNIFORM;
      return;
    }
    // The width of listed points is the difference of their decimals.
    set_bins(s, bins{v[0], v[n - 1], kes_decimal_difference(v[0], v[1]), n}, ep);
    if (s->nbins > limit) {
      result = kTooManyInList;
    } else {
      request->explicit_bins = 1;
      if (s->n > 0) result = kescmha(ctx, request, key, key);
    }
  } else if (request->keybinning && mode == KES_BINS_KEY) {
    if (s->n == 0) {
      if (ctx->classvars->count > 0)
        xpmlog(KES_SET_LABEL, KES_MSG_KEY_CELL_NO_VALUES, option, static_cast<int>(ctx->curname.len),
               ctx->curname.text);
      s->nbins = s->npoints = 0;
      request->curbincode = KES_BINS_UNIFORM;
      return;
    }
    if (key_without_spread(ctx, request, s)) {
      char value[32];
      const auto end = std::to_chars(value, value + sizeof value - 1, s->datamin).ptr;
      *end = '\0';
      xpmlog(KES_SET_PROC, KES_MSG_KEY_CELL_NO_SPREAD, option, static_cast<int>(ctx->curname.len), ctx->curname.text,
             value);
      s->nbins = s->npoints = 0;
      request->curbincode = KES_BINS_UNIFORM;
      return;
    }
    set_bins(s, default_bins(ctx, s->n, s->datamin, s->datamax, ep), ep);
    request->explicit_bins = 0;
    result = kescmha(ctx, request, key, key);
  } else if (!request->keybinning) {
    s->nbins = 0;
    if (mode <= KES_BINS_KEY && s->n > 0) {
      request->explicit_bins = mode == KES_BINS_EXPLICIT;
      result = kescmha(ctx, request, key, s);
    }
  }

  if (result == 0) return;
  const int nlen = ctx->curname.len;
  const char* name = ctx->curname.text;
  if (result == kTooManyInList) xpmlog(KES_SET_PROC, KES_MSG_BIN_LIST_TOO_LONG, option, nlen, name, limit);
  else if (result == kTooManyToCover)
    xpmlog(KES_SET_PROC, request->explicit_bins ? KES_MSG_BINS_GIVEN_CANNOT_COVER : KES_MSG_KEY_CELL_BINS_CANNOT_COVER,
           option, nlen, name, option, limit);
  else xpmlog(KES_SET_PROC, KES_MSG_TOO_MANY_BINS, nlen, name, limit);
  request->curbincode = KES_BINS_UNIFORM;
}

void kescmhu(kes_ctx* ctx, kes_preq* request) {
  request->explicit_bins = 0;
  const bool ep = request->endpoints;
  double lo = INFINITY, hi = -INFINITY;
  kes_each_cell(ctx->classvars, [&](kes_cell* cell) {
    const kes_plotslot* s = kes_plot_slot(ctx, request, cell);
    if (s->n > 0) {
      lo = std::fmin(lo, s->datamin);
      hi = std::fmax(hi, s->datamax);
    }
    return 0;
  });

  // NMIDPOINTS= or NENDPOINTS= count, when in force (a bin list or KEY overrides it).
  const kes_stmt* st = request->stmt;
  const int count_slot = ep ? KES_PLOT_SLOT_NENDPOINTS : KES_PLOT_SLOT_NMIDPOINTS;
  double k = 0;
  if (kes_pgiven(st, count_slot) && !kes_pgiven(st, KES_PLOT_SLOT_MIDPOINTS) &&
      !kes_pgiven(st, KES_PLOT_SLOT_ENDPOINTS))
    k = std::floor(kes_pnumber(st, count_slot));
  // A count past the bin limit would write a row per bin: the limit of a MIDPOINTS=
  // list holds for it too.
  const int limit = kes_hist_binlimit(request);
  if (k > (ep ? limit + 1.0 : limit)) {
    xpmlog(KES_SET_PROC, KES_MSG_BIN_WIDTH_TOO_MANY_BINS, ep ? "NENDPOINTS=" : "NMIDPOINTS=", k,
           static_cast<int>(ctx->curname.len), ctx->curname.text, limit);
    k = 0;
  }

  bins b = default_bins(ctx, request->total[ctx->curvar], lo, hi, ep);
  if (k >= 2 && k < KES_BIN_LIMIT_NONE) {
    zqscale_axis ax{};
    double start, end, step;
    long long npoints;
    int r = 1;
    if (k != 2) {
      r = zqscale(lo, hi, 1 - static_cast<int>(k), ZQSCALE_NNICE, ZQSCALE_NICE, &ax, 'S', 'X');
      npoints = r + 1LL;
      start = ax.start;
      end = ax.end;
      step = ax.increment;
    } else {
      // Two points: halve the scale's step until the points straddle the data.
      r = zqscale(lo, hi, -2, ZQSCALE_NNICE, ZQSCALE_NICE, &ax, 'S', 'X');
      start = ax.start;
      end = ax.end;
      double h = ax.increment / 2;
      // Once h underflows the points stop moving: a single data value would keep them
      // straddling it for ever.
      while (start < lo && end > hi && h > 0) {
        start += h;
        end -= h;
        h /= 2;
      }
      npoints = 2;
      step = kes_decimal_difference(start, end);
    }
    if (hi + 2 * step < end && lo + step > start) {
      start = kes_bin_point(start, -1, step);
      end = kes_bin_point(end, -1, step);
    }
    // A scale that cannot be had keeps the default bins.
    if (r > 0 && step > 0 && std::isfinite(step)) b = {start, end, step, npoints};
  }
  kes_plotslot* key = kes_hist_keyslot(ctx, request);
  set_bins(key, b, ep);
  kes_each_cell(ctx->classvars, [&](kes_cell* cell) {
    kes_plotslot* s = kes_plot_slot(ctx, request, cell);
    if (s->n > 0) kescmha(ctx, request, key, s);
    return 0;
  });
}
