// The message catalogue: every substitution marker, missing entries, faulty lines,
// and the services that read it (xpmlog, xpmstr, wkread).
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "core/host_routines.h"
#include "core/runtime.h"
#include "support/scratch_files.h"

namespace {

std::string fmt(int set, int number, ...) {
  va_list ap;
  va_start(ap, number);
  std::string s = plat::catalogue_format(set, number, ap);
  va_end(ap);
  return s;
}

plat::msg_kind kind_of(int set, int number, ...) {
  va_list ap;
  va_start(ap, number);
  plat::msg_kind k = plat::msg_kind::plain;
  plat::catalogue_format(set, number, ap, &k);
  va_end(ap);
  return k;
}

int xpmstr(char* buf, int len, int set, int number, ...) {
  va_list ap;
  va_start(ap, number);
  int n = plat_xpmstr(buf, len, set, number, ap);
  va_end(ap);
  return n;
}

int xpmlog(int set, int number, ...) {
  va_list ap;
  va_start(ap, number);
  int n = plat_xpmlog(set, number, ap);
  va_end(ap);
  return n;
}

// A catalogue folder of the test's own for its length.
class CatalogueTest : public ::testing::Test {
 protected:
  void use(const std::string& name, const std::string& text) {
    dir_.write(name, text);
    plat::config().catalogue_dir = dir_.path().string();
    problems_ = plat::catalogue_load();
  }
  kes_test::captured_outputs out_;  // restores the configuration (and so the folder)
  kes_test::scratch_dir dir_{"cat"};
  int problems_ = -1;
};

const char* const sample =
    "# a comment line, then a blank one\n"
    "\n"
    "7 1 N Count {d}, total {ld}, mean {f}, name {s}, variable {L}.\n"
    "7 2 W Brace {{d} stays, {d} goes.\n"
    "7 3 T Plain text\n"
    "7 4 E Value {f} and {f} and {f}\r\n"
    "  # an indented comment\n"
    "7 5 N {L}|{L}|{L}\n"
    "7 6 N\n";

TEST_F(CatalogueTest, EveryMarkerTakesItsArgumentInOrder) {
  use("t.msg", sample);
  ASSERT_EQ(problems_, 0) << out_.log();
  EXPECT_EQ(fmt(7, 1, 42, 1234567890123L, 2.5, "abc", 8, "SCORE   "),
            "Count 42, total 1234567890123, mean 2.5, name abc, variable SCORE.");
  EXPECT_EQ(fmt(7, 2, 13), "Brace {d} stays, 13 goes.");
  EXPECT_EQ(fmt(7, 3), "Plain text");
  EXPECT_EQ(fmt(7, 6), "");
}

TEST_F(CatalogueTest, DoublesShowMissingAsADotAndKeepTheirDigits) {
  use("t.msg", sample);
  // The carriage return of a CRLF line is not part of the text.
  EXPECT_EQ(fmt(7, 4, std::nan(""), 0.1, -1e-300), "Value . and 0.1 and -1e-300");
  EXPECT_EQ(fmt(7, 4, 95.0, 1.0 / 3.0, 123456789012.0), "Value 95 and 0.333333333333333 and 123456789012");
}

TEST_F(CatalogueTest, LengthTextsDropTrailingBlanksAndStopAtTheirLength) {
  use("t.msg", sample);
  const char field[] = "AB  CD    ";  // 10 characters
  // Given length, a NUL inside the length, and -1 (NUL-terminated).
  EXPECT_EQ(fmt(7, 5, 10, field, 3, "XY\0Z", -1, "tail  "), "AB  CD|XY|tail");
  EXPECT_EQ(fmt(7, 5, 2, field, 0, field, 4, "    "), "AB||");
}

TEST_F(CatalogueTest, MissingEntryShowsItselfAndIsCounted) {
  use("t.msg", sample);
  int before = plat::catalogue_missing_count();
  EXPECT_EQ(fmt(189, 139, 5, "x"), "message 189/139 missing");
  EXPECT_EQ(kind_of(189, 139), plat::msg_kind::error);
  EXPECT_EQ(plat::catalogue_missing_count(), before + 2);
  EXPECT_EQ(plat::catalogue_text(189, 139), nullptr);
  xpmlog(189, 139, 3, "abc");
  EXPECT_EQ(out_.log(), "ERROR: message 189/139 missing\n");
}

TEST_F(CatalogueTest, FaultyLinesAreReportedWithFileAndLineAndTheRestStays) {
  use("bad.msg",
      "7 1 N good one\n"
      "7 x N number not a number\n"
      "7 2 Q kind not known\n"
      "7 3\n"
      "7 4 N bad {q} marker\n"
      "7 1 N again\n"
      "7 5 N unclosed {d\n"
      "seven 6 N set not a number\n"
      "7 7 N fine too {ld}\n");
  EXPECT_EQ(problems_, 7);
  std::string log = out_.log();
  for (int line = 2; line <= 8; ++line)
    EXPECT_NE(log.find("bad.msg line " + std::to_string(line) + ": "), std::string::npos) << line << "\n" << log;
  EXPECT_NE(log.find("the kind 'Q' is not one of N, W, E, T"), std::string::npos);
  EXPECT_NE(log.find("'{q}'"), std::string::npos);
  EXPECT_NE(log.find("message 7/1 is already given at bad.msg:1"), std::string::npos);
  EXPECT_EQ(fmt(7, 1), "good one");
  EXPECT_EQ(fmt(7, 7, 9L), "fine too 9");
  EXPECT_EQ(plat::catalogue_text(7, 2), nullptr);
}

TEST_F(CatalogueTest, AnEmptyFolderIsReported) {
  use("readme.txt", "not a catalogue");
  EXPECT_EQ(problems_, 1);
  EXPECT_NE(out_.log().find("holds no .msg file"), std::string::npos);
}

TEST_F(CatalogueTest, XpmstrCopiesAtMostTheBufferAndReturnsWhatItCopied) {
  use("t.msg", sample);
  char buf[16];
  std::memset(buf, ' ', sizeof buf);
  EXPECT_EQ(xpmstr(buf, 16, 7, 3), 10);
  EXPECT_EQ(std::string(buf, 16), "Plain text      ");  // the blanks after it untouched
  char small[6] = {'#', '#', '#', '#', '#', '!'};
  EXPECT_EQ(xpmstr(small, 5, 7, 2, 4), 5);
  EXPECT_EQ(std::string(small, 6), "Brace!");  // nothing written past the length
  EXPECT_EQ(xpmstr(small, 0, 7, 3), 0);
}

TEST_F(CatalogueTest, WkreadGivesTheRawText) {
  use("t.msg", sample);
  const char* text = nullptr;
  int len = -1;
  EXPECT_EQ(plat_wkread(7, 2, &text, &len), 0);
  EXPECT_EQ(std::string(text, static_cast<std::size_t>(len)), "Brace {{d} stays, {d} goes.");
  int before = plat::catalogue_missing_count();
  EXPECT_EQ(plat_wkread(7, 99, &text, &len), 1);
  EXPECT_EQ(std::string(text, static_cast<std::size_t>(len)), "message 7/99 missing");
  EXPECT_EQ(plat::catalogue_missing_count(), before + 1);
}

// The names the module's build reads ('@set' lines, a message's @NAME after its kind)
// are no part of the texts: the stand-in skips them.
TEST_F(CatalogueTest, NamesForTheBuildAreSkipped) {
  use("named.msg",
      "@set 7 SEVEN\n"
      "7 1 N @COUNTED Counted {d}.\n"
      "7 2 T @EMPTY\n"
      "7 3 E @LAST\tTabbed.\n"
      "7 4 N An @ inside the text stays.\n");
  EXPECT_EQ(problems_, 0);
  EXPECT_EQ(fmt(7, 1, 3), "Counted 3.");
  EXPECT_EQ(kind_of(7, 1), plat::msg_kind::note);
  EXPECT_EQ(fmt(7, 2), "");
  EXPECT_EQ(fmt(7, 3), "Tabbed.");
  EXPECT_EQ(kind_of(7, 3), plat::msg_kind::error);
  EXPECT_EQ(fmt(7, 4), "An @ inside the text stays.");
}

}  // namespace
