// kesins: the inset boxes of the current plot request and variable, one per INSET
// statement after the plot statement, with their rows for one cell: statistics with
// their labels and formats, distribution and kernel blocks, and inset data-set rows.
// Boxes the renderer measures as they are built are also given their fonts, colours
// and sizes.
#include <cmath>
#include <cstring>

#include "fit/kes_estframe.h"
#include "host/host_services.h"
#include "host/step_codes.h"
#include "inset/inset_build.h"
#include "inset/inset_device.h"
#include "kes_gram_names.h"
#include "kes_msg_names.h"
#include "records/kes_cell.h"
#include "records/kes_ctx.h"
#include "records/kes_curve.h"
#include "records/kes_plotslot.h"
#include "records/pool_alloc.h"
#include "records/stmt_slots.h"
#include "util/kes_text.h"

namespace {
bool is_inset(const kes_stmt* s) { return s != nullptr && std::memcmp(s->name, "INS", 3) == 0; }

bool is_margin_word(const char* w) {
  return (w[0] == 'T' || w[0] == 'B' || w[0] == 'L' || w[0] == 'R') && w[1] == 'M' && w[2] == ' ';
}

void copy_name(char* dst, const kes_optslot& s) { std::memcpy(dst, s.v.name, 8); }

// What the code loop counts for the finish.
struct loop_counts {
  int items = 0;
  int blocks = 0;
  int kernel_type = 0;
  bool kernel = false;
};

// Options of the statement that need no device: colours named, frame, shadow,
// position, reference corner, header, columns and gutter. False when the box stays
// disabled and without rows.
bool read_options(kes_ctx* ctx, kes_insetbox* box, const kes_inset_needs& needs) {
  const kes_stmt* st = box->stmt;
  std::memset(box->fill, ' ', 8);
  std::memset(box->frame_colour, ' ', 8);
  std::memset(box->text_colour, ' ', 8);
  std::memset(box->header_colour, ' ', 8);
  std::memset(box->header_fill, ' ', 8);
  std::memset(box->shadow_colour, ' ', 8);
  if (kes_pgiven(st, KES_INSET_SLOT_CFRAME))
    copy_name(box->frame_colour, *kes_pslot(st, KES_INSET_SLOT_CFRAME)), box->frame_given = 1;
  if (kes_pgiven(st, KES_INSET_SLOT_CTEXT)) copy_name(box->text_colour, *kes_pslot(st, KES_INSET_SLOT_CTEXT));
  if (kes_pgiven(st, KES_INSET_SLOT_CFILL))
    copy_name(box->fill, *kes_pslot(st, KES_INSET_SLOT_CFILL)), box->fill_given = 1;
  if (kes_pgiven(st, KES_INSET_SLOT_CFILLH)) {
    copy_name(box->header_fill, *kes_pslot(st, KES_INSET_SLOT_CFILLH));
    box->header_fill_given = 1;
  }
  if (kes_pgiven(st, KES_INSET_SLOT_CHEADER)) copy_name(box->header_colour, *kes_pslot(st, KES_INSET_SLOT_CHEADER));
  box->noframe = kes_flag(st, KES_INSET_FLAG_NOFRAME) ? 1 : 0;
  if (kes_pgiven(st, KES_INSET_SLOT_CSHADOW)) {
    copy_name(box->shadow_colour, *kes_pslot(st, KES_INSET_SLOT_CSHADOW));
    box->shadow = 1.0;
    box->shadow_given = 1;
  }

  // Position.
  const kes_preq* rq = ctx->curreq;
  if (kes_pgiven(st, KES_INSET_SLOT_POSITION)) {
    copy_name(box->position, *kes_pslot(st, KES_INSET_SLOT_POSITION));
    box->pos_kind = KES_IPOS_WORD;
    if (needs.checks_words && !kes_inset_template_word(ctx, st, box->position)) {
      box->enabled = 0;
      return false;
    }
    if (rq->classvars != nullptr && rq->classvars->count > 0 && is_margin_word(box->position)) {
      if (kes_inset_once(ctx, KES_IN_MARGIN_CLASS)) xpmlog(KES_SET_PROC, KES_MSG_INSET_MARGIN_WITH_CLASS);
      box->enabled = 0;
      return false;
    }
  } else if (kes_pgiven(st, KES_INSET_SLOT_POSITION_X)) {
    if (!needs.position_xy) {
      xpmlog(KES_SET_GRAPH, KES_MSG_INSET_POSITION_XY_IGNORED);
    } else {
      box->x = kes_pnumber(st, KES_INSET_SLOT_POSITION_X);
      box->y = kes_pnumber(st, KES_INSET_SLOT_POSITION_Y);
      std::memcpy(box->position, "USER    ", 8);
      box->pos_kind = KES_IPOS_XY;
      box->coord_kind = kes_flag(st, KES_INSET_FLAG_DATA_UNITS) ? KES_ICOORD_DATA : KES_ICOORD_PERCENT;
    }
  }
  // On a template graph POSITION=(x, y) itself is not used, as its note says: REFPOINT=
  // with it needs no note of its own.
  if (kes_pgiven(st, KES_INSET_SLOT_REFPOINT)) {
    if (box->pos_kind == KES_IPOS_XY) copy_name(box->refpoint, *kes_pslot(st, KES_INSET_SLOT_REFPOINT));
    else if (!kes_pgiven(st, KES_INSET_SLOT_POSITION_X) && kes_inset_once(ctx, KES_IN_REFPOINT))
      xpmlog(KES_SET_LABEL, KES_MSG_REFPOINT_NEEDS_POSITION_XY);
  }

  // Header: given even when its text is all blanks (length 0, no header line).
  std::memset(box->header, ' ', KES_INSET_HEADER);
  if (kes_pgiven(st, KES_INSET_SLOT_HEADER)) {
    const kes_optslot& h = *kes_pslot(st, KES_INSET_SLOT_HEADER);
    const int n = h.list != nullptr ? (h.v.count < KES_INSET_HEADER ? h.v.count : KES_INSET_HEADER) : 0;
    if (n > 0) std::memcpy(box->header, h.list, static_cast<size_t>(n));
    box->header_len = wzstrip(box->header, KES_INSET_HEADER);
  }
  box->columns = kes_pgiven(st, KES_INSET_SLOT_NCOLS) ? std::trunc(kes_pnumber(st, KES_INSET_SLOT_NCOLS)) : -1.0;
  // Only a margin box lays its rows out in columns; a box in the plot area keeps one.
  const bool margin = box->pos_kind == KES_IPOS_WORD && is_margin_word(box->position);
  if (box->columns > 1 && !margin && kes_inset_once(ctx, KES_IN_NCOLS_PLOT_AREA)) {
    xspplace(st, KES_INSET_SLOT_NCOLS);
    xpmlog(KES_SET_LABEL, KES_MSG_INSET_NCOLS_MARGIN_ONLY);
  }
  if (box->columns > 1 && margin && needs.margin_columns && kes_inset_once(ctx, KES_IN_NCOLS_DEVICE)) {
    xspplace(st, KES_INSET_SLOT_NCOLS);
    xpmlog(KES_SET_LABEL, KES_MSG_INSET_NCOLS_DEVICE_FILLS_MARGIN);
  }
  box->gutter = kes_pgiven(st, KES_INSET_SLOT_GUTTER) ? kes_pnumber(st, KES_INSET_SLOT_GUTTER) : -1.0;
  return true;
}

// A statistic row (kind 0) with its label and value text.
int statistic_row(kes_ctx* ctx, kes_insetbox* box, kes_inset** last, kes_cell* cell, int code, double value,
                  int kind) {
  kes_inset* row = kes_inset_row(ctx, box, last, kind);
  if (row == nullptr) return KES_RC_OUT_OF_MEMORY;
  char label[KES_INSET_TEXT];
  const int ll = kes_inset_user_label(box, label);
  if (ll >= 0) {
    std::memcpy(row->label, label, KES_INSET_TEXT);
    row->label_len = ll;
  } else if (code <= KES_IC_LAST_STAT) {
    row->label_len = kes_inset_msg(row->label, KES_INSET_TEXT, KES_SET_PROC, kesimsg(0, code));
  }
  bool user = false;
  const kes_fmtentry* fmt = kes_inset_user_format(box, &user);
  if (!user) fmt = kes_inset_all_format(box);
  row->value_len = fmt != nullptr ? kes_inset_value_text(value, KES_IF_USER, fmt, ' ', row->value)
                                  : kes_inset_stat_text(ctx, cell, code, value, row->value);
  return 0;
}

// The kernel blocks of code 58 (every kernel of the cell) or 59..63 (one).
int kernel_blocks(kes_ctx* ctx, kes_insetbox* box, kes_inset** last, kes_cell* cell, int code, loop_counts* n) {
  const kes_plotslot* slot = kes_plot_slot(ctx, ctx->curreq, cell);
  const int nk = slot != nullptr && slot->curves != nullptr ? slot->nkernels : 0;
  const int first = nk > 0 ? slot->ncurves - nk : 0;
  const int which = code - KES_IC_KERNEL1;
  if (nk < 1 || (code != KES_IC_KERNEL && which >= nk)) {
    kes_inset_skip_block(box);
    return 0;
  }
  const int from = code == KES_IC_KERNEL ? 0 : which, to = code == KES_IC_KERNEL ? nk : which + 1;
  const int cursor0 = box->cursor, label0 = box->label_index, format0 = box->format_index;
  for (int k = from; k < to; ++k) {
    box->block_header = 0;
    if (kesiknl(box->stmt, last, box, cell, ctx, first + k) == KES_RC_OUT_OF_MEMORY) return KES_RC_OUT_OF_MEMORY;
    if (box->block_header) {
      ++n->items, ++n->blocks;
      n->kernel = true;
      n->kernel_type = slot->curves[first + k].kernel.type;
      box->single_family = KES_DIST_KERNEL;
    }
    // Every kernel reads the same sub-keywords; the last one of the cell leaves the
    // cursor on the closing code.
    if (k + 1 < to) box->cursor = cursor0, box->label_index = label0, box->format_index = format0;
  }
  return 0;
}

// The code loop: the rows of the box. 0 or 1016.
int code_loop(kes_ctx* ctx, kes_insetbox* box, kes_inset** last, kes_cell* cell, int panel,
              const kes_inset_needs& needs, loop_counts* n) {
  bool data_read = false;
  for (int code = kes_inset_code(box, 0); code != KES_IC_END; code = kes_inset_code(box, ++box->cursor)) {
    if (code == KES_IC_DATA) {
      if (!data_read && kesidat(ctx, cell, panel, box, last) == 0) ++n->items;
      data_read = true;
      continue;
    }
    if (code == KES_IC_NAMED || code == KES_IC_LABEL || code == KES_IC_FORMAT) continue;
    double value = 0;
    int kind = 0;
    if (kesitst(code, box, ctx, cell, &value, &kind) != 0) continue;
    if (kind == 6) {
      box->block_header = 0;
      const int shown = kesidst(code - KES_IC_FIRST_DIST, box->stmt, last, box, ctx, cell, needs);
      if (shown < 0) return KES_RC_OUT_OF_MEMORY;
      if (box->block_header) {
        ++n->items;
        n->blocks += shown;
        box->single_family = static_cast<std::uint8_t>(code - KES_IC_FIRST_DIST);
      }
    } else if (kind == 7) {
      if (kernel_blocks(ctx, box, last, cell, code, n) != 0) return KES_RC_OUT_OF_MEMORY;
    } else {
      if (statistic_row(ctx, box, last, cell, code, value, kind) != 0) return KES_RC_OUT_OF_MEMORY;
      ++n->items;
    }
  }
  return 0;
}

// The finish: a single block names the box, kernel first rows take their kind. True
// when the block was made the box's header.
bool finish(kes_ctx* ctx, kes_insetbox* box, kes_cell* cell, const loop_counts& n) {
  const kes_preq* rq = ctx->curreq;
  const bool header_given = kes_pgiven(box->stmt, KES_INSET_SLOT_HEADER);
  bool single = false;
  if (n.items == 1 && n.blocks == 1 && !header_given && box->rows != nullptr &&
      box->rows->kind != KES_IK_HEADER_ONLY) {
    const int number = kesiheader(rq->type, box->single_family, n.kernel_type);
    if (box->single_family == KES_DIST_KERNEL && box->rows->kind == KES_IK_KERNEL_FIRST) {
      box->rows = box->rows->next;
      --box->nrows;
    }
    const bool hist_cdf = rq->type == KES_PLOT_HISTOGRAM || rq->type == KES_PLOT_CDF;
    box->header_sample = hist_cdf || (box->line && rq->classvars != nullptr && cell == rq->classvars->keycell) ? 1 : 0;
    box->header_len = kes_inset_msg(box->header, KES_INSET_HEADER, KES_SET_LABEL, number);
    for (kes_inset* r = box->rows; r != nullptr; r = r->next) r->kind = KES_IK_PLAIN;
    single = true;
  }
  for (kes_inset* r = box->rows; r != nullptr; r = r->next)
    if (r->kind == KES_IK_KERNEL_FIRST) r->kind = KES_IK_FIRST_HDR;
  if (box->nrows == 0) {
    const kes_name32& v = ctx->curname;
    kes_inset_cell_note(ctx, cell, KES_IN_NO_ROWS, KES_INSET_NOTED_BOX, KES_MSG_INSET_HAS_NO_ROWS,
                        KES_MSG_INSET_HAS_NO_ROWS_CELL, KES_MSG_INSET_HAS_NO_ROWS_CELL2, v.text, static_cast<int>(v.len));
    box->enabled = 0;
  }
  return single;
}

}  // namespace

bool kes_inset_template_word(kes_ctx* ctx, const kes_stmt* st, const char position[8]) {
  static const char* const kWords[] = {"NW", "N", "NE", "E", "SE", "S", "SW", "W", "TM", "BM", "LM", "RM"};
  for (const char* w : kWords) {
    char word[8];
    std::memset(word, ' ', 8);
    std::memcpy(word, w, std::strlen(w));
    if (std::memcmp(position, word, 8) == 0) return true;
  }
  if (kes_inset_once(ctx, KES_IN_WORD)) {
    xspplace(st, KES_INSET_SLOT_POSITION);
    xpmlog(KES_SET_LABEL, KES_MSG_POSITION_NOT_INSET_POSITION, wzstrip(position, 8), position);
  }
  return false;
}

int kesins(kes_ctx* ctx, kes_cell* cell, int panel, const kes_inset_needs& needs) {
  ctx->insets = nullptr;
  const kes_preq* rq = ctx->curreq;
  if (rq == nullptr || rq->stmt == nullptr) return 0;
  kes_insetbox* tail = nullptr;
  for (kes_stmt* st = rq->stmt->next; is_inset(st); st = st->next) {
    bool failed = false;
    auto* box = static_cast<kes_insetbox*>(kes_zalloc(kes_inset_pool(ctx), sizeof(kes_insetbox), KES_ALLOC_2, &failed));
    if (box == nullptr) return KES_RC_OUT_OF_MEMORY;
    box->stmt = st;
    box->codes = kes_pnumbers(st, KES_INSET_SLOT_CODES);
    box->ncodes = kes_pcount(st, KES_INSET_SLOT_CODES);
    box->enabled = 1;
    box->margin_scale = 1.0;
    std::memset(box->font, ' ', 8);
    std::memset(box->position, ' ', 8);
    std::memset(box->refpoint, ' ', 8);
    if (tail != nullptr) tail->next = box;
    else ctx->insets = box;
    tail = box;

    const bool rows_wanted = read_options(ctx, box, needs);
    if (needs.measured) kes_inset_device_setup(ctx, box);
    if (!rows_wanted) continue;
    kes_inset* last = nullptr;
    loop_counts n;
    if (code_loop(ctx, box, &last, cell, panel, needs, &n) != 0) return KES_RC_OUT_OF_MEMORY;
    const bool single = finish(ctx, box, cell, n);
    if (needs.measured) kes_inset_measure(ctx, box, single);
  }
  return 0;
}
