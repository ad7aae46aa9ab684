// CSV line ends and values past the longest a variable can hold. Files that are no
// text and faulty declared lengths are the example program csv_refusals; a column made
// character by one value is quiet_faults.
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

TEST_F(CsvLines, ValueLengthsStopAtTheLongestAVariableHolds) {
  const int max = plat::max_char_length;
  write_file("ok.csv", "s\n" + std::string(static_cast<size_t>(max), 'a') + "\n");
  plat::dataset* ds = open("ok");
  ASSERT_NE(ds, nullptr);
  EXPECT_EQ(plat::variables(ds)[0].length, max);
  // 65,537 bytes once wrapped to 1; every length past the limit is refused. The limit
  // is in bytes, and the message says so: 16,384 two-byte characters are 32,768 bytes,
  // and 32,767 of them fit where 10,923 three-byte characters do not.
  const std::string e_acute = "\xC3\xA9", euro = "\xE2\x82\xAC";
  auto repeat = [](const std::string& unit, int n) {
    std::string out;
    for (int i = 0; i < n; ++i) out += unit;
    return out;
  };
  const struct {
    std::string value;
    int bytes;
  } longs[] = {{std::string(static_cast<size_t>(max + 1), 'a'), max + 1},
               {std::string(65536, 'a'), 65536},
               {std::string(65537, 'a'), 65537},
               {std::string(70000, 'a'), 70000},
               {repeat(e_acute, 16384), 32768},
               {repeat(euro, 10923), 32769},
               {"a" + repeat(e_acute, 16383), 32767}};
  for (const auto& l : longs) {
    write_file("long.csv", "s\nb\n" + l.value + "\n");
    if (l.bytes <= max) {
      ASSERT_NE(open("long"), nullptr) << l.bytes;
      continue;
    }
    std::string err = open_error("long");
    EXPECT_NE(err.find("column 1 (\"s\") has a value of " + std::to_string(l.bytes) +
                       " bytes on line 3; the longest a character value can be is " + std::to_string(max) + " bytes"),
              std::string::npos)
        << err;
  }
}

}  // namespace
