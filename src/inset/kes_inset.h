// Inset boxes: the records of the boxes that INSET statements ask for, their rows and
// code streams, and the routines that build, place, measure and draw them. Lengths of
// a box are doubles in percent of the graphics area.
#pragma once
#include <cstdint>

#include "stats/statistics.h"

struct kes_ctx;
struct kes_cell;
struct kes_curve;
struct kes_stmt;
struct kes_plotslot;

// The code stream of an INSET statement (slot 1, read as integers by truncation); the
// grammar gives the codes it writes.
enum kes_insetcode : int {
  KES_IC_LAST_STAT = KES_IN_NSTATS - 1,  // 0.. the statistics of stats/statistics.def
  KES_IC_FIRST_DIST = KES_INSET_CODE_NORMAL,  // 49..57 distribution blocks, family = code - 49
  KES_IC_LAST_DIST = KES_INSET_CODE_WEIBULL2,
  KES_IC_KERNEL = KES_INSET_CODE_KERNEL,  // every kernel of the request
  KES_IC_KERNEL1 = KES_INSET_CODE_KERNEL1,  // 59..63 KERNEL1..KERNEL5
  KES_IC_LAST_KERNEL = KES_INSET_CODE_KERNEL5,
  KES_IC_FIRST_SIBLING = 64, // 64..88 never produced by this grammar
  KES_IC_LAST_SIBLING = 88,
  KES_IC_LABEL = KES_INSET_CODE_LABEL,  // a user label follows (slot 10)
  KES_IC_FORMAT = KES_INSET_CODE_FORMAT,  // a user format follows (slot 11)
  KES_IC_END = KES_INSET_CODE_END,
  KES_IC_DATA = KES_INSET_CODE_DATA,  // DATA= rows
  KES_IC_NAMED = 500,        // never produced by this grammar
};

// Kinds of a row.
enum kes_inset_kind : std::uint8_t {
  KES_IK_PLAIN = 0,          // statistic or data-set row
  KES_IK_SIBLING = 1,
  KES_IK_FIRST = 2,          // first row of a block without a family header line
  KES_IK_FIRST_HDR = 3,      // first row of a block under a family header line
  KES_IK_NEXT = 4,           // following rows of a block without a header line
  KES_IK_NEXT_HDR = 5,       // ... with one
  KES_IK_KERNEL_FIRST = 7,   // first kernel row (made 3 at the end of the box)
  KES_IK_HEADER_ONLY = 8,    // a family header line without a value
  KES_IK_DATA = 9,           // a row named by an inset data set (template CLASS form)
};

// Texts of a row.
constexpr int KES_INSET_TEXT = 24;
constexpr int KES_INSET_HEADER = 40;

struct kes_inset {
  std::int32_t value_len;
  std::int32_t label_len;
  char value[KES_INSET_TEXT];  // blank-filled, left-justified
  char label[KES_INSET_TEXT];  // blank-filled
  std::uint8_t kind;           // kes_inset_kind
  std::uint8_t subcode;        // family (0..8) of a distribution row, 9 for a kernel row
  std::uint8_t swatch;         // sibling rows only
  std::uint8_t item;           // template rows: the statistic code or the block's sub-code
  const struct kes_fmtentry* fmt;  // template rows: the user format the row takes, or null
  kes_curve* curve;            // the curve a block row describes
  kes_inset* next;
};

// Position kinds and coordinate kinds of a box.
enum : std::uint8_t { KES_IPOS_NONE = 0, KES_IPOS_WORD = 1, KES_IPOS_XY = 2 };
enum : std::uint8_t { KES_ICOORD_DATA = 2, KES_ICOORD_PERCENT = 3 };

struct kes_insetbox {
  kes_stmt* stmt;               // the INSET statement
  double vmargin;               // min(text height / 2, 2.5)
  double hmargin;               // vmargin times the device's aspect factor
  double left, bottom, right, top;
  double shadow_right, shadow_bottom;
  double shadow;                // 1.0 with CSHADOW=, else 0
  double label_width;           // widest label column entry
  double value_width;           // widest value text
  double box_width;
  double box_height;
  double header_width;          // the header text (and its curve sample)
  double colspace;              // 3 x hmargin
  double rowgap;                // vmargin, 0 in device-text mode
  double text_height;
  double sample_width;          // 4 x blank width
  double blank_width;
  double block_header_width;    // widest block header text
  double block_label_width;     // widest label of a block row
  double rule_left, rule_right, rule_y;  // the rule under the header
  double columns;               // NCOLS= truncated, else -1
  double gutter;                // GUTTER=, else -1
  std::uint8_t fill_given, header_fill_given, frame_given, shadow_given;
  char fill[8], frame_colour[8], text_colour[8], header_colour[8], header_fill[8], shadow_colour[8];
  char font[8];
  std::int32_t header_len;      // 0: no header line
  char header[KES_INSET_HEADER];
  std::uint8_t noframe;
  char position[8];             // "NW" ... "USER", blank-padded
  double x, y;                  // POSITION=(x, y)
  std::uint8_t coord_kind;      // KES_ICOORD_*
  char refpoint[8];
  std::uint8_t pos_kind;        // KES_IPOS_*
  std::uint8_t auto_pos;        // the corner was chosen for a box given none
  std::uint8_t enabled;
  std::uint8_t height_fixed;
  double margin_scale;          // product of the side-margin shrink factors
  std::uint8_t devtext;         // device-text mode
  double cell_height;           // the device's text cell height in device-text mode
  std::uint8_t block_header;    // set by the block builders for the block just built
  std::uint8_t line;            // the plot slot carries a reference line
  std::uint8_t header_sample;   // the header carries a curve sample
  std::uint8_t single_family;   // family of the last block (9 kernel)
  std::uint8_t sibling;
  const double* codes;          // the code stream
  std::int32_t ncodes;
  std::int32_t nrows;
  std::int32_t ncols;           // columns of a top or bottom margin box
  std::int32_t cursor;          // index of the current code
  std::int32_t label_index;     // next user label of slot 10
  std::int32_t format_index;    // next user format of slot 11
  std::int16_t blank_id;        // the blanked area registered for the box
  void* blank_ptr;              // its handle
  std::uint8_t blank_registered;
  kes_inset* rows;
  kes_insetbox* next;
  struct kes_idata* idata;      // template graphs: the open inset data set of the box
};

// ---- Building (kesins.cpp, kesitst.cpp, kesidst.cpp, kesiknl.cpp, kesidat.cpp) ----

// What the renderer that asks for the boxes needs of them. Each renderer says so when
// it asks; the builders follow it and never ask which renderer draws.
struct kes_inset_needs {
  bool checks_words;    // POSITION= words are checked as the boxes are built (else where they are laid out)
  bool position_xy;     // POSITION=(x, y) places a box (else a note says it is not used)
  bool margin_columns;  // a margin box takes the columns its margin holds, whatever NCOLS= asks
  bool measured;        // boxes get their fonts, colours and sizes as they are built
  bool fitted_only;     // a distribution block shows the fitted curves only
  bool family_alone;    // a distribution block without sub-keywords shows the family's name alone
};

// Rebuilds the context's box list for the current request and variable from the INSET
// statements after the plot statement, with the values of `cell`. 0, or 1016.
int kesins(kes_ctx* ctx, kes_cell* cell, int panel, const kes_inset_needs& needs);
// Value (codes 0..45) or kind (6 a distribution block applies, 7 kernels exist) of the
// code at the box's cursor: 0 applies, 1 skipped (cursor moved past it).
int kesitst(int code, kes_insetbox* box, kes_ctx* ctx, kes_cell* cell, double* value, int* kind);
// Default label of a statistic (set KES_SET_PROC): for the statistics of this procedure
// (set 0), the label of statistic code 0..KES_IC_LAST_STAT; 0 for the sibling statistics.
int kesimsg(int set, int code);
// A distribution block: the number of curves shown, or -1 without memory.
int kesidst(int family, const kes_stmt* stmt, kes_inset** last, kes_insetbox* box, kes_ctx* ctx,
            kes_cell* cell, const kes_inset_needs& needs);
// A kernel block for the curve at `kernel` of the slot's curve array: 0 or 1016.
int kesiknl(const kes_stmt* stmt, kes_inset** last, kes_insetbox* box, kes_cell* cell, kes_ctx* ctx,
            int kernel);
// The rows of the inset data set: 0, 108, 1008 or 1016.
int kesidat(kes_ctx* ctx, kes_cell* cell, int panel, kes_insetbox* box, kes_inset** last);

// Family tables shared with the template-graph insets.
int kesdistname(int family, char text[16]);
int kesnparms(int family);
int kesalloff(int family, int k);
int kesdistmsg(int family, int subcode);
// The label of kernel row 0 (the name of kernel type 1..3), 1 (C), 2 (bandwidth) or 3 (AMISE).
int kesknlmsg(int row, int type);
// The header of an inset that shows one curve: the family's, or the kernel's by type
// (1..3; 0 for kernels of more than one type).
int kesiheader(int plot_type, int family, int kernel_type);

// ---- Placement and drawing (device graphics) ----

// Default corners and duplicates.
void kesipos(kes_ctx* ctx);
