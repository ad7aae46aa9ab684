// The built kestravine binary as a user runs it: a program or module it cannot use
// gets one clear message and its own exit status, and the program may come from
// standard input. Command-line faults are the in-process runner tests; whole
// programs, their logs and exit statuses are the example programs.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>

#include "support/scratch_files.h"
#include "support/test_settings.h"

namespace {

using kes_test::slurp;

TEST(BinaryTest, ProgramsAndModulesItCannotUseAndStandardInput) {
  struct row {
    const char* input;  // piped to standard input
    const char* args;
    int status;
    const char* err;
  };
  const row rows[] = {
      {"", "absent.kes", 3, "kestravine: cannot read the program 'absent.kes': no such file\n"},
      {"proc kestravine;\\nrun;\\n", "--module /no/such/module.so -", 5,
       "kestravine: module '/no/such/module.so' does not exist\n"},
      {"title \"x\";\\n", "-", 0, ""},
  };
  kes_test::scratch_dir dir{"bin"};
  const std::string d = dir.path().string();
  for (const row& r : rows) {
    const std::string cmd = "cd '" + d + "' && printf '" + r.input + "' | '" + kes_test::built("kestravine") +
                            "' --log '" + d + "/log' --listing '" + d + "/lst' " + r.args + " >/dev/null 2>'" + d +
                            "/err'";
    const int raw = std::system(cmd.c_str());
    EXPECT_EQ(WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, r.status) << r.args;
    EXPECT_EQ(slurp(dir / "err"), r.err) << r.args;
  }
}

}  // namespace
