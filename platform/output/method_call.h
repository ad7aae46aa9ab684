// Reading the attribute records of one output-method call, with a log message naming
// the method, the object and the attribute when a record is missing or mistyped.
#pragma once
#include <string>
#include <vector>

#include "host/wob.h"
#include "output/output_system.h"
#include "output/report.h"

namespace plat::out {

class method_call {
 public:
  method_call(output_system& sys, int method, const char* object_kind, std::string object_name, int count,
              wob_attr* attrs);

  int count() const { return count_; }
  wob_attr& at(int i) { return attrs_[i]; }
  // The first record with that id at or after index from, or nullptr.
  wob_attr* find(int id, int from = 0);
  // The same, logging a message when it is missing.
  wob_attr* need(int id);

  // Values of a record; false after a message when its type does not fit.
  bool text(const wob_attr& a, std::string& out);  // types 66 (handle) and 20
  bool integer(const wob_attr& a, int& out);       // types 3 and 13
  bool number(const wob_attr& a, dyn_value& out);  // types 3, 5, 13, 66, 20
  bool handle(const wob_attr& a, void*& out);      // types 12, 17, 7, 28

  // The dynamic pairs (WOB_A_DYNAMIC_NAME, then WOB_A_VALUE) among the records, in
  // order, appended to out; with used, written over out from out[*used] on (the
  // elements keep their room) and *used advanced past them.
  bool pairs(std::vector<dyn_value>& out, std::size_t* used = nullptr);

  // Logs catalogue entry `number` with (method, object kind, object name, more...)
  // and returns code.
  int fail(int code, int number);
  int fail(int code, int number, const char* s1);
  int fail(int code, int number, const char* s1, int d1);
  int fail_attr(int code, int number, const wob_attr& a);
  // For a fault of the program rather than of the module's calls: the entry takes
  // (object kind, object name, s1) and no method number.
  int fail_plain(int code, int number, const char* s1);

  output_system& sys() { return sys_; }
  // The result code of the last failure (a missing record counts as an attribute error).
  int error() const { return err_; }

 private:
  output_system& sys_;
  int method_;
  const char* kind_;
  std::string name_;
  int count_;
  wob_attr* attrs_;
  int err_ = kErrAttribute;
};

}  // namespace plat::out
