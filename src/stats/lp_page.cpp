// The page record of the line-printer plots, its line buffers and the row test that
// every panel uses to place a value on a line.
#include "stats/lp_page.h"

#include <cmath>
#include <cstring>

#include "host/host_services.h"
#include "kes_msg_names.h"
#include "records/kes_ctx.h"
#include "records/pool_alloc.h"

kes_lppage* kes_lp_page(kes_ctx* ctx) {
  if (ctx->lppage != nullptr) return ctx->lppage;
  // Lines 0..L + 2, and L is at most PLOTSIZE - 3.
  const int cap = (ctx->plotsize > 8 ? ctx->plotsize : 8) + 3;
  const long size = static_cast<long>(sizeof(kes_lppage)) +
                    static_cast<long>(sizeof(kes_lpline)) * cap * KES_LP_NPANELS;
  bool failed = false;
  auto* pg = static_cast<kes_lppage*>(kes_zalloc(ctx->runpool, size, KES_ALLOC, &failed));
  if (pg == nullptr) return nullptr;
  pg->capacity = cap;
  auto* lines = reinterpret_cast<kes_lpline*>(pg + 1);
  for (int p = 0; p < KES_LP_NPANELS; ++p) pg->lines[p] = lines + static_cast<long>(p) * cap;
  ctx->lppage = pg;
  return pg;
}

void kes_lp_blank(kes_lppage* pg, int first, int last) {
  if (first < 0) first = 0;
  if (last >= pg->capacity) last = pg->capacity - 1;
  for (int p = 0; p < KES_LP_NPANELS; ++p)
    for (int i = first; i <= last; ++i) {
      kes_lpline& l = pg->lines[p][i];
      std::memset(l.text, ' ', sizeof l.text);
      l.stem = l.upper = l.value = l.total = 0;
    }
}

void kes_lp_put(kes_lpline* line, int pos, const char* text, int len) {
  if (text == nullptr) return;
  if (len < 0) len = static_cast<int>(std::strlen(text));
  for (int i = 0; i < len; ++i) {
    const int at = pos + i;
    if (at >= 0 && at < KES_LP_WIDTH) line->text[at] = text[i];
  }
}

const char* kes_lp_msg(int number, int* len) {
  const char* text = nullptr;
  int n = 0;
  if (wkread(KES_SET_PROC, number, &text, &n) != 0 || text == nullptr) n = 0;
  while (n > 0 && text[n - 1] == ' ') --n;
  *len = n;
  return text != nullptr ? text : "";
}

int kesrow(const kes_lppage* pg, double a, double b) {
  const double t = KES_LP_TOL;
  if (b - t > a) return 1;
  if (!pg->split || b + t < a) return 0;
  // a lies on the bound: it goes where its rounded leaf is even.
  if (pg->K != 5) return b < 0 ? 1 : 0;
  const double r = std::fmod(b, 10.0);
  if (b >= 0) return r > 4 && r < 5 ? 1 : 0;
  return r > -5 && r < -4 ? 0 : 1;
}
