// kesout(ctx, 49) -> int: one observation per OUTPUT statement from the context's
// OUTPUT values; 0, or 1 after a write failure (the step ends).
//
// Until the OUTPUT data sets are written this body records the call, with the CLASS
// key texts and the first OUTPUT value, and returns the results set in the stand-in
// record (driver/placeholder_hooks.h).
#include "stats/output_dataset.h"

#include <cmath>

#include "driver/kes_ctx.h"
#include "driver/kes_text.h"
#include "driver/placeholder_hooks.h"

int kesout(kes_ctx* ctx, int) {
  char keys[80];
  int n = 0;
  const kes_classvars* cv = ctx->classvars;
  for (int i = 0; cv && i < cv->count; ++i) {
    const kes_textdesc& k = cv->var[i].key;
    int len = wzstrip(k.text, k.width);
    if (len > 30) len = 30;
    if (i > 0) keys[n++] = '/';
    for (int j = 0; j < len; ++j) keys[n++] = k.text[j];
  }
  keys[n] = '\0';
  const double v = ctx->outvals ? ctx->outvals[0] : NAN;
  if (std::isnan(v)) kes_ph_trace("out(%s:.);", keys);
  else kes_ph_trace("out(%s:%g);", keys, v);
  return kes_ph_next(kes_ph.kesout);
}
