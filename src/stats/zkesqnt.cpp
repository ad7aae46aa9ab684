// zkesqnt: percentiles of one variable from its ascending distinct-value list, with
// modes and percentile confidence limits; zkesqnc: the noncentral t quantile behind
// the normal-theory limits.
//
// One forward walk serves every percentile (the probabilities ascend), and it leaves
// each node passed linked back to its predecessor so that later engines can walk the
// list from the tail.
#include <cmath>

#include "driver/kes_valnode.h"
#include "numeric/zdfciqt.h"
#include "numeric/zlogtnc.h"
#include "numeric/zmissing.h"
#include "numeric/zprobit.h"
#include "numeric/zqtnc.h"
#include "numeric/ztnc_req.h"
#include "stats/kes_stats.h"
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

// The forward walk over the list: current node, frequency through it, back links
// and, in the standard mode, the mode statistics.
struct walker {
  kes_valnode* cur;
  double cum;       // cumulative frequency (or weight) through cur
  bool modes;       // keep the mode statistics
  kes_qntblk* q;
  bool weighted;

  double amount(const kes_valnode* p) const {
    return weighted ? (p->wt ? p->wt->sumw : 0.0) : static_cast<double>(p->count);
  }
  void visit_mode(const kes_valnode* p) {
    if (!modes) return;
    if (p->count > q->maxfreq) {
      q->maxfreq = p->count;
      q->nmodes = 1;
      q->modeval = p->key.value;
    } else if (p->count == q->maxfreq) {
      ++q->nmodes;
    }
  }
  void start(kes_valnode* head) {
    cur = head;
    head->right = nullptr;
    cum = amount(head);
    if (modes) {
      q->distinct = 1;
      q->maxfreq = head->count;
      q->nmodes = 1;
      q->modeval = head->key.value;
    }
  }
  // Moves to the next node; false at the end of the list.
  bool step() {
    kes_valnode* nx = cur->next;
    if (nx == nullptr) return false;
    nx->right = cur;
    cur = nx;
    cum += amount(nx);
    if (modes) ++q->distinct;
    visit_mode(nx);
    return true;
  }
  void finish() {
    while (step()) {
    }
    if (!modes) return;
    q->tail = cur;
    if (q->maxfreq == 1 && q->distinct > 1) {
      q->modeval = zmissing();
      q->nmodes = 0;
    }
  }
};

// The value at order statistic r (counted from 1) by cumulative frequencies.
double value_at_rank(const kes_valnode* head, double r) {
  double c = 0.0;
  const kes_valnode* p = head;
  for (; p != nullptr; p = p->next) {
    c += p->count;
    if (c >= r) return p->key.value;
    if (p->next == nullptr) break;
  }
  return p ? p->key.value : zmissing();
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
    if (want_lo && zkesqnc(&t, a, n - 1.0, z * rn) == 0) q->ntlower[pos] = mean + std * t / rn;
    if (want_hi && zkesqnc(&t, 1.0 - a, n - 1.0, z * rn) == 0) q->ntupper[pos] = mean + std * t / rn;
  } else {
    const double z = zprobit(1.0 - p);
    if (want_lo && zkesqnc(&t, 1.0 - a, n - 1.0, z * rn) == 0) q->ntlower[pos] = mean - std * t / rn;
    if (want_hi && zkesqnc(&t, a, n - 1.0, z * rn) == 0) q->ntupper[pos] = mean - std * t / rn;
  }
}

void free_limits(const kes_qntblk* q, const kes_valnode* head, double n, double p, int pos) {
  const int type = q->dfkind == 1 ? 3 : q->dfkind == 2 ? 4 : 1;
  double lo, hi, c;
  int rc = zdfciqt(type, n, q->dfalpha, p, &lo, &hi, &c);
  if (q->dfkind == 5 && rc == 1) rc = zdfciqt(2, n, q->dfalpha, p, &lo, &hi, &c);
  if ((rc != 0 && rc != 1) || is_missing(c)) return;
  q->lrank[pos] = lo;
  q->urank[pos] = hi;
  q->coverage[pos] = 100.0 * c;
  if (q->dfkind != 2 && !is_missing(lo)) q->dflower[pos] = value_at_rank(head, lo);
  if (q->dfkind != 1 && !is_missing(hi)) q->dfupper[pos] = value_at_rank(head, hi);
}

}  // namespace

int zkesqnt(int, int def, const kes_moments* mom, kes_valnode* head, int, kes_qntblk* q) {
  if (head == nullptr) return 0;
  const bool weighted = def == KES_PCTLDEF_WEIGHTED;
  walker w{nullptr, 0.0, q->mode == 1, q, weighted};
  w.start(head);
  const double n = mom->v[KES_MOM_N];

  if (weighted) {
    const double sumw = mom->v[KES_MOM_SUMWGT];
    if (!is_missing(sumw)) {
      bool at_end = false;
      for (int i = 0; i < q->count; ++i) {
        const int dst = q->index ? q->index[i] : i;
        if (at_end) {
          q->est[dst] = w.cur->key.value;
          continue;
        }
        double lo, hi;
        zkesfct(def, sumw, q->prob[dst], &lo, &hi);
        while (w.cum < lo) {
          if (!w.step()) {
            at_end = true;
            break;
          }
        }
        if (at_end || w.cum > hi || w.cur->next == nullptr) {
          q->est[dst] = w.cur->key.value;
          continue;
        }
        // The cumulative weight sits on W p: average with the next value that
        // carries weight.
        const kes_valnode* nx = w.cur->next;
        while (nx != nullptr && !(nx->wt && nx->wt->sumw > 0.0)) nx = nx->next;
        q->est[dst] = nx ? (w.cur->key.value + nx->key.value) / 2.0 : w.cur->key.value;
      }
    }
    w.finish();
    return 0;
  }

  for (int i = 0; i < q->count; ++i) {
    const int dst = q->index ? q->index[i] : i;
    const double p = q->prob[dst];
    double j, k;
    const double g = zkesfct(def, n, p, &j, &k);
    while (w.cum <= j && w.step()) {
    }
    const kes_valnode* nx = w.cur->next;
    if (w.cum > k || nx == nullptr)
      q->est[dst] = w.cur->key.value;
    else
      q->est[dst] = (1.0 - g) * w.cur->key.value + g * nx->key.value;
    if (q->ntkind != 0 && n > 1.0) normal_limits(q, mom, p, q->count - 1 - i);
  }
  w.finish();

  if (q->dfkind != 0 && n > 1.0) {
    for (int i = 0; i < q->count; ++i) {
      const int dst = q->index ? q->index[i] : i;
      free_limits(q, head, n, q->prob[dst], q->count - 1 - i);
    }
  }
  return 0;
}
