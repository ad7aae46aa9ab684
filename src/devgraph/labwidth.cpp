// labwidth(ctx, info, format, value, i) -> the measured length of horizontal tick
// value number i: its explicit text from the axis definition when it has one, else
// the value in the variable's format, as a percent, or in the axis' short form.
#include <cstring>

#include "devgraph/chart_access.h"
#include "devgraph/chart_layout.h"
#include "devgraph/gdev.h"
#include "devgraph/pctl_ticks.h"
#include "devgraph/tick_text.h"
#include "records/kes_axis.h"

double labwidth(kes_ctx* ctx, const host_varinfo* info, int format, double value, int i) {
  kes_layout* lay = kes_glayout(ctx);
  const kes_chart* c = &lay->c;
  const kes_axis& ax = lay->haxis;
  kes_gtext t{};
  std::memcpy(t.font, c->valfont, 8);
  t.height = c->text_h;
  t.align = 1;
  char buf[KES_TICK_TEXT];
  if (i < ax.nseq && ax.seq_texts != nullptr) {
    const host_gtext* e = ax.seq_texts[i];
    if (e == nullptr) return 0;
    if (e->font_given && e->font[0] != ' ') std::memcpy(t.font, e->font, 8);
    if (e->height_given && e->height > 0) t.height = e->height;
    t.text = e->text;
    t.len = e->text != nullptr ? e->length : 0;
  } else {
    const kes_preq* r = ctx->curreq;
    // Percents on an unrotated probability plot, the fitted percents of PCTLSCALE, or
    // the value itself.
    t.len = -1;
    if (!format && r->type == KES_PLOT_PROB && !r->rotate) t.len = kes_pctl_text(value, buf);
    if (!format && t.len < 0) t.len = kes_pctlscale_text(ctx, ax, value, buf);
    if (t.len < 0) t.len = kes_tick_text(value, format ? info : nullptr, c->hstyle, 0, buf);
    t.text = buf;
  }
  return gd_measure(ctx, &t, nullptr);
}
