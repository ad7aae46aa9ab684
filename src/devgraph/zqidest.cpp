// zqidest(layout) -> int: the output destinations of one chart. Creates the
// destination pool, asks the output manager for the open destinations, starts the
// graph control block and a fresh options record, finds out whether the device draws
// directly, and otherwise makes the collection of per-destination graph lists.
// 0; 1012 after a message (no open destination, or a refused destination call);
// 1016 after xmemmsg.
#include "devgraph/dest_calls.h"
#include "devgraph/device_services.h"
#include "host/host_services.h"
#include "host/step_codes.h"
#include "kes_msg_names.h"
#include "records/kes_layout.h"

namespace {

// A new collection object ("associativearray" or "list") under the root.
void* new_collection(kes_layout* layout, const char* cls, int len, int* r) {
  wob_attr a[3] = {wob_str(WOB_A_FAMILY, "collection", 10), wob_str(WOB_A_CLASS, cls, len), wob_out(WOB_A_HANDLE)};
  *r = kes_dest_call(layout->root, WOB_M_CREATE, 3, a);
  return *r < 0 ? nullptr : a[2].w.p;
}

}  // namespace

int zqidest(kes_layout* layout) {
  layout->direct = 0;
  layout->destpool = xmpoolc(2048, 1024, 2);
  if (layout->destpool == nullptr) {
    xmemmsg(0);
    return KES_RC_OUT_OF_MEMORY;
  }
  wob_attr list = wob_ptr(WOB_A_DEST_LIST, WOB_RECORD, nullptr);
  if (kes_dest_call(layout->manager, WOB_M_DEST_LIST, 1, &list) < 0) {
    zqdfree(layout);
    return KES_RC_SETUP_FAILED;
  }
  layout->destlist = static_cast<host_destlist*>(list.w.p);
  if (layout->destlist == nullptr || layout->destlist->count <= 0) {
    xpmlog(KES_SET_DESTINATION, KES_MSG_NO_OUTPUT_DESTINATION_OPEN);
    zqdfree(layout);
    return KES_RC_SETUP_FAILED;
  }
  if (wiinstl(0x40000 + 116, "QORXGSUB", 1) != 0) {
    xpmlog(KES_SET_PARSER, KES_MSG_GRAPHICS_IMAGE_NOT_AVAILABLE, "QORXGSUB");
    zqdfree(layout);
    return KES_RC_SETUP_FAILED;
  }
  void* control = nullptr;
  ggcbini(&control, 2);
  layout->gopts = ggznew(control);
  layout->gopts->initialised = 1;
  const gdeventry* dev = ggdvget(layout->gopts->device);
  if (dev != nullptr && dev->type >= GDEV_DIRECT_FIRST && dev->type <= GDEV_DIRECT_LAST) layout->direct = 1;
  layout->publish_setup = (layout->gopts->flags & GOPT_PUBLISH) != 0;
  if (layout->direct) return 0;

  int r = 0;
  layout->collection = new_collection(layout, "associativearray", 16, &r);
  if (r < 0) {
    zqdfree(layout);
    return KES_RC_SETUP_FAILED;
  }
  for (int d = 0; d < layout->destlist->count; ++d) {
    host_dest* dest = layout->destlist->entries[d].dest;
    // Brackets cannot stand in a collection's key: they become underscores.
    for (int i = 0; i < dest->name_len; ++i)
      if (dest->name[i] == '(' || dest->name[i] == ')') dest->name[i] = '_';
    void* name = vemtxt(dest->name, dest->name_len);
    void* dlist = new_collection(layout, "list", 4, &r);
    wob_attr ins[2] = {wob_text(0, name), wob_out(0, dlist)};
    if (r < 0 || kes_dest_call(layout->collection, WOB_M_INSERT, 2, ins) < 0) {
      zqdfree(layout);
      return KES_RC_SETUP_FAILED;
    }
  }
  return 0;
}
