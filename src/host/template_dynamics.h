// Named dynamic variables of template graphs (see template_dynamics.def).
#pragma once

#define KES_DYNAMIC(name, text) inline constexpr char KES_DYN_##name[] = text;
#include "host/template_dynamics.def"
#undef KES_DYNAMIC
