#include "data/csv_reader.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <bit>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstdint>
#include <cstring>
#include <new>

#include "host/kes_parallel.h"

#include "host/host_missing.h"

#include "core/utf8_text.h"

namespace plat {
namespace {

// The file mapped read-only; unmapped when the reading ends.
class mapped_file {
 public:
  ~mapped_file() {
    if (data_ != nullptr && size_ > 0) munmap(const_cast<char*>(data_), size_);
    if (fd_ >= 0) close(fd_);
  }
  bool open_file(const std::string& path, std::string* error) {
    // Not blocking: a FIFO named as a data set is refused below, not waited on.
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd_ < 0) {
      *error = "cannot open file " + path + ": " + std::strerror(errno);
      return false;
    }
    struct stat st;
    if (fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) {
      *error = "file " + path + " is not a regular file (a folder, FIFO or device cannot be a data set)";
      return false;
    }
    size_ = static_cast<size_t>(st.st_size);
    if (size_ == 0) return true;
    void* p = mmap(nullptr, size_, PROT_READ, MAP_PRIVATE, fd_, 0);
    if (p == MAP_FAILED) {
      *error = "cannot read file " + path + ": " + std::strerror(errno);
      data_ = nullptr;
      return false;
    }
    madvise(p, size_, MADV_SEQUENTIAL);
    data_ = static_cast<const char*>(p);
    return true;
  }
  const char* data() const { return data_; }
  size_t size() const { return size_; }

  // Gives back the resident pages wholly inside [b, e), so that a large file does not
  // stay resident beside the columns made from it. Reading them again reads them back
  // from the file (the mapping is private and never written), so readers of
  // neighbouring text on other threads only lose time.
  static void release(const char* b, const char* e) {
    static const uintptr_t page = static_cast<uintptr_t>(sysconf(_SC_PAGESIZE));
    uintptr_t lo = (reinterpret_cast<uintptr_t>(b) + page - 1) & ~(page - 1);
    uintptr_t hi = reinterpret_cast<uintptr_t>(e) & ~(page - 1);
    if (lo < hi) madvise(reinterpret_cast<void*>(lo), hi - lo, MADV_DONTNEED);
  }

 private:
  int fd_ = -1;
  const char* data_ = nullptr;
  size_t size_ = 0;
};

// One field as found in the text: [b, e) without the enclosing quotes; 'escaped' when
// it holds doubled quotes that decoding must halve.
struct field {
  const char* b;
  const char* e;
  bool quoted;
  bool escaped;
};

// Splits the text into records and fields. A record ends at LF, CRLF or a lone CR.
// Stops at the first malformed field with a message naming the file, line and column.
class scanner {
 public:
  // p starts a line, numbered `line` in the messages.
  scanner(const char* p, const char* end, const std::string& path, long line = 1)
      : p_(p), end_(end), line_start_(p), line_(line), path_(path) {}

  bool at_end() const { return p_ >= end_; }
  long line() const { return line_; }
  const char* pos() const { return p_; }

  // Reads the next record into *fields (reused from call to call).
  bool record(std::vector<field>* fields, std::string* error) {
    fields->clear();
    for (;;) {
      field f;
      bool last = false;
      if (!next(&f, &last, error)) return false;
      fields->push_back(f);
      if (last) return true;
    }
  }

 private:
  static bool line_end(char c) { return c == '\n' || c == '\r'; }

  // Steps over one line end at p_ (CRLF counts once).
  void end_line() {
    if (*p_ == '\r' && p_ + 1 < end_ && p_[1] == '\n') ++p_;
    ++p_;
    ++line_;
    line_start_ = p_;
  }

  bool next(field* f, bool* last, std::string* error) {
    if (p_ < end_ && *p_ == '"') {
      long qline = line_;
      long qcol = p_ - line_start_ + 1;
      const char* s = ++p_;
      bool esc = false;
      for (;;) {
        // Line ends inside the quoted text still count for later messages.
        while (p_ < end_ && *p_ != '"') {
          if (line_end(*p_)) end_line();
          else ++p_;
        }
        if (p_ >= end_) {
          *error = "unterminated quoted field in file " + path_ + " starting at line " + std::to_string(qline) +
                   ", column " + std::to_string(qcol);
          return false;
        }
        if (p_ + 1 < end_ && p_[1] == '"') {
          esc = true;
          p_ += 2;
          continue;
        }
        *f = field{s, p_, true, esc};
        ++p_;
        break;
      }
      return finish(last, error);
    }
    const char* s = p_;
    while (p_ < end_ && *p_ != ',' && !line_end(*p_)) ++p_;
    *f = field{s, p_, false, false};
    return finish(last, error);
  }

  bool finish(bool* last, std::string* error) {
    *last = true;
    if (p_ >= end_) return true;
    if (*p_ == ',') {
      // A comma that ends the text leaves one more, empty, field, which the next
      // call returns.
      ++p_;
      *last = false;
      return true;
    }
    if (line_end(*p_)) {
      end_line();
      return true;
    }
    *error = "unexpected character after a closing quote in file " + path_ + " at line " + std::to_string(line_) +
             ", column " + std::to_string(p_ - line_start_ + 1);
    return false;
  }

  const char* p_;
  const char* end_;
  const char* line_start_;
  long line_;
  const std::string& path_;
};

void decode(const field& f, std::string* out) {
  if (!f.escaped) {
    out->append(f.b, f.e);
    return;
  }
  for (const char* c = f.b; c < f.e; ++c) {
    out->push_back(*c);
    if (*c == '"') ++c;  // the second quote of a pair
  }
}

std::string decoded(const field& f) {
  std::string s;
  decode(f, &s);
  return s;
}

}  // namespace

int parse_number_cell(const char* b, const char* e, double* v) {
  while (b < e && (*b == ' ' || *b == '\t')) ++b;
  while (e > b && (e[-1] == ' ' || e[-1] == '\t')) --e;
  size_t n = static_cast<size_t>(e - b);
  if (n == 0 || (n == 1 && *b == '.')) {
    *v = host_missing_of_kind(HOST_MISS_STD);
    return 2;
  }
  if (n == 2 && *b == '.') {
    char c = b[1];
    if (c == '_') {
      *v = host_missing_of_kind(HOST_MISS_UNDERSCORE);
      return 2;
    }
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (c >= 'A' && c <= 'Z') {
      *v = host_missing_of_kind(HOST_MISS_A + (c - 'A'));
      return 2;
    }
  }
  const char* s = b;
  if (*s == '+') {
    ++s;
    if (s < e && *s == '-') return 0;
  }
  // A number starts with a digit or a point after its sign; this keeps out the
  // texts of infinities and NaNs that from_chars would take.
  const char* d = (s < e && *s == '-') ? s + 1 : s;
  if (d >= e || !((*d >= '0' && *d <= '9') || *d == '.')) return 0;
  double x;
  auto r = std::from_chars(s, e, x, std::chars_format::general);
  if (r.ec != std::errc() || r.ptr != e) return 0;
  *v = x;
  return 1;
}

namespace {

std::string column_label(const csv_table& t, size_t j) {
  return "column " + std::to_string(j + 1) + " (\"" + printable(t.header[j]) + "\")";
}

// Why the first line cannot be a header row, or "" when it can be one.
std::string implausible_header(const char* b, const char* end) {
  auto byte = [&](size_t i) { return static_cast<unsigned char>(b[i]); };
  if (end - b >= 2 && ((byte(0) == 0xFF && byte(1) == 0xFE) || (byte(0) == 0xFE && byte(1) == 0xFF)))
    return "the file is UTF-16; save it as UTF-8";
  for (const char* p = b; p < end && *p != '\n' && *p != '\r'; ++p) {
    unsigned char c = static_cast<unsigned char>(*p);
    std::string where = " at column " + std::to_string(p - b + 1);
    if (c == 0) return "its first line holds a NUL byte" + where + ": it is not a text file";
    if ((c < 0x20 && c != '\t') || c == 0x7F) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "0x%02X", c);
      return std::string("its first line holds the control character ") + hex + where + ": it is not a CSV text file";
    }
  }
  return "";
}

// A run of whole records: those that start in [b, limit). Chunks are cut at line ends
// at fixed distances in the file, so the cuts depend on the file alone, never on the
// number of threads; a cut that falls inside a quoted field is found and mended (see
// link_chunks).
struct chunk {
  const char* b = nullptr;
  const char* limit = nullptr;
  const char* e = nullptr;  // where the last record ends (the next chunk's start)
  long records = 0;
  long line_ends = 0;       // line ends read, quoted ones included
  bool failed = false;      // malformed text or a record of the wrong width
  bool plain = false;       // no quote in it: its records are its lines
  bool lf_only = false;     // plain, and its line ends are all LF
  long first_line = 1;      // absolute numbers, known once the chunks are linked
  long first_row = 0;
  // Columns whose first text that is no number lies here: column and reason.
  std::vector<std::pair<size_t, std::string>> not_numbers;
};

// The record loop: reads the records that start before `limit`, checks that each has
// the header's width and calls each(record, line). Returns false with the message of
// the first fault.
template <class Each>
bool read_records(scanner& s, const char* limit, size_t ncols, const std::string& path, std::vector<field>* rec,
                  std::string* error, Each&& each) {
  while (!s.at_end() && s.pos() < limit) {
    long rec_line = s.line();
    if (!s.record(rec, error)) return false;
    if (rec->size() > ncols) {
      *error = "file " + path + " line " + std::to_string(rec_line) + " has more fields than the " +
               std::to_string(ncols) + " of the header row (column " + std::to_string(ncols + 1) + ")";
      return false;
    }
    if (rec->size() != ncols) {
      *error = "file " + path + " line " + std::to_string(rec_line) + " has " + std::to_string(rec->size()) +
               (rec->size() == 1 ? " field" : " fields") + " where the header row has " + std::to_string(ncols);
      return false;
    }
    if (!each(*rec, rec_line)) return false;
  }
  return true;
}

// Where a record can start at or after p: just past the next line end (CRLF counts
// once), or the end of the text.
const char* after_line_end(const char* p, const char* end) {
  while (p < end && *p != '\n' && *p != '\r') ++p;
  if (p < end && *p == '\r' && p + 1 < end && p[1] == '\n') ++p;
  return p < end ? p + 1 : end;
}

// Chunks of about chunk_bytes each, cut where a record can start.
std::vector<chunk> cut_chunks(const char* body, const char* end, size_t chunk_bytes) {
  std::vector<chunk> cs;
  const char* b = body;
  while (b < end) {
    size_t left = static_cast<size_t>(end - b);
    const char* next = left <= chunk_bytes ? end : after_line_end(b + chunk_bytes, end);
    chunk c;
    c.b = b;
    c.limit = next;
    cs.push_back(std::move(c));
    b = next;
  }
  return cs;
}

// The high bit of every byte of w that equals c (exactly: no borrow between bytes).
inline std::uint64_t bytes_equal(std::uint64_t w, unsigned char c) {
  constexpr std::uint64_t low7 = 0x7F7F7F7F7F7F7F7Full;
  const std::uint64_t y = w ^ (0x0101010101010101ull * c);
  return ~(((y & low7) + low7) | y) & ~low7;
}

// How many bytes bytes_equal marked (a multiply: the build does not assume a popcount
// instruction).
inline size_t marked_bytes(std::uint64_t m) { return static_cast<size_t>(((m >> 7) * 0x0101010101010101ull) >> 56); }

// Records and width faults of [p, limit), whose line ends are all LF, eight bytes at a
// time: each LF closes a record of one field more than the commas before it.
const char* count_lf_lines(const char* p, const char* limit, size_t ncols, long* records, bool* wrong_width) {
  size_t fields = 1;
  long n = 0;
  bool wrong = false;
  auto close_record = [&] {
    wrong = wrong || fields != ncols;
    ++n;
    fields = 1;
  };
  if constexpr (std::endian::native == std::endian::little) {
    for (; limit - p >= 8; p += 8) {
      std::uint64_t w;
      std::memcpy(&w, p, 8);
      std::uint64_t lf = bytes_equal(w, '\n');
      std::uint64_t commas = bytes_equal(w, ',');
      while (lf != 0) {  // the first byte is the lowest
        const std::uint64_t before = (lf & (0 - lf)) - 1;
        fields += marked_bytes(commas & before);
        commas &= ~before;
        close_record();
        lf &= lf - 1;
      }
      fields += marked_bytes(commas);
    }
  }
  for (; p < limit; ++p) {
    if (*p == ',') ++fields;
    else if (*p == '\n') close_record();
  }
  if (limit[-1] != '\n') close_record();  // the last line of a text without a final line end
  *records = n;
  *wrong_width = wrong;
  return p;
}

// Counts a chunk without quotes by its line ends and commas alone: each line is a
// record of one field more than its commas. It ends just past a line end or at the end
// of the text, so no record runs past it. False, with c unchanged, for a chunk with a
// quote, which only the scanner reads rightly.
bool count_plain_chunk(chunk& c, const char* end, size_t ncols) {
  const char* p = c.b;
  const char* limit = std::max(c.limit, p);
  const size_t len = static_cast<size_t>(limit - p);
  if (std::memchr(p, '"', len) != nullptr) return false;
  long records = 0;
  bool wrong_width = false;
  c.lf_only = len > 0 && std::memchr(p, '\r', len) == nullptr;
  if (c.lf_only) {
    p = count_lf_lines(p, limit, ncols, &records, &wrong_width);
  } else {
    while (p < limit) {
      size_t fields = 1;
      for (; p < limit && *p != '\n' && *p != '\r'; ++p) fields += *p == ',';
      wrong_width = wrong_width || fields != ncols;
      ++records;
      if (p < limit) {  // a line end; CRLF counts once
        if (*p == '\r' && p + 1 < end && p[1] == '\n') ++p;
        ++p;
      }
    }
  }
  c.records = records;
  c.failed = wrong_width;
  c.plain = true;
  c.e = p;
  // Every record but one at the end of the text without a line end ended a line.
  c.line_ends = records - (records > 0 && p == end && p[-1] != '\n' && p[-1] != '\r');
  return true;
}

// The records of a plain chunk (counted, of the right width): calls each(fields,
// line) for every line, its fields split at the commas, as the scanner would. Where
// every line end is LF, lines and fields are found with memchr.
template <class Each>
void each_plain_record(const chunk& c, const char* end, size_t ncols, std::vector<field>* rec, Each&& each) {
  long line = c.first_line;
  for (const char* p = c.b; p < c.limit; ++line) {
    rec->clear();
    const char* f = p;
    if (c.lf_only) {
      const void* nl = std::memchr(p, '\n', static_cast<size_t>(c.limit - p));
      p = nl != nullptr ? static_cast<const char*>(nl) : c.limit;
      for (size_t j = 1; j < ncols; ++j) {  // the width is known: ncols - 1 commas
        const char* comma = static_cast<const char*>(std::memchr(f, ',', static_cast<size_t>(p - f)));
        rec->push_back(field{f, comma, false, false});
        f = comma + 1;
      }
    } else {
      for (; p < c.limit && *p != '\n' && *p != '\r'; ++p)
        if (*p == ',') {
          rec->push_back(field{f, p, false, false});
          f = p + 1;
        }
    }
    rec->push_back(field{f, p, false, false});
    if (p < c.limit) {  // a line end; CRLF counts once
      if (*p == '\r' && p + 1 < end && p[1] == '\n') ++p;
      ++p;
    }
    each(*rec, line);
  }
}

// Reads a chunk's records for their count, width and line ends only.
void count_chunk(chunk& c, const char* end, size_t ncols, const std::string& path) {
  c.plain = false;
  if (count_plain_chunk(c, end, ncols)) return;
  scanner s(c.b, end, path, c.first_line);
  std::vector<field> rec;
  std::string ignored;
  c.records = 0;
  c.failed = !read_records(s, c.limit, ncols, path, &rec, &ignored, [&](const std::vector<field>&, long) {
    ++c.records;
    return true;
  });
  c.e = s.pos();
  c.line_ends = s.line() - c.first_line;
}

// Links the chunks, counted in parallel, in file order. The first chunk starts after
// the header, at a record start; when chunk k ends exactly where chunk k+1 starts, so
// does chunk k+1. When chunk k ran past that point (a quoted field with line ends
// spans the cut), chunk k+1 is read again from where chunk k ended; a chunk that fails
// from a true record start is read again with its true line numbers for the message.
bool link_chunks(std::vector<chunk>& cs, const char* body, long body_line, const char* end, size_t ncols,
                 const std::string& path, std::string* error) {
  const char* at = body;
  long line = body_line;
  long rows = 0;
  for (chunk& c : cs) {
    if (c.b != at) {
      c.b = at;
      count_chunk(c, end, ncols, path);
    }
    c.first_line = line;
    if (c.failed) {
      scanner s(c.b, end, path, line);
      std::vector<field> rec;
      read_records(s, c.limit, ncols, path, &rec, error, [](const std::vector<field>&, long) { return true; });
      return false;
    }
    c.first_row = rows;
    rows += c.records;
    line += c.line_ends;
    at = c.e;
  }
  return true;
}

// Calls body(k) for every chunk on up to `threads` threads. A shortage of memory on
// any of them is thrown again on the caller's thread, as a serial read would throw
// it (the step reports it); the other chunks are then skipped.
template <class Body>
void for_chunks(int threads, size_t n, Body&& body) {
  std::atomic<bool> short_of_memory{false};
  kes::parallel_parts(threads, n, [&](size_t k) {
    if (short_of_memory.load(std::memory_order_relaxed)) return;
    try {
      body(k);
    } catch (const std::bad_alloc&) {
      short_of_memory.store(true, std::memory_order_relaxed);
    }
  });
  if (short_of_memory.load()) throw std::bad_alloc();
}

}  // namespace

bool read_csv(const std::string& path, const csv_force_char& force, csv_table* out, std::string* error, int threads,
              size_t chunk_bytes) {
  mapped_file mf;
  if (!mf.open_file(path, error)) return false;
  const char* data = mf.data();
  size_t size = mf.size();
  if (size == 0) {
    *error = "file " + path + " is empty: it has no header row";
    return false;
  }
  const char* begin = data;
  const char* end = data + size;
  std::string bad = implausible_header(begin, end);
  if (!bad.empty()) {
    *error = "file " + path + " cannot be read: " + bad;
    return false;
  }
  if (std::string_view(begin, end - begin).starts_with(kUtf8ByteOrderMark)) begin += kUtf8ByteOrderMark.size();
  if (begin >= end || *begin == '\n' || *begin == '\r') {
    *error = "file " + path + " has no header row: its first line is empty";
    return false;
  }

  std::vector<field> rec;
  scanner sc(begin, end, path);
  if (!sc.record(&rec, error)) return false;
  for (const field& f : rec) out->header.push_back(decoded(f));
  const size_t ncols = out->header.size();
  std::vector<bool> forced = force ? force(out->header) : std::vector<bool>();
  if (forced.size() != ncols) forced.assign(ncols, false);

  // Count the records of every chunk, then link the chunks into row and line numbers.
  const char* body = sc.pos();
  std::vector<chunk> cs = cut_chunks(body, end, std::max<size_t>(chunk_bytes, 1));
  for_chunks(threads, cs.size(), [&](size_t k) {
    count_chunk(cs[k], end, ncols, path);
    mapped_file::release(cs[k].b, cs[k].e);
  });
  if (!link_chunks(cs, body, sc.line(), end, ncols, path, error)) return false;
  const long nrows = cs.empty() ? 0 : cs.back().first_row + cs.back().records;
  out->nrows = nrows;

  out->cols.assign(ncols, column_data());
  out->numeric.assign(ncols, true);
  out->length.assign(ncols, 8);
  out->why_text.assign(ncols, std::string());
  for (size_t j = 0; j < ncols; ++j) {
    if (forced[j]) out->numeric[j] = false;
    else out->cols[j].num.resize(static_cast<size_t>(nrows));
  }

  // Type the numbers in place, each chunk at its rows. A chunk notes, for each column,
  // its first text that is no number; the first such text in the file decides.
  for_chunks(threads, cs.size(), [&](size_t k) {
    chunk& c = cs[k];
    std::vector<field> fs;
    std::vector<char> given_up(ncols, 0);
    size_t row = static_cast<size_t>(c.first_row);
    auto type_record = [&](const std::vector<field>& r, long rec_line) {
      for (size_t j = 0; j < ncols; ++j) {
        if (!out->numeric[j] || given_up[j]) continue;
        double v;
        if (!r[j].escaped && parse_number_cell(r[j].b, r[j].e, &v) != 0) {
          out->cols[j].num[row] = v;
          continue;
        }
        given_up[j] = 1;
        std::string cell = decoded(r[j]);
        if (cell.size() > 40) cell = cell.substr(0, 40) + "...";
        c.not_numbers.emplace_back(
            j, "the value \"" + printable(cell) + "\" on line " + std::to_string(rec_line) + " is not a number");
      }
      ++row;
      return true;
    };
    if (c.plain) {
      each_plain_record(c, end, ncols, &fs, type_record);
    } else {
      scanner s(c.b, end, path, c.first_line);
      std::string unused;
      read_records(s, c.limit, ncols, path, &fs, &unused, type_record);
    }
    mapped_file::release(c.b, c.e);
  });
  for (chunk& c : cs) {
    for (auto& [j, why] : c.not_numbers) {
      if (!out->numeric[j]) continue;
      out->numeric[j] = false;
      out->why_text[j] = std::move(why);
      decltype(out->cols[j].num)().swap(out->cols[j].num);
    }
  }
  if (std::find(out->numeric.begin(), out->numeric.end(), false) == out->numeric.end()) return true;

  // The character columns' texts, in file order.
  for (size_t j = 0; j < ncols; ++j) {
    if (out->numeric[j]) continue;
    out->cols[j].text_off.reserve(static_cast<size_t>(nrows) + 1);
    out->cols[j].text_off.push_back(0);
    out->length[j] = 1;
  }
  for (const chunk& c : cs) {
    scanner s(c.b, end, path, c.first_line);
    bool ok = read_records(s, c.limit, ncols, path, &rec, error, [&](const std::vector<field>& r, long rec_line) {
      for (size_t j = 0; j < ncols; ++j) {
        if (out->numeric[j]) continue;
        column_data& col = out->cols[j];
        decode(r[j], &col.text);
        col.text_off.push_back(col.text.size());
        std::uint64_t len = col.text_off.back() - col.text_off[col.text_off.size() - 2];
        if (len > static_cast<std::uint64_t>(max_char_length)) {
          *error = "file " + path + " " + column_label(*out, j) + " has a value of " + std::to_string(len) +
                   " bytes on line " + std::to_string(rec_line) + "; the longest a character value can be is " +
                   std::to_string(max_char_length) + " bytes";
          return false;
        }
        out->length[j] = std::max(out->length[j], static_cast<int>(len));
      }
      return true;
    });
    if (!ok) return false;
    mapped_file::release(c.b, c.e);
  }
  return true;
}

}  // namespace plat
