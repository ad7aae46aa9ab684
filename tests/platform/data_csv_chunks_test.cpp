// The CSV reader's chunks: whatever the chunk size and the number of threads, the
// table (values to the bit, types, lengths, reasons) and the messages of refused
// files are those of reading the whole file as one chunk on one thread. Tiny chunks
// put cuts inside records, inside quoted line ends and between CR and LF.
#include "data_test_support.h"

#include <cstring>

#include "data/csv_reader.h"

namespace {

struct outcome {
  bool ok;
  std::string error;
  plat::csv_table t;
};

outcome read(const std::string& path, int threads, std::size_t chunk) {
  outcome o;
  o.ok = plat::read_csv(path, nullptr, &o.t, &o.error, threads, chunk);
  return o;
}

void expect_same(const outcome& a, const outcome& b, const std::string& where) {
  ASSERT_EQ(a.ok, b.ok) << where << ": " << a.error << " | " << b.error;
  EXPECT_EQ(a.error, b.error) << where;
  EXPECT_EQ(a.t.header, b.t.header) << where;
  EXPECT_EQ(a.t.nrows, b.t.nrows) << where;
  EXPECT_EQ(a.t.numeric, b.t.numeric) << where;
  EXPECT_EQ(a.t.length, b.t.length) << where;
  EXPECT_EQ(a.t.why_text, b.t.why_text) << where;
  ASSERT_EQ(a.t.cols.size(), b.t.cols.size()) << where;
  for (std::size_t j = 0; j < a.t.cols.size(); ++j) {
    const auto& x = a.t.cols[j];
    const auto& y = b.t.cols[j];
    ASSERT_EQ(x.num.size(), y.num.size()) << where << " column " << j;
    EXPECT_EQ(0, x.num.empty() ? 0 : std::memcmp(x.num.data(), y.num.data(), x.num.size() * sizeof(double)))
        << where << " column " << j;
    EXPECT_EQ(x.text, y.text) << where << " column " << j;
    EXPECT_EQ(x.text_off, y.text_off) << where << " column " << j;
  }
}

// Rows of numbers with every kind of missing value, lines of varying length.
std::string numbers(int rows, const char* eol) {
  static const char* cells[] = {"1.5", "", ".", ".A", "-2e-3", " 7 ", "._", "+4", "0.1", "123456.789"};
  std::string s = std::string("a,b,c") + eol;
  for (int i = 0; i < rows; ++i)
    s += std::to_string(i) + "," + cells[i % 10] + "," + cells[(i * 7 + 3) % 10] + eol;
  return s;
}

// Quoted texts, some with line ends and doubled quotes, beside quoted numbers.
std::string quoted(int rows, const char* eol) {
  std::string s = std::string("\"id\",\"note\",v") + eol;
  for (int i = 0; i < rows; ++i) {
    std::string note = i % 3 == 0 ? "line one" + std::string(eol) + "line \"\"two\"\"" : "plain " + std::to_string(i);
    s += std::to_string(i) + ",\"" + note + "\",\"" + std::to_string(i * 0.25) + "\"" + eol;
  }
  return s;
}

class CsvChunks : public data_test::data_fixture {
 protected:
  // Reads the text in chunks of every size in the table, on 1 and on 8 threads, and
  // compares with one chunk on one thread; returns that reference.
  outcome check(const std::string& text, const std::string& name) {
    write_file("c.csv", text);
    std::string path = (work() / "c.csv").string();
    outcome ref = read(path, 1, std::size_t{1} << 30);
    for (std::size_t chunk : {1, 2, 3, 5, 8, 13, 31, 64, 200})
      for (int threads : {1, 8})
        expect_same(ref, read(path, threads, chunk),
                    name + ", chunk " + std::to_string(chunk) + ", threads " + std::to_string(threads));
    return ref;
  }
};

TEST_F(CsvChunks, TablesDoNotDependOnChunksOrThreads) {
  for (int rows : {0, 1, 2, 9, 40}) {
    std::string n = std::to_string(rows) + " rows";
    for (const char* eol : {"\n", "\r\n", "\r"}) {
      std::string e = eol[0] == '\n' ? " LF" : eol[1] ? " CRLF" : " CR";
      check(numbers(rows, eol), "numbers " + n + e);
      check(quoted(rows, eol), "quoted " + n + e);
      std::string last = numbers(rows, eol);
      last.resize(last.size() - std::strlen(eol));  // no line end after the last record
      check(last, "no final line end " + n + e);
    }
  }
  outcome q = check(quoted(40, "\r\n"), "quoted");
  ASSERT_TRUE(q.ok);
  EXPECT_EQ(q.t.nrows, 40);
  EXPECT_EQ(q.t.cols[1].str(3), "line one\r\nline \"two\"");
  EXPECT_EQ(q.t.cols[2].num[39], 9.75);
}

// A column typed as text by a cell far into the file keeps that cell's line; a quoted
// line end before it shifts the line numbers.
TEST_F(CsvChunks, LateTextsAndFaultsKeepTheirLineNumbers) {
  std::string base = "x,y\n\"a\nb\",1\n";
  for (int i = 0; i < 50; ++i) base += std::to_string(i) + "," + std::to_string(i) + "\n";
  struct fault {
    std::string tail;
    std::string message;  // "" when the file is read
  };
  const fault faults[] = {
      {"7,seven\n8,9\n", ""},
      {"7,8,9\n", "line 54 has more fields than the 2 of the header row (column 3)"},
      {"7\n", "line 54 has 1 field where the header row has 2"},
      {"7,\"open\n\n", "unterminated quoted field in file " + (work() / "c.csv").string() +
                           " starting at line 54, column 3"},
      {"\"q\"x,1\n", "unexpected character after a closing quote in file " + (work() / "c.csv").string() +
                         " at line 54, column 4"},
  };
  for (const fault& f : faults) {
    outcome o = check(base + f.tail, f.tail);
    if (f.message.empty()) {
      ASSERT_TRUE(o.ok) << o.error;
      EXPECT_FALSE(o.t.numeric[1]);
      EXPECT_EQ(o.t.why_text[1], "the value \"seven\" on line 54 is not a number");
      EXPECT_EQ(o.t.cols[1].str(51), "seven");
    } else {
      EXPECT_FALSE(o.ok);
      EXPECT_NE(o.error.find(f.message), std::string::npos) << o.error;
    }
  }
}

// THREADS= is kept for the reader and the step, and leaves the page size alone.
TEST_F(CsvChunks, ThreadsOptionIsKeptAsItsOwnValue) {
  std::string err;
  int pagesize = plat::config().pagesize;
  ASSERT_TRUE(plat::set_system_option("THREADS", "3", &err)) << err;
  EXPECT_EQ(*plat::system_option_text("threads"), "3");
  EXPECT_EQ(plat::config().pagesize, pagesize);
  plat::config().sysopts.erase("THREADS");
}

}  // namespace
