// The threshold of a maximum-likelihood fit found on the profile of the likelihood
// (see zfit_profile.cpp).
#pragma once
#include <cmath>

#include "fit/zfit.h"
#include "fit/zfit_ml.h"

// A family's profile at the threshold min - d (d > 0 the distance below the smallest
// value): log L maximised over the family's other estimated parameters (their values
// into rest), and the derivative of log L in the threshold there. False where the
// profile has no value (the inner maximum not reached; budget tells whether its
// iterations ran out).
// noise: the rounding log L may carry there (0 where it keeps its digits); a grid
// point is a maximum only where it stands above a neighbour by more.
struct zfit_profile_at {
  double logl, slope, noise;
  double rest[3];
  bool ok, budget;
};
struct zfit_profile_family {
  zfit_profile_at (*at)(const zfit_work* w, double d, const void* ctx);
  const void* ctx;
  // Whether rest holds an interior point of the other parameters (inside their bounds).
  bool (*inside)(const zfit_profile_at& p, const void* ctx);
  // The largest distance (the beta law's threshold with its scale given: the support
  // must hold the largest value); 0 for none.
  double limit;
  // log L of the law the family tends to as the threshold moves away from the data
  // without end (the normal law where both other parameters are estimated), with the
  // rounding it may carry; -infinity where there is none.
  double limit_logl = -INFINITY;
  double limit_noise = 0.0;
};

// The result: the distance of the threshold below the smallest value and the profile
// there, whether the likelihood also rises without bound as the threshold nears the
// smallest value, or why there is no interior maximum.
struct zfit_profile_fit {
  double d;
  zfit_profile_at at;
  bool rises_at_min;
  zfit_ml_end why;
};

// Searches the profile over the threshold on a grid of distances in units of the
// range, from 1e-8 to 1e6 ranges below the smallest value (with a limit, up to it and
// toward it by the same steps), refines each local maximum
// of the grid to the change of sign of the profile's slope and takes the largest
// interior one. Without a limit a maximum counts only where its log L stands above the
// limit law's and above the profile farther out by more than their rounding: a rise
// toward the limit law that the doubles cannot tell from flat is no maximum, however
// far out its noise peaks. 0 found; 1 none, with fit->why the reason.
int zfit_profile_search(const zfit_work* w, const zfit_profile_family& fam, zfit_profile_fit* fit);

// log L of the normal law at its maximum over the values: the limit of the lognormal
// and gamma laws as their threshold moves away from the data; *noise its rounding.
double zfit_normal_limit_logl(const zfit_work* w, double* noise);

// Whether log L at a maximum of several parameters found by the engine, with its
// rounding, stands above the normal limit's by more than the rounding of either: a
// law that tends to the normal as its shapes grow (Johnson SU, the beta with both ends
// estimated) has no maximum to report where the doubles cannot tell it above the limit.
bool zfit_above_normal_limit(const zfit_work* w, double logl, double noise);

// Records, for the note of the estimate's frame, that a fit is reported at an interior
// maximum where the likelihood also rises without bound as the threshold nears the
// smallest value (at_max: as the upper end nears the largest).
void zfit_profile_rise(zfit_work* w, bool rises, bool at_max = false);
