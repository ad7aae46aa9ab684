// Output-object steps of the fitted-distribution tables: binding a table to its
// template with the curve's title, ending and emitting it.
#pragma once

struct kes_ctx;

// Binds table to template tmpl with the dynamics DistTitle = title, varname and
// varlabel, and the table's label as description when the request wants contents
// entries. The bound handle is kept in the context's rows.
void kes_fit_bind(kes_ctx* ctx, void* table, const char* tmpl, void* title);
// Ends the rows of table and emits the bound output.
void kes_fit_end_emit(kes_ctx* ctx, void* table);
