// The texts of the distribution families by family code (kes_distcode), one table for
// each use, so that every text is reached by its message name.
#pragma once

#include "kes_msg_names.h"
#include "records/kes_curve.h"

// Set KES_SET_LABEL: the family's name as insets, template graphs and fit tables show
// it, then that of the kernel estimate.
inline constexpr int KES_FAMILY_NAMES[KES_DIST_KERNEL + 1] = {
    KES_MSG_FAMILY_NAME_NORMAL,  KES_MSG_FAMILY_NAME_LOGNORMAL, KES_MSG_FAMILY_NAME_EXPONENTIAL,
    KES_MSG_FAMILY_NAME_WEIBULL, KES_MSG_FAMILY_NAME_GAMMA,     KES_MSG_FAMILY_NAME_BETA,
    KES_MSG_FAMILY_NAME_SB,      KES_MSG_FAMILY_NAME_SU,        KES_MSG_FAMILY_NAME_WEIBULL2,
    KES_MSG_KERNEL_NAME};

// Set KES_SET_PROC: the family labels of the step (ctx->statlabel), then the kernel's.
inline constexpr int KES_FAMILY_STAT_LABELS[KES_DIST_KERNEL + 1] = {
    KES_MSG_STAT_LABEL_NORMAL,  KES_MSG_STAT_LABEL_LOGNORMAL, KES_MSG_STAT_LABEL_EXPONENTIAL,
    KES_MSG_STAT_LABEL_WEIBULL, KES_MSG_STAT_LABEL_GAMMA,     KES_MSG_STAT_LABEL_BETA,
    KES_MSG_STAT_LABEL_SB,      KES_MSG_STAT_LABEL_SU,        KES_MSG_STAT_LABEL_WEIBULL2,
    KES_MSG_STAT_LABEL_KERNEL};

// Set KES_SET_PLOT, for the fitted families (codes up to KES_DIST_SU): the headings of a
// fit's report ("Fitted ... Distribution", numbered, and for a variable), its short
// name, and its title in CDF plots.
struct kes_fit_texts {
  int title, title_numbered, title_for_var, short_name, dist_title;
};
inline constexpr kes_fit_texts KES_FIT_TEXTS[KES_DIST_SU + 1] = {
    {KES_MSG_FIT_TITLE_NORMAL, KES_MSG_FIT_TITLE_NUMBERED_NORMAL, KES_MSG_FIT_TITLE_FOR_VAR_NORMAL,
     KES_MSG_SHORT_NAME_NORMAL, KES_MSG_DIST_TITLE_NORMAL},
    {KES_MSG_FIT_TITLE_LOGNORMAL, KES_MSG_FIT_TITLE_NUMBERED_LOGNORMAL, KES_MSG_FIT_TITLE_FOR_VAR_LOGNORMAL,
     KES_MSG_SHORT_NAME_LOGNORMAL, KES_MSG_DIST_TITLE_LOGNORMAL},
    {KES_MSG_FIT_TITLE_EXPONENTIAL, KES_MSG_FIT_TITLE_NUMBERED_EXPONENTIAL, KES_MSG_FIT_TITLE_FOR_VAR_EXPONENTIAL,
     KES_MSG_SHORT_NAME_EXPONENTIAL, KES_MSG_DIST_TITLE_EXPONENTIAL},
    {KES_MSG_FIT_TITLE_WEIBULL, KES_MSG_FIT_TITLE_NUMBERED_WEIBULL, KES_MSG_FIT_TITLE_FOR_VAR_WEIBULL,
     KES_MSG_SHORT_NAME_WEIBULL, KES_MSG_DIST_TITLE_WEIBULL},
    {KES_MSG_FIT_TITLE_GAMMA, KES_MSG_FIT_TITLE_NUMBERED_GAMMA, KES_MSG_FIT_TITLE_FOR_VAR_GAMMA,
     KES_MSG_SHORT_NAME_GAMMA, KES_MSG_DIST_TITLE_GAMMA},
    {KES_MSG_FIT_TITLE_BETA, KES_MSG_FIT_TITLE_NUMBERED_BETA, KES_MSG_FIT_TITLE_FOR_VAR_BETA, KES_MSG_SHORT_NAME_BETA,
     KES_MSG_DIST_TITLE_BETA},
    {KES_MSG_FIT_TITLE_SB, KES_MSG_FIT_TITLE_NUMBERED_SB, KES_MSG_FIT_TITLE_FOR_VAR_SB, KES_MSG_SHORT_NAME_SB,
     KES_MSG_DIST_TITLE_SB},
    {KES_MSG_FIT_TITLE_SU, KES_MSG_FIT_TITLE_NUMBERED_SU, KES_MSG_FIT_TITLE_FOR_VAR_SU, KES_MSG_SHORT_NAME_SU,
     KES_MSG_DIST_TITLE_SU},
};

// Set KES_SET_PLOT: the legend title of a Q-Q or probability plot's reference line.
inline constexpr int KES_LINE_LEGENDS[KES_DIST_WEIBULL2 + 1] = {
    KES_MSG_LINE_LEGEND_NORMAL,  KES_MSG_LINE_LEGEND_LOGNORMAL, KES_MSG_LINE_LEGEND_EXPONENTIAL,
    KES_MSG_LINE_LEGEND_WEIBULL, KES_MSG_LINE_LEGEND_GAMMA,     KES_MSG_LINE_LEGEND_BETA,
    KES_MSG_LINE_LEGEND_SB,      KES_MSG_LINE_LEGEND_SU,        KES_MSG_LINE_LEGEND_WEIBULL2};

// The names of the kernel types (normal, triangular, quadratic; set KES_SET_LABEL): the
// word the notes use, and the name in output rows.
inline constexpr int KES_KERN_WORDS[3] = {KES_MSG_KERNEL_WORD_NORMAL, KES_MSG_KERNEL_WORD_TRIANGULAR,
                                          KES_MSG_KERNEL_WORD_QUADRATIC};
inline constexpr int KES_KERN_CURVE_NAMES[3] = {KES_MSG_KERNEL_CURVE_NORMAL, KES_MSG_KERNEL_CURVE_TRIANGULAR,
                                                KES_MSG_KERNEL_CURVE_QUADRATIC};

// The family's name (KES_FAMILY_NAMES), or 0 (no text) for a code that is no family.
inline int kes_family_name(int code) { return code >= 0 && code <= KES_DIST_KERNEL ? KES_FAMILY_NAMES[code] : 0; }
