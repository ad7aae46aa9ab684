// Input and output data sets of the stand-in host: CSV files in library folders.
// This header is the stand-in's internal interface between the data-set services,
// the statement parser (which opens DATA= while parsing) and the runner.
#pragma once
#include <string>
#include <vector>

namespace plat {

struct dataset;  // an open data set; the module sees it as an opaque handle

struct ds_var {
  std::string name;    // valid variable name (header names made valid, see README)
  std::string label;
  bool numeric = true;
  int length = 8;      // bytes: 8 for numbers, the longest value for character variables
  std::string format;  // e.g. "BEST12." or "" for the default
};

// Opens the data set LIB.MEMBER for input ("" libref means WORK). On failure returns
// nullptr and puts a message naming the data set and the reason into *error.
dataset* open_input(const std::string& libref, const std::string& member, std::string* error);
void close_dataset(dataset* ds);

const std::vector<ds_var>& variables(const dataset* ds);
// Index of the variable with this name (case-insensitive), or -1.
int find_variable(const dataset* ds, const std::string& name);
std::string dataset_name(const dataset* ds);  // "LIB.MEMBER" for messages

}  // namespace plat
