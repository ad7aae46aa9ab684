// A PROC KESTRAVINE statement without DATA= reads the data set most recently written
// in the run, whichever output wrote it; it said "No input data set" even right after
// a step had written one. With none written the step still ends with that message,
// now at the PROC statement's place.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/runner_process.h"
#include "support/scratch_files.h"

namespace {

using kes_test::slurp;

class RunnerDataDefault : public ::testing::Test {
 protected:
  int run(const std::string& program) {
    dir_.write("d.csv", "x,g\n1,a\n2,a\n4,b\n3,b\n5,b\n");
    dir_.write("e.csv", "y\n10\n20\n");
    const int status = kes_test::run_program(proc_, dir_, program, {"--work", ".", "--log", "log", "--listing", "lst",
                                                                     "--graphics", "none"});
    log_ = slurp(dir_ / "log");
    lst_ = slurp(dir_ / "lst");
    return status;
  }
  kes_test::scratch_dir dir_{"datadefault"};
  kes_test::runner_process proc_;
  std::string log_, lst_;
};

TEST_F(RunnerDataDefault, AStepWithoutDataReadsTheDataSetWrittenLast) {
  struct row {
    const char* what;
    std::string writers;   // steps that print nothing and write data sets
    std::string variable;  // a variable of the one written last alone
  };
  const row rows[] = {
      {"OUTPUT OUT=", "proc kestravine data=d noprint; var x; output out=summ mean=mymean; run;\n", "mymean"},
      {"OUTTABLE=", "proc kestravine data=d noprint outtable=tab; var x; run;\n", "_SGNRNK_"},
      {"OUTHISTOGRAM=", "proc kestravine data=d noprint; var x; histogram x / outhistogram=h; run;\n", "_OBSPCT_"},
      {"OUTKERNEL= written after OUTHISTOGRAM=",
       "proc kestravine data=d noprint; var x; histogram x / outhistogram=h kernel outkernel=k; run;\n", "_DENSITY_"},
      {"the later of two steps",
       "proc kestravine data=d noprint; var x; output out=first mean=m1; run;\n"
       "proc kestravine data=e noprint; var y; output out=second mean=m2; run;\n",
       "m2"},
      {"a later step that read but wrote nothing",
       "proc kestravine data=d noprint; var x; output out=summ mean=mymean; run;\n"
       "proc kestravine data=e noprint; var y; run;\n",
       "mymean"},
      {"a later output that failed is not written",
       "proc kestravine data=d noprint; var x; output out=summ mean=mymean; run;\n"
       "proc kestravine data=e noprint; var y; output out=bad(keep=zz) mean=m2; run;\n",
       "mymean"},
  };
  for (const row& r : rows) {
    run(r.writers + "proc kestravine; run;\n");
    EXPECT_EQ(log_.find("No input data set"), std::string::npos) << r.what << "\n" << log_;
    EXPECT_NE(log_.rfind("ended with return code 0."), std::string::npos) << r.what << "\n" << log_;
    EXPECT_EQ(kes_test::occurrences(lst_, "Variable:  " + r.variable + " "), 1) << r.what << "\n" << lst_;
  }
}

// With no data set written before it, or DATA= given and refused, the step says so at
// the PROC statement and reads nothing else.
TEST_F(RunnerDataDefault, WithoutAWrittenDataSetTheStepSaysItNeedsData) {
  struct row {
    const char* what;
    std::string program;
    std::string said;
  };
  const row rows[] = {
      {"the first step", "\n  proc kestravine; run;\n",
       "ERROR: prog.kes line 2, column 3: No input data set: the PROC KESTRAVINE statement needs DATA= naming the "
       "data set to analyse."},
      {"after steps that wrote none", "proc kestravine data=d noprint; var x; run;\nproc kestravine noprint; run;\n",
       "ERROR: prog.kes line 2, column 1: No input data set"},
      {"a refused DATA= after a written data set",
       "proc kestravine data=d noprint; var x; output out=summ mean=m; run;\nproc kestravine data=nosuch; run;\n",
       "cannot open data set"},
  };
  for (const row& r : rows) {
    EXPECT_EQ(run(r.program), 2) << r.what << "\n" << log_;
    EXPECT_EQ(kes_test::occurrences(log_, r.said), 1) << r.what << "\n" << log_;
    EXPECT_EQ(lst_.find("Variable:  m "), std::string::npos) << r.what;
  }
}

}  // namespace
