// Where a histogram's fitted curve is drawn: the axis range cut to the family's
// support, alike in the device chart and the template graphs.
#pragma once

struct kes_curve;
struct kes_plotslot;

// [*lo, *hi], the horizontal axis range on entry, narrowed to the support of curve c
// (the kernel's to the slot's kernel range); false when the curve is not drawn: a
// normal curve of no spread, a family drawn as no curve, or a range no longer than the
// rounding of its ends.
bool kes_curve_range(const kes_curve& c, const kes_plotslot& s, double* lo, double* hi);
