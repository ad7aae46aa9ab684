// Named attribute ids of output-object method calls (see wob_attributes.def).
#pragma once
#include <cstdint>

enum wob_attr_id : std::uint16_t {
#define WOB_ATTR(name, id) WOB_A_##name = id,
#include "host/wob_attributes.def"
#undef WOB_ATTR
};
