// The statistics that OUTPUT, OUTTABLE and INSET statements name (stats/statistics.def)
// as a table in row order, with the lookups by OUTPUT slot, OUTTABLE column and INSET
// code, the cells they read, and the summary block kept per variable for the insets.
#pragma once

#include "kes_gram_names.h"
#include "kes_msg_names.h"
#include "records/kes_varsum.h"

struct kes_stats;

enum kes_stat_id : int {
#define KES_STAT(name, ...) KES_STAT_##name,
#include "stats/statistics.def"
#undef KES_STAT
  KES_NSTATS
};

// The block of the statistics record a statistic's OUTPUT cell lies in.
enum kes_stat_group : int {
  KES_SG_NONE,
  KES_SG_MOMENTS,
  KES_SG_QUANTILES,
  KES_SG_LOCATION,
  KES_SG_NORMALITY,
  KES_SG_ROBUST,
  KES_SG_COUNT
};

// How a statistic found on values divided by 2^k and weights divided by 2^K is
// multiplied back (the out_scale of stats/statistics.def).
enum kes_stat_scale_kind : int {
  KES_SCALE_NONE,    // left as found
  KES_SCALE_FIXED,   // by 2^(pv k + ph K/2)
  KES_SCALE_SPREAD,  // as FIXED where the spread carries the weights' unit, else ph is 0
};

struct kes_stat_scale {
  int kind;  // kes_stat_scale_kind
  int pv;    // power of the values' unit
  int ph;    // twice the power of the weights' unit
};

struct kes_stat_row {
  const char* name;
  int out_slot;          // 0: not an OUTPUT statistic
  int out_label;         // KES_SET_LABEL
  int group;             // kes_stat_group of the OUTPUT cell
  kes_stat_scale scale;  // how the OUTPUT cell is multiplied back
  int tab_col;           // -1: not an OUTTABLE variable
  const char* tab_name;
  const char* in_keyword;
  int in_code;           // the grammar's code of in_keyword; -1: not an INSET statistic
  int in_label;          // KES_SET_PROC
  int saved;             // summary block entry the inset reads; -1: none
};

// The rows in the order of stats/statistics.def.
inline constexpr kes_stat_row KES_STAT_ROWS[KES_NSTATS] = {
#define MOM(c) KES_SG_MOMENTS
#define QNT(c) KES_SG_QUANTILES
#define LOC(c) KES_SG_LOCATION
#define NRM(f) KES_SG_NORMALITY
#define SCL(c) KES_SG_ROBUST
#define NONE KES_SG_NONE
#define SCALE(pv, ph) kes_stat_scale{KES_SCALE_FIXED, pv, ph}
#define SPREAD(pv, ph) kes_stat_scale{KES_SCALE_SPREAD, pv, ph}
#define NOSCALE kes_stat_scale{KES_SCALE_NONE, 0, 0}
#define VARSUM(f) -1
#define SAVED(i, cell) i
#define EXCLUDED -1
#define KES_STAT(name, out_slot, out_label, out_cell, out_scale, tab_col, tab_name, in_keyword, in_label, in_form, \
                 in_source)                                                                                        \
  {#name, out_slot, out_label, out_cell, out_scale, tab_col, tab_name, #in_keyword, KES_INSET_CODE_##in_keyword,   \
   in_label, in_source},
#include "stats/statistics.def"
#undef KES_STAT
#undef MOM
#undef QNT
#undef LOC
#undef NRM
#undef SCL
#undef NONE
#undef SCALE
#undef SPREAD
#undef NOSCALE
#undef VARSUM
#undef SAVED
#undef EXCLUDED
};

namespace kes_stat_detail {

template <int N>
struct index_table {
  int id[N];
};

// The row of each value of one field, -1 where no row has it; first..first+N-1 the
// values. False in *ok when a value lies outside or two rows share one.
template <int N>
constexpr index_table<N> index_by(int kes_stat_row::*field, int first, int none, bool* ok) {
  index_table<N> t{};
  for (int& i : t.id) i = -1;
  for (int r = 0; r < KES_NSTATS; ++r) {
    const int v = KES_STAT_ROWS[r].*field;
    if (v == none) continue;
    if (v < first || v >= first + N || t.id[v - first] >= 0) *ok = false;
    else t.id[v - first] = r;
  }
  return t;
}

template <int N>
constexpr bool dense(int kes_stat_row::*field, int first, int none) {
  bool ok = true;
  const index_table<N> t = index_by<N>(field, first, none, &ok);
  for (int i : t.id) ok = ok && i >= 0;
  return ok;
}

constexpr int count_of(int kes_stat_row::*field, int none) {
  int n = 0;
  for (const kes_stat_row& r : KES_STAT_ROWS) n += r.*field != none ? 1 : 0;
  return n;
}

// The smallest (or with largest set, the largest) value of a field over the rows that
// have one.
constexpr int bound_of(int kes_stat_row::*field, int none, bool largest) {
  int b = none;
  for (const kes_stat_row& r : KES_STAT_ROWS) {
    const int v = r.*field;
    if (v != none && (b == none || (largest ? v > b : v < b))) b = v;
  }
  return b;
}

template <int N>
constexpr index_table<N> table(int kes_stat_row::*field, int first, int none) {
  bool ok = true;
  return index_by<N>(field, first, none, &ok);
}

}  // namespace kes_stat_detail

// The statistic keywords fill a run of OUTPUT slots, one each.
constexpr int KES_OUT_SLOT_FIRST = kes_stat_detail::bound_of(&kes_stat_row::out_slot, 0, false);
constexpr int KES_OUT_SLOT_LAST = kes_stat_detail::bound_of(&kes_stat_row::out_slot, 0, true);
constexpr int KES_OUT_NSLOTS = KES_OUT_SLOT_LAST - KES_OUT_SLOT_FIRST + 1;
static_assert(kes_stat_detail::count_of(&kes_stat_row::out_slot, 0) == KES_OUT_NSLOTS &&
                  kes_stat_detail::dense<KES_OUT_NSLOTS>(&kes_stat_row::out_slot, KES_OUT_SLOT_FIRST, 0),
              "one row per OUTPUT slot, the slots a run without gaps");

// The OUTTABLE statistics, columns 0 on.
constexpr int KES_TAB_NSTATS = kes_stat_detail::count_of(&kes_stat_row::tab_col, -1);
static_assert(kes_stat_detail::dense<KES_TAB_NSTATS>(&kes_stat_row::tab_col, 0, -1),
              "one row per OUTTABLE column, none left out");

// The INSET statistic codes, 0 on.
constexpr int KES_IN_NSTATS = kes_stat_detail::count_of(&kes_stat_row::in_code, -1);
static_assert(kes_stat_detail::dense<KES_IN_NSTATS>(&kes_stat_row::in_code, 0, -1),
              "one row per INSET statistic code, none left out");

// The summary block: one entry per statistic the insets read from it.
static_assert(kes_stat_detail::count_of(&kes_stat_row::saved, -1) == KES_SUMMARY_DOUBLES &&
                  kes_stat_detail::dense<KES_SUMMARY_DOUBLES>(&kes_stat_row::saved, 0, -1),
              "one row per summary entry, and KES_SUMMARY_DOUBLES of them");

// The row of OUTPUT slot k; -1 outside the statistic slots.
constexpr int kes_stat_of_out_slot(int k) {
  constexpr auto t = kes_stat_detail::table<KES_OUT_NSLOTS>(&kes_stat_row::out_slot, KES_OUT_SLOT_FIRST, 0);
  return k >= KES_OUT_SLOT_FIRST && k <= KES_OUT_SLOT_LAST ? t.id[k - KES_OUT_SLOT_FIRST] : -1;
}
// The row of OUTTABLE statistic column c; -1 outside.
constexpr int kes_stat_of_tab_col(int c) {
  constexpr auto t = kes_stat_detail::table<KES_TAB_NSTATS>(&kes_stat_row::tab_col, 0, -1);
  return c >= 0 && c < KES_TAB_NSTATS ? t.id[c] : -1;
}
// The row of INSET statistic code c; -1 for any other code.
constexpr int kes_stat_of_inset_code(int c) {
  constexpr auto t = kes_stat_detail::table<KES_IN_NSTATS>(&kes_stat_row::in_code, 0, -1);
  return c >= 0 && c < KES_IN_NSTATS ? t.id[c] : -1;
}

// Number of OUTPUT statistics whose cells lie in group g.
constexpr int kes_stat_group_size(int g) {
  int n = 0;
  for (const kes_stat_row& r : KES_STAT_ROWS) n += r.out_slot != 0 && r.group == g ? 1 : 0;
  return n;
}

// The cell of the statistics record that OUTPUT and OUTTABLE read for statistic id;
// null when it has none.
double* kes_stat_cell(kes_stats* st, int id);
const double* kes_stat_cell(const kes_stats* st, int id);

// Copies the statistics the insets read later from the statistics record into a
// summary block of KES_SUMMARY_DOUBLES entries.
void kes_stat_save_summary(const kes_stats* st, double* summary);
