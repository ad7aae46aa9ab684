// Catalogue entries of the data-set services (platform/catalogue/data.msg, set 960).
#pragma once

namespace plat::datamsg {

constexpr int set = 960;

enum : int {
  name_made_valid = 1,    // {d} column, {s} file, {s} header text, {s} variable name
  not_sorted_asc = 2,     // {s} data set, {s} variable, {ld} obs, {s} value, {ld} obs, {s} value
  not_sorted_desc = 3,    // same arguments
  output_written = 4,     // {s} data set, {ld} observations and {s} plural ending, {d} variables and {s}, {s} file
  write_failed = 5,       // {s} file, {s} reason, {s} data set
  duplicate_output_var = 6,  // {s} data set, {s} variable
  read_failed = 7,        // {s} data set, {d} status
  meta_mismatch = 8,      // {s} metadata file, {s} data file
  utility_open_failed = 9,   // {s} name, {s} reason
  utility_io_failed = 10,    // {s} name, {s} reason
  output_not_closed = 11,    // {s} data set, {s} file
  bad_varnum = 12,        // {d} number, {s} data set
  bad_tree_root = 13,     // (none)
  output_bad_definition = 14,  // {s} data set, {s} reason
  meta_bad_line = 15,     // {s} file, {d} line
  meta_bad_format = 16,   // {s} file, {s} variable, {s} format
  output_not_defined = 17,   // {s} data set, {s} service
  by_missing_var = 18,    // {s} data set, {s} reason
  write_not_replaced = 19,   // {s} data set, {s} file, {s} reason
  not_replaced_after_error = 20,  // {s} data set, {s} file
  meta_not_written = 21,  // {s} file, {s} reason, {s} data set
  not_replaced_out_of_memory = 22,  // {s} data set, {s} file
  other_separator = 23,   // {d} column, {s} file, {s} header text, {s} the separator ("';'", "a tab")
  options_selected = 40,  // {s} data set, {ld} observations kept, {ld} observations read
};

}  // namespace plat::datamsg
