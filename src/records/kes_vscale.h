// The vertical scale of a histogram (VSCALE=): one coding for the plot request, the
// fit request and every height made from them.
#pragma once

enum kes_vscale : int { KES_VSCALE_PERCENT = 0, KES_VSCALE_COUNT = 1, KES_VSCALE_PROPORTION = 2 };
