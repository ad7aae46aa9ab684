// The runner in process with a stand-in module: return codes the real module does not
// give on demand, the host's record of a step's text, and every way a command line,
// program or module can be unusable. Whole programs with the real module (steps in
// order, skipped statements, an unfinished program) are example programs.
#include <gtest/gtest.h>

#include "core/runtime.h"
#include "parse_test_util.h"
#include "support/scratch_files.h"
#include "support/test_settings.h"
#include "runner/module_link.h"
#include "runner/runner.h"
#include "runner/runner_options.h"

namespace {

using kes_test::slurp;

class RunnerTest : public ::testing::Test {
 protected:
  // Runs the program with the stand-in module; codes go to it through DEBUG.
  int run(const std::string& program, std::vector<std::string> extra = {},
          const std::string& module = kes_test::built("tests/libkes_fake_module_good.so")) {
    dir_.write("prog.kes", program);
    std::vector<std::string> args = {"--module", module, "--log", (dir_ / "log").string(),
                                     "--listing", (dir_ / "lst").string(), "--work", dir_.path().string()};
    args.insert(args.end(), extra.begin(), extra.end());
    args.push_back((dir_ / "prog.kes").string());
    ::testing::internal::CaptureStderr();
    int rc = plat::run(args);
    err_ = ::testing::internal::GetCapturedStderr();
    log_ = slurp(dir_ / "log");
    listing_ = slurp(dir_ / "lst");
    return rc;
  }
  void TearDown() override {
    EXPECT_EQ(plat::open_pool_count(), 0) << "a pool outlived its step";
    plat::config() = plat::run_config{};
  }
  kes_test::scratch_dir dir_{"run"};
  std::string err_, log_, listing_;
};

TEST_F(RunnerTest, TheWorstStepDecidesTheExitStatus) {
  EXPECT_EQ(run("options debug='FAKE:112';\nproc kestravine;\nrun;\n"), 1);
  EXPECT_NE(log_.find("WARNING: The KESTRAVINE step (lines 2-2) ended with return code 112."), std::string::npos) << log_;
  EXPECT_EQ(run("options debug='FAKE:1008';\nproc kestravine;\nrun;\noptions debug='';\nproc kestravine;\n"), 2);
  EXPECT_NE(log_.find("ERROR: The KESTRAVINE step (lines 2-2) ended with return code 1008."), std::string::npos) << log_;
  EXPECT_NE(log_.find("(lines 5-5) ended with return code 0."), std::string::npos) << log_;
  EXPECT_EQ(run("options debug='FAKE:-7';\nproc kestravine;\nrun;\n"), 2);
  EXPECT_NE(log_.find("ERROR: Internal error: fake module failure"), std::string::npos) << log_;
  EXPECT_NE(log_.find("return code 9999."), std::string::npos) << log_;
}

TEST_F(RunnerTest, StepTextGoesToTheParserWithoutTheRunnersStatements) {
  // The stand-in module cannot see the text; the host's record of it is checked here.
  run("/* c */ proc kestravine data=a;\n  title 'T';\n  var x; * note;\nrun;\n");
  const plat::step_source& s = plat::current_step();
  EXPECT_EQ(s.first_line, 1);
  EXPECT_EQ(s.first_column, 9);
  EXPECT_EQ(s.text, "proc kestravine data=a;\n            \n  var x;");
  EXPECT_NE(s.file.find("prog.kes"), std::string::npos);
}

TEST_F(RunnerTest, CommandLineFaultsGetOneMessageAndStatus4) {
  struct bad {
    std::vector<std::string> args;
    const char* says;
  } cases[] = {
      {{"--frobnicate", "p.kes"}, "unknown option '--frobnicate'"},
      {{"--log"}, "option --log wants FILE"},
      {{"--memcap", "lots", "p.kes"}, "--memcap wants a positive number of bytes, not 'lots'"},
      {{"--threads", "65", "p.kes"}, "--threads wants a whole number from 0 to 64, not '65'"},
      {{"--lib", "nofolder", "p.kes"}, "--lib wants NAME=FOLDER"},
      {{"--lib", "toolongname=.", "p.kes"}, "is no library name"},
      {{"--lib", "x=/no/such/dir", "p.kes"}, "--lib X: the folder '/no/such/dir' does not exist"},
      {{"--work", "/no/such/dir", "p.kes"}, "--work: the folder '/no/such/dir' does not exist"},
      {{"-o", "LINESIZE=5", "p.kes"}, "-o LINESIZE=5: system option LINESIZE=5"},
      {{"-o", "FOO=1", "p.kes"}, "unknown system option FOO"},
      {{"--parse-dump=yes", "p.kes"}, "option --parse-dump takes no value"},
      {{"a.kes", "b.kes"}, "one program at a time"},
      {{}, "no program given"},
  };
  for (const bad& b : cases) {
    ::testing::internal::CaptureStderr();
    int rc = plat::run(b.args);
    std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(rc, 4) << b.says;
    EXPECT_EQ(err.rfind("kestravine: ", 0), 0u) << err;
    EXPECT_NE(err.find(b.says), std::string::npos) << err;
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
  }
}

TEST_F(RunnerTest, ModuleFaultsStopTheStepsWithStatus5) {
  EXPECT_EQ(run("proc kestravine;\nrun;\n", {}, kes_test::built("tests/libkes_fake_module_badmagic.so")), 5);
  EXPECT_NE(err_.find("magic word is 0xDEADBEEF"), std::string::npos) << err_;
  dir_.write("junk.so", "not a shared object");
  EXPECT_EQ(run("proc kestravine;\nrun;\n", {}, (dir_ / "junk.so").string()), 5);
  EXPECT_NE(err_.find("cannot be loaded"), std::string::npos) << err_;
  // A program without steps needs no module.
  EXPECT_EQ(run("title 'x';\n", {}, (dir_ / "missing.so").string()), 0);
}

TEST_F(RunnerTest, TheMemoryCapReachesTheStep) {
  // The stand-in module asks for 4096 bytes in each step and does not look at the result.
  EXPECT_EQ(run("proc kestravine;\nrun;\n", {"--memcap", "100"}), 0);
  EXPECT_EQ(plat::memory_in_use(), 0);
  // The cap ends with the step: the parser, next in this process, parses a whole step.
  const parse_test::result r = parse_test::parse("proc kestravine data=class;\nvar age;\n");
  EXPECT_EQ(r.errors, 0);
  EXPECT_FALSE(r.dump.empty());
}

TEST(RunnerHelp, ListsEveryOptionAndExitStatus) {
  std::string h = plat::help_text();
  for (const char* opt : {"--work DIR", "--lib NAME=FOLDER", "--listing FILE", "--log FILE", "--json FILE",
                          "--graphs DIR", "-o, --option NAME=VALUE", "--threads N", "--memcap BYTES", "--module PATH",
                          "--parse-dump", "-h, --help", "--version"})
    EXPECT_NE(h.find(opt), std::string::npos) << opt;
  for (const auto& e : plat::exit_statuses())
    EXPECT_NE(h.find("  " + std::to_string(static_cast<int>(e.status)) + "  " + e.meaning), std::string::npos);
  ::testing::internal::CaptureStdout();
  EXPECT_EQ(plat::run({"--help"}), 0);
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), h);
  ::testing::internal::CaptureStdout();
  EXPECT_EQ(plat::run({"--version"}), 0);
  EXPECT_EQ(::testing::internal::GetCapturedStdout().rfind("kestravine ", 0), 0u);
}

TEST(ModuleRecords, TheImageRecordIsCheckedBeforeItsConnectorIsUsed) {
  mcn_entry_fn entry = nullptr;
  std::string error;
  auto fake = []() { return 0; };
  mcn_connector other = {0xFFFF0000u, 0x400, 0x400, "qorqother", fake, 3, 0x25D3, 0x2051C472u, 15};
  mcn_connector mine = {0xFFFF0000u, 0x400, 0x400, "qorqkest", fake, 3, 0x25D3, 0x2051C472u, 15};
  const mcn_connector* list[] = {&other, &mine, nullptr};
  mcn_image img = {"QOR_Image_Information=", MCN_IMAGE_MAGIC, 8, "9.4", "r", "Jan 1 2024", list, "n", "001"};
  ASSERT_TRUE(plat::find_entry(&img, &entry, &error)) << error;
  EXPECT_EQ(entry, mine.entry);

  EXPECT_FALSE(plat::find_entry(nullptr, &entry, &error));
  mcn_image bad = img;
  bad.marker[21] = '-';
  EXPECT_FALSE(plat::find_entry(&bad, &entry, &error));
  EXPECT_NE(error.find("marker"), std::string::npos);
  bad = img;
  bad.marker[22] = 'x';  // the two NUL bytes after the marker belong to it
  EXPECT_FALSE(plat::find_entry(&bad, &entry, &error));
  bad = img;
  bad.magic = 0xB0BDEBEE;
  EXPECT_FALSE(plat::find_entry(&bad, &entry, &error));
  EXPECT_NE(error.find("0xB0BDEBEE"), std::string::npos);
  bad = img;
  bad.pcns = nullptr;
  EXPECT_FALSE(plat::find_entry(&bad, &entry, &error));
  const mcn_connector* only_other[] = {&other, nullptr};
  bad = img;
  bad.pcns = only_other;
  EXPECT_FALSE(plat::find_entry(&bad, &entry, &error));
  EXPECT_NE(error.find("no program connector names the entry qorqkest"), std::string::npos);
  mcn_connector no_entry = mine;
  no_entry.entry = nullptr;
  const mcn_connector* empty_entry[] = {&no_entry, nullptr};
  bad.pcns = empty_entry;
  EXPECT_FALSE(plat::find_entry(&bad, &entry, &error));
}

}  // namespace
