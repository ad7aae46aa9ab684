// The comparative layout of the CLASS cells: each plot request's key cell first, the
// level labels of both CLASS variables, and with two CLASS variables a grid of cells
// by first-variable level (rows) and second-variable label (columns).
#include "driver/class_cells.h"

#include <cstring>

#include "host/host_services.h"
#include "host/step_codes.h"
#include "records/kes_cell.h"
#include "records/kes_ctx.h"
#include "records/pool_alloc.h"
#include "util/kes_minmax.h"
#include "util/kes_text.h"

namespace {

void* take(kes_ctx* ctx, long size, bool* failed) { return kes_zalloc(ctx->bypool, size, KES_ALLOC_6, failed); }

// Moves cell to the front of the list at *head.
void to_front(kes_cell** head, kes_cell* cell) {
  if (*head == cell || cell == nullptr) return;
  for (kes_cell* p = *head; p != nullptr; p = p->next)
    if (p->next == cell) {
      p->next = cell->next;
      cell->next = *head;
      *head = cell;
      return;
    }
}

bool same_text(const kes_textdesc& a, const kes_textdesc& b) {
  return a.len == b.len && (a.len == 0 || std::memcmp(a.text, b.text, a.len) == 0);
}

// A copy of a text descriptor's text (its full width) in the BY-group pool.
bool copy_text(kes_ctx* ctx, const kes_textdesc& src, kes_textdesc* dst, bool* failed) {
  char* t = static_cast<char*>(take(ctx, src.width, failed));
  if (t == nullptr) return false;
  vzmp(src.text, src.width, t, src.width);
  *dst = {src.width, src.len, t};
  return true;
}

int layout(kes_ctx* ctx, kes_classvars* cv) {
  bool failed = false;
  kes_cell* key = cv->keycell;
  kes_cell* key_level = cv->count == 2 ? key->child : key;
  if (!cv->keep_order) {
    to_front(&cv->levels, key_level);
    if (cv->count == 2) to_front(&key_level->child, key);
  }

  int n2 = 1;
  kes_textdesc* labels2 = nullptr;
  if (cv->count == 2) {
    int nchild = 0;
    for (kes_cell* l = cv->levels; l != nullptr; l = l->next)
      for (kes_cell* c = l->child; c != nullptr; c = c->next) ++nchild;
    labels2 = static_cast<kes_textdesc*>(take(ctx, static_cast<long>(sizeof(kes_textdesc)) * nchild, &failed));
    if (failed) return KES_RC_OUT_OF_MEMORY;
    // Distinct texts in order of first appearance: the key child's text comes first
    // once the key cells were moved to the front.
    n2 = 0;
    for (kes_cell* l = cv->levels; l != nullptr; l = l->next)
      for (kes_cell* c = l->child; c != nullptr; c = c->next) {
        bool seen = false;
        for (int i = 0; i < n2 && !seen; ++i) seen = same_text(labels2[i], c->fmt);
        if (!seen && !copy_text(ctx, c->fmt, &labels2[n2++], &failed)) return KES_RC_OUT_OF_MEMORY;
      }
    cv->labels2 = labels2;
  }

  auto* labels1 = static_cast<kes_textdesc*>(take(ctx, static_cast<long>(sizeof(kes_textdesc)) * cv->nlevels, &failed));
  if (failed) return KES_RC_OUT_OF_MEMORY;
  int i = 0;
  for (kes_cell* l = cv->levels; l != nullptr && i < cv->nlevels; l = l->next)
    if (!copy_text(ctx, l->fmt, &labels1[i++], &failed)) return KES_RC_OUT_OF_MEMORY;
  cv->labels1 = labels1;

  if (cv->count == 2) {
    auto* grid = static_cast<kes_cell**>(take(ctx, static_cast<long>(sizeof(kes_cell*)) * cv->nlevels * n2, &failed));
    if (failed) return KES_RC_OUT_OF_MEMORY;
    int row = 0;
    for (kes_cell* l = cv->levels; l != nullptr && row < cv->nlevels; l = l->next, ++row)
      for (kes_cell* c = l->child; c != nullptr; c = c->next)
        for (int col = 0; col < n2; ++col)
          if (same_text(labels2[col], c->fmt)) {
            grid[row * n2 + col] = c;
            break;
          }
    cv->grid = grid;
    cv->nlevels2 = n2;
  }
  return 0;
}

}  // namespace

int kescmh3(kes_ctx* ctx) {
  bool failed = false;
  int width = 0;
  kes_classvars* proc_cv = ctx->classvars;
  if (proc_cv != nullptr && proc_cv->count > 0) {
    if (proc_cv->keycell != nullptr) width = proc_cv->keycell->fmt.width;
  } else {
    for (int r = 0; r < ctx->nplots; ++r) {
      const kes_classvars* cv = ctx->preqs[r].classvars;
      if (cv != nullptr && cv->count > 0 && cv->keycell != nullptr) width = kes::max(width, cv->keycell->fmt.width);
    }
  }
  if (width <= 0) return 0;
  char* label = static_cast<char*>(take(ctx, width, &failed));
  if (failed) return KES_RC_OUT_OF_MEMORY;
  std::memset(label, ' ', static_cast<size_t>(width));

  for (int r = 0; r < ctx->nplots; ++r) {
    kes_classvars* cv = ctx->preqs[r].classvars;
    if (cv == nullptr || cv->count == 0 || cv->keycell == nullptr) continue;
    const int rc = layout(ctx, cv);
    if (rc != 0) return rc;
  }
  return 0;
}

