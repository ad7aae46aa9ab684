// JSON form of emitted outputs.
#include "output/json_report.h"

#include <cerrno>
#include <cmath>
#include <cstring>
#include <unistd.h>

#include <filesystem>
#include <vector>

#include "core/runtime.h"
#include "core/temp_files.h"
#include "core/utf8_text.h"
#include "host/kes_utf8.h"

#include "output/number_format.h"

namespace plat::out {
namespace {

void append_cell(std::string& out, const cell& c) {
  out += c.is_text ? json_string(c.text) : json_number(c.num);
}

void append_dyn(std::string& out, const dyn_value& d) {
  out += d.is_text ? json_string(d.text) : json_number(d.num);
}

}  // namespace

std::string json_string(const std::string& s) {
  std::string out = "\"";
  for (std::size_t i = 0; i < s.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    char buf[8];
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\t': out += "\\t"; break;
      case '\r': out += "\\r"; break;
      default:
        if (c < 0x20) {
          std::snprintf(buf, sizeof buf, "\\u%04x", c);
          out += buf;
        } else if (c < 0x80) {
          out += static_cast<char>(c);
        } else if (std::size_t n = kes_utf8_char_length(s, i)) {
          out.append(s, i, n);
          i += n - 1;
        } else {
          std::snprintf(buf, sizeof buf, "\\u%04x", c);
          out += buf;
        }
    }
  }
  return out + "\"";
}

std::string json_number(double v) {
  if (char k = missing_kind(v)) return std::string("{\"missing\": \"") + k + "\"}";
  if (std::isinf(v)) return v > 0 ? "{\"infinite\": \"+\"}" : "{\"infinite\": \"-\"}";
  return shortest_text(v);
}

std::string report_json(const report& r) {
  std::string o = "{\"kind\": ";
  o += r.factoid ? "\"factoid\"" : r.text ? "\"text\"" : "\"table\"";
  o += ", \"name\": " + json_string(r.name);
  o += ", \"template\": " + json_string(r.template_name);
  o += ", \"label\": " + json_string(r.label);
  if (!r.description.empty()) o += ", \"description\": " + json_string(r.description);
  o += ",\n  \"groups\": [";
  for (std::size_t i = 0; i < r.context.groups.size(); ++i) {
    const auto& g = r.context.groups[i];
    o += i ? ", " : "";
    o += "{\"name\": " + json_string(g.name) + ", \"label\": " + json_string(g.label) +
         ", \"kind\": " + json_string(g.kind) + "}";
  }
  o += "],\n  \"by\": [";
  for (std::size_t i = 0; i < r.context.by.size(); ++i) {
    o += i ? ", " : "";
    o += "{\"name\": " + json_string(r.context.by[i].first) + ", \"value\": " +
         json_string(r.context.by[i].second) + "}";
  }
  o += "], \"class\": [";
  bool first = true;
  std::string variable;
  for (const auto& g : r.context.groups) {
    if (g.kind == "VarName") variable = g.name;
    if (!g.class_level) continue;
    o += first ? "" : ", ";
    first = false;
    o += "{\"name\": " + json_string(g.kind) + ", \"level\": " + json_string(g.name) + "}";
  }
  o += "]";
  if (!variable.empty()) o += ", \"variable\": " + json_string(variable);
  o += ",\n  \"dynamics\": {";
  for (std::size_t i = 0; i < r.dynamics.size(); ++i) {
    o += i ? ", " : "";
    o += json_string(r.dynamics[i].name) + ": ";
    append_dyn(o, r.dynamics[i]);
  }
  o += "}";
  if (r.text) {
    o += ",\n  \"lines\": [";
    for (std::size_t i = 0; i < r.lines.size(); ++i) o += (i ? ",\n    " : "\n    ") + json_string(r.lines[i]);
    o += "]";
  } else if (r.factoid) {
    o += ",\n  \"pairs\": [";
    for (std::size_t i = 0; i < r.pairs.size(); ++i) {
      const auto& p = r.pairs[i];
      o += i ? ",\n    " : "\n    ";
      o += "{\"label\": " + json_string(p.label) + ", \"value\": ";
      o += p.is_text ? json_string(p.text) : json_number(p.num);
      if (p.position > 0) o += ", \"position\": " + std::to_string(p.position);
      o += "}";
    }
    o += "]";
  } else {
    o += ",\n  \"columns\": [";
    for (std::size_t i = 0; i < r.columns.size(); ++i) {
      const auto& c = r.columns[i];
      o += i ? ",\n    " : "\n    ";
      o += "{\"name\": " + json_string(c.name) + ", \"label\": " + json_string(c.label) +
           ", \"type\": " + (c.numeric ? "\"numeric\"" : "\"character\"");
      if (!c.numeric) o += ", \"length\": " + std::to_string(c.char_width);
      if (c.width >= 0 || c.decimals >= 0) {
        o += ", \"format\": {\"width\": " + (c.width >= 0 ? std::to_string(c.width) : "null") +
             ", \"decimals\": " +
             (c.decimals < 0 ? std::string("null")
                             : c.decimals == kBestDecimals ? "\"best\"" : std::to_string(c.decimals)) +
             "}";
      }
      if (!c.format_name.empty()) o += ", \"format_name\": " + json_string(c.format_name);
      o += "}";
    }
    o += "],\n  \"rows\": [";
    for (std::size_t i = 0; i < r.rows.size(); ++i) {
      o += i ? ",\n    " : "\n    ";
      o += "{";
      for (std::size_t k = 0; k < r.rows[i].size() && k < r.columns.size(); ++k) {
        o += k ? ", " : "";
        o += json_string(r.columns[k].name) + ": ";
        append_cell(o, r.rows[i][k]);
      }
      o += "}";
    }
    o += "]";
  }
  if (!r.footnotes.empty()) {
    o += ",\n  \"footnotes\": [";
    for (std::size_t i = 0; i < r.footnotes.size(); ++i) o += (i ? ", " : "") + json_string(r.footnotes[i]);
    o += "]";
  }
  return o + "}";
}

json_file::~json_file() { close(); }

bool json_file::open(const std::string& path, std::string* error) {
  close();
  std::filesystem::path folder = std::filesystem::path(path).parent_path();
  remove_stale_temp_files(folder.empty() ? "." : folder.string());
  body_fd_ = create_temp_file(path, &body_path_);
  if (body_fd_ < 0) {
    if (error) *error = std::strerror(errno) + std::string(" (making a file in its folder)");
    return false;
  }
  path_ = path;
  steps_ = outputs_ = 0;
  body_size_ = published_size_ = 0;
  in_step_ = failed_ = false;
  append("{\"steps\": [");
  publish();
  return !failed_;
}

void json_file::fail(const std::string& reason) {
  if (failed_) return;
  failed_ = true;
  report_file_failure("JSON", path_, reason);
}

void json_file::append(const std::string& text) {
  if (failed_) return;
  const char* p = text.data();
  std::size_t left = text.size();
  while (left > 0) {
    ssize_t n = ::write(body_fd_, p, left);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      fail(n == 0 ? "nothing could be written" : std::strerror(errno));
      return;
    }
    p += n;
    left -= static_cast<std::size_t>(n);
    body_size_ += static_cast<std::size_t>(n);
  }
}

// The document so far and its closing brackets go to a new file that then takes the
// JSON file's place: a reader, or a run killed at any moment, finds a complete document.
void json_file::publish() {
  if (failed_) return;
  std::string tmp;
  int fd = create_temp_file(path_, &tmp);
  if (fd < 0) {
    fail(std::strerror(errno));
    return;
  }
  std::string why;
  std::vector<char> buf(1 << 20);
  off_t at = 0;
  for (;;) {
    ssize_t n = ::pread(body_fd_, buf.data(), buf.size(), at);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) why = std::strerror(errno);
    if (n <= 0) break;
    at += n;
    for (ssize_t done = 0; done < n && why.empty();) {
      ssize_t w = ::write(fd, buf.data() + done, static_cast<std::size_t>(n - done));
      if (w < 0 && errno == EINTR) continue;
      if (w <= 0) why = w == 0 ? "nothing could be written" : std::strerror(errno);
      else done += w;
    }
    if (!why.empty()) break;
  }
  const char* tail = in_step_ ? "\n]}\n]}\n" : "\n]}\n";
  if (why.empty() && ::write(fd, tail, std::strlen(tail)) != static_cast<ssize_t>(std::strlen(tail)))
    why = std::strerror(errno);
  if (why.empty() && ::fsync(fd) != 0) why = std::strerror(errno);
  if (::close(fd) != 0 && why.empty()) why = std::strerror(errno);
  // Something other than a regular file put there since the run began is never replaced.
  if (why.empty()) why = replace_refusal(path_);
  if (why.empty() && ::rename(tmp.c_str(), path_.c_str()) != 0) why = std::strerror(errno);
  if (!why.empty()) {
    ::unlink(tmp.c_str());
    fail(why);
  }
  temp_files_remove(tmp);
  // The rename itself reaches the disk before the run goes on: after a power cut the
  // file holds this document, not one put in place before it. A file system that
  // cannot sync a folder (EINVAL) keeps the rename as it keeps any other.
  if (why.empty() && !sync_folder_of(path_) && errno != EINVAL && errno != ENOTSUP) fail(std::strerror(errno));
  published_size_ = body_size_;
}

void json_file::begin_step() {
  if (body_fd_ < 0) return;
  if (in_step_) end_step();
  append((steps_ ? ",\n" : "\n") + std::string("{\"step\": ") + std::to_string(steps_ + 1) + ", \"outputs\": [");
  ++steps_;
  outputs_ = 0;
  in_step_ = true;
}

void json_file::add_output(const std::string& object_json) {
  if (body_fd_ < 0 || !in_step_) return;
  append((outputs_ ? ",\n" : "\n") + object_json);
  ++outputs_;
}

// Rewriting the whole document at every step end made a program of many small steps
// quadratic; rewriting once it has doubled copies at most twice its final size in all.
void json_file::end_step() {
  if (body_fd_ < 0 || !in_step_) return;
  append("\n]}");
  in_step_ = false;
  if (body_size_ >= 2 * published_size_) publish();
}

void json_file::close() {
  if (body_fd_ < 0) return;
  if (in_step_) {
    append("\n]}");
    in_step_ = false;
  }
  publish();
  ::close(body_fd_);
  ::unlink(body_path_.c_str());
  temp_files_remove(body_path_);
  body_fd_ = -1;
}

}  // namespace plat::out
