#include "driver/kesgset.h"

#include "driver/kesgset_vars.h"

int kesgset(kes_ctx* ctx) { return kesgset_impl(ctx); }
