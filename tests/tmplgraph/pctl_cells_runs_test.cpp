// Percent axes of comparative probability and Q-Q plots through the built runner, read
// back from the SVG files: each fitted cell carries its own percents and a cell whose
// fit failed none; square cells keep the room their percent axes and notes need; a
// PCTLSCALE axis's percents read apart, in order, and never 100 below 100; a few
// overlaid groups each get their row of percents.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "support/runner_graphs.h"
#include "support/scratch_files.h"
#include "support/svg_reader.h"
#include "support/svg_rules.h"

namespace {

constexpr const char* kRenderers[] = {"template", "device"};

// R's mtcars: hp by am (the lognormal with its threshold fails for am = 0, the first
// level, and fits am = 1).
constexpr int kHp[] = {110, 110, 93,  110, 175, 105, 245, 62,  95,  123, 123, 180, 180, 180, 205, 215,
                       230, 66,  52,  65,  97,  150, 150, 245, 175, 66,  91,  113, 264, 175, 335, 109};
constexpr int kAm[] = {1, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 0, 0, 0, 0, 0, 1, 1, 1, 1, 1, 1, 1};

std::string mtcars() {
  std::ostringstream csv;
  csv << "hp,am\n";
  for (std::size_t i = 0; i < std::size(kHp); ++i) csv << kHp[i] << "," << kAm[i] << "\n";
  return csv.str();
}

using drawn = kes_test::drawn_run;

drawn run(const kes_test::scratch_dir& dir, const std::string& csv, const std::string& program,
          const std::string& renderer) {
  return kes_test::run_on_data(dir.path(), csv, program, renderer);
}

std::string all_faults(const drawn& d) {
  std::string out;
  for (const auto& [name, svg] : d.files)
    for (const kes_test::svg_fault& f : kes_test::svg_rule_faults(svg)) out += name + ": " + f.rule + ": " + f.detail + "\n";
  return out;
}

struct text_at {
  std::string text;
  double x, y;
};

std::vector<text_at> texts(const std::string& svg) {
  std::vector<text_at> out;
  for (const kes_test::svg_element& e : kes_test::svg_elements(svg))
    if (e.name == "text" && !e.text.empty() && e.get("transform").empty()) out.push_back({e.text, e.num("x"), e.num("y")});
  return out;
}

// Comparative Q-Q plots whose first cell's fit fails: the percents stand with the
// fitted cell, below the failed cell's note, in either order of the cells.
TEST(PctlCellsRuns, AFailedCellCarriesNoPercentAxis) {
  kes_test::scratch_dir dir{"pctl-cells"};
  for (const char* renderer : kRenderers)
    for (const char* order : {"", "(order=data)"}) {
      SCOPED_TRACE(std::string(renderer) + " class am" + order);
      const drawn d = run(dir, mtcars(),
                          std::string("proc kestravine data=d noprint; class am") + order +
                              "; var hp;\nqqplot hp / lognormal(sigma=est theta=est zeta=est) pctlaxis(grid);\nrun;\n",
                          renderer);
      ASSERT_EQ(d.status, 0) << d.log;
      ASSERT_EQ(d.files.size(), 1u);
      const std::vector<text_at> t = texts(d.files[0].second);
      const auto note = std::find_if(t.begin(), t.end(), [](const text_at& a) {
        return a.text.find("not drawn: the fit failed") != std::string::npos;
      });
      ASSERT_NE(note, t.end());
      // The fitted cell stands below the failed one without ORDER=, above it with.
      const bool failed_first = *order == '\0';
      int percents = 0;
      for (const text_at& a : t)
        if (a.text == "25" || a.text == "95") {
          ++percents;
          EXPECT_EQ(a.y > note->y, failed_first) << a.text << " at y " << a.y << ", the note at " << note->y;
        }
      EXPECT_EQ(percents, 2);
    }
}

// Square cells of a probability plot by group, each with its own percent axis, and
// overlaid groups' cells each saying why they have none: nothing covers another text
// or runs under the next cell's strip.
TEST(PctlCellsRuns, SquareCellsKeepTheRoomOfTheirPercentAxes) {
  kes_test::scratch_dir dir{"pctl-cells"};
  std::ostringstream tooth;  // three doses, two supplements, ten lengths each
  tooth << "len,dose,supp\n";
  for (int k = 0; k < 60; ++k)
    tooth << 4 + (k % 10) * 1.7 + (k / 20) * 6 + ((k / 10) % 2) * 3 << "," << (k / 20 == 0 ? 0.5 : k / 20) << ","
          << ((k / 10) % 2 ? "VC" : "OJ") << "\n";
  const std::pair<std::string, std::string> cases[] = {
      {mtcars(), "class am; var hp;\nprobplot hp / lognormal(sigma=est) square;"},
      {tooth.str(), "class dose supp; var len;\nprobplot len / lognormal(sigma=est) overlay square;"},
      {tooth.str(), "class dose supp; var len;\nqqplot len / lognormal(sigma=est) overlay square pctlaxis;"},
  };
  for (const auto& [csv, statements] : cases) {
    SCOPED_TRACE(statements);
    const drawn d = run(dir, csv, "proc kestravine data=d noprint; " + statements + "\nrun;\n", "template");
    ASSERT_EQ(d.status, 0) << d.log;
    EXPECT_EQ(all_faults(d), "");
  }
}

// PCTLSCALE over samples whose axes reach far into a tail: the percents along the
// quantile axis (the lowest row of numbers) rise from tick to tick, and none below 100
// reads 100 (the largest lies below 100 by more than the doubles' rounding).
TEST(PctlCellsRuns, PctlscalePercentsReadApartAndBelowHundred) {
  kes_test::scratch_dir dir{"pctl-cells"};
  std::uint64_t s = 99;
  const auto uniform = [&s] {
    s = s * 6364136223846793005ULL + 1442695040888963407ULL;
    return (static_cast<double>(s >> 11) + 0.5) / 9007199254740992.0;
  };
  for (int trial = 0; trial < 4; ++trial) {
    const int n = 200 + 600 * trial;
    std::ostringstream csv;
    csv << "x\n";
    for (int k = 0; k < n; ++k) {
      const double z = std::sqrt(-2 * std::log(uniform())) * std::cos(6.283185307179586 * uniform());
      csv << 4 + std::exp(0.3 + 0.3 * (trial + 1) * z) << "\n";
    }
    for (const char* renderer : kRenderers) {
      SCOPED_TRACE(std::string(renderer) + " trial " + std::to_string(trial));
      const drawn d = run(dir, csv.str(),
                          "proc kestravine data=d noprint; var x;\n"
                          "qqplot x / lognormal(sigma=est theta=est) pctlscale;\nrun;\n",
                          renderer);
      ASSERT_EQ(d.status, 0) << d.log;
      ASSERT_EQ(d.files.size(), 1u);
      std::map<double, std::vector<text_at>, std::greater<>> rows;  // numbers by baseline, lowest first
      for (const text_at& a : texts(d.files[0].second)) {
        char* end = nullptr;
        std::strtod(a.text.c_str(), &end);
        if (end != a.text.c_str() && *end == '\0') rows[a.y].push_back(a);
      }
      ASSERT_FALSE(rows.empty());
      std::vector<text_at> axis = rows.begin()->second;
      std::sort(axis.begin(), axis.end(), [](const text_at& a, const text_at& b) { return a.x < b.x; });
      ASSERT_GE(axis.size(), 3u);
      for (std::size_t i = 0; i < axis.size(); ++i) {
        const double v = std::strtod(axis[i].text.c_str(), nullptr);
        EXPECT_LT(v, 100) << axis[i].text;
        if (i > 0) {
          EXPECT_GT(v, std::strtod(axis[i - 1].text.c_str(), nullptr)) << axis[i - 1].text << " " << axis[i].text;
        }
      }
      EXPECT_EQ(all_faults(d), "");
    }
  }
}

// Four overlaid groups, the most a frame takes rows of percents for, each get one.
TEST(PctlCellsRuns, FourOverlaidGroupsEachGetARowOfPercents) {
  kes_test::scratch_dir dir{"pctl-cells"};
  // R's airquality Temp, months 5 to 8.
  const int temp[] = {67, 72, 74, 62, 56, 66, 65, 59, 61, 69, 74, 69, 66, 68, 58, 64, 66, 57, 68, 62, 59, 73, 61, 61,
                      57, 58, 57, 67, 81, 79, 76, 78, 74, 67, 84, 85, 79, 82, 87, 90, 87, 93, 92, 82, 80, 79, 77, 72,
                      65, 73, 76, 77, 76, 76, 76, 75, 78, 73, 80, 77, 83, 84, 85, 81, 84, 83, 83, 88, 92, 92, 89, 82,
                      73, 81, 91, 80, 81, 82, 84, 87, 85, 74, 81, 82, 86, 85, 82, 86, 88, 86, 83, 81, 81, 81, 82, 86,
                      85, 87, 89, 90, 90, 92, 86, 86, 82, 80, 79, 77, 79, 76, 78, 78, 77, 72, 75, 79, 81, 86, 88, 97,
                      94, 96, 94};
  const int first_of[] = {0, 31, 61, 92, 123};  // the rows of months 5, 6, 7 and 8
  std::ostringstream csv;
  csv << "temp,month\n";
  for (int m = 0; m < 4; ++m)
    for (int i = first_of[m]; i < first_of[m + 1]; ++i) csv << temp[i] << "," << 5 + m << "\n";
  const drawn d = run(dir, csv.str(),
                      "proc kestravine data=d noprint; class month; var temp;\n"
                      "qqplot temp / lognormal(sigma=est theta=0 zeta=est) pctlaxis overlay;\nrun;\n",
                      "template");
  ASSERT_EQ(d.status, 0) << d.log;
  ASSERT_EQ(d.files.size(), 1u);
  std::map<std::string, double> rows;  // each group's row name and its baseline
  std::map<double, int> medians;       // the "50" of each row, by baseline
  for (const text_at& a : texts(d.files[0].second)) {
    if (a.text.rfind("month = ", 0) == 0) rows[a.text] = a.y;
    if (a.text == "50") ++medians[a.y];
  }
  EXPECT_EQ(rows.size(), 4u) << d.log;
  for (const auto& [name, y] : rows) EXPECT_EQ(medians[y], 1) << name;
  EXPECT_EQ(d.log.find("percent"), std::string::npos) << d.log;
}

}  // namespace

// A lognormal shape too small to part any percents (SIGMA=1E-300) puts them all at one
// place: the percentile axis shows none (the template showed a lone "5", the device a
// lone percent and a note for each other one), and the log says why; a shape that
// parts them keeps its axis.
TEST(PctlCellsRuns, PercentsAtOnePlaceGetNoAxisButANote) {
  kes_test::scratch_dir dir{"pctl-cells"};
  for (const char* renderer : kRenderers)
    for (const char* sigma : {"1e-300", "1e-20", "0.5"})
      for (const char* rotate : {"", " rotate"}) {
        SCOPED_TRACE(std::string(renderer) + " sigma " + sigma + rotate);
        const drawn d = run(dir, mtcars(),
                            std::string("proc kestravine data=d noprint; var hp;\nqqplot hp / lognormal(sigma=") +
                                sigma + ") pctlaxis(grid)" + rotate + ";\nrun;\n",
                            renderer);
        ASSERT_EQ(d.status, 0) << d.log;
        ASSERT_EQ(d.files.size(), 1u);
        const bool parted = std::string(sigma) == "0.5";
        int percents = 0;
        for (const kes_test::svg_element& e : kes_test::svg_elements(d.files[0].second))
          percents += e.name == "text" && (e.text == "25" || e.text == "95");
        EXPECT_EQ(percents, parted ? 2 : 0);
        EXPECT_EQ(d.log.find("all stand at one place") != std::string::npos, !parted) << d.log;
        if (!parted) {
          EXPECT_EQ(d.log.find("would overlap"), std::string::npos) << d.log;
        }
      }
}
