// The work of one analysis variable in one batch: its output groups, the statistics
// of every cell, the common histogram bins and CLASS layout, and the plot requests.
#include <cstring>

#include "driver/kescomp.h"
#include "driver/step_run.h"
#include "host/host_services.h"
#include "host/step_codes.h"
#include "kes_gram_names.h"
#include "kes_msg_names.h"
#include "records/kes_cell.h"
#include "records/kes_ctx.h"
#include "records/kes_stages.h"
#include "records/kessubs.h"
#include "records/pool_alloc.h"
#include "stats/output_dataset.h"
#include "util/kes_minmax.h"
#include "util/kes_text.h"

namespace {


// Opens an output group under the manager; the new group's handle goes to *group.
kes_flow open_group(kes_run& run, wob_attr* attrs, int count, void** group) {
  const int r = wobmth(run.ctx->objs.manager, nullptr, WOB_M_GROUP, count, attrs);
  if (r < 0) return kes_object_failure(run, r);
  *group = attrs[0].w.p;
  return kes_flow::go_on;
}

// The variable's own group: its name, at the width of the widest name.
kes_flow open_variable_group(kes_run& run, void** group) {
  const kes_name32& name = run.ctx->curname;
  wob_attr a[6] = {
      wob_out(WOB_A_HANDLE),
      wob_text(WOB_A_NAME, vemtxt(name.text, name.len)),
      wob_int(WOB_A_CHAR_WIDTH, run.widest_name),
      wob_text(WOB_A_GROUP_KIND, vemtxt("VarName", 7)),
      wob_text(WOB_A_LABEL, vemtxt(name.text, name.len)),
      wob_last(WOB_A_GROUP_FLAG, 1),
  };
  return open_group(run, a, 6, group);
}

// SUMMARYCONTENTS= with "#VARNAME" replaced gives the summary group's label.
kes_flow open_summary_group(kes_run& run, void** group) {
  const kes_optslot& slot = run.ctx->proc->slots[KES_PROC_SLOT_SUMMARYCONTENTS];
  char text[KES_SUBS_MAX];
  int len = slot.list != nullptr ? slot.v.count : 0;
  if (len > KES_SUBS_MAX) len = KES_SUBS_MAX;
  if (len < 0) len = 0;
  vzmp(static_cast<const char*>(slot.list), len, text, KES_SUBS_MAX);
  kessubs(run.ctx, text, &len);
  wob_attr a[3] = {
      wob_out(WOB_A_HANDLE),
      wob_text(WOB_A_NAME, vemtxt("Summary", 7)),
      wob_text(WOB_A_LABEL, vemtxt(text, len)),
  };
  return open_group(run, a, 3, group);
}

// The cell's level becomes the CLASS variable's current formatted text, key text and
// value.
void set_current_level(kes_classvar& var, const kes_cell* cell) {
  if (var.fmt.text != nullptr) {
    vzmp(cell->fmt.text, cell->fmt.len, var.fmt.text, var.fmt.width);
    var.fmt.len = kes::min(cell->fmt.len, var.fmt.width);
  }
  if (var.key.text != nullptr) {
    vzmp(cell->key.text, cell->key.len, var.key.text, var.key.width);
    var.key.len = kes::min(cell->key.len, var.key.width);
  }
  var.value = cell->value;
}

// The group of one CLASS level: its formatted text, labelled "NAME = level".
kes_flow open_level_group(kes_run& run, const kes_classvar& var, const kes_cell* cell, void** group) {
  kes_classvars* cv = run.ctx->classvars;
  const int width = cv->level_text_width;
  vzmp(cell->fmt.text, cell->fmt.len, cv->level_text, width);
  const bool blank_char = var.type == 2 && vzatl(' ', cell->fmt.text, cell->fmt.len);
  void* label = blank_char ? vemmsgs(KES_SET_PROC, KES_MSG_BLANK, static_cast<int>(var.name.len), var.name.text)
                           : vemmsgs(KES_SET_PROC, KES_MSG_CLASS_LEVEL, static_cast<int>(var.name.len), var.name.text,
                                     width, cv->level_text);
  wob_attr a[9] = {
      wob_out(WOB_A_HANDLE),
      wob_text(WOB_A_NAME, vemtxt(cv->level_text, width)),
      wob_int(WOB_A_CHAR_WIDTH, blank_char ? 0 : width),
      wob_text(WOB_A_GROUP_KIND, vemtxt(var.name.text, var.name.len)),
      wob_text(WOB_A_DETAIL_TEXT, vemtxt(var.label, var.label_len)),
      wob_int(WOB_A_DECIMALS, cell->fmt.len),
      wob_int(WOB_A_WIDTH, var.fmt.width),
      wob_text(WOB_A_LABEL, label),
      wob_last(WOB_A_GROUP_FLAG, 1),
  };
  return open_group(run, a, 9, group);
}

// Statistics of the variable in one cell whose records hold its values.
void compute_in_cell(kes_run& run, kes_cell* cell, bool with_output) {
  kes_ctx* ctx = run.ctx;
  const int v = ctx->curvar;
  if (cell->varsums == nullptr) return;
  const kes_stages& stage = *ctx->stages;
  stage.kescomp(ctx, run.mode, v, cell->varsums);
  stage.kessave(ctx->stats, &cell->varsums[v]);
  if (ctx->output_present && with_output && cell->outvals != nullptr) stage.kesouts(ctx, ctx->stats, cell->outvals);
}

// Statistics of the variable in every CLASS cell, each in its level group (none when
// nothing is computed).
kes_flow compute_by_class(kes_run& run) {
  kes_ctx* ctx = run.ctx;
  kes_classvars* cv = ctx->classvars;
  int width = KES_LEVEL_TEXT_MIN;
  for (int i = 0; i < cv->count; ++i) width = kes::max(width, cv->var[i].fmt.width);
  char* buf = static_cast<char*>(vmalcp_handler(ctx->bypool, width, KES_ALLOC_2));
  if (buf == nullptr) {
    xmemmsg(width);
    kes_raise_for_failure(ctx, KES_RC_OUT_OF_MEMORY);
    return kes_flow::exit_path;
  }
  cv->level_text = buf;
  cv->level_text_width = width;
  const bool groups = run.mode != KES_COMP_NOT_COMPUTED;

  for (kes_cell* level = cv->levels; level != nullptr; level = level->next) {
    set_current_level(cv->var[0], level);
    void* lgroup = nullptr;
    if (groups && open_level_group(run, cv->var[0], level, &lgroup) != kes_flow::go_on) return kes_flow::ended;
    if (cv->count == 1) {
      compute_in_cell(run, level, true);
    } else {
      for (kes_cell* child = level->child; child != nullptr; child = child->next) {
        set_current_level(cv->var[1], child);
        void* cgroup = nullptr;
        if (groups && open_level_group(run, cv->var[1], child, &cgroup) != kes_flow::go_on)
          return kes_flow::ended;
        compute_in_cell(run, child, !child->no_output);
        kes_close_group(cgroup);
      }
    }
    kes_close_group(lgroup);
  }
  return kes_flow::go_on;
}

kes_flow compute_statistics(kes_run& run) {
  kes_ctx* ctx = run.ctx;
  kes_classvars* cv = ctx->classvars;
  if (cv != nullptr && cv->count > 0) return compute_by_class(run);
  if (cv != nullptr) cv->level_text_width = KES_LEVEL_TEXT_MIN;
  const int v = ctx->curvar;
  const kes_stages& stage = *ctx->stages;
  stage.kescomp(ctx, run.mode, v, ctx->varsums);
  stage.kessave(ctx->stats, &ctx->varsums[v]);
  if (ctx->output_present) stage.kesouts(ctx, ctx->stats, ctx->outvals);
  return kes_flow::go_on;
}

// After the statistics: common bins, the CLASS layout (once per BY group, in its first
// batch), the INSET check and the plot requests.
kes_flow after_statistics(kes_run& run) {
  kes_ctx* ctx = run.ctx;
  int r = ctx->stages->kesmerg(ctx);
  if (r > 0) {
    kes_raise_for_failure(ctx, r);
    return kes_flow::exit_path;
  }
  if (run.first_batch && !run.cmh3_done) {
    run.cmh3_done = true;
    r = ctx->stages->kescmh3(ctx);
    if (r > 0) {
      kes_raise_for_failure(ctx, r);
      return kes_flow::exit_path;
    }
  }
  kes_flow f = kes_inset_check(run);
  if (f != kes_flow::go_on) return f;
  return kes_plot_requests(run);
}

}  // namespace

void kes_close_group(void* group) {
  if (group != nullptr) wobclose(group);
}

kes_flow kes_variable(kes_run& run) {
  kes_ctx* ctx = run.ctx;
  const int v = ctx->curvar;

  ctx->curname = ctx->varnames[v];
  host_varinfo info;
  std::memset(&info, 0, sizeof info);
  xvname(ctx->data, ctx->varnums[v], &info);
  const int label_len = kes::min(info.label_len, 256);
  vzmp(info.label, label_len, ctx->curlabel, 256);
  ctx->curlabel_len = static_cast<std::uint16_t>(label_len);

  void* vgroup = nullptr;
  if (ctx->vargroups && run.mode != KES_COMP_NOT_COMPUTED) {
    if (open_variable_group(run, &vgroup) != kes_flow::go_on) return kes_flow::ended;
  }
  if (ctx->debug)
    xpmlog(KES_SET_LABEL, KES_MSG_DEBUG_ANALYSIS_VARIABLE, static_cast<int>(ctx->curname.len), ctx->curname.text);

  void* sgroup = nullptr;
  if (!ctx->noprint && ctx->proc != nullptr && ctx->proc->nslots > KES_PROC_SLOT_SUMMARYCONTENTS &&
      ctx->proc->slots[KES_PROC_SLOT_SUMMARYCONTENTS].given) {
    if (open_summary_group(run, &sgroup) != kes_flow::go_on) return kes_flow::ended;
  }

  kes_flow f = compute_statistics(run);
  kes_close_group(sgroup);
  if (f == kes_flow::go_on) f = after_statistics(run);
  if (f == kes_flow::ended) return f;

  if (ctx->varpools[v] != nullptr) {
    xmpoold(ctx->varpools[v]);
    ctx->varpools[v] = nullptr;
  }
  // The group is closed on the way to the exit path too, so the output stays whole.
  kes_close_group(vgroup);
  return f;
}
