// fitvem: the tables of one fitted curve of a cell (ParameterEstimates, GoodnessOfFit,
// Bins, FitQuantiles) under its heading and output group; kesopct: observed quantiles.
#include <cmath>
#include <algorithm>
#include <charconv>
#include <string_view>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <initializer_list>
#include <vector>

#include "fit/kes_cellnote.h"
#include "fit/kes_estframe.h"
#include "fit/kes_famfn.h"
#include "fitreport/kes_edf3.h"
#include "fitreport/kes_famopts.h"
#include "fitreport/kes_famsets.h"
#include "fitreport/kes_fitbind.h"
#include "fitreport/kes_fitrep.h"
#include "host/host_services.h"
#include "host/step_codes.h"
#include "kes_gram_names.h"
#include "kes_msg_names.h"
#include "records/family_names.h"
#include "records/kes_cell.h"
#include "records/kes_ctx.h"
#include "records/kes_curve.h"
#include "records/kes_plotslot.h"
#include "records/kes_values.h"
#include "records/kes_varsum.h"
#include "records/stmt_slots.h"
#include "stats/gof_test_texts.h"
#include "stats/tables_call.h"
#include "stats/tables_define.h"
#include "stats/value_format.h"
#include "stats/zkesqnt.h"
#include "stats/zqsig2.h"

namespace {
constexpr double kDefaultPercents[9] = {1, 5, 10, 25, 50, 75, 90, 95, 99};

// Widest text of the messages (KES_SET_PLOT), at most limit characters.
int widest(std::initializer_list<int> messages, int limit = 16) {
  int w = 1;
  for (const int m : messages) {
    char buf[KES_FITCELL];
    const int len = xpmstr(buf, limit, KES_SET_PLOT, m);
    if (len > w) w = len > limit ? limit : len;
  }
  return w;
}

// The display layout of a column of values: zqsig2 over their magnitudes.
struct sig_track {
  double big = 0.0, small = HUGE_VAL, gap = HUGE_VAL, prev = 0.0;
  double lo = HUGE_VAL, hi = -HUGE_VAL;
  int decimals = 0;  // the most decimals of the values' shortest texts
  bool any = false;
  bool infinite = false;
  // An infinite quantile takes no part: the finite ones choose a format that shows
  // them, wide enough for "-Inf" too.
  void add(double v) {
    if (std::isinf(v)) infinite = true;
    if (!std::isfinite(v)) return;
    const double a = std::fabs(v);
    big = std::fmax(big, a);
    small = std::fmin(small, a);
    gap = std::fmin(gap, std::fabs(a - prev));
    prev = a;
    lo = std::fmin(lo, v);
    hi = std::fmax(hi, v);
    decimals = std::max(decimals, shortest_decimals(v));
    any = true;
  }
  void layout(int* w, int* d) const {
    if (!any) {
      *w = 12;
      *d = 4;
      return;
    }
    zqsig2(-big, -small, gap, 7, 12, w, d);
    if (*d == KES_SIG_BEST) *d = 4;
    if (infinite && *w < 4) *w = 4;
    // Where the significant digits are all spent on the integer part (values far from
    // 0 against their spread: times since 1970), the decimals are those the digits give
    // of the spread, as for the values moved near 0, where the values have them: the
    // quantiles of x + c read with the decimals of those of x; within the 15
    // significant digits every double holds.
    if (*d == 0 && hi > lo && big > 0) {
      const int spread = 6 - static_cast<int>(std::floor(std::log10((hi - lo) / 2)));
      const int held = 14 - static_cast<int>(std::floor(std::log10(big)));
      *d = std::clamp(std::min({spread, decimals, held}), 0, 9);
    }
    // Below 1 the digits count from the first nonzero one, as above it: the quantiles
    // of k x read with the significant digits of those of x.
    if (big > 0 && big < 1) {
      const int sig = 6 - static_cast<int>(std::floor(std::log10(big)));
      *d = std::max(*d, std::clamp(std::min(sig, decimals), 0, 20));
    }
  }
  // The decimals of v's shortest exact text (0 for an integer).
  static int shortest_decimals(double v) {
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed);
    const std::string_view t(buf, static_cast<std::size_t>(r.ptr - buf));
    const std::size_t point = t.find('.');
    return point == std::string_view::npos ? 0 : static_cast<int>(t.size() - point - 1);
  }
};

void define_parms(kes_ctx* ctx, kes_fitrows* fr) {
  fr->parms = kes_def_create(ctx, "ParameterEstimates", KES_SET_PLOT, KES_MSG_TABLE_PARAMETER_ESTIMATES, -1);
  fr->name_w = widest({KES_MSG_PARAM_MEAN, KES_MSG_PARAM_STD_DEV, KES_MSG_PARAM_THRESHOLD, KES_MSG_PARAM_SCALE,
                       KES_MSG_PARAM_SHAPE, KES_MSG_PARAM_FIT_MEAN, KES_MSG_PARAM_FIT_STD_DEV});
  fr->sym_w = widest({KES_MSG_SYMBOL_MU, KES_MSG_SYMBOL_SIGMA, KES_MSG_SYMBOL_C, KES_MSG_SYMBOL_ALPHA,
                      KES_MSG_SYMBOL_ZETA, KES_MSG_SYMBOL_THETA, KES_MSG_SYMBOL_BETA});
  kes_def_column(fr->parms, kes_char_col("Parameter", vemmsg(KES_SET_PLOT, KES_MSG_PARAMETER), fr->name, fr->name_w));
  kes_def_column(fr->parms,
                 kes_char_col("Symbol", vemmsg(KES_SET_PLOT, KES_MSG_COLUMN_PARAMETER_SYMBOL), fr->sym, fr->sym_w));
  kes_def_column(fr->parms, kes_num_col("Estimate", vemmsg(KES_SET_PLOT, KES_MSG_ESTIMATE), &fr->value));
  kes_tabcall(fr->parms, WOB_M_END_DEFINE, 0, nullptr);
}

void define_good(kes_ctx* ctx, kes_fitrows* fr) {
  fr->good = kes_def_create(ctx, "GoodnessOfFit", KES_SET_PLOT, KES_MSG_TABLE_GOODNESS_OF_FIT_TESTS, 4);
  // Test names and labels are measured whole (up to the cells' size).
  fr->test_w = fr->lab_w = fr->ptype_w = 1;
  for (const kes_gof_texts& t : KES_GOF_TEXTS) {
    fr->test_w = std::max(fr->test_w, widest({t.name}, KES_FITCELL - 1));
    fr->lab_w = std::max(fr->lab_w, widest({t.symbol}, KES_FITCELL - 1));
    fr->ptype_w = std::max(fr->ptype_w, widest({t.pvalue}, KES_FITCELL - 1));
  }
  kes_def_column(fr->good, kes_char_col("Test", vemmsg(KES_SET_PLOT, KES_MSG_TEST), fr->test, fr->test_w));
  kes_def_column(fr->good, kes_char_col("TestLab", vemmsg(KES_SET_PLOT, KES_MSG_SYMBOL), fr->testlab, fr->lab_w));
  kes_def_column(fr->good, kes_num_col("Stat", vemmsg(KES_SET_PLOT, KES_MSG_STATISTIC), &fr->value, -1, 10, 2));
  kes_def_column(fr->good, kes_num_col("DF", vemmsg(KES_SET_PLOT, KES_MSG_DF), &fr->df));
  kes_def_column(fr->good, kes_char_col("pType", vemmsg(KES_SET_PLOT, KES_MSG_PROBABILITY), fr->ptype, fr->ptype_w));
  kes_def_column(fr->good, kes_char_col("pSign", vemmsg(KES_SET_PLOT, KES_MSG_RELATION), fr->psign, 1));
  kes_def_column(fr->good, kes_num_col("pValue", vemmsg(KES_SET_PLOT, KES_MSG_P_VALUE), &fr->pvalue));
  kes_tabcall(fr->good, WOB_M_END_DEFINE, 0, nullptr);
}

void bins_table(kes_ctx* ctx, kes_fitrows* fr, kes_cell* cell, const kes_curve& c, void* title) {
  kes_preq* request = ctx->curreq;
  kes_plotslot* slot = kes_plot_slot(ctx, request, cell);
  kes_cell* bc = kes_fit_bins_cell(request);
  const kes_plotslot* bs = bc != nullptr ? kes_plot_slot(ctx, request, bc) : nullptr;
  if (slot == nullptr || bs == nullptr) return;
  const int nb = slot->nbins;
  // End-point mode with RTINCLUDE shows each bin's upper end. The format is measured
  // on the points shown: the last upper end may need a column wider than every lower end.
  const int shift = request->endpoints && request->rtinclude ? 1 : 0;
  const kes_decimal_grid grid = kes_decimal_grid::of(bs->first, bs->width);
  const auto point = [&](int i) { return grid.point(slot->firstbin + i + shift); };
  int w = 1, d = 0;
  for (int i = 0; i < nb; ++i) kes_widen_format(point(i), &w, &d);
  kes_cap_format(&w, &d);
  const char* col = !request->endpoints ? "Midpoint" : request->rtinclude ? "MaxPoint" : "MinPoint";
  const int col_label = !request->endpoints  ? KES_MSG_BIN_MIDPOINT
                        : request->rtinclude ? KES_MSG_BIN_MAXIMUM_POINT
                                             : KES_MSG_BIN_MINIMUM_POINT;
  void* t = kes_def_create(ctx, "Bins", KES_SET_PLOT, KES_MSG_TABLE_BIN_PERCENTS, -1);
  kes_def_column(t, kes_num_col(col, vemmsg(KES_SET_PLOT, col_label), &fr->point));
  wob_attr fmt[3] = {kes_attr_str(WOB_A_COLUMN_NAME, col), wob_int(WOB_A_DECIMALS, d), wob_int(WOB_A_WIDTH, w)};
  const int rc = wobmth(t, nullptr, WOB_M_COLUMN_ATTRS, 3, fmt);
  if (rc < 0) xprrlog(0, rc);  // the points keep their plain look
  kes_def_column(t, kes_num_col("ObsPercent", vemmsg(KES_SET_PLOT, KES_MSG_OBSERVED_PERCENT), &fr->obspct));
  kes_def_column(t, kes_num_col("EstPercent", vemmsg(KES_SET_PLOT, KES_MSG_ESTIMATED_PERCENT), &fr->exppct));
  kes_tabcall(t, WOB_M_END_DEFINE, 0, nullptr);
  kes_fit_bind(ctx, t, "orbo.kestravine.BinPercents", title);
  for (int i = 0; i < nb; ++i) {
    fr->point = point(i);
    fr->obspct = slot->heights != nullptr && slot->n > 0 ? kes_bar_percent(request->vscale, slot->heights[i], slot->n)
                                                         : kes_fit_missing();
    // A curve without its percents (no memory, no spread) shows them missing.
    fr->exppct = c.expected != nullptr ? c.expected[i] : kes_fit_missing();
    kes_tabcall(t, WOB_M_ADD_ROW, 0, nullptr);
  }
  kes_fit_end_emit(ctx, t);
  kes_def_close(t);
}

void quantile_table(kes_ctx* ctx, kes_fitrows* fr, kes_cell* cell, const kes_famfn* fam, int code, void* title,
                    const char* fname, int flen) {
  const kes_stmt* s = ctx->curreq->stmt;
  const kes_optslot* ps = kes_pslot(s, KES_FAMOPTS[code].percents);
  const double* pcts = kDefaultPercents;
  int np = 9;
  if (ps->given && ps->list != nullptr && ps->v.count > 0) {
    const double* given = static_cast<const double*>(ps->list);
    double lo = HUGE_VAL, hi = -HUGE_VAL;
    for (int i = 0; i < ps->v.count; ++i) {
      lo = std::fmin(lo, given[i]);
      hi = std::fmax(hi, given[i]);
    }
    // Checked before any quantile is formed, so that no percent outside (0, 100)
    // reaches the order-statistic positions.
    if (lo <= 0.0 || hi >= 100.0) {
      xpmlog(KES_SET_PLOT, KES_MSG_PERCENTS_NOT_BETWEEN_0_AND_100, flen, fname);
      xpmlog(KES_SET_PLOT, KES_MSG_DEFAULT_PERCENTS_USED);
    } else {
      pcts = given;
      np = ps->v.count;
    }
  }
  std::vector<double> observed(static_cast<size_t>(np));
  kesopct_list(ctx, cell, pcts, np, observed.data());
  sig_track obs, est;
  for (int i = 0; i < np; ++i) {
    obs.add(observed[static_cast<size_t>(i)]);
    est.add(kes_fit_estimate(fam->pct(ctx, cell, pcts[i])));
  }
  int w = 0, d = 0, we = 0, de = 0;
  obs.layout(&w, &d);
  est.layout(&we, &de);
  void* t = kes_def_create(ctx, "FitQuantiles", KES_SET_PLOT, KES_MSG_TABLE_FIT_QUANTILES, -1);
  kes_def_column(t, kes_num_col("Percent", vemmsg(KES_SET_PLOT, KES_MSG_PERCENT), &fr->pct));
  kes_def_column(t, kes_num_col("ObsQuantile", vemmsg(KES_SET_PLOT, KES_MSG_OBSERVED_QUANTILE), &fr->obsq, d, w));
  kes_def_column(t, kes_num_col("EstQuantile", vemmsg(KES_SET_PLOT, KES_MSG_ESTIMATED_QUANTILE), &fr->estq, de, we));
  kes_tabcall(t, WOB_M_END_DEFINE, 0, nullptr);
  kes_fit_bind(ctx, t, "orbo.kestravine.FitQuant", title);
  for (int i = 0; i < np; ++i) {
    fr->pct = pcts[i];
    fr->obsq = observed[static_cast<size_t>(i)];
    fr->estq = kes_fit_estimate(fam->pct(ctx, cell, pcts[i]));
    kes_tabcall(t, WOB_M_ADD_ROW, 0, nullptr);
  }
  kes_fit_end_emit(ctx, t);
  kes_def_close(t);
}

// The curve's output-group label: CONTENTS= text, a numbered or a plain family text;
// null for an empty CONTENTS= text (no group).
void* group_label(kes_ctx* ctx, const kes_curve& c) {
  const kes_optslot* cs = kes_pslot(ctx->curreq->stmt, KES_FAMOPTS[c.dist].contents);
  if (cs->given)
    return cs->list != nullptr && cs->v.count > 0 ? vemtxt(static_cast<const char*>(cs->list), cs->v.count) : nullptr;
  if (ctx->curreq->ncurves_dist[c.dist] > 1)
    return vemmsgs(KES_SET_PLOT, KES_FIT_TEXTS[c.dist].title_numbered, c.family_index + 1);
  return vemmsg(KES_SET_PLOT, KES_FIT_TEXTS[c.dist].title);
}

// The note of a beta curve with a fitted shape above what the tables hold: the shape
// above, or both.
void beta_above_note(kes_ctx* ctx, const kes_cell* cell, const kes_curve& c, const char* fname, int flen) {
  const kes_name32& var = ctx->curname;
  constexpr double hi = KES_BETA_TABLE_SHAPE_HIGH;
  const double alpha = c.params[2], beta = c.params[3];
  char a[32], b[32];
  const int alen = std::snprintf(a, sizeof a, "%.4g", alpha);
  const int blen = std::snprintf(b, sizeof b, "%.4g", beta);
  if (alpha >= hi && beta >= hi) {
    kes_cell_text_note(ctx, ctx->curreq, cell, KES_SET_PROC, KES_MSG_NO_GOODNESS_FIT_TESTS_BETA_SHAPES_ABOVE, flen,
                       fname, int(var.len), var.text, alen, a, blen, b, hi);
    return;
  }
  const bool first = alpha >= hi;
  const char* symbol = first ? "alpha" : "beta";
  const int ylen = static_cast<int>(std::strlen(symbol));
  kes_cell_text_note(ctx, ctx->curreq, cell, KES_SET_PROC, KES_MSG_NO_GOODNESS_FIT_TESTS_SHAPE_ABOVE, flen, fname,
                     int(var.len), var.text, ylen, symbol, first ? alen : blen, first ? a : b, ylen, symbol, hi);
}

// The note of a curve none of whose tests has a p-value: with the reason where the
// fitted shape lies outside the range of the tables the tests read, or the tables hold
// no beta fit of its kind.
// The note names the variable and the cell.
void untested_note(kes_ctx* ctx, const kes_cell* cell, const kes_curve& c, const char* fname, int flen) {
  if (c.edf.cause_noted) return;
  const kes_preq* request = ctx->curreq;
  const kes_name32& var = ctx->curname;
  if (c.dist == KES_DIST_BETA && (c.edf.shape_out == 3 || c.edf.shape_out == 4)) {
    kes_cell_text_note(ctx, request, cell, KES_SET_PROC,
                       c.edf.shape_out == 3 ? KES_MSG_NO_GOODNESS_FIT_TESTS_BETA_ENDS_EST
                                            : KES_MSG_NO_GOODNESS_FIT_TESTS_BETA_ONE_SHAPE,
                       flen, fname, int(var.len), var.text);
    return;
  }
  if (c.dist == KES_DIST_BETA && c.edf.shape_out == 2) {
    beta_above_note(ctx, cell, c, fname, flen);
    return;
  }
  const kes_famfn* set = kes_famdisp(c.dist);
  const kes_edf3fam* fam = set != nullptr && set->edf3 != nullptr ? &set->edf3() : nullptr;
  if (fam == nullptr || c.edf.shape_out == 0) {
    kes_cell_text_note(ctx, request, cell, KES_SET_PROC, KES_MSG_NO_GOODNESS_FIT_TESTS, flen, fname, int(var.len),
                       var.text);
    return;
  }
  char shape[32];
  const int slen = std::snprintf(shape, sizeof shape, "%.4g", c.params[2]);
  const int ylen = static_cast<int>(std::strlen(fam->shape_symbol));
  const bool below = c.edf.shape_out == 1;
  kes_cell_text_note(ctx, request, cell, KES_SET_PROC,
                     below ? KES_MSG_NO_GOODNESS_FIT_TESTS_SHAPE_BELOW : KES_MSG_NO_GOODNESS_FIT_TESTS_SHAPE_ABOVE, flen,
                     fname, int(var.len), var.text, ylen, fam->shape_symbol, slen, shape, ylen, fam->shape_symbol,
                     below ? fam->shape_lo : fam->shape_hi);
}

}  // namespace

int fitvem(kes_ctx* ctx, int k, kes_cell* cell, int depth) {
  kes_preq* request = ctx->curreq;
  kes_plotslot* slot = kes_plot_slot(ctx, request, cell);
  kes_fitrows* fr = kes_fit_rows(ctx);
  if (fr == nullptr) return KES_RC_OUT_OF_MEMORY;  // after the memory message
  if (slot == nullptr || k < 0 || k >= slot->ncurves) return 0;
  slot->curve = k;
  const kes_curve& c = slot->curves[k];
  const int code = c.dist;
  const kes_famfn* fam = kes_famdisp(code);
  if (fam == nullptr || code > KES_DIST_SU) return 0;
  const kes_name32& name = ctx->curname;
  kes_heading_line(ctx, depth, vemmsgs(KES_SET_PLOT, KES_FIT_TEXTS[code].title_for_var, int(name.len), name.text));

  char fname[17], sname[17];
  std::memset(fname, ' ', sizeof fname);
  std::memset(sname, ' ', sizeof sname);
  int flen = xpmstr(fname, 16, KES_SET_LABEL, kes_family_name(code));
  int slen = xpmstr(sname, 16, KES_SET_PLOT, KES_FIT_TEXTS[code].short_name);
  flen = flen < 0 ? 0 : flen > 16 ? 16 : flen;
  slen = slen < 0 ? 0 : slen > 16 ? 16 : slen;
  // Several curves of one family: the notes name each by its number, as the titles of
  // its tables do ("Beta 2" beside "Fitted Beta Distribution 2").
  if (request->ncurves_dist[code] > 1 && flen < 12)
    flen += std::snprintf(fname + flen, sizeof fname - static_cast<size_t>(flen), " %d", c.family_index + 1);

  void* label = group_label(ctx, c);
  wob_attr g[6] = {
      wob_out(WOB_A_HANDLE),
      wob_text(WOB_A_LABEL, label),
      wob_text(WOB_A_GROUP_KIND, vemtxt("Distribution", 12)),
      wob_text(WOB_A_NAME, vemtxt(sname, slen)),
      wob_int(WOB_A_CHAR_WIDTH, 11),
      wob_last(WOB_A_GROUP_FLAG, 1),
  };
  void* group = nullptr;
  if (label != nullptr) {
    kes_tabcall(ctx->objs.manager, WOB_M_GROUP, 6, g);
    group = g[0].w.p;
  }

  define_parms(ctx, fr);
  fr->good = nullptr;
  if (c.edf.tested) define_good(ctx, fr);
  fam->tbl(ctx, cell);
  // Both are made for this curve and cell alone.
  kes_def_close(fr->parms);
  if (fr->good != nullptr) kes_def_close(fr->good);
  fr->parms = fr->good = nullptr;
  if (!c.edf.tested) untested_note(ctx, cell, c, fname, flen);

  const kes_stmt* s = request->stmt;
  if (s != nullptr && kes_flag(s, KES_FAMOPTS[code].midpct))
    bins_table(ctx, fr, cell, c, vemmsgs(KES_SET_PLOT, KES_MSG_BIN_PERCENTS_TITLE, slen, sname));
  quantile_table(ctx, fr, cell, fam, code, vemmsgs(KES_SET_PLOT, KES_MSG_QUANTILES_TITLE, slen, sname), fname, flen);

  if (group != nullptr) {
    const int rc = wobclose(group);
    if (rc < 0) {
      xprrlog(0, rc);
      xexit(rc, 0);
    }
  }
  kes_heading_count(ctx, depth);
  return 0;
}

double kesopct(kes_ctx* ctx, kes_cell* cell, double percent) {
  double q = kes_fit_missing();
  kesopct_list(ctx, cell, &percent, 1, &q);
  return q;
}

void kesopct_list(kes_ctx* ctx, kes_cell* cell, const double* percents, int n, double* out) {
  const kes_plotslot* slot = kes_plot_slot(ctx, ctx->curreq, cell);
  for (int i = 0; i < n; ++i) out[i] = kes_fit_missing();
  if (slot == nullptr || kes_fit_varsum(ctx, cell) == nullptr || n <= 0) return;
  // The two order positions of every percent, visited in ascending order in one pass
  // over the values (a value stands for positions pos .. pos + count - 1).
  struct want {
    int pos;
    double* value;
  };
  std::vector<double> g(static_cast<size_t>(n)), xj(static_cast<size_t>(n)), xk(static_cast<size_t>(n));
  std::vector<want> wants;
  wants.reserve(2 * static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) {
    int j = 0, k = 0;
    // kesfrac puts PCTLDEF= (or 5) in place of the weighted definition.
    g[static_cast<size_t>(i)] = kesfrac(ctx, &j, &k, static_cast<double>(slot->n), percents[i] / 100.0);
    wants.push_back({j, &xj[static_cast<size_t>(i)]});
    wants.push_back({k, &xk[static_cast<size_t>(i)]});
  }
  std::sort(wants.begin(), wants.end(), [](const want& a, const want& b) { return a.pos < b.pos; });
  kes_valiter values(kes_cell_values(ctx, cell));
  double x = 0.0;
  int count = 0, pos = 0;
  bool have = values.next(&x, &count);
  for (const want& w : wants) {
    while (have && w.pos >= pos + count) {
      pos += count;
      have = values.next(&x, &count);
    }
    *w.value = have ? x : 0.0;
  }
  for (size_t i = 0; i < static_cast<size_t>(n); ++i) out[i] = (1.0 - g[i]) * xj[i] + g[i] * xk[i];
}
