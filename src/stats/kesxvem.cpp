// kesxvem(ctx): defines the descriptive tables of the step once, right after
// start-up: each table an output object under the output manager with its name,
// label, row count and columns, every column bound to one cell of the context's row
// buffer. The per-variable writers fill the buffer, add rows, bind a template and
// emit; they define no columns themselves. This file holds the fixed-row tables;
// the list-walking and optional ones are in kesxvem_lists.cpp.
#include <cstring>
#include <initializer_list>

#include "host/host_services.h"
#include "kes_msg_names.h"
#include "records/kes_ctx.h"
#include "stats/gof_test_texts.h"
#include "stats/kes_stats.h"
#include "stats/kes_tables.h"
#include "stats/tables_call.h"
#include "stats/tables_define.h"

namespace {


// Limit kinds of the CIPCTLDF option that give a lower and an upper column.
bool df_lower(int k) { return k == 1 || k == 4 || k == 5; }
bool df_upper(int k) { return k == 2 || k == 4 || k == 5; }
bool nt_lower(int k) { return k == 1 || k == 3; }
bool nt_upper(int k) { return k == 2 || k == 3; }

}  // namespace

// ---- definition steps shared by every builder ----

void* kes_def_create(kes_ctx* ctx, const char* name, int label_set, int label_no, int rows) {
  wob_attr a[7];
  int n = 0;
  a[n++] = kes_attr_str(WOB_A_FAMILY, "vem");
  a[n++] = kes_attr_str(WOB_A_CLASS, "data");
  a[n++] = wob_out(WOB_A_HANDLE);
  a[n++] = wob_int(WOB_A_MINUS_ONE, -1);
  a[n++] = kes_attr_txt(WOB_A_NAME, name, -1);
  a[n++] = kes_attr_msg(WOB_A_LABEL, label_set, label_no);
  if (rows >= 0) a[n++] = wob_int(WOB_A_ROWS, rows);
  kes_tabcall(ctx->objs.manager, WOB_M_CREATE, n, a);
  return a[2].w.p;
}

void kes_def_column(void* table, const kes_coldef& c) {
  wob_attr a[16];
  int n = 0;
  a[n++] = wob_int(WOB_A_COLUMN_TYPE, c.numeric ? 5 : 6);
  a[n++] = kes_attr_txt(WOB_A_NAME, c.name, -1);
  if (c.label != nullptr && !c.cell_first) a[n++] = wob_text(WOB_A_LABEL, c.label);
  a[n++] = wob_addr(WOB_A_CELL, c.cell);
  if (c.label != nullptr && c.cell_first) a[n++] = wob_text(WOB_A_LABEL, c.label);
  if (!c.numeric) a[n++] = wob_int(WOB_A_CHAR_WIDTH, c.width);
  if (c.p270 >= 0) a[n++] = wob_int(WOB_A_DECIMALS, c.p270);
  if (c.p272 >= 0) a[n++] = wob_int(WOB_A_WIDTH, c.p272);
  if (c.p337 >= 0) a[n++] = wob_int(WOB_A_JUSTIFY, c.p337);
  for (int i = 0; i < c.nextra && n < 16; ++i) a[n++] = c.extra[i];
  kes_tabcall(table, WOB_M_DEFINE_COLUMN, n, a);
}

void kes_def_dynamic(void* table, const kes_dynpair* pairs, int npairs) {
  wob_attr a[16];
  int n = 0;
  for (int i = 0; i < npairs && n + 1 < 16; ++i) {
    a[n++] = kes_attr_str(WOB_A_DYNAMIC_NAME, pairs[i].name);
    a[n++] = kes_pair_value(pairs[i]);
  }
  kes_tabcall(table, WOB_M_DYNAMIC, n, a);
}

wob_attr kes_pair_value(const kes_dynpair& p) {
  if (p.vtype == 5) return wob_dbl(WOB_A_VALUE, p.dvalue);
  if (p.vtype == 13) return wob_last(WOB_A_VALUE, p.ivalue);
  if (p.text != nullptr) return kes_attr_str(WOB_A_VALUE, p.text);
  if (p.handle != nullptr) return wob_text(WOB_A_VALUE, p.handle);
  return wob_int(WOB_A_VALUE, p.ivalue);
}

int kes_def_end(void* table) { return kes_tabcall(table, WOB_M_END_DEFINE, 0, nullptr); }

void kes_def_close(void* table) {
  const int rc = wobclose(table);
  if (rc < 0) {
    xprrlog(0, rc);
    xexit(rc, 0);
  }
}

// ---- builders of the fixed tables ----

int KesLoc(kes_ctx* ctx) {
  kes_tables& t = *ctx->tables;
  kes_rowbuf& r = t.row;
  void* h = kes_def_create(
      ctx, "TestsForLocation", KES_SET_PROC,
      ctx->weight_given ? KES_MSG_TABLE_WEIGHTED_TESTS_FOR_LOCATION : KES_MSG_TABLE_TESTS_FOR_LOCATION, -1);
  t.handle[KES_TAB_LOCATION] = h;
  kes_def_column(h, kes_char_col("Test", vemmsg(KES_SET_PLOT, KES_MSG_COLUMN_LOCATION_TEST), r.text1, t.width.loctest));
  kes_def_column(
      h, kes_char_col("Testlab", vemmsg(KES_SET_PLOT, KES_MSG_COLUMN_LOCATION_SYMBOL), r.text2, t.width.locsym));
  kes_def_column(h, kes_num_col("Stat", vemmsg(KES_SET_PLOT, KES_MSG_COLUMN_LOCATION_STATISTIC), &r.num[0]));
  kes_def_column(h, kes_char_col("pType", vemmsg(KES_SET_PLOT, KES_MSG_COLUMN_LOCATION_P_TYPE), r.text3, t.width.locp));
  kes_def_column(h, kes_num_col("pValue", vemmsg(KES_SET_PLOT, KES_MSG_COLUMN_LOCATION_P_VALUE), &r.num[1]));
  kes_def_column(h, kes_num_col("Mu0", vemmsg(KES_SET_PLOT, KES_MSG_MU0), &r.num[2]));
  return kes_def_end(h);
}

int KesLocCnt(kes_ctx* ctx) {
  kes_tables& t = *ctx->tables;
  void* h = kes_def_create(ctx, "LocationCounts", KES_SET_PROC, KES_MSG_TABLE_LOCATION_COUNTS, -1);
  t.handle[KES_TAB_LOCCOUNT] = h;
  kes_def_column(
      h, kes_char_col("Count", vemmsg(KES_SET_PLOT, KES_MSG_COLUMN_LOCATION_COUNT), t.row.text1, t.width.loccount));
  kes_def_column(h, kes_num_col("Value", vemmsg(KES_SET_PLOT, KES_MSG_COLUMN_LOCATION_COUNT_VALUE), &t.row.num[0]));
  return kes_def_end(h);
}

int KesQnts(kes_ctx* ctx) {
  kes_tables& t = *ctx->tables;
  kes_rowbuf& r = t.row;
  const kes_procopts& po = ctx->po;
  void* h = kes_def_create(ctx, "Quantiles", KES_SET_PROC,
                           ctx->weight_given ? KES_MSG_TABLE_WEIGHTED_QUANTILES : KES_MSG_TABLE_QUANTILES, 11);
  t.handle[KES_TAB_QUANTILES] = h;
  kes_def_column(h, kes_char_col("Quantile", nullptr, r.text1, t.width.quantile));
  kes_def_column(h, kes_num_col("Estimate", nullptr, &r.num[0], 6, 12, 5));

  // Normal-theory limits.
  const int nk = po.cipctlnormal;
  const double nlevel = 100.0 * (1.0 - po.cipctlnormal_alpha);
  char nqual[8];
  std::memset(nqual, ' ', sizeof nqual);
  xpmstr(nqual, sizeof nqual, KES_SET_PLOT, nk == 3 ? KES_MSG_TWO_SIDED : KES_MSG_ONE_SIDED);
  if (nt_lower(nk))
    kes_def_column(h,
                   kes_num_col("LCLNormal", vemmsgs(KES_SET_PLOT, KES_MSG_LOWER_LIMIT_NORMAL, nlevel, 8, nqual),
                               &r.num[1], -1, 8, 3));
  if (nt_upper(nk))
    kes_def_column(h,
                   kes_num_col("UCLNormal", vemmsgs(KES_SET_PLOT, KES_MSG_UPPER_LIMIT_NORMAL, nlevel, 8, nqual),
                               &r.num[2], -1, 8, 3));
  if (nk == 3) {
    kes_dynpair p[] = {{"StartNormal", "LCLNormal"}, {"EndNormal", "UCLNormal"},
                       {"SpanNormal", nullptr, vemmsgs(KES_SET_PROC, KES_MSG_CL_NORMAL, nlevel, 8, nqual)}};
    kes_def_dynamic(h, p, 3);
  } else if (nk == 1 || nk == 2) {
    const char* col = nk == 1 ? "LCLNormal" : "UCLNormal";
    kes_dynpair p[] = {{"StartNormal", col},
                       {"EndNormal", col},
                       {"SpanNormal", nullptr,
                        vemmsgs(KES_SET_PROC, nk == 1 ? KES_MSG_LCL_NORMAL : KES_MSG_UCL_NORMAL, nlevel, 8, nqual)}};
    kes_def_dynamic(h, p, 3);
  } else {
    kes_dynpair p[] = {{"StartNormal", "LCLNormal"}, {"EndNormal", "UCLNormal"}};
    kes_def_dynamic(h, p, 2);
  }

  // Distribution-free limits.
  const int dk = po.cipctldf;
  const double dlevel = 100.0 * (1.0 - po.cipctldf_alpha);
  char dqual[8];
  std::memset(dqual, ' ', sizeof dqual);
  const bool both = df_lower(dk) && df_upper(dk);
  xpmstr(dqual, sizeof dqual, KES_SET_PLOT, both ? KES_MSG_TWO_SIDED : KES_MSG_ONE_SIDED);
  if (df_lower(dk))
    kes_def_column(
        h,
        kes_num_col("LCLDistFree", vemmsgs(KES_SET_PLOT, KES_MSG_LOWER_LIMIT_DISTRIBUTION_FREE, dlevel, 8, dqual),
                    &r.num[3], 6, 12, 5));
  if (df_upper(dk))
    kes_def_column(
        h,
        kes_num_col("UCLDistFree", vemmsgs(KES_SET_PLOT, KES_MSG_UPPER_LIMIT_DISTRIBUTION_FREE, dlevel, 8, dqual),
                    &r.num[4], 6, 12, 5));
  if (df_lower(dk))
    kes_def_column(h, kes_num_col("LCLRank", vemmsgs(KES_SET_PLOT, KES_MSG_LOWER_RANK, 8, dqual), &r.num[5]));
  if (df_upper(dk))
    kes_def_column(h, kes_num_col("UCLRank", vemmsgs(KES_SET_PLOT, KES_MSG_UPPER_RANK, 8, dqual), &r.num[6]));
  if (df_lower(dk) || df_upper(dk))
    kes_def_column(h, kes_num_col("CovProb", vemmsg(KES_SET_PLOT, KES_MSG_COVERAGE), &r.num[7]));
  if (both) {
    // The two-sided span header has its own entry: KES_MSG_QUANTILE_ROW_MIN is the minimum's row label.
    kes_dynpair p[] = {{"StartDF", "LCLDistFree"},
                       {"EndDF", "UCLDistFree"},
                       {"spanorder", nullptr, vemmsg(KES_SET_PROC, KES_MSG_ORDER_STATISTICS)},
                       {"StartOrder", "LCLRank"},
                       {"EndOrder", "CovProb"},
                       {"SpanDF", nullptr, vemmsgs(KES_SET_PROC, KES_MSG_CL_DISTRIBUTION_FREE, dlevel, 8, dqual)}};
    kes_def_dynamic(h, p, 6);
  } else if (df_lower(dk) || df_upper(dk)) {
    const bool lo = df_lower(dk);
    const char* col = lo ? "LCLDistFree" : "UCLDistFree";
    kes_dynpair p[] = {
        {"StartDF", col},
        {"EndDF", col},
        {"spanorder", nullptr, vemmsg(KES_SET_PROC, KES_MSG_ORDER_STATISTICS)},
        {"StartOrder", lo ? "LCLRank" : "UCLRank"},
        {"EndOrder", "CovProb"},
        {"SpanDF", nullptr,
         vemmsgs(KES_SET_PROC, lo ? KES_MSG_LCL_DISTRIBUTION_FREE : KES_MSG_UCL_DISTRIBUTION_FREE, dlevel, 8, dqual)}};
    kes_def_dynamic(h, p, 6);
  } else {
    kes_dynpair p[] = {{"StartDF", "LCLDistFree"}, {"EndDF", "UCLDistFree"}, {"StartOrder", "LCLRank"},
                       {"EndOrder", "CovProb"}};
    kes_def_dynamic(h, p, 4);
  }
  return kes_def_end(h);
}

int KesMeas(kes_ctx* ctx) {
  kes_tables& t = *ctx->tables;
  kes_rowbuf& r = t.row;
  void* h = kes_def_create(ctx, "BasicMeasures", KES_SET_PROC,
                           ctx->weight_given ? KES_MSG_TABLE_WEIGHTED_BASIC_MEASURES : KES_MSG_TABLE_BASIC_MEASURES, 4);
  t.handle[KES_TAB_MEASURES] = h;
  kes_coldef c = kes_char_col("LocMeasure", vemmsg(KES_SET_PLOT, KES_MSG_LOCATION), r.text1, t.width.locmeasure);
  c.cell_first = true;
  kes_def_column(h, c);
  c = kes_num_col("LocValue", vemmsg(KES_SET_PLOT, KES_MSG_VALUE), &r.num[0], -1, 8, 3);
  c.cell_first = true;
  kes_def_column(h, c);
  c = kes_char_col("VarMeasure", vemmsg(KES_SET_PLOT, KES_MSG_VARIABILITY), r.text2, t.width.varmeasure);
  c.cell_first = true;
  kes_def_column(h, c);
  c = kes_num_col("VarValue", vemmsg(KES_SET_PLOT, KES_MSG_COLUMN_VARIABILITY_VALUE), &r.num[1]);
  c.cell_first = true;
  kes_def_column(h, c);
  return kes_def_end(h);
}

int KesMode(kes_ctx* ctx) {
  kes_tables& t = *ctx->tables;
  void* h = kes_def_create(ctx, "Modes", KES_SET_PROC, KES_MSG_TABLE_MODES, -1);
  t.handle[KES_TAB_MODES] = h;
  kes_def_column(h, kes_num_col("Mode", vemmsg(KES_SET_PLOT, KES_MSG_MODE), &t.row.num[0], 6, 12, 5));
  kes_def_column(h, kes_num_col("Count", vemmsg(KES_SET_PLOT, KES_MSG_COUNT), &t.row.num[1]));
  return kes_def_end(h);
}

int KesIntvl(kes_ctx* ctx) {
  kes_tables& t = *ctx->tables;
  kes_rowbuf& r = t.row;
  const int k = ctx->po.cibasic;
  const double level = 100.0 * (1.0 - ctx->po.cibasic_alpha);
  void* h = kes_def_create(
      ctx, "BasicIntervals", KES_SET_PROC,
      ctx->weight_given ? KES_MSG_TABLE_WEIGHTED_BASIC_CONFIDENCE_LIMITS : KES_MSG_TABLE_BASIC_CONFIDENCE_LIMITS, -1);
  t.handle[KES_TAB_INTERVALS] = h;
  kes_def_column(h, kes_char_col("Parameter", nullptr, r.text1, t.width.interval));
  kes_def_column(h, kes_num_col("Estimate", nullptr, &r.num[0]));
  if (nt_lower(k)) kes_def_column(h, kes_num_col("LowerCL", nullptr, &r.num[1]));
  if (nt_upper(k)) kes_def_column(h, kes_num_col("UpperCL", nullptr, &r.num[2]));
  if (k == 3) {
    kes_dynpair p[] = {{"StartLimit", "LowerCL"}, {"EndLimit", "UpperCL"},
                       {"SpanInterval", nullptr, vemmsgs(KES_SET_PROC, KES_MSG_CONFIDENCE_LIMITS, level)}};
    kes_def_dynamic(h, p, 3);
  } else if (k == 1 || k == 2) {
    const char* col = k == 1 ? "LowerCL" : "UpperCL";
    kes_dynpair p[] = {
        {"StartLimit", col},
        {"EndLimit", col},
        {"SpanInterval", nullptr,
         vemmsgs(KES_SET_PROC, k == 1 ? KES_MSG_LOWER_CONFIDENCE_LIMIT : KES_MSG_UPPER_CONFIDENCE_LIMIT, level)}};
    kes_def_dynamic(h, p, 3);
  }
  return kes_def_end(h);
}

int KesRobScl(kes_ctx* ctx) {
  kes_tables& t = *ctx->tables;
  void* h = kes_def_create(ctx, "RobustScale", KES_SET_PROC, KES_MSG_TABLE_ROBUST_MEASURES_OF_SCALE, 5);
  t.handle[KES_TAB_ROBUST] = h;
  kes_def_column(h, kes_char_col("Measure", vemmsg(KES_SET_PLOT, KES_MSG_MEASURE), t.row.text1, t.width.robust));
  kes_def_column(h, kes_num_col("Value", vemmsg(KES_SET_PLOT, KES_MSG_COLUMN_ROBUST_VALUE), &t.row.num[0], -1, 8, 2));
  kes_def_column(h, kes_num_col("Sigma", vemmsg(KES_SET_PLOT, KES_MSG_ESTIMATE_SIGMA), &t.row.num[1], -1, 8, 2));
  return kes_def_end(h);
}

int KesNrm(kes_ctx* ctx) {
  kes_tables& t = *ctx->tables;
  kes_rowbuf& r = t.row;
  void* h = kes_def_create(ctx, "TestsForNormality", KES_SET_PROC, KES_MSG_TABLE_TESTS_FOR_NORMALITY, 4);
  t.handle[KES_TAB_NORMAL] = h;
  kes_def_column(h, kes_char_col("Test", vemmsg(KES_SET_PLOT, KES_MSG_TEST), r.text1, t.width.nrmtest));
  kes_def_column(h, kes_char_col("TestLab", vemmsg(KES_SET_PLOT, KES_MSG_SYMBOL), r.text2, t.width.nrmsym));
  kes_def_column(h, kes_num_col("Stat", vemmsg(KES_SET_PLOT, KES_MSG_STATISTIC), &r.num[0], -1, 8, 2));
  kes_def_column(h, kes_char_col("pType", vemmsg(KES_SET_PLOT, KES_MSG_PROBABILITY), r.text3, t.width.nrmp));
  kes_def_column(h, kes_char_col("pSign", vemmsg(KES_SET_PLOT, KES_MSG_RELATION), r.sign, 1));
  kes_def_column(h, kes_num_col("pValue", vemmsg(KES_SET_PLOT, KES_MSG_P_VALUE), &r.num[1]));
  return kes_def_end(h);
}

// ---- the whole set ----

int kesxvem(kes_ctx* ctx) {
  kes_tables& t = *ctx->tables;
  const kes_statlabels& l = ctx->stats->labels;
  t.width = kes_tabwidths{l.g9.longest,  l.g3.longest,  l.g4.longest,  l.g5.longest,
                          l.g10.longest, l.g11.longest, l.g12.longest, l.g13.longest,
                          l.g14.longest, l.g6.longest,  l.g7.longest,  l.g8.longest};
  // A character column needs at least one byte.
  for (int* w : {&t.width.quantile, &t.width.locmeasure, &t.width.varmeasure, &t.width.interval,
                 &t.width.robust, &t.width.loctest, &t.width.locsym, &t.width.locp, &t.width.loccount,
                 &t.width.nrmtest, &t.width.nrmsym, &t.width.nrmp})
    if (*w < 1) *w = 1;

  int rc = KesLoc(ctx);
  if (ctx->loccount) rc = KesLocCnt(ctx);
  rc = KesQnts(ctx);
  rc = KesMeas(ctx);
  if (ctx->po.modes) rc = KesMode(ctx);
  if (ctx->po.cibasic != 0) rc = KesIntvl(ctx);
  if (ctx->robustscale) rc = KesRobScl(ctx);
  if (ctx->normal) rc = KesNrm(ctx);
  if (ctx->ntrimmed > 0) rc = KesTwm(ctx, 1);
  if (ctx->nwinsorized > 0) rc = KesTwm(ctx, 2);
  if (ctx->nextrobs != 0) rc = KesExtObs(ctx);
  if (ctx->nextrval != 0) rc = KesExtVal(ctx);
  rc = KesMiss(ctx);
  if (ctx->freq) rc = KesFreq(ctx);

  if (t.fitlabels_wanted && t.fitlabels != nullptr) {
    for (int i = 0; i < KES_GOF_TESTS; ++i) {
      t.fitlabels->text[i] = vemmsg(KES_SET_PLOT, KES_GOF_TEXTS[i].name);
      t.fitlabels->text[KES_GOF_TESTS + i] = vemmsg(KES_SET_PLOT, KES_GOF_TEXTS[i].symbol);
      t.fitlabels->text[2 * KES_GOF_TESTS + i] = vemmsg(KES_SET_PLOT, KES_GOF_TEXTS[i].pvalue);
    }
  }
  return rc;
}
