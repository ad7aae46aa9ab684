// The tables that walk value lists: Modes (every value whose count is the modal
// count), MissingValues (one row per kind of missing value, with a total row when
// there are several kinds) and Frequencies (one row per distinct value).
#include <cmath>
#include <cstring>

#include "host/host_missing.h"
#include "host/host_services.h"
#include "kes_msg_names.h"
#include "records/kes_ctx.h"
#include "records/kes_valnode.h"
#include "stats/kes_tables.h"
#include "stats/tables_bind.h"
#include "stats/tables_call.h"
#include "stats/value_format.h"

namespace {


void clear_nums(kes_rowbuf& r) {
  for (double& d : r.num) d = kes_tab_missing();
}

}  // namespace

void zkesmod(kes_ctx* ctx, kes_valnode* values, int m) {
  kes_rowbuf& r = ctx->tables->row;
  kes_bind(ctx, KES_TAB_MODES, "orbo.kestravine.Modes", nullptr, 0);
  if (m == 0) {
    clear_nums(r);
    kes_add_row(ctx, KES_TAB_MODES);
  } else {
    for (const kes_valnode* v = values; v != nullptr; v = v->next) {
      if (v->count != m) continue;
      clear_nums(r);
      r.num[0] = v->key.value;
      r.num[1] = m;
      kes_add_row(ctx, KES_TAB_MODES);
    }
  }
  kes_end_emit(ctx, KES_TAB_MODES, nullptr, 0);
}

void zkesmis(kes_ctx* ctx, kes_valnode* kinds, double nmiss, double total) {
  kes_rowbuf& r = ctx->tables->row;
  int nk = 0;
  for (const kes_valnode* k = kinds; k != nullptr; k = k->next) ++nk;
  kes_dynpair p[] = {{"MisVals", nullptr, vemmsgs(KES_SET_PROC, KES_MSG_TABLE_MISSING_VALUES)}};
  kes_bind(ctx, KES_TAB_MISSING, "orbo.kestravine.Missings", p, 1);
  for (const kes_valnode* k = kinds; k != nullptr; k = k->next) {
    clear_nums(r);
    const int kind = k->key.kind >= HOST_MISS_UNDERSCORE && k->key.kind <= HOST_MISS_Z ? k->key.kind : HOST_MISS_STD;
    r.num[0] = host_missing_of_kind(kind);
    r.num[1] = k->count;
    r.num[2] = total > 0 ? 100.0 * k->count / total : kes_tab_missing();
    r.num[3] = nmiss > 0 ? 100.0 * k->count / nmiss : kes_tab_missing();
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

void zkesfrq(kes_ctx* ctx, kes_valnode* values, double total) {
  kes_tables& t = *ctx->tables;
  kes_rowbuf& r = t.row;
  int ndistinct = 0;
  for (const kes_valnode* v = values; v != nullptr; v = v->next) ++ndistinct;

  // Presentation of the Value column: the variable's format, or the width and
  // decimals that fit every distinct value.
  host_varinfo info{};
  xvname(ctx->data, ctx->varnums[ctx->curvar], &info);
  int decimals = 0, width = 1;
  if (info.fmt_name_len > 0 || info.fmt_width >= 1) {
    decimals = info.fmt_decimals;
    width = info.fmt_width;
  } else {
    for (const kes_valnode* v = values; v != nullptr; v = v->next) kes_widen_format(v->key.value, &width, &decimals);
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
  double cum = 0.0;
  for (const kes_valnode* v = values; v != nullptr; v = v->next) {
    clear_nums(r);
    r.num[0] = v->key.value;
    r.num[1] = v->count;
    double x = v->count;
    if (ctx->weight_given) {
      x = v->wt != nullptr ? v->wt->sumw : 0.0;
      r.num[4] = x;
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
