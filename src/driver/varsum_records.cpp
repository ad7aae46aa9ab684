// Per-variable records: one array per CLASS cell (in the BY-group pool) and one in the
// context for a step without CLASS variables. The array and every record's summary
// and extreme lists share one block; each extreme list, with its observation numbers,
// frequencies and ID values, has the lowest list in its first half and the highest in
// its second.
#include "driver/varsum_records.h"

#include <cstring>

#include "host/host_services.h"
#include "records/kes_ctx.h"
#include "records/kes_readstate.h"
#include "records/pool_alloc.h"
#include "util/kes_text.h"

namespace {

// Bytes of the summary that kessave fills.
constexpr long kSummaryBytes = static_cast<long>(sizeof(double)) * KES_SUMMARY_DOUBLES;

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

namespace {

// Bytes of the parts of one record's block.
struct record_parts {
  long summary, vals, nums, obs, frqs, txts, per_var, array;
};

record_parts parts_of(const kes_ctx* ctx) {
  const long n = ctx->nextrobs > 0 ? ctx->nextrobs : 0;
  const long k = ctx->nids;
  const long t = ctx->dp.idtextlen;
  const long dbl = static_cast<long>(sizeof(double)), in = static_cast<long>(sizeof(int));
  record_parts p{};
  p.summary = kSummaryBytes;
  p.vals = 2 * n * dbl;
  p.nums = k > 0 ? 2 * n * k * dbl : 0;
  p.obs = 2 * n * in;
  p.frqs = ctx->freq_given ? 2 * n * in : 0;
  p.txts = k > 0 && t > 0 ? 2 * n * k * t : 0;
  p.per_var = (p.summary + p.vals + p.nums + p.obs + p.frqs + p.txts + dbl - 1) / dbl * dbl;
  p.array = static_cast<long>(sizeof(kes_varsum)) * (ctx->nvars > 0 ? ctx->nvars : 1);
  return p;
}

}  // namespace

long kes_varsum_bytes(const kes_ctx* ctx) {
  const record_parts p = parts_of(ctx);
  return p.array + p.per_var * (ctx->nvars > 0 ? ctx->nvars : 0);
}

kes_varsum* kes_varsum_lay(kes_ctx* ctx, void* block) {
  const record_parts q = parts_of(ctx);
  const long n = ctx->nextrobs > 0 ? ctx->nextrobs : 0;
  const long k = ctx->nids;
  const long t = kes_dp(ctx)->idtextlen;
  auto* arr = static_cast<kes_varsum*>(block);
  char* part = static_cast<char*>(block) + q.array;
  for (int v = 0; v < ctx->nvars; ++v, part += q.per_var) {
    kes_varsum* r = &arr[v];
    std::memset(r, 0, sizeof *r);
    char* p = part;
    r->summary = reinterpret_cast<double*>(p);
    p += q.summary;
    if (n > 0) {
      r->lowest = reinterpret_cast<double*>(p);
      r->highest = r->lowest + n;
      p += q.vals;
      if (q.nums > 0) {
        r->low_idnum = reinterpret_cast<double*>(p);
        r->high_idnum = r->low_idnum + n * k;
        p += q.nums;
      }
      r->low_obs = reinterpret_cast<int*>(p);
      r->high_obs = r->low_obs + n;
      p += q.obs;
      if (q.frqs > 0) {
        r->low_freq = reinterpret_cast<int*>(p);
        r->high_freq = r->low_freq + n;
        p += q.frqs;
      }
      if (q.txts > 0) {
        r->low_idchar = p;
        r->high_idchar = p + n * k * t;
      }
    }
    keswini(ctx, r);
  }
  return arr;
}

kes_varsum* kes_varsum_array(kes_ctx* ctx, host_pool* pool, long* failed_size) {
  *failed_size = 0;
  void* block = take(pool, kes_varsum_bytes(ctx), KES_ALLOC_4, failed_size);
  return block != nullptr ? kes_varsum_lay(ctx, block) : nullptr;
}

void keswini(kes_ctx* ctx, kes_varsum* r) {
  r->sum = r->uss = r->css = r->sumwgt = 0.0;
  r->pass_total = r->nobs = r->n = r->nmiss = 0.0;
  r->values = nullptr;
  r->missing = nullptr;
  r->listed = nullptr;
  r->nlisted = r->listcap = 0;
  r->listed_link = nullptr;
  r->view = nullptr;
  r->weight_given = ctx->weight_given;
  r->overflow = 0;
  r->wexp = 0;
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

void keswfre(kes_ctx*, host_pool* pool, kes_varsum* array) {
  if (array != nullptr) vmfree_handler(pool, array, -1, KES_FREE_FLAGS);
}

void kes_varsum_clear_lists(kes_varsum* r) {
  r->values = nullptr;
  r->missing = nullptr;
  r->ndistinct = 0;
  // The node record lives in the variable's pool, given up with the nodes.
  r->listed = nullptr;
  r->nlisted = r->listcap = 0;
  r->listed_link = nullptr;
  r->view = nullptr;
}
