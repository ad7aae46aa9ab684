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
  void run(const std::string& program) {
    dir_.write("prog.kes", program);
    kes_test::runner_process p;
    p.start(dir_.path().string(), {"--work", ".", "--log", "log", "--listing", "lst", "--graphics", "none", "prog.kes"},
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
        {"For Month = 7, the lognormal parameters could not be estimated by maximum likelihood: no interior maximum "
         "of the likelihood was found, it rises as the threshold moves away from the data toward the limit law; the "
         "curve of Temp is not fitted.",
         1},
        {"For Month = 7, the gamma parameters could not be estimated by maximum likelihood: no interior maximum of "
         "the likelihood was found, it rises as the threshold moves away from the data toward the limit law; the "
         "curve of Temp is not fitted.",
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
        {"NOTE: No goodness-of-fit tests", 0},
    };
    for (const auto& n : notes) EXPECT_EQ(count(n.text), n.times) << n.text << "\n" << log_;
    if (std::string(second) == "TempT") {
      // The copy of Temp gets the same notes under its own name.
      EXPECT_EQ(count("toward the limit law; the curve of TempT is not fitted."), 2) << log_;
      EXPECT_EQ(count("for the Weibull curve of TempT: its fitted shape c = 1.364"), 1) << log_;
    } else {
      EXPECT_EQ(count("For Month = 9, the gamma parameters could not be estimated"), 1) << log_;
      EXPECT_EQ(count("toward the limit law; the curve of Wind is not fitted."), 2) << log_;
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
  EXPECT_EQ(count("NOTE: The lognormal parameters could not be estimated by maximum likelihood: no interior maximum "
                  "of the likelihood was found, it rises as the threshold moves away from the data toward the limit "
                  "law; the curve of Temp is not fitted."),
            1)
      << log_;
}

}  // namespace
