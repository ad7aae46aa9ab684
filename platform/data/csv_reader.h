// Reading a CSV file into typed columns: the mapped file is cut into chunks of
// records, counted and then typed in parallel; a last pass, in file order, gathers
// the texts of character columns. Records end at LF, CRLF or a lone CR.
#pragma once
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "data/dataset_internal.h"

namespace plat {

struct csv_table {
  std::vector<std::string> header;   // header texts as written (quotes removed)
  std::vector<column_data> cols;
  std::vector<bool> numeric;
  std::vector<int> length;           // 8 for numbers; the longest value (at least 1) for texts
  std::vector<std::string> why_text; // for a column the data made character: its first non-number
  long nrows = 0;
};

// Decides from the header which columns are character whatever their cells hold
// (metadata written with the data set); may return an empty vector.
using csv_force_char = std::function<std::vector<bool>(const std::vector<std::string>& header)>;

// Bytes of text per chunk of records that the reader types on one thread.
inline constexpr std::size_t csv_chunk_bytes = std::size_t{1} << 20;

// Reads the file, in chunks of records on up to `threads` threads; the chunks depend
// on the file and chunk_bytes alone, so the table is the same for any thread count.
// A first line that cannot be a header row (UTF-16, NUL bytes,
// control characters) and a character value longer than max_char_length are refused.
// On failure returns false with a message naming the file (and the
// line and column for malformed text) in *error.
bool read_csv(const std::string& path, const csv_force_char& force, csv_table* out, std::string* error,
              int threads = 1, std::size_t chunk_bytes = csv_chunk_bytes);

// Reads one cell's text as a number or missing value. Returns 1 for a number, 2 for a
// missing value (empty, ".", "._", ".A" to ".Z"), 0 for anything else; *v receives the
// value. Blanks around the text are ignored; "inf" and "nan" are not numbers.
int parse_number_cell(const char* b, const char* e, double* v);

}  // namespace plat
