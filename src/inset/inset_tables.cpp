// The family tables of inset blocks: names, parameter counts, default rows and labels
// (messages of set KES_SET_LABEL), shared by the device and the template-graph insets.
#include <cstring>
#include <iterator>

#include "inset/inset_build.h"
#include "kes_msg_names.h"
#include "records/family_names.h"
#include "records/kes_preq.h"

namespace {

// ORDER: kes_distcode 0 to 8, as the table of laws: every table below has one entry a
// family, in that order, checked after it.
constexpr int kFamilies = KES_DIST_KERNEL;

constexpr int kDistName[] = {
    KES_MSG_INSET_FAMILY_NORMAL,  KES_MSG_INSET_FAMILY_LOGNORMAL, KES_MSG_INSET_FAMILY_EXPONENTIAL,
    KES_MSG_INSET_FAMILY_WEIBULL, KES_MSG_INSET_FAMILY_GAMMA,     KES_MSG_INSET_FAMILY_BETA,
    KES_MSG_FAMILY_NAME_SB,       KES_MSG_FAMILY_NAME_SU,         KES_MSG_INSET_FAMILY_WEIBULL};
constexpr int kNparms[] = {2, 3, 2, 3, 3, 4, 4, 4, 3};
constexpr int kAlloff[][4] = {
    {3, 2, -1, -1}, {0, 2, 3, -1}, {2, 3, -1, -1}, {0, 2, 3, -1}, {0, 2, 3, -1},
    {0, 1, 2, 3},   {0, 1, 2, 3},  {0, 1, 2, 3},   {3, 0, 2, -1},
};

// Labels (KES_SET_LABEL) by family and sub-code; -1: no label. Sub-codes 12..22,
// which this grammar never produces, have none.
constexpr int kSubcodes = 26;
constexpr int kEdf[6] = {KES_MSG_INSET_A_SQ,        KES_MSG_INSET_PVALUE_A_SQ, KES_MSG_INSET_W_SQ,
                         KES_MSG_INSET_PVALUE_W_SQ, KES_MSG_INSET_D,           KES_MSG_INSET_PVALUE_D};
constexpr int kJohnson[3] = {KES_MSG_INSET_FITTED_SKEWNESS, KES_MSG_INSET_FITTED_KURTOSIS, KES_MSG_INSET_FITTED_MODE};
struct msg_row {
  int first[4];    // sub-codes 0..3
  bool edf;        // 4..9: kEdf
  bool moments;    // 10, 11: fitted mean and standard deviation
  int length;      // entries of the list
  bool johnson;    // 23..25: kJohnson
};
constexpr int kScale = KES_MSG_INSET_SCALE, kThreshold = KES_MSG_INSET_THRESHOLD;
constexpr msg_row kMsgRows[] = {
    {{-1, -1, KES_MSG_INSET_STD_DEV, KES_MSG_INSET_MEAN}, true, false, 23, false},
    {{KES_MSG_INSET_SIGMA, -1, kScale, kThreshold}, true, true, 23, false},
    {{-1, -1, kScale, kThreshold}, true, true, 23, false},
    {{KES_MSG_INSET_SHAPE, -1, kScale, kThreshold}, true, true, 23, false},
    {{KES_MSG_INSET_SHAPE, -1, kScale, kThreshold}, true, true, 23, false},
    {{KES_MSG_INSET_ALPHA, KES_MSG_INSET_BETA, kScale, kThreshold}, true, true, 23, false},
    {{KES_MSG_INSET_DELTA, KES_MSG_INSET_GAMMA, kScale, kThreshold}, true, true, 26, true},
    {{KES_MSG_INSET_DELTA, KES_MSG_INSET_GAMMA, kScale, kThreshold}, true, true, 26, true},
    {{KES_MSG_INSET_SHAPE, -1, kScale, kThreshold}, false, false, 4, false},
};

// Kernel labels by sub-code 1..3: C, BANDWIDTH, AMISE (sub-code 0 is the kernel type).
constexpr int kKernelMsg[4] = {-1, KES_MSG_INSET_KERNEL_C, KES_MSG_INSET_KERNEL_BANDWIDTH, KES_MSG_INSET_KERNEL_AMISE};

// Headers of an inset of one curve: a family's curve (histograms, CDF plots) or line (the
// other plots), and a kernel's by type (0: kernels of more than one type).
constexpr int kCurveHeader[] = {
    KES_MSG_INSET_HEADER_NORMAL_CURVE,  KES_MSG_INSET_HEADER_LOGNORMAL_CURVE, KES_MSG_INSET_HEADER_EXPONENTIAL_CURVE,
    KES_MSG_INSET_HEADER_WEIBULL_CURVE, KES_MSG_INSET_HEADER_GAMMA_CURVE,     KES_MSG_INSET_HEADER_BETA_CURVE,
    KES_MSG_INSET_HEADER_SB_CURVE,      KES_MSG_INSET_HEADER_SU_CURVE,        KES_MSG_INSET_HEADER_WEIBULL2_CURVE};
constexpr int kLineHeader[] = {
    KES_MSG_INSET_HEADER_NORMAL_LINE,  KES_MSG_INSET_HEADER_LOGNORMAL_LINE, KES_MSG_INSET_HEADER_EXPONENTIAL_LINE,
    KES_MSG_INSET_HEADER_WEIBULL_LINE, KES_MSG_INSET_HEADER_GAMMA_LINE,     KES_MSG_INSET_HEADER_BETA_LINE,
    KES_MSG_INSET_HEADER_SB_LINE,      KES_MSG_INSET_HEADER_SU_LINE,        KES_MSG_INSET_HEADER_WEIBULL2_LINE};
constexpr int kKernelHeader[4] = {KES_MSG_KERNEL_NAME, KES_MSG_INSET_HEADER_NORMAL_KERNEL,
                                  KES_MSG_INSET_HEADER_TRIANGULAR_KERNEL, KES_MSG_INSET_HEADER_QUADRATIC_KERNEL};

static_assert(std::size(kDistName) == kFamilies && std::size(kNparms) == kFamilies &&
                  std::size(kAlloff) == kFamilies && std::size(kMsgRows) == kFamilies &&
                  std::size(kCurveHeader) == kFamilies && std::size(kLineHeader) == kFamilies,
              "one entry per distribution code below the kernel");

bool family_ok(int family) { return family >= 0 && family < kFamilies; }

}  // namespace

int kesdistname(int family, char text[16]) {
  std::memset(text, ' ', 16);
  if (!family_ok(family)) return 0;
  return kes_inset_msg(text, 16, KES_SET_LABEL, kDistName[family]);
}

int kesnparms(int family) { return family_ok(family) ? kNparms[family] : 0; }

int kesalloff(int family, int k) { return family_ok(family) && k >= 0 && k < 4 ? kAlloff[family][k] : -1; }

int kesdistmsg(int family, int subcode) {
  if (!family_ok(family) || subcode < 0 || subcode >= kSubcodes) return -1;
  const msg_row& r = kMsgRows[family];
  if (subcode >= r.length) return -1;
  if (subcode < 4) return r.first[subcode];
  if (subcode < 10) return r.edf ? kEdf[subcode - 4] : -1;
  if (subcode < 12) return r.moments ? (subcode == 10 ? KES_MSG_INSET_FITTED_MEAN : KES_MSG_INSET_FITTED_STD_DEV) : -1;
  if (subcode < 23) return -1;
  return r.johnson ? kJohnson[subcode - 23] : -1;
}

int kesiheader(int plot_type, int family, int kernel_type) {
  if (family == KES_DIST_KERNEL) return kernel_type >= 0 && kernel_type <= 3 ? kKernelHeader[kernel_type] : -1;
  if (!family_ok(family)) return -1;
  return plot_type == KES_PLOT_HISTOGRAM || plot_type == KES_PLOT_CDF ? kCurveHeader[family] : kLineHeader[family];
}

int kesknlmsg(int row, int type) {
  if (row == 0) return type >= 1 && type <= 3 ? KES_KERN_CURVE_NAMES[type - 1] : -1;
  return row > 0 && row < 4 ? kKernelMsg[row] : -1;
}
