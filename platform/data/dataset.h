// Input and output data sets of the stand-in host: CSV files in library folders.
// This header is the stand-in's internal interface between the data-set services,
// the statement parser (which opens DATA= and OUT= data sets while parsing) and the
// runner. The module sees a data set as a kes_dsh (host/host_data.h).
#pragma once
#include <string>
#include <vector>

#include "host/host_data.h"

namespace plat {

struct dataset;  // an open data set; the module sees it as an opaque handle

// The longest character value or declared length a data set may hold: the largest
// that every length field of the module's records holds.
constexpr int max_char_length = 32767;

struct ds_var {
  std::string name;    // valid variable name (header names made valid, see README)
  std::string label;
  bool numeric = true;
  int length = 8;      // bytes: 8 for numbers, the longest value for character variables
  std::string format;  // e.g. "BEST12." or "" for the default
  std::string why_char;  // input: why the data made it character ("" when declared or numeric)
};

// Opens the data set LIB.MEMBER for input ("" libref means WORK). On failure returns
// nullptr and puts a message naming the data set and the reason into *error.
dataset* open_input(const std::string& libref, const std::string& member, std::string* error);
// A name such as precip.csv reads as library PRECIP, member csv. When that library is
// not assigned but WORK holds a member named like it, the way to read that member
// ("; to read precip.csv write DATA=precip", option the option's keyword); when WORK
// holds the file LIBREF.MEMBER.csv (state.x77.csv), how to rename it; else "".
std::string work_member_hint(const std::string& libref, const std::string& member, const std::string& option);
// Opens LIB.MEMBER for output: nothing is written before the module defines its
// variables and ends the definitions; the file takes its place only when the module
// closes it (xvputt). On failure (library not assigned, invalid member name) returns
// nullptr with a message in *error.
dataset* open_output(const std::string& libref, const std::string& member, std::string* error);
// Closes an input data set, or abandons an output data set that was not closed by
// xvputt (its temporary file is removed). Open data sets are closed at step end.
void close_dataset(dataset* ds);

const std::vector<ds_var>& variables(const dataset* ds);
// Index of the variable with this name (case-insensitive), or -1.
int find_variable(const dataset* ds, const std::string& name);
std::string dataset_name(const dataset* ds);  // "LIB.MEMBER" for messages
long observation_count(const dataset* ds);    // -1 for an output data set

// BY processing of an input data set, as the BY statement asks: the variables in
// order, each ascending or descending, and NOTSORTED (groups are runs of equal
// values in data order, without an order check). Returns false with a message in
// *error for a bad variable number.
struct by_var {
  int var;                  // variable number (from 0)
  bool descending = false;
};
bool set_by(dataset* ds, const std::vector<by_var>& vars, bool notsorted, std::string* error);

// The module's handle of a data set and back.
kes_dsh handle(dataset* ds);
dataset* from_handle(kes_dsh h);

// The text of the last message the data-set services wrote to the log (tests).
const std::string& data_last_message();

}  // namespace plat
