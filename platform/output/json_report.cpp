// JSON form of emitted outputs.
#include "output/json_report.h"

#include <cerrno>
#include <cmath>
#include <cstring>
#include <unistd.h>

#include "output/number_format.h"

namespace plat::out {
namespace {

// Length of the valid UTF-8 sequence at s[i], or 0.
std::size_t utf8_len(const std::string& s, std::size_t i) {
  unsigned char c = static_cast<unsigned char>(s[i]);
  std::size_t n = c >= 0xF0 && c <= 0xF4 ? 4 : c >= 0xE0 ? 3 : c >= 0xC2 && c < 0xE0 ? 2 : 0;
  if (n == 0 || i + n > s.size()) return 0;
  for (std::size_t k = 1; k < n; ++k)
    if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return 0;
  return n;
}

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
        } else if (std::size_t n = utf8_len(s, i)) {
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
  o += r.factoid ? "\"factoid\"" : "\"table\"";
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
  if (r.factoid) {
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
  f_ = std::fopen(path.c_str(), "w");
  if (!f_) {
    if (error) *error = std::strerror(errno);
    return false;
  }
  path_ = path;
  steps_ = outputs_ = 0;
  in_step_ = false;
  std::fputs("{\"steps\": [", f_);
  body_end_ = std::ftell(f_);
  write_tail();
  return true;
}

void json_file::write_tail() {
  std::fseek(f_, body_end_, SEEK_SET);
  std::fputs(in_step_ ? "\n]}\n]}\n" : "\n]}\n", f_);
  std::fflush(f_);
  // Cut what is left of a longer tail written before.
  if (ftruncate(fileno(f_), std::ftell(f_)) != 0) std::clearerr(f_);
}

void json_file::begin_step() {
  if (!f_) return;
  if (in_step_) end_step();
  std::fseek(f_, body_end_, SEEK_SET);
  std::fprintf(f_, "%s\n{\"step\": %d, \"outputs\": [", steps_ ? "," : "", steps_ + 1);
  ++steps_;
  outputs_ = 0;
  in_step_ = true;
  body_end_ = std::ftell(f_);
  write_tail();
}

void json_file::add_output(const std::string& object_json) {
  if (!f_ || !in_step_) return;
  std::fseek(f_, body_end_, SEEK_SET);
  std::fputs(outputs_ ? ",\n" : "\n", f_);
  std::fputs(object_json.c_str(), f_);
  ++outputs_;
  body_end_ = std::ftell(f_);
  write_tail();
}

void json_file::end_step() {
  if (!f_ || !in_step_) return;
  std::fseek(f_, body_end_, SEEK_SET);
  std::fputs("\n]}", f_);
  in_step_ = false;
  body_end_ = std::ftell(f_);
  write_tail();
}

void json_file::close() {
  if (!f_) return;
  end_step();
  std::fclose(f_);
  f_ = nullptr;
}

}  // namespace plat::out
