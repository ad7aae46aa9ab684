// Vector 40: the root output object and output texts, and the output system's
// lifetime: one system per step, gone with everything in it when the step ends.
#include <algorithm>
#include <cstring>
#include <memory>

#include "core/host_routines.h"
#include "core/runtime.h"
#include "output/output_api.h"
#include "output/output_messages.h"
#include "output/output_system.h"
#include "output/text_store.h"

namespace plat {
namespace {

std::unique_ptr<out::output_system> g_system;
out::json_file g_json;
std::string g_json_failed;  // path that could not be written (warned once)
bool g_hooked = false;      // the step-end routine is registered for this step

void log_entry(int number, ...) {
  va_list ap;
  va_start(ap, number);
  msg_kind kind = msg_kind::error;
  std::string text = catalogue_format(out::kMsgSet, number, ap, &kind);
  va_end(ap);
  log_write(kind, text);
}

std::string format_entry(int set, int number, ...) {
  va_list ap;
  va_start(ap, number);
  std::string text = catalogue_format(set, number, ap);
  va_end(ap);
  return text;
}

void finish_output() {
  g_hooked = false;
  g_system.reset();
  out::release_texts();
  if (g_json.is_open()) g_json.end_step();
}

void hook_step_end() {
  if (g_hooked) return;
  g_hooked = true;
  at_step_end(finish_output);
}

void open_json_for_step() {
  const std::string& path = config().json_path;
  if (path.empty()) return;
  if (!g_json.is_open() || g_json.path() != path) {
    std::string why;
    if (!g_json.open(path, &why)) {
      if (g_json_failed != path) log_entry(out::msg::kJsonFile, path.c_str(), why.c_str());
      g_json_failed = path;
      return;
    }
  }
  g_json.begin_step();
}

}  // namespace

void output_set_by(std::vector<std::pair<std::string, std::string>> by) {
  // Only with a system of this step, whose end resets the text store: a step that
  // made no output must not mark the next step's set-up texts as a group's.
  if (!g_system) return;
  out::release_group_texts();
  g_system->set_by(std::move(by));
}

std::vector<std::pair<std::string, std::string>> output_current_by() {
  return g_system ? g_system->by() : std::vector<std::pair<std::string, std::string>>{};
}

void output_graph(const std::string& label, const std::string& description, const std::string& file) {
  if (!g_system) return;
  out::report r;
  r.factoid = true;
  r.name = "Graph";
  r.label = label.empty() ? "Graph" : label;
  out::factoid_pair d;
  d.label = "Description";
  d.is_text = true;
  d.text = description;
  d.position = 1;
  out::factoid_pair f = d;
  f.label = "File";
  f.text = file;
  r.pairs = {d, f};
  g_system->emit(r);
  g_system->device_graph_entry(r.label, file);
}

bool output_result_message(int result, int* set, int* number) {
  int n = out::result_message(result);
  if (n == 0) return false;
  if (set) *set = out::kMsgSet;
  if (number) *number = n;
  return true;
}

bool output_open_json(std::string* error) {
  const std::string& path = config().json_path;
  return path.empty() || g_json.open(path, error);
}

void output_close_json() { g_json.close(); }

}  // namespace plat

extern "C" {

int plat_xobinit(void* anchor_block, int) {
  using namespace plat;
  if (anchor_block == nullptr) {
    log_entry(out::msg::kNoAnchor);
    return out::kErrHandle;
  }
  hook_step_end();
  out::hooks h;
  h.listing = [](std::string_view line) { listing_write(line); };
  h.keep_together = [](int n) { listing_keep_together(n); };
  h.linesize = listing_linesize();
  h.centre = system_option_bool("CENTER") != 0;
  h.log = log_entry;
  open_json_for_step();
  g_system = std::make_unique<out::output_system>(std::move(h), g_json.is_open() ? &g_json : nullptr);
  *static_cast<void**>(anchor_block) = g_system->root();
  return 0;
}

void* plat_vemtxt(const char* text, int length) {
  plat::hook_step_end();
  return plat::out::make_text(plat::out::trimmed_text(text, length));
}

void* plat_vemmsg(int set, int number) {
  plat::hook_step_end();
  const std::string* t = plat::catalogue_text(set, number);
  return plat::out::make_text(t ? *t : plat::format_entry(set, number));
}

void* plat_vemmsgs(int set, int number, va_list ap) {
  plat::hook_step_end();
  return plat::out::make_text(plat::catalogue_format(set, number, ap));
}

int plat_vemtget(void* text, char* buffer, int size) {
  const std::string* t = plat::out::text_of(text);
  if (t == nullptr) return -1;
  if (buffer != nullptr && size > 0) {
    std::size_t n = std::min<std::size_t>(t->size(), static_cast<std::size_t>(size));
    std::memcpy(buffer, t->data(), n);
    std::memset(buffer + n, ' ', static_cast<std::size_t>(size) - n);
  }
  return static_cast<int>(t->size());
}

}  // extern "C"
