// Control characters in a program: outside a step one was copied raw into the log
// inside "Statement ... is not valid outside", and a NUL at the end was taken for an
// unterminated statement. Wherever it stands, the runner now says what a step says of
// it, and no control character reaches the log or the listing.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "runner_process.h"
#include "support/scratch_files.h"

namespace {

using kes_test::slurp;

// Bytes below 0x20 other than a line end, a tab and (in a listing, between pages) a
// form feed.
std::string control_bytes_in(const std::string& text, bool listing = false) {
  std::string found;
  for (char c : text)
    if (static_cast<unsigned char>(c) < 0x20 && c != '\n' && c != '\t' && !(listing && c == '\f'))
      found += std::to_string(c) + " ";
  return found;
}

class RunnerControlBytes : public ::testing::Test {
 protected:
  int run(const std::string& program) {
    dir_.write("d.csv", "x\n1\n2\n4\n");
    dir_.write("prog.kes", program);
    proc_.start(dir_.path().string(), {"--work", ".", "--log", "log", "--listing", "lst", "prog.kes"},
                [] { ::alarm(60); });
    const int status = proc_.wait();
    log_ = slurp(dir_ / "log");
    lst_ = slurp(dir_ / "lst");
    return status;
  }
  kes_test::scratch_dir dir_{"ctlbytes"};
  kes_test::runner_process proc_;
  std::string log_, lst_;
};

const std::string kStep = "proc kestravine data=d; var x; run;\n";
const char* const kRan = "ended with return code 0.";

TEST_F(RunnerControlBytes, EachIsSaidAsAStepSaysItAndNoneIsWritten) {
  struct row {
    const char* place;
    std::string program;
    std::string expected;  // the log holds it
    std::vector<std::string> absent;
    int status;
    const char* step_ended;  // the step that follows or holds it runs
  };
  const row rows[] = {
      {"a \\001 statement after the last step", kStep + "\x01;\n",
       "ERROR: prog.kes line 2, column 1: the character '\\x01' is not valid and was ignored.",
       {"not valid outside"}, 3, kRan},
      {"a NUL alone after the last step", kStep + std::string(1, '\0'),
       "ERROR: prog.kes line 2, column 1: the character '\\x00' is not valid and was ignored.",
       {"not valid outside", "semicolon is missing"}, 3, kRan},
      {"an escape before the first step", "\x1b" + kStep,
       "ERROR: prog.kes line 1, column 1: the character '\\x1B' is not valid and was ignored.",
       {"not valid outside"}, 3, kRan},
      {"a bell inside a statement between steps", kStep + "foo\x07;\n" + kStep,
       "ERROR: prog.kes line 2, column 4: the character '\\x07' is not valid and was ignored.",
       {}, 3, kRan},
      {"a byte before the RUN of a step", "proc kestravine data=d; var x;\x02 run;\n",
       "ERROR: prog.kes line 1, column 31: the character '\\x02' is not valid and was ignored.",
       {"not valid outside"}, 3, kRan},
      {"a byte in a step of another procedure", "proc other;\x03 run;\n" + kStep,
       "ERROR: prog.kes line 1, column 12: the character '\\x03' is not valid and was ignored.",
       {}, 3, kRan},
      // Inside a step its parser says it, naming the statement, as before.
      {"a byte inside a step", "proc kestravine data=d; var x \x01;\nrun;\n",
       "ERROR: prog.kes line 1, column 31: the character '\\x01' is not valid and was ignored (in the VAR statement).",
       {}, 2, "ended with return code 1008"},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.place);
    EXPECT_EQ(run(r.program), r.status) << log_;
    EXPECT_NE(log_.find(r.expected), std::string::npos) << log_;
    for (const std::string& a : r.absent) EXPECT_EQ(log_.find(a), std::string::npos) << a << "\n" << log_;
    EXPECT_NE(log_.find(r.step_ended), std::string::npos) << log_;
    EXPECT_EQ(control_bytes_in(log_), "");
    EXPECT_EQ(control_bytes_in(lst_, true), "");
  }
}

}  // namespace
