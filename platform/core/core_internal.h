// Links between the parts of the stand-in's core services that the rest of the
// stand-in has no business calling.
#pragma once
#include <cstdio>
#include <string>
#include "host/host_anchor.h"

namespace plat::core {

// Log file: closed by reset_outputs, flushed by flush_outputs.
void log_reset();
void log_open();
void log_flush();
// Listing: the same, plus the page state and the titles.
void listing_reset();
void listing_flush();

// Print services: the pending line and the destination selection.
void print_begin_step();
void print_finish_step();

// Pools: the anchor's own pool and task pool (live for the process, emptied at each
// step's end), and the step-end sweep of pools still open.
host_pool* anchor_pool();
host_pool* task_pool();
void pools_finish_step();

// The host's current task block: words the module hangs its task record in.
void* task_block();
void task_block_clear();

// Opens path for writing ("" gives the stand-in stream); on failure reports it as a
// failed file of the run and falls back to the stand-in stream.
std::FILE* open_output(const std::string& path, std::FILE* fallback, const char* what);
// Flushes f and reports a write that failed (once per file).
void check_written(std::FILE* f, const char* what, const std::string& path);

}  // namespace plat::core
