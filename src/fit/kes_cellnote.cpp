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
  l1 = kes_trimlen(t1, l1);
  if (t2 == nullptr) kes_cell_log(ctx, request, cell, set, forms, l1, t1);
  else kes_cell_log(ctx, request, cell, set, forms, l1, t1, kes_trimlen(t2, l2), t2);
}

kes_cell_names kes_cell_named(const kes_preq* request, const kes_cell* cell) {
  kes_cell_names c{};
  const kes_classvars* cv = request != nullptr ? request->classvars : nullptr;
  c.n = cv != nullptr && cell != nullptr ? (cv->count >= 2 ? 2 : cv->count > 0 ? 1 : 0) : 0;
  if (c.n == 0) return c;
  // A child cell's parent level is kept in its child link.
  const kes_cell* first = c.n == 2 && cell->child != nullptr ? cell->child : cell;
  c.len[0] = int(cv->var[0].name.len);
  c.text[0] = cv->var[0].name.text;
  c.len[1] = int(first->fmt.len);
  c.text[1] = first->fmt.text;
  if (c.n == 2) {
    c.len[2] = int(cv->var[1].name.len);
    c.text[2] = cv->var[1].name.text;
    c.len[3] = int(cell->fmt.len);
    c.text[3] = cell->fmt.text;
  }
  return c;
}

void kes_cell_text_lead(const kes_cell_names& c, char* text, int len) {
  constexpr int kLast = 511;
  text[len < 0 ? 0 : len > kLast ? kLast : len] = '\0';
  if (text[0] >= 'A' && text[0] <= 'Z') text[0] = static_cast<char>(text[0] - 'A' + 'a');
  if (c.n == 1) xpmlog(KES_SET_PROC, KES_MSG_FOR_CELL_NOTE, c.len[0], c.text[0], c.len[1], c.text[1], text);
  else xpmlog(KES_SET_PROC, KES_MSG_FOR_CELL2_NOTE, c.len[0], c.text[0], c.len[1], c.text[1], c.len[2], c.text[2], c.len[3],
              c.text[3], text);
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
