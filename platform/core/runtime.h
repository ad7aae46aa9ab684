// The stand-in host's internal interfaces shared by its parts (log, catalogue,
// listing, step lifetime, run configuration). The module never includes this.
#pragma once
#include <cstdarg>
#include <functional>
#include <map>
#include <string>
#include <string_view>

namespace plat {

// ---- run configuration (filled by the runner, read by the services) ----
struct run_config {
  std::map<std::string, std::string> libraries;  // upper-case libref -> folder; WORK included
  std::map<std::string, std::string> sysopts;    // upper-case system option -> value
  std::string listing_path;                      // empty: standard output
  std::string log_path;                          // empty: standard error
  std::string json_path;                         // empty: no JSON output
  std::string graphs_dir;                        // folder for SVG graphs
  std::string catalogue_dir;                     // folder of *.msg files
  int linesize = 132;
  int pagesize = 60;
};
run_config& config();

// ---- log ----
enum class msg_kind { note, warning, error, plain };
// Writes one entry to the log with its kind's prefix ("NOTE: ", "WARNING: ", "ERROR: ").
void log_write(msg_kind kind, std::string_view text);

// ---- message catalogue ----
// Formats entry (set, number) with its substitution arguments. A missing entry gives
// the text "message SET/NUMBER missing" with kind error and is counted.
std::string catalogue_format(int set, int number, va_list ap, msg_kind* kind = nullptr);
// The raw text of an entry, or nullptr when the catalogue lacks it.
const std::string* catalogue_text(int set, int number, msg_kind* kind = nullptr);
// Number of lookups of missing entries since the process started (tests assert 0).
int catalogue_missing_count();

// ---- listing ----
void listing_write(std::string_view line);  // one line; page breaks as the page size asks
void listing_new_page();
int listing_linesize();
int listing_pagesize();

// ---- the program text of the current step (set by the runner, read by the parser) ----
struct step_source {
  std::string file;        // program file name, for messages
  std::string text;        // the step's statements, from PROC up to its end
  int first_line = 1;      // line of the program on which text begins
  int first_column = 1;    // column of that line at which text begins
};
step_source& current_step();

// ---- step lifetime ----
// Thrown by xexit to unwind to the runner's frame; never crosses a C frame.
struct step_exit {
  int code;
};
[[noreturn]] void end_step(int code);
// Registers a routine to run when the current step ends (run in reverse order).
void at_step_end(std::function<void()> fn);
// Runs and clears the step-end routines (the runner calls this after each step).
void finish_step();

}  // namespace plat
