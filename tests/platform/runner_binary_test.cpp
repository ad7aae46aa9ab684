// The built kestravine binary as a user runs it: programs or command lines it cannot
// use get one clear message, and the program may come from standard input. Help and
// version are the runner's own tests; whole programs, their logs and exit statuses are
// the example programs.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>

#include "core_test_support.h"

namespace {

using kes_test::slurp;

struct outcome {
  int status = -1;
  std::string out, err, log, listing;
};

class BinaryTest : public ::testing::Test {
 protected:
  // Runs the binary in the scratch folder with the program (unless it is empty)
  // and the extra arguments; the log and listing go to files there.
  outcome run(const std::string& program, const std::string& extra = "", bool files = true) {
    if (!program.empty()) dir_.write("prog.kes", program);
    dir_.write("scores.csv", "id,score\n1,10\n2,12\n3,9\n4,15\n5,11\n");
    std::string d = dir_.path().string();
    std::string cmd = "cd '" + d + "' && '" KES_BINARY_DIR "/kestravine' ";
    if (files) cmd += "--log '" + d + "/log' --listing '" + d + "/lst' ";
    cmd += extra + (program.empty() ? "" : " prog.kes") + " >'" + d + "/out' 2>'" + d + "/err' </dev/null";
    int raw = std::system(cmd.c_str());
    outcome o;
    o.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    o.out = slurp(dir_ / "out");
    o.err = slurp(dir_ / "err");
    o.log = slurp(dir_ / "log");
    o.listing = slurp(dir_ / "lst");
    return o;
  }
  kes_test::scratch_dir dir_{"bin"};
};

TEST_F(BinaryTest, UnusableCommandLinesAndProgramsGetOneMessage) {
  outcome o = run("", "--no-such-option prog.kes");
  EXPECT_EQ(o.status, 4);
  EXPECT_EQ(o.err, "kestravine: unknown option '--no-such-option' (see kestravine --help)\n");
  o = run("", "absent.kes", false);
  EXPECT_EQ(o.status, 3);
  EXPECT_EQ(o.err, "kestravine: cannot read the program 'absent.kes': no such file\n");
  o = run("proc kestravine;\nrun;\n", "--module /no/such/module.so");
  EXPECT_EQ(o.status, 5);
  EXPECT_EQ(o.err, "kestravine: module '/no/such/module.so' does not exist\n");
}

TEST_F(BinaryTest, StandardInputCanHoldTheProgram) {
  dir_.write("scores.csv", "id,score\n1,10\n2,12\n");
  std::string d = dir_.path().string();
  std::string cmd = "cd '" + d + "' && printf 'title \"x\";\\n' | '" KES_BINARY_DIR "/kestravine' - 2>'" + d + "/err'";
  int raw = std::system(cmd.c_str());
  EXPECT_EQ(WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, 0) << slurp(dir_ / "err");
}

}  // namespace
