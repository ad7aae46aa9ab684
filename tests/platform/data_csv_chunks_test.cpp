// Whatever the chunk size and thread count, the CSV reader's table (values to the bit,
// types, lengths, reasons) and messages are those of one chunk on one thread. Tiny
// chunks cut inside records, inside quoted line ends and between CR and LF.
#include "data_test_support.h"

#include <cstring>

#include "data/csv_reader.h"

namespace {

// Everything read, as one text: the message or the table with its values' bits.
std::string read(const std::string& path, int threads, std::size_t chunk, plat::csv_table* t) {
  std::string s;
  if (!plat::read_csv(path, nullptr, t, &s, threads, chunk)) return "error " + s;
  s = std::to_string(t->nrows);
  for (std::size_t j = 0; j < t->cols.size(); ++j) {
    s += "|" + t->header[j] + " " + std::to_string(t->numeric[j]) + " " + std::to_string(t->length[j]) + " " +
         t->why_text[j] + ":";
    for (double v : t->cols[j].num) s += std::to_string(data_test::bits(v)) + ",";
    for (std::uint64_t o : t->cols[j].text_off) s += std::to_string(o) + ",";
    s += t->cols[j].text;
  }
  return s;
}

// Numbers with every kind of missing value, quoted texts (some with line ends and
// doubled quotes) and quoted numbers, on lines of varying length.
std::string rows_text(int rows, const char* eol) {
  static const char* cells[] = {"1.5", "", ".", ".A", "-2e-3", " 7 ", "._", "+4", "0.1", "123456.789"};
  std::string s = std::string("a,\"note\",v") + eol;
  for (int i = 0; i < rows; ++i) {
    std::string note = i % 3 ? "plain " + std::to_string(i) : "one" + std::string(eol) + "\"\"two\"\"";
    s += std::string(cells[i % 10]) + ",\"" + note + "\",\"" + std::to_string(i * 0.25) + "\"" + eol;
  }
  return s;
}

class CsvChunks : public data_test::data_fixture {
 protected:
  // Compares every chunk size on 1 and 8 threads with one chunk on one thread (returned).
  plat::csv_table check(const std::string& text, const std::string& name) {
    write_file("c.csv", text);
    std::string path = (work() / "c.csv").string();
    plat::csv_table ref, t;
    std::string want = read(path, 1, std::size_t{1} << 30, &ref);
    for (std::size_t chunk : {1, 2, 3, 5, 8, 13, 31, 64, 200})
      for (int threads : {1, 8})
        EXPECT_EQ(read(path, threads, chunk, &(t = {})), want) << name << ", chunk " << chunk << ", threads " << threads;
    error = want.rfind("error ", 0) == 0 ? want : "";
    return ref;
  }
  std::string error;
};

TEST_F(CsvChunks, TablesDoNotDependOnChunksOrThreads) {
  for (int rows : {0, 1, 2, 9, 40})
    for (const char* eol : {"\n", "\r\n", "\r"}) {
      std::string text = rows_text(rows, eol), name = std::to_string(rows) + " rows, " + std::to_string(eol[0] + eol[1]);
      check(text, name);
      check(text.substr(0, text.size() - std::strlen(eol)), "no final line end, " + name);
    }
  plat::csv_table q = check(rows_text(40, "\r\n"), "40 rows");
  ASSERT_EQ(q.nrows, 40);
  EXPECT_EQ(q.cols[1].str(3), "one\r\n\"two\"");
  EXPECT_EQ(q.cols[2].num[39], 9.75);
  EXPECT_EQ(data_test::bits(q.cols[0].num[3]), data_test::bits(host_missing_of_kind(HOST_MISS_A)));
}

// A column typed as text by a cell far into the file keeps that cell's line, and so
// do faults; a quoted line end near the top shifts the line numbers.
TEST_F(CsvChunks, LateTextsAndFaultsKeepTheirLineNumbers) {
  std::string base = "x,y\n\"a\nb\",1\n";
  for (int i = 0; i < 50; ++i) base += std::to_string(i) + "," + std::to_string(i) + "\n";
  const std::pair<std::string, std::string> cases[] = {
      {"7,8,9\n", "line 54 has more fields than the 2 of the header row (column 3)"},
      {"7\n", "line 54 has 1 field where the header row has 2"},
      {"7,\"open\n\n", "unterminated quoted field in file " + (work() / "c.csv").string() +
                           " starting at line 54, column 3"},
      {"\"q\"x,1\n", "unexpected character after a closing quote in file " + (work() / "c.csv").string() +
                         " at line 54, column 4"},
  };
  for (const auto& [tail, message] : cases) {
    check(base + tail, tail);
    EXPECT_NE(error.find(message), std::string::npos) << error;
  }
  plat::csv_table t = check(base + "7,seven\n8,9\n", "late text");
  EXPECT_EQ(t.why_text[1], "the value \"seven\" on line 54 is not a number");
  EXPECT_EQ(t.cols[1].str(51), "seven");
}

}  // namespace

namespace {

// Rows of numbers, missing values and texts without any quote, three fields a line.
std::string plain_rows(int rows, const char* eol) {
  static const char* cells[] = {"1.5", "", ".", ".A", "-2e-3", " 7 ", "._", "+4", "word", "-0"};
  std::string s = std::string("a,b,c") + eol;
  for (int i = 0; i < rows; ++i)
    s += std::string(cells[i % 10]) + "," + std::to_string(i) + "," + cells[(i * 7) % 10] + eol;
  return s;
}

// The same text with the first data row's second cell quoted: the same table, but read
// by the scanner whole, as a chunk with a quote is.
std::string quoted_twin(const std::string& text) {
  std::size_t first = text.find_first_of("\r\n");
  first += text.compare(first, 2, "\r\n") == 0 ? 2 : 1;
  std::size_t comma = text.find(',', first);
  std::size_t next = text.find_first_of(",\r\n", comma + 1);
  return text.substr(0, comma + 1) + "\"" + text.substr(comma + 1, next - comma - 1) + "\"" + text.substr(next);
}

}  // namespace

// Chunks without quotes are counted by their line ends and commas alone: row counts,
// values, text columns and width faults (with their line numbers) are those the scanner
// gives, for every chunk size and thread count.
TEST_F(CsvChunks, ChunksWithoutQuotesReadAsTheScannerReadsThem) {
  for (int rows : {1, 2, 9, 40})
    for (const char* eol : {"\n", "\r\n", "\r"}) {
      const std::string text = plain_rows(rows, eol), e = eol;
      const std::string name = std::to_string(rows) + " rows, " + std::to_string(eol[0] + eol[1]);
      const std::pair<std::string, std::string> cases[] = {
          {text, ""},
          {text.substr(0, text.size() - e.size()), ""},
          {text + "5,6" + e + "7,8,9", "has 2 fields where the header row has 3"},
          {text + "5,6,7,8" + e, "has more fields than the 3 of the header row (column 4)"},
          {text + e + "1,2,3" + e, "has 1 field where the header row has 3"},
          {text + "1,2,3,", "has more fields than the 3 of the header row (column 4)"},
      };
      for (const auto& [t, fault] : cases) {
        const std::string path = (work() / "c.csv").string();
        write_file("c.csv", quoted_twin(t));
        plat::csv_table ref;
        const std::string want = read(path, 1, std::size_t{1} << 30, &ref);
        write_file("c.csv", t);
        for (std::size_t chunk : {1, 2, 3, 5, 8, 13, 31, 64, 1 << 30})
          for (int threads : {1, 8}) {
            plat::csv_table got;
            EXPECT_EQ(read(path, threads, chunk, &got), want) << name << ", chunk " << chunk << ", threads " << threads;
          }
        if (fault.empty()) EXPECT_EQ(ref.nrows, rows) << name;
        else EXPECT_NE(want.find(fault), std::string::npos) << name << ": " << want;
      }
    }
}
