// What the inset builders share: the pool the boxes and rows come from, the once-only
// note flags, the code stream reader, and the value texts in their format classes.
#pragma once
#include <cstdint>

#include "inset/kes_inset.h"

struct host_pool;
struct kes_preq;
struct kes_fmtentry;

// Once-only notes of the inset routines: one flag byte of the context each. The driver
// clears them before the QQPLOT, CDFPLOT, PROBPLOT and PPPLOT requests of a variable.
enum kes_inset_note : int {
  KES_IN_FONT_DEFAULT,        // KES_MSG_INSET_USES_DEFAULT_FONT
  KES_IN_MARGIN_CLASS,        // KES_MSG_INSET_MARGIN_WITH_CLASS
  KES_IN_REFPOINT,            // KES_MSG_REFPOINT_NEEDS_POSITION_XY
  KES_IN_NCOLS_PLOT_AREA,     // KES_MSG_INSET_NCOLS_MARGIN_ONLY
  KES_IN_NO_ROWS,             // KES_MSG_INSET_HAS_NO_ROWS
  KES_IN_NORMALTEST,          // KES_MSG_NORMALTEST_NEEDS_NORMAL
  KES_IN_PNORMAL,             // KES_MSG_PNORMAL_NEEDS_NORMAL
  KES_IN_FAMILY_ASKED,        // KES_MSG_INSET_FAMILY_NOT_FITTED, one per family (9 flags)
  KES_IN_FAMILY_NOT = KES_IN_FAMILY_ASKED + 9,  // KES_MSG_INSET_FAMILY_NOT_ON_PLOT, one per family (9 flags)
  KES_IN_NO_KERNEL = KES_IN_FAMILY_NOT + 9,     // KES_MSG_INSET_KERNEL_NOT_ON_PLOT
  KES_IN_KERNEL_CODE,         // KES_MSG_INSET_KERNEL_NOT_ASKED, one per code 58..63 (6 flags)
  KES_IN_WEIBULL2_NOT = KES_IN_KERNEL_CODE + 6, // KES_MSG_WEIBULL2_BLOCK_NEEDS_WEIBULL2
  KES_IN_WEIBULL2_TYPE,       // KES_MSG_WEIBULL2_BLOCK_ONLY_ON_PROB_QQ
  KES_IN_DATA_CLASS1,         // KES_MSG_INSET_DATA_NO_CLASS_VARIABLE, first CLASS variable
  KES_IN_DATA_CLASS2,         // KES_MSG_INSET_DATA_NO_CLASS_VARIABLE, second
  KES_IN_DATA_NOVAR,          // KES_MSG_INSET_DATA_NO_VAR_VARIABLE
  KES_IN_DATA_BY,  // KES_MSG_CURRENT_GROUP_NOT_FOUND, KES_MSG_INSET_DATA_NO_ROWS_FOR_GROUP and
                   // KES_MSG_INSET_DATA_LACKS_BY_VARIABLE_NO_MATCH
  KES_IN_CORNERS,             // KES_MSG_NO_CORNER_PLOT_AREA
  KES_IN_DUPLICATE,           // KES_MSG_TWO_INSETS_ASK_SAME
  KES_IN_X_DATA,              // KES_MSG_INSET_X_OUTSIDE_PLOT
  KES_IN_Y_DATA,              // KES_MSG_INSET_Y_OUTSIDE_PLOT
  KES_IN_X_PCT,               // KES_MSG_INSET_X_NOT_A_PERCENT
  KES_IN_Y_PCT,               // KES_MSG_INSET_Y_NOT_A_PERCENT
  KES_IN_WORD,                // KES_MSG_POSITION_NOT_INSET_POSITION
  KES_IN_SHRUNK_USER,         // KES_MSG_INSET_AT_XY_SHRUNK
  KES_IN_SHRUNK,              // KES_MSG_INSET_AT_POSITION_SHRUNK
  KES_IN_NF_SHADOW,           // KES_MSG_CSHADOW_NEEDS_FRAME
  KES_IN_NF_FILL,             // KES_MSG_CFILL_NEEDS_FRAME
  KES_IN_NF_HFILL,            // KES_MSG_CFILLH_NEEDS_FRAME
  KES_IN_NF_FRAME,            // KES_MSG_CFRAME_NEEDS_FRAME
  KES_IN_HFILL_NOHEADER,      // KES_MSG_CFILLH_NEEDS_HEADER
  KES_IN_SECOND_INSET,        // KES_MSG_ONLY_FIRST_INSET_STATEMENT
  KES_IN_WEIBULL_KSD,         // KES_MSG_INSET_WEIBULL_HAS_NO_KSD
  KES_IN_FAMILY_ALONE,        // KES_MSG_INSET_FAMILY_NAME_ALONE
  KES_IN_NCOLS_DEVICE,        // KES_MSG_INSET_NCOLS_DEVICE_FILLS_MARGIN
  KES_IN_HEIGHT,              // KES_MSG_TEXT_HEIGHT_NOT_POSITIVE
  KES_IN_TOO_SMALL_USER,      // KES_MSG_INSET_AT_XY_TOO_SMALL
  KES_IN_TOO_SMALL,           // KES_MSG_INSET_AT_POSITION_TOO_SMALL
  KES_IN_NOTE_COUNT
};

// Format classes of a value text.
enum kes_inset_fmt : int {
  KES_IF_INTEGER,   // xpils width 8
  KES_IF_FIXED,     // xpfs width 8, 4 decimals
  KES_IF_BEST,      // xpfs width 8, best
  KES_IF_USER,      // xfxpn with a format, at most 24 characters kept
  KES_IF_PVALUE,    // relation character, then xpfs width 7 with 4 decimals
};

// The pool of boxes and rows: the current variable's, else the BY group's, else the
// run pool (the run pool grows with every chart, cell and BY group of the step).
host_pool* kes_inset_pool(kes_ctx* ctx);
// True the first time the note flag is asked in its period (and marks it).
bool kes_inset_once(kes_ctx* ctx, int flag);
// Begins a period of the notes: every flag is cleared but those of what device graphs
// never draw (a family named alone, NCOLS= in a margin), which the step says once.
void kes_inset_notes_clear(kes_ctx* ctx);
// Bits of a cell's inset notes (kes_plotslot inset_noted): a family's block left out
// (1 << family), a box without rows.
constexpr int KES_INSET_NOTED_BOX = 1 << 15;
// A note on what an inset leaves out in one cell. With CLASS variables it names the
// cell (message in_cell, or in_cell2 with two), once per cell of the request, and
// only for a cell that holds values: a level that stands for its child cells leaves
// nothing out. Without them it is once per period (flag) in plain. t1 and t2 as
// kes_cell_note.
void kes_inset_cell_note(kes_ctx* ctx, const kes_cell* cell, int flag, int bit, int plain, int in_cell, int in_cell2,
                         const char* t1, int l1, const char* t2 = nullptr, int l2 = 0);
// POSITION= of a template graph's inset: true for a word the templates place (the eight
// compass points and the four margins); for any other word the note that the box is
// not drawn, once per period at the POSITION= of st, and false.
bool kes_inset_template_word(kes_ctx* ctx, const kes_stmt* st, const char position[8]);

// A new row after *last (or as the box's first row), blank texts, the kind given; the
// box's row count rises. Null after the memory note.
kes_inset* kes_inset_row(kes_ctx* ctx, kes_insetbox* box, kes_inset** last, int kind);

// The code at index i of the box's stream, truncated; 300 beyond its end.
int kes_inset_code(const kes_insetbox* box, int i);
// When the code after the cursor is 100: moves the cursor to it and copies the next
// user label into label (blank-filled, 24 characters), returning its length; else -1.
int kes_inset_user_label(kes_insetbox* box, char* label);
// When the code after the cursor is 200: moves the cursor to it and returns the next
// user format (null when the statement holds none); else null with *taken false.
const kes_fmtentry* kes_inset_user_format(kes_insetbox* box, bool* taken);
// The FORMAT= format of the box's statement, or null.
const kes_fmtentry* kes_inset_all_format(const kes_insetbox* box);
const kes_fmtentry* kes_inset_all_format_of(const kes_stmt* stmt);
// Moves the cursor past a following 100 and then a following 200, counting them.
void kes_inset_pass_label_format(kes_insetbox* box);
// Moves the cursor from a block's opening code to its closing code, counting every 100
// and 200 passed.
void kes_inset_skip_block(kes_insetbox* box);

// The codes of a block (distribution or kernel) as its builders walk them: the
// opening code at the cursor, a label on the keyword itself passed over (it names no
// row, and passing it keeps the later labels with their keywords).
struct kes_inset_block {
  int open, body, close_code;
  int label_entry, format_entry;  // indexes before the block
  int label0, format0;            // indexes at its first sub-code
  bool defaults;                  // the block has no sub-codes
};
kes_inset_block kes_inset_block_open(kes_insetbox* box);
// The cursor back to the first sub-code (every curve of a family reads the same ones).
void kes_inset_block_restart(kes_insetbox* box, const kes_inset_block& b);
// The cursor on the closing code, the labels and formats of the block counted.
void kes_inset_block_close(kes_insetbox* box, const kes_inset_block& b);
// Whether a distribution block's sub-code gives a row on this request: fit statistics
// only on histograms (note KES_MSG_INSET_FIT_STATS_ONLY_ON_HISTOGRAMS), on probability
// and QQ plots without a reference line not the parameters the line gives
// (KES_MSG_INSET_SCALE_THRESHOLD_NEED_LINE, KES_MSG_INSET_WEIBULL2_PARAMS_NEED_LINE);
// each note once per block; the Weibull block of curve c no KSD or KSDPVAL where its tests
// have no Kolmogorov-Smirnov statistic (KES_MSG_INSET_WEIBULL_HAS_NO_KSD, once per variable like the other inset notes).
// A sub-code that gives none is passed over with its label and format.
struct kes_inset_subnotes {
  bool hist = false, line = false;
};
bool kes_inset_sub_shown(kes_ctx* ctx, const kes_preq* rq, kes_insetbox* box, const kes_curve* c, int family,
                         int sub, kes_inset_subnotes* noted);

// The value of statistic code (0..45) of the current variable in the cell, and its
// default format class.
double kes_inset_stat(kes_ctx* ctx, kes_cell* cell, int code);
int kes_inset_stat_class(int code);
// The default value text of statistic code's value v in the cell into text[24]:
// locations (mean, extremes, percentiles, mode) to the last digit the cell's standard
// deviation shows, apart from one another, so that they read the values of x moved by
// c at x + c; spreads with their own significant digits; the others in their class.
int kes_inset_stat_text(kes_ctx* ctx, kes_cell* cell, int code, double v, char* text);
// The default value text of a distribution block's row (kes_inset_block_value's v).
int kes_inset_block_text(const kes_preq* rq, const kes_plotslot* slot, const kes_curve* c, int family, int sub,
                         double v, char rel, char* text);
// v read to the power of ten place (kes_placed_text) into text[24]; returns its length.
int kes_inset_placed_text(double v, int place, char* text);

// The value a block row of a family shows for a sub-code: the curve's parameter, its
// goodness-of-fit result (*rel the p-value's relation) or moment; on probability and
// QQ requests the parameters the reference line of the slot gives.
double kes_inset_block_value(const kes_preq* rq, const kes_plotslot* slot, const kes_curve* c, int family, int sub,
                             char* rel);
// The value a kernel row shows for a sub-code (1 C, 2 bandwidth, 3 AMISE).
double kes_inset_kernel_value(const kes_curve* k, int sub);
// Its default value text into text[24].
int kes_inset_kernel_text(const kes_curve* k, int sub, char* text);
// The reference line is inverted (axes exchanged and the line drawn).
bool kes_inset_line_inverted(const kes_preq* rq, const kes_plotslot* slot);

// The value text of v in the class (fmt for KES_IF_USER, rel for KES_IF_PVALUE) into
// text[24], left-justified; returns its length.
int kes_inset_value_text(double v, int cls, const kes_fmtentry* fmt, char rel, char* text);
// A catalogue text into a blank-filled field of n characters; returns its length
// without trailing blanks.
int kes_inset_msg(char* text, int n, int set, int number);
