// Vector 1: step exit, messages, system options (pools are in pools.cpp).
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>

#include "core/host_messages.h"
#include "core/host_routines.h"
#include "core/name_case.h"
#include "core/output_link.h"
#include "core/runtime.h"
#include "host/step_codes.h"

namespace plat {

void log_message(int set, int number, ...) {
  va_list ap;
  va_start(ap, number);
  msg_kind kind = msg_kind::error;
  std::string text = catalogue_format(set, number, ap, &kind);
  va_end(ap);
  log_write(kind, text);
}

std::function<std::string(msg_kind, const std::string&)>& next_message_frame() {
  static std::function<std::string(msg_kind, const std::string&)> frame;
  return frame;
}

bool& next_message_keeps_group() {
  static bool keeps = false;
  return keeps;
}

std::string log_message_lines(int set, int number, ...) {
  va_list ap;
  va_start(ap, number);
  msg_kind kind = msg_kind::error;
  std::string text = catalogue_format(set, number, ap, &kind);
  va_end(ap);
  return log_entry_lines(kind, text);
}

}  // namespace plat

extern "C" {

int plat_xexit(int code, int /*flag*/) { plat::end_step(code); }

void plat_xebug(const char* text) {
  plat::log_message(plat::hostmsg::set, plat::hostmsg::internal_error, text ? text : "(no text)");
  plat::end_step(KES_RC_INTERNAL);
}

void plat_xprrlog(int /*zero*/, int result) {
  // The module may go on after logging this, but what it meant to show is missing:
  // the step must not end as a success.
  plat::raise_step_code(KES_RC_STEP_FAILED);
  // A code the output system knows is told in words; only an unknown one is shown as is.
  int set = 0, number = 0;
  const auto words = plat::output_linked().result_message;
  if (words != nullptr && words(result, &set, &number)) {
    if (const std::string* why = plat::catalogue_text(set, number)) {
      plat::log_message(plat::hostmsg::set, plat::hostmsg::object_failed, why->c_str());
      return;
    }
  }
  char code[16];
  std::snprintf(code, sizeof code, "0x%08X", static_cast<unsigned>(result));
  plat::log_message(plat::hostmsg::set, plat::hostmsg::object_failed_bare, code);
}

void plat_xytabrt(int /*kind*/, int code) {
  plat::log_message(plat::hostmsg::set, plat::hostmsg::math_abort, code);
  plat::end_step(code);
}

int plat_xpmlog(int set, int number, va_list ap) {
  plat::msg_kind kind = plat::msg_kind::error;
  std::string text = plat::catalogue_format(set, number, ap, &kind);
  // A message of one BY group says which, as the BY line of its tables does; one
  // framed with the place of a statement is about the statement, unless it is a note on
  // the group's data placed there.
  auto& frame = plat::next_message_frame();
  bool& keeps_group = plat::next_message_keeps_group();
  if (const std::string& by = plat::message_by_group();
      !by.empty() && kind != plat::msg_kind::plain && (!frame || keeps_group)) {
    const std::string self = "this BY group";
    if (const std::size_t at = text.find(self); at != std::string::npos) {
      text.replace(at, self.size(), "the BY group " + by);
    } else {
      const bool stop = !text.empty() && text.back() == '.';
      if (stop) text.pop_back();
      text += " (BY group " + by + ")" + (stop ? "." : "");
    }
  }
  if (frame) {
    text = frame(kind, text);
    frame = nullptr;
  }
  keeps_group = false;
  plat::log_write(kind, text);
  return 0;
}

// Copies at most length characters of the text and returns how many it copied, so a
// caller that keeps the length never reads past its buffer. Nothing is written past
// the text: callers blank-fill their buffers first.
int plat_xpmstr(char* buffer, int length, int set, int number, va_list ap) {
  std::string text = plat::catalogue_format(set, number, ap);
  if (!buffer || length <= 0) return 0;
  std::size_t n = std::min(text.size(), static_cast<std::size_t>(length));
  std::memcpy(buffer, text.data(), n);
  return static_cast<int>(n);
}

// The raw text, markers included. A missing entry gives its "missing" text (and is
// counted) with result 1.
int plat_wkread(int set, int number, const char** text, int* length) {
  static thread_local std::string missing;
  const std::string* t = plat::catalogue_text(set, number);
  int rc = 0;
  if (!t) {
    va_list none{};
    missing = plat::catalogue_format(set, number, none);
    t = &missing;
    rc = 1;
  }
  if (text) *text = t->c_str();
  if (length) *length = static_cast<int>(t->size());
  return rc;
}

// Whatever the module does after this message, a result it meant to make is missing:
// the step ends as out of memory, and its output data sets are not put in place.
void plat_xmemmsg(long size) {
  plat::log_message(plat::hostmsg::set, plat::hostmsg::out_of_memory, size);
  plat::mark_memory_failure();
}

// 0 and the value (1 yes, 0 no) for a yes/no option; 1 and 0 for any other name.
int plat_xoptbgt(const char* name, int* result) {
  int b = plat::system_option_bool(plat::upper(name ? name : ""));
  if (result) *result = b > 0 ? 1 : 0;
  return b < 0 ? 1 : 0;
}

// The value of a text option, blank-filled to size; returns the value's length (at
// most size), or -1 for a name that is no text option (the buffer all blanks).
int plat_xoptcgt(const char* name, char* buffer, int size) {
  const std::string* v = plat::system_option_text(plat::upper(name ? name : ""));
  if (buffer && size > 0) std::memset(buffer, ' ', static_cast<std::size_t>(size));
  if (!v) return -1;
  int n = std::min(static_cast<int>(v->size()), std::max(size, 0));
  if (buffer && n > 0) std::memcpy(buffer, v->data(), static_cast<std::size_t>(n));
  return n;
}

}  // extern "C"
