// Arrays of per-variable records (kes_varsum): allocation, reset and release.
#pragma once

struct kes_ctx;
struct kes_varsum;
struct host_pool;

// A new array of one record per analysis variable from pool, each reset; null after
// xmemmsg when a request fails (what was taken stays in the pool).
kes_varsum* keswptr(kes_ctx* ctx, host_pool* pool);
// keswptr without the message: null with *failed_size set to the size of the request
// that failed.
kes_varsum* kes_varsum_array(kes_ctx* ctx, host_pool* pool, long* failed_size);
// Bytes of the block of such an array: the records, then each record's summary and
// extreme lists (so that the whole is one request).
long kes_varsum_bytes(const kes_ctx* ctx);
// Lays the array out in a zero-filled block of kes_varsum_bytes bytes, each record reset.
kes_varsum* kes_varsum_lay(kes_ctx* ctx, void* block);
// Resets one record for a new BY group: counts, sums, tree roots, extreme lists.
void keswini(kes_ctx* ctx, kes_varsum* r);
// Gives the array, with its records' summaries and extreme lists, back.
void keswfre(kes_ctx* ctx, host_pool* pool, kes_varsum* array);
// Clears only the value-list fields of a record (a later pass over the BY group).
void kes_varsum_clear_lists(kes_varsum* r);
