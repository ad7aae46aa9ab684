// The tables that run over a cell's values (its view): Modes (every value whose count is the modal
// count), MissingValues (one row per kind of missing value, with a total row when
// there are several kinds) and Frequencies (one row per distinct value).
#include <cmath>
#include <cstring>

#include "host/host_missing.h"
#include "host/host_services.h"
#include "kes_msg_names.h"
#include "records/kes_ctx.h"
#include "records/kes_values.h"
#include "stats/kes_tables.h"
#include "stats/tables_bind.h"
#include "stats/tables_call.h"
#include "stats/value_format.h"

namespace {


void clear_nums(kes_rowbuf& r) {
  for (double& d : r.num) d = kes_tab_missing();
}

}  // namespace

void zkesmod(kes_ctx* ctx, const kes_valview* values, int m) {
  kes_rowbuf& r = ctx->tables->row;
  kes_bind(ctx, KES_TAB_MODES, "orbo.kestravine.Modes", nullptr, 0);
  if (m == 0) {
    clear_nums(r);
    kes_add_row(ctx, KES_TAB_MODES);
  } else {
    kes_each_value(values, [&](double x, int f) {
      if (f != m) return;
      clear_nums(r);
      r.num[0] = x;
      r.num[1] = m;
      kes_add_row(ctx, KES_TAB_MODES);
    });
  }
  kes_end_emit(ctx, KES_TAB_MODES, nullptr, 0);
}

void zkesmis(kes_ctx* ctx, const kes_valview* values, double nmiss, double total) {
  kes_rowbuf& r = ctx->tables->row;
  const int nk = values != nullptr ? values->nkinds : 0;
  kes_dynpair p[] = {{"MisVals", nullptr, vemmsgs(KES_SET_PROC, KES_MSG_TABLE_MISSING_VALUES)}};
  kes_bind(ctx, KES_TAB_MISSING, "orbo.kestravine.Missings", p, 1);
  for (int i = 0; i < nk; ++i) {
    clear_nums(r);
    const int k = values->kind[i];
    const int count = values->kcount[i];
    const int kind = k >= HOST_MISS_UNDERSCORE && k <= HOST_MISS_Z ? k : HOST_MISS_STD;
    r.num[0] = host_missing_of_kind(kind);
    r.num[1] = count;
    r.num[2] = total > 0 ? 100.0 * count / total : kes_tab_missing();
    r.num[3] = nmiss > 0 ? 100.0 * count / nmiss : kes_tab_missing();
    kes_add_row(ctx, KES_TAB_MISSING);
  }
  if (nk > 1) {
    clear_nums(r);
    r.num[0] = 0.0;
    r.num[1] = nmiss;
    r.num[2] = total > 0 ? 100.0 * nmiss / total : kes_tab_missing();
    r.num[3] = 100.0;
    kes_add_row(ctx, KES_TAB_MISSING);
  }
  kes_end_emit(ctx, KES_TAB_MISSING, nullptr, 0);
}

void zkesfrq(kes_ctx* ctx, const kes_valview* values, double total) {
  kes_tables& t = *ctx->tables;
  kes_rowbuf& r = t.row;
  const int ndistinct = values != nullptr ? values->m : 0;

  // Presentation of the Value column: the variable's format, or the width and
  // decimals that fit every distinct value.
  host_varinfo info{};
  xvname(ctx->data, ctx->varnums[ctx->curvar], &info);
  int decimals = 0, width = 1;
  if (info.fmt_name_len > 0 || info.fmt_width >= 1) {
    decimals = info.fmt_decimals;
    width = info.fmt_width;
  } else {
    for (int i = 0; i < ndistinct; ++i) kes_widen_format(values->x[i], &width, &decimals);
    kes_cap_format(&width, &decimals);
  }
  wob_attr pres[3] = {kes_attr_txt(WOB_A_COLUMN_NAME, "Value", -1), wob_int(WOB_A_DECIMALS, decimals),
                      wob_int(WOB_A_WIDTH, width)};
  kes_tabcall(t.handle[KES_TAB_FREQ], WOB_M_COLUMN_ATTRS, 3, pres);

  kes_dynpair p[] = {
      {"FrqHdr", nullptr,
       vemmsgs(KES_SET_PROC, ctx->weight_given ? KES_MSG_WEIGHTED_FREQUENCY_COUNTS : KES_MSG_FREQUENCY_COUNTS)}};
  wob_attr extra[1] = {wob_int(WOB_A_DISTINCT_VALUES, ndistinct)};
  kes_bind(ctx, KES_TAB_FREQ, "orbo.kestravine.Frequency", p, 1, extra, 1);
  // The percents of weighted counts are taken in the view's unit of weight.
  if (ctx->weight_given) {
    total = 0.0;
    for (int i = 0; i < ndistinct && values->w != nullptr; ++i) total += values->w[i];
  }
  double cum = 0.0;
  for (int i = 0; i < ndistinct; ++i) {
    clear_nums(r);
    r.num[0] = values->x[i];
    r.num[1] = values->f[i];
    double x = values->f[i];
    if (ctx->weight_given) {
      x = values->w != nullptr ? values->w[i] : 0.0;
      const double shown = kes_view_weight(*values, x);
      r.num[4] = std::isfinite(shown) ? shown : kes_tab_missing();
    }
    cum += x;
    if (total > 0) {
      r.num[2] = 100.0 * x / total;
      r.num[3] = 100.0 * cum / total;
    }
    kes_add_row(ctx, KES_TAB_FREQ);
  }
  kes_end_emit(ctx, KES_TAB_FREQ, nullptr, 0);
}
