// Annotate data sets on device probability plots, read back from the SVG: percents
// given in data units on the percent axis (across, or up the page under ROTATE) are
// drawn at their normal quantiles, where the axis writes the same percents, while the
// data axis stays linear; a coordinate that is not a percent is noted by observation
// and variable and that observation alone is left out.
// Reference quantile ratios: Python's statistics.NormalDist,
// inv_cdf(0.75) / inv_cdf(0.9) = 0.5263071485613257, inv_cdf(0.1) / inv_cdf(0.9) = -1.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <string>

#include "../support/scratch_files.h"
#include "../support/svg_reader.h"
#include "device_run.h"

namespace {

using kes_test::slurp;

struct text_at {
  double x = 0, y = 0, length = 0;
};

// Every text element by its content; of equal texts the first, which is the percent
// axis' (drawn before the data axis).
std::map<std::string, text_at> texts(const std::string& doc) {
  std::map<std::string, text_at> out;
  const auto or_zero = [](double v) { return std::isnan(v) ? 0 : v; };
  for (const kes_test::svg_element& e : kes_test::svg_elements(doc))
    if (e.name == "text")
      out.emplace(e.text, text_at{or_zero(e.num("x")), or_zero(e.num("y")), or_zero(e.num("textLength"))});
  return out;
}

constexpr double kQ75OverQ90 = 0.5263071485613257;

class AnnotatePercentAxis : public ::testing::Test {
 protected:
  kes_test::scratch_dir dir{"annotate-percent"};
  std::map<std::string, text_at> run(const std::string& annotate, const std::string& options) {
    dir.write("d.csv", "x\n1\n2\n3\n4\n5\n6\n7\n8\n9\n10\n");
    dir.write("a.csv", "function,x,y,xsys,ysys,text\n" + annotate);
    dir.write("p.kes", "proc kestravine data=d noprint; var x;\nprobplot x / normal " + options +
                           " annotate=a;\nrun;\n");
    EXPECT_EQ(devgraph_test::device_run(dir.path(), dir / "p.kes"), 0) << log();
    const auto files = devgraph_test::graph_files(dir.path());
    EXPECT_EQ(files.size(), 1u) << log();
    return files.empty() ? std::map<std::string, text_at>{} : texts(slurp(dir / "graphs" / files[0]));
  }
  std::string log() { return slurp(dir / "log"); }
};

TEST_F(AnnotatePercentAxis, PercentsAcrossTheBottomSitAtTheirQuantiles) {
  auto t = run("label,10,3,2,2,P10\nlabel,50,5,2,2,P50\nlabel,90,8,2,2,P90\nlabel,75,5,2,2,P75\n", "");
  for (const char* k : {"P10", "P50", "P90", "P75", "10", "50", "90"}) ASSERT_TRUE(t.count(k)) << k << "\n" << log();
  // The axis writes its percents left-aligned, the labels are centred: the middles meet.
  for (const char* p : {"10", "50", "90"})
    EXPECT_NEAR(t.at(std::string("P") + p).x, t.at(p).x + t.at(p).length / 2, 0.02) << p;
  const double x50 = t.at("P50").x, span = t.at("P90").x - x50;
  ASSERT_GT(span, 50);
  EXPECT_NEAR((t.at("P10").x - x50) / span, -1.0, 1e-3);
  EXPECT_NEAR((t.at("P75").x - x50) / span, kQ75OverQ90, 1e-3);  // linear in percent would give 0.625
  // The data axis stays linear: values 3, 5 and 8.
  const double y5 = t.at("P50").y;
  EXPECT_NEAR((t.at("P90").y - y5) / (t.at("P10").y - y5), -1.5, 1e-3);
  EXPECT_EQ(log().find("ANNOTATE= observation"), std::string::npos) << log();
}

TEST_F(AnnotatePercentAxis, UnderRotateThePercentsGoUpThePage) {
  auto t = run("label,3,10,2,2,P10\nlabel,5,50,2,2,P50\nlabel,8,90,2,2,P90\nlabel,5,75,2,2,P75\n", "rotate");
  for (const char* k : {"P10", "P50", "P90", "P75", "10", "50", "90", "0", "2"})
    ASSERT_TRUE(t.count(k)) << k << "\n" << log();
  // A centred label's baseline stands the same distance below its point as the axis
  // writes its percents: equal offsets from the percents' own texts.
  const double off = t.at("P50").y - t.at("50").y;
  for (const char* p : {"10", "90"}) EXPECT_NEAR(t.at(std::string("P") + p).y - t.at(p).y, off, 0.02) << p;
  const double y50 = t.at("P50").y, span = t.at("P90").y - y50;
  ASSERT_LT(span, -50);  // up the page
  EXPECT_NEAR((t.at("P10").y - y50) / span, -1.0, 1e-3);
  EXPECT_NEAR((t.at("P75").y - y50) / span, kQ75OverQ90, 1e-3);
  // Values across: 3 stands half-way between the data axis' ticks 2 and 4 beyond 2.
  const double x0 = t.at("0").x, x2 = t.at("2").x;
  EXPECT_NEAR(t.at("P10").x, x0 + 1.5 * (x2 - x0), 0.05);
  EXPECT_NEAR(t.at("P90").x, x0 + 4.0 * (x2 - x0), 0.05);
}

// Each coordinate that is not a percent: its note names the observation and variable,
// it alone is left out, and the others are drawn.
TEST_F(AnnotatePercentAxis, ACoordinateThatIsNotAPercentIsNotedAndLeftOut) {
  struct bad_case {
    const char* options;
    const char* rows;
    const char* variable;
  } const cases[] = {
      {"", "label,0,5,2,2,Zero\nlabel,50,5,2,2,Good\nlabel,100,5,2,2,Hundred\nlabel,,5,2,2,Missing\n", "x"},
      {"rotate", "label,5,-3,2,2,Zero\nlabel,5,50,2,2,Good\nlabel,5,250,2,2,Hundred\nlabel,5,,2,2,Missing\n", "y"},
  };
  for (const bad_case& c : cases) {
    auto t = run(c.rows, c.options);
    EXPECT_TRUE(t.count("Good")) << c.options;
    for (const char* k : {"Zero", "Hundred", "Missing"}) EXPECT_FALSE(t.count(k)) << k << c.options;
    const std::string l = log();
    for (int obs : {1, 3, 4}) {
      const std::string note = "ANNOTATE= observation " + std::to_string(obs) + ": " + c.variable +
                               " on the percent axis of a probability plot is in data units but is not a percent";
      EXPECT_NE(l.find(note), std::string::npos) << note << "\n" << l;
    }
    EXPECT_EQ(l.find("ANNOTATE= observation 2:"), std::string::npos) << l;
    // The service itself says nothing more of them.
    EXPECT_EQ(l.find("is missing or not numeric"), std::string::npos) << l;
  }
}

// Percent-of-area coordinates on the percent axis are not percents of the axis: they
// are placed as given, without a note.
TEST_F(AnnotatePercentAxis, OtherSystemsOnThePercentAxisAreUsedAsGiven) {
  auto t = run("label,50,5,1,2,Middle\nlabel,50,5,2,2,P50\n", "");
  ASSERT_TRUE(t.count("Middle") && t.count("P50")) << log();
  EXPECT_EQ(log().find("ANNOTATE= observation"), std::string::npos) << log();
}

// Relative data units on the percent axis cannot be placed: the data set is left off
// the plot, and the log says so.
TEST_F(AnnotatePercentAxis, RelativeDataUnitsOnThePercentAxisAreNoted) {
  auto t = run("label,50,5,2,2,Start\nlabel,10,0,8,2,Moved\n", "");
  EXPECT_FALSE(t.count("Start") || t.count("Moved")) << log();
  EXPECT_NE(log().find("relative data units (system 8) on the percent axis"), std::string::npos) << log();
}

}  // namespace
