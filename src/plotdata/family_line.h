// The line of a QQ, probability, P-P or CDF plot's family as its statement restyles it:
// the family's single COLOR=, W= and L= values, read alike by the device chart and the
// template graphs.
#pragma once
#include <iterator>

#include "kes_gram_names.h"
#include "records/kes_curve.h"

struct kes_stmt;

struct kes_family_line {
  bool color_given = false;
  char color[8] = {};  // blank-padded colour name
  bool width_given = false;
  int width = 1;       // W= truncated, at least 1
  bool type_given = false;
  int type = 1;        // L= truncated, 1 for a negative value
};

// COLOR=, W= and L= option slots by element kind (0..7 families, 8 two-parameter
// Weibull, 9 kernel). ORDER kes_distcode
inline constexpr int kes_family_color_slots[] = {
    KES_PLOT_SLOT_NORMAL_COLOR, KES_PLOT_SLOT_LOGNORMAL_COLOR, KES_PLOT_SLOT_EXPONENTIAL_COLOR,
    KES_PLOT_SLOT_WEIBULL_COLOR, KES_PLOT_SLOT_GAMMA_COLOR, KES_PLOT_SLOT_BETA_COLOR, KES_PLOT_SLOT_SB_COLOR,
    KES_PLOT_SLOT_SU_COLOR, KES_PLOT_SLOT_WEIBULL2_COLOR, KES_PLOT_SLOT_KERNEL_COLOR};
inline constexpr int kes_family_width_slots[] = {
    KES_PLOT_SLOT_NORMAL_W, KES_PLOT_SLOT_LOGNORMAL_W, KES_PLOT_SLOT_EXPONENTIAL_W, KES_PLOT_SLOT_WEIBULL_W,
    KES_PLOT_SLOT_GAMMA_W, KES_PLOT_SLOT_BETA_W, KES_PLOT_SLOT_SB_W, KES_PLOT_SLOT_SU_W, KES_PLOT_SLOT_WEIBULL2_W,
    KES_PLOT_SLOT_KERNEL_W};
inline constexpr int kes_family_line_slots[] = {
    KES_PLOT_SLOT_NORMAL_L, KES_PLOT_SLOT_LOGNORMAL_L, KES_PLOT_SLOT_EXPONENTIAL_L, KES_PLOT_SLOT_WEIBULL_L,
    KES_PLOT_SLOT_GAMMA_L, KES_PLOT_SLOT_BETA_L, KES_PLOT_SLOT_SB_L, KES_PLOT_SLOT_SU_L, KES_PLOT_SLOT_WEIBULL2_L,
    KES_PLOT_SLOT_KERNEL_L};
static_assert(std::size(kes_family_color_slots) == KES_DIST_KERNEL + 1 &&
                  std::size(kes_family_width_slots) == KES_DIST_KERNEL + 1 &&
                  std::size(kes_family_line_slots) == KES_DIST_KERNEL + 1,
              "one slot per distribution code");

// The options of family dist (0..8) on the plot statement; nothing given for another code.
kes_family_line kes_family_line_of(const kes_stmt* st, int dist);
