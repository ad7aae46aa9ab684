// What the kernel routines read of a cell for the current request and variable: its
// plot slot, the variable's summary record, the request's shared bin record, the
// kernel curves; and the notes that name the cell in their three forms.
#pragma once

#include "host/host_services.h"
#include "kes_msg_names.h"
#include "records/family_names.h"
#include "records/kes_cell.h"
#include "records/kes_classvars.h"
#include "records/kes_ctx.h"
#include "records/kes_curve.h"
#include "records/kes_plotslot.h"
struct kes_stmt;

// Message sets of the kernel notes.

// Points of the standard and the wide kernel grid; the standard grid is the middle
// half of the wide one.
constexpr int KES_KGRID_STD = 256;
constexpr int KES_KGRID_WIDE = 512;

// Kernel types.
enum kes_kerntype : int { KES_KERN_NORMAL = 1, KES_KERN_TRIANGULAR = 2, KES_KERN_QUADRATIC = 3 };

// The shared bin record of the current request: the key cell's slot, else the cell's.
const kes_plotslot* kes_kern_binslot(const kes_ctx* ctx, const kes_cell* cell);
// The variable's record in the cell; null when there is none.
kes_varsum* kes_kern_varsum(const kes_ctx* ctx, const kes_cell* cell);
// Kernel curve k (from 0) of the slot: the last records of the curve array.
kes_curve* kes_kern_curve(kes_plotslot* slot, int k);
// The note on a kernel estimate by kernel type: without CLASS variables, with one, with two.
struct kes_kern_estimate_notes {
  int plain, cell, cell2;
};
inline constexpr kes_kern_estimate_notes KES_KERN_ESTIMATE_NOTES[3] = {
    {KES_MSG_KERNEL_ESTIMATE_NORMAL, KES_MSG_KERNEL_ESTIMATE_NORMAL_CELL, KES_MSG_KERNEL_ESTIMATE_NORMAL_CELL2},
    {KES_MSG_KERNEL_ESTIMATE_TRIANGULAR, KES_MSG_KERNEL_ESTIMATE_TRIANGULAR_CELL,
     KES_MSG_KERNEL_ESTIMATE_TRIANGULAR_CELL2},
    {KES_MSG_KERNEL_ESTIMATE_QUADRATIC, KES_MSG_KERNEL_ESTIMATE_QUADRATIC_CELL,
     KES_MSG_KERNEL_ESTIMATE_QUADRATIC_CELL2},
};
// How far a kernel reaches from a value: 3h for the normal kernel, h for the others.
double kes_kern_reach(const kes_kernspec& k);
// Whether kernel k (from 0) of the statement has C=SJPI, the plug-in bandwidth.
bool kes_kern_plug_in(const kes_stmt* s, int k);
// The kernel's name from KES_KERN_WORDS or KES_KERN_CURVE_NAMES, blank-padded into 16
// characters.
void kes_kern_name(int type, const int (&names)[3], char name[16]);

// The CLASS level of a cell for notes: variable names and formatted levels, outermost
// first; count is 0, 1 or 2.
struct kes_kern_levels {
  int count;
  int namelen[2];
  const char* name[2];
  int levellen[2];
  const char* level[2];
};
kes_kern_levels kes_kern_levels_of(const kes_ctx* ctx, const kes_cell* cell);

// Writes note n0 without CLASS variables, n1 with one and n2 with two, the names and
// levels ahead of the note's own arguments.
template <class... A>
void kes_kern_note(const kes_ctx* ctx, const kes_cell* cell, int set, int n0, int n1, int n2, A... args) {
  const kes_kern_levels v = kes_kern_levels_of(ctx, cell);
  if (v.count == 0) xpmlog(set, n0, args...);
  else if (v.count == 1) xpmlog(set, n1, v.namelen[0], v.name[0], v.levellen[0], v.level[0], args...);
  else
    xpmlog(set, n2, v.namelen[0], v.name[0], v.levellen[0], v.level[0], v.namelen[1], v.name[1], v.levellen[1],
           v.level[1], args...);
}

// A value (or a missing one) in the kernel unit 2^e.
double kes_kern_unit(double v, int e);

// The points of a kernel curve between lo and hi, evaluated on the cell's grid in a
// block of three arrays of the grid's size (grid, density, transform): x values and
// densities, in place in the block. The x values are the values' own (points past the
// largest double are cut); the densities are per kernel unit 2^kern_exp of the slot.
struct kes_kern_points {
  double* x;
  double* density;
  int count;
};
// The estimate of curve on the cell's grid from the cell's bins, with its bounds
// folded in when it has any: 0; -1 when the cell has no bins or the grid engine fails;
// 1 when the folding fails (the estimate is the unbounded one then).
int kes_kern_density(kes_ctx* ctx, kes_cell* cell, double* block, const kes_curve* curve);
// Evaluates curve and lists its points between lo and hi: 0, or -1 when the estimate
// cannot be made (no points).
int kes_kern_list(kes_ctx* ctx, kes_cell* cell, double* block, double lo, double hi, const kes_curve* curve,
                  kes_kern_points* out);
// Heights on the request's vertical scale per unit of density (per kernel unit):
// V N w 2^-kern_exp.
double kes_kern_height_factor(const kes_ctx* ctx, const kes_cell* cell);
