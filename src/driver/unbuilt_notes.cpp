// kesunbuilt: the statements and options that a step reads but whose work is not
// built yet say so, each once per step: ANNOTATE= on template graphs (device charts
// draw it), GOUT= on template graphs (it names the catalog of device charts),
// TILELEGLABEL=, the title of a legend that nothing fills, FORCEHIST, which nothing
// needs, OVERLAY where it draws no groups (HISTOGRAM, and device graphs), grids on
// device CDF and P-P plots, which draw none, and on
// template graphs the appearance options that only device charts read; on either
// kind of graph the fonts named, which no graph uses.
#include "driver/unbuilt_notes.h"

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "driver/plot_checks.h"
#include "driver/plot_kinds.h"
#include "host/host_services.h"
#include "host/kes_stmt.h"
#include "kes_gram_names.h"
#include "kes_msg_names.h"
#include "records/kes_ctx.h"
#include "records/stmt_slots.h"

namespace {
bool named(const kes_stmt* s, const char* prefix) { return std::memcmp(s->name, prefix, std::strlen(prefix)) == 0; }

bool plot_statement(const kes_stmt* s) {
  for (const char* p : {"HIST", "QQ", "CDF", "PROB", "PP"})
    if (named(s, p)) return true;
  return false;
}

bool given(const kes_stmt* s, const kes_device_option& o) {
  return o.flag ? kes_flag(s, o.number) : kes_pgiven(s, o.number);
}

// A plot statement whose option o is (o names its statement when the slot is shared).
bool plot_option(const kes_stmt* s, const kes_device_option& o) {
  const kes_plot_kind* kind = kes_plot_kind_of(s);
  return kind != nullptr &&
         (o.statement == nullptr || std::strcmp(kes_plot_statement_name(kind->type), o.statement) == 0);
}

// The device-only options the plot and INSET statements give, each named once in the
// order of the reference (an INSET option after "INSET "); empty when none is.
std::string device_only_given(const kes_ctx* ctx) {
  std::string list;
  auto add = [&](const kes_device_option& o, auto statement, const char* prefix) {
    bool any = false;
    for (const kes_stmt* s = ctx->proc->next; s != nullptr && !any; s = s->next) any = statement(s, o) && given(s, o);
    if (any) list += (list.empty() ? "" : ", ") + std::string(prefix) + o.option;
  };
  for (const kes_device_option& o : KES_PLOT_DEVICE_ONLY) add(o, plot_option, "");
  // Template graphs set the HREF= labels along the top or the bottom: the stepping of
  // 2 and 4, and 4's place at the bottom, are the device's.
  for (const double v : {2.0, 4.0})
    for (const kes_stmt* s = ctx->proc->next; s != nullptr; s = s->next)
      if (kes_plot_kind_of(s) != nullptr && kes_pgiven(s, KES_PLOT_SLOT_HREFLABPOS) &&
          kes_pnumber(s, KES_PLOT_SLOT_HREFLABPOS) == v) {
        list += (list.empty() ? "HREFLABPOS=" : ", HREFLABPOS=") + std::to_string(static_cast<int>(v));
        break;
      }
  for (const kes_device_option& o : KES_INSET_DEVICE_ONLY)
    add(o, [](const kes_stmt* s, const kes_device_option&) { return named(s, "INSET"); }, "INSET ");
  return list;
}
// The font options the plot and INSET statements give, each named once; empty when
// none is.
std::string fonts_given(const kes_ctx* ctx) {
  bool font = false, infont = false, inset_font = false;
  for (const kes_stmt* s = ctx->proc->next; s != nullptr; s = s->next) {
    if (plot_statement(s)) {
      font = font || kes_pgiven(s, KES_PLOT_SLOT_FONT);
      infont = infont || kes_pgiven(s, KES_PLOT_SLOT_INFONT);
    } else if (named(s, "INSET")) {
      inset_font = inset_font || kes_pgiven(s, KES_INSET_SLOT_FONT);
    }
  }
  std::string list;
  for (const auto& [given, option] : {std::pair{font, "FONT="}, {infont, "INFONT="}, {inset_font, "INSET FONT="}})
    if (given) list += (list.empty() ? "" : ", ") + std::string(option);
  return list;
}
// The grid options the CDFPLOT and PPPLOT statements give, each named once; empty when
// none is.
std::vector<std::string> grid_given_on_cdf_pp(const kes_ctx* ctx) {
  bool flag = false, slot[3] = {};
  const int slots[3] = {KES_PLOT_SLOT_CGRID, KES_PLOT_SLOT_LGRID, KES_PLOT_SLOT_WGRID};
  for (const kes_stmt* s = ctx->proc->next; s != nullptr; s = s->next) {
    if (!named(s, "CDF") && !named(s, "PP")) continue;
    flag = flag || kes_flag(s, KES_PLOT_FLAG_GRID);
    for (int k = 0; k < 3; ++k) slot[k] = slot[k] || kes_pgiven(s, slots[k]);
  }
  std::vector<std::string> given;
  if (flag) given.push_back("GRID");
  const char* const names[3] = {"CGRID=", "LGRID=", "WGRID="};
  for (int k = 0; k < 3; ++k)
    if (slot[k]) given.push_back(names[k]);
  return given;
}

// "A", "A and B", "A, B and C".
std::string spoken_list(const std::vector<std::string>& words) {
  std::string list;
  for (size_t i = 0; i < words.size(); ++i)
    list += (i == 0 ? "" : i + 1 == words.size() ? " and " : ", ") + words[i];
  return list;
}
}  // namespace

// The fonts note of a step: said (1); an AXIS F= read before the step's notes (2);
// the step's notes made (4).
constexpr std::uint8_t kFontsSaid = 1, kAxisFontEarly = 2, kNotesMade = 4;
constexpr const char* kAxisFont = "F= of an AXIS statement";

void kes_note_fonts_not_used(kes_ctx* ctx, const char* options) {
  if (ctx->fonts_noted & kFontsSaid) return;
  ctx->fonts_noted |= kFontsSaid;
  xpmlog(KES_SET_LABEL, KES_MSG_FONTS_NOT_USED, options);
}

void kes_axis_font_read(kes_ctx* ctx) {
  // The plot statements' checks read axis definitions before the step's notes: the
  // AXIS font is then named among the statements' fonts.
  if (ctx->fonts_noted & kNotesMade) kes_note_fonts_not_used(ctx, kAxisFont);
  else ctx->fonts_noted |= kAxisFontEarly;
}

void kesunbuilt(kes_ctx* ctx) {
  bool annotate = kes_pgiven(ctx->proc, KES_PROC_SLOT_ANNOTATE);
  bool tile_title = false, hist_overlay = false, plot_overlay = false, forcehist = false;
  for (const kes_stmt* s = ctx->proc->next; s != nullptr; s = s->next) {
    if (!plot_statement(s)) continue;
    annotate = annotate || kes_pgiven(s, KES_PLOT_SLOT_ANNOTATE);
    tile_title = tile_title || kes_pgiven(s, KES_PLOT_SLOT_TILELEGLABEL);
    if (kes_flag(s, KES_PLOT_FLAG_OVERLAY)) (named(s, "HIST") ? hist_overlay : plot_overlay) = true;
    // OVERLAY draws the CLASS cells in one frame: without CLASS there are none to draw so.
    if (kes_flag(s, KES_PLOT_FLAG_OVERLAY) && !named(s, "HIST") && !kes_pgiven(ctx->proc, KES_PROC_SLOT_CLASS)) {
      xspplace(s, KES_STMT_KEYWORD);
      xpmlog(KES_SET_LABEL, KES_MSG_OVERLAY_WITHOUT_CLASS);
    }
    forcehist = forcehist || kes_flag(s, KES_PLOT_FLAG_FORCEHIST);
  }
  // Bars are drawn unless NOBARS leaves them out: there is nothing to force.
  if (forcehist) xpmlog(KES_SET_LABEL, KES_MSG_FORCEHIST_NO_EFFECT);
  if (tile_title) xpmlog(KES_SET_LABEL, KES_MSG_TILELEGLABEL_NO_EFFECT);
  if (hist_overlay) xpmlog(KES_SET_LABEL, KES_MSG_HISTOGRAM_OVERLAY_NOT_USED);
  // Only the template renderer draws groups; device charts show the cells side by side.
  if (plot_overlay && ctx->devgraph && !ctx->tmplgraph) xpmlog(KES_SET_LABEL, KES_MSG_OVERLAY_TEMPLATE_GRAPHS_ONLY);
  // Device charts draw grids in histogram and Q-Q cells only.
  if (ctx->devgraph) {
    const std::vector<std::string> grid = grid_given_on_cdf_pp(ctx);
    if (!grid.empty())
      xpmlog(KES_SET_LABEL, grid.size() == 1 ? KES_MSG_GRID_NOT_ON_DEVICE_CDF_PP : KES_MSG_GRIDS_NOT_ON_DEVICE_CDF_PP,
             spoken_list(grid).c_str());
  }
  // Device charts draw annotate data sets; template graphs have none.
  if (annotate && !ctx->devgraph) xpmlog(KES_SET_LABEL, KES_MSG_READ_BUT_NOT_USED, "ANNOTATE=");
  // A graphics catalog holds device charts only.
  if (kes_pgiven(ctx->proc, KES_PROC_SLOT_GOUT) && ctx->tmplgraph && !ctx->devgraph)
    xpmlog(KES_SET_LABEL, KES_MSG_READ_BUT_NOT_USED, "GOUT=");
  // Both kinds of graph draw every text in the one typeface the metrics describe.
  if (ctx->tmplgraph || ctx->devgraph) {
    std::string fonts = fonts_given(ctx);
    if (ctx->fonts_noted & kAxisFontEarly) fonts += (fonts.empty() ? "" : ", ") + std::string(kAxisFont);
    if (!fonts.empty()) kes_note_fonts_not_used(ctx, fonts.c_str());
  }
  ctx->fonts_noted |= kNotesMade;
  // Template graphs take their look from the graph style.
  if (ctx->tmplgraph && !ctx->devgraph) {
    const std::string list = device_only_given(ctx);
    if (!list.empty()) xpmlog(KES_SET_LABEL, KES_MSG_DEVICE_ONLY_OPTIONS, list.c_str());
  }
}
