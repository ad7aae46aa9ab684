// What the graph templates ask of the inset boxes: the POSITION= words checked as the
// boxes are built, no place at POSITION=(x, y), NCOLS= as given, no measures (the
// template lays the boxes out), and every curve of a family with its parameters.
#pragma once
#include "inset/kes_inset.h"

inline constexpr kes_inset_needs kes_template_inset_needs{
    .checks_words = true,
    .position_xy = false,
    .margin_columns = false,
    .measured = false,
    .fitted_only = false,
    .family_alone = false,
};
