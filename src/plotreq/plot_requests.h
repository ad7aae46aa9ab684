// The plot-request drivers the step driver calls per BY group and variable, with the
// context's current request set to the request being run.
#pragma once

struct kes_ctx;
struct kes_preq;
struct kes_cell;
struct kes_plotslot;

// Common histogram bins of every HISTOGRAM request plotting the current variable:
// 0, 1012 or 1016.
int kesmerg(kes_ctx* ctx);
// Runs request k (from 1, its place among the requests of its kind) for the current
// variable. 0 or the first failure; the caller ends the step only for a result that
// kes_plot_ends_step (records/kes_plot_status.h) says ends it.
int keshini(kes_ctx* ctx, int k);  // HISTOGRAM: 0 or the first failure
int kesqini(kes_ctx* ctx, int k);  // QQPLOT: 0, KES_RC_BAD_OPTION or KES_RC_OUT_OF_MEMORY
int kescini(kes_ctx* ctx, int k);  // CDFPLOT: 0, 1 or KES_RC_OUT_OF_MEMORY
int kespini(kes_ctx* ctx, int k);  // PROBPLOT: 0, KES_RC_BAD_OPTION or KES_RC_OUT_OF_MEMORY
int keszini(kes_ctx* ctx, int k);  // PPPLOT: 0, 1, KES_RC_BAD_OPTION or KES_RC_OUT_OF_MEMORY
// Counts the current variable's observations of the cell into the bins of its plot
// slot for the request and sets the slot's vertical-scale factor: 0, or 1016 when the
// heights cannot be had (after the memory note). With room, the heights are taken
// from *room, which then moves past them (kes_hist_height_count says how many).
int kescmhf(kes_ctx* ctx, kes_preq* request, kes_cell* cell, double** room = nullptr);
// The heights kescmhf keeps for the cell: its stretch of the common bins.
long long kes_hist_height_count(kes_ctx* ctx, kes_preq* request, kes_cell* cell);
// Lays out the current HISTOGRAM request for the current variable: empty cells, curve
// records, kernel widening, fits and the vertical axis. 0; 1008 when no cell has a
// value (after a note); 1016 when curve records cannot be had; or the kernel
// bandwidth step's failure.
int kescmh4(kes_ctx* ctx);

// Hands the request's graph to the step's renderer (ctx->renderer) and returns what it
// returned (read through records/kes_plot_status.h). With NOPLOT nothing is drawn; with
// graphics on but no renderer the log says once per request (k, from 1) that its
// graph is not drawn; so it says when memory ran out while the graph was made.
int kes_render(kes_ctx* ctx, kes_preq* request, int k);
// Rows and columns of cells that NROWS= and NCOLS= leave to the levels (0 from the
// statement pass) become the level counts, at most KES_PANEL_MAX, so that a CLASS
// request draws one comparative graph where the page holds its cells. With
// overlay_drawn (a renderer that draws OVERLAY groups) an overlaid request keeps its
// groups' cells in one.
void kes_resolve_cells(kes_preq* request, bool overlay_drawn);
// Runs the step's renderer on the request with its cells so resolved, and gives the
// request back its statement's values afterwards.
int kes_draw(kes_ctx* ctx, kes_preq* request);
// One cell of a PPPLOT request: the family's fit and the cell's line. 0 fitted; 1
// after note KES_MSG_PP_CELL_FEWER_THAN_TWO_VALUES; else the estimate's status after its note.
int kespp(kes_ctx* ctx, kes_cell* cell, kes_plotslot* slot);
// One cell of a CDFPLOT request: its checks and the family's fit. 0 usable, else
// non-zero after the note; `fitted` tells whether the family's curve was fitted (a
// usable cell whose fit failed keeps its empirical step line).
int kescdf(kes_ctx* ctx, kes_cell* cell, kes_plotslot* slot, bool* fitted);
