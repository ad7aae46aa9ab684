// keszset(ctx): once per step, at the end of start-up, clears the statistics record,
// stores the percentile definition and the VARDEF word at its head, and loads the
// row labels of the printed tables from the message catalogue into their 40-byte
// slots, keeping each group's longest label so that a label column is as wide as
// its widest label. The PCTLPTS request that the OUTPUT set-up left in the record
// survives the clearing.
#include "driver/keszset.h"

#include <cstring>

#include "host/host_services.h"
#include "kes_msg_names.h"
#include "records/kes_ctx.h"
#include "stats/kes_stats.h"

namespace {


template <int N>
void load_group(kes_labelgroup<N>& g, int first) {
  std::memset(g.slot, ' ', sizeof g.slot);
  g.longest = 0;
  for (int i = 0; i < N; ++i) {
    const char* text = nullptr;
    int len = 0;
    if (wkread(KES_SET_PROC, first + i, &text, &len) != 0 || text == nullptr) len = 0;
    if (len < 0) len = text != nullptr ? static_cast<int>(std::strlen(text)) : 0;
    // A label longer than its slot is cut at the slot's end.
    if (len > KES_LABEL_LEN) len = KES_LABEL_LEN;
    while (len > 0 && text[len - 1] == ' ') --len;
    if (len > 0) std::memcpy(g.slot[i], text, static_cast<std::size_t>(len));
    if (len > g.longest) g.longest = len;
  }
}

}  // namespace

void keszset(kes_ctx* ctx) {
  kes_stats* st = ctx->stats;
  const int npts = st->npctlpts;
  double* prob = st->pctlpts_prob;
  int* index = st->pctlpts_index;
  double* result = st->pctlpts_result;

  std::memset(st, 0, sizeof *st);
  st->pctldef = ctx->weight_given ? 6 : (ctx->pctldef >= 1 && ctx->pctldef <= 5 ? ctx->pctldef : 5);
  std::memcpy(st->vardef, ctx->vardef, sizeof st->vardef);
  if (st->vardef[0] == '\0') std::memcpy(st->vardef, "DF      ", sizeof st->vardef);
  std::memcpy(st->mom.vardef, st->vardef, sizeof st->vardef);

  kes_statlabels& l = st->labels;
  load_group(l.g1, 74);
  load_group(l.g2, 80);
  load_group(l.g3, 63);
  load_group(l.g4, 67);
  load_group(l.g5, 71);
  load_group(l.g6, 103);
  load_group(l.g7, 107);
  load_group(l.g8, 111);
  load_group(l.g9, 115);
  load_group(l.g10, 86);
  load_group(l.g11, 91);
  load_group(l.g12, 94);
  load_group(l.g13, 97);
  load_group(l.g14, 100);

  // Label sub-blocks the printer walks: moments (both columns), basic measures
  // (both columns), intervals, quantile rows, robust measures.
  l.subblock[0] = l.g1.slot[0];
  l.subblock[1] = l.g2.slot[0];
  l.subblock[2] = l.g3.slot[0];
  l.subblock[3] = l.g4.slot[0];
  l.subblock[4] = l.g5.slot[0];
  l.subblock[5] = l.g9.slot[0];
  l.subblock[6] = l.g10.slot[0];
  static constexpr int kLeft[6] = {KES_MOM_N, KES_MOM_MEAN, KES_MOM_STD, KES_MOM_SKEW, KES_MOM_USS, KES_MOM_CV};
  static constexpr int kRight[6] = {KES_MOM_SUMWGT, KES_MOM_SUM, KES_MOM_VAR, KES_MOM_KURT, KES_MOM_CSS,
                                    KES_MOM_STDMEAN};
  for (int i = 0; i < 6; ++i) {
    l.mom_left[i] = &st->mom.v[kLeft[i]];
    l.mom_right[i] = &st->mom.v[kRight[i]];
  }
  for (int i = 0; i < 11; ++i) l.qnt_rows[i] = &st->qnt[KES_Q_MAX + i];

  st->npctlpts = npts;
  st->pctlpts_prob = prob;
  st->pctlpts_index = index;
  st->pctlpts_result = result;
}
