// Helpers shared by the data-set services: messages, libraries, names.
#include <cstdio>
#include <cstdarg>

#include "core/runtime.h"
#include "data/data_messages.h"
#include "data/dataset_internal.h"
#include "host/step_codes.h"

namespace plat {
namespace {
std::string last_message;
bool step_data_error = false;
}  // namespace

void mark_data_error() {
  if (!step_data_error) at_step_end([] { step_data_error = false; });
  step_data_error = true;
  raise_step_code(KES_RC_STEP_FAILED);  // the data cannot be read as the step asks: the step failed
}

bool data_error_in_step() { return step_data_error; }

const std::string& data_last_message() { return last_message; }

void data_msg(int number, ...) {
  va_list ap;
  va_start(ap, number);
  msg_kind kind = msg_kind::note;
  std::string text = catalogue_format(datamsg::set, number, ap, &kind);
  va_end(ap);
  last_message = text;
  log_write(kind, text);
}

bool valid_name(std::string_view s) {
  if (s.empty() || s.size() > 32) return false;
  auto alpha = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; };
  if (!alpha(s[0])) return false;
  for (char c : s)
    if (!alpha(c) && !(c >= '0' && c <= '9')) return false;
  return true;
}

std::string printable(std::string_view s) {
  std::string r;
  for (char ch : s) {
    unsigned char c = static_cast<unsigned char>(ch);
    if (c < 0x20 || c == 0x7F) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", c);
      r += hex;
    } else {
      r.push_back(ch);
    }
  }
  return r;
}

std::string library_folder(const std::string& libref, std::string* error) {
  const std::string lib = library_label(libref);
  auto& libs = config().libraries;
  auto it = libs.find(lib);
  if (it == libs.end() || it->second.empty()) {
    *error = "library " + lib + " is not assigned";
    return std::string();
  }
  return it->second;
}

std::string member_folder(const std::string& libref, const std::string& member, const std::string& failing,
                          std::string* error) {
  std::string folder = library_folder(libref, error);
  if (folder.empty()) {
    *error = failing + ": " + *error;
    return std::string();
  }
  if (!valid_name(member)) {
    *error = failing + ": \"" + member + "\" is not a valid data set name";
    return std::string();
  }
  return folder;
}

kes_dsh handle(dataset* ds) { return ds; }
dataset* from_handle(kes_dsh h) { return static_cast<dataset*>(h); }

}  // namespace plat
