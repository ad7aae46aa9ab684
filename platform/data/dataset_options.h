// Data set options: the parenthesized options after a data set's name, such as
// DATA=scores(keep=score where=(group='A')) or OUT=stats(rename=(m=mean) label='...').
//
// On an input data set KEEP= and DROP= name the variables as stored, RENAME= gives
// new names, and WHERE= sees every variable under its name after RENAME= (kept or
// not); FIRSTOBS= and OBS= count the observations that pass WHERE=. On an output data
// set KEEP=, DROP= and RENAME= name the variables the step writes, and LABEL= sets
// the data set's label.
#pragma once
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "data/where_clause.h"

namespace plat {

struct dataset;

struct ds_options {
  std::vector<std::string> keep, drop;
  bool keep_given = false, drop_given = false;
  std::vector<std::pair<std::string, std::string>> rename;  // old, new
  std::unique_ptr<where_clause> where;
  long firstobs = 1;  // 1 when not given
  long obs = -1;      // the last observation to read; -1: all (OBS=MAX or not given)
  bool firstobs_given = false, obs_given = false;
  bool label_given = false;
  std::string label;
  // The options given, upper case, in the order written (for the input/output check).
  std::vector<std::string> given;
};

// Reads the text between the parentheses. False with a message in *error.
bool parse_ds_options(std::string_view text, ds_options* out, std::string* error);

// Refuses options that do not apply: false with a message naming the first one.
bool check_ds_options(const ds_options& o, bool for_output, std::string* error);

// Applies the options to an input data set just opened: its variables and
// observations become those the options select. False with a message in *error.
bool apply_input_options(dataset* ds, const ds_options& o, std::string* error);

// Keeps the options of an output data set for when the step defines its variables.
void set_output_options(dataset* ds, std::shared_ptr<const ds_options> o);

// The variables output data set ds writes of the names the step defines: for each
// name kept, its index in names and the name it is written under. False with a
// message in *error when an option names a variable the step does not define, or
// two variables would share a name.
bool select_output_variables(const dataset* ds, const std::vector<std::string>& names,
                             std::vector<std::pair<size_t, std::string>>* kept, std::string* error);

}  // namespace plat
