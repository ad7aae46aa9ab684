// The graphics start-up steps of the plot statement pass.
#pragma once

struct kes_ctx;
struct kes_layout;
struct gdevopts;

// The graphics start-up steps of the plot statement pass, as a table (the stage table
// of a step may hold another, for tests).
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
// The module's own steps.
extern const kes_graphics_startup kes_graphics_routines;
