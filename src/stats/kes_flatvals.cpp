// kes_flatten: one walk over a value list into contiguous arrays.
#include "stats/kes_flatvals.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "driver/kes_valnode.h"

namespace {

template <class T>
bool grow(T** p, long cap) {
  void* q = std::realloc(*p, static_cast<size_t>(cap) * sizeof(T));
  if (q == nullptr) return false;
  *p = static_cast<T*>(q);
  return true;
}

template <class Node, bool Relink>
int flatten(Node* head, int hint, kes_flatvals* out) {
  out->release();
  if (head == nullptr) return 0;
  const bool weighted = head->wt != nullptr;
  long cap = hint > 0 ? hint : 1024;
  auto reserve = [&](long c) {
    if (!grow(&out->x, c) || !grow(&out->f, c)) return false;
    if (weighted && (!grow(&out->w, c) || !grow(&out->w15, c) || !grow(&out->w2, c))) return false;
    return true;
  };
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
    out->x[i] = p->key.value;
    out->f[i] = p->count;
    if (weighted) {
      const kes_wtrec* r = p->wt;
      out->w[i] = r ? r->sumw : 0.0;
      out->w15[i] = r ? r->sumw15 : static_cast<double>(p->count);
      out->w2[i] = r ? r->sumw2 : static_cast<double>(p->count);
    }
  }
  out->m = static_cast<int>(i);
  out->tail = const_cast<kes_valnode*>(prev);
  return 0;
}

// A value and its node; sorted by the value's order key.
struct keyed {
  std::uint64_t key;
  kes_valnode* node;
};

// Unsigned key in the order of the doubles: negative values flipped whole, positive
// ones with the sign bit set. The map is one to one; a list never holds both zeros.
inline std::uint64_t order_key(double v) {
  std::uint64_t b;
  std::memcpy(&b, &v, sizeof b);
  return (b >> 63) != 0 ? ~b : b | (std::uint64_t{1} << 63);
}

// Sorts a[0..n) by key, least significant 11 bits first; tmp has room for n. Digits
// that all keys share are skipped. The result ends in a.
void radix_sort(keyed* a, keyed* tmp, long n) {
  constexpr int kBits = 11;
  constexpr int kPasses = (64 + kBits - 1) / kBits;
  constexpr long kBuckets = 1L << kBits;
  static_assert(kPasses == 6);
  long* count = static_cast<long*>(std::calloc(static_cast<size_t>(kPasses * kBuckets), sizeof(long)));
  if (count == nullptr) {
    std::sort(a, a + n, [](const keyed& l, const keyed& r) { return l.key < r.key; });
    return;
  }
  for (long i = 0; i < n; ++i) {
    const std::uint64_t k = a[i].key;
    for (int d = 0; d < kPasses; ++d) ++count[d * kBuckets + ((k >> (d * kBits)) & (kBuckets - 1))];
  }
  keyed* src = a;
  keyed* dst = tmp;
  for (int d = 0; d < kPasses; ++d) {
    long* c = count + d * kBuckets;
    const int shift = d * kBits;
    if (c[(src[0].key >> shift) & (kBuckets - 1)] == n) continue;
    long pos = 0;
    for (long b = 0; b < kBuckets; ++b) {
      const long here = c[b];
      c[b] = pos;
      pos += here;
    }
    for (long i = 0; i < n; ++i) dst[c[(src[i].key >> shift) & (kBuckets - 1)]++] = src[i];
    std::swap(src, dst);
  }
  if (src != a) std::memcpy(a, src, static_cast<size_t>(n) * sizeof(keyed));
  std::free(count);
}

// kes_flatten from the record of the list's nodes: one read of the nodes in memory
// order, a sort by value, then the copy and the back links in value order, with node
// addresses known ahead so that the loads overlap. 0; 1: the sort's room or the
// arrays could not be had (nothing changed; the caller walks the list instead).
int flatten_listed(kes_valnode* head, kes_valnode* const* nodes, long m, kes_flatvals* out) {
  const bool weighted = head->wt != nullptr;
  auto* a = static_cast<keyed*>(std::malloc(static_cast<size_t>(m) * sizeof(keyed)));
  auto* tmp = static_cast<keyed*>(std::malloc(static_cast<size_t>(m) * sizeof(keyed)));
  if (a == nullptr || tmp == nullptr) {
    std::free(a);
    std::free(tmp);
    return 1;
  }
  constexpr long kAhead = 16;
  for (long i = 0; i < m; ++i) {
    if (i + kAhead < m) __builtin_prefetch(nodes[i + kAhead]);
    kes_valnode* p = nodes[i];
    a[i].key = order_key(p->key.value);
    a[i].node = p;
  }
  radix_sort(a, tmp, m);
  std::free(tmp);
  auto reserve = [&](long c) {
    if (!grow(&out->x, c) || !grow(&out->f, c)) return false;
    if (weighted && (!grow(&out->w, c) || !grow(&out->w15, c) || !grow(&out->w2, c))) return false;
    return true;
  };
  if (!reserve(m)) {
    out->release();
    std::free(a);
    return 1;
  }
  kes_valnode* prev = nullptr;
  for (long j = 0; j < m; ++j) {
    if (j + kAhead < m) {
      __builtin_prefetch(a[j + kAhead].node, 1);
      if (weighted && a[j + kAhead / 2].node->wt != nullptr) __builtin_prefetch(a[j + kAhead / 2].node->wt);
    }
    kes_valnode* p = a[j].node;
    p->right = prev;
    out->x[j] = p->key.value;
    out->f[j] = p->count;
    if (weighted) {
      const kes_wtrec* r = p->wt;
      out->w[j] = r ? r->sumw : 0.0;
      out->w15[j] = r ? r->sumw15 : static_cast<double>(p->count);
      out->w2[j] = r ? r->sumw2 : static_cast<double>(p->count);
    }
    prev = p;
  }
  std::free(a);
  out->m = static_cast<int>(m);
  out->tail = prev;
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
