// zplbtnc.h - noncentral t distribution function P(T <= t), T = (Z + nc)/sqrt(V/df).
//   int zplbtnc(double t, double df, double nc, double* p)
//     0 ok, *p = P(T <= t) in [0, 1]; 1 failure, *p = the toolkit missing value
//   int T_EntryProbNoScale(double u, void* context, double* value)
//     integrand of the integral form (context: a ztnc_req with nc, s, half_df,
//     half_df_m1, lg_half_df set); Phi(sqrt(u) s - nc) times the gamma(df/2) density at u;
//     always 0
//   int ComputePartialSeries(double t, double df, double nc, int k, double tau,
//                            double* summed, double* closed)
//     one parity of the Poisson-mixture series from start index k; 0 ok, 1 failure
// Details: see zplbtnc.cpp.
#pragma once

int zplbtnc(double t, double df, double nc, double* p);
int T_EntryProbNoScale(double u, void* context, double* value);
int ComputePartialSeries(double t, double df, double nc, int k, double tau, double* summed,
                         double* closed);
