// Cutting a batch of analysis variables short when the data pass runs out of room.
#pragma once

struct kes_ctx;

// Makes room by cutting the batch's last variable: its pool goes and a later pass
// reads it. False when the batch holds one variable only (it is never cut to nothing).
bool kes_cut_batch(kes_ctx* ctx);
