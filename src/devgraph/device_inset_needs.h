// What the device asks of the inset boxes it has built: it checks a POSITION= word
// where it lays the box out, places a box at POSITION=(x, y), gives a margin box the
// columns the margin holds, measures the boxes with its fonts and sizes as they are
// built, and shows the fitted curves of a family only, its name alone by default.
#pragma once
#include "inset/kes_inset.h"

inline constexpr kes_inset_needs kes_device_inset_needs{
    .checks_words = false,
    .position_xy = true,
    .margin_columns = true,
    .measured = true,
    .fitted_only = true,
    .family_alone = true,
};
