// The data pass over one BY group. The first pass of a BY group gathers the counts,
// weighted sums and extremes of every analysis variable and makes the CLASS cells; each
// pass adds the values of its batch's variables to their value lists. Later passes
// find each observation's cell among those the first pass made.
#include "datapass/kesin.h"

#include <cmath>
#include <cstring>

#include "datapass/batch_cut.h"
#include "datapass/class_levels.h"
#include "datapass/gathered_values.h"
#include "datapass/group_wording.h"
#include "datapass/value_views.h"
#include "datapass/math_recovery.h"
#include "datapass/obs_sums.h"
#include "datapass/value_lists.h"
#include "datapass/varsum_records.h"
#include "host/host_services.h"
#include "host/step_codes.h"
#include "kes_msg_names.h"
#include "records/kes_cell.h"
#include "records/kes_cells.h"
#include "records/kes_ctx.h"
#include "records/kes_readstate.h"
#include "records/kes_valnode.h"
#include "records/pool_alloc.h"
#include "stats/kes_statconst.h"
#include "util/kes_minmax.h"

namespace {

constexpr double kMinCounted = kes_stat::EPS13;
constexpr double kMaxFreq = 2147483647.0;

bool has_class(const kes_classvars* cv) { return cv != nullptr && cv->count > 0; }

// Calls f(records) for every cell of the record that holds records.
template <class F>
void each_leaf(kes_ctx* ctx, kes_classvars* cv, F f) {
  if (!has_class(cv)) {
    f(ctx->varsums, true);
    return;
  }
  kes_each_cell(cv, [&](kes_cell* c) {
    if (c->varsums != nullptr) f(c->varsums, false);
  });
}

// Step 2: the records and cells ready for this pass. 0, or 1 when the later-pass
// lookup could not be made.
int prepare_records(kes_ctx* ctx, bool first) {
  for (int k = 0; k < ctx->nclassrecs; ++k) {
    kes_classvars* cv = &ctx->classvars[k];
    if (has_class(cv)) {
      if (first) {
        cv->levels = cv->keycell = cv->spare = nullptr;
        cv->cur_level = cv->cur_child = nullptr;
        cv->nlevels = 0;
        cv->nlevels2 = 0;
      } else {
        if (kes_cell_index(ctx, cv) != 0) return 1;
      }
    }
    if (first && !has_class(cv)) {
      for (int v = 0; v < ctx->nvars; ++v) {
        keswini(ctx, &ctx->varsums[v]);
        ctx->varsums[v].ndistinct = 0;
      }
    } else if (!first) {
      const int end = ctx->batch_first + ctx->batch_n;
      each_leaf(ctx, cv, [ctx, end](kes_varsum* recs, bool) {
        for (int v = ctx->batch_first; v < end; ++v) kes_varsum_clear_lists(&recs[v]);
      });
    }
  }
  if (ctx->nclassrecs == 0 && first)
    for (int v = 0; v < ctx->nvars; ++v) {
      keswini(ctx, &ctx->varsums[v]);
      ctx->varsums[v].ndistinct = 0;
    }
  return 0;
}

// The BY values (and with IDOUT the ID values) of the BY group's first observation.
void first_observation(kes_ctx* ctx) {
  const kes_datapass* dp = kes_dp(ctx);
  for (int i = 0; i < ctx->nbyvars; ++i) {
    const int var = dp->byvarnums[i];
    // The side-by-side box plots print these 8 characters under their axis: the
    // formatted text, not the stored bytes (a number's would print as garbage).
    if (ctx->plot && dp->bystored != nullptr) xvget1t(ctx->data, var, 8, dp->bystored + 8 * i);
    if (!ctx->output_present) continue;
    if (dp->bytypes[i] == 1) {
      if (dp->bynum != nullptr) xvget1f(ctx->data, var, &dp->bynum[i]);
    } else if (dp->bychar != nullptr) {
      const int len = dp->byoffsets[i + 1] - dp->byoffsets[i];
      if (len > 0) xvget1c(ctx->data, var, len, dp->bychar + dp->byoffsets[i]);
    }
  }
  if (!ctx->output_present || !dp->idout) return;
  for (int i = 0; i < ctx->nids; ++i) {
    const int var = dp->idvarnums[i];
    if (dp->idtypes[i] == 1) {
      if (dp->id_first_num != nullptr) xvget1f(ctx->data, var, &dp->id_first_num[i]);
    } else if (dp->id_first_char != nullptr) {
      const int len = dp->idoffsets[i + 1] - dp->idoffsets[i];
      if (len > 0) xvget1c(ctx->data, var, len, dp->id_first_char + dp->idoffsets[i]);
    }
  }
}

// ROUND=: every analysis variable in the first pass (its sums cover them all), the
// batch's in a later one.
void round_values(kes_ctx* ctx, bool first) {
  kes_datapass* dp = kes_dp(ctx);
  const int from = first ? 0 : ctx->batch_first;
  const int to = first ? ctx->nvars : ctx->batch_first + ctx->batch_n;
  for (int v = from; v < to; ++v) {
    if (!dp->round_flag[v]) continue;
    double& x = dp->values[v];
    if (std::isnan(x)) continue;
    dp->rs.curvar = v;
    bool failed = false;
    x = kes_round_value(x, dp->round_inc[v], &failed);
    if (failed && first) dp->round_fail[v] = 1;
  }
}

// Step 12.5: the work memory the statistics of each batch variable will need.
// Returns false when not even the batch's first variable can have it.
bool probe_memory(kes_ctx* ctx) {
  kes_classvars* cv = ctx->nclassrecs > 0 ? &ctx->classvars[0] : nullptr;
  host_pool* task = v_global_gcb_anchor->taskpool;
  for (int v = ctx->batch_first; v < ctx->batch_first + ctx->batch_n;) {
    const long m = keslink(ctx, cv, v);
    if (!(ctx->robustscale || v < kes_dp(ctx)->robust_k) || m == 0) {
      ++v;
      continue;
    }
    void* a = vmalcp_handler(task, 16 * m, 0x2004);
    void* b = vmalcp_handler(task, 24 * m, 0x2004);
    if (a != nullptr) vmfree_handler(task, a, -1, KES_FREE_FLAGS);
    if (b != nullptr) vmfree_handler(task, b, -1, KES_FREE_FLAGS);
    if (a != nullptr && b != nullptr) {
      ++v;
      continue;
    }
    // The node records go first; the probe is then tried again.
    if (kes_give_up_listed(ctx)) continue;
    // The batch is never cut to nothing: its first variable goes on alone, uncomputed.
    if (!kes_cut_batch(ctx)) return false;
  }
  return true;
}

// The single cell that stands for the whole BY group without CLASS variables. It
// takes the context's records, so it is made without records of its own: an array
// made only to be freed could fail under memory pressure and lose the step.
int single_cell(kes_ctx* ctx, kes_classvars* cv) {
  kes_cell* c = newcls(ctx, cv, false);
  if (c == nullptr) return 1;
  c->varsums = ctx->varsums;
  c->next = c->right = c->child = nullptr;
  cv->levels = cv->keycell = c;
  cv->nlevels = 1;
  cv->nlevels2 = 1;
  return 0;
}

// A later pass that cannot hold even its first variable's values: the partial trees
// are dropped with the variable's pool, and no record may point at them.
int abandon_lists(kes_ctx* ctx) {
  const int end = ctx->batch_first + ctx->batch_n;
  for (int k = 0; k < kes::max(ctx->nclassrecs, 1); ++k) {
    kes_classvars* cv = ctx->nclassrecs > 0 ? &ctx->classvars[k] : nullptr;
    each_leaf(ctx, cv, [ctx, end](kes_varsum* recs, bool) {
      for (int v = ctx->batch_first; v < end; ++v) kes_varsum_clear_lists(&recs[v]);
    });
  }
  return KES_IN_ONEVAR;
}

// Calls f(record) for variable v's record in every cell.
template <class F>
void each_record(kes_ctx* ctx, int v, F f) {
  for (int k = 0; k < kes::max(ctx->nclassrecs, 1); ++k) {
    kes_classvars* cv = ctx->nclassrecs > 0 ? &ctx->classvars[k] : nullptr;
    each_leaf(ctx, cv, [&f, v](kes_varsum* recs, bool) { f(&recs[v]); });
  }
}

// Every record of the batch's variables gets its view; each variable's nodes go as
// soon as its views are made, so at most one variable's views live beside nodes.
// When a variable's views cannot all be had the batch's last variable leaves it (a
// later pass reads it), as when nodes run short; false when the batch's first
// variable alone cannot have them (it is then not computed, as without its nodes).
bool make_views(kes_ctx* ctx) {
  for (int v = ctx->batch_first; v < ctx->batch_first + ctx->batch_n;) {
    // A gathered variable's view was made with its values sorted.
    if (host_pool* made = kes_take_gathered_views(ctx, v)) {
      each_record(ctx, v, kes_forget_lists);
      kes_take_view_pool(ctx, v, made);
      ++v;
      continue;
    }
    host_pool* pool = kes_view_pool();
    bool all = pool != nullptr;
    each_record(ctx, v, [&](kes_varsum* r) { all = kes_make_view(ctx, pool, r) && all; });
    if (!all) {
      each_record(ctx, v, [](kes_varsum* r) { r->view = nullptr; });
      if (pool != nullptr) xmpoold(pool);
      if (!kes_cut_batch(ctx)) return false;  // v itself leaves when it is the last
      continue;
    }
    each_record(ctx, v, kes_forget_lists);
    kes_take_view_pool(ctx, v, pool);
    ++v;
  }
  return true;
}

int end_of_data(kes_ctx* ctx, bool first) {
  kes_datapass* dp = kes_dp(ctx);
  kes_readstate& rs = dp->rs;
  if (first) {
    if (dp->round_any)
      for (int v = 0; v < ctx->nvars; ++v)
        if (dp->round_fail[v]) {
          xpmlog(KES_SET_PROC, KES_MSG_VALUES_NOT_ROUNDED, static_cast<int>(ctx->varnames[v].len),
                 ctx->varnames[v].text);
          ctx->rc = kes::max(ctx->rc, KES_RC_DATA_NOTE);
        }
    if (rs.nread == 0 || !(rs.counted_freq > kMinCounted)) {
      const bool empty = rs.nread == 0;
      if (ctx->nbyvars > 0)
        xpmlog(KES_SET_PROC, empty ? KES_MSG_EMPTY_BY_GROUP : KES_MSG_BY_GROUP_NO_USABLE_OBSERVATION);
      else
        xpmlog(KES_SET_PROC, empty ? KES_MSG_EMPTY_DATA_SET : KES_MSG_DATA_SET_NO_USABLE_OBSERVATION,
               kes_input_name(ctx).text);
      return KES_IN_SKIP;
    }
    for (int k = 0; k < ctx->nclassrecs; ++k) {
      kes_classvars* cv = &ctx->classvars[k];
      if (has_class(cv)) {
        if (kesckey(ctx, cv) > 0) {
          ctx->rc = kes::max(ctx->rc, KES_RC_OUT_OF_MEMORY);
          return KES_IN_ERROR;
        }
      } else if (single_cell(ctx, cv) != 0) {
        return KES_IN_ONEVAR;  // the variable is not computed; the others are read again
      }
    }
  }
  const bool enough = probe_memory(ctx);
  const int end = ctx->batch_first + ctx->batch_n;
  for (int k = 0; k < kes::max(ctx->nclassrecs, 1); ++k) {
    kes_classvars* cv = ctx->nclassrecs > 0 ? &ctx->classvars[k] : nullptr;
    each_leaf(ctx, cv, [ctx, end, &rs](kes_varsum* recs, bool single) {
      for (int v = ctx->batch_first; v < end; ++v) {
        kesnux(ctx, &recs[v]);  // lists made by the probe already; cheap then
        kes_final_counts(&recs[v], single, rs.total_freq);
      }
    });
  }
  if (!enough) return KES_IN_ONEVAR;
  if (!dp->valuelists) {
    dp->valuelists = 1;
    return KES_IN_ONEVAR;
  }
  return make_views(ctx) ? KES_IN_READ : KES_IN_ONEVAR;
}

int read_pass(kes_ctx* ctx) {
  kes_datapass* dp = kes_dp(ctx);
  kes_readstate& rs = dp->rs;
  std::memset(&rs, 0, sizeof rs);
  rs.spare = dp->spare;
  rs.round_inc = dp->round_inc;
  rs.round_fail = dp->round_fail;
  rs.round_flag = dp->round_flag;
  rs.curvar = -1;
  const bool first = ctx->batch_first == 0;

  if (prepare_records(ctx, first) != 0) {
    ctx->rc = kes::max(ctx->rc, KES_RC_OUT_OF_MEMORY);
    return KES_IN_ERROR;
  }
  for (int v = 0; v < ctx->nvars; ++v) {
    dp->spare[v] = nullptr;
    kes_forget_gathered(ctx, v);
  }
  dp->listed_off = 0;
  dp->listed_chain = nullptr;
  if (dp->round_any && first) std::memset(dp->round_fail, 0, sizeof(int) * static_cast<size_t>(ctx->nvars));

  int answer = 0;
  rs.have_obsno = xoinfo(ctx->data, HOST_DSI_OBSNO, &answer) != 0;

  host_access* acc = ctx->data != nullptr ? ctx->data->access : nullptr;
  for (;;) {
    host_ioreq req;
    std::memset(&req, 0, sizeof req);
    req.ds = ctx->data;
    req.flags = HOST_IOF_SEQ | HOST_IOF_OBSNO;
    req.code = HOST_IOC_READ;
    const int st = acc != nullptr && acc->read != nullptr ? acc->read(&req) : xybyget(&req);
    if (st != 0) {
      xofprc(&req, st, 1);
      break;
    }
    if (acc != nullptr && acc->get != nullptr && acc->source != nullptr) acc->get(acc);
    else xyvget(ctx->varget, 0);
    if (rs.have_obsno) rs.obsno = req.obsno;

    if (first) {
      ++rs.nread;
      if (rs.nread == 1) first_observation(ctx);
    }
    if (dp->round_any) round_values(ctx, first);

    // FREQ.
    int f = 1;
    if (ctx->freq_given) {
      const double fv = ctx->freq_value;
      if (std::isnan(fv) || !(fv > 0)) continue;
      if (std::fabs(fv) > kMaxFreq) {
        xpmlog(KES_SET_PROC, KES_MSG_FREQ_TOTAL_TOO_LARGE);
        ctx->rc = kes::max(ctx->rc, KES_RC_VALUE_NOTE);
        return KES_IN_ERROR;
      }
      f = static_cast<int>(fv);
      ctx->freq_value = f;
    }
    rs.freq = f;
    const double total = rs.total_freq + f;
    if (kes_failed(total)) return kes_stage_abort(ctx, KES_STAGE_PASS_TOTAL);
    rs.total_freq = total;

    // WEIGHT.
    double c = 1.0;
    if (ctx->weight_given) {
      const double wv = ctx->weight_value;
      if (std::isnan(wv)) continue;
      if (ctx->exclnpwgt && !(wv > 0)) continue;
      c = wv > 0 ? wv : 0.0;
    }
    rs.cweight = c;
    if (f == 0) continue;
    if (first) rs.counted_freq += f;

    for (int k = 0; k < kes::max(ctx->nclassrecs, 1); ++k) {
      kes_classvars* cv = ctx->nclassrecs > 0 ? &ctx->classvars[k] : nullptr;
      kes_varsum* recs = ctx->varsums;
      if (has_class(cv)) {
        const int r = first ? kes_cell_first(ctx, cv, f, rs.nread, &recs) : kes_cell_later(ctx, cv, &recs);
        if (r == KES_CELL_NONE) {
          if (first && k == 0) ++dp->class_missing;  // once per observation, in its first pass
          continue;
        }
        if (r == KES_CELL_NOMEM) {
          // A cell that cannot be made is lost data, not a smaller batch.
          ctx->rc = kes::max(ctx->rc, KES_RC_OUT_OF_MEMORY);
          return KES_IN_ERROR;
        }
      }
      if (first)
        for (int v = 0; v < ctx->nvars; ++v) {
          rs.cur = &recs[v];
          rs.curvar = v;
          kes_obs_update(ctx, &recs[v], v, dp->values[v], f, c);
        }
      if (!dp->valuelists) continue;
      for (int v = ctx->batch_first; v < ctx->batch_first + ctx->batch_n; ++v) {
        const int r = kes_add_value(ctx, &recs[v], v, dp->values[v], f, c);
        if (r == KES_ADD_OVERFLOW) return KES_IN_ERROR;
        if (r == KES_ADD_NO_NODE) {
          if (!first) return abandon_lists(ctx);
          dp->valuelists = 0;
          break;
        }
      }
    }
  }
  // The gathered values become their lists, in batch order as the tree path would
  // have run short of nodes.
  for (int v = ctx->batch_first; dp->valuelists && v < ctx->batch_first + ctx->batch_n; ++v) {
    if (kes_build_gathered(ctx, v) != KES_ADD_NO_NODE) continue;
    if (!first) return abandon_lists(ctx);
    dp->valuelists = 0;
  }
  return end_of_data(ctx, first);
}

}  // namespace

int kesin(kes_ctx* ctx) {
  const int result = read_pass(ctx);
  // A pass that stops early leaves values gathered but never listed.
  for (int v = 0; v < ctx->nvars; ++v) kes_forget_gathered(ctx, v);
  return result;
}

