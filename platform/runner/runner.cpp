// The run: command line, program, global statements, and each PROC KESTRAVINE step
// called through the module's connector inside its own frame.
#include "runner/runner.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <new>
#include <sstream>

#include "core/host_messages.h"
#include "core/name_case.h"
#include "core/output_link.h"
#include "core/runtime.h"
#include "core/utf8_text.h"
#include "host/kes_utf8.h"
#include "graph/template_graph.h"
#include "host/step_codes.h"
#include "output/output_api.h"
#include "parse/parser.h"
#include "runner/global_statements.h"
#include "runner/module_link.h"
#include "runner/program_split.h"
#include "runner/run_files.h"
#include "runner/runner_options.h"

namespace plat {
namespace {

constexpr const char* prog = "kestravine";

int complain(exit_status s, const std::string& message) {
  std::fprintf(stderr, "%s: %s\n", prog, message.c_str());
  return static_cast<int>(s);
}

void worsen(exit_status* worst, exit_status s) {
  if (static_cast<int>(s) > static_cast<int>(*worst)) *worst = s;
}

// Sets up config() from the options; on failure returns false with the message.
bool configure(const runner_options& o, std::string* error) {
  run_config& c = config();
  if (std::string why = folder_problem(o.work); !why.empty()) {
    *error = "--work: the folder '" + o.work + "' " + why;
    return false;
  }
  c.libraries["WORK"] = o.work;
  for (const auto& [name, folder] : o.libs) {
    if (std::string why = folder_problem(folder); !why.empty()) {
      *error = "--lib " + name + ": the folder '" + folder + "' " + why;
      return false;
    }
    c.libraries[name] = folder;
  }
  for (const std::string& nv : o.sysopts) {
    std::size_t eq = nv.find('=');
    std::string name = nv.substr(0, eq), value = eq == std::string::npos ? "" : nv.substr(eq + 1);
    if (!set_system_option(name, value, error)) {
      *error = "-o " + nv + ": " + *error;
      return false;
    }
  }
  c.listing_path = o.listing;
  c.log_path = o.log;
  c.json_path = o.json;
  if (std::string why = o.graphs.empty() ? std::string() : folder_problem(o.graphs); !why.empty()) {
    *error = "--graphs: the folder '" + o.graphs + "' " + why;
    return false;
  }
  c.graphs_dir = o.graphs;
  c.graph_dump_path = o.graph_dump;
  c.program_path = o.program == "-" ? std::string() : o.program;
  c.graphics = o.graphics == "device" ? run_config::graphics_mode::device
               : o.graphics == "none" ? run_config::graphics_mode::none
                                      : run_config::graphics_mode::template_graphs;
  c.memcap = o.memcap;
  c.parse_dump = o.parse_dump;
  return true;
}

bool read_program(const std::string& name, std::string* text, std::string* error) {
  std::ostringstream ss;
  if (name == "-") {
    ss << std::cin.rdbuf();
  } else {
    std::error_code ec;
    if (std::filesystem::is_directory(name, ec)) {
      *error = "cannot read the program '" + name + "': it is a folder";
      return false;
    }
    std::ifstream in(name, std::ios::binary);
    if (!in) {
      *error = "cannot read the program '" + name + "': " +
               (std::filesystem::exists(name, ec) ? "permission denied" : "no such file");
      return false;
    }
    ss << in.rdbuf();
  }
  *text = ss.str();
  // Said once, with what to do, rather than as an invalid character beside each one.
  if (std::string why = program_encoding_problem(*text); !why.empty()) {
    *error = "cannot read the program " + (name == "-" ? std::string("from standard input") : "'" + name + "'") +
             ": " + why;
    return false;
  }
  return true;
}

// One step: the module's entry inside a frame that catches the step's exit.
int call_step(mcn_entry_fn entry) {
  // Made before the step: when memory runs out, handling it must take none, as the
  // step's memory is still held while the exception is caught.
  const std::string out_of_memory =
      log_message_lines(hostmsg::set, hostmsg::step_exception, "out of memory in the host");
  begin_step();
  int code;
  bool memory_ran_out = false;
  try {
    code = entry();
  } catch (const step_exit& e) {
    code = e.code;
  } catch (const std::bad_alloc&) {
    memory_ran_out = true;
    code = KES_RC_OUT_OF_MEMORY;
  } catch (const std::exception& e) {
    log_message(hostmsg::set, hostmsg::step_exception, e.what());
    code = KES_RC_INTERNAL;
  } catch (...) {
    log_message(hostmsg::set, hostmsg::step_exception, "an unknown exception");
    code = KES_RC_INTERNAL;
  }
  if (memory_ran_out) log_write_lines(out_of_memory);
  finish_step();
  return std::max(code, host_step_code());
}

struct step_run {
  std::size_t begin = 0;  // offset of its PROC statement
  std::size_t end = 0;    // offset past its last statement
  int line = 1, column = 1, last_line = 1;
  bool ended_by_run = false;
};

class program_run {
 public:
  program_run(std::string file, const runner_options& o) : file_(std::move(file)), opts_(o) {}

  exit_status run(std::string text) {
    split_program sp = split_statements(std::move(text));
    text_ = std::move(sp.text);
    strays_ = std::move(sp.strays);
    // A supplied semicolon, and a byte order mark that is ignored, are said before any
    // step runs with them.
    for (const split_problem& p : sp.problems)
      if (p.message == hostmsg::semicolon_supplied) {
        log_message(hostmsg::set, p.message, p.line);
        worsen(&worst_, exit_status::program_error);
      } else if (p.message == hostmsg::second_byte_order_mark) {
        log_message(hostmsg::set, p.message, file_.c_str(), p.line, p.column);
      }
    bool in_step = false, skipping = false;
    step_run step;
    for (const statement& st : sp.statements) {
      const std::string& kw = st.keyword;
      if (kw == "PROC" || kw == "RUN") {
        step.ended_by_run = kw == "RUN";
        if (in_step) run_step(step);
        if (!in_step) report_strays_before(st.end);
        in_step = skipping = false;
        if (kw == "RUN") {
          skipping = !run_stands_alone(st);
          continue;
        }
        if (st.second.empty()) {
          log_message(hostmsg::set, hostmsg::no_proc_name, st.line);
          worsen(&worst_, exit_status::program_error);
          skipping = true;
        } else if (st.second != "KESTRAVINE") {
          log_message(hostmsg::set, hostmsg::unknown_proc, st.second.c_str(), st.second_line, st.second_column);
          worsen(&worst_, exit_status::program_error);
          skipping = true;
        } else {
          in_step = true;
          step = step_run{st.begin, st.end, st.line, st.column, st.last_line};
        }
        continue;
      }
      if (is_global_statement(kw)) {
        if (!in_step) report_strays_before(st.end);
        if (!run_global_statement(st, text_)) worsen(&worst_, exit_status::program_error);
        // Within a step the statement is done with: the step's parser never sees it.
        for (std::size_t i = st.begin; i < st.end; ++i)
          if (text_[i] != '\n') text_[i] = ' ';
        continue;
      }
      if (in_step) {
        step.end = st.end;
        step.last_line = st.last_line;
        continue;
      }
      report_strays_before(st.end);
      if (!skipping && !(kw.empty() && st.end == st.begin + 1)) {
        const std::size_t first = std::max<std::size_t>(1, kes_utf8_char_length(text_, st.begin));
        std::string shown = kw.empty() ? text_.substr(st.begin, first) : kw;
        log_message(hostmsg::set, hostmsg::outside_step, shown.c_str(), st.line);
        worsen(&worst_, exit_status::program_error);
      }
    }
    if (in_step && sp.cut_statement != std::string::npos && sp.cut_statement >= step.begin) {
      // Its last statement is lost: the step would run without it.
      log_message(hostmsg::set, hostmsg::step_cut_short, step.line);
      worsen(&worst_, exit_status::program_error);
    } else if (in_step) {
      run_step(step);
    }
    report_strays_before(std::string::npos);
    for (const split_problem& p : sp.problems) {
      if (p.message == hostmsg::semicolon_supplied || p.message == hostmsg::second_byte_order_mark) continue;
      if (p.message == hostmsg::open_statement) log_message(hostmsg::set, p.message, p.line);
      else log_message(hostmsg::set, p.message, p.line, p.column);
      worsen(&worst_, exit_status::program_error);
    }
    return worst_;
  }

 private:
  // Control characters outside the steps, up to offset end: each is said as a step's
  // parser says it, and none reaches the log raw.
  void report_stray(const stray_character& c) {
    report_invalid_character(file_, c.line, c.column, c.byte);
    worsen(&worst_, exit_status::program_error);
  }
  // Words after RUN are ignored, and said so: most often the semicolon after RUN is
  // missing and they are the next step's PROC statement, which then does not run (nor
  // do its statements, which are skipped without a word each). False when the words
  // began a step.
  bool run_stands_alone(const statement& st) {
    std::size_t k = st.begin + st.keyword.size();
    while (k + 1 < st.end && std::isspace(static_cast<unsigned char>(text_[k]))) ++k;
    if (k + 1 >= st.end) return true;
    std::string step;
    if (st.second == "PROC") {
      std::istringstream rest(text_.substr(k, st.end - 1 - k));
      std::string proc, name;
      rest >> proc >> name;
      name = name.substr(0, name.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz_0123456789"));
      step = ", so the step " + (name.empty() ? std::string() : "PROC " + upper(name) + " ") + "of line " +
             std::to_string(st.second_line) + " did not run";
    }
    log_message(hostmsg::set, hostmsg::run_text_ignored, st.line, st.column, st.second_line, st.second_column,
                step.c_str());
    worsen(&worst_, exit_status::program_error);
    return step.empty();
  }
  void report_strays_before(std::size_t end) {
    for (; next_stray_ < strays_.size() && strays_[next_stray_].offset < end; ++next_stray_)
      report_stray(strays_[next_stray_]);
  }

  void run_step(const step_run& s) {
    // The step's own control characters go back to its parser, which says them.
    for (; next_stray_ < strays_.size() && strays_[next_stray_].offset < s.end; ++next_stray_) {
      const stray_character& c = strays_[next_stray_];
      if (c.offset < s.begin) report_stray(c);
      else text_[c.offset] = c.byte;
    }
    if (!linked_ && !module_failed_) {
      std::string error;
      std::string path = opts_.module.empty() ? default_module_path() : opts_.module;
      if (link_module(path, &link_, &error)) {
        linked_ = true;
      } else {
        module_failed_ = true;
        complain(exit_status::module_error, error);
      }
    }
    if (!linked_) {
      worsen(&worst_, exit_status::module_error);
      return;
    }
    step_source& src = current_step();
    src.file = file_;
    src.text = text_.substr(s.begin, s.end - s.begin);
    src.first_line = s.line;
    src.first_column = s.column;
    src.ended_by_run = s.ended_by_run;
    set_memory_cap(config().memcap);
    auto t0 = std::chrono::steady_clock::now();
    int code = call_step(link_.entry);
    // The cap is the procedure's alone: what runs after the step (and, in one process,
    // the next caller of the parser or the pools) runs without it.
    set_memory_cap(0);
    double secs = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    exit_status st = status_of_step(code);
    int msg = st == exit_status::ok ? hostmsg::step_ended_ok
              : st == exit_status::warnings ? hostmsg::step_ended_warn
                                            : hostmsg::step_ended_fail;
    log_message(hostmsg::set, msg, s.line, s.last_line, code);
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.2f", secs);
    log_message(hostmsg::set, hostmsg::step_time, buf);
    worsen(&worst_, st);
  }

  std::string file_;
  const runner_options& opts_;
  std::string text_;
  std::vector<stray_character> strays_;
  std::size_t next_stray_ = 0;
  module_link link_;
  bool linked_ = false;
  bool module_failed_ = false;
  exit_status worst_ = exit_status::ok;
};

}  // namespace

const std::vector<exit_status_info>& exit_statuses() {
  static const std::vector<exit_status_info> v = {
      {exit_status::ok, "every step ended with return code 0 to 4 (4: notes on the data)"},
      {exit_status::warnings, "some step ended with a return code from 5 to 999 (for example 112: a variable not computed)"},
      {exit_status::step_failed, "some step ended with a return code of 1000 or more (statement errors, out of memory, ...)"},
      {exit_status::program_error, "the program cannot be read, or has statements that cannot run (see the log)"},
      {exit_status::usage, "the command line cannot be used"},
      {exit_status::module_error, "the module cannot be loaded or connected"},
      {exit_status::files_failed, "the log, listing, JSON or graph dump file could not be written in full (standard error says which and why)"},
      {exit_status::interrupted, "interrupted by a signal: 128 + its number (SIGHUP 129, SIGINT 130, SIGTERM 143)"},
  };
  return v;
}

exit_status status_of_step(int code) {
  if (code >= KES_RC_OK && code <= KES_RC_DATA_NOTE) return exit_status::ok;
  if (code > KES_RC_DATA_NOTE && code <= KES_RC_WARNING_MAX) return exit_status::warnings;
  return exit_status::step_failed;
}

void link_layers() {
  output_linked() = {output_result_message, output_set_by};
  runner_statement_word() = [](const std::string& w) { return w == "PROC" || w == "RUN" || is_global_statement(w); };
  output_set_panel_drawer(graph::draw_panel_file);
}

int run(const std::vector<std::string>& args) {
  // Each run starts afresh: in-process callers (tests) run several in a row.
  config() = run_config{};
  set_memory_cap(0);
  reset_outputs();
  runner_options o;
  std::string error;
  if (!parse_command_line(args, &o, &error))
    return complain(exit_status::usage, error + " (see kestravine --help)");
  if (o.help) {
    std::fputs(help_text().c_str(), stdout);
    return 0;
  }
  if (o.version) {
    std::fputs(version_text().c_str(), stdout);
    return 0;
  }
  if (!configure(o, &error) || !check_run_files(o, &error)) return complain(exit_status::usage, error);
  clear_file_failures();
  link_layers();
  // Opened before the program is read (from standard input that may take long): an
  // interrupt meanwhile ends this run's log, and no older log is left as if it were it.
  open_outputs();
  std::string text;
  if (!read_program(o.program, &text, &error)) {
    reset_outputs();
    return complain(exit_status::program_error, error);
  }
  output_begin_graphs();
  if (!output_open_json(&error)) {
    output_end_graphs();
    reset_outputs();
    return complain(exit_status::usage, "--json: the file '" + o.json + "' cannot be written: " + error);
  }
  program_run pr(o.program == "-" ? "(standard input)" : o.program, o);
  exit_status worst = pr.run(std::move(text));
  output_close_json();  // a later run in this process starts a JSON file of its own
  output_end_graphs();
  flush_outputs();
  reset_outputs();
  if (run_file_failed()) worsen(&worst, exit_status::files_failed);
  return static_cast<int>(worst);
}

}  // namespace plat
