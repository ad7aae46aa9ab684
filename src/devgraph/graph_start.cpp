// The graphics start-up steps of the plot statement pass: whether the run has a
// destination for graphs, whether the output manager draws template graphs, and the
// graph control block of device graphics.
#include "devgraph/dest_calls.h"
#include "devgraph/device_services.h"
#include "devgraph/graph_start.h"
#include "host/host_services.h"
#include "host/step_codes.h"
#include "kes_msg_names.h"
#include "records/kes_ctx.h"

namespace {
// 1 when the output manager has an open destination for graphs.
int has_destination(kes_ctx* ctx) {
  wob_attr a = wob_ptr(WOB_A_DEST_LIST, WOB_RECORD, nullptr);
  if (ctx->objs.manager == nullptr || kes_dest_call(ctx->objs.manager, WOB_M_DEST_LIST, 1, &a) < 0) return 0;
  const auto* list = static_cast<const host_destlist*>(a.w.p);
  const int n = list != nullptr ? list->count : 0;
  if (list != nullptr) kes_dest_call(ctx->objs.manager, WOB_M_DEST_RELEASE, 1, &a);
  return n > 0;
}

// 1 when the output manager draws template graphs (attribute 1334 read back).
int template_graphics(kes_ctx* ctx) {
  wob_attr a = wob_head(WOB_A_TEMPLATE_GRAPHS, WOB_LAST);
  if (ctx->objs.manager == nullptr || wobgetattr(ctx->objs.manager, 1, &a) < 0) return 0;
  return a.last.i != 0;
}

// The graph control block and the device registry of device graphics.
int start_device(kes_ctx* ctx) {
  if (wiinstl(0x40000 + 120, "QORXGSUP", 1) != 0 || ggcbini(&ctx->gcb, 2) != 0) {
    xpmlog(KES_SET_GRAPH, KES_MSG_DEVICE_NOT_STARTED);
    ggcbex(&ctx->gcb, 2);
    return KES_RC_SETUP_FAILED;
  }
  ggdinit();
  void* slot = nullptr;
  if (xytngl(ctx->gcb, 0, "__GCB_GRAPH", 11, &slot) != 0 && ggzread(ctx->gcb) != 0) {
    xpmlog(KES_SET_GRAPH, KES_MSG_DEVICE_NOT_STARTED);
    ggcbex(&ctx->gcb, 2);
    return KES_RC_SETUP_FAILED;
  }
  return 0;
}

}  // namespace

const kes_graphics_startup kes_graphics_routines = {has_destination, template_graphics, zqidest, ggsload, zqdfree,
                                                    start_device};
