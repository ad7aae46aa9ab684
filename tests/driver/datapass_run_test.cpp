// Programs run end to end through the runner and the built module: the data pass
// over CSV data sets in a scratch WORK folder, the return codes it leaves, and data
// sets that cannot be read.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <cstdlib>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>


namespace {

class DatapassRun : public ::testing::Test {
 protected:
  void SetUp() override {
    static int serial = 0;
    dir_ = std::filesystem::temp_directory_path() /
           ("kes-dprun-" + std::to_string(::getpid()) + "-" + std::to_string(serial++));
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
    runner_ = std::string(KES_BINARY_DIR) + "/kestravine";
    if (!std::filesystem::exists(runner_) || !std::filesystem::exists(std::string(KES_BINARY_DIR) + "/libkestravine.so"))
      GTEST_SKIP() << "runner or module not built in " << KES_BINARY_DIR;
  }
  void TearDown() override {
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
  }
  void write(const std::string& name, const std::string& text) {
    std::ofstream(dir_ / name, std::ios::binary) << text;
  }
  // Runs the built runner (its own process: the module is loaded as it will be).
  int run(const std::string& program, std::vector<std::string> extra = {}) {
    write("prog.kes", program);
    std::string cmd = "'" + runner_ + "' --log '" + (dir_ / "log").string() + "' --listing '" +
                      (dir_ / "lst").string() + "' --work '" + dir_.string() + "'";
    for (const std::string& e : extra) cmd += " '" + e + "'";
    cmd += " '" + (dir_ / "prog.kes").string() + "' 2>/dev/null";
    const int w = std::system(cmd.c_str());
    const int rc = WIFEXITED(w) ? WEXITSTATUS(w) : -1;
    std::ifstream in(dir_ / "log", std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    log_ = ss.str();
    return rc;
  }
  bool logged(const std::string& text) const { return log_.find(text) != std::string::npos; }

  std::filesystem::path dir_;
  std::string runner_, log_;
};

std::string many_values(int n) {
  std::string csv = "g,c,x,y\n";
  for (int i = 0; i < n; ++i)
    csv += std::to_string(i % 2) + "," + (i % 3 ? "a" : "b") + "," + std::to_string(i * 7 % 20011) + ".5," +
           std::to_string(i) + "\n";
  return csv;
}

TEST_F(DatapassRun, ByClassWeightFreqStepEndsCleanly) {
  write("d.csv", "g,c,x,w,f\n1,a,1,2,1\n1,b,4,3,2\n1,a,7,2,3.5\n2,a,.,1,1\n2,b,9,-1,2\n");
  const int status = run(
      "proc kestravine data=d noprint round=1;\n var x;\n by g;\n class c(order=freq);\n"
      " weight w;\n freq f;\nrun;\n");
  EXPECT_EQ(status, 0) << log_;
  EXPECT_TRUE(logged("ended with return code 0")) << log_;
}

TEST_F(DatapassRun, KeylevelWithoutMatchRaisesTheReturnCodeTo4) {
  write("d.csv", "c,x\na,1\nb,2\n");
  const int status = run("proc kestravine data=d noprint;\n var x;\n class c / keylevel='zz';\nrun;\n");
  EXPECT_EQ(status, 0) << log_;
  EXPECT_TRUE(logged("KEYLEVEL= value zz matches no level of CLASS variable c")) << log_;
  EXPECT_TRUE(logged("ended with return code 4")) << log_;
}

TEST_F(DatapassRun, ThreeClassVariablesEndWith2000) {
  write("d.csv", "a,b,c,x\n1,2,3,4\n");
  const int status = run("proc kestravine data=d noprint;\n var x;\n class a b c;\nrun;\n");
  EXPECT_EQ(status, 2) << log_;
  EXPECT_TRUE(logged("names 3 variables")) << log_;
  EXPECT_TRUE(logged("ended with return code 2000")) << log_;
}

// Unsorted BY data ended the BY loop early with an error in the log, yet the step was
// reported with return code 0 and the run as a success.
TEST_F(DatapassRun, UnsortedByDataFailsTheStep) {
  write("d.csv", "g,x\nb,1\na,2\n");
  const int status = run("proc kestravine data=d noprint;\n var x;\n by g;\nrun;\n");
  EXPECT_EQ(status, 2) << log_;
  EXPECT_TRUE(logged("is not sorted in ascending order of BY variable g")) << log_;
  EXPECT_TRUE(logged("ended with return code 1020")) << log_;
}

TEST_F(DatapassRun, EmptyByGroupIsSkippedWithANote) {
  write("d.csv", "x,w\n1,.\n2,.\n");
  const int status = run("proc kestravine data=d noprint;\n var x;\n weight w;\nrun;\n");
  EXPECT_EQ(status, 0) << log_;
  EXPECT_TRUE(logged("No observation of the BY group has a FREQ value above 0")) << log_;
}

TEST_F(DatapassRun, FrequencyBeyondTheIntRangeEndsTheStep) {
  write("d.csv", "x,f\n1,3e9\n");
  const int status = run("proc kestravine data=d noprint;\n var x;\n freq f;\nrun;\n");
  EXPECT_EQ(status, 1) << log_;
  EXPECT_TRUE(logged("exceeds 2147483647")) << log_;
  EXPECT_TRUE(logged("ended with return code 108")) << log_;
}

// A pool cap that holds the cells but not one variable's values: every variable is
// read on its own in not-computed mode, and the step still ends.
TEST_F(DatapassRun, CapTooSmallForOneVariableStillEnds) {
  write("d.csv", many_values(20000));
  const int status = run("proc kestravine data=d noprint;\n var x y;\nrun;\n", {"--memcap", "60000"});
  EXPECT_TRUE(logged("The statistics of variable x are not computed")) << log_;
  EXPECT_TRUE(logged("The statistics of variable y are not computed")) << log_;
  EXPECT_TRUE(logged("ended with return code 112")) << log_;
  EXPECT_EQ(status, 1);
}

TEST_F(DatapassRun, UnreadableDataSetsGiveAMessageAndTheProgramGoesOn) {
  write("ragged.csv", "x,y\n1,2\n3\n");
  write("quote.csv", "x,y\n1,\"open\n");
  write("empty.csv", "");
  write("ok.csv", "x\n1\n2\n");
  for (const char* member : {"ragged", "quote", "empty", "nosuch"}) {
    SCOPED_TRACE(member);
    const int status =
        run(std::string("proc kestravine data=") + member + " noprint;\n var x;\nrun;\n"
            "proc kestravine data=ok noprint;\n var x;\nrun;\n");
    EXPECT_NE(status, 0);
    std::string upper_log = log_;
    for (char& c : upper_log) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    std::string upper_member = member;
    for (char& c : upper_member) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    EXPECT_NE(upper_log.find(upper_member), std::string::npos) << log_;
    // The next step still runs and reads its data set.
    EXPECT_TRUE(logged("step (lines 4-5) ended with return code 0")) << log_;
  }
}

}  // namespace
