// kessave(stats, record): keeps a summary of the statistics record in the variable's
// per-variable record, for the later work of the BY group (insets, kernel bandwidths,
// OUTPUT), since the next variable overwrites the statistics record.
#include <cstring>

#include "driver/kescomp.h"
#include "records/kes_ctx.h"
#include "stats/kes_stats.h"
#include "stats/kes_tables.h"

void kessave(kes_stats* st, kes_varsum* rec) {
  if (st == nullptr || rec == nullptr) return;
  rec->mean = st->mom.v[KES_MOM_MEAN];
  rec->std = st->mom.v[KES_MOM_STD];
  rec->min = st->qnt[KES_Q_MIN];
  rec->max = st->qnt[KES_Q_MAX];
  rec->qrange = st->qnt[KES_Q_QRANGE];
  if (rec->summary == nullptr) return;
  const double s[KES_SUMMARY_DOUBLES] = {
      st->mom.v[KES_MOM_CV],     st->mom.v[KES_MOM_STDMEAN],  st->mom.v[KES_MOM_VAR],
      st->mom.v[KES_MOM_SKEW],   st->mom.v[KES_MOM_KURT],     st->qnt[KES_Q_MEDIAN],
      st->qnt[KES_Q_RANGE],      st->qnt[KES_Q_MODE],         st->qnt[KES_Q_P1],
      st->qnt[KES_Q_P5],         st->qnt[KES_Q_P10],          st->qnt[KES_Q_P90],
      st->qnt[KES_Q_P95],        st->qnt[KES_Q_P99],          st->qnt[KES_Q_Q1],
      st->qnt[KES_Q_Q3],         st->loc.v[KES_LOC_S],        st->loc.v[KES_LOC_T],
      st->loc.v[KES_LOC_PT],     st->loc.v[KES_LOC_PS],       st->scl[KES_SCL_GINI],
      st->scl[KES_SCL_MAD],      st->scl[KES_SCL_SN],         st->scl[KES_SCL_QN],
      st->scl[KES_SCL_STD_QRANGE], st->scl[KES_SCL_STD_GINI], st->scl[KES_SCL_STD_MAD],
      st->scl[KES_SCL_STD_SN],   st->scl[KES_SCL_STD_QN],     st->loc.v[KES_LOC_M],
      st->loc.v[KES_LOC_PM],     st->nrm.w,                   st->nrm.pw,
  };
  std::memcpy(rec->summary, s, sizeof s);
}
