// kes_dest_options(options, destination): what a destination asks of the device,
// copied into the graphics options record: its device name, page sizes, description
// and option words.
#include <cstring>

#include "devgraph/device_services.h"
#include "host/host_graph.h"

void kes_dest_options(gdevopts* o, const host_dest* d) {
  if (o == nullptr || d == nullptr) return;
  if (d->device_len > 0 && d->device != nullptr) {
    std::memset(o->device, ' ', 8);
    std::memcpy(o->device, d->device, static_cast<std::size_t>(d->device_len < 8 ? d->device_len : 8));
  }
  if (d->size[0] > 0) {
    o->size[0] = d->size[0];
    o->sizeflags |= GOPT_WIDTH_GIVEN;
  }
  if (d->size[1] > 0) {
    o->size[1] = d->size[1];
    o->sizeflags |= GOPT_HEIGHT_GIVEN;
  }
  const int n = d->descr_len < 0 ? 0 : d->descr_len > 256 ? 256 : d->descr_len;
  o->descr_len = static_cast<std::int16_t>(n);
  std::memset(o->descr, ' ', sizeof o->descr);
  if (n > 0 && d->descr != nullptr) std::memcpy(o->descr, d->descr, static_cast<std::size_t>(n));
  o->word_d = d->word_d;
  o->word_a = d->option_a == 0 ? 1 : 0;
  o->word_b = d->option_b == 0 ? 1 : 0;
  if (d->option_c == 0) o->flags = static_cast<std::uint8_t>(o->flags & ~GOPT_OPTION_C);
}
