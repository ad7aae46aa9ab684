// Index sort by natural two-way merging, balanced-tree insertion, and centring.
#include "util/sort_tree.h"

#include <cstdint>
#include <cstring>

#include "host/host_print.h"
#include "host/host_services.h"

namespace {

// The tree node head that ztrebdf requires.
struct tnode {
  tnode* link[2];  // left, right
  std::int16_t balance;
};

int compare_keys(const void* a, const void* b, int keylen, int keyoff, ztre_compare cmp) {
  if (cmp != nullptr) return cmp(a, b, keylen, keyoff);
  const char* ka = static_cast<const char*>(a) + keyoff;
  const char* kb = static_cast<const char*>(b) + keyoff;
  if (keylen < 1) {
    double x, y;
    std::memcpy(&x, ka, sizeof x);
    std::memcpy(&y, kb, sizeof y);
    const double d = x - y;
    return d < 0 ? -1 : (d > 0 ? 1 : 0);
  }
  return std::memcmp(ka, kb, static_cast<size_t>(keylen));
}

}  // namespace

int zrankl(const double* values, int n, int* index, int dropmiss) {
  int count = 0;
  if (dropmiss) {
    for (int i = 0; i < n; ++i)
      if (values[i] == values[i]) index[count++] = i;
  } else {
    for (int i = 0; i < n; ++i) index[i] = i;
    count = n > 0 ? n : 0;
  }
  if (count < 2) return count;

  // Natural two-way merge: ascending runs are taken from both ends of the source half
  // and written alternately to both ends of the other half, until one run remains.
  int* a = index;
  int* b = index + count;
  auto out_of_order = [values](int p, int q) { return values[p] > values[q]; };
  for (;;) {
    int i = 0, j = count - 1;   // source ends
    int lo = 0, hi = count - 1; // destination ends
    bool to_low = true;
    int runs = 0;
    while (i <= j) {
      // Merge one run from the left with one run from the right.
      int* dst = b;
      int step = to_low ? 1 : -1;
      int at = to_low ? lo : hi;
      bool left_open = true, right_open = true;
      int prev_l = -1, prev_r = -1;
      while (i <= j && (left_open || right_open)) {
        const bool take_left =
            left_open && (!right_open || !out_of_order(a[i], a[j]));
        if (take_left) {
          dst[at] = a[i];
          at += step;
          prev_l = a[i];
          ++i;
          if (i > j || out_of_order(prev_l, a[i])) left_open = false;
        } else {
          dst[at] = a[j];
          at += step;
          prev_r = a[j];
          --j;
          if (i > j || out_of_order(prev_r, a[j])) right_open = false;
        }
      }
      (void)prev_r;
      if (to_low) lo = at;
      else hi = at;
      to_low = !to_low;
      ++runs;
    }
    int* t = a;
    a = b;
    b = t;
    if (runs <= 1) break;
  }
  if (a != index) std::memcpy(index, a, sizeof(int) * static_cast<size_t>(count));
  return count;
}

void* ztrebdf(void** root, void* node, int keylen, int keyoff, ztre_compare compare) {
  tnode* q = static_cast<tnode*>(node);
  q->link[0] = q->link[1] = nullptr;
  q->balance = 0;
  tnode* t_parent = nullptr;  // parent of s
  tnode* s = static_cast<tnode*>(*root);
  if (s == nullptr) {
    *root = q;
    return q;
  }
  tnode* p = s;
  tnode* pp = nullptr;
  for (;;) {
    const int c = compare_keys(node, p, keylen, keyoff, compare);
    if (c == 0) return p;
    const int dir = c > 0 ? 1 : 0;
    tnode* next = p->link[dir];
    if (next == nullptr) {
      p->link[dir] = q;
      break;
    }
    if (next->balance != 0) {
      t_parent = p;
      s = next;
    }
    pp = p;
    p = next;
  }
  (void)pp;
  // Balances on the path from s down to q.
  int c = compare_keys(node, s, keylen, keyoff, compare);
  if (c == 0) {
    xebug("ztrebld: invalid compare");
    return nullptr;
  }
  const int a = c > 0 ? 1 : -1;
  tnode* r = s->link[a > 0 ? 1 : 0];
  for (p = r; p != q;) {
    const int cc = compare_keys(node, p, keylen, keyoff, compare);
    if (cc == 0) {
      xebug("ztrebld: invalid compare");
      return nullptr;
    }
    p->balance = static_cast<std::int16_t>(cc > 0 ? 1 : -1);
    p = p->link[cc > 0 ? 1 : 0];
  }
  if (s->balance == 0) {
    s->balance = static_cast<std::int16_t>(a);
    return q;
  }
  if (s->balance == -a) {
    s->balance = 0;
    return q;
  }
  const int ai = a > 0 ? 1 : 0;
  tnode* top;
  if (r->balance == a) {  // single rotation
    s->link[ai] = r->link[1 - ai];
    r->link[1 - ai] = s;
    s->balance = r->balance = 0;
    top = r;
  } else {  // double rotation
    p = r->link[1 - ai];
    r->link[1 - ai] = p->link[ai];
    p->link[ai] = r;
    s->link[ai] = p->link[1 - ai];
    p->link[1 - ai] = s;
    if (p->balance == a) {
      s->balance = static_cast<std::int16_t>(-a);
      r->balance = 0;
    } else if (p->balance == 0) {
      s->balance = r->balance = 0;
    } else {
      s->balance = 0;
      r->balance = static_cast<std::int16_t>(a);
    }
    p->balance = 0;
    top = p;
  }
  if (t_parent == nullptr) *root = top;
  else if (t_parent->link[1] == s) t_parent->link[1] = top;
  else t_parent->link[0] = top;
  return q;
}

int ztrecc(const void* a, const void* b, int keylen, int keyoff) {
  return std::memcmp(static_cast<const char*>(a) + keyoff, static_cast<const char*>(b) + keyoff,
                     static_cast<size_t>(keylen > 0 ? keylen : 0));
}

int zcenter(int width) {
  const host_printline* pl = xpoutl(0, 0);
  if (pl == nullptr || pl->valid == 0) return 1;
  const int d = pl->linesize - width;
  if (d < 0) return 1;
  return d / 2 + 1;
}
