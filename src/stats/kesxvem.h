// Definitions of the descriptive tables, once per step.
#pragma once

#include "stats/kes_tables.h"
