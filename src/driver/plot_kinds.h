// The five plot kinds in one table: the prefix that tells their statements apart,
// their request count in the context, the stage that runs each request and the checks
// each request runs after kesvchk and kesgchk. Their statements' names are
// kes_plot_statements (records/kes_preq.h).
#pragma once
#include <cstring>

#include "driver/plot_checks.h"
#include "host/kes_stmt.h"
#include "records/kes_ctx.h"
#include "records/kes_preq.h"
#include "records/kes_stages.h"

struct kes_plot_kind {
  kes_plottype type;
  const char* prefix;
  int prefix_len;
  int kes_ctx::*count;
  int (*kes_stages::*run)(kes_ctx*, int);
  int (*checks[2])(kes_ctx*, kes_preq*);
};

// ORDER kes_plottype: entry type - 1.
inline constexpr kes_plot_kind kes_plot_kinds[KES_PLOT_KINDS] = {
    {KES_PLOT_QQ, "QQ", 2, &kes_ctx::nqq, &kes_stages::kesqini, {kesqchk, nullptr}},
    {KES_PLOT_HISTOGRAM, "HIST", 4, &kes_ctx::nhist, &kes_stages::keshini, {keshchk, nullptr}},
    {KES_PLOT_CDF, "CDF", 3, &kes_ctx::ncdf, &kes_stages::kescini, {keschk1, kescchk}},
    {KES_PLOT_PROB, "PROB", 4, &kes_ctx::nprob, &kes_stages::kespini, {kesqchk, kespchk}},
    {KES_PLOT_PP, "PP", 2, &kes_ctx::npp, &kes_stages::keszini, {keschk1, keszchk}},
};
static_assert([] {
  for (int i = 0; i < KES_PLOT_KINDS; ++i)
    if (kes_plot_kinds[i].type != i + 1) return false;
  return true;
}());

// The order requests are made and run in: histograms first (they alone work without
// graphics), then each other kind; within a kind, statement order.
inline constexpr kes_plottype kes_request_order[KES_PLOT_KINDS] = {KES_PLOT_HISTOGRAM, KES_PLOT_QQ, KES_PLOT_CDF,
                                                                   KES_PLOT_PROB, KES_PLOT_PP};

inline const kes_plot_kind& kes_plot_kind_of(kes_plottype type) { return kes_plot_kinds[type - 1]; }

// The kind of a plot statement, or null for any other statement.
inline const kes_plot_kind* kes_plot_kind_of(const kes_stmt* s) {
  for (const kes_plot_kind& k : kes_plot_kinds)
    if (std::memcmp(s->name, k.prefix, static_cast<size_t>(k.prefix_len)) == 0) return &k;
  return nullptr;
}
