// Step lifetime: the exit that unwinds to the runner, and what runs at a step's end.
#include <algorithm>
#include <cctype>
#include <string>
#include <utility>
#include <cstring>
#include <exception>
#include <new>
#include <vector>

#include "core/core_internal.h"
#include "core/runtime.h"
#include "core/temp_files.h"
#include "host/step_codes.h"

namespace plat {
namespace {

std::vector<std::function<void()>> step_end_fns;
void* task_words[64];
int host_code = 0;
bool memory_failed = false;
std::vector<std::pair<std::string, std::string>> cut_names;  // (cut, upper case; as written)

std::string upper_trimmed(const std::string& s) {
  std::string u = s.substr(0, s.find_last_not_of(' ') + 1);
  for (char& c : u) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return u;
}

}  // namespace

void remember_cut_name(const std::string& cut, const std::string& written) {
  cut_names.emplace_back(upper_trimmed(cut), written);
}

std::string name_as_written(const std::string& cut) {
  const std::string key = upper_trimmed(cut);
  for (const auto& [c, w] : cut_names)
    if (c == key) return w;
  return cut;
}

[[noreturn]] void end_step(int code) { throw step_exit{code}; }

void at_step_end(std::function<void()> fn) { step_end_fns.push_back(std::move(fn)); }

namespace {
std::string by_group_line;
}  // namespace

void set_message_by_group(std::string by_line) {
  if (by_group_line.empty() && !by_line.empty()) at_step_end([] { by_group_line.clear(); });
  by_group_line = std::move(by_line);
}

const std::string& message_by_group() { return by_group_line; }

void raise_step_code(int code) { host_code = std::max(host_code, code); }
int host_step_code() { return host_code; }

void mark_memory_failure() {
  memory_failed = true;
  raise_step_code(KES_RC_OUT_OF_MEMORY);
}
bool memory_failed_in_step() { return memory_failed; }

void begin_step() {
  set_interrupt_in_step(true);
  host_code = 0;
  cut_names.clear();
  next_message_frame() = nullptr;
  next_message_keeps_group() = false;
  memory_failed = false;
  core::task_block_clear();
  core::print_begin_step();
}

void finish_step() {
  // A step-end routine may register another; each runs once, latest first.
  while (!step_end_fns.empty()) {
    std::function<void()> fn = std::move(step_end_fns.back());
    step_end_fns.pop_back();
    try {
      fn();
    } catch (const std::bad_alloc&) {
      // Nothing is formatted here: memory is short. The step fails as out of memory.
      mark_memory_failure();
    } catch (const step_exit& e) {
      log_write(msg_kind::error, "Internal error: a step-end routine tried to end the step with code " +
                                     std::to_string(e.code) + ".");
    } catch (const std::exception& e) {
      log_write(msg_kind::error, std::string("Internal error in a step-end routine: ") + e.what());
    } catch (...) {
      log_write(msg_kind::error, "Internal error in a step-end routine.");
    }
  }
  core::print_finish_step();
  core::pools_finish_step();
  core::task_block_clear();
  flush_outputs();
  set_interrupt_in_step(false);
}

namespace core {

void* task_block() { return task_words; }
void task_block_clear() { std::memset(task_words, 0, sizeof task_words); }

}  // namespace core
}  // namespace plat
