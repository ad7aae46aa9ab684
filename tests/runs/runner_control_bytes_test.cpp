// Control characters and other bytes that are no program text: outside a step one was
// copied raw into the log inside "Statement ... is not valid outside", and a NUL at the
// end was taken for an unterminated statement. Wherever it stands, the runner now says
// what a step says of it, no control character reaches the log or the listing, and the
// log is UTF-8 text. A byte order mark at the start is skipped.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/runner_process.h"
#include "support/scratch_files.h"

namespace {

using kes_test::slurp;

// Bytes below 0x20 other than a line end, a tab and (in a listing, between pages) a
// form feed, and DEL.
std::string control_bytes_in(const std::string& text, bool listing = false) {
  std::string found;
  for (char c : text)
    if ((static_cast<unsigned char>(c) < 0x20 && c != '\n' && c != '\t' && !(listing && c == '\f')) || c == 0x7F)
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
      {"a unit separator after the last step", kStep + "\x1f;\n",
       "ERROR: prog.kes line 2, column 1: the character '\\x1F' is not valid and was ignored.",
       {"not valid outside"}, 3, kRan},
      // Bytes that are no program text: DEL, bytes that never stand in UTF-8, a cut
      // character.
      {"a DEL before the first step", "\x7f" + kStep,
       "ERROR: prog.kes line 1, column 1: the character '\\x7F' is not valid and was ignored.",
       {"not valid outside"}, 3, kRan},
      {"0xFF 0xFE between steps", kStep + "\xff\xfe\n" + kStep,
       "ERROR: prog.kes line 2, column 2: the character '\\xFE' is not valid and was ignored.",
       {"not valid outside"}, 3, kRan},
      {"a cut UTF-8 character after the last step", kStep + "\xc3;\n",
       "ERROR: prog.kes line 2, column 1: the character '\\xC3' is not valid and was ignored.",
       {"not valid outside"}, 3, kRan},
      // A whole character is a statement's start as a letter is, and is shown whole.
      {"a whole UTF-8 character after the last step", kStep + "\xc3\xa9;\n",
       "ERROR: Statement \xc3\xa9 (line 2) is not valid outside a PROC KESTRAVINE step", {}, 3, kRan},
      // A byte order mark, as some editors begin a file with, is no part of the program:
      // columns are counted after it.
      {"a byte order mark before the first step", "\xef\xbb\xbf" + kStep, kRan,
       {"not valid outside", "ERROR"}, 0, kRan},
      {"a byte order mark and a byte in the first step", "\xef\xbb\xbfproc kestravine data=d; var x \x01;\nrun;\n",
       "ERROR: prog.kes line 1, column 31: the character '\\x01' is not valid and was ignored (in the VAR statement).",
       {"not valid outside"}, 2, "ended with return code 1008"},
      // A text a message quotes is shown as the characters it holds.
      {"a cut character in a LIBNAME folder", "libname A 'f\xc3';\n" + kStep,
       "ERROR: LIBNAME statement (line 1, column 11): library A: the folder 'f\\xC3' does not exist", {}, 3, kRan},
      {"a control byte in a LIBNAME folder", "libname A 'f\x02';\n" + kStep,
       "ERROR: LIBNAME statement (line 1, column 11): library A: the folder 'f\\x02' does not exist", {}, 3, kRan},
      // Inside a step its parser says it, naming the statement, as before.
      {"a byte inside a step", "proc kestravine data=d; var x \x01;\nrun;\n",
       "ERROR: prog.kes line 1, column 31: the character '\\x01' is not valid and was ignored (in the VAR statement).",
       {}, 2, "ended with return code 1008"},
      {"a byte inside a step before a global statement", "proc kestravine data=d; var x \x01;\ntitle 'a';\nrun;\n",
       "ERROR: prog.kes line 1, column 31: the character '\\x01' is not valid and was ignored (in the VAR statement).",
       {}, 2, "ended with return code 1008"},
      {"a DEL and a cut character inside a step", "proc kestravine data=d; var x \x7f\xc3;\nrun;\n",
       "ERROR: prog.kes line 1, column 32: the character '\\xC3' is not valid and was ignored (in the VAR statement).",
       {}, 2, "ended with return code 1008"},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.place);
    EXPECT_EQ(run(r.program), r.status) << log_;
    EXPECT_NE(log_.find(r.expected), std::string::npos) << log_;
    for (const std::string& a : r.absent) EXPECT_EQ(log_.find(a), std::string::npos) << a << "\n" << log_;
    EXPECT_NE(log_.find(r.step_ended), std::string::npos) << log_;
    EXPECT_EQ(control_bytes_in(log_), "");
    EXPECT_EQ(kes_test::first_non_utf8(log_), std::string::npos) << log_;
    EXPECT_EQ(control_bytes_in(lst_, true), "");
  }
}

}  // namespace
