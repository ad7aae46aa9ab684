// Handles of output objects and texts that are never handed out twice in a process.
//
// The module calls a method by reading the class word at the start of the object a
// handle points to. If handles were the objects' own addresses, an object could not
// be freed while the module might still hold its handle: a later call would read
// freed memory, or reach a new object made at the same address. A handle here is
// instead the address of one word in a read-only window that repeats a single class
// word, the handle class, whose routines look the handle up and refuse it once its
// object is gone. Every window maps the same few pages, so handles cost address
// space, not memory, and an address is used once.
#pragma once
#include <cstddef>

#include "host/wob.h"

namespace plat::out {

class handle_space {
 public:
  // Every handle reads as cls. window_bytes is a multiple of the page size.
  explicit handle_space(const wob_class* cls, std::size_t window_bytes = std::size_t{1} << 20);
  ~handle_space();
  handle_space(const handle_space&) = delete;
  handle_space& operator=(const handle_space&) = delete;

  // A handle never given before; nullptr when no window can be mapped.
  void* next();
  // Handles given so far.
  std::size_t issued() const { return issued_; }
  // Windows mapped so far (each stays mapped, so that its addresses stay readable).
  std::size_t windows() const { return windows_; }

 private:
  bool new_window();

  const wob_class* cls_;
  std::size_t bytes_;
  int fd_ = -1;                    // the window's pages, shared by every window
  const wob_class* const* cur_ = nullptr;
  std::size_t used_ = 0;           // words of the current window handed out
  std::size_t issued_ = 0;
  std::size_t windows_ = 0;
};

// The process's handle space for the output system (its class is the handle class).
handle_space& output_handles();

}  // namespace plat::out
