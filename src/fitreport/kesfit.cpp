// kesfit(ctx): the fitted-distribution report and OUTHISTOGRAM rows of the current
// histogram request.
//
// Not built yet: nothing is written.
#include "fitreport/kes_fitreport.h"

int kesfit(kes_ctx*) {
  return 0;
}
