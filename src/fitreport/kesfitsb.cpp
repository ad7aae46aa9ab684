// The Johnson SB family's report members: no EDF tests, expected percents and table
// rows.
#include <cmath>

#include "fit/kes_estframe.h"
#include "fit/family/kes_johnson.h"
#include "fitreport/kes_famsets.h"
#include "fitreport/kes_fitrep.h"
#include "kes_msg_names.h"
#include "records/kes_ctx.h"
#include "records/kes_curve.h"
#include "records/kes_plotslot.h"

namespace {
// The shape rows, then one peak or, when a second one is kept, both.
constexpr kes_parmrow kRows[] = {{KES_MSG_PARAM_THRESHOLD, KES_MSG_SYMBOL_THETA, KES_FV_USED0},
                                 {KES_MSG_PARAM_SCALE, KES_MSG_SYMBOL_SIGMA, KES_FV_USED1},
                                 {KES_MSG_PARAM_SHAPE, KES_MSG_SYMBOL_DELTA, KES_FV_USED2},
                                 {KES_MSG_PARAM_SHAPE, KES_MSG_SYMBOL_GAMMA, KES_FV_USED3},
                                 {KES_MSG_PARAM_FIT_MEAN, 0, KES_FV_MEAN},
                                 {KES_MSG_PARAM_FIT_STD_DEV, 0, KES_FV_STD},
                                 {KES_MSG_PARAM_SKEWNESS, 0, KES_FV_SKEW},
                                 {KES_MSG_PARAM_KURTOSIS, 0, KES_FV_KURT},
                                 {KES_MSG_PARAM_MODE, 0, KES_FV_PEAK}};
constexpr kes_parmrow kRows2[] = {{KES_MSG_PARAM_THRESHOLD, KES_MSG_SYMBOL_THETA, KES_FV_USED0},
                                  {KES_MSG_PARAM_SCALE, KES_MSG_SYMBOL_SIGMA, KES_FV_USED1},
                                  {KES_MSG_PARAM_SHAPE, KES_MSG_SYMBOL_DELTA, KES_FV_USED2},
                                  {KES_MSG_PARAM_SHAPE, KES_MSG_SYMBOL_GAMMA, KES_FV_USED3},
                                  {KES_MSG_PARAM_FIT_MEAN, 0, KES_FV_MEAN},
                                  {KES_MSG_PARAM_FIT_STD_DEV, 0, KES_FV_STD},
                                  {KES_MSG_PARAM_SKEWNESS, 0, KES_FV_SKEW},
                                  {KES_MSG_PARAM_KURTOSIS, 0, KES_FV_KURT},
                                  {KES_MSG_PARAM_FIRST_MODE, 0, KES_FV_PEAK},
                                  {KES_MSG_PARAM_SECOND_MODE_HEIGHT, 0, KES_FV_HEIGHT2},
                                  {KES_MSG_PARAM_SECOND_MODE, 0, KES_FV_PEAK2}};
}  // namespace

void kesedfv(kes_ctx* ctx, kes_preq* request, kes_cell* cell) { kes_johnson_notests(ctx, request, cell, kesmidv); }

void kesmidv(kes_ctx* ctx, kes_preq* request, kes_cell* cell) { kes_midpct(ctx, request, cell, kesvcdf); }

void kesvtbl(kes_ctx* ctx, kes_cell* cell) {
  const kes_curve* c = kes_fit_curve(kes_plot_slot(ctx, ctx->curreq, cell));
  if (c != nullptr && !std::isnan(c->mode2)) kes_write_fit_tables(ctx, cell, KES_MSG_FIT_FAMILY_SB, kRows2, 11);
  else kes_write_fit_tables(ctx, cell, KES_MSG_FIT_FAMILY_SB, kRows, 9);
}
