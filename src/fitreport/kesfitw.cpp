// The Weibull family's report members: EDF tests, expected percents and table rows.
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
// Critical values of the known-threshold cases, at .25 .10 .05 .025 .01.
constexpr double kLev[5] = {.25, .10, .05, .025, .01};
constexpr double kW[3][5] = {{0.116, 0.175, 0.222, 0.271, 0.338},
                             {0.186, 0.32, 0.431, 0.547, 0.705},
                             {0.073, 0.102, 0.124, 0.146, 0.175}};
constexpr double kA[3][5] = {{0.736, 1.062, 1.321, 1.591, 1.959},
                             {1.06, 1.725, 2.277, 2.854, 3.64},
                             {0.474, 0.637, 0.757, 0.877, 1.038}};

// No D table: its p-value stays missing.
void known(int ncase, double n, double, double wsq, double asq, kes_edfp*, kes_edfp* pw, kes_edfp* pa) {
  const double fw = ncase == 1 ? 1.0 + 0.16 / n : ncase == 3 ? 1.0 + 0.2 / std::sqrt(n) : 1.0;
  const double fa = ncase == 1 ? 1.0 + 0.3 / n : ncase == 3 ? 1.0 + 0.2 / std::sqrt(n) : 1.0;
  *pw = kes_edf_table(wsq * fw, kW[ncase - 1], kLev, 5);
  *pa = kes_edf_table(asq * fa, kA[ncase - 1], kLev, 5);
}

constexpr double kShapeLo = 2.0;  // the tables hold c above it
int coef_set(int ncase, double c) { return c <= kShapeLo ? 0 : ncase; }

const kes_edf3fam kFam = {KES_COEF_WEIBULL,
                          KES_MSG_FAMILY_NAME_WEIBULL,
                          KES_PLOT_SLOT_WEIBULL_THETA_MARKS,
                          KES_PLOT_SLOT_WEIBULL_SIGMA_MARKS,
                          KES_PLOT_SLOT_WEIBULL_C_MARKS,
                          kes_law_weibull.tails,
                          known,
                          coef_set,
                          kShapeLo,
                          HUGE_VAL,
                          "c"};

const kes_parmrow kRows[] = {{KES_MSG_PARAM_THRESHOLD, KES_MSG_SYMBOL_THETA, KES_FV_USED0},
                             {KES_MSG_PARAM_SCALE, KES_MSG_SYMBOL_SIGMA, KES_FV_USED1},
                             {KES_MSG_PARAM_SHAPE, KES_MSG_SYMBOL_C, KES_FV_USED2},
                             {KES_MSG_PARAM_FIT_MEAN, 0, KES_FV_MEAN},
                             {KES_MSG_PARAM_FIT_STD_DEV, 0, KES_FV_STD}};
}  // namespace

const kes_edf3fam& kes_edf3_weibull() { return kFam; }

void kesedfw(kes_ctx* ctx, kes_preq* request, kes_cell* cell) {
  const kes_curve* c = kes_fit_curve(kes_plot_slot(ctx, request, cell));
  if (c == nullptr) return;
  const kes_fit_moments m = kes_weibull_moments(c->params[0], c->params[1], c->params[2]);
  kes_edf3(ctx, request, cell, kFam, m.mean, m.std);
  kesmidw(ctx, request, cell);
}

void kesmidw(kes_ctx* ctx, kes_preq* request, kes_cell* cell) { kes_midpct(ctx, request, cell, keswcdf); }

void keswtbl(kes_ctx* ctx, kes_cell* cell) { kes_write_fit_tables(ctx, cell, KES_MSG_FIT_FAMILY_WEIBULL, kRows, 5); }
