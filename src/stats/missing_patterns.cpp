// The statistics engines leave the toolkit's missing value in results that the host
// prints, writes and compares as its own standard missing value: the two must be one
// bit pattern, or an undefined statistic would show as some other kind of missing.
#include "host/host_missing.h"
#include "numeric/zmissing.h"

static_assert(ZMISSING_BITS == HOST_MISSING_STD_BITS,
              "the toolkit's missing value is the host's standard missing value");
