// Variables and CLASS set-up: names, labels and buffers of the analysis, BY and ID
// variables, the variable-get set through which the data pass receives each
// observation, the CLASS part of the CLASS-variables record, and what the INSET and
// OUTPUT statements ask the statistics to provide.
#include "driver/kesgset_vars.h"

#include <cmath>
#include <cstring>
#include <initializer_list>

#include "datapass/gathered_values.h"
#include "datapass/value_lists.h"
#include "datapass/varsum_records.h"
#include "host/host_services.h"
#include "host/step_codes.h"
#include "kes_gram_names.h"
#include "kes_msg_names.h"
#include "records/kes_cell.h"
#include "records/kes_ctx.h"
#include "records/kes_procopts.h"
#include "records/kes_readstate.h"
#include "records/kes_valnode.h"
#include "records/pool_alloc.h"
#include "records/stmt_slots.h"
#include "stats/kes_statconst.h"
#include "stats/statistics.h"
#include "util/kes_minmax.h"
#include "util/kes_text.h"

namespace {

// INSET codes whose statistics must be computed on request.
constexpr int kInsetCodes[4] = {KES_INSET_CODE_SIGNRANK, KES_INSET_CODE_PROBS, KES_INSET_CODE_MSIGN,
                                 KES_INSET_CODE_PROBM};
constexpr double kPctlTop = 100 + kes_stat::EPS11;

int fail(int code) {
  xexit(code, 0);
  return code;
}

void* take(kes_ctx* ctx, long size, int flags, bool* failed) {
  return kes_zalloc(ctx->runpool, size, flags, failed);
}

bool describe(kes_ctx* ctx, int varnum, host_varinfo* info) {
  std::memset(info, 0, sizeof *info);
  return xvname(ctx->data, varnum, info) == 0;
}

// Width of a variable's formatted text: its format's width, or the default width.
int format_width(const host_varinfo& info) {
  if (info.fmt_width > 0) return info.fmt_width;
  return info.type == HOST_VT_CHAR ? kes::max(info.length, 1) : 12;
}

bool same_name(const kes_stmt* s, const char* name) { return std::memcmp(s->name, name, 8) == 0; }

// Scan of the INSET and OUTPUT statements, in input order.
int scan_statements(kes_ctx* ctx) {
  kes_datapass* dp = kes_dp(ctx);
  for (const kes_stmt* s = ctx->proc != nullptr ? ctx->proc->next : nullptr; s != nullptr; s = s->next) {
    if (same_name(s, "INSET   ")) {
      const kes_optslot* codes = kes_pslot(s, KES_INSET_SLOT_CODES);
      const double* c = static_cast<const double*>(codes->list);
      for (int i = 0; codes->given && c != nullptr && i < codes->v.count; ++i) {
        for (int k : kInsetCodes)
          if (c[i] == k) dp->inset_stats = 1;
        // A robust measure of scale in an inset is computed for it, as for OUTPUT.
        const bool whole = c[i] == std::floor(c[i]) && std::fabs(c[i]) < 1e6;
        const int id = whole ? kes_stat_of_inset_code(static_cast<int>(c[i])) : -1;
        if (id >= 0 && KES_STAT_ROWS[id].group == KES_SG_ROBUST) {
          dp->robust_k = ctx->nvars;
          if (id == KES_STAT_QN || id == KES_STAT_STD_QN) dp->inset_qn = 1;
        }
      }
      continue;
    }
    if (!same_name(s, "OUTPUT  ")) continue;
    ++dp->noutput;
    if (!kes_pslot(s, KES_OUTPUT_SLOT_OUT)->given) {
      xspplace(s, KES_STMT_KEYWORD);
      xpmlog(KES_SET_PROC, KES_MSG_OUTPUT_NEEDS_OUT);
      return fail(KES_RC_OUTPUT_UNDEFINED);
    }
    if (kes_pslot(s, KES_OUTPUT_SLOT_SUMWGT)->given && !ctx->weight_given) {
      xspplace(s, KES_OUTPUT_SLOT_SUMWGT);
      xpmlog(KES_SET_PROC, KES_MSG_SUMWGT_WITHOUT_WEIGHT);
    }
    auto longest = [s](std::initializer_list<int> slots) {
      int n = 0;
      for (int k : slots)
        if (kes_pslot(s, k)->given) n = kes::max(n, kes_pslot(s, k)->v.count);
      return n;
    };
    const int nnorm = longest({KES_OUTPUT_SLOT_NORMAL, KES_OUTPUT_SLOT_PROBN});
    if (nnorm > 0) {
      if (ctx->weight_given) xpmlog(KES_SET_PROC, KES_MSG_NORMAL_OUTPUT_IGNORED_WITH_WEIGHT);
      else dp->nnormal_vars = kes::max(dp->nnormal_vars, kes::min(nnorm, ctx->nvars));
    }
    const int nloc =
        longest({KES_OUTPUT_SLOT_MSIGN, KES_OUTPUT_SLOT_SIGNRANK, KES_OUTPUT_SLOT_PROBM, KES_OUTPUT_SLOT_PROBS});
    if (nloc > 0) {
      if (ctx->weight_given) xpmlog(KES_SET_PROC, KES_MSG_SIGN_TESTS_OUTPUT_IGNORED_WITH_WEIGHT);
      else dp->nloc_vars = kes::max(dp->nloc_vars, kes::min(nloc, ctx->nvars));
    }
    int nrob = 0;
    for (int k = KES_OUTPUT_SLOT_GINI; k <= KES_OUTPUT_SLOT_STD_QN; ++k)
      if (kes_pslot(s, k)->given) nrob = kes::max(nrob, kes_pslot(s, k)->v.count);
    dp->robust_k = kes::max(dp->robust_k, kes::min(nrob, ctx->nvars));

    const kes_optslot* pts = kes_pslot(s, KES_OUTPUT_SLOT_PCTLPTS);
    const kes_optslot* pre = kes_pslot(s, KES_OUTPUT_SLOT_PCTLPRE);
    if (pts->given || pre->given || kes_pslot(s, KES_OUTPUT_SLOT_PCTLNAME)->given) {
      if (!pre->given || !pts->given) {
        // Each at the option of the pair that was given (or PCTLNAME=).
        const int there = pts->given ? KES_OUTPUT_SLOT_PCTLPTS
                          : pre->given ? KES_OUTPUT_SLOT_PCTLPRE
                                       : KES_OUTPUT_SLOT_PCTLNAME;
        for (const auto& [missing, name] : {std::pair{pre, "PCTLPRE="}, std::pair{pts, "PCTLPTS="}}) {
          if (missing->given) continue;
          xspplace(s, there);
          xpmlog(KES_SET_PROC, KES_MSG_OUTPUT_MISSING_OPTION, name);
        }
        return fail(KES_RC_OUTPUT_UNDEFINED);
      }
      const double* p = static_cast<const double*>(pts->list);
      for (int i = 0; p != nullptr && i < pts->v.count; ++i)
        if (!(p[i] >= 0 && p[i] <= kPctlTop)) {
          xspplace(s, KES_OUTPUT_SLOT_PCTLPTS);
          xpmlog(KES_SET_PROC, KES_MSG_PCTLPTS_NOT_A_PERCENTAGE, p[i]);
          return fail(KES_RC_BAD_VALUE);
        }
      dp->npctlpts += pts->v.count;
    }
  }
  return 0;
}

}  // namespace

int kescls(kes_ctx* ctx, kes_classvars* cv) {
  bool failed = false;
  kes_datapass* dp = kes_dp(ctx);
  int fmtmax = 1, keymax = 0;
  for (int i = 0; i < cv->count; ++i) {
    kes_classvar& var = cv->var[i];
    host_varinfo info;
    describe(ctx, var.varnum, &info);
    var.type = info.type == HOST_VT_CHAR ? 2 : 1;
    var.length = info.length;
    if (var.type == 2) {
      var.key.width = static_cast<std::uint16_t>(kes::max(info.length, 1));
      var.key.text = static_cast<char*>(take(ctx, var.key.width, KES_ALLOC, &failed));
    }
    var.fmt.width = static_cast<std::uint16_t>(kes::min(format_width(info), 65535));
    var.fmt.text = static_cast<char*>(take(ctx, var.fmt.width, KES_ALLOC, &failed));
    if (failed) return KES_RC_OUT_OF_MEMORY;
    if (var.key.text != nullptr) std::memset(var.key.text, ' ', var.key.width);
    std::memset(var.fmt.text, ' ', var.fmt.width);
    var.name.len = info.name_len;
    vzmp(info.name, info.name_len, var.name.text, 32);
    var.label_len = info.label_len;
    vzmp(info.label, info.label_len, var.label, 256);
    var.label_shown = info.label_len > 0;
    fmtmax = kes::max(fmtmax, var.fmt.width);
    keymax = kes::max(keymax, var.key.width);
    if (cv == ctx->classvars) dp->widest_key[i] = var.key.width;
  }
  cv->keypos = static_cast<int>(sizeof(kes_cell));
  cv->cellsize = static_cast<int>(sizeof(kes_cell)) + fmtmax + keymax;
  return 0;
}

int kesgset_impl(kes_ctx* ctx) {
  kes_datapass* dp = kes_dp(ctx);
  kes_procopts* po = kes_po(ctx);
  bool failed = false;
  const int nv = ctx->nvars;
  host_varinfo info;

  // ID variables: numbers, types, sizes and the offsets of their texts.
  const kes_stmt* proc = ctx->proc;
  const kes_optslot* ids = proc != nullptr ? kes_pslot(proc, KES_PROC_SLOT_ID) : nullptr;
  ctx->nids = ids != nullptr && ids->given ? ids->v.count : 0;
  if (ctx->nids > 0) {
    const auto* e = static_cast<const std::int32_t*>(ids->list);
    ctx->idsizes = static_cast<int*>(take(ctx, static_cast<long>(sizeof(int)) * ctx->nids, KES_ALLOC, &failed));
    dp->idvarnums = static_cast<int*>(take(ctx, static_cast<long>(sizeof(int)) * ctx->nids, KES_ALLOC, &failed));
    dp->idtypes = static_cast<int*>(take(ctx, static_cast<long>(sizeof(int)) * ctx->nids, KES_ALLOC, &failed));
    dp->idoffsets = static_cast<int*>(take(ctx, static_cast<long>(sizeof(int)) * (ctx->nids + 1), KES_ALLOC, &failed));
    if (failed) return fail(KES_RC_OUT_OF_MEMORY);
    int off = 0;
    for (int i = 0; i < ctx->nids; ++i) {
      dp->idvarnums[i] = e[i];
      describe(ctx, e[i], &info);
      dp->idtypes[i] = info.type == HOST_VT_CHAR ? 2 : 1;
      ctx->idsizes[i] = info.length;
      dp->idoffsets[i] = off;
      if (dp->idtypes[i] == 2) off += info.length;
    }
    dp->idoffsets[ctx->nids] = off;
    dp->idtextlen = off;
    dp->id_first_num = static_cast<double*>(take(ctx, static_cast<long>(sizeof(double)) * ctx->nids, KES_ALLOC, &failed));
    dp->id_first_char = static_cast<char*>(take(ctx, off, KES_ALLOC, &failed));
    if (failed) return fail(KES_RC_OUT_OF_MEMORY);
    std::memset(dp->id_first_char, ' ', static_cast<size_t>(off));
    vzfdl(v_global_gcb_anchor->consts->std_missing, dp->id_first_num, ctx->nids);
  }

  // BY variables: types, text offsets and buffers of the first observation's values.
  if (ctx->nbyvars > 0) {
    dp->bytypes = static_cast<int*>(take(ctx, static_cast<long>(sizeof(int)) * ctx->nbyvars, KES_ALLOC, &failed));
    dp->byoffsets = static_cast<int*>(take(ctx, static_cast<long>(sizeof(int)) * (ctx->nbyvars + 1), KES_ALLOC, &failed));
    dp->bystored = static_cast<char*>(take(ctx, 8L * ctx->nbyvars, KES_ALLOC, &failed));
    if (failed) return fail(KES_RC_OUT_OF_MEMORY);
    int off = 0;
    for (int i = 0; i < ctx->nbyvars; ++i) {
      describe(ctx, dp->byvarnums[i], &info);
      dp->bytypes[i] = info.type == HOST_VT_CHAR ? 2 : 1;
      dp->byoffsets[i] = off;
      if (dp->bytypes[i] == 2) off += info.length;
    }
    dp->byoffsets[ctx->nbyvars] = off;
    dp->bychar = static_cast<char*>(take(ctx, off, KES_ALLOC, &failed));
    if (failed) return fail(KES_RC_OUT_OF_MEMORY);
  }

  // Per-variable arrays, names and labels, the value buffer.
  if (ctx->varpools == nullptr)
    ctx->varpools = static_cast<host_pool**>(take(ctx, static_cast<long>(sizeof(void*)) * nv, KES_ALLOC_2, &failed));
  dp->spare = static_cast<kes_valnode**>(take(ctx, static_cast<long>(sizeof(void*)) * nv, KES_ALLOC_2, &failed));
  dp->gathered = static_cast<kes_gathered*>(take(ctx, static_cast<long>(sizeof(kes_gathered)) * nv, KES_ALLOC_2, &failed));
  if (ctx->node_chunk == nullptr) {
    ctx->node_chunk = static_cast<void**>(take(ctx, static_cast<long>(sizeof(void*)) * nv, KES_ALLOC_2, &failed));
    ctx->weight_chunk = static_cast<void**>(take(ctx, static_cast<long>(sizeof(void*)) * nv, KES_ALLOC_2, &failed));
    ctx->nodes_used = static_cast<int*>(take(ctx, static_cast<long>(sizeof(int)) * nv, KES_ALLOC_2, &failed));
  }
  ctx->varnames = static_cast<kes_name32*>(take(ctx, static_cast<long>(sizeof(kes_name32)) * nv, KES_ALLOC, &failed));
  po->varlabels = static_cast<kes_label256*>(take(ctx, static_cast<long>(sizeof(kes_label256)) * nv, KES_ALLOC, &failed));
  dp->values = static_cast<double*>(take(ctx, static_cast<long>(sizeof(double)) * nv, KES_ALLOC, &failed));
  if (failed) return fail(KES_RC_OUT_OF_MEMORY);
  dp->node_size = static_cast<int>(sizeof(kes_valnode)) + (ctx->weight_given ? KES_WTREC_SIZE : 0);
  if (ctx->chunk_size == 0) ctx->chunk_size = KES_NODE_CHUNK;
  if (ctx->nodes_per_chunk == 0)
    ctx->nodes_per_chunk = kes_nodes_per_chunk(KES_NODE_CHUNK, ctx->weight_given ? 28 + 24 : 28);
  po->widest_name = 0;
  for (int v = 0; v < nv; ++v) {
    describe(ctx, ctx->varnums[v], &info);
    ctx->varnames[v].len = info.name_len;
    vzmp(info.name, info.name_len, ctx->varnames[v].text, 32);
    po->varlabels[v].len = info.label_len;
    vzmp(info.label, info.label_len, po->varlabels[v].text, 256);
    po->widest_name = kes::max(po->widest_name, info.name_len);
    // Allowed, but within its own BY group the variable is one value: its statistics
    // say little, which the log says, as the step analyses it all the same.
    for (int i = 0; i < ctx->nbyvars; ++i)
      if (dp->byvarnums != nullptr && dp->byvarnums[i] == ctx->varnums[v])
        xpmlog(KES_SET_LABEL, KES_MSG_BY_VARIABLE_ANALYSED, static_cast<int>(info.name_len), info.name);
  }

  // The records of the whole BY group when there is no CLASS variable.
  kes_classvars* cv = ctx->classvars;
  if (cv == nullptr || cv->count == 0) {
    ctx->varsums = keswptr(ctx, ctx->runpool);
    if (ctx->varsums == nullptr) return fail(KES_RC_OUT_OF_MEMORY);
  }

  // The variable-get set: analysis values, FREQ, WEIGHT, each CLASS variable's
  // formatted text and raw value (a character variable's raw text is its level key).
  const int nclass = cv != nullptr ? cv->count : 0;
  if (nclass > 0 && kescls(ctx, cv) != 0) return fail(KES_RC_OUT_OF_MEMORY);
  const int nget = 2 * nclass + nv + (ctx->weight_given ? 1 : 0) + (ctx->freq_given ? 1 : 0);
  if (xvgeti(ctx->data, nget, &ctx->varget) != 0) return fail(KES_RC_STEP_FAILED);
  for (int v = 0; v < nv; ++v)
    if (xvgetd(ctx->varget, ctx->varnums[v], HOST_GET_ANALYSIS, &dp->values[v], 8) != 0)
      return fail(KES_RC_STEP_FAILED);
  if (ctx->freq_given && xvgetd(ctx->varget, dp->freq_varnum, HOST_GET_RAW, &ctx->freq_value, 8) != 0)
    return fail(KES_RC_STEP_FAILED);
  if (ctx->weight_given && xvgetd(ctx->varget, dp->weight_varnum, HOST_GET_RAW, &ctx->weight_value, 8) != 0)
    return fail(KES_RC_STEP_FAILED);
  for (int i = 0; i < nclass; ++i) {
    kes_classvar& var = cv->var[i];
    if (xvgetd(ctx->varget, var.varnum, HOST_GET_FMT, var.fmt.text, var.fmt.width) != 0)
      return fail(KES_RC_STEP_FAILED);
    const int r = var.type == 1 ? xvgetd(ctx->varget, var.varnum, HOST_GET_KEY, &var.value, 8)
                                : xvgetd(ctx->varget, var.varnum, HOST_GET_KEY, var.key.text, var.key.width);
    if (r != 0) return fail(KES_RC_STEP_FAILED);
  }

  return scan_statements(ctx);
}
