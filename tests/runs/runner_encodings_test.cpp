// Encodings through the built runner. Bytes that are not UTF-8 inside the program's
// quoted texts reached the listing and the graph dump raw and the SVG as Latin-1 (a C1
// control among them), without a word; a program saved as UTF-16 gave a screen of
// "the character '\x00'" and never said UTF-16; a second byte order mark read as a
// statement of no visible name. Now every output is UTF-8 with no control character,
// each statement whose texts were mended gets one note, a UTF-16 program is refused
// once saying what to do, and data values reach output data sets as they were read.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/runner_process.h"
#include "support/scratch_files.h"

namespace {

using kes_test::slurp;
namespace fs = std::filesystem;

// The first control character in text (C0 but the line end and the tab, and the page
// break where allowed; DEL; C1, U+0080 to U+009F, as UTF-8), as "\xHH at N", or "".
// The text is UTF-8 (checked apart).
std::string first_control(const std::string& text, bool page_breaks) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    const bool c1 = c == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) < 0xA0;
    if ((c < 0x20 && c != '\n' && c != '\t' && c != '\r' && !(page_breaks && c == '\f')) || c == 0x7F || c1)
      return "byte " + std::to_string(c) + " at " + std::to_string(i);
  }
  return "";
}

// The UTF-16 form of an ASCII text: little- or big-endian, with or without its mark.
std::string utf16(const std::string& ascii, bool little, bool mark) {
  std::string out = mark ? (little ? "\xFF\xFE" : "\xFE\xFF") : "";
  for (char c : ascii) out += little ? std::string{c, '\0'} : std::string{'\0', c};
  return out;
}

class RunnerEncodings : public ::testing::Test {
 protected:
  void SetUp() override {
    // g's values are Latin-1 ("caf\xE9") and UTF-8; readers of the output data set match
    // on them as read.
    dir_.write("d.csv", "x,g\n1,caf\xE9\n2,caf\xE9\n4,caf\xE9\n3,th\xC3\xA9\n5,th\xC3\xA9\n8,th\xC3\xA9\n");
  }
  // Runs the program (bytes as given) with every output; the exit status.
  int run(const std::string& program, const std::string& graphics) {
    for (const char* old : {"log", "lst", "json", "dump", "err"}) fs::remove_all(dir_ / old);
    fs::remove_all(dir_ / "g");
    fs::create_directory(dir_ / "g");
    dir_.write("prog.kes", program);
    proc_.start(dir_.path().string(),
                {"--work", ".", "--log", "log", "--listing", "lst", "--json", "json", "--graph-dump", "dump", "--graphs",
                 "g", "--graphics", graphics, "prog.kes"},
                [] { ::alarm(120); });
    const int status = proc_.wait();
    log_ = slurp(dir_ / "log");
    err_ = slurp(dir_ / "err");
    return status;
  }
  // Every output the run left is UTF-8 with no control character.
  void expect_clean_outputs(const std::string& where) {
    std::vector<fs::path> files;
    for (const char* f : {"log", "lst", "json", "dump", "err"})
      if (fs::exists(dir_ / f)) files.push_back(dir_ / f);
    for (const std::string& svg : kes_test::svg_files(dir_ / "g")) files.push_back(dir_ / "g" / svg);
    for (const fs::path& f : files) {
      const std::string text = slurp(f);
      EXPECT_EQ(kes_test::first_non_utf8(text), std::string::npos) << where << ": " << f.filename();
      if (kes_test::first_non_utf8(text) == std::string::npos) {
        EXPECT_EQ(first_control(text, f.filename() == "lst"), "") << where << ": " << f.filename();
      }
    }
  }
  kes_test::scratch_dir dir_{"encodings"};
  kes_test::runner_process proc_;
  std::string log_, err_;
};

// Bytes in the program's quoted texts: each statement that held some is named once,
// with its line, and every output is UTF-8 without a control character, in both
// renderers.
TEST_F(RunnerEncodings, ProgramTextsReachEveryOutputAsUtf8) {
  struct row {
    const char* what;
    std::string program;
    std::vector<std::string> notes;  // each once in the log
    bool drawn_by_templates = true;  // the text reaches some output with template graphs
  };
  const std::string step = "proc kestravine data=d; var x;\n";
  const std::string mended = "is not UTF-8 text; each such byte or control character was replaced by U+FFFD";
  const row rows[] = {
      {"a Latin-1 title", "title 'Caf\xE9 \x85 report';\n" + step + "histogram x;\nrun;\n",
       {"TITLE statement (line 1): a quoted text " + mended}},
      {"a numbered title, a cut character", "title2 'ab\xE2\x82';\n" + step + "histogram x;\nrun;\n",
       {"TITLE2 statement (line 1): a quoted text " + mended}},
      {"a C1 control as UTF-8 and a control byte", "title 'a\xC2\x85" "b\x01';\n" + step + "histogram x;\nrun;\n",
       {"TITLE statement (line 1): a quoted text " + mended}},
      {"an inset header and label", step + "histogram x;\ninset mean='Moy\xE9nne' n / header='En-t\xEAte';\nrun;\n",
       {"prog.kes line 3, column 12: a quoted text " + mended + " (in the INSET statement)"}},
      {"a description, two texts", step + "histogram x / description='Descr\xE9' name='N\x80';\nrun;\n",
       {"prog.kes line 2, column 27: a quoted text " + mended + " (in the HISTOGRAM statement)"}, false},
      {"a percentile axis label", step + "qqplot x / pctlaxis(label='\x9D" "P');\nrun;\n",
       {"prog.kes line 2, column 27: a quoted text " + mended + " (in the QQPLOT statement)"}},
      {"an axis label", "axis1 label=('Hauteur \xE9');\n" + step + "histogram x / haxis=axis1;\nrun;\n",
       {"AXIS1 statement (line 1): a quoted text " + mended}, false},
      {"two statements, one note each",
       "title 'T\xE9';\n" + step + "histogram x / description='\xE9';\ninset n='\xE9' / header='\xE9';\nrun;\n",
       {"TITLE statement (line 1)", "(in the HISTOGRAM statement)", "(in the INSET statement)"}},
  };
  for (const char* graphics : {"template", "device"}) {
    for (const row& r : rows) {
      const std::string where = std::string(r.what) + ", " + graphics;
      EXPECT_EQ(run(r.program, graphics), 0) << where << "\n" << log_;
      for (const std::string& n : r.notes) EXPECT_EQ(kes_test::occurrences(log_, n), 1) << where << ": " << n << "\n" << log_;
      EXPECT_EQ(kes_test::occurrences(log_, "U+FFFD"), static_cast<int>(r.notes.size())) << where << "\n" << log_;
      std::string outputs = slurp(dir_ / "lst") + slurp(dir_ / "json") + slurp(dir_ / "dump");
      for (const std::string& svg : kes_test::svg_files(dir_ / "g")) outputs += slurp(dir_ / "g" / svg);
      if (r.drawn_by_templates || graphics == std::string("device")) {
        EXPECT_NE(outputs.find("\xEF\xBF\xBD"), std::string::npos) << where;
      }
      expect_clean_outputs(where);
    }
  }
}

// Data values are not the program's texts: a CLASS value read as Latin-1 reaches the
// output data set as it was read, and its readers find it there.
TEST_F(RunnerEncodings, DataValuesReachOutputDataSetsAsRead) {
  EXPECT_EQ(run("proc kestravine data=d noprint; class g; var x; output out=o mean=m; run;\n"
                "proc kestravine data=o(where=(g='caf\xE9')) noprint; var m; output out=o2 n=n; run;\n",
                "none"),
            0)
      << log_;
  const std::string o = slurp(dir_ / "o.csv");
  EXPECT_NE(o.find("caf\xE9,"), std::string::npos) << o;
  EXPECT_NE(o.find("th\xC3\xA9,"), std::string::npos) << o;
  EXPECT_EQ(slurp(dir_ / "o2.csv"), "n\n1\n");
  EXPECT_EQ(log_.find("U+FFFD"), std::string::npos) << log_;
}

// A program saved as UTF-16, or with a second byte order mark: said once, with what to
// do, and never as a screen of invalid characters or a statement of no visible name.
TEST_F(RunnerEncodings, AProgramInAnotherEncodingIsNamedOnce) {
  const std::string program = "proc kestravine data=d;\nvar x;\nhistogram x;\nrun;\n";
  struct row {
    const char* what;
    std::string bytes;
    int status;
    std::string said;  // once, in the standard error or the log
    bool step_runs;
  };
  const std::string utf16_said = "cannot read the program 'prog.kes': the file is UTF-16; save it as UTF-8";
  const row rows[] = {
      {"UTF-16, little-endian", utf16(program, true, true), 3, utf16_said, false},
      {"UTF-16, big-endian", utf16(program, false, true), 3, utf16_said, false},
      {"UTF-16 without its mark", utf16(program, true, false), 3, utf16_said, false},
      {"two byte order marks", "\xEF\xBB\xBF\xEF\xBB\xBF" + program, 0,
       "WARNING: prog.kes line 1, column 1: a second byte order mark (U+FEFF) stands here, as where two files were "
       "joined; it is ignored. Save the program as UTF-8 with one byte order mark or none.",
       true},
      {"a byte order mark where two files were joined", program + "\xEF\xBB\xBF" + program, 0,
       "WARNING: prog.kes line 5, column 1: a second byte order mark (U+FEFF) stands here, as where two files were "
       "joined; it is ignored. Save the program as UTF-8 with one byte order mark or none.",
       true},
  };
  for (const row& r : rows) {
    EXPECT_EQ(run(r.bytes, "template"), r.status) << r.what << "\n" << log_ << err_;
    EXPECT_EQ(kes_test::occurrences(log_ + err_, r.said), 1) << r.what << "\n" << log_ << err_;
    EXPECT_EQ((log_ + err_).find("\\x00"), std::string::npos) << r.what;
    EXPECT_EQ((log_ + err_).find("not valid outside"), std::string::npos) << r.what << "\n" << log_;
    EXPECT_EQ((log_ + err_).find("ERROR"), std::string::npos) << r.what << "\n" << log_;
    EXPECT_EQ(log_.find("ended with return code 0."), r.step_runs ? log_.find("ended") : std::string::npos) << r.what;
    expect_clean_outputs(r.what);
  }
  // A NUL before a UTF-8 program is one stray byte, said where it stands, not UTF-16.
  EXPECT_EQ(run(std::string(1, '\0') + program, "template"), 3) << log_ << err_;
  EXPECT_EQ((log_ + err_).find("UTF-16"), std::string::npos) << err_;
  EXPECT_EQ(kes_test::occurrences(log_, "line 1, column 1: the character '\\x00' is not valid"), 1) << log_;
}

}  // namespace
