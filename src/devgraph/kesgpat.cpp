// kesgpat(ctx): the three bar fill slots of a histogram: the host's pattern
// definitions, then CFILL= and PFILL=.
#include <cstring>

#include "devgraph/chart_access.h"
#include "devgraph/chart_layout.h"
#include "devgraph/gdev.h"
#include "kes_gram_names.h"

namespace {

void word(char* out, const char* w) {
  std::memset(out, ' ', 8);
  std::memcpy(out, w, std::strlen(w));
}

}  // namespace

void kesgpat(kes_ctx* ctx) {
  kes_preq* r = ctx->curreq;
  kes_chart* c = kes_chart_of(ctx);
  const kes_stmt* st = r->stmt;
  const bool filled_curve = r->ncurves > 0 && r->curve_fill != 0;
  std::memset(c->fill, 0, sizeof c->fill);
  for (auto& f : c->fill) std::memset(f.pattern, ' ', 8), std::memset(f.color, ' ', 8);
  const int n = gd_patterns(ctx, c->fill, filled_curve ? 'M' : 'C');
  if (n == 3) {
    for (auto& f : c->fill) {
      if (filled_curve) {
        word(f.pattern, "S");
      } else if (!c->style) {
        word(f.pattern, "E");
        std::memcpy(f.color, c->symattr != nullptr ? c->symattr[0].color : "        ", 8);
      }
    }
  }
  char col[3][8], pat[3][8];
  for (int i = 0; i < 3; ++i) {
    kes_gname_opt(st, KES_PLOT_SLOT_CFILL, col[i]);
    kes_gname_opt(st, KES_PLOT_SLOT_PFILL, pat[i]);
  }
  if (c->style && n >= 3 && kes_gblank(col[0])) {
    char name[8];
    std::memset(name, ' ', 8);
    if (gd_style_colour(ctx, "GraphDataDefault", name)) std::memcpy(col[0], name, 8);
    if (!r->curve_fill)
      for (int i = 1; i < 3; ++i)
        if (kes_gblank(col[i])) std::memcpy(col[i], col[0], 8);
  }
  for (int i = 0; i < 3; ++i) {
    kes_fillslot& f = c->fill[i];
    if (!kes_gblank(pat[i])) std::memcpy(f.pattern, pat[i], 8);
    if (kes_gblank(col[i])) continue;
    if (kes_gname_is(col[i], "EMPTY")) {
      word(f.pattern, "E");
      std::memset(f.color, ' ', 8);
      continue;
    }
    std::memcpy(f.color, col[i], 8);
    // A colour for bars that the host left without a pattern makes them solid.
    if (i >= 3 - n && kes_gblank(pat[i])) word(f.pattern, "S");
  }
}
