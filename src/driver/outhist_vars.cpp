// The variables of the OUTHISTOGRAM= and OUTKERNEL= data sets of a HISTOGRAM request,
// each bound to a field of the context's output row (or to the current BY values and
// CLASS levels), so that writing an observation only fills those fields.
#include <cstring>

#include "driver/kes_plot_grammar.h"
#include "driver/plot_checks.h"
#include "host/host_services.h"
#include "host/step_codes.h"
#include "kes_msg_names.h"
#include "records/class_copies.h"
#include "records/kes_ctx.h"
#include "util/kes_minmax.h"

namespace {

constexpr int kCurveLength = 16;
constexpr int kTypeLength = 8;   // data set information item 21
constexpr int kLabelMax = 32;    // data set information item 22

// One own variable: name, 0 numeric or its character length, label (KES_SET_LABEL), field.
struct own_var {
  const char* name;
  int length;
  int label;
  void* field;
};

bool define_own(host_access* acc, const own_var& v) {
  char label[256];
  const int ll = xpmstr(label, sizeof label, KES_SET_LABEL, v.label);
  host_varinfo info;
  const int type = v.length > 0 ? HOST_VT_CHAR : HOST_VT_NUM;
  if (xvnamei(&info, v.name, -1, type, v.length > 0 ? v.length : 8, label, ll) != 0) return false;
  return xvputd(acc, &info, 0, v.field, 0, 0, 0) == 0;
}

// The type and label information items of an output data set (KES_SET_PROC).
struct kes_set_texts {
  int type, label;
};

// The type and label information items, from two texts of set KES_SET_PROC.
void describe(kes_dsh ds, int type_msg, int label_msg) {
  char type[kTypeLength + 1];
  const int tl = kes::max(0, kes::min(xpmstr(type, sizeof type, KES_SET_PROC, type_msg), kTypeLength));
  std::memset(type + tl, ' ', static_cast<size_t>(kTypeLength - tl));
  xoinfo(ds, HOST_DSI_TYPE, type);
  char text[kLabelMax + 1];
  const int ll = kes::min(kes::max(xpmstr(text, sizeof text, KES_SET_PROC, label_msg), 0), kLabelMax);
  unsigned char item[2 + kLabelMax];
  const std::uint16_t len = static_cast<std::uint16_t>(ll);
  std::memcpy(item, &len, 2);
  std::memcpy(item + 2, text, static_cast<size_t>(ll));
  xoinfo(ds, HOST_DSI_LABEL, item);
}

// The data set's variables cannot be defined (a BY variable named again as a CLASS
// variable, say): the message, and the return code of every output data set that
// cannot be defined, as for OUTPUT.
void refuse(kes_ctx* ctx, const char* option) {
  xpmlog(KES_SET_PROC, KES_MSG_DATA_SET_NOT_DEFINED, option);
  ctx->rc = kes::max(ctx->rc, KES_RC_OUTPUT_UNDEFINED);
}

// Starts the definitions of one data set with its BY and CLASS variables. 0, or 1
// after a message when the host refuses them.
int define_head(kes_ctx* ctx, kes_dsh ds, int nown, host_access** acc, const char* option) {
  const kes_classvars* cv = ctx->classvars;
  const int nclass = cv != nullptr ? cv->count : 0;
  *acc = nullptr;
  if (xvputi(ds, ctx->nbyvars + nclass + nown, 32, acc) != 0 || *acc == nullptr ||
      (ctx->nbyvars > 0 && xvputcv(*acc, ctx->data, kes_dp(ctx)->byvarnums, ctx->nbyvars, 0) != 0)) {
    refuse(ctx, option);
    return 1;
  }
  if (!kes_define_class_copies(ctx, *acc)) {
    refuse(ctx, option);
    return 1;
  }
  return 0;
}

int define_set(kes_ctx* ctx, kes_dsh ds, const own_var* vars, int n, host_access** acc, const char* option,
               const kes_set_texts& texts) {
  if (define_head(ctx, ds, n, acc, option) != 0) return 1;
  for (int i = 0; i < n; ++i)
    if (!define_own(*acc, vars[i])) {
      refuse(ctx, option);
      return 1;
    }
  describe(ds, texts.type, texts.label);
  if (xvpute(*acc) != 0) {
    refuse(ctx, option);
    return 1;
  }
  return 0;
}

}  // namespace

int kes_outhist_define(kes_ctx* ctx, kes_preq* request) {
  const kes_stmt* s = request->stmt;
  kes_outhist_row& row = ctx->outrow;
  const int varlen = kesnlen(ctx, s, KES_PLOT_SLOT_VAR);
  char* name = ctx->curname.text;

  if (kes_pgiven(s, KES_PLOT_SLOT_OUTHISTOGRAM)) {
    request->outhist = static_cast<kes_dsh>(kes_pslot(s, KES_PLOT_SLOT_OUTHISTOGRAM)->v.handle);
    const char* bin = !request->endpoints ? "_MIDPT_" : request->rtinclude ? "_MAXPT_" : "_MINPT_";
    const int bin_label = !request->endpoints  ? KES_MSG_LABEL_MIDPOINT
                          : request->rtinclude ? KES_MSG_LABEL_MAXIMUM_POINT
                                               : KES_MSG_LABEL_MINIMUM_POINT;
    const own_var vars[6] = {
        {"_VAR_", varlen, KES_MSG_LABEL_VARIABLE, name},
        {bin, 0, bin_label, &row.bin},
        {"_OBSPCT_", 0, KES_MSG_LABEL_OBSERVED_PERCENT, &row.obspct},
        {"_COUNT_", 0, KES_MSG_LABEL_COUNT, &row.count},
        {"_CURVE_", kCurveLength, KES_MSG_LABEL_CURVE, row.curve},
        {"_EXPPCT_", 0, KES_MSG_LABEL_EXPECTED_PERCENT, &row.exppct},
    };
    // _CURVE_ and _EXPPCT_ only with a parametric curve.
    const int n = request->ncurves > request->nkernels ? 6 : 4;
    if (define_set(ctx, request->outhist, vars, n, &request->outhist_def,
                   "OUTHISTOGRAM=", {KES_MSG_OUTHIST_TYPE, KES_MSG_OUTHIST_LABEL}) != 0)
      return 1;
  }
  if (kes_pgiven(s, KES_PLOT_SLOT_OUTKERNEL)) {
    request->outkernel = static_cast<kes_dsh>(kes_pslot(s, KES_PLOT_SLOT_OUTKERNEL)->v.handle);
    static const char* const kHeights[3] = {"_PERCENT_", "_COUNT_", "_PROPORTION_"};
    static const int kHeightLabels[3] = {KES_MSG_LABEL_HEIGHT_PERCENT, KES_MSG_LABEL_HEIGHT_COUNT,
                                         KES_MSG_LABEL_HEIGHT_PROPORTION};
    const int vs = kes::min(kes::max(request->vscale, 0), 2);
    const own_var vars[6] = {
        {"_VAR_", varlen, KES_MSG_LABEL_VARIABLE, name},
        {"_TYPE_", kCurveLength, KES_MSG_LABEL_KERNEL_TYPE, row.curve},
        {"_C_", 0, KES_MSG_LABEL_KERNEL_BANDWIDTH, &row.kernel_c},
        {"_VALUE_", 0, KES_MSG_LABEL_VALUE, &row.point},
        {kHeights[vs], 0, kHeightLabels[vs], &row.height},
        {"_DENSITY_", 0, KES_MSG_LABEL_DENSITY, &row.density},
    };
    if (define_set(ctx, request->outkernel, vars, 6, &request->outkernel_def,
                   "OUTKERNEL=", {KES_MSG_OUTKERNEL_TYPE, KES_MSG_OUTKERNEL_LABEL}) != 0)
      return 1;
  }
  return 0;
}
