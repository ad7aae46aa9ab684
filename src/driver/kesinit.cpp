// kesinit(ctx) -> int: the statement parse and everything read from it into the
// context, in this order: the parser descriptor (kesg), the parse (xsparse), the
// procedure options (kesgopt), the value-node chunk fields, the variables and CLASS
// set-up (kesgset) with the end of the variable-get set, the plot statements
// (kesstmt), the OUTPUT statements (kesgout) and the listing labels (keszset); last
// the input data set must be usable. 0 on success, nonzero after a failed check (the
// caller ends the step). Parse errors end the step here.
#include "driver/kesinit.h"

#include <cstring>

#include "devgraph/device_services.h"
#include "driver/kesgopt.h"
#include "driver/kesgset.h"
#include "driver/kesstmt.h"
#include "driver/keszset.h"
#include "driver/unbuilt_notes.h"
#include "driver/xsparse.h"
#include "host/host_services.h"
#include "host/kes_gramdesc.h"
#include "host/step_codes.h"
#include "records/kes_ctx.h"
#include "records/pool_alloc.h"
#include "stats/kesgout.h"

namespace {

constexpr int kNodeSize = 28;        // a value node
constexpr int kWeightRecSize = 24;   // its weight record with a WEIGHT variable
constexpr int kDataSetUsable = 23;   // information item: the data set is open and usable

// Zero-filled run-pool memory; see kes_zalloc.
void* take(kes_ctx* ctx, long size, bool* failed) { return kes_zalloc(ctx->runpool, size, KES_ALLOC_2, failed); }

}  // namespace

int kesinit(kes_ctx* ctx) {
  kes_gramdesc* desc = kesg();
  xsparse(desc, nullptr);
  const host_parsestat* st = xspstat();
  if (st != nullptr && st->errword != 0) {
    gpspnot();
    return xexit(st->errword, 0);
  }
  ctx->proc = st != nullptr ? st->first : nullptr;
  ctx->rc = 0;

  int r = kesgopt(ctx);
  if (r != 0) return r;
  std::memset(ctx->startup_words, 0, sizeof ctx->startup_words);

  // Value-node chunks of the per-variable pools.
  bool failed = false;
  const long nv = ctx->nvars;
  ctx->chunk_size = KES_NODE_CHUNK;
  ctx->node_chunk = static_cast<void**>(take(ctx, nv * static_cast<long>(sizeof(void*)), &failed));
  ctx->weight_chunk = static_cast<void**>(take(ctx, nv * static_cast<long>(sizeof(void*)), &failed));
  ctx->nodes_used = static_cast<int*>(take(ctx, nv * static_cast<long>(sizeof(int)), &failed));
  if (failed) return KES_RC_OUT_OF_MEMORY;
  const int node_size = kNodeSize + (ctx->weight_given ? kWeightRecSize : 0);
  ctx->nodes_per_chunk = KES_NODE_CHUNK / node_size - 2;

  r = kesgset(ctx);
  if (r != 0) return r;
  if (ctx->varget != nullptr) xvgete(ctx->varget);
  r = kesstmt(ctx);
  if (r != 0) return r;
  kesunbuilt(ctx);
  r = kesgout(ctx);
  if (r != 0) return r;
  keszset(ctx);

  // The input data set must be open and usable.
  int usable = ctx->data != nullptr ? xoinfo(ctx->data, kDataSetUsable, nullptr) : 0;
  return usable == 1 ? 0 : 1;
}
