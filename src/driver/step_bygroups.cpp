// The BY-group loop: a pool per BY group, the variables in batches (a pool per
// variable, the data pass, a rewind for each further batch), the OUTPUT observations
// of the BY group, and after the last group the OUTTABLE close and the side-by-side
// box plots.
#include <cstring>

#include "driver/kescomp.h"
#include "datapass/kesin.h"
#include "driver/step_run.h"
#include "host/host_services.h"
#include "host/step_codes.h"
#include "kes_msg_names.h"
#include "records/class_copies.h"
#include "records/kes_cell.h"
#include "records/kes_cells.h"
#include "records/kes_ctx.h"
#include "records/kes_stages.h"
#include "records/pool_alloc.h"
#include "stats/output_dataset.h"
#include "util/kes_text.h"

namespace {

constexpr int kRewindSameGroup = 66;

// A pool the host could not make: the step ends out of memory.
kes_flow no_pool(kes_ctx* ctx, long size) {
  xmemmsg(size);
  kes_raise_for_failure(ctx, KES_RC_OUT_OF_MEMORY);
  return kes_flow::exit_path;
}

kes_flow write_one(kes_ctx* ctx, const kes_cell* cell) {
  if (cell != nullptr && cell->outvals != nullptr && ctx->outvals != nullptr && cell->outvals != ctx->outvals)
    std::memcpy(ctx->outvals, cell->outvals, sizeof(double) * static_cast<size_t>(ctx->noutvals));
  const int r = ctx->stages->kesout(ctx, KES_OUTPUT_LAST_SLOT);
  if (r > 0) {
    kes_raise_for_failure(ctx, r);
    return kes_flow::exit_path;
  }
  return kes_flow::go_on;
}

// One OUTPUT observation per BY group, per level cell with one CLASS variable, or per
// child cell with two (children marked as having no OUTPUT row get none).
kes_flow output_observations(kes_ctx* ctx) {
  if (!ctx->output_present) return kes_flow::go_on;
  kes_classvars* cv = ctx->classvars;
  if (cv == nullptr || cv->count == 0) return write_one(ctx, nullptr);
  const int stopped = kes_each_cell(cv, [&](kes_cell* cell, kes_cell* level) {
    if (cv->count == 2) {
      if (cell->no_output) return 0;
      kes_class_key_from_cell(cv->var[0], level);
      kes_class_key_from_cell(cv->var[1], cell);
    } else {
      kes_class_key_from_cell(cv->var[0], cell);
    }
    return write_one(ctx, cell) != kes_flow::go_on ? 1 : 0;
  });
  return stopped != 0 ? kes_flow::exit_path : kes_flow::go_on;
}

// The batches of one BY group. `skipped` is set when the data pass found no usable
// observation.
kes_flow run_batches(kes_run& run, bool* skipped) {
  kes_ctx* ctx = run.ctx;
  run.first_batch = true;
  run.cmh3_done = false;
  while (ctx->batch_first < ctx->nvars) {
    for (int v = ctx->batch_first; v < ctx->nvars; ++v) {
      if (ctx->varpools[v] == nullptr) {
        ctx->varpools[v] = xmpoolc(8192, 8192, KES_POOL_VAR);
        if (ctx->varpools[v] == nullptr) return no_pool(ctx, 8192);
      }
      ctx->node_chunk[v] = nullptr;
      ctx->weight_chunk[v] = nullptr;
      ctx->nodes_used[v] = ctx->nodes_per_chunk;
    }

    const int r = ctx->stages->kesin(ctx);
    run.mode = KES_COMP_NORMAL;
    if (r == KES_IN_ONEVAR) {
      ctx->batch_n = 1;
      run.mode = KES_COMP_NOT_COMPUTED;
    } else if (r == KES_IN_SKIP) {
      *skipped = true;
      return kes_flow::go_on;
    } else if (r != KES_IN_READ) {
      kes_raise_for_failure(ctx, r);
      return kes_flow::exit_path;
    }
    // A batch that kept no variable would be read again without end: take its first
    // variable alone, with nothing computed.
    if (ctx->batch_n < 1) {
      ctx->batch_n = 1;
      run.mode = KES_COMP_NOT_COMPUTED;
    }
    if (ctx->batch_first + ctx->batch_n > ctx->nvars) ctx->batch_n = ctx->nvars - ctx->batch_first;
    // Pools of the variables the batch does not hold are made again for their batch.
    kes_drop_var_pools(ctx, ctx->batch_first + ctx->batch_n, ctx->nvars);

    for (int v = ctx->batch_first; v < ctx->batch_first + ctx->batch_n; ++v) {
      ctx->curvar = v;
      const kes_flow f = kes_variable(run);
      if (f != kes_flow::go_on) return f;
    }

    ctx->batch_first += ctx->batch_n;
    ctx->batch_n = ctx->nvars - ctx->batch_first;
    run.first_batch = false;
    if (ctx->batch_n > 0) xbyrwnd(ctx->data, kRewindSameGroup);
  }
  return kes_flow::go_on;
}

}  // namespace

kes_flow kes_bygroups(kes_run& run) {
  kes_ctx* ctx = run.ctx;
  ctx->first_by = 1;
  run.inset_noted = false;

  while (xbynext(ctx->data) > 0) {
    ctx->bypool = xmpoolc(0, 1024, KES_POOL_BYGROUP);
    if (ctx->bypool == nullptr) return no_pool(ctx, 1024);
    ++ctx->bynum;
    ctx->batch_first = 0;
    if (ctx->noutvals > 0) vzfdl(v_global_gcb_anchor->consts->std_missing, ctx->outvals, ctx->noutvals);
    ctx->batch_n = ctx->nvars;

    bool skipped = false;
    const kes_flow f = run_batches(run, &skipped);
    if (f != kes_flow::go_on) return f;
    if (skipped) {
      // Nothing of this BY group is kept, and it is not counted.
      kes_drop_var_pools(ctx, 0, ctx->nvars);
      kes_drop_bygroup_pool(ctx);
      --ctx->bynum;
      continue;
    }

    if (output_observations(ctx) != kes_flow::go_on) return kes_flow::exit_path;
    kes_drop_bygroup_pool(ctx);
    ctx->first_by = 0;
  }

  // Said once for the step, when every group has been read.
  if (ctx->dp.class_missing > 0) xpmlog(KES_SET_PROC, KES_MSG_CLASS_MISSING_LEFT_OUT, ctx->dp.class_missing);
  if (ctx->outtable != nullptr) xvputt(ctx->outtable);
  if (ctx->sideplots) ctx->stages->kesside(ctx);
  return kes_flow::go_on;
}
