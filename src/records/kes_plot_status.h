// What a plot driver or a renderer returns: a step code in the low bits, and above
// them bits of the renderer's own (the sign bit flags a severe status) that never
// decide what the step does next. Every reader of such a result goes through here.
#pragma once
#include "host/step_codes.h"

enum kes_plot_status_bits : unsigned {
  KES_PLOT_STATUS_CODE = 0x003fffffu,    // the step code
  KES_PLOT_STATUS_SEVERE = 0x80000000u,  // a severe status
};

// The step code of a plot result.
inline int kes_plot_code(int result) {
  return static_cast<int>(static_cast<unsigned>(result) & KES_PLOT_STATUS_CODE);
}

// True when a plot result ends the step: memory ran out, or the data or the device
// failed it.
inline bool kes_plot_ends_step(int result) {
  const int code = kes_plot_code(result);
  return code == KES_RC_OUT_OF_MEMORY || code == KES_RC_STEP_FAILED;
}
