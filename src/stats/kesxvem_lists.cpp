// Definitions of the trimmed and winsorized means, the extreme observations and
// values, the missing values and the frequencies (see kesxvem.cpp for the rest).
#include <cstring>

#include "host/host_services.h"
#include "host/step_codes.h"
#include "kes_msg_names.h"
#include "records/kes_ctx.h"
#include "records/pool_alloc.h"
#include "stats/kes_tables.h"
#include "stats/tables_call.h"
#include "stats/tables_define.h"

namespace {

constexpr int kNameMax = 32;

bool vardef_is_df(const kes_ctx* ctx) { return std::memcmp(ctx->vardef, "DF      ", 8) == 0; }

// The ID columns of one side of ExtremeObs.
void id_columns(kes_ctx* ctx, void* table, bool low) {
  kes_tables& t = *ctx->tables;
  const kes_datapass& dp = ctx->dp;
  const char* suffix = nullptr;
  int slen = 0;
  if (wkread(KES_SET_PROC, low ? KES_MSG_SUFFIX_LOW : KES_MSG_SUFFIX_HIGH, &suffix, &slen) != 0 || suffix == nullptr)
    slen = 0;
  if (slen > kNameMax) slen = kNameMax;
  for (int i = 0; i < ctx->nids; ++i) {
    host_varinfo info{};
    xvname(ctx->data, dp.idvarnums[i], &info);
    const int nlen = kes_trimlen(info.name, info.name_len);
    // The whole suffix is kept; the name is shortened to make room for it.
    const int keep = nlen + slen > kNameMax ? kNameMax - slen : nlen;
    char name[kNameMax + 1];
    std::memcpy(name, info.name, static_cast<std::size_t>(keep));
    std::memcpy(name + keep, suffix, static_cast<std::size_t>(slen));
    name[keep + slen] = '\0';
    // A variable without a label is headed by its name.
    const int llen = kes_trimlen(info.label, info.label_len);
    void* label = llen > 0 ? vemtxt(info.label, llen) : vemtxt(info.name, nlen);
    const bool numeric = dp.idtypes[i] == 1;
    const bool formatted = info.fmt_name_len > 0 || info.fmt_width >= 1;
    kes_coldef c{};
    c.name = name;
    c.label = label;
    c.numeric = numeric;
    wob_attr extra[4];
    int n = 0;
    if (numeric) {
      c.cell = (low ? t.low_idnum : t.high_idnum) + i;
      c.p270 = formatted ? info.fmt_decimals : 6;
      c.p272 = formatted ? info.fmt_width : 12;
      c.p337 = formatted ? -1 : 5;
      extra[n++] = kes_attr_str(WOB_A_TEMPLATE, low ? "LowIdNum" : "HighIdNum");
    } else {
      c.cell = (low ? t.low_idchar : t.high_idchar) + dp.idoffsets[i];
      // The column reads only what it shows: a format narrower than the variable cuts
      // the texts to the format's width.
      c.width = dp.idoffsets[i + 1] - dp.idoffsets[i];
      if (formatted && info.fmt_width >= 1 && info.fmt_width < c.width) c.width = info.fmt_width;
      if (c.width < 1) c.width = 1;
      c.p270 = formatted ? info.fmt_decimals : -1;
      c.p272 = formatted ? info.fmt_width : -1;
      c.p337 = -1;
      extra[n++] = kes_attr_str(WOB_A_TEMPLATE, low ? "LowIdChar" : "HighIdChar");
    }
    if (formatted) extra[n++] = kes_attr_txt(WOB_A_DETAIL_TEXT, info.fmt_name, info.fmt_name_len);
    extra[n++] = kes_attr_str(WOB_A_DYNAMIC_NAME, low ? "lid" : "hid");
    extra[n++] = kes_attr_txt(WOB_A_VALUE, info.name, nlen);
    c.extra = extra;
    c.nextra = n;
    kes_def_column(table, c);
  }
}

}  // namespace

int KesTwm(kes_ctx* ctx, int kind) {
  kes_tables& t = *ctx->tables;
  kes_rowbuf& r = t.row;
  const kes_procopts& po = ctx->po;
  const bool trim = kind == 1;
  const int n = trim ? ctx->ntrimmed : ctx->nwinsorized;
  const int lk = trim ? po.trim_kind : po.winsor_kind;
  const double level = 100.0 * (1.0 - (trim ? po.trim_alpha : po.winsor_alpha));
  void* h = kes_def_create(ctx, trim ? "TrimmedMeans" : "WinsorizedMeans", KES_SET_PROC,
                           trim ? KES_MSG_TABLE_TRIMMED_MEANS : KES_MSG_TABLE_WINSORIZED_MEANS, n);
  t.handle[trim ? KES_TAB_TRIMMED : KES_TAB_WINSORIZED] = h;
  char q[16];
  std::memset(q, ' ', sizeof q);
  xpmstr(q, sizeof q, KES_SET_PLOT, trim ? KES_MSG_TRIMMED : KES_MSG_WINSORIZED);
  kes_def_column(h, kes_num_col("HalfP", vemmsgs(KES_SET_PLOT, KES_MSG_PERCENT_TAIL, 16, q), &r.num[0]));
  kes_def_column(h, kes_num_col("HalfN", vemmsgs(KES_SET_PLOT, KES_MSG_NUMBER_TAIL, 16, q), &r.num[1]));
  kes_def_column(h, kes_num_col("Mean", vemmsgs(KES_SET_PLOT, KES_MSG_MEAN, 16, q), &r.num[2], -1, 8, 3));
  if (!vardef_is_df(ctx)) {
    // Standard errors, t tests and limits of these means need VARDEF=DF.
    xpmlog(KES_SET_PLOT, trim ? KES_MSG_VARDEF_NOT_DF_TRIMMED : KES_MSG_VARDEF_NOT_DF_WINSORIZED);
    return kes_def_end(h);
  }
  kes_def_column(h, kes_num_col("StdMean", vemmsgs(KES_SET_PLOT, KES_MSG_STD_ERROR_MEAN, 16, q), &r.num[3], -1, 8, 2));
  const bool lower = lk == 1 || lk == 3, upper = lk == 2 || lk == 3;
  if (lower)
    kes_def_column(
        h, kes_num_col("LCLMean",
                       vemmsgs(KES_SET_PLOT, upper ? KES_MSG_LOWER_LIMIT : KES_MSG_TWM_LOWER_CONFIDENCE_LIMIT, level),
                       &r.num[7], -1, 8, 3));
  if (upper)
    kes_def_column(
        h, kes_num_col("UCLMean",
                       vemmsgs(KES_SET_PLOT, lower ? KES_MSG_UPPER_LIMIT : KES_MSG_TWM_UPPER_CONFIDENCE_LIMIT, level),
                       &r.num[8], -1, 8, 3));
  kes_def_column(h, kes_num_col("DF", vemmsg(KES_SET_PLOT, KES_MSG_COLUMN_TWM_DF), &r.num[4]));
  kes_def_column(h, kes_num_col("tValue", vemmsg(KES_SET_PLOT, KES_MSG_T_H0_MEAN_MU0), &r.num[5], -1, 8, 3));
  kes_def_column(h, kes_num_col("Probt", vemmsg(KES_SET_PLOT, KES_MSG_PR_T), &r.num[6]));
  if (lower || upper) {
    kes_dynpair p[6];
    p[0] = {"ConfLevel", nullptr, vemmsgs(KES_SET_PROC, KES_MSG_CONFIDENCE_LEVEL_PERCENT, level)};
    p[1] = {"StartLimit", lower ? "LCLMean" : "UCLMean"};
    p[2] = {"EndLimit", upper ? "UCLMean" : "LCLMean"};
    p[3] = {"LCLSpace", nullptr, nullptr, lower && upper ? 2 : 3};
    p[4] = {"UCLSpace", nullptr, nullptr, 3};
    p[5] = {"SpanInterval", nullptr,
            vemmsgs(KES_SET_PROC,
                    lower && upper ? KES_MSG_CONFIDENCE_LIMITS
                                   : (lower ? KES_MSG_LOWER_CONFIDENCE_LIMIT : KES_MSG_UPPER_CONFIDENCE_LIMIT),
                    level)};
    kes_def_dynamic(h, p, 6);
  }
  return kes_def_end(h);
}

int KesExtObs(kes_ctx* ctx) {
  kes_tables& t = *ctx->tables;
  kes_rowbuf& r = t.row;
  const int k = ctx->nids;
  const int tl = ctx->dp.idtextlen;
  if (k > 0) {
    const long nbytes = 2L * k * static_cast<long>(sizeof(double));
    auto* num = static_cast<double*>(vmalcp_handler(ctx->runpool, nbytes, KES_ALLOC_2));
    char* chr = tl > 0 ? static_cast<char*>(vmalcp_handler(ctx->runpool, 2L * tl, KES_ALLOC_2)) : nullptr;
    if (num == nullptr || (tl > 0 && chr == nullptr)) {
      xmemmsg(nbytes + 2L * tl);
      xexit(KES_RC_OUT_OF_MEMORY, 0);
      return KES_RC_OUT_OF_MEMORY;
    }
    t.low_idnum = num;
    t.high_idnum = num + k;
    for (int i = 0; i < 2 * k; ++i) num[i] = kes_tab_missing();
    if (chr != nullptr) {
      std::memset(chr, ' ', 2 * static_cast<std::size_t>(tl));
      t.low_idchar = chr;
      t.high_idchar = chr + tl;
    }
  }
  void* h = kes_def_create(ctx, "ExtremeObs", KES_SET_PROC, KES_MSG_TABLE_EXTREME_OBSERVATIONS, ctx->nextrobs);
  t.handle[KES_TAB_EXTOBS] = h;
  kes_def_column(h, kes_num_col("Low", vemmsg(KES_SET_PLOT, KES_MSG_LOWEST_VALUE), &r.num[0], 6, 12, 5));
  id_columns(ctx, h, true);
  if (ctx->freq_given) kes_def_column(h, kes_num_col("LowFreq", vemmsg(KES_SET_PLOT, KES_MSG_FREQ), &r.num[4]));
  kes_def_column(h, kes_num_col("LowObs", vemmsg(KES_SET_PLOT, KES_MSG_OBS), &r.num[1]));
  kes_def_column(h, kes_num_col("High", vemmsg(KES_SET_PLOT, KES_MSG_HIGHEST_VALUE), &r.num[2], 6, 12, 5));
  id_columns(ctx, h, false);
  if (ctx->freq_given)
    kes_def_column(h, kes_num_col("HighFreq", vemmsg(KES_SET_PLOT, KES_MSG_COLUMN_EXTOBS_HIGH_FREQ), &r.num[5]));
  kes_def_column(h, kes_num_col("HighObs", vemmsg(KES_SET_PLOT, KES_MSG_COLUMN_EXTOBS_HIGH_OBS), &r.num[3]));
  return kes_def_end(h);
}

int KesExtVal(kes_ctx* ctx) {
  kes_tables& t = *ctx->tables;
  kes_rowbuf& r = t.row;
  void* h = kes_def_create(ctx, "ExtremeValues", KES_SET_PROC, KES_MSG_TABLE_EXTREME_VALUES, ctx->nextrval);
  t.handle[KES_TAB_EXTVAL] = h;
  kes_def_column(h, kes_num_col("LowOrder", vemmsg(KES_SET_PLOT, KES_MSG_ORDER), &r.num[0]));
  kes_def_column(h, kes_num_col("Low", vemmsg(KES_SET_PLOT, KES_MSG_COLUMN_EXTVAL_LOW), &r.num[1], 6, 12, 5));
  kes_def_column(h, kes_num_col("LowFreq", vemmsg(KES_SET_PLOT, KES_MSG_COLUMN_EXTVAL_LOW_FREQ), &r.num[2]));
  kes_def_column(h, kes_num_col("HighOrder", vemmsg(KES_SET_PLOT, KES_MSG_COLUMN_EXTVAL_HIGH_ORDER), &r.num[3]));
  kes_def_column(h, kes_num_col("High", vemmsg(KES_SET_PLOT, KES_MSG_COLUMN_EXTVAL_HIGH), &r.num[4], 6, 12, 5));
  kes_def_column(h, kes_num_col("HighFreq", vemmsg(KES_SET_PLOT, KES_MSG_COLUMN_EXTVAL_HIGH_FREQ), &r.num[5]));
  return kes_def_end(h);
}

int KesMiss(kes_ctx* ctx) {
  kes_tables& t = *ctx->tables;
  kes_rowbuf& r = t.row;
  void* h = kes_def_create(ctx, "MissingValues", KES_SET_PROC, KES_MSG_TABLE_MISSING_VALUES, -1);
  t.handle[KES_TAB_MISSING] = h;
  kes_def_column(h, kes_num_col("MissValue", vemmsg(KES_SET_PLOT, KES_MSG_MISSING_VALUE), &r.num[0]));
  kes_def_column(h, kes_num_col("Count", vemmsg(KES_SET_PLOT, KES_MSG_COLUMN_MISSING_COUNT), &r.num[1]));
  kes_def_column(h, kes_num_col("CountNobs", vemmsg(KES_SET_PLOT, KES_MSG_PERCENT_ALL_OBS), &r.num[2]));
  kes_def_column(h, kes_num_col("CountNMiss", vemmsg(KES_SET_PLOT, KES_MSG_PERCENT_MISSING_OBS), &r.num[3]));
  return kes_def_end(h);
}

int KesFreq(kes_ctx* ctx) {
  kes_tables& t = *ctx->tables;
  kes_rowbuf& r = t.row;
  void* h = kes_def_create(ctx, "Frequencies", KES_SET_PROC,
                           ctx->weight_given ? KES_MSG_TABLE_WEIGHTED_FREQUENCIES : KES_MSG_TABLE_FREQUENCIES, -1);
  t.handle[KES_TAB_FREQ] = h;
  kes_def_column(h, kes_num_col("Value", vemmsg(KES_SET_PLOT, KES_MSG_COLUMN_FREQ_VALUE), &r.num[0], 6, 12));
  kes_def_column(h, kes_num_col("Count", vemmsg(KES_SET_PLOT, KES_MSG_COLUMN_FREQ_COUNT), &r.num[1]));
  if (ctx->weight_given)
    kes_def_column(h, kes_num_col("WgtCount", vemmsg(KES_SET_PLOT, KES_MSG_WEIGHTED_COUNT), &r.num[4]));
  kes_def_column(h, kes_num_col("Cell", vemmsg(KES_SET_PLOT, KES_MSG_CELL_PERCENT), &r.num[2]));
  kes_def_column(h, kes_num_col("Cum", vemmsg(KES_SET_PLOT, KES_MSG_CUM_PERCENT), &r.num[3]));
  return kes_def_end(h);
}
