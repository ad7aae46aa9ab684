// The list forms of the statistics engines: one copy of the list into arrays, then the
// engine's array form.
#include "stats/engine_list_forms.h"

#include "records/kes_valnode.h"
#include "records/kes_varsum.h"
#include "stats/kes_flatvals.h"
#include "stats/kes_stats.h"
#include "stats/kesscl.h"
#include "stats/zkesloc.h"
#include "stats/zkesmnt.h"
#include "stats/zkesnrm.h"
#include "stats/zkesqnt.h"
#include "stats/zkestwm.h"

int zkesqnt(int, int def, const kes_moments* mom, kes_valnode* head, int, kes_qntblk* q) {
  if (head == nullptr) return 0;
  kes_flatvals fv;
  if (kes_flatten(head, 0, &fv) != 0) {
    // No room for the arrays: the back links, the tail and the count are still given.
    kes_valnode* prev = nullptr;
    int count = 0;
    for (kes_valnode* p = head; p != nullptr; prev = p, p = p->next, ++count) p->right = prev;
    if (q->mode == 1) {
      q->tail = prev;
      q->distinct = count;
    }
    return 1;
  }
  return zkesqnt_arrays(def, mom, &fv, q);
}

int zkesmnt(const kes_varsum* rec, const char vardef[8], kes_valnode** head, kes_valnode** missing, kes_moments* out) {
  kes_flatvals fv;
  const bool copied = kes_flatten_copy(rec->values, 0, &fv) == 0;
  return zkesmnt_arrays(rec, vardef, copied ? &fv : nullptr, head, missing, out);
}

void zkesloc(const kes_moments* mom, const kes_valnode* head, double mu0, int weighted, int ranks, kes_locres* out) {
  kes_flatvals fv;
  const bool flat = !weighted && ranks && head != nullptr && kes_flatten_copy(head, 0, &fv) == 0;
  zkesloc_arrays(mom, flat ? &fv : nullptr, mu0, weighted, ranks, out);
}

int kesscl(int array, int pctldef, int m, const kes_valnode* list, const double* values, const int* freqs,
           double* dwork, int* iwork, double* res, int skipqn) {
  if (m <= 0) return kesscl_arrays(pctldef, 0, nullptr, nullptr, nullptr, nullptr, nullptr, res, skipqn);
  // Values into dwork[0..m), frequencies into iwork[0..m); with the weighted
  // definition the weights go to dwork[m..2m), which later takes the Sn distances.
  const bool weighted = pctldef == KES_PCTLDEF_WEIGHTED;
  double* x = dwork;
  double* w = weighted ? dwork + m : nullptr;
  int* f = iwork;
  int cnt = 0;
  if (array) {
    for (; cnt < m; ++cnt) {
      x[cnt] = values[cnt];
      f[cnt] = freqs ? freqs[cnt] : 1;
      if (w) w[cnt] = f[cnt];
    }
  } else {
    for (const kes_valnode* p = list; p != nullptr && cnt < m; p = p->next, ++cnt) {
      x[cnt] = p->key.value;
      f[cnt] = p->count;
      if (w) w[cnt] = p->wt ? p->wt->sumw : 0.0;
    }
  }
  return kesscl_arrays(pctldef, cnt, x, f, w, dwork + m, iwork + m, res, skipqn);
}

namespace {

// The first m nodes of the list at head as arrays; false when the copy cannot be had.
bool copy_list(const kes_valnode* head, int m, kes_flatvals* fv) {
  if (kes_flatten_copy(head, m, fv) != 0) return false;
  if (fv->m > m) fv->m = m;
  return true;
}

}  // namespace

int zkestwm(int array, int m, const kes_moments* mom, const kes_valnode* head, const kes_valnode*, const double* values,
            const int* freqs, int trimmed, double amount, double mu0, double alpha, kes_twmres* res) {
  if (array) return zkestwm_arrays(m, mom, values, freqs, trimmed, amount, mu0, alpha, res);
  kes_flatvals fv;
  if (!copy_list(head, m, &fv)) {
    zkestwm_arrays(0, mom, nullptr, nullptr, trimmed, amount, mu0, alpha, res);
    return 0;
  }
  return zkestwm_arrays(fv.m, mom, fv.x, fv.f, trimmed, amount, mu0, alpha, res);
}

void zkesnrm(int array, int m, const kes_moments* mom, const kes_valnode* list, const double* values, const int* freqs,
             int ncase, int print, double mu, double sigma, kes_nrmres* res) {
  if (array) return zkesnrm_arrays(m, mom, values, freqs, ncase, print, mu, sigma, res);
  kes_flatvals fv;
  if (!copy_list(list, m, &fv)) return zkesnrm_arrays(0, mom, nullptr, nullptr, ncase, print, mu, sigma, res);
  zkesnrm_arrays(fv.m, mom, fv.x, fv.f, ncase, print, mu, sigma, res);
}
