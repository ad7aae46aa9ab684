// The Johnson SU family's report members: no EDF tests, expected percents and table
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

constexpr kes_parmrow kRows[] = {{KES_MSG_PARAM_LOCATION, KES_MSG_SYMBOL_THETA, KES_FV_USED0},
                                 {KES_MSG_PARAM_SCALE, KES_MSG_SYMBOL_SIGMA, KES_FV_USED1},
                                 {KES_MSG_PARAM_SHAPE, KES_MSG_SYMBOL_DELTA, KES_FV_USED2},
                                 {KES_MSG_PARAM_SHAPE, KES_MSG_SYMBOL_GAMMA, KES_FV_USED3},
                                 {KES_MSG_PARAM_FIT_MEAN, 0, KES_FV_MEAN},
                                 {KES_MSG_PARAM_FIT_STD_DEV, 0, KES_FV_STD},
                                 {KES_MSG_PARAM_SKEWNESS, 0, KES_FV_SKEW},
                                 {KES_MSG_PARAM_KURTOSIS, 0, KES_FV_KURT},
                                 {KES_MSG_PARAM_MODE, 0, KES_FV_PEAK}};
}  // namespace

void kesedfu(kes_ctx* ctx, kes_preq* request, kes_cell* cell) { kes_johnson_notests(ctx, request, cell, kesmidu); }

void kesmidu(kes_ctx* ctx, kes_preq* request, kes_cell* cell) { kes_midpct(ctx, request, cell, kesucdf); }

void kesutbl(kes_ctx* ctx, kes_cell* cell) { kes_write_fit_tables(ctx, cell, KES_MSG_FIT_FAMILY_SU, kRows, 9); }
