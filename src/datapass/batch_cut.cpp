// kes_cut_batch (batch_cut.h): its own file, so that the value makers the data pass
// calls need not call back into the pass.
#include "datapass/batch_cut.h"

#include "datapass/gathered_values.h"
#include "host/host_services.h"
#include "records/kes_ctx.h"
#include "records/pool_alloc.h"

bool kes_cut_batch(kes_ctx* ctx) {
  if (ctx->batch_n <= 1) return false;
  const int last = ctx->batch_first + ctx->batch_n - 1;
  if (ctx->varpools[last] != nullptr) {
    xmpoold(ctx->varpools[last]);
    ctx->varpools[last] = nullptr;
  }
  kes_dp(ctx)->spare[last] = nullptr;
  kes_forget_gathered(ctx, last);
  --ctx->batch_n;
  return true;
}
