// kes_axis_value_text: the text of one tick value, in the order of precedence of
// the axis texts: definition texts per tick, explicit texts, the variable's format,
// the short axis form.
#include "devgraph/axis_value.h"

#include <cstring>

#include "devgraph/chart_access.h"
#include "devgraph/gdev.h"
#include "devgraph/pctl_ticks.h"
#include "devgraph/tick_text.h"
#include "host/host_services.h"
#include "records/kes_axis.h"
#include "records/kes_curve.h"

namespace {

void take_piece(const host_gtext& p, kes_gtext* t) {
  if (p.font_given && p.font[0] != ' ') std::memcpy(t->font, p.font, 8);
  if (p.height_given && p.height > 0) t->height = p.height;
  t->colour = p.colnum;
  t->text = p.text;
  t->len = p.text != nullptr ? p.length : 0;
}

// Whether the values are written in the variable's format (its name record into info).
bool variable_format(kes_ctx* ctx, bool use_format, host_varinfo* info) {
  const kes_preq* r = ctx->curreq;
  const bool log_axis = (r->type == KES_PLOT_QQ || r->type == KES_PLOT_PROB) && r->dist == KES_DIST_WEIBULL2;
  return use_format && !log_axis &&
         xvname(ctx->data, ctx->varnums != nullptr ? ctx->varnums[ctx->curvar] : ctx->curvar, info) == 0 &&
         kes_has_format(*info);
}

}  // namespace

bool kes_tick_head(const kes_axis& ax, const kes_textline* line) {
  for (int j = 0; ax.tick_texts != nullptr && j < ax.max_tick; ++j)
    if (ax.tick_texts[j] == line) return true;
  return false;
}

void kes_axis_value_text(kes_ctx* ctx, const kes_axis& ax, int i, double v, bool use_format,
                         const kes_tick_style& style, kes_gtext* t, char* buf) {
  const kes_chart* c = kes_chart_of(ctx);
  const host_gtext* d = ax.value_default;
  std::memcpy(t->font, d != nullptr && d->font[0] != ' ' ? d->font : c->valfont, 8);
  t->height = c->text_h;
  t->colour = d != nullptr ? d->colnum : c->colors.text;
  if (ax.tick_texts != nullptr && i < ax.max_tick && ax.tick_texts[i] != nullptr) {
    // The pieces of the tick's text follow one another; the last one is drawn. The
    // tick's lines end where the next tick's text begins.
    for (const kes_textline* l = ax.tick_texts[i]; l != nullptr; l = l->next) {
      if (l != ax.tick_texts[i] && kes_tick_head(ax, l)) break;
      for (const host_gtext* p = l->first; p != nullptr; p = p->next) take_piece(*p, t);
    }
    return;
  }
  if (ax.seq_texts != nullptr && i < ax.nseq && ax.seq_texts[i] != nullptr) {
    take_piece(*ax.seq_texts[i], t);
    return;
  }
  if (const int n = kes_pctlscale_text(ctx, ax, v, buf); n >= 0) {
    t->len = n;
    t->text = buf;
    return;
  }
  host_varinfo info{};
  const bool fmt = variable_format(ctx, use_format, &info);
  t->len = kes_tick_text(v, fmt ? &info : nullptr, style, kes_zcompress(ctx), buf);
  t->text = buf;
}
