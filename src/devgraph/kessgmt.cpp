// kessgmt(ctx, segment) -> int: opens the graphics segment of one page of the current
// request, with its name, description, label and BY line.
#include <cstring>

#include "devgraph/device_services.h"
#include "host/host_services.h"
#include "kes_gram_names.h"
#include "kes_msg_names.h"
#include "records/kes_ctx.h"
#include "records/kes_layout.h"
#include "records/kessubs.h"
#include "records/stmt_slots.h"

namespace {

constexpr int kDescrSize = 256;

// Default descriptions and labels by plot type (1 QQ, 2 histogram, 3 CDF, 4
// probability, 5 PP): with the BY line, without it, the label.
struct defaults {
  int with_by;
  int without_by;
  int label;
};
constexpr defaults kDefaults[6] = {
    {0, 0, 0},
    {KES_MSG_SEGMENT_QQ_OF_VAR_BY, KES_MSG_QQ_PLOT_OF_VAR, KES_MSG_SEGMENT_QQ_PLOT},
    {KES_MSG_SEGMENT_HISTOGRAM_OF_VAR_BY, KES_MSG_HISTOGRAM_OF_VAR, KES_MSG_SEGMENT_HISTOGRAM},
    {KES_MSG_SEGMENT_CDF_OF_VAR_BY, KES_MSG_CDF_PLOT_OF_VAR, KES_MSG_SEGMENT_CDF_PLOT},
    {KES_MSG_SEGMENT_PROB_OF_VAR_BY, KES_MSG_PROBABILITY_PLOT_OF_VAR, KES_MSG_SEGMENT_PROB_PLOT},
    {KES_MSG_SEGMENT_PP_OF_VAR_BY, KES_MSG_PP_PLOT_OF_VAR, KES_MSG_SEGMENT_PP_PLOT}};

}  // namespace

int kes_request_ordinal(const kes_ctx* ctx) {
  int k = 1;
  for (const kes_preq* q = ctx->preqs; q != nullptr && q < ctx->curreq; ++q) k += q->type == ctx->curreq->type;
  return k;
}

int kessgmt(kes_ctx* ctx, host_gsegid* segment) {
  kes_preq* r = ctx->curreq;
  kes_layout* layout = r->layout;
  const kes_stmt* st = r->stmt;
  // The segment name: NAME= (its first 8 characters; the whole text as a long name
  // when it is longer), else the default name.
  char name[8];
  std::memset(name, ' ', sizeof name);
  host_glongname longname{0, nullptr};
  int named = 0;
  const kes_optslot* ns = kes_pslot(st, KES_PLOT_SLOT_NAME);
  if (ns->given && ns->list != nullptr && ns->v.count > 0) {
    const int n = ns->v.count;
    std::memcpy(name, ns->list, static_cast<std::size_t>(n < 8 ? n : 8));
    if (n > 8) longname = {static_cast<std::int16_t>(n), static_cast<const char*>(ns->list)};
    named = 1;
  } else {
    xpmstr(name, 8, KES_SET_PROC, KES_MSG_KESTRA);
  }
  layout->segname = vemtxt(name, 8);

  // The description: DESCRIPTION= with "#VARNAME" replaced, else the default by plot
  // type with the variable's name (and the BY line when there is one).
  char descr[kDescrSize];
  std::memset(descr, ' ', sizeof descr);
  const int type = r->type >= 1 && r->type <= 5 ? r->type : 2;
  const kes_name32& var = ctx->curname;
  const kes_optslot* ds = kes_pslot(st, KES_PLOT_SLOT_DESCRIPTION);
  void* label;
  if (ds->given && ds->list != nullptr && ds->v.count > 0) {
    int len = ds->v.count < kDescrSize ? ds->v.count : kDescrSize;
    std::memcpy(descr, ds->list, static_cast<std::size_t>(len));
    kessubs(ctx, descr, &len);
    // What the substitution moved leaves nothing behind the text.
    std::memset(descr + len, ' ', static_cast<std::size_t>(kDescrSize - len));
    label = vemtxt(descr, len);
  } else {
    if (ctx->bylen > 0)
      xpmstr(descr, kDescrSize, KES_SET_LABEL, kDefaults[type].with_by, static_cast<int>(var.len), var.text, ctx->bylen,
             ctx->byline);
    else xpmstr(descr, kDescrSize, KES_SET_PLOT, kDefaults[type].without_by, static_cast<int>(var.len), var.text);
    label = vemmsgs(KES_SET_PLOT, kDefaults[type].label, kes_request_ordinal(ctx));
  }
  ctx->seglabel = label;
  layout->seglabel = label;

  int number = 0;
  if (ggoseg(0, kDescrSize, ctx->devcatalog, &number, segment, name, &longname, descr, 1, named, 0, ctx->byline,
             ctx->bylen) != 0)
    return 1;
  ggsel(0, number);
  gdevice* dev = ctx->device;
  if (dev != nullptr && dev->opts != nullptr && dev->opts->style != 0) {
    unsigned char gradient[64] = {};
    int colours[2] = {0, 0}, flag = 0;
    if (gvemgrad(dev, "GraphBackground", 15, gradient, colours, &flag) != 0) gdrwgrad(0, gradient, 0, 0, 100, 100);
  }
  // A background image: drawn over the page, unless it is to be tiled, which the
  // device cannot do (said once).
  if (dev != nullptr && dev->image != nullptr) {
    if ((dev->image_flags & 0x40) != 0) {
      if ((dev->image_flags & 0x20) == 0) {
        xpmlog(KES_SET_DEVICE_IMAGE, KES_MSG_BACKGROUND_IMAGE_NOT_TILED);
        dev->image_flags = static_cast<std::uint8_t>(dev->image_flags | 0x20);
      }
    } else {
      const double area[4] = {0, 0, 100, 100};
      ggbimg(0, ctx->devcatalog, dev->image, 0, area);
    }
  }
  layout->segid = *segment;
  return 0;
}
