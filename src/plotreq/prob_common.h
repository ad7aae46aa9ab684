// What the QQPLOT, PROBPLOT, PPPLOT and CDFPLOT drivers share: the family named on the
// statement, the cells' curve records, their notes, the output group of a request,
// the ORDER= check of an axis and the renderer call.
#pragma once

#include "fit/kes_cellnote.h"

struct kes_ctx;
struct kes_curve;
struct kes_preq;
struct kes_cell;
struct kes_plotslot;
struct kes_stmt;
struct kes_axis;

// The family a statement names (the first of NORMAL, LOGNORMAL, EXPONENTIAL, WEIBULL,
// GAMMA, BETA, SB, SU and, when weibull2 is set, WEIBULL2), or none_code.
int kes_plot_family(const kes_stmt* s, bool weibull2, int none_code);

// Starts the current request for the current variable: false after note (308,
// no_key_msg) when there is no key cell; else the request's line flag is cleared,
// ROTATE read (when the plot kind takes it) and the family chosen (see
// kes_plot_family).
bool kes_prob_begin(kes_ctx* ctx, int no_key_msg, bool weibull2, int none_code, bool rotatable);

// The cell's plot slot for the current request and variable.
kes_plotslot* kes_prob_slot(kes_ctx* ctx, kes_cell* cell);

// The curve records of a request's cells made as one block from the BY-group pool,
// which the cells then take in turn: a graph of many CLASS cells would otherwise make
// a record for each. Without room for the block (nothing is said) each cell makes its
// own, as it would.
struct kes_prob_curves {
  kes_curve* block = nullptr;
  long used = 0, count = 0;
};
kes_prob_curves kes_prob_curve_block(kes_ctx* ctx);

// One curve record of the family for the cell (the next of the block when there is
// one, else from the BY-group pool; parameters missing), made the slot's only curve;
// the slot's line is cleared. 0, or 1016 after the memory note.
int kes_prob_curve(kes_ctx* ctx, kes_cell* cell, int code, kes_prob_curves* from = nullptr);

// Note (set, number) naming the current variable when there is no CLASS variable;
// else (set, cell_base + the CLASS count) with the cell's CLASS names and levels first.
void kes_prob_note(kes_ctx* ctx, kes_cell* cell, int set, const kes_cell_forms& forms);
// The note of a per-request message that names the current variable.
void kes_var_note(kes_ctx* ctx, int set, int number);

// Opens the request's output group, named `name` (as the output and its kind), labelled
// by its CONTENTS= text with "#VARNAME" replaced, else by message (308, label_msg) with
// the ordinal k. Null when CONTENTS= gives an empty text (no group). A failing call
// ends the step.
void* kes_plot_group(kes_ctx* ctx, const kes_stmt* s, int k, const char* name, int label_msg);
void kes_plot_group_close(void* group);

// An axis record's ORDER= values, when it has two or more, replace [*start, *end] by
// *step with *ticks when they cover [lo, hi] within 2^-26.5; else notes KES_MSG_AXIS_DEFINITION_MISSES_RANGE (name,
// lo, hi) and KES_MSG_AXIS_ORDER_NOT_USED (for a VAXIS= list KES_MSG_VAXIS_MISSES_PLOT_RANGE, naming the current
// variable) and the axis stays. True when the values were taken.
bool kes_order_axis(const kes_ctx* ctx, const kes_axis* axis, const char* name, double lo, double hi, double* start,
                    double* end, double* step, int* ticks);

// The tick values of the vertical axis, as an axis record's ORDER= values: the
// statement's VAXIS= list (made into *list) when it is usable, in both renderers; else,
// with device graphs, those of the axis definition VAXIS= names. Null when there are none.
const kes_axis* kes_vertical_order(const kes_ctx* ctx, const kes_preq* r, kes_axis* list);

// Hands the current request to the template renderer when template graphics are on,
// else to the device renderer; nothing under NOPLOT. Says once per request, naming
// its statement and ordinal k, when the renderer it would use is not there. The
// device renderer's result, else 0.
int kes_prob_render(kes_ctx* ctx, int k);

// The default percent ticks, symmetric about 50.
extern const double kes_dfltpts[17];
