// Return codes of a step. The module raises the step's code with a maximum; the host
// keeps the worst code it was told of, and the runner turns the worst code of a run
// into its exit status (0 to 4 clean, up to 999 warnings, above that failed).
#pragma once

enum kes_step_code : int {
  KES_RC_OK = 0,
  KES_RC_DATA_NOTE = 4,        // notes on the data
  KES_RC_VALUE_NOTE = 108,     // a value the step could not use (frequency, weight, sum), or a chart
                               // or inset row it left out (too few rows for the ticks, no rows for a BY group)
  KES_RC_NOT_COMPUTED = 112,   // a variable left without statistics
  KES_RC_WARNING_MAX = 999,    // the largest code that is only a warning
  KES_RC_BAD_OPTION = 1008,    // an option or statement check failed
  KES_RC_SETUP_FAILED = 1012,  // the step could not be set up (utility file, device, layout)
  KES_RC_OUT_OF_MEMORY = 1016,
  KES_RC_STEP_FAILED = 1020,       // the data or the device failed the step
  KES_RC_OUTPUT_UNDEFINED = 2000,  // an output data set, statement or chart layout the step cannot serve
  KES_RC_BAD_VALUE = 2001,         // an option value out of its range (PCTLPTS=, ROUND=)
  KES_RC_PLOT_WITH_WEIGHT = 3000,  // plot statements in a step with a WEIGHT variable
  KES_RC_INTERNAL = 9999,          // an internal impossibility
};
