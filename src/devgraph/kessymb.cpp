// kessymb(ctx) -> 0, or 1 when the table cannot be had: the line attributes of the
// request's curves (and the general entries the bars and points read): the host's
// symbol definitions, then per curve the family's COLOR=, W= and L= lists (the first
// curve entry of the other plots takes the family's single values).
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "devgraph/chart_access.h"
#include "devgraph/chart_layout.h"
#include "devgraph/gdev.h"
#include "host/host_services.h"
#include "plotdata/family_line.h"
#include "records/kes_curve.h"
#include "records/pool_alloc.h"

namespace {

constexpr int kGeneral = 3;     // general entries before the templates
constexpr int kFamilies = KES_DIST_SU + 1;  // template entries of the fitted families
constexpr int kLineTypes = 47;  // line types cycle through 0..46

// Element j of a list option, the last one repeating; false when the list is empty.
bool list_number(const kes_stmt* st, int slot, int j, double* out) {
  const int m = kes_pcount(st, slot);
  if (m <= 0) return false;
  *out = kes_pnumbers(st, slot)[j < m ? j : m - 1];
  return true;
}

}  // namespace

int kessymb(kes_ctx* ctx) {
  kes_preq* r = ctx->curreq;
  kes_chart* c = kes_chart_of(ctx);
  const kes_stmt* st = r->stmt;
  const bool hist = r->type == KES_PLOT_HISTOGRAM;
  const int ntemplates = hist ? r->nkernels + kFamilies + 1 : 0;
  const int n = kGeneral + r->ncurves + ntemplates + 1;
  // The table lives for the chart: the variable's pool, which the chart never outlives.
  host_pool* pool = ctx->varpools != nullptr && ctx->varpools[ctx->curvar] != nullptr ? ctx->varpools[ctx->curvar]
                                                                                       : ctx->runpool;
  bool failed = false;
  auto* t = static_cast<kes_symattr*>(kes_zalloc(pool, static_cast<long>(n) * sizeof(kes_symattr), KES_ALLOC_2, &failed));
  if (failed || t == nullptr) return 1;
  gd_symbols(ctx, n, t);
  c->symattr = t;
  c->nsymattr = n;
  c->curve_attr = t + kGeneral + ntemplates;
  if (!hist) {
    // The reference line of a QQ, probability or P-P plot stands apart from the points
    // as a solid line in the palette's second colour (its first is the curves'); the
    // family's COLOR= still wins where the line is drawn. A CDF plot's fitted curve
    // keeps the curve entry.
    kes_symattr* e = c->curve_attr;
    if (r->type != KES_PLOT_CDF) {
      *e = t[2];
      e->line_type = 1;
    }
    // The family's single COLOR=, W= and L= restyle that line (or curve).
    const kes_family_line f = kes_family_line_of(st, r->dist);
    if (f.color_given) std::memcpy(e->color, f.color, 8);
    if (f.width_given) e->line_width = static_cast<short>(f.width);
    if (f.type_given) e->line_type = static_cast<short>(f.type);
    return 0;
  }

  // The host's definitions after entry 0 run through the device's palette in order;
  // a family's template is the definition at its first curve's place in the request
  // (each kernel has its own), so that the first curve of every graph takes the
  // palette's first colour and line style. They are read from a copy: the curve
  // entries overwrite the table's later definitions.
  const std::vector<kes_symattr> defs(t, t + n);
  kes_symattr* e = c->curve_attr;
  int q = 0;  // the curve's place in the request
  for (int k = 0; k <= KES_DIST_KERNEL; ++k) {
    const int count = k == KES_DIST_KERNEL ? r->nkernels : r->ncurves_dist[k];
    if (count <= 0 || k == KES_DIST_WEIBULL2) continue;
    const kes_symattr family = defs[1 + q];
    for (int j = 0; j < count; ++j, ++e, ++q) {
      const kes_symattr tmpl = k == KES_DIST_KERNEL ? defs[1 + q] : family;
      *e = tmpl;
      if (k <= KES_DIST_SU && count > 1) {
        if (c->style) {
          char name[16];
          std::snprintf(name, sizeof name, "GraphData%d", j % 12 + 1);
          int style = e->line_type;
          gd_style_linestyle(ctx, name, &style);
          e->line_type = static_cast<short>(style);
        } else {
          e->line_type = static_cast<short>((tmpl.line_type + j) % kLineTypes);
        }
      }
      if (const int m = kes_pcount(st, kes_family_color_slots[k]); m > 0) {
        const auto* names = static_cast<const char(*)[8]>(kes_pslot(st, kes_family_color_slots[k])->list);
        // A blank name (one the host knew no colour by) leaves the curve its own colour.
        const char* name = names[j < m ? j : m - 1];
        if (!kes_gblank(name)) std::memcpy(e->color, name, 8);
      }
      double v = 0;
      if (list_number(st, kes_family_width_slots[k], j, &v))
        e->line_width = static_cast<short>(v > 0 ? static_cast<int>(v) : 0);
      if (list_number(st, kes_family_line_slots[k], j, &v))
        e->line_type = static_cast<short>(v > 0 ? static_cast<int>(v) : 0);
    }
  }
  return 0;
}
