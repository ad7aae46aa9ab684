// The lognormal family's report members: EDF tests, expected percents and table rows.
#include <cmath>

#include "fit/kes_estframe.h"
#include "fit/family/kes_families.h"
#include "fitreport/kes_edf3.h"
#include "fitreport/kes_edfcoef.h"
#include "fitreport/kes_famsets.h"
#include "fitreport/kes_fitmoments.h"
#include "fitreport/kes_fitrep.h"
#include "kes_gram_names.h"
#include "kes_msg_names.h"
#include "records/kes_ctx.h"
#include "records/kes_curve.h"
#include "records/kes_plotslot.h"

namespace {
// Critical values of the known-threshold cases.
constexpr double kLev8[8] = {.25, .15, .10, .05, .025, .01, .005, .0025};
constexpr double kLev3[8] = {.5, .25, .15, .10, .05, .025, .01, .005};
constexpr double kLevD3[5] = {.15, .10, .05, .025, .01};
constexpr double kW1[8] = {0.094, 0.117, 0.134, 0.165, 0.197, 0.238, 0.27, 0.302};
constexpr double kA1[8] = {0.644, 0.782, 0.894, 1.087, 1.285, 1.551, 1.756, 1.964};
constexpr double kW2[8] = {0.19, 0.263, 0.327, 0.442, 0.562, 0.725, 0.851, 0.978};
constexpr double kA2[8] = {1.072, 1.43, 1.743, 2.308, 2.898, 3.702, 4.324, 4.954};
constexpr double kD3[5] = {0.775, 0.819, 0.895, 0.955, 1.035};
constexpr double kW3[8] = {0.051, 0.074, 0.091, 0.104, 0.126, 0.148, 0.179, 0.201};
constexpr double kA3[8] = {0.341, 0.47, 0.561, 0.631, 0.752, 0.873, 1.035, 1.159};

void known(int ncase, double n, double d, double wsq, double asq, kes_edfp* pd, kes_edfp* pw, kes_edfp* pa) {
  if (ncase == 3) {
    const double rn = std::sqrt(n);
    *pd = kes_edf_table(d * (rn - 0.01 + 0.85 / rn), kD3, kLevD3, 5);
    *pw = kes_edf_table(wsq * (1.0 + 0.5 / n), kW3, kLev3, 8);
    *pa = kes_edf_table(asq * (1.0 + 0.75 / n + 2.25 / (n * n)), kA3, kLev3, 8);
    return;
  }
  *pw = kes_edf_table(wsq, ncase == 1 ? kW1 : kW2, kLev8, 8);
  *pa = kes_edf_table(asq, ncase == 1 ? kA1 : kA2, kLev8, 8);
}

constexpr double kSigmaHi = 3.0;  // the tables hold sigma below it
int coef_set(int ncase, double s) {
  if (s >= kSigmaHi) return 0;
  return ncase == 6 && s >= 1.0 ? 61 : ncase;
}

const kes_edf3fam kFam = {KES_COEF_LOGNORMAL,
                          KES_MSG_FAMILY_NAME_LOGNORMAL,
                          KES_PLOT_SLOT_LOGNORMAL_THETA_MARKS,
                          KES_PLOT_SLOT_LOGNORMAL_ZETA_MARKS,
                          KES_PLOT_SLOT_LOGNORMAL_SIGMA_MARKS,
                          kes_law_lognormal.tails,
                          known,
                          coef_set,
                          -HUGE_VAL,
                          kSigmaHi,
                          "sigma"};

const kes_parmrow kRows[] = {{KES_MSG_PARAM_THRESHOLD, KES_MSG_SYMBOL_THETA, KES_FV_USED0},
                             {KES_MSG_PARAM_SCALE, KES_MSG_SYMBOL_ZETA, KES_FV_USED1},
                             {KES_MSG_PARAM_SHAPE, KES_MSG_SYMBOL_SIGMA, KES_FV_USED2},
                             {KES_MSG_PARAM_FIT_MEAN, 0, KES_FV_MEAN},
                             {KES_MSG_PARAM_FIT_STD_DEV, 0, KES_FV_STD}};
}  // namespace

const kes_edf3fam& kes_edf3_lognormal() { return kFam; }

void kesedfl(kes_ctx* ctx, kes_preq* request, kes_cell* cell) {
  const kes_curve* c = kes_fit_curve(kes_plot_slot(ctx, request, cell));
  if (c == nullptr) return;
  const kes_fit_moments m = kes_lognormal_moments(c->params[0], c->params[1], c->params[2]);
  kes_edf3(ctx, request, cell, kFam, m.mean, m.std);
  kesmidl(ctx, request, cell);
}

void kesmidl(kes_ctx* ctx, kes_preq* request, kes_cell* cell) { kes_midpct(ctx, request, cell, keslcdf); }

void kesltbl(kes_ctx* ctx, kes_cell* cell) { kes_write_fit_tables(ctx, cell, KES_MSG_FIT_FAMILY_LOGNORMAL, kRows, 5); }
