// The JSON destination: every emitted output of every step, in one file that is valid
// JSON after each write.
#pragma once
#include <cstdio>
#include <string>

#include "output/report.h"

namespace plat::out {

// The JSON object of one report (no trailing newline).
std::string report_json(const report& r);

// JSON string literal of s (invalid UTF-8 bytes are taken as Latin-1).
std::string json_string(const std::string& s);

// A number: the shortest text that reads back exactly; missing values become
// {"missing": "."} (or "_", "A"..."Z"); infinities {"infinite": "+"} or "-".
std::string json_number(double v);

// The file {"steps": [{"step": 1, "outputs": [...]}, ...]}. The document grows in a
// temporary file beside it; at the end of a step after which it is at least twice as
// long as when it was last put in place (so after the first step), and on closing, a
// complete copy takes the file's place. A run killed at any moment leaves the document
// as it was last put in place: every step up to one that doubled it. A write that fails
// is reported once and the older document stays.
class json_file {
 public:
  ~json_file();
  // Starts the document for path; false with *error set when no file can be made
  // beside it.
  bool open(const std::string& path, std::string* error);
  bool is_open() const { return body_fd_ >= 0; }
  const std::string& path() const { return path_; }
  void begin_step();
  void add_output(const std::string& object_json);
  void end_step();
  void close();
  // Puts the document so far, the open step closed, in the file's place.
  void publish();

 private:
  void append(const std::string& text);
  void fail(const std::string& reason);
  int body_fd_ = -1;
  std::string body_path_;
  std::string path_;
  std::size_t body_size_ = 0;       // bytes of the document so far
  std::size_t published_size_ = 0;  // its bytes when it last took the file's place
  int steps_ = 0;
  int outputs_ = 0;    // outputs in the open step
  bool in_step_ = false;
  bool failed_ = false;
};

}  // namespace plat::out
