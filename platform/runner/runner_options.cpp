// The runner's options: a table of name, argument, help text and what each does.
#include "runner/runner_options.h"

#include <cctype>
#include <charconv>
#include <string_view>

#include "core/name_case.h"
#include "runner/runner.h"

#ifndef KES_VERSION
#define KES_VERSION "0.0.0"
#endif

namespace plat {
namespace {

using apply_fn = bool (*)(runner_options&, const std::string&, std::string*);

struct option_def {
  const char* short_name;  // or nullptr
  const char* long_name;
  const char* arg;         // the argument's placeholder, nullptr for a flag
  const char* help;
  apply_fn apply;
};

bool set_lib(runner_options& o, const std::string& v, std::string* err) {
  std::size_t eq = v.find('=');
  if (eq == std::string::npos || eq == 0 || eq + 1 == v.size()) {
    *err = "--lib wants NAME=FOLDER, not '" + v + "'";
    return false;
  }
  std::string name = upper(v.substr(0, eq));
  if (!valid_libref(name)) {
    *err = "--lib: '" + v.substr(0, eq) + "' is no library name (1 to 8 letters, digits or _, not starting with a digit)";
    return false;
  }
  o.libs.emplace_back(name, v.substr(eq + 1));
  return true;
}

bool set_memcap(runner_options& o, const std::string& v, std::string* err) {
  long n = 0;
  auto [end, ec] = std::from_chars(v.data(), v.data() + v.size(), n);
  if (v.empty() || ec != std::errc() || end != v.data() + v.size() || n <= 0) {
    *err = "--memcap wants a positive number of bytes, not '" + v + "'";
    return false;
  }
  o.memcap = n;
  return true;
}

bool set_threads(runner_options& o, const std::string& v, std::string* err) {
  int n = -1;
  auto [end, ec] = std::from_chars(v.data(), v.data() + v.size(), n);
  if (v.empty() || ec != std::errc() || end != v.data() + v.size() || n < 0 || n > 64) {
    *err = "--threads wants a whole number from 0 to 64, not '" + v + "'";
    return false;
  }
  o.sysopts.push_back("THREADS=" + v);
  return true;
}

bool set_graphics(runner_options& o, const std::string& v, std::string* err) {
  std::string k;
  for (char c : v) k += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (k != "template" && k != "device" && k != "none") {
    *err = "--graphics wants template, device or none, not '" + v + "'";
    return false;
  }
  o.graphics = k;
  return true;
}

const option_def table[] = {
    {nullptr, "--work", "DIR", "folder of the WORK library (default: the current folder)",
     [](runner_options& o, const std::string& v, std::string*) { o.work = v; return true; }},
    {nullptr, "--lib", "NAME=FOLDER", "library NAME is the CSV files of FOLDER (repeatable)", set_lib},
    {nullptr, "--listing", "FILE", "write the listing to FILE (default: standard output)",
     [](runner_options& o, const std::string& v, std::string*) { o.listing = v; return true; }},
    {nullptr, "--log", "FILE", "write the log to FILE (default: standard error)",
     [](runner_options& o, const std::string& v, std::string*) { o.log = v; return true; }},
    {nullptr, "--json", "FILE", "also write the tables to FILE as JSON (FILE, if it exists, must be a regular file, not a link, FIFO or device)",
     [](runner_options& o, const std::string& v, std::string*) { o.json = v; return true; }},
    {nullptr, "--graphs", "DIR", "write graph files (SVG) into folder DIR (default: the current folder)",
     [](runner_options& o, const std::string& v, std::string*) { o.graphs = v; return true; }},
    {nullptr, "--graph-dump", "FILE", "write every template graph's data objects and panels to FILE as text",
     [](runner_options& o, const std::string& v, std::string*) { o.graph_dump = v; return true; }},
    {nullptr, "--graphics", "KIND",
     "draw graphs as KIND: template (the default), device (the graphics device), or none (no graphs)", set_graphics},
    {"-o", "--option", "NAME=VALUE",
     "set a system option: LINESIZE=64..256, PAGESIZE=15..32767, GSTYLE=YES|NO, CENTER=YES|NO, THREADS=0..64 (0: every core), DEBUG=TEXT (repeatable)",
     [](runner_options& o, const std::string& v, std::string*) { o.sysopts.push_back(v); return true; }},
    {nullptr, "--threads", "N",
     "use at most N threads (1: a serial run; 0, the default: every core); the same as -o THREADS=N", set_threads},
    {nullptr, "--memcap", "BYTES", "fail the procedure's memory requests (its pools) beyond BYTES in all, to try out-of-memory paths; the runner's own memory (data reading, tables, listing, template graphs) is not counted", set_memcap},
    {nullptr, "--module", "PATH", "the procedure module to load (default: libkestravine.so beside the runner)",
     [](runner_options& o, const std::string& v, std::string*) { o.module = v; return true; }},
    {nullptr, "--parse-dump", nullptr, "print the parsed statements of each step",
     [](runner_options& o, const std::string&, std::string*) { o.parse_dump = true; return true; }},
    {"-h", "--help", nullptr, "show this help and exit",
     [](runner_options& o, const std::string&, std::string*) { o.help = true; return true; }},
    {nullptr, "--version", nullptr, "show the version and exit",
     [](runner_options& o, const std::string&, std::string*) { o.version = true; return true; }},
};

}  // namespace

bool valid_libref(const std::string& name) {
  if (name.empty() || name.size() > 8 || std::isdigit(static_cast<unsigned char>(name[0]))) return false;
  for (char c : name)
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_') return false;
  return true;
}

bool parse_command_line(const std::vector<std::string>& args, runner_options* out, std::string* error) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a.empty()) {
      *error = "the program file name is empty";
      return false;
    }
    if (a == "-" || a[0] != '-') {
      if (!out->program.empty()) {
        *error = "one program at a time: '" + out->program + "' and '" + a + "' were both given";
        return false;
      }
      out->program = a;
      continue;
    }
    // "--name=value" or "--name value" (and "-o value").
    std::string name = a, value;
    bool inline_value = false;
    if (a.rfind("--", 0) == 0) {
      std::size_t eq = a.find('=');
      if (eq != std::string::npos) {
        name = a.substr(0, eq);
        value = a.substr(eq + 1);
        inline_value = true;
      }
    }
    const option_def* def = nullptr;
    for (const option_def& d : table)
      if (name == d.long_name || (d.short_name && name == d.short_name)) def = &d;
    if (!def) {
      *error = "unknown option '" + name + "'";
      return false;
    }
    if (def->arg && !inline_value) {
      if (i + 1 >= args.size()) {
        *error = "option " + name + " wants " + def->arg;
        return false;
      }
      value = args[++i];
    } else if (!def->arg && inline_value) {
      *error = "option " + name + " takes no value";
      return false;
    }
    // "--json=" would silently write nothing.
    std::string_view arg = def->arg ? def->arg : "";
    if ((arg == "FILE" || arg == "DIR") && value.empty()) {
      *error = "option " + name + " wants " + def->arg + ", not an empty text";
      return false;
    }
    if (!def->apply(*out, value, error)) return false;
  }
  if (out->program.empty() && !out->help && !out->version) {
    *error = "no program given";
    return false;
  }
  return true;
}

std::string help_text() {
  std::string h =
      "Usage: kestravine [options] PROGRAM\n"
      "Runs the PROC KESTRAVINE steps of PROGRAM (a file, or - for standard input).\n"
      "Every statement and option is described in docs/statements.md.\n\n"
      "Options:\n";
  for (const option_def& d : table) {
    std::string left = "  ";
    if (d.short_name) left += std::string(d.short_name) + ", ";
    left += d.long_name;
    if (d.arg) left += std::string(" ") + d.arg;
    if (left.size() < 28) left.resize(28, ' ');
    else left += "\n" + std::string(28, ' ');
    h += left + d.help + "\n";
  }
  h += "\nExit status:\n";
  for (const exit_status_info& e : exit_statuses())
    h += "  " + std::to_string(static_cast<int>(e.status)) + "  " + e.meaning + "\n";
  return h;
}

std::string version_text() { return std::string("kestravine ") + KES_VERSION + "\n"; }

}  // namespace plat
