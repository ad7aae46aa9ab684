// CSV line ends and the files and declarations an input data set refuses: what is
// not text, and values and declared lengths past the longest a variable can hold.
#include "data_test_support.h"

#include "data/csv_reader.h"
#include "data/dataset_internal.h"

namespace {

using data_test::data_fixture;

class CsvLines : public data_fixture {
 protected:
  // The message of a data set that cannot be opened.
  std::string open_error(const std::string& name) {
    std::string err;
    plat::dataset* ds = plat::open_input("", name, &err);
    EXPECT_EQ(ds, nullptr) << name;
    return err;
  }
};

TEST_F(CsvLines, CrLfAndCrlfLineEndsGiveTheSameRecords) {
  struct row { const char* name; const char* text; };
  const row rows[] = {
      {"lf", "x,y\n1,2\n3,4\n"},
      {"crlf", "x,y\r\n1,2\r\n3,4\r\n"},
      {"cr", "x,y\r1,2\r3,4\r"},
      {"cr_no_final", "x,y\r1,2\r3,4"},
      {"mixed", "x,y\r1,2\n3,4\r\n"},
  };
  for (const row& r : rows) {
    write_file(std::string(r.name) + ".csv", r.text);
    plat::dataset* ds = open(r.name);
    ASSERT_NE(ds, nullptr) << r.name;
    ASSERT_EQ(plat::variables(ds).size(), 2u) << r.name;
    EXPECT_EQ(plat::variables(ds)[1].name, "y") << r.name;
    ASSERT_EQ(plat::observation_count(ds), 2) << r.name;
    EXPECT_EQ(plat::num_value(ds, 0, 1), 3.0) << r.name;
    EXPECT_EQ(plat::num_value(ds, 1, 1), 4.0) << r.name;
  }
}

TEST_F(CsvLines, CrInsideQuotesIsTextAndCountsAsALine) {
  write_file("q.csv", "s,n\r\"a\rb\",1\r2\r");
  std::string err = open_error("q");
  // The record of "2" is on the third line: the quoted CR ended line 2.
  EXPECT_NE(err.find("line 4 has 1 field"), std::string::npos) << err;
  write_file("t.csv", "s,n\r\"a\rb\",1\r");
  plat::dataset* ds = open("t");
  ASSERT_NE(ds, nullptr);
  EXPECT_EQ(plat::char_value(ds, 0, 0), "a\rb");
}

TEST_F(CsvLines, AFirstLineThatIsNoHeaderIsRefusedSayingWhatWasFound) {
  struct row { const char* name; std::string text; const char* says; };
  const row rows[] = {
      {"le16", std::string("\xFF\xFEx\0,\0y\0", 8), "the file is UTF-16; save it as UTF-8"},
      {"be16", std::string("\xFE\xFF\0x\0,\0y", 8), "the file is UTF-16; save it as UTF-8"},
      {"nul", std::string("x,\0y\n1,2\n", 9), "NUL byte at column 3"},
      {"ctl", "x,\x01y\n1,2\n", "control character 0x01 at column 3"},
      {"del", "ab\x7F\n1\n", "control character 0x7F at column 3"},
  };
  for (const row& r : rows) {
    write_file(std::string(r.name) + ".csv", r.text);
    std::string err = open_error(r.name);
    EXPECT_NE(err.find(r.says), std::string::npos) << r.name << ": " << err;
    EXPECT_NE(err.find(std::string(r.name) + ".csv"), std::string::npos) << err;
  }
  // A tab is a character of a header text, not a reason to refuse.
  write_file("tab.csv", "a\tb,c\n1,2\n");
  EXPECT_NE(open("tab"), nullptr);
}

TEST_F(CsvLines, AColumnMadeCharacterNamesItsFirstNonNumber) {
  write_file("t.csv", "x,y\n1,2\n1e400,3\nN/A,4\n");
  plat::dataset* ds = open("t");
  ASSERT_NE(ds, nullptr);
  EXPECT_EQ(plat::variables(ds)[0].why_char, "the value \"1e400\" on line 3 is not a number");
  EXPECT_EQ(plat::variables(ds)[1].why_char, "");
}

TEST_F(CsvLines, ControlCharactersOfQuotedHeadersAreEscapedInMessages) {
  write_file("t.csv", "\"a\nb\",\"a\tb\"\n1,2\n");
  std::string err = open_error("t");
  EXPECT_NE(err.find("(\"a\\x0Ab\") and column 2 (\"a\\x09b\") both give the variable name a_b"), std::string::npos)
      << err;
}

TEST_F(CsvLines, ValueLengthsStopAtTheLongestAVariableHolds) {
  const int max = plat::max_char_length;
  write_file("ok.csv", "s\n" + std::string(static_cast<size_t>(max), 'a') + "\n");
  plat::dataset* ds = open("ok");
  ASSERT_NE(ds, nullptr);
  EXPECT_EQ(plat::variables(ds)[0].length, max);
  // 65,537 characters once wrapped to 1; every length past the limit is refused.
  for (int len : {max + 1, 65536, 65537, 70000}) {
    write_file("long.csv", "s\nb\n" + std::string(static_cast<size_t>(len), 'a') + "\n");
    std::string err = open_error("long");
    EXPECT_NE(err.find("column 1 (\"s\") has a value of " + std::to_string(len) + " characters on line 3"),
              std::string::npos)
        << err;
    EXPECT_NE(err.find(std::to_string(max)), std::string::npos) << err;
  }
}

TEST_F(CsvLines, DeclaredLengthsMustBeWholeNumbersWithinTheLimit) {
  struct row { const char* length; const char* says; };
  const row rows[] = {
      {"2abc", "length \"2abc\", which is not a whole number from 1 to 32767"},
      {"0", "length \"0\", which is not"},
      {"-5", "length \"-5\", which is not"},
      {"70000", "with length 70000, longer than the longest a character variable can be (32767)"},
      {"200000000", "with length 200000000, longer"},
      {"99999999999999999999999", "with length 99999999999999999999999, longer"},
  };
  for (const row& r : rows) {
    write_file("m.csv", "s\nab\n");
    write_file("m.csv.meta", std::string("kestravine data set metadata 1\nvar\ts\tchar\t") + r.length + "\t\t\n");
    std::string err = open_error("m");
    EXPECT_NE(err.find(r.says), std::string::npos) << r.length << ": " << err;
    EXPECT_NE(err.find("m.csv.meta line 2 declares variable s"), std::string::npos) << err;
  }
  write_file("m.csv.meta", "kestravine data set metadata 1\nvar\ts\tchar\t32767\t\t\n");
  plat::dataset* ds = open("m");
  ASSERT_NE(ds, nullptr);
  EXPECT_EQ(plat::variables(ds)[0].length, 32767);
}

}  // namespace
