// The steps of a table definition shared by the table builders: create the table,
// define a column bound to a cell of the row buffer, set dynamic pairs, end.
#pragma once

#include "host/wob.h"

struct kes_ctx;

// One column of a definition.
struct kes_coldef {
  const char* name;
  void* label;         // text handle, or null for no label
  void* cell;          // the cell the column reads
  bool numeric;
  int width;           // display width of a character column
  int p270, p272, p337;  // presentation values, -1 when not passed
  bool cell_first;     // pass the cell (285) before the label (296)
  const wob_attr* extra;  // further attributes after the presentation values
  int nextra;
};

inline kes_coldef kes_num_col(const char* name, void* label, double* cell, int p270 = -1, int p272 = -1,
                              int p337 = -1) {
  return kes_coldef{name, label, cell, true, 0, p270, p272, p337, false, nullptr, 0};
}
inline kes_coldef kes_char_col(const char* name, void* label, char* cell, int width) {
  return kes_coldef{name, label, cell, false, width, -1, -1, -1, false, nullptr, 0};
}

// A dynamic pair: a text value, a text handle, an int (value type 3), a double
// (value type 5) or an int carried in the record's last word (value type 13).
struct kes_dynpair {
  const char* name;
  const char* text = nullptr;
  void* handle = nullptr;
  int ivalue = 0;
  double dvalue = 0.0;
  int vtype = 0;  // 0: text, handle or int, whichever is set; else 5 or 13
};
inline kes_dynpair kes_pair_dbl(const char* name, double v) { return kes_dynpair{name, nullptr, nullptr, 0, v, 5}; }
inline kes_dynpair kes_pair_flag(const char* name, int v) { return kes_dynpair{name, nullptr, nullptr, v, 0.0, 13}; }
// The value record of a pair.
wob_attr kes_pair_value(const kes_dynpair& p);

// Method 147 on the output manager; returns the new table's handle.
void* kes_def_create(kes_ctx* ctx, const char* name, int label_set, int label_no, int rows);
// Method 338.
void kes_def_column(void* table, const kes_coldef& c);
// Method 316 with the pairs in order.
void kes_def_dynamic(void* table, const kes_dynpair* pairs, int npairs);
// Method 298; returns its result.
int kes_def_end(void* table);
// Closes a table made for one cell once its output is emitted, so that the host can
// let its definition go; a refusal is logged and ends the step.
void kes_def_close(void* table);
