// The option checks of the plot statement pass.
#pragma once
#include "host/kes_stmt.h"
#include "kes_msg_names.h"
#include "records/stmt_slots.h"

struct kes_ctx;
struct kes_preq;

// The common checks of every request (statement pass).
int kesvchk(kes_ctx* ctx, kes_preq* request, int slot);  // 0 or 1
int kesgchk(kes_ctx* ctx, kes_preq* request);            // 0, 1 or KES_RC_OUT_OF_MEMORY
// HISTOGRAM checks: 0, 1 or 1016; the bin checks 0 or 1.
int keshchk(kes_ctx* ctx, kes_preq* request);
int kesmchk(kes_ctx* ctx, kes_preq* request);
// Probability-plot checks: 0 or 1 after a message of set KES_SET_PLOT.
int kesqchk(kes_ctx* ctx, kes_preq* request);  // QQPLOT and PROBPLOT
int keschk1(kes_ctx* ctx, kes_preq* request);  // CDFPLOT and PPPLOT
int kescchk(kes_ctx* ctx, kes_preq* request);  // CDFPLOT VSCALE=
int kespchk(kes_ctx* ctx, kes_preq* request);  // PROBPLOT PCTLORDER=, SLOPE= notes
int keszchk(kes_ctx* ctx, kes_preq* request);  // PPPLOT NADJ=, RANKADJ=
// Marks the request when the INSET statements after it ask for robust statistics.
void kesrobchk(kes_preq* request, const kes_stmt* statement);
// The width of a name list: the longest listed (or analysis) variable name, at least 8.
int kesnlen(kes_ctx* ctx, const kes_stmt* statement, int slot);
// The OUTHISTOGRAM= and OUTKERNEL= variables: 0, or 1 when the BY variables could
// not be copied (after a message), or 1016.
int kes_outhist_define(kes_ctx* ctx, kes_preq* request);
// The axis definition named in slot 19 (HAXIS=) or 62 (VAXIS=): 0 read, 1 no device
// layout, else a failure status.
int axisprs(kes_ctx* ctx, kes_preq* request, int slot);

// A bound test of a distribution option. A value fails when it is below the bound,
// or at most the bound when strict; a missing value (NaN) passes. The message (set
// 308) gets the bound as its argument when bound_arg is set.
struct kes_param_test {
  int values;         // value slot (a list, or a single number when markers is -1)
  int markers;        // EST marker slot; -1: a single value; 0: none
  double bound;
  bool strict;
  int message;
  int missing;        // message when the list is absent; 0: may be absent
  bool every;         // test every given value, not only the first
  bool bound_arg;
  bool second_byte;   // a single value given through the slot's second byte
};
// False after the test's message.
bool kes_param_ok(const kes_stmt* s, const kes_param_test& t);
// The ORDER= value count of the vertical axis definition of the request's layout.
int kes_layout_vorder_count(const kes_preq* request);
// The VAXIS= value count the vertical axis can use: the list's, after its notes (0 when
// it has fewer than two values, or they do not increase by equal steps); without a
// list, the ORDER= count of the axis definition VAXIS= names.
int kes_vertical_values(const kes_preq* request);
// The layout options of a plot statement: reference lines and labels, tick-label
// switches, frame fill, cells per panel. 0, 1 after a message, or 1016.
int kes_layout_options(kes_ctx* ctx, kes_preq* request);
// Tick values (VAXIS= lists, ORDER= values): increasing, with steps equal to the
// first within the rounding of the larger end value.
enum kes_steps : int { KES_STEPS_EQUAL = 0, KES_STEPS_NOT_INCREASING = 1, KES_STEPS_UNEQUAL = 2 };
int kes_tick_steps(const double* values, int n);
