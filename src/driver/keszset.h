// The listing labels.
#pragma once

struct kes_ctx;

// Loads the labels that the line-printer output prints from the message catalogue.
void keszset(kes_ctx* ctx);
