// What the template graphs read of the request besides their own state: the slots
// of the current variable and the default vertical-axis text.
#pragma once

struct kes_ctx;
struct kes_preq;
struct kes_cell;
struct kes_plotslot;

// The cell's plot slot for the current request and variable, and the key cell's.
kes_plotslot* kes_stg_slot(kes_ctx* ctx, kes_cell* cell);
kes_plotslot* kes_stg_keyslot(kes_ctx* ctx);
// The distribution family of a CDF, probability, QQ or P-P request (-1 none, and for
// histograms).
int kes_stg_family(const kes_preq* r);
// The default vertical-axis text of the current request into buffer (at least 261
// characters, not terminated); returns its length, 0 for none.
int kes_stg_vlabel(kes_ctx* ctx, char* buffer, int size);

// A parameter as every legend of the template graphs shows it: the shortest text that
// shows it exactly within 8 characters (NUL-terminated; returns its length), and the
// value that text reads as, for texts that take a number.
constexpr int KES_STG_PARAM_TEXT = 8;
int kes_stg_param_text(double v, char out[KES_STG_PARAM_TEXT + 1]);
double kes_stg_param_value(double v);
