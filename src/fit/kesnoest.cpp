// kesnoest(ctx, cell, code): the note that a family was not estimated in a cell, in
// the message of the current request's plot type and the form of its CLASS variables.
#include "fit/kes_cellnote.h"
#include "fit/kes_famfn.h"
#include "kes_msg_names.h"
#include "records/kes_ctx.h"

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
}  // namespace

void kesnoest(kes_ctx* ctx, kes_cell* cell, int code) {
  const kes_preq* request = ctx->curreq;
  if (request == nullptr || request->type < 1 || request->type > 5 || code < 0 || code >= KES_NSTATLABELS) return;
  const note_key k = kNotes[request->type];
  kes_cell_note(ctx, request, cell, k.set, k.forms, ctx->statlabel[code], 16);
}
