// The table of the module's own stage routines, which the procedure entry runs.
#include "driver/kes_stages.h"

#include "devgraph/device_services.h"
#include "driver/class_cells.h"
#include "driver/kescomp.h"
#include "driver/kesin.h"
#include "driver/kesinit.h"
#include "plotreq/plot_requests.h"
#include "stats/kes_tables.h"
#include "stats/kesotab.h"
#include "stats/kesside.h"
#include "stats/output_dataset.h"

const kes_stages kes_real_stages = {
    kesinit, kesotab, kesxvem, kesin,   kescomp, kessave, kesouts, kesmerg, kescmh3,
    keshini, kesqini, kescini, kespini, keszini, kesout,  kesside, gpspnot,
};
