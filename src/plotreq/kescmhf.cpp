// kescmhf(ctx, request, cell) -> 0 or 1016: counts the current variable's values of
// the cell into the stretch of the common bins that covers its data, and scales the
// counts to the request's vertical scale (percent, count or proportion).
#include <climits>
#include <cmath>
#include <cstring>

#include "host/host_missing.h"
#include "host/host_services.h"
#include "host/step_codes.h"
#include "plotreq/hist_bins.h"
#include "plotreq/plot_requests.h"
#include "records/kes_cell.h"
#include "records/kes_ctx.h"
#include "records/kes_plotslot.h"
#include "records/kes_varsum.h"
#include "records/kes_vscale.h"
#include "records/pool_alloc.h"
#include "records/kes_values.h"
#include "util/kes_eps.h"

namespace {
// Relative slack of a bin edge: a value within it of an edge counts as on the edge.
constexpr double kEdgeSlack = ZSQRT_EPS53;  // 2^-26.5
// Largest byte size of one height array.
constexpr long long kMaxBytes = 2147483647;

}  // namespace

long long kes_hist_bin_index(double x, double start, double width, bool right_closed) {
  // A value more than the largest double from the first edge (bins from -1e308 by
  // 4e307) is placed by the two sides in widths: both are then far from rounding.
  const double d = x - start;
  const double t = std::isfinite(d) ? d / width : x / width - start / width;
  double i = right_closed ? std::ceil(t - kEdgeSlack) - 1 : std::floor(t + kEdgeSlack);
  // A value that is an edge as doubles (the double nearest 1e9 + 0.003 typed in the
  // data and as the edge the bins are drawn with) lies on it, however far the rounding
  // of x - start carries t from a whole number of widths: near 1e9 up to 6e-5 widths,
  // past the slack, where the same data in another unit are on the edge. Only a t
  // within that rounding of a whole number is asked.
  const double k = std::nearbyint(t);
  if (std::isfinite(d) && std::fabs(t - k) > kEdgeSlack) {
    const auto ulp = [](double v) { return std::nextafter(std::fabs(v), INFINITY) - std::fabs(v); };
    if (std::fabs(t - k) <= 2 * (ulp(x) + ulp(start)) / width && x == kes_bin_point(start, k, width))
      i = right_closed ? k - 1 : k;
  }
  // No bin reaches past the doubles: a value on the edge of one that would (the
  // largest double on the upper edge of the last finite bin) counts in the bin inside.
  if (!right_closed && !std::isfinite(start + (i + 1) * width)) i = std::floor(t - kEdgeSlack);
  if (right_closed && !std::isfinite(start + i * width)) i = std::ceil(t + kEdgeSlack) - 1;
  if (!(i > -1e18)) return -1000000000000000000LL;
  if (!(i < 1e18)) return 1000000000000000000LL;
  return static_cast<long long>(i);
}

namespace {

// The common bins as counting places values in them, and a cell's stretch of them.
struct bin_stretch {
  double start = 0, w = 0;
  bool right = false;
  long long lo = 0, n = 0;  // n 0: there are no bins
};

bin_stretch stretch_of(kes_ctx* ctx, kes_preq* request, const kes_plotslot* s) {
  const kes_plotslot* key = kes_hist_keyslot(ctx, request);
  bin_stretch b;
  b.w = key->width;
  // The key cell's own count replaces its bin count with its stretch: the common bin
  // count comes from the point count, which counting leaves alone.
  const long long nb_key = request->endpoints ? key->npoints - 1LL : key->npoints;
  b.start = request->endpoints ? key->first : kes_bin_point(key->first, -0.5, b.w);
  b.right = request->rtinclude;
  if (nb_key <= 0) return b;
  // The stretch of the common bins from the cell's smallest to its largest value. A
  // value past the last edge counts as in the last bin here (the point count of
  // endpoints is one more than the bins); it is counted outside below.
  b.n = nb_key;
  if (s->n > 0) {
    const auto clamp = [nb_key](long long i) { return i < 0 ? 0 : (i > nb_key - 1 ? nb_key - 1 : i); };
    b.lo = clamp(kes_hist_bin_index(s->datamin, b.start, b.w, b.right));
    const long long hi = clamp(kes_hist_bin_index(s->datamax, b.start, b.w, b.right));
    b.n = hi - b.lo + 1;
  }
  return b;
}

}  // namespace

long long kes_hist_height_count(kes_ctx* ctx, kes_preq* request, kes_cell* cell) {
  return stretch_of(ctx, request, kes_plot_slot(ctx, request, cell)).n;
}

int kescmhf(kes_ctx* ctx, kes_preq* request, kes_cell* cell, double** room) {
  kes_plotslot* s = kes_plot_slot(ctx, request, cell);
  const bin_stretch b = stretch_of(ctx, request, s);
  const double start = b.start, w = b.w;
  const bool right = b.right;
  const long long lo = b.lo, n = b.n;
  s->mean = s->std = host_missing_of_kind(HOST_MISS_STD);
  s->hmin = s->hmax = 0;
  s->noutside = 0;
  s->heights = nullptr;
  if (n <= 0) {
    s->nbins = 0;
    return 0;
  }
  const long long bytes = n * static_cast<long long>(sizeof(double));
  if (bytes >= kMaxBytes) {
    xmemmsg(static_cast<long>(kMaxBytes));
    return KES_RC_OUT_OF_MEMORY;
  }
  double* h = nullptr;
  if (room != nullptr && *room != nullptr) {
    h = *room;
    *room += n;
  } else {
    h = static_cast<double*>(vmalcp_handler(ctx->bypool, static_cast<long>(bytes), KES_ALLOC_2));
  }
  if (h == nullptr) {
    xmemmsg(static_cast<long>(bytes));
    return KES_RC_OUT_OF_MEMORY;
  }
  std::memset(h, 0, static_cast<size_t>(bytes));
  s->heights = h;
  s->firstbin = static_cast<int>(lo);
  s->nbins = static_cast<int>(n);
  if (s->n <= 0) return 0;

  long long outside = 0;
  const auto count = [&](double x, int c) {
    const long long k = kes_hist_bin_index(x, start, w, right) - lo;
    if (k >= 0 && k < n) h[k] += c;
    else outside += c;
  };
  // Null when the data pass could not keep the cell's values (the variable is not
  // computed).
  const kes_valview* vals = kes_cell_values_noted(ctx, cell);
  if (vals == nullptr) return KES_RC_OUT_OF_MEMORY;
  kes_each_value(vals, count);
  s->noutside = outside > INT_MAX ? INT_MAX : static_cast<int>(outside);

  double factor = 0;
  switch (request->vscale) {
    case KES_VSCALE_PERCENT: factor = 100.0 / s->n; break;
    case KES_VSCALE_COUNT: factor = 1.0; break;
    case KES_VSCALE_PROPORTION: factor = 1.0 / s->n; break;
    default: break;
  }
  s->scale = factor;
  s->hmin = s->hmax = h[0] * factor;
  for (long long i = 0; i < n; ++i) {
    h[i] *= factor;
    s->hmin = std::fmin(s->hmin, h[i]);
    s->hmax = std::fmax(s->hmax, h[i]);
  }
  return 0;
}
