// The data-set object shared by the data-set services of the stand-in host.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <unordered_map>
#include <vector>

#include "core/name_case.h"
#include "data/dataset.h"

namespace plat {

// An allocator whose resize leaves new elements unset: the CSV reader sizes a column
// once and fills every value on many threads, so each page is first touched (and
// zeroed by the system) on the thread that fills it, not all on one beforehand.
template <class T>
struct unset_allocator : std::allocator<T> {
  template <class U>
  struct rebind {
    using other = unset_allocator<U>;
  };
  unset_allocator() = default;
  template <class U>
  unset_allocator(const unset_allocator<U>&) noexcept {}
  template <class U>
  void construct(U* p) noexcept(std::is_nothrow_default_constructible_v<U>) {
    ::new (static_cast<void*>(p)) U;
  }
  template <class U, class... A>
  void construct(U* p, A&&... a) {
    ::new (static_cast<void*>(p)) U(std::forward<A>(a)...);
  }
};

// The values of one variable of an input data set, all observations.
struct column_data {
  std::vector<double, unset_allocator<double>> num;  // numeric variable: one value per observation
  std::string text;                    // character variable: the values, concatenated
  std::vector<std::uint64_t> text_off; // character variable: nobs + 1 offsets into text
  std::string_view str(long row) const {
    return std::string_view(text).substr(text_off[row], text_off[row + 1] - text_off[row]);
  }
};

struct output_state;  // data/output_dataset.cpp
struct ds_options;    // data/dataset_options.h

struct dataset : host_dataset {
  std::string libref;   // upper case
  std::string member;   // as named
  std::string path;     // the CSV file (for output: where it goes when closed)
  bool output = false;
  std::vector<ds_var> vars;
  // Upper-case name -> variable number, built on the first lookup (wide data sets
  // and long variable lists stay linear).
  mutable std::unordered_map<std::string, int> name_index;

  // Input: the values and the reading state.
  std::vector<column_data> cols;
  long nobs = 0;
  std::vector<by_var> by;
  bool notsorted = false;
  bool by_checked = false;     // the order of the BY groups was verified
  bool by_failed = false;      // ... and found wrong (xbynext keeps failing)
  bool started = false;        // a BY group was made current
  bool single_group = false;   // xopnt2: all observations form one group
  long grp_start = 0;          // current BY group: [grp_start, grp_end)
  long grp_end = 0;
  long next_read = 0;          // next observation xybyget reads
  long cur = -1;               // observation read last (-1: none)
  bool by_walked = false;      // xbynext was called: the step reads it group by group
  bool by_done = false;        // ... and xbynext found no further group
  host_access access_rec{};    // the input access record

  // Information items the module sets or reads.
  std::string type_text;       // item 21
  std::string ds_label;        // item 22

  std::unique_ptr<output_state> out;
  std::shared_ptr<const ds_options> options;  // output: the data set options to apply

  dataset();
  ~dataset();
};

// Messages of the data-set services: catalogue entry (set 960) formatted with its
// arguments and written to the log; the text is also kept for data_last_message.
void data_msg(int number, ...);
// A message written directly with its kind.

// The library folder of a libref ("" means WORK), or "" after setting *error.
std::string library_folder(const std::string& libref, std::string* error);
// "WORK" for "", else the libref in upper case.
std::string library_label(const std::string& libref);
// The library folder of the data set libref.member when the library is assigned and
// the member name is valid; else "" after setting *error to failing + ": " + the reason
// (failing is e.g. "cannot open data set WORK.X").
std::string member_folder(const std::string& libref, const std::string& member, const std::string& failing,
                          std::string* error);
// Data sets are closed at the end of the step that opened them.
void track_dataset(dataset* ds);
// The output data set of this step that goes to the file at path (whatever the
// folder's spelling), or nullptr.
const dataset* open_output_at(const std::string& path);
bool valid_name(std::string_view s);
// The text with control characters shown as \xHH, for messages.
std::string printable(std::string_view s);

// Fills a description record from a variable (xvname, copies into output data sets).
void describe_variable(const ds_var& v, int varnum, host_varinfo* info);

// Marks the step as stopped by a data error (unsorted BY groups): output data sets
// closed in this step do not replace their files. Cleared when the step ends.
void mark_data_error();
bool data_error_in_step();

// The folder of this step's utility files ("" when none was opened).
std::string utility_folder();

// Value of a numeric variable, text of a character variable, of an observation.
inline double num_value(const dataset* ds, int var, long row) { return ds->cols[var].num[row]; }
inline std::string_view char_value(const dataset* ds, int var, long row) { return ds->cols[var].str(row); }

}  // namespace plat
