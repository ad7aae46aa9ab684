// kesnoest(ctx, cell, code): the note that a family could not be fitted to the current
// variable in a cell, in the message of the current request's plot type and the form of
// its CLASS variables, with the fit's reason where it gave one.
#include "fit/kes_cellnote.h"
#include "fit/kes_estframe.h"
#include "fit/kes_famfn.h"
#include "fit/zfit_ml.h"
#include "kes_msg_names.h"
#include "records/kes_ctx.h"
#include "records/kes_curve.h"
#include "records/kes_plotslot.h"
#include "stats/tables_call.h"

namespace {
struct note_key {
  int set;
  kes_cell_forms forms;
};
// By plot type 1..5: QQ, histogram, CDF, probability, PP.
constexpr note_key kNotes[6] = {
    {0, {0, 0, 0}},
    {KES_SET_PROC,
     {KES_MSG_QQ_NOT_FITTED_NO_LINE, KES_MSG_QQ_NOT_FITTED_NO_LINE_CELL, KES_MSG_QQ_NOT_FITTED_NO_LINE_CELL2}},
    {KES_SET_LABEL, {KES_MSG_CURVE_NOT_FITTED, KES_MSG_CURVE_NOT_FITTED_CELL, KES_MSG_CURVE_NOT_FITTED_CELL2}},
    {KES_SET_LABEL, {KES_MSG_CURVE_NOT_FITTED, KES_MSG_CURVE_NOT_FITTED_CELL, KES_MSG_CURVE_NOT_FITTED_CELL2}},
    {KES_SET_PROC,
     {KES_MSG_PROB_NOT_FITTED_NO_LINE, KES_MSG_PROB_NOT_FITTED_NO_LINE_CELL, KES_MSG_PROB_NOT_FITTED_NO_LINE_CELL2}},
    {KES_SET_PROC, {KES_MSG_PP_NOT_FITTED, KES_MSG_PP_NOT_FITTED_CELL, KES_MSG_PP_NOT_FITTED_CELL2}}};

// The cell's current curve of the current request (the one just estimated).
kes_curve* current_curve(kes_ctx* ctx, kes_cell* cell) {
  return kes_fit_curve(kes_plot_slot(ctx, ctx->curreq, cell));
}
}  // namespace

void kesnoest(kes_ctx* ctx, kes_cell* cell, int code) {
  const kes_preq* request = ctx->curreq;
  if (request == nullptr || request->type < 1 || request->type > 5 || code < 0 || code >= KES_NSTATLABELS) return;
  // The reason is given once: a later failure of the curve without one is not given it.
  char reason[260] = "";
  if (kes_curve* c = current_curve(ctx, cell); c != nullptr && c->fail_why != 0) {
    reason[0] = ':';
    reason[1] = ' ';
    zfit_ml_reason(c->fail_why, c->fail_maxiter, reason + 2, static_cast<int>(sizeof reason) - 2);
    c->fail_why = 0;
  }
  const note_key k = kNotes[request->type];
  const char* family = ctx->statlabel[code];
  const kes_name32& var = kes_fit_varname(ctx);
  kes_cell_log(ctx, request, cell, k.set, k.forms, kes_trimlen(family, 16), family, int(var.len), var.text,
               static_cast<const char*>(reason));
}

void kesnoest_if_reason(kes_ctx* ctx, kes_cell* cell, int code) {
  const kes_curve* c = ctx->curreq != nullptr ? current_curve(ctx, cell) : nullptr;
  if (c != nullptr && c->fail_why != 0) kesnoest(ctx, cell, code);
}
