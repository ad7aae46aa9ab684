// kesotab(ctx, 0) -> put handle: defines the OUTTABLE data set. Every variable is
// bound to a cell the step refills for each variable and cell (the BY values of the
// input, the CLASS levels, the current variable's name and label, the statistics
// record), so that an observation needs no copying: kesotab_put writes one.
#include "stats/kesotab.h"

#include <cstring>

#include "host/host_services.h"
#include "host/step_codes.h"
#include "kes_msg_names.h"
#include "records/class_copies.h"
#include "records/kes_ctx.h"
#include "stats/output_layout.h"
#include "stats/statistics.h"
#include "util/kes_minmax.h"

namespace {

constexpr int kLabelLength = 40;  // _LABEL_ holds the first 40 characters
constexpr int kMinVarLength = 8;  // _VAR_ is never shorter
constexpr int kFixedVars = 1 + KES_TAB_NSTATS;  // _VAR_ and the statistics

bool define(host_access* acc, const char* name, int type, int length, int label, void* address) {
  char text[256];
  const int ll = xpmstr(text, sizeof text, KES_SET_LABEL, label);
  host_varinfo info;
  if (xvnamei(&info, name, -1, type, length, text, ll) != 0) return false;
  return xvputd(acc, &info, 0, address, type == HOST_VT_CHAR ? length : 0, 0, 0) == 0;
}

// The variables after the BY variables; false after a definition the host refused.
bool define_rest(kes_ctx* ctx, host_access* acc, int varlen, bool labels) {
  if (!kes_define_class_copies(ctx, acc)) return false;
  if (!define(acc, "_VAR_", HOST_VT_CHAR, varlen, KES_MSG_LABEL_VARIABLE, ctx->curname.text)) return false;
  if (labels && !define(acc, "_LABEL_", HOST_VT_CHAR, kLabelLength, KES_MSG_LABEL_VARIABLE_LABEL, ctx->curlabel))
    return false;
  // The statistics after _VAR_ and _LABEL_, in their column order.
  for (int c = 0; c < KES_TAB_NSTATS; ++c) {
    const int id = kes_stat_of_tab_col(c);
    const kes_stat_row& r = KES_STAT_ROWS[id];
    if (!define(acc, r.tab_name, HOST_VT_NUM, 8, r.out_label, kes_stat_cell(ctx->stats, id))) return false;
  }
  return true;
}

// The data set cannot be defined: say so, raise the return code, write nothing.
host_access* refuse(kes_ctx* ctx) {
  char name[42];
  std::memset(name, 0, sizeof name);
  if (ctx->outtable_opt == nullptr || xoinfo(ctx->outtable_opt, HOST_DSI_NAME, name) != 0)
    std::memcpy(name, "(unknown)", 10);
  name[sizeof name - 1] = '\0';
  xpmlog(KES_SET_PROC, KES_MSG_OUTTABLE_NOT_DEFINED, name);
  ctx->rc = kes::max(ctx->rc, KES_RC_OUTPUT_UNDEFINED);
  return nullptr;
}

}  // namespace

host_access* kesotab(kes_ctx* ctx, int) {
  if (ctx->outtable_opt == nullptr || ctx->data == nullptr) return refuse(ctx);

  // _LABEL_ only when some analysis variable has a label; _VAR_ as long as the
  // longest name.
  bool labels = false;
  int varlen = kMinVarLength;
  for (int v = 0; v < ctx->nvars; ++v) {
    host_varinfo info;
    std::memset(&info, 0, sizeof info);
    if (xvname(ctx->data, ctx->varnums[v], &info) != 0) continue;
    if (info.label_len > 0) labels = true;
    varlen = kes::max(varlen, info.name_len);
  }
  const int nclass = ctx->classvars != nullptr ? ctx->classvars->count : 0;
  const int nvars = kFixedVars + ctx->nbyvars + nclass + (labels ? 1 : 0);

  host_access* acc = nullptr;
  if (xvputi(ctx->outtable_opt, nvars, 32, &acc) != 0 || acc == nullptr) return refuse(ctx);
  if (ctx->nbyvars > 0 && xvputcv(acc, ctx->data, kes_dp(ctx)->byvarnums, ctx->nbyvars, 0) != 0) return refuse(ctx);
  if (!define_rest(ctx, acc, varlen, labels)) return refuse(ctx);
  return acc;
}

void kesotab_put(kes_ctx* ctx) {
  if (ctx->outtable == nullptr) return;
  // A failed write is reported once by the host; later observations are dropped.
  kes_put_observation(ctx->outtable);
}
