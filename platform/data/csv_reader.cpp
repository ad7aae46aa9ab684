#include "data/csv_reader.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
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
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0) {
      *error = "cannot open file " + path + ": " + std::strerror(errno);
      return false;
    }
    struct stat st;
    if (fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) {
      *error = "file " + path + " is not a regular file";
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

// Splits the text into records and fields. Stops at the first malformed field with
// a message naming the file, line and column.
class scanner {
 public:
  scanner(const char* p, const char* end, const std::string& path) : p_(p), end_(end), line_start_(p), path_(path) {}

  bool at_end() const { return p_ >= end_; }
  long line() const { return line_; }

  // Reads the next field; *last is set when the record ends after it.
  bool next(field* f, bool* last, std::string* error) {
    if (p_ < end_ && *p_ == '"') {
      const char* q0 = p_;
      long qline = line_;
      long qcol = q0 - line_start_ + 1;
      const char* s = ++p_;
      bool esc = false;
      for (;;) {
        const char* q = static_cast<const char*>(std::memchr(p_, '"', end_ - p_));
        // Count the line ends inside the quoted text for later messages.
        const char* stop = q ? q : end_;
        for (const char* n = static_cast<const char*>(std::memchr(p_, '\n', stop - p_)); n != nullptr;
             n = static_cast<const char*>(std::memchr(n + 1, '\n', stop - n - 1))) {
          ++line_;
          line_start_ = n + 1;
        }
        if (q == nullptr) {
          *error = "unterminated quoted field in file " + path_ + " starting at line " + std::to_string(qline) +
                   ", column " + std::to_string(qcol);
          return false;
        }
        if (q + 1 < end_ && q[1] == '"') {
          esc = true;
          p_ = q + 2;
          continue;
        }
        f->b = s;
        f->e = q;
        f->quoted = true;
        f->escaped = esc;
        p_ = q + 1;
        break;
      }
      return finish(last, error);
    }
    const char* s = p_;
    while (p_ < end_) {
      char c = *p_;
      if (c == ',' || c == '\n') break;
      ++p_;
    }
    const char* e = p_;
    if ((p_ >= end_ || *p_ == '\n') && e > s && e[-1] == '\r') --e;
    f->b = s;
    f->e = e;
    f->quoted = false;
    f->escaped = false;
    return finish(last, error);
  }

 private:
  bool finish(bool* last, std::string* error) {
    if (p_ >= end_) {
      *last = true;
      return true;
    }
    char c = *p_;
    if (c == ',') {
      // A comma that ends the text leaves one more, empty, field, which the next
      // call returns.
      ++p_;
      *last = false;
      return true;
    }
    if (c == '\r' && p_ + 1 < end_ && p_[1] == '\n') ++p_;
    if (*p_ == '\n') {
      ++p_;
      ++line_;
      line_start_ = p_;
      *last = true;
      return true;
    }
    *error = "unexpected character after a closing quote in file " + path_ + " at line " + std::to_string(line_) +
             ", column " + std::to_string(p_ - line_start_ + 1);
    return false;
  }

 private:
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
  std::string dummy;
  scanner sc(line.data(), line.data() + line.size(), dummy);
  if (line.empty()) {
    fields->push_back("");
    return true;
  }
  for (;;) {
    field f;
    bool last = false;
    if (!sc.next(&f, &last, &err)) return false;
    fields->push_back(decoded(f));
    if (last) break;
  }
  return true;
}

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
  if (size >= 3 && std::memcmp(begin, "\xEF\xBB\xBF", 3) == 0) begin += 3;
  if (begin >= end || *begin == '\n' || (*begin == '\r' && begin + 1 < end && begin[1] == '\n')) {
    *error = "file " + path + " has no header row: its first line is empty";
    return false;
  }

  // Header.
  scanner sc(begin, end, path);
  for (;;) {
    field f;
    bool last = false;
    if (!sc.next(&f, &last, error)) return false;
    out->header.push_back(decoded(f));
    if (last) break;
  }
  const size_t ncols = out->header.size();
  std::vector<bool> forced = force ? force(out->header) : std::vector<bool>();
  if (forced.size() != ncols) forced.assign(ncols, false);

  // Room for the numbers: at most one observation per line end.
  size_t lines = 0;
  for (const char* q = static_cast<const char*>(std::memchr(begin, '\n', end - begin)); q != nullptr;
       q = static_cast<const char*>(std::memchr(q + 1, '\n', end - q - 1)))
    ++lines;
  out->cols.assign(ncols, column_data());
  out->numeric.assign(ncols, true);
  out->length.assign(ncols, 8);
  for (size_t j = 0; j < ncols; ++j) {
    if (forced[j]) out->numeric[j] = false;
    else out->cols[j].num.reserve(lines + 1);
  }

  // First pass: records, numbers and the type of every column.
  long nrows = 0;
  bool any_char = false;
  while (!sc.at_end()) {
    size_t j = 0;
    long rec_line = sc.line();
    for (;;) {
      field f;
      bool last = false;
      if (!sc.next(&f, &last, error)) return false;
      if (j >= ncols) {
        *error = "file " + path + " line " + std::to_string(rec_line) + " has more fields than the " +
                 std::to_string(ncols) + " of the header row (column " + std::to_string(j + 1) + ")";
        return false;
      }
      if (out->numeric[j]) {
        double v;
        int k = f.escaped ? 0 : parse_number_cell(f.b, f.e, &v);
        if (k == 0) {
          out->numeric[j] = false;
          std::vector<double>().swap(out->cols[j].num);
        } else {
          out->cols[j].num.push_back(v);
        }
      }
      ++j;
      if (last) break;
    }
    if (j != ncols) {
      *error = "file " + path + " line " + std::to_string(rec_line) + " has " + std::to_string(j) +
               (j == 1 ? " field" : " fields") + " where the header row has " + std::to_string(ncols);
      return false;
    }
    ++nrows;
  }
  out->nrows = nrows;
  for (size_t j = 0; j < ncols; ++j)
    if (!out->numeric[j]) any_char = true;

  // Second pass, only for character columns: their decoded texts.
  if (any_char) {
    for (size_t j = 0; j < ncols; ++j) {
      if (out->numeric[j]) continue;
      out->cols[j].text_off.reserve(static_cast<size_t>(nrows) + 1);
      out->cols[j].text_off.push_back(0);
      out->length[j] = 1;
    }
    scanner s2(begin, end, path);
    // Skip the header.
    for (;;) {
      field f;
      bool last = false;
      if (!s2.next(&f, &last, error)) return false;
      if (last) break;
    }
    while (!s2.at_end()) {
      size_t j = 0;
      for (;;) {
        field f;
        bool last = false;
        if (!s2.next(&f, &last, error)) return false;
        if (!out->numeric[j]) {
          column_data& c = out->cols[j];
          decode(f, &c.text);
          c.text_off.push_back(c.text.size());
        }
        ++j;
        if (last) break;
      }
    }
    for (size_t j = 0; j < ncols; ++j) {
      if (out->numeric[j]) continue;
      const column_data& c = out->cols[j];
      std::uint64_t longest = 1;
      for (size_t r = 1; r < c.text_off.size(); ++r) longest = std::max(longest, c.text_off[r] - c.text_off[r - 1]);
      out->length[j] = static_cast<int>(std::min<std::uint64_t>(longest, 1u << 30));
    }
  }
  return true;
}

}  // namespace plat
