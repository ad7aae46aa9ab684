// kes_flatten: one walk over a value list into contiguous arrays.
#include "stats/kes_flatvals.h"

#include <cstdlib>

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

int kes_flatten(kes_valnode* head, int hint, kes_flatvals* out) {
  return flatten<kes_valnode, true>(head, hint, out);
}

int kes_flatten_copy(const kes_valnode* head, int hint, kes_flatvals* out) {
  return flatten<const kes_valnode, false>(head, hint, out);
}
