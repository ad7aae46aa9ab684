#include "driver/kesgopt.h"

#include "driver/kesgopt_options.h"

int kesgopt(kes_ctx* ctx) { return kesgopt_impl(ctx); }
