// Notes of a step about what it reads but does not carry out yet, and about options
// that the statement parser folds together.
#pragma once

struct kes_ctx;
struct kes_preq;

// Once per step: ANNOTATE= and VAXIS= are read but not used yet.
void kesunbuilt(kes_ctx* ctx);
// Once per step: the fonts that options (their names in options) give are not used.
void kes_note_fonts_not_used(kes_ctx* ctx, const char* options);
// An AXIS definition's F= was read: said with the step's fonts, or at once after them.
void kes_axis_font_read(kes_ctx* ctx);
// A family option given more than once in plot request `request`, the nth statement
// of its kind.
void kesfamrep(const kes_preq* request, int nth);
