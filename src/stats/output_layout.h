// The OUTPUT statement node as the OUTPUT data sets read it, and the layout of the
// OUTPUT value array: shared by the set-up (kesgout), the gathering of a variable's
// values (kesouts) and the writing of observations (kesout).
//
// Value array, per OUTPUT statement in input order: for each keyword slot in order,
// one position per listed name (at most one per analysis variable); then per
// PCTLPRE= prefix (at most one per analysis variable) one position per PCTLPTS=
// point, in the order the points were given.
#pragma once

#include "kes_gram_names.h"
#include "stats/statistics.h"

struct kes_ctx;
struct kes_stats;
struct kes_stmt;
struct kes_optslot;
struct host_access;

// A slot the grammar leaves unused: the set-up keeps the statement's access record
// in its list word and the number of variables defined in its count.
constexpr int KES_OUT_SLOT_ACCESS = KES_OUT_SLOT_LAST + 1;
static_assert(KES_OUT_SLOT_ACCESS > KES_OUT_SLOT_LAST, "the access slot lies past the statistics");

// Longest name of a percentile variable.
constexpr int KES_PCTL_NAME_MAX = 31;

// True for an OUTPUT statement node.
bool kes_is_output(const kes_stmt* s);
// Names of keyword slot k that receive a value: min(listed names, nvars).
int kes_out_names(const kes_stmt* s, int k, int nvars);
// PCTLPTS= points of the statement (0 unless PCTLPRE= is given too).
int kes_out_points(const kes_stmt* s);
// PCTLPRE= prefixes that receive values: min(prefixes, nvars), 0 without points.
int kes_out_prefixes(const kes_stmt* s, int nvars);
// Positions of the statement in the OUTPUT value array.
int kes_out_positions(const kes_stmt* s, int nvars);
// The access record the set-up kept for the statement; null when none was defined.
host_access* kes_out_access(const kes_stmt* s);

// Puts the bound values of an output data set into an observation and writes it:
// the access record's own put routine when it has one, else xyvput; a failed write
// goes to xofprc. 0, or 1 when the write failed.
int kes_put_observation(host_access* acc);

// The statistic of keyword slot k (KES_OUT_SLOT_FIRST..LAST) in the statistics record.
double kes_out_stat(const kes_stats* st, int k);
// Catalogue entry (KES_SET_LABEL) of the label of keyword slot k; 0 outside.
int kes_out_label_msg(int k);
// The option of keyword slot k as written ("MEAN="); null outside the keyword slots.
const char* kes_out_option(int k);

// The text of percentile point p (a percentage) in a variable name: the whole
// number when p is one, else one or two decimals, the point written as "_" (95 gives
// "95", 97.5 "97_5", 99.95 "99_95"). With dot set the point stays "." (for labels).
// Returns the length written into buf (NUL-terminated, size at least 32).
int kes_pctl_text(double p, char* buf, int size, bool dot);
