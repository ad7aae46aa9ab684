// kes_choose_renderer: the one place the step decides which renderer draws its graphs.
#include "driver/kesstmt.h"
#include "records/kes_ctx.h"
#include "records/kes_stages.h"

void kes_choose_renderer(kes_ctx* ctx) {
  const kes_stages* st = ctx->stages;
  ctx->renderer = nullptr;
  if (st == nullptr) return;
  if (ctx->tmplgraph) ctx->renderer = st->kesstgr;
  else if (ctx->devgraph) ctx->renderer = st->kesgcht;
}
