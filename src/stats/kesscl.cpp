// kesscl: robust measures of scale of one variable from its distinct values.
//
// Every estimator works on the distinct values with their frequencies; no expanded
// sample is formed. Quartiles and the median follow the step's percentile definition
// (the same positions as the Quantiles table); with the weighted definition the
// quartiles, the median and MAD use the weights, while Gini's mean difference, Sn
// and Qn count observations.
#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <new>
#include <numeric>
#include <vector>

#include "host/kes_math_constants.h"
#include "host/kes_parallel.h"
#include "numeric/zmissing.h"
#include "records/kes_valview.h"
#include "stats/engine_threads.h"
#include "stats/kes_stats.h"
#include "stats/kes_wselect.h"
#include "stats/kesscl.h"
#include "stats/weighted_rank.h"
#include "stats/zkesqnt.h"

namespace {

constexpr double SN_CONST = 1.1926;
constexpr double QN_CONST = 2.2219;
constexpr double MAD_CONST = 1.4826;
constexpr double IQR_DIVISOR = 1.34898;

// Small-sample factors of Sn and Qn for n = 2 .. 9.
constexpr double SN_SMALL[8] = {0.743, 1.851, 0.954, 1.351, 0.993, 1.198, 1.005, 1.131};
constexpr double QN_SMALL[8] = {0.399, 0.994, 0.512, 0.844, 0.611, 0.857, 0.669, 0.872};

double sn_factor(long long n) {
  if (n < 2) return zmissing();
  if (n <= 9) return SN_SMALL[n - 2];
  const double dn = static_cast<double>(n);
  return n % 2 == 1 ? dn / (dn - 0.9) : 1.0;
}

double qn_factor(long long n) {
  if (n < 2) return zmissing();
  if (n <= 9) return QN_SMALL[n - 2];
  const double dn = static_cast<double>(n);
  return n % 2 == 1 ? dn / (dn + 1.4) : dn / (dn + 3.8);
}

// One element of an ascending sequence with its count and weight.
struct item {
  double v;
  double count;
  double weight;  // times 2^wexp (kes_view_weight_parts)
  int wexp;
  const kes_exact_sum* exact;  // the weight without rounding where weight has rounded
};

// Adds the weight of element it to s, exactly.
void add_weight(kes_exact_sum* s, const item& it) {
  if (it.exact != nullptr) s->add(*it.exact);
  else s->add(it.weight, it.wexp);
}

// A percentile as the elements it lies between: (1 - g) a + g b, or a alone (g = 0).
// Spreads are taken as differences of elements, never of percentiles formed at the
// data's offset, whose rounding there would be units of the spread itself (values
// near 1e12 round to 2^-13): a difference of two data values is the rounding of
// their exact difference, the same at any offset where the values are exact.
struct interp {
  double a, b, g;
  bool mid;  // the midpoint of a and b

  double value() const {
    if (mid) return std::midpoint(a, b);
    return g == 0.0 ? a : (1.0 - g) * a + g * b;
  }
  // The element the percentile is taken from, the nearer of the two (b at g = 1,
  // which a + (b - a) may not give back where b is far smaller than a), and the
  // percentile less that element; both times h (1, or 1/2 for values whose
  // differences pass the largest double: halving is exact there, so that the result
  // is that of any other scale of the values).
  double base(double h = 1.0) const { return (mid || g <= 0.5 ? a : b) * h; }
  double off(double h = 1.0) const {
    if (g == 0.0) return 0.0;
    const double step = b * h - a * h;
    if (mid) return step / 2.0;
    return g <= 0.5 ? g * step : -((1.0 - g) * step);
  }
  // x less the percentile.
  double from(double x) const {
    const double d = (x - base()) - off();
    return std::isfinite(d) ? d : 2.0 * ((x / 2.0 - base(0.5)) - off(0.5));
  }
};

// q3 less q1.
double difference(const interp& q3, const interp& q1) {
  const double r = (q3.base() - q1.base()) + q3.off() - q1.off();
  return std::isfinite(r) ? r : 2.0 * ((q3.base(0.5) - q1.base(0.5)) + q3.off(0.5) - q1.off(0.5));
}

interp missing_interp() { return {zmissing(), zmissing(), 0.0, false}; }

// The percentile p of an ascending sequence delivered one element at a time by next()
// (false at its end), under definition def; n is the number of observations and
// wsum the sum of the elements' weights (definition 6).
// Mirrors the quantile walk: a position that falls between two elements interpolates,
// one that falls inside an element takes it.
template <class Next>
interp pick(int def, double n, const kes_exact_sum& wsum, double p, Next next) {
  item cur{};
  if (!next(cur)) return missing_interp();
  const auto one = [](double v) { return interp{v, v, 0.0, false}; };
  if (def == KES_PCTLDEF_WEIGHTED) {
    const kes_wrank at(wsum, p);
    kes_exact_sum cum;
    add_weight(&cum, cur);
    item nx{};
    while (at.side(cum) < 0) {
      if (!next(nx)) return one(cur.v);
      cur = nx;
      add_weight(&cum, cur);
    }
    if (at.side(cum) > 0) return one(cur.v);
    // On the step: average with the next element that carries weight.
    while (next(nx)) {
      if (nx.weight > 0.0) return {cur.v, nx.v, 0.5, true};
    }
    return one(cur.v);
  }
  double j, k;
  const double g = zkesfct(def, n, p, &j, &k);
  double cum = cur.count;
  item nx{};
  while (cum <= j) {
    if (!next(nx)) return one(cur.v);
    cur = nx;
    cum += cur.count;
  }
  if (cum > k || !next(nx)) return one(cur.v);
  return {cur.v, nx.v, g, false};
}

// The values as a view (its weights w only with definition 6), with their total
// frequency and weight.
struct sample {
  kes_valview v;
  long long n;
  const kes_exact_sum& wsum;
};

// Value i's element v: its count, and its weight exact (or its count without weights).
item element(const sample& s, double v, int i) {
  item it{v, static_cast<double>(s.v.f[i]), static_cast<double>(s.v.f[i]), 0, nullptr};
  if (s.v.w != nullptr) kes_view_weight_parts(s.v, i, &it.weight, &it.wexp, &it.exact);
  return it;
}

// The weighted percentile r of the view's values, walked on by cum as zkesqnt walks
// it: the cumulative weights compared in doubles where their bound decides.
interp weighted_quantile(kes_wcum& cum, const kes_valview& v, const kes_wrank& r) {
  int lo, hi;
  if (cum.percentile(r, &lo, &hi)) return {v.x[lo], v.x[hi], 0.5, true};
  return {v.x[lo], v.x[lo], 0.0, false};
}

bool walks_weights(const sample& s, int def) { return def == KES_PCTLDEF_WEIGHTED && s.v.w != nullptr && s.v.m > 0; }

interp quantile(const sample& s, int def, double p) {
  if (walks_weights(s, def)) {
    kes_wcum cum(s.v);
    return weighted_quantile(cum, s.v, kes_wrank(p));
  }
  int i = 0;
  return pick(def, static_cast<double>(s.n), s.wsum, p, [&](item& it) {
    if (i >= s.v.m) return false;
    it = element(s, s.v.x[i], i);
    ++i;
    return true;
  });
}

// Median absolute deviation about med: the absolute deviations come out in
// ascending order by merging outward from med. Each deviation is taken from the
// values med lies between, so that none carries the rounding of med at an offset.
double mad(const sample& s, int def, const interp& med) {
  int lo = -1, hi = s.v.m;  // nearest values below and above med
  int at = -1;            // a value equal to med
  for (int i = 0; i < s.v.m; ++i) {
    const double r = med.from(s.v.x[i]);
    if (r < 0.0) lo = i;
    else if (r == 0.0) at = i;
    else if (hi == s.v.m) hi = i;
  }
  const interp m = pick(def, static_cast<double>(s.n), s.wsum, 0.5, [&](item& it) {
    int i;
    double d;
    if (at >= 0) {
      i = at;
      d = 0.0;
      at = -1;
    } else if (lo >= 0 && (hi >= s.v.m || -med.from(s.v.x[lo]) <= med.from(s.v.x[hi]))) {
      i = lo--;
      d = -med.from(s.v.x[i]);
    } else if (hi < s.v.m) {
      i = hi++;
      d = med.from(s.v.x[i]);
    } else {
      return false;
    }
    it = element(s, d, i);
    return true;
  });
  return m.value();
}

// Gini's mean difference: every gap between neighbouring values is crossed by the
// pairs with one member on each side.
double gini(const sample& s) {
  long double sum = 0.0L;
  long long c = 0;
  for (int i = 0; i + 1 < s.v.m; ++i) {
    c += s.v.f[i];
    sum += static_cast<long double>(s.v.x[i + 1] - s.v.x[i]) * static_cast<long double>(c) *
           static_cast<long double>(s.n - c);
  }
  const long double pairs = static_cast<long double>(s.n) * (s.n - 1) / 2.0L;
  if (pairs > 0) sum /= pairs;
  return static_cast<double>(sum);
}

// Low median of the Sn distances d weighted by the frequencies, by selection (no full
// sort). One pass finds their range, a second counts them into equal-width buckets of
// that range (the bucket of a value grows with the value, rounding included), and the
// bucket holding the wanted rank is selected exactly; equal distances share a bucket.
// The passes run in at most 16 fixed parts of the values on the engine threads; the
// extremes and the integer counts are the same in any order, and each part gathers
// its share of the chosen bucket into its own stretch, in value order.
double sn_lowmed(const sample& s, const double* d) {
  struct item {
    double v;
    long long w;
  };
  const long long target = (s.n + 1) / 2;
  const std::size_t m = static_cast<std::size_t>(s.v.m);
  const std::size_t grain = std::max<std::size_t>(std::size_t{1} << 20, (m + 15) / 16);
  const std::size_t parts = kes::part_count(m, grain);
  const int threads = kes_engine_threads();
  auto each = [&](auto&& body) {
    kes::parallel_parts(threads, parts, [&](std::size_t k) { body(k, k * grain, std::min(m, (k + 1) * grain)); });
  };
  std::vector<double> plo(parts), phi(parts);
  each([&](std::size_t k, std::size_t b, std::size_t e) {
    double lo = d[b], hi = d[b];
    for (std::size_t i = b + 1; i < e; ++i) {
      lo = std::min(lo, d[i]);
      hi = std::max(hi, d[i]);
    }
    plo[k] = lo;
    phi[k] = hi;
  });
  const double lo = *std::min_element(plo.begin(), plo.end());
  const double hi = *std::max_element(phi.begin(), phi.end());
  if (lo == hi) return lo;  // every distance the same
  constexpr int kBuckets = 1 << 16;
  const double scale = (kBuckets - 1) / (hi - lo);
  std::unique_ptr<long long[]> count;
  if (std::isfinite(scale) && scale > 0.0) count.reset(new (std::nothrow) long long[parts * kBuckets]());
  auto bucket = [&](double v) { return static_cast<int>((v - lo) * scale); };
  long long base = 0;
  int chosen = -1;
  std::vector<long long> at(parts + 1, 0);  // each part's first place in the buffer
  if (count) {
    each([&](std::size_t k, std::size_t b, std::size_t e) {
      long long* c = count.get() + k * kBuckets;
      for (std::size_t i = b; i < e; ++i) c[bucket(d[i])] += s.v.f[i];
    });
    for (int q = 0; q < kBuckets; ++q) {
      long long here = 0;
      for (std::size_t k = 0; k < parts; ++k) here += count[k * kBuckets + q];
      if (base + here >= target) {
        chosen = q;
        break;
      }
      base += here;
    }
    if (chosen < 0) return zmissing();
    each([&](std::size_t k, std::size_t b, std::size_t e) {
      long long c = 0;
      for (std::size_t i = b; i < e; ++i) c += bucket(d[i]) == chosen;
      at[k + 1] = c;
    });
  } else {
    for (std::size_t k = 0; k < parts; ++k) at[k + 1] = static_cast<long long>(std::min(m, (k + 1) * grain) - k * grain);
  }
  for (std::size_t k = 0; k < parts; ++k) at[k + 1] += at[k];
  const long long nsel = at[parts];
  std::unique_ptr<item[]> buf(new (std::nothrow) item[static_cast<size_t>(nsel > 0 ? nsel : 1)]);
  if (!buf) return zmissing();
  each([&](std::size_t k, std::size_t b, std::size_t e) {
    long long j = at[k];
    for (std::size_t i = b; i < e; ++i)
      if (chosen < 0 || bucket(d[i]) == chosen) buf[j++] = {d[i], s.v.f[i]};
  });
  return kes_wselect(buf.get(), nsel, chosen < 0 ? 0 : base, target, zmissing());
}

// Qn's order statistic for fewer than 11 distinct values: all pairs are formed.
double qn_small(const sample& s) {
  if (s.n > std::numeric_limits<int>::max()) return zmissing();
  struct pair_diff {
    double v;
    long long c;
  } pd[45];
  int np = 0;
  long long zeros = 0;
  for (int i = 0; i < s.v.m; ++i) {
    zeros += static_cast<long long>(s.v.f[i]) * (s.v.f[i] - 1) / 2;
    for (int j = 0; j < i; ++j)
      pd[np++] = {s.v.x[i] - s.v.x[j], static_cast<long long>(s.v.f[i]) * s.v.f[j]};
  }
  const long long h = s.n / 2 + 1;
  const long long target = h * (h - 1) / 2 - zeros;
  if (target < 1) return 0.0;
  std::sort(pd, pd + np, [](const pair_diff& a, const pair_diff& b) { return a.v < b.v; });
  long long cum = 0;
  for (int i = 0; i < np; ++i) {
    cum += pd[i].c;
    if (cum >= target) return pd[i].v;
  }
  return zmissing();
}

}  // namespace

// Values near the limits of a double can give a scale beyond the largest double: such a
// statistic cannot be computed and stays missing.
static void drop_overflow(double* res) {
  for (int i = 0; i < KES_SCL_NCELLS; ++i)
    if (std::isinf(res[i])) res[i] = zmissing();
}

namespace {

// The sample of m distinct values with their frequencies (and weights under the
// weighted definition): its view, count and exact sum of weights.
struct sample_parts {
  kes_valview v{};
  long long n = 0;
  kes_exact_sum wsum;
};

// The exact sum of weights only where want_wsum (the walks of MAD need it; the
// quantiles' walks form their own sums).
void gather(int pctldef, int m, const double* x, const int* f, const double* w, const kes_valview* wview,
            sample_parts* p, bool want_wsum = true) {
  if (pctldef != KES_PCTLDEF_WEIGHTED) w = nullptr;
  if (w != nullptr && wview != nullptr) p->v = *wview;  // its exact weights
  p->v.m = m;
  p->v.x = x;
  p->v.f = f;
  p->v.w = w;
  for (int i = 0; i < m; ++i) {
    p->n += f[i];
    if (!want_wsum) continue;
    item it{x[i], 0.0, static_cast<double>(f[i]), 0, nullptr};
    if (w != nullptr) kes_view_weight_parts(p->v, i, &it.weight, &it.wexp, &it.exact);
    add_weight(&p->wsum, it);
  }
}

// Q3 less Q1 from the elements they lie at.
double qrange(const sample& s, int pctldef) {
  interp q1, q3;
  if (walks_weights(s, pctldef)) {
    // One walk to both quartiles.
    kes_wcum cum(s.v);
    q1 = weighted_quantile(cum, s.v, kes_wrank(0.25));
    q3 = weighted_quantile(cum, s.v, kes_wrank(0.75));
  } else {
    q1 = quantile(s, pctldef, 0.25);
    q3 = quantile(s, pctldef, 0.75);
  }
  if (is_missing(q1.a) || is_missing(q3.a)) return zmissing();
  return difference(q3, q1);
}

}  // namespace

double kes_qrange(int pctldef, int m, const double* x, const int* f, const double* w, const kes_valview* wview) {
  if (m <= 0) return zmissing();
  sample_parts p;
  gather(pctldef, m, x, f, w, wview, &p, pctldef == KES_PCTLDEF_WEIGHTED && w == nullptr);
  if (p.n <= 0) return zmissing();
  if (m == 1) return 0.0;
  return qrange(sample{p.v, p.n, p.wsum}, pctldef);
}

int kesscl_arrays(int pctldef, int m, const double* x, const int* f, const double* w, double* d,
                  int* iwork, double* res, int skipqn, const kes_valview* wview) {
  for (int i = 0; i < KES_SCL_NCELLS; ++i) res[i] = zmissing();
  if (m <= 0) return skipqn ? 0 : 1;
  sample_parts p;
  gather(pctldef, m, x, f, w, wview, &p);
  const long long n = p.n;
  if (n <= 0) return skipqn ? 0 : 1;
  if (m == 1) {
    for (int i = 0; i < KES_SCL_NCELLS; ++i) res[i] = 0.0;
    return 0;
  }
  const sample s{p.v, n, p.wsum};

  const interp med = quantile(s, pctldef, 0.5);
  res[KES_SCL_QRANGE] = qrange(s, pctldef);
  if (!is_missing(res[KES_SCL_QRANGE])) res[KES_SCL_STD_QRANGE] = res[KES_SCL_QRANGE] / IQR_DIVISOR;

  res[KES_SCL_GINI] = gini(s);
  // One factor below 1: a mean difference near the largest double keeps its standard form.
  res[KES_SCL_STD_GINI] = res[KES_SCL_GINI] * (std::sqrt(KES_PI) / 2.0);

  if (!is_missing(med.a)) {
    res[KES_SCL_MAD] = mad(s, pctldef, med);
    if (!is_missing(res[KES_SCL_MAD])) res[KES_SCL_STD_MAD] = MAD_CONST * res[KES_SCL_MAD];
  }

  // The weights are no longer needed: d (which may share their memory) takes the Sn
  // distances.
  // iwork (m + 1 ints) holds the Sn prefix counts, then Qn's; d, once Sn is had,
  // Qn's bands.
  if (kes_sndist(m, x, f, d, iwork) == 0) {
    const double lm = sn_lowmed(s, d);
    if (!is_missing(lm)) {
      res[KES_SCL_SN] = SN_CONST * lm;
      res[KES_SCL_STD_SN] = sn_factor(n) * res[KES_SCL_SN];
    }
  }

  if (skipqn) {
    drop_overflow(res);
    return 0;
  }
  const double q = m < 11 ? qn_small(s) : zsclqn(m, x, f, d, iwork);
  if (!is_missing(q)) {
    res[KES_SCL_QN] = QN_CONST * q;
    res[KES_SCL_STD_QN] = qn_factor(n) * res[KES_SCL_QN];
  }
  drop_overflow(res);
  return is_missing(res[KES_SCL_QN]) ? 1 : 0;
}
