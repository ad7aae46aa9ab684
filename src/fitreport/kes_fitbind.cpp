// Binding, emitting and heading steps of the fitted-distribution tables.
#include "fitreport/kes_fitbind.h"

#include "fitreport/kes_fitrep.h"
#include "host/host_services.h"
#include "records/kes_ctx.h"
#include "stats/tables_call.h"

void kes_fit_bind(kes_ctx* ctx, void* table, const char* tmpl, void* title) {
  void* description = nullptr;
  if (ctx->curreq != nullptr && ctx->curreq->tabcontents) {
    wob_attr a{};
    a.id = WOB_A_LABEL;
    const int rc = wobgetattr(table, 1, &a);
    if (rc < 0) {
      xprrlog(0, rc);
      xexit(rc, 0);
    }
    description = a.w.p;
  }
  const kes_name32& name = ctx->curname;
  wob_attr a[10] = {
      wob_out(0),
      wob_out(0, table),
      kes_attr_txt(WOB_A_TEMPLATE, tmpl, -1),
      kes_attr_str(WOB_A_DYNAMIC_NAME, "DistTitle"),
      wob_text(WOB_A_VALUE, title),
      kes_attr_str(WOB_A_DYNAMIC_NAME, "varname"),
      kes_attr_txt(WOB_A_VALUE, name.text, name.len),
      kes_attr_str(WOB_A_DYNAMIC_NAME, "varlabel"),
      ctx->curlabel_len > 0 ? kes_attr_txt(WOB_A_VALUE, ctx->curlabel, ctx->curlabel_len)
                            : kes_attr_txt(WOB_A_VALUE, name.text, name.len),
      wob_text(WOB_A_DESCRIPTION, description),
  };
  // The binding's result is not examined: a template the host lacks still leaves
  // the table to be shown plainly.
  wobmth(ctx->objs.manager, nullptr, WOB_M_BIND, 10, a);
  if (ctx->fitrows != nullptr) ctx->fitrows->bound = a[0].w.p;
}

void kes_fit_end_emit(kes_ctx* ctx, void* table) {
  wob_attr end[1] = {wob_int(WOB_A_ROWS_DONE, 1)};
  kes_tabcall(table, WOB_M_END_ROWS, 1, end);
  wob_attr a[1] = {wob_out(0, ctx->fitrows != nullptr ? ctx->fitrows->bound : nullptr)};
  kes_tabcall(ctx->objs.manager, WOB_M_EMIT, 1, a);
}
