// The reader of an inset data set (INSET DATA=): its variables checked and bound, the
// data set positioned on the current BY group, and each observation's label, value
// and whether it belongs to the current variable and CLASS cell. The device insets
// and the template-graph insets read it alike.
#pragma once
#include "host/host_data.h"
#include "records/kes_text_desc.h"

struct kes_ctx;
struct kes_cell;
struct kes_fmtentry;
struct kes_stmt;

constexpr int KES_IDATA_TEXT = 256;

struct kes_idata_class {
  int present;                   // a variable of the CLASS variable's name was found
  int numeric;
  int varnum;
  char text[KES_IDATA_TEXT];     // its value of the observation, formatted
};

struct kes_idata {
  kes_dsh ds;
  kes_geth get;
  int label_var, value_var, var_var;
  int value_numeric;
  int value_own_format;          // a numeric _VALUE_ read formatted by its own format
  const kes_fmtentry* format;    // FORMAT= for a numeric _VALUE_, or null
  int has_var;                   // _VAR_ present and character
  char label[KES_IDATA_TEXT];
  char value[KES_IDATA_TEXT];
  double number;
  char var[32];
  int nclass;
  kes_idata_class cls[2];
};

// Checks and binds the variables of the INSET statement's DATA= data set and positions
// it on the current BY group: 0, 108 (no such BY group), 1008 (a variable missing or
// of the wrong type, or the read set refused) or 1016, after their notes.
int kes_idata_open(kes_ctx* ctx, const kes_stmt* stmt, kes_idata* r);
// Positions the data set on the current BY group again: 0 or 108.
int kes_idata_rewind(kes_ctx* ctx, kes_idata* r);
// Reads the next observation of the group: true when there is one.
bool kes_idata_next(kes_idata* r);
// Whether the observation belongs to the current variable and to the cell (its CLASS
// texts, compared left-justified without trailing blanks).
bool kes_idata_matches(const kes_ctx* ctx, const kes_idata* r, const kes_cell* cell);
// The same with the CLASS texts given (nclass of them).
bool kes_idata_matches_texts(const kes_ctx* ctx, const kes_idata* r, const kes_textdesc* texts, int nclass);
// The observation's label and value texts into 24 blank-filled characters; their lengths.
int kes_idata_label(const kes_idata* r, char* text);
int kes_idata_value(const kes_idata* r, char* text);
// Releases the read set.
void kes_idata_close(kes_idata* r);
