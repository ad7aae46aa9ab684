// The beta family's report members: EDF tests (fixed tables with every parameter
// given, a model in the shapes and the sample size with both shapes estimated),
// expected percents and table rows.
#include <cmath>
#include <cstring>

#include "fit/kes_estframe.h"
#include "fit/family/kes_families.h"
#include "fitreport/kes_edf3.h"
#include "fitreport/kes_edftab.h"
#include "fitreport/kes_famsets.h"
#include "fitreport/kes_fitrep.h"
#include "host/host_services.h"
#include "host/kes_stmt.h"
#include "kes_gram_names.h"
#include "kes_msg_names.h"
#include "numeric/zibeta.h"
#include "records/kes_ctx.h"
#include "records/kes_curve.h"
#include "records/kes_plotslot.h"
#include "records/kes_values.h"
#include "records/kes_preq.h"
#include "records/kes_varsum.h"
#include "records/stmt_slots.h"

namespace {
// Critical-value models of the estimated shapes, by level .5 ... .001: ln of the
// critical value is the sum of each row times its term, plus level-free terms.
// Row terms of D and W-Sq: 1, 1/(M m), 1/M, 1/M^2, 1/m, 1/m^2, 1/n, 1/n^2 (M and m the
// larger and smaller shape); A-Sq has no 1/m^2 row.
constexpr double kD[8][11] = {
    {-0.4935788, -0.33298133, -0.29301588, -0.24658657, -0.18870349, -0.10399148, -0.03245568, 0.04797031,
     0.10145278, 0.14957155, 0.20799018},
    {-0.00483091, -0.00562044, -0.00576672, -0.00609057, -0.00631082, -0.00674438, -0.00703386, -0.00743565,
     -0.00758076, -0.00803754, -0.00684421},
    {0.00733572, 0.01000331, 0.01062667, 0.0115291, 0.01245141, 0.01379012, 0.01482675, 0.0161847, 0.01652617,
     0.01760329, 0.0154491},
    {0.00127073, 0.00134497, 0.00133783, 0.00145446, 0.00152317, 0.00166495, 0.00174616, 0.00190419, 0.00201796,
     0.0021456, 0.00184544},
    {0.02166398, 0.02632985, 0.02751549, 0.02891993, 0.03094256, 0.03375728, 0.03638472, 0.03958051, 0.04113529,
     0.04263786, 0.04455331},
    {-0.00148902, -0.0017406, -0.00181183, -0.00187497, -0.00203446, -0.00223231, -0.00247883, -0.00288566,
     -0.00306261, -0.00321166, -0.00369848},
    {-1.1176393, -1.0344245, -1.0175177, -1.0042209, -0.99371936, -0.99139922, -0.99419584, -1.0021937, -1.0085216,
     -1.021212, -1.051528},
    {4.45766343, 3.67982251, 3.47347889, 3.27608133, 3.07147244, 2.79909104, 2.53524153, 2.16418465, 1.92959094,
     1.6041709, 1.37200723}};
constexpr double kW[8][11] = {
    {-2.974818, -2.6021844, -2.5093391, -2.4015827, -2.2672082, -2.0724273, -1.9090824, -1.7262425, -1.6066006,
     -1.4992187, -1.3717163},
    {-0.01219687, -0.01479526, -0.01543329, -0.01585707, -0.0168944, -0.01847707, -0.01941023, -0.02054459,
     -0.02127141, -0.0217127, -0.02229696},
    {0.01474709, 0.02125456, 0.0231865, 0.02478314, 0.02747684, 0.031293, 0.03546742, 0.03819627, 0.04155155,
     0.04363233, 0.04096475},
    {0.00358155, 0.00404355, 0.00413736, 0.00428325, 0.00472135, 0.00561344, 0.00553886, 0.00613989, 0.00590918,
     0.00574002, 0.00763039},
    {0.05080609, 0.06158432, 0.06448781, 0.06847451, 0.0739452, 0.08213107, 0.09047695, 0.10141877, 0.10780496,
     0.11429876, 0.12253289},
    {-0.00285792, -0.00295309, -0.00291534, -0.00307722, -0.00328166, -0.00343808, -0.00399796, -0.00502537,
     -0.00550687, -0.00632494, -0.00739457},
    {0.27473286, 0.10532774, 0.05792217, -0.00059808, -0.07438582, -0.16507454, -0.26680299, -0.35939033,
     -0.38946259, -0.4118453, -0.3788905},
    {-0.15140973, -0.64171831, -0.70978457, -0.77726873, -0.92319741, -1.2818045, -1.2911029, -1.4037305,
     -1.7939437, -2.0717335, -3.0467281}};
constexpr double kA[7][11] = {
    {-1.0732935, -0.75347229, -0.67275168, -0.57872459, -0.46004811, -0.28679473, -0.13814841, 0.03046956,
     0.14182909, 0.24322913, 0.36293179},
    {-0.00883332, -0.01069554, -0.01108, -0.01174074, -0.01208674, -0.01370631, -0.01471986, -0.0158302,
     -0.01708185, -0.01733151, -0.018984},
    {0.00791841, 0.01180142, 0.01278763, 0.01394272, 0.01537747, 0.01844267, 0.02192502, 0.02537649, 0.02739692,
     0.03056285, 0.031218},
    {0.00300491, 0.00332621, 0.0034303, 0.00376817, 0.00377995, 0.00448886, 0.00453578, 0.00472291, 0.00529159,
     0.00467555, 0.00620746},
    {0.02484624, 0.0322369, 0.03427736, 0.03696831, 0.04028383, 0.04641348, 0.05143384, 0.05737956, 0.06193926,
     0.06478465, 0.0696423},
    {-0.01296508, -0.1147223, -0.14280002, -0.17104192, -0.21809154, -0.27197925, -0.34929386, -0.44230124,
     -0.46295998, -0.49643928, -0.49193381},
    {0.07174981, -0.69812424, -0.84531041, -1.0387654, -1.2194425, -1.6766151, -1.8219301, -1.8584241, -2.4162819,
     -2.6594705, -3.4457799}};

// Shapes outside [0.2, 5) have no model: above, the tables stop; below, the fitted
// terms in 1/m and 1/m^2 take over and the critical values lose their meaning (near
// 0.08 they no longer even rise with the level).
constexpr double kShapeLow = 0.2, kShapeHigh = KES_BETA_TABLE_SHAPE_HIGH;

// 0 every parameter given, 3 support given and both shapes estimated; otherwise the
// tables hold no such fit: -3 threshold or scale estimated, -4 one shape estimated.
int edf_case(const kes_preq* request, int k) {
  const kes_stmt* s = request->stmt;
  auto est = [&](int slot) { return kes_pgiven(s, slot) && kes_marker_est(s, slot, k); };
  auto shape_est = [&](int slot) { return !kes_pgiven(s, slot) || kes_marker_est(s, slot, k); };
  if (est(KES_PLOT_SLOT_BETA_THETA_MARKS) || est(KES_PLOT_SLOT_BETA_SIGMA_MARKS)) return -3;
  const bool a = shape_est(KES_PLOT_SLOT_BETA_ALPHA_MARKS), b = shape_est(KES_PLOT_SLOT_BETA_BETA_MARKS);
  return !a && !b ? 0 : a && b ? 3 : -4;
}
}  // namespace

void kes_beta_crit(double alpha, double beta, double n, double crit[3][11]) {
  const double M = std::fmax(alpha, beta), m = std::fmin(alpha, beta);
  const double dterm[8] = {1.0, 1.0 / (M * m), 1.0 / M, 1.0 / (M * M), 1.0 / m, 1.0 / (m * m), 1.0 / n, 1.0 / (n * n)};
  const double aterm[7] = {1.0, 1.0 / (M * m), 1.0 / M, 1.0 / (M * M), 1.0 / m, 1.0 / n, 1.0 / (n * n)};
  const double nm = n * m, nm2 = n * m * m;
  const double free[3] = {-0.0260283 / nm + 0.00558273 / nm2,
                          0.0276344 / (n * M) - 0.1814982 / nm + 0.02557601 / nm2,
                          -0.08084881 / nm + 0.00733925 / nm2};
  for (int j = 0; j < 11; ++j) {
    double e[3] = {free[0], free[1], free[2]};
    for (int r = 0; r < 8; ++r) {
      e[0] += kD[r][j] * dterm[r];
      e[1] += kW[r][j] * dterm[r];
    }
    for (int r = 0; r < 7; ++r) e[2] += kA[r][j] * aterm[r];
    for (int t = 0; t < 3; ++t) crit[t][j] = std::exp(e[t]);
  }
}

void kesedfb(kes_ctx* ctx, kes_preq* request, kes_cell* cell) {
  kes_curve* c = kes_fit_curve(kes_plot_slot(ctx, request, cell));
  const kes_varsum* vs = kes_fit_varsum(ctx, cell);
  if (c == nullptr || vs == nullptr) return;
  const double th = c->params[0], sg = c->params[1], al = c->params[2], be = c->params[3];
  const double ab = al + be;
  kes_edfres& r = c->edf;
  for (int i = 0; i < 4; ++i) r.params[i] = c->params[i];
  r.mean = th + sg * al / ab;
  r.std = sg * std::sqrt(al * be / (ab * ab * (ab + 1.0)));
  const int ncase = edf_case(request, c->family_index);

  // Every observation counts; a transform of exactly 0 or 1 leaves A-Sq undefined.
  const double n = vs->n;
  double d = 0.0, w = 0.0, a = 0.0, i = 0.0, x;
  bool amark = false;
  int count;
  kes_valiter values(kes_cell_values(ctx, cell));
  // In the fit's coordinates: the same for the data moved or scaled by a power of two.
  const kes_edfcoords at = kes_edf_coords(*c, KES_DIST_BETA);
  while (values.next(&x, &count)) {
    double z = 0.0, dens = 0.0;
    zibeta(std::fmin(std::fmax((at.at(x) - at.params[0]) / at.params[1], 0.0), 1.0), al, be, &z, &dens);
    amark = amark || z == 0.0 || z == 1.0;
    const double lz = std::log(z), l1z = std::log1p(-z);
    for (int k = 0; k < count; ++k, i += 1.0) {
      d = std::fmax(d, std::fmax((i + 1.0) / n - z, z - i / n));
      const double e = z - (2.0 * i + 1.0) / (2.0 * n);
      w += e * e;
      a += (2.0 * i + 1.0) * lz + (2.0 * n - 1.0 - 2.0 * i) * l1z;
    }
  }
  const double miss = kes_fit_missing();
  double asq, wsq;
  kes_edf_asq_wsq(n, a, w, amark, &asq, &wsq);

  kes_edfp pd{miss, ' '}, pw{miss, ' '}, pa{miss, ' '};
  bool noted = false;
  if (ncase == 0) {
    kes_edf_case0(n, d, wsq, asq, &pd, &pw, &pa);
  } else if (ncase == 3 && al < kShapeHigh && be < kShapeHigh) {
    noted = !(n >= 10) || !(al >= kShapeLow && be >= kShapeLow);
    if (!(n >= 10)) {
      kes_gof_untested_note(ctx, request, cell, KES_MSG_FAMILY_NAME_BETA, KES_SET_PROC,
                            KES_MSG_GOF_TESTS_TOO_FEW_OBSERVATIONS);
    } else if (!(al >= kShapeLow && be >= kShapeLow)) {
      kes_gof_untested_note(ctx, request, cell, KES_MSG_FAMILY_NAME_BETA, KES_SET_LABEL,
                            KES_MSG_BETA_GOF_NO_PVALUES_SMALL_SHAPE);
    } else {
      double crit[3][11];
      kes_beta_crit(al, be, n, crit);
      pd = kes_edf_crit11(crit[0], std::sqrt(n) * d);
      pw = kes_edf_crit11(crit[1], wsq);
      pa = kes_edf_crit11(crit[2], asq);
    }
  }
  kes_edf_store(&r, d, pd, wsq, pw, asq, pa);
  r.cause_noted = noted ? 1 : 0;
  if (ncase < 0) r.shape_out = static_cast<std::uint8_t>(-ncase);
  // Both shapes estimated, one at or above the tables' bound: none of them holds it.
  if (ncase == 3 && (al >= kShapeHigh || be >= kShapeHigh)) r.shape_out = 2;
  kesmidb(ctx, request, cell);
}

namespace {
const kes_parmrow kRows[] = {{KES_MSG_PARAM_THRESHOLD, KES_MSG_SYMBOL_THETA, KES_FV_USED0},
                             {KES_MSG_PARAM_SCALE, KES_MSG_SYMBOL_SIGMA, KES_FV_USED1},
                             {KES_MSG_PARAM_SHAPE, KES_MSG_SYMBOL_ALPHA, KES_FV_USED2},
                             {KES_MSG_PARAM_SHAPE, KES_MSG_SYMBOL_BETA, KES_FV_USED3},
                             {KES_MSG_PARAM_FIT_MEAN, 0, KES_FV_MEAN},
                             {KES_MSG_PARAM_FIT_STD_DEV, 0, KES_FV_STD}};
}  // namespace

void kesmidb(kes_ctx* ctx, kes_preq* request, kes_cell* cell) {
  kes_midpct(ctx, request, cell, kesbcdf);
}

void kesbtbl(kes_ctx* ctx, kes_cell* cell) { kes_write_fit_tables(ctx, cell, KES_MSG_FIT_FAMILY_BETA, kRows, 6); }
