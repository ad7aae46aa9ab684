// The layout options of every plot statement: reference lines and their labels, the
// tick-label switches, the frame fill and the cells per panel of comparative plots.
//
// Cells per panel. Comparative plots put one cell per CLASS level; the levels are
// known only once the data are read, so here 0 stands for "as many as the levels":
//  - without CLASS variables there is one cell: NROWS= and NCOLS= have nothing to
//    lay out and are ignored with a note;
//  - with one CLASS variable the cells are stacked: NCOLS defaults to 1 and NROWS to
//    the number of levels;
//  - with two, rows follow the first variable's levels and columns the second's,
//    each unless NROWS= or NCOLS= limits the panel.
// A given NROWS= or NCOLS= is a whole number from 1 to KES_PANEL_MAX; anything else
// is refused naming the option and the value.
#include <cmath>
#include <cstring>

#include "driver/kes_plot_grammar.h"
#include "driver/plot_checks.h"
#include "host/host_services.h"
#include "host/kes_utf8.h"
#include "host/step_codes.h"
#include "host/text_ellipsis.h"
#include "kes_msg_names.h"
#include "records/kes_ctx.h"
#include "records/pool_alloc.h"
#include "util/kes_minmax.h"

namespace {
// One reference-line axis: its values, its labels and their messages.
struct ref_axis {
  int values, labels;
  const char* name;         // HREF= or VREF=
  const char* label_name;   // HREFLABELS= or VREFLABELS=
  int count_msg;            // labels and values differ in number (KES_SET_PLOT)
  int alone_msg;            // labels without values (KES_SET_PLOT)
  int cut_msg;              // a label longer than 16 characters is cut (KES_SET_LAYOUT)
};
constexpr ref_axis kHref = {KES_PLOT_SLOT_HREF,    KES_PLOT_SLOT_HREF_LABELS,        "HREF=",
                            "HREFLABELS=",         KES_MSG_HREFLABELS_COUNT_DIFFERS, KES_MSG_HREFLABELS_WITHOUT_HREF,
                            KES_MSG_HREFLABELS_CUT};
constexpr ref_axis kVref = {KES_PLOT_SLOT_VREF,    KES_PLOT_SLOT_VREF_LABELS,        "VREF=",
                            "VREFLABELS=",         KES_MSG_VREFLABELS_COUNT_DIFFERS, KES_MSG_VREFLABELS_WITHOUT_VREF,
                            KES_MSG_VREFLABELS_CUT};

// The reference values and, with labels given, one label per value.
int reference_lines(kes_ctx* ctx, const kes_stmt* s, const ref_axis& a, int* count, const double** values,
                    kes_reflabel** labels) {
  *count = kes_pcount(s, a.values);
  *values = kes_pnumbers(s, a.values);
  *labels = nullptr;
  const int nl = kes_pcount(s, a.labels);
  if (nl == 0) return 0;
  if (*count == 0) {
    xspplace(s, a.labels);
    xpmlog(KES_SET_PLOT, a.alone_msg, a.label_name, a.name);
    return 1;
  }
  if (nl != *count) {
    xspplace(s, a.labels);
    xpmlog(KES_SET_PLOT, a.count_msg, a.label_name, nl, *count, a.name);
    return 1;
  }
  bool failed = false;
  *labels = static_cast<kes_reflabel*>(
      kes_zalloc(ctx->runpool, static_cast<long>(sizeof(kes_reflabel)) * nl, KES_ALLOC_2, &failed));
  if (failed) return KES_RC_OUT_OF_MEMORY;
  const auto* texts = static_cast<const kes_textentry*>(kes_pslot(s, a.labels)->list);
  bool cut_noted = false;
  for (int i = 0; i < nl; ++i) {
    const int len = kes::max(0, texts[i].length);
    if (len <= KES_REFLABEL_MAX) {
      std::memcpy((*labels)[i].text, texts[i].text, static_cast<size_t>(len));
      continue;
    }
    // A cut label ends in an ellipsis, cut itself at a character boundary.
    int keep = KES_REFLABEL_MAX - static_cast<int>(KES_ELLIPSIS.size());
    keep = static_cast<int>(kes_utf8_char_start(std::string_view(texts[i].text, static_cast<size_t>(len)), static_cast<size_t>(keep)));
    std::memcpy((*labels)[i].text, texts[i].text, static_cast<size_t>(keep));
    std::memcpy((*labels)[i].text + keep, KES_ELLIPSIS.data(), KES_ELLIPSIS.size());
    if (!cut_noted) {
      // The note gives the length drawn: the characters kept and the ellipsis.
      int drawn = 1;
      for (int k = 0; k < keep; ++k) drawn += kes_utf8_continues(texts[i].text[k]) ? 0 : 1;
      xpmlog(KES_SET_LAYOUT, a.cut_msg, a.label_name, KES_REFLABEL_MAX, drawn);
      cut_noted = true;
    }
  }
  return 0;
}

// NROWS= or NCOLS=: 0 (from the levels) when not given; -1 after the message.
int cells(const kes_stmt* s, int slot, const char* name, int bad_msg, int nclass, int ignored_msg) {
  if (!kes_pgiven(s, slot)) return 0;
  const double v = kes_pnumber(s, slot);
  if (!(v >= 1 && v <= KES_PANEL_MAX && v == std::floor(v))) {
    xspplace(s, slot);
    xpmlog(KES_SET_PROC, bad_msg, name, v, KES_PANEL_MAX);
    return -1;
  }
  if (nclass == 0) {
    xspplace(s, slot);
    xpmlog(KES_SET_LAYOUT, ignored_msg, name);
    return 1;
  }
  return static_cast<int>(v);
}

}  // namespace

int kes_layout_options(kes_ctx* ctx, kes_preq* request) {
  const kes_stmt* s = request->stmt;
  request->nohlabel = kes_flag(s, KES_PLOT_FLAG_NOHLABEL);
  request->novtick = kes_flag(s, KES_PLOT_FLAG_NOVTICK);
  // Without ticks there is nothing for tick labels to name.
  request->novlabel = kes_flag(s, KES_PLOT_FLAG_NOVLABEL) || request->novtick;
  request->frame_fill = kes_pgiven(s, KES_PLOT_SLOT_CFRAME);
  int r = reference_lines(ctx, s, kHref, &request->nhref, &request->href, &request->hreflabels);
  if (r == 0) r = reference_lines(ctx, s, kVref, &request->nvref, &request->vref, &request->vreflabels);
  if (r != 0) return r;

  const int nclass = request->classvars != nullptr ? request->classvars->count : 0;
  const int nrows = cells(s, KES_PLOT_SLOT_NROWS, "NROWS=", KES_MSG_NROWS_NOT_VALID, nclass, KES_MSG_NROWS_NEEDS_CLASS);
  const int ncols = cells(s, KES_PLOT_SLOT_NCOLS, "NCOLS=", KES_MSG_NCOLS_NOT_VALID, nclass, KES_MSG_NCOLS_NEEDS_CLASS);
  if (nrows < 0 || ncols < 0) return 1;
  if (nclass == 0) {
    request->nrows = request->ncols = 1;
  } else {
    request->nrows = nrows;
    request->ncols = ncols > 0 ? ncols : nclass == 1 ? 1 : 0;
  }
  return 0;
}
