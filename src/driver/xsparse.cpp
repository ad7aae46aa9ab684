#include "driver/xsparse.h"

#include "driver/xinit.h"
#include "host/host_services.h"
#include "host/kes_gramdesc.h"
#include "host/step_codes.h"
#include "kes_msg_names.h"

namespace {

// A host routine made callable through the gate; a failure ends the step.
void* gate(void* routine, xinit_task* task) {
  void* word = vir2g(routine, task ? task->gate_word : nullptr, v_global_pidb_anchor);
  if (word == nullptr) {
    xpmlog(KES_SET_PARSER, KES_MSG_PARSER_NOT_STARTED);
    xexit(KES_RC_SETUP_FAILED, 0);
  }
  return word;
}

}  // namespace

extern "C" int xsparse(kes_gramdesc* desc, void* arg) {
  xinit_task* task = xinit_current();
  if (desc->token_reader == nullptr)
    desc->token_reader = gate(reinterpret_cast<void*>(&xttk), task);
  if (desc->semantic_routine == nullptr)
    desc->semantic_routine = gate(reinterpret_cast<void*>(&xsem), task);
  if (desc->parser_anchor == nullptr) desc->parser_anchor = xtanch();
  int trace = 0;
  if (task && task->sem_trace) trace |= HOST_TRACE_SEM;
  if (task && task->syn_trace) trace |= HOST_TRACE_SYN;
  return xsproc(desc, task, trace, arg, 0, 0);
}
