// The stages the step driver runs, as a table of functions held by the context. The
// procedure entry runs the step with the real routines; any other caller of kes_step
// (a test of the driver's own logic) passes a table of its own.
#pragma once

struct kes_ctx;
struct kes_stats;
struct kes_varsum;
struct host_access;
struct kes_graphics_startup;

struct kes_stages {
  // Start-up.
  int (*kesinit)(kes_ctx* ctx);
  host_access* (*kesotab)(kes_ctx* ctx, int flags);
  int (*kesxvem)(kes_ctx* ctx);
  // Per BY group and batch.
  int (*kesin)(kes_ctx* ctx);
  // Per variable and cell.
  void (*kescomp)(kes_ctx* ctx, int mode, int var, kes_varsum* records);
  void (*kessave)(kes_stats* stats, kes_varsum* record);
  void (*kesouts)(kes_ctx* ctx, kes_stats* stats, double* values);
  // Per variable, after its statistics.
  int (*kesmerg)(kes_ctx* ctx);
  int (*kescmh3)(kes_ctx* ctx);
  // The plot drivers, in the order HISTOGRAM, QQPLOT, CDFPLOT, PROBPLOT, PPPLOT.
  int (*keshini)(kes_ctx* ctx, int k);
  int (*kesqini)(kes_ctx* ctx, int k);
  int (*kescini)(kes_ctx* ctx, int k);
  int (*kespini)(kes_ctx* ctx, int k);
  int (*keszini)(kes_ctx* ctx, int k);
  // The renderers a histogram request hands its graph to: template graphs, device
  // graphs. Null while a renderer is not built: the graph is not drawn.
  int (*kesstgr)(kes_ctx* ctx);
  int (*kesgcht)(kes_ctx* ctx);
  // Per BY group, after its variables; after the last BY group.
  int (*kesout)(kes_ctx* ctx, int last_slot);
  void (*kesside)(kes_ctx* ctx);
  // The device stop on the way out.
  void (*gpspnot)();
  // The graphics start-up steps of the plot statement pass (null: the module's).
  const kes_graphics_startup* graphics;
};
