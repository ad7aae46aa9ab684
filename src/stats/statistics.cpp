// The cells of the statistics record behind each listed statistic, and the summary
// block the insets read once the record has moved on to the next variable.
#include "stats/statistics.h"

#include "stats/kes_stats.h"

// The cell words of stats/statistics.def as addresses in the record st.
#define MOM(c) &st->mom.v[KES_MOM_##c]
#define QNT(c) &st->qnt[KES_Q_##c]
#define LOC(c) &st->loc.v[KES_LOC_##c]
#define NRM(f) &st->nrm.f
#define SCL(c) &st->scl[KES_SCL_##c]
#define NONE nullptr

const double* kes_stat_cell(const kes_stats* st, int id) {
  switch (id) {
#define KES_STAT(name, out_slot, out_label, out_cell, ...) \
  case KES_STAT_##name:                                    \
    return out_cell;
#include "stats/statistics.def"
#undef KES_STAT
    default: return nullptr;
  }
}

double* kes_stat_cell(kes_stats* st, int id) {
  return const_cast<double*>(kes_stat_cell(static_cast<const kes_stats*>(st), id));
}

void kes_stat_save_summary(const kes_stats* st, double* summary) {
#define VARSUM(f)
#define SAVED(i, cell) summary[i] = *cell;
#define EXCLUDED
#define KES_STAT(name, out_slot, out_label, out_cell, out_scale, tab_col, tab_name, in_keyword, in_label, \
                 in_form, in_source)                                                                  \
  in_source
#include "stats/statistics.def"
#undef KES_STAT
#undef VARSUM
#undef SAVED
#undef EXCLUDED
}
