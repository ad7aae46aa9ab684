// The statistics engines called with the ascending distinct-value list (or with a
// flag choosing between the list and arrays), for callers that hold a list. Each copies
// the list once and runs the engine's array form: there is one computation per engine.
#pragma once
struct kes_moments;
struct kes_nrmres;
struct kes_qntblk;
struct kes_twmres;
struct kes_valnode;
struct kes_varsum;
struct kes_locres;

// zkesqnt_arrays over the list at head, whose nodes are linked back through their right
// links. The first and fifth arguments are unused (0). Returns 0, or 1 when the copy
// cannot be had (then only the back links, the tail and the count are set).
int zkesqnt(int unused, int def, const kes_moments* mom, kes_valnode* head, int unused2, kes_qntblk* q);

// zkesmnt_arrays over the list of rec; without room for the copy skewness and kurtosis
// stay missing.
int zkesmnt(const kes_varsum* rec, const char vardef[8], kes_valnode** head, kes_valnode** missing, kes_moments* out);

// zkesloc_arrays over the list at head; without room for the copy, t alone.
void zkesloc(const kes_moments* mom, const kes_valnode* head, double mu0, int weighted, int ranks, kes_locres* out);

// kesscl_arrays over the m distinct values of the ascending list (array == 0) or of the
// ascending values with their frequencies (array != 0; freqs may be null: each 1).
// dwork holds 2m doubles, iwork 2m + 1 ints: the values, weights and frequencies are copied
// there, so no memory is taken.
int kesscl(int array, int pctldef, int m, const kes_valnode* list, const double* values, const int* freqs,
           double* dwork, int* iwork, double* res, int skipqn);

// zkestwm_arrays over the list head.. (array == 0) or the arrays (array != 0; freqs may
// be null: each 1). Without room for the copy only the amount, its count and percent
// are given.
int zkestwm(int array, int m, const kes_moments* mom, const kes_valnode* head, const kes_valnode* tail,
            const double* values, const int* freqs, int trimmed, double amount, double mu0, double alpha,
            kes_twmres* res);

// zkesnrm_arrays over the list (array == 0) or the arrays (array != 0; freqs may be
// null: each 1). Without room for the copy every result is missing.
void zkesnrm(int array, int m, const kes_moments* mom, const kes_valnode* list, const double* values, const int* freqs,
             int ncase, int print, double mu, double sigma, kes_nrmres* res);
