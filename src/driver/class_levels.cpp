// CLASS level cells. A cell carries its formatted level text inside itself, right
// after the record; that text, blank-padded to the CLASS variable's formatted width,
// is the key by which the host's trees find the level of each observation.
#include "driver/class_levels.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "driver/batch_cut.h"
#include "driver/group_wording.h"
#include "driver/varsum_records.h"
#include "host/host_missing.h"
#include "host/host_services.h"
#include "host/step_codes.h"
#include "kes_gram_names.h"
#include "kes_msg_names.h"
#include "records/kes_cell.h"
#include "records/kes_ctx.h"
#include "records/kes_plotslot.h"
#include "records/kes_readstate.h"
#include "records/kes_valnode.h"
#include "records/pool_alloc.h"
#include "util/kes_minmax.h"
#include "util/kes_text.h"

namespace {

enum { kOrderFreq = 0, kOrderData = 1, kOrderInternal = 2, kOrderFormatted = 3 };

int fmt_room(const kes_classvars* cv) {
  int w = 1;
  for (int i = 0; i < cv->count; ++i) w = kes::max(w, cv->var[i].fmt.width);
  return w;
}
int key_room(const kes_classvars* cv) {
  int w = 0;
  for (int i = 0; i < cv->count; ++i) w = kes::max(w, cv->var[i].key.width);
  return w;
}

void ensure_layout(kes_classvars* cv) {
  if (cv->cellsize > 0) return;
  cv->keypos = static_cast<int>(sizeof(kes_cell));
  cv->cellsize = static_cast<int>(sizeof(kes_cell)) + fmt_room(cv) + key_room(cv);
}

// One attempt at a whole cell: the record with its texts, OUTPUT values and plot
// slots, and with one CLASS variable its per-variable records too, in one block (a
// level's records are never freed apart from it then). With two, a level's records go
// when its first child comes, so they are a block of their own.
kes_cell* make_cell(kes_ctx* ctx, kes_classvars* cv, bool own_records, long* failed_size) {
  static_assert(alignof(kes_plotslot) <= alignof(double) && alignof(kes_varsum) <= alignof(double));
  host_pool* pool = ctx->bypool;
  const auto round = [](long n) { return (n + 7) / 8 * 8; };
  const long cell = round(cv->cellsize);
  const long outs = ctx->noutvals > 0 ? static_cast<long>(sizeof(double)) * ctx->noutvals : 0;
  const long slots = ctx->nplotslots > 0 ? round(static_cast<long>(sizeof(kes_plotslot)) * ctx->nplotslots) : 0;
  const bool inline_records = own_records && cv->count == 1;
  const long records = inline_records ? kes_varsum_bytes(ctx) : 0;
  const long size = cell + outs + slots + records;
  char* block = static_cast<char*>(vmalcp_handler(pool, size, KES_ALLOC_2));
  if (block == nullptr) {
    *failed_size = size;
    return nullptr;
  }
  std::memset(block, 0, static_cast<size_t>(size));
  auto* c = reinterpret_cast<kes_cell*>(block);
  char* buf = block + cv->keypos;
  c->fmt.text = buf;
  c->key.text = buf + fmt_room(cv);
  if (outs > 0) {
    c->outvals = reinterpret_cast<double*>(block + cell);
    vzfdl(v_global_gcb_anchor->consts->std_missing, c->outvals, ctx->noutvals);
  }
  if (slots > 0) c->slots = reinterpret_cast<kes_plotslot*>(block + cell + outs);
  if (inline_records) {
    c->varsums = kes_varsum_lay(ctx, block + cell + outs + slots);
  } else if (own_records) {
    c->varsums = kes_varsum_array(ctx, pool, failed_size);
    if (c->varsums == nullptr) {
      vmfree_handler(pool, block, -1, KES_FREE_FLAGS);
      return nullptr;
    }
  }
  return c;
}

// The variable's current texts made ready as level keys; false when the observation
// is in no level of this variable.
bool prepare(kes_classvar& var) {
  int flen;
  if (var.type == 1) flen = wzstjus(var.fmt.text, var.fmt.width, 'L');
  else flen = wzstrip(var.fmt.text, var.fmt.width);
  var.fmt.len = static_cast<std::uint16_t>(flen);
  if (var.key.text != nullptr && var.key.width > 0)
    var.key.len = static_cast<std::uint16_t>(wzstrip(var.key.text, var.key.width));
  if (var.keep_missing) return true;
  if (var.type == 1) return !std::isnan(var.value);
  return var.key.text == nullptr || var.key.len > 0;
}

void fill(kes_cell* c, const kes_classvar& var) {
  c->next = c->right = nullptr;
  c->balance = 0;
  c->order = 0.0;
  c->fmt.width = var.fmt.width;
  c->fmt.len = var.fmt.len;
  vzmp(var.fmt.text, var.fmt.len, c->fmt.text, var.fmt.width);
  c->key.width = var.key.width;
  c->key.len = var.key.len;
  if (var.key.width > 0) vzmp(var.key.text, var.key.len, c->key.text, var.key.width);
  c->value = var.value;
}

// Finds or makes the cell of var's current text in the tree at *root.
int insert(kes_ctx* ctx, kes_classvars* cv, const kes_classvar& var, kes_cell** root, int f, int pos,
           kes_cell** out) {
  if (cv->spare == nullptr) {
    cv->spare = newcls(ctx, cv);
    if (cv->spare == nullptr) return KES_CELL_NOMEM;
  }
  kes_cell* spare = cv->spare;
  fill(spare, var);
  auto* c = static_cast<kes_cell*>(ztrebld(reinterpret_cast<void**>(root), spare, var.fmt.width, cv->keypos));
  if (c == nullptr) {
    xmemmsg(cv->cellsize);
    return KES_CELL_NOMEM;
  }
  if (var.order == kOrderFreq) c->order += f;
  if (c == spare) {
    if (var.order == kOrderData) c->order = pos;
    cv->spare = nullptr;
  }
  *out = c;
  return KES_CELL_FOUND;
}

int cmp_fmt(const kes_cell* a, const kes_cell* b) {
  const int w = kes::min(a->fmt.width, b->fmt.width);
  return std::memcmp(a->fmt.text, b->fmt.text, static_cast<size_t>(w));
}

// Orders the n cells of arr by the variable's ORDER= code; ties keep their order
// (the formatted-text order of the lists), so no cell is ever lost to an equal key.
void order_cells(kes_cell** arr, int n, const kes_classvar& var) {
  if (var.order == kOrderFormatted || n < 2) return;
  auto less = [&var](const kes_cell* a, const kes_cell* b) {
    if (var.order == kOrderInternal) {
      if (var.type == 2) return std::memcmp(a->key.text, b->key.text, var.key.width) < 0;
      return host_compare_values(a->value, b->value) < 0;
    }
    return a->order < b->order;
  };
  if (var.order == kOrderFreq)
    for (int i = 0; i < n; ++i) arr[i]->order = -arr[i]->order + i * 0.5 / n;
  std::stable_sort(arr, arr + n, less);
}

// Relinks arr as a list through the cells' first words; returns its head.
kes_cell* relink(kes_cell** arr, int n) {
  for (int i = 0; i < n; ++i) {
    arr[i]->next = i + 1 < n ? arr[i + 1] : nullptr;
    arr[i]->right = nullptr;
  }
  return n > 0 ? arr[0] : nullptr;
}

int list_length(const kes_cell* c) {
  int n = 0;
  for (; c != nullptr; c = c->next) ++n;
  return n;
}

// Array of the list's cells from the task pool; null after xmemmsg.
kes_cell** to_array(kes_cell* head, int n) {
  const long size = static_cast<long>(sizeof(kes_cell*)) * (n > 0 ? n : 1);
  auto* arr = static_cast<kes_cell**>(vmalcp_handler(v_global_gcb_anchor->taskpool, size, KES_ALLOC_6));
  if (arr == nullptr) {
    xmemmsg(size);
    return nullptr;
  }
  int i = 0;
  for (kes_cell* c = head; c != nullptr && i < n; c = c->next) arr[i++] = c;
  return arr;
}

void free_task(void* p) {
  if (p != nullptr) vmfree_handler(v_global_gcb_anchor->taskpool, p, -1, KES_FREE_FLAGS);
}

// KEYLEVEL=: the first cell of the list whose left-justified formatted text equals the
// given text; the first cell when none does. Notes for no match and several.
kes_cell* key_of(kes_ctx* ctx, const kes_classvar& var, kes_cell* head, char* buf, bool proc_record) {
  if (var.keylevel.len == 0 || head == nullptr) return head;
  kes_cell* found = nullptr;
  int matches = 0;
  for (kes_cell* c = head; c != nullptr; c = c->next) {
    vzmp(c->fmt.text, c->fmt.width, buf, c->fmt.width);
    const int len = wzstjus(buf, c->fmt.width, 'L');
    if (len == var.keylevel.len && std::memcmp(buf, var.keylevel.text, static_cast<size_t>(len)) == 0) {
      if (found == nullptr) found = c;
      ++matches;
    }
  }
  // The CLASS statement's KEYLEVEL= text of this variable, where the messages stand.
  const int slot = &var == &ctx->classvars->var[0] ? KES_PROC_SLOT_KEYLEVEL1 : KES_PROC_SLOT_KEYLEVEL2;
  if (matches == 0) {
    if (proc_record) {
      xspplace(ctx->proc, slot);
      xpmlog(KES_SET_PROC, KES_MSG_KEYLEVEL_MATCHES_NO_LEVEL, static_cast<int>(var.keylevel.len), var.keylevel.text,
             static_cast<int>(var.name.len), var.name.text);
    } else {
      xpmlog(KES_SET_LAYOUT, KES_MSG_PLOT_KEYLEVEL_MATCHES_NO_LEVEL, static_cast<int>(var.keylevel.len),
             var.keylevel.text);
      xpmlog(KES_SET_LAYOUT, KES_MSG_KEY_LEVEL_IS_FIRST, static_cast<int>(var.name.len), var.name.text);
    }
    ctx->rc = kes::max(ctx->rc, KES_RC_DATA_NOTE);
    return head;
  }
  if (matches > 1 && proc_record) {
    xspplace(ctx->proc, slot);
    xpmlog(KES_SET_PROC, KES_MSG_KEYLEVEL_MATCHES_SEVERAL_LEVELS, static_cast<int>(var.keylevel.len), var.keylevel.text,
           static_cast<int>(var.name.len), var.name.text);
    ctx->rc = kes::max(ctx->rc, KES_RC_DATA_NOTE);
  }
  return found;
}

// Later-pass lookup: cells that hold records, by (level text, child text).
struct leaf_index {
  kes_cell** cells;
  int n;
};

int cmp_leaf(const kes_classvars* cv, const kes_cell* a, const kes_cell* b) {
  if (cv->count == 2) {
    const int c = cmp_fmt(a->child, b->child);
    if (c != 0) return c;
  }
  return cmp_fmt(a, b);
}

}  // namespace

kes_cell* newcls(kes_ctx* ctx, kes_classvars* cv, bool own_records) {
  ensure_layout(cv);
  long failed = 0;
  for (;;) {
    kes_cell* c = make_cell(ctx, cv, own_records, &failed);
    if (c != nullptr) return c;
    if (kes_give_up_listed(ctx)) continue;  // the node records go first
    if (!kes_cut_batch(ctx)) break;
  }
  xmemmsg(failed);
  return nullptr;
}

int kes_cell_first(kes_ctx* ctx, kes_classvars* cv, int f, int pos, kes_varsum** recs) {
  *recs = nullptr;
  for (int i = 0; i < cv->count; ++i)
    if (!prepare(cv->var[i])) return KES_CELL_NONE;
  kes_cell* level = nullptr;
  int r = insert(ctx, cv, cv->var[0], &cv->levels, f, pos, &level);
  if (r != KES_CELL_FOUND) return r;
  cv->cur_level = level;
  if (cv->count == 1) {
    *recs = level->varsums;
    return KES_CELL_FOUND;
  }
  if (level->varsums != nullptr) {
    keswfre(ctx, ctx->bypool, level->varsums);
    level->varsums = nullptr;
  }
  kes_cell* child = nullptr;
  r = insert(ctx, cv, cv->var[1], &level->child, f, pos, &child);
  if (r != KES_CELL_FOUND) return r;
  cv->cur_child = child;
  *recs = child->varsums;
  return KES_CELL_FOUND;
}

int kes_cell_index(kes_ctx* ctx, kes_classvars* cv) {
  kes_datapass* dp = kes_dp(ctx);
  dp->nleaf = 0;
  dp->leaf = nullptr;
  int n = 0;
  for (kes_cell* l = cv->levels; l != nullptr; l = l->next) n += cv->count == 2 ? list_length(l->child) : 1;
  const long size = static_cast<long>(sizeof(kes_cell*)) * (n > 0 ? n : 1);
  auto* arr = static_cast<kes_cell**>(vmalcp_handler(ctx->bypool, size, KES_ALLOC_2));
  if (arr == nullptr) {
    xmemmsg(size);
    return 1;
  }
  int i = 0;
  for (kes_cell* l = cv->levels; l != nullptr; l = l->next) {
    if (cv->count == 1) arr[i++] = l;
    else
      for (kes_cell* c = l->child; c != nullptr; c = c->next) arr[i++] = c;
  }
  std::sort(arr, arr + n, [cv](const kes_cell* a, const kes_cell* b) { return cmp_leaf(cv, a, b) < 0; });
  dp->leaf = arr;
  dp->nleaf = n;
  return 0;
}

int kes_cell_later(kes_ctx* ctx, kes_classvars* cv, kes_varsum** recs) {
  *recs = nullptr;
  for (int i = 0; i < cv->count; ++i)
    if (!prepare(cv->var[i])) return KES_CELL_NONE;
  const kes_datapass* dp = kes_dp(ctx);
  // A probe cell on the stack holds the observation's texts for the comparison.
  const kes_classvar& v0 = cv->var[0];
  const kes_classvar& v1 = cv->var[cv->count - 1];
  kes_cell probe_level{};
  kes_cell probe{};
  probe_level.fmt = v0.fmt;
  probe.fmt = cv->count == 2 ? v1.fmt : v0.fmt;
  probe.child = &probe_level;
  // The observation's texts are blank-padded in their own buffers already.
  int lo = 0, hi = dp->nleaf;
  while (lo < hi) {
    const int mid = (lo + hi) / 2;
    if (cmp_leaf(cv, dp->leaf[mid], &probe) < 0) lo = mid + 1;
    else hi = mid;
  }
  if (lo >= dp->nleaf || cmp_leaf(cv, dp->leaf[lo], &probe) != 0) return KES_CELL_NONE;
  kes_cell* c = dp->leaf[lo];
  if (cv->count == 2) {
    cv->cur_child = c;
    cv->cur_level = c->child;
  } else {
    cv->cur_level = c;
  }
  *recs = c->varsums;
  return KES_CELL_FOUND;
}

void kescval(kes_cell* list, kes_cell* cell) {
  for (kes_cell* r = list; r != nullptr; r = r->next) {
    if (r->fmt.len == cell->fmt.len &&
        (r->fmt.len == 0 || std::memcmp(r->fmt.text, cell->fmt.text, r->fmt.len) == 0)) {
      cell->order = r->order;
      return;
    }
  }
}

namespace {

// The levels of the second CLASS variable: one record per distinct text in the
// variable's order, and every level's children in that common order. 0, or 1 after
// the memory message.
int order_second_levels(kes_classvars* cv) {
  // The distinct second-variable texts, one record each (a copy of the first child
  // met with that text, walking the levels in their new order).
  int nchild = 0;
  for (kes_cell* l = cv->levels; l != nullptr; l = l->next) nchild += list_length(l->child);
  kes_cell** kids = to_array(nullptr, nchild);
  if (kids == nullptr) return 1;
  int k = 0;
  for (kes_cell* l = cv->levels; l != nullptr; l = l->next)
    for (kes_cell* c = l->child; c != nullptr; c = c->next) {
      c->child = l;  // a listed child links to its level
      kids[k++] = c;
    }
  std::stable_sort(kids, kids + nchild, [](const kes_cell* a, const kes_cell* b) { return cmp_fmt(a, b) < 0; });
  int nrec = 0;
  kes_cell** recs = to_array(nullptr, nchild);
  if (recs == nullptr) {
    free_task(kids);
    return 1;
  }
  for (int i = 0; i < nchild; ++i) {
    if (nrec > 0 && cmp_fmt(recs[nrec - 1], kids[i]) == 0) continue;
    auto* rec = static_cast<kes_cell*>(vmalcp_handler(v_global_gcb_anchor->taskpool, cv->cellsize, KES_ALLOC_6));
    if (rec == nullptr) {
      xmemmsg(cv->cellsize);
      free_task(kids);
      free_task(recs);
      return 1;
    }
    std::memcpy(rec, kids[i], static_cast<size_t>(cv->cellsize));
    char* buf = reinterpret_cast<char*>(rec) + cv->keypos;
    rec->fmt.text = buf;
    rec->key.text = buf + fmt_room(cv);
    rec->varsums = nullptr;
    rec->child = nullptr;
    recs[nrec++] = rec;
  }
  // Work arrays: the records in text order, each one's place in the common order,
  // and whether it has taken its first child's values yet.
  const long wsize = static_cast<long>(sizeof(kes_cell*) + 2 * sizeof(int)) * (nrec > 0 ? nrec : 1);
  auto* work = static_cast<char*>(vmalcp_handler(v_global_gcb_anchor->taskpool, wsize, KES_ALLOC_6));
  if (work == nullptr) {
    xmemmsg(wsize);
    for (int i = 0; i < nrec; ++i) free_task(recs[i]);
    free_task(kids);
    free_task(recs);
    return 1;
  }
  auto** byfmt = reinterpret_cast<kes_cell**>(work);
  int* rank = reinterpret_cast<int*>(work + sizeof(kes_cell*) * static_cast<size_t>(nrec));
  int* filled = rank + nrec;
  std::memset(filled, 0, sizeof(int) * static_cast<size_t>(nrec));
  for (int i = 0; i < nrec; ++i) byfmt[i] = recs[i];
  auto find = [byfmt, nrec](const kes_cell* c) {
    int lo = 0, hi = nrec;
    while (lo < hi) {
      const int mid = (lo + hi) / 2;
      if (cmp_fmt(byfmt[mid], c) < 0) lo = mid + 1;
      else hi = mid;
    }
    return lo;
  };
  // The first child met in level order, not in text order, gives the record its
  // order count and value.
  for (kes_cell* l = cv->levels; l != nullptr; l = l->next)
    for (kes_cell* c = l->child; c != nullptr; c = c->next) {
      const int j = find(c);
      if (filled[j]) continue;
      filled[j] = 1;
      kes_cell* rec = byfmt[j];
      rec->order = c->order;
      rec->value = c->value;
      if (c->key.width > 0) vzmp(c->key.text, c->key.width, rec->key.text, c->key.width);
      rec->key.len = c->key.len;
    }
  cv->nlevels2 = nrec;
  order_cells(recs, nrec, cv->var[1]);
  kes_cell* reclist = relink(recs, nrec);
  for (int i = 0; i < nrec; ++i) rank[find(recs[i])] = i;
  const int order = cv->var[1].order;
  for (kes_cell* l = cv->levels; l != nullptr; l = l->next) {
    const int m = list_length(l->child);
    kes_cell** ch = to_array(l->child, m);
    if (ch == nullptr) {
      for (int i = 0; i < nrec; ++i) free_task(recs[i]);
      free_task(work);
      free_task(kids);
      free_task(recs);
      return 1;
    }
    if (order == kOrderFreq || order == kOrderData)
      for (int i = 0; i < m; ++i) kescval(reclist, ch[i]);
    // Children in the common order of the second variable's levels.
    std::stable_sort(ch, ch + m, [&](const kes_cell* x, const kes_cell* y) { return rank[find(x)] < rank[find(y)]; });
    l->child = relink(ch, m);
    for (int i = 0; i < m; ++i) ch[i]->child = l;
    free_task(ch);
  }
  for (int i = 0; i < nrec; ++i) free_task(recs[i]);
  free_task(work);
  free_task(recs);
  free_task(kids);
  return 0;
}

// The key cell: KEYLEVEL= values, else the first cell. 0, or 1 after the memory message.
int place_key_cell(kes_ctx* ctx, kes_classvars* cv, bool proc_record) {
  cv->keycell = cv->levels;
  const bool any_key = cv->var[0].keylevel.len > 0 || (cv->count == 2 && cv->var[1].keylevel.len > 0);
  if (any_key) {
    const long size = fmt_room(cv);
    auto* buf = static_cast<char*>(vmalcp_handler(v_global_gcb_anchor->taskpool, size, KES_ALLOC_6));
    if (buf == nullptr) {
      xmemmsg(size);
      return 1;
    }
    kes_cell* key = key_of(ctx, cv->var[0], cv->levels, buf, proc_record);
    if (cv->count == 2) key = key_of(ctx, cv->var[1], key->child, buf, proc_record);
    cv->keycell = key;
    free_task(buf);
    if (!proc_record)
      xpmlog(KES_SET_LAYOUT,
             cv->count == 1 ? KES_MSG_KEY_CELL_FROM_CLASS_VARIABLE : KES_MSG_KEY_CELL_FROM_TWO_CLASS_VARIABLES);
  } else if (cv->count == 2) {
    cv->keycell = cv->levels->child;
  }
  return 0;
}

}  // namespace

int kesckey(kes_ctx* ctx, kes_classvars* cv) {
  const bool proc_record = cv == ctx->classvars;
  ztrelst(reinterpret_cast<void**>(&cv->levels));
  cv->nlevels = list_length(cv->levels);
  bool childless = false;
  if (cv->count == 2) {
    for (kes_cell* l = cv->levels; l != nullptr; l = l->next) {
      ztrelst(reinterpret_cast<void**>(&l->child));
      if (l->child == nullptr) childless = true;
    }
  }
  if (cv->nlevels == 0 || childless) {
    xpmlog(KES_SET_LAYOUT,
           kes_group_message(ctx, KES_MSG_BY_GROUP_HAS_NO_CLASS_CELLS, KES_MSG_DATA_SET_HAS_NO_CLASS_CELLS));
    return 0;
  }

  // First variable.
  const int n = cv->nlevels;
  kes_cell** arr = to_array(cv->levels, n);
  if (arr == nullptr) return 1;
  order_cells(arr, n, cv->var[0]);
  cv->levels = relink(arr, n);
  free_task(arr);

  cv->nlevels2 = 1;
  if (cv->count == 2 && order_second_levels(cv) != 0) return 1;
  return place_key_cell(ctx, cv, proc_record);
}
