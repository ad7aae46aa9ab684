// kessave(stats, record): keeps a summary of the statistics record in the variable's
// per-variable record, for the later work of the BY group (insets, kernel bandwidths,
// OUTPUT), since the next variable overwrites the statistics record.
#include "driver/kescomp.h"
#include "records/kes_ctx.h"
#include "stats/kes_stats.h"
#include "stats/kes_tables.h"
#include "stats/statistics.h"

void kessave(kes_stats* st, kes_varsum* rec) {
  if (st == nullptr || rec == nullptr) return;
  rec->mean = st->mom.v[KES_MOM_MEAN];
  rec->std = st->mom.v[KES_MOM_STD];
  rec->min = st->qnt[KES_Q_MIN];
  rec->max = st->qnt[KES_Q_MAX];
  rec->qrange = st->qnt[KES_Q_QRANGE];
  if (rec->summary != nullptr) kes_stat_save_summary(st, rec->summary);
}
