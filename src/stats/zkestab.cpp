// The printed tables of one analysis variable in one cell: kesprt (heading, then the
// statistics, missing-values and frequency tables), keshdr (the heading lines) and
// zkestab (Moments and the descriptive tables, filled from the statistics record
// into the row buffer the definitions bound their columns to).
#include <cmath>
#include <cstring>

#include "host/host_print.h"
#include "host/host_services.h"
#include "kes_msg_names.h"
#include "records/kes_ctx.h"
#include "records/kes_valview.h"
#include "util/kes_minmax.h"
#include "stats/kes_stats.h"
#include "stats/kes_tables.h"
#include "stats/lp_page.h"
#include "stats/tables_bind.h"
#include "stats/tables_call.h"
#include "util/kes_eps.h"

namespace {

// Counts below this are taken as zero (2^-53 times 100000).
constexpr double kTiny = 100000.0 * KES_EPS53;

bool is_missing(double v) { return std::isnan(v); }

void set_text(char* cell, const char* label) { std::memcpy(cell, label, KES_ROWTEXT); }

void clear_row(kes_rowbuf& r) {
  std::memset(r.text1, ' ', sizeof r.text1);
  std::memset(r.text2, ' ', sizeof r.text2);
  std::memset(r.text3, ' ', sizeof r.text3);
  std::memset(r.sign, ' ', sizeof r.sign);
  for (double& d : r.num) d = kes_tab_missing();
}

bool vardef_is_df(const kes_ctx* ctx) { return std::memcmp(ctx->vardef, "DF      ", 8) == 0; }


// The heading line of a FREQ or WEIGHT variable: name only, or name and label.
void* role_line(kes_ctx* ctx, int varnum, int plain, int labelled) {
  host_varinfo info{};
  xvname(ctx->data, varnum, &info);
  const int nlen = kes_trimlen(info.name, info.name_len);
  const int llen = kes_trimlen(info.label, info.label_len);
  return llen > 0 ? vemmsgs(KES_SET_PROC, labelled, nlen, info.name, llen, info.label)
                  : vemmsgs(KES_SET_PROC, plain, nlen, info.name);
}

// ---- the tables ----

void moments(kes_ctx* ctx, kes_stats* st) {
  const kes_statlabels& l = st->labels;
  const int label = ctx->weight_given ? KES_MSG_TABLE_WEIGHTED_MOMENTS : KES_MSG_TABLE_MOMENTS;
  wob_attr a[10] = {
      kes_attr_str(WOB_A_FAMILY, "vem"),
      kes_attr_str(WOB_A_CLASS, "factoid"),
      wob_out(WOB_A_HANDLE),
      kes_attr_txt(WOB_A_TEMPLATE, "orbo.kestravine.Moments", -1),
      wob_int(WOB_A_MINUS_ONE, -1),
      kes_attr_txt(WOB_A_NAME, "Moments", -1),
      kes_attr_msg(WOB_A_LABEL, KES_SET_PROC, label),
      kes_attr_msg(WOB_A_TOC_LABEL, KES_SET_PROC, label),
      wob_last(WOB_A_TOC_WANTED, ctx->toc_wanted ? 1 : 0),
  };
  kes_tabcall(ctx->objs.root, WOB_M_CREATE, 9, a);
  void* f = a[2].w.p;
  for (int i = 0; i < 6; ++i) {
    wob_attr left[4] = {kes_attr_txt(WOB_A_LABEL, l.g1.slot[i], l.g1.longest), wob_dbl(WOB_A_VALUE, *l.mom_left[i]),
                        wob_int(WOB_A_WIDTH, 10), wob_int(WOB_A_DECIMALS, 99)};
    kes_tabcall(f, WOB_M_FACTOID_ROW, 4, left);
    wob_attr right[5] = {wob_int(WOB_A_POSITION, 2), kes_attr_txt(WOB_A_LABEL, l.g2.slot[i], l.g2.longest),
                         wob_dbl(WOB_A_VALUE, *l.mom_right[i]), wob_int(WOB_A_WIDTH, 10), wob_int(WOB_A_DECIMALS, 99)};
    kes_tabcall(f, WOB_M_FACTOID_ROW, 5, right);
  }
  kes_tabcall(f, WOB_M_END_ROWS, 0, nullptr);
  int rc = wobclose(f);
  if (rc < 0) {
    xprrlog(0, rc);
    xexit(rc, 0);
  }
}

void basic_measures(kes_ctx* ctx, kes_stats* st) {
  kes_tables& t = *ctx->tables;
  kes_rowbuf& r = t.row;
  const kes_statlabels& l = st->labels;
  kes_dynpair p[] = {{"MeasHdr", nullptr,
                      vemmsg(KES_SET_PROC, ctx->weight_given ? KES_MSG_WEIGHTED_BASIC_STATISTICAL_MEASURES
                                                             : KES_MSG_BASIC_STATISTICAL_MEASURES)}};
  kes_bind(ctx, KES_TAB_MEASURES, "orbo.kestravine.Measures", p, 1);
  static constexpr int kLoc[4] = {KES_BAS_MEAN, KES_BAS_MEDIAN, KES_BAS_MODE, KES_BAS_BLANK};
  static constexpr int kVar[4] = {KES_BAS_STD, KES_BAS_VAR, KES_BAS_RANGE, KES_BAS_QRANGE};
  for (int i = 0; i < 4; ++i) {
    clear_row(r);
    set_text(r.text1, l.g3.slot[i]);
    // The fourth location row has no measure: its cell prints empty.
    r.num[0] = kLoc[i] == KES_BAS_BLANK ? kes_tab_blank() : st->basic[kLoc[i]];
    set_text(r.text2, l.g4.slot[i]);
    r.num[1] = st->basic[kVar[i]];
    kes_add_row(ctx, KES_TAB_MEASURES);
  }
  wob_attr note[1];
  int n = 0;
  if (st->basic_nmodes > 1)
    note[n++] = wob_text(WOB_A_FOOTNOTE, vemmsgs(KES_SET_PROC, KES_MSG_MODE_IS_SMALLEST_OF_SEVERAL, st->basic_nmodes,
                                                 st->basic_maxfreq));
  kes_end_emit(ctx, KES_TAB_MEASURES, note, n);
  if (ctx->po.modes && t.handle[KES_TAB_MODES] != nullptr)
    zkesmod(ctx, st->view, is_missing(st->qnt[KES_Q_MODE]) ? 0 : st->maxfreq);
}

void basic_intervals(kes_ctx* ctx, kes_stats* st) {
  kes_rowbuf& r = ctx->tables->row;
  const double level = 100.0 * (1.0 - ctx->po.cibasic_alpha);
  kes_dynpair p[] = {{"CiHdr", nullptr,
                      vemmsg(KES_SET_PROC, ctx->weight_given ? KES_MSG_WEIGHTED_BASIC_CONFIDENCE_LIMITS
                                                             : KES_MSG_BASIC_CONFIDENCE_LIMITS_ASSUMING)},
                     {"conflevel", nullptr, vemmsgs(KES_SET_PROC, KES_MSG_CONFIDENCE_LEVEL_PERCENT, level)}};
  kes_bind(ctx, KES_TAB_INTERVALS, "orbo.kestravine.ConfLimits", p, 2);
  for (int i = 0; i < 3; ++i) {
    clear_row(r);
    set_text(r.text1, st->labels.g5.slot[i]);
    r.num[0] = st->bcl[KES_BCL_EST_MEAN + i];
    r.num[1] = st->bcl[KES_BCL_LO_MEAN + i];
    r.num[2] = st->bcl[KES_BCL_UP_MEAN + i];
    kes_add_row(ctx, KES_TAB_INTERVALS);
  }
  kes_end_emit(ctx, KES_TAB_INTERVALS, nullptr, 0);
}

void location_tests(kes_ctx* ctx, kes_stats* st) {
  kes_rowbuf& r = ctx->tables->row;
  const kes_statlabels& l = st->labels;
  const double mu0 = st->loc.v[KES_LOC_MU0];
  kes_dynpair p[3];
  p[0] = {
      "LocHdr", nullptr,
      vemmsgs(KES_SET_PROC, ctx->weight_given ? KES_MSG_WEIGHTED_TESTS_LOCATION_MU0 : KES_MSG_TESTS_LOCATION_MU0, mu0)};
  p[1] = kes_pair_dbl("npmu0", st->loc.v[KES_LOC_NABOVE]);
  p[2] = kes_pair_dbl("nnmu0", st->loc.v[KES_LOC_NDIFF]);
  kes_bind(ctx, KES_TAB_LOCATION, "orbo.kestravine.Location", p, 3);
  auto row = [&](int i, double stat, double pv) {
    clear_row(r);
    set_text(r.text1, l.g11.slot[i]);
    set_text(r.text2, l.g12.slot[i]);
    set_text(r.text3, l.g13.slot[i]);
    r.num[0] = stat;
    r.num[1] = pv;
    r.num[2] = mu0;
    kes_add_row(ctx, KES_TAB_LOCATION);
  };
  if (vardef_is_df(ctx)) row(0, st->loc.v[KES_LOC_T], st->loc.v[KES_LOC_PT]);
  if (!ctx->weight_given) {
    row(1, st->loc.v[KES_LOC_M], st->loc.v[KES_LOC_PM]);
    row(2, st->loc.v[KES_LOC_S], st->loc.v[KES_LOC_PS]);
  }
  kes_end_emit(ctx, KES_TAB_LOCATION, nullptr, 0);
}

void location_counts(kes_ctx* ctx, kes_stats* st) {
  kes_rowbuf& r = ctx->tables->row;
  kes_dynpair p[] = {kes_pair_dbl("LocDef", st->loccount[KES_LC_MU0])};
  kes_bind(ctx, KES_TAB_LOCCOUNT, "orbo.kestravine.LocCount", p, 1);
  static constexpr int kCell[3] = {KES_LC_ABOVE, KES_LC_NDIFF, KES_LC_BELOW};
  for (int i = 0; i < 3; ++i) {
    clear_row(r);
    set_text(r.text1, st->labels.g14.slot[i]);
    r.num[0] = st->loccount[kCell[i]];
    kes_add_row(ctx, KES_TAB_LOCCOUNT);
  }
  kes_end_emit(ctx, KES_TAB_LOCCOUNT, nullptr, 0);
}

void normality(kes_ctx* ctx, kes_stats* st) {
  kes_rowbuf& r = ctx->tables->row;
  const kes_statlabels& l = st->labels;
  const kes_nrmres& n = st->nrm;
  kes_dynpair p[] = {{"DistTitle", nullptr, vemmsg(KES_SET_PLOT, KES_MSG_TESTS_NORMALITY)}};
  kes_bind(ctx, KES_TAB_NORMAL, "orbo.kestravine.Normal", p, 1);
  const double stat[4] = {n.w, n.d, n.wsq, n.asq};
  const double prob[4] = {n.pw, n.pd, n.pwsq, n.pasq};
  for (int i = n.ntests == 4 ? 0 : 1; i < 4; ++i) {
    clear_row(r);
    set_text(r.text1, l.g6.slot[i]);
    set_text(r.text2, l.g7.slot[i]);
    set_text(r.text3, l.g8.slot[i]);
    r.sign[0] = n.qual[i] == '\0' ? ' ' : n.qual[i];
    r.num[0] = stat[i];
    r.num[1] = prob[i];
    if (i == 0 && !is_missing(prob[0]) && prob[0] < 0.0001) {
      r.num[1] = 0.0001;
      r.sign[0] = '<';
    }
    kes_add_row(ctx, KES_TAB_NORMAL);
  }
  kes_end_emit(ctx, KES_TAB_NORMAL, nullptr, 0);
}

void twm(kes_ctx* ctx, kes_stats* st, bool trim) {
  kes_rowbuf& r = ctx->tables->row;
  const kes_twmres* res = trim ? st->trimmed : st->winsorized;
  const int n = trim ? ctx->ntrimmed : ctx->nwinsorized;
  const int id = trim ? KES_TAB_TRIMMED : KES_TAB_WINSORIZED;
  if (res == nullptr || n <= 0 || ctx->tables->handle[id] == nullptr) return;
  const double level = 100.0 * (1.0 - (trim ? ctx->po.trim_alpha : ctx->po.winsor_alpha));
  kes_dynpair p[3];
  p[0] = {"TwmDef", nullptr, vemmsg(KES_SET_PROC, trim ? KES_MSG_TABLE_TRIMMED_MEANS : KES_MSG_TABLE_WINSORIZED_MEANS)};
  p[1] = kes_pair_dbl("mu0", res[0].cell[KES_TWM_MU0]);
  p[2] = {"conflevel", nullptr, vemmsgs(KES_SET_PROC, KES_MSG_CONFIDENCE_LEVEL_PERCENT, level)};
  kes_bind(ctx, id, trim ? "orbo.kestravine.Trim" : "orbo.kestravine.Wins", p, 3);
  for (int k = 0; k < n; ++k) {
    clear_row(r);
    for (int c = 0; c < KES_ROWNUMS; ++c) r.num[c] = res[k].cell[KES_TWM_PCT + c];
    kes_add_row(ctx, id);
  }
  kes_end_emit(ctx, id, nullptr, 0);
}

void robust_scale(kes_ctx* ctx, kes_stats* st) {
  kes_rowbuf& r = ctx->tables->row;
  kes_bind(ctx, KES_TAB_ROBUST, "orbo.kestravine.Robustscale", nullptr, 0);
  for (int i = 0; i < 5; ++i) {
    clear_row(r);
    set_text(r.text1, st->labels.g10.slot[i]);
    r.num[0] = st->scl[KES_SCL_QRANGE + i];
    r.num[1] = st->scl[KES_SCL_STD_QRANGE + i];
    kes_add_row(ctx, KES_TAB_ROBUST);
  }
  kes_end_emit(ctx, KES_TAB_ROBUST, nullptr, 0);
}

void quantiles(kes_ctx* ctx, kes_stats* st) {
  kes_rowbuf& r = ctx->tables->row;
  const kes_procopts& po = ctx->po;
  kes_dynpair p[3];
  p[0] = {"QntlHdr", nullptr,
          ctx->weight_given ? vemmsg(KES_SET_PROC, KES_MSG_TABLE_WEIGHTED_QUANTILES)
                            : vemmsgs(KES_SET_PROC, KES_MSG_QUANTILES_DEFINITION, st->pctldef)};
  p[1] = {"clevelNormal", nullptr,
          vemmsgs(KES_SET_PROC, KES_MSG_CONFIDENCE_LEVEL_PERCENT, 100.0 * (1.0 - po.cipctlnormal_alpha))};
  p[2] = {"clevelDF", nullptr,
          vemmsgs(KES_SET_PROC, KES_MSG_CONFIDENCE_LEVEL_PERCENT, 100.0 * (1.0 - po.cipctldf_alpha))};
  kes_bind(ctx, KES_TAB_QUANTILES, "orbo.kestravine.Quantiles", p, 3);
  const double* lim[7] = {st->pct_ntlower, st->pct_ntupper, st->pct_dflower, st->pct_dfupper,
                          st->pct_lrank,   st->pct_urank,   st->pct_coverage};
  for (int i = 0; i < 11; ++i) {
    clear_row(r);
    const double v = *st->labels.qnt_rows[i];
    // The 100% and 0% rows are called Max and Min only where they are.
    const bool end = i == 0 || i == 10;
    const bool extreme = !end || v == st->qnt[i == 0 ? KES_Q_MAX : KES_Q_MIN] || is_missing(v);
    set_text(r.text1, extreme ? st->labels.g9.slot[i] : st->labels.g9ends.slot[i == 0 ? 0 : 1]);
    r.num[0] = v;
    for (int c = 0; c < 7; ++c) r.num[1 + c] = i == 0 || i == 10 ? kes_tab_blank() : lim[c][i - 1];
    kes_add_row(ctx, KES_TAB_QUANTILES);
  }
  kes_end_emit(ctx, KES_TAB_QUANTILES, nullptr, 0);
}

void extreme_obs(kes_ctx* ctx, kes_stats* st) {
  kes_tables& t = *ctx->tables;
  kes_rowbuf& r = t.row;
  const kes_extremes& e = st->ext;
  const int n = ctx->nextrobs;
  if (e.lowest == nullptr || e.highest == nullptr || n <= 0) return;
  kes_bind(ctx, KES_TAB_EXTOBS, "orbo.kestravine.ExtObs", nullptr, 0);
  int off = 0;
  while (off < n && is_missing(e.highest[off])) ++off;
  const int k = ctx->nids;
  const int tl = ctx->dp.idtextlen;
  for (int j = 0; j < n; ++j) {
    if (is_missing(e.lowest[j])) continue;
    clear_row(r);
    const int h = j + off;
    r.num[0] = e.lowest[j];
    r.num[1] = e.low_obs[j];
    if (h < n) {
      r.num[2] = e.highest[h];
      r.num[3] = e.high_obs[h];
    }
    if (ctx->freq_given && e.low_freq != nullptr) {
      r.num[4] = e.low_freq[j];
      if (h < n) r.num[5] = e.high_freq[h];
    }
    for (int i = 0; i < k; ++i) {
      if (ctx->dp.idtypes[i] == 1) {
        if (e.low_idnum != nullptr) t.low_idnum[i] = e.low_idnum[static_cast<long>(j) * k + i];
        if (e.high_idnum != nullptr) t.high_idnum[i] = h < n ? e.high_idnum[static_cast<long>(h) * k + i] : kes_tab_missing();
      } else {
        const int o = ctx->dp.idoffsets[i];
        const int len = ctx->dp.idoffsets[i + 1] - o;
        if (len <= 0) continue;
        if (e.low_idchar != nullptr) std::memcpy(t.low_idchar + o, e.low_idchar + static_cast<long>(j) * tl + o, len);
        if (e.high_idchar != nullptr) {
          if (h < n) std::memcpy(t.high_idchar + o, e.high_idchar + static_cast<long>(h) * tl + o, len);
          else std::memset(t.high_idchar + o, ' ', len);
        }
      }
    }
    kes_add_row(ctx, KES_TAB_EXTOBS);
  }
  kes_end_emit(ctx, KES_TAB_EXTOBS, nullptr, 0);
}

void extreme_values(kes_ctx* ctx, kes_stats* st) {
  kes_rowbuf& r = ctx->tables->row;
  const int tie = ctx->freq_given || st->ndistinct < st->mom.v[KES_MOM_N] ? 1 : 0;
  kes_dynpair p[3];
  p[0] = kes_pair_flag("tie", tie);
  p[1] = {"lowend", tie ? "LowFreq" : "Low"};
  p[2] = {"highend", tie ? "HighFreq" : "High"};
  kes_bind(ctx, KES_TAB_EXTVAL, "orbo.kestravine.ExtVal", p, 3);
  const int m = st->view != nullptr ? st->view->m : 0;
  const int k = kes::min(kes::min(st->ndistinct, m), ctx->nextrval);
  // The k lowest and the k highest distinct values, side by side.
  for (int j = 0; j < k; ++j) {
    const int hi = m - k + j;
    clear_row(r);
    r.num[0] = j + 1;
    r.num[1] = st->view->x[j];
    r.num[3] = st->ndistinct + j + 1 - k;
    r.num[4] = st->view->x[hi];
    if (tie) {
      r.num[2] = st->view->f[j];
      r.num[5] = st->view->f[hi];
    }
    kes_add_row(ctx, KES_TAB_EXTVAL);
  }
  kes_end_emit(ctx, KES_TAB_EXTVAL, nullptr, 0);
}

}  // namespace

void keshdr(kes_ctx* ctx, int v) {
  int line = 1;
  kes_heading_line(ctx, line++, vemmsg(KES_SET_PROC, KES_MSG_KESTRAVINE_PROCEDURE));
  host_varinfo info{};
  xvname(ctx->data, ctx->varnums[v], &info);
  const int nlen = kes_trimlen(info.name, info.name_len);
  const int llen = kes_trimlen(info.label, info.label_len);
  kes_heading_line(ctx, line++,
                   llen > 0 ? vemmsgs(KES_SET_PROC, KES_MSG_VARIABLE_LABELLED, nlen, info.name, llen, info.label)
                            : vemmsgs(KES_SET_PROC, KES_MSG_VARIABLE, nlen, info.name));
  const kes_datapass& dp = ctx->dp;
  if (dp.round_flag != nullptr && dp.round_flag[v] && dp.round_inc != nullptr)
    kes_heading_line(ctx, line++, vemmsgs(KES_SET_PROC, KES_MSG_VALUES_ROUNDED_NEAREST, dp.round_inc[v]));
  if (ctx->freq_given || ctx->weight_given) {
    // One empty line sets the FREQ and WEIGHT lines apart.
    kes_heading_line(ctx, line++, vemtxt("", 0));
    if (ctx->freq_given)
      kes_heading_line(ctx, line++,
                       role_line(ctx, dp.freq_varnum, KES_MSG_FREQUENCY_VARIABLE, KES_MSG_FREQUENCY_VARIABLE_LABELLED));
    if (ctx->weight_given)
      kes_heading_line(ctx, line++,
                       role_line(ctx, dp.weight_varnum, KES_MSG_WEIGHT_VARIABLE, KES_MSG_WEIGHT_VARIABLE_LABELLED));
  }
  const kes_classvars* cv = ctx->classvars;
  if (cv != nullptr) {
    for (int i = 0; i < cv->count; ++i) {
      const kes_classvar& c = cv->var[i];
      const char* text = c.fmt.text != nullptr ? c.fmt.text : "";
      const int len = c.fmt.text != nullptr ? c.fmt.len : 0;
      const bool blank = i == 0 && c.type == 2 && (len == 0 || text[0] == ' ');
      kes_heading_line(
          ctx, line++,
          blank ? vemmsgs(KES_SET_PROC, KES_MSG_BLANK, static_cast<int>(c.name.len), c.name.text)
                : vemmsgs(KES_SET_PROC, KES_MSG_CLASS_LEVEL, static_cast<int>(c.name.len), c.name.text, len, text));
    }
  }
  // Lines from the counter on (left from an earlier variable) are dropped.
  kes_heading_count(ctx, line);
}

int zkestab(kes_ctx* ctx, kes_stats* st) {
  kes_tables& t = *ctx->tables;
  moments(ctx, st);
  if (t.handle[KES_TAB_MEASURES] != nullptr) basic_measures(ctx, st);
  if (ctx->po.cibasic != 0 && t.handle[KES_TAB_INTERVALS] != nullptr) basic_intervals(ctx, st);
  if (!(ctx->weight_given && !vardef_is_df(ctx)) && t.handle[KES_TAB_LOCATION] != nullptr) location_tests(ctx, st);
  if (ctx->loccount && t.handle[KES_TAB_LOCCOUNT] != nullptr) location_counts(ctx, st);
  if (ctx->normal && t.handle[KES_TAB_NORMAL] != nullptr) normality(ctx, st);
  if (ctx->ntrimmed > 0) twm(ctx, st, true);
  if (ctx->nwinsorized > 0) twm(ctx, st, false);
  if (ctx->robustscale && t.handle[KES_TAB_ROBUST] != nullptr) robust_scale(ctx, st);
  if (t.handle[KES_TAB_QUANTILES] != nullptr) quantiles(ctx, st);
  if (ctx->nextrobs > 0 && t.handle[KES_TAB_EXTOBS] != nullptr) extreme_obs(ctx, st);
  if (ctx->nextrval > 0 && t.handle[KES_TAB_EXTVAL] != nullptr) extreme_values(ctx, st);
  return 0;
}

int kesprt(kes_ctx* ctx, kes_stats* st) {
  keshdr(ctx, ctx->curvar);
  xppage(0);
  const double n = st->mom.v[KES_MOM_N];
  const double nmiss = st->mom.v[KES_MOM_NMISS];
  const bool have_n = !is_missing(n) && std::fabs(n) >= kTiny;
  const bool have_miss = !is_missing(nmiss) && std::fabs(nmiss) >= kTiny;
  if (!have_n && !have_miss) return 0;
  if (have_n && n > 0) zkestab(ctx, st);
  if (have_miss && nmiss > 0 && ctx->tables->handle[KES_TAB_MISSING] != nullptr) {
    const double nobs = st->mom.v[KES_MOM_NOBS];
    zkesmis(ctx, st->view, nmiss, is_missing(nobs) ? (have_n ? n : 0.0) + nmiss : nobs);
  }
  if (ctx->freq && st->ndistinct > 0 && ctx->tables->handle[KES_TAB_FREQ] != nullptr)
    zkesfrq(ctx, st->view, n);
  if (ctx->plot) {
    const host_printline* pl = xpoutl(0, 0);
    const int page = pl != nullptr && pl->pagesize > 0 ? pl->pagesize : ctx->pagesize;
    int no_normal = 0;
    const int lines = kesform(ctx, st, page, &no_normal);
    xpskip(2);
    if (lines > 0) kesplot(ctx, lines, no_normal);
  }
  kes_heading_count(ctx, 2);
  return 0;
}
