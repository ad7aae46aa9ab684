// Allocation from host pools. A pool object's first word is its allocate operation
// and its second its free operation; these two routines only call them.
#pragma once
#include "host/host_anchor.h"

// Flags callers pass when allocating, and the free convention (size -1, flags 4).
constexpr int KES_ALLOC = 0x2000;
constexpr int KES_ALLOC_2 = 0x2002;
constexpr int KES_ALLOC_4 = 0x2004;
constexpr int KES_ALLOC_6 = 0x2006;
constexpr int KES_FREE_FLAGS = 4;

// Pool flags of xmpoolc for the pools of the step.
constexpr int KES_POOL_RUN = 4226;      // (0, 1024, 4226)
constexpr int KES_POOL_BYGROUP = 4098;  // (0, 1024, 4098)
constexpr int KES_POOL_VAR = 4226;      // (8192, 8192, 4226)
constexpr int KES_POOL_FIT = 4096;      // (0, 1024, 4096)
constexpr int KES_POOL_DEST = 2;        // (2048, 1024, 2)

// size bytes from pool, or null when the pool cannot supply them (or there is none).
void* vmalcp_handler(host_pool* pool, long size, int flags);
// Gives a block back to its pool.
void vmfree_handler(host_pool* pool, void* ptr, long size, int flags);

// size bytes (8 when size is not positive) from pool, zero-filled. When the pool cannot
// supply them: the out-of-memory note for that size, *failed set, and null. Once
// *failed is set nothing more is taken, so that a run of requests gives one note.
void* kes_zalloc(host_pool* pool, long size, int flags, bool* failed);
