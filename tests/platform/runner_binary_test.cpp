// The built kestravine binary with the real module, as a user runs it: the exit
// status agrees with the return codes its log reports, and programs or command lines
// it cannot use get one clear message.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <regex>

#include "core_test_support.h"
#include "runner/runner.h"

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

// The (first line, last line, return code) of every step note of a log.
std::vector<std::array<int, 3>> step_notes(const std::string& log) {
  static const std::regex note(R"(The KESTRAVINE step \(lines (\d+)-(\d+)\) ended with return code (-?\d+)\.)");
  std::vector<std::array<int, 3>> v;
  for (std::sregex_iterator it(log.begin(), log.end(), note), end; it != end; ++it)
    v.push_back({std::stoi((*it)[1]), std::stoi((*it)[2]), std::stoi((*it)[3])});
  return v;
}

int worst_status(const std::vector<std::array<int, 3>>& notes) {
  int worst = 0;
  for (const auto& n : notes) worst = std::max(worst, static_cast<int>(plat::status_of_step(n[2])));
  return worst;
}

TEST_F(BinaryTest, TwoStepsRunAndTheExitStatusFollowsTheirCodes) {
  outcome o = run("proc kestravine data=scores;\n  var score;\nrun;\n\nproc kestravine data=scores;\n  var score;\n");
  auto notes = step_notes(o.log);
  ASSERT_EQ(notes.size(), 2u) << o.log << o.err;
  EXPECT_EQ(notes[0][0], 1);
  EXPECT_EQ(notes[0][1], 2);
  EXPECT_EQ(notes[1][0], 5);
  EXPECT_EQ(notes[1][1], 6);
  EXPECT_EQ(o.status, worst_status(notes)) << o.log;
  EXPECT_EQ(o.err, "");
}

TEST_F(BinaryTest, AnotherProcedureIsAProgramErrorAndTheNextStepStillRuns) {
  outcome o = run("proc other;\nrun;\nproc kestravine data=scores;\nrun;\n");
  EXPECT_EQ(o.status, 3) << o.log;
  EXPECT_NE(o.log.find("ERROR: Procedure OTHER (line 1) is not known"), std::string::npos) << o.log;
  auto notes = step_notes(o.log);
  ASSERT_EQ(notes.size(), 1u) << o.log;
  EXPECT_EQ(notes[0][0], 3);
}

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

TEST_F(BinaryTest, HelpAndVersionGoToStandardOutput) {
  outcome o = run("", "--help", false);
  EXPECT_EQ(o.status, 0);
  EXPECT_NE(o.out.find("Usage: kestravine [options] PROGRAM"), std::string::npos);
  EXPECT_EQ(o.err, "");
  o = run("", "--version", false);
  EXPECT_EQ(o.status, 0);
  EXPECT_EQ(o.out.rfind("kestravine ", 0), 0u);
}

TEST_F(BinaryTest, StandardInputCanHoldTheProgram) {
  dir_.write("scores.csv", "id,score\n1,10\n2,12\n");
  std::string d = dir_.path().string();
  std::string cmd = "cd '" + d + "' && printf 'title \"x\";\\n' | '" KES_BINARY_DIR "/kestravine' - 2>'" + d + "/err'";
  int raw = std::system(cmd.c_str());
  EXPECT_EQ(WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, 0) << slurp(dir_ / "err");
}

}  // namespace
