// The host's anchor with its vector tables: every service routine of the stand-in,
// from every folder, put in its vector and slot. Assembled here, on top, because it
// takes the routines of all the folders below.
#pragma once
#include "host/host_services.h"

namespace plat {
// The one anchor of this process, with every vector table filled.
host_gcb* anchor();
// Replace one service's routine (tests use this to stand in for a service).
host_routine replace_service(int vector, int slot, host_routine routine);
}  // namespace plat
