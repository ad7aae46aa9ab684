// Bind, add-row and emit steps shared by the per-variable table writers.
#include "stats/tables_bind.h"

#include "host/host_services.h"
#include "records/kes_ctx.h"
#include "stats/kes_tables.h"
#include "stats/tables_call.h"

void kes_bind(kes_ctx* ctx, int id, const char* tmpl, const kes_dynpair* pairs, int npairs,
              const wob_attr* extra, int nextra) {
  ctx->tables->bound =
      kes_bind_table(ctx, ctx->tables->handle[id], tmpl, pairs, npairs, extra, nextra, ctx->toc_wanted != 0);
}

void* kes_bind_table(kes_ctx* ctx, void* table, const char* tmpl, const kes_dynpair* pairs, int npairs,
                     const wob_attr* extra, int nextra, bool describe) {
  void* description = nullptr;
  if (describe) {
    wob_attr a{};
    a.id = WOB_A_LABEL;
    int rc = wobgetattr(table, 1, &a);
    if (rc < 0) {
      xprrlog(0, rc);
      xexit(rc, 0);
    }
    description = a.w.p;
  }
  constexpr int kMax = 32;
  wob_attr a[kMax];
  int n = 0;
  a[n++] = wob_out(0);
  a[n++] = wob_out(0, table);
  a[n++] = kes_attr_txt(WOB_A_TEMPLATE, tmpl, -1);
  for (int i = 0; i < npairs && n + 2 < kMax; ++i) {
    a[n++] = kes_attr_str(WOB_A_DYNAMIC_NAME, pairs[i].name);
    a[n++] = kes_pair_value(pairs[i]);
  }
  for (int i = 0; i < nextra && n < kMax; ++i) a[n++] = extra[i];
  const kes_name32& name = ctx->curname;
  a[n++] = kes_attr_str(WOB_A_DYNAMIC_NAME, "varname");
  a[n++] = kes_attr_txt(WOB_A_VALUE, name.text, name.len);
  a[n++] = kes_attr_str(WOB_A_DYNAMIC_NAME, "varlabel");
  a[n++] = ctx->curlabel_len > 0 ? kes_attr_txt(WOB_A_VALUE, ctx->curlabel, ctx->curlabel_len)
                                 : kes_attr_txt(WOB_A_VALUE, name.text, name.len);
  a[n++] = wob_text(WOB_A_DESCRIPTION, description);
  kes_tabcall(ctx->objs.manager, WOB_M_BIND, n, a);
  return a[0].w.p;
}

void kes_add_row(kes_ctx* ctx, int id) { kes_tabcall(ctx->tables->handle[id], WOB_M_ADD_ROW, 0, nullptr); }

void kes_end_emit(kes_ctx* ctx, int id, const wob_attr* extra, int nextra) {
  kes_end_emit_table(ctx, ctx->tables->handle[id], ctx->tables->bound, extra, nextra);
}

void kes_end_emit_table(kes_ctx* ctx, void* table, void* bound, const wob_attr* extra, int nextra) {
  wob_attr end[1] = {wob_int(WOB_A_ROWS_DONE, 1)};
  kes_tabcall(table, WOB_M_END_ROWS, 1, end);
  wob_attr a[8];
  int n = 0;
  a[n++] = wob_out(0, bound);
  for (int i = 0; i < nextra && n < 8; ++i) a[n++] = extra[i];
  kes_tabcall(ctx->objs.manager, WOB_M_EMIT, n, a);
}
