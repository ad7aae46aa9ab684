// Slot and flag numbers of the plot statements that the statement pass reads; they
// are those of src/driver/grammar/statements_plot.grammar and plot_families.grammar.
#pragma once

// Slots.
constexpr int KES_PLOT_SLOT_VARS = 1;
constexpr int KES_PLOT_SLOT_ANNOTATE = 2;
constexpr int KES_PLOT_SLOT_OUTHISTOGRAM = 17;
constexpr int KES_PLOT_SLOT_MIDPOINTS = 18;
constexpr int KES_PLOT_SLOT_HAXIS = 19;
constexpr int KES_PLOT_SLOT_MAXSIGMAS = 20;
constexpr int KES_PLOT_SLOT_VSCALE = 21;
constexpr int KES_PLOT_SLOT_VAXIS_VALUES = 22;
constexpr int KES_PLOT_SLOT_CFRAME = 33;
constexpr int KES_PLOT_SLOT_ALPHAINITIAL = 54;
constexpr int KES_PLOT_SLOT_ALPHADELTA = 55;
constexpr int KES_PLOT_SLOT_RANKADJ = 58;
constexpr int KES_PLOT_SLOT_NADJ = 59;
constexpr int KES_PLOT_SLOT_LOGNORMAL_SLOPE = 60;
constexpr int KES_PLOT_SLOT_VAXIS_NAME = 62;
constexpr int KES_PLOT_SLOT_PCTLORDER = 66;
constexpr int KES_PLOT_SLOT_KERNEL_K = 71;
constexpr int KES_PLOT_SLOT_KERNEL_C = 72;
constexpr int KES_PLOT_SLOT_W2_SIGMA = 88;
constexpr int KES_PLOT_SLOT_W2_C = 89;
constexpr int KES_PLOT_SLOT_W2_SLOPE = 95;
constexpr int KES_PLOT_SLOT_LOGNORMAL_SLOPE_EST = 125;
constexpr int KES_PLOT_SLOT_SB_FITINTERVAL = 118;
constexpr int KES_PLOT_SLOT_SU_FITINTERVAL = 117;
constexpr int KES_PLOT_SLOT_SB_FITTOL = 160;
constexpr int KES_PLOT_SLOT_SU_FITTOL = 178;
constexpr int KES_PLOT_SLOT_MAXNBIN = 173;
constexpr int KES_PLOT_SLOT_NMIDPOINTS = 182;
constexpr int KES_PLOT_SLOT_NENDPOINTS = 183;
constexpr int KES_PLOT_SLOT_CINITIAL = 195;
constexpr int KES_PLOT_SLOT_CDELTA = 196;
constexpr int KES_PLOT_SLOT_BETA_TOL = 209;
constexpr int KES_PLOT_SLOT_ENDPOINTS = 210;
constexpr int KES_PLOT_SLOT_OUTKERNEL = 246;
// The W2 SLOPE= EST marker.
constexpr int KES_PLOT_SLOT_W2_SLOPE_EST = 141;

constexpr int KES_PLOT_SLOT_CGRID = 8;
constexpr int KES_PLOT_SLOT_LGRID = 9;
constexpr int KES_PLOT_SLOT_WGRID = 10;
constexpr int KES_PLOT_SLOT_HREF = 24;
constexpr int KES_PLOT_SLOT_VREF = 25;
constexpr int KES_PLOT_SLOT_HREFLABELS = 26;
constexpr int KES_PLOT_SLOT_VREFLABELS = 27;
constexpr int KES_PLOT_SLOT_CTEXT = 30;
constexpr int KES_PLOT_SLOT_NCOLS = 31;
constexpr int KES_PLOT_SLOT_NROWS = 32;
constexpr int KES_PLOT_SLOT_WAXIS = 44;
constexpr int KES_PLOT_SLOT_HOFFSET = 46;
constexpr int KES_PLOT_SLOT_VOFFSET = 47;

// Flags.
constexpr int KES_PLOT_FLAG_NOHLABEL = 27;
constexpr int KES_PLOT_FLAG_NOVLABEL = 28;
constexpr int KES_PLOT_FLAG_TURNVLABELS = 30;
constexpr int KES_PLOT_FLAG_NOVTICK = 32;
constexpr int KES_PLOT_FLAG_ROTATE = 60;
constexpr int KES_PLOT_FLAG_NOFRAME = 2;
constexpr int KES_PLOT_FLAG_NORMAL = 3;
constexpr int KES_PLOT_FLAG_LOGNORMAL = 4;
constexpr int KES_PLOT_FLAG_WEIBULL = 5;
constexpr int KES_PLOT_FLAG_EXPONENTIAL = 6;
constexpr int KES_PLOT_FLAG_NOBARS = 12;
constexpr int KES_PLOT_FLAG_PCTLSCALE = 17;
constexpr int KES_PLOT_FLAG_NOPLOT = 20;
constexpr int KES_PLOT_FLAG_NOTABCONTENTS = 21;
constexpr int KES_PLOT_FLAG_RTINCLUDE = 22;
constexpr int KES_PLOT_FLAG_GAMMA = 23;
constexpr int KES_PLOT_FLAG_NOECDF = 29;
constexpr int KES_PLOT_FLAG_WEIBULL2 = 31;
constexpr int KES_PLOT_FLAG_KERNEL_FILL = 34;
constexpr int KES_PLOT_FLAG_KERNEL_NOPRINT = 35;
constexpr int KES_PLOT_FLAG_HANGING = 38;
constexpr int KES_PLOT_FLAG_BETA = 40;
constexpr int KES_PLOT_FLAG_KERNEL = 45;
constexpr int KES_PLOT_FLAG_PCTLAXIS = 51;
constexpr int KES_PLOT_FLAG_GRID = 52;
constexpr int KES_PLOT_FLAG_SB = 80;
constexpr int KES_PLOT_FLAG_SU = 81;

// The parameter rows of the fitted families: value list, EST marker list and pairing
// list slot of each parameter, in family order.
struct kes_param_slots {
  int values;
  int markers;
  int pairs;
};
// Rows of the parameter table, by family and parameter.
enum kes_param_row : int {
  KES_P_NORMAL_MU,
  KES_P_NORMAL_SIGMA,
  KES_P_LOGNORMAL_THETA,
  KES_P_LOGNORMAL_SIGMA,
  KES_P_LOGNORMAL_ZETA,
  KES_P_EXPONENTIAL_THETA,
  KES_P_EXPONENTIAL_SIGMA,
  KES_P_WEIBULL_THETA,
  KES_P_WEIBULL_SIGMA,
  KES_P_WEIBULL_C,
  KES_P_GAMMA_THETA,
  KES_P_GAMMA_SIGMA,
  KES_P_GAMMA_ALPHA,
  KES_P_BETA_THETA,
  KES_P_BETA_SIGMA,
  KES_P_BETA_ALPHA,
  KES_P_BETA_BETA,
  KES_P_SB_THETA,
  KES_P_SB_SIGMA,
  KES_P_SB_DELTA,
  KES_P_SB_GAMMA,
  KES_P_SU_THETA,
  KES_P_SU_SIGMA,
  KES_P_SU_DELTA,
  KES_P_SU_GAMMA,
  KES_NPARAM_ROWS
};
constexpr kes_param_slots KES_PARAM_ROWS[KES_NPARAM_ROWS] = {
    {187, 120, 215},  // NORMAL_MU
    {142, 121, 216},  // NORMAL_SIGMA
    {188, 122, 217},  // LOGNORMAL_THETA
    {186, 123, 218},  // LOGNORMAL_SIGMA
    {189, 124, 219},  // LOGNORMAL_ZETA
    {199, 136, 220},  // EXPONENTIAL_THETA
    {200, 137, 221},  // EXPONENTIAL_SIGMA
    {190, 126, 222},  // WEIBULL_THETA
    {191, 127, 223},  // WEIBULL_SIGMA
    {192, 128, 224},  // WEIBULL_C
    {205, 129, 225},  // GAMMA_THETA
    {206, 130, 226},  // GAMMA_SIGMA
    {207, 131, 227},  // GAMMA_ALPHA
    {67, 132, 228},  // BETA_THETA
    {68, 133, 229},  // BETA_SIGMA
    {69, 134, 230},  // BETA_ALPHA
    {70, 135, 231},  // BETA_BETA
    {113, 147, 232},  // SB_THETA
    {154, 155, 233},  // SB_SIGMA
    {158, 119, 234},  // SB_DELTA
    {156, 110, 235},  // SB_GAMMA
    {164, 165, 236},  // SU_THETA
    {172, 198, 237},  // SU_SIGMA
    {176, 177, 238},  // SU_DELTA
    {174, 175, 239},  // SU_GAMMA
};
// The lognormal SLOPE= row, paired like the others but not a parameter row.
constexpr kes_param_slots KES_PARAM_LOGNORMAL_SLOPE = {60, 125, 240};

// Kernel C= codes.
constexpr double KES_KERNEL_C_MISE = -1;
constexpr double KES_KERNEL_C_SJPI = -2;
// The distribution code of kernel curves.
constexpr int KES_DIST_KERNEL = 9;
