// The rules on fitted curves: a curve's heights are its family's density at its points
// within the rounding of its label, wherever its data lie, and a fit the graph dump
// lists is drawn where its heights put it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <numbers>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include <cstdlib>
#include <fstream>
#include <iterator>

#include "support/graph_dump.h"
#include "support/scratch_files.h"
#include "support/svg_quick_start.h"
#include "support/svg_parts.h"
#include "support/svg_reader.h"
#include "support/svg_rules.h"
#include "support/test_settings.h"

namespace {

using namespace kes_test;

// Doubles a unit of their last place apart, toward or away from 0.
double up(double x) { return std::nextafter(x, INFINITY); }
double down(double x) { return std::nextafter(x, -INFINITY); }

// The least double the label's text (six decimals) still reads: a location at the
// low end of its rounding.
double first_read_as(const std::string& text) {
  const auto reads = [&](double v) {
    char b[64];
    std::snprintf(b, sizeof b, "%.6f", v);
    return text == b;
  };
  double v = std::strtod(text.c_str(), nullptr) - 5e-7;
  while (!reads(v)) v = up(v);
  while (reads(down(v))) v = down(v);
  return v;
}

double normal_pdf(double d, double sigma) {
  return std::exp(-(d / sigma) * (d / sigma) / 2) / (sigma * std::sqrt(2 * std::numbers::pi));
}
double gamma_pdf(double d, double shape, double scale) {
  const double u = d / scale;
  return std::pow(u, shape - 1) * std::exp(-u) / (std::tgamma(shape) * scale);
}

// A curve of label over bins 1 wide on a percent axis, its heights taken at each written
// place moved `off` doubles away from the location (as a curve's points far from 0 are
// computed), by the density of the distance from the location.
svg_facts curve_of(const std::string& label, double location, const std::vector<double>& places, int off,
                   double (*density)(double)) {
  svg_facts f;
  svg_facts::curve c;
  c.label = label;
  c.width = 1;
  c.scale = 100;
  for (double x : places) {
    double taken = x;
    for (int k = 0; k < off; ++k) taken = x < location ? down(taken) : up(taken);
    c.points.push_back({x, 100 * density(taken - location)});
  }
  f.curves.push_back(c);
  return f;
}

std::string faults_of(const svg_facts& f, const std::string& document = "<svg width=\"100\" height=\"100\"></svg>") {
  std::string found;
  for (const svg_fault& x : svg_rule_faults(document, f)) found += x.rule + ": " + x.detail + "\n";
  return found;
}

// A normal curve of data near 1.7e9 (Unix seconds), its mean written to the millionth
// its deviation's last digit allows and standing at the low end of that rounding, its
// heights taken a unit of the points' last place farther out than the places written:
// its density within the label's rounding all the same. The same curve near 0 passes;
// a mean three millionths off, a deviation a millionth off, heights a ten-millionth
// high, are other curves.
TEST(GraphCurveRules, CurvesFarFromZeroAreTheirDensityWithinTheLabelsRounding) {
  const std::string mu_text = "1700000000.045159";
  const double mu = first_read_as(mu_text);
  std::vector<double> far, near;
  for (double k : {-30.0, -20.0, -12.5, -6.0, -2.0, -0.5, 0.0, 0.5, 2.0, 6.0, 12.5, 20.0, 30.0}) {
    far.push_back(mu + k);
    near.push_back(mu + k - 1700000000);
  }
  // The deviation at the low end of its rounding too, where the density of the points
  // beyond a deviation is least: its rounding hides nothing of the location's.
  static const double sigma = first_read_as("8.459789");
  const auto normal = [](double d) { return normal_pdf(d, sigma); };
  const auto wider = [](double d) { return normal_pdf(d, 8.459791); };
  const auto gamma = [](double d) { return gamma_pdf(d, 2.683976, 5.017836); };
  const std::string label = "Normal(Mu=" + mu_text + " Sigma=8.459789)";
  std::vector<double> above;  // a gamma curve's places above its threshold
  for (double k : {0.25, 1.0, 3.0, 8.0, 13.5, 20.0, 35.0}) above.push_back(mu + k);
  svg_facts high = curve_of(label, mu, far, 1, normal);
  for (auto& [x, y] : high.curves[0].points) y *= 1 + 1e-7;
  const struct {
    const char* what;
    svg_facts facts;
    bool sound;
  } cases[] = {
      {"near 1.7e9, heights an ulp out", curve_of(label, mu, far, 1, normal), true},
      {"near 1.7e9, heights at the places written", curve_of(label, mu, far, 0, normal), true},
      {"near 1.7e9, a gamma threshold", curve_of("Gamma(Theta=" + mu_text + " Shape=2.683976 Scale=5.017836)", mu,
                                                 above, 1, gamma),
       true},
      {"near 0", curve_of("Normal(Mu=0.045159 Sigma=8.459789)", mu - 1700000000, near, 1, normal), true},
      {"a mean three millionths off", curve_of(label, mu + 3e-6, far, 0, normal), false},
      {"a deviation a millionth off", curve_of(label, mu, far, 0, wider), false},
      {"heights a ten-millionth high", high, false},
  };
  for (const auto& c : cases) {
    const std::string found = faults_of(c.facts);
    if (c.sound)
      EXPECT_EQ(found, "") << c.what;
    else
      EXPECT_NE(found.find(std::string(kRuleCurveUntrue) + ":"), std::string::npos) << c.what << "\n" << found;
  }
}

// A gamma curve of data 1700000061 to 1700000091 (bins 6 wide) whose label rounds its
// threshold to seven digits, 1.700000E9, five hundred either way: the rounding alone
// lets the curve be 0 over all the data. The threshold lies below the least value all the same, so above the
// lowest bin's top the curve is not 0: one drawn 0 at all its points but one (a
// threshold fit taken for 0 over its data) is caught; its true heights pass.
TEST(GraphCurveRules, AThresholdCurveVanishedOverItsDataIsCaughtWhateverItsLabelsRounding) {
  const double theta = 1700000059.243976, shape = 2.683976, scale = 5.017836;
  svg_facts f;
  for (double m = 1700000061; m <= 1700000091; m += 6) f.bins.push_back({m, m < 1700000080 ? 25.0 : 12.5});
  svg_facts::curve c;
  c.label = "Gamma(Theta=1.700000E9 Shape=2.683976 Scale=5.017836)";
  c.width = 6;
  c.scale = 100;
  for (double x = 1700000058; x <= 1700000094; x += 0.25)
    c.points.push_back({x, x > theta ? 600 * gamma_pdf(x - theta, shape, scale) : 0});
  f.curves.push_back(c);
  EXPECT_EQ(faults_of(f), "") << "the true heights";
  svg_facts vanished = f;
  for (std::size_t k = 0; k < vanished.curves[0].points.size(); ++k)
    if (k != 60) vanished.curves[0].points[k].second = 0;
  EXPECT_NE(faults_of(vanished).find(std::string(kRuleCurveUntrue) + ":"), std::string::npos) << "vanished";
  // Below the lowest bin's top the threshold may stand: 0 there is the curve's own.
  svg_facts low = f;
  for (auto& [x, y] : low.curves[0].points)
    if (x <= 1700000064) y = 0;
  EXPECT_EQ(faults_of(low), "") << "0 up to the lowest bin's top";
}

// The quick start's histogram with its curve's polyline edited as a writer's fault
// would: flat on the axis, moved off the frame, drawn without points. Its fit, which
// the legend names and the dump lists, is caught as not drawn; as committed it passes,
// and a curve truly 0 over the frame (given parameters far from the data) drawn flat
// on the axis is not held to show.
TEST(GraphCurveRules, AFitTheDumpListsIsDrawnWhereItsHeightsPutIt) {
  const std::string doc = slurp(std::filesystem::path(KES_SOURCE_DIR) / "docs/quickstart/Histogram1.svg");
  static const std::regex points(R"(<polyline points="[^"]*")");
  const auto with_points = [&](const std::string& to) { return std::regex_replace(doc, points, "<polyline points=\"" + to + "\""); };
  // The frame is 51 to 624 across and 32.3 to 388.2 up; the axis reads 0 at its foot.
  const std::string flat = with_points("72.22,388.2 602.78,388.2");
  std::string moved = doc;
  {
    std::smatch m;
    std::regex_search(moved, m, points);
    std::string shifted = "<polyline points=\"";
    const std::string list = m.str().substr(18, m.str().size() - 19);
    std::istringstream in(list);
    for (std::string xy; in >> xy;) {
      const std::size_t comma = xy.find(',');
      shifted += xy.substr(0, comma) + "," + std::to_string(std::stod(xy.substr(comma + 1)) + 400) + " ";
    }
    shifted.back() = '"';
    moved.replace(static_cast<std::size_t>(m.position()), m.length(), shifted);
  }
  svg_facts far = quick_start_facts();
  far.curves[0].label = "Normal(Mu=200 Sigma=3)";
  for (auto& [x, y] : far.curves[0].points) y = 100 * 6 * normal_pdf(x - 200, 3);
  const struct {
    const char* what;
    std::string document;
    svg_facts facts;
    bool sound;
  } cases[] = {
      {"as committed", doc, quick_start_facts(), true},
      {"flat on the axis", flat, quick_start_facts(), false},
      {"moved 400 px down, off the frame", moved, quick_start_facts(), false},
      {"drawn without points", with_points(""), quick_start_facts(), false},
      {"a curve truly 0 over the frame, flat on the axis", flat, far, true},
  };
  for (const auto& c : cases) {
    const std::string found = faults_of(c.facts, c.document);
    if (c.sound)
      EXPECT_EQ(found.find(kRuleCurveDrawn), std::string::npos) << c.what << "\n" << found;
    else
      EXPECT_NE(found.find(std::string(kRuleCurveDrawn) + ":"), std::string::npos) << c.what << "\n" << found;
  }
}

// Through the built runner, as a new user's program draws them: R's airquality May
// temperatures moved to 1.7e9 with three threshold fits, in one cell and in CLASS cells
// (alternate days), each curve its density over the data and drawn where its heights
// put it; the template's graph with any one curve's polyline laid flat on its cell's
// foot is caught.
TEST(GraphCurveRules, ThresholdFitsOfARunAtAUnixTimeOffsetAreDrawnWhole) {
  const int temps[] = {67, 72, 74, 62, 56, 66, 65, 59, 61, 69, 74, 69, 66, 68, 58, 64,
                       66, 57, 68, 62, 59, 73, 61, 61, 57, 58, 57, 67, 81, 79, 76};
  for (const bool cells : {false, true}) {
    kes_test::scratch_dir dir{"curve-drawn"};
    {
      std::ofstream csv(dir.path() / "air.csv");
      csv << "temp,day\n";
      for (std::size_t i = 0; i < std::size(temps); ++i) csv << 1700000000 + temps[i] << "," << (i % 2 ? "odd" : "even") << "\n";
      std::ofstream(dir.path() / "p.kes") << "proc kestravine data=air noprint;\n" << (cells ? "  class day;\n" : "")
                                          << "  histogram temp / gamma(theta=est) lognormal(theta=est) weibull(theta=est);\n"
                                             "run;\n";
    }
    std::filesystem::create_directories(dir.path() / "g");
    const std::string cmd = "cd '" + dir.path().string() + "' && '" + built("kestravine") +
                            "' --graphs g --work . --listing lst --log log --graph-dump dump p.kes >/dev/null 2>err";
    ASSERT_EQ(std::system(cmd.c_str()), 0) << slurp(dir.path() / "log");
    const std::string doc = slurp(dir.path() / "g/Histogram1.svg");
    svg_facts f;
    add_dump_facts(read_dump(slurp(dir.path() / "dump")), "Histogram1.svg", f);
    ASSERT_EQ(cells ? f.cell_curves.size() : f.curves.size(), cells ? 2u : 3u);
    EXPECT_EQ(faults_of(f, doc), "") << (cells ? "CLASS cells" : "one cell");
    // The cells' frames: outlines in the frame's colour.
    std::vector<box> frames;
    for (const svg_element& e : svg_elements(doc))
      if (e.name == "rect" && e.get("fill") == "none" && e.get("stroke") == "#4A4A4A") frames.push_back(box_of(e));
    static const std::regex polyline(R"(<polyline points="([0-9.]+),([0-9.]+)[^"]*")");
    std::size_t n = 0;
    for (auto it = std::sregex_iterator(doc.begin(), doc.end(), polyline); it != std::sregex_iterator(); ++it, ++n) {
      // Laid on the foot of the cell its first point stands in.
      const double x = std::stod((*it)[1].str()), y = std::stod((*it)[2].str());
      const auto cell = std::find_if(frames.begin(), frames.end(), [&](const box& b) { return b.holds(x, y, -1); });
      ASSERT_NE(cell, frames.end());
      const std::string foot = std::to_string(cell->y1);
      std::string flat = doc;
      flat.replace(static_cast<std::size_t>(it->position()), static_cast<std::size_t>(it->length()),
                   "<polyline points=\"" + std::to_string(cell->x0) + "," + foot + " " + std::to_string(cell->x1) + "," +
                       foot + "\"");
      EXPECT_NE(faults_of(f, flat).find(std::string(kRuleCurveDrawn) + ":"), std::string::npos)
          << (cells ? "CLASS cells" : "one cell") << ", curve " << n;
    }
    EXPECT_GE(n, cells ? 4u : 3u);
  }
}

// The dump of a comparative histogram read as facts: each cell's curves, by their
// labels, in the order the grid draws the cells (levels of Class1 down in the order the
// rows bring them), a pair of levels without rows a cell without curves.
TEST(GraphCurveRules, TheDumpGivesEachCellItsCurves) {
  const std::string dump =
      "data HistogramData template t\n"
      "  row 1: Class1=\"b\" BinX=51 BinCount=40 CurveLabel=\"\" CurveX=. CurveY=.\n"
      "  row 2: Class1=\"b\" BinX=. BinCount=. CurveLabel=\"Normal\" CurveX=48 CurveY=0.5\n"
      "  row 3: Class1=\"b\" BinX=. BinCount=. CurveLabel=\"Normal\" CurveX=55 CurveY=7.5\n"
      "  row 4: Class1=\"b\" BinX=. BinCount=. CurveLabel=\"Gamma\" CurveX=55 CurveY=6.5\n"
      "  row 5: Class1=\"a\" BinX=51 BinCount=40 CurveLabel=\"\" CurveX=. CurveY=.\n"
      "  row 6: Class1=\"a\" BinX=. BinCount=. CurveLabel=\"Normal\" CurveX=50 CurveY=9\n"
      "panel Histogram\n"
      "  file H.svg\n";
  svg_facts f;
  add_dump_facts(read_dump(dump), "H.svg", f);
  EXPECT_TRUE(f.curves.empty());
  ASSERT_EQ(f.cell_curves.size(), 2u);
  ASSERT_EQ(f.cell_curves[0].size(), 2u);
  EXPECT_EQ(f.cell_curves[0][0].label, "Normal");
  EXPECT_EQ(f.cell_curves[0][0].points, (std::vector<std::pair<double, double>>{{48, 0.5}, {55, 7.5}}));
  EXPECT_EQ(f.cell_curves[0][1].label, "Gamma");
  ASSERT_EQ(f.cell_curves[1].size(), 1u);
  EXPECT_EQ(f.cell_curves[1][0].points, (std::vector<std::pair<double, double>>{{50, 9}}));
}

}  // namespace
