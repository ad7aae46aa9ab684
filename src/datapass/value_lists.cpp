// Value nodes and value lists. Nodes come in chunks from the variable's own pool, so
// that a variable's lists vanish with its pool; when memory runs short the batch's
// later variables give their pools up first.
#include <climits>
#include <cmath>
#include <cstring>

#include "datapass/exact_weights.h"
#include "datapass/gathered_values.h"
#include "datapass/value_lists.h"
#include "host/host_missing.h"
#include "host/host_services.h"
#include "host/step_codes.h"
#include "kes_msg_names.h"
#include "records/kes_cell.h"
#include "records/kes_cells.h"
#include "records/kes_ctx.h"
#include "records/kes_readstate.h"
#include "records/kes_valnode.h"
#include "records/kes_wunit.h"
#include "records/pool_alloc.h"
#include "util/kes_minmax.h"

namespace {


void drop_pool(kes_ctx* ctx, int v) {
  if (ctx->varpools[v] != nullptr) {
    xmpoold(ctx->varpools[v]);
    ctx->varpools[v] = nullptr;
  }
  kes_dp(ctx)->spare[v] = nullptr;
  kes_forget_gathered(ctx, v);
}

// A new chunk for v: every part arrives, or the chunk does not count as opened.
kes_valnode* from_new_chunk(kes_ctx* ctx, int v, int per_chunk, bool weighted) {
  host_pool* pool = ctx->varpools[v];
  if (pool == nullptr) return nullptr;
  void* nodes = vmalcp_handler(pool, static_cast<long>(sizeof(kes_valnode)) * per_chunk, KES_ALLOC_2);
  if (nodes == nullptr) return nullptr;
  void* wts = nullptr;
  if (weighted) {
    wts = vmalcp_handler(pool, static_cast<long>(sizeof(kes_wtrec)) * per_chunk, KES_ALLOC_2);
    if (wts == nullptr) {
      vmfree_handler(pool, nodes, -1, KES_FREE_FLAGS);
      return nullptr;
    }
  }
  ctx->node_chunk[v] = nodes;
  ctx->weight_chunk[v] = wts;
  ctx->nodes_used[v] = 1;
  auto* node = static_cast<kes_valnode*>(nodes);
  node->wt = static_cast<kes_wtrec*>(wts);
  return node;
}

// Gives r's node record back to variable v's pool unless it is kept in the record;
// true when memory was given back.
bool free_listed(kes_ctx* ctx, kes_varsum* r, int v) {
  if (r->listed == nullptr || r->listed == &r->listed_one || ctx->varpools[v] == nullptr) return false;
  vmfree_handler(ctx->varpools[v], r->listed, -1, KES_FREE_FLAGS);
  return true;
}

}  // namespace

// Notes a new node of r's value list. When the record cannot grow it is given up and
// the list is copied by walking it.
void kes_note_listed(kes_ctx* ctx, kes_varsum* r, int v, kes_valnode* node) {
  if (r->listcap < 0 || kes_dp(ctx)->listed_off) return;
  if (r->nlisted == r->listcap) {
    host_pool* pool = ctx->varpools[v];
    // Small at first: every CLASS cell has a record, and most cells of many levels
    // hold few values; the first node is kept in the record itself.
    const long cap = r->listcap == 0 ? 1L : r->listcap == 1 ? 4L : 2L * r->listcap;
    void* grown = nullptr;
    if (cap == 1) grown = &r->listed_one;
    else if (pool != nullptr && cap <= INT_MAX)
      grown = vmalcp_handler(pool, cap * static_cast<long>(sizeof(kes_valnode*)), KES_ALLOC_2);
    if (grown != nullptr && r->nlisted > 0)
      std::memcpy(grown, r->listed, static_cast<size_t>(r->nlisted) * sizeof(kes_valnode*));
    free_listed(ctx, r, v);
    r->listed = static_cast<kes_valnode**>(grown);
    if (grown == nullptr) {
      r->nlisted = 0;
      r->listcap = -1;
      return;
    }
    if (r->listcap == 0) {
      r->listed_link = kes_dp(ctx)->listed_chain;
      r->listed_var = v;
      kes_dp(ctx)->listed_chain = r;
    }
    r->listcap = static_cast<int>(cap);
  }
  r->listed[r->nlisted++] = node;
}

bool kes_give_up_listed(kes_ctx* ctx) {
  kes_datapass* dp = kes_dp(ctx);
  if (dp->listed_off) return false;
  dp->listed_off = 1;
  bool freed = false;
  for (kes_varsum* r = dp->listed_chain; r != nullptr; r = r->listed_link) {
    freed = free_listed(ctx, r, r->listed_var) || freed;
    r->listed = nullptr;
    r->nlisted = 0;
    r->listcap = -1;
  }
  dp->listed_chain = nullptr;
  return freed;
}

int kes_nodes_per_chunk(int chunk_bytes, int node_size) { return chunk_bytes / node_size - 2; }

kes_valnode* newnode(kes_ctx* ctx, int v, int node_size) {
  (void)node_size;
  const bool weighted = ctx->weight_given != 0;
  const int per_chunk = ctx->nodes_per_chunk > 0 ? ctx->nodes_per_chunk : 1;
  if (ctx->node_chunk[v] != nullptr && ctx->nodes_used[v] < per_chunk) {
    const int i = ctx->nodes_used[v]++;
    kes_valnode* node = static_cast<kes_valnode*>(ctx->node_chunk[v]) + i;
    node->wt = weighted ? static_cast<kes_wtrec*>(ctx->weight_chunk[v]) + i : nullptr;
    return node;
  }
  if (kes_valnode* node = from_new_chunk(ctx, v, per_chunk, weighted)) return node;
  if (kes_give_up_listed(ctx))
    if (kes_valnode* node = from_new_chunk(ctx, v, per_chunk, weighted)) return node;

  // No chunk: shed the batch's later variables.
  const int last = ctx->batch_first + ctx->batch_n - 1;
  if (ctx->batch_n <= 1) return nullptr;
  if (v == last) {
    drop_pool(ctx, v);
    --ctx->batch_n;
    return nullptr;
  }
  while (ctx->batch_first + ctx->batch_n - 1 > v) {
    drop_pool(ctx, ctx->batch_first + ctx->batch_n - 1);
    --ctx->batch_n;
    host_pool* pool = ctx->varpools[v];
    if (pool == nullptr) return nullptr;
    auto* node = static_cast<kes_valnode*>(vmalcp_handler(pool, sizeof(kes_valnode), KES_ALLOC));
    if (node == nullptr) continue;
    kes_wtrec* wt = nullptr;
    if (weighted) {
      wt = static_cast<kes_wtrec*>(vmalcp_handler(pool, sizeof(kes_wtrec), KES_ALLOC_2));
      if (wt == nullptr) {
        vmfree_handler(pool, node, -1, KES_FREE_FLAGS);
        continue;
      }
    }
    node->wt = wt;
    return node;
  }
  return nullptr;
}

int kes_add_value(kes_ctx* ctx, kes_varsum* r, int v, double x, int f, double c) {
  int rc = KES_ADD_OK;
  if (!std::isnan(x) && kes_gather_value(ctx, r, v, x, f, c, &rc)) return rc;
  return rc == KES_ADD_OK ? kes_add_to_tree(ctx, r, v, x, f, c) : rc;
}

int kes_add_to_tree(kes_ctx* ctx, kes_varsum* r, int v, double x, int f, double c) {
  kes_datapass* dp = kes_dp(ctx);
  kes_valnode* spare = dp->spare[v];
  if (spare == nullptr) {
    spare = newnode(ctx, v, dp->node_size);
    if (spare == nullptr) return v == ctx->batch_first ? KES_ADD_NO_NODE : KES_ADD_OK;
    dp->spare[v] = spare;
  }
  kes_wtrec* wt = spare->wt;
  std::memset(spare, 0, sizeof *spare);
  spare->wt = wt;
  if (wt != nullptr) std::memset(wt, 0, sizeof *wt);

  kes_valnode* node;
  if (std::isnan(x)) {
    spare->key.kind = host_missing_code(x);
    node = static_cast<kes_valnode*>(
        ztrebld(reinterpret_cast<void**>(&r->missing), spare, KES_KEY_INT, KES_VALNODE_KEYPOS));
  } else {
    spare->key.value = x;
    node = static_cast<kes_valnode*>(
        ztrebld(reinterpret_cast<void**>(&r->values), spare, KES_KEY_DOUBLE, KES_VALNODE_KEYPOS));
  }
  // The host could not take the node: the value stays out of the list, like a value
  // for which no node could be had.
  if (node == nullptr) return v == ctx->batch_first ? KES_ADD_NO_NODE : KES_ADD_OK;

  if (f > INT_MAX - node->count) {
    host_varinfo info;
    std::memset(&info, 0, sizeof info);
    xvname(ctx->data, ctx->varnums[v], &info);
    xpmlog(KES_SET_PROC, KES_MSG_FREQUENCY_COUNT_TOO_LARGE, static_cast<int>(info.name_len), info.name, x);
    ctx->rc = kes::max(ctx->rc, KES_RC_VALUE_NOTE);
    if (node == spare) dp->spare[v] = nullptr;  // it sits in the tree now
    return KES_ADD_OVERFLOW;
  }
  node->count += f;
  if (node->wt != nullptr && c > 0.0 && !std::isnan(x)) {
    host_pool* pool = ctx->varpools[v];
    kes_weigh_node(node, c, f, [pool] {
      return pool != nullptr ? vmalcp_handler(pool, sizeof(kes_exact_sum), KES_ALLOC_2) : nullptr;
    });
  }
  if (node == spare) {
    dp->spare[v] = nullptr;
    // Counting new values as they come saves kesnux a walk over the whole list.
    if (!std::isnan(x)) {
      ++r->ndistinct;
      kes_note_listed(ctx, r, v, node);
    }
  }
  return KES_ADD_OK;
}

int kesnux(kes_ctx*, kes_varsum* r) {
  if (r->n > 0) ztrelst(reinterpret_cast<void**>(&r->values));
  if (r->nmiss > 0) ztrelst(reinterpret_cast<void**>(&r->missing));
  // The length of the value list: kes_add_value counted each node it added, so the
  // list (millions of nodes scattered in memory) need not be walked.
  return r->ndistinct;
}

int keslink(kes_ctx* ctx, kes_classvars* cv, int v) {
  if (cv == nullptr || cv->count == 0) return kesnux(ctx, &ctx->varsums[v]);
  int m = 0;
  kes_each_cell(cv, [&](kes_cell* c) {
    if (c->varsums != nullptr) m = kes::max(m, kesnux(ctx, &c->varsums[v]));
  });
  return m;
}
