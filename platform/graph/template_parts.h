// The pieces every graph template is drawn from, each in a header of its own: the look,
// nice scales and the frame of a cell, texts fitted to their room, walls, frames, grids
// and axes with their labels, reference lines, legends, and the strips, titles and grid
// of cells of a page.
#pragma once
#include "graph/template_axes.h"
#include "graph/template_canvas.h"
#include "graph/template_cell_grid.h"
#include "graph/template_legend.h"
#include "graph/template_look.h"
#include "graph/template_refs.h"
#include "graph/template_scale.h"
#include "graph/template_text_fit.h"
// What the parts are drawn with, for the drawers that include this header alone.
#include "graph/svg_writer.h"
#include "host/kes_text_room.h"
