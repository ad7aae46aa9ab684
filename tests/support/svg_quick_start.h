// What the module gave the quick start's histogram (docs/quickstart/Histogram1.svg),
// as its graph dump says it: the facts the graph rules' tests check that graph against.
#pragma once
#include "support/svg_rules.h"

namespace kes_test {

// What the module gave the quick start's histogram (its graph dump): the midpoints
// listed and their bars' percents, the box's texts, the normal curve at a few points.
inline svg_facts quick_start_facts() {
  svg_facts f;
  f.listed_across = {"51", "57", "63", "69", "75", "81", "87"};
  f.bins = {{51, 5}, {57, 11.666666666666668}, {63, 25}, {69, 30}, {75, 15}, {81, 10}, {87, 3.3333333333333335}};
  f.inset_texts = {"N", "60", "Mean", "67.89", "Std Deviation", "8.459789", "Normal", "Pr > D", ">0.1500"};
  f.curves = {{"Normal(Mu=67.89 Sigma=8.459789)",
               6,
               100,
               0,
               {{48, 1.7838582655422182}, {63.060606060605984, 24.040109955209306}, {67.89, 28.29448365621534},
                {76.00000000000026, 17.870643500025086}}}};
  return f;
}

}  // namespace kes_test
