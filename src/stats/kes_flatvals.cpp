// kes_flatten: one walk over a value list into contiguous arrays.
#include "stats/kes_flatvals.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

#include "host/kes_parallel.h"
#include "host/kes_radix_sort.h"
#include "records/kes_valnode.h"
#include "stats/engine_threads.h"

namespace {

template <class T>
bool grow(T** p, long cap) {
  void* q = std::realloc(*p, static_cast<size_t>(cap) * sizeof(T));
  if (q == nullptr) return false;
  *p = static_cast<T*>(q);
  return true;
}

// Room for c values in out's arrays (the weight sums' too when weighted).
bool reserve_arrays(kes_flatvals* out, long c, bool weighted) {
  if (!grow(&out->x, c) || !grow(&out->f, c)) return false;
  return !weighted || (grow(&out->w, c) && grow(&out->w15, c) && grow(&out->w2, c));
}

// Node p's value, count and weight sums into place i of out's arrays. A node without
// a weight record gives 0, its count and its count.
void put(const kes_valnode* p, long i, bool weighted, kes_flatvals* out) {
  out->x[i] = p->key.value;
  out->f[i] = p->count;
  if (weighted) {
    const kes_wtrec* r = p->wt;
    out->w[i] = r ? r->sumw : 0.0;
    out->w15[i] = r ? r->sumw15 : static_cast<double>(p->count);
    out->w2[i] = r ? r->sumw2 : static_cast<double>(p->count);
  }
}

template <class Node, bool Relink>
int flatten(Node* head, int hint, kes_flatvals* out) {
  out->release();
  if (head == nullptr) return 0;
  const bool weighted = head->wt != nullptr;
  long cap = hint > 0 ? hint : 1024;
  auto reserve = [&](long c) { return reserve_arrays(out, c, weighted); };
  if (!reserve(cap)) {
    out->release();
    return 1;
  }
  constexpr long kMaxLen = 0x7fffffffL;  // a list never passes the int range
  long i = 0;
  Node* prev = nullptr;
  for (Node* p = head; p != nullptr; prev = p, p = p->next, ++i) {
    if (i == cap) {
      cap = cap > kMaxLen / 2 ? kMaxLen : cap * 2;
      if (i >= kMaxLen || !reserve(cap)) {
        out->release();
        return 1;
      }
    }
    if constexpr (Relink) p->right = prev;
    put(p, i, weighted, out);
  }
  out->m = static_cast<int>(i);
  out->tail = const_cast<kes_valnode*>(prev);
  return 0;
}

// A value and its node; sorted by the value's order key.
constexpr std::size_t kGrain = std::size_t{1} << 16;

struct keyed {
  std::uint64_t key;
  kes_valnode* node;
};

// Copies the nodes, ascending, into out's arrays (room for m) and links each back to
// its predecessor, in parts on several threads.
template <class NodeAt>
void gather_nodes(NodeAt node_at, long m, bool weighted, int threads, kes_flatvals* out) {
  constexpr std::size_t kAhead = 16;
  kes::parallel_ranges(threads, static_cast<std::size_t>(m), kGrain, [&](std::size_t b, std::size_t e) {
    for (std::size_t j = b; j < e; ++j) {
      if (j + kAhead < e) {
        __builtin_prefetch(node_at(j + kAhead), 1);
        if (weighted && node_at(j + kAhead / 2)->wt != nullptr) __builtin_prefetch(node_at(j + kAhead / 2)->wt);
      }
      kes_valnode* p = node_at(j);
      p->right = j > 0 ? node_at(j - 1) : nullptr;
      put(p, static_cast<long>(j), weighted, out);
    }
  });
  out->m = static_cast<int>(m);
  out->tail = node_at(static_cast<std::size_t>(m - 1));
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

// kes_flatten from the record of the list's nodes: one read of the nodes in memory
// order, a sort by value (unless they were made in order), then the copy and the back
// links in value order, with node addresses known ahead so that the loads overlap. 0;
// 1: the sort's room or the arrays could not be had (nothing changed; the caller walks
// the list instead).
int flatten_listed(kes_valnode* head, kes_valnode* const* nodes, long m, kes_flatvals* out) {
  const bool weighted = head->wt != nullptr;
  const int threads = kes_engine_threads();
  auto reserve = [&](long c) { return reserve_arrays(out, c, weighted); };
  if (made_ascending(nodes, m, threads)) {
    if (!reserve(m)) {
      out->release();
      return 1;
    }
    gather_nodes([nodes](std::size_t j) { return nodes[j]; }, m, weighted, threads, out);
    return 0;
  }
  auto* a = static_cast<keyed*>(std::malloc(static_cast<size_t>(m) * sizeof(keyed)));
  auto* tmp = static_cast<keyed*>(std::malloc(static_cast<size_t>(m) * sizeof(keyed)));
  if (a == nullptr || tmp == nullptr) {
    std::free(a);
    std::free(tmp);
    return 1;
  }
  // Parts of the node record, of the sorted pairs and of the arrays are independent:
  // each thread reads and writes only its own.
  kes::parallel_ranges(threads, static_cast<std::size_t>(m), kGrain, [&](std::size_t b, std::size_t e) {
    for (std::size_t i = b; i < e; ++i) {
      if (i + 16 < e) __builtin_prefetch(nodes[i + 16]);
      kes_valnode* p = nodes[i];
      a[i].key = kes::double_order_key(p->key.value);
      a[i].node = p;
    }
  });
  try {
    kes::radix_sort_by_key(a, tmp, static_cast<std::size_t>(m), threads);
  } catch (const std::bad_alloc&) {
    std::sort(a, a + m, [](const keyed& l, const keyed& r) { return l.key < r.key; });
  }
  std::free(tmp);
  if (!reserve(m)) {
    out->release();
    std::free(a);
    return 1;
  }
  gather_nodes([a](std::size_t j) { return a[j].node; }, m, weighted, threads, out);
  std::free(a);
  return 0;
}

}  // namespace

kes_flatvals::~kes_flatvals() { release(); }

void kes_flatvals::release() {
  std::free(x);
  std::free(f);
  std::free(w);
  std::free(w15);
  std::free(w2);
  x = w = w15 = w2 = nullptr;
  f = nullptr;
  m = 0;
  tail = nullptr;
}

int kes_flatten(kes_valnode* head, int hint, kes_flatvals* out, kes_valnode* const* nodes) {
  if (nodes != nullptr && head != nullptr && hint > 0) {
    out->release();
    if (flatten_listed(head, nodes, hint, out) == 0) return 0;
  }
  return flatten<kes_valnode, true>(head, hint, out);
}

int kes_flatten_copy(const kes_valnode* head, int hint, kes_flatvals* out) {
  return flatten<const kes_valnode, false>(head, hint, out);
}
