// The curve colours a graph draws together differ clearly, to normal eyes and under a
// simulation of the three common colour-vision deficiencies (protanopia, deuteranopia,
// tritanopia), in both renderers.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <string>

#include "core/host_routines.h"
#include "graph/graph_style.h"
#include "graph/template_parts.h"

namespace {

using rgb = std::array<double, 3>;
using lab = std::array<double, 3>;

rgb from_hex(const std::string& hex) {
  rgb c{};
  for (int i = 0; i < 3; ++i) c[i] = std::stoi(hex.substr(1 + 2 * i, 2), nullptr, 16) / 255.0;
  return c;
}
double to_linear(double v) { return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); }
double to_gamma(double v) { return v <= 0.0031308 ? 12.92 * v : 1.055 * std::pow(v, 1 / 2.4) - 0.055; }

// Dichromacy at full severity: the matrices on linear sRGB of Machado, Oliveira and
// Fernandes, "A physiologically-based model for simulation of color vision
// deficiency" (IEEE TVCG 15(6), 2009), severity 1.0.
enum vision { normal, protan, deutan, tritan };
constexpr double kMachado[3][3][3] = {
    {{0.152286, 1.052583, -0.204868}, {0.114503, 0.786281, 0.099216}, {-0.003882, -0.048116, 1.051998}},
    {{0.367322, 0.860646, -0.227968}, {0.280085, 0.672501, 0.047413}, {-0.011820, 0.042940, 0.968881}},
    {{1.255528, -0.076749, -0.178779}, {-0.078411, 0.930809, 0.147602}, {0.004733, 0.691367, 0.303900}},
};

rgb seen_as(const rgb& c, vision v) {
  if (v == normal) return c;
  rgb lin{}, out{};
  for (int i = 0; i < 3; ++i) lin[i] = to_linear(c[i]);
  for (int i = 0; i < 3; ++i) {
    double s = 0;
    for (int k = 0; k < 3; ++k) s += kMachado[v - 1][i][k] * lin[k];
    out[i] = to_gamma(std::clamp(s, 0.0, 1.0));
  }
  return out;
}

// CIELAB under D65 of an sRGB colour.
lab to_lab(const rgb& c) {
  const double r = to_linear(c[0]), g = to_linear(c[1]), b = to_linear(c[2]);
  const double xyz[3] = {(0.4124 * r + 0.3576 * g + 0.1805 * b) / 0.95047, 0.2126 * r + 0.7152 * g + 0.0722 * b,
                         (0.0193 * r + 0.1192 * g + 0.9505 * b) / 1.08883};
  double f[3];
  for (int i = 0; i < 3; ++i)
    f[i] = xyz[i] > 216.0 / 24389 ? std::cbrt(xyz[i]) : (24389.0 / 27 * xyz[i] + 16) / 116;
  return {116 * f[1] - 16, 500 * (f[0] - f[1]), 200 * (f[1] - f[2])};
}

// CIEDE2000 (Sharma, Wu and Dalal, Color Res. Appl. 30(1), 2005).
double de2000(const lab& p, const lab& q) {
  const double pi = 3.14159265358979323846, deg = pi / 180;
  const double c1 = std::hypot(p[1], p[2]), c2 = std::hypot(q[1], q[2]), cb = (c1 + c2) / 2;
  const double g = 0.5 * (1 - std::sqrt(std::pow(cb, 7) / (std::pow(cb, 7) + std::pow(25.0, 7))));
  const double a1 = (1 + g) * p[1], a2 = (1 + g) * q[1];
  const double cp1 = std::hypot(a1, p[2]), cp2 = std::hypot(a2, q[2]);
  const auto hue = [&](double b, double a) {
    if (a == 0 && b == 0) return 0.0;
    const double h = std::atan2(b, a) / deg;
    return h < 0 ? h + 360 : h;
  };
  const double h1 = hue(p[2], a1), h2 = hue(q[2], a2);
  double dh = 0;
  if (cp1 * cp2 != 0) {
    dh = h2 - h1;
    if (dh > 180) dh -= 360;
    if (dh < -180) dh += 360;
  }
  const double dl = q[0] - p[0], dc = cp2 - cp1, dH = 2 * std::sqrt(cp1 * cp2) * std::sin(dh / 2 * deg);
  const double lb = (p[0] + q[0]) / 2, cpb = (cp1 + cp2) / 2;
  double hb = h1 + h2;
  if (cp1 * cp2 != 0) hb = std::fabs(h1 - h2) <= 180 ? hb / 2 : (hb < 360 ? (hb + 360) / 2 : (hb - 360) / 2);
  const double t = 1 - 0.17 * std::cos((hb - 30) * deg) + 0.24 * std::cos(2 * hb * deg) +
                   0.32 * std::cos((3 * hb + 6) * deg) - 0.20 * std::cos((4 * hb - 63) * deg);
  const double dtheta = 30 * std::exp(-std::pow((hb - 275) / 25, 2));
  const double rc = 2 * std::sqrt(std::pow(cpb, 7) / (std::pow(cpb, 7) + std::pow(25.0, 7)));
  const double sl = 1 + 0.015 * (lb - 50) * (lb - 50) / std::sqrt(20 + (lb - 50) * (lb - 50));
  const double sc = 1 + 0.045 * cpb, sh = 1 + 0.015 * cpb * t, rt = -std::sin(2 * dtheta * deg) * rc;
  return std::sqrt(std::pow(dl / sl, 2) + std::pow(dc / sc, 2) + std::pow(dH / sh, 2) + rt * dc / sc * dH / sh);
}

double distance(const std::string& a, const std::string& b, vision v) {
  return de2000(to_lab(seen_as(from_hex(a), v)), to_lab(seen_as(from_hex(b), v)));
}

// The measures themselves, against published and independent values.
TEST(curve_colours, measures_match_their_references) {
  // Sharma, Wu and Dalal's test data, pairs 1, 17 and 34.
  EXPECT_NEAR(de2000({50, 2.6772, -79.7751}, {50, 0, -82.7485}), 2.0425, 5e-5);
  EXPECT_NEAR(de2000({50, 2.5, 0}, {73, 25, -18}), 27.1492, 5e-5);
  EXPECT_NEAR(de2000({2.0776, 0.0795, -1.1350}, {0.9033, -0.0636, -0.5514}), 0.9082, 5e-5);
  // Simulated colours and CIELAB from python3-colorspacious 1.1.2 ("sRGB1+CVD", the
  // same matrices at severity 100, clipped to the gamut).
  struct sim_row {
    const char* hex;
    vision v;
    rgb want;
  };
  const sim_row sims[] = {{"#D55E00", deutan, {0.618646, 0.548433, 0}},
                          {"#0072B2", protan, {0.324406, 0.457122, 0.708545}},
                          {"#009E73", tritan, {0, 0.620960, 0.573502}},
                          {"#CC79A7", tritan, {0.840278, 0.470405, 0.539543}}};
  for (const sim_row& r : sims) {
    const rgb got = seen_as(from_hex(r.hex), r.v);
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(got[i], r.want[i], 2e-4) << r.hex << " " << r.v;
  }
  const lab l = to_lab(from_hex("#D55E00"));
  EXPECT_NEAR(l[0], 54.1861, 0.01);
  EXPECT_NEAR(l[1], 43.2784, 0.02);
  EXPECT_NEAR(l[2], 63.2847, 0.02);
  // Pair distances from colorspacious with a CIEDE2000 written apart.
  EXPECT_NEAR(distance("#D55E00", "#E69F00", deutan), 12.5064, 0.02);
  EXPECT_NEAR(distance("#0072B2", "#CC79A7", protan), 12.2448, 0.02);
  EXPECT_NEAR(distance("#CC79A7", "#E69F00", tritan), 10.8682, 0.02);
  EXPECT_NEAR(distance("#0072B2", "#56B4E9", normal), 22.3085, 0.02);
}

// A just-noticeable difference is about 1 CIEDE2000 unit and print tolerances run to
// 2 to 5; thin lines beside each other read as different colours at a glance from
// about 10. The palette's closest pairs among its first seven, under full dichromacy,
// are purple and orange to a blue-blind eye (10.9) and blue and purple to a red-blind
// eye (12.2). Vermillion and orange (the lognormal and gamma curves of old) are 12.5
// apart even to a green-blind eye and never both drawn while a hue that stands further
// apart is unused.
constexpr double kLeast = 10;
// Seven curves take seven colours; only an eighth takes yellow, which a red-blind eye
// takes for orange.
constexpr int kDistinct = 7;

TEST(curve_colours, every_pair_a_graph_draws_differs_clearly) {
  kes_symattr sym[1 + kDistinct];
  ASSERT_EQ(plat_ggetsym(0, 1 + kDistinct, sym), 0);
  for (int i = 0; i < kDistinct; ++i)
    for (int j = i + 1; j < kDistinct; ++j) {
      // The template's curves i and j, and the device's symbol entries for them.
      const std::string ti = plat::graph::curve_paint(i, false).stroke, tj = plat::graph::curve_paint(j, false).stroke;
      const std::string di(sym[1 + i].color, 7), dj(sym[1 + j].color, 7);
      EXPECT_EQ(ti, di) << i;
      for (vision v : {normal, protan, deutan, tritan}) {
        EXPECT_GE(distance(ti, tj, v), kLeast) << ti << " " << tj << " vision " << v;
        EXPECT_GE(distance(di, dj, v), kLeast) << di << " " << dj << " vision " << v;
      }
    }
  // The first five, which most graphs draw at most, stand further apart still.
  for (int i = 0; i < 5; ++i)
    for (int j = i + 1; j < 5; ++j)
      for (vision v : {normal, protan, deutan, tritan})
        EXPECT_GE(distance(plat::graph::kCurveColours[i], plat::graph::kCurveColours[j], v), 12) << i << " " << j;
}

// Near hues (blue and sky blue, vermillion and orange, and orange and yellow, which a
// red-blind eye takes for each other) never share a line style, in either renderer, so
// that a graph of six or more curves tells them apart without colour.
TEST(curve_colours, near_hues_never_share_a_line_style) {
  const auto at = [](const char* hex) {
    for (int i = 0; i < 8; ++i)
      if (std::string(plat::graph::kCurveColours[i]) == hex) return i;
    return -1;
  };
  const char* const near[][2] = {{"#0072B2", "#56B4E9"}, {"#D55E00", "#E69F00"}, {"#E69F00", "#F0E442"}};
  kes_symattr sym[1 + 8];
  ASSERT_EQ(plat_ggetsym(0, 1 + 8, sym), 0);
  for (const auto& pair : near) {
    const int i = at(pair[0]), j = at(pair[1]);
    ASSERT_GE(i, 0);
    ASSERT_GE(j, 0);
    // Measured apart, these are the palette's nearest pairs to some eye.
    double least = 1e9;
    for (vision v : {normal, protan, deutan, tritan}) least = std::min(least, distance(pair[0], pair[1], v));
    EXPECT_LT(least, 25) << pair[0] << " " << pair[1];
    EXPECT_NE(plat::graph::curve_paint(i, false).dash, plat::graph::curve_paint(j, false).dash) << i << " " << j;
    EXPECT_NE(sym[1 + i].line_type, sym[1 + j].line_type) << i << " " << j;
  }
}

}  // namespace
