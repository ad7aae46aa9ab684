// The step driver's own state and the stages of qorqkest, split by concern: start-up,
// the BY-group loop, the work of one variable, the plot requests and the exit path.
#pragma once

struct kes_ctx;

// What a stage leaves the step to do next.
enum class kes_flow {
  go_on,      // carry on
  exit_path,  // leave the loops and end the step through the exit path
  ended,      // xexit was already called; return its result at once
};

struct kes_run {
  kes_ctx* ctx;
  int widest_name;     // longest analysis-variable name
  int mode;            // kescomp mode of the current batch (0, or 2 not computed)
  bool first_batch;    // the current batch is the BY group's first
  bool cmh3_done;      // kescmh3 ran for this BY group
  bool inset_noted;    // the misplaced-INSET note was written this step
  int end_result;      // what xexit returned when the flow is `ended`
};

// A negative result of an output-object call: the host's text for it, then the step
// ends with that result.
kes_flow kes_object_failure(kes_run& run, int result);
// Raises the return code for a stage that failed with `status` on its way to the exit
// path, so that a failure never ends the step with return code 0.
void kes_raise_for_failure(kes_ctx* ctx, int status);

// Start-up: the output manager, the heading, kesinit, OUTTABLE and the table
// definitions.
kes_flow kes_startup(kes_run& run);
// The BY-group loop with its batches and OUTPUT observations.
kes_flow kes_bygroups(kes_run& run);
// All work of the current variable (ctx->curvar).
kes_flow kes_variable(kes_run& run);
// The INSET placement check and the plot requests of the current variable.
kes_flow kes_inset_check(kes_run& run);
kes_flow kes_plot_requests(kes_run& run);
// Closes an output group opened by kes_open_group (nothing for null).
void kes_close_group(void* group);
// The exit path: stops the device when it was started, then xexit with the step's
// return code; returns what xexit returned.
int kes_exit_path(kes_run& run);

// Deletes the pools of variables from..to-1 that exist, and the BY-group pool.
void kes_drop_var_pools(kes_ctx* ctx, int from, int to);
void kes_drop_bygroup_pool(kes_ctx* ctx);
