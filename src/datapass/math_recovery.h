// Recovery from math exceptions in the data pass. Floating-point traps stay masked:
// an overflow or invalid operation shows as a result that is not finite, and each
// guarded computation tests its result right after it. The stage number says which
// computation failed and so what follows from it.
#pragma once
#include <cmath>

struct kes_ctx;

enum kes_stage : int {
  KES_STAGE_NONE = -1,
  KES_STAGE_PASS_TOTAL = 2,    // adding the frequency to the pass total: KES_MSG_FREQ_TOTAL_TOO_LARGE, pass ends
  KES_STAGE_ROUND = 3,         // rounding to a ROUND= increment: value missing, flag set
  KES_STAGE_SUMWGT = 10,       // new sum of weights: overflow code 4
  KES_STAGE_WX = 11,           // w*x: code 3
  KES_STAGE_SUM = 12,          // adding w*x to the sum: code 3
  KES_STAGE_DEV = 13,          // deviation from the mean before: code 2
  KES_STAGE_CSS = 14,          // adding to the corrected sum of squares: code 2
  KES_STAGE_USS = 15,          // adding to the uncorrected sum of squares: code 1
};

// True when a guarded result cannot be used.
inline bool kes_failed(double r) { return !std::isfinite(r); }

// The overflow code that a failure in stage s gives a record (0 for the stages that
// end the pass or belong to rounding).
int kes_stage_overflow_code(int stage);

// Writes what a failure in a pass-ending stage (2, or one not known) means and
// raises the return code; returns the pass result (1).
int kes_stage_abort(kes_ctx* ctx, int stage);
