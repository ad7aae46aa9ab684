// The plot statement pass.
#pragma once

struct kes_ctx;
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
extern const kes_graphics_startup kes_graphics_routines;

// Counts the plot statements, builds one plot-request record per plot statement
// (HISTOGRAM, QQPLOT, CDFPLOT, PROBPLOT, PPPLOT, each kind in statement order),
// decides whether device and template graphics are on, starts the graphics device
// and runs the option checks of every request. 0 lets start-up go on; 3000 (plot
// statements with a WEIGHT variable), 1012 (an option check failed or the device
// could not be loaded) or the result of the destination set-up end it.
int kesstmt(kes_ctx* ctx);  // with the graphics steps of the context's stage table
// The same with the given graphics start-up steps.
int kesstmt_with(kes_ctx* ctx, const kes_graphics_startup* graphics);
