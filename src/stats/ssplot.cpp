// One page of side-by-side box plots on the listing (ssplot), as the text output
// "SSPlots": the body rows from the top down, the axis line with a '+' under each
// box, then the BY-value rows.
#include <cstring>

#include "host/host_services.h"
#include "kes_msg_names.h"
#include "records/kes_ctx.h"
#include "stats/side_layout.h"
#include "stats/tables_call.h"

namespace {

constexpr int kFirstCell = 8;  // blanks before the first cell
constexpr int kSlot = 12;      // columns of one BY group

void print_row(const kes_sidepage* sp, int row, int n) {
  xpfmtc(sp->c, sp->label(row), sp->field());
  for (int i = 0; i < n; ++i) xpfmtc(sp->c + sp->field() + kFirstCell + kSlot * i, sp->cell(row, i), 8);
  xpoflsh();
}

}  // namespace

int ssplot(kes_ctx* ctx, int page, kes_sidepage* sp, int n) {
  wob_attr open[2] = {
      kes_attr_txt(WOB_A_NAME, "SSPlots", -1),
      kes_attr_msg(WOB_A_LABEL, KES_SET_PROC,
                   ctx->weight_given ? KES_MSG_WEIGHTED_BOX_PLOTS_OF_BY_GROUPS : KES_MSG_BOX_PLOTS_OF_BY_GROUPS)};
  kes_tabcall(ctx->objs.manager, WOB_M_TEXT_OPEN, 2, open);
  if (page > 0) {
    if (ctx->nbyvars + sp->H + 5 > ctx->pagesize) xppage(0);
    else xpskip(3);
  }
  for (int r = sp->top; r >= 0; --r) print_row(sp, r, n);
  char axis[KES_SIDE_MAXWIDTH];
  std::memset(axis, ' ', sizeof axis);
  const int dashes = kSlot * n + kSlot;
  for (int i = 0; i < dashes && i < sp->W; ++i) axis[i] = '-';
  for (int i = 1; i <= n; ++i) axis[kSlot * i] = '+';
  xpfmtc(sp->c + sp->field(), axis, sp->W);
  xpoflsh();
  for (int r = sp->H + 1; r < sp->R; ++r) print_row(sp, r, n);
  std::memset(sp->grid, ' ', static_cast<std::size_t>(sp->R) * sp->P * 8);
  return kes_tabcall(ctx->objs.manager, WOB_M_TEXT_CLOSE, 0, nullptr);
}

void kesshdr(kes_ctx* ctx, int v) {
  host_varinfo info{};
  xvname(ctx->data, ctx->varnums[v], &info);
  const int nlen = kes_trimlen(info.name, info.name_len);
  const int llen = kes_trimlen(info.label, info.label_len);
  kes_heading_line(ctx, 2,
                   llen > 0 ? vemmsgs(KES_SET_PROC, KES_MSG_VARIABLE_LABELLED, nlen, info.name, llen, info.label)
                            : vemmsgs(KES_SET_PROC, KES_MSG_VARIABLE, nlen, info.name));
  const kes_datapass& dp = ctx->dp;
  const bool rounded = dp.round_flag != nullptr && dp.round_flag[v] && dp.round_inc != nullptr;
  // Without an increment line 3 is emptied: it may still hold another variable's.
  kes_heading_line(ctx, 3,
                   rounded ? vemmsgs(KES_SET_PROC, KES_MSG_VALUES_ROUNDED_NEAREST, dp.round_inc[v]) : vemtxt("", 0));
  kes_heading_line(ctx, 4, vemmsg(KES_SET_BLANK, KES_MSG_BLANK_LINE));
  kes_heading_count(ctx, 5);
}
