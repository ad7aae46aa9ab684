// The module's connection to the host: the exported anchor words (the host anchor
// itself lives beside the forwarders that read it, in host/host_forward.cpp), the entry
// mcn_main, and the image record and program connector through which the host finds
// the procedure entry. Only the three anchor words and mcn_main are exported.
#include "host/host_connection.h"
#include "host/host_services.h"
#include "driver/qorqkest.h"

extern "C" {

KES_EXPORT void* v_global_pidb_anchor = nullptr;
KES_EXPORT void* Exported_QVHandle = nullptr;

extern const mcn_connector pcn_QORQKEST;
extern const mcn_connector* const mcn_pcns[2];
extern const mcn_image vi_mcn;

const mcn_connector pcn_QORQKEST = {
    0xFFFF0000u, 0x400u, 0x400u, "qorqkest", &qorqkest, 3u, 0x25D3u, 0x2051C472u, 15u,
};

const mcn_connector* const mcn_pcns[2] = {&pcn_QORQKEST, nullptr};

static const char kes_notice[] = "Kestravine statistics procedure module";

// The build date is the compiler's "Mmm dd yyyy": 11 characters, day blank-padded.
const mcn_image vi_mcn = {
    "QOR_Image_Information=",
    MCN_IMAGE_MAGIC,
    8u,
    "1.00",
    "0.1.0",
    __DATE__,
    mcn_pcns,
    kes_notice,
    "001",
};

// Called before the handle is copied; nothing to do at connection time.
static void himodcn() {}

KES_EXPORT const mcn_image* mcn_main(host_gcb* anchor, void* pidb) {
  v_global_gcb_anchor = anchor;
  v_global_pidb_anchor = pidb;
  himodcn();
  Exported_QVHandle = anchor ? anchor->qv_handle : nullptr;
  return &vi_mcn;
}

}  // extern "C"
