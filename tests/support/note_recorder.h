// Replaces the host's message and memory-note services while it lives and keeps what
// they were asked to write, in order: "set/number" with the text of each message, and
// "mem(size)" for each memory note (its size also in memmsgs).
#pragma once
#include <string>
#include <vector>

#include "host/host_services.h"

namespace kes_test {

struct logged_note {
  std::string key, text;
};

class note_recorder {
 public:
  note_recorder();
  ~note_recorder();
  note_recorder(const note_recorder&) = delete;
  note_recorder& operator=(const note_recorder&) = delete;

  static inline std::vector<logged_note> notes;
  static inline std::vector<long> memmsgs;
  // The keys of the notes, space-separated.
  static std::string keys();
  static int count(const std::string& key);
  static void clear() { notes.clear(), memmsgs.clear(); }

 private:
  host_routine old_[2] = {};
};

}  // namespace kes_test
