// The family function sets, one per built family (kes_famdisp selects them by code),
// and the members each family's two files define.
#pragma once
#include "fit/kes_famfn.h"

extern const kes_famfn kes_fam_normal;
extern const kes_famfn kes_fam_exponential;

// Normal family.
int kesnest(kes_ctx* ctx, kes_preq* request, kes_cell* cell, double low, double high, double* height);
double kesnp(const double* params, double z);
double kesnplt(double x, double c, const double* params);
double kesnq(kes_ctx* ctx, kes_plotslot* slot, double p);
int kesnx(const double* params, double p, double* out);
void kesedfn(kes_ctx* ctx, kes_preq* request, kes_cell* cell);
void kesmidn(kes_ctx* ctx, kes_preq* request, kes_cell* cell);
void kesntbl(kes_ctx* ctx, kes_cell* cell);
double kesnpct(kes_ctx* ctx, kes_cell* cell, double percent);

// Exponential family.
int keseest(kes_ctx* ctx, kes_preq* request, kes_cell* cell, double low, double high, double* height);
double kesep(const double* params, double z);
double keseplt(double x, double c, const double* params);
double keseq(kes_ctx* ctx, kes_plotslot* slot, double p);
int kesex(const double* params, double p, double* out);
void kesedfe(kes_ctx* ctx, kes_preq* request, kes_cell* cell);
void kesmide(kes_ctx* ctx, kes_preq* request, kes_cell* cell);
void kesetbl(kes_ctx* ctx, kes_cell* cell);
double kesepct(kes_ctx* ctx, kes_cell* cell, double percent);
