// kesmpct(ctx, cell): the HistogramBins table of the current histogram request for
// the current variable and one cell. The heights are frequencies times the vertical
// scale's factor; dividing by factor x pass total / 100 gives the percent of all the
// cell's observations whatever the scale.
#include "stats/kesmpct.h"

#include "host/host_services.h"
#include "kes_msg_names.h"
#include "records/kes_cell.h"
#include "records/kes_ctx.h"
#include "records/kes_plotslot.h"
#include "stats/tables_bind.h"
#include "stats/tables_call.h"
#include "stats/tables_define.h"
#include "stats/value_format.h"

namespace {

constexpr const char* kTemplate = "orbo.kestravine.Bins";
constexpr const char* kSiblingTemplate = "yq.tolmi.Bins";

}  // namespace

void kesmpct(kes_ctx* ctx, kes_cell* cell) {
  const kes_preq* r = ctx->curreq;
  const int v = ctx->curvar;
  kes_plotslot* slot = kes_plot_slot(ctx, r, cell);
  if (slot == nullptr) return;
  const kes_plotslot& key = *kes_plot_slot(ctx, r, ctx->classvars->keycell);
  kes_plotslot& s = *slot;
  const double pass_total = cell->varsums != nullptr ? cell->varsums[v].pass_total : 0;
  const double denominator = s.scale * pass_total / 100;
  const double width = key.width;
  // End-point mode with RTINCLUDE shows each bin's upper end.
  const double origin = key.first + (r->endpoints && r->rtinclude ? width : 0);
  const auto point = [&](int i) { return origin + (s.firstbin + i) * width; };
  s.bins_shown = 1;

  int w = 1, d = 0;
  for (int i = 0; i < s.nbins; ++i) kes_widen_format(point(i), &w, &d);
  kes_cap_format(&w, &d);

  const char* value_column = !r->endpoints ? "Midpoint" : (r->rtinclude ? "MaxPoint" : "MinPoint");
  const int value_label =
      !r->endpoints ? KES_MSG_BIN_MIDPOINT : (r->rtinclude ? KES_MSG_BIN_MAXIMUM_POINT : KES_MSG_BIN_MINIMUM_POINT);
  double value = 0, percent = 0;
  void* table = kes_def_create(ctx, "HistogramBins", KES_SET_PLOT, KES_MSG_TABLE_HISTOGRAM_BINS, -1);
  kes_def_column(table, kes_num_col(value_column, vemmsg(KES_SET_PLOT, value_label), &value));
  kes_def_column(table, kes_num_col("ObsPercent", vemmsg(KES_SET_PLOT, KES_MSG_OBSERVED_PERCENT), &percent));
  wob_attr look[3] = {kes_attr_txt(WOB_A_COLUMN_NAME, value_column, -1), wob_int(WOB_A_DECIMALS, d),
                      wob_int(WOB_A_WIDTH, w)};
  // A format the host refuses leaves the column in its own format: logged only.
  const int rc = wobmth(table, nullptr, WOB_M_COLUMN_ATTRS, 3, look);
  if (rc < 0) xprrlog(0, rc);
  kes_def_end(table);

  const kes_name32& name = ctx->curname;
  kes_dynpair pairs[1] = {
      {"BinTitle", nullptr, vemmsgs(KES_SET_PLOT, KES_MSG_HISTOGRAM_BINS, static_cast<int>(name.len), name.text)}};
  void* bound = kes_bind_table(ctx, table, ctx->procid == 1 ? kSiblingTemplate : kTemplate, pairs, 1, nullptr, 0,
                               r->tabcontents != 0);
  for (int i = 0; i < s.nbins; ++i) {
    value = point(i);
    // A cell without values has no scale: its empty bins show 0 percent.
    percent = s.heights != nullptr && denominator > 0 ? s.heights[i] / denominator : 0;
    kes_tabcall(table, WOB_M_ADD_ROW, 0, nullptr);
  }
  kes_end_emit_table(ctx, table, bound, nullptr, 0);
  kes_def_close(table);
}
