#include "data/meta_file.h"

#include <charconv>
#include <fstream>
#include <sstream>

#include "data/data_messages.h"
#include "data/dataset_internal.h"
#include "data/formats.h"

namespace plat {
namespace {

const char* const kFirstLine = "kestravine data set metadata 1";

std::string escape(const std::string& s) {
  std::string r;
  for (char c : s) {
    if (c == '\\') r += "\\\\";
    else if (c == '\t') r += "\\t";
    else if (c == '\n') r += "\\n";
    else if (c == '\r') r += "\\r";
    else r.push_back(c);
  }
  return r;
}

std::string unescape(const std::string& s) {
  std::string r;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\\' && i + 1 < s.size()) {
      char c = s[++i];
      r.push_back(c == 't' ? '\t' : c == 'n' ? '\n' : c == 'r' ? '\r' : c);
    } else {
      r.push_back(s[i]);
    }
  }
  return r;
}

std::vector<std::string> split_tabs(const std::string& line) {
  std::vector<std::string> f;
  size_t start = 0;
  for (;;) {
    size_t t = line.find('\t', start);
    f.push_back(line.substr(start, t == std::string::npos ? std::string::npos : t - start));
    if (t == std::string::npos) break;
    start = t + 1;
  }
  return f;
}

}  // namespace

std::string meta_text(const meta_info& m) {
  std::string s = std::string(kFirstLine) + "\n";
  if (!m.ds_label.empty()) s += "dataset\tlabel\t" + escape(m.ds_label) + "\n";
  if (!m.ds_type.empty()) s += "dataset\ttype\t" + escape(m.ds_type) + "\n";
  for (const ds_var& v : m.vars) {
    s += "var\t" + v.name + "\t" + (v.numeric ? "num" : "char") + "\t" + std::to_string(v.length) + "\t" +
         v.format + "\t" + escape(v.label) + "\n";
  }
  return s;
}

bool read_meta(const std::string& path, meta_info* m, std::string* error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::string line;
  int n = 0;
  bool first = true;
  while (std::getline(in, line)) {
    ++n;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (first) {
      first = false;
      if (line != kFirstLine) {
        data_msg(datamsg::meta_bad_line, path.c_str(), n);
        return true;  // a file not of ours: nothing is taken from it
      }
      continue;
    }
    if (line.empty()) continue;
    std::vector<std::string> f = split_tabs(line);
    if (f.size() == 3 && f[0] == "dataset" && f[1] == "label") {
      m->ds_label = unescape(f[2]);
    } else if (f.size() == 3 && f[0] == "dataset" && f[1] == "type") {
      m->ds_type = unescape(f[2]);
    } else if (f.size() == 6 && f[0] == "var" && (f[2] == "num" || f[2] == "char")) {
      ds_var v;
      v.name = f[1];
      v.numeric = f[2] == "num";
      // Only whole numbers are lengths ("2abc" is not 2), and none longer than the
      // records hold: the module's buffers follow the declared length.
      long long len = 0;
      auto r = std::from_chars(f[3].data(), f[3].data() + f[3].size(), len);
      if (r.ec == std::errc::result_out_of_range || (r.ec == std::errc() && r.ptr == f[3].data() + f[3].size() &&
                                                     len > max_char_length)) {
        *error = "metadata file " + path + " line " + std::to_string(n) + " declares variable " + v.name +
                 " with length " + f[3] + ", longer than the longest a character variable can be (" +
                 std::to_string(max_char_length) + ")";
        return true;
      }
      if (r.ec != std::errc() || r.ptr != f[3].data() + f[3].size() || len < 1) {
        *error = "metadata file " + path + " line " + std::to_string(n) + " declares variable " + v.name +
                 " with length \"" + f[3] + "\", which is not a whole number from 1 to " +
                 std::to_string(max_char_length);
        return true;
      }
      v.length = v.numeric ? 8 : static_cast<int>(len);
      format_def fs;
      if (!f[4].empty() && !parse_format(f[4], &fs)) {
        data_msg(datamsg::meta_bad_format, path.c_str(), v.name.c_str(), f[4].c_str());
      } else if (!f[4].empty()) {
        v.format = format_text(fs);
      }
      v.label = unescape(f[5]);
      m->vars.push_back(v);
    } else {
      data_msg(datamsg::meta_bad_line, path.c_str(), n);
    }
  }
  return true;
}

}  // namespace plat
