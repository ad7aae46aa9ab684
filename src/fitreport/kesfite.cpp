// The exponential family's report members: EDF tests with p-values from critical-value
// tables, expected percents and table rows.
#include <cmath>
#include <cstdio>

#include "fit/kes_cellnote.h"
#include "fit/kes_estframe.h"
#include "fit/family/kes_families.h"
#include "fitreport/kes_edf3.h"
#include "fitreport/kes_edftab.h"
#include "fitreport/kes_famsets.h"
#include "fitreport/kes_fitrep.h"
#include "host/host_services.h"
#include "kes_gram_names.h"
#include "kes_msg_names.h"
#include "records/kes_cell.h"
#include "records/kes_ctx.h"
#include "records/kes_curve.h"
#include "records/kes_plotslot.h"
#include "records/kes_values.h"
#include "records/kes_valview.h"
#include "records/kes_varsum.h"
#include "records/stmt_slots.h"

namespace {
// The notes on the values the EDF tests leave out: those at a known threshold, and the
// smallest value where it estimates the threshold.
constexpr kes_cell_forms kLeavesOutThreshold = {KES_MSG_EDF_EXPONENTIAL_LEAVES_OUT_THRESHOLD,
                                                KES_MSG_EDF_EXPONENTIAL_LEAVES_OUT_THRESHOLD_CELL,
                                                KES_MSG_EDF_EXPONENTIAL_LEAVES_OUT_THRESHOLD_CELL2};
constexpr kes_cell_forms kLeavesOutMin = {KES_MSG_EDF_EXPONENTIAL_LEAVES_OUT_MIN,
                                          KES_MSG_EDF_EXPONENTIAL_LEAVES_OUT_MIN_CELL,
                                          KES_MSG_EDF_EXPONENTIAL_LEAVES_OUT_MIN_CELL2};

// Coefficient tables by case; rows c0, c1, ... per level .5 ... .001.
constexpr double kD1[3][11] = {
    {-0.1880318, 0.01898755, 0.0711226, 0.13006802, 0.20267903, 0.30668926, 0.39336034, 0.49029461, 0.5533429,
     0.60357367, 0.66971909},
    // At level .005 the coefficient is -0.16048468: the value -0.016048468 once printed
    // for it breaks the order of the critical values for small samples.
    {-0.20652846, -0.16679491, -0.16755907, -0.16454187, -0.15293427, -0.14267496, -0.13646324, -0.14551843,
     -0.16048468, -0.1259946, -0.13547152},
    {0.18711928, -0.26921778, -0.26471205, -0.16196104, -0.26803949, -0.53471849, -0.79360973, -0.85934334,
     -0.86389918, -1.4966097, -2.0135789}};
constexpr double kW1[2][11] = {
    {-2.1308363, -1.5618844, -1.4203776, -1.2582052, -1.0567643, -0.77417375, -0.54428916, -0.30102612, -0.1401565,
     -0.00324516, 0.1517132},
    {0.21272455, 0.04205112, 0.01837406, -0.01466264, -0.07569159, -0.21282362, -0.3561997, -0.4572686, -0.63000387,
     -0.80758823, -1.0320772}};
constexpr double kA1[2][11] = {
    {-0.2555143, 0.22181459, 0.34317831, 0.48201135, 0.65800011, 0.91253926, 1.12219051, 1.3517246, 1.50407819,
     1.64011453, 1.79272159},
    {-0.07775099, -0.01800514, -0.00545342, 0.04086803, 0.07632829, 0.10267162, 0.13559866, 0.18626199, 0.15393238,
     0.105906, 0.12212243}};
constexpr double kD2[3][11] = {
    {-0.34884625, -0.16567106, -0.12109459, -0.06896504, -0.00260487, 0.09382164, 0.1753938, 0.26713071, 0.32615868,
     0.37922604, 0.43764642},
    {-0.2237514, -0.21533671, -0.2053766, -0.19554437, -0.20086635, -0.21179441, -0.22531372, -0.23995834,
     -0.24779166, -0.24382217, -0.22806409},
    {0.17486795, 0.0811213, -0.04688748, -0.19590888, -0.19138697, -0.22651095, -0.27868198, -0.43034813,
     -0.76755233, -1.2217659, -1.8113455}};
constexpr double kW2[2][11] = {
    {-2.6056895, -2.1568413, -2.04413, -1.9123271, -1.7469892, -1.5067391, -1.3066812, -1.0831492, -0.93636232,
     -0.8055666, -0.65283933},
    {0.18479393, 0.04187505, 0.02149181, -0.01537821, -0.09140959, -0.24603488, -0.37657834, -0.58328568, -0.8041545,
     -0.95564045, -1.192646}};
constexpr double kA2[2][11] = {
    {-0.70180186, -0.30653442, -0.20555538, -0.08816246, 0.05996144, 0.27846455, 0.46388675, 0.67090395, 0.8078886,
     0.92997681, 1.0763137},
    {-0.2147402, -0.30192468, -0.31465587, -0.33593033, -0.38303162, -0.45957353, -0.45493574, -0.36978474,
     -0.21808416, 0.00896518, 0.26815749}};
constexpr double kD3[4][11] = {
    {-0.348134, -0.16995139, -0.12199367, -0.0690534, -0.00235169, 0.09381459, 0.17697729, 0.26510385, 0.32672117,
     0.3866408, 0.43334322},
    {-0.23732181, -0.16266977, -0.19751486, -0.20376548, -0.21865553, -0.22891231, -0.26783961, -0.22159365,
     -0.29924764, -0.40324334, -0.14035849},
    {-0.43764886, -0.64539379, -0.52355559, -0.48039334, -0.40470909, -0.38984819, -0.23664388, -0.42923785,
     -0.12438271, 0.22997952, -0.76510682},
    {-0.94529455, -0.3113225, -0.63246777, -0.91170047, -1.3508482, -1.4857804, -2.2226247, -2.2670288, -3.3586959,
     -4.5193242, -2.1654585}};
constexpr double kW3[3][11] = {
    {-2.5823807, -2.1384254, -2.0310676, -1.9065991, -1.7492204, -1.5101355, -1.3149815, -1.0920466, -0.95338453,
     -0.83692236, -0.6960093},
    {-0.40159718, -0.2658554, -0.18536061, -0.0958071, 0.02456784, 0.06148346, 0.13385682, 0.19236082, 0.30120114,
     0.4330389, 0.51963659},
    {-0.41659897, -1.1064228, -1.3705747, -1.6719008, -2.0779952, -2.3695116, -2.6999987, -3.1117203, -3.5821639,
     -3.9851576, -4.2926435}};
constexpr double kA3[4][11] = {
    {-0.71940969, -0.317372, -0.21629039, -0.100039, 0.0488662, 0.26948285, 0.45296004, 0.65739, 0.79209856,
     0.91671452, 1.067331},
    {-4.3586614, -4.9944919, -5.0192176, -4.8589883, -4.8582838, -5.0615871, -4.8844429, -4.4492338, -4.2458822,
     -4.1969881, -3.116039},
    {26.7976435, 29.3455876, 28.2869663, 24.4478564, 22.7715691, 23.0002786, 18.7644176, 11.5929654, 8.99352021,
     6.07805512, -2.772148},
    {-65.225476, -76.490117, -73.443849, -61.67257, -57.88102, -60.74452, -49.035546, -29.918027, -25.56038,
     -11.966731, 13.199618}};

// Powers of n the rows multiply.
constexpr double kPowD12[3] = {0.0, -0.5, -2.0};
constexpr double kPowOne[2] = {0.0, -1.0};
constexpr double kPowD3[4] = {0.0, -0.5, -1.0, -2.0};
constexpr double kPowW3[3] = {0.0, -0.5, -1.0};
constexpr double kPowA3[4] = {0.0, -1.0, -2.0, -3.0};

struct case_tables {
  kes_edfcoef d, w, a;
};
const case_tables kCases[4] = {
    {},  // all known: the fixed tables
    {{3, kD1, kPowD12}, {2, kW1, kPowOne}, {2, kA1, kPowOne}},
    {{3, kD2, kPowD12}, {2, kW2, kPowOne}, {2, kA2, kPowOne}},
    {{4, kD3, kPowD3}, {3, kW3, kPowW3}, {4, kA3, kPowA3}},
};

const kes_parmrow kRows[] = {{KES_MSG_PARAM_THRESHOLD, KES_MSG_SYMBOL_THETA, KES_FV_USED0},
                             {KES_MSG_PARAM_SCALE, KES_MSG_SYMBOL_SIGMA, KES_FV_USED1},
                             {KES_MSG_PARAM_FIT_MEAN, 0, KES_FV_MEAN},
                             {KES_MSG_PARAM_FIT_STD_DEV, 0, KES_FV_STD}};
}  // namespace

kes_edfp kes_expo_p(int ncase, int stat, double n, double s) {
  const case_tables& t = kCases[ncase < 1 || ncase > 3 ? 3 : ncase];
  return kes_edf_coef(stat == 0 ? t.d : stat == 1 ? t.w : t.a, n, s);
}

void kesedfe(kes_ctx* ctx, kes_preq* request, kes_cell* cell) {
  kes_plotslot* slot = kes_plot_slot(ctx, request, cell);
  kes_curve* c = kes_fit_curve(slot);
  const kes_varsum* vs = kes_fit_varsum(ctx, cell);
  if (c == nullptr || vs == nullptr) return;
  const double miss = kes_fit_missing();
  const double theta = c->params[0], sigma = c->params[1];
  kes_edfres& r = c->edf;
  r.params[0] = theta;
  r.params[1] = sigma;
  r.params[2] = r.params[3] = miss;
  r.mean = theta + sigma;
  r.std = sigma;

  const kes_stmt* s = request->stmt;
  const int k = c->family_index;
  // Without THETA= the threshold is the known 0.
  const bool theta_est = kes_pgiven(s, KES_PLOT_SLOT_EXPONENTIAL_THETA_MARKS) &&
                         kes_marker_est(s, KES_PLOT_SLOT_EXPONENTIAL_THETA_MARKS, k);
  const bool sigma_est = !kes_pgiven(s, KES_PLOT_SLOT_EXPONENTIAL_SIGMA_MARKS) ||
                         kes_marker_est(s, KES_PLOT_SLOT_EXPONENTIAL_SIGMA_MARKS, k);
  const int ncase = (theta_est ? 1 : 0) + (sigma_est ? 2 : 0);

  double n = vs->n;
  kes_valiter values(kes_cell_values(ctx, cell));
  // A known threshold leaves out the values equal to it (whose A-Sq term has no
  // logarithm); any other value is tested, however small the data's unit.
  const bool drop = ncase == 1 || (ncase != 3 && vs->min == theta);
  if (drop && values.fv != nullptr && values.fv->m > 0) {
    const int left_out = values.fv->f[0];
    n -= left_out;
    values.skip_first();
    // No observation leaves the tests unannounced, but the one value that estimates
    // the threshold (its removal is part of the estimate).
    if (ncase != 1 || left_out > 1) {
      char what[32];
      const int len = std::snprintf(what, sizeof what, left_out == 1 ? "%d observation" : "%d observations", left_out);
      kes_cell_note(ctx, request, cell, KES_SET_PROC, ncase == 1 ? kLeavesOutMin : kLeavesOutThreshold,
                    ctx->curname.text, static_cast<int>(ctx->curname.len), what, len);
    }
  }

  double dplus = 0.0, dminus = 0.0, d = 0.0, w = 0.0, a = 0.0;
  bool zero = false;
  double i = 0.0;
  double x;
  int count;
  const kes_edfcoords coords = kes_edf_coords(*c, KES_DIST_EXPONENTIAL);
  while (values.next(&x, &count)) {
    if (count < 1) continue;
    const kes_pit tail = coords.pit(kes_law_exponential.tails, x);  // once for all ties
    const double z = tail.z;
    for (int t = 0; t < count; ++t) {
      i += 1.0;
      dplus = std::fmax(dplus, std::fabs(i / n - z));
      dminus = std::fmax(dminus, std::fabs(z - (i - 1.0) / n));
      d = std::fmax(dplus, dminus);
      const double e = z - (2.0 * i - 1.0) / (2.0 * n);
      w += e * e;
      if (z == 0.0) zero = true;
      else a += (2.0 * i - 1.0) * tail.lnz + (2.0 * n + 1.0 - 2.0 * i) * tail.ln1z;
    }
  }
  if (!(n > 0.0)) d = w = a = miss;  // nothing left to test
  double asq, wsq;
  kes_edf_asq_wsq(n, a, w, zero, &asq, &wsq);

  kes_edfp pd{miss, ' '}, pw{miss, ' '}, pa{miss, ' '};
  if (ncase == 0) {
    kes_edf_case0(n, d, wsq, asq, &pd, &pw, &pa);
  } else if (n >= 5) {
    pd = kes_expo_p(ncase, 0, n, std::sqrt(n) * d);
    pw = kes_expo_p(ncase, 1, n, wsq);
    pa = kes_expo_p(ncase, 2, n, asq);
  }
  kes_edf_store(&r, d, pd, wsq, pw, asq, pa);
  kesmide(ctx, request, cell);
}

void kesmide(kes_ctx* ctx, kes_preq* request, kes_cell* cell) { kes_midpct(ctx, request, cell, kesecdf); }

void kesetbl(kes_ctx* ctx, kes_cell* cell) {
  kes_write_fit_tables(ctx, cell, KES_MSG_FIT_FAMILY_EXPONENTIAL, kRows, 4);
}
