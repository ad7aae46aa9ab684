// kes_chart_pending(ctx) -> int: the device chart of a request until its drawing is
// written: for every destination the device is started and one page is opened with
// its titles and BY line, closed and handed on, so that the graph files, their names
// and the listing's and log's lines are those of the finished charts. The log says
// once per request that the chart itself is not drawn yet.
#include <cstring>

#include "devgraph/device_services.h"
#include "host/host_services.h"
#include "kes_msg_names.h"
#include "records/kes_ctx.h"
#include "records/kes_layout.h"

namespace {
constexpr int kSkipped = 20001;
}  // namespace

// One page: opened, headed, closed; a page that cannot be closed is not published.
int kes_device_page(kes_ctx* ctx, kes_layout* layout) {
  if (kessgmt(ctx, &layout->segment) != 0) return 1012;
  ggphdr(0, ctx->byline, ctx->bylen);
  void* closed = nullptr;
  if (ggcseg(0, &closed, 0) == 1) {
    char name[8];
    vemtget(layout->segname, name, 8);
    xpmlog(KES_SET_DEVICE, KES_MSG_GRAPH_COULD_NOT_CLOSED, 8, name);
    return 0;
  }
  ggplvem(closed, ctx->seglabel);
  return layout->direct ? 0 : zqsgmt(layout);
}

int kes_chart_pending(kes_ctx* ctx) {
  kes_preq* r = ctx->curreq;
  kes_layout* layout = r->layout;
  if (layout == nullptr) return 0;
  if (r->total != nullptr && r->total[ctx->curvar] == 0) return 0;
  layout->manager = ctx->objs.manager;
  layout->root = ctx->objs.root;
  int s = zqidest(layout);
  if (s != 0) return s;
  std::memset(layout->library, ' ', sizeof layout->library);
  layout->catalog_given = 0;
  for (layout->destindex = 0; layout->destindex < layout->destlist->count; ++layout->destindex) {
    s = kesgini(ctx);
    if (s == kSkipped) continue;
    if (s == 0) {
      layout->page_area = ctx->page_area;
      layout->page_number = 1;
      s = kes_device_page(ctx, layout);
    }
    if (s != 0) {
      zqdfree(layout);
      return s;
    }
    if (layout->direct) break;
    if (layout->destindex + 1 < layout->destlist->count) {
      layout->gopts = ggznew(ctx->gcb);
      layout->gopts->initialised = 1;
    }
  }
  if (!layout->direct && !layout->publish_started) s = zqpdest(layout);
  const int f = zqdfree(layout);
  if (!r->graph_noted) {
    xpmlog(KES_SET_LABEL, KES_MSG_HISTOGRAM_STATEMENT_CHART_ITSELF, kes_request_ordinal(ctx));
    r->graph_noted = 1;
  }
  return s != 0 ? s : f != 0 ? 1012 : 0;
}
