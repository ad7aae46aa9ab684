// The one way out of a step, for success and failure alike.
#include "driver/step_run.h"
#include "host/host_services.h"
#include "host/step_codes.h"
#include "kes_msg_names.h"
#include "records/kes_ctx.h"
#include "records/kes_stages.h"
#include "util/kes_minmax.h"

void kes_drop_var_pools(kes_ctx* ctx, int from, int to) {
  if (ctx->varpools == nullptr) return;
  for (int v = from; v < to; ++v) {
    if (ctx->varpools[v] != nullptr) {
      xmpoold(ctx->varpools[v]);
      ctx->varpools[v] = nullptr;
    }
  }
}

void kes_drop_bygroup_pool(kes_ctx* ctx) {
  if (ctx->bypool != nullptr) {
    xmpoold(ctx->bypool);
    ctx->bypool = nullptr;
  }
}

int kes_exit_path(kes_run& run) {
  kes_ctx* ctx = run.ctx;
  // Pools a failing stage left behind go now; none of them may outlive the step.
  kes_drop_var_pools(ctx, 0, ctx->nvars);
  kes_drop_bygroup_pool(ctx);
  if (ctx->devstarted) {
    ctx->stages->gpspnot();
    if (ggstop() != 0) {
      xpmlog(KES_SET_DEVICE, KES_MSG_DEVICE_NOT_STOPPED);
      ctx->rc = kes::max(ctx->rc, KES_RC_STEP_FAILED);
    }
  }
  return xexit(ctx->rc, 0);
}
