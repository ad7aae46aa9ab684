// The table of the module's own stage routines, which the procedure entry runs.
#include "driver/kes_step.h"

#include "devgraph/chart_layout.h"
#include "devgraph/device_services.h"
#include "driver/class_cells.h"
#include "driver/kescomp.h"
#include "datapass/kesin.h"
#include "driver/kesinit.h"
#include "driver/kesstmt.h"
#include "plotreq/plot_requests.h"
#include "stats/kes_tables.h"
#include "stats/kesotab.h"
#include "stats/kesside.h"
#include "stats/output_dataset.h"
#include "tmplgraph/kes_stgraph.h"

const kes_stages kes_real_stages = {
    .kesinit = kesinit,
    .kesotab = kesotab,
    .kesxvem = kesxvem,
    .kesin = kesin,
    .kescomp = kescomp,
    .kessave = kessave,
    .kesouts = kesouts,
    .kesmerg = kesmerg,
    .kescmh3 = kescmh3,
    .keshini = keshini,
    .kesqini = kesqini,
    .kescini = kescini,
    .kespini = kespini,
    .keszini = keszini,
    .kesstgr = kesstgr,
    .kesgcht = kesgcht,  // device charts
    .kesout = kesout,
    .kesside = kesside,
    .gpspnot = gpspnot,
    .graphics = &kes_graphics_routines,
};
