// The statement slots of the families with a threshold: the threshold's and scale's
// value and marker slots, for tests that give or estimate them.
#pragma once
#include "kes_gram_names.h"
#include "records/kes_curve.h"

namespace kes_test {

struct threshold_family {
  const char* name;
  int dist, theta, theta_marks, sigma, sigma_marks;
};
inline const threshold_family kLognormal{"lognormal", KES_DIST_LOGNORMAL, KES_PLOT_SLOT_LOGNORMAL_THETA,
                                         KES_PLOT_SLOT_LOGNORMAL_THETA_MARKS, KES_PLOT_SLOT_LOGNORMAL_SIGMA,
                                         KES_PLOT_SLOT_LOGNORMAL_SIGMA_MARKS};
inline const threshold_family kWeibull{"weibull", KES_DIST_WEIBULL, KES_PLOT_SLOT_WEIBULL_THETA,
                                       KES_PLOT_SLOT_WEIBULL_THETA_MARKS, KES_PLOT_SLOT_WEIBULL_SIGMA,
                                       KES_PLOT_SLOT_WEIBULL_SIGMA_MARKS};
inline const threshold_family kGamma{"gamma", KES_DIST_GAMMA, KES_PLOT_SLOT_GAMMA_THETA, KES_PLOT_SLOT_GAMMA_THETA_MARKS,
                                     KES_PLOT_SLOT_GAMMA_SIGMA, KES_PLOT_SLOT_GAMMA_SIGMA_MARKS};
inline const threshold_family kBeta{"beta", KES_DIST_BETA, KES_PLOT_SLOT_BETA_THETA, KES_PLOT_SLOT_BETA_THETA_MARKS,
                                    KES_PLOT_SLOT_BETA_SIGMA, KES_PLOT_SLOT_BETA_SIGMA_MARKS};
inline const threshold_family kExponential{"exponential", KES_DIST_EXPONENTIAL, KES_PLOT_SLOT_EXPONENTIAL_THETA,
                                           KES_PLOT_SLOT_EXPONENTIAL_THETA_MARKS, KES_PLOT_SLOT_EXPONENTIAL_SIGMA,
                                           KES_PLOT_SLOT_EXPONENTIAL_SIGMA_MARKS};

}  // namespace kes_test
