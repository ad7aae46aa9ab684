// kes_cell_note: a note in the form that fits the request's CLASS variables; the note
// of a comparative graph of many pages.
#include "fit/kes_cellnote.h"

#include "host/host_services.h"
#include "kes_msg_names.h"
#include "records/kes_cell.h"
#include "records/kes_cells.h"
#include "records/kes_classvars.h"
#include "records/kes_ctx.h"
#include "records/kes_preq.h"
#include "stats/tables_call.h"

void kes_place_note(const kes_ctx* ctx, const kes_preq* request) {
  if (ctx == nullptr || request == nullptr || request->stmt == nullptr) return;
  int of_kind = 0;
  for (int i = 0; i < ctx->nplots; ++i) of_kind += ctx->preqs[i].type == request->type ? 1 : 0;
  if (of_kind > 1) xspplace(request->stmt, KES_STMT_KEYWORD_GROUP);
}

void kes_cell_note(kes_ctx* ctx, const kes_preq* request, const kes_cell* cell, int set, const kes_cell_forms& forms,
                   const char* t1, int l1, const char* t2, int l2) {
  const kes_classvars* cv = request->classvars;
  const int n = cv != nullptr && cell != nullptr ? cv->count : 0;
  l1 = kes_trimlen(t1, l1);
  l2 = t2 != nullptr ? kes_trimlen(t2, l2) : 0;
  const int form = n <= 0 ? forms.plain : n == 1 ? forms.cell : forms.cell2;
  if (form == 0) return;
  kes_place_note(ctx, request);
  if (n <= 0) {
    if (t2 == nullptr) xpmlog(set, form, l1, t1);
    else xpmlog(set, form, l1, t1, l2, t2);
    return;
  }
  const kes_classvar& a = cv->var[0];
  if (n == 1) {
    if (t2 == nullptr) xpmlog(set, form, int(a.name.len), a.name.text, int(cell->fmt.len), cell->fmt.text, l1, t1);
    else xpmlog(set, form, int(a.name.len), a.name.text, int(cell->fmt.len), cell->fmt.text, l1, t1, l2, t2);
    return;
  }
  // A child cell's parent level is kept in its child link.
  const kes_cell* parent = cell->child != nullptr ? cell->child : cell;
  const kes_classvar& b = cv->var[1];
  if (t2 == nullptr)
    xpmlog(set, form, int(a.name.len), a.name.text, int(parent->fmt.len), parent->fmt.text, int(b.name.len),
           b.name.text, int(cell->fmt.len), cell->fmt.text, l1, t1);
  else
    xpmlog(set, form, int(a.name.len), a.name.text, int(parent->fmt.len), parent->fmt.text, int(b.name.len),
           b.name.text, int(cell->fmt.len), cell->fmt.text, l1, t1, l2, t2);
}

void kes_pages_note(kes_ctx* ctx, const kes_preq* request, int pages) {
  const kes_classvars* cv = request->classvars;
  if (pages <= kes_many_pages || cv == nullptr || cv->count == 0) return;
  int cells = 0;
  kes_each_cell(cv, [&cells](kes_cell*) { ++cells; });
  // Always at its statement: it may be the only word of many files written.
  if (request->stmt != nullptr) xspplace(request->stmt, KES_STMT_KEYWORD_GROUP);
  xpmlog(KES_SET_PLOT, KES_MSG_GRAPH_RUNS_TO_MANY_PAGES, kes_plot_statement_name(request->type),
         static_cast<int>(ctx->curname.len), ctx->curname.text, cells, pages);
}
