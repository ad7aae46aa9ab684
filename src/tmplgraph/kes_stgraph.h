// Template graphs: the module emits a data object of columns and rows, dynamic
// variables and one graph object per panel, and the host's graph template draws the
// graph. This header holds the build state of one graph and the protocol steps every
// plot type's builder shares.
#pragma once
#include <cstdint>

#include "host/host_data.h"
#include "host/wob.h"

struct kes_ctx;
struct kes_cell;
struct kes_classvars;
struct kes_reflabel;

// Numeric value cells of a data object; builders assign their columns in order. The
// last one is also the Cprop cell of the inset tables.
constexpr int KES_STG_NCELLS = 15;
constexpr int KES_STG_CURVELABEL = 256;
constexpr int KES_STG_REFLABEL = 16;
constexpr int KES_STG_BARLABEL = 40;
// Cells the reference-line columns read.
constexpr int KES_STG_HREF_CELL = 6;
constexpr int KES_STG_VREF_CELL = 8;
// Bound tables one graph can carry: its own data object and inset tables.
constexpr int KES_STG_MAXBOUND = 8;
// Records the dynamic list starts with room for; it grows beyond (long insets).
constexpr int KES_DYNLIST_START = 1250;

// The dynamic variables of a graph: pairs of a name record (311, a text handle) and a
// value record (287: text handle, double, boolean or int). Grown from the task pool,
// so that no inset, however long, can run past its end.
struct kes_dynlist {
  wob_attr* items;
  int count;
  int cap;
  int failed;  // 1 once the list could not grow (the memory note is written)
};

// The build state of one template graph (zero-filled by kesstgr).
struct kes_stgraph {
  void* data;                         // the data object being built
  void* classcol[2];                  // text handles: "Class1", "Class2" or "Group"
  void* classlabel[2];                // text handles: a CLASS variable's label, else its name
  int overlay;                        // OVERLAY puts the last CLASS variable in one panel
  void* grouplabel;                   // label of the overlaid groups
  double cells[KES_STG_NCELLS];       // numeric value cells
  char curvelabel[KES_STG_CURVELABEL];
  char hreflabel[KES_STG_REFLABEL];
  char vreflabel[KES_STG_REFLABEL];
  char barlabel[KES_STG_BARLABEL];
  void* bound[KES_STG_MAXBOUND];      // bound-table handles (attribute 2829)
  int nbound;
  kes_dynlist* dyn;                   // the graph's dynamic variables
  int panels;                         // graph objects to emit
  void* varlabel;                     // "_VARLABEL"
  void* insetdata;                    // "InsetData" object of the CLASS form of insets
  void* insetbound;                   // its bound table
  int insetmade;                      // "InsetData" is created, defined and bound
  int legendtitle;                    // the limit-line or the curve legend is on
  int cell_pctl;                      // each cell's percent ticks stand at places of its own
  int unfitted;                       // some cell's fit failed: its values go out marked
  int status;                         // 0, or KES_RC_OUT_OF_MEMORY after the memory note
  host_varinfo var;                   // the analysis variable's name record
};

// ---- the driver ----

// Emits the template graph of the current request and variable. 0, or 1016 after the
// memory note when a list could not be allocated; a failing output-object call ends
// the step inside.
int kesstgr(kes_ctx* ctx);

// Builder of one plot type, by kes_plottype; null while that plot type's template
// graph is not built (its request then draws nothing and says so once).
using kes_stg_builder = void (*)(kes_ctx* ctx, kes_stgraph* g);
kes_stg_builder kes_stg_builder_of(int plot_type);

// The builders.
void kesstghist(kes_ctx* ctx, kes_stgraph* g);

// ---- the protocol steps shared by the builders ----

// Method 147: the data object `name` ("HistogramData", ...) into g->data.
void kes_stg_create(kes_ctx* ctx, kes_stgraph* g, const char* name);
// Method 338: a numeric column on cells[cell]; var, when given, passes the variable's
// name record first (the column carries the variable's own values).
void kes_stg_numcol(kes_stgraph* g, const char* name, int cell, void* label, bool var = false);
// Method 338: a character column (name a text handle) on a cell of `length` bytes.
void kes_stg_charcol(kes_stgraph* g, void* name, char* cell, int length, void* label);
// Methods 298 and 422: ends the definitions and binds the object to the table
// template "orbo.kestravine.<name>".
void kes_stg_bind(kes_ctx* ctx, kes_stgraph* g, const char* name);
// Method 329: one row from the cells as they stand.
void kes_stg_row(kes_stgraph* g);
// Methods 299 and 428: ends the rows and emits the bound table.
void kes_stg_emit(kes_ctx* ctx, kes_stgraph* g);
// Method 2826 for panels 1 .. g->panels: output name, label (message 308/label_msg
// with the variable's name), description, graph template "orbo.kestravine.Graphics.
// <graph>", the bound tables, the builder's per-panel pairs (name and value records,
// at most KES_STG_MAXINLINE), _NROWS, _NCOLS, _PANEL and the dynamic list. Nothing
// once g->status says memory ran out.
constexpr int KES_STG_MAXINLINE = 16;
void kes_stg_panels(kes_ctx* ctx, kes_stgraph* g, const char* output, int label_msg, const char* graph,
                    const wob_attr* inline_pairs = nullptr, int ninline = 0);

// Presets the numeric cells to the standard missing value and the two reference
// label cells to blanks.
void kes_stg_reset(kes_stgraph* g);

// ---- dynamic variables ----
void kes_dyn_text(kes_stgraph* g, const char* name, void* text);
void kes_dyn_cstr(kes_stgraph* g, const char* name, const char* text);
void kes_dyn_double(kes_stgraph* g, const char* name, double v);
void kes_dyn_bool(kes_stgraph* g, const char* name, int v);
void kes_dyn_int(kes_stgraph* g, const char* name, int v);

// ---- columns and rows shared by the plot types ----

// One character column per CLASS variable on the current data object.
void classcols(const kes_classvars* cv, kes_stgraph* g);
// The reference-line columns of the request, and "_HREFLABPOS" / "_VREFLABPOS".
void kesrefs(kes_ctx* ctx, kes_stgraph* g);
// A reference-line label (NUL-terminated, at most 16 characters) into its 16-byte cell.
void kes_stg_reflabel(char* cell, const kes_reflabel& label);
// Walks the CLASS cells in level order, sets the CLASS column cells and writes each
// cell's rows through the plot type's row writer.
void putdata(kes_ctx* ctx, kes_stgraph* g);
void putclass(kes_ctx* ctx, kes_stgraph* g, kes_cell* cell);
// The histogram's row writer.
void puthist(kes_ctx* ctx, kes_stgraph* g, kes_cell* cell);

// The values as one blank-separated text handle, each reading its value: a short
// decimal as it is, a value with none (a quantile) in at least `width` significant
// digits, more where neighbours would read alike (kes_value_texts). A negative width
// lists fitted values (percents of a fitted law), each in its best text of -width
// characters. Null after the memory note (result 1016 in *status).
void* makenumlist(const double* values, int n, int width, int* status);
// The values in their shortest texts that read back as the same doubles: places the
// template computes with (percent positions), which no width may round.
void* makenumlist_exact(const double* values, int n, int* status);
// The percents of a quantile axis's ticks (PCTLSCALE), in order along it: each in its
// text of four characters, with the decimals more that tell it from its neighbours
// and keep a percent below 100 from reading 100 (kes_percent_texts).
void* makepctlist(const double* percents, int n, int* status);

// Insets of the graph: dynamic variables, or "InsetData" tables per CLASS cell.
void kesstgins(kes_ctx* ctx, kes_stgraph* g);
