// The per-variable steps of a descriptive table: bind the table to its template
// (with the table's label as description when table-of-contents entries are on),
// add rows from the row buffer, end the rows and emit.
#pragma once

#include "host/wob.h"
#include "stats/tables_define.h"

struct kes_ctx;

// Binds table `id` to template `tmpl` with the dynamic pairs, then "varname",
// "varlabel" and the description; extra attributes (e.g. 1828) follow the pairs.
// The bound output is kept in the context.
void kes_bind(kes_ctx* ctx, int id, const char* tmpl, const kes_dynpair* pairs, int npairs,
              const wob_attr* extra = nullptr, int nextra = 0);
// The same for any table handle; the description is the table's label when
// `describe` is set. Returns the bound output.
void* kes_bind_table(kes_ctx* ctx, void* table, const char* tmpl, const kes_dynpair* pairs, int npairs,
                     const wob_attr* extra, int nextra, bool describe);
// Adds one row with what the row buffer holds now.
void kes_add_row(kes_ctx* ctx, int id);
// Ends the rows (300 = 1) and emits the bound output with the further records.
void kes_end_emit(kes_ctx* ctx, int id, const wob_attr* extra, int nextra);
void kes_end_emit_table(kes_ctx* ctx, void* table, void* bound, const wob_attr* extra, int nextra);
