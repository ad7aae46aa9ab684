// The normal family's report members: EDF tests (through the normality-test engine),
// expected percents and table rows.
#include <cmath>

#include "fit/kes_estframe.h"
#include "fit/family/kes_families.h"
#include "fitreport/kes_edftab.h"
#include "fitreport/kes_famsets.h"
#include "fitreport/kes_fitrep.h"
#include "kes_gram_names.h"
#include "kes_msg_names.h"
#include "records/kes_cell.h"
#include "records/kes_ctx.h"
#include "records/kes_curve.h"
#include "records/kes_plotslot.h"
#include "records/kes_values.h"
#include "records/kes_varsum.h"
#include "records/kes_valview.h"
#include "records/stmt_slots.h"
#include "stats/kes_stats.h"
#include "stats/zkesnrm.h"

namespace {
// Entries of the summary block kept by kessave.
enum : int { kSumCv = 0, kSumStdMean = 1, kSumVar = 2, kSumSkew = 3, kSumKurt = 4 };


const kes_parmrow kRows[] = {{KES_MSG_PARAM_MEAN, KES_MSG_SYMBOL_MU, KES_FV_USED0},
                             {KES_MSG_PARAM_STD_DEV, KES_MSG_SYMBOL_SIGMA, KES_FV_USED1}};
}  // namespace

void kesedfn(kes_ctx* ctx, kes_preq* request, kes_cell* cell) {
  kes_plotslot* slot = kes_plot_slot(ctx, request, cell);
  kes_curve* c = kes_fit_curve(slot);
  const kes_varsum* vs = kes_fit_varsum(ctx, cell);
  if (c == nullptr || vs == nullptr) return;
  const double miss = kes_fit_missing();
  const double mu = c->params[0], sigma = c->params[1];
  kes_edfres& r = c->edf;
  r.params[0] = mu;
  r.params[1] = sigma;
  r.params[2] = r.params[3] = miss;
  r.mean = mu;
  r.std = sigma;
  const kes_stmt* s = request->stmt;
  const int k = c->family_index;
  auto estimated = [&](int markers) { return !kes_pgiven(s, markers) || kes_marker_est(s, markers, k); };
  const bool loc = estimated(KES_PLOT_SLOT_NORMAL_MU_MARKS);
  const bool scale = estimated(KES_PLOT_SLOT_NORMAL_SIGMA_MARKS);
  const int ncase = (loc ? 1 : 0) + (scale ? 2 : 0);

  kes_moments mom{};
  const double* sum = vs->summary;
  auto summary = [&](int i) { return sum != nullptr ? sum[i] : miss; };
  mom.v[KES_MOM_N] = vs->n;
  mom.v[KES_MOM_MEAN] = vs->mean;
  mom.v[KES_MOM_STD] = vs->std;
  mom.v[KES_MOM_SKEW] = summary(kSumSkew);
  mom.v[KES_MOM_USS] = vs->uss;
  mom.v[KES_MOM_CV] = summary(kSumCv);
  mom.v[KES_MOM_SUMWGT] = vs->sumwgt;
  mom.v[KES_MOM_SUM] = vs->sum;
  mom.v[KES_MOM_VAR] = summary(kSumVar);
  mom.v[KES_MOM_KURT] = summary(kSumKurt);
  mom.v[KES_MOM_CSS] = vs->css;
  mom.v[KES_MOM_STDMEAN] = summary(kSumStdMean);
  kes_nrmres res{};
  const kes_valview* fv = kes_cell_values(ctx, cell);
  const int m = fv != nullptr ? fv->m : 0;
  zkesnrm_arrays(m, &mom, m > 0 ? fv->x : nullptr, m > 0 ? fv->f : nullptr, ncase, 1, loc ? miss : mu,
                 scale ? miss : sigma, &res);
  // Relation characters of the result: W, D, W-Sq, A-Sq.
  kes_edf_store(&r, res.d, {res.pd, res.qual[1]}, res.wsq, {res.pwsq, res.qual[2]}, res.asq, {res.pasq, res.qual[3]});
  kesmidn(ctx, request, cell);
}

void kesmidn(kes_ctx* ctx, kes_preq* request, kes_cell* cell) {
  const kes_curve* c = kes_fit_curve(kes_plot_slot(ctx, request, cell));
  if (c == nullptr || std::isnan(c->params[1]) || c->params[1] == 0.0) return;
  kes_midpct(ctx, request, cell, kesncdf);
}

void kesntbl(kes_ctx* ctx, kes_cell* cell) { kes_write_fit_tables(ctx, cell, KES_MSG_FIT_FAMILY_NORMAL, kRows, 2); }
