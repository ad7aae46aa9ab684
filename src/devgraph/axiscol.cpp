// axiscol(ctx, axis, colour): the colour number of every text record of an axis:
// its label pieces, its definition and explicit value texts and its default records.
// A record's own colour name wins; a blank one takes the given colour when the axis
// definition names a colour, else the page's label or value text colour.
#include "devgraph/chart_access.h"
#include "devgraph/chart_layout.h"
#include "devgraph/gdev.h"
#include "records/kes_axis.h"

namespace {

void colour_record(kes_ctx* ctx, host_gtext* t, int fallback) {
  if (t == nullptr) return;
  t->colnum = kes_gblank(t->color) ? fallback : gd_colour(ctx, t->color);
}

void colour_lines(kes_ctx* ctx, kes_textline* l, int fallback) {
  for (; l != nullptr; l = l->next)
    for (host_gtext* p = l->first; p != nullptr; p = p->next) colour_record(ctx, p, fallback);
}

}  // namespace

void axiscol(kes_ctx* ctx, kes_axis* ax, int colour) {
  const kes_colorset& k = kes_chart_of(ctx)->colors;
  const bool own = !kes_gblank(ax->color);
  const int label = own ? colour : k.label;
  const int value = own ? colour : k.text;
  colour_lines(ctx, ax->label_lines, label);
  if (ax->tick_texts != nullptr)
    for (int i = 0; i < ax->max_tick; ++i) colour_lines(ctx, ax->tick_texts[i], value);
  if (ax->seq_texts != nullptr)
    for (int i = 0; i < ax->nseq; ++i) colour_record(ctx, ax->seq_texts[i], value);
  colour_record(ctx, ax->value_default, value);
  colour_record(ctx, ax->label_default, label);
}
