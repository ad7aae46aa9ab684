// Per-variable records: one array per CLASS cell (in the BY-group pool) and one in the
// context for a step without CLASS variables. The extreme lists of a record, with
// their observation numbers, frequencies and ID values, each take one block whose
// first half is the lowest list and whose second half the highest.
#include "driver/varsum_records.h"

#include <cstring>

#include "driver/kes_ctx.h"
#include "driver/kes_readstate.h"
#include "driver/kes_text.h"
#include "driver/pool_alloc.h"
#include "host/host_services.h"

namespace {

// Bytes of the summary block that kessave fills.
constexpr long kSummaryBytes = 284 > static_cast<long>(sizeof(double)) * KES_SUMMARY_DOUBLES
                                   ? 284
                                   : static_cast<long>(sizeof(double)) * KES_SUMMARY_DOUBLES;

void* take(host_pool* pool, long size, int flags, long* failed) {
  if (*failed) return nullptr;
  void* p = vmalcp_handler(pool, size, flags);
  if (p == nullptr) *failed = size;
  return p;
}

}  // namespace

kes_varsum* keswptr(kes_ctx* ctx, host_pool* pool) {
  long failed = 0;
  kes_varsum* arr = kes_varsum_array(ctx, pool, &failed);
  if (arr == nullptr) xmemmsg(failed);
  return arr;
}

kes_varsum* kes_varsum_array(kes_ctx* ctx, host_pool* pool, long* failed_size) {
  const kes_datapass* dp = kes_dp(ctx);
  const int nv = ctx->nvars;
  long& failed = *failed_size;
  failed = 0;
  const long asize = static_cast<long>(sizeof(kes_varsum)) * (nv > 0 ? nv : 1);
  auto* arr = static_cast<kes_varsum*>(take(pool, asize, KES_ALLOC_4, &failed));
  if (arr == nullptr) return nullptr;
  const long n = ctx->nextrobs;
  const long k = ctx->nids;
  const long t = dp->idtextlen;
  for (int v = 0; v < nv; ++v) {
    kes_varsum* r = &arr[v];
    std::memset(r, 0, sizeof *r);
    r->summary = static_cast<double*>(take(pool, kSummaryBytes, KES_ALLOC_6, &failed));
    if (n > 0) {
      auto* vals = static_cast<double*>(take(pool, 2 * n * static_cast<long>(sizeof(double)), KES_ALLOC_4, &failed));
      auto* obs = static_cast<int*>(take(pool, 2 * n * static_cast<long>(sizeof(int)), KES_ALLOC_4, &failed));
      int* frq = nullptr;
      if (ctx->freq_given) frq = static_cast<int*>(take(pool, 2 * n * static_cast<long>(sizeof(int)), KES_ALLOC_4, &failed));
      char* txt = nullptr;
      double* num = nullptr;
      if (k > 0) {
        if (t > 0) txt = static_cast<char*>(take(pool, 2 * n * k * t, KES_ALLOC_4, &failed));
        num = static_cast<double*>(take(pool, 2 * n * k * static_cast<long>(sizeof(double)), KES_ALLOC_4, &failed));
      }
      if (failed) return nullptr;
      r->lowest = vals;
      r->highest = vals + n;
      r->low_obs = obs;
      r->high_obs = obs + n;
      if (frq != nullptr) {
        r->low_freq = frq;
        r->high_freq = frq + n;
      }
      if (txt != nullptr) {
        r->low_idchar = txt;
        r->high_idchar = txt + n * k * t;
      }
      if (num != nullptr) {
        r->low_idnum = num;
        r->high_idnum = num + n * k;
      }
    }
    if (failed) return nullptr;
    keswini(ctx, r);
  }
  return arr;
}

void keswini(kes_ctx* ctx, kes_varsum* r) {
  r->sum = r->uss = r->css = r->sumwgt = 0.0;
  r->pass_total = r->nobs = r->n = r->nmiss = 0.0;
  r->values = nullptr;
  r->missing = nullptr;
  r->listed = nullptr;
  r->nlisted = r->listcap = 0;
  r->listed_link = nullptr;
  r->weight_given = ctx->weight_given;
  r->overflow = 0;
  r->nslots = ctx->nextrobs;
  const int n = ctx->nextrobs;
  if (n <= 0 || r->lowest == nullptr) return;
  const double miss = v_global_gcb_anchor->consts->std_missing;
  vzfdl(miss, r->lowest, 2 * n);
  std::memset(r->low_obs, 0, sizeof(int) * 2 * static_cast<size_t>(n));
  if (r->low_freq != nullptr) std::memset(r->low_freq, 0, sizeof(int) * 2 * static_cast<size_t>(n));
  const int k = ctx->nids;
  if (k > 0) {
    const long t = kes_dp(ctx)->idtextlen;
    if (r->low_idchar != nullptr) std::memset(r->low_idchar, ' ', static_cast<size_t>(2L * n * k * t));
    if (r->low_idnum != nullptr) vzfdl(miss, r->low_idnum, 2 * n * k);
  }
}

void keswfre(kes_ctx* ctx, host_pool* pool, kes_varsum* array) {
  if (array == nullptr) return;
  if (ctx->nextrobs > 0) {
    for (int v = 0; v < ctx->nvars; ++v) {
      kes_varsum* r = &array[v];
      if (r->lowest != nullptr) vmfree_handler(pool, r->lowest, -1, KES_FREE_FLAGS);
      if (r->low_obs != nullptr) vmfree_handler(pool, r->low_obs, -1, KES_FREE_FLAGS);
      if (r->low_freq != nullptr) vmfree_handler(pool, r->low_freq, -1, KES_FREE_FLAGS);
      if (r->low_idchar != nullptr) vmfree_handler(pool, r->low_idchar, -1, KES_FREE_FLAGS);
      if (r->low_idnum != nullptr) vmfree_handler(pool, r->low_idnum, -1, KES_FREE_FLAGS);
    }
  }
  vmfree_handler(pool, array, -1, KES_FREE_FLAGS);
}

void kes_varsum_clear_lists(kes_varsum* r) {
  r->values = nullptr;
  r->missing = nullptr;
  r->ndistinct = 0;
  // The node record lives in the variable's pool, given up with the nodes.
  r->listed = nullptr;
  r->nlisted = r->listcap = 0;
  r->listed_link = nullptr;
}
