// Small helpers of the descriptive-table code: output-object calls whose negative
// result ends the step, attribute records, text cells and the missing values the
// tables show.
#pragma once
#include <cstdint>

#include "host/wob.h"

struct kes_ctx;

// Calls method `method` of `object`; a negative result is logged with the host's
// text and ends the step (xprrlog, xexit). Returns the result otherwise.
int kes_tabcall(void* object, int method, int count, wob_attr* attrs);

// Heading line `line` (from 1) of the listing through method 439; and the count that
// clears the lines from `count` on.
void kes_heading_line(kes_ctx* ctx, int line, void* text);
void kes_heading_count(kes_ctx* ctx, int count);

// Attribute records used by the table code.
wob_attr kes_attr_str(int id, const char* text);          // type 20, NUL-terminated
wob_attr kes_attr_txt(int id, const char* text, int len); // type 66 from vemtxt
wob_attr kes_attr_msg(int id, int set, int number);       // type 66 from vemmsg

// Copies a text (len < 0: NUL-terminated) into a blank-filled cell of `size` bytes.
void kes_fillcell(char* cell, int size, const char* text, int len);

// The standard missing value, and the missing value of the underscore kind that
// prints as an empty cell.
double kes_tab_missing();
double kes_tab_blank();

// Length of a blank-padded text without its trailing blanks.
int kes_trimlen(const char* text, int len);
