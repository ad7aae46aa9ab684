// The name of each distribution family by its code (kes_distcode) as insets, template
// graphs and fit tables show it, and that of the kernel estimate (set KES_SET_LABEL).
#pragma once

#include "kes_msg_names.h"
#include "records/kes_curve.h"

inline constexpr int KES_FAMILY_NAMES[KES_DIST_KERNEL + 1] = {
    KES_MSG_FAMILY_NAME_NORMAL, KES_MSG_FAMILY_NAME_LOGNORMAL, KES_MSG_FAMILY_NAME_EXPONENTIAL,
    KES_MSG_FAMILY_NAME_WEIBULL, KES_MSG_FAMILY_NAME_GAMMA,   KES_MSG_FAMILY_NAME_BETA,
    KES_MSG_FAMILY_NAME_SB,     KES_MSG_FAMILY_NAME_SU,        KES_MSG_FAMILY_NAME_WEIBULL2,
    KES_MSG_KERNEL_NAME};

// The name's message, or 0 (no text) for a code that is no family.
inline int kes_family_name(int code) {
  return code >= 0 && code <= KES_DIST_KERNEL ? KES_FAMILY_NAMES[code] : 0;
}
