// ggdvget(name) -> the device entry of the 8-character device name, or none. The
// host's device registry finds and caches the entry.
#include "devgraph/device_services.h"
#include "host/host_services.h"

const gdeventry* ggdvget(const char* name8) {
  if (name8 == nullptr || name8[0] == ' ' || name8[0] == '\0') return nullptr;
  return ggdvfind(name8);
}
