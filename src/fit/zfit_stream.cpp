// zfit1: fits observations that the caller delivers in batches. The engine reads the
// data only for the statistics the fit needs and the caller left missing, and keeps the
// distinct values in a balanced tree when the fit reads them (the normal spread about a
// given mean, the kernel estimate). The fit's curve is left as points in its pool.
#include "fit/zfit_stream.h"

#include "fit/zfit_johnson.h"
#include "fit/zfit_fams.h"

#include <cmath>
#include <cstring>

#include "fit/zfit_unit.h"
#include "fit/zkernel.h"
#include "host/host_services.h"
#include "host/kes_decimal_grid.h"
#include "host/step_codes.h"
#include "kes_msg_names.h"
#include "numeric/zmissing.h"
#include "records/kes_valnode.h"
#include "records/kes_valview.h"
#include "records/pool_alloc.h"

namespace {
constexpr int kPoolFlags = KES_POOL_FIT;
constexpr double kMaxN = 2147483647.0;
// Probabilities of the sample quantiles of a kernel fit.
constexpr double kPercent[9] = {0.01, 0.05, 0.10, 0.25, 0.50, 0.75, 0.90, 0.95, 0.99};
// Default kernel c by kernel type (normal, triangular, quadratic).
constexpr double kKernelC[3] = {0.78520352, 1.9096135, 1.738287};
constexpr int kKernelGridMax = 256;

bool missing(double v) { return std::isnan(v); }

// State of one streamed fit beside the work record.
struct stream_state {
  zfit_work* w;
  bool want_tree;
  void* root;             // the host's tree until it is listed
  host_pool* tree_pool;   // the tree's nodes
  kes_valnode* spare;     // a node not yet inserted
  bool failed;            // an allocation failed (its note written)
  double n, min, max, sum;
  double* sorted;         // kernel fits: the values in ascending order
  long nsorted;
};

// Adds count observations to the tree: 0, or 1016 when a node cannot be had.
int treeit(stream_state* s, const double* values, const int* freqs, int count) {
  for (int i = 0; i < count; ++i) {
    if (s->spare == nullptr)
      s->spare = static_cast<kes_valnode*>(kes_zalloc(s->tree_pool, sizeof(kes_valnode), KES_ALLOC, &s->failed));
    if (s->spare == nullptr) return KES_RC_OUT_OF_MEMORY;
    s->spare->key.value = values[i];
    auto* node = static_cast<kes_valnode*>(ztrebld(&s->root, s->spare, KES_KEY_DOUBLE, KES_VALNODE_KEYPOS));
    if (node == nullptr) return KES_RC_OUT_OF_MEMORY;
    if (node == s->spare) s->spare = nullptr;
    node->count += freqs[i];
  }
  return 0;
}

// One pass over the observations: visit(values, integer frequencies, count) for every
// batch's usable observations; then the rewind. 0, or the callback's error.
template <class F>
int read_pass(zfit_req* req, F visit) {
  auto next = reinterpret_cast<zfit_batchfn>(req->next_batch);
  double x[ZFIT_BATCH], f[ZFIT_BATCH], kept[ZFIT_BATCH];
  int counts[ZFIT_BATCH];
  int rc = 0;
  while (rc == 0) {
    int n = ZFIT_BATCH;
    for (int i = 0; i < ZFIT_BATCH; ++i) f[i] = 1.0;
    rc = next(req, x, f, &n);
    if (rc != 0 && rc != ZFIT_LAST_BATCH) return rc;
    if (n < 0 || n > ZFIT_BATCH) n = 0;  // a count the arrays cannot hold delivers nothing
    int k = 0;
    for (int i = 0; i < n; ++i) {
      // A fraction of a frequency does not count, so below 1 the observation is left out.
      const double fi = req->freqs_used ? f[i] : 1.0;
      if (missing(x[i]) || missing(fi) || !(fi >= 1.0)) continue;
      kept[k] = x[i];
      counts[k++] = fi >= kMaxN ? static_cast<int>(kMaxN) : static_cast<int>(fi);
    }
    const int vrc = visit(kept, counts, k);
    if (vrc != 0) return vrc;
  }
  if (req->rewind != nullptr) reinterpret_cast<zfit_rewindfn>(req->rewind)(req);
  return 0;
}

int first_pass(stream_state* s) {
  s->min = ZDBL_BIG;
  s->max = -ZDBL_BIG;
  return read_pass(s->w->req, [s](const double* x, const int* f, int k) {
    for (int i = 0; i < k; ++i) {
      s->n += f[i];
      s->sum += f[i] * x[i];
      if (x[i] < s->min) s->min = x[i];
      if (x[i] > s->max) s->max = x[i];
    }
    return s->want_tree ? treeit(s, x, f, k) : 0;
  });
}

// Standard deviation about the request's mean with divisor N - 1, as the summaries of
// the value-list mode have it; 0 when negligible beside the mean.
int spread_pass(stream_state* s) {
  zfit_req* req = s->w->req;
  double ss = 0.0;
  const int rc = read_pass(req, [&](const double* x, const int* f, int k) {
    for (int i = 0; i < k; ++i) {
      const double d = x[i] - req->mean;
      ss += f[i] * d * d;
    }
    return 0;
  });
  if (rc != 0) return rc;
  const double var = ss / (req->n - 1.0);
  const double tiny = 1000.0 * ZEPS53;
  req->std = var <= tiny * tiny * req->mean * req->mean ? 0.0 : std::sqrt(var);
  return 0;
}

// The tree's distinct values with their counts as the view the fit reads, from the
// fit pool: 0, or 1016 when it cannot be had.
int tree_view(stream_state* s) {
  zfit_req* req = s->w->req;
  ztrelst(&s->root);
  long m = 0;
  for (auto* v = static_cast<const kes_valnode*>(s->root); v != nullptr; v = v->next) ++m;
  static_assert(sizeof(kes_valview) % alignof(double) == 0);
  const long bytes = static_cast<long>(sizeof(kes_valview)) + 12L * m;
  auto* block = static_cast<char*>(kes_zalloc(req->pool, bytes, KES_ALLOC, &s->failed));
  if (block == nullptr) return KES_RC_OUT_OF_MEMORY;
  auto* x = reinterpret_cast<double*>(block + sizeof(kes_valview));
  auto* f = reinterpret_cast<int*>(x + m);
  long i = 0;
  for (auto* v = static_cast<const kes_valnode*>(s->root); v != nullptr; v = v->next, ++i) {
    x[i] = v->key.value;
    f[i] = v->count;
  }
  auto* view = reinterpret_cast<kes_valview*>(block);
  *view = kes_valview{static_cast<int>(m), x, f, nullptr, nullptr, nullptr, 0, nullptr, nullptr, 0};
  s->w->values = view;
  // The fit reads the view alone: the tree's nodes go.
  xmpoold(s->tree_pool);
  s->tree_pool = nullptr;
  s->root = nullptr;
  s->spare = nullptr;
  return 0;
}

// The tree's values in ascending order, each as often as its frequency, from the fit
// pool; the tree's pool is deleted. 0 or 1016.
int copytree(stream_state* s) {
  zfit_req* req = s->w->req;
  ztrelst(&s->root);
  long n = 0;
  for (auto* v = static_cast<kes_valnode*>(s->root); v != nullptr; v = v->next) n += v->count;
  s->sorted = static_cast<double*>(kes_zalloc(req->pool, 8L * n, KES_ALLOC, &s->failed));
  if (s->sorted != nullptr) {
    long i = 0;
    for (auto* v = static_cast<kes_valnode*>(s->root); v != nullptr; v = v->next)
      for (int k = 0; k < v->count; ++k) s->sorted[i++] = v->key.value;
  }
  s->nsorted = n;
  xmpoold(s->tree_pool);
  s->tree_pool = nullptr;
  s->root = nullptr;
  return s->sorted != nullptr ? 0 : KES_RC_OUT_OF_MEMORY;
}

int kernel_grid_size(double npoints) {
  const int m = static_cast<int>(npoints / 2);
  if (m >= kKernelGridMax) return kKernelGridMax;
  if (m < 8) return 8;
  int p = 16;
  while (p <= m) p *= 2;
  return p;
}

// Family 9: the kernel estimate of the sorted values on a grid, as the curve points.
int fitkernel(stream_state* s) {
  zfit_work* w = s->w;
  zfit_req* req = w->req;
  const int rc = copytree(s);
  if (rc != 0) return rc;
  const double n = static_cast<double>(s->nsorted);
  if (req->kernel_type < 1 || req->kernel_type > 3) req->kernel_type = 1;
  double& c = w->params[0];
  if (missing(c)) c = kKernelC[req->kernel_type - 1];
  if (!(c > 0)) {
    xpmlog(KES_SET_LABEL, KES_MSG_KERNEL_C_NOT_POSITIVE, c);
    return 1;
  }
  const double* x = s->sorted;
  for (int q = 0; q < 9; ++q) {
    int lo = 0, hi = 0;
    const double g = calcfrac(w, n, kPercent[q], &lo, &hi);
    req->quantiles[q] = (1.0 - g) * x[lo] + g * x[hi];
  }
  const double iqr = req->quantiles[5] - req->quantiles[3];
  if (missing(req->low)) req->low = ZDBL_BIG;
  if (missing(req->high)) req->high = -ZDBL_BIG;

  const double min = x[0], max = x[s->nsorted - 1], range = max - min;
  double scale = iqr > 0 ? iqr : range;
  if (!(scale > 0)) scale = std::fabs(min) > 1 ? std::fabs(min) : 1.0;
  const double h = c * scale / std::pow(n, 0.2);
  int m = kernel_grid_size(req->npoints);
  // The grid reaches past the data by the kernel's reach, so that no mass wraps round
  // the transform; a wider grid gets more points while it may, else a wider spacing.
  const double reach = req->kernel_type == 1 ? 3.0 * h : h;
  double margin = scale / 2;
  if (reach > margin) {
    margin = reach;
    if (m < kKernelGridMax) m *= 2;
  }
  // The extremes stay out of the last cell, which holds no mass.
  if (margin < range / (m - 2)) margin = range / (m - 2);
  const double lo = min - margin, hi = max + margin;

  double* block = static_cast<double*>(kes_zalloc(req->pool, 8L * 3 * m, KES_ALLOC, &s->failed));
  req->points = static_cast<double*>(kes_zalloc(req->pool, 16L * m, KES_ALLOC, &s->failed));
  if (block == nullptr || req->points == nullptr) return KES_RC_OUT_OF_MEMORY;
  double* grid = block;
  double* transform = block + m;
  double* density = block + 2 * m;
  if (zkerset(x, nullptr, nullptr, s->nsorted, lo, hi, grid, transform, m) != 0 ||
      zkerfit(req->kernel_type, 0, h, lo, hi, transform, density, m) != 0)
    return 1;
  const double counts = n * req->width;
  for (int i = 0; i < m; ++i) {
    req->points[2 * i] = grid[i];
    req->points[2 * i + 1] = density[i] * counts;
  }
  req->npoints = m;
  w->range_low = lo;
  w->range_high = grid[m - 1];
  vmfree_handler(req->pool, block, -1, KES_FREE_FLAGS);
  return 0;
}

// The fitted curve as npoints (x, y) pairs over the work record's range, with the mode
// among them when it lies inside. 0 or 1016.
int fitpoints(stream_state* s) {
  zfit_work* w = s->w;
  zfit_req* req = w->req;
  const double x0 = w->range_low, x1 = w->range_high;
  const bool reserve = !missing(req->mode_x) && !missing(req->height) && x0 < req->mode_x && req->mode_x < x1;
  const int m = reserve ? 1 : 0;
  int n = static_cast<int>(req->npoints);
  if (n < 2 + m) n = 2 + m;  // a first and a last point at least
  req->points = static_cast<double*>(kes_zalloc(req->pool, 16L * n, KES_ALLOC, &s->failed));
  if (req->points == nullptr) return KES_RC_OUT_OF_MEMORY;
  double* p = req->points;
  // Point i is x0 + i step formed once (the double nearest its decimal where x0 and
  // the step are short decimals); the last is x1 itself.
  const kes_decimal_grid grid = kes_decimal_grid::of(x0, (x1 - x0) / (n - 1 - m));
  int k = 0;
  auto put = [&](double x, double y) {
    p[2 * k] = x;
    p[2 * k + 1] = y;
    ++k;
  };
  put(x0, w->curve(x0, w));
  bool pending = reserve;
  for (int i = 1; i <= n - 2 - m; ++i) {
    const double x = grid.point(i);
    if (pending && req->mode_x < x) {
      put(req->mode_x, req->height);
      pending = false;
    }
    put(x, w->curve(x, w));
  }
  if (pending) put(req->mode_x, req->height);
  put(x1, w->curve(x1, w));
  req->npoints = k;
  return 0;
}

typedef int (*fit_routine)(zfit_work*);

// What a family's fit reads from the data, and its routine (null: not built here).
struct family_needs {
  fit_routine fit;
  bool mean, std, min, tree;
};

family_needs needs_of(const zfit_work* w) {
  const zfit_req* req = w->req;
  const bool mu = w->estimate[0] != 0, sigma = w->estimate[1] != 0;
  switch (req->family) {
    case ZFIT_NORMAL:
      // With a given mean the spread is taken about it over the values themselves.
      return {fitnormal, mu && missing(req->mean), mu && sigma && missing(req->std), false, !mu && sigma};
    // The mean distance from the threshold is taken over the ascending values.
    case ZFIT_EXPONENTIAL: return {fitexponential, false, false, true, true};
    // Percentiles: the threshold test reads the minimum, the quantiles the distinct values.
    case ZFIT_LOGNORMAL: return {fitlognormal, false, false, true, true};
    // Shape Newton and threshold search read the mean, the spread, the minimum and the values.
    case ZFIT_WEIBULL:
    case ZFIT_WEIBULL2: return {fitweibull, missing(req->mean), missing(req->std), true, true};
    case ZFIT_GAMMA: return {fitgamma, missing(req->mean), missing(req->std), true, true};
    case ZFIT_BETA: return {fitbeta, missing(req->mean), missing(req->std), true, true};
    // Percentiles (the streamed method): the quantiles, and SB's range checks.
    case ZFIT_SB: return {fitsb, false, false, true, true};
    case ZFIT_SU: return {fitsu, false, false, false, true};
    case ZFIT_KERNEL: return {nullptr, false, false, true, true};
    default: return {nullptr, false, false, false, false};  // fits not available in this mode
  }
}

int run(stream_state* s) {
  zfit_work* w = s->w;
  zfit_req* req = w->req;
  const family_needs need = needs_of(w);
  if (need.fit == nullptr && req->family != ZFIT_KERNEL) return 1;
  const bool count_n = missing(req->n);
  s->want_tree = need.tree;
  if (s->want_tree) {
    s->tree_pool = xmpoolc(0, 1024, kPoolFlags);
    if (s->tree_pool == nullptr) return KES_RC_OUT_OF_MEMORY;
  }
  const bool spread = need.std;
  if (count_n || need.mean || need.min || need.tree || (spread && missing(req->mean))) {
    const int rc = first_pass(s);
    if (rc != 0) return rc;
    if (s->n < 1) return 1;  // no observations: nothing to fit
    if (count_n) req->n = s->n;
    if (missing(req->mean)) req->mean = s->sum / s->n;
    if (missing(req->min)) req->min = s->min;
    if (missing(req->max)) req->max = s->max;
  }
  if (spread) {
    const int rc = spread_pass(s);
    if (rc != 0) return rc;
  }
  w->data_range = req->max - req->min;
  if (req->family == ZFIT_KERNEL) return fitkernel(s);

  if (s->want_tree) {
    const int vrc = tree_view(s);
    if (vrc != 0) return vrc;
  }
  const bool exponential = req->family == ZFIT_EXPONENTIAL;
  const bool open_high = exponential && missing(req->high);
  if (exponential) {
    // Without a horizontal range the height is the one at the threshold.
    if (missing(req->low)) req->low = -ZDBL_BIG;
    if (open_high) req->high = ZDBL_BIG;
  }
  // The fit and its points in the fit's unit, as in the value-list mode.
  zfit_unit_frame unit{};
  int rc = zfit_unit_enter(w, &unit);
  if (rc == 0) rc = need.fit(w);
  // The exponential curve is 0 from ten scales above the threshold on.
  if (rc == 0 && open_high) w->range_high = w->params[0] + 10.0 * w->params[1];
  if (rc == 0) rc = fitpoints(s);
  zfit_unit_leave(w, &unit, req);
  return rc;
}

}  // namespace

int zfit1(zfit_work* w) {
  zfit_req* req = w->req;
  req->method = 1;
  req->pctl_z = req->second = req->init_shape = req->tol = req->maxiter = zmissing();
  if (missing(req->n) || req->n < 2 || req->n > kMaxN) req->n = zmissing();
  if (missing(req->width)) req->width = 1.0;
  req->points = nullptr;
  if (req->family < ZFIT_NORMAL || req->family > ZFIT_KERNEL) {
    req->npoints = 0;
    return 1;
  }
  if (missing(req->npoints) || req->npoints < 1) req->npoints = req->family == ZFIT_KERNEL ? 512 : 200;
  req->pool = xmpoolc(0, 1024, kPoolFlags);
  if (req->pool == nullptr) {
    req->npoints = 0;
    return KES_RC_OUT_OF_MEMORY;
  }

  stream_state s{};
  s.w = w;
  int rc = req->next_batch == nullptr ? 1 : run(&s);
  if (s.tree_pool != nullptr) xmpoold(s.tree_pool);
  for (int i = 0; i < 4; ++i) req->params[i] = w->params[i];
  if (rc == 0 && req->vscale != KES_VSCALE_COUNT && !missing(req->height) && req->height > 0.0)
    req->height *= req->vscale == KES_VSCALE_PERCENT ? 100.0 / req->n : 1.0 / req->n;
  if (rc != 0) req->npoints = 0;
  return rc;
}

void zfittrm(zfit_req* req) {
  if (req->pool == nullptr) return;
  if (req->points != nullptr) vmfree_handler(req->pool, req->points, -1, KES_FREE_FLAGS);
  xmpoold(req->pool);
  req->points = nullptr;
  req->pool = nullptr;
  req->npoints = 0;
}
