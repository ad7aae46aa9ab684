// kesplot: prints the panels of the plot page on the listing, as one text output
// "Plots". Panels that fit side by side on a line form a group; each group prints
// from its title line down through the plot lines to its footnotes.
#include <algorithm>

#include "host/host_print.h"
#include "host/host_services.h"
#include "kes_msg_names.h"
#include "records/kes_ctx.h"
#include "stats/lp_page.h"
#include "stats/tables_call.h"

namespace {

constexpr int kMinCentredGap = 13;
constexpr int kCentredGap = 12;

// Start columns of panels first..last (one group) on a line of linesize characters.
void place(kes_lppage* pg, int first, int last, int linesize, bool centre) {
  const int n = last - first + 1;
  int used = 0;
  for (int p = first; p <= last; ++p) used += pg->panel[p].width;
  const int free = linesize - used;
  int gap = 1, col = 1;
  if (centre && n > 1) {
    gap = free / (n - 1);
    if (gap >= kMinCentredGap) {
      col = (n - 1) * (gap - kCentredGap) / 2 + 1;
      gap = kCentredGap;
    }
  } else if (centre) {
    col = free / 2 + 1;
  }
  if (col < 1) col = 1;
  if (gap < 1) gap = 1;
  for (int p = first; p <= last; ++p) {
    pg->panel[p].start = col;
    col += pg->panel[p].width + gap;
  }
}

// Buffer line shown on printed line k: the plot lines top down, the others in order.
int shown(int k, int L) { return k >= 1 && k <= L ? L - k + 1 : k; }

}  // namespace

int kesplot(kes_ctx* ctx, int lines, int no_normal) {
  kes_lppage* pg = ctx->lppage;
  if (pg == nullptr || lines < 1) return 0;
  const int L = lines;
  const int npanels = no_normal ? 2 : 3;
  const host_printline* pl = xpoutl(0, 0);
  const bool centre = pl != nullptr && pl->centre != 0;
  const int linesize = ctx->linesize > 0 ? ctx->linesize : (pl != nullptr ? pl->linesize : 132);
  if (L + 3 > pg->page_lines) xppage(0);

  wob_attr open[2] = {
      kes_attr_txt(WOB_A_NAME, "Plots", -1),
      kes_attr_msg(WOB_A_LABEL, KES_SET_PROC, ctx->weight_given ? KES_MSG_WEIGHTED_LINE_PLOTS : KES_MSG_LINE_PLOTS)};
  kes_tabcall(ctx->objs.manager, WOB_M_TEXT_OPEN, 2, open);
  for (int first = 0; first < npanels;) {
    int last = first, width = pg->panel[first].width;
    while (last + 1 < npanels && width + 1 + pg->panel[last + 1].width <= linesize)
      width += 1 + pg->panel[++last].width;
    place(pg, first, last, linesize, centre);
    int tallest = 0;
    for (int p = first; p <= last; ++p) tallest = std::max(tallest, pg->panel[p].height);
    if (tallest + 3 > pg->page_lines) xppage(0);
    for (int k = 0; k <= tallest; ++k) {
      for (int p = first; p <= last; ++p)
        if (pg->panel[p].height >= k)
          xpfmtc(pg->panel[p].start, pg->lines[p][shown(k, L)].text, pg->panel[p].width);
      xpoflsh();
    }
    xpskip(2);
    first = last + 1;
  }
  return kes_tabcall(ctx->objs.manager, WOB_M_TEXT_CLOSE, 0, nullptr);
}
