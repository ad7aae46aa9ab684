#include "driver/xinit.h"

#include <cstring>

#include "host/host_print.h"
#include "host/host_services.h"
#include "host/step_codes.h"
#include "records/pool_alloc.h"

namespace {

constexpr int kDebugStackChars = 200;
constexpr int kTaskAllocFlags = 0x3006;

// Upper-cases text in place and sets the trace flags it names.
void scan_debug(char* text, int n, xinit_task* task) {
  for (int i = 0; i < n; ++i)
    if (text[i] >= 'a' && text[i] <= 'z') text[i] = static_cast<char>(text[i] - 'a' + 'A');
  for (int i = 0; i + 3 <= n; ++i) {
    if (std::memcmp(text + i, "SYN", 3) == 0) task->syn_trace = 1;
    if (std::memcmp(text + i, "SEM", 3) == 0) task->sem_trace = 1;
  }
}

bool all_blank(const char* text, int n) {
  for (int i = 0; i < n; ++i)
    if (text[i] != ' ') return false;
  return true;
}

// The DEBUG option: its length first (a probe with no buffer), then its text, on the
// stack when short, else from the task pool.
void read_debug(xinit_task* task) {
  char small[kDebugStackChars];
  int n = xoptcgt("DEBUG", small, kDebugStackChars);
  if (n <= 0 || all_blank(small, n)) return;
  if (n < kDebugStackChars) {
    scan_debug(small, n, task);
    return;
  }
  host_pool* pool = v_global_gcb_anchor->taskpool;
  int size = n + 1;
  // The probe filled the stack buffer; ask again with room for the whole value.
  for (;;) {
    char* big = static_cast<char*>(vmalcp_handler(pool, size, KES_ALLOC_4));
    if (big == nullptr) {
      scan_debug(small, kDebugStackChars, task);
      return;
    }
    int m = xoptcgt("DEBUG", big, size);
    if (m < size) {
      scan_debug(big, m, task);
      vmfree_handler(pool, big, -1, KES_FREE_FLAGS);
      return;
    }
    vmfree_handler(pool, big, -1, KES_FREE_FLAGS);
    size = m + 64;
  }
}

}  // namespace

extern "C" {

xinit_task* xinit_current() {
  host_gcb* a = v_global_gcb_anchor;
  if (a == nullptr || a->taskblock == nullptr) return nullptr;
  return *static_cast<xinit_task**>(a->taskblock);
}

void xinit() {
  host_gcb* a = v_global_gcb_anchor;
  auto* task = static_cast<xinit_task*>(vmalcp_handler(a->pool, sizeof(xinit_task), kTaskAllocFlags));
  if (task == nullptr) {
    xmemmsg(static_cast<long>(sizeof(xinit_task)));
    xexit(KES_RC_OUT_OF_MEMORY, 0);
    return;
  }
  std::memset(task, 0, sizeof *task);
  if (a->taskblock) *static_cast<xinit_task**>(a->taskblock) = task;
  task->gate_word = task;
  xpopen(&task->print_word);
  task->output_line = xpoutl(0, 0);
  task->print_line = xpprnl(0);
  task->log_line = xplogl(0);
  task->message_line = xpmsgl(0);
  xpselec(0, -2);
  read_debug(task);
}

}  // extern "C"
