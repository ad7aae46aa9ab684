#include "support/note_recorder.h"

#include <algorithm>
#include <cstdarg>

#include "runner/host_table.h"
#include "core/runtime.h"

namespace kes_test {
namespace {

int record_xpmlog(int set, int number, va_list ap) {
  note_recorder::notes.push_back({std::to_string(set) + "/" + std::to_string(number),
                                  plat::catalogue_format(set, number, ap)});
  return 0;
}
void record_xmemmsg(long size) {
  note_recorder::notes.push_back({"mem(" + std::to_string(size) + ")", ""});
  note_recorder::memmsgs.push_back(size);
}

const kes_host::svc_info& service(int i) {
  return kes_host::services[i == 0 ? kes_host::svc_xpmlog : kes_host::svc_xmemmsg];
}

}  // namespace

note_recorder::note_recorder() {
  const host_routine fakes[2] = {reinterpret_cast<host_routine>(record_xpmlog),
                                 reinterpret_cast<host_routine>(record_xmemmsg)};
  for (int i = 0; i < 2; ++i) old_[i] = plat::replace_service(service(i).vector, service(i).slot, fakes[i]);
  clear();
}

note_recorder::~note_recorder() {
  for (int i = 0; i < 2; ++i) plat::replace_service(service(i).vector, service(i).slot, old_[i]);
}

std::string note_recorder::keys() {
  std::string t;
  for (const logged_note& n : notes) t += (t.empty() ? "" : " ") + n.key;
  return t;
}

int note_recorder::count(const std::string& key) {
  return static_cast<int>(std::count_if(notes.begin(), notes.end(), [&](const logged_note& n) { return n.key == key; }));
}

}  // namespace kes_test
