// kesgini(ctx) -> int: starts the device for the current destination of the current
// request's chart: the options record from the destination, the device, its catalog
// entry, the BY-line heading and the page area left for the chart. 0; 20001 the
// destination is skipped (a second "DOCUMENT"); 1012 the device could not be started
// or its catalog entry was refused (after a message).
#include <cmath>
#include <cstring>

#include "devgraph/dest_calls.h"
#include "devgraph/device_services.h"
#include "host/host_services.h"
#include "host/step_codes.h"
#include "kes_msg_names.h"
#include "records/kes_ctx.h"
#include "records/kes_layout.h"

namespace {

void set_entry(kes_layout* layout, const char* name, int len) {
  if (len > 32) len = 32;
  std::memset(layout->entry, ' ', sizeof layout->entry);
  std::memcpy(layout->entry, name, static_cast<std::size_t>(len));
  layout->entry_len = static_cast<std::int16_t>(len);
}

}  // namespace

// Keeps a gap of one character cell from the page's edges: the left and right edges
// of the graphics area, and the bottom; a page area below titles keeps its top, one
// that reaches the top of the area gets no gap there (the titles are above it).
void kes_page_gaps(double* area, double h, double v) {
  if (area[0] == 0) area[0] += h;
  if (area[2] == 100) area[2] -= h;
  if (area[3] == 100) {
    area[1] += v;
  } else {
    area[3] -= v;
    area[1] += v;
  }
}

int kesgini(kes_ctx* ctx) {
  kes_layout* layout = ctx->curreq->layout;
  host_dest* dest = layout->destlist->entries[layout->destindex].dest;
  layout->destname = vemtxt(dest->name, dest->name_len);
  if (layout->direct) {
    set_entry(layout, "GSEG", 4);
  } else {
    kes_dest_upcase(dest->name, dest->name_len);
    if (layout->destindex > 0 && dest->name_len == 8 && std::memcmp(dest->name, "DOCUMENT", 8) == 0) return KES_DEST_SKIPPED;
    if (!layout->catalog_given) {
      if (layout->destindex == 0) set_entry(layout, "GSEG", 4);
      else set_entry(layout, dest->name, dest->name_len);
    }
    kes_dest_options(layout->gopts, dest);
    layout->gopts->flags = static_cast<std::uint8_t>(layout->gopts->flags & ~GOPT_PUBLISH);
  }
  if (ggsload(layout->gopts, 0, 0) != 0) {
    xpmlog(KES_SET_PLOT, KES_MSG_GRAPHICS_DEVICE_NEEDS_DRIVER);
    ctx->devgraph = 0;
    return KES_RC_SETUP_FAILED;
  }
  layout->publish_started = (layout->gopts->flags & GOPT_PUBLISH) != 0;
  ctx->device = ggxget(ctx->gcb);
  if (ctx->device == nullptr ||
      ggadcat(0, layout->library, layout->entry_len << 16 | layout->entry_len, layout->entry, &ctx->devcatalog, 4, 1) !=
          0) {
    xpmlog(KES_SET_GRAPH, KES_MSG_CATALOG_ENTRY_NOT_MADE, static_cast<int>(layout->entry_len), layout->entry);
    return xexit(KES_RC_SETUP_FAILED, 0);
  }
  ctx->devstarted = 1;
  ctx->device->data = ctx->data;
  ctx->byline = nullptr;
  ctx->bylen = 0;
  if (ctx->nbyvars > 0) ctx->bylen = xbyline(ctx->data, &ctx->byline);
  ggphdrl(0, ctx->page_area, ctx->bylen, ctx->byline);
  kes_page_gaps(ctx->page_area, ctx->device->cell_w, ctx->device->cell_h);
  return 0;
}
