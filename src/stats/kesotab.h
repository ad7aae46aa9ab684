// The OUTTABLE data set: one observation per analysis variable and cell.
#pragma once

struct kes_ctx;
struct host_access;

// Defines the OUTTABLE data set's variables, each bound to a fixed cell of the
// context or of its statistics record, and returns the handle through which
// observations are put. Null when the data set cannot be defined: the log says so,
// the step's return code is raised, and no observation is written.
host_access* kesotab(kes_ctx* ctx, int flags);
// Writes one OUTTABLE observation from the current variable, cell and statistics
// record; nothing when no OUTTABLE data set is open.
void kesotab_put(kes_ctx* ctx);
