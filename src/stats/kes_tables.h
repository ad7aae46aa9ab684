// The descriptive tables of a step: the row buffer every column is bound to, the
// table handles, the widths of the label columns, and the routines that define the
// tables once per step and fill them per variable.
#pragma once
#include <cstdint>

struct kes_ctx;
struct kes_stats;
struct kes_valview;

// Bytes of a character cell of the row buffer.
constexpr int KES_ROWTEXT = 40;
// Numeric cells of the row buffer (num1..num9).
constexpr int KES_ROWNUMS = 9;

// The row buffer: every column of every descriptive table reads exactly one cell.
struct kes_rowbuf {
  char text1[KES_ROWTEXT];
  char text2[KES_ROWTEXT];
  char text3[KES_ROWTEXT];
  char sign[4];                 // first byte: relation of a p-value ('<', '>' or blank)
  double num[KES_ROWNUMS];      // num[0] is num1 ... num[8] is num9
};

// Text handles of the fitted-distribution tables: three rows of five.
struct kes_fitlabels {
  void* text[15];
};

// Table handles, in this order.
enum kes_tabid : int {
  KES_TAB_QUANTILES = 0,
  KES_TAB_MEASURES,
  KES_TAB_MODES,
  KES_TAB_INTERVALS,
  KES_TAB_ROBUST,
  KES_TAB_LOCATION,
  KES_TAB_LOCCOUNT,
  KES_TAB_NORMAL,
  KES_TAB_TRIMMED,
  KES_TAB_WINSORIZED,
  KES_TAB_EXTOBS,
  KES_TAB_EXTVAL,
  KES_TAB_MISSING,
  KES_TAB_FREQ,
  KES_NTABLES,
};

// Display widths of the label columns (longest label of each kind).
struct kes_tabwidths {
  int quantile;
  int locmeasure;
  int varmeasure;
  int interval;
  int robust;
  int loctest, locsym, locp;
  int loccount;
  int nrmtest, nrmsym, nrmp;
};

struct kes_tables {
  kes_rowbuf row;
  void* handle[KES_NTABLES];    // null while a table is not defined
  kes_tabwidths width;
  kes_fitlabels* fitlabels;     // from the plot-statement pass, or null
  int fitlabels_wanted;         // the HISTOGRAM check asks for the fit labels
  void* bound;                  // the last bound output
  // ID cells of ExtremeObs: numeric values by ID variable, character values at each
  // variable's offset, for the low and the high side.
  double* low_idnum;
  double* high_idnum;
  char* low_idchar;
  char* high_idchar;
};

// Defines the descriptive tables; returns the result of the last definition.
int kesxvem(kes_ctx* ctx);

// Table builders, each returning its end-of-definition result.
int KesLoc(kes_ctx* ctx);
int KesLocCnt(kes_ctx* ctx);
int KesQnts(kes_ctx* ctx);
int KesMeas(kes_ctx* ctx);
int KesMode(kes_ctx* ctx);
int KesIntvl(kes_ctx* ctx);
int KesRobScl(kes_ctx* ctx);
int KesNrm(kes_ctx* ctx);
int KesTwm(kes_ctx* ctx, int kind);  // 1 TrimmedMeans, 2 WinsorizedMeans
int KesExtObs(kes_ctx* ctx);
int KesExtVal(kes_ctx* ctx);
int KesMiss(kes_ctx* ctx);
int KesFreq(kes_ctx* ctx);

// Prints the tables of the current variable (unless NOPRINT); the last output result.
int kesprt(kes_ctx* ctx, kes_stats* st);
// Heading lines of analysis variable v.
void keshdr(kes_ctx* ctx, int v);
// Moments and the descriptive tables of the current variable.
int zkestab(kes_ctx* ctx, kes_stats* st);
// Modes, missing-values and frequency tables.
void zkesmod(kes_ctx* ctx, const kes_valview* values, int m);
void zkesmis(kes_ctx* ctx, const kes_valview* values, double nmiss, double total);
// The percents of the frequency table are of total, or with a WEIGHT variable of the
// view's weights.
void zkesfrq(kes_ctx* ctx, const kes_valview* values, double total);
