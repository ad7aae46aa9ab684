// kesgout(ctx) -> 0 or status: the OUTPUT statements at start-up. Checks them,
// opens the utility files of the side-by-side box plots, turns the PCTLPTS= points
// into ranked fractions for the statistics, and defines every OUTPUT data set's
// variables, each bound to its position in the OUTPUT value array (or, for BY, CLASS
// and ID variables, to the buffers the data pass fills).
#include "stats/kesgout.h"

#include <cstring>

#include "host/host_services.h"
#include "host/step_codes.h"
#include "kes_gram_names.h"
#include "kes_msg_names.h"
#include "records/class_copies.h"
#include "records/kes_ctx.h"
#include "records/pool_alloc.h"
#include "records/stmt_slots.h"
#include "stats/kes_stats.h"
#include "stats/output_dataset.h"
#include "stats/output_layout.h"
#include "util/kes_minmax.h"
#include "util/kes_text.h"
#include "util/sort_tree.h"

namespace {

constexpr int kPlotCellWidth = 8;  // BY value text of the side-by-side box plots

// The five result areas in the order of their groups.
constexpr int kResultGroups[5] = {KES_SG_MOMENTS, KES_SG_QUANTILES, KES_SG_LOCATION, KES_SG_NORMALITY,
                                  KES_SG_ROBUST};

int fail(int code) {
  xexit(code, 0);
  return code;
}

void* take(kes_ctx* ctx, long size, bool* failed) {
  if (*failed) return nullptr;
  const long n = size > 0 ? size : 8;
  void* p = vmalcp_handler(ctx->runpool, n, KES_ALLOC);
  if (p == nullptr) {
    xmemmsg(n);
    *failed = true;
    return nullptr;
  }
  std::memset(p, 0, static_cast<size_t>(n));
  return p;
}

// Width of a BY variable's formatted value.
int formatted_width(const host_varinfo& info) {
  if (info.fmt_width > 0) return info.fmt_width;
  return info.type == HOST_VT_CHAR ? info.length : kPlotCellWidth;
}

// The utility files ONE, TWO and THREE: one handle in the context, the others after it.
int open_utility_files(kes_ctx* ctx) {
  const kes_datapass* dp = kes_dp(ctx);
  for (int i = 0; i < ctx->nbyvars; ++i) {
    host_varinfo info;
    std::memset(&info, 0, sizeof info);
    if (xvname(ctx->data, dp->byvarnums[i], &info) == 0 && formatted_width(info) > kPlotCellWidth)
      xpmlog(KES_SET_PROC, KES_MSG_BY_VALUES_TOO_LONG_FOR_BOX_PLOTS, static_cast<int>(info.name_len), info.name);
  }
  static const char* const names[KES_NUTILFILES] = {"ONE     ", "TWO     ", "THREE   "};
  int first = -1;
  for (int k = 0; k < KES_NUTILFILES; ++k) {
    const int h = xcopen("WORK    ", names[k], "UTILITY ", 0);
    if (h < 0 || (k > 0 && h != first + k)) {
      xpmlog(KES_SET_PROC, KES_MSG_BOXPLOT_UTILITY_FILE_NOT_OPENED, names[k]);
      return fail(KES_RC_SETUP_FAILED);
    }
    if (k == 0) first = h;
  }
  ctx->utilfile = first;
  return 0;
}

// The PCTLPTS= points of every OUTPUT statement, in statement order, as fractions
// with their ranks; the results come back in the same order.
int rank_points(kes_ctx* ctx) {
  int n = 0;
  for (const kes_stmt* s = ctx->proc->next; s != nullptr; s = s->next)
    if (kes_is_output(s)) n += kes_out_points(s);
  kes_stats* st = ctx->stats;
  st->npctlpts = 0;
  if (n == 0) return 0;
  bool failed = false;
  st->pctlpts_prob = static_cast<double*>(take(ctx, static_cast<long>(sizeof(double)) * n, &failed));
  st->pctlpts_index = static_cast<int*>(take(ctx, static_cast<long>(sizeof(int)) * 2 * n, &failed));
  st->pctlpts_result = static_cast<double*>(take(ctx, static_cast<long>(sizeof(double)) * n, &failed));
  if (failed) return fail(1);
  int at = 0;
  for (const kes_stmt* s = ctx->proc->next; s != nullptr; s = s->next) {
    if (!kes_is_output(s)) continue;
    const int m = kes_out_points(s);
    const auto* p = static_cast<const double*>(kes_pslot(s, KES_OUTPUT_SLOT_PCTLPTS)->list);
    for (int j = 0; j < m; ++j) st->pctlpts_prob[at++] = p[j] / 100;
  }
  // The quantiles walk the points in ascending order through the index and store
  // each result at the point's own place.
  zrankl(st->pctlpts_prob, n, st->pctlpts_index, 0);
  vzfdl(v_global_gcb_anchor->consts->std_missing, st->pctlpts_result, n);
  st->npctlpts = n;
  return 0;
}

// Trimmed copy of a blank-padded name of at most 32 characters.
int name_text(const char* padded, char* out) {
  const int len = wzstrip(padded, 32);
  std::memcpy(out, padded, static_cast<size_t>(len));
  out[len] = '\0';
  return len;
}

// One new numeric variable bound to value.
bool define_number(host_access* acc, const char* name, int namelen, const char* label, int labellen, double* value) {
  host_varinfo info;
  if (xvnamei(&info, name, namelen, HOST_VT_NUM, 8, label, labellen) != 0) return false;
  return xvputd(acc, &info, 0, value, 0, 0, 0) == 0;
}

// A variable of the input data set, bound to a buffer of the step.
bool define_copy(kes_ctx* ctx, host_access* acc, int varnum, void* address, int length) {
  host_varinfo info;
  std::memset(&info, 0, sizeof info);
  if (xvname(ctx->data, varnum, &info) != 0) return false;
  return xvputd(acc, &info, 0, address, length, 0, 0) == 0;
}

// Names and prefixes beyond one per analysis variable, and PCTLNAME= names beyond one
// per point, name nothing: said once per option.
void unused_names(const kes_stmt* s, int nv) {
  for (int k = KES_OUT_SLOT_FIRST; k <= KES_OUT_SLOT_LAST; ++k) {
    const kes_optslot* o = kes_pslot(s, k);
    if (o->given && o->list != nullptr && o->v.count > nv)
      xpmlog(KES_SET_LABEL, KES_MSG_VALUES_BEYOND_VARIABLES, kes_out_option(k), o->v.count, "names", nv,
             o->v.count - nv);
  }
  const kes_optslot* pre = kes_pslot(s, KES_OUTPUT_SLOT_PCTLPRE);
  if (pre->given && pre->list != nullptr && pre->v.count > nv)
    xpmlog(KES_SET_LABEL, KES_MSG_VALUES_BEYOND_VARIABLES, "PCTLPRE=", pre->v.count, "prefixes", nv, pre->v.count - nv);
  const kes_optslot* pts = kes_pslot(s, KES_OUTPUT_SLOT_PCTLPTS);
  const kes_optslot* pn = kes_pslot(s, KES_OUTPUT_SLOT_PCTLNAME);
  const int npts = pts->given && pts->list != nullptr ? pts->v.count : 0;
  if (pn->given && pn->list != nullptr && pn->v.count > npts)
    xpmlog(KES_SET_LABEL, KES_MSG_NAMES_BEYOND_POINTS, pn->v.count, npts, pn->v.count - npts);
}

// The variables of one OUTPUT statement's data set, from position *pos of the value
// array on. False after a definition the host refused (it has said why).
bool define_statement(kes_ctx* ctx, kes_stmt* s, int nvars_ds, int* pos) {
  kes_datapass* dp = kes_dp(ctx);
  kes_dsh ds = static_cast<kes_dsh>(kes_pslot(s, KES_OUTPUT_SLOT_OUT)->v.handle);
  host_access* acc = nullptr;
  if (xvputi(ds, nvars_ds, 32, &acc) != 0 || acc == nullptr) return false;
  if (ctx->nbyvars > 0 && xvputcv(acc, ctx->data, dp->byvarnums, ctx->nbyvars, 0) != 0) return false;
  if (!kes_define_class_copies(ctx, acc)) return false;
  if (dp->idout) {
    for (int i = 0; i < ctx->nids; ++i) {
      const bool text = dp->idtypes[i] != 1;
      void* at = text ? static_cast<void*>(dp->id_first_char + dp->idoffsets[i])
                      : static_cast<void*>(&dp->id_first_num[i]);
      if (!define_copy(ctx, acc, dp->idvarnums[i], at, text ? ctx->idsizes[i] : 0)) return false;
    }
  }
  const int nv = ctx->nvars;
  char label[256];
  for (int k = KES_OUT_SLOT_FIRST; k <= KES_OUT_SLOT_LAST; ++k) {
    const int n = kes_out_names(s, k, nv);
    if (n == 0) continue;
    const auto* names = static_cast<const kes_listname*>(kes_pslot(s, k)->list);
    const int ll = xpmstr(label, sizeof label, KES_SET_LABEL, kes_out_label_msg(k));
    for (int i = 0; i < n; ++i)
      if (!define_number(acc, names[i].text, wzstrip(names[i].text, 32), label, ll, &ctx->outvals[(*pos)++]))
        return false;
  }
  const int npts = kes_out_points(s);
  const int npre = kes_out_prefixes(s, nv);
  const auto* pts = static_cast<const double*>(kes_pslot(s, KES_OUTPUT_SLOT_PCTLPTS)->list);
  const auto* pre = static_cast<const kes_listname*>(kes_pslot(s, KES_OUTPUT_SLOT_PCTLPRE)->list);
  const kes_optslot* pn = kes_pslot(s, KES_OUTPUT_SLOT_PCTLNAME);
  const auto* pnames = static_cast<const kes_listname*>(pn->list);
  const int npnames = pn->given && pnames != nullptr ? pn->v.count : 0;
  for (int i = 0; i < npre; ++i) {
    for (int j = 0; j < npts; ++j) {
      // Prefix, then the point's PCTLNAME= name or its percentile text.
      char name[72], suffix[40], shown[40];
      int len = name_text(pre[i].text, name);
      if (j < npnames) name_text(pnames[j].text, suffix);
      else kes_pctl_text(pts[j], suffix, sizeof suffix, false);
      const int sl = static_cast<int>(std::strlen(suffix));
      std::memcpy(name + len, suffix, static_cast<size_t>(sl) + 1);
      len = kes::min(len + sl, KES_PCTL_NAME_MAX);
      kes_pctl_text(pts[j], shown, sizeof shown, true);
      const int ll = xpmstr(label, sizeof label, KES_SET_LABEL, KES_MSG_PERCENTILE_LABEL, shown);
      if (!define_number(acc, name, len, label, ll, &ctx->outvals[(*pos)++])) return false;
    }
  }
  kes_optslot* keep = s->nslots > KES_OUT_SLOT_ACCESS ? &s->slots[KES_OUT_SLOT_ACCESS] : nullptr;
  if (keep == nullptr) return false;
  if (xvpute(acc) != 0) return false;
  keep->v.count = nvars_ds;
  keep->list = acc;
  return true;
}

}  // namespace

int kesgout(kes_ctx* ctx) {
  if (ctx->proc == nullptr) return 0;
  kes_datapass* dp = kes_dp(ctx);
  const int nv = ctx->nvars;

  int nout = 0;
  for (const kes_stmt* s = ctx->proc->next; s != nullptr; s = s->next) nout += kes_is_output(s) ? 1 : 0;
  if (nout > 0 && !kes_pslot(ctx->proc, KES_PROC_SLOT_VAR)->given && nv > 1) {
    xpmlog(KES_SET_PROC, KES_MSG_OUTPUT_NEEDS_VAR, nv);
    return fail(KES_RC_OUTPUT_UNDEFINED);
  }

  if (ctx->sideplots) {
    const int r = open_utility_files(ctx);
    if (r != 0) return r;
  }

  for (int g = 0; g < 5; ++g) ctx->result_counts[g] = kes_stat_group_size(kResultGroups[g]);
  int r = rank_points(ctx);
  if (r != 0) return r;
  if (nout == 0) return 0;

  // The value array, preset missing; the data pass fills the BY and ID buffers for it.
  ctx->output_present = 1;
  int nvals = 0;
  for (const kes_stmt* s = ctx->proc->next; s != nullptr; s = s->next)
    if (kes_is_output(s)) nvals += kes_out_positions(s, nv);
  bool failed = false;
  ctx->noutvals = nvals;
  ctx->outvals = static_cast<double*>(take(ctx, static_cast<long>(sizeof(double)) * nvals, &failed));
  if (failed) return fail(1);
  vzfdl(v_global_gcb_anchor->consts->std_missing, ctx->outvals, nvals);

  const bool weighted_divisor = std::memcmp(ctx->vardef, "WEIGHT  ", 8) == 0 ||
                                std::memcmp(ctx->vardef, "WGT     ", 8) == 0 ||
                                std::memcmp(ctx->vardef, "WDF     ", 8) == 0;
  const int nclass = ctx->classvars != nullptr ? ctx->classvars->count : 0;
  const int nids = dp->idout ? ctx->nids : 0;
  int pos = 0;
  bool divisor_noted = false;
  for (kes_stmt* s = ctx->proc->next; s != nullptr; s = s->next) {
    if (!kes_is_output(s)) continue;
    kes_dsh ds = static_cast<kes_dsh>(kes_pslot(s, KES_OUTPUT_SLOT_OUT)->v.handle);
    char name[42];
    std::memset(name, 0, sizeof name);
    if (ds == nullptr || xoinfo(ds, HOST_DSI_NAME, name) != 0) {
      xpmlog(KES_SET_PROC, KES_MSG_OUT_DATA_SET_UNUSABLE);
      return fail(KES_RC_OUTPUT_UNDEFINED);
    }
    name[sizeof name - 1] = '\0';
    xpmlog(KES_SET_PROC, KES_MSG_OUTPUT_WRITES_DATA_SET, name);
    // Once: the option handling already says so when the tables are printed.
    if (weighted_divisor && !ctx->printed && !divisor_noted) {
      xpmlog(KES_SET_PROC, KES_MSG_VARDEF_SCALES_VARIANCES, wzstrip(ctx->vardef, 8), ctx->vardef,
             std::memcmp(ctx->vardef, "WDF", 3) == 0 ? " minus 1" : "");
      divisor_noted = true;
    }
    unused_names(s, nv);
    const int nvars_ds = ctx->nbyvars + nclass + nids + kes_out_positions(s, nv);
    if (nvars_ds == 0) {
      xpmlog(KES_SET_PROC, KES_MSG_OUTPUT_NAMES_NO_STATISTICS, name);
      continue;
    }
    if (!define_statement(ctx, s, nvars_ds, &pos)) {
      xpmlog(KES_SET_PROC, KES_MSG_OUTPUT_VARIABLES_NOT_DEFINED, name);
      return fail(KES_RC_OUTPUT_UNDEFINED);
    }
  }
  return 0;
}

int kes_util_handle(const kes_ctx* ctx, int which) { return ctx->utilfile + which; }
