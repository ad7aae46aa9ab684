// The coefficient tables of the EDF tests whose critical values depend on a fitted
// shape (gamma, lognormal and Weibull fits with estimated parameters): their
// polynomial forms, their sizes, and the tables as read from one text per family
// (built in from src/fitreport/edf_tables, which tools/edfgen makes).
//
// A table text holds, for each table, its name (dcoef1, w2coef1, a2coef1, ... up to
// dcoef7, w2coef7, a2coef7, and dcoef61, w2coef61, a2coef61 for the lognormal's
// second set of case 6) followed by its numbers: r rows of 11 coefficients, one per
// level .5 .25 .2 .15 .1 .05 .025 .01 .005 .0025 .001, then the scalars of the form,
// then zeros up to the table's size. Text from '#' to the end of a line is a comment.
#pragma once

enum kes_coeffam : int { KES_COEF_GAMMA = 0, KES_COEF_LOGNORMAL = 1, KES_COEF_WEIBULL = 2 };

// The set of a case: 1..7, or 61 for the lognormal's second set of case 6.
// Replaces the tables a table text names for a family: 0, or 1 when a table has an
// unknown name or the wrong number of values (the family's tables are then left as
// they were; *bad names the first fault). The tables built into the module are read on a
// family's first need; a family read before that has only the tables read.
int kes_edf_coef_read(int family, const char* text, const char** bad);
// Forgets every table read, and the notes of missing tables already written; the
// built-in tables are read again on the next need.
void kes_edf_coef_clear();
// The 11 critical values of statistic stat (0 sqrt(n) D, 1 W-Sq, 2 A-Sq) of a set at
// the shape and sample size: true, or false when the table is not there.
bool kes_edf_coef_crit(int family, int set, int stat, double shape, double n, double* crit);
// True the first time a family's set is found without tables (the caller's note).
bool kes_edf_coef_first_miss(int family, int set);

// The form of a table, for the program that makes the tables: the values of its
// terms at the shape and sample size, rows first (*nrows of them, each multiplying a
// row of 11), then the shared scalars; *size the number of values in the table. 0
// terms when the family has no such table.
int kes_edf_coef_terms(int family, int set, int stat, double shape, double n, double* v, int* nrows, int* size);
// The text of the tables built into the module for a family (empty when none).
const char* kes_edf_coef_builtin(int family);
