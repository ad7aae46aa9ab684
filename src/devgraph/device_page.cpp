// The open and close of one device page: its segment with the titles and BY line,
// then its close, its line in the listing and the log, and its hand-on to the
// destinations. A page whose segment cannot be closed is reported and not handed on,
// so no destination lists a graph file that was never written.
#include "devgraph/device_services.h"
#include "host/host_services.h"
#include "host/step_codes.h"
#include "kes_msg_names.h"
#include "records/kes_ctx.h"
#include "records/kes_layout.h"

int kes_open_page(kes_ctx* ctx, kes_layout* layout) {
  if (kessgmt(ctx, &layout->segment) != 0) return KES_RC_SETUP_FAILED;
  ggphdr(0, ctx->byline, ctx->bylen);
  return 0;
}

int kes_close_page(kes_ctx* ctx, kes_layout* layout) {
  void* closed = nullptr;
  if (ggcseg(0, &closed, 0) == 1) {
    char name[8];
    vemtget(layout->segname, name, 8);
    xpmlog(KES_SET_DEVICE, KES_MSG_GRAPH_NOT_CLOSED, 8, name);
    return 0;
  }
  ggplvem(closed, ctx->seglabel);
  return layout->direct ? 0 : zqsgmt(layout);
}

int kes_device_page(kes_ctx* ctx, kes_layout* layout) {
  const int s = kes_open_page(ctx, layout);
  return s != 0 ? s : kes_close_page(ctx, layout);
}
