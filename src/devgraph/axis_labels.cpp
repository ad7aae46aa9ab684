// keshlab and kesvlab: the default texts of the horizontal and vertical axis labels
// of a histogram: the variable's label (or name), and the vertical scale's name.
#include <algorithm>
#include <cstring>

#include "devgraph/chart_access.h"
#include "devgraph/chart_layout.h"
#include "host/host_services.h"

int keshlab(kes_ctx* ctx, char* buffer) {
  if (ctx->curlabel_len > 0) {
    const int n = std::min<int>(ctx->curlabel_len, KES_LABEL_BUFFER);
    std::memcpy(buffer, ctx->curlabel, static_cast<size_t>(n));
    return n;
  }
  const int n = std::min<int>(ctx->curname.len, 32);
  std::memcpy(buffer, ctx->curname.text, static_cast<size_t>(n));
  return n;
}

int kesvlab(kes_ctx* ctx, char* buffer) {
  const kes_preq* r = ctx->curreq;
  if (r->type != KES_PLOT_HISTOGRAM) return 0;
  static constexpr int kByScale[3] = {304, 478, 476};  // percent, count, proportion
  if (r->vscale < 0 || r->vscale > 2) return 0;
  return xpmstr(buffer, KES_LABEL_BUFFER, KES_SET_PLOT, kByScale[r->vscale]);
}
