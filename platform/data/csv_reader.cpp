#include "data/csv_reader.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>

#include "host/host_missing.h"

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
  scanner(const char* p, const char* end, const std::string& path) : p_(p), end_(end), line_start_(p), path_(path) {}

  bool at_end() const { return p_ >= end_; }
  long line() const { return line_; }

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
  long line_ = 1;
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

bool split_csv_line(std::string_view line, std::vector<std::string>* fields) {
  fields->clear();
  std::string err;
  std::string no_path;
  scanner sc(line.data(), line.data() + line.size(), no_path);
  std::vector<field> fs;
  if (!sc.record(&fs, &err)) return false;
  for (const field& f : fs) fields->push_back(decoded(f));
  return true;
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

}  // namespace

bool read_csv(const std::string& path, const csv_force_char& force, csv_table* out, std::string* error) {
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
  if (size >= 3 && std::memcmp(begin, "\xEF\xBB\xBF", 3) == 0) begin += 3;
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

  // Room for the numbers: at most one observation per line end (LF, or CR alone).
  size_t lines = static_cast<size_t>(std::max(std::count(begin, end, '\n'), std::count(begin, end, '\r')));
  out->cols.assign(ncols, column_data());
  out->numeric.assign(ncols, true);
  out->length.assign(ncols, 8);
  out->why_text.assign(ncols, std::string());
  for (size_t j = 0; j < ncols; ++j) {
    if (forced[j]) out->numeric[j] = false;
    else out->cols[j].num.reserve(lines + 1);
  }

  // One pass over the records; 'texts' collects the decoded character values, which
  // are known only after the first pass has typed every column.
  auto pass = [&](bool texts) {
    scanner s(begin, end, path);
    if (!s.record(&rec, error)) return false;  // the header
    long nrows = 0;
    while (!s.at_end()) {
      long rec_line = s.line();
      if (!s.record(&rec, error)) return false;
      if (rec.size() > ncols) {
        *error = "file " + path + " line " + std::to_string(rec_line) + " has more fields than the " +
                 std::to_string(ncols) + " of the header row (column " + std::to_string(ncols + 1) + ")";
        return false;
      }
      if (rec.size() != ncols) {
        *error = "file " + path + " line " + std::to_string(rec_line) + " has " + std::to_string(rec.size()) +
                 (rec.size() == 1 ? " field" : " fields") + " where the header row has " + std::to_string(ncols);
        return false;
      }
      for (size_t j = 0; j < ncols; ++j) {
        const field& f = rec[j];
        column_data& c = out->cols[j];
        if (texts) {
          if (out->numeric[j]) continue;
          decode(f, &c.text);
          c.text_off.push_back(c.text.size());
          std::uint64_t len = c.text_off.back() - c.text_off[c.text_off.size() - 2];
          if (len > static_cast<std::uint64_t>(max_char_length)) {
            *error = "file " + path + " " + column_label(*out, j) + " has a value of " + std::to_string(len) +
                     " characters on line " + std::to_string(rec_line) + "; the longest a character value can be is " +
                     std::to_string(max_char_length);
            return false;
          }
          out->length[j] = std::max(out->length[j], static_cast<int>(len));
          continue;
        }
        if (!out->numeric[j]) continue;
        double v;
        if (!f.escaped && parse_number_cell(f.b, f.e, &v) != 0) {
          c.num.push_back(v);
          continue;
        }
        out->numeric[j] = false;
        std::vector<double>().swap(c.num);
        std::string cell = decoded(f);
        if (cell.size() > 40) cell = cell.substr(0, 40) + "...";
        out->why_text[j] = "the value \"" + printable(cell) + "\" on line " + std::to_string(rec_line) +
                           " is not a number";
      }
      ++nrows;
    }
    out->nrows = nrows;
    return true;
  };
  if (!pass(false)) return false;
  if (std::find(out->numeric.begin(), out->numeric.end(), false) == out->numeric.end()) return true;
  for (size_t j = 0; j < ncols; ++j) {
    if (out->numeric[j]) continue;
    out->cols[j].text_off.reserve(static_cast<size_t>(out->nrows) + 1);
    out->cols[j].text_off.push_back(0);
    out->length[j] = 1;
  }
  return pass(true);
}

}  // namespace plat
