// kesgano: the annotate data sets of a plot request (ANNOTATE= of the plot statement,
// then of the PROC statement) drawn on one cell of a device graph: the cell's
// coordinate systems are described to the host's annotate service, which reads and
// draws the observations. On probability plots kespano first converts the percents
// given in data units on the percent axis to the axis' quantile scale.
#include <cstring>

#include "devgraph/annotate.h"
#include "host/host_graph.h"
#include "host/host_services.h"
#include "kes_gram_names.h"
#include "kes_msg_names.h"
#include "records/kes_cell.h"
#include "records/kes_ctx.h"
#include "records/kes_layout.h"
#include "records/kes_plotslot.h"
#include "records/stmt_slots.h"

namespace {

kes_plotslot* key_slot(kes_ctx* ctx, const kes_preq* rq) {
  const kes_classvars* cv = rq->classvars;
  return kes_plot_slot(ctx, rq, cv != nullptr ? cv->keycell : nullptr);
}

}  // namespace

void kes_annotate_axes(kes_ctx* ctx, const kes_preq* rq, kes_annotate_frame* f) {
  std::memset(f, 0, sizeof *f);
  const kes_layout* lay = rq->layout;
  if (lay == nullptr) return;
  const kes_chart& c = lay->c;
  auto off = [](double x) { return x > 0 ? x : 0.0; };
  const double hb = off(lay->haxis.offset[0]), ha = off(lay->haxis.offset[1]);
  const double vb = off(lay->vaxis.offset[0]), va = off(lay->vaxis.offset[1]);
  const kes_plotslot* key = key_slot(ctx, rq);
  f->hrange[0] = c.xmin, f->hrange[1] = c.xmax;
  f->vrange[0] = key != nullptr ? key->vmin : 0, f->vrange[1] = key != nullptr ? key->vmax : 0;
  host_annoaxis* axes[2] = {&f->h, &f->v};
  for (int i = 0; i < 2; ++i) {
    host_annoaxis& a = *axes[i];
    a.start = c.ox - hb;
    a.start_other = c.oy - vb;
    a.before = i == 0 ? hb : vb;
    a.after = i == 0 ? ha : va;
    a.length = i == 0 ? hb + ha + c.width : vb + va + c.height;
    a.dmin = i == 0 ? f->hrange[0] : f->vrange[0];
    a.dmax = i == 0 ? f->hrange[1] : f->vrange[1];
    a.angle = i == 0 ? 0.0 : 90.0;
    a.scale = i == 0 ? lay->xscale : lay->yscale;
    a.offset = i == 0 ? lay->xoffset : lay->yoffset;
    a.one = 1, a.two = 2;
    a.range = i == 0 ? f->hrange : f->vrange;
    a.kind = 'F';
  }
  f->req.sixty = 60;
  f->req.segment = lay->segment;
  f->req.catalog = lay->catalog;
  f->req.page_area = lay->page_area;
  f->req.haxis = &f->h;
  f->req.vaxis = &f->v;
}

int kes_annotate_draw(host_annoreq* req) {
  if (ganotat(req) == 0) return 0;
  // A data set that cannot be read or drawn is said so, never passed over in silence.
  xpmlog(KES_SET_LABEL, KES_MSG_ANNOTATE_NOT_DRAWN);
  return 1;
}

void kesgano(kes_ctx* ctx, kes_preq* rq, kes_cell* cell) {
  const kes_classvars* cv = rq->classvars;
  if (kes_flag(rq->stmt, KES_PLOT_FLAG_ANNOKEY) && cv != nullptr && cell != cv->keycell) return;
  kes_annotate_frame f;
  kes_annotate_axes(ctx, rq, &f);
  const bool prob = rq->type == KES_PLOT_PROB;
  const kes_optslot* own = kes_pslot(rq->stmt, KES_PLOT_SLOT_ANNOTATE);
  if (own->given && own->v.handle != nullptr) {
    auto* ds = static_cast<kes_dsh>(own->v.handle);
    if (prob) {
      kespano(ctx, rq, cell, ds, &f.req, 1);
    } else {
      f.req.data = ctx->data;
      f.req.annotate = ds;
      kes_annotate_draw(&f.req);
    }
  }
  if (ctx->annotate != nullptr) {
    if (prob) {
      kespano(ctx, rq, cell, ctx->annotate, &f.req, 2);
    } else {
      f.req.data = nullptr;
      f.req.annotate = ctx->annotate;
      kes_annotate_draw(&f.req);
    }
  }
}
