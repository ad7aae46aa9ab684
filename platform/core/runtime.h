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
  std::string graphs_dir;                        // folder for SVG graphs; empty: the current one
  // Graphs drawn by the output manager's templates, by the graphics device, or none
  // at all (no graph files and no notes that graphs are not drawn).
  enum class graphics_mode { template_graphs, device, none };
  graphics_mode graphics = graphics_mode::template_graphs;
  std::string graph_dump_path;                   // --graph-dump: text dump of template graphs
  std::string program_path;                      // the program's file; empty: standard input
  // The data set most recently written in the run (library and member; empty: none),
  // which a step without DATA= reads.
  std::string last_written_lib, last_written_member;
  std::string catalogue_dir;                     // folder of *.msg files; empty: the built-in one
  int linesize = 132;
  int pagesize = 60;
  bool parse_dump = false;                       // --parse-dump: the parser prints its result
  long memcap = 0;                               // --memcap: byte cap on pool memory, 0 none
};
run_config& config();

// ---- system options (OPTIONS statement, -o NAME=VALUE) ----
// Checks and sets one system option: LINESIZE and PAGESIZE go to config(), the others
// to config().sysopts. A yes/no option also takes "NAME" (yes) and "NONAME" (no) with
// an empty value. On failure returns false and puts a message naming the option and
// the value into *error.
bool set_system_option(std::string_view name, std::string_view value, std::string* error);
// A yes/no option's value: 1 yes, 0 no, -1 no such yes/no option.
int system_option_bool(std::string_view name);
// A text option's value (empty when unset), or nullptr when there is no such option.
const std::string* system_option_text(std::string_view name);
// Threads the stand-in's parallel work may use: the THREADS= system option resolved
// (0 or unset: every core).
int run_threads();

// ---- log ----
enum class msg_kind { note, warning, error, plain };
// Writes one entry to the log with its kind's prefix ("NOTE: ", "WARNING: ", "ERROR: ");
// further lines of a text are indented under the first.
void log_write(msg_kind kind, std::string_view text);
// The lines log_write would write for the entry, and writing such lines as they are: an
// entry made ahead is written when memory has run out without taking any.
std::string log_entry_lines(msg_kind kind, std::string_view text);
void log_write_lines(const std::string& lines);

// ---- message catalogue ----
// Formats entry (set, number) with its substitution arguments. A missing entry gives
// the text "message SET/NUMBER missing" with kind error and is counted.
std::string catalogue_format(int set, int number, va_list ap, msg_kind* kind = nullptr);
// The raw text of an entry, or nullptr when the catalogue lacks it.
const std::string* catalogue_text(int set, int number, msg_kind* kind = nullptr);
// Writes entry (set, number) to the log with its kind, formatted with the arguments
// that follow (as its markers ask).
void log_message(int set, int number, ...);
// The frame of the next module message (its text and kind to the framed text), set by
// the parser's place service and taken by that message; empty when none is pending.
std::function<std::string(msg_kind, const std::string&)>& next_message_frame();
// The pending frame is that of a note on one BY group's data, which still says its
// group; a frame of a statement's own problem does not.
bool& next_message_keeps_group();
// The log lines of entry (set, number), to be written later by log_write_lines.
std::string log_message_lines(int set, int number, ...);
// Number of lookups of missing entries since the process started (tests assert 0).
int catalogue_missing_count();
// (Re)loads every *.msg file of config().catalogue_dir (the built-in folder when that
// is empty); done by the first lookup otherwise. Each line that cannot be used is
// reported in the log with its file and line; returns how many there were.
int catalogue_load();

// ---- listing ----
// One line (a text with newlines is several); a line longer than the line size goes on
// in the next line. Each page starts with a form feed (but the first) and the titles.
void listing_write(std::string_view line);
void listing_new_page();
// Starts a new page first when the next n lines would not fit on the current page but
// would fit on a fresh one.
void listing_keep_together(int n);  // the next line starts a new page
int listing_linesize();
int listing_pagesize();
// Title line n (1..10): sets it and clears the titles after it; empty text clears n too.
void listing_set_title(int n, std::string_view text);
// Title line n as it stands ("" when unset or out of range), and the same line put
// back without touching the others.
std::string listing_title(int n);
void listing_put_title(int n, std::string_view text);
constexpr int listing_max_titles = 10;
// While set, every line the print services write to the listing (xpoflsh, xpskip,
// xppage's flush) is handed to tap as well; an empty function ends that.
void print_set_tap(std::function<void(std::string_view)> tap);

// ---- output files: log and listing ----
// Closes the log and listing files and forgets the page state and titles, so that the
// next write opens the files config() names (the runner calls this before a run).
void reset_outputs();
// Opens (creates) the log and listing files now, so that they exist even when empty.
void open_outputs();
void flush_outputs();

// ---- the program text of the current step (set by the runner, read by the parser) ----
struct step_source {
  std::string file;        // program file name, for messages
  // The step's statements, from PROC up to its end (RUN; not included). Comments and
  // the runner's own statements within the step are blanked out, lines kept in place.
  std::string text;
  int first_line = 1;      // line of the program on which text begins
  int first_column = 1;    // column of that line at which text begins
  // Ended by a RUN statement, not by the next PROC or the end of the program: its last
  // word was not meant as RUN.
  bool ended_by_run = false;
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
// Names a slot of 8 characters holds cut (a colour such as NOTACOLOUR held as
// NOTACOLO): messages about the cut name quote it as the program wrote it. Kept for
// the step.
void remember_cut_name(const std::string& cut, const std::string& written);
// The name as written for a cut name of the step (compared without case), else the
// name as given.
std::string name_as_written(const std::string& cut);
// ---- where a semicolon may be missing ----
// Whether an upper-case word names a statement that the runner reads itself (PROC,
// RUN, OPTIONS, LIBNAME, TITLE, AXIS...). The step's parser lies below the runner,
// which links this in; until then no word does.
using statement_word_test = bool (*)(const std::string& word);
statement_word_test& runner_statement_word();
// '; a ";" may be missing before WORD, which begins a statement' when word names a
// statement the runner reads, or begins_step_statement says it begins one of the
// step's; else empty. Added to the message about the word that failed.
std::string semicolon_hint(const std::string& word, bool begins_step_statement = false);
// ---- the BY group a message belongs to ----
// The BY line of the group the step now reads ("g=1 s=a"; empty before the first,
// after the last, and without BY variables). The module's messages written meanwhile
// name it. Kept for the step.
void set_message_by_group(std::string by_line);
const std::string& message_by_group();
// Resets the per-step state of the host services (the runner calls this before each step).
void begin_step();
// A host service that met an error the module cannot see (unsorted BY data, say) raises
// the step's return code to at least `code`; the runner reports the larger of this and
// the module's own code, so such a step never ends as a success.
void raise_step_code(int code);
int host_step_code();  // 0 unless raised in the current step
// Memory ran out in the current step (the out-of-memory message was logged): the step
// ends with at least the out-of-memory code and puts no output data set in place.
void mark_memory_failure();
bool memory_failed_in_step();
// Runs and clears the step-end routines, then deletes the pools still open and empties
// the anchor's own pools (the runner calls this after each step).
void finish_step();

// ---- the run's own files ----
// A file of the run itself (what: "log", "listing", "JSON") could not be written in
// full: said once per file on standard error, naming the file and the reason; the
// run's exit status then says so.
void report_file_failure(const char* what, const std::string& path, const std::string& reason);
bool run_file_failed();
void clear_file_failures();
// Whether two paths name one file: the same file where both exist, else the same place.
bool same_path(const std::string& a, const std::string& b);
// The run's own file (program, log, listing, JSON, graph dump) that path names, or null.
const char* run_file_at(const std::string& path);
// Why folder cannot hold the run's files ("does not exist", "is a file, not a folder",
// ...), empty when it is a folder.
std::string folder_problem(const std::string& folder);

// ---- pools ----
void set_memory_cap(long bytes);  // 0: none; past the cap allocations return null
long memory_in_use();             // bytes held by live pool allocations
int open_pool_count();            // pools made by xmpoolc and not yet deleted

}  // namespace plat
