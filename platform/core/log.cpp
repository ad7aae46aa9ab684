// The log: notes, warnings and errors, each entry prefixed by its kind.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "core/core_internal.h"
#include "core/runtime.h"
#include "core/temp_files.h"
#include "core/utf8_text.h"

namespace plat {
namespace {

std::FILE* log_file = nullptr;

std::FILE* log_stream() {
  if (!log_file) log_file = core::open_output(config().log_path, stderr, "log");
  return log_file;
}

const char* prefix(msg_kind kind) {
  switch (kind) {
    case msg_kind::note: return "NOTE: ";
    case msg_kind::warning: return "WARNING: ";
    case msg_kind::error: return "ERROR: ";
    case msg_kind::plain: return "";
  }
  return "";
}

}  // namespace

std::string log_entry_lines(msg_kind kind, std::string_view text) {
  if (!text.empty() && text.back() == '\n') text.remove_suffix(1);  // ends the last line, adds none
  const char* pre = prefix(kind);
  std::string indent(std::char_traits<char>::length(pre), ' ');
  std::string out;
  bool first = true;
  for (;;) {
    std::size_t nl = text.find('\n');
    std::string_view line = text.substr(0, nl);
    while (!line.empty() && (line.back() == ' ' || line.back() == '\r')) line.remove_suffix(1);
    out += first ? pre : (line.empty() ? "" : indent.c_str());
    // Whatever a message quotes, the log stays printable UTF-8 text.
    out += printable_text(line);
    out += '\n';
    first = false;
    if (nl == std::string_view::npos) break;
    text.remove_prefix(nl + 1);
  }
  return out;
}

void log_write_lines(const std::string& lines) {
  std::FILE* f = log_stream();
  std::fwrite(lines.data(), 1, lines.size(), f);
  core::check_written(f, "log", config().log_path);
}

void log_write(msg_kind kind, std::string_view text) { log_write_lines(log_entry_lines(kind, text)); }

namespace core {

void log_reset() {
  set_interrupt_log(-1);
  if (log_file && log_file != stderr && log_file != stdout && std::fclose(log_file) != 0)
    report_file_failure("log", config().log_path, std::strerror(errno));
  else if (log_file) std::fflush(log_file);
  log_file = nullptr;
}

void log_open() { log_stream(); }

void log_flush() {
  if (log_file) std::fflush(log_file);
}

}  // namespace core
}  // namespace plat
