// The notes of threshold fits and of their goodness-of-fit tests, through the built
// runner on R's airquality: each names the family, the variable and the CLASS cell it
// speaks of, so that with two variables and five months a reader can tell them apart.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "support/ref_tables.h"
#include "support/runner_process.h"
#include "support/scratch_files.h"

namespace {

using kes_test::slurp;

// R 4.2's airquality (153 days, May to September): Month, Temp, Wind (from
// tests/fit/ref/rdata) and Ozone (NA where R has NA), Temp also as TempT.
std::string airquality_csv() {
  const char* ozone =
      "41,36,12,18,NA,28,23,19,8,NA,7,16,11,14,18,14,34,6,30,11,1,11,4,32,NA,NA,NA,23,45,115,37,NA,NA,NA,NA,NA,NA,29,"
      "NA,71,39,NA,NA,23,NA,NA,21,37,20,12,13,NA,NA,NA,NA,NA,NA,NA,NA,NA,NA,135,49,32,NA,64,40,77,97,97,85,NA,10,27,"
      "NA,7,48,35,61,79,63,16,NA,NA,80,108,20,52,82,50,64,59,39,9,16,78,35,66,122,89,110,NA,NA,44,28,65,NA,22,59,23,"
      "31,44,21,9,NA,45,168,73,NA,76,118,84,85,96,78,73,91,47,32,20,23,21,24,44,21,28,9,13,46,18,13,24,16,13,23,36,"
      "7,14,30,NA,14,18,20";
  std::vector<std::string> oz;
  std::stringstream in(ozone);
  for (std::string v; std::getline(in, v, ',');) oz.push_back(v == "NA" ? "" : v);
  std::vector<std::string> temp, wind;
  for (const auto& r : kes_test::ref_rows("fit/ref/rdata/airquality_Temp.txt")) temp.push_back(r[0]);
  for (const auto& r : kes_test::ref_rows("fit/ref/rdata/airquality_Wind.txt")) wind.push_back(r[0]);
  std::string csv = "Month,Temp,TempT,Wind,Ozone\n";
  const int days[] = {31, 30, 31, 31, 30};
  size_t i = 0;
  for (int m = 0; m < 5; ++m)
    for (int d = 0; d < days[m] && i < temp.size(); ++d, ++i)
      csv += std::to_string(m + 5) + "," + temp[i] + "," + temp[i] + "," + wind[i] + "," + oz[i] + "\n";
  return csv;
}

class FitNotePlaces : public ::testing::Test {
 protected:
  void SetUp() override { dir_.write("airq.csv", airquality_csv()); }
  // The fits of Q-Q, probability, P-P and CDF plots are made for their graphs: a
  // renderer (template or device) draws them into the scratch folder.
  void run(const std::string& program, const char* graphics = "none") {
    dir_.write("prog.kes", program);
    kes_test::runner_process p;
    p.start(dir_.path().string(),
            {"--work", ".", "--log", "log", "--listing", "lst", "--graphics", graphics, "--graphs",
             ".", "prog.kes"},
            [] { ::alarm(120); });
    p.wait();
    log_ = slurp(dir_ / "log");
  }
  int count(const std::string& text) const { return kes_test::occurrences(log_, text); }

  kes_test::scratch_dir dir_{"fitnotes"};
  std::string log_;
};

TEST_F(FitNotePlaces, ThresholdFitNotesNameTheirFamilyVariableAndCell) {
  // Before: "The likelihood rises without bound ..." ten times, "The lognormal
  // parameters could not be estimated ..." and "No goodness-of-fit tests are computed
  // for the Weibull curve: its fitted shape c = 1.364 ..." naming neither the variable
  // nor the month.
  const std::string step =
      "proc kestravine data=airq noprint;\n  class Month; var %V;\n"
      "  histogram / lognormal(theta=est) weibull(theta=est) gamma(theta=est) noplot;\nrun;\n";
  for (const char* second : {"Wind", "TempT"}) {
    SCOPED_TRACE(second);
    std::string program = step;
    program.replace(program.find("%V"), 2, std::string("Temp ") + second);
    run(program);
    const struct {
      std::string text;
      int times;
    } notes[] = {
        {"For Month = 7, the Lognormal distribution could not be fitted to Temp: no interior maximum of the "
         "likelihood was found, it rises as the threshold moves away from the data toward the limit law; its curve "
         "is not drawn.",
         1},
        {"For Month = 7, the Gamma distribution could not be fitted to Temp: no interior maximum of the likelihood "
         "was found, it rises as the threshold moves away from the data toward the limit law; its curve is not "
         "drawn.",
         1},
        {"For Month = 5, the likelihood of the Gamma curve of Temp rises without bound as the threshold nears the "
         "smallest value; the largest interior local maximum of the likelihood is reported.",
         1},
        {"For Month = 5, the likelihood of the Weibull curve of Temp rises without bound", 1},
        {"For Month = 5, no goodness-of-fit tests are computed for the Weibull curve of Temp: its fitted shape c = "
         "1.364 lies below the range of the tables of critical values, which hold c above 2.",
         1},
        // No note without its variable and cell.
        {"NOTE: The likelihood rises", 0},
        {"NOTE: The lognormal parameters", 0},
        {"could not be estimated by maximum likelihood", 0},
        {"NOTE: No goodness-of-fit tests", 0},
    };
    for (const auto& n : notes) EXPECT_EQ(count(n.text), n.times) << n.text << "\n" << log_;
    if (std::string(second) == "TempT") {
      // The copy of Temp gets the same notes under its own name.
      EXPECT_EQ(count("could not be fitted to TempT: no interior maximum of the likelihood was found, it rises as the "
                      "threshold moves away from the data toward the limit law; its curve is not drawn."),
                2)
          << log_;
      EXPECT_EQ(count("for the Weibull curve of TempT: its fitted shape c = 1.364"), 1) << log_;
    } else {
      EXPECT_EQ(count("For Month = 9, the Gamma distribution could not be fitted to Wind: no interior"), 1) << log_;
      EXPECT_EQ(count("could not be fitted to Wind: no interior maximum of the likelihood was found, it rises as the "
                      "threshold moves away from the data toward the limit law; its curve is not drawn."),
                2)
          << log_;
      EXPECT_EQ(count("For Month = 5, the likelihood of the Gamma curve of Wind rises without bound"), 1) << log_;
    }
  }
}

TEST_F(FitNotePlaces, TooFewObservationsForTheTestsNamesTheCell) {
  // Ozone in June has 9 values: its Gamma tests with estimated parameters are not
  // computed, and the note says for which month and variable.
  run("proc kestravine data=airq noprint;\n  class Month; var Ozone;\n  histogram / gamma(theta=0) noplot;\nrun;\n");
  EXPECT_EQ(count("For Month = 6, the Gamma goodness-of-fit tests with estimated parameters need at least 10 "
                  "observations of Ozone; they are not computed."),
            1)
      << log_;
  EXPECT_EQ(count("goodness-of-fit tests with estimated parameters need"), 1) << log_;
  // The cause once: no second note that merely says the tests are missing.
  EXPECT_EQ(count("no goodness-of-fit tests are computed"), 0) << log_;
  EXPECT_EQ(count("No goodness-of-fit tests are computed"), 0) << log_;
}

TEST_F(FitNotePlaces, WithoutClassTheNotesNameTheVariable) {
  // July alone, without CLASS.
  std::stringstream in(airquality_csv());
  std::string csv, line;
  std::getline(in, line);
  csv = line + "\n";
  while (std::getline(in, line))
    if (line.rfind("7,", 0) == 0) csv += line + "\n";
  dir_.write("july.csv", csv);
  run("proc kestravine data=july noprint;\n  var Temp;\n  histogram / lognormal(theta=est) noplot;\nrun;\n");
  EXPECT_EQ(count("NOTE: The Lognormal distribution could not be fitted to Temp: no interior maximum of the "
                  "likelihood was found, it rises as the threshold moves away from the data toward the limit law; its "
                  "curve is not drawn."),
            1)
      << log_;
  EXPECT_EQ(count("could not be fitted"), 1) << log_;
}


// Every row with a constant second CLASS variable Site = K: its cells are the months'.
std::string with_site(const std::string& csv) {
  std::stringstream in(csv);
  std::string out, line;
  for (bool head = true; std::getline(in, line); head = false) out += line + (head ? ",Site\n" : ",K\n");
  return out;
}

// A family that could not be fitted gets one note, naming the cell (or BY group), the
// family, the variable and the fit's reason, ending with what the plot type does not
// draw. The lognormal with an estimated threshold finds no maximum for Temp in July
// and for Wind in September (the likelihood rises toward the limit law there).
TEST_F(FitNotePlaces, OneNotePerFailedFitNamesCellFamilyVariableAndReason) {
  dir_.write("airq2.csv", with_site(airquality_csv()));
  const struct {
    const char* statement;
    const char* ending;
  } plots[] = {
      {"histogram / lognormal(theta=est);", "its curve is not drawn"},
      {"qqplot / lognormal(sigma=est theta=est zeta=est);", "the Q-Q plot has no reference line"},
      {"probplot / lognormal(sigma=est theta=est zeta=est);", "the probability plot has no reference line"},
      {"ppplot / lognormal(theta=est);", "the P-P plot is not drawn"},
      {"cdfplot / lognormal(theta=est);", "its curve is not drawn"},
  };
  const struct {
    const char* data;
    const char* groups;
    const char* july;  // the lead of July's note, then its tail
    const char* july_tail;
    const char* september;
    const char* september_tail;
  } forms[] = {
      {"airq", "class Month;", "For Month = 7, the", ".", "For Month = 9, the", "."},
      {"airq2", "class Month Site;", "For Month = 7 and Site = K, the", ".", "For Month = 9 and Site = K, the", "."},
      {"airq", "by Month;", "NOTE: The", " (BY group Month=7).", "NOTE: The", " (BY group Month=9)."},
  };
  const std::string reason =
      ": no interior maximum of the likelihood was found, it rises as the threshold moves away from the data toward "
      "the limit law; ";
  for (const char* renderer : {"template", "device"})
    for (const auto& plot : plots)
      for (const auto& form : forms) {
        SCOPED_TRACE(std::string(plot.statement) + " " + form.groups + " " + renderer);
        run(std::string("proc kestravine data=") + form.data + " noprint;\n  " + form.groups +
                "\n  var Temp Wind;\n  " + plot.statement + "\nrun;\n",
            renderer);
        const std::string temp = std::string(form.july) + " Lognormal distribution could not be fitted to Temp" +
                                 reason + plot.ending + form.july_tail;
        const std::string wind = std::string(form.september) +
                                 " Lognormal distribution could not be fitted to Wind" + reason + plot.ending +
                                 form.september_tail;
        EXPECT_EQ(count(temp), 1) << temp << "\n" << log_;
        EXPECT_EQ(count(wind), 1) << wind << "\n" << log_;
        // One note per failed fit and cell: two in all, and no other note of the reason.
        EXPECT_EQ(count("distribution could not be fitted"), 2) << log_;
        EXPECT_EQ(count("no interior maximum of the likelihood"), 2) << log_;
        EXPECT_EQ(count("could not be estimated"), 0) << log_;
      }
}

TEST_F(FitNotePlaces, AFailedFitWithoutAReasonNamesTheVariable) {
  // THETA=2 lies above June's smallest Wind (1.7): the threshold's own notes say why,
  // and the note of the family names the variable with no reason of the fit.
  run("proc kestravine data=airq noprint;\n  class Month; var Wind;\n  histogram / exponential(theta=2) noplot;\nrun;\n");
  EXPECT_EQ(count("For Month = 6, the Exponential distribution could not be fitted to Wind; its curve is not drawn."),
            1)
      << log_;
  EXPECT_EQ(count("distribution could not be fitted"), 1) << log_;
}

TEST_F(FitNotePlaces, ALineLostWithGivenShapesKeepsTheFitsReason) {
  // Given beta shapes place the points without a fit: the failed fit loses only the line,
  // and its one note per cell still gives the reason.
  run("proc kestravine data=airq noprint;\n  class Month; var Temp Wind;\n"
      "  probplot / beta(alpha=0.5 beta=0.5 theta=est sigma=est);\nrun;\n",
      "template");
  for (const char* v : {"Temp", "Wind"})
    for (int m = 5; m <= 9; ++m) {
      const std::string note = "For Month = " + std::to_string(m) + ", the Beta distribution could not be fitted to " +
                               v + ": no interior maximum of the likelihood was found, it rises as the threshold "
                               "moves away from the data toward the limit law; the probability plot has no "
                               "reference line.";
      EXPECT_EQ(count(note), 1) << note << "\n" << log_;
    }
  EXPECT_EQ(count("distribution could not be fitted"), 10) << log_;
  EXPECT_EQ(count("could not be estimated"), 0) << log_;
}

TEST_F(FitNotePlaces, BetaShapesBelowTheTablesNoteTheirCauseOnce) {
  // R: signif(qbeta(ppoints(30), 0.05, 0.05), 6); the fitted shapes are about 0.183,
  // below the 0.2 the tables of the tests start at.
  const char* x =
      "2.65629e-30 9.26192e-21 2.53324e-16 2.11952e-13 3.22943e-11 1.78702e-09 5.04827e-08 8.83285e-07 1.07957e-05 "
      "9.98409e-05 0.000738535 0.00453988 0.0236418 0.102167 0.328876 0.671124 0.897833 0.976358 0.99546 0.999261 "
      "0.9999 0.999989 0.999999 1 1 1 1 1 1 1";
  std::string csv = "g,x\n";
  std::stringstream in(x);
  for (std::string v; in >> v;) csv += "A," + v + "\n";
  dir_.write("u.csv", csv);
  run("proc kestravine data=u noprint;\n  class g; var x;\n  histogram / beta(theta=-0.001 sigma=1.002) noplot;\n"
      "run;\n");
  EXPECT_EQ(count("For g = A, the Beta goodness-of-fit tests of x with estimated shapes have no p-values for a shape "
                  "below 0.2; they are not computed."),
            1)
      << log_;
  EXPECT_EQ(count("goodness-of-fit tests are computed"), 0) << log_;
}

TEST_F(FitNotePlaces, APpPlotWithNoFittedCellSaysSoOnceOverItsCells) {
  // THETA=12 lies above every month's smallest Wind: each month's note, then one note
  // for the whole plot. Without CLASS variables the one cell's note says it all.
  const std::string all = "The distribution could not be fitted to Wind in any cell; the P-P plot is not drawn.";
  run("proc kestravine data=airq noprint;\n  class Month; var Wind;\n  ppplot / exponential(theta=12);\nrun;\n",
      "template");
  EXPECT_EQ(count("the Exponential distribution could not be fitted to Wind; the P-P plot is not drawn."), 5) << log_;
  EXPECT_EQ(count(all), 1) << log_;
  run("proc kestravine data=airq noprint;\n  var Wind;\n  ppplot / exponential(theta=12);\nrun;\n", "template");
  EXPECT_EQ(count("NOTE: The Exponential distribution could not be fitted to Wind; the P-P plot is not drawn."), 1)
      << log_;
  EXPECT_EQ(count(all), 0) << log_;
}

}  // namespace
