// The host's own entries of the message catalogue (platform/catalogue/core.msg).
#pragma once
#include "kes_msg_names.h"

namespace plat::hostmsg {

constexpr int set = KES_SET_HOST;

enum : int {
  out_of_memory = 1,      // {ld} bytes
  internal_error = 2,     // {s} text
  object_failed = 3,      // {s} reason
  object_failed_bare = 4, // {s} code
  math_abort = 5,         // {d} code
  step_ended_ok = 10,     // {d} first line, {d} last line, {d} code
  step_ended_warn = 11,
  step_ended_fail = 12,
  step_time = 13,         // {s} seconds
  unknown_proc = 20,      // {s} name, {d} line, {d} column
  no_proc_name = 21,      // {d} line
  outside_step = 22,      // {s} statement, {d} line
  options_error = 23,     // {d} line, {d} column, {s} reason
  libname_error = 24,     // {d} line, {s} reason
  title_error = 25,       // {s} statement, {d} line, {d} column, {s} reason
  open_statement = 26,    // {d} line
  open_quote = 27,        // {d} line, {d} column
  open_comment = 28,      // {d} line, {d} column
  step_exception = 29,    // {s} what
  axis_error = 30,        // {s} statement, {d} line, {s} reason
  semicolon_supplied = 31,  // {d} line
  step_cut_short = 32,    // {d} line
  text_not_utf8 = 33,     // {s} statement, {d} line
  second_byte_order_mark = 34,  // {s} file, {d} line, {d} column
  run_text_ignored = 35,  // {d} line, {d} column, {d} line, {d} column, {s} the step
  axis_unknown_colour = 50,  // {s} statement, {d} line, {s} colour word
};

}  // namespace plat::hostmsg
