// What the inset builders share (inset_build.h).
#include "inset/inset_build.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "host/host_services.h"
#include "kes_gram_names.h"
#include "kes_msg_names.h"
#include "fit/kes_cellnote.h"
#include "records/kes_cell.h"
#include "records/kes_classvars.h"
#include "records/kes_ctx.h"
#include "records/kes_plotslot.h"
#include "records/kes_curve.h"
#include "records/pool_alloc.h"
#include "records/stmt_slots.h"
#include "util/kes_text.h"
#include "util/param_text.h"

static_assert(KES_IN_NOTE_COUNT <= KES_INSET_NOTE_BYTES, "the context holds a flag per inset note");

host_pool* kes_inset_pool(kes_ctx* ctx) {
  if (ctx->varpools != nullptr && ctx->curvar >= 0 && ctx->curvar < ctx->nvars && ctx->varpools[ctx->curvar] != nullptr)
    return ctx->varpools[ctx->curvar];
  return ctx->bypool != nullptr ? ctx->bypool : ctx->runpool;
}

void kes_inset_notes_clear(kes_ctx* ctx) {
  for (int flag = 0; flag < KES_IN_NOTE_COUNT; ++flag)
    if (flag != KES_IN_FAMILY_ALONE && flag != KES_IN_NCOLS_DEVICE) ctx->inset_notes[flag] = 0;
}

bool kes_inset_once(kes_ctx* ctx, int flag) {
  if (ctx->inset_notes[flag]) return false;
  ctx->inset_notes[flag] = 1;
  return true;
}

void kes_inset_cell_note(kes_ctx* ctx, const kes_cell* cell, int flag, int bit, int plain, int in_cell, int in_cell2,
                         const char* t1, int l1, const char* t2, int l2) {
  const kes_preq* rq = ctx->curreq;
  const bool classes = rq->classvars != nullptr && rq->classvars->count > 0;
  if (!classes) {
    if (kes_inset_once(ctx, flag)) kes_cell_note(ctx, rq, nullptr, KES_SET_LABEL, {plain, 0, 0}, t1, l1, t2, l2);
    return;
  }
  kes_plotslot* slot = cell != nullptr && cell->varsums != nullptr ? kes_plot_slot(ctx, rq, cell) : nullptr;
  if (slot == nullptr || (slot->inset_noted & bit) != 0) return;
  slot->inset_noted = static_cast<std::uint16_t>(slot->inset_noted | bit);
  kes_cell_note(ctx, rq, cell, KES_SET_LABEL, {0, in_cell, in_cell2}, t1, l1, t2, l2);
}

kes_inset* kes_inset_row(kes_ctx* ctx, kes_insetbox* box, kes_inset** last, int kind) {
  bool failed = false;
  auto* row = static_cast<kes_inset*>(kes_zalloc(kes_inset_pool(ctx), sizeof(kes_inset), KES_ALLOC_2, &failed));
  if (row == nullptr) return nullptr;
  std::memset(row->value, ' ', KES_INSET_TEXT);
  std::memset(row->label, ' ', KES_INSET_TEXT);
  row->kind = static_cast<std::uint8_t>(kind);
  if (*last != nullptr) (*last)->next = row;
  else box->rows = row;
  *last = row;
  ++box->nrows;
  return row;
}

int kes_inset_code(const kes_insetbox* box, int i) {
  if (box->codes == nullptr || i < 0 || i >= box->ncodes) return KES_IC_END;
  return static_cast<int>(box->codes[i]);
}

int kes_inset_user_label(kes_insetbox* box, char* label) {
  if (kes_inset_code(box, box->cursor + 1) != KES_IC_LABEL) return -1;
  ++box->cursor;
  const int n = zparm(&box->stmt->slots[KES_INSET_SLOT_LABELS], box->label_index++, label, KES_INSET_TEXT);
  return n < 0 ? 0 : wzstrip(label, n);
}

const kes_fmtentry* kes_inset_user_format(kes_insetbox* box, bool* taken) {
  *taken = false;
  if (kes_inset_code(box, box->cursor + 1) != KES_IC_FORMAT) return nullptr;
  ++box->cursor;
  *taken = true;
  const kes_optslot& s = box->stmt->slots[KES_INSET_SLOT_FORMATS];
  const int i = box->format_index++;
  if (!s.given || s.list == nullptr || i >= s.v.count) return nullptr;
  return &static_cast<const kes_fmtentry*>(s.list)[i];
}

const kes_fmtentry* kes_inset_all_format(const kes_insetbox* box) { return kes_inset_all_format_of(box->stmt); }

const kes_fmtentry* kes_inset_all_format_of(const kes_stmt* stmt) {
  const kes_optslot& s = *kes_pslot(stmt, KES_INSET_SLOT_FORMAT);
  if (!s.given) return nullptr;
  return s.list != nullptr ? static_cast<const kes_fmtentry*>(s.list) : reinterpret_cast<const kes_fmtentry*>(&s.v);
}

void kes_inset_pass_label_format(kes_insetbox* box) {
  if (kes_inset_code(box, box->cursor + 1) == KES_IC_LABEL) ++box->cursor, ++box->label_index;
  if (kes_inset_code(box, box->cursor + 1) == KES_IC_FORMAT) ++box->cursor, ++box->format_index;
}

void kes_inset_skip_block(kes_insetbox* box) {
  const int open = kes_inset_code(box, box->cursor);
  for (int i = box->cursor + 1; i < box->ncodes; ++i) {
    const int c = kes_inset_code(box, i);
    if (c == KES_IC_LABEL) ++box->label_index;
    else if (c == KES_IC_FORMAT) ++box->format_index;
    else if (c == open || c == KES_IC_END) {
      // The closing code; an unclosed block (never from the grammar) stops before the end.
      box->cursor = c == open ? i : i - 1;
      return;
    }
  }
  box->cursor = box->ncodes - 1;
}

int kes_inset_value_text(double v, int cls, const kes_fmtentry* fmt, char rel, char* text) {
  char buf[KES_INSET_HEADER];
  std::memset(buf, ' ', sizeof buf);
  std::memset(text, ' ', KES_INSET_TEXT);
  switch (cls) {
    case KES_IF_INTEGER:
      // A missing count takes the missing value's own text.
      if (std::isnan(v)) xpfs(v, 8, 99, buf);
      else xpils(static_cast<long>(v), 8, buf);
      std::memcpy(text, buf, 8);
      break;
    case KES_IF_FIXED:
      xpfs(v, 8, 4, buf);
      std::memcpy(text, buf, 8);
      break;
    case KES_IF_USER: {
      const int w = fmt != nullptr && fmt->width > 0 ? fmt->width : 8;
      const int width = w < KES_INSET_HEADER ? w : KES_INSET_HEADER;
      if (fmt != nullptr) xfxpn(v, width, fmt->decimals, static_cast<int>(fmt->id), buf);
      else xpfs(v, 8, 99, buf);
      // A field wider than the row keeps its number: the text is cut after it is
      // left-justified, not before.
      wzstjus(buf, width, 'l');
      std::memcpy(text, buf, static_cast<size_t>(width < KES_INSET_TEXT ? width : KES_INSET_TEXT));
      break;
    }
    case KES_IF_PVALUE:
      text[0] = rel == '<' || rel == '>' ? rel : ' ';
      xpfs(v, 7, 4, buf);
      std::memcpy(text + 1, buf, 7);
      // The relation stays in front of the number once the blanks are gone.
      if (text[0] != ' ') {
        int k = 1;
        while (k < 8 && text[k] == ' ') ++k;
        std::memmove(text + 1, text + k, static_cast<size_t>(8 - k));
        std::memset(text + 9 - k, ' ', static_cast<size_t>(k - 1));
      }
      break;
    default:
      xpfs(v, 8, 99, buf);
      std::memcpy(text, buf, 8);
      break;
  }
  return wzstjus(text, KES_INSET_TEXT, 'l');
}

int kes_inset_placed_text(double v, int place, char* text) {
  if (!std::isfinite(v)) return kes_inset_value_text(v, KES_IF_BEST, nullptr, ' ', text);
  char t[KES_PARAM_TEXT + 1];
  const int n = std::min(kes_placed_text(v, place, t), KES_INSET_TEXT);
  std::memset(text, ' ', KES_INSET_TEXT);
  std::memcpy(text, t, static_cast<size_t>(n));
  return n;
}

int kes_inset_msg(char* text, int n, int set, int number) {
  std::memset(text, ' ', static_cast<size_t>(n));
  const int len = xpmstr(text, n, set, number);
  return wzstrip(text, len < n ? len : n);
}

kes_inset_block kes_inset_block_open(kes_insetbox* box) {
  kes_inset_block b{};
  b.open = box->cursor;
  b.label_entry = box->label_index, b.format_entry = box->format_index;
  if (kes_inset_code(box, box->cursor + 1) == KES_IC_LABEL) ++box->cursor, ++box->label_index;
  b.body = box->cursor;
  b.close_code = kes_inset_code(box, b.open);
  b.defaults = kes_inset_code(box, b.body + 1) == b.close_code;
  b.label0 = box->label_index, b.format0 = box->format_index;
  return b;
}

void kes_inset_block_restart(kes_insetbox* box, const kes_inset_block& b) {
  box->cursor = b.body, box->label_index = b.label0, box->format_index = b.format0;
}

void kes_inset_block_close(kes_insetbox* box, const kes_inset_block& b) {
  box->cursor = b.open, box->label_index = b.label_entry, box->format_index = b.format_entry;
  kes_inset_skip_block(box);
}

bool kes_inset_sub_shown(kes_ctx* ctx, const kes_preq* rq, kes_insetbox* box, const kes_curve* c, int family,
                         int sub, kes_inset_subnotes* noted) {
  const bool pq = rq->type == KES_PLOT_PROB || rq->type == KES_PLOT_QQ;
  int note = 0;
  bool* flag = nullptr;
  if (sub > 3 && rq->type != KES_PLOT_HISTOGRAM) note = KES_MSG_INSET_FIT_STATS_ONLY_ON_HISTOGRAMS, flag = &noted->hist;
  else if (pq && !box->line && (family == KES_DIST_WEIBULL2 ? sub < 3 : sub == 2 || sub == 3))
    note =
        family == KES_DIST_WEIBULL2 ? KES_MSG_INSET_WEIBULL2_PARAMS_NEED_LINE : KES_MSG_INSET_SCALE_THRESHOLD_NEED_LINE,
    flag = &noted->line;
  if (note == 0) {
    // A Weibull fit whose tests have no D (its tables give none for some cases) says so
    // rather than show rows of "." that would only hide it.
    if (family != KES_DIST_WEIBULL || (sub != 8 && sub != 9)) return true;
    if (c->fitted && c->edf.tested && !c->edf.p_d_missing) return true;
    if (kes_inset_once(ctx, KES_IN_WEIBULL_KSD)) xpmlog(KES_SET_LABEL, KES_MSG_INSET_WEIBULL_HAS_NO_KSD);
    kes_inset_pass_label_format(box);
    return false;
  }
  if (!*flag) {
    char name[16];
    const int len = kesdistname(family, name);
    xpmlog(KES_SET_LABEL, note, len, name);
  }
  *flag = true;
  kes_inset_pass_label_format(box);
  return false;
}
