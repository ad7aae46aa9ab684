// The task record of the step: print lines and the parser trace flags.
#pragma once
#include <cstdint>

struct host_printline;

extern "C" {

struct xinit_task {
  void* print_word;              // the print services' word (xpopen)
  host_printline* output_line;   // the output line record (its line size centres texts)
  int print_line;                // xpprnl(0)
  int log_line;                  // xplogl(0)
  int message_line;              // xpmsgl(0)
  std::uint8_t syn_trace;        // DEBUG holds "SYN"
  std::uint8_t sem_trace;        // DEBUG holds "SEM"
  std::uint8_t reserved[2];
  void* gate_word;               // the task's word for the gate service
};

// Allocates the task record, hangs it in the task block and opens the print
// services; reads the system option DEBUG for the parser trace flags.
void xinit();
// The task record of the current step (null before xinit).
xinit_task* xinit_current();

}  // extern "C"
