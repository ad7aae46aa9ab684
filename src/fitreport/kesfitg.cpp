// The gamma family's report members: EDF tests, expected percents and table rows.
#include <cmath>

#include "fit/kes_estframe.h"
#include "fit/family/kes_families.h"
#include "fitreport/kes_edf3.h"
#include "fitreport/kes_edfcoef.h"
#include "fitreport/kes_famsets.h"
#include "fitreport/kes_fitrep.h"
#include "kes_gram_names.h"
#include "kes_msg_names.h"
#include "records/kes_ctx.h"
#include "records/kes_curve.h"
#include "records/kes_plotslot.h"

namespace {
constexpr double kAlphaLo = 1.0;  // the tables hold alpha above it
int coef_set(int ncase, double a) { return a <= kAlphaLo ? 0 : ncase; }

const kes_edf3fam kFam = {KES_COEF_GAMMA,
                          KES_MSG_FAMILY_NAME_GAMMA,
                          KES_PLOT_SLOT_GAMMA_THETA_MARKS,
                          KES_PLOT_SLOT_GAMMA_SIGMA_MARKS,
                          KES_PLOT_SLOT_GAMMA_ALPHA_MARKS,
                          kes_law_gamma.tails,
                          nullptr,
                          coef_set,
                          kAlphaLo,
                          HUGE_VAL,
                          "alpha"};

const kes_parmrow kRows[] = {{KES_MSG_PARAM_THRESHOLD, KES_MSG_SYMBOL_THETA, KES_FV_USED0},
                             {KES_MSG_PARAM_SCALE, KES_MSG_SYMBOL_SIGMA, KES_FV_USED1},
                             {KES_MSG_PARAM_SHAPE, KES_MSG_SYMBOL_ALPHA, KES_FV_USED2},
                             {KES_MSG_PARAM_FIT_MEAN, 0, KES_FV_MEAN},
                             {KES_MSG_PARAM_FIT_STD_DEV, 0, KES_FV_STD}};
}  // namespace

const kes_edf3fam& kes_edf3_gamma() { return kFam; }

void kesedfg(kes_ctx* ctx, kes_preq* request, kes_cell* cell) {
  const kes_curve* c = kes_fit_curve(kes_plot_slot(ctx, request, cell));
  if (c == nullptr) return;
  const double theta = c->params[0], sigma = c->params[1], alpha = c->params[2];
  kes_edf3(ctx, request, cell, kFam, theta + sigma * alpha, sigma * std::sqrt(alpha));
  kesmidg(ctx, request, cell);
}

void kesmidg(kes_ctx* ctx, kes_preq* request, kes_cell* cell) { kes_midpct(ctx, request, cell, kesgcdf); }

void kesgtbl(kes_ctx* ctx, kes_cell* cell) { kes_write_fit_tables(ctx, cell, KES_MSG_FIT_FAMILY_GAMMA, kRows, 5); }
