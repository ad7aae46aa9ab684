// The stages the step driver runs, as a table of functions held by the context. The
// procedure entry runs the step with the real routines; any other caller of kes_step
// (a test of the driver's own logic) passes a table of its own.
#pragma once

struct kes_ctx;
struct kes_stats;
struct kes_varsum;
struct host_access;
struct kes_layout;
struct gdevopts;

// The graphics start-up steps of the pass, as a table that graphics plug into (the
// stage table of the step holds it). Until then the module's table finds no output
// destination, and with none no template or device start-up runs.
struct kes_graphics_startup {
  // 1 when the run has a destination for graphs at all.
  int (*has_destination)(kes_ctx* ctx);
  // 1 when the output manager draws template graphs.
  int (*template_graphics)(kes_ctx* ctx);
  // The destinations of a layout whose head holds the manager and root: 0, 1012, 1016.
  int (*destinations)(kes_layout* layout);
  // Loads the device of the options record: 0, 1 (image missing) or -1.
  int (*load_device)(gdevopts* options, int mode, int flag);
  int (*release)(kes_layout* layout);
  // Graph control block and device set-up: 0, or 1012 after a message.
  int (*start_device)(kes_ctx* ctx);
};
// The module's own steps (devgraph).
extern const kes_graphics_startup kes_graphics_routines;

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
