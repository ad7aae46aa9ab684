// kesghlb(ctx): the horizontal axis label of the page, centred under the columns of
// cells: the axis definition's LABEL lines, else the variable's label, which gives
// way to the name and then shrinks when it is longer than the axes it spans.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "devgraph/chart_access.h"
#include "devgraph/chart_layout.h"
#include "devgraph/chart_texts.h"
#include "devgraph/gdev.h"
#include "plotdata/kes_axislabels.h"
#include "host/host_services.h"
#include "kes_gram_names.h"
#include "kes_msg_names.h"
#include "records/kes_axis.h"

void kesghlb(kes_ctx* ctx) {
  kes_preq* r = ctx->curreq;
  kes_layout* lay = r->layout;
  kes_chart* c = &lay->c;
  const kes_axis& ax = lay->haxis;
  const int cols = c->pcol > 0 ? c->pcol : 1;
  const double span = (cols - 1) * c->hcellgap + cols * (ax.offset[0] + c->width + ax.offset[1]);
  const double left = c->anchors[0];
  const double pitch = c->vcellgap + lay->vaxis.offset[0] + c->height + lay->vaxis.offset[1];
  double y = c->prow * pitch + c->anchors[3] -
             (ax.major_len + c->vgap_tv + c->value_h + c->vtick_unit + c->label_h);
  if (c->celldev) y = gd_cell(ctx, y, 2, 0);
  kes_gtext t = kes_label_text(c, ax);

  if (ax.label_text && ax.label_lines != nullptr) {
    // The definition's lines, each justified on its own, one under the other.
    for (const kes_textline* l = ax.label_lines; l != nullptr; l = l->next) {
      double width = 0, height = 0;
      for (const host_gtext* p = l->first; p != nullptr; p = p->next) {
        kes_gtext q = t;
        if (p->font_given && p->font[0] != ' ') std::memcpy(q.font, p->font, 8);
        if (p->height_given && p->height > 0) q.height = p->height;
        q.text = p->text, q.len = p->text != nullptr ? p->length : 0;
        width += gd_measure(ctx, &q, nullptr);
        height = std::max(height, q.height);
      }
      double x = l->just == 1 ? left : l->just == 2 ? left + span - width : left + (span - width) / 2;
      for (const host_gtext* p = l->first; p != nullptr; p = p->next) {
        kes_gtext q = t;
        if (p->font_given && p->font[0] != ' ') std::memcpy(q.font, p->font, 8);
        if (p->height_given && p->height > 0) q.height = p->height;
        q.colour = p->colnum;
        q.text = p->text, q.len = p->text != nullptr ? p->length : 0;
        q.align = 1, q.x = x, q.y = y;
        x += gd_measure(ctx, &q, nullptr);
        gd_text(ctx, q);
      }
      y -= height + c->linegap;
    }
    return;
  }

  char buf[KES_LABEL_BUFFER];
  const bool rotate = kes_flag(r->stmt, KES_PLOT_FLAG_ROTATE);
  int (*const build)(kes_ctx*, char*) = rotate ? kesvlab : keshlab;
  t.len = build(ctx, buf);
  t.text = buf;
  double len = gd_measure(ctx, &t, nullptr);
  // Only a text that is the variable's label can give way to its name: a P-P plot's
  // fitted family, or the quantile axis of an unrotated QQ or probability plot, is not.
  const bool names_variable = r->type == KES_PLOT_HISTOGRAM || r->type == KES_PLOT_CDF ||
                              ((r->type == KES_PLOT_QQ || r->type == KES_PLOT_PROB) && rotate);
  if (len > span && names_variable && kes_label_by_name(ctx, c, build, buf, &t.len)) len = gd_measure(ctx, &t, nullptr);
  if (len > span && len > 0) {
    t.height *= span / len;
    if (!c->noted[KES_NOTE_HSHRINK]) {
      xpmlog(KES_SET_PROC, KES_MSG_HAXIS_LABEL_SCALED, static_cast<int>(std::lround(100 * span / len)));
      c->noted[KES_NOTE_HSHRINK] = 1;
    }
  }
  const int just = ax.label_lines != nullptr ? ax.label_lines->just : 4;
  t.align = just == 1 || just == 2 ? just : 4;
  t.x = just == 1 ? left : just == 2 ? left + span : left + span / 2;
  if (c->celldev) t.x = gd_cell(ctx, t.x, 1, 0);
  t.y = y;
  gd_text(ctx, t);
}
