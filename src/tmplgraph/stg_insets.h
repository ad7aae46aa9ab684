// Insets of template graphs: without CLASS variables the boxes become dynamic
// variables of the graph; with CLASS variables the first INSET statement becomes one
// box whose rows carry labels, and each CLASS cell's values become one row of the
// "InsetData" table (with the cell's CLASS texts, so that a renderer can match rows to
// panels).
#pragma once

struct kes_ctx;
struct kes_cell;
struct kes_inset;
struct kes_insetbox;
struct kes_stgraph;
struct kes_textdesc;

// The dynamics of every enabled box of the context's list.
void kesistgr0(kes_ctx* ctx, kes_stgraph* g);
// The single box of the CLASS form, with label-only rows: 0, 1016 or 3000 (overlay).
int kesiinit(kes_ctx* ctx, kes_stgraph* g);
// "InsetData" (made on the first call) and the cell's row of values: 0.
int kesistgr1(kes_ctx* ctx, kes_cell* cell, kes_stgraph* g, int add_row);

// The values of the cell in the box's rows (blank when the cell has no values).
void kes_stg_inset_values(kes_ctx* ctx, kes_cell* cell, kes_insetbox* box);

// Label-only rows of the CLASS form; `last` is the caller's last row, advanced.
int kesstgidat(kes_ctx* ctx, kes_stgraph* g, kes_inset** last);  // 0, 1 or a step code
int kesdatarows(kes_ctx* ctx, kes_insetbox* box, kes_inset** last,
                const kes_textdesc* texts);                             // 0 or KES_RC_OUT_OF_MEMORY
int kesstgidst(kes_ctx* ctx, int family, kes_inset** last);             // rows added, -1 without memory
int kesstgiknl(kes_ctx* ctx, int kernel, kes_inset** last);             // 0 or KES_RC_OUT_OF_MEMORY

// Values of one cell into the rows: data rows by label, distribution and kernel rows
// from the cell's own curves.
void kesdataput(kes_ctx* ctx, kes_insetbox* box, kes_cell* cell);
void kesdistput(kes_ctx* ctx, kes_cell* cell, kes_insetbox* box, kes_inset* row);
void kesknlput(kes_ctx* ctx, kes_cell* cell, kes_insetbox* box, kes_inset* row);

// The box's POSITION= word as the template's vertical and horizontal alignment.
const char* kes_inset_valign(const kes_insetbox* b);
const char* kes_inset_halign(const kes_insetbox* b);
