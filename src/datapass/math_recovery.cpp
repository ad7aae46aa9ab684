// What follows a failed guarded computation of the data pass.
#include "datapass/math_recovery.h"

#include "datapass/group_wording.h"
#include "host/host_services.h"
#include "host/step_codes.h"
#include "kes_msg_names.h"
#include "records/kes_ctx.h"
#include "util/kes_minmax.h"

namespace {
}

int kes_stage_overflow_code(int stage) {
  switch (stage) {
    case KES_STAGE_SUMWGT: return 4;
    case KES_STAGE_WX:
    case KES_STAGE_SUM: return 3;
    case KES_STAGE_DEV:
    case KES_STAGE_CSS: return 2;
    case KES_STAGE_USS: return 1;
    default: return 0;
  }
}

int kes_stage_abort(kes_ctx* ctx, int stage) {
  switch (stage) {
    case KES_STAGE_PASS_TOTAL:
      xpmlog(KES_SET_PROC, KES_MSG_FREQ_TOTAL_TOO_LARGE);
      ctx->rc = kes::max(ctx->rc, KES_RC_VALUE_NOTE);
      break;
    default:
      xpmlog(KES_SET_PROC,
             kes_group_message(ctx, KES_MSG_MATH_EXCEPTION_IN_BY_GROUP, KES_MSG_MATH_EXCEPTION_IN_DATA_SET));
      ctx->rc = kes::max(ctx->rc, KES_RC_NOT_COMPUTED);
      break;
  }
  return 1;
}
