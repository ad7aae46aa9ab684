// The failure helpers of the step's stages (step_run.h): a file of their own, so that
// the stages need not call back into the entry that calls them.
#include "driver/step_run.h"
#include "host/host_services.h"
#include "records/kes_ctx.h"
#include "util/kes_minmax.h"

kes_flow kes_object_failure(kes_run& run, int result) {
  xprrlog(0, result);
  run.end_result = xexit(result, 0);
  return kes_flow::ended;
}

void kes_raise_for_failure(kes_ctx* ctx, int status) {
  ctx->rc = kes::max(ctx->rc, status > 0 ? status : 1);
}
