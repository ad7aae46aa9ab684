// The complete family function sets: each joins the fitting members of its family
// (fit/) with the report members defined here (EDF tests, expected bin percents,
// tables, fitted percentiles), so the fitting code never reaches a report.
#pragma once
#include "fit/kes_famfn.h"
#include "fit/family/kes_families.h"
#include "fit/family/kes_johnson.h"

extern const kes_famfn kes_fam_normal;
extern const kes_famfn kes_fam_exponential;
extern const kes_famfn kes_fam_lognormal;
extern const kes_famfn kes_fam_weibull;
extern const kes_famfn kes_fam_weibull2;
extern const kes_famfn kes_fam_gamma;
extern const kes_famfn kes_fam_beta;
extern const kes_famfn kes_fam_sb;
extern const kes_famfn kes_fam_su;

// The set of a distribution code, or null: code 9 (the kernel) or a code outside 0..8.
const kes_famfn* kes_famdisp(int code);

// Results of kesgden.
constexpr int KES_CURVE_WHOLE = 0;  // the curve is drawn whole (the renderer cuts it at the frame)
constexpr int KES_CURVE_NONE = 2;   // no curve: its constant cannot be formed (no points)

// Up to *count (x, y) pairs of curve k of the cell between a and b; *count becomes
// the number written. KES_CURVE_WHOLE or KES_CURVE_NONE.
int kesgden(kes_ctx* ctx, kes_cell* cell, double* points, double a, double b, int* count,
            int k);

// The fitted quantile of the cell's current curve of the current request at a percent
// (0 < percent < 100), from the law of code; missing where it does not exist.
double kes_law_pct(kes_ctx* ctx, kes_cell* cell, int code, double percent);
template <int Code>
double kes_lawfn_pct(kes_ctx* ctx, kes_cell* cell, double percent) {
  return kes_law_pct(ctx, cell, Code, percent);
}
constexpr auto kesnpct = kes_lawfn_pct<KES_DIST_NORMAL>;
constexpr auto keslpct = kes_lawfn_pct<KES_DIST_LOGNORMAL>;
constexpr auto kesepct = kes_lawfn_pct<KES_DIST_EXPONENTIAL>;
constexpr auto keswpct = kes_lawfn_pct<KES_DIST_WEIBULL>;
constexpr auto kesgpct = kes_lawfn_pct<KES_DIST_GAMMA>;
constexpr auto kesbpct = kes_lawfn_pct<KES_DIST_BETA>;
constexpr auto kesvpct = kes_lawfn_pct<KES_DIST_SB>;
constexpr auto kesupct = kes_lawfn_pct<KES_DIST_SU>;

// The report members of every family.
void kesedfn(kes_ctx* ctx, kes_preq* request, kes_cell* cell);
void kesmidn(kes_ctx* ctx, kes_preq* request, kes_cell* cell);
void kesntbl(kes_ctx* ctx, kes_cell* cell);
void kesedfe(kes_ctx* ctx, kes_preq* request, kes_cell* cell);
void kesmide(kes_ctx* ctx, kes_preq* request, kes_cell* cell);
void kesetbl(kes_ctx* ctx, kes_cell* cell);
void kesedfl(kes_ctx* ctx, kes_preq* request, kes_cell* cell);
void kesmidl(kes_ctx* ctx, kes_preq* request, kes_cell* cell);
void kesltbl(kes_ctx* ctx, kes_cell* cell);
void kesedfw(kes_ctx* ctx, kes_preq* request, kes_cell* cell);
void kesmidw(kes_ctx* ctx, kes_preq* request, kes_cell* cell);
void keswtbl(kes_ctx* ctx, kes_cell* cell);
void kesedfg(kes_ctx* ctx, kes_preq* request, kes_cell* cell);
void kesmidg(kes_ctx* ctx, kes_preq* request, kes_cell* cell);
void kesgtbl(kes_ctx* ctx, kes_cell* cell);
void kesedfb(kes_ctx* ctx, kes_preq* request, kes_cell* cell);
void kesmidb(kes_ctx* ctx, kes_preq* request, kes_cell* cell);
void kesbtbl(kes_ctx* ctx, kes_cell* cell);
void kesedfv(kes_ctx* ctx, kes_preq* request, kes_cell* cell);
void kesmidv(kes_ctx* ctx, kes_preq* request, kes_cell* cell);
void kesvtbl(kes_ctx* ctx, kes_cell* cell);
void kesedfu(kes_ctx* ctx, kes_preq* request, kes_cell* cell);
void kesmidu(kes_ctx* ctx, kes_preq* request, kes_cell* cell);
void kesutbl(kes_ctx* ctx, kes_cell* cell);
