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

// The file {"steps": [{"step": 1, "outputs": [...]}, ...]}. Each addition rewrites
// only the closing brackets after it, so the file stays complete if the process dies.
class json_file {
 public:
  ~json_file();
  // Opens (truncating) path; false with *error set when it cannot be written.
  bool open(const std::string& path, std::string* error);
  bool is_open() const { return f_ != nullptr; }
  const std::string& path() const { return path_; }
  void begin_step();
  void add_output(const std::string& object_json);
  void end_step();
  void close();

 private:
  void write_tail();
  std::FILE* f_ = nullptr;
  std::string path_;
  long body_end_ = 0;  // offset where the closing brackets start
  int steps_ = 0;
  int outputs_ = 0;    // outputs in the open step
  bool in_step_ = false;
};

}  // namespace plat::out
