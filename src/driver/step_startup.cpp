// Start-up of the step after the root output object: the output manager, the
// heading, the statement parse and set-up (kesinit), the OUTTABLE data set and the
// descriptive table definitions.
#include "driver/step_run.h"
#include "host/host_services.h"
#include "kes_gram_names.h"
#include "kes_msg_names.h"
#include "records/kes_ctx.h"
#include "records/kes_stages.h"
#include "util/kes_minmax.h"

namespace {

// Message set of the procedure's own texts.
// PROC statement: DEBUG flag, OUTTABLE= slot.

}  // namespace

kes_flow kes_startup(kes_run& run) {
  kes_ctx* ctx = run.ctx;

  // The output manager under the root object.
  wob_attr mgr[5] = {
      wob_str(WOB_A_FAMILY, "vem", 3),      wob_str(WOB_A_CLASS, "manager", 7),         wob_out(WOB_A_HANDLE),
      wob_int(WOB_A_MESSAGE_SET, KES_SET_PROC), wob_last(WOB_A_STEP_NOPRINT, ctx->noprint),
  };
  int r = wobmth(ctx->objs.root, nullptr, WOB_M_CREATE, 5, mgr);
  if (r < 0) return kes_object_failure(run, r);
  ctx->objs.manager = mgr[2].w.p;

  // The first heading line. The leading record of a heading call carries nothing.
  wob_attr head[5] = {
      wob_attr{},
      wob_int(WOB_A_LINE_NUMBER, 1),
      wob_last(WOB_A_FIRST_LINE, 1),
      wob_int(WOB_A_MINUS_ONE, -1),
      wob_text(WOB_A_HEADING_TEXT, vemmsg(KES_SET_PROC, KES_MSG_KESTRAVINE_PROCEDURE)),
  };
  r = wobmth(ctx->objs.manager, nullptr, WOB_M_HEADING, 5, head);
  if (r < 0) return kes_object_failure(run, r);

  const kes_stages& stage = *ctx->stages;
  r = stage.kesinit(ctx);
  ctx->procid = 0;
  ctx->debug = ctx->proc != nullptr && kes_flag(ctx->proc, KES_PROC_FLAG_DEBUG);
  if (r != 0) {
    // kesinit has written its message; the step must not end as a success.
    kes_raise_for_failure(ctx, r);
    stage.gpspnot();
    run.end_result = xexit(ctx->rc, 0);
    return kes_flow::ended;
  }

  for (int v = 0; v < ctx->nvars; ++v) run.widest_name = kes::max(run.widest_name, ctx->varnames[v].len);

  if (ctx->proc != nullptr && ctx->proc->nslots > KES_PROC_SLOT_OUTTABLE &&
      ctx->proc->slots[KES_PROC_SLOT_OUTTABLE].given) {
    ctx->outtable_opt = static_cast<kes_dsh>(ctx->proc->slots[KES_PROC_SLOT_OUTTABLE].v.handle);
    ctx->outtable = stage.kesotab(ctx, 0);
    // Without a handle kesotab defined nothing: there is no OUTTABLE to end or write.
    if (ctx->outtable != nullptr) xvpute(ctx->outtable);
  }

  stage.kesxvem(ctx);

  if (!ctx->printed) {
    wob_attr none[1] = {wob_int(WOB_A_NOPRINT, 1)};
    r = wobmth(ctx->objs.manager, nullptr, WOB_M_NOPRINT, 1, none);
    if (r < 0) return kes_object_failure(run, r);
  }
  return kes_flow::go_on;
}
