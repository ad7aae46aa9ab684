// ggsload(options, mode, flag) -> int: starts the device named in the graphics
// options record. The device and its images are the host's: this installs the chart
// and graphics images and has the host start the device. 0 ready; 1 an image could
// not be installed (after message KES_MSG_GRAPHICS_IMAGE_NOT_AVAILABLE); -1 the device could not be started.
#include "devgraph/device_services.h"
#include "host/host_services.h"
#include "kes_msg_names.h"

int ggsload(gdevopts* options, int, int) {
  wiinstl(0x40000 + 268, "QORCHT7 ", 2);
  struct image {
    int vector;
    const char* name;
  };
  static const image kImages[2] = {{116, "QORXGSUB"}, {118, "QORXGGXL"}};
  for (const image& im : kImages)
    if (wiinstl(0x40000 + im.vector, im.name, 1) != 0) {
      xpmlog(KES_SET_PARSER, KES_MSG_GRAPHICS_IMAGE_NOT_AVAILABLE, im.name);
      return 1;
    }
  if (gginit(options) != 0) return -1;
  ggzrst(255);
  return 0;
}
