// kes_make_view: a record's value lists copied once into the arrays of its view. The
// list nodes sit wherever the pass put them, so a walk of a long list is a chain of
// cache misses: when the pass kept its nodes in making order (kes_varsum::listed)
// they are read in memory order instead and sorted by value (unless they were made in
// order already), on several threads. Either way the view is the same.
#include "datapass/value_views.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <vector>

#include "datapass/value_lists.h"
#include "numeric/exact_sum.h"
#include "host/host_services.h"
#include "host/kes_parallel.h"
#include "host/kes_radix_sort.h"
#include "records/kes_ctx.h"
#include "records/kes_readstate.h"
#include "records/kes_valnode.h"
#include "records/kes_valview.h"
#include "records/kes_varsum.h"
#include "records/kes_wunit.h"
#include "records/pool_alloc.h"
#include "stats/engine_threads.h"

namespace {

// Node p's weight sums as the view keeps them in the room's unit (a node without them
// has those of its count in weights of 0).
kes_wtrec sums_of(const kes_valnode* p, int wexp) {
  if (p->wt != nullptr) return kes_node_view_sums(*p, wexp);
  return kes_wtrec{0.0, static_cast<double>(p->count), static_cast<double>(p->count), nullptr};
}

// Node p's sum of weights in its own unit.
double own_weight(const kes_valnode* p) { return p->wt != nullptr ? p->wt->sumw : 0.0; }

bool keeps(const kes_valnode* p, int wexp) {
  const kes_wtrec t = sums_of(p, wexp);
  return t.exact != nullptr || kes_view_keeps_value(own_weight(p), t.sumw, t.sumw15, t.sumw2);
}

// Node p's value, count and weight sums into place i, its kept sums (if any) as kept
// entry k; true when they were kept.
bool put(const kes_valnode* p, long i, const kes_viewroom& a, long k) {
  a.x[i] = p->key.value;
  a.f[i] = p->count;
  if (a.w == nullptr) return false;
  const kes_wtrec t = sums_of(p, a.wexp);
  const bool keep = t.exact != nullptr || kes_view_keeps_value(own_weight(p), t.sumw, t.sumw15, t.sumw2);
  return kes_view_put_sums(a, i, t, k, keep, own_weight(p), p->wexp);
}

// The list from head, at most m nodes; the number copied.
long walk(const kes_valnode* head, long m, const kes_viewroom& a) {
  long i = 0, k = 0;
  for (const kes_valnode* p = head; p != nullptr && i < m; p = p->next, ++i) k += put(p, i, a, k);
  return i;
}

constexpr std::size_t kGrain = std::size_t{1} << 16;

struct keyed {
  std::uint64_t key;
  const kes_valnode* node;
};

// Copies the m nodes, ascending, in parts on several threads; the addresses are known
// ahead, so the loads overlap. With kept sums, each part's are counted first, so that
// each part knows where its own go.
template <class NodeAt>
void gather_nodes(NodeAt node_at, long m, const kes_viewroom& a, int threads) {
  constexpr std::size_t kAhead = 16;
  const bool weighted = a.w != nullptr;
  const std::size_t parts = kes::part_count(static_cast<std::size_t>(m), kGrain);
  std::vector<long> first(parts + 1, 0);  // kept entries before each part
  if (a.nkept > 0) {
    kes::parallel_parts(threads, parts, [&](std::size_t k) {
      const std::size_t e = std::min(static_cast<std::size_t>(m), (k + 1) * kGrain);
      long here = 0;
      for (std::size_t j = k * kGrain; j < e; ++j) here += keeps(node_at(j), a.wexp);
      first[k + 1] = here;
    });
    for (std::size_t k = 0; k < parts; ++k) first[k + 1] += first[k];
  }
  kes::parallel_parts(threads, parts, [&](std::size_t k) {
    const std::size_t b = k * kGrain, e = std::min(static_cast<std::size_t>(m), b + kGrain);
    long kept = first[k];
    for (std::size_t j = b; j < e; ++j) {
      if (j + kAhead < e) {
        __builtin_prefetch(node_at(j + kAhead));
        if (weighted && node_at(j + kAhead / 2)->wt != nullptr) __builtin_prefetch(node_at(j + kAhead / 2)->wt);
      }
      kept += put(node_at(j), static_cast<long>(j), a, kept);
    }
  });
}

// True when the nodes were made in ascending order (as a gathered list's are).
bool made_ascending(kes_valnode* const* nodes, long m, int threads) {
  const std::size_t parts = kes::part_count(static_cast<std::size_t>(m), kGrain);
  std::vector<char> ok(parts, 1);
  kes::parallel_parts(threads, parts, [&](std::size_t k) {
    const std::size_t b = k * kGrain, e = std::min(static_cast<std::size_t>(m), b + kGrain + 1);
    for (std::size_t i = b + 1; i < e && ok[k]; ++i)
      if (!(nodes[i - 1]->key.value < nodes[i]->key.value)) ok[k] = 0;
  });
  return std::all_of(ok.begin(), ok.end(), [](char c) { return c != 0; });
}

// The m nodes of the record of the list's nodes, in value order; false when the sort's
// room cannot be had (nothing written: the list is walked instead).
bool from_listed(kes_valnode* const* nodes, long m, const kes_viewroom& a) {
  const int threads = kes_engine_threads();
  if (made_ascending(nodes, m, threads)) {
    gather_nodes([nodes](std::size_t j) { return nodes[j]; }, m, a, threads);
    return true;
  }
  auto* k = static_cast<keyed*>(std::malloc(static_cast<size_t>(m) * sizeof(keyed)));
  auto* tmp = static_cast<keyed*>(std::malloc(static_cast<size_t>(m) * sizeof(keyed)));
  if (k == nullptr || tmp == nullptr) {
    std::free(k);
    std::free(tmp);
    return false;
  }
  kes::parallel_ranges(threads, static_cast<std::size_t>(m), kGrain, [&](std::size_t b, std::size_t e) {
    for (std::size_t i = b; i < e; ++i) {
      if (i + 16 < e) __builtin_prefetch(nodes[i + 16]);
      k[i].key = kes::double_order_key(nodes[i]->key.value);
      k[i].node = nodes[i];
    }
  });
  try {
    kes::radix_sort_by_key(k, tmp, static_cast<std::size_t>(m), threads);
  } catch (const std::bad_alloc&) {
    std::sort(k, k + m, [](const keyed& l, const keyed& r) { return l.key < r.key; });
  }
  std::free(tmp);
  gather_nodes([k](std::size_t j) { return k[j].node; }, m, a, threads);
  std::free(k);
  return true;
}

}  // namespace

kes_viewroom kes_view_room(host_pool* pool, long m, bool weighted, long nk, long nkept) {
  static_assert(sizeof(kes_valview) % alignof(double) == 0);
  if (!weighted) nkept = 0;
  void* block = pool != nullptr ? vmalcp_handler(pool, kes_valview_bytes(m, weighted, nk, nkept), KES_ALLOC_4) : nullptr;
  if (block == nullptr) return kes_viewroom{};
  // The record, then the doubles, then the ints.
  auto* view = new (block) kes_valview{};
  auto* d = reinterpret_cast<double*>(view + 1);
  auto* ptrs = reinterpret_cast<const kes_exact_sum**>(d + (weighted ? 2 * m + 3 * nkept : m));
  auto* i = reinterpret_cast<int*>(ptrs + (weighted ? nkept : 0));
  kes_viewroom room{view, d, i, weighted ? d + m : nullptr, weighted ? d + 2 * m : nullptr,
                    weighted ? d + 2 * m + nkept : nullptr, i + m + 2 * nkept, i + m + 2 * nkept + nk};
  room.kept = weighted ? i + m : nullptr;
  room.nkept = nkept;
  room.wown = weighted ? d + 2 * m + 2 * nkept : nullptr;
  room.wownexp = weighted ? i + m + nkept : nullptr;
  room.wexact = weighted ? ptrs : nullptr;
  static_assert(sizeof(std::int32_t) == sizeof(int));
  *view = kes_valview{static_cast<int>(m), room.x, room.f, room.w, room.w15, room.w2, static_cast<int>(nk),
                      room.kind, room.kcount, 0, static_cast<int>(nkept), room.kept, room.wown, room.wownexp,
                      room.wexact};
  return room;
}

bool kes_view_put_sums(const kes_viewroom& room, long i, const kes_wtrec& t, long k, bool keep, double own_w,
                       int own_e) {
  room.w[i] = t.sumw;
  if (!keep || k >= room.nkept) return keep;
  room.kept[k] = static_cast<int>(i);
  room.w15[k] = t.sumw15;
  room.w2[k] = t.sumw2;
  room.wown[k] = own_w;
  room.wownexp[k] = own_e;
  room.wexact[k] = t.exact;
  return true;
}

bool kes_view_keep_exact(const kes_viewroom& room, host_pool* pool) {
  if (room.wexact == nullptr) return true;
  long n = 0;
  for (long k = 0; k < room.nkept; ++k) n += room.wexact[k] != nullptr;
  if (n == 0) return true;
  const long bytes = n * static_cast<long>(sizeof(kes_exact_sum));
  void* block = pool != nullptr ? vmalcp_handler(pool, bytes, KES_ALLOC_4) : nullptr;
  if (block == nullptr) return false;
  auto* at = static_cast<kes_exact_sum*>(block);
  for (long k = 0; k < room.nkept; ++k)
    if (room.wexact[k] != nullptr) room.wexact[k] = new (at++) kes_exact_sum(*room.wexact[k]);
  return true;
}

void kes_forget_lists(kes_varsum* r) {
  r->values = nullptr;
  r->missing = nullptr;
  r->listed = nullptr;
  r->nlisted = r->listcap = 0;
}

host_pool* kes_view_pool() { return xmpoolc(8192, 8192, KES_POOL_VAR); }

long kes_list_length(const kes_valnode* head) {
  long n = 0;
  for (const kes_valnode* p = head; p != nullptr; p = p->next) ++n;
  return n;
}

void kes_put_missing_kinds(const kes_valnode* head, const kes_viewroom& room) {
  int j = 0;
  for (const kes_valnode* k = head; k != nullptr && j < room.view->nkinds; k = k->next, ++j) {
    room.kind[j] = k->key.kind;
    room.kcount[j] = k->count;
  }
}

namespace {

// The number of r's m nodes whose sums of sqrt(c) w and c w a view keeps (in any order:
// the node records when there are, else the list).
long count_kept(const kes_varsum* r, long m, int wexp) {
  if (r->listed != nullptr && r->nlisted == m) {
    kes_valnode* const* nodes = r->listed;
    const std::size_t parts = kes::part_count(static_cast<std::size_t>(m), kGrain);
    std::vector<long> here(parts, 0);
    kes::parallel_parts(kes_engine_threads(), parts, [&](std::size_t k) {
      const std::size_t e = std::min(static_cast<std::size_t>(m), (k + 1) * kGrain);
      for (std::size_t j = k * kGrain; j < e; ++j) here[k] += keeps(nodes[j], wexp);
    });
    long n = 0;
    for (long c : here) n += c;
    return n;
  }
  long n = 0, i = 0;
  for (const kes_valnode* p = r->values; p != nullptr && i < m; p = p->next, ++i) n += keeps(p, wexp);
  return n;
}

}  // namespace

bool kes_make_view(kes_ctx* ctx, host_pool* pool, kes_varsum* r) {
  r->view = nullptr;
  const long m = r->values != nullptr ? r->ndistinct : 0;
  const long nk = kes_list_length(r->missing);
  const bool weighted = ctx->weight_given != 0 && m > 0;
  const long nkept = weighted ? count_kept(r, m, r->wexp) : 0;
  kes_viewroom a = kes_view_room(pool, m, weighted, nk, nkept);
  // The node records only speed the copy: they go first when memory runs short.
  if (a.view == nullptr && pool != nullptr && kes_give_up_listed(ctx)) a = kes_view_room(pool, m, weighted, nk, nkept);
  if (a.view == nullptr) return false;
  a.wexp = a.view->wexp = r->wexp;
  if (m > 0) {
    kes_valnode* const* listed = r->listed != nullptr && r->nlisted == m ? r->listed : nullptr;
    if (listed == nullptr || !from_listed(listed, m, a)) a.view->m = static_cast<int>(walk(r->values, m, a));
  }
  if (weighted && !kes_view_keep_exact(a, pool)) return false;
  kes_put_missing_kinds(r->missing, a);
  r->view = a.view;
  return true;
}

void kes_take_view_pool(kes_ctx* ctx, int v, host_pool* pool) {
  if (ctx->varpools[v] != nullptr) xmpoold(ctx->varpools[v]);
  ctx->varpools[v] = pool;
  ctx->node_chunk[v] = nullptr;
  ctx->weight_chunk[v] = nullptr;
  ctx->nodes_used[v] = ctx->nodes_per_chunk;
  kes_dp(ctx)->spare[v] = nullptr;
}
