// zkesqnt: percentiles of one variable from its ascending distinct values, with
// modes and percentile confidence limits; zkesqnc: the noncentral t quantile behind
// the normal-theory limits.
//
// One forward pass over the ascending values of the cell's view serves every
// percentile (the probabilities ascend).
#include <cmath>
#include <numeric>
#include <optional>

#include "numeric/zdfciqt.h"
#include "numeric/zlogtnc.h"
#include "numeric/zmissing.h"
#include "numeric/zprobit.h"
#include "numeric/zqtnc.h"
#include "numeric/ztnc_req.h"
#include "stats/engine_threads.h"
#include "records/kes_valview.h"
#include "stats/kes_stats.h"
#include "stats/weighted_rank.h"
#include "stats/zkesqnt.h"

int zkesqnc(double* t, double p, double df, double nc) {
  double q = zmissing();
  if (zqtnc(p, df, nc, &q) == 0) {
    *t = q;
    return 0;
  }
  ztnc_req r{};
  r.flags = 4;
  r.p = p;
  r.df = df;
  r.nc = nc;
  r.tol = 1e-14;
  const int rc = zlogtnc(&r);
  if (rc != 0) return rc;
  *t = r.x;
  return 0;
}

namespace {

// Mode statistics over the whole list: the smallest value with the largest count,
// how many values share that count, and "no mode" when every value occurs once.
void mode_stats(const kes_valview* fv, kes_qntblk* q) {
  const int m = fv->m;
  q->distinct = m;
  q->maxfreq = fv->f[0];
  q->nmodes = 1;
  q->modeval = fv->x[0];
  for (int i = 1; i < m; ++i) {
    const int c = fv->f[i];
    if (c > q->maxfreq) {
      q->maxfreq = c;
      q->nmodes = 1;
      q->modeval = fv->x[i];
    } else if (c == q->maxfreq) {
      ++q->nmodes;
    }
  }
  if (q->maxfreq == 1 && m > 1) {
    q->modeval = zmissing();
    q->nmodes = 0;
  }
}

// A request for the value at order statistic r (counted from 1).
struct rank_req {
  double r;
  double* dst;
};

// Values at the requested order statistics by cumulative frequencies, in one walk
// over the requests sorted by rank; a rank past the end takes the last value.
void values_at_ranks(const kes_valview* fv, rank_req* req, int nreq) {
  for (int i = 1; i < nreq; ++i) {  // insertion sort: a handful of requests
    const rank_req t = req[i];
    int j = i;
    for (; j > 0 && req[j - 1].r > t.r; --j) req[j] = req[j - 1];
    req[j] = t;
  }
  double c = 0.0;
  int i = 0;
  for (int k = 0; k < nreq; ++k) {
    while (i < fv->m) {
      // The frequencies through value i, summed in list order as a walk would.
      if (c + fv->f[i] >= req[k].r) break;
      c += fv->f[i];
      ++i;
    }
    *req[k].dst = fv->x[i < fv->m ? i : fv->m - 1];
  }
}

// mean + s std t / sqrt(N), with mean and std in units of 2^ntexp: found there, where
// std t cannot overflow, and multiplied back (beyond the doubles only when the limit
// itself is).
double normal_limit(const kes_qntblk* q, double mean, double std, double s, double t, double rn) {
  return std::ldexp(mean + s * (std * t / rn), q->ntexp);
}

void normal_limits(const kes_qntblk* q, const kes_moments* mom, double p, int pos) {
  const double n = mom->v[KES_MOM_N];
  const double mean = mom->v[KES_MOM_MEAN];
  const double std = mom->v[KES_MOM_STD];
  if (is_missing(mean) || is_missing(std)) return;
  const double a = q->ntkind == 3 ? q->ntalpha / 2.0 : q->ntalpha;
  const double rn = std::sqrt(n);
  const bool want_lo = q->ntkind == 1 || q->ntkind == 3;
  const bool want_hi = q->ntkind == 2 || q->ntkind == 3;
  double t;
  if (p >= 0.5) {
    const double z = p == 0.5 ? 0.0 : zprobit(p);
    if (want_lo && zkesqnc(&t, a, n - 1.0, z * rn) == 0) q->ntlower[pos] = normal_limit(q, mean, std, 1.0, t, rn);
    if (want_hi && zkesqnc(&t, 1.0 - a, n - 1.0, z * rn) == 0) q->ntupper[pos] = normal_limit(q, mean, std, 1.0, t, rn);
  } else {
    const double z = zprobit(1.0 - p);
    if (want_lo && zkesqnc(&t, 1.0 - a, n - 1.0, z * rn) == 0) q->ntlower[pos] = normal_limit(q, mean, std, -1.0, t, rn);
    if (want_hi && zkesqnc(&t, a, n - 1.0, z * rn) == 0) q->ntupper[pos] = normal_limit(q, mean, std, -1.0, t, rn);
  }
}

// Ranks and coverage of the distribution-free limits of percentile p; the limit
// values are requested from values_at_ranks.
void free_limits(const kes_qntblk* q, double n, double p, int pos, rank_req* req, int* nreq) {
  const int type = q->dfkind == 1 ? 3 : q->dfkind == 2 ? 4 : 1;
  double lo, hi, c;
  const int threads = kes_engine_threads();
  int rc = zdfciqt(type, n, q->dfalpha, p, &lo, &hi, &c, threads);
  if (q->dfkind == 5 && rc == 1) rc = zdfciqt(2, n, q->dfalpha, p, &lo, &hi, &c, threads);
  if ((rc != 0 && rc != 1) || is_missing(c)) return;
  q->lrank[pos] = lo;
  q->urank[pos] = hi;
  q->coverage[pos] = 100.0 * c;
  if (q->dfkind != 2 && !is_missing(lo)) req[(*nreq)++] = {lo, &q->dflower[pos]};
  if (q->dfkind != 1 && !is_missing(hi)) req[(*nreq)++] = {hi, &q->dfupper[pos]};
}

}  // namespace

int zkesqnt_arrays(int def, const kes_moments* mom, const kes_valview* fv, kes_qntblk* q) {
  const int m = fv->m;
  if (m <= 0) return 0;
  const double* x = fv->x;
  const int* f = fv->f;
  if (q->mode == 1) mode_stats(fv, q);
  const double n = mom->v[KES_MOM_N];

  if (def == KES_PCTLDEF_WEIGHTED) {
    // The midpoint of value c and the next value after it that carries weight, or
    // value c where none does (a midpoint that cannot overflow, as x + y can).
    auto on_step = [&](int c) {
      int nx = c + 1;
      while (nx < m && !kes_view_weighs(*fv, nx)) ++nx;
      return nx < m ? std::midpoint(x[c], x[nx]) : x[c];
    };
    std::optional<kes_wcum> cum;  // formed at the first percentile inside the ends
    for (int i = 0; i < q->count; ++i) {
      const int dst = q->index ? q->index[i] : i;
      const double p = q->prob[dst];
      if (p == 0.0) {
        // The cumulative weight through the first value is 0 only where it carries no
        // weight: there it is on W p.
        q->est[dst] = m > 1 && !kes_view_weighs(*fv, 0) ? on_step(0) : x[0];
        continue;
      }
      if (p == 1.0) {
        // W is first reached at the last value that carries weight, and no value
        // after it carries any: the walk ends there (at the first value where none
        // carries weight).
        int last = m - 1;
        while (last > 0 && !kes_view_weighs(*fv, last)) --last;
        q->est[dst] = x[last];
        continue;
      }
      if (!cum) cum.emplace(*fv);
      int lo, hi;
      q->est[dst] = cum->percentile(kes_wrank(p), &lo, &hi) ? std::midpoint(x[lo], x[hi]) : x[lo];
    }
    return 0;
  }

  int c = 0;
  double cum = static_cast<double>(f[0]);
  for (int i = 0; i < q->count; ++i) {
    const int dst = q->index ? q->index[i] : i;
    const double p = q->prob[dst];
    double j, k;
    const double g = zkesfct(def, n, p, &j, &k);
    while (cum <= j && c + 1 < m) cum += static_cast<double>(f[++c]);
    if (cum > k || c + 1 >= m)
      q->est[dst] = x[c];
    else
      q->est[dst] = (1.0 - g) * x[c] + g * x[c + 1];
    if (q->ntkind != 0 && n > 1.0) normal_limits(q, mom, p, q->count - 1 - i);
  }

  if (q->dfkind != 0 && n > 1.0) {
    constexpr int kBatch = 64;
    rank_req req[2 * kBatch];
    for (int i0 = 0; i0 < q->count; i0 += kBatch) {
      int nreq = 0;
      for (int i = i0; i < q->count && i < i0 + kBatch; ++i) {
        const int dst = q->index ? q->index[i] : i;
        free_limits(q, n, q->prob[dst], q->count - 1 - i, req, &nreq);
      }
      values_at_ranks(fv, req, nreq);
    }
  }
  return 0;
}
