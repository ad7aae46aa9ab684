#include "datapass_test_support.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <set>

#include "runner/host_table.h"
#include "data/dataset.h"
#include "driver/kesgopt_options.h"
#include "driver/kesgset_vars.h"
#include "datapass/kesin.h"
#include "host/host_services.h"
#include "records/kes_cell.h"
#include "records/kes_procopts.h"
#include "records/kes_readstate.h"
#include "records/kes_valnode.h"
#include "records/kes_valview.h"
#include "records/pool_alloc.h"

namespace dp_test {

void datapass_fixture::SetUp() {
  plat::begin_step();
  saved_anchor_ = v_global_gcb_anchor;
  v_global_gcb_anchor = plat::anchor();
  ctx_ = std::make_unique<kes_ctx>();
}

void datapass_fixture::TearDown() {
  plat::set_memory_cap(0);
  if (data_ != nullptr) plat::close_dataset(plat::from_handle(static_cast<kes_dsh>(data_)));
  plat::finish_step();
  v_global_gcb_anchor = saved_anchor_;
}

void* datapass_fixture::open_data(const std::string& member, const std::vector<std::string>& by) {
  std::string err;
  plat::dataset* ds = plat::open_input("", member, &err);
  EXPECT_NE(ds, nullptr) << err;
  if (ds == nullptr) return nullptr;
  if (!by.empty()) {
    std::vector<plat::by_var> vars;
    for (const std::string& b : by) vars.push_back(plat::by_var{plat::find_variable(ds, b)});
    EXPECT_TRUE(plat::set_by(ds, vars, false, &err)) << err;
  }
  data_ = plat::handle(ds);
  return data_;
}

int datapass_fixture::var_of(const std::string& name) {
  return plat::find_variable(plat::from_handle(static_cast<kes_dsh>(data_)), name);
}

int datapass_fixture::count_in_log(const std::string& text) {
  const std::string l = log();
  int n = 0;
  for (size_t at = l.find(text); at != std::string::npos; at = l.find(text, at + 1)) ++n;
  return n;
}

namespace {

std::string label_of(const kes_cell* c) { return std::string(c->fmt.text, c->fmt.len); }

void check_view(const kes_varsum& r, var_snap& s) {
  if (r.view == nullptr) return;
  s.view = r.values == nullptr && r.missing == nullptr && r.listed == nullptr ? 1 : 0;
}

var_snap snap(const kes_varsum& r) {
  var_snap s;
  check_view(r, s);
  s.n = r.n;
  s.nmiss = r.nmiss;
  s.nobs = r.nobs;
  // The weighted sums in the weights' own unit (the record keeps them in 2^wexp).
  s.sumwgt = std::ldexp(r.sumwgt, r.wexp);
  s.sum = std::ldexp(r.sum, r.wexp);
  s.uss = std::ldexp(r.uss, r.wexp);
  s.css = std::ldexp(r.css, r.wexp);
  s.pass_total = r.pass_total;
  s.ndistinct = r.ndistinct;
  if (const kes_valview* v = r.view) {
    s.nkept = v->nkept;
    s.view_bytes = kes_valview_bytes(v->m, v->w != nullptr, v->nkinds, v->nkept);
    kes_view_powers powers(*v);
    for (int i = 0; i < v->m; ++i) {
      s.values.emplace_back(v->x[i], v->f[i]);
      // In the weights' own unit: the view keeps them in units of 2^wexp.
      if (v->w != nullptr) {
        double w15, w2;
        int u;
        powers.at(i, &w15, &w2, &u);
        const int e = v->wexp + u;
        // Then the exact sum of w as a fraction and its binary exponent.
        double wm;
        int we, fe;
        kes_view_weight_parts(*v, i, &wm, &we);
        const double fr = std::frexp(wm, &fe);
        s.weights.push_back({std::ldexp(v->w[i], v->wexp), std::ldexp(w15, e + e / 2), std::ldexp(w2, 2 * e), fr,
                             static_cast<double>(fe + we)});
      }
    }
    for (int i = 0; i < v->nkinds; ++i) s.missing.emplace_back(v->kind[i], v->kcount[i]);
  }
  const int n = r.nslots;
  if (n > 0 && r.lowest != nullptr) {
    s.lowobs.assign(r.low_obs, r.low_obs + n);
    s.highobs.assign(r.high_obs, r.high_obs + n);
  }
  return s;
}

void take_snapshot(kes_ctx* ctx, group_snap& g) {
  kes_classvars* cv = ctx->classvars;
  g.cells.clear();
  auto keep = [&](const std::string& label, kes_varsum* recs) {
    g.cells.push_back(label);
    for (int v = ctx->batch_first; v < ctx->batch_first + ctx->batch_n; ++v) g.vars[label][v] = snap(recs[v]);
  };
  if (cv == nullptr || cv->count == 0) {
    keep("", ctx->varsums);
    return;
  }
  for (kes_cell* l = cv->levels; l != nullptr; l = l->next) {
    if (cv->count == 1) {
      keep(label_of(l), l->varsums);
      continue;
    }
    for (kes_cell* c = l->child; c != nullptr; c = c->next) keep(label_of(l) + "/" + label_of(c), c->varsums);
  }
  if (cv->keycell != nullptr) {
    g.keycell = cv->count == 2 ? label_of(cv->keycell->child) + "/" + label_of(cv->keycell) : label_of(cv->keycell);
  }
}

}  // namespace

run_result datapass_fixture::run(proc_builder& proc, long memcap) {
  run_result out;
  kes_ctx* ctx = ctx_.get();
  ctx->proc = proc.node();
  try {
    kesgopt_impl(ctx);
    kesgset_impl(ctx);
    xvgete(ctx->varget);
  } catch (const plat::step_exit& e) {
    out.exit_code = e.code;
    out.rc = ctx->rc;
    return out;
  }
  if (memcap > 0) plat::set_memory_cap(plat::memory_in_use() + memcap);
  while (xbynext(ctx->data) > 0) {
    ctx->bypool = xmpoolc(0, 1024, KES_POOL_BYGROUP);
    group_snap g;
    ctx->batch_first = 0;
    ctx->batch_n = ctx->nvars;
    bool skip = false;
    while (ctx->batch_first < ctx->nvars && !out.ended) {
      for (int v = ctx->batch_first; v < ctx->nvars; ++v) {
        if (ctx->varpools[v] == nullptr) ctx->varpools[v] = xmpoolc(8192, 8192, KES_POOL_VAR);
        ctx->node_chunk[v] = nullptr;
        ctx->weight_chunk[v] = nullptr;
        ctx->nodes_used[v] = ctx->nodes_per_chunk;
      }
      const int r = kesin(ctx);
      g.results.push_back(r);
      if (r == 3) {
        skip = true;
        break;
      }
      if (r == 1) {
        out.ended = true;
        break;
      }
      if (r == 2) {
        ctx->batch_n = 1;
        g.notcomputed.push_back(ctx->batch_first);
      }
      take_snapshot(ctx, g);
      for (int v = ctx->batch_first; v < ctx->nvars; ++v)
        if (ctx->varpools[v] != nullptr) {
          xmpoold(ctx->varpools[v]);
          ctx->varpools[v] = nullptr;
        }
      ctx->batch_first += ctx->batch_n;
      ctx->batch_n = ctx->nvars - ctx->batch_first;
      if (ctx->batch_n > 0) xbyrwnd(ctx->data, 66);
    }
    for (int v = 0; v < ctx->nvars; ++v)
      if (ctx->varpools[v] != nullptr) {
        xmpoold(ctx->varpools[v]);
        ctx->varpools[v] = nullptr;
      }
    xmpoold(ctx->bypool);
    ctx->bypool = nullptr;
    if (!skip) out.groups.push_back(g);
    if (out.ended) break;
  }
  plat::set_memory_cap(0);
  out.rc = ctx->rc;
  return out;
}

}  // namespace dp_test
