// The procedure entry named by the program connector: one call is one step.
#pragma once

extern "C" {
// Runs one procedure step and returns what xexit returned for its return code.
int qorqkest();
}
