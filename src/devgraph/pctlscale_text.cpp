// kes_pctlscale_text: the percent labels of a QQ plot's quantile axis.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "devgraph/chart_access.h"
#include "devgraph/pctl_ticks.h"
#include "fit/kes_estframe.h"
#include "fit/kes_famfn.h"
#include "fitreport/kes_famsets.h"
#include "host/kes_percent_text.h"
#include "records/kes_curve.h"

namespace {
constexpr int kMostTicks = 1000;  // past this many the axis has no room for texts anyway
}  // namespace

int kes_pctlscale_text(kes_ctx* ctx, const kes_axis& ax, double v, char* buf) {
  const kes_preq* r = ctx->curreq;
  if (r->type != KES_PLOT_QQ || !r->pctlscale || r->layout == nullptr) return -1;
  if (&ax != (r->rotate ? &r->layout->vaxis : &r->layout->haxis)) return -1;
  const kes_famfn* fn = kes_famdisp(r->dist);
  const kes_curve* c = kes_fit_curve(kes_gkeyslot(ctx));
  if (fn == nullptr || fn->p == nullptr || c == nullptr) return -1;
  // The axis's ticks from its start by its step: each tick's text tells it from its
  // neighbours' (kes_percent_texts), so the texts around v decide v's.
  const kes_plotslot* key = kes_gkeyslot(ctx);
  const double step = r->rotate ? key->vstep : key->width, start = r->rotate ? key->vmin : key->hlow;
  const double end = r->rotate ? key->vmax : key->hhigh;
  char field[32];
  const auto short_text = [&](double percent) {
    return std::string(field, static_cast<std::size_t>(kes_pctl_fitted_text(percent, 4, field)));
  };
  const double k = step > 0 ? std::round((v - start) / step) : -1;
  if (!(k >= 0 && k <= kMostTicks && start + k * step <= end + 1e-9 * step)) {
    const std::string t = short_text(fn->p(c->params, v));
    std::memcpy(buf, t.data(), t.size());
    return static_cast<int>(t.size());
  }
  std::vector<double> percents;
  std::vector<std::string> texts;
  for (int i = 0; i <= kMostTicks && start + i * step <= end + 1e-9 * step; ++i) {
    percents.push_back(fn->p(c->params, i == k ? v : start + i * step));
    texts.push_back(short_text(percents.back()));
  }
  texts = kes_percent_texts(percents, std::move(texts));
  const auto at = static_cast<std::size_t>(k);
  // Far in a tail the percents of several ticks are one double ("100" at each): only
  // the first of them is written.
  if (at > 0 && percents[at - 1] == percents[at]) return 0;
  // At most 15 decimals: the callers' buffers (KES_TICK_TEXT) hold every such text.
  const std::size_t len = std::min<std::size_t>(texts[at].size(), 32);
  std::memcpy(buf, texts[at].data(), len);
  return static_cast<int>(len);
}
