// The fitting engine's streamed mode: observations arrive in batches from the caller,
// the engine counts the statistics the fit needs, keeps the distinct values in a
// balanced tree when the fit reads them, and leaves the fitted curve as points in a
// pool that lives until zfittrm.
#pragma once
#include "fit/zfit.h"

// Observations per batch, and the callback result that marks the last batch.
constexpr int ZFIT_BATCH = 100;
constexpr int ZFIT_LAST_BATCH = 2049;

// Fills values (and freqs when the request uses frequencies) with up to *count
// observations and sets *count to the number delivered. 0: more follow; 2049: the last
// batch; anything else an error, which the engine returns unchanged.
typedef int (*zfit_batchfn)(zfit_req* req, double* values, double* freqs, int* count);
// Starts the observations again for another pass.
typedef void (*zfit_rewindfn)(zfit_req* req);

// The streamed mode, run by zfit for mode 0: 0 fitted, 1 not fitted (bad family, no
// observations, or the fit's failure), 1016 no memory, or the callback's error. The
// request's points (x, y pairs on the count scale, N w times the density) and its pool
// stay until zfittrm.
int zfit1(zfit_work* w);
// Releases the points and the pool of a streamed fit; harmless when there is none.
void zfittrm(zfit_req* req);
