// Reading CSV files as input data sets: types, missing values and quoting. A
// byte-order mark, header names made valid, types inferred from signs, blanks and
// exponents, quoted fields, trailing empty fields and missing-value kinds in a whole
// step are the example program csv_reading.kes; files that cannot
// be read (names that clash, empty files, ragged rows, bad quotes) are csv_faults.kes.
#include "data_test_support.h"

#include "data/csv_reader.h"
#include "data/dataset_internal.h"

namespace {

using data_test::bits;
using data_test::data_fixture;

class CsvRead : public data_fixture {};

TEST_F(CsvRead, InfinityAndNanTextsMakeACharacterColumn) {
  write_file("t.csv", "a,b,c\n1,2,0x10\ninf,nan,3\n");
  plat::dataset* ds = open("t");
  ASSERT_NE(ds, nullptr);
  EXPECT_FALSE(plat::variables(ds)[0].numeric);
  EXPECT_FALSE(plat::variables(ds)[1].numeric);
  EXPECT_FALSE(plat::variables(ds)[2].numeric);
  EXPECT_EQ(plat::char_value(ds, 0, 1), "inf");
  EXPECT_EQ(plat::char_value(ds, 0, 0), "1");
}

TEST_F(CsvRead, ALateTextKeepsEveryEarlierCellAsText) {
  std::string text = "n,s\n";
  for (int i = 0; i < 1000; ++i) text += std::to_string(i) + "," + std::to_string(i * 2) + "\n";
  text += "1000,end\n";
  write_file("t.csv", text);
  plat::dataset* ds = open("t");
  ASSERT_NE(ds, nullptr);
  EXPECT_TRUE(plat::variables(ds)[0].numeric);
  EXPECT_FALSE(plat::variables(ds)[1].numeric);
  EXPECT_EQ(plat::variables(ds)[1].length, 4);
  EXPECT_EQ(plat::char_value(ds, 1, 0), "0");
  EXPECT_EQ(plat::char_value(ds, 1, 999), "1998");
  EXPECT_EQ(plat::char_value(ds, 1, 1000), "end");
  EXPECT_EQ(plat::num_value(ds, 0, 1000), 1000.0);
}

TEST_F(CsvRead, QuotedFieldsFollowRfc4180) {
  write_file("t.csv",
             "\"name\",\"v\"\r\n\"a,b\",\"1.5\"\r\n\"he said \"\"hi\"\"\",2\r\n\"two\nlines\",\"\"\r\n");
  plat::dataset* ds = open("t");
  ASSERT_NE(ds, nullptr);
  EXPECT_EQ(plat::variables(ds)[0].name, "name");
  EXPECT_EQ(plat::char_value(ds, 0, 0), "a,b");
  EXPECT_EQ(plat::char_value(ds, 0, 1), "he said \"hi\"");
  EXPECT_EQ(plat::char_value(ds, 0, 2), "two\nlines");
  EXPECT_TRUE(plat::variables(ds)[1].numeric);
  EXPECT_EQ(plat::num_value(ds, 1, 0), 1.5);
  EXPECT_EQ(bits(plat::num_value(ds, 1, 2)), HOST_MISSING_STD_BITS);
}

TEST_F(CsvRead, HeaderOnlyGivesNoObservations) {
  write_file("t.csv", "a,b\n");
  plat::dataset* ds = open("t");
  ASSERT_NE(ds, nullptr);
  EXPECT_EQ(plat::observation_count(ds), 0);
  EXPECT_TRUE(plat::variables(ds)[1].numeric);
}

TEST_F(CsvRead, MemberNamesMatchIgnoringCase) {
  write_file("Mixed.CSV", "a\n1\n");
  plat::dataset* ds = open("mixed");
  ASSERT_NE(ds, nullptr);
  EXPECT_EQ(plat::dataset_name(ds), "WORK.mixed");
}

// The missing-value texts and their kinds are csv_reading; an empty line is one
// empty cell.
TEST_F(CsvRead, AnEmptyLineIsOneMissingValue) {
  write_file("t.csv", "v\n1\n\n 5\n");
  plat::dataset* ds = open("t");
  ASSERT_NE(ds, nullptr);
  ASSERT_EQ(plat::observation_count(ds), 3);
  EXPECT_EQ(bits(plat::num_value(ds, 0, 1)), HOST_MISSING_STD_BITS);
  EXPECT_EQ(plat::num_value(ds, 0, 2), 5.0);
}

TEST(CsvCells, NumberAndMissingRecognition) {
  auto kind = [](const char* s) {
    double v;
    return plat::parse_number_cell(s, s + std::strlen(s), &v);
  };
  EXPECT_EQ(kind("12"), 1);
  EXPECT_EQ(kind("-.5"), 1);
  EXPECT_EQ(kind("1E-3"), 1);
  EXPECT_EQ(kind("  3  "), 1);
  EXPECT_EQ(kind("."), 2);
  EXPECT_EQ(kind(""), 2);
  EXPECT_EQ(kind(".Q"), 2);
  EXPECT_EQ(kind("inf"), 0);
  EXPECT_EQ(kind("-infinity"), 0);
  EXPECT_EQ(kind("NaN"), 0);
  EXPECT_EQ(kind("1,5"), 0);
  EXPECT_EQ(kind("+-1"), 0);
  EXPECT_EQ(kind(".AB"), 0);
  EXPECT_EQ(kind("1e999"), 0);  // beyond the range of doubles: not a number
  double v = 0;
  const char* s = "0.1";
  plat::parse_number_cell(s, s + 3, &v);
  EXPECT_EQ(v, 0.1);
}

TEST(CsvCells, SpecialMissingValuesInEitherCase) {
  struct cell {
    const char* text;
    int kind;
  };
  const cell cells[] = {
      {".", HOST_MISS_STD},  {"", HOST_MISS_STD},        {"._", HOST_MISS_UNDERSCORE},
      {".A", HOST_MISS_A},   {".a", HOST_MISS_A},        {".z", HOST_MISS_Z},
      {".Z", HOST_MISS_Z},   {" .q ", HOST_MISS_A + 16},
  };
  for (const cell& c : cells) {
    double v = 0;
    ASSERT_EQ(plat::parse_number_cell(c.text, c.text + std::strlen(c.text), &v), 2) << c.text;
    EXPECT_EQ(host_missing_kind(v), c.kind) << "'" << c.text << "'";
    EXPECT_EQ(bits(v), bits(host_missing_of_kind(c.kind))) << "'" << c.text << "'";
  }
}

}  // namespace
