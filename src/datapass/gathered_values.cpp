// Gathered values: see gathered_values.h.
#include "datapass/gathered_values.h"

#include <algorithm>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

#include "datapass/batch_cut.h"
#include "datapass/exact_weights.h"
#include "datapass/value_lists.h"
#include "datapass/value_views.h"
#include "datapass/varsum_records.h"
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
#include "util/kes_exp2.h"

// A weighted value as gathered: key holds the value's double_order_key, c its clamped
// weight. The sort runs in the gathered room itself.
struct kes_weighted_item {
  std::uint64_t key;
  double c;
  static constexpr bool weighted = true;
  int freq() const { return 1; }
  void weigh(kes_valnode* n, kes_exact_sum* room) const {
    if (c > 0.0) kes_weigh_node(n, c, 1, [room] { return static_cast<void*>(room); });
  }
};

namespace {

constexpr std::size_t kGrain = std::size_t{1} << 16;

// The value of a key: a zero with the sign of the first zero gathered.
double value_of(std::uint64_t key, int first_zero) {
  const double x = kes::double_of_order_key(key);
  return x == 0 && first_zero < 0 ? -0.0 : x;
}

// Gathered value i. A weighted zero comes back with the sign of the first zero, which
// is all the tree keeps of the zeros' signs (it keeps a value's first arrival).
double value_at(const kes_gathered& g, long i) { return g.wx != nullptr ? value_of(g.wx[i].key, g.first_zero) : g.x[i]; }

// The sorted items: a value's key with what its observation brings. weigh adds an
// item's weights to a value's weight sums, as the tree would have.
struct key_only {
  std::uint64_t key;
  static constexpr bool weighted = false;
  void take(const kes_gathered&, long) {}
  int freq() const { return 1; }
  void weigh(kes_valnode*, kes_exact_sum*) const {}
};
struct key_freq {
  std::uint64_t key;
  int f;
  static constexpr bool weighted = false;
  void take(const kes_gathered& g, long i) { f = g.f[i]; }
  int freq() const { return f; }
  void weigh(kes_valnode*, kes_exact_sum*) const {}
};
using key_weight = kes_weighted_item;
struct key_weight_freq {
  std::uint64_t key;
  double c;
  int f;
  static constexpr bool weighted = true;
  void take(const kes_gathered& g, long i) {
    c = g.wx[i].c;
    f = g.f[i];
  }
  int freq() const { return f; }
  void weigh(kes_valnode* n, kes_exact_sum* room) const {
    if (c > 0.0) kes_weigh_node(n, c, f, [room] { return static_cast<void*>(room); });
  }
};

// Grows one array of the room to cap entries; false when it cannot.
template <class T>
bool grow_array(T*& a, long cap) {
  void* p = std::realloc(a, static_cast<std::size_t>(cap) * sizeof(T));
  if (p == nullptr) return false;
  a = static_cast<T*>(p);
  return true;
}

bool grow(kes_gathered& g, bool with_freq, bool with_weight) {
  with_freq = with_freq || g.f != nullptr;
  const long cap = g.cap == 0 ? 4096 : 2 * g.cap;
  if (!(with_weight ? grow_array(g.wx, cap) : grow_array(g.x, cap)) || (with_freq && !grow_array(g.f, cap)))
    return false;
  g.cap = cap;
  return true;
}

void release(kes_gathered& g) {
  std::free(g.x);
  std::free(g.f);
  std::free(g.wx);
  g.x = nullptr;
  g.f = nullptr;
  g.wx = nullptr;
  g.n = g.cap = 0;
  g.ftotal = 0;
  g.first_zero = 0;
  g.no_compact = 0;
}

// The gathered values of v go to the tree in their order of arrival, and later values
// of the pass follow them there.
int to_tree(kes_ctx* ctx, kes_varsum* r, int v, kes_gathered& g) {
  g.off = 1;
  int rc = KES_ADD_OK;
  for (long i = 0; i < g.n && rc == KES_ADD_OK; ++i) {
    const int f = g.f != nullptr ? g.f[i] : 1;
    rc = kes_add_to_tree(ctx, r, v, value_at(g, i), f, g.wx != nullptr ? g.wx[i].c : 1.0);
    if (v >= ctx->batch_first + ctx->batch_n) break;  // the variable left the batch
  }
  release(g);
  return rc;
}

// Does a distinct value start at items[i]?
template <class Item>
bool starts_value(const Item* items, std::size_t i) {
  return i == 0 || items[i].key != items[i - 1].key;
}

// One distinct value of the sorted items: its count, and with weights its weight sums
// as the tree's node for it would hold them.
struct value_run {
  int count = 0;  // at most the gathered total, which stays in the int range
  kes_wtrec sums{};
  kes_valnode node{};
  kes_exact_sum exact;  // the room of sums.exact, where it is begun
};

// The run of the value starting at items[i], its weights added in their
// order of arrival (the sort is stable); i is left past its last item.
template <class Item>
void take_run(const Item* items, std::size_t n, std::size_t& i, value_run* run) {
  const std::uint64_t key = items[i].key;
  run->count = 0;
  run->sums = kes_wtrec{};
  run->node = kes_valnode{};
  run->node.wt = &run->sums;
  for (; i < n && items[i].key == key; ++i) {
    run->count += items[i].freq();
    items[i].weigh(&run->node, &run->exact);
  }
}

// Calls emit(value, run) for each distinct value of the sorted items, ascending,
// while emit returns true.
template <class Item, class Emit>
void each_value(const Item* items, std::size_t n, int first_zero, Emit emit) {
  value_run run;
  for (std::size_t i = 0; i < n;) {
    const double x = value_of(items[i].key, first_zero);
    take_run(items, n, i, &run);
    if (!emit(x, run)) return;
  }
}

// The nodes of the sorted values, one per distinct value, made in order. They need no
// record in making order (kes_varsum::listed): the list is already in memory order.
template <class Item>
int make_list(kes_ctx* ctx, kes_varsum* r, int v, const Item* items, std::size_t n, int first_zero) {
  kes_datapass* dp = kes_dp(ctx);
  kes_valnode* last = nullptr;
  int rc = KES_ADD_OK;
  each_value(items, n, first_zero, [&](double x, const value_run& run) {
    kes_valnode* node = newnode(ctx, v, dp->node_size);
    if (node == nullptr) {
      if (v == ctx->batch_first) {
        rc = KES_ADD_NO_NODE;
        return false;
      }
      // As in the tree: a later variable that cannot have its nodes leaves the batch.
      if (v == ctx->batch_first + ctx->batch_n - 1) kes_cut_batch(ctx);
      kes_varsum_clear_lists(r);
      return false;
    }
    kes_wtrec* wt = node->wt;
    std::memset(node, 0, sizeof *node);
    node->key.value = x;
    node->count = run.count;
    if (wt != nullptr) {
      *wt = run.sums;
      node->wt = wt;
      node->wexp = run.node.wexp;
      // The exact sum goes with the node, into the variable's pool (without room
      // the rounded sum stands).
      if (run.sums.exact != nullptr) {
        void* at = ctx->varpools[v] != nullptr
                       ? vmalcp_handler(ctx->varpools[v], sizeof(kes_exact_sum), KES_ALLOC_2)
                       : nullptr;
        wt->exact = at != nullptr ? new (at) kes_exact_sum(*run.sums.exact) : nullptr;
      }
    }
    if (last == nullptr) r->values = node;
    else last->next = node;
    last = node;
    ++r->ndistinct;
    return true;
  });
  return rc;
}

// Is the value at items[i] one observation of frequency 1 whose weight was taken in
// the view's unit wexp, where it is a normal number? Its sums of sqrt(c) w and c w are
// then those of one weight by their very making (kes_node_add_weight on empty sums is
// kes_one_weight_powers in the value's own power unit), and the view does not keep
// them: the nearly distinct values of a large run skip the test. A weight that is not
// a normal number in that unit is kept (kes_view_keeps_value).
// Inlined: both passes of make_view ask it of every value of a large run.
template <class Item>
[[gnu::always_inline]] inline bool one_weight(const Item* items, std::size_t n, std::size_t i, int e, int wexp) {
  if constexpr (Item::weighted) {
    if (items[i].c > 0.0 && !(kes::ldexp(items[i].c, -wexp) >= DBL_MIN)) return false;
  }
  return e == wexp && items[i].freq() == 1 && (i + 1 == n || items[i + 1].key != items[i].key);
}

// Does the view keep the sums of run (kes_valview::kept), not one_weight? They are
// brought to unit wexp as the view keeps them (kes_node_view_sums), their sum of
// weights in the run's own unit kept in *own_w and *own_e first. Counted and written
// by the same tests, so that each part's kept entries are where the count put them.
bool run_keeps(value_run& run, int wexp, double* own_w, int* own_e) {
  *own_w = run.sums.sumw;
  *own_e = run.node.wexp;
  run.sums = kes_node_view_sums(run.node, wexp);
  run.node.wexp = static_cast<std::int16_t>(wexp);
  return run.sums.exact != nullptr || kes_view_keeps_value(*own_w, run.sums.sumw, run.sums.sumw15, run.sums.sumw2);
}

// The record's view made from the sorted values (one entry per distinct value, as
// make_list makes its nodes) and its missing values, in a pool of its own kept in g;
// false, the items untouched, when the pool or the room cannot be had. The values are
// counted and written in fixed parts on the threads, so each thread first touches the
// room it fills; a value is written by the part where it starts. Items wider than a
// value are written from the last part to the first and their room shrunk behind the
// writing, so that the items and the whole view are never held at once; items then
// holds the few first items left.
template <class Item>
bool make_view(kes_varsum* r, kes_gathered& g, Item*& items, std::size_t n, int first_zero, int e, int threads) {
  constexpr bool kShrink = sizeof(Item) > sizeof(double);
  const std::size_t parts = kes::part_count(n, kGrain);
  std::vector<long> first(parts + 1, 0);  // distinct values before each part
  std::vector<long> kept(parts + 1, 0);   // kept weight sums before each part
  std::vector<long> exacts(parts + 1, 0); // kept exact sums of weights before each part
  const int wexp = Item::weighted ? r->wexp : 0;
  kes::parallel_parts(threads, parts, [&](std::size_t k) {
    const std::size_t end = std::min(n, (k + 1) * kGrain);
    long here = 0, keep = 0, exact = 0;
    if constexpr (Item::weighted) {
      std::size_t i = k * kGrain;
      while (i < end && !starts_value(items, i)) ++i;
      value_run run;
      while (i < end) {
        ++here;
        if (one_weight(items, n, i, e, wexp)) {
          ++i;
          continue;
        }
        take_run(items, n, i, &run);
        double own_w;
        int own_e;
        const bool keeps = run_keeps(run, wexp, &own_w, &own_e);
        keep += keeps;
        exact += keeps && run.sums.exact != nullptr;
      }
    } else {
      for (std::size_t i = k * kGrain; i < end; ++i) here += starts_value(items, i);
    }
    first[k + 1] = here;
    kept[k + 1] = keep;
    exacts[k + 1] = exact;
  });
  for (std::size_t k = 0; k < parts; ++k) {
    first[k + 1] += first[k];
    kept[k + 1] += kept[k];
    exacts[k + 1] += exacts[k];
  }
  const long m = first[parts];
  // The missing values went to the tree; the pass is over, so their list is final.
  if (r->nmiss > 0) ztrelst(reinterpret_cast<void**>(&r->missing));
  host_pool* pool = kes_view_pool();
  kes_viewroom room = kes_view_room(pool, m, Item::weighted, kes_list_length(r->missing), kept[parts]);
  if (room.view == nullptr) {
    if (pool != nullptr) xmpoold(pool);
    return false;
  }
  if (Item::weighted) room.wexp = room.view->wexp = wexp;
  // The exact sums of weights go straight to their place in the view's pool, each
  // part's where the count put them.
  kes_exact_sum* exact = nullptr;
  if (exacts[parts] > 0) {
    exact = static_cast<kes_exact_sum*>(
        vmalcp_handler(pool, exacts[parts] * static_cast<long>(sizeof(kes_exact_sum)), KES_ALLOC_4));
    if (exact == nullptr) {
      xmpoold(pool);
      return false;
    }
  }
  auto write_part = [&](std::size_t k) {
    const std::size_t end = std::min(n, (k + 1) * kGrain);
    long j = first[k], keep = kept[k], ex = exacts[k];
    std::size_t i = k * kGrain;
    while (i < end && !starts_value(items, i)) ++i;
    value_run run;
    while (i < end) {
      room.x[j] = value_of(items[i].key, first_zero);
      const bool one = Item::weighted && one_weight(items, n, i, e, wexp);
      if constexpr (Item::weighted) {
        if (one) {
          // One weight, normal in the view's unit: its sum there is the weight, exactly
          // as a node's would be, and nothing is kept.
          room.f[j] = items[i].freq();
          room.w[j] = kes::ldexp(items[i].c, -wexp);
          ++i;
          ++j;
          continue;
        }
      }
      take_run(items, n, i, &run);  // may read on into the next part
      room.f[j] = run.count;
      if constexpr (Item::weighted) {
        // As the view of a tree's node: its sums brought to the record's unit.
        double own_w;
        int own_e;
        const bool keeps = run_keeps(run, wexp, &own_w, &own_e) && !one;
        const long at = keep;
        keep += kes_view_put_sums(room, j, run.sums, keep, keeps, own_w, own_e);
        if (keep > at && run.sums.exact != nullptr) room.wexact[at] = new (exact + ex++) kes_exact_sum(*run.sums.exact);
      }
      ++j;
    }
  };
  if constexpr (kShrink) {
    // Bands of parts from the last to the first; after each, the items no earlier part
    // reads (from the first value starting in the band) are given back. Two parts a
    // thread: the room given back trails the writing closely, and a run on one thread
    // of three parts (from 131,073 values) already gives some back.
    const std::size_t band = 2 * static_cast<std::size_t>(threads);
    for (std::size_t hi = parts; hi > 0;) {
      const std::size_t lo = hi > band ? hi - band : 0;
      kes::parallel_parts(threads, hi - lo, [&](std::size_t q) { write_part(lo + q); });
      hi = lo;
      // The earlier parts' runs end at that value, which they read to see so.
      std::size_t keep = lo * kGrain;
      while (keep < n && !starts_value(items, keep)) ++keep;
      keep = std::min(n, keep + 1);
      if (lo > 0) {
        void* p = std::realloc(items, keep * sizeof(Item));
        if (p != nullptr) items = static_cast<Item*>(p);
      }
    }
  } else {
    kes::parallel_parts(threads, parts, write_part);
  }
  kes_put_missing_kinds(r->missing, room);
  r->view = room.view;
  r->ndistinct += static_cast<int>(m);
  g.views = pool;
  return true;
}

bool by_key(const key_weight& a, const key_weight& b) { return a.key < b.key; }

// The gathered values' keys (with their counts), sorted; null when no room (g
// unchanged either way).
template <class Item>
Item* sorted_items(kes_gathered& g, int threads) {
  const std::size_t n = static_cast<std::size_t>(g.n);
  auto* items = static_cast<Item*>(std::malloc(n * sizeof(Item)));
  auto* tmp = static_cast<Item*>(std::malloc(n * sizeof(Item)));
  bool ok = items != nullptr && tmp != nullptr;
  if (ok) {
    kes::parallel_ranges(threads, n, kGrain, [&](std::size_t b, std::size_t e) {
      for (std::size_t i = b; i < e; ++i) {
        items[i].key = kes::double_order_key(value_at(g, static_cast<long>(i)));
        items[i].take(g, static_cast<long>(i));
      }
    });
    try {
      kes::radix_sort_by_key(items, tmp, n, threads);
    } catch (const std::bad_alloc&) {
      ok = false;
    }
  }
  std::free(tmp);
  if (!ok) {
    std::free(items);
    return nullptr;
  }
  return items;
}

// Merges the sorted halves a[0, h) and a[h, n) in place through tmp (room for h
// items), stably: of equal keys, those of the first half stay first.
template <class Item>
void merge_halves(Item* a, Item* tmp, std::size_t h, std::size_t n) {
  std::memcpy(static_cast<void*>(tmp), a, h * sizeof(Item));
  std::size_t i = 0, j = h, o = 0;  // o = i + (j - h) <= j: the output never passes what is unread
  while (i < h && j < n) {
    // Chosen without a branch: which half comes next is a coin toss on spread values.
    const bool second = a[j].key < tmp[i].key;
    const Item* next = second ? a + j : tmp + i;
    a[o++] = *next;
    j += second;
    i += !second;
  }
  while (i < h) a[o++] = tmp[i++];
}

// The weighted values gathered without FREQ sorted where they are, the room handed
// over (g no longer has it); null, g unchanged, when the sort's room cannot be had.
// Each half is sorted in turn and the two merged, so that the scratch is half the
// items: the sort's peak is then the unweighted sort's (its values, its keys and
// their scratch).
template <>
key_weight* sorted_items<key_weight>(kes_gathered& g, int threads) {
  const std::size_t n = static_cast<std::size_t>(g.n);
  const std::size_t h = n / 2;
  auto* tmp = static_cast<key_weight*>(std::malloc(std::max<std::size_t>(n - h, 1) * sizeof(key_weight)));
  if (tmp == nullptr) return nullptr;
  key_weight* items = g.wx;
  g.wx = nullptr;
  try {
    kes::radix_sort_by_key(items, tmp, h, threads);
    kes::radix_sort_by_key(items + h, tmp, n - h, threads);
    merge_halves(items, tmp, h, n);
  } catch (const std::bad_alloc&) {
    // Ties are still in their order of arrival (each half's sort is stable, and the
    // halves keep their places): a stable sort finishes the work.
    std::stable_sort(items, items + n, by_key);
  }
  std::free(tmp);
  return items;
}

// Sorts the gathered values and makes the list; -1 when the sort's room cannot be had.
template <class Item>
int sort_and_list(kes_ctx* ctx, kes_varsum* r, int v, kes_gathered& g) {
  const int threads = ctx->threads > 0 ? ctx->threads : 1;
  Item* items = sorted_items<Item>(g, threads);
  if (items == nullptr) return -1;
  const std::size_t n = static_cast<std::size_t>(g.n);
  const int first_zero = g.first_zero;
  const int e = g.wexp;
  release(g);  // the sorted keys hold all that is needed
  const int rc = make_view(r, g, items, n, first_zero, e, threads) ? KES_ADD_OK
                                                                   : make_list(ctx, r, v, items, n, first_zero);
  std::free(items);
  return rc;
}

// Merges the ties of the full room in place, one entry (in value order, zero with the
// sign of the first zero) and its count per value, when that frees at least half of
// the room; otherwise nothing changes and later rooms only grow.
template <class Item>
bool compact_as(kes_gathered& g, int threads) {
  Item* items = sorted_items<Item>(g, threads);
  if (items == nullptr) return false;
  const std::size_t n = static_cast<std::size_t>(g.n);
  long m = 0;
  for (std::size_t i = 0; i < n; ++i) m += starts_value(items, i);
  if (2 * m > g.cap) g.no_compact = 1;
  else if (g.f == nullptr) g.f = static_cast<int*>(std::malloc(static_cast<std::size_t>(g.cap) * sizeof(int)));
  if (g.no_compact || g.f == nullptr) {
    std::free(items);
    return false;
  }
  m = 0;
  each_value(items, n, g.first_zero, [&](double x, const value_run& run) {
    g.x[m] = x;
    g.f[m++] = run.count;
    return true;
  });
  std::free(items);
  g.n = m;
  return true;
}

bool compact(kes_gathered& g, int threads) {
  constexpr long kCompactFrom = 1L << 16;
  if (g.no_compact || g.n < kCompactFrom) return false;
  return g.f != nullptr ? compact_as<key_freq>(g, threads) : compact_as<key_only>(g, threads);
}

}  // namespace

bool kes_gather_value(kes_ctx* ctx, kes_varsum* r, int v, double x, int f, double c, int* rc) {
  *rc = KES_ADD_OK;
  kes_datapass* dp = kes_dp(ctx);
  if (dp->gathered == nullptr || r != &ctx->varsums[v]) return false;
  kes_gathered& g = dp->gathered[v];
  if (g.off) return false;
  const bool weighted = ctx->weight_given != 0;
  // The gathered weights share one unit; a new one is rare (a weight 2^64 units above
  // the first), and the tree takes each weight in its own.
  if (weighted && g.n > 0 && g.wexp != r->wexp) {
    *rc = to_tree(ctx, r, v, g);
    return false;
  }
  // Ties of weighted values are not merged: their weights add in order of arrival.
  if (g.ftotal + f <= INT_MAX &&
      (g.n < g.cap || (!weighted && compact(g, ctx->threads > 0 ? ctx->threads : 1)) ||
       grow(g, ctx->freq_given != 0, weighted))) {
    if (x == 0 && g.first_zero == 0) g.first_zero = std::signbit(x) ? -1 : 1;
    if (g.n == 0) g.wexp = r->wexp;
    if (g.f != nullptr) g.f[g.n] = f;
    if (g.wx != nullptr) {
      g.wx[g.n].key = kes::double_order_key(x);
      g.wx[g.n].c = c;
    } else {
      g.x[g.n] = x;
    }
    ++g.n;
    g.ftotal += f;
    return true;
  }
  *rc = to_tree(ctx, r, v, g);
  return false;
}

int kes_build_gathered(kes_ctx* ctx, int v) {
  kes_datapass* dp = kes_dp(ctx);
  if (dp->gathered == nullptr) return KES_ADD_OK;
  kes_gathered& g = dp->gathered[v];
  if (g.off || g.n == 0) {
    release(g);
    return KES_ADD_OK;
  }
  kes_varsum* r = &ctx->varsums[v];
  const int rc = g.wx != nullptr ? (g.f != nullptr ? sort_and_list<key_weight_freq>(ctx, r, v, g)
                                                  : sort_and_list<key_weight>(ctx, r, v, g))
                 : g.f != nullptr ? sort_and_list<key_freq>(ctx, r, v, g)
                                  : sort_and_list<key_only>(ctx, r, v, g);
  return rc >= 0 ? rc : to_tree(ctx, r, v, g);
}

host_pool* kes_take_gathered_views(kes_ctx* ctx, int v) {
  kes_datapass* dp = kes_dp(ctx);
  if (dp->gathered == nullptr) return nullptr;
  host_pool* pool = dp->gathered[v].views;
  dp->gathered[v].views = nullptr;
  return pool;
}

void kes_forget_gathered(kes_ctx* ctx, int v) {
  kes_datapass* dp = kes_dp(ctx);
  if (dp->gathered == nullptr) return;
  kes_gathered& g = dp->gathered[v];
  release(g);
  g.off = 0;
  if (g.views != nullptr) {
    xmpoold(g.views);
    g.views = nullptr;
    ctx->varsums[v].view = nullptr;  // only the plain record is gathered
  }
}
