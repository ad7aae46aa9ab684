// The OUTTABLE data set: one observation per analysis variable and cell.
#pragma once

struct kes_ctx;
struct host_access;

// Defines the OUTTABLE data set's variables and returns the handle through which
// observations are put; null when the BY variables cannot be copied.
host_access* kesotab(kes_ctx* ctx, int flags);
